#include "platform/picture.h"

namespace platform {

std::shared_ptr<Picture> Picture::fromFile(const QString& path)
{
    auto picture = std::make_shared<Picture>();
    const core::JpegLoadStatus status = picture->image_.loadFromFile(path.toStdString());
    if (status != core::JpegLoadStatus::ok && status != core::JpegLoadStatus::emptyFile)
        return nullptr;
    return picture;
}

const QImage* Picture::display(int minWidth, int minHeight)
{
    if (failed_)
        return nullptr;
    if (!image_.loaded()) {
        failed_ = true;
        return nullptr;
    }
    const int wanted = core::JpegImage::scaleForAtLeast(image_.width(), image_.height(), minWidth, minHeight);
    if (scale_ >= wanted)
        return &display_;

    core::Bitmap32 bitmap;
    if (image_.decodeScaled(wanted, bitmap) != core::JpegDecodeStatus::ok) {
        // Keep what was decoded before, if anything; a picture that never decodes
        // shows as an empty box.
        if (scale_ == 0)
            failed_ = true;
        return scale_ ? &display_ : nullptr;
    }
    bitmap_ = std::move(bitmap);
    display_ = QImage(reinterpret_cast<const uchar*>(bitmap_.data()), bitmap_.width(), bitmap_.height(),
                      qsizetype(bitmap_.bytesPerLine()), QImage::Format_RGB32);
    scale_ = wanted;
    return &display_;
}

} // namespace platform
