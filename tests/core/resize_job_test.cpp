#include "core/resize_job.h"

#include <csignal>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/area_average.h"
#include "core/messages.h"
#include "test_support.h"

namespace {

using core::ResizeOutcome;
using namespace testing_support;
using Event = RecordingObserver::Event;

// The system's texts, written out here so that a slip in messages.h shows.
const std::string kSameFolder = "画像の出力先が変換元画像のフォルダと同じであるため、サイズ変更を行なえません。";
const std::string kBadSize = "変更後の画像の大きさが正しくないため、サイズ変更を行なえません。";

// A source folder "in" and a destination folder "out" in a fresh temporary folder.
class ResizeJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dir.file("in"));
        std::filesystem::create_directory(dir.file("out"));
    }

    std::string source(const std::string& name) const { return dir.file("in/" + name); }
    std::string target(const std::string& name) const { return dir.file("out/" + name); }

    std::string addSource(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        writeBytes(source(name), bytes);
        return source(name);
    }

    core::ResizeRequest ratio(const std::string& sourcePath, const std::string& percent, std::int32_t width,
                              std::int32_t height) const
    {
        core::ResizeRequest request;
        request.sourcePath = sourcePath;
        request.destinationFolder = dir.file("out");
        request.sizeMode = core::SizeMode::ratio;
        request.ratioText = percent;
        request.recordedWidth = width;
        request.recordedHeight = height;
        return request;
    }

    core::ResizeRequest pixels(const std::string& sourcePath, const std::string& width,
                               const std::string& height) const
    {
        core::ResizeRequest request = ratio(sourcePath, "", 0, 0);
        request.sizeMode = core::SizeMode::pixels;
        request.widthText = width;
        request.heightText = height;
        return request;
    }

    ResizeOutcome run(const core::ResizeRequest& request)
    {
        observer.events.clear();
        core::JpegCodec codec;
        return core::runResizeJob(request, observer, codec);
    }

    bool sawProgress() const
    {
        for (const auto& e : observer.events)
            if (e.kind != Event::message)
                return true;
        return false;
    }

    std::vector<std::string> outNames() const
    {
        std::vector<std::string> names;
        for (auto& entry : std::filesystem::directory_iterator(dir.file("out")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    RecordingObserver observer;
};

JpegFixture sized(int width, int height)
{
    JpegFixture fixture;
    fixture.width = width;
    fixture.height = height;
    return fixture;
}

// ---------------------------------------------------------------- success

TEST_F(ResizeJob, WritesTheCopyAndReportsProgressInOrder)
{
    const std::string path = addSource("a.jpg", makeJpeg(sized(64, 48)));
    ASSERT_EQ(run(ratio(path, "50", 64, 48)), ResizeOutcome::written);
    const auto& events = observer.events;
    ASSERT_EQ(events.size(), 1u + 24u);
    EXPECT_EQ(events[0].kind, Event::progressStart);
    EXPECT_EQ(events[0].text, "a.jpg");
    EXPECT_EQ(events[0].number, 24);
    for (int n = 1; n <= 24; ++n) {
        EXPECT_EQ(events[std::size_t(n)].kind, Event::row);
        EXPECT_EQ(events[std::size_t(n)].number, n);
    }
    const JpegStructure file = describe(readBytes(target("a.jpg")));
    EXPECT_EQ(file.width, 32);
    EXPECT_EQ(file.height, 24);
    EXPECT_EQ(outNames(), std::vector<std::string>{"a.jpg"}) << "no temporary file left behind";
    EXPECT_TRUE(changeSize(ratio(path, "25", 64, 48), observer));
    EXPECT_EQ(describe(readBytes(target("a.jpg"))).width, 16);
}

TEST_F(ResizeJob, TheCopyIsTheResampledDecodedSource)
{
    JpegFixture smooth = sized(61, 37);
    smooth.pixel = [](int x, int y) {
        return std::uint32_t(std::min(255, x * 4)) << 16 | std::uint32_t(std::min(255, y * 6)) << 8 |
               std::uint32_t(x + y);
    };
    const std::vector<std::uint8_t> bytes = makeJpeg(smooth);
    const std::string path = addSource("a.jpg", bytes);
    ASSERT_EQ(run(pixels(path, "23", "19")), ResizeOutcome::written);

    core::JpegImage image;
    image.loadFromFile(path);
    core::XrgbBuffer decoded, expected = core::XrgbBuffer::create(23, 19);
    ASSERT_EQ(image.decode(decoded), core::JpegDecodeStatus::ok);
    core::areaAverage(decoded, expected, nullptr);
    const RgbPicture written = decodeRgb(readBytes(target("a.jpg")));
    ASSERT_EQ(written.width, 23);
    ASSERT_EQ(written.height, 19);
    double sum = 0;
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 23; ++x)
            for (int k = 0; k < 3; ++k)
                sum += std::abs(int(pixelFromTop(expected, x, y) >> (16 - 8 * k) & 0xFF) -
                                int(written.rgb[(std::size_t(y) * 23 + std::size_t(x)) * 3 + std::size_t(k)]));
    // Only the JPEG coding at quality 80 stands between the two.
    EXPECT_LT(sum / (23 * 19 * 3), 6.0);
}

TEST_F(ResizeJob, EachModeReadsOnlyItsOwnTexts)
{
    const std::string path = addSource("a.jpg", makeJpeg(sized(40, 30)));
    core::ResizeRequest byRatio = ratio(path, "50", 40, 30);
    byRatio.widthText = "";
    byRatio.heightText = "x";
    EXPECT_EQ(run(byRatio), ResizeOutcome::written);
    EXPECT_EQ(describe(readBytes(target("a.jpg"))).width, 20);

    core::ResizeRequest byPixels = pixels(path, "64", "8");
    byPixels.ratioText = "";
    EXPECT_EQ(run(byPixels), ResizeOutcome::written);
    const JpegStructure file = describe(readBytes(target("a.jpg")));
    EXPECT_EQ(file.width, 64);
    EXPECT_EQ(file.height, 8);
}

TEST_F(ResizeJob, OutputIsProgressiveExactlyWhenTheSourceHadSeveralScans)
{
    JpegFixture progressive = sized(30, 20);
    progressive.progressive = true;
    const std::string a = addSource("a.jpg", makeJpeg(sized(30, 20)));
    const std::string b = addSource("b.jpg", makeJpeg(progressive));
    for (int quality : {0, 80, 100}) {
        auto requestA = ratio(a, "100", 30, 20), requestB = ratio(b, "100", 30, 20);
        requestA.quality = requestB.quality = quality;
        ASSERT_EQ(run(requestA), ResizeOutcome::written);
        ASSERT_EQ(run(requestB), ResizeOutcome::written);
        EXPECT_EQ(describe(readBytes(target("a.jpg"))).frameMarker, 0xC0) << quality;
        EXPECT_EQ(describe(readBytes(target("b.jpg"))).frameMarker, 0xC2) << quality;
    }
}

TEST_F(ResizeJob, QualityGivesTheEncoderItsLowEightBits)
{
    const std::string path = addSource("a.jpg", makeJpeg(sized(16, 16)));
    const struct {
        std::int32_t quality;
        int effective;
    } cases[] = {{0, 1}, {1, 1}, {50, 50}, {80, 80}, {100, 100}, {300, 44}, {256 + 90, 90}, {-1, 100}};
    for (const auto& c : cases) {
        auto request = ratio(path, "100", 16, 16);
        request.quality = c.quality;
        ASSERT_EQ(run(request), ResizeOutcome::written) << c.quality;
        const JpegStructure file = describe(readBytes(target("a.jpg")));
        EXPECT_EQ(file.tables[0], expectedQuantTable(0, c.effective)) << c.quality;
        EXPECT_EQ(file.tables[1], expectedQuantTable(1, c.effective)) << c.quality;
    }
}

TEST_F(ResizeJob, MetadataOfTheSourceIsDropped)
{
    JpegFixture fixture = sized(20, 20);
    fixture.markers = {{0xE1, std::string("Exif\0\0MM\0*\0\0\0\x08\0\0", 18)},
                    {0xE2, "ICC_PROFILE"},
                    {0xFE, "a comment that must not travel"}};
    const std::string path = addSource("a.jpg", makeJpeg(fixture));
    ASSERT_EQ(run(ratio(path, "50", 20, 20)), ResizeOutcome::written);
    const JpegStructure file = describe(readBytes(target("a.jpg")));
    for (int marker : file.markers) {
        EXPECT_FALSE(marker > 0xE0 && marker <= 0xEF) << std::hex << marker;
        EXPECT_NE(marker, 0xFE);
    }
    EXPECT_EQ(file.app0.size(), 1u);
}

TEST_F(ResizeJob, GrayscaleSourceIsWrittenAsYCbCrWithEqualChannels)
{
    JpegFixture fixture = sized(50, 40);
    fixture.components = 1;
    fixture.pixel = [](int x, int y) { return std::uint32_t((x * 5 + y * 3) & 0xFF); };
    const std::string path = addSource("g.jpg", makeJpeg(fixture));
    ASSERT_EQ(run(ratio(path, "50", 50, 40)), ResizeOutcome::written);
    const auto bytes = readBytes(target("g.jpg"));
    const JpegStructure file = describe(bytes);
    ASSERT_EQ(file.components.size(), 3u);
    EXPECT_EQ(file.components[0].sampling, 0x22);
    const RgbPicture written = decodeRgb(bytes);
    for (std::size_t i = 0; i < written.rgb.size(); i += 3) {
        EXPECT_NEAR(written.rgb[i], written.rgb[i + 1], 2);
        EXPECT_NEAR(written.rgb[i + 1], written.rgb[i + 2], 2);
    }
}

TEST_F(ResizeJob, DamagedDataAfterTheFirstScanBeganIsResizedWithoutAMessage)
{
    auto bytes = makeJpeg(sized(64, 64));
    bytes.resize(bytes.size() * 2 / 3); // inside the scan data
    const std::string path = addSource("cut.jpg", bytes);
    EXPECT_EQ(run(ratio(path, "50", 64, 64)), ResizeOutcome::written);
    EXPECT_TRUE(observer.messages().empty());
    EXPECT_EQ(describe(readBytes(target("cut.jpg"))).width, 32);
}

TEST_F(ResizeJob, CorpusFilesThatDecodeWithWarningsOrInInk)
{
    REQUIRE_CORPUS();
    const struct {
        const char* name;
        int width, height;
    } cases[] = {
        {"trunc-in-scan-baseline-290x442.jpg", 290, 442}, {"trunc-in-scan-progressive-100x100.jpg", 100, 100},
        {"corrupt-entropy-gray-144x144.jpg", 144, 144},   {"cmyk-adobe-150x103.jpg", 150, 103},
        {"ycck-adobe-350x233.jpg", 350, 233},              {"exif-iptc-640x480.jpg", 640, 480},
    };
    for (const auto& c : cases) {
        auto request = ratio(corpusFile(c.name), "50", c.width, c.height);
        EXPECT_EQ(run(request), ResizeOutcome::written) << c.name;
        EXPECT_TRUE(observer.messages().empty()) << c.name;
        const JpegStructure file = describe(readBytes(target(c.name)));
        EXPECT_EQ(file.components.size(), 3u) << c.name;
        EXPECT_EQ(file.app0.size(), 1u) << c.name;
    }
}

TEST_F(ResizeJob, AnExistingTargetIsReplaced)
{
    const std::string path = addSource("a.jpg", makeJpeg(sized(40, 40)));
    writeBytes(target("a.jpg"), {'o', 'l', 'd'});
    ASSERT_EQ(run(ratio(path, "50", 40, 40)), ResizeOutcome::written);
    EXPECT_EQ(describe(readBytes(target("a.jpg"))).width, 20);
    EXPECT_EQ(outNames(), std::vector<std::string>{"a.jpg"});
}

TEST_F(ResizeJob, TheNewFileGetsTheUsualPermissions)
{
    const std::string path = addSource("a.jpg", makeJpeg(sized(8, 8)));
    for (mode_t mask : {mode_t(022), mode_t(077), mode_t(002)}) {
        const mode_t old = ::umask(mask);
        const auto outcome = run(ratio(path, "100", 8, 8));
        ::umask(old);
        ASSERT_EQ(outcome, ResizeOutcome::written);
        struct stat info {};
        ASSERT_EQ(::stat(target("a.jpg").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
    }
}

// ---------------------------------------------------------------- refusals before anything is read

TEST_F(ResizeJob, RefusesTheSourceFolderHoweverItIsWritten)
{
    // The source does not even exist: the refusal comes before any reading.
    const std::string missing = source("missing.jpg");
    auto request = ratio(missing, "50", 100, 100);
    request.destinationFolder = dir.file("in");
    EXPECT_EQ(run(request), ResizeOutcome::sameFolder);
    EXPECT_EQ(observer.messages(), std::vector<std::string>{kSameFolder});
    EXPECT_FALSE(sawProgress());

    const std::string path = addSource("a.jpg", makeJpeg(sized(20, 20)));
    const auto before = readBytes(path);
    std::filesystem::create_directory_symlink(dir.file("in"), dir.file("link"));
    for (const std::string& destination : {dir.file("link"), dir.file("out/../in"), dir.file("in/.")}) {
        request = ratio(path, "50", 20, 20);
        request.destinationFolder = destination;
        EXPECT_EQ(run(request), ResizeOutcome::sameFolder) << destination;
        EXPECT_EQ(observer.messages(), std::vector<std::string>{kSameFolder}) << destination;
    }
    EXPECT_EQ(readBytes(path), before);
    std::vector<std::string> inNames;
    for (auto& entry : std::filesystem::directory_iterator(dir.file("in")))
        inNames.push_back(entry.path().filename().string());
    EXPECT_EQ(inNames, std::vector<std::string>{"a.jpg"});
}

TEST_F(ResizeJob, ASizeTextThatIsNotAnIntegerFailsSilently)
{
    const std::string path = source("missing.jpg");
    const core::ResizeRequest cases[] = {
        ratio(path, "", 100, 100),          ratio(path, "abc", 100, 100), ratio(path, " 50", 100, 100),
        ratio(path, "50%", 100, 100),       pixels(path, "", "10"),       pixels(path, "10", ""),
        pixels(path, "0x10", "10"),         pixels(path, "10", "9999999999"),
    };
    for (const auto& request : cases) {
        EXPECT_EQ(run(request), ResizeOutcome::badSizeText) << request.ratioText << request.widthText;
        EXPECT_TRUE(observer.events.empty());
    }
    EXPECT_TRUE(outNames().empty());
}

TEST_F(ResizeJob, RefusesTargetSizesBelowOneOrOf2To30Pixels)
{
    const std::string path = source("missing.jpg"); // never read
    const core::ResizeRequest cases[] = {
        ratio(path, "0", 640, 480),     ratio(path, "50", 1, 480),       ratio(path, "1", 49, 480),
        ratio(path, "-10", 640, 480),   pixels(path, "0", "10"),         pixels(path, "10", "0"),
        pixels(path, "-5", "10"),       pixels(path, "32768", "32768"),  ratio(path, "999", 40000, 40000),
        ratio(path, "999", 2147483647, 1),
    };
    for (const auto& request : cases) {
        EXPECT_EQ(run(request), ResizeOutcome::badTargetSize)
            << request.ratioText << " " << request.widthText << "x" << request.heightText;
        EXPECT_EQ(observer.messages(), std::vector<std::string>{kBadSize});
        EXPECT_FALSE(sawProgress());
    }
    EXPECT_TRUE(outNames().empty());
}

// ---------------------------------------------------------------- load failures

TEST_F(ResizeJob, SourcesThatCannotBeLoadedGiveTheLoadMessage)
{
    auto cutInHeader = makeJpeg(sized(20, 20));
    cutInHeader.resize(120);
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"empty.jpg", {}},
        {"png.jpg", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}},
        {"header.jpg", cutInHeader},
    };
    for (const auto& c : cases) {
        const std::string path = addSource(c.name, c.bytes);
        EXPECT_EQ(run(ratio(path, "50", 20, 20)), ResizeOutcome::loadFailed) << c.name;
        EXPECT_EQ(observer.messages(), std::vector<std::string>{path + "の読み込みに失敗しました。"});
        EXPECT_FALSE(sawProgress()) << c.name;
    }
    EXPECT_EQ(run(ratio(source("missing.jpg"), "50", 20, 20)), ResizeOutcome::loadFailed);
    EXPECT_TRUE(outNames().empty());
}

