#include "platform/window_style.h"

#include <QPalette>
#include <QWidget>

namespace platform {

void setDialogFrame(QWidget* window, int clientWidth, int clientHeight)
{
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window->setFixedSize(clientWidth, clientHeight);
}

void useButtonFace(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace platform
