#pragma once

#include <QWidget>

#include <string>

namespace bivora {

// The strip across the top of a pane: the folder title, the visual filter in brackets
// when there is one, in the selection colours while the pane is active. A title of a
// file-system folder (not a root) that does not fit keeps its first component and as
// many trailing ones as fit.
class PaneCaption final : public QWidget {
    Q_OBJECT
public:
    explicit PaneCaption(QWidget* parent = nullptr);

    // filterText "*" means no filter; shortenable for a file-system folder that is not a root.
    void SetContent(const std::string& title, const std::string& filterText, bool shortenable);
    void SetActive(bool active);
    bool IsActive() const { return m_active; }

    // The text as it is drawn at the strip's present width.
    QString DisplayedText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void Pressed();
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::string m_title;
    std::string m_filterText = "*";
    bool m_shortenable = false;
    bool m_active = false;
};

} // namespace bivora
