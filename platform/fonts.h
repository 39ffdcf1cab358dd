#pragma once

#include <QFont>
#include <QString>

namespace platform {

// The family every window asks for.
QString formFontFamily(); // "ＭＳ ゴシック"

// Maps the family above to the Japanese gothic fonts present (IPAGothic first).
// Call once the QApplication exists.
void registerFontSubstitutions();

// The form font at a pixel height (13 for every window).
QFont formFont(int pixelHeight = 13);

} // namespace platform
