#include "base/file_uri.h"

#include "base/hex_digit.h"

namespace bivora {

namespace {

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// Splits text into lines at LF, a CR before the LF belonging to the line end.
template <class Visit>
void ForEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        visit(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

} // namespace

std::string FileUriFromPath(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    uri.reserve(uri.size() + path.size() * 3);
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c) || c == '/') {
            uri += ch;
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0xF];
        }
    }
    return uri;
}

std::optional<std::string> PathFromFileUri(std::string_view uri)
{
    constexpr std::string_view kScheme = "file:";
    if (uri.size() < kScheme.size() || !EqualsNoCase(uri.substr(0, kScheme.size()), kScheme))
        return std::nullopt;
    std::string_view rest = uri.substr(kScheme.size());
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos)
            return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !EqualsNoCase(host, "localhost"))
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/'))
        return std::nullopt;
    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        // a query or fragment is not part of a file's name; control characters are
        // no part of a URI
        if (c == '?' || c == '#' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return std::nullopt;
        if (c != '%') {
            path += c;
            continue;
        }
        if (i + 2 >= rest.size())
            return std::nullopt;
        const int high = HexDigitValue(rest[i + 1]);
        const int low = HexDigitValue(rest[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return path;
}

std::vector<std::string_view> UriListEntries(std::string_view text)
{
    std::vector<std::string_view> entries;
    ForEachLine(text, [&entries](std::string_view line) {
        if (!line.empty() && line.front() != '#')
            entries.push_back(line);
    });
    return entries;
}

std::optional<std::vector<std::string>> PathsFromUriList(std::string_view text)
{
    // some programs end the data with a NUL
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    std::vector<std::string> paths;
    for (const std::string_view entry : UriListEntries(text)) {
        std::optional<std::string> path = PathFromFileUri(entry);
        if (!path)
            return std::nullopt;
        paths.push_back(std::move(*path));
    }
    if (paths.empty())
        return std::nullopt;
    return paths;
}

std::string UriListText(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths) {
        text += FileUriFromPath(path);
        text += "\r\n";
    }
    return text;
}

std::string GnomeCopiedFilesText(const std::vector<std::string>& paths, bool cut)
{
    std::string text = cut ? "cut" : "copy";
    for (const std::string& path : paths) {
        text += '\n';
        text += FileUriFromPath(path);
    }
    return text;
}

std::optional<CopiedFiles> ParseGnomeCopiedFiles(std::string_view text)
{
    const std::size_t end = text.find('\n');
    std::string_view first = text.substr(0, end);
    if (!first.empty() && first.back() == '\r')
        first.remove_suffix(1);
    CopiedFiles files;
    if (first == "cut")
        files.cut = true;
    else if (first != "copy")
        return std::nullopt;
    if (end == std::string_view::npos)
        return std::nullopt;
    std::optional<std::vector<std::string>> paths = PathsFromUriList(text.substr(end + 1));
    if (!paths)
        return std::nullopt;
    files.paths = std::move(*paths);
    return files;
}

} // namespace bivora
