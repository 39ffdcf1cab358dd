#include "platform/placement.h"

#include "platform/application.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

const char* const filterName = "orvanePlacement";

QRect screenOf(const QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

// Places the window when its first Show event arrives. That event comes before
// the window is mapped, with its size already settled, so it never jumps.
class PlacementFilter : public QObject {
public:
    PlacementFilter(QWidget* window, Position position, QWidget* owner)
        : QObject(window), position_(position), owner_(owner)
    {
        setObjectName(QLatin1String(filterName));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent() || event->type() != QEvent::Show)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        place(window);
        window->removeEventFilter(this);
        deleteLater();
        return false;
    }

private:
    void place(QWidget* window)
    {
        const QSize size = window->frameGeometry().size();
        QWidget* owner = owner_.data();
        if (position_ == Position::OwnerFormCenter && !owner && Application::exists()) {
            owner = Application::instance().mainWindow();
            if (owner == window)
                owner = nullptr;
        }
        if (position_ == Position::OwnerFormCenter && owner)
            window->move(ownerCentredPosition(owner->window()->frameGeometry(), size));
        else
            window->move(screenCentredPosition(screenOf(window), size));
    }

    Position position_;
    QPointer<QWidget> owner_;
};

} // namespace

void setPosition(QWidget* window, Position position, QWidget* owner)
{
    if (!window)
        return;
    if (QObject* old = window->findChild<QObject*>(QLatin1String(filterName), Qt::FindDirectChildrenOnly)) {
        window->removeEventFilter(old);
        delete old;
    }
    if (position == Position::ScreenCenter || position == Position::OwnerFormCenter)
        window->installEventFilter(new PlacementFilter(window, position, owner));
}

QPoint screenCentredPosition(const QRect& screen, const QSize& window)
{
    // Integer division truncates toward zero, as the rounding wants.
    const int left = std::max(0, (screen.width() - window.width()) / 2);
    const int top = std::max(0, (screen.height() - window.height()) / 2);
    return QPoint(screen.x() + left, screen.y() + top);
}

QPoint ownerCentredPosition(const QRect& owner, const QSize& window)
{
    const int left = owner.x() + (owner.width() - window.width()) / 2;
    const int top = owner.y() + (owner.height() - window.height()) / 2;
    return QPoint(std::max(0, left), std::max(0, top));
}

} // namespace platform
