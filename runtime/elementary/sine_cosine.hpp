// sin, cos and tan correctly rounded to nearest-even for every double.
#pragma once

namespace runtime::correctly_rounded {

double sin(double x);
double cos(double x);
double tan(double x);

}  // namespace runtime::correctly_rounded
