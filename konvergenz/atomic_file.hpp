#pragma once

#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace konvergenz {

// A file that could not be written; the message is ready for the user.
struct WriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The file that writing to path replaces: path itself, or, if path is a symbolic
// link, the file at the end of its chain of links, so that the link stays a link.
// Throws WriteError if that is something other than a regular file (a folder, a
// FIFO, a device, a socket), which is left as it is, if the chain cannot be followed
// (a loop), or if it may not be: a link of another user, at the path's end or in a
// folder on the way, or another user's file in a shared sticky folder (the run-time
// layer's rules for shared folders).
std::filesystem::path resolve_output_file(const std::filesystem::path& path);

// Writes content to a new temporary file beside the resolved target, in the folder
// reached under those rules, and renames it into place there, so that the target is
// either the old file or the complete new one, never half written. The temporary file
// gets an unpredictable name and is created only if nothing, not even a link, has that
// name yet, so nobody can make it write through a link planted in a shared folder. An existing target keeps its permission
// bits; a new one gets those of any new file (0666 less the umask). The temporary
// file is removed on any failure, including a stop signal (Interrupted).
// Throws WriteError.
void write_file_atomically(const std::filesystem::path& target, std::string_view content);

}  // namespace konvergenz
