#pragma once

#include "base/char_format.h"

namespace bivora {

// The system's fixed-pitch font as a font description, the fallback of the
// stored character formats.
FontDescription SystemFixedFont();

} // namespace bivora
