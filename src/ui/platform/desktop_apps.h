#pragma once

#include "ui/platform/worker_queue.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace bivora {

class Launcher;

// One application's desktop entry, as far as opening files needs it.
struct DesktopEntry {
    std::string id;   // desktop file id ("org.example.Viewer.desktop")
    std::string path; // the .desktop file
    std::string name; // in the user's language where the entry has it
    std::string exec; // the Exec value with its string escapes undone, quoting kept
    std::string icon; // a theme icon name or an absolute file path
    std::string workingDirectory; // Path=
    bool terminal = false;
};

// The applications the desktop offers for a MIME type, from GIO's application
// database (the data folders' desktop entries and mimeinfo.cache files, and the
// mimeapps.list defaults and associations): the default first, then the other
// associations of the type and of the types it derives from. Entries the menus hide
// (NoDisplay, or shown only in other desktops) appear only as the default.
// May block as long as reading those files blocks: call it off the GUI thread.
std::vector<DesktopEntry> LookUpApplications(const std::string& mimeType);

// The applications for MIME types, looked up on a worker of its own (a job of the
// registry, one look-up at a time) and kept here for the GUI thread: the GUI thread
// never waits on the desktop's files, so a folder that holds a named pipe or a link to
// a device cannot stall it. Ask with Request; AnswersArrived follows on this object's
// thread when answers are in. An object that goes while its worker is stuck in a read
// leaves the worker to the registry instead of waiting for it.
class DesktopAppDatabase : public QObject {
    Q_OBJECT
public:
    using Lookup = std::function<std::vector<DesktopEntry>(const std::string& mimeType)>;

    // jobs must outlive the database.
    explicit DesktopAppDatabase(JobStarter& jobs, Lookup lookup = LookUpApplications, QObject* parent = nullptr);
    ~DesktopAppDatabase() override;

    // Asks for the types' applications (again, when an answer is kept already, so that
    // installed and removed applications show up); a type asked for and not yet
    // answered is not asked twice.
    void Request(const std::vector<std::string>& mimeTypes) const;

    // The last answer for a type, the default first; nullopt while none has come.
    std::optional<std::vector<const DesktopEntry*>> ApplicationsFor(const std::string& mimeType) const;

    // An application of an answer by its desktop id, or null.
    const DesktopEntry* Find(const std::string& id) const;

Q_SIGNALS:
    void AnswersArrived();

private:
    void Store(const std::string& mimeType, std::vector<DesktopEntry> applications);

    std::shared_ptr<const Lookup> m_lookup; // shared with the look-ups under way
    mutable std::set<std::string> m_pending;
    std::map<std::string, std::vector<std::string>> m_answers; // type -> desktop ids
    std::map<std::string, DesktopEntry> m_entries;              // kept, never erased: pointers stay valid
    mutable WorkerQueue m_worker;                               // last: stopped before the rest goes
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
