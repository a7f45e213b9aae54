// Preloaded into the program by the black-box tests (LD_PRELOAD): reads of
// one file fail with EIO from a given byte on, as a failing disk would. The
// file is named by ZORVEX_TEST_FAILING_FILE and the byte by
// ZORVEX_TEST_FAILING_FROM; a read that reaches that byte returns what lies
// before it, and the next read fails. The program itself reads no environment.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

using read_function = ssize_t (*)(int, void *, size_t);

// Whether `descriptor` is the file that fails: the same device and inode.
static bool is_failing_file(int descriptor)
{
    const char *path = std::getenv("ZORVEX_TEST_FAILING_FILE");
    struct stat wanted {};
    struct stat actual {};
    return path != nullptr && stat(path, &wanted) == 0 && fstat(descriptor, &actual) == 0 &&
           wanted.st_dev == actual.st_dev && wanted.st_ino == actual.st_ino;
}

extern "C" ssize_t read(int descriptor, void *buffer, size_t count)
{
    static const auto next_read = reinterpret_cast<read_function>(dlsym(RTLD_NEXT, "read"));
    const char *from_text = std::getenv("ZORVEX_TEST_FAILING_FROM");
    if (from_text != nullptr && is_failing_file(descriptor)) {
        const off_t from = std::strtoll(from_text, nullptr, 10);
        const off_t position = lseek(descriptor, 0, SEEK_CUR);
        if (position >= from) {
            errno = EIO;
            return -1;
        }
        if (static_cast<off_t>(count) > from - position) {
            count = static_cast<size_t>(from - position);
        }
    }
    return next_read(descriptor, buffer, count);
}
