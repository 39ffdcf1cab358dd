#include "core/resize_job.h"

#include <new>
#include <vector>

#include "core/area_average.h"
#include "core/file_io.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/size_rules.h"
#include "core/xrgb_buffer.h"

namespace core {

namespace {

struct TargetSize {
    std::int64_t width;
    std::int64_t height;
};

bool targetSizeFromTexts(const ResizeRequest& request, TargetSize& size)
{
    if (request.sizeMode == SizeMode::ratio) {
        const auto percent = strToInt(request.ratioText);
        if (!percent)
            return false;
        size.width = ratioSize(*percent, request.recordedWidth);
        size.height = ratioSize(*percent, request.recordedHeight);
        return true;
    }
    const auto width = strToInt(request.widthText);
    if (!width)
        return false;
    const auto height = strToInt(request.heightText);
    if (!height)
        return false;
    size.width = *width;
    size.height = *height;
    return true;
}

ResizeOutcome resize(const ResizeRequest& request, ResizeObserver& observer, PictureCodec& codec,
                     bool& saving)
{
    const std::string fileName = extractFileName(request.sourcePath);
    const std::string targetPath = joinPath(request.destinationFolder, fileName);

    // Nothing may be read or made before this test.
    if (isSameFolder(request.sourcePath, request.destinationFolder)) {
        observer.showMessage(messages::kSameFolder);
        return ResizeOutcome::sameFolder;
    }

    TargetSize size{};
    if (!targetSizeFromTexts(request, size))
        return ResizeOutcome::badSizeText;
    if (!targetSizeAllowed(size.width, size.height)) {
        observer.showMessage(messages::kBadTargetSize);
        return ResizeOutcome::badTargetSize;
    }
    const auto width = std::int32_t(size.width);
    const auto height = std::int32_t(size.height);
    const auto quality = std::uint8_t(request.quality & 0xFF);

    XrgbBuffer source;
    XrgbBuffer target;
    if (!codec.load(request.sourcePath) || !codec.decode(source) ||
        !(target = XrgbBuffer::create(width, height)).valid()) {
        observer.showMessage(messages::loadFailed(request.sourcePath));
        return ResizeOutcome::loadFailed;
    }

    observer.progressStart(fileName, height);
    areaAverage(source, target, [&observer](std::int32_t n) { observer.rowProgress(n); });
    source.reset();

    saving = true;
    std::vector<std::uint8_t> encoded;
    const bool encodedOk = codec.encode(target, quality, encoded);
    target.reset();
    if (!encodedOk ||
        replaceFile(request.destinationFolder, targetPath, encoded) != WriteFileStatus::ok) {
        observer.showMessage(messages::saveFailed(targetPath));
        return ResizeOutcome::saveFailed;
    }
    return ResizeOutcome::written;
}

} // namespace

ResizeOutcome runResizeJob(const ResizeRequest& request, ResizeObserver& observer, PictureCodec& codec)
{
    bool saving = false;
    try {
        return resize(request, observer, codec, saving);
    } catch (const std::bad_alloc&) {
        // Memory ran out in a string or a work area: a load failure while the
        // picture is being made, a save failure once it is being written.
        const std::string path = saving
                                     ? joinPath(request.destinationFolder, extractFileName(request.sourcePath))
                                     : request.sourcePath;
        observer.showMessage(saving ? messages::saveFailed(path) : messages::loadFailed(path));
        return saving ? ResizeOutcome::saveFailed : ResizeOutcome::loadFailed;
    }
}

bool changeSize(const ResizeRequest& request, ResizeObserver& observer)
{
    JpegCodec codec;
    return runResizeJob(request, observer, codec) == ResizeOutcome::written;
}

} // namespace core
