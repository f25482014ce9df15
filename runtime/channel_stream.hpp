// A std::streambuf that hands what a std::ostream writes to an OutputChannel, so that
// code writing with << gets the channel's buffer, its write loop and its failure
// handling. Once the channel has failed the stream goes bad, and nothing written after
// a gap goes out.
#pragma once

#include <streambuf>

#include "runtime/output_channel.hpp"

namespace runtime {

class ChannelStream : public std::streambuf {
public:
    explicit ChannelStream(OutputChannel& channel) : channel_(channel) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    OutputChannel& channel_;
};

}  // namespace runtime
