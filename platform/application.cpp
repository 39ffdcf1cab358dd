#include "platform/application.h"

#include "platform/fonts.h"
#include "platform/help_viewer.h"
#include "platform/message.h"
#include "platform/picture.h"

#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <stdexcept>

namespace platform {

namespace {

// The help requests a window can make, by their old numbers.
constexpr int helpContextCommand = 1;
constexpr int helpQuitCommand = 2;
constexpr int helpContentsCommand = 3;
constexpr int helpFinderCommand = 11;

const char* const helpContextProperty = "orvaneHelpContext";

Application* current = nullptr;

QString describe(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("不明なエラーです。");
    }
}

// F1 asks for the help topic of the widget that has the key, or of the nearest
// parent inside the same window that has one.
class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        const int context = helpContextOf(widget);
        if (context == 0)
            return false;
        guarded(widget, [context] { Application::instance().helpContext(context); });
        return true;
    }
};

} // namespace

class QtApplication;

struct Application::Impl {
    std::unique_ptr<QtApplication> qt;
    QString title;
    QString helpFile;
    ExceptionHook hook;
    QPointer<QWidget> mainWindow;
    bool running = false;
    bool quitRequested = false;

    // Runs after every event has been delivered.
    void delivered(QObject* receiver, QEvent* event)
    {
        // Closing the main window ends the program; closing any other window does not.
        if (event->type() == QEvent::Close && event->isAccepted() && mainWindow && receiver == mainWindow.data()
            && running) {
            quitRequested = true;
            QCoreApplication::exit(0);
        }
    }
};

// The last net: an exception that escapes an event handler is caught here and
// goes through the same policy as one caught in a bound handler.
class QtApplication : public QApplication {
public:
    using Delivered = std::function<void(QObject*, QEvent*)>;

    QtApplication(int& argc, char** argv, Delivered delivered)
        : QApplication(argc, argv), delivered_(std::move(delivered))
    {
    }

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            const bool result = QApplication::notify(receiver, event);
            delivered_(receiver, event);
            return result;
        } catch (...) {
            if (Application::exists())
                Application::instance().handleException(receiver, std::current_exception());
            return true;
        }
    }

private:
    Delivered delivered_;
};

Application::Application(int& argc, char** argv) : impl_(std::make_unique<Impl>())
{
    if (current)
        throw std::logic_error("platform::Application exists already");
    Impl* impl = impl_.get();
    impl_->qt = std::make_unique<QtApplication>(
        argc, argv, [impl](QObject* receiver, QEvent* event) { impl->delivered(receiver, event); });
    current = this;
    // Only the main window ends the program (see Impl::delivered).
    impl_->qt->setQuitOnLastWindowClosed(false);
    impl_->qt->installEventFilter(new HelpKeyFilter(impl_->qt.get()));
    registerFontSubstitutions();
}

Application::~Application()
{
    closeHelp();
    // Display decodes hand their pixels back through the event loop, which goes next.
    stopPictureWork();
    impl_->qt.reset();
    current = nullptr;
}

Application& Application::instance()
{
    if (!current)
        throw std::logic_error("platform::Application has not been made");
    return *current;
}

bool Application::exists()
{
    return current != nullptr;
}

QApplication& Application::qt()
{
    return *impl_->qt;
}

QString Application::title() const
{
    return impl_->title;
}

void Application::setTitle(const QString& title)
{
    impl_->title = title;
    // Not the display name: Qt would append that to every window title.
    QCoreApplication::setApplicationName(title);
}

QString Application::helpFile() const
{
    return impl_->helpFile;
}

void Application::setHelpFile(const QString& path)
{
    impl_->helpFile = path;
}

QString Application::exeFolder()
{
    QString folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                  : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void Application::setOnException(ExceptionHook hook)
{
    impl_->hook = std::move(hook);
}

bool Application::hasOnException() const
{
    return static_cast<bool>(impl_->hook);
}

void Application::handleException(QObject* sender, std::exception_ptr error)
{
    // A drag or capture in progress would otherwise keep the mouse after the
    // handler that owned it has gone.
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    if (QWidget* grabber = QWidget::keyboardGrabber())
        grabber->releaseKeyboard();
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const AbortError&) {
        return;
    } catch (...) {
    }
    // Nothing outside would catch an error raised by the hook or the box itself.
    try {
        if (impl_->hook)
            impl_->hook(sender, error);
        else
            showMessage(describe(error));
    } catch (...) {
    }
}

void Application::helpCommand(int command, int data)
{
    switch (command) {
    case helpContentsCommand:
        openHelp(impl_->helpFile, HelpRequest::Contents);
        break;
    case helpFinderCommand:
        openHelp(impl_->helpFile, HelpRequest::Search);
        break;
    case helpContextCommand:
        helpContext(data);
        break;
    case helpQuitCommand:
        closeHelp();
        break;
    default:
        break;
    }
}

void Application::helpContext(int context)
{
    if (context != 0)
        openHelp(impl_->helpFile, HelpRequest::Topic, context);
}

void Application::setMainWindow(QWidget* window)
{
    impl_->mainWindow = window;
}

QWidget* Application::mainWindow() const
{
    return impl_->mainWindow.data();
}

int Application::run()
{
    if (!impl_->mainWindow)
        return 0;
    guarded(impl_->mainWindow.data(), [this] { impl_->mainWindow->show(); });
    impl_->running = true;
    impl_->quitRequested = false;
    int result = 0;
    // An error that escapes the loop itself (not an event handler: notify()
    // catches those) is handled like any other, and the loop goes on.
    for (;;) {
        try {
            result = impl_->qt->exec();
            break;
        } catch (...) {
            handleException(nullptr, std::current_exception());
            if (impl_->quitRequested || !impl_->mainWindow)
                break;
        }
    }
    impl_->running = false;
    return result;
}

void setHelpContext(QWidget* widget, int context)
{
    if (widget)
        widget->setProperty(helpContextProperty, context);
}

int helpContextOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const int context = w->property(helpContextProperty).toInt();
        if (context != 0)
            return context;
        // A window's owner is not asked: F1 in a window without a topic asks for nothing.
        if (w->isWindow())
            break;
    }
    return 0;
}

} // namespace platform
