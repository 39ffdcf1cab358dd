#include "platform/picture.h"

#include <QFile>
#include <QObject>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <utility>

namespace platform {

// The worker threads behind pictures: display decodes, and the reading ahead of
// PictureReader, each on at most one thread per core, in pools of their own so that
// a new selection never waits behind the decodes for the one before.
//
// A decode sees only its own copy of a JpegImage (whose file bytes nobody changes)
// and a weak reference to the Picture, which it never locks: the pixels go back to
// the GUI thread, where the Picture is looked up and, if it still exists, takes them.
class PictureWorkers : public QObject {
public:
    static PictureWorkers& instance()
    {
        if (!current_)
            current_ = new PictureWorkers;
        return *current_;
    }

    static void stop()
    {
        delete current_;
        current_ = nullptr;
    }

    void decode(const std::shared_ptr<Picture>& picture, int scale)
    {
        decoding_.start([this, weak = std::weak_ptr<Picture>(picture), image = picture->image(), scale] {
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

    std::future<std::shared_ptr<Picture>> read(const QString& path)
    {
        auto promise = std::make_shared<std::promise<std::shared_ptr<Picture>>>();
        std::future<std::shared_ptr<Picture>> picture = promise->get_future();
        // A read dropped unstarted by stop() breaks its promise, which ends any wait.
        reading_.start([promise, path] {
            try {
                promise->set_value(Picture::fromFile(path));
            } catch (...) {
                promise->set_exception(std::current_exception());
            }
        });
        return picture;
    }

private:
    struct Result {
        core::JpegDecodeStatus status = core::JpegDecodeStatus::notLoaded;
        core::Bitmap32 bitmap;
    };

    PictureWorkers()
    {
        for (QThreadPool* pool : {&decoding_, &reading_})
            pool->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    }

    ~PictureWorkers() override
    {
        // Decodes post to this object, so it outlives them; the results they posted
        // are dropped with it.
        for (QThreadPool* pool : {&decoding_, &reading_}) {
            pool->clear();
            pool->waitForDone();
        }
    }

    QThreadPool decoding_;
    QThreadPool reading_;
    static PictureWorkers* current_;
};

PictureWorkers* PictureWorkers::current_ = nullptr;

void stopPictureWork() { PictureWorkers::stop(); }

std::shared_ptr<Picture> Picture::fromFile(const QString& path)
{
    auto picture = std::make_shared<Picture>();
    const core::JpegLoadStatus status = picture->image_.loadFromFile(QFile::encodeName(path).toStdString());
    if (status != core::JpegLoadStatus::ok && status != core::JpegLoadStatus::emptyFile)
        return nullptr;
    return picture;
}

// One file more than there are workers: every worker reads while the GUI thread
// places the one it was handed.
PictureReader::PictureReader(QStringList paths)
    : paths_(std::move(paths)), ahead_(std::max(1, QThread::idealThreadCount()) + 1)
{
    reads_.reserve(std::size_t(paths_.size()));
}

PictureReader::~PictureReader()
{
    for (auto& read : reads_)
        if (read.valid())
            read.wait();
}

std::shared_ptr<Picture> PictureReader::take(int index)
{
    while (int(reads_.size()) < std::min(count(), index + ahead_))
        reads_.push_back(PictureWorkers::instance().read(paths_[int(reads_.size())]));
    try {
        return reads_[std::size_t(index)].get();
    } catch (const std::exception&) {
        return nullptr; // out of memory while loading: left out like any file that does not load
    }
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
    if (weak_from_this().expired())
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
    PictureWorkers::instance().decode(shared_from_this(), scale);
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
