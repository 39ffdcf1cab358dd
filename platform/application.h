#pragma once

#include <QApplication>
#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace platform {

// The silent-abort error: the error handler drops it without calling the hook.
class AbortError : public std::exception {
public:
    const char* what() const noexcept override { return "aborted"; }
};

// The one application object. It owns the QApplication, carries the title and
// the help file, and holds the error policy: every handler runs through
// guarded() or bind(), so no exception ever crosses a Qt frame.
class Application {
public:
    using ExceptionHook = std::function<void(QObject* sender, std::exception_ptr error)>;

    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application& instance();
    static bool exists();

    QApplication& qt();

    QString title() const;
    void setTitle(const QString& title);
    QString helpFile() const;
    void setHelpFile(const QString& path);

    // The executable's folder followed by "/".
    static QString exeFolder();

    // The error hook (OnException). Unset at first.
    void setOnException(ExceptionHook hook);
    bool hasOnException() const;

    // Ends any mouse grab, drops AbortError, passes every other error to the hook.
    // Without a hook the error's text is shown in a message box.
    void handleException(QObject* sender, std::exception_ptr error);

    // WinHelp-style requests on the help file: 3 contents, 11 search page,
    // 1 the topic numbered data, 2 closes the viewer; other commands do nothing.
    void helpCommand(int command, int data);
    // A topic by context number (what F1 asks for).
    void helpContext(int context);

    // The first window made becomes the main window; closing it ends the program.
    void setMainWindow(QWidget* window);
    QWidget* mainWindow() const;

    // Shows the main window and runs the message loop until it is closed.
    int run();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Runs fn under the error policy.
template <class F>
void guarded(QObject* sender, F&& fn) noexcept
{
    try {
        std::forward<F>(fn)();
    } catch (...) {
        if (Application::exists())
            Application::instance().handleException(sender, std::current_exception());
    }
}

// Connects a Qt signal to a handler that runs under the error policy. A handler
// that takes no arguments may be bound to a signal that has some.
template <class Sender, class Signal, class Handler>
QMetaObject::Connection bind(Sender* sender, Signal signal, QObject* context, Handler handler)
{
    return QObject::connect(sender, signal, context,
                            [sender, handler](auto&&... args) {
                                guarded(sender, [&] {
                                    if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                                        handler(std::forward<decltype(args)>(args)...);
                                    else
                                        handler();
                                });
                            });
}

// HelpContext of a window or control. helpContextOf() gives what F1 asks for:
// the widget's own context, or that of its nearest parent inside the same
// window that has one (a window's owner is not asked). 0 means none.
void setHelpContext(QWidget* widget, int context);
int helpContextOf(const QWidget* widget);

} // namespace platform
