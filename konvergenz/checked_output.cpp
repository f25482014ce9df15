#include "checked_output.hpp"

#include <cerrno>

#include "app.hpp"
#include "interrupt.hpp"
#include "posix_file.hpp"
#include "runtime/program.hpp"

namespace konvergenz {

int close_standard_output(runtime::OutputChannel& out, int error_at_start, int status,
                          std::ostream& err)
{
    out.flush_quietly();
    const int close_error = FileDescriptor(out.fd()).close();
    const int error = error_at_start != 0 ? error_at_start
                      : out.error() != 0  ? out.error()
                                          : close_error;
    if (status != exit_ok) return status;
    // A stop signal that came while the last lines went out still ends the run as
    // stopped, as it does in quarlen and mirtova.
    if (runtime::interrupted()) {
        err << "konvergenz: " << runtime::interruption() << '\n';
        return interrupted_status();
    }
    if (error == 0) return status;
    // A reader that has gone (`konvergenz | head`) took what it wanted: a quiet end, as
    // Unix tools make it.
    if (error == EPIPE) return static_cast<int>(runtime::ExitStatus::reader_gone);
    const runtime::Phrases& say = runtime::phrases_for(runtime::Language::german);
    err << "konvergenz: " << say.standard_output << ' ' << say.cannot_write << ": "
        << system_reason(error) << '\n';
    return exit_write_failed;
}

}  // namespace konvergenz
