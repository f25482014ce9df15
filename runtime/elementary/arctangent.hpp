// The inverse trigonometric functions, correctly rounded to nearest-even for every double.
#pragma once

namespace runtime::correctly_rounded {

double atan(double x);  // in [-pi/2, pi/2]
double asin(double x);  // in [-pi/2, pi/2]; NaN outside [-1, 1]
double acos(double x);  // in [0, pi]; NaN outside [-1, 1]

}  // namespace runtime::correctly_rounded
