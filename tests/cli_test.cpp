// The program, black box: each case is a small fixture, a command line, the
// exit status, the exact standard output and the files afterwards. The command
// that starts the program comes from ZORVEX_TEST_COMMAND (words separated by
// spaces) or defaults to the program built beside these tests.
//
// ZORVEX_TEST_PLATFORM=windows checks a Windows build, run under Wine, against
// the same table: error codes are written as the situation that causes them
// and filled in with the platform's numbers, console lines end in CR LF, and
// the lines of different matches may come in any order, since Windows promises
// no order of the directory listing.
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include <sstream>
#include <string>
#include <vector>

static std::vector<std::string> program_command()
{
    const char *configured = std::getenv("ZORVEX_TEST_COMMAND");
    std::istringstream words(configured != nullptr ? configured : ZORVEX_PROGRAM);
    std::vector<std::string> command;
    for (std::string word; words >> word;) {
        command.push_back(word);
    }
    return command;
}

static bool testing_windows()
{
    const char *platform = std::getenv("ZORVEX_TEST_PLATFORM");
    return platform != nullptr && std::strcmp(platform, "windows") == 0;
}

struct platform_code {
    int linux_code;
    int windows_code;
};

// What each situation's "Code = " reads on each platform. Windows has no code
// for a file too large: Wine reports the write that the limit cut short as
// done, and the program's own check of the byte count calls it a full disk.
static const std::map<std::string, platform_code> SITUATION_CODES = {
    {"{MISSING_FILE}", {ENOENT, 2}},        // ERROR_FILE_NOT_FOUND
    {"{MISSING_DIRECTORY}", {ENOENT, 3}},   // ERROR_PATH_NOT_FOUND
    {"{READ_ONLY}", {EACCES, 5}},           // ERROR_ACCESS_DENIED
    {"{IS_A_DIRECTORY}", {EISDIR, 5}},      // ERROR_ACCESS_DENIED
    {"{IN_USE}", {EBUSY, 32}},              // ERROR_SHARING_VIOLATION
    {"{DEVICE_ERROR}", {EIO, 21}},          // ERROR_NOT_READY
    {"{DISK_FULL}", {ENOSPC, 112}},         // ERROR_DISK_FULL
    {"{FILE_TOO_LARGE}", {EFBIG, 112}},     // ERROR_DISK_FULL
    {"{NAME_TOO_LONG}", {ENAMETOOLONG, 206}},  // ERROR_FILENAME_EXCED_RANGE
};

static void replace_all(std::string *text, const std::string &token, const std::string &replacement)
{
    for (std::size_t at = 0; (at = text->find(token, at)) != std::string::npos;
         at += replacement.size()) {
        text->replace(at, token.size(), replacement);
    }
}

// The expected text as the platform under test prints it: codes filled in,
// "{SEP}" as the separator the program appends to a directory, and on Windows
// CR LF line ends, which the C run time's text mode writes for each line feed.
static std::string for_this_platform(std::string text)
{
    const bool windows = testing_windows();
    for (const auto &[token, code] : SITUATION_CODES) {
        replace_all(&text, token, std::to_string(windows ? code.windows_code : code.linux_code));
    }
    replace_all(&text, "{SEP}", windows ? "\\" : "/");
    if (windows) {
        replace_all(&text, "\n", "\r\n");
    }
    return text;
}

// The output with each match's lines (its "Make" line and any report after
// it) kept together but the matches sorted, for a platform that lists a
// directory in no promised order.
static std::string in_sorted_match_order(const std::string &output)
{
    std::vector<std::string> matches;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t next = output.find("Make ", start + 1);
        while (next != std::string::npos && output[next - 1] != '\n') {
            next = output.find("Make ", next + 1);
        }
        const std::size_t end = next == std::string::npos ? output.size() : next;
        matches.push_back(output.substr(start, end - start));
        start = end;
    }
    std::sort(matches.begin(), matches.end());
    std::string sorted;
    for (const std::string &match : matches) {
        sorted += match;
    }
    return sorted;
}

const char USAGE_TEXT[] =
    "zorvex Version 1.00A, by the zorvex authors\n\n"
    "Copy files to Base64 format, usage:\n"
    "zorvex <src_mask> [<dst_path>]\n"
    "\nEach match gets a .b64 file of Base64 text in CR LF lines of 60 characters.\n"
    "Exit status: 0 all converted, 8 no match or a failure, 64 this text.\n"
    "Quote the mask so the shell leaves its wildcards alone; see README.md.\n";

enum entry_kind { REGULAR_FILE, READ_ONLY_FILE, DIRECTORY, SYMBOLIC_LINK, HARD_LINK };

struct fixture_entry {
    entry_kind kind;
    std::string path;
    std::string content;  // a file's bytes, or a link's target
};

enum check_kind {
    ENCODES,             // holds the Base64 text of the fixture file named by `argument`
    STARTS_THE_TEXT_OF,  // holds the first `size` bytes of that text
    HOLDS,               // holds exactly `argument`
    ABSENT,
};

struct file_check {
    check_kind kind = ABSENT;
    std::string path = {};
    std::string argument = {};
    std::size_t size = 0;
};

