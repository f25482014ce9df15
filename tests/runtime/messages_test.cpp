#include "runtime/messages.hpp"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace {

using runtime::Language;
using runtime::system_reason;

TEST(SystemReason, CommonCausesInGermanOthersAsTheSystemSaysThem)
{
    // The causes a user of quarlen meets are said in German, not in the system's English.
    for (const int error :
         {ENOENT, EACCES, EISDIR, ENOSPC, EDQUOT, EROFS, EPIPE, EIO, EMFILE, EFBIG}) {
        SCOPED_TRACE(strerrorname_np(error));
        const std::string reason = system_reason(Language::german, error);
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(reason.find(std::strerror(error)), std::string::npos) << reason;
        EXPECT_EQ(reason.find("(E"), std::string::npos) << reason;
    }
    EXPECT_EQ(system_reason(Language::german, ENOSPC), "kein Platz mehr auf dem Gerät");
    // Any other cause, and every cause in English, with its errno name.
    EXPECT_EQ(system_reason(Language::german, EXDEV),
              std::string(std::strerror(EXDEV)) + " (EXDEV)");
    EXPECT_EQ(system_reason(Language::english, ENOSPC),
              std::string(std::strerror(ENOSPC)) + " (ENOSPC)");
}

TEST(SystemReason, ErrnoNamesAsGlibcSaysThem)
{
    int named = 0;
    for (int error = 1; error < 200; ++error) {
        const std::string_view name = runtime::errno_name(error);
        if (name.empty()) continue;
        ++named;
        EXPECT_EQ(name, strerrorname_np(error));
    }
    EXPECT_GE(named, 38);
}

}  // namespace
