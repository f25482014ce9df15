#include "runtime/terminal.hpp"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// With NODERAWFS the standard streams are node's own descriptors 0, 1 and 2. In a
// browser nothing is a terminal, and node's modules are not there to ask.
EM_JS(int, node_isatty, (int fd), {
    if (typeof process != 'object' || !process.versions || !process.versions.node) return 0;
    return require('tty').isatty(fd) ? 1 : 0;
});
#else
#include <unistd.h>
#endif

namespace runtime {

bool is_terminal(int fd)
{
#ifdef __EMSCRIPTEN__
    return node_isatty(fd) == 1;
#else
    return ::isatty(fd) == 1;
#endif
}

}  // namespace runtime
