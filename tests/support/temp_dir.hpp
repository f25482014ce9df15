// A fresh folder under $TMPDIR (or /tmp), removed with everything in it on destruction;
// and whole-file reading and writing for the tests' inputs and expectations.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace test_support {

class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::string_view bytes);

}  // namespace test_support
