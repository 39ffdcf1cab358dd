#include "core/jpeg_image.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <jpeglib.h>

#include "core/file_io.h"

namespace core {

namespace {

// libjpeg's error manager with the place to jump back to on a fatal error.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void jumpOnError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (damaged or missing data) neither show nor stop the decoding, and
// libjpeg's texts never reach the user.
void ignoreMessage(j_common_ptr, int) {}
void ignoreOutput(j_common_ptr) {}

void installErrorManager(jpeg_common_struct* cinfo, ErrorManager& errors)
{
    cinfo->err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jumpOnError;
    errors.pub.emit_message = ignoreMessage;
    errors.pub.output_message = ignoreOutput;
}

struct ScanLimit {
    jpeg_progress_mgr pub;
    bool exceeded;
};

// libjpeg calls the progress monitor at least once per scan while it takes in a
// multi-scan file, which is where a crafted file would spend its time.
void checkScanCount(j_common_ptr cinfo)
{
    const auto* decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompressor->input_scan_number > JpegImage::kMaxScans) {
        reinterpret_cast<ScanLimit*>(cinfo->progress)->exceeded = true;
        cinfo->err->error_exit(cinfo);
    }
}

// Owns one libjpeg decompression; destroying a never-created one is harmless
// because its memory manager pointer is still null.
struct Decompressor {
    Decompressor()
    {
        installErrorManager(reinterpret_cast<jpeg_common_struct*>(&cinfo), errors);
        limit.pub.progress_monitor = checkScanCount;
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }

    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    ScanLimit limit{};
};

struct Compressor {
    Compressor() { installErrorManager(reinterpret_cast<jpeg_common_struct*>(&cinfo), errors); }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
    ~Compressor()
    {
        jpeg_destroy_compress(&cinfo);
        std::free(output); // jpeg_mem_dest's block, also after a failure
    }

    jpeg_compress_struct cinfo{};
    ErrorManager errors{};
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
};

struct HeaderFacts {
    JDIMENSION width;
    JDIMENSION height;
    int components;
    J_COLOR_SPACE colorSpace;
    bool multipleScans;
    bool adobeMarker;
};

enum class DecodePurpose { headerOnly, resize, display };

enum class RowConversion {
    none,         // libjpeg writes the words itself (JCS_EXT_BGRX)
    grayColormap, // quantized grayscale: colormap index per byte
    inkInverted,  // CMYK as Adobe writes it, 255 = no ink
    inkPlain,     // CMYK, 0 = no ink
};

struct RowTarget {
    std::uint32_t* topRow;   // where output row 0 goes
    std::ptrdiff_t rowStep;  // words from one output row to the next
    JSAMPROW scratch;        // one converted row, when conversion is not none
    RowConversion conversion;
    JDIMENSION width;
    JDIMENSION height;
};

void applySettings(jpeg_decompress_struct& cinfo, DecodePurpose purpose, int scaleNum)
{
    const bool ink = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    if (purpose == DecodePurpose::resize) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = 1;
        cinfo.dct_method = JDCT_FLOAT;
        cinfo.do_fancy_upsampling = TRUE;
        cinfo.do_block_smoothing = TRUE;
        cinfo.buffered_image = FALSE;
        if (gray) {
            cinfo.out_color_space = JCS_GRAYSCALE;
            cinfo.quantize_colors = TRUE;
            cinfo.desired_number_of_colors = 236;
            cinfo.dither_mode = JDITHER_FS;
        } else {
            // Same values as JCS_RGB, laid out as our words in memory.
            cinfo.out_color_space = ink ? JCS_CMYK : JCS_EXT_BGRX;
            cinfo.quantize_colors = FALSE;
        }
    } else {
        cinfo.scale_num = static_cast<unsigned int>(scaleNum);
        cinfo.scale_denom = 8;
        // At 1/8 and 2/8 (thumbnails) the picture is reduced further on screen, so
        // the faster inverse DCT and plain upsampling cost nothing that shows.
        const bool small = scaleNum <= 2;
        cinfo.dct_method = small ? JDCT_IFAST : JDCT_ISLOW;
        cinfo.do_fancy_upsampling = small ? FALSE : TRUE;
        cinfo.quantize_colors = FALSE;
        cinfo.out_color_space = ink ? JCS_CMYK : JCS_EXT_BGRX;
    }
}

