#include "platform/message.h"

#include "platform/application.h"
#include "platform/placement.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace platform {

namespace {

MessageSink& sink()
{
    static MessageSink current;
    return current;
}

// A message box settles its size in its own show handler, after any event
// filter has seen the Show event, so it centres itself right after that.
class CentredMessageBox : public QMessageBox {
protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (screen)
            move(screenCentredPosition(screen->geometry(), frameGeometry().size()));
    }
};

} // namespace

void showMessage(const QString& text)
{
    if (sink()) {
        sink()(text);
        return;
    }
    CentredMessageBox box;
    box.setWindowTitle(Application::exists() ? Application::instance().title() : QCoreApplication::applicationName());
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

MessageSink setMessageSink(MessageSink replacement)
{
    MessageSink previous = std::move(sink());
    sink() = std::move(replacement);
    return previous;
}

} // namespace platform
