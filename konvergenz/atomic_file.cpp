#include "atomic_file.hpp"

#include "interrupt.hpp"
#include "posix_file.hpp"
#include "runtime/output_path.hpp"
#include "runtime/write_loop.hpp"

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace konvergenz {
namespace {

// Short and fixed in length, so that it fits the file system's limit however long the
// target's name is; hidden, and with ".tmp" at the end so that nobody takes it for a
// chart. mkostemps replaces the X's.
constexpr std::string_view temporary_name = ".konvergenz-XXXXXX.tmp";
constexpr int temporary_suffix_length = 4;  // ".tmp"

[[noreturn]] void fail(const std::filesystem::path& target, std::string_view why)
{
    throw WriteError(quoted_path(target) + " lässt sich nicht schreiben: " + std::string(why));
}

// Removes the temporary file unless it has been renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& folder) : path_(folder / temporary_name)
    {
        std::string name = path_.string();
        // O_EXCL is implied: an existing name, a link or a dangling link, is never opened.
        file_.reset(::mkostemps(name.data(), temporary_suffix_length, O_CLOEXEC));
        error_ = file_.get() < 0 ? errno : 0;
        path_ = name;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (error_ != 0) return;  // the name is not ours
        file_.reset();
        if (!kept_) ::unlink(path_.c_str());
    }

    // 0, or the errno of the failed creation.
    int error() const { return error_; }
    int fd() const { return file_.get(); }
    int close() { return file_.close(); }
    const std::filesystem::path& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    std::filesystem::path path_;
    FileDescriptor file_;
    int error_ = 0;
    bool kept_ = false;
};

mode_t mode_of_new_files()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::filesystem::path resolve_output_file(const std::filesystem::path& path)
{
    const runtime::OutputPath target = runtime::find_to_replace(path.string());
    if (target.refusal != runtime::Refusal::none)
        fail(path,
             runtime::refusal_reason(runtime::phrases_for(runtime::Language::german), target));
    if (target.error != 0) fail(path, system_reason(target.error));
    if (target.exists && !S_ISREG(target.status.st_mode)) {
        const std::string what = target.path == path ? "es" : quoted_path(target.path);
        fail(path, what + " ist " + std::string(file_type_name(target.status.st_mode)) +
                       ", keine gewöhnliche Datei");
    }
    return target.path;
}

void write_file_atomically(const std::filesystem::path& target, std::string_view content)
{
    const std::filesystem::path file = resolve_output_file(target);
    struct stat existing;
    const mode_t mode =
        ::stat(file.c_str(), &existing) == 0 ? existing.st_mode & 0777 : mode_of_new_files();
    // In the target's own folder, as a rename cannot cross file systems.
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";

    TemporaryFile temp(folder);
    if (temp.error() != 0) fail(target, system_reason(temp.error()));
    if (::fchmod(temp.fd(), mode) != 0) fail(target, system_reason(errno));
    // A write beyond the file-size limit fails with EFBIG (SIGXFSZ is ignored), and the
    // temporary file goes like on any failure.
    if (const int error = runtime::write_all(temp.fd(), content).error; error != 0) {
        fail(target, system_reason(error));
    }
    // On disk before the rename, so that a power cut leaves the old chart or the new
    // one, not an empty file under the chart's name.
    if (::fsync(temp.fd()) != 0 && errno != EINVAL) fail(target, system_reason(errno));
    if (const int error = temp.close(); error != 0) fail(target, system_reason(error));
    throw_if_interrupted();

    if (::rename(temp.path().c_str(), file.c_str()) != 0) fail(target, system_reason(errno));
    temp.keep();
}

}  // namespace konvergenz