// The functions that hold a setjmp hold no object with a destructor: longjmp
// would skip it. Their callers own everything through Decompressor and Compressor.

bool openGuarded(Decompressor* d, const std::uint8_t* data, std::size_t size, DecodePurpose purpose,
                 int scaleNum, HeaderFacts* facts)
{
    if (setjmp(d->errors.jump))
        return false;
    jpeg_create_decompress(&d->cinfo);
    d->cinfo.progress = &d->limit.pub; // after create, which clears the struct
    jpeg_mem_src(&d->cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d->cinfo, TRUE);
    facts->width = d->cinfo.image_width;
    facts->height = d->cinfo.image_height;
    facts->components = d->cinfo.num_components;
    facts->colorSpace = d->cinfo.jpeg_color_space;
    facts->multipleScans = jpeg_has_multiple_scans(&d->cinfo) != 0;
    facts->adobeMarker = d->cinfo.saw_Adobe_marker != 0;
    if (purpose != DecodePurpose::headerOnly) {
        applySettings(d->cinfo, purpose, scaleNum);
        jpeg_calc_output_dimensions(&d->cinfo);
    }
    return true;
}

inline std::uint32_t inkWord(unsigned c, unsigned m, unsigned y, unsigned k)
{
    // round(v * k / 255): v * k / 255 is never an exact half, so + 127 rounds it.
    const unsigned red = (c * k + 127) / 255;
    const unsigned green = (m * k + 127) / 255;
    const unsigned blue = (y * k + 127) / 255;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

void convertRow(const RowTarget& target, JSAMPARRAY colormap, std::uint32_t* out)
{
    const JSAMPLE* in = target.scratch;
    switch (target.conversion) {
    case RowConversion::none:
        break;
    case RowConversion::grayColormap:
        for (JDIMENSION x = 0; x < target.width; ++x)
            out[x] = 0xFF000000u | std::uint32_t(colormap[0][in[x]]) * 0x010101u;
        break;
    case RowConversion::inkInverted:
        for (JDIMENSION x = 0; x < target.width; ++x, in += 4)
            out[x] = inkWord(in[0], in[1], in[2], in[3]);
        break;
    case RowConversion::inkPlain:
        for (JDIMENSION x = 0; x < target.width; ++x, in += 4)
            out[x] = inkWord(255u - in[0], 255u - in[1], 255u - in[2], 255u - in[3]);
        break;
    }
}

bool decodeRowsGuarded(Decompressor* d, const RowTarget* target)
{
    if (setjmp(d->errors.jump))
        return false;
    jpeg_start_decompress(&d->cinfo);
    if (d->cinfo.output_width != target->width || d->cinfo.output_height != target->height)
        return false;
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        std::uint32_t* out = target->topRow + std::ptrdiff_t(d->cinfo.output_scanline) * target->rowStep;
        JSAMPROW row = target->conversion == RowConversion::none ? reinterpret_cast<JSAMPROW>(out)
                                                                 : target->scratch;
        if (jpeg_read_scanlines(&d->cinfo, &row, 1) != 1)
            return false;
        convertRow(*target, d->cinfo.colormap, out);
    }
    // No jpeg_finish_decompress: every row is there, and what follows the last
    // scan (junk, a second picture) cannot change them.
    return true;
}

