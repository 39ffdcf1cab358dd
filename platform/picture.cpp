#include "platform/picture.h"

#include <QFile>
#include <QObject>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <utility>

namespace platform {

// Runs display decodes on at most one thread per core. Workers see only their own
// copy of a JpegImage (whose file bytes nobody changes) and a weak reference to
// the Picture, which they never lock: the pixels go back to the GUI thread, where
// the Picture is looked up and, if it still exists, takes them.
class DisplayDecoder : public QObject {
public:
    static DisplayDecoder& instance()
    {
        if (!current_)
            current_ = new DisplayDecoder;
        return *current_;
    }

    static void stop()
    {
        delete current_;
        current_ = nullptr;
    }

    void start(const std::shared_ptr<Picture>& picture, int scale)
    {
        pool_.start([this, weak = std::weak_ptr<Picture>(picture), image = picture->image(), scale] {
            // Every control that showed it has gone (a new selection): skip the work.
            if (weak.expired())
                return;
            auto result = std::make_shared<Result>();
            result->status = image.decodeScaled(scale, result->bitmap);
            QMetaObject::invokeMethod(
                this,
                [weak, scale, result] {
                    if (const std::shared_ptr<Picture> picture = weak.lock())
                        picture->receive(scale, result->status, std::move(result->bitmap));
                },
                Qt::QueuedConnection);
        });
    }

private:
    struct Result {
        core::JpegDecodeStatus status = core::JpegDecodeStatus::notLoaded;
        core::Bitmap32 bitmap;
    };

    DisplayDecoder() { pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount())); }

    ~DisplayDecoder() override
    {
        // Workers post to this object, so it outlives them; the results they posted
        // are dropped with it.
        pool_.clear();
        pool_.waitForDone();
    }

    QThreadPool pool_;
    static DisplayDecoder* current_;
};

DisplayDecoder* DisplayDecoder::current_ = nullptr;

void stopDisplayDecoding() { DisplayDecoder::stop(); }

std::shared_ptr<Picture> Picture::fromFile(const QString& path)
{
    auto picture = std::make_shared<Picture>();
    const core::JpegLoadStatus status = picture->image_.loadFromFile(QFile::encodeName(path).toStdString());
    if (status != core::JpegLoadStatus::ok && status != core::JpegLoadStatus::emptyFile)
        return nullptr;
    return picture;
}

int Picture::scaleFor(int minWidth, int minHeight) const
{
    return core::JpegImage::scaleForAtLeast(image_.width(), image_.height(), minWidth, minHeight);
}

void Picture::keep(int scale, core::Bitmap32 bitmap)
{
    auto* owner = new core::Bitmap32(std::move(bitmap));
    display_ = QImage(
        reinterpret_cast<uchar*>(owner->data()), owner->width(), owner->height(), qsizetype(owner->bytesPerLine()),
        QImage::Format_RGB32, [](void* info) { delete static_cast<core::Bitmap32*>(info); }, owner);
    scale_ = scale;
}

const QImage* Picture::display(int minWidth, int minHeight)
{
    if (!image_.loaded())
        failed_ = true;
    const int wanted = scaleFor(minWidth, minHeight);
    if (failed_ || scale_ >= wanted)
        return scale_ ? &display_ : nullptr;

    core::Bitmap32 bitmap;
    if (image_.decodeScaled(wanted, bitmap) != core::JpegDecodeStatus::ok) {
        // Keep what was decoded before, if anything; a picture that never decodes
        // shows as an empty box.
        failed_ = true;
        return scale_ ? &display_ : nullptr;
    }
    keep(wanted, std::move(bitmap));
    return &display_;
}

const QImage* Picture::displayLater(int minWidth, int minHeight, QWidget* requester)
{
    std::shared_ptr<Picture> self = weak_from_this().lock();
    if (!self)
        return display(minWidth, minHeight); // not shared, so nothing can wait on it
    if (!image_.loaded())
        failed_ = true;
    const int wanted = scaleFor(minWidth, minHeight);
    if (failed_ || scale_ >= wanted)
        return scale_ ? &display_ : nullptr;

    if (requester && std::find(waiting_.begin(), waiting_.end(), requester) == waiting_.end())
        waiting_.emplace_back(requester);
    if (pendingScale_ == 0)
        startDecode(wanted);
    else if (wanted > pendingScale_)
        wantedScale_ = std::max(wantedScale_, wanted);
    return scale_ ? &display_ : nullptr;
}

void Picture::startDecode(int scale)
{
    pendingScale_ = scale;
    DisplayDecoder::instance().start(shared_from_this(), scale);
}

void Picture::receive(int scale, core::JpegDecodeStatus status, core::Bitmap32 bitmap)
{
    pendingScale_ = 0;
    // A decode done meanwhile on the GUI thread may already hold more.
    if (scale > scale_) {
        if (status == core::JpegDecodeStatus::ok)
            keep(scale, std::move(bitmap));
        else
            failed_ = true;
    }
    // A control grew while this one ran (a viewer maximized): go on to its size.
    const int next = wantedScale_;
    wantedScale_ = 0;
    if (!failed_ && next > scale_)
        startDecode(next);

    std::vector<QPointer<QWidget>> waiting;
    waiting.swap(waiting_);
    for (const QPointer<QWidget>& widget : waiting)
        if (widget)
            widget->update();
}

} // namespace platform
