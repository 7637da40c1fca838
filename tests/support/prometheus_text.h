#pragma once
// Reads a metrics page as a scraper would: checks the form of every line
// (the text exposition format 0.0.4) with gtest expectations, and returns
// the samples by series ("name{labels}") as their value's text.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace ped::testing {

inline std::map<std::string, std::string> scrapeMetrics(const std::string& page) {
  static const std::regex sampleLine(
      R"(([a-zA-Z_:][a-zA-Z0-9_:]*)(\{([a-zA-Z_][a-zA-Z0-9_]*="[^"\\\n]*")(,[a-zA-Z_][a-zA-Z0-9_]*="[^"\\\n]*")*\})? ([0-9.eE+-]+|\+Inf))");
  static const std::regex typeLine(R"(# TYPE ([a-zA-Z_:][a-zA-Z0-9_:]*) (counter|gauge|histogram))");
  std::map<std::string, std::string> samples;
  std::string typed;
  std::istringstream in(page);
  std::string line;
  while (std::getline(in, line)) {
    std::smatch m;
    if (std::regex_match(line, m, typeLine)) {
      typed = m[1];
      continue;
    }
    if (line.starts_with("#")) continue;  // HELP, or a comment
    EXPECT_TRUE(std::regex_match(line, m, sampleLine)) << line;
    EXPECT_TRUE(std::string(m[1]).starts_with(typed)) << line << " outside its family " << typed;
    const auto space = line.rfind(' ');
    EXPECT_TRUE(samples.emplace(line.substr(0, space), line.substr(space + 1)).second) << "twice: " << line;
  }
  return samples;
}

}  // namespace ped::testing
