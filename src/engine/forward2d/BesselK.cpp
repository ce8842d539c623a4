#include "engine/forward2d/BesselK.h"

#include <cmath>

namespace vexora {

namespace {

double poly(double t, const double (&c)[7])
{
    double v = c[6];
    for (int i = 5; i >= 0; --i) v = v * t + c[i];
    return v;
}

}  // namespace

double besselK0(double x)
{
    if (x <= 2.0) {
        const double t = x * x / 14.0625;  // (x / 3.75)^2
        const double i0 = poly(t, {1.0, 3.5156229, 3.0899424, 1.2067492, 0.2659732, 0.0360768, 0.0045813});
        const double y = x * x / 4.0;
        return -std::log(x / 2.0) * i0 +
               poly(y, {-0.57721566, 0.42278420, 0.23069756, 0.03488590, 0.00262698, 0.00010750, 0.0000074});
    }
    const double y = 2.0 / x;
    return std::exp(-x) / std::sqrt(x) *
           poly(y, {1.25331414, -0.07832358, 0.02189568, -0.01062446, 0.00587872, -0.00251540, 0.00053208});
}

double besselK1(double x)
{
    if (x <= 2.0) {
        const double t = x * x / 14.0625;
        const double i1 =
            x * poly(t, {0.5, 0.87890594, 0.51498869, 0.15084934, 0.02658733, 0.00301532, 0.00032411});
        const double y = x * x / 4.0;
        return std::log(x / 2.0) * i1 +
               poly(y, {1.0, 0.15443144, -0.67278579, -0.18156897, -0.01919402, -0.00110404, -0.00004686}) / x;
    }
    const double y = 2.0 / x;
    return std::exp(-x) / std::sqrt(x) *
           poly(y, {1.25331414, 0.23498619, -0.03655620, 0.01504268, -0.00780353, 0.00325614, -0.00068245});
}

}  // namespace vexora
