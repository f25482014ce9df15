#include "checked_output.hpp"

#include "app.hpp"
#include "interrupt.hpp"
#include "posix_file.hpp"
#include "runtime/program.hpp"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace konvergenz {

bool CheckedOutput::write_out()
{
    const char* data = pbase();
    std::size_t size = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR && !runtime::interrupted()) continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

CheckedOutput::int_type CheckedOutput::overflow(int_type c)
{
    if (!write_out()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
}

int CheckedOutput::sync() { return write_out() ? 0 : -1; }

int CheckedOutput::close()
{
    write_out();
    const int error = FileDescriptor(fd_).close();
    fd_ = -1;
    if (error_ == 0) error_ = error;
    return error_;
}

int close_standard_output(CheckedOutput& out, int status, std::ostream& err)
{
    const int error = out.close();
    if (error == 0 || status != exit_ok) return status;
    if (runtime::interrupted()) {
        err << "konvergenz: " << runtime::interruption() << '\n';
        return interrupted_status();
    }
    const runtime::Phrases& say = runtime::phrases_for(runtime::Language::german);
    err << "konvergenz: " << say.standard_output << ' ' << say.cannot_write << ": "
        << system_reason(error) << '\n';
    return exit_write_failed;
}

}  // namespace konvergenz
