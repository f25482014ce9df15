#include "checked_output.hpp"

#include "app.hpp"
#include "interrupt.hpp"
#include "posix_file.hpp"
#include "runtime/output_channel.hpp"
#include "runtime/program.hpp"

#include <string>

namespace konvergenz {

bool CheckedOutput::write_out()
{
    const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    if (pending.empty()) return true;
    // The run-time layer's write loop: after a stop signal it waits for no reader.
    const runtime::Written written = runtime::write_all(fd_, pending);
    if (written.error != 0) error_ = written.error;
    return written.error == 0;
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
    if (status != exit_ok) return status;
    // A stop signal that came while the last lines went out still ends the run as
    // stopped, as it does in quarlen and mirtova.
    if (runtime::interrupted()) {
        err << "konvergenz: " << runtime::interruption() << '\n';
        return interrupted_status();
    }
    if (error == 0) return status;
    const runtime::Phrases& say = runtime::phrases_for(runtime::Language::german);
    err << "konvergenz: " << say.standard_output << ' ' << say.cannot_write << ": "
        << system_reason(error) << '\n';
    return exit_write_failed;
}

}  // namespace konvergenz
