#pragma once

#include "ui/commands/focused_file.h"
#include "ui/thumbs/thumb_view.h"

#include <QFrame>
#include <QTimer>

#include <cstdint>
#include <optional>

namespace bivora {

class JobStarter;
class SettingsStore;

struct ThumbBarServices {
    JobStarter& jobs;
    SettingsStore& store;          // nMaxFileSizeThumb in the main frame's section
    FocusedFileSource focusedFile; // the active pane's focused item
    QString cacheDir;              // the desktop's cache folder, for thumbnail-cache entries
    ThumbView::Extractor extract = ExtractThumbnail;
    int settleMs = 60;             // how long the focus must rest before a picture is made
};

// The content of the thumbnail bar: a grey frame around the view of the active pane's
// focused file. It follows the focus once the focus has rested (moving through a list,
// key held, starts no extraction per row) and only while it is shown; the GUI thread
// reads nothing from the disk for it.
class ThumbBar final : public QFrame {
    Q_OBJECT
public:
    static constexpr int kViewMargin = 7;

    explicit ThumbBar(ThumbBarServices services, QWidget* parent = nullptr);

    // The focused item, or the active pane, may have changed: looked at once the focus rests.
    void FocusMayHaveChanged();

    ThumbView& View() const { return *m_view; }
    std::uint32_t SizeLimit() const { return m_sizeLimit; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FollowFocus();

    ThumbBarServices m_services;
    ThumbView* m_view = nullptr;
    QTimer m_settle;
    std::uint32_t m_sizeLimit;
    std::optional<FocusedFile> m_shownLast;
};

} // namespace bivora
