#pragma once

namespace bivora {

// True when the clipboard holds at least one local file or folder (something Paste can take).
bool ClipboardHoldsItems();

} // namespace bivora
