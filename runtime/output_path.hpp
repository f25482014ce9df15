// Where a program may write when other users share its folder (/tmp, a course folder
// with the sticky bit) or when root runs it in someone else's folder. The rules hold
// whatever the kernel's protected_symlinks and protected_regular say:
// - a symbolic link is followed only when the caller owns it, or root (who could write
//   anywhere anyway), or, in a sticky folder that others may write, the folder's owner;
//   so nobody else can point the caller's output at a file of the caller's (or create
//   one). This holds for every link on the way, in the folders of the path as at its
//   name: the path is walked one part at a time, never handed to the kernel whole;
// - in a sticky folder that others may write, an existing file is written only when
//   the caller or the folder's owner owns it.
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

#include "runtime/file_descriptor.hpp"
#include "runtime/messages.hpp"

namespace runtime {

enum class Refusal {
    none,
    foreign_link,  // a symbolic link of another user
    foreign_file,  // another user's file in a shared sticky folder
};

struct OutputPath {
    FileDescriptor file;    // open_to_write(): the file, open for writing, not truncated
    FileDescriptor folder;  // the folder that holds it (O_PATH), reached as the rules allow
    std::string name;       // its name in `folder`
    std::string path;       // the file at the end of the links, as a path
    bool exists = false;    // whether it existed; then `status` describes it
    struct stat status {};
    int error = 0;  // the errno of a failed call (ENXIO: a FIFO without a reader, or a socket)
    Refusal refusal = Refusal::none;
    uid_t owner = 0;   // for a refusal: the owner of the link or file
    std::string link;  // for a refused link: the link, as a path (its folders' links followed)
};

// Opens `path` for writing under the rules above, with O_NOCTTY and O_NONBLOCK (a FIFO
// without a reader fails with ENXIO at once instead of waiting), without truncating it.
// A file that does not exist is created.
OutputPath open_to_write(const std::string& path);

// The same rules for a file that is replaced rather than written into (a temporary file
// renamed over it): follows the links and looks at what is at their end, opening only
// the folder that holds it. The caller makes and renames its files through `folder`,
// so that nothing on the way can be swapped for a link once it has been looked at.
OutputPath find_to_replace(const std::string& path);

// Why `refused` was refused, in the words of `say`, for "<name>: <what>: <why>"; a link
// refused on the way, not at the name itself, is named first.
std::string refusal_reason(const Phrases& say, const OutputPath& refused);

}  // namespace runtime
