#pragma once

#include <QMainWindow>

namespace bivora {

class BivoraApp;

// The program's main window. Closing it saves its rectangle (when saving is on) and
// then runs the application's exit path.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(BivoraApp& app, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    BivoraApp& m_app;
};

} // namespace bivora
