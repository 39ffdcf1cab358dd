#pragma once

// Shared pieces of the window tests: the application object, the window set,
// recorded messages, JPEG files made with libjpeg, and acting inside a modal loop.

#include "platform/application.h"
#include "platform/message.h"

#include <QSize>
#include <QRgb>
#include <QString>
#include <QStringList>
#include <QTest>

#include <functional>
#include <memory>

class QEvent;
class QListWidget;
class QObject;
class QWidget;

namespace app_test {

// The folder of the test executable, where the program keeps STATE.INI.
QString exeFolder();
QString stateIni();
QString readStateIni();
void removeStateIni();

// The four windows, made and destroyed as the program does at start and end.
class WindowSet {
public:
    WindowSet();
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;
};

// Records every message-box text instead of showing the box.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    QStringList texts;

private:
    platform::MessageSink previous_;
};

// A JPEG file of the given size made by libjpeg (colour, baseline unless asked).
void writeJpeg(const QString& path, int width, int height, bool progressive = false, int components = 3);

// Photos for a resize command: JPEG files of these sizes in the source folder.
struct Photo {
    QString name;
    int width;
    int height;
};

// Writes the photos into folder and starts the program there, so that the main
// window's folder list and the dialog's destination list both start on it; shows
// the main window and selects every photo in the file list as a user would.
// False when that did not give one thumbnail per photo.
bool startWithPhotos(const QString& folder, const QList<Photo>& photos, std::unique_ptr<WindowSet>& windows);

// Width and height from a JPEG file's headers; invalid when it is not one.
QSize jpegSize(const QString& path);
// A JPEG of one colour, so that what a control draws can be told from its background.
void writeSolidJpeg(const QString& path, int width, int height, QRgb colour);

// Clicks the file list's rows as a user would: the first plainly, the others with Ctrl.
void selectRows(QListWidget* list, const QList<int>& rows);
// Clicks the first row, then Shift-clicks the last: one selection change for the range.
void selectRange(QListWidget* list, int first, int last);

// The resize command driven from inside the dialog's own modal loop: step i runs
// at the dialog's i-th showing (counted from 0), once the dialog is active. A step has to end its showing
// (OK with a job that succeeds, or Cancel). A showing without a step, and a step
// that leaves the dialog open, are counted in unplanned and end the whole command
// (tick and Cancel), so that a failing test cannot hang in the dialog.
class DialogSteps {
public:
    using Step = std::function<void()>;
    explicit DialogSteps(QList<Step> steps = {});
    ~DialogSteps();
    DialogSteps(const DialogSteps&) = delete;
    DialogSteps& operator=(const DialogSteps&) = delete;

    int showings() const { return showings_; }
    int unplanned() const { return unplanned_; }

private:
    bool eventFilter(QObject* watched, QEvent* event);
    void runStep();

    class Filter;
    Filter* filter_;
    QList<Step> steps_;
    int showings_ = 0;
    int unplanned_ = 0;
};

// What a user does in a window: a click at the centre of a control (on whatever
// part of it lies there, such as a combo box's line edit), which also moves the
// focus; keys typed into whichever control of the window has the focus, so they
// pass the key filters and reach the dialog's handling of Enter and Escape.
void click(QWidget* control);
void typeText(QWidget* window, const QString& text);
void pressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Runs action on the next turn of whatever event loop is running, which is how a
// test reaches into a modal dialog or message box. Polls until the widget returned
// by find is visible, for at most a few seconds.
void whenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> action);

} // namespace app_test

#define ORVANE_APP_TEST_MAIN(TestClass)                                                                               \
    int main(int argc, char** argv)                                                                                  \
    {                                                                                                                \
        platform::Application app(argc, argv);                                                                       \
        app.setTitle(QStringLiteral("Orvane"));                                                                      \
        app.setHelpFile(QStringLiteral("Orvane.hlp"));                                                               \
        TestClass test;                                                                                              \
        return QTest::qExec(&test, argc, argv);                                                                      \
    }
