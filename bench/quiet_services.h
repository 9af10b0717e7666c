#pragma once

// Services that answer nothing, for benchmarks that run panes without a person.
#include "ui/commands/services.h"
#include "ui/commands/status_service.h"

namespace bivora::bench {

class QuietStatus final : public StatusService {
public:
    void ShowStatusMessage(const QString&, bool) override {}
    void ShowProgress(const QString&) override {}
    void StepProgress() override {}
    void HideProgress() override {}
    void SetPaneStatusText(const QString&) override {}
};

class NoPrompts final : public Prompts {
public:
    void Message(QWidget*, const QString&, Icon) override {}
    bool AskYesNo(QWidget*, const QString&, Icon) override { return false; }
    std::optional<QString> OpenFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> BrowseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    int Exec(QDialog&) override { return 0; }
};

class NoKeys final : public KeyboardState {
public:
    Qt::KeyboardModifiers Modifiers() const override { return Qt::NoModifier; }
};

class NoLauncher final : public Launcher {
public:
    bool OpenWithDefault(const QString&) override { return false; }
    bool StartDetached(const QString&, const QStringList&, const QString&) override { return false; }
};

} // namespace bivora::bench
