#include "core/paths.h"

#include <filesystem>

#include <gtest/gtest.h>
#include <unistd.h>

#include "test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::writeBytes;

TEST(Paths, FileNameIsEverythingAfterTheLastSlash)
{
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/photos/a.jpg", "a.jpg"}, {"//a.jpg", "a.jpg"},     {"a.jpg", "a.jpg"},
        {"/photos/", ""},           {"/写真/表.jpg", "表.jpg"}, {"/a/b.c/d", "d"},
        {"/a\\b.jpg", "a\\b.jpg"}, // a backslash is an ordinary character here
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::extractFileName(c.path), c.name) << c.path;
}

TEST(Paths, JoinPutsOneSlashEvenAfterTheRoot)
{
    EXPECT_EQ(core::joinPath("/photos", "a.jpg"), "/photos/a.jpg");
    EXPECT_EQ(core::joinPath("/", "a.jpg"), "//a.jpg");
    EXPECT_EQ(core::folderOf("/photos/a.jpg"), "/photos");
    EXPECT_EQ(core::folderOf("//a.jpg"), "/");
    EXPECT_EQ(core::folderOf("/a.jpg"), "/");
    EXPECT_EQ(core::folderOf("a.jpg"), ".");
}

class SameFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dir.file("photos"));
        std::filesystem::create_directory(dir.file("out"));
        source = dir.file("photos/a.jpg");
        writeBytes(source, {1, 2, 3});
    }
    TempDir dir;
    std::string source;
};

TEST_F(SameFolder, ExactTextIsTheSameFolderEvenWhenNothingExists)
{
    EXPECT_TRUE(core::isSameFolder("/no/such/folder/a.jpg", "/no/such/folder"));
    // A source in the root with the root as destination has the "//name" form.
    EXPECT_TRUE(core::isSameFolder("//a.jpg", "/"));
    EXPECT_FALSE(core::isSameFolder("/no/such/folder/a.jpg", "/no/such/other"));
}

TEST_F(SameFolder, RecognisesTheSourceFolderReachedAnotherWay)
{
    std::filesystem::create_directory_symlink(dir.file("photos"), dir.file("link"));
    const std::string ways[] = {
        dir.file("link"),             // a symbolic link
        dir.file("out/../photos"),    // ".."
        dir.file("photos/."),         // a trailing "."
        dir.path() + "//photos",      // a doubled separator
    };
    for (const auto& destination : ways)
        EXPECT_TRUE(core::isSameFolder(source, destination)) << destination;
}

TEST_F(SameFolder, RecognisesATargetThatIsTheSourceFileItself)
{
    // out/a.jpg is a hard link to the source: writing it could destroy the source's data.
    ASSERT_EQ(::link(source.c_str(), dir.file("out/a.jpg").c_str()), 0);
    EXPECT_TRUE(core::isSameFolder(source, dir.file("out")));
}

TEST_F(SameFolder, AnotherFolderIsNotTheSame)
{
    EXPECT_FALSE(core::isSameFolder(source, dir.file("out")));
    writeBytes(dir.file("out/a.jpg"), {1, 2, 3}); // same name, another file
    EXPECT_FALSE(core::isSameFolder(source, dir.file("out")));
    EXPECT_FALSE(core::isSameFolder(source, dir.file("missing")));
}

} // namespace
