#include "test_support.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <jpeglib.h>

namespace testing_support {

std::string corpusDir()
{
    const std::string dir = ORVANE_CORPUS_DIR;
    return std::filesystem::is_directory(dir) ? dir : std::string();
}

std::string corpusFile(const std::string& name) { return std::string(ORVANE_CORPUS_DIR) + "/" + name; }

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Folders made read-only by a test must be writable again to be emptied.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        if (entry.is_directory(ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::names() const
{
    std::vector<std::string> result;
    for (auto& entry : std::filesystem::directory_iterator(path_))
        result.push_back(entry.path().filename().string());
    std::sort(result.begin(), result.end());
    return result;
}

std::vector<std::uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> makeJpeg(const JpegSpec& spec)
{
    // Fixture errors are bugs in the test: libjpeg's default handler ends the process.
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(spec.width);
    cinfo.image_height = JDIMENSION(spec.height);
    cinfo.input_components = spec.components;
    cinfo.in_color_space = spec.components == 1 ? JCS_GRAYSCALE : spec.components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (spec.components == 4)
        cinfo.write_Adobe_marker = spec.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, spec.quality, TRUE);
    if (spec.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    for (const auto& marker : spec.markers)
        jpeg_write_marker(&cinfo, marker.code, reinterpret_cast<const JOCTET*>(marker.data.data()),
                          unsigned(marker.data.size()));
    std::vector<JSAMPLE> row(std::size_t(spec.width) * std::size_t(spec.components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < spec.width; ++x) {
            const std::uint32_t p = spec.pixel(x, y);
            for (int c = 0; c < spec.components; ++c)
                row[std::size_t(x * spec.components + c)] = JSAMPLE(p >> (8 * (spec.components - 1 - c)));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

namespace {

struct JumpingErrors {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void jumpBack(j_common_ptr cinfo) { longjmp(reinterpret_cast<JumpingErrors*>(cinfo->err)->jump, 1); }
void quiet(j_common_ptr, int) {}

bool decodeRgbGuarded(jpeg_decompress_struct* cinfo, JumpingErrors* errors, const std::vector<std::uint8_t>* jpeg,
                      RgbPicture* picture)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, jpeg->data(), static_cast<unsigned long>(jpeg->size()));
    jpeg_read_header(cinfo, TRUE);
    cinfo->out_color_space = JCS_RGB;
    cinfo->dct_method = JDCT_FLOAT;
    cinfo->do_fancy_upsampling = TRUE;
    cinfo->do_block_smoothing = TRUE;
    jpeg_start_decompress(cinfo);
    picture->width = int(cinfo->output_width);
    picture->height = int(cinfo->output_height);
    picture->rgb.resize(std::size_t(picture->width) * std::size_t(picture->height) * 3);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = picture->rgb.data() + std::size_t(cinfo->output_scanline) * std::size_t(picture->width) * 3;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    return true;
}

} // namespace

RgbPicture decodeRgb(const std::vector<std::uint8_t>& jpeg)
{
    jpeg_decompress_struct cinfo{};
    JumpingErrors errors{};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jumpBack;
    errors.pub.emit_message = quiet;
    RgbPicture picture;
    if (!decodeRgbGuarded(&cinfo, &errors, &jpeg, &picture))
        picture = RgbPicture();
    jpeg_destroy_decompress(&cinfo);
    return picture;
}

std::vector<Segment> segments(const std::vector<std::uint8_t>& jpeg)
{
    std::vector<Segment> result;
    std::size_t at = 0;
    auto byte = [&](std::size_t i) -> int { return i < jpeg.size() ? jpeg[i] : -1; };
    while (at + 1 < jpeg.size()) {
        if (byte(at) != 0xFF)
            throw std::runtime_error("marker expected at " + std::to_string(at));
        int marker = byte(at + 1);
        at += 2;
        if (marker == 0xD8 || marker == 0xD9) {
            result.push_back({marker, {}});
            if (marker == 0xD9)
                break;
            continue;
        }
        const std::size_t length = std::size_t(byte(at)) << 8 | std::size_t(byte(at + 1));
        result.push_back({marker, std::vector<std::uint8_t>(jpeg.begin() + long(at + 2), jpeg.begin() + long(at + length))});
        at += length;
        if (marker == 0xDA) {
            // Entropy-coded data runs to the next marker that is not a stuffed
            // zero or a restart marker.
            while (at + 1 < jpeg.size() &&
                   !(jpeg[at] == 0xFF && jpeg[at + 1] != 0x00 && (jpeg[at + 1] < 0xD0 || jpeg[at + 1] > 0xD7)))
                ++at;
        }
    }
    return result;
}

std::vector<std::string> RecordingObserver::messages() const
{
    std::vector<std::string> result;
    for (const auto& event : events)
        if (event.kind == Event::message)
            result.push_back(event.text);
    return result;
}

} // namespace testing_support
