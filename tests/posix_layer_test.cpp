#include "platform/platform.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

// Every match of `mask` as "name" or "name/" for directories, in search order,
// or the error code when the search fails.
static std::vector<std::string> search(const std::string &mask, DWORD *error = nullptr)
{
    std::vector<std::string> matches;
    WIN32_FIND_DATAA find_data;
    HANDLE found = FindFirstFileA(mask.c_str(), &find_data);
    if (found == INVALID_HANDLE_VALUE) {
        if (error != nullptr) {
            *error = GetLastError();
        }
        return matches;
    }
    do {
        const bool directory = (find_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        matches.push_back(std::string(find_data.cFileName) + (directory ? "/" : ""));
    } while (FindNextFileA(found, &find_data));
    FindClose(found);
    return matches;
}

class DirectorySearch : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *name : {"a.txt", "ab.txt", "b.TXT", ".hidden", "noext", "[a].txt",
                                 "caf\xc3\xa9.txt", "caf\xe9.txt", "caf\xc3.txt"}) {
            write_file(scratch / name, "x");
        }
        ASSERT_EQ(mkdir((scratch / "sub").c_str(), 0755), 0);
        ASSERT_EQ(symlink("sub", (scratch / "to_sub").c_str()), 0);
        ASSERT_EQ(symlink("missing", (scratch / "dangling").c_str()), 0);
        ASSERT_EQ(mkfifo((scratch / "fifo").c_str(), 0644), 0);
        ASSERT_EQ(symlink("fifo", (scratch / "to_fifo").c_str()), 0);
    }

    std::vector<std::string> matches(const std::string &pattern) { return search(scratch / pattern); }

    scratch_directory scratch;
};

TEST_F(DirectorySearch, StarListsEverythingButSpecialFilesInByteOrder)
{
    const std::vector<std::string> expected = {
        "./", "../", ".hidden", "[a].txt", "a.txt", "ab.txt", "b.TXT",
        "caf\xc3.txt", "caf\xc3\xa9.txt", "caf\xe9.txt", "dangling", "noext", "sub/", "to_sub/"};
    EXPECT_EQ(matches("*"), expected);
}

TEST_F(DirectorySearch, PatternsMatchCharactersCaseSensitively)
{
    const struct {
        const char *pattern;
        std::vector<std::string> names;
    } cases[] = {
        {"*.txt", {"[a].txt", "a.txt", "ab.txt", "caf\xc3.txt", "caf\xc3\xa9.txt", "caf\xe9.txt"}},
        {"?.txt", {"a.txt"}},
        {"*.TXT", {"b.TXT"}},
        {"a*", {"a.txt", "ab.txt"}},
        {"*b*", {"ab.txt", "b.TXT", "sub/", "to_sub/"}},
        // One whole UTF-8 sequence, a lone Latin-1 byte and a cut-off lead byte are each one character.
        {"caf?.txt", {"caf\xc3.txt", "caf\xc3\xa9.txt", "caf\xe9.txt"}},
        {"caf??.txt", {}},
        {"[a].txt", {"[a].txt"}},
        {".*", {"./", "../", ".hidden"}},
        {"*.*", {"./", "../", ".hidden", "[a].txt", "a.txt", "ab.txt", "b.TXT", "caf\xc3.txt",
                 "caf\xc3\xa9.txt", "caf\xe9.txt"}},
        {"**t", {"[a].txt", "a.txt", "ab.txt", "caf\xc3.txt", "caf\xc3\xa9.txt", "caf\xe9.txt", "noext"}},
    };
    for (const auto &pattern_case : cases) {
        EXPECT_EQ(matches(pattern_case.pattern), pattern_case.names) << pattern_case.pattern;
    }
}

TEST_F(DirectorySearch, FailsWithoutAMatchOrADirectory)
{
    for (const std::string &mask : {scratch / "*.none", scratch / "", scratch / "fifo",
                                   scratch / "s*/a.txt", scratch / "missing/*"}) {
        DWORD error = 0;
        EXPECT_TRUE(search(mask, &error).empty()) << mask;
        EXPECT_EQ(error, DWORD{ENOENT}) << mask;
    }
}

TEST_F(DirectorySearch, ReadsTheDirectoryOnceWhenItStarts)
{
    WIN32_FIND_DATAA find_data;
    HANDLE found = FindFirstFileA((scratch / "a*").c_str(), &find_data);
    ASSERT_NE(found, INVALID_HANDLE_VALUE);
    write_file(scratch / "aa.txt", "created during the search");
    std::vector<std::string> names = {find_data.cFileName};
    while (FindNextFileA(found, &find_data)) {
        names.push_back(find_data.cFileName);
    }
    FindClose(found);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "ab.txt"}));
}

static HANDLE open_source(const std::string &path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

static HANDLE create_output(const std::string &path)
{
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(FileSharing, ASourceOpenForWritingHereCannotBeOpened)
{
    scratch_directory scratch;
    write_file(scratch / "a.txt", "content");
    HANDLE output = create_output(scratch / "a.txt");
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open_source(scratch / "a.txt"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{EBUSY});
    EXPECT_TRUE(CloseHandle(output));

    HANDLE source = open_source(scratch / "a.txt");
    EXPECT_NE(source, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(source));
}

TEST(FileSharing, ASourceOpenForWritingByAnyDescriptorCannotBeOpened)
{
    scratch_directory scratch;
    write_file(scratch / "a.txt", "content");
    const int writer = open((scratch / "a.txt").c_str(), O_WRONLY);
    ASSERT_NE(writer, -1);
    EXPECT_EQ(open_source(scratch / "a.txt"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{EBUSY});
    close(writer);
}

TEST(FileSharing, CreateReplacesAnUnsharedFileAndRefusesOddRequests)
{
    scratch_directory scratch;
    write_file(scratch / "old.b64", "previous text");
    HANDLE output = create_output(scratch / "old.b64");
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    EXPECT_EQ(read_file(scratch / "old.b64"), "");
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(output, "new", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    EXPECT_TRUE(CloseHandle(output));
    EXPECT_EQ(read_file(scratch / "old.b64"), "new");

    EXPECT_EQ(CreateFileA((scratch / "old.b64").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{EINVAL});
}

TEST(FileSharing, AFifoWithoutAReaderFailsAtOnce)
{
    scratch_directory scratch;
    ASSERT_EQ(mkfifo((scratch / "pipe.b64").c_str(), 0644), 0);
    EXPECT_EQ(create_output(scratch / "pipe.b64"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ENXIO});
}

TEST(FileSharing, APipeWhoseReaderLeftFailsTheWriteInsteadOfKilling)
{
    scratch_directory scratch;
    ASSERT_EQ(mkfifo((scratch / "pipe.b64").c_str(), 0644), 0);
    const int reader = open((scratch / "pipe.b64").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_NE(reader, -1);
    HANDLE output = create_output(scratch / "pipe.b64");
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    close(reader);
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(output, "text", 4, &written, nullptr));
    EXPECT_EQ(GetLastError(), DWORD{EPIPE});
    EXPECT_TRUE(CloseHandle(output));
}
