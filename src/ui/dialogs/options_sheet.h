#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

class QPushButton;
class QTabWidget;
class QWidget;

namespace bivora {

class GeneralPage;
class Prompts;
struct GeneralSettings;

// The nine leading members of the general settings: what the options page edits,
// copied before the sheet opens and put back when it is cancelled.
struct OptionsBlock {
    bool saveSettings = true;
    std::int32_t fileDateUzed = 0;
    bool showHiddenFiles = true;
    std::int32_t historyItems = 15;
    bool uzeExternalEditor = false;
    std::string externalEditorName;
    bool drivebarLetters = false;
    bool autoReSort = false;
    bool flatToolbars = false;

    static OptionsBlock From(const GeneralSettings& settings);
    void RestoreInto(GeneralSettings& settings) const;
    bool operator==(const OptionsBlock&) const = default;
};

// What the rest of the program does when an option changed on OK. An empty
// callback is skipped.
struct OptionsReactions {
    std::function<void()> reReadPanes;              // hidden files: both panes read their folders again
    std::function<void()> refreshDateColumns;       // the file time shown: both panes redraw that column
    std::function<void(bool flat)> applyFlatToolbars; // the tool bars switch style at once
};

inline constexpr const char* kDriveBarRestartMessage =
    "The change in driveBar settings will take effect\nat the next time the program is started.\n"
    "(you may wish to quit/restart immediately)";

// The "Program Options" sheet: one "General" tab bound to the settings, "Ok" and
// "Cancel". OK stays open while the page refuses a field.
class OptionsSheet final : public QDialog {
    Q_OBJECT
public:
    OptionsSheet(GeneralSettings& settings, Prompts& prompts, QWidget* parent = nullptr);

    GeneralPage& Page() const { return *m_page; }
    QTabWidget& Tabs() const { return *m_tabs; }
    QPushButton& OkButton() const { return *m_ok; }
    QPushButton& CancelButton() const { return *m_cancel; }

    void accept() override;

private:
    QTabWidget* m_tabs = nullptr;
    GeneralPage* m_page = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// Acts on each difference between the block before and the settings after, in
// this order: hidden files, file time, drive-bar letters (a message), flat tool bars.
void ReactToOptionChanges(const OptionsBlock& before, const GeneralSettings& after, const OptionsReactions& reactions,
                          Prompts& prompts, QWidget* parent);

// Runs the sheet through the prompts on the application's settings. Cancel puts
// the block back as it was; OK keeps the edits and reacts to what changed.
// Returns whether OK closed the sheet.
bool RunOptionsSheet(GeneralSettings& settings, Prompts& prompts, const OptionsReactions& reactions,
                     QWidget* parent);

} // namespace bivora
