#include "app_test_support.h"

#include "app/startup.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTimer>

namespace app_test {

QString exeFolder() { return platform::Application::exeFolder(); }
QString stateIni() { return exeFolder() + QStringLiteral("STATE.INI"); }

QString readStateIni()
{
    QFile file(stateIni());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void removeStateIni() { QFile::remove(stateIni()); }

WindowSet::WindowSet() { createWindows(); }
WindowSet::~WindowSet() { destroyWindows(); }

MessageRecorder::MessageRecorder()
{
    previous_ = platform::setMessageSink([this](const QString& text) { texts << text; });
}

MessageRecorder::~MessageRecorder() { platform::setMessageSink(previous_); }

void writeJpeg(const QString& path, int width, int height, bool progressive, int components)
{
    testing_support::JpegFixture fixture;
    fixture.width = width;
    fixture.height = height;
    fixture.progressive = progressive;
    fixture.components = components;
    fixture.quality = 90;
    testing_support::writeBytes(path.toStdString(), testing_support::makeJpeg(fixture));
}

void writeSolidJpeg(const QString& path, int width, int height, QRgb colour)
{
    testing_support::JpegFixture fixture;
    fixture.width = width;
    fixture.height = height;
    fixture.quality = 95;
    fixture.pixel = [colour](int, int) { return std::uint32_t(colour & 0xFFFFFFu); };
    testing_support::writeBytes(path.toStdString(), testing_support::makeJpeg(fixture));
}

void selectRows(QListWidget* list, const QList<int>& rows)
{
    bool first = true;
    for (int row : rows) {
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        const QRect rect = list->visualItemRect(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, first ? Qt::NoModifier : Qt::ControlModifier,
                          rect.center());
        first = false;
    }
}

void selectRange(QListWidget* list, int first, int last)
{
    selectRows(list, {first});
    QListWidgetItem* item = list->item(last);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, list->visualItemRect(item).center());
}

void whenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, find, action] {
        QWidget* widget = find();
        if ((widget && widget->isVisible()) || clock->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            if (widget && widget->isVisible())
                action(widget);
        }
    });
    timer->start();
}

} // namespace app_test
