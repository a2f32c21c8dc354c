#pragma once

// The application icon. Its one source is the SVG that is also installed for the desktop; Qt SVG
// renders it at the sizes that title bars, task bars and the About box ask for.

#include <QIcon>

namespace orv {

// The icon rendered from the SVG in the program's resources at the usual icon sizes from 16 to 256
// pixels; a null icon when that SVG cannot be read.
QIcon ApplicationIcon();

} // namespace orv
