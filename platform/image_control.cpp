#include "platform/image_control.h"

#include "platform/application.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument> // Qt::mightBeRichText

#include <limits>

namespace platform {

static_assert(std::numeric_limits<long double>::digits == 64, "the fit arithmetic needs the x87 extended format");

ImageControl::ImageControl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageControl::setPicture(std::shared_ptr<Picture> picture)
{
    picture_ = std::move(picture);
    scaled_ = QImage();
    update();
}

void ImageControl::setStretch(bool on) { stretch_ = on; update(); }
void ImageControl::setProportional(bool on) { proportional_ = on; update(); }
void ImageControl::setCenter(bool on) { center_ = on; update(); }

void ImageControl::setHint(const QString& text)
{
    hint_ = text;
    // A tooltip that looks like markup ("<b>" in a file name) would be rendered as
    // such; escaped, it shows the text as it is, on one line.
    setToolTip(Qt::mightBeRichText(text) ? QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped()
                                                + QStringLiteral("</p>")
                                          : text);
}

QRect ImageControl::destRect() const
{
    const int cw = width(), ch = height();
    int w = picture_ ? picture_->width() : 0;
    int h = picture_ ? picture_->height() : 0;
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            // The ratio is stored as a double; the side computed from it is worked
            // out in extended precision and truncated, so a ratio stored a hair above
            // its true value loses a pixel: 320 x 200 fits 160 x 120 as 160 x 99.
            const double aspect = double(w) / double(h);
            if (w > h) {
                w = cw;
                h = int(static_cast<long double>(cw) / aspect);
                if (h > ch) {
                    h = ch;
                    w = int(static_cast<long double>(ch) * aspect);
                }
            } else {
                h = ch;
                w = int(static_cast<long double>(ch) * aspect);
                if (w > cw) {
                    w = cw;
                    h = int(static_cast<long double>(cw) / aspect);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    int x = 0, y = 0;
    if (center_) {
        x = (cw - w) / 2;
        y = (ch - h) / 2;
    }
    return QRect(x, y, w, h);
}

void ImageControl::paintEvent(QPaintEvent*)
{
    guarded(this, [this] { draw(); });
}

void ImageControl::draw()
{
    if (!picture_)
        return;
    QPainter painter(this);
    const QRect target = destRect();
    const qreal ratio = devicePixelRatioF();
    const int needW = qRound(target.width() * ratio), needH = qRound(target.height() * ratio);
    const QImage* pixels = nullptr;
    if (picture_->image().loaded() && needW > 0 && needH > 0)
        pixels = background_ ? picture_->displayLater(needW, needH, this) : picture_->display(needW, needH);
    if (!pixels) {
        // Nothing to show yet, or ever: a file of no size, or one that does not decode.
        if (!picture_->image().loaded() || picture_->decodeFailed()) {
            painter.setPen(palette().color(QPalette::Mid));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        return;
    }
    if (scaled_.isNull() || scaledFrom_ != pixels->cacheKey() || scaled_.size() != QSize(needW, needH)) {
        scaled_ = pixels->size() == QSize(needW, needH)
                      ? *pixels
                      : pixels->scaled(needW, needH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(ratio);
        scaledFrom_ = pixels->cacheKey();
    }
    painter.drawImage(target.topLeft(), scaled_);
}

void ImageControl::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

void ImageControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first press and release of a double click made the click; the second
    // press does not make another.
    pressed_ = false;
    event->ignore();
}

} // namespace platform
