#pragma once

#include <string>

namespace bivora {

// True for a regular file (links followed) that this user may execute and whose
// first bytes are an ELF header or "#!". An x bit alone is not enough: a text file
// copied from a stick with every bit set opens in its application instead.
bool IsExecutableFile(const std::string& path);

} // namespace bivora
