#include "interrupt.hpp"

#include "runtime/program.hpp"

namespace konvergenz {

// "unterbrochen", naming the signal unless it was Ctrl-C, as quarlen says it.
Interrupted::Interrupted() : std::runtime_error(runtime::interruption()) {}

void throw_if_interrupted()
{
    if (runtime::interrupted()) throw Interrupted{};
}

int interrupted_status() { return static_cast<int>(runtime::interrupted_status()); }

}  // namespace konvergenz
