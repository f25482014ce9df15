// sin, cos and tan correctly rounded to nearest-even for every double.
#pragma once

namespace runtime::correctly_rounded {

double sine(double x);
double cosine(double x);
double tangent(double x);

}  // namespace runtime::correctly_rounded
