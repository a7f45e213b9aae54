// The I/O floor under zorvex: the same open, create, reads and writes as
// converting one file, through the same platform calls, with no encoding.
// Reads fill a batch of BATCH_CHUNKS chunks, as the tool's do, and each batch
// becomes one write of exactly as many bytes as its Base64 text, taken from a
// buffer filled once. With --chunk-per-call a batch is one chunk: the floor
// of reading and writing one chunk per system call.
//
//   io_floor [--chunk-per-call] <source> <output>
#include "encoder/base64.h"
#include "tool/convert_file.h"

#include <cstdio>
#include <cstring>

constexpr DWORD FULL_CHUNK_TEXT = base64_text_length(READ_CHUNK_SIZE);

static unsigned char read_buffer[READ_BATCH_SIZE];
static char text_buffer[FULL_CHUNK_TEXT * BATCH_CHUNKS];

// The length of the text of `length` bytes, each chunk encoded on its own.
static DWORD text_length_of(DWORD length)
{
    const DWORD whole_chunks = length / READ_CHUNK_SIZE;
    return whole_chunks * FULL_CHUNK_TEXT +
           static_cast<DWORD>(base64_text_length(length - whole_chunks * READ_CHUNK_SIZE));
}

int main(int argc, char **argv)
{
    const bool chunk_per_call = argc == 4 && std::strcmp(argv[1], "--chunk-per-call") == 0;
    if (argc != 3 && !chunk_per_call) {
        std::printf("usage: io_floor [--chunk-per-call] <source> <output>\n");
        return 64;
    }
    const char *source_path = argv[argc - 2];
    const char *output_path = argv[argc - 1];
    const DWORD batch_size = chunk_per_call ? READ_CHUNK_SIZE : READ_BATCH_SIZE;
    std::memset(text_buffer, 'A', sizeof text_buffer);
    HANDLE source = CreateFileA(source_path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE) {
        std::printf("cannot open %s, code %u\n", source_path, static_cast<unsigned>(GetLastError()));
        return 8;
    }
    HANDLE output = CreateFileA(output_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        std::printf("cannot create %s, code %u\n", output_path, static_cast<unsigned>(GetLastError()));
        CloseHandle(source);
        return 8;
    }
    int status = 0;
    for (;;) {
        // Fills the batch as the tool does, so short reads cost the same.
        DWORD batch_length = 0;
        DWORD byte_count = 0;
        do {
            if (!ReadFile(source, read_buffer + batch_length, batch_size - batch_length,
                          &byte_count, nullptr)) {
                std::printf("cannot read %s, code %u\n", source_path,
                            static_cast<unsigned>(GetLastError()));
                status = 8;
                break;
            }
            batch_length += byte_count;
        } while (byte_count != 0 && batch_length < batch_size);
        if (status != 0 || batch_length == 0) {
            break;
        }
        const DWORD text_length = text_length_of(batch_length);
        if (!WriteFile(output, text_buffer, text_length, &byte_count, nullptr) ||
            byte_count != text_length) {
            std::printf("cannot write %s, code %u\n", output_path,
                        static_cast<unsigned>(GetLastError()));
            status = 8;
            break;
        }
        if (batch_length < batch_size) {
            break;
        }
    }
    CloseHandle(output);
    CloseHandle(source);
    return status;
}
