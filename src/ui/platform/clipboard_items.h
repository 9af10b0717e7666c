#pragma once

#include <QString>
#include <Qt>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QDropEvent;
class QMimeData;

namespace bivora {

// What a set of items asks of the folder it arrives in.
enum DropEffect : int { kEffectNone = 0, kEffectCopy = 1, kEffectMove = 2, kEffectLink = 4 };

// A drop action as an effect and back (copy for anything else).
int DropEffectOf(Qt::DropAction action);
Qt::DropAction DropActionOf(int effect);
// The action a drop asks for: the one the modifiers propose (Shift move, Ctrl+Shift
// link, copy otherwise) when the source offers it, else the first it offers.
Qt::DropAction ChosenDropAction(const QDropEvent& event);

// A set of local items as the clipboard or a drop carries it: absolute paths as bytes,
// and the effect the data asks for (copy unless it was cut; link when asked for a link).
struct ItemTransfer {
    std::vector<std::string> paths;
    int effect = kEffectCopy;
    // The folder that holds the items: the parent of the first path.
    std::string SourceFolder() const;
};

// Data in the formats other file managers read and write: text/uri-list,
// x-special/gnome-copied-files ("copy" or "cut" first), application/x-kde-cutselection
// ("1" for cut) and text/plain paths. Every byte a file URI needs encoded is encoded,
// so any name survives.
std::unique_ptr<QMimeData> MimeDataForItems(const std::vector<std::string>& paths, int effect);

// The items of such data (or of a plain text/uri-list from another program). nullopt
// when it holds no item, or anything but absolute local file URIs (a web address, a
// relative path, garbage): such data is refused as a whole.
std::optional<ItemTransfer> ItemsFromMimeData(const QMimeData& data);

// The clipboard's items, as ItemsFromMimeData reads them.
std::optional<ItemTransfer> ClipboardItems();
// True when the clipboard holds items Paste can take.
bool ClipboardHoldsItems();
// Puts the items on the clipboard (where it survives the program as the desktop allows).
void PutItemsOnClipboard(const std::vector<std::string>& paths, int effect);
// Empties the clipboard (after a move its items have gone).
void ClearClipboard();

} // namespace bivora
