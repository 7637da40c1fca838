#pragma once
// Packets printed the way a data set prints itself, so a test can compare
// what the server answered in one readable line.

#include <string>

namespace ped::server {

// The packet loaded into a data set and dumped (only `fields`, ';'-separated,
// when given).
std::string packet(const std::string& json, const char* fields = nullptr);
// Element `i` of a JSON array of packets, dumped; "null" for a null element.
std::string element(const std::string& array, std::size_t i, const char* fields = nullptr);

}  // namespace ped::server
