#pragma once

#include "ui/commands/services.h"

namespace bivora {

// Prompts raised with Qt's own dialogs: message boxes with fixed texts and the
// application's name as title, and the standard file dialogs.
class QtPrompts final : public Prompts {
public:
    void Message(QWidget* parent, const QString& text, Icon icon = Icon::Exclamation) override;
    bool AskYesNo(QWidget* parent, const QString& text, Icon icon = Icon::Exclamation) override;
    int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons,
                  Icon icon = Icon::Question) override;
    std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& directory) override;
    std::optional<QString> SaveFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultName) override;
    std::optional<QString> BrowseFolder(QWidget* parent, const QString& title, const QString& initial) override;
    int Exec(QDialog& dialog) override;
};

} // namespace bivora
