// The application object: the error policy around handlers and events, and
// which window ends the message loop.

#include "application_main.h"

#include "platform/application.h"
#include "platform/message.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QTest>

#include <stdexcept>

using platform::AbortError;
using platform::Application;

namespace {

const QEvent::Type throwingEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

enum class ErrorKind { Runtime, Abort, NotAnException };

[[noreturn]] void throwError(ErrorKind kind, const char* text)
{
    switch (kind) {
    case ErrorKind::Runtime:
        throw std::runtime_error(text);
    case ErrorKind::Abort:
        throw AbortError();
    case ErrorKind::NotAnException:
        throw 42;
    }
    throw std::logic_error("unreachable");
}

// A widget whose own event handlers throw, so that only notify() can catch.
class ThrowingWidget : public QWidget {
public:
    ErrorKind kind = ErrorKind::Runtime;
    int pressesHandled = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == throwingEvent)
            throwError(kind, "from event()");
        return QWidget::event(e);
    }
    void mousePressEvent(QMouseEvent*) override
    {
        ++pressesHandled;
        if (pressesHandled == 1)
            throwError(kind, "from mousePressEvent()");
    }
};

// Refuses to close while `refuse` is set, as a window asking to save would.
class MainWindow : public QWidget {
public:
    bool refuse = false;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        if (refuse)
            e->ignore();
        else
            e->accept();
    }
};

void later(std::function<void()> step)
{
    QMetaObject::invokeMethod(qApp, std::move(step), Qt::QueuedConnection);
}

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void errorInBoundHandlerGoesToHookAndNextClickWorks();
    void withoutHookTheErrorTextIsShown();
    void abortErrorNeverReachesTheHook_data();
    void abortErrorNeverReachesTheHook();
    void grabsAreReleased_data();
    void grabsAreReleased();
    void notifyCatchesWhatEscapesEventHandlers_data();
    void notifyCatchesWhatEscapesEventHandlers();
    void errorInTheHookItselfIsContained();
    void onlyClosingTheMainWindowEndsTheLoop();

private:
    struct Report {
        QObject* sender;
        QString text;
    };
    QList<Report> hookCalls_;
    QStringList shown_;
    platform::MessageSink previousSink_;
};

void ApplicationTest::init()
{
    hookCalls_.clear();
    shown_.clear();
    Application::instance().setOnException([this](QObject* sender, std::exception_ptr error) {
        QString text;
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            text = QString::fromUtf8(e.what());
        } catch (...) {
            text = QStringLiteral("<not a std::exception>");
        }
        hookCalls_.append({sender, text});
    });
    previousSink_ = platform::setMessageSink([this](const QString& text) { shown_ << text; });
}

void ApplicationTest::cleanup()
{
    Application::instance().setOnException(nullptr);
    platform::setMessageSink(previousSink_);
}

