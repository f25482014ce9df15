#pragma once

#include <filesystem>
#include <optional>

namespace konvergenz {

// The log in `folder` that a chart written to `file` (a chart path with its links
// followed) would replace: the same file, by device and inode, or, where `file` does
// not exist yet, the same name in the same folder once both folders' paths are
// resolved. Nullopt if there is none.
std::optional<std::filesystem::path> log_at_chart_path(const std::filesystem::path& file,
                                                       const std::filesystem::path& folder);

// Whether the chart's name ends in ".svg" (in any case), as a file holding SVG should.
bool named_as_svg(const std::filesystem::path& chart);

}  // namespace konvergenz
