#include "engine/date_time.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "engine/error.h"

namespace ped::engine {
namespace date_time {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Howard Hinnant's days_from_civil / civil_from_days (proleptic Gregorian,
// days relative to 1970-01-01).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct YearMonthDay {
  int y;
  int m;
  int d;
};

constexpr YearMonthDay civilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr std::int64_t kEpoch = daysFromCivil(1899, 12, 30);
constexpr std::int64_t kMinDay = daysFromCivil(1, 1, 1) - kEpoch;
constexpr std::int64_t kMaxDay = daysFromCivil(9999, 12, 31) - kEpoch;

// llround for 0 <= x < 2^52, inlined: it runs for every date a packet carries.
std::int64_t roundNonNegative(double x) {
  const auto i = static_cast<std::int64_t>(x);
  return x - static_cast<double>(i) >= 0.5 ? i + 1 : i;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Day number and millisecond of the day, the latter rounded with the carry
// going forward in time whatever the sign.
struct Split {
  std::int64_t day;
  std::int64_t ms;
};

Split split(double value) {
  // Also false for NaN. Checked before any conversion to an integer.
  if (!(value > static_cast<double>(kMinDay - 1) && value < static_cast<double>(kMaxDay + 1)))
    throw EngineError(std::isnan(value) ? "Data inválida." : "Data fora do intervalo dos anos 1 a 9999.");
  Split s{static_cast<std::int64_t>(value), 0};  // truncates toward zero, as the convention wants
  s.ms = roundNonNegative(std::fabs(value - static_cast<double>(s.day)) * kMsPerDay);
  if (s.ms >= kMsPerDay) {
    s.ms -= kMsPerDay;
    ++s.day;
  }
  if (s.day > kMaxDay) throw EngineError("Data fora do intervalo dos anos 1 a 9999.");
  return s;
}

constexpr auto kPairs = [] {
  std::array<char, 200> t{};
  for (int i = 0; i < 100; ++i) {
    t[2 * i] = static_cast<char>('0' + i / 10);
    t[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return t;
}();

char* put2(char* o, int v) {
  std::memcpy(o, &kPairs[2 * v], 2);
  return o + 2;
}

char* put3(char* o, int v) {
  o[0] = static_cast<char>('0' + v / 100);
  return put2(o + 1, v % 100);
}

char* put4(char* o, int v) { return put2(put2(o, v / 100), v % 100); }

// The number written by `width` digits at p; clears ok when one is not a digit.
inline int fixedDigits(const char* p, int width, bool& ok) {
  int v = 0;
  for (int i = 0; i < width; ++i) {
    const unsigned digit = static_cast<unsigned char>(p[i]) - unsigned{'0'};
    ok &= digit < 10;
    v = v * 10 + static_cast<int>(digit);
  }
  return v;
}

// Reads exactly `width` digits at `pos`.
bool digits(std::string_view t, std::size_t pos, std::size_t width, int& out) {
  if (pos + width > t.size()) return false;
  int v = 0;
  for (std::size_t i = pos; i < pos + width; ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    v = v * 10 + (t[i] - '0');
  }
  out = v;
  return true;
}

// Reads one or two digits at `pos`, advancing it.
bool shortNumber(std::string_view t, std::size_t& pos, int& out) {
  std::size_t n = 0;
  while (n < 2 && pos + n < t.size() && t[pos + n] >= '0' && t[pos + n] <= '9') ++n;
  if (n == 0) return false;
  digits(t, pos, n, out);
  pos += n;
  return true;
}

std::optional<double> toValue(std::optional<CivilDateTime> c) {
  if (!c) return std::nullopt;
  return fromCivil(*c);
}

}  // namespace

std::optional<CivilDateTime> validCivil(int y, int mo, int d, int h, int mi, int s, int ms) {
  if (y < 1 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo)) return std::nullopt;
  if (h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59 || ms < 0 || ms > 999) return std::nullopt;
  return CivilDateTime{y, mo, d, h, mi, s, ms};
}

double fromCivil(const CivilDateTime& c) {
  const std::int64_t day =
      daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) - kEpoch;
  const std::int64_t ms =
      ((static_cast<std::int64_t>(c.hour) * 60 + c.minute) * 60 + c.second) * 1000 + c.millisecond;
  const double time = static_cast<double>(ms) / kMsPerDay;
  // Before the epoch the whole part counts back while the time still counts forward.
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

CivilDateTime toCivil(double value) {
  const Split s = split(value);
  const YearMonthDay ymd = civilFromDays(s.day + kEpoch);
  const auto ms = static_cast<int>(s.ms);
  return {ymd.y, ymd.m, ymd.d, ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000};
}

double datePart(double value) {
  if (!std::isfinite(value)) return value;
  const double whole = std::trunc(value);
  const bool carries = roundNonNegative(std::fabs(value - whole) * kMsPerDay) >= kMsPerDay;
  return (carries ? whole + 1 : whole) + 0.0;  // + 0.0 turns -0 into 0
}

char* writeIso(double value, char* out) {
  const CivilDateTime c = toCivil(value);
  char* o = put4(out, c.year);
  *o++ = '-';
  o = put2(o, c.month);
  *o++ = '-';
  o = put2(o, c.day);
  if (c.hour == 0 && c.minute == 0 && c.second == 0 && c.millisecond == 0) return o;
  *o++ = 'T';
  o = put2(o, c.hour);
  *o++ = ':';
  o = put2(o, c.minute);
  *o++ = ':';
  o = put2(o, c.second);
  if (c.millisecond != 0) {
    *o++ = '.';
    o = put3(o, c.millisecond);
  }
  return o;
}

std::string toIso(double value) {
  char buf[kIsoMaxLength];
  return std::string(buf, writeIso(value, buf));
}

std::optional<double> fromIso(std::string_view t) {
  // YYYY-MM-DD[(T| )HH:MM[:SS[.mmm]]]; read at fixed places, as every date of a packet comes through here.
  const std::size_t n = t.size();
  if (n != 10 && n != 16 && n != 19 && n != 23) return std::nullopt;
  const char* p = t.data();
  bool ok = p[4] == '-' && p[7] == '-';
  const int y = fixedDigits(p, 4, ok), mo = fixedDigits(p + 5, 2, ok), d = fixedDigits(p + 8, 2, ok);
  int h = 0, mi = 0, s = 0, ms = 0;
  if (n >= 16) {
    ok &= (p[10] == 'T' || p[10] == ' ') && p[13] == ':';
    h = fixedDigits(p + 11, 2, ok);
    mi = fixedDigits(p + 14, 2, ok);
  }
  if (n >= 19) {
    ok &= p[16] == ':';
    s = fixedDigits(p + 17, 2, ok);
  }
  if (n == 23) {
    ok &= p[19] == '.';
    ms = fixedDigits(p + 20, 3, ok);
  }
  if (!ok) return std::nullopt;
  return toValue(validCivil(y, mo, d, h, mi, s, ms));
}

std::string toBrazilian(double value, bool withTime) {
  const CivilDateTime c = toCivil(value);
  char buf[19];
  char* o = put2(buf, c.day);
  *o++ = '/';
  o = put2(o, c.month);
  *o++ = '/';
  o = put4(o, c.year);
  if (withTime) {
    *o++ = ' ';
    o = put2(o, c.hour);
    *o++ = ':';
    o = put2(o, c.minute);
    *o++ = ':';
    o = put2(o, c.second);
  }
  return std::string(buf, o);
}

std::optional<double> fromBrazilian(std::string_view t) {
  // d[d]/m[m]/yyyy[ h[h]:mm[:ss]]
  std::size_t pos = 0;
  int d = 0, mo = 0, y = 0, h = 0, mi = 0, s = 0;
  if (!shortNumber(t, pos, d) || pos >= t.size() || t[pos++] != '/') return std::nullopt;
  if (!shortNumber(t, pos, mo) || pos >= t.size() || t[pos++] != '/') return std::nullopt;
  if (!digits(t, pos, 4, y)) return std::nullopt;
  pos += 4;
  if (pos < t.size()) {
    if (t[pos++] != ' ' || !shortNumber(t, pos, h)) return std::nullopt;
    if (pos >= t.size() || t[pos++] != ':' || !digits(t, pos, 2, mi)) return std::nullopt;
    pos += 2;
    if (pos < t.size()) {
      if (t[pos++] != ':' || !digits(t, pos, 2, s)) return std::nullopt;
      pos += 2;
    }
    if (pos != t.size()) return std::nullopt;
  }
  return toValue(validCivil(y, mo, d, h, mi, s));
}

}  // namespace date_time

double SystemClock::now() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm local{};
  localtime_r(&ts.tv_sec, &local);
  CivilDateTime c{local.tm_year + 1900,
                  local.tm_mon + 1,
                  local.tm_mday,
                  local.tm_hour,
                  local.tm_min,
                  local.tm_sec < 60 ? local.tm_sec : 59,
                  static_cast<int>(ts.tv_nsec / 1'000'000)};
  return date_time::fromCivil(c);
}

}  // namespace ped::engine
