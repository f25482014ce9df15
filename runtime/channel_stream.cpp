#include "runtime/channel_stream.hpp"

#include <string_view>

namespace runtime {

ChannelStream::int_type ChannelStream::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    channel_.write({&byte, 1});
    return channel_.error() == 0 ? c : traits_type::eof();
}

std::streamsize ChannelStream::xsputn(const char* text, std::streamsize count)
{
    channel_.write({text, static_cast<std::size_t>(count)});
    return channel_.error() == 0 ? count : 0;
}

int ChannelStream::sync() { return channel_.flush_quietly() == 0 ? 0 : -1; }

}  // namespace runtime
