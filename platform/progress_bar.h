#pragma once

#include <QProgressBar>

namespace platform {

// A progress bar that shows a new position at once, even while the caller keeps
// the event loop from running. It repaints only when the filled length changes,
// so setting the position once per picture row stays cheap.
class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);

    void setMax(int maximum);
    void setPosition(int position);
    int position() const { return value(); }
    int max() const { return maximum(); }

private:
    int filledPixels(int position) const;
};

} // namespace platform
