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

std::vector<std::uint8_t> makeJpeg(const JpegFixture& fixture)
{
    // Fixture errors are bugs in the test: libjpeg's default handler ends the process.
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(fixture.width);
    cinfo.image_height = JDIMENSION(fixture.height);
    cinfo.input_components = fixture.components;
    cinfo.in_color_space = fixture.components == 1 ? JCS_GRAYSCALE : fixture.components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (fixture.components == 4)
        cinfo.write_Adobe_marker = fixture.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, fixture.quality, TRUE);
    if (fixture.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    for (const auto& marker : fixture.markers)
        jpeg_write_marker(&cinfo, marker.code, reinterpret_cast<const JOCTET*>(marker.data.data()),
                          unsigned(marker.data.size()));
    std::vector<JSAMPLE> row(std::size_t(fixture.width) * std::size_t(fixture.components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < fixture.width; ++x) {
            const std::uint32_t p = fixture.pixel(x, y);
            for (int c = 0; c < fixture.components; ++c)
                row[std::size_t(x * fixture.components + c)] = JSAMPLE(p >> (8 * (fixture.components - 1 - c)));
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

JpegStructure describe(const std::vector<std::uint8_t>& jpeg)
{
    JpegStructure result;
    for (const auto& segment : segments(jpeg)) {
        const auto& p = segment.payload;
        result.markers.push_back(segment.marker);
        if (segment.marker == 0xE0)
            result.app0.push_back(p);
        if (segment.marker == 0xDA)
            ++result.scans;
        if (segment.marker == 0xDB) {
            for (std::size_t at = 0; at < p.size();) {
                const int precision = p[at] >> 4, number = p[at] & 0x0F;
                ++at;
                std::vector<int> entries;
                for (int k = 0; k < 64; ++k, at += precision ? 2 : 1)
                    entries.push_back(precision ? p[at] << 8 | p[at + 1] : p[at]);
                if (precision)
                    result.sixteenBitTable = true;
                result.tables.at(std::size_t(number)) = entries;
            }
        }
        if (segment.marker >= 0xC0 && segment.marker <= 0xCF && segment.marker != 0xC4 && segment.marker != 0xC8 &&
            segment.marker != 0xCC) {
            result.frameMarker = segment.marker;
            result.height = p[1] << 8 | p[2];
            result.width = p[3] << 8 | p[4];
            for (int c = 0; c < p[5]; ++c)
                result.components.push_back({p[6 + 3 * c], p[7 + 3 * c], p[8 + 3 * c]});
        }
    }
    return result;
}

std::vector<int> expectedQuantTable(int table, int quality)
{
    static const int luminance[64] = {
        16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
        14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
        18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
        49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    static const int chrominance[64] = {
        17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
        99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
        99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
    static const int zigzagToNatural[64] = {
        0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
        41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
        30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    const int q = quality <= 0 ? 1 : quality > 100 ? 100 : quality;
    const int scale = q < 50 ? 5000 / q : 200 - 2 * q;
    const int* base = table == 0 ? luminance : chrominance;
    std::vector<int> result;
    for (int k = 0; k < 64; ++k)
        result.push_back(std::clamp((base[zigzagToNatural[k]] * scale + 50) / 100, 1, 255));
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
