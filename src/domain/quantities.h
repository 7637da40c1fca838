#pragma once
// Quantities travel as doubles and are typed with three decimals: two are the
// same when they differ by less than half a thousandth. Every comparison of
// quantities, on the screen and on the server, goes through here.

namespace ped::domain {

bool sameQuantity(double a, double b);
// `a` below `b`, and not the same.
bool lessQuantity(double a, double b);
// `a` above `b`, and not the same.
bool moreQuantity(double a, double b);
// Rounded to millionths, so sums of typed quantities leave no dust.
double roundQuantity(double q);
// Rounded to thousandths, the precision quantities are typed and kept in;
// half a thousandth goes away from zero, as the comparisons count it.
double thousandths(double q);

}  // namespace ped::domain