bool encodeGuarded(Compressor* c, const XrgbBuffer* picture, int quality, bool progressive, JSAMPROW rgbRow)
{
    if (setjmp(c->errors.jump))
        return false;
    jpeg_create_compress(&c->cinfo);
    jpeg_mem_dest(&c->cinfo, &c->output, &c->outputSize);
    c->cinfo.image_width = static_cast<JDIMENSION>(picture->width());
    c->cinfo.image_height = static_cast<JDIMENSION>(picture->height());
    c->cinfo.input_components = 3;
    c->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c->cinfo);
    c->cinfo.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c->cinfo, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&c->cinfo);
    jpeg_start_compress(&c->cinfo, TRUE);
    const JDIMENSION width = c->cinfo.image_width;
    while (c->cinfo.next_scanline < c->cinfo.image_height) {
        // Rows go top first; the buffer holds the bottom row first.
        const std::uint32_t* in = picture->row(picture->height() - 1 - std::int32_t(c->cinfo.next_scanline));
        JSAMPLE* out = rgbRow;
        for (JDIMENSION x = 0; x < width; ++x, out += 3) {
            out[0] = JSAMPLE(in[x] >> 16);
            out[1] = JSAMPLE(in[x] >> 8);
            out[2] = JSAMPLE(in[x]);
        }
        jpeg_write_scanlines(&c->cinfo, &rgbRow, 1);
    }
    jpeg_finish_compress(&c->cinfo);
    return true;
}

RowConversion conversionFor(const HeaderFacts& facts, DecodePurpose purpose)
{
    if (facts.colorSpace == JCS_CMYK || facts.colorSpace == JCS_YCCK)
        return facts.adobeMarker ? RowConversion::inkInverted : RowConversion::inkPlain;
    if (facts.colorSpace == JCS_GRAYSCALE && purpose == DecodePurpose::resize)
        return RowConversion::grayColormap;
    return RowConversion::none;
}

std::size_t scratchBytes(RowConversion conversion, JDIMENSION width)
{
    switch (conversion) {
    case RowConversion::none:
        return 0;
    case RowConversion::grayColormap:
        return width;
    case RowConversion::inkInverted:
    case RowConversion::inkPlain:
        return std::size_t(width) * 4;
    }
    return 0;
}

// Decodes into words made by makeTarget(width, height) once the output size is known.
template <typename MakeTarget>
JpegDecodeStatus decodeInto(const std::vector<std::uint8_t>& bytes, DecodePurpose purpose, int scaleNum,
                            MakeTarget makeTarget)
{
    Decompressor d;
    HeaderFacts facts{};
    if (!openGuarded(&d, bytes.data(), bytes.size(), purpose, scaleNum, &facts))
        return d.limit.exceeded ? JpegDecodeStatus::tooManyScans : JpegDecodeStatus::libjpegError;
    // A few bytes can declare 65500 x 65500: refuse before any allocation.
    if (!XrgbBuffer::sizeAllowed(facts.width, facts.height))
        return JpegDecodeStatus::tooLarge;

    RowTarget target{};
    target.width = d.cinfo.output_width;
    target.height = d.cinfo.output_height;
    target.conversion = conversionFor(facts, purpose);
    std::vector<JSAMPLE> scratch;
    try {
        scratch.resize(scratchBytes(target.conversion, target.width));
    } catch (const std::bad_alloc&) {
        return JpegDecodeStatus::outOfMemory;
    }
    target.scratch = scratch.data();
    if (!makeTarget(std::int32_t(target.width), std::int32_t(target.height), target))
        return JpegDecodeStatus::outOfMemory;
    if (!decodeRowsGuarded(&d, &target))
        return d.limit.exceeded ? JpegDecodeStatus::tooManyScans : JpegDecodeStatus::libjpegError;
    return JpegDecodeStatus::ok;
}

} // namespace

JpegLoadStatus JpegImage::loadFromFile(const std::string& path)
{
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    if (readWholeFile(path, *bytes) != ReadFileStatus::ok) {
        *this = JpegImage();
        status_ = JpegLoadStatus::unreadable;
        return status_;
    }
    return loadFromMemory(std::move(bytes));
}

