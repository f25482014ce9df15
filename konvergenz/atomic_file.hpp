#pragma once

#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace konvergenz {

// A file that could not be written; the message is ready for the user.
struct WriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Writes content to a temporary file beside target and renames it into
// place, so that target is either the old file or the complete new one,
// never half written. The temporary file is removed on any failure,
// including Ctrl-C (Interrupted). Throws WriteError.
void write_file_atomically(const std::filesystem::path& target, std::string_view content);

}  // namespace konvergenz
