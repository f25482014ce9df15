#include "interrupt.hpp"

#include "runtime/program.hpp"

namespace konvergenz {

void throw_if_interrupted()
{
    if (runtime::interrupted()) throw Interrupted{};
}

int interrupted_status() { return static_cast<int>(runtime::interrupted_status()); }

}  // namespace konvergenz
