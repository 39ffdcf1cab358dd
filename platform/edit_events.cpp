#include "platform/edit_events.h"

#include "platform/application.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QValidator>

namespace platform {

namespace {

class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QObject* parent, std::function<bool(QChar)> keep) : QObject(parent), keep_(std::move(keep)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::InputMethod) {
            filterComposedText(watched, static_cast<QInputMethodEvent*>(event));
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty())
            return false;
        const QChar c = text.at(0);
        if (c == QChar(9) || c == QChar(13) || c == QChar(10) || c == QChar(27) || c == QChar(127))
            return false;
        bool keep = true;
        guarded(watched, [&] { keep = keep_(c); });
        return !keep;
    }

private:
    // Text an input method composes arrives in one piece; each of its characters
    // passes the same test as a typed one, so the filter cannot be got round by
    // typing with the input method on.
    void filterComposedText(QObject* watched, QInputMethodEvent* event)
    {
        const QString composed = event->commitString();
        if (composed.isEmpty())
            return;
        QString kept;
        guarded(watched, [&] {
            for (const QChar c : composed)
                if (keep_(c))
                    kept += c;
        });
        if (kept != composed)
            event->setCommitString(kept, event->replacementStart(), event->replacementLength());
    }

    std::function<bool(QChar)> keep_;
};

// Accepts any text up to a length, so typing and pasting stop there while text
// set by the program is left whole.
class LengthValidator : public QValidator {
public:
    LengthValidator(QObject* parent, int length) : QValidator(parent), length_(length) {}
    State validate(QString& input, int&) const override
    {
        return input.size() <= length_ ? Acceptable : Invalid;
    }

private:
    int length_;
};

bool isPartOf(const QWidget* widget, const QWidget* control)
{
    for (; widget; widget = widget->parentWidget())
        if (widget == control)
            return true;
    return false;
}

} // namespace

void setKeyPressFilter(QWidget* control, std::function<bool(QChar)> keep)
{
    auto* filter = new KeyPressFilter(control, std::move(keep));
    control->installEventFilter(filter);
    // An editable combo box types into its line edit.
    for (QLineEdit* edit : control->findChildren<QLineEdit*>())
        edit->installEventFilter(filter);
}

void setExitHandler(QWidget* control, std::function<void()> handler)
{
    QPointer<QWidget> guard(control);
    QObject::connect(qApp, &QApplication::focusChanged, control,
                     [guard, handler](QWidget* old, QWidget* now) {
                         if (!guard || !old || !now || !isPartOf(old, guard) || isPartOf(now, guard))
                             return;
                         if (now->window() != guard->window())
                             return;
                         guarded(guard, handler);
                     });
}

void setMaxLength(QLineEdit* edit, int length) { edit->setValidator(new LengthValidator(edit, length)); }

} // namespace platform
