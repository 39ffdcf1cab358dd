#pragma once

#include <cstdint>
#include <string>

#include "core/picture_codec.h"

namespace core {

enum class SizeMode { ratio, pixels };

// Everything one resize job reads, as plain values.
struct ResizeRequest {
    std::string sourcePath;        // full path of the file to resize
    std::string destinationFolder; // no trailing "/" except the root "/"
    SizeMode sizeMode = SizeMode::ratio;
    std::string ratioText;         // percentage, read in ratio mode only
    std::string widthText;         // read in pixel mode only
    std::string heightText;
    std::int32_t recordedWidth = 0; // the source size that ratio mode scales
    std::int32_t recordedHeight = 0;
    std::int32_t quality = 80;      // its low 8 bits go to the encoder
};

// What the job shows while it runs. Calls come from the thread running the job.
class ResizeObserver {
public:
    virtual ~ResizeObserver() = default;
    virtual void showMessage(const std::string& text) = 0;
    // Once per job, after the source has been decoded, before the first row.
    virtual void progressStart(const std::string& fileName, std::int32_t rowMaximum) = 0;
    // Before target row n - 1 is computed: 1, 2, ..., rowMaximum.
    virtual void rowProgress(std::int32_t n) = 0;
};

enum class ResizeOutcome {
    written,       // the resized copy is in place
    sameFolder,    // the copy would have been written over the source
    badSizeText,   // a size text is not an integer (no message)
    badTargetSize, // below 1 or 2^30 pixels or more
    loadFailed,
    saveFailed,
};

// Resizes one file: refuses a destination that is the source's own folder,
// works out the target size, reads and decodes the source, resamples it with the
// area-average rule, codes the result and puts it in place atomically. Every
// failure except a bad size text shows its message; nothing is thrown.
ResizeOutcome runResizeJob(const ResizeRequest& request, ResizeObserver& observer, PictureCodec& codec);

// The same with the JPEG codec; true when the copy was written.
bool changeSize(const ResizeRequest& request, ResizeObserver& observer);

} // namespace core
