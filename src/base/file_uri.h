#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bivora {

// Local file URIs and the item lists other file managers put on the clipboard, as
// bytes. A path may hold any byte but NUL: it is encoded so that it comes back whole.

// "file://" and the path with every byte percent-encoded but the unreserved ones
// (letters, digits, "-._~") and "/": "/a b/%" -> "file:///a%20b/%25".
std::string FileUriFromPath(std::string_view path);

// The absolute local path a file URI names: "file:///p", "file://localhost/p" or
// "file:/p" (the scheme and the host in any case), escapes decoded. nullopt for any
// other scheme, another host, a query or fragment, a broken escape, an encoded NUL,
// or a path that is not absolute.
std::optional<std::string> PathFromFileUri(std::string_view uri);

// The entries of a text/uri-list: one per line (CRLF or LF), without comment lines
// ("#...") and empty lines.
std::vector<std::string_view> UriListEntries(std::string_view text);

// The paths of a URI list; nullopt when it holds none or any entry is not a local
// file URI: such a list is refused as a whole.
std::optional<std::vector<std::string>> PathsFromUriList(std::string_view text);

// text/uri-list: each path's URI followed by CRLF.
std::string UriListText(const std::vector<std::string>& paths);

// x-special/gnome-copied-files: "cut" or "copy", then one URI per line.
std::string GnomeCopiedFilesText(const std::vector<std::string>& paths, bool cut);

struct CopiedFiles {
    std::vector<std::string> paths;
    bool cut = false;
};
// Reads x-special/gnome-copied-files; nullopt when the first line is neither "copy"
// nor "cut", or the rest is refused as PathsFromUriList refuses it.
std::optional<CopiedFiles> ParseGnomeCopiedFiles(std::string_view text);

} // namespace bivora
