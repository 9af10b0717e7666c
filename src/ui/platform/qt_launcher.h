#pragma once

#include "ui/commands/services.h"

namespace bivora {

// Opens files with the desktop's default applications and starts programs detached.
class QtLauncher final : public Launcher {
public:
    bool OpenWithDefault(const QString& path) override;
    bool StartDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory) override;
};

} // namespace bivora
