#pragma once

#include "base/editor_settings.h"
#include "base/history_list.h"

#include <functional>
#include <string>

class QPlainTextEdit;
class QWidget;

namespace bivora {

class JobRegistry;
class Prompts;
class SettingsStore;
class StatusService;
struct GrepSettings;

// What every editor window shares for the whole run: the stored editor options, the
// search options and histories (shared with the content search and find files), and
// the services. The application owns one.
struct EditorShared {
    SettingsStore& store;
    Prompts& prompts;
    GrepSettings& grep;
    std::function<int()> historyItems = [] { return 20; };
    // bFlatToolbars of the general options
    std::function<bool()> flatToolbars = [] { return false; };
    EditorSettings settings{};
    HistoryList replaceHistory{}; // the Replace dialog's history, loaded with that dialog
    bool replaceHistoryLoaded = false;
    // The application's workers: files are read and written on its jobs.
    JobRegistry* jobs = nullptr;
    // bSaveSettings at the moment a window closes (it then stores its rectangle).
    std::function<bool()> saveSettings = [] { return true; };
    // Told once, when the settings have been read the first time: the owner then saves
    // them (and the replace history, when that was loaded) at exit.
    std::function<void()> loadedHook{};
    // The application's About box (the tool bar's About button).
    std::function<void(QWidget* parent)> showAbout{};
};

// One editor window's view as its command handlers see it. The window owns it and
// the handlers; it outlives them.
struct EditorViewState {
    QWidget& window;     // parent of the window's dialogs (window-modal)
    QPlainTextEdit& text;
    StatusService& status;
    std::string path;     // the file shown, bytes
    bool readOnly = true; // view mode
    bool hex = false;     // the hexadecimal dump is shown
    bool rich = false;    // the file was loaded as rich text
    bool overwrite = false;
};

} // namespace bivora
