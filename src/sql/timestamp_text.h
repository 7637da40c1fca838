#pragma once
// Date-times as the databases print them. PostgreSQL drops trailing zeros of
// the fraction ("10:30:54.22", "10:30:54.7", "10:30:54"), prints up to six
// digits, and adds the zone of a "with time zone" value ("+00", "-03:30").

#include <optional>
#include <string_view>

namespace ped::sql {

// "YYYY-MM-DD", optionally followed by ' ' or 'T', "HH:MM[:SS[.f]]" with 1 to
// 9 fraction digits (kept to the millisecond, cut, never rounded into the
// next second) and a zone ("Z", "+HH", "+HH:MM", "+HHMM", or with '-').
// The zone is dropped: the wall-clock time is kept as printed, which is the
// time written, since every connection runs in one zone (UTC). Returns the
// engine's date-time value, nullopt for anything else.
std::optional<double> readTimestamp(std::string_view text);

}  // namespace ped::sql
