// sin, cos and tan of ax > 0 computed with enough precision to round every double
// correctly: where the fast path's rounding test cannot decide.
#pragma once

namespace runtime::correctly_rounded {

double sine_exactly(double ax);
double cosine_exactly(double ax);
double tangent_exactly(double ax);

}  // namespace runtime::correctly_rounded