void ApplicationTest::errorInBoundHandlerGoesToHookAndNextClickWorks()
{
    QPushButton button(QStringLiteral("押す"));
    int clicks = 0;
    QString state = QStringLiteral("before");
    platform::bind(&button, &QPushButton::clicked, &button, [&](bool) {
        ++clicks;
        state = QStringLiteral("changed");
        if (clicks == 1)
            throw std::runtime_error("first click fails");
        state = QStringLiteral("finished");
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(state, QStringLiteral("changed")); // what ran before the error stays
    QCOMPARE(hookCalls_.size(), 1);
    QCOMPARE(hookCalls_[0].sender, &button);
    QCOMPARE(hookCalls_[0].text, QStringLiteral("first click fails"));
    QVERIFY(shown_.isEmpty());

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(state, QStringLiteral("finished"));
    QCOMPARE(hookCalls_.size(), 1);
    QVERIFY(shown_.isEmpty());
}

void ApplicationTest::withoutHookTheErrorTextIsShown()
{
    Application::instance().setOnException(nullptr);
    QObject sender;
    platform::guarded(&sender, [] { throw std::runtime_error("ファイルを開けません"); });
    platform::guarded(&sender, [] { throw 42; });
    QCOMPARE(shown_.size(), 2);
    QCOMPARE(shown_[0], QStringLiteral("ファイルを開けません"));
    QVERIFY(!shown_[1].isEmpty());
}

void ApplicationTest::abortErrorNeverReachesTheHook_data()
{
    QTest::addColumn<bool>("withHook");
    QTest::newRow("hook set") << true;
    QTest::newRow("no hook") << false;
}

void ApplicationTest::abortErrorNeverReachesTheHook()
{
    QFETCH(bool, withHook);
    if (!withHook)
        Application::instance().setOnException(nullptr);
    QPushButton button;
    bool after = false;
    platform::bind(&button, &QPushButton::clicked, &button, [&](bool) {
        throw AbortError();
        after = true;
    });
    button.click();
    ThrowingWidget widget;
    widget.kind = ErrorKind::Abort;
    QEvent event(throwingEvent);
    QCoreApplication::sendEvent(&widget, &event);

    QVERIFY(!after);
    QVERIFY(hookCalls_.isEmpty());
    QVERIFY(shown_.isEmpty());
}

void ApplicationTest::grabsAreReleased_data()
{
    QTest::addColumn<ErrorKind>("kind");
    QTest::newRow("error") << ErrorKind::Runtime;
    QTest::newRow("silent abort") << ErrorKind::Abort;
}

void ApplicationTest::grabsAreReleased()
{
    QFETCH(ErrorKind, kind);
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.grabMouse();
    window.grabKeyboard();
    QCOMPARE(QWidget::mouseGrabber(), &window);
    QCOMPARE(QWidget::keyboardGrabber(), &window);

    platform::guarded(&window, [kind] { throwError(kind, "during a drag"); });

    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
}

void ApplicationTest::notifyCatchesWhatEscapesEventHandlers_data()
{
    QTest::addColumn<ErrorKind>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("std::exception") << ErrorKind::Runtime << QStringLiteral("from event()");
    QTest::newRow("not a std::exception") << ErrorKind::NotAnException << QStringLiteral("<not a std::exception>");
}

void ApplicationTest::notifyCatchesWhatEscapesEventHandlers()
{
    QFETCH(ErrorKind, kind);
    QFETCH(QString, expected);
    ThrowingWidget widget;
    widget.kind = kind;
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));

    // Sent at once.
    QEvent sent(throwingEvent);
    QVERIFY(QCoreApplication::sendEvent(&widget, &sent));
    QCOMPARE(hookCalls_.size(), 1);
    QCOMPARE(hookCalls_[0].sender, &widget);
    QCOMPARE(hookCalls_[0].text, expected);

    // Posted and delivered by the loop.
    QCoreApplication::postEvent(&widget, new QEvent(throwingEvent));
    QCoreApplication::sendPostedEvents(&widget, throwingEvent);
    QCOMPARE(hookCalls_.size(), 2);

    // A mouse press whose handler throws; the next press is handled normally.
    QTest::mousePress(&widget, Qt::LeftButton);
    QTest::mouseRelease(&widget, Qt::LeftButton);
    QTest::mousePress(&widget, Qt::LeftButton);
    QTest::mouseRelease(&widget, Qt::LeftButton);
    QCOMPARE(widget.pressesHandled, 2);
    QCOMPARE(hookCalls_.size(), 3);
    QVERIFY(shown_.isEmpty());
}

void ApplicationTest::errorInTheHookItselfIsContained()
{
    Application::instance().setOnException([](QObject*, std::exception_ptr) { throw std::runtime_error("hook"); });
    QObject sender;
    bool reachedEnd = false;
    platform::guarded(&sender, [] { throw std::runtime_error("handler"); });
    reachedEnd = true;
    QVERIFY(reachedEnd);
    QVERIFY(shown_.isEmpty());
}

void ApplicationTest::onlyClosingTheMainWindowEndsTheLoop()
{
    Application& app = Application::instance();
    MainWindow main;
    QWidget other;
    app.setMainWindow(&main);
    QStringList steps;

    // Each step runs in a later pass of the loop, so a step runs only if the
    // loop was still going after the one before it.
    later([&] {
        QVERIFY(main.isVisible()); // run() showed it
        other.show();
        main.hide();
        other.close(); // the last visible window, but not the main one
        steps << "other closed";
        later([&] {
            steps << "running after other closed";
            main.show();
            main.refuse = true;
            main.close();
            steps << "main refused";
            later([&] {
                steps << "running after refusal";
                QVERIFY(main.isVisible());
                main.refuse = false;
                main.close();
                steps << "main closed";
                later([&] { steps << "ran after main closed"; });
            });
        });
    });
    const int result = app.run();
    app.setMainWindow(nullptr);

    QCOMPARE(result, 0);
    QCOMPARE(steps, (QStringList{"other closed", "running after other closed", "main refused",
                                 "running after refusal", "main closed"}));
    QVERIFY(!main.isVisible());
    // What was still queued runs now, outside the finished loop.
    QCoreApplication::processEvents();
}

ORVANE_APPLICATION_TEST_MAIN(ApplicationTest)
#include "tst_application.moc"
