#pragma once

#include "platform/picture.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>

namespace platform {

// An image control: shows a shared picture inside its bounds as its flags say.
//  - stretch: scale the picture to the bounds (with proportional: the largest size
//    that fits, keeping the aspect ratio), enlarging as well as reducing;
//  - proportional without stretch: reduce a picture that does not fit, keeping the
//    aspect ratio; a smaller one keeps its own size;
//  - center: centre the picture in the bounds, else put it at the top left.
// The hint is the tooltip. A click with the left button emits clicked().
//
// The picture is decoded when the control is first painted, at the size it is
// shown (see Picture). With background decoding on, painting never waits: it draws
// what the picture holds (nothing at first) and the control repaints itself when
// the pixels arrive. A picture whose file loaded but cannot be decoded, or that has
// no size, shows as an empty box with a thin frame.
class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);

    const std::shared_ptr<Picture>& picture() const { return picture_; }
    // Copying a picture from another control shares it: pass other->picture().
    void setPicture(std::shared_ptr<Picture> picture);

    bool stretch() const { return stretch_; }
    void setStretch(bool on);
    bool proportional() const { return proportional_; }
    void setProportional(bool on);
    bool center() const { return center_; }
    void setCenter(bool on);

    bool backgroundDecoding() const { return background_; }
    void setBackgroundDecoding(bool on) { background_ = on; }

    // The hint is shown as it is, also when it happens to look like markup.
    QString hint() const { return hint_; }
    void setHint(const QString& text);

    // Where the picture is drawn, in the control's coordinates.
    QRect destRect() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void draw();

    std::shared_ptr<Picture> picture_;
    QString hint_;
    bool stretch_ = false;
    bool proportional_ = false;
    bool center_ = false;
    bool background_ = false;
    bool pressed_ = false;
    // The picture scaled to the last size drawn, so a repaint does not scale again.
    QImage scaled_;
    qint64 scaledFrom_ = 0; // cacheKey() of the pixels it was scaled from
};

} // namespace platform
