#include "engine/date_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <ostream>

#include "engine/error.h"

namespace ped::engine {

void PrintTo(const CivilDateTime& c, std::ostream* os) {
  *os << c.year << '-' << c.month << '-' << c.day << ' ' << c.hour << ':' << c.minute << ':' << c.second
      << '.' << c.millisecond;
}

namespace {

using namespace date_time;
constexpr double kMs = 1.0 / 86'400'000;

TEST(DateTime, DayNumbersAgreeWithTheStandardCalendar) {
  using namespace std::chrono;
  const sys_days epoch{year{1899} / December / 30};
  EXPECT_EQ(fromCivil({1899, 12, 30}), 0.0);
  EXPECT_EQ(fromCivil({1900, 1, 1}), 2.0);
  EXPECT_EQ(fromCivil({2026, 12, 7}), (sys_days{year{2026} / December / 7} - epoch).count());
  EXPECT_EQ(fromCivil({2026, 12, 7, 18}), 46363.75);
  for (sys_days d{year{1} / January / 1}; d <= sys_days{year{9999} / December / 31}; d += days{13}) {
    const year_month_day ymd{d};
    const CivilDateTime c{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
    ASSERT_EQ(fromCivil(c), (d - epoch).count());
    ASSERT_EQ(toCivil(fromCivil(c)), c);
  }
}

TEST(DateTime, ValidCivilKnowsLeapYearsAndRanges) {
  EXPECT_TRUE(validCivil(2024, 2, 29) && validCivil(2000, 2, 29) &&
              validCivil(2026, 12, 31, 23, 59, 59, 999));
  for (auto bad :
       {validCivil(2023, 2, 29), validCivil(1900, 2, 29), validCivil(2026, 2, 31), validCivil(2026, 4, 31),
        validCivil(0, 1, 1), validCivil(10000, 1, 1), validCivil(2026, 13, 1), validCivil(2026, 1, 0),
        validCivil(2026, 1, 1, 24), validCivil(2026, 1, 1, 0, 60), validCivil(2026, 1, 1, 0, 0, 60),
        validCivil(2026, 1, 1, 0, 0, 0, 1000), validCivil(2026, 1, 1, -1)})
    EXPECT_FALSE(bad);
}

TEST(DateTime, TimeCountsForwardAndRoundsToTheMillisecond) {
  EXPECT_EQ(toCivil(-1.25), (CivilDateTime{1899, 12, 29, 6}));
  EXPECT_EQ(fromCivil({1899, 12, 29, 6}), -1.25);
  EXPECT_EQ(toCivil(-0.5), (CivilDateTime{1899, 12, 30, 12}));
  EXPECT_EQ(datePart(-1.25), -1.0);
  EXPECT_FALSE(std::signbit(datePart(-0.5)));

  // 23:59:59.9996 is the next day, after the epoch and before it.
  EXPECT_EQ(toCivil(46363 + 86'399'999.6 * kMs), (CivilDateTime{2026, 12, 8}));
  EXPECT_EQ(datePart(46363 + 86'399'999.6 * kMs), 46364.0);
  EXPECT_EQ(toCivil(fromCivil({2026, 12, 31}) + 86'399'999.7 * kMs), (CivilDateTime{2027, 1, 1}));
  EXPECT_EQ(toCivil(-2 - 86'399'999.7 * kMs), (CivilDateTime{1899, 12, 29}));
  EXPECT_EQ(toCivil(46363 + 39'599'999.6 * kMs), (CivilDateTime{2026, 12, 7, 11}));
  EXPECT_EQ(toCivil(46363 + 39'599'999.4 * kMs), (CivilDateTime{2026, 12, 7, 10, 59, 59, 999}));

  for (const CivilDateTime day :
       {CivilDateTime{1, 1, 1}, CivilDateTime{1899, 12, 29}, CivilDateTime{9999, 12, 31}}) {
    for (int ms = 0; ms < 86'400'000; ms += 997) {
      const CivilDateTime c{day.year,         day.month,      day.day,  ms / 3'600'000,
                            ms / 60'000 % 60, ms / 1000 % 60, ms % 1000};
      ASSERT_EQ(toCivil(fromCivil(c)), c);
    }
  }
  for (double outside :
       {fromCivil({9999, 12, 31}) + 1, fromCivil({1, 1, 1}) - 1, 1e300, std::nan(""), -HUGE_VAL})
    EXPECT_THROW(toIso(outside), EngineError) << outside;
}

TEST(DateTime, IsoTextRoundTripsAndRefusesEverythingElse) {
  EXPECT_EQ(toIso(46363), "2026-12-07");
  EXPECT_EQ(toIso(fromCivil({2026, 12, 7, 10, 30})), "2026-12-07T10:30:00");
  for (const char* text :
       {"2026-12-07", "2026-12-07T10:30:00", "2026-12-07T10:30:00.250", "2024-02-29T23:59:59.999",
        "1899-12-29T06:00:00", "0001-01-01T00:00:01", "9999-12-31T23:59:59.999"}) {
    const auto v = fromIso(text);
    ASSERT_TRUE(v) << text;
    EXPECT_EQ(toIso(*v), text);
  }
  EXPECT_EQ(fromIso("2026-12-07T10:30"), fromCivil({2026, 12, 7, 10, 30}));
  EXPECT_EQ(fromIso("2026-12-07 10:30:00"), fromCivil({2026, 12, 7, 10, 30}));
  for (const char* text : {"",
                           "2026-02-31",
                           "2023-02-29",
                           "0000-01-01",
                           "2026-13-01",
                           "2026-12-07T24:00",
                           "2026-12-07T10:60",
                           "2026-12-07T10:30:60",
                           "2026-12-07T10:30Z",
                           "2026-12-07T10:30:00Z",
                           "2026-12-07T10:30:00+03:00",
                           "2026-12-07T10:30:00.25",
                           "2026-12-07T",
                           "2026-12-07  10:30",
                           "2026-12-07X10:30",
                           "26-12-07",
                           "2026-1-07",
                           "2026/12/07",
                           " 2026-12-07",
                           "2026-12-0a"})
    EXPECT_FALSE(fromIso(text)) << text;
}

TEST(DateTime, BrazilianTextRoundTripsAndRefusesEverythingElse) {
  EXPECT_EQ(toBrazilian(46363), "07/12/2026");
  EXPECT_EQ(toBrazilian(fromCivil({2026, 12, 7, 10, 30, 5, 400}), true), "07/12/2026 10:30:05");
  EXPECT_EQ(fromBrazilian("7/12/2026"), 46363.0);
  EXPECT_EQ(fromBrazilian("1/2/2026"), fromCivil({2026, 2, 1}));
  EXPECT_EQ(fromBrazilian("07/12/2026 10:30"), fromCivil({2026, 12, 7, 10, 30}));
  EXPECT_EQ(fromBrazilian("07/12/2026 9:05:07"), fromCivil({2026, 12, 7, 9, 5, 7}));
  for (double v : {46363.0, fromCivil({2024, 2, 29, 23, 59, 59}), -1.25, fromCivil({1, 1, 1, 0, 0, 1})})
    EXPECT_EQ(fromBrazilian(toBrazilian(v, true)), v);
  for (const char* text :
       {"", "31/02/2026", "29/02/2023", "00/12/2026", "07/13/2026", "07/12/0000", "07/12/26", "07-12-2026",
        "007/12/2026", "07/12/20261", "07/12/2026 ", "07/12/2026 10", "07/12/2026 10:3", "07/12/2026 10:30:5",
        "07/12/2026 24:00", "07/12/2026T10:30", " 07/12/2026", "2026-12-07"})
    EXPECT_FALSE(fromBrazilian(text)) << text;
}

TEST(Clock, SystemClockGivesTheLocalWallClock) {
  const std::time_t before = std::time(nullptr);
  const double now = SystemClock().now();
  std::tm local{};
  localtime_r(&before, &local);
  // Local seconds since 1970 turned into days arithmetically: 25569 is 01/01/1970.
  EXPECT_NEAR(now, 25569.0 + static_cast<double>(before + local.tm_gmtoff) / 86400.0, 5.0 / 86400.0);
}

}  // namespace
}  // namespace ped::engine