enum platforms { BOTH_PLATFORMS, LINUX_ONLY, WINDOWS_ONLY };

struct cli_case {
    std::string name = {};
    platforms runs_on = BOTH_PLATFORMS;
    std::vector<fixture_entry> fixture = {};
    std::vector<std::string> arguments = {};
    int exit_status = 0;
    std::string standard_output = {};
    std::vector<file_check> files = {};
    std::string held_for_writing = {};  // opened for writing by this process during the run
    rlim_t file_size_limit = RLIM_INFINITY;
    std::string failing_file = {};  // reads of it fail with EIO from byte `failing_from` on
    long long failing_from = 0;
};

// Names the case in test listings instead of dumping its bytes.
static void PrintTo(const cli_case &test_case, std::ostream *stream)
{
    *stream << test_case.name;
}

static fixture_entry file(const std::string &path, const std::string &content)
{
    return {REGULAR_FILE, path, content};
}

// A short text that differs per file, so a mix-up of sources shows.
static fixture_entry file(const std::string &path)
{
    return file(path, "contents of " + path + "\n");
}

static bool set_immutable(const std::string &path, bool immutable)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    bool done = descriptor != -1 && ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (descriptor != -1) {
        close(descriptor);
    }
    return done;
}

// Lets the scratch directory be removed.
static void release_fixture(const std::string &root, const std::vector<fixture_entry> &fixture)
{
    for (const fixture_entry &entry : fixture) {
        if (entry.kind == READ_ONLY_FILE && testing_windows()) {
            set_immutable(root + "/" + entry.path, false);
        }
    }
}

// Creates the entries of a fixture at their paths, relative to the current directory.
static void create_entries(const std::vector<fixture_entry> &fixture)
{
    for (const fixture_entry &entry : fixture) {
        const std::string &path = entry.path;
        switch (entry.kind) {
        case REGULAR_FILE:
        case READ_ONLY_FILE:
            write_file(path, entry.content);
            if (entry.kind == READ_ONLY_FILE) {
                ASSERT_EQ(chmod(path.c_str(), 0444), 0) << path;
                // Wine's server writes files whatever their mode bits say, so
                // there the file is also made immutable.
                if (testing_windows()) {
                    ASSERT_TRUE(set_immutable(path, true)) << path << ": " << std::strerror(errno);
                }
            }
            break;
        case DIRECTORY: {
            std::error_code error;
            ASSERT_TRUE(std::filesystem::create_directories(path, error)) << path << ": " << error;
            break;
        }
        case SYMBOLIC_LINK:
            ASSERT_EQ(symlink(entry.content.c_str(), path.c_str()), 0) << path;
            break;
        case HARD_LINK:
            ASSERT_EQ(link(entry.content.c_str(), path.c_str()), 0) << path;
            break;
        }
    }
}

// Creates the fixture from inside `root`, so that its paths are relative:
// as absolute paths, the deepest ones would pass the system's PATH_MAX.
static void create_fixture(const std::string &root, const std::vector<fixture_entry> &fixture)
{
    const int previous = open(".", O_RDONLY | O_CLOEXEC);
    ASSERT_NE(previous, -1);
    ASSERT_EQ(chdir(root.c_str()), 0) << root;
    create_entries(fixture);
    EXPECT_EQ(fchdir(previous), 0);
    close(previous);
}

struct run_result {
    int exit_status;
    std::string standard_output;
};

// Makes reads of `path` fail from byte `from` on in the program about to be started.
static void fail_reads_from(const std::string &path, long long from)
{
    setenv("LD_PRELOAD", ZORVEX_FAILING_READS, 1);
    setenv("ZORVEX_TEST_FAILING_FILE", path.c_str(), 1);
    setenv("ZORVEX_TEST_FAILING_FROM", std::to_string(from).c_str(), 1);
    // A sanitized program would otherwise refuse a library loaded before its run time.
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
}

