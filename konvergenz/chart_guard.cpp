#include "chart_guard.hpp"

#include "method.hpp"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>
#include <system_error>

namespace konvergenz {
namespace {

std::filesystem::path resolved_folder_of(const std::filesystem::path& file, std::error_code& ec)
{
    return std::filesystem::weakly_canonical(file.has_parent_path() ? file.parent_path() : ".",
                                             ec);
}

}  // namespace

std::optional<std::filesystem::path> log_at_chart_path(const std::filesystem::path& file,
                                                       const std::filesystem::path& folder)
{
    struct stat chart;
    const bool exists = ::stat(file.c_str(), &chart) == 0;
    std::error_code ec;
    const std::filesystem::path chart_folder = exists ? "" : resolved_folder_of(file, ec);
    for (const Method& method : all_methods) {
        const std::filesystem::path log = folder / method.log_file;
        if (exists) {
            struct stat info;
            if (::stat(log.c_str(), &info) == 0 && info.st_dev == chart.st_dev &&
                info.st_ino == chart.st_ino)
                return log;
        } else if (!ec && file.filename() == log.filename()) {
            std::error_code log_ec;
            if (resolved_folder_of(log, log_ec) == chart_folder && !log_ec) return log;
        }
    }
    return std::nullopt;
}

bool named_as_svg(const std::filesystem::path& chart)
{
    std::string extension = chart.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".svg";
}

}  // namespace konvergenz
