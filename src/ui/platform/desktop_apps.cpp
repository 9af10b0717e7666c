#include "ui/platform/desktop_apps.h"

#include "ui/platform/detached_start.h"

#include "base/path_text.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace bivora {

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<std::string> SplitOn(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ReadFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Undoes the escapes of a string value: \s \n \t \r \\ (and \; inside lists, kept
// here for the list splitter).
std::string UnescapeValue(const std::string& value, bool keepSemicolonEscape)
{
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[++i];
        switch (next) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        case ';':
            if (keepSemicolonEscape)
                out += '\\';
            out += ';';
            break;
        default:
            out += '\\';
            out += next;
        }
    }
    return out;
}

// Splits a list value at ";" not preceded by "\"; "\;" stands for ";".
std::vector<std::string> SplitList(const std::string& value)
{
    std::vector<std::string> items;
    std::string current;
    const std::string text = UnescapeValue(value, true);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == ';') {
            current += ';';
            ++i;
        } else if (text[i] == ';') {
            if (!current.empty())
                items.push_back(current);
            current.clear();
        } else {
            current += text[i];
        }
    }
    if (!current.empty())
        items.push_back(current);
    return items;
}

// The key/value pairs of each group of a desktop-style file.
std::map<std::string, std::map<std::string, std::string>> ParseGroups(const std::string& text)
{
    std::map<std::string, std::map<std::string, std::string>> groups;
    std::map<std::string, std::string>* group = nullptr;
    for (const std::string& raw : SplitOn(text, '\n')) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            group = &groups[line.substr(1, line.size() - 2)];
            continue;
        }
        const auto equals = line.find('=');
        if (!group || equals == std::string::npos)
            continue;
        const std::string key = Trim(line.substr(0, equals));
        // the first occurrence of a key counts
        group->emplace(key, Trim(line.substr(equals + 1)));
    }
    return groups;
}

bool IsTrue(const std::string& value)
{
    return value == "true" || value == "1";
}

