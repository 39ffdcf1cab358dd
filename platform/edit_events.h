#pragma once

#include <functional>

class QChar;
class QLineEdit;
class QWidget;

namespace platform {

// OnKeyPress: keep() sees each character typed into the control and returns false
// to drop it before it reaches the text. Keys that type nothing (arrows, Delete,
// Home) are not characters and always pass; so do Tab and Enter, which move the
// focus or press the default button. Text committed by an input method is tested
// character by character in the same way.
void setKeyPressFilter(QWidget* control, std::function<bool(QChar)> keep);

// OnExit: runs when the focus moves from the control (or a part of it) to another
// control of the same window; not when the window itself loses the focus.
void setExitHandler(QWidget* control, std::function<void()> handler);

// MaxLength: limits what the user types or pastes, not the text the program sets.
void setMaxLength(QLineEdit* edit, int length);

} // namespace platform
