// Counting the slow paths. The programs count nothing: SLOW_PATH_TAKEN is empty. The
// verify program in bench/ compiles the functions' sources again with
// ELEMENTARY_COUNT_SLOW_PATHS defined and supplies count_slow_path, which counts how often
// each function left its fast path.
#pragma once

#ifdef ELEMENTARY_COUNT_SLOW_PATHS
namespace runtime::correctly_rounded {
void count_slow_path(const char* function);
}
#define SLOW_PATH_TAKEN(function) ::runtime::correctly_rounded::count_slow_path(function)
#else
#define SLOW_PATH_TAKEN(function) static_cast<void>(0)
#endif
