#pragma once

#include "core/bitmap32.h"
#include "core/jpeg_image.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <future>
#include <memory>
#include <vector>

namespace platform {

// A JPEG picture as the windows hold it: the whole file and its header facts, and
// the pixels decoded for display. Every control that shows the picture shares one
// Picture, so a copy neither reads the file again nor decodes it again.
//
// Display pixels come from libjpeg's scaled decoding at the smallest scale (1/8 to
// 8/8) that still gives at least the size asked for; a larger request decodes again
// at a larger scale and replaces the smaller pixels. The resize job never uses
// them: it decodes the file at full size with its own settings.
//
// A Picture belongs to the GUI thread once made (a PictureReader makes it on a
// worker and hands it over whole). A decode started by displayLater() runs on a
// worker with its own copy of the (immutable) file data and hands its pixels back
// through the GUI thread's event loop; a Picture destroyed meanwhile simply never
// receives them.
class Picture : public std::enable_shared_from_this<Picture> {
public:
    // Reads the file whole and its headers; null when it cannot be read or is not a
    // JPEG. A file of 0 bytes gives a picture without size.
    static std::shared_ptr<Picture> fromFile(const QString& path);

    const core::JpegImage& image() const { return image_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

    // The decoded picture, at least minWidth x minHeight where the file allows,
    // decoded now when the pixels held are smaller; null when it cannot be decoded
    // (damaged data, a picture without size).
    const QImage* display(int minWidth, int minHeight);

    // The same without waiting: the best pixels held now (possibly smaller than
    // asked, or null), and when they are too small a decode at the needed scale on
    // a worker thread. When it ends, requester is repainted (unless it is gone).
    const QImage* displayLater(int minWidth, int minHeight, QWidget* requester);

    // True once a decode has failed: no larger decode is tried again, and a
    // picture without pixels stays without them.
    bool decodeFailed() const { return failed_; }
    // 0 while nothing is decoded, else the scale (of 8) of the pixels held.
    int displayScale() const { return scale_; }
    // The scale being decoded on a worker, 0 when none.
    int pendingScale() const { return pendingScale_; }

private:
    friend class PictureWorkers;

    int scaleFor(int minWidth, int minHeight) const;
    void keep(int scale, core::Bitmap32 bitmap);
    void startDecode(int scale);
    // The outcome of a worker's decode, on the GUI thread.
    void receive(int scale, core::JpegDecodeStatus status, core::Bitmap32 bitmap);

    core::JpegImage image_;
    // Owns its pixels (a Bitmap32 freed with the last copy of the image), so a
    // larger decode can replace it while a copy is still being drawn.
    QImage display_;
    int scale_ = 0;
    int pendingScale_ = 0;
    int wantedScale_ = 0; // the largest scale asked for while a decode was running
    bool failed_ = false;
    std::vector<QPointer<QWidget>> waiting_;
};

// Reads the pictures of a list of files in its order, a few files ahead of the one
// asked for, on worker threads: reading a large file is mostly the kernel filling
// fresh memory, which the workers share out between the cores. take() hands them
// out in order, as Picture::fromFile would have made them.
class PictureReader {
public:
    explicit PictureReader(QStringList paths);
    // Waits for the reads still running and drops them.
    ~PictureReader();
    PictureReader(const PictureReader&) = delete;
    PictureReader& operator=(const PictureReader&) = delete;

    int count() const { return int(paths_.size()); }
    // The picture of paths[index], or null when it cannot be loaded. Indices are
    // asked for in increasing order.
    std::shared_ptr<Picture> take(int index);

private:
    QStringList paths_;
    std::vector<std::future<std::shared_ptr<Picture>>> reads_;
    int ahead_;
};

// Waits for the decodes and reads still running and drops those not started. The
// application object calls it before the Qt application goes.
void stopPictureWork();

} // namespace platform