TEST_F(ResizeJob, CorpusSourcesThatFailToLoadOrDecode)
{
    REQUIRE_CORPUS();
    const char* names[] = {
        "not-jpeg-png-named-jpg.jpg", "empty-0-bytes.jpg", "reject-12bit-149x227.jpg",
        "corrupt-fatal-after-first-scan-progressive-196x140.jpg",
        // 65500 x 65500 declared: refused as too large, quickly and without the memory.
        "bomb-declared-65500x65500-gray.jpg",
    };
    for (const char* name : names) {
        const std::string path = corpusFile(name);
        EXPECT_EQ(run(ratio(path, "10", 100, 100)), ResizeOutcome::loadFailed) << name;
        EXPECT_EQ(observer.messages(), std::vector<std::string>{core::messages::loadFailed(path)});
        EXPECT_FALSE(sawProgress()) << name;
    }
    EXPECT_TRUE(outNames().empty());
}

TEST_F(ResizeJob, AFileOfThousandsOfScansIsRefused)
{
    JpegFixture fixture = sized(24, 24);
    fixture.progressive = true;
    const auto original = makeJpeg(fixture);
    std::size_t lastSos = original.size() - 2;
    while (!(original[lastSos] == 0xFF && original[lastSos + 1] == 0xDA))
        --lastSos;
    std::vector<std::uint8_t> bytes(original.begin(), original.end() - 2);
    for (int i = 0; i < 2000; ++i)
        bytes.insert(bytes.end(), original.begin() + long(lastSos), original.end() - 2);
    bytes.insert(bytes.end(), {0xFF, 0xD9});
    const std::string path = addSource("scans.jpg", bytes);
    EXPECT_EQ(run(ratio(path, "50", 24, 24)), ResizeOutcome::loadFailed);
    EXPECT_EQ(observer.messages(), std::vector<std::string>{core::messages::loadFailed(path)});
    EXPECT_FALSE(sawProgress());
}

