#include "core/picture_codec.h"

#include <new>

#include "core/file_io.h"
#include "core/ppm.h"

namespace core {

bool JpegCodec::load(const std::string& path)
{
    decodeStatus_ = JpegDecodeStatus::notLoaded;
    return image_.loadFromFile(path) == JpegLoadStatus::ok;
}

bool JpegCodec::decode(XrgbBuffer& picture)
{
    decodeStatus_ = image_.decode(picture);
    progressive_ = image_.multipleScans();
    // The compressed file is not needed any more; freeing it now lowers the peak.
    image_ = JpegImage();
    return decodeStatus_ == JpegDecodeStatus::ok;
}

bool JpegCodec::encode(const XrgbBuffer& picture, std::uint8_t quality, std::vector<std::uint8_t>& bytes)
{
    return encodeJpeg(picture, quality, progressive_, bytes) == JpegEncodeStatus::ok;
}

bool PpmCodec::load(const std::string& path)
{
    width_ = height_ = 0;
    PpmHeader header;
    if (readWholeFile(path, bytes_) != ReadFileStatus::ok || !parsePpmHeader(bytes_, header)) {
        bytes_ = std::vector<std::uint8_t>();
        return false;
    }
    width_ = header.width;
    height_ = header.height;
    return true;
}

bool PpmCodec::decode(XrgbBuffer& picture)
{
    const bool ok = readPpm(bytes_, picture);
    bytes_ = std::vector<std::uint8_t>();
    return ok;
}

bool PpmCodec::encode(const XrgbBuffer& picture, std::uint8_t, std::vector<std::uint8_t>& bytes)
{
    try {
        bytes = writePpm(picture);
    } catch (const std::bad_alloc&) {
        bytes = std::vector<std::uint8_t>();
        return false;
    }
    return true;
}

std::unique_ptr<PictureCodec> codecForPath(const std::string& path)
{
    const std::string suffix = ".ppm";
    if (path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
        return std::make_unique<PpmCodec>();
    return std::make_unique<JpegCodec>();
}

} // namespace core
