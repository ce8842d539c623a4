#pragma once
// The modified Bessel functions of the second kind K0 and K1, which the
// wavenumber-domain potential of a line model is made of. The rational
// approximations of Abramowitz and Stegun (9.8.1-9.8.8) are good to about
// 2e-7 relative and some fifty times faster than std::cyl_bessel_k, which
// matters at millions of node values per survey.

namespace vexora {

double besselK0(double x);  // x > 0
double besselK1(double x);  // x > 0

}  // namespace vexora