// ---------------------------------------------------------------- save failures

TEST_F(ResizeJob, ASideAbove65500LeavesAnyExistingTargetIntact)
{
    JpegFixture wide = sized(7000, 10);
    wide.pixel = [](int x, int) { return std::uint32_t(x & 0xFF) * 0x010101u; };
    const std::string path = addSource("wide.jpg", makeJpeg(wide));
    // 999 % of 7000 x 10 is 69930 x 100: the encoder refuses it.
    EXPECT_EQ(run(ratio(path, "999", 7000, 10)), ResizeOutcome::saveFailed);
    EXPECT_EQ(observer.messages(), std::vector<std::string>{target("wide.jpg") + "の保存に失敗しました。"});
    EXPECT_TRUE(outNames().empty()) << "no file at all, not even an empty one";

    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    writeBytes(target("wide.jpg"), old);
    EXPECT_EQ(run(ratio(path, "999", 7000, 10)), ResizeOutcome::saveFailed);
    EXPECT_EQ(readBytes(target("wide.jpg")), old);
    EXPECT_EQ(outNames(), std::vector<std::string>{"wide.jpg"});
}

// Lowers the largest file this process may write, as a full disk would stop it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN); // write() then fails with EFBIG
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(ResizeJob, AWriteThatStopsHalfwayLeavesTheOldFileAndNoTemporaryFile)
{
    JpegFixture noisy = sized(200, 200);
    noisy.pixel = [](int x, int y) { return std::uint32_t(x * 7919 + y * 104729) * 2654435761u >> 8; };
    const std::string path = addSource("a.jpg", makeJpeg(noisy));
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    writeBytes(target("a.jpg"), old);
    ResizeOutcome outcome;
    {
        FileSizeLimit limit(4096);
        auto request = ratio(path, "100", 200, 200);
        request.quality = 100;
        outcome = run(request);
    }
    EXPECT_EQ(outcome, ResizeOutcome::saveFailed);
    EXPECT_EQ(observer.messages(), std::vector<std::string>{core::messages::saveFailed(target("a.jpg"))});
    EXPECT_EQ(readBytes(target("a.jpg")), old);
    EXPECT_EQ(outNames(), std::vector<std::string>{"a.jpg"});
}

