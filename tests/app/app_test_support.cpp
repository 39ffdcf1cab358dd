#include "app_test_support.h"

#include "app/main.h"
#include "app/save.h"
#include "app/startup.h"
#include "core/jpeg_image.h"
#include "test_support.h"
#include "ui_main.h"
#include "ui_save.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTimer>
#include <QWidget>

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

bool startWithPhotos(const QString& folder, const QList<Photo>& photos, std::unique_ptr<WindowSet>& windows)
{
    for (const Photo& photo : photos)
        writeJpeg(folder + QStringLiteral("/") + photo.name, photo.width, photo.height);
    if (!QDir::setCurrent(folder))
        return false;
    windows = std::make_unique<WindowSet>();
    frmMain->show();
    if (!QTest::qWaitForWindowExposed(frmMain))
        return false;
    QList<int> rows;
    for (int i = 0; i < photos.size(); ++i)
        rows << i;
    selectRows(frmMain->ui()->lstFile, rows);
    return frmMain->thumbCount() == photos.size();
}

QSize jpegSize(const QString& path)
{
    core::JpegImage image;
    if (image.loadFromFile(path.toStdString()) != core::JpegLoadStatus::ok)
        return {};
    return QSize(image.width(), image.height());
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

class DialogSteps::Filter : public QObject {
public:
    explicit Filter(DialogSteps* owner) : owner_(owner) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return owner_->eventFilter(watched, event); }

private:
    DialogSteps* owner_;
};

DialogSteps::DialogSteps(QList<Step> steps) : filter_(new Filter(this)), steps_(std::move(steps))
{
    frmSave->installEventFilter(filter_);
}

DialogSteps::~DialogSteps()
{
    if (frmSave)
        frmSave->removeEventFilter(filter_);
    delete filter_;
}

bool DialogSteps::eventFilter(QObject* watched, QEvent* event)
{
    // The step runs once the modal loop has started, as a user's first key would.
    if (watched == frmSave && event->type() == QEvent::Show && !event->spontaneous())
        QTimer::singleShot(0, filter_, [this] { runStep(); });
    return false;
}

void DialogSteps::runStep()
{
    const int index = showings_++;
    // A person acts once the dialog is up and has the keyboard; a click that came
    // before the window system activated it would see a focus that is then moved.
    if (!QTest::qWaitForWindowActive(frmSave))
        ++unplanned_;
    if (index < steps_.size())
        steps_[index]();
    if (index >= steps_.size() || frmSave->isVisible())
        ++unplanned_;
    if (frmSave->isVisible()) {
        frmSave->ui()->chkSame->setChecked(true);
        frmSave->ui()->cmdCancel->click();
    }
}

void click(QWidget* control)
{
    const QPoint centre = control->rect().center();
    QWidget* target = control->childAt(centre);
    if (!target)
        target = control;
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(control, centre));
}

void typeText(QWidget* window, const QString& text)
{
    for (QChar c : text) {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window;
        QTest::keyClick(target, c.toLatin1());
    }
}

void pressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, key, modifiers);
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
