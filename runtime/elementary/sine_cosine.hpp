// sin, cos and tan correctly rounded to nearest-even for every double.
#pragma once

namespace runtime::math {

double sine(double x);
double cosine(double x);
double tangent(double x);

}  // namespace runtime::math
