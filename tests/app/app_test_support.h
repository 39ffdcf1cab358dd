#pragma once

// Shared pieces of the window tests: the application object, the window set,
// recorded messages, JPEG files made with libjpeg, and acting inside a modal loop.

#include "platform/application.h"
#include "platform/message.h"

#include <QRgb>
#include <QString>
#include <QStringList>
#include <QTest>

#include <functional>

class QListWidget;
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

// A JPEG of one colour, so that what a control draws can be told from its background.
void writeSolidJpeg(const QString& path, int width, int height, QRgb colour);

// Clicks the file list's rows as a user would: the first plainly, the others with Ctrl.
void selectRows(QListWidget* list, const QList<int>& rows);
// Clicks the first row, then Shift-clicks the last: one selection change for the range.
void selectRange(QListWidget* list, int first, int last);

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