bool Contains(const std::vector<std::string>& list, const std::string& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

DesktopDirs DesktopDirs::FromProcess()
{
    DesktopDirs dirs;
    const std::string home = Env("HOME");
    dirs.dataHome = Env("XDG_DATA_HOME");
    if (dirs.dataHome.empty())
        dirs.dataHome = home + "/.local/share";
    dirs.dataDirs = SplitOn(Env("XDG_DATA_DIRS"), ':');
    if (dirs.dataDirs.empty())
        dirs.dataDirs = {"/usr/local/share", "/usr/share"};
    dirs.configHome = Env("XDG_CONFIG_HOME");
    if (dirs.configHome.empty())
        dirs.configHome = home + "/.config";
    dirs.configDirs = SplitOn(Env("XDG_CONFIG_DIRS"), ':');
    if (dirs.configDirs.empty())
        dirs.configDirs = {"/etc/xdg"};
    for (std::string desktop : SplitOn(Env("XDG_CURRENT_DESKTOP"), ':')) {
        std::transform(desktop.begin(), desktop.end(), desktop.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        dirs.currentDesktops.push_back(desktop);
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string locale = Env(variable);
        if (locale.empty())
            continue;
        locale = locale.substr(0, locale.find_first_of(".@"));
        if (locale != "C" && locale != "POSIX")
            dirs.locale = locale;
        break;
    }
    return dirs;
}

std::optional<DesktopEntry> ParseDesktopEntry(const std::string& text, const std::string& id, const std::string& path,
                                              const std::string& locale)
{
    const auto groups = ParseGroups(text);
    const auto found = groups.find("Desktop Entry");
    if (found == groups.end())
        return std::nullopt;
    const auto& keys = found->second;
    const auto value = [&keys](const std::string& key) {
        const auto it = keys.find(key);
        return it == keys.end() ? std::string() : it->second;
    };

    DesktopEntry entry;
    entry.id = id;
    entry.path = path;
    entry.hidden = IsTrue(value("Hidden"));
    if (value("Type") != "Application" && !entry.hidden)
        return std::nullopt;
    entry.exec = UnescapeValue(value("Exec"), false);
    if (entry.exec.empty() && !entry.hidden)
        return std::nullopt;

    std::vector<std::string> nameKeys;
    if (!locale.empty()) {
        nameKeys.push_back("Name[" + locale + "]");
        const auto underscore = locale.find('_');
        if (underscore != std::string::npos)
            nameKeys.push_back("Name[" + locale.substr(0, underscore) + "]");
    }
    nameKeys.push_back("Name");
    for (const std::string& key : nameKeys) {
        if (keys.count(key)) {
            entry.name = UnescapeValue(value(key), false);
            break;
        }
    }
    if (entry.name.empty())
        entry.name = id.ends_with(".desktop") ? id.substr(0, id.size() - 8) : id;
    entry.icon = UnescapeValue(value("Icon"), false);
    entry.workingDirectory = UnescapeValue(value("Path"), false);
    entry.mimeTypes = SplitList(value("MimeType"));
    entry.noDisplay = IsTrue(value("NoDisplay"));
    entry.terminal = IsTrue(value("Terminal"));
    return entry;
}

DesktopAppDatabase::DesktopAppDatabase(DesktopDirs dirs) : m_dirs(std::move(dirs))
{
    Reload();
}

void DesktopAppDatabase::Reload()
{
    m_folders.clear();
    m_entries.clear();
    m_entryFolder.clear();
    m_lists.clear();

    std::vector<std::string> dataDirs{m_dirs.dataHome};
    dataDirs.insert(dataDirs.end(), m_dirs.dataDirs.begin(), m_dirs.dataDirs.end());
    for (const std::string& data : dataDirs) {
        if (data.empty())
            continue;
        AppFolder folder;
        folder.path = data + "/applications";
        if (!IsDirectory(folder.path))
            continue;
        std::string cache;
        if (ReadFile(folder.path + "/mimeinfo.cache", cache)) {
            folder.hasCache = true;
            auto groups = ParseGroups(cache);
            for (const auto& [mime, ids] : groups["MIME Cache"])
                folder.cache[mime] = SplitList(ids);
        }
        m_folders.push_back(std::move(folder));
        ScanApplications(m_folders.back().path, m_folders.back().path, {}, 0);
    }

    // mimeapps.list files, most important first: per desktop before the plain one,
    // config folders before data folders
    std::vector<std::string> listFolders{m_dirs.configHome};
    listFolders.insert(listFolders.end(), m_dirs.configDirs.begin(), m_dirs.configDirs.end());
    for (const std::string& data : dataDirs)
        listFolders.push_back(data + "/applications");
    for (const std::string& folder : listFolders) {
        if (folder.empty())
            continue;
        std::vector<std::string> names;
        for (const std::string& desktop : m_dirs.currentDesktops)
            names.push_back(desktop + "-mimeapps.list");
        names.push_back("mimeapps.list");
        for (const std::string& name : names) {
            std::string text;
            if (!ReadFile(PathJoin(folder, name), text))
                continue;
            auto groups = ParseGroups(text);
            MimeAppsList list;
            const auto take = [&groups](const char* group, std::map<std::string, std::vector<std::string>>& into) {
                for (const auto& [mime, ids] : groups[group])
                    into[mime] = SplitList(ids);
            };
            take("Default Applications", list.defaults);
            take("Added Associations", list.added);
            take("Removed Associations", list.removed);
            m_lists.push_back(std::move(list));
        }
    }
}

void DesktopAppDatabase::ScanApplications(const std::string& root, const std::string& folder,
                                          const std::string& prefix, size_t depth)
{
    if (depth > 8)
        return;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());

    const size_t folderIndex = m_folders.size() - 1;
    for (const std::string& name : names) {
        if (name == "." || name == "..")
            continue;
        const std::string path = PathJoin(folder, name);
        if (IsDirectory(path)) {
            ScanApplications(root, path, prefix + name + "-", depth + 1);
            continue;
        }
        if (!name.ends_with(".desktop"))
            continue;
        const std::string id = prefix + name;
        if (m_entries.count(id))
            continue; // a more important folder has it already
        std::string text;
        if (!ReadFile(path, text))
            continue;
        if (auto entry = ParseDesktopEntry(text, id, path, m_dirs.locale)) {
            m_entries.emplace(id, std::move(*entry));
            m_entryFolder.emplace(id, folderIndex);
        }
    }
}

const DesktopEntry* DesktopAppDatabase::Find(const std::string& id) const
{
    const auto it = m_entries.find(id);
    if (it == m_entries.end() || it->second.hidden)
        return nullptr;
    return &it->second;
}

std::vector<std::string> DesktopAppDatabase::TypeAndAncestors(const std::string& mimeType) const
{
    std::vector<std::string> types{mimeType};
    const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForName(QString::fromStdString(mimeType));
    if (!type.isValid())
        return types;
    const std::string canonical = type.name().toStdString();
    if (!Contains(types, canonical))
        types.push_back(canonical);
    for (const QString& ancestor : type.allAncestors()) {
        const std::string name = ancestor.toStdString();
        if (!Contains(types, name))
            types.push_back(name);
    }
    return types;
}

std::vector<const DesktopEntry*> DesktopAppDatabase::AssociationsOf(const std::string& mimeType) const
{
    std::vector<const DesktopEntry*> result;
    std::set<std::string> removed;
    const auto add = [&](const std::string& id, bool mustListType) {
        const DesktopEntry* entry = Find(id);
        if (!entry || removed.count(id) || std::find(result.begin(), result.end(), entry) != result.end())
            return;
        if (mustListType && !Contains(entry->mimeTypes, mimeType))
            return;
        result.push_back(entry);
    };
    // a list's removals hide the associations of less important lists and of the entries
    for (const MimeAppsList& list : m_lists) {
        if (const auto it = list.added.find(mimeType); it != list.added.end())
            for (const std::string& id : it->second)
                add(id, false);
        if (const auto it = list.removed.find(mimeType); it != list.removed.end())
            removed.insert(it->second.begin(), it->second.end());
    }
    for (size_t index = 0; index < m_folders.size(); ++index) {
        const AppFolder& folder = m_folders[index];
        if (folder.hasCache) {
            // the cache gives the order; the installed entry must still claim the type
            if (const auto it = folder.cache.find(mimeType); it != folder.cache.end())
                for (const std::string& id : it->second)
                    add(id, true);
            continue;
        }
        for (const auto& [id, entry] : m_entries)
            if (m_entryFolder.at(id) == index)
                add(id, true);
    }
    return result;
}

const DesktopEntry* DesktopAppDatabase::ExplicitDefaultOf(const std::string& mimeType) const
{
    for (const MimeAppsList& list : m_lists) {
        const auto it = list.defaults.find(mimeType);
        if (it == list.defaults.end())
            continue;
        for (const std::string& id : it->second)
            if (const DesktopEntry* entry = Find(id))
                return entry;
    }
    return nullptr;
}

const DesktopEntry* DesktopAppDatabase::DefaultFor(const std::string& mimeType) const
{
    const std::vector<std::string> types = TypeAndAncestors(mimeType);
    for (const std::string& type : types)
        if (const DesktopEntry* entry = ExplicitDefaultOf(type))
            return entry;
    // an entry the menus hide serves only when no visible one claims the type
    const DesktopEntry* hiddenFromMenus = nullptr;
    for (const std::string& type : types) {
        for (const DesktopEntry* entry : AssociationsOf(type)) {
            if (!entry->noDisplay)
                return entry;
            if (!hiddenFromMenus)
                hiddenFromMenus = entry;
        }
    }
    return hiddenFromMenus;
}

std::vector<const DesktopEntry*> DesktopAppDatabase::ApplicationsFor(const std::string& mimeType) const
{
    std::vector<const DesktopEntry*> result;
    const DesktopEntry* defaultEntry = DefaultFor(mimeType);
    if (defaultEntry)
        result.push_back(defaultEntry);
    for (const std::string& type : TypeAndAncestors(mimeType))
        for (const DesktopEntry* entry : AssociationsOf(type))
            if (!entry->noDisplay && std::find(result.begin(), result.end(), entry) == result.end())
                result.push_back(entry);
    return result;
}

namespace {

// One argument of an Exec template: text with field codes where they were unquoted.
struct ExecPiece {
    std::string text;
    char code = 0; // 0: literal text
};
using ExecArgument = std::vector<ExecPiece>;

void AddText(ExecArgument& argument, char c)
{
    if (argument.empty() || argument.back().code != 0)
        argument.push_back({});
    argument.back().text += c;
}

// Splits an Exec value into arguments by the desktop-entry quoting rules: blanks
// separate, double quotes group, and \" \` \$ \\ inside quotes stand for the
// character. Field codes are kept apart where they stand outside quotes. Nullopt
// when a quote is not closed.
std::optional<std::vector<ExecArgument>> ParseExecTemplate(const std::string& exec)
{
    std::vector<ExecArgument> arguments;
    ExecArgument current;
    bool inArgument = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inArgument)
                arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else if (c == '"') {
            inArgument = true;
            // "" is an argument of its own, so it needs a (possibly empty) text piece
            if (current.empty() || current.back().code != 0)
                current.push_back({});
            for (++i;; ++i) {
                if (i == exec.size())
                    return std::nullopt;
                if (exec[i] == '"')
                    break;
                if (exec[i] == '\\' && i + 1 < exec.size() && std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos)
                    ++i;
                else if (exec[i] == '%' && i + 1 < exec.size() && exec[i + 1] == '%')
                    ++i;
                AddText(current, exec[i]);
            }
        } else if (c == '%' && i + 1 < exec.size()) {
            inArgument = true;
            const char code = exec[++i];
            if (code == '%')
                AddText(current, '%');
            else
                current.push_back({{}, code});
        } else {
            AddText(current, c);
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.push_back(std::move(current));
    return arguments;
}

bool IsUnreserved(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

} // namespace

std::string FileUrl(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (IsUnreserved(c)) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

std::vector<std::vector<std::string>> ExpandExec(const DesktopEntry& entry, const std::vector<std::string>& files)
{
    const auto parsed = ParseExecTemplate(entry.exec);
    if (!parsed || parsed->empty())
        return {};
    bool takesList = false;
    bool takesOne = false;
    for (const ExecArgument& argument : *parsed) {
        for (const ExecPiece& piece : argument) {
            takesList = takesList || piece.code == 'F' || piece.code == 'U';
            takesOne = takesOne || piece.code == 'f' || piece.code == 'u';
        }
    }

    // one instance for a list, one per file for single-file codes
    std::vector<std::vector<std::string>> batches;
    if (takesList || !takesOne || files.size() <= 1)
        batches.push_back(files);
    else
        for (const std::string& file : files)
            batches.push_back({file});

    std::vector<std::vector<std::string>> commands;
    for (const auto& batch : batches) {
        std::vector<std::string> command;
        for (const ExecArgument& argument : *parsed) {
            // a lone list code becomes one argument per file
            if (argument.size() == 1 && (argument[0].code == 'F' || argument[0].code == 'U')) {
                for (const std::string& file : batch)
                    command.push_back(argument[0].code == 'F' ? file : FileUrl(file));
                continue;
            }
            if (argument.size() == 1 && argument[0].code == 'i') {
                if (!entry.icon.empty()) {
                    command.push_back("--icon");
                    command.push_back(entry.icon);
                }
                continue;
            }
            std::string text;
            bool keep = false; // an argument made only of codes that expand to nothing goes
            for (const ExecPiece& piece : argument) {
                switch (piece.code) {
                case 0:
                    text += piece.text;
                    keep = true;
                    break;
                case 'f':
                case 'F':
                    if (!batch.empty()) {
                        text += batch.front();
                        keep = true;
                    }
                    break;
                case 'u':
                case 'U':
                    if (!batch.empty()) {
                        text += FileUrl(batch.front());
                        keep = true;
                    }
                    break;
                case 'c':
                    text += entry.name;
                    keep = true;
                    break;
                case 'k':
                    text += entry.path;
                    keep = true;
                    break;
                default:
                    break; // %d %D %n %N %v %m and unknown codes are dropped
                }
            }
            if (keep)
                command.push_back(text);
        }
        if (!command.empty())
            commands.push_back(std::move(command));
    }
    return commands;
}

bool LaunchApplication(const DesktopEntry& entry, const std::vector<std::string>& files, Launcher& launcher,
                       const std::string& terminal)
{
    const auto commands = ExpandExec(entry, files);
    if (commands.empty())
        return false;
    std::string workingDirectory = entry.workingDirectory;
    if (workingDirectory.empty() && !files.empty()) {
        workingDirectory = ParentFolder(files.front());
    }
    bool allStarted = true;
    for (std::vector<std::string> command : commands) {
        if (entry.terminal) {
            command.insert(command.begin(), "-e");
            command.insert(command.begin(), terminal);
        }
        const std::string program = command.front();
        command.erase(command.begin());
        allStarted = StartDetachedBytes(launcher, program, command, workingDirectory) && allStarted;
    }
    return allStarted;
}

} // namespace bivora
