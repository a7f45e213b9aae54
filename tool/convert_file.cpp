#include "tool/convert_file.h"

#include "encoder/base64.h"

#include <cstdio>

// The text of a full batch, each chunk's text written where the previous
// one's terminator stood, and the last one's terminator.
constexpr std::size_t BATCH_TEXT_SIZE = base64_text_length(READ_CHUNK_SIZE) * BATCH_CHUNKS;
constexpr std::size_t ENCODE_BUFFER_SIZE = BATCH_TEXT_SIZE + 1;
static_assert(base64_text_length(READ_CHUNK_SIZE) == 16932);
static_assert(BATCH_TEXT_SIZE == 270912);
static_assert(READ_BATCH_SIZE % READ_CHUNK_SIZE == 0);

static unsigned char read_buffer[READ_BATCH_SIZE];
static char encode_buffer[ENCODE_BUFFER_SIZE];

static const char *const OPERATION_TEXT[] = {
    "open file", "create file", "read from file", "write to file"};

void report_failure(run_status *status, file_operation operation, const char *path, DWORD code)
{
    char code_text[32];
    const int code_length = std::snprintf(code_text, sizeof code_text, ", Code = %u",
                                          static_cast<unsigned>(code));
    const int fixed_length = std::snprintf(nullptr, 0, "Error in %s ", OPERATION_TEXT[operation]);
    const int path_room = static_cast<int>(MESSAGE_CAPACITY) - 1 - fixed_length - code_length;
    std::snprintf(status->message_text, sizeof status->message_text, "Error in %s %.*s%s",
                  OPERATION_TEXT[operation], path_room, path, code_text);
    status->error_status = code;
    std::printf("%s\n", status->message_text);
}

// Fills `read_buffer` with reads until it holds a whole batch or the file
// has ended, so only a file's last chunk can be short and carry padding.
// False on a failed read, with `batch_length` the bytes read before it.
static bool read_batch(HANDLE source, DWORD *batch_length)
{
    *batch_length = 0;
    while (*batch_length < READ_BATCH_SIZE) {
        DWORD byte_count = 0;
        if (!ReadFile(source, read_buffer + *batch_length, READ_BATCH_SIZE - *batch_length,
                      &byte_count, nullptr)) {
            return false;
        }
        if (byte_count == 0) {
            break;
        }
        *batch_length += byte_count;
    }
    return true;
}

// Encodes the first `length` bytes of `read_buffer` into `encode_buffer`, each
// chunk as a block of its own, and returns the text's length.
static DWORD encode_batch(DWORD length)
{
    DWORD text_length = 0;
    for (DWORD start = 0; start < length; start += READ_CHUNK_SIZE) {
        const DWORD chunk_length = length - start < READ_CHUNK_SIZE ? length - start : READ_CHUNK_SIZE;
        text_length += static_cast<DWORD>(base64_encode_block(
            read_buffer + start, static_cast<int32_t>(chunk_length), encode_buffer + text_length));
    }
    return text_length;
}

// Writes the text of `length` bytes of `read_buffer` with one call. False,
// with the failure reported, when the write fails or falls short.
static bool write_batch(HANDLE output, DWORD length, const char *output_path, run_status *status)
{
    const DWORD text_length = encode_batch(length);
    DWORD byte_count = 0;
    if (!WriteFile(output, encode_buffer, text_length, &byte_count, nullptr)) {
        report_failure(status, WRITE_OUTPUT, output_path, GetLastError());
        return false;
    }
    // A write the system calls done with fewer bytes than asked still lost data.
    if (byte_count != text_length) {
        report_failure(status, WRITE_OUTPUT, output_path, ERROR_DISK_FULL);
        return false;
    }
    return true;
}

// Encodes and writes batch after batch until the source ends or an operation
// fails. The output is what converting one chunk at a time leaves: when a read
// fails, the whole chunks read before it are written first and the chunk it
// interrupted never is; a failure of that write is the one reported.
static void copy_as_base64(HANDLE source, HANDLE output, const char *source_path,
                           const char *output_path, run_status *status)
{
    for (;;) {
        DWORD batch_length = 0;
        if (!read_batch(source, &batch_length)) {
            const DWORD read_error = GetLastError();
            const DWORD whole_chunks = batch_length / READ_CHUNK_SIZE * READ_CHUNK_SIZE;
            if (whole_chunks == 0 || write_batch(output, whole_chunks, output_path, status)) {
                report_failure(status, READ_SOURCE, source_path, read_error);
            }
            return;
        }
        if (batch_length == 0 || !write_batch(output, batch_length, output_path, status) ||
            batch_length < READ_BATCH_SIZE) {
            return;
        }
    }
}

void convert_file(const char *source_path, const char *output_path, run_status *status)
{
    HANDLE source = CreateFileA(source_path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE) {
        report_failure(status, OPEN_SOURCE, source_path, GetLastError());
        return;
    }
    HANDLE output = CreateFileA(output_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        report_failure(status, CREATE_OUTPUT, output_path, GetLastError());
        CloseHandle(source);
        return;
    }
    copy_as_base64(source, output, source_path, output_path, status);
    // A deferred write error can first show when the output is closed.
    if (!CloseHandle(output) && status->error_status == 0) {
        report_failure(status, WRITE_OUTPUT, output_path, GetLastError());
    }
    CloseHandle(source);
}
