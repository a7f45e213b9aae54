#include "tool/paths.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

TEST(OutputPath, TakesTheNameUpToItsFirstDot)
{
    const struct {
        const char *directory;
        const char *file_name;
        const char *output_path;
    } cases[] = {
        {"", "report.txt", "report.b64"},
        {"", "archive.tar.gz", "archive.b64"},
        {"", "README", "README.b64"},
        {"", ".profile", ".b64"},
        {"", "name.", "name.b64"},
        {"", "a.b64", "a.b64"},
        {"old.data/", "x.txt", "old.data/x.b64"},
        {"out/", "report.txt", "out/report.b64"},
        {"back\\slash:dir/", "c.d", "back\\slash:dir/c.b64"},
    };
    for (const auto &naming : cases) {
        char output_path[PATH_CAPACITY];
        EXPECT_TRUE(derive_output_path(naming.directory, naming.file_name, output_path));
        EXPECT_STREQ(output_path, naming.output_path) << naming.directory << naming.file_name;
    }
}

static const bool WINDOWS_PATHS = PATH_SEPARATOR == '\\';

TEST(SourcePrefix, EndsAtTheLastSeparator)
{
    // Windows also takes a backslash, and a drive colon when there is no slash of either kind.
    const struct {
        const char *src_mask;
        const char *posix_prefix;
        const char *windows_prefix;
    } cases[] = {
        {"*.txt", "", ""},
        {"docs/*.txt", "docs/", "docs/"},
        {"a/b.c/*.txt", "a/b.c/", "a/b.c/"},
        {"/abs/*", "/abs/", "/abs/"},
        {"C:*.dat", "", "C:"},
        {"C:\\dir\\*.dat", "", "C:\\dir\\"},
        {"a:b:*", "", "a:"},
        {"x:y/z\\*", "x:y/", "x:y/z\\"},
        {"win\\dir/*.txt", "win\\dir/", "win\\dir/"},
    };
    for (const auto &prefix : cases) {
        char source_prefix[PREFIX_CAPACITY];
        EXPECT_TRUE(derive_source_prefix(prefix.src_mask, source_prefix));
        EXPECT_STREQ(source_prefix, WINDOWS_PATHS ? prefix.windows_prefix : prefix.posix_prefix)
            << prefix.src_mask;
    }
}

TEST(Destination, GetsATrailingSeparatorUnlessEmpty)
{
    const struct {
        const char *dst_path;
        const char *posix_destination;
        const char *windows_destination;
    } cases[] = {
        {"", "", ""},
        {"out", "out/", "out\\"},
        {"out/", "out/", "out/"},
        {"out\\", "out\\/", "out\\"},
        {"/", "/", "/"},
        {"C:", "C:/", "C:\\"},
    };
    for (const auto &destination_case : cases) {
        char destination[PREFIX_CAPACITY];
        EXPECT_TRUE(prepare_destination(destination_case.dst_path, destination));
        EXPECT_STREQ(destination, WINDOWS_PATHS ? destination_case.windows_destination
                                                : destination_case.posix_destination)
            << destination_case.dst_path;
    }
}

// The platform's capacities: 256 and 512 bytes on Windows, PATH_MAX on POSIX.
TEST(PathLimits, RefuseWhatDoesNotFitTheBuffers)
{
    const std::size_t longest_prefix = PREFIX_CAPACITY - 1;
    char prefix[PREFIX_CAPACITY];
    EXPECT_TRUE(derive_source_prefix((std::string(longest_prefix - 1, 'd') + "/*").c_str(), prefix));
    EXPECT_FALSE(derive_source_prefix((std::string(longest_prefix, 'd') + "/*").c_str(), prefix));

    EXPECT_TRUE(prepare_destination(std::string(longest_prefix - 1, 'd').c_str(), prefix));
    EXPECT_TRUE(prepare_destination((std::string(longest_prefix - 1, 'd') + "/").c_str(), prefix));
    EXPECT_FALSE(prepare_destination(std::string(longest_prefix, 'd').c_str(), prefix));
    EXPECT_STREQ(prefix, "");

    const std::size_t longest_path = PATH_CAPACITY - 1;
    char path[PATH_CAPACITY];
    const std::string directory(255, 'd');
    const std::size_t name_room = longest_path - directory.size();
    EXPECT_TRUE(derive_source_path(directory.c_str(), std::string(name_room, 'n').c_str(), path));
    EXPECT_FALSE(derive_source_path(directory.c_str(), std::string(name_room + 1, 'n').c_str(), path));
    EXPECT_TRUE(derive_output_path(directory.c_str(), std::string(name_room - 4, 'n').c_str(), path));
    EXPECT_FALSE(derive_output_path(directory.c_str(), std::string(name_room - 3, 'n').c_str(), path));
    EXPECT_EQ(std::string(path).size(), longest_path);
}

TEST(Mask, NamesFilesUnlessItsLastComponentIsEmptyOrADotEntry)
{
    for (const char *mask : {"*", "a.txt", "docs/*.txt", "...", ".profile", "..x", "docs/.x"}) {
        EXPECT_TRUE(mask_names_files(mask)) << mask;
    }
    for (const char *mask : {"", ".", "..", "docs/", "docs/.", "docs/..", "/"}) {
        EXPECT_FALSE(mask_names_files(mask)) << mask;
    }
}

