#include "platform/scroll_bar.h"

#include <QKeyEvent>

namespace platform {

ScrollBar::ScrollBar(QWidget* parent) : QScrollBar(parent) {}

void ScrollBar::keyPressEvent(QKeyEvent* event)
{
    if (orientation() == Qt::Horizontal && event->modifiers() == Qt::NoModifier &&
        (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        const bool towardMaximum = (event->key() == Qt::Key_Right) != isRightToLeft();
        triggerAction(towardMaximum ? SliderSingleStepAdd : SliderSingleStepSub);
        event->accept();
        return;
    }
    QScrollBar::keyPressEvent(event);
}

} // namespace platform
