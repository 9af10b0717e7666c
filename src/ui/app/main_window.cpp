#include "ui/app/main_window.h"

#include "base/registry_keys.h"
#include "base/window_rect.h"
#include "ui/app/bivora_app.h"
#include "ui/app/window_placement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace bivora {

namespace {
constexpr std::string_view kSection = registry::section::kMainFrameSettings;
} // namespace

MainWindow::MainWindow(BivoraApp& app, QWidget* parent)
    : QMainWindow(parent), m_app(app)
{
    setWindowTitle(QStringLiteral("Bivora"));
    const WindowRect stored = ReadWindowRect(m_app.Store(), kSection);
    if (IsDefaultWindowRect(stored)) {
        // Nothing stored: the window system places it; the size is two thirds of the screen.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize area = screen ? screen->availableSize() : QSize(1200, 900);
        resize(area.width() * 2 / 3, area.height() * 2 / 3);
    } else {
        ApplyWindowRect(*this, stored);
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_app.SettingsSaved()) {
        if (m_app.Settings().saveSettings)
            WriteWindowRect(m_app.Store(), kSection, NormalWindowRect(*this));
        m_app.SaveAllSettings();
    }
    event->accept();
}

} // namespace bivora
