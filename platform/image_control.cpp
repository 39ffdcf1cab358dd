#include "platform/image_control.h"

#include "platform/application.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

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

QRect ImageControl::destRect() const
{
    const int cw = width(), ch = height();
    int w = picture_ ? picture_->width() : 0;
    int h = picture_ ? picture_->height() : 0;
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            const double aspect = double(w) / double(h);
            if (w > h) {
                w = cw;
                h = int(double(cw) / aspect);
                if (h > ch) {
                    h = ch;
                    w = int(double(ch) * aspect);
                }
            } else {
                h = ch;
                w = int(double(ch) * aspect);
                if (w > cw) {
                    w = cw;
                    h = int(double(cw) / aspect);
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
    QPainter painter(this);
    if (!picture_)
        return;
    const QRect target = destRect();
    const qreal ratio = devicePixelRatioF();
    const int needW = int(target.width() * ratio + 0.5), needH = int(target.height() * ratio + 0.5);
    const QImage* pixels = picture_->width() > 0 ? picture_->display(needW, needH) : nullptr;
    if (!pixels) {
        // A file that loads but cannot be decoded shows its empty box with a thin frame.
        if (picture_->decodeFailed() || picture_->width() == 0) {
            painter.setPen(palette().color(QPalette::Mid));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        return;
    }
    if (target.isEmpty())
        return;
    const qint64 key = (qint64(picture_->displayScale()) << 48) | (qint64(needW) << 24) | needH;
    if (scaledKey_ != key || scaled_.isNull()) {
        scaled_ = pixels->size() == QSize(needW, needH)
                      ? pixels->copy()
                      : pixels->scaled(needW, needH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(ratio);
        scaledKey_ = key;
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

} // namespace platform
