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

TEST(PathLimits, RefuseWhatDoesNotFitTheBuffers)
{
    char prefix[PREFIX_CAPACITY];
    EXPECT_TRUE(derive_source_prefix((std::string(254, 'd') + "/*").c_str(), prefix));
    EXPECT_FALSE(derive_source_prefix((std::string(255, 'd') + "/*").c_str(), prefix));

    EXPECT_TRUE(prepare_destination(std::string(254, 'd').c_str(), prefix));
    EXPECT_TRUE(prepare_destination((std::string(254, 'd') + "/").c_str(), prefix));
    EXPECT_FALSE(prepare_destination(std::string(255, 'd').c_str(), prefix));
    EXPECT_STREQ(prefix, "");

    char path[PATH_CAPACITY];
    const std::string directory(255, 'd');
    EXPECT_TRUE(derive_source_path(directory.c_str(), std::string(256, 'n').c_str(), path));
    EXPECT_FALSE(derive_source_path(directory.c_str(), std::string(257, 'n').c_str(), path));
    EXPECT_TRUE(derive_output_path(directory.c_str(), std::string(252, 'n').c_str(), path));
    EXPECT_FALSE(derive_output_path(directory.c_str(), std::string(253, 'n').c_str(), path));
    EXPECT_EQ(std::string(path).size(), 511u);
}
