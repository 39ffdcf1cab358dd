#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace platform {

// Where a window goes when it is first shown; later showings keep its place.
enum class Position {
    Default,         // the window system chooses place and size
    DefaultPosOnly,  // the window system chooses the place
    ScreenCenter,    // centred on the screen: half of the difference, toward zero, clamped to 0
    OwnerFormCenter, // centred over the owner window the same way
};

// Applies at the window's next (first) showing. Without an owner, OwnerFormCenter
// centres over the application's main window, or on the screen when there is none.
void setPosition(QWidget* window, Position position, QWidget* owner = nullptr);

// The arithmetic, on outer (frame) sizes. Screen: the screen's origin plus half of
// (screen - window), each half taken toward zero and raised to 0 when negative.
QPoint screenCentredPosition(const QRect& screen, const QSize& window);
// Owner: the owner's left plus half of (owner width - window width), toward zero,
// raised to 0 when negative; the same for the top.
QPoint ownerCentredPosition(const QRect& owner, const QSize& window);

} // namespace platform