JpegLoadStatus JpegImage::loadFromMemory(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
{
    *this = JpegImage();
    if (!bytes || bytes->empty()) {
        status_ = JpegLoadStatus::emptyFile;
        return status_;
    }
    Decompressor d;
    HeaderFacts facts{};
    if (!openGuarded(&d, bytes->data(), bytes->size(), DecodePurpose::headerOnly, 8, &facts)) {
        status_ = JpegLoadStatus::headerError;
        return status_;
    }
    bytes_ = std::move(bytes);
    width_ = std::int32_t(facts.width);
    height_ = std::int32_t(facts.height);
    components_ = facts.components;
    grayscale_ = facts.colorSpace == JCS_GRAYSCALE;
    multipleScans_ = facts.multipleScans;
    adobeMarker_ = facts.adobeMarker;
    status_ = JpegLoadStatus::ok;
    return status_;
}

JpegDecodeStatus JpegImage::decode(XrgbBuffer& picture) const
{
    picture.reset();
    if (!loaded())
        return JpegDecodeStatus::notLoaded;
    const auto status = decodeInto(*bytes_, DecodePurpose::resize, 8,
                                   [&picture](std::int32_t width, std::int32_t height, RowTarget& target) {
                                       picture = XrgbBuffer::create(width, height);
                                       if (!picture.valid())
                                           return false;
                                       // Picture row 0 from the top is the buffer's last row.
                                       target.topRow = picture.row(height - 1);
                                       target.rowStep = -std::ptrdiff_t(width);
                                       return true;
                                   });
    if (status != JpegDecodeStatus::ok)
        picture.reset();
    return status;
}

JpegDecodeStatus JpegImage::decodeScaled(int scaleNum, Bitmap32& bitmap) const
{
    bitmap = Bitmap32();
    if (!loaded() || scaleNum < 1 || scaleNum > 8)
        return JpegDecodeStatus::notLoaded;
    const auto status = decodeInto(*bytes_, DecodePurpose::display, scaleNum,
                                   [&bitmap](std::int32_t width, std::int32_t height, RowTarget& target) {
                                       bitmap = Bitmap32::create(width, height);
                                       if (!bitmap.valid())
                                           return false;
                                       target.topRow = bitmap.data();
                                       target.rowStep = std::ptrdiff_t(width);
                                       return true;
                                   });
    if (status != JpegDecodeStatus::ok)
        bitmap = Bitmap32();
    return status;
}

std::int32_t JpegImage::scaledSide(std::int32_t side, int scaleNum)
{
    return std::int32_t((std::int64_t(side) * scaleNum + 7) / 8);
}

int JpegImage::scaleForAtLeast(std::int32_t width, std::int32_t height, std::int32_t minWidth,
                               std::int32_t minHeight)
{
    for (int n = 1; n < 8; ++n)
        if (scaledSide(width, n) >= minWidth && scaledSide(height, n) >= minHeight)
            return n;
    return 8;
}

JpegEncodeStatus encodeJpeg(const XrgbBuffer& picture, std::uint8_t quality, bool progressive,
                            std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    Compressor c;
    std::vector<JSAMPLE> rgbRow;
    try {
        rgbRow.resize(std::size_t(picture.width()) * 3 + 1);
    } catch (const std::bad_alloc&) {
        return JpegEncodeStatus::outOfMemory;
    }
    if (!picture.valid() || !encodeGuarded(&c, &picture, quality, progressive, rgbRow.data()))
        return JpegEncodeStatus::libjpegError;
    try {
        bytes.assign(c.output, c.output + c.outputSize);
    } catch (const std::bad_alloc&) {
        bytes = std::vector<std::uint8_t>();
        return JpegEncodeStatus::outOfMemory;
    }
    return JpegEncodeStatus::ok;
}

} // namespace core
