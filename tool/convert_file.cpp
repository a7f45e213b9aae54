#include "tool/convert_file.h"

#include "encoder/base64.h"

#include <cstdio>

constexpr std::size_t ENCODE_BUFFER_SIZE = 32768;
static_assert(base64_text_length(READ_CHUNK_SIZE) == 16932);
static_assert(base64_text_length(READ_CHUNK_SIZE) < ENCODE_BUFFER_SIZE);

static unsigned char read_buffer[READ_CHUNK_SIZE];
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

// Fills `read_buffer` until it holds a whole chunk or the file has ended, so
// only a file's last chunk can be short and carry padding. False on a failed read.
static bool read_chunk(HANDLE source, DWORD *chunk_length)
{
    *chunk_length = 0;
    while (*chunk_length < READ_CHUNK_SIZE) {
        DWORD byte_count = 0;
        if (!ReadFile(source, read_buffer + *chunk_length, READ_CHUNK_SIZE - *chunk_length,
                      &byte_count, nullptr)) {
            return false;
        }
        if (byte_count == 0) {
            break;
        }
        *chunk_length += byte_count;
    }
    return true;
}

// Encodes and writes chunk after chunk until the source ends or an operation fails.
static void copy_as_base64(HANDLE source, HANDLE output, const char *source_path,
                           const char *output_path, run_status *status)
{
    for (;;) {
        DWORD chunk_length = 0;
        if (!read_chunk(source, &chunk_length)) {
            report_failure(status, READ_SOURCE, source_path, GetLastError());
            return;
        }
        if (chunk_length == 0) {
            return;
        }
        const DWORD text_length = static_cast<DWORD>(base64_encode_block(
            read_buffer, static_cast<int32_t>(chunk_length), encode_buffer));
        DWORD byte_count = 0;
        if (!WriteFile(output, encode_buffer, text_length, &byte_count, nullptr)) {
            report_failure(status, WRITE_OUTPUT, output_path, GetLastError());
            return;
        }
        // A write the system calls done with fewer bytes than asked still lost data.
        if (byte_count != text_length) {
            report_failure(status, WRITE_OUTPUT, output_path, ERROR_DISK_FULL);
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
