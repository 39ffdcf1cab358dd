#pragma once

#include <QScrollBar>

namespace platform {

// A scroll bar whose arrow keys move it as the platform's scroll bar does: Left
// and Up toward the minimum, Right and Down toward the maximum. Qt's own scroll
// bar inverts its controls so that Up and Page Up go toward the minimum, and for
// a horizontal bar that inversion turns Left and Right round as well.
class ScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit ScrollBar(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace platform