TEST_F(ResizeJob, ADeletedDestinationGivesTheSaveMessageAfterTheProgress)
{
    const std::string path = addSource("a.jpg", makeJpeg(sized(30, 30)));
    std::filesystem::remove(dir.file("out"));
    EXPECT_EQ(run(ratio(path, "50", 30, 30)), ResizeOutcome::saveFailed);
    ASSERT_FALSE(observer.events.empty());
    EXPECT_EQ(observer.events.front().kind, Event::progressStart);
    EXPECT_EQ(observer.events.back().kind, Event::message);
    EXPECT_EQ(observer.events.back().text, core::messages::saveFailed(target("a.jpg")));
    EXPECT_EQ(observer.messages().size(), 1u);
}

// Root passes every permission check, so the refused writes are tried by a child
// process that runs as "nobody". Returns the child's outcome.
ResizeOutcome runUnprivileged(const std::function<ResizeOutcome()>& body)
{
    if (::geteuid() != 0)
        return body();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        ::_exit(int(body()));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) < 100) << "child failed: " << status;
    return ResizeOutcome(WEXITSTATUS(status));
}

TEST_F(ResizeJob, AReadOnlyDestinationOrTargetIsNotWritten)
{
    const std::string path = addSource("a.jpg", makeJpeg(sized(30, 30)));
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(dir.file("in").c_str(), 0755);
    ::chmod(path.c_str(), 0644);
    auto job = [&] {
        RecordingObserver own;
        core::JpegCodec codec;
        const auto outcome = core::runResizeJob(ratio(path, "50", 30, 30), own, codec);
        // The message must be the save message; anything else counts as a failure.
        if (own.messages() != std::vector<std::string>{core::messages::saveFailed(target("a.jpg"))})
            return ResizeOutcome::written;
        return outcome;
    };

    ::chmod(dir.file("out").c_str(), 0555);
    EXPECT_EQ(runUnprivileged(job), ResizeOutcome::saveFailed);
    EXPECT_TRUE(outNames().empty());

    // A folder we may write, but a file the user protected: rename() would
    // replace it, so it is refused.
    ::chmod(dir.file("out").c_str(), 0777);
    const std::vector<std::uint8_t> old = {'k', 'e', 'e', 'p'};
    writeBytes(target("a.jpg"), old);
    ::chmod(target("a.jpg").c_str(), 0444);
    EXPECT_EQ(runUnprivileged(job), ResizeOutcome::saveFailed);
    EXPECT_EQ(readBytes(target("a.jpg")), old);
    EXPECT_EQ(outNames(), std::vector<std::string>{"a.jpg"});
}

} // namespace
