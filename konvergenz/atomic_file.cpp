#include "atomic_file.hpp"

#include "interrupt.hpp"

#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace konvergenz {
namespace {

// Removes the temporary file unless it has been renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!kept_) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }

    const std::filesystem::path& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    std::filesystem::path path_;
    bool kept_ = false;
};

// Hidden, beside the target (a rename within one directory cannot cross
// file systems), and unique per process.
std::filesystem::path temporary_path_for(const std::filesystem::path& target)
{
    std::filesystem::path temp = target;
    std::string name = target.filename().string();
    name.insert(name.begin(), '.');
    name += '.';
    name += std::to_string(::getpid());
    name += ".tmp";
    temp.replace_filename(name);
    return temp;
}

}  // namespace

void write_file_atomically(const std::filesystem::path& target, std::string_view content)
{
    const auto fail = [&target](std::string_view why) {
        throw WriteError(target.string() + " lässt sich nicht schreiben: " + std::string(why));
    };

    TemporaryFile temp(temporary_path_for(target));
    {
        std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
        if (!out) fail("Datei lässt sich nicht anlegen");
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) fail("Schreibfehler");
    }
    throw_if_interrupted();

    std::error_code ec;
    std::filesystem::rename(temp.path(), target, ec);
    if (ec) fail(ec.message());
    temp.keep();
}

}  // namespace konvergenz
