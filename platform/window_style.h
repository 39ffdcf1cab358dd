#pragma once

class QString;
class QWidget;

namespace platform {

// A fixed dialog frame with a title and no caption buttons and no system menu;
// the client area gets the given size.
void setDialogFrame(QWidget* window, int clientWidth, int clientHeight);

// The face colour of buttons and dialogs as the window background.
void useButtonFace(QWidget* widget);

// Shows the window in front of the others, as Show does, for a caller that then
// keeps the event loop from running (a long job): the window system is given the
// moment it needs to map the window (and to carry out hides and repaints asked
// for before), without any user input being handled, so that the window's own
// immediate repaints reach the screen. Bounded in time, so it cannot hang.
void showAndWaitExposed(QWidget* window);

// Sets the title bar's text exactly as given. Qt takes "[*]" in a title for its
// modified mark and drops it; a file name may hold it.
void setCaption(QWidget* window, const QString& text);
// The text the title bar shows.
QString caption(const QWidget* window);

} // namespace platform
