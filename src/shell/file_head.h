#pragma once

#include <cstddef>
#include <string>

namespace bivora {

// What a file's content sniffing needs: the kind of the file (links followed) and,
// for a regular file, its first bytes.
struct FileHead {
    enum class Kind { Regular, Directory, Fifo, Socket, CharDevice, BlockDevice, Unreadable };
    Kind kind = Kind::Unreadable;
    std::string bytes; // at most the asked count; empty unless kind is Regular
};

// Reads up to maxBytes from the start of a regular file. Anything else is only
// looked at, never opened: opening a FIFO or a device could block or act.
FileHead SniffFileHead(const std::string& path, std::size_t maxBytes);

} // namespace bivora
