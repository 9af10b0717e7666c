#pragma once

namespace bivora {

// The file-system calls the file-operation engine makes, behind one interface so that
// tests can inject faults (a full disk at the Nth write, a read error, a refused create,
// a source that vanishes, a cancel in the middle of a file).
class FileSystemCalls {
public:
    virtual ~FileSystemCalls() = default;
};

} // namespace bivora
