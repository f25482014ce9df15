#pragma once

#include "runtime/file_descriptor.hpp"
#include "runtime/messages.hpp"

#include <climits>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace konvergenz {

using runtime::FileDescriptor;

// What a file that is not a regular one is, as a message names it.
inline std::string_view file_type_name(mode_t mode)
{
    if (S_ISDIR(mode)) return "ein Ordner";
    if (S_ISFIFO(mode)) return "eine benannte Pipe (FIFO)";
    if (S_ISSOCK(mode)) return "ein Socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "ein Gerät";
    if (S_ISLNK(mode)) return "eine symbolische Verknüpfung";
    return "eine Datei unbekannter Art";
}

// A path as a message shows it: in double quotes, with control characters and other
// bytes a terminal could take for commands written as escapes, so that a message
// stays one line and safe to print.
inline std::string quoted_path(const std::filesystem::path& path)
{
    return runtime::quoted(path.string(), PATH_MAX);
}

// The system's reason for a failed call, in German like the rest of the dialogue.
inline std::string system_reason(int error)
{
    return runtime::system_reason(runtime::Language::german, error);
}

}  // namespace konvergenz
