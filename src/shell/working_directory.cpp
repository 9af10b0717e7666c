#include "shell/working_directory.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace bivora {

SysResult<std::string> CurrentDirectory()
{
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return SysResult<std::string>::Failure(errno);
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

SysStatus ChangeCurrentDirectory(const std::string& path)
{
    if (::chdir(path.c_str()) != 0)
        return SysStatus::Failure(errno);
    return Done{};
}

} // namespace bivora
