#pragma once

class QWidget;

namespace platform {

// Where a window goes when it is first shown; later showings keep its place.
enum class Position {
    Default,         // the window system chooses place and size
    DefaultPosOnly,  // the window system chooses the place
    ScreenCenter,    // centred on the screen: half of the difference, toward zero, clamped to 0
    OwnerFormCenter, // centred over the owner window the same way
};

void setPosition(QWidget* window, Position position, QWidget* owner = nullptr);

} // namespace platform
