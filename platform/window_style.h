#pragma once

class QWidget;

namespace platform {

// A fixed dialog frame with a title and no caption buttons and no system menu;
// the client area gets the given size.
void setDialogFrame(QWidget* window, int clientWidth, int clientHeight);

// The face colour of buttons and dialogs as the window background.
void useButtonFace(QWidget* widget);

} // namespace platform
