#include "platform/window_style.h"

#include <QPalette>
#include <QString>
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

void setCaption(QWidget* window, const QString& text)
{
    QString escaped = text;
    escaped.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    window->setWindowTitle(escaped);
}

QString caption(const QWidget* window)
{
    QString text = window->windowTitle();
    text.replace(QStringLiteral("[*][*]"), QStringLiteral("[*]"));
    return text;
}

} // namespace platform
