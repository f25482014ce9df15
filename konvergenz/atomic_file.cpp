#include "atomic_file.hpp"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "interrupt.hpp"
#include "posix_file.hpp"
#include "runtime/output_path.hpp"
#include "runtime/write_loop.hpp"

#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>

namespace konvergenz {
namespace {

// Short and fixed in length, so that it fits the file system's limit however long the
// target's name is; hidden, and with ".tmp" at the end so that nobody takes it for a
// chart. The X's become random letters and digits.
constexpr std::string_view temporary_name = ".konvergenz-XXXXXX.tmp";

[[noreturn]] void fail(const std::filesystem::path& target, std::string_view why)
{
    throw WriteError(quoted_path(target) + " lässt sich nicht schreiben: " + std::string(why));
}

// A new file under an unpredictable name in `folder`, created only where no file or link
// has that name, and removed unless it has been renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(int folder) : folder_(folder)
    {
        constexpr std::string_view letters =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        std::random_device random;
        std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
        for (int tries = 0; tries < 100; ++tries) {
            name_ = temporary_name;
            for (char& c : name_)
                if (c == 'X') c = letters[pick(random)];
            file_.reset(::openat(folder_, name_.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (file_.get() >= 0 || errno != EEXIST) break;
        }
        error_ = file_.get() < 0 ? errno : 0;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (error_ != 0) return;  // the name is not ours
        file_.reset();
        if (!kept_) ::unlinkat(folder_, name_.c_str(), 0);
    }

    // 0, or the errno of the failed creation.
    int error() const { return error_; }
    int fd() const { return file_.get(); }
    int close() { return file_.close(); }
    const std::string& name() const { return name_; }
    void keep() { kept_ = true; }

private:
    int folder_;
    std::string name_;
    FileDescriptor file_;
    int error_ = 0;
    bool kept_ = false;
};

#ifdef __EMSCRIPTEN__
// The emulated umask starts at 0777 and is not the process's: under node the files are
// node's, so its umask is asked; a page's files get the usual 022.
EM_JS(int, process_umask, (), {
    if (typeof process != 'object' || !process.versions || !process.versions.node) return 18;
    return process.umask();
});
#endif

mode_t mode_of_new_files()
{
#ifdef __EMSCRIPTEN__
    const mode_t mask = static_cast<mode_t>(process_umask());
#else
    const mode_t mask = ::umask(0);
    ::umask(mask);
#endif
    return 0666 & ~mask;
}

// Where writing to `path` puts the file, under the run-time layer's rules.
runtime::OutputPath place_to_replace(const std::filesystem::path& path)
{
    runtime::OutputPath target = runtime::find_to_replace(path.string());
    if (target.refusal != runtime::Refusal::none)
        fail(path,
             runtime::refusal_reason(runtime::phrases_for(runtime::Language::german), target));
    if (target.error != 0) fail(path, system_reason(target.error));
    if (target.exists && !S_ISREG(target.status.st_mode)) {
        const std::string what = target.path == path ? "es" : quoted_path(target.path);
        fail(path, what + " ist " + std::string(file_type_name(target.status.st_mode)) +
                       ", keine gewöhnliche Datei");
    }
    return target;
}

}  // namespace

std::filesystem::path resolve_output_file(const std::filesystem::path& path)
{
    return place_to_replace(path).path;
}

void write_file_atomically(const std::filesystem::path& target, std::string_view content)
{
    const runtime::OutputPath place = place_to_replace(target);
    const mode_t mode = place.exists ? place.status.st_mode & 0777 : mode_of_new_files();
    // In the target's own folder, as a rename cannot cross file systems; reached through
    // the folder the rules let through, whatever its path leads to meanwhile.
    const int folder = place.folder.get();

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

    if (::renameat(folder, temp.name().c_str(), folder, place.name.c_str()) != 0)
        fail(target, system_reason(errno));
    temp.keep();
}

}  // namespace konvergenz
