#pragma once
// Date-time values: days since 30 December 1899 as a double, the fraction being
// the time of day; 0 means "no date". Before 1899-12-30 the whole part counts
// days back and the fraction still counts time forward (-1.25 is 29/12/1899
// 06:00).

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ped::engine {

struct CivilDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  friend bool operator==(const CivilDateTime&, const CivilDateTime&) = default;
};

namespace date_time {

inline constexpr double kNoDate = 0.0;

// REQUIRES: a valid calendar date, year 1..9999, time fields in range.
double fromCivil(const CivilDateTime& c);
// Rounds to the millisecond. Throws EngineError when the value is not finite
// or falls outside the years 1..9999 (as do toIso and toBrazilian).
CivilDateTime toCivil(double value);
std::optional<CivilDateTime> validCivil(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0);

// "2026-12-07", "2026-12-07T10:30:00" or "2026-12-07T10:30:00.250". The time
// part is written only when there is one (milliseconds only when not zero).
std::string toIso(double value);
std::optional<double> fromIso(std::string_view text);

// toIso into a caller's buffer of at least kIsoMaxLength bytes, returning the
// end: the packet writer formats every date cell and must not allocate.
inline constexpr std::size_t kIsoMaxLength = 23;
char* writeIso(double value, char* out);

// "07/12/2026" (date only), and with a time "07/12/2026 10:30:00".
std::string toBrazilian(double value, bool withTime = false);
// Accepts "dd/mm/yyyy" and "dd/mm/yyyy hh:mm[:ss]"; one- or two-digit day and
// month. Returns nullopt for anything else, including impossible dates.
std::optional<double> fromBrazilian(std::string_view text);

double datePart(double value);  // the day, time dropped

}  // namespace date_time

// Where "now" comes from; tests install a fixed clock.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double now() const = 0;  // local date-time
  double today() const { return date_time::datePart(now()); }
};

class SystemClock : public Clock {
 public:
  double now() const override;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(double value) : value_(value) {}
  double now() const override { return value_; }
  void set(double value) { value_ = value; }

 private:
  double value_;
};

}  // namespace ped::engine
