// Runs the orvane-resize program itself.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "core/area_average.h"
#include "core/messages.h"
#include "core/ppm.h"
#include "test_support.h"

namespace {

using namespace testing_support;

struct ProgramRun {
    int status;
    std::string errors;
};

ProgramRun resize(const TempDir& dir, const std::string& arguments)
{
    const std::string errors = dir.file("stderr.txt");
    const std::string command = std::string(ORVANE_RESIZE_EXE) + " " + arguments + " 2>" + errors + " </dev/null";
    const int raw = std::system(command.c_str());
    const auto bytes = readBytes(errors);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(bytes.begin(), bytes.end())};
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(dir.file("out")); }
    TempDir dir;
};

TEST_F(Cli, UsageErrorsExitWith2AndAShortUsage)
{
    writeBytes(dir.file("a.jpg"), makeJpeg({}));
    const std::string a = dir.file("a.jpg"), out = " -o " + dir.file("out") + " ";
    const std::string cases[] = {
        "",
        "-p 50 " + a,                     // no -o
        "-p 50" + out,                    // no FILE
        out + a,                          // neither -p nor -s
        "-p 50 -s 10x10" + out + a,       // both
        "-p fifty" + out + a,
        "-s 10" + out + a,
        "-s 10x" + out + a,
        "-p 50 -q 101" + out + a,
        "-p 50 -q -1" + out + a,
        "-p 50 -j 0" + out + a,
        "-p 50 -z" + out + a,
    };
    for (const auto& arguments : cases) {
        const ProgramRun run = resize(dir, arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.errors.find("usage: orvane-resize"), std::string::npos) << arguments;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("out")));
}

TEST_F(Cli, EachFileIsScaledByItsOwnSizeAndFailuresGiveExit1)
{
    JpegFixture small, large;
    small.width = 20;
    small.height = 10;
    large.width = 64;
    large.height = 48;
    large.progressive = true;
    writeBytes(dir.file("small.jpg"), makeJpeg(small));
    writeBytes(dir.file("large.jpg"), makeJpeg(large));
    ProgramRun run = resize(dir, "-p 50 -j 2 -o " + dir.file("out") + " " + dir.file("small.jpg") + " " + dir.file("large.jpg"));
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors, "") << "no terminal: no progress line";
    EXPECT_EQ(describe(readBytes(dir.file("out/small.jpg"))).width, 10);
    const JpegStructure largeCopy = describe(readBytes(dir.file("out/large.jpg")));
    EXPECT_EQ(largeCopy.width, 32);
    EXPECT_EQ(largeCopy.frameMarker, 0xC2);

    writeBytes(dir.file("bad.jpg"), {'n', 'o'});
    run = resize(dir, "-s 8x6 -q 50 -o " + dir.file("out") + " " + dir.file("bad.jpg") + " " + dir.file("small.jpg"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, core::messages::loadFailed(dir.file("bad.jpg")) + "\n");
    const JpegStructure resized = describe(readBytes(dir.file("out/small.jpg")));
    EXPECT_EQ(resized.width, 8);
    EXPECT_EQ(resized.height, 6);
    EXPECT_EQ(resized.tables[0], expectedQuantTable(0, 50));

    // The job's own refusals come through as they stand.
    run = resize(dir, "-p 50 -o " + dir.path() + " " + dir.file("small.jpg"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, std::string(core::messages::kSameFolder) + "\n");
    // Even for a file that cannot be read: the folder is refused first.
    run = resize(dir, "-p 50 -o " + dir.path() + " " + dir.file("bad.jpg"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, std::string(core::messages::kSameFolder) + "\n");
}

TEST_F(Cli, PpmFilesAreResizedExactly)
{
    std::string head = "P6\n29 17\n255\n";
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    for (int i = 0; i < 29 * 17 * 3; ++i)
        bytes.push_back(std::uint8_t((i * 7919) >> 3));
    writeBytes(dir.file("p.ppm"), bytes);
    const ProgramRun run = resize(dir, "-p 50 -o " + dir.file("out") + " " + dir.file("p.ppm"));
    ASSERT_EQ(run.status, 0) << run.errors;

    core::XrgbBuffer source;
    ASSERT_TRUE(core::readPpm(bytes, source));
    // 50 % of 29 x 17 is 14 x 8: halves go to the even neighbour.
    core::XrgbBuffer expected = core::XrgbBuffer::create(14, 8);
    core::areaAverage(source, expected, nullptr);
    EXPECT_EQ(readBytes(dir.file("out/p.ppm")), core::writePpm(expected));
}

} // namespace
