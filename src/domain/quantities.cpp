#include "domain/quantities.h"

#include <cmath>

namespace ped::domain {
namespace {

// The difference in millionths, rounded: 1.0005 - 1.0 is 499.99999999994 as
// a double, and must count as the half thousandth it was typed as.
double millionthsApart(double a, double b) { return std::round((a - b) * 1e6); }

constexpr double kHalfThousandth = 500;  // millionths

}  // namespace

bool sameQuantity(double a, double b) { return std::fabs(millionthsApart(a, b)) < kHalfThousandth; }

bool lessQuantity(double a, double b) { return millionthsApart(a, b) <= -kHalfThousandth; }

bool moreQuantity(double a, double b) { return millionthsApart(a, b) >= kHalfThousandth; }

double roundQuantity(double q) { return std::round(q * 1e6) / 1e6; }

// Through the millionths: 1.0005 is 1000.4999... thousandths as a double.
double thousandths(double q) { return std::round(std::round(q * 1e6) / 1e3) / 1e3; }

}  // namespace ped::domain
