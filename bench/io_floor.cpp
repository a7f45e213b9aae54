// The I/O floor under zorvex: the same open, create, reads and writes as
// converting one file, through the same platform calls, with no encoding.
// Each chunk of up to READ_CHUNK_SIZE bytes read becomes a write of exactly as many
// bytes as its Base64 text, taken from a buffer filled once.
//
//   io_floor <source> <output>
#include "encoder/base64.h"
#include "tool/convert_file.h"

#include <cstdio>
#include <cstring>

static unsigned char read_buffer[READ_CHUNK_SIZE];
static char text_buffer[base64_text_length(READ_CHUNK_SIZE)];

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::printf("usage: io_floor <source> <output>\n");
        return 64;
    }
    std::memset(text_buffer, 'A', sizeof text_buffer);
    HANDLE source = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE) {
        std::printf("cannot open %s, code %u\n", argv[1], static_cast<unsigned>(GetLastError()));
        return 8;
    }
    HANDLE output = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        std::printf("cannot create %s, code %u\n", argv[2], static_cast<unsigned>(GetLastError()));
        CloseHandle(source);
        return 8;
    }
    int status = 0;
    for (;;) {
        // Fills the chunk as the tool does, so short reads cost the same.
        DWORD chunk_length = 0;
        DWORD byte_count = 0;
        do {
            if (!ReadFile(source, read_buffer + chunk_length, READ_CHUNK_SIZE - chunk_length,
                          &byte_count, nullptr)) {
                std::printf("cannot read %s, code %u\n", argv[1],
                            static_cast<unsigned>(GetLastError()));
                status = 8;
                break;
            }
            chunk_length += byte_count;
        } while (byte_count != 0 && chunk_length < READ_CHUNK_SIZE);
        if (status != 0 || chunk_length == 0) {
            break;
        }
        const auto text_length = static_cast<DWORD>(base64_text_length(chunk_length));
        if (!WriteFile(output, text_buffer, text_length, &byte_count, nullptr) ||
            byte_count != text_length) {
            std::printf("cannot write %s, code %u\n", argv[2], static_cast<unsigned>(GetLastError()));
            status = 8;
            break;
        }
    }
    CloseHandle(output);
    CloseHandle(source);
    return status;
}
