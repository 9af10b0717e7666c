#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace bivora {

class Launcher;

// Where the desktop-file database lives. FromProcess reads the XDG variables with
// their standard fallbacks; tests fill one that points into a temporary tree.
struct DesktopDirs {
    std::string dataHome;                      // $XDG_DATA_HOME, else ~/.local/share
    std::vector<std::string> dataDirs;         // $XDG_DATA_DIRS, else /usr/local/share:/usr/share
    std::string configHome;                    // $XDG_CONFIG_HOME, else ~/.config
    std::vector<std::string> configDirs;       // $XDG_CONFIG_DIRS, else /etc/xdg
    std::vector<std::string> currentDesktops;  // $XDG_CURRENT_DESKTOP, lower case, for "<desktop>-mimeapps.list"
    std::string locale;                        // "de_DE" from LC_ALL / LC_MESSAGES / LANG, for Name[de_DE]

    static DesktopDirs FromProcess();
};

// One application's desktop entry, as far as opening files needs it.
struct DesktopEntry {
    std::string id;   // desktop file id: its path below "applications/" with "/" turned into "-"
    std::string path; // the .desktop file
    std::string name; // in the user's language where the entry has it
    std::string exec; // the Exec value with its string escapes undone, quoting kept
    std::string icon;
    std::string workingDirectory; // Path=
    std::vector<std::string> mimeTypes;
    bool noDisplay = false;
    bool hidden = false; // Hidden=true: the id counts as deleted
    bool terminal = false;
};

// Parses the [Desktop Entry] group of a .desktop file. Only entries of Type=Application
// are kept; one with no Exec is kept only when hidden (it still masks the id).
std::optional<DesktopEntry> ParseDesktopEntry(const std::string& text, const std::string& id, const std::string& path,
                                              const std::string& locale = {});

// The applications installed for MIME types: desktop entries from the data folders'
// "applications/" trees (earlier folders win for the same id), associations from the
// entries' MimeType (or a folder's mimeinfo.cache), and the user's and system's
// mimeapps.list files (defaults, added and removed associations).
// The database is read when constructed; Reload reads it again. Not thread-safe: use
// one object from one thread at a time.
class DesktopAppDatabase {
public:
    explicit DesktopAppDatabase(DesktopDirs dirs);
    void Reload();

    // The entry for a desktop id, or null when none is installed or it is hidden.
    const DesktopEntry* Find(const std::string& id) const;

    // The applications for a MIME type, the default first, then the other associations
    // of the type, then those of the types it derives from (a C source also offers the
    // text editors). Entries marked NoDisplay appear only when they are the default.
    std::vector<const DesktopEntry*> ApplicationsFor(const std::string& mimeType) const;

    // The default application for a MIME type, or null: the first installed entry of a
    // "Default Applications" list in mimeapps.list order, for the type and then for the
    // types it derives from (a chosen text editor also opens C sources); else the first
    // association of those types, one that NoDisplay hides only when there is no other.
    const DesktopEntry* DefaultFor(const std::string& mimeType) const;

private:
    struct MimeAppsList {
        std::map<std::string, std::vector<std::string>> defaults, added, removed;
    };
    struct AppFolder {
        std::string path; // ".../applications"
        bool hasCache = false;
        std::map<std::string, std::vector<std::string>> cache; // mimeinfo.cache
    };

    // The type itself, its canonical name when it is an alias, then its ancestors.
    std::vector<std::string> TypeAndAncestors(const std::string& mimeType) const;
    // Valid associations of exactly this type, in order, without the default rule.
    std::vector<const DesktopEntry*> AssociationsOf(const std::string& mimeType) const;
    const DesktopEntry* ExplicitDefaultOf(const std::string& mimeType) const;
    void ScanApplications(const std::string& root, const std::string& folder, const std::string& prefix,
                          size_t depth);

    DesktopDirs m_dirs;
    std::vector<AppFolder> m_folders;                 // precedence order
    std::map<std::string, DesktopEntry> m_entries;    // effective entry per id, hidden ones included
    std::map<std::string, size_t> m_entryFolder;      // id -> index into m_folders
    std::vector<MimeAppsList> m_lists;                // precedence order
};

// The command lines that open the files with the entry, split by the desktop-entry
// quoting rules (blanks separate, double quotes group, \" \` \$ \\ inside quotes
// stand for the character): one for all files when Exec
// takes a list (%F, %U), else one per file (%f, %u), else one without files. Field
// codes: %f %F file paths, %u %U file:// URLs, %i "--icon" and the icon, %c the name,
// %k the .desktop file, %% a percent sign; deprecated and unknown codes are dropped.
// Codes inside quotes are not expanded (only %% is), so a file name never becomes
// part of a shell command written in quotes. Empty when Exec is malformed. Arguments
// are bytes: file names go in as they are.
std::vector<std::vector<std::string>> ExpandExec(const DesktopEntry& entry, const std::vector<std::string>& files);

// A file:// URL for an absolute path; every byte outside the unreserved set and "/"
// is percent-encoded.
std::string FileUrl(const std::string& path);

// Starts the entry with the files, detached, through the launcher: an entry with
// Terminal=true runs inside terminal ("<terminal> -e command..."); the working folder
// is the entry's Path, else the first file's folder. False when Exec is malformed or
// a start failed.
bool LaunchApplication(const DesktopEntry& entry, const std::vector<std::string>& files, Launcher& launcher,
                       const std::string& terminal = "x-terminal-emulator");

} // namespace bivora
