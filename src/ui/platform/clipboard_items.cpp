#include "ui/platform/clipboard_items.h"

#include "base/file_uri.h"
#include "base/path_text.h"

#include <QByteArray>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>

namespace bivora {

namespace {

const QString kUriList = QStringLiteral("text/uri-list");
const QString kGnomeCopied = QStringLiteral("x-special/gnome-copied-files");
const QString kKdeCut = QStringLiteral("application/x-kde-cutselection");
const QString kPlainText = QStringLiteral("text/plain");
// Ours alone: the items are to arrive as links (other programs copy them).
const QString kLinkFlag = QStringLiteral("application/x-bivora-link");
// What some file managers write as plain text: this line, then the copied-files text.
constexpr std::string_view kNautilusHeader = "x-special/nautilus-clipboard\n";

std::string_view View(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray Bytes(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<ItemTransfer> FromCopiedFiles(std::optional<CopiedFiles> files)
{
    if (!files)
        return std::nullopt;
    ItemTransfer items;
    items.paths = std::move(files->paths);
    items.effect = files->cut ? kEffectMove : kEffectCopy;
    return items;
}

} // namespace

std::string ItemTransfer::SourceFolder() const
{
    if (paths.empty())
        return {};
    return std::string(ParentFolder(paths.front()));
}

std::unique_ptr<QMimeData> MimeDataForItems(const std::vector<std::string>& paths, int effect)
{
    auto data = std::make_unique<QMimeData>();
    const bool cut = effect == kEffectMove;
    data->setData(kUriList, Bytes(UriListText(paths)));
    data->setData(kGnomeCopied, Bytes(GnomeCopiedFilesText(paths, cut)));
    data->setData(kKdeCut, cut ? QByteArray("1") : QByteArray("0"));
    if (effect == kEffectLink)
        data->setData(kLinkFlag, QByteArray("1"));
    std::string plain;
    for (const std::string& path : paths) {
        if (!plain.empty())
            plain += '\n';
        plain += path;
    }
    data->setData(kPlainText, Bytes(plain));
    return data;
}

std::optional<ItemTransfer> ItemsFromMimeData(const QMimeData& data)
{
    std::optional<ItemTransfer> items;
    if (data.hasFormat(kGnomeCopied)) {
        items = FromCopiedFiles(ParseGnomeCopiedFiles(View(data.data(kGnomeCopied))));
    } else if (data.hasFormat(kUriList)) {
        std::optional<std::vector<std::string>> paths = PathsFromUriList(View(data.data(kUriList)));
        if (paths) {
            items.emplace();
            items->paths = std::move(*paths);
            if (data.data(kKdeCut).startsWith('1'))
                items->effect = kEffectMove;
        }
    } else if (data.hasFormat(kPlainText)) {
        const QByteArray text = data.data(kPlainText);
        if (View(text).starts_with(kNautilusHeader))
            items = FromCopiedFiles(ParseGnomeCopiedFiles(View(text).substr(kNautilusHeader.size())));
    }
    if (items && data.data(kLinkFlag) == "1")
        items->effect = kEffectLink;
    return items;
}

std::optional<ItemTransfer> ClipboardItems()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return std::nullopt;
    return ItemsFromMimeData(*data);
}

bool ClipboardHoldsItems()
{
    // Only the formats are looked at: the data itself may come from another program
    // and is read when it is pasted (refused data is reported then).
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && (data->hasFormat(kGnomeCopied) || data->hasFormat(kUriList));
}

void PutItemsOnClipboard(const std::vector<std::string>& paths, int effect)
{
    QGuiApplication::clipboard()->setMimeData(MimeDataForItems(paths, effect).release(), QClipboard::Clipboard);
}

void ClearClipboard()
{
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}

int DropEffectOf(Qt::DropAction action)
{
    switch (action) {
    case Qt::MoveAction:
        return kEffectMove;
    case Qt::LinkAction:
        return kEffectLink;
    default:
        return kEffectCopy;
    }
}

Qt::DropAction DropActionOf(int effect)
{
    switch (effect) {
    case kEffectMove:
        return Qt::MoveAction;
    case kEffectLink:
        return Qt::LinkAction;
    default:
        return Qt::CopyAction;
    }
}

Qt::DropAction ChosenDropAction(const QDropEvent& event)
{
    const Qt::DropActions offered = event.possibleActions();
    if (offered & event.proposedAction())
        return event.proposedAction();
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction}) {
        if (offered & action)
            return action;
    }
    return Qt::IgnoreAction;
}

} // namespace bivora
