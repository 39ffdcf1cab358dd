#include "platform/progress_bar.h"

namespace platform {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
}

int ProgressBar::filledPixels(int position) const
{
    const qint64 span = qint64(maximum()) - minimum();
    if (span <= 0)
        return 0;
    return int(qint64(width()) * (qint64(position) - minimum()) / span);
}

void ProgressBar::setMax(int maximum)
{
    // The bar keeps its minimum of 0; a position beyond a new maximum is kept
    // back to it, as the row bar's maximum changes from file to file.
    setRange(0, maximum < 0 ? 0 : maximum);
    if (isVisible())
        repaint();
}

void ProgressBar::setPosition(int position)
{
    // Like the bar it stands for, a position outside the range is held at its ends.
    position = position < minimum() ? minimum() : position > maximum() ? maximum() : position;
    const int before = filledPixels(value());
    setValue(position);
    if (isVisible() && filledPixels(value()) != before)
        repaint();
}

} // namespace platform
