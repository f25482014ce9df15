// Whether a standard stream is a terminal. Under node, emscripten's own isatty says yes
// for every standard stream, a file or a pipe too, so node is asked instead; in a browser
// none is.
#pragma once

namespace runtime {

// `fd` is 0, 1 or 2.
bool is_terminal(int fd);

}  // namespace runtime
