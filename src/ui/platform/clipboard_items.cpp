#include "ui/platform/clipboard_items.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace bivora {

bool ClipboardHoldsItems()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

// Placeholders until the clipboard formats land.
std::string ItemTransfer::SourceFolder() const { return {}; }
std::unique_ptr<QMimeData> MimeDataForItems(const std::vector<std::string>&, int) { return std::make_unique<QMimeData>(); }
std::optional<ItemTransfer> ItemsFromMimeData(const QMimeData&) { return std::nullopt; }
std::optional<ItemTransfer> ClipboardItems() { return std::nullopt; }
void PutItemsOnClipboard(const std::vector<std::string>&, int) {}
void ClearClipboard() {}

} // namespace bivora
