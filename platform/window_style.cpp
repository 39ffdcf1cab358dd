#include "platform/window_style.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPalette>
#include <QThread>
#include <QString>
#include <QWidget>
#include <QWindow>

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

void showAndWaitExposed(QWidget* window)
{
    window->show();
    window->raise();
    // Mapping is a round trip to the window system; until the window is exposed
    // Qt drops every paint of it, so a window shown just before a long job would
    // stay blank (or not appear at all) until the job ends.
    const QDeadlineTimer deadline(500);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const QWindow* handle = window->windowHandle();
        if (!handle || handle->isExposed() || deadline.hasExpired())
            break;
        QThread::msleep(2);
    }
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
