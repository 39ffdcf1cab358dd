#pragma once

class QString;
class QWidget;

namespace platform {

// A fixed dialog frame with a title and no caption buttons and no system menu;
// the client area gets the given size.
void setDialogFrame(QWidget* window, int clientWidth, int clientHeight);

// The face colour of buttons and dialogs as the window background.
void useButtonFace(QWidget* widget);

// Sets the title bar's text exactly as given. Qt takes "[*]" in a title for its
// modified mark and drops it; a file name may hold it.
void setCaption(QWidget* window, const QString& text);
// The text the title bar shows.
QString caption(const QWidget* window);

} // namespace platform
