#include "ui/platform/desktop_apps.h"

#include "ui/platform/detached_start.h"

#include "base/path_text.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <algorithm>

namespace bivora {

namespace {

std::string TextOf(const char* text)
{
    return text ? text : "";
}

// What Open With needs of a GIO entry. Only desktop entries count: their Exec is
// started by this program, never by GIO.
std::optional<DesktopEntry> EntryOf(GAppInfo* info)
{
    if (!G_IS_DESKTOP_APP_INFO(info) || !g_app_info_get_id(info))
        return std::nullopt;
    GDesktopAppInfo* desktop = G_DESKTOP_APP_INFO(info);
    DesktopEntry entry;
    entry.id = g_app_info_get_id(info);
    entry.path = TextOf(g_desktop_app_info_get_filename(desktop));
    entry.name = TextOf(g_app_info_get_name(info));
    entry.exec = TextOf(g_app_info_get_commandline(info));
    if (GIcon* icon = g_app_info_get_icon(info)) {
        gchar* text = g_icon_to_string(icon); // a themed icon's name, a file icon's path
        entry.icon = TextOf(text);
        g_free(text);
    }
    gchar* path = g_desktop_app_info_get_string(desktop, G_KEY_FILE_DESKTOP_KEY_PATH);
    entry.workingDirectory = TextOf(path);
    g_free(path);
    entry.terminal = g_desktop_app_info_get_boolean(desktop, G_KEY_FILE_DESKTOP_KEY_TERMINAL);
    if (entry.exec.empty())
        return std::nullopt;
    return entry;
}

} // namespace

std::vector<DesktopEntry> LookUpApplications(const std::string& mimeType)
{
    // On Linux GIO's content types are the MIME types.
    std::vector<DesktopEntry> result;
    const auto add = [&result](GAppInfo* info, bool isDefault) {
        if (!isDefault && !g_app_info_should_show(info))
            return;
        std::optional<DesktopEntry> entry = EntryOf(info);
        if (!entry || std::any_of(result.begin(), result.end(),
                                  [&entry](const DesktopEntry& known) { return known.id == entry->id; }))
            return;
        result.push_back(std::move(*entry));
    };
    if (GAppInfo* preferred = g_app_info_get_default_for_type(mimeType.c_str(), FALSE)) {
        add(preferred, true);
        g_object_unref(preferred);
    }
    GList* all = g_app_info_get_all_for_type(mimeType.c_str());
    for (GList* item = all; item; item = item->next)
        add(G_APP_INFO(item->data), false);
    g_list_free_full(all, g_object_unref);
    return result;
}

DesktopAppDatabase::DesktopAppDatabase(JobStarter& jobs, Lookup lookup, QObject* parent)
    : QObject(parent), m_lookup(std::make_shared<const Lookup>(std::move(lookup))), m_worker(jobs, this)
{
}

DesktopAppDatabase::~DesktopAppDatabase()
{
    // a look-up may sit in a read for ever: it is left to the registry, not waited for
    m_worker.Stop(std::chrono::milliseconds(0));
}

void DesktopAppDatabase::Request(const std::vector<std::string>& mimeTypes) const
{
    for (const std::string& type : mimeTypes) {
        if (!m_pending.insert(type).second)
            continue;
        auto* self = const_cast<DesktopAppDatabase*>(this);
        m_worker.Post([self, lookup = m_lookup, type](const std::atomic<bool>&, GuiChannel& reply) {
            std::vector<DesktopEntry> answer;
            try {
                answer = (*lookup)(type);
            } catch (...) {
                answer.clear(); // no applications rather than no program
            }
            reply.Post([self, type, answer = std::move(answer)]() mutable { self->Store(type, std::move(answer)); });
        });
    }
}

void DesktopAppDatabase::Store(const std::string& mimeType, std::vector<DesktopEntry> applications)
{
    m_pending.erase(mimeType);
    std::vector<std::string>& ids = m_answers[mimeType];
    ids.clear();
    for (DesktopEntry& entry : applications) {
        ids.push_back(entry.id);
        m_entries[entry.id] = std::move(entry);
    }
    Q_EMIT AnswersArrived();
}

std::optional<std::vector<const DesktopEntry*>> DesktopAppDatabase::ApplicationsFor(const std::string& mimeType) const
{
    const auto answer = m_answers.find(mimeType);
    if (answer == m_answers.end())
        return std::nullopt;
    std::vector<const DesktopEntry*> entries;
    for (const std::string& id : answer->second)
        entries.push_back(&m_entries.at(id));
    return entries;
}

const DesktopEntry* DesktopAppDatabase::Find(const std::string& id) const
{
    const auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : &it->second;
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
    if (workingDirectory.empty() && !files.empty())
        workingDirectory = std::string(ParentFolder(files.front()));
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