static run_result run_program(const std::string &directory, const cli_case &test_case)
{
    std::vector<std::string> words = program_command();
    words.insert(words.end(), test_case.arguments.begin(), test_case.arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    int output_pipe[2];
    if (pipe(output_pipe) != 0) {
        ADD_FAILURE() << "pipe failed";
        return {-1, ""};
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(output_pipe[1], STDOUT_FILENO);
        close(output_pipe[0]);
        close(output_pipe[1]);
        if (!test_case.failing_file.empty()) {
            fail_reads_from(directory + "/" + test_case.failing_file, test_case.failing_from);
        }
        const rlimit limit = {test_case.file_size_limit, test_case.file_size_limit};
        // Past the limit a write then fails with EFBIG instead of killing the program.
        signal(SIGXFSZ, SIG_IGN);
        if (chdir(directory.c_str()) != 0 || setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(output_pipe[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t length; (length = read(output_pipe[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(length));
    }
    close(output_pipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status)) {
        ADD_FAILURE() << "the program did not exit normally: status " << status;
        return {-1, output};
    }
    return {WEXITSTATUS(status), output};
}

// Runs `command` on `input` and returns what it printed.
static std::string filter_through(const std::string &command, const std::string &input)
{
    scratch_directory scratch;
    write_file(scratch / "input", input);
    FILE *pipe = popen((command + " < '" + (scratch / "input") + "'").c_str(), "r");
    std::string output;
    char buffer[4096];
    for (std::size_t length; (length = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, length);
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return output;
}

// The expected text, from the system's base64: each 12288-byte chunk of the
// source wrapped at 60 columns, with CR LF for its line feeds.
static std::string oracle_text(const std::string &bytes)
{
    std::string text;
    for (std::size_t start = 0; start < bytes.size(); start += 12288) {
        for (char character : filter_through("base64 -w 60", bytes.substr(start, 12288))) {
            text += character == '\n' ? std::string("\r\n") : std::string(1, character);
        }
    }
    return text;
}

static void expect_encodes(const std::string &text, const std::string &source_bytes)
{
    EXPECT_EQ(text, oracle_text(source_bytes));
    std::string joined;
    for (char character : text) {
        if (character != '\r' && character != '\n') {
            joined += character;
        }
    }
    EXPECT_EQ(filter_through("base64 -d", joined), source_bytes) << "round trip";
}

static const std::string &fixture_content(const cli_case &test_case, const std::string &path)
{
    for (const fixture_entry &entry : test_case.fixture) {
        if (entry.path == path) {
            return entry.content;
        }
    }
    ADD_FAILURE() << "no fixture file " << path;
    static const std::string none;
    return none;
}

static void check_files(const cli_case &test_case, const scratch_directory &scratch)
{
    for (const file_check &check : test_case.files) {
        SCOPED_TRACE(check.path);
        const std::string path = scratch / check.path;
        switch (check.kind) {
        case ENCODES:
            ASSERT_TRUE(file_exists(path));
            expect_encodes(read_file(path), fixture_content(test_case, check.argument));
            break;
        case STARTS_THE_TEXT_OF: {
            const std::string text = read_file(path);
            EXPECT_EQ(text.size(), check.size);
            EXPECT_EQ(text, oracle_text(fixture_content(test_case, check.argument)).substr(0, check.size));
            break;
        }
        case HOLDS:
            ASSERT_TRUE(file_exists(path));
            EXPECT_EQ(read_file(path), check.argument);
            break;
        case ABSENT:
            EXPECT_FALSE(file_exists(path));
            break;
        }
    }
}

static void run_case(const cli_case &test_case)
{
    if (test_case.runs_on == (testing_windows() ? LINUX_ONLY : WINDOWS_ONLY)) {
        GTEST_SKIP() << "a case for the other platform";
    }
    scratch_directory scratch;
    create_fixture(scratch.path, test_case.fixture);
    int holder = -1;
    if (!test_case.held_for_writing.empty()) {
        holder = open((scratch / test_case.held_for_writing).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_NE(holder, -1);
    }
    const run_result result = run_program(scratch.path, test_case);
    if (holder != -1) {
        close(holder);
    }
    release_fixture(scratch.path, test_case.fixture);
    const std::string expected_output = for_this_platform(test_case.standard_output);
    if (testing_windows()) {
        EXPECT_EQ(in_sorted_match_order(result.standard_output), in_sorted_match_order(expected_output));
    } else {
        EXPECT_EQ(result.standard_output, expected_output);
    }
    EXPECT_EQ(result.exit_status, test_case.exit_status);
    check_files(test_case, scratch);
}

// Sizes around every line and chunk boundary, converted in one run.
static cli_case sizes_case()
{
    cli_case sizes = {.name = "ConvertsEverySizeAcrossLineAndChunkBoundaries",
                      .arguments = {"*.dat"},
                      .exit_status = 0};
    for (std::size_t size : {0, 1, 2, 3, 45, 46, 12287, 12288, 12289, 24576, 100000}) {
        char stem[16];
        std::snprintf(stem, sizeof stem, "s%06zu", size);
        const std::string source = std::string(stem) + ".dat";
        const std::string output = std::string(stem) + ".b64";
        sizes.fixture.push_back(file(source, test_bytes(size, static_cast<unsigned>(size))));
        sizes.standard_output += "Make " + source + " to " + output + "\n";
        sizes.files.push_back({ENCODES, output, source});
    }
    return sizes;
}

static const std::string long_directory(254, 'd');

// A relative directory path of exactly `length` bytes that begins with
// `first`: components of 200 bytes and a last one of 1 to 201, each within
// a file name's 255.
static std::string deep_directory(char first, std::size_t length)
{
    std::string path(1, first);
    while (path.size() + 201 < length) {
        path += std::string(199, 'd') + "/d";
    }
    return path + std::string(length - path.size(), 'd');
}

// A directory part, or a dst_path with its separator, of the platform's
// longest (PATH_MAX less the terminator on Linux): this directory's path
// is one byte shorter.
static const std::string deepest_directory = deep_directory('d', 4094);
static const std::string too_deep_directory = deep_directory('e', 4095);

// The failure for a path that does not fit: its message, cut so that it
// fits a message of `capacity` bytes and still ends with its code.
static std::string cut_message(const std::string &operation, const std::string &path,
                               std::size_t capacity)
{
    const std::string code = for_this_platform(", Code = {NAME_TOO_LONG}");
    const std::string prefix = "Error in " + operation + " ";
    return prefix + path.substr(0, capacity - 1 - prefix.size() - code.size()) + code;
}

// Reads that fail part way through a file, past its first batch of 16 chunks:
// the output keeps the text of the whole chunks read before the failure, and
// never the chunk it interrupted.
static cli_case read_failing_from(const std::string &name, long long from, std::size_t chunks_kept)
{
    return {.name = name, .runs_on = LINUX_ONLY,
            .fixture = {file("a.dat", test_bytes(400000, 3))}, .arguments = {"a.dat"},
            .exit_status = 8,
            .standard_output = "Make a.dat to a.b64\nError in read from file a.dat, Code = {DEVICE_ERROR}\n",
            .files = {{STARTS_THE_TEXT_OF, "a.b64", "a.dat", chunks_kept * 16932}},
            .failing_file = "a.dat", .failing_from = from};
}

static std::vector<cli_case> cli_cases()
{
    const std::string bytes_250000 = test_bytes(250000);
    return {
        {.name = "NoArgumentsShowUsage", .exit_status = 64, .standard_output = USAGE_TEXT},
        {.name = "SlashQuestionShowsUsage", .arguments = {"/?"}, .exit_status = 64,
         .standard_output = USAGE_TEXT},
        {.name = "DashQuestionShowsUsageWhateverFollows", .arguments = {"-?", "out"},
         .exit_status = 64, .standard_output = USAGE_TEXT},
        {.name = "DoubleDashHelpShowsUsage", .arguments = {"--help"}, .exit_status = 64,
         .standard_output = USAGE_TEXT},
        {.name = "AFileNamedLikeTheHelpRequestIsReachedByItsPath", .fixture = {file("--help")},
         .arguments = {"./--help"}, .exit_status = 0,
         .standard_output = "Make ./--help to ./--help.b64\n",
         .files = {{ENCODES, "--help.b64", "--help"}}},
        {.name = "OtherHelpFormsAreMasks", .arguments = {"-H"}, .exit_status = 8,
         .standard_output = "Invalid src_mask \"-H\"\n"},
        {.name = "LongerHelpLookalikeIsAMask", .arguments = {"--helpme"}, .exit_status = 8,
         .standard_output = "Invalid src_mask \"--helpme\"\n"},
        {.name = "LongerUsageLookalikeIsAMask", .arguments = {"-?x"}, .exit_status = 8,
         .standard_output = "Invalid src_mask \"-?x\"\n"},
        {.name = "MaskMatchingNothing", .fixture = {file("a.txt")}, .arguments = {"*.doc"},
         .exit_status = 8, .standard_output = "Invalid src_mask \"*.doc\"\n"},
        {.name = "MaskInAMissingDirectory", .arguments = {"nowhere/*.txt"}, .exit_status = 8,
         .standard_output = "Invalid src_mask \"nowhere/*.txt\"\n"},
        {.name = "OnlyDirectoriesConvertNothing",
         .fixture = {{DIRECTORY, "sub.txt", ""}, {DIRECTORY, "other", ""}},
         .arguments = {"*"}, .exit_status = 0, .standard_output = "",
         .files = {{ABSENT, "sub.b64"}}},
        sizes_case(),
        // With a decoy of the same name in the current directory: the match is read where it was found.
        {.name = "ForwardSlashMaskReadsTheMatchedDirectory",
         .fixture = {{DIRECTORY, "docs", ""}, file("docs/a.txt"), file("a.txt")},
         .arguments = {"docs/*.txt"}, .exit_status = 0,
         .standard_output = "Make docs/a.txt to docs/a.b64\n",
         .files = {{ENCODES, "docs/a.b64", "docs/a.txt"}, {ABSENT, "a.b64"}}},
        {.name = "DotsInTheDirectoryDoNotNameTheOutput",
         .fixture = {{DIRECTORY, "old.data", ""}, file("old.data/x.txt")},
         .arguments = {"old.data/*"}, .exit_status = 0,
         .standard_output = "Make old.data/x.txt to old.data/x.b64\n",
         .files = {{ENCODES, "old.data/x.b64", "old.data/x.txt"}}},
        {.name = "NamesWithPercentAndSpaces",
         .fixture = {file("100% sure.txt"), file("%s %n.txt"), file("my file.txt")},
         .arguments = {"*.txt"}, .exit_status = 0,
         .standard_output = "Make %s %n.txt to %s %n.b64\n"
                            "Make 100% sure.txt to 100% sure.b64\n"
                            "Make my file.txt to my file.b64\n",
         .files = {{ENCODES, "%s %n.b64", "%s %n.txt"},
                   {ENCODES, "100% sure.b64", "100% sure.txt"},
                   {ENCODES, "my file.b64", "my file.txt"}}},
        // Wine reads Linux names as UTF-8 and can't open one that isn't.
        {.name = "NamesThatAreNotUtf8", .runs_on = LINUX_ONLY, .fixture = {file("caf\xe9.txt")},
         .arguments = {"*.txt"}, .exit_status = 0,
         .standard_output = "Make caf\xe9.txt to caf\xe9.b64\n",
         .files = {{ENCODES, "caf\xe9.b64", "caf\xe9.txt"}}},
        {.name = "MaskMatchesCaseExactly", .runs_on = LINUX_ONLY, .fixture = {file("A.TXT")},
         .arguments = {"*.txt"}, .exit_status = 8, .standard_output = "Invalid src_mask \"*.txt\"\n"},
        {.name = "MaskMatchesAnyCase", .runs_on = WINDOWS_ONLY, .fixture = {file("A.TXT")},
         .arguments = {"*.txt"}, .exit_status = 0, .standard_output = "Make A.TXT to A.b64\n",
         .files = {{ENCODES, "A.b64", "A.TXT"}}},
        {.name = "BackslashMask", .runs_on = WINDOWS_ONLY,
         .fixture = {{DIRECTORY, "docs", ""}, file("docs/a.txt")}, .arguments = {"docs\\*.txt"},
         .exit_status = 0, .standard_output = "Make docs\\a.txt to docs\\a.b64\n",
         .files = {{ENCODES, "docs/a.b64", "docs/a.txt"}}},
        // The scratch directory is the current one on Wine's drive C:.
        {.name = "DrivePrefixWithoutABackslash", .runs_on = WINDOWS_ONLY, .fixture = {file("a.dat")},
         .arguments = {"C:*.dat"}, .exit_status = 0, .standard_output = "Make C:a.dat to C:a.b64\n",
         .files = {{ENCODES, "a.b64", "a.dat"}}},
        {.name = "HiddenAndDotlessNames", .fixture = {file(".profile"), file("README")},
         .arguments = {"*"}, .exit_status = 0,
         .standard_output = "Make .profile to .b64\nMake README to README.b64\n",
         .files = {{ENCODES, ".b64", ".profile"}, {ENCODES, "README.b64", "README"}}},
        // Which source comes later depends on the listing order, which only Linux fixes.
        {.name = "TwoSourcesOnOneOutputLaterWins", .runs_on = LINUX_ONLY,
         .fixture = {file("a.doc"), file("a.txt")},
         .arguments = {"a.*"}, .exit_status = 0,
         .standard_output = "Make a.doc to a.b64\nMake a.txt to a.b64\n",
         .files = {{ENCODES, "a.b64", "a.txt"}}},
        // Also a matter of order; and Wine does not list a dangling link.
        {.name = "FirstFailureStopsTheRun", .runs_on = LINUX_ONLY,
         .fixture = {file("a.txt"), {SYMBOLIC_LINK, "b.txt", "missing"}, file("c.txt")},
         .arguments = {"*.txt"}, .exit_status = 8,
         .standard_output = "Make a.txt to a.b64\nMake b.txt to b.b64\n"
                            "Error in open file b.txt, Code = {MISSING_FILE}\n",
         .files = {{ENCODES, "a.b64", "a.txt"}, {ABSENT, "b.b64"}, {ABSENT, "c.b64"}}},
        // A second run over a converted directory meets its own output and must not empty it.
        {.name = "EarlierOutputMatchedAsItsOwnSource",
         .fixture = {file("a.b64", "YQ==\r\n")}, .arguments = {"*"},
         .exit_status = 8,
         .standard_output = "Make a.b64 to a.b64\nError in create file a.b64, Code = {IN_USE}\n",
         .files = {{HOLDS, "a.b64", "YQ==\r\n"}}},
        {.name = "OutputHardLinkedToItsSource",
         .fixture = {file("a.txt", "source bytes"), {HARD_LINK, "a.b64", "a.txt"}},
         .arguments = {"a.txt"}, .exit_status = 8,
         .standard_output = "Make a.txt to a.b64\nError in create file a.b64, Code = {IN_USE}\n",
         .files = {{HOLDS, "a.txt", "source bytes"}}},
        {.name = "OutputSymlinkedToItsSource",
         .fixture = {file("a.txt", "source bytes"), {SYMBOLIC_LINK, "a.b64", "a.txt"}},
         .arguments = {"a.txt"}, .exit_status = 8,
         .standard_output = "Make a.txt to a.b64\nError in create file a.b64, Code = {IN_USE}\n",
         .files = {{HOLDS, "a.txt", "source bytes"}}},
        {.name = "ReadOnlyFileAtTheOutput",
         .fixture = {file("a.txt"), {READ_ONLY_FILE, "a.b64", "kept"}}, .arguments = {"a.txt"},
         .exit_status = 8,
         .standard_output = "Make a.txt to a.b64\nError in create file a.b64, Code = {READ_ONLY}\n",
         .files = {{HOLDS, "a.b64", "kept"}}},
        {.name = "DirectoryAtTheOutput", .fixture = {file("a.txt"), {DIRECTORY, "a.b64", ""}},
         .arguments = {"a.txt"}, .exit_status = 8,
         .standard_output = "Make a.txt to a.b64\nError in create file a.b64, Code = {IS_A_DIRECTORY}\n"},
        {.name = "DiskFull", .fixture = {file("a.txt"), {SYMBOLIC_LINK, "a.b64", "/dev/full"}},
         .arguments = {"a.txt"}, .exit_status = 8,
         .standard_output = "Make a.txt to a.b64\nError in write to file a.b64, Code = {DISK_FULL}\n"},
        // The limit falls in the second batch's text, in the middle of a line.
        {.name = "WriteStoppingPartWayKeepsWhatWasWritten",
         .fixture = {file("a.txt", bytes_250000)}, .arguments = {"a.txt"}, .exit_status = 8,
         .standard_output = "Make a.txt to a.b64\nError in write to file a.b64, Code = {FILE_TOO_LARGE}\n",
         .files = {{STARTS_THE_TEXT_OF, "a.b64", "a.txt", 300001}},
         .file_size_limit = 300001},
        read_failing_from("ReadFailingInsideAChunkKeepsTheWholeChunksBefore", 18 * 12288 + 100, 18),
        read_failing_from("ReadFailingAtAChunkBoundaryKeepsTheChunksBefore", 18 * 12288, 18),
        read_failing_from("ReadFailingAtABatchBoundaryKeepsTheFirstBatch", 16 * 12288, 16),
        read_failing_from("ReadFailingInTheFirstChunkWritesNothing", 5000, 0),
        // The chunks before a failed read are written first; when that write fails, it is reported.
        {.name = "WriteFailingBeforeAReadFailureIsTheOneReported", .runs_on = LINUX_ONLY,
         .fixture = {file("a.dat", bytes_250000)}, .arguments = {"a.dat"}, .exit_status = 8,
         .standard_output = "Make a.dat to a.b64\nError in write to file a.b64, Code = {FILE_TOO_LARGE}\n",
         .files = {{STARTS_THE_TEXT_OF, "a.b64", "a.dat", 50000}},
         .file_size_limit = 50000, .failing_file = "a.dat", .failing_from = 5 * 12288 + 7},
        {.name = "ReadError", .fixture = {{SYMBOLIC_LINK, "a.txt", "/proc/self/mem"}},
         .arguments = {"a.txt"}, .exit_status = 8,
         .standard_output = "Make a.txt to a.b64\nError in read from file a.txt, Code = {DEVICE_ERROR}\n",
         .files = {{HOLDS, "a.b64", ""}}},
        // Wine does not see what a Linux process holds open.
        {.name = "SourceHeldOpenForWritingElsewhere", .runs_on = LINUX_ONLY,
         .fixture = {file("a.txt")},
         .arguments = {"a.txt"}, .exit_status = 8,
         .standard_output = "Make a.txt to a.b64\nError in open file a.txt, Code = {IN_USE}\n",
         .files = {{ABSENT, "a.b64"}}, .held_for_writing = "a.txt"},
        {.name = "DestinationDirectory",
         .fixture = {{DIRECTORY, "docs", ""}, file("docs/a.txt"), {DIRECTORY, "out", ""}},
         .arguments = {"docs/*.txt", "out"}, .exit_status = 0,
         .standard_output = "Make docs/a.txt to out{SEP}a.b64\n",
         .files = {{ENCODES, "out/a.b64", "docs/a.txt"}, {ABSENT, "docs/a.b64"}}},
        {.name = "DestinationWithItsSeparator",
         .fixture = {file("a.txt"), {DIRECTORY, "out", ""}}, .arguments = {"a.txt", "out/"},
         .exit_status = 0, .standard_output = "Make a.txt to out/a.b64\n",
         .files = {{ENCODES, "out/a.b64", "a.txt"}}},
        {.name = "EmptyDestinationWritesBesideTheSource",
         .fixture = {{DIRECTORY, "docs", ""}, file("docs/a.txt")}, .arguments = {"docs/a.txt", ""},
         .exit_status = 0, .standard_output = "Make docs/a.txt to docs/a.b64\n",
         .files = {{ENCODES, "docs/a.b64", "docs/a.txt"}}},
        {.name = "MissingDestination", .fixture = {file("a.txt")}, .arguments = {"a.txt", "nowhere"},
         .exit_status = 8,
         .standard_output = "Make a.txt to nowhere{SEP}a.b64\n"
                            "Error in create file nowhere{SEP}a.b64, Code = {MISSING_DIRECTORY}\n"},
        // Names in many scripts keep their bytes on both platforms: Cyrillic,
        // Japanese, Latin with a macron, and a character beyond the Basic
        // Multilingual Plane.
        {.name = "NamesInEveryScript",
         .fixture = {file("кириллица.txt"), file("日本語.dat"), file("ā.txt"), file("𝄞music.txt")},
         .arguments = {"*"}, .exit_status = 0,
         .standard_output = "Make ā.txt to ā.b64\nMake кириллица.txt to кириллица.b64\n"
                            "Make 日本語.dat to 日本語.b64\nMake 𝄞music.txt to 𝄞music.b64\n",
         .files = {{ENCODES, "ā.b64", "ā.txt"}, {ENCODES, "кириллица.b64", "кириллица.txt"},
                   {ENCODES, "日本語.b64", "日本語.dat"}, {ENCODES, "𝄞music.b64", "𝄞music.txt"}}},
        // A code page that can't hold ā would make it "a" and match abc instead.
        {.name = "MaskInAnotherScriptMatchesOnlyItsOwnNames",
         .fixture = {file("ā.txt"), file("abc")}, .arguments = {"ā*"}, .exit_status = 0,
         .standard_output = "Make ā.txt to ā.b64\n",
         .files = {{ENCODES, "ā.b64", "ā.txt"}, {ABSENT, "abc.b64"}}},
        // Fullwidth reverse solidus: best-fit mapping would make it a backslash,
        // and the name a path in a directory "x".
        {.name = "FullwidthBackslashIsAnOrdinaryCharacter",
         .fixture = {file("x＼y.txt")}, .arguments = {"x＼y.txt"}, .exit_status = 0,
         .standard_output = "Make x＼y.txt to x＼y.b64\n",
         .files = {{ENCODES, "x＼y.b64", "x＼y.txt"}}},
        // A mask whose last component is empty, "." or ".." names a directory, never files.
        {.name = "MaskEndingInASeparatorIsRefused",
         .fixture = {{DIRECTORY, "docs", ""}, file("docs/a.txt")}, .arguments = {"docs/"},
         .exit_status = 8, .standard_output = "Invalid src_mask \"docs/\"\n"},
        {.name = "MaskEndingInDotIsRefused",
         .fixture = {{DIRECTORY, "docs", ""}, file("docs/a.txt")}, .arguments = {"docs/."},
         .exit_status = 8, .standard_output = "Invalid src_mask \"docs/.\"\n"},
        {.name = "MaskOfTheParentIsRefused", .fixture = {file("a.txt")}, .arguments = {".."},
         .exit_status = 8, .standard_output = "Invalid src_mask \"..\"\n"},
        // Windows drops a trailing "\." and would find the file itself.
        {.name = "FileNameWithATrailingDotComponentIsRefused", .runs_on = WINDOWS_ONLY,
         .fixture = {file("a.txt")}, .arguments = {"a.txt\\."}, .exit_status = 8,
         .standard_output = "Invalid src_mask \"a.txt\\.\"\n", .files = {{ABSENT, "a.b64"}}},
        {.name = "LongestDirectoryPartFits",
         .fixture = {{DIRECTORY, long_directory, ""}, file(long_directory + "/a.txt")},
         .arguments = {long_directory + "/*"}, .exit_status = 0,
         .standard_output = "Make " + long_directory + "/a.txt to " + long_directory + "/a.b64\n",
         .files = {{ENCODES, long_directory + "/a.b64", long_directory + "/a.txt"}}},
        {.name = "DirectoryPartTooLong", .runs_on = WINDOWS_ONLY,
         .fixture = {{DIRECTORY, long_directory + "d", ""}, file(long_directory + "d/a.txt")},
         .arguments = {long_directory + "d/*"}, .exit_status = 8,
         .standard_output = "Invalid src_mask \"" + long_directory + "d/*\"\n"},
        {.name = "LongestDestinationFits",
         .fixture = {file("a.txt"), {DIRECTORY, long_directory, ""}},
         .arguments = {"a.txt", long_directory}, .exit_status = 0,
         .standard_output = "Make a.txt to " + long_directory + "{SEP}a.b64\n",
         .files = {{ENCODES, long_directory + "/a.b64", "a.txt"}}},
        {.name = "DestinationTooLong", .runs_on = WINDOWS_ONLY,
         .fixture = {file("a.txt"), {DIRECTORY, long_directory + "e", ""}},
         .arguments = {"a.txt", long_directory + "e"}, .exit_status = 8,
         .standard_output = "Invalid dst_path \"" + long_directory + "e\"\n",
         .files = {{ABSENT, "a.b64"}}},
        // Linux takes paths of up to PATH_MAX: a directory part or dst_path is
        // refused only at that limit, and a longer path fails to open or create.
        {.name = "ConvertsInADirectoryPastWindowsPathLimit", .runs_on = LINUX_ONLY,
         .fixture = {{DIRECTORY, deep_directory('d', 300), ""},
                     file(deep_directory('d', 300) + "/a.txt"),
                     {DIRECTORY, deep_directory('o', 300), ""}},
         .arguments = {deep_directory('d', 300) + "/*.txt", deep_directory('o', 300)},
         .exit_status = 0,
         .standard_output = "Make " + deep_directory('d', 300) + "/a.txt to " +
                            deep_directory('o', 300) + "/a.b64\n",
         .files = {{ENCODES, deep_directory('o', 300) + "/a.b64",
                    deep_directory('d', 300) + "/a.txt"}}},
        // Only "." and ".." are there, and they are passed over.
        {.name = "DirectoryPartAtTheLimitIsSearched", .runs_on = LINUX_ONLY,
         .fixture = {{DIRECTORY, deepest_directory, ""}},
         .arguments = {deepest_directory + "/*"}, .exit_status = 0, .standard_output = ""},
        {.name = "DirectoryPartOverTheLimitIsRefused", .runs_on = LINUX_ONLY,
         .fixture = {{DIRECTORY, too_deep_directory, ""}},
         .arguments = {too_deep_directory + "/*"}, .exit_status = 8,
         .standard_output = "Invalid src_mask \"" + too_deep_directory + "/*\"\n"},
        {.name = "DestinationAtTheLimitLeavesNoRoomForAName", .runs_on = LINUX_ONLY,
         .fixture = {file("a.txt"), {DIRECTORY, deepest_directory, ""}},
         .arguments = {"a.txt", deepest_directory}, .exit_status = 8,
         .standard_output =
             cut_message("create file", deepest_directory + "/a.b64", 4096) + "\n"},
        {.name = "DestinationOverTheLimitIsRefused", .runs_on = LINUX_ONLY,
         .fixture = {file("a.txt"), {DIRECTORY, too_deep_directory, ""}},
         .arguments = {"a.txt", too_deep_directory}, .exit_status = 8,
         .standard_output = "Invalid dst_path \"" + too_deep_directory + "\"\n",
         .files = {{ABSENT, "a.b64"}}},
    };
}

class ProgramCase : public testing::TestWithParam<cli_case> {};

TEST_P(ProgramCase, PrintsExitsAndWritesAsExpected)
{
    run_case(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cli, ProgramCase, testing::ValuesIn(cli_cases()),
                         [](const testing::TestParamInfo<cli_case> &info) { return info.param.name; });

// An output path longer than the platform's (511 bytes on Windows, 4095 on
// Linux) is refused as a create failure before anything is opened, and the
// message keeps its code though the path must be cut.
TEST(CliLimits, OutputPathTooLongIsACreateFailureWithACutMessage)
{
    const std::size_t capacity = testing_windows() ? 512 : 4096;
    const std::string directory = testing_windows() ? long_directory : deep_directory('d', 3900);
    // The source's path fits, at most a file name's 255 bytes past the
    // directory; its output's, 4 bytes longer, does not.
    const std::string name(std::min<std::size_t>(255, capacity - 1 - directory.size() - 1), 'n');

    const std::string output_path = directory + "/" + name + ".b64";
    const std::string message = cut_message("create file", output_path, capacity);
    ASSERT_EQ(message.size(), capacity - 1);
    run_case({.name = "",
              .fixture = {{DIRECTORY, directory, ""}, file(directory + "/" + name, "x")},
              .arguments = {directory + "/*"}, .exit_status = 8,
              .standard_output = message + "\n"});
}

// The commands that README.md and the man page give for getting a file back,
// with F for the file's name; a test below checks that both show each as written.
static const char *const DECODE_COMMANDS[] = {
    "base64 -d -i F.b64 > F",
    "openssl base64 -d -in F.b64 -out F",
    "python3 -c 'import base64, sys; sys.stdout.buffer.write(base64.b64decode(open(sys.argv[1], \"rb\").read()))' F.b64 > F",
};

// What a decoder's command runs, for telling whether this host has it.
static std::string program_of(const std::string &command)
{
    return command.substr(0, command.find(' '));
}

static bool host_has(const std::string &program)
{
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

// The program's files, decoded by the tools people already have, give back
// the source byte for byte: at the sizes where lines and chunks end.
TEST(Decoders, GiveBackTheSourceOfEveryFileTheProgramWrote)
{
    const std::size_t sizes[] = {0, 1, 45, 12288, 12289, 100000};
    cli_case conversion = {.arguments = {"*.dat"}};
    for (std::size_t size : sizes) {
        char name[32];
        std::snprintf(name, sizeof name, "s%zu.dat", size);
        conversion.fixture.push_back(file(name, test_bytes(size, 7)));
    }
    scratch_directory scratch;
    create_fixture(scratch.path, conversion.fixture);
    ASSERT_EQ(run_program(scratch.path, conversion).exit_status, 0);

    std::string missing;
    for (const char *command : DECODE_COMMANDS) {
        if (!host_has(program_of(command))) {
            missing += " " + program_of(command);
            continue;
        }
        for (const fixture_entry &source : conversion.fixture) {
            const std::string stem = scratch / source.path.substr(0, source.path.find('.'));
            std::string decode = command;
            replace_all(&decode, "F.b64", "'" + stem + ".b64'");
            replace_all(&decode, "> F", "> '" + stem + ".out'");
            replace_all(&decode, "-out F", "-out '" + stem + ".out'");
            ASSERT_EQ(std::system(decode.c_str()), 0) << decode;
            EXPECT_EQ(read_file(stem + ".out"), source.content) << decode;
        }
    }
    if (!missing.empty()) {
        GTEST_SKIP() << "not on this host:" << missing;
    }
}

TEST(Decoders, AreTheOnesTheReadmeAndTheManPageShow)
{
    const std::string readme = read_file(ZORVEX_SOURCE_DIR "/README.md");
    std::string man_page = read_file(ZORVEX_SOURCE_DIR "/doc/zorvex.1");
    replace_all(&man_page, "\\-", "-");
    for (const char *command : DECODE_COMMANDS) {
        EXPECT_NE(readme.find(command), std::string::npos) << "README.md: " << command;
        EXPECT_NE(man_page.find(command), std::string::npos) << "zorvex.1: " << command;
    }
}
