// Writing all of a byte string to a descriptor that others read: a pipe, a FIFO, a
// terminal, or a file. The loop waits for a slow reader as long as the run goes on, and
// after a stop signal only as long as the reader keeps taking bytes, so that a reader
// gets every record it is willing to read and a stop still ends the program.
#pragma once

#include <cstddef>
#include <string_view>

namespace runtime {

// What a write loop got out: the byte count, and 0 or the errno of the failure. EINTR
// means it gave up after a stop signal, with the reader taking no more.
struct Written {
    std::size_t bytes;
    int error;
};

// Writes all of `bytes` to `fd`. A descriptor in non-blocking mode (as node.js and some
// CI runners hand over their pipes) is waited on when it is full. After a stop signal
// the loop goes on while the reader takes bytes, and gives up at a second stop signal or
// when the reader has taken nothing for about a second. Where it gives up inside a line
// it still finishes that line, if the reader takes it within about a second, so that
// no reader is left with a cut record. `inside_a_line`: the bytes written before these
// ended inside a line.
Written write_all(int fd, std::string_view bytes, bool inside_a_line = false);

// One whole line, such as a message (with the line end that ends a cut record before
// it): written as write_all() writes, and after a stop signal waited for like the end of
// a cut record, up to about a second of a reader that takes nothing, however many stop
// signals come.
Written write_line(int fd, std::string_view line);

}  // namespace runtime
