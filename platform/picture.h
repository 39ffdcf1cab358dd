#pragma once

#include "core/bitmap32.h"
#include "core/jpeg_image.h"

#include <QImage>
#include <QString>

#include <memory>

namespace platform {

// A JPEG picture as the windows hold it: the whole file and its header facts, and
// the pixels decoded for display. Every control that shows the picture shares one
// Picture, so a copy neither reads the file again nor decodes it again.
//
// Display pixels come from libjpeg's scaled decoding at the smallest scale (1/8 to
// 8/8) that still gives at least the size asked for; a larger request decodes again
// at a larger scale. The resize job never uses them: it decodes the file at full
// size with its own settings.
class Picture {
public:
    // Reads the file whole and its headers; null when it cannot be read or is not a
    // JPEG. A file of 0 bytes gives a picture without size.
    static std::shared_ptr<Picture> fromFile(const QString& path);

    const core::JpegImage& image() const { return image_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

    // The decoded picture, at least minWidth x minHeight where the file allows;
    // null when it cannot be decoded (damaged data, a picture without size).
    const QImage* display(int minWidth, int minHeight);
    bool decodeFailed() const { return failed_; }
    // 0 while nothing is decoded, else the scale (of 8) of the pixels held.
    int displayScale() const { return scale_; }

private:
    core::JpegImage image_;
    core::Bitmap32 bitmap_;
    QImage display_;
    int scale_ = 0;
    bool failed_ = false;
};

} // namespace platform
