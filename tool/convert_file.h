// Conversion of one file into a Base64 text file, and the run's failure record.
#pragma once

#include "platform/platform.h"

#include <cstddef>

// Every chunk of the source is encoded as a block of its own. A multiple of 3,
// so a full chunk never ends in a partial Base64 group; its 16384 characters
// make 273 lines of 60 and one of 4: 16932 bytes with CR LF.
constexpr DWORD READ_CHUNK_SIZE = 12288;

// Chunks are read and written in batches, so each system call moves many of
// them: 196608 bytes per read, up to 270912 bytes of text per write. The file
// holds the same text whatever the batch size.
constexpr DWORD BATCH_CHUNKS = 16;
constexpr DWORD READ_BATCH_SIZE = READ_CHUNK_SIZE * BATCH_CHUNKS;

// The first failed file operation of a run: its system code (0 while nothing
// has failed) and the one-line message that reports it.
struct run_status {
    DWORD error_status;
    char message_text[MESSAGE_CAPACITY];
};

// What failed; each names its message, "Error in <operation> <path>, Code = <code>".
enum file_operation { OPEN_SOURCE, CREATE_OUTPUT, READ_SOURCE, WRITE_OUTPUT };

// Records a failure of `operation` on `path` with `code` and prints its message.
// A message too long for `message_text` loses the end of the path, never its code.
void report_failure(run_status *status, file_operation operation, const char *path, DWORD code);

// Writes the Base64 text of `source_path` to `output_path`, created or
// emptied. On the first failure it closes both files, keeps what was written
// and reports the failure. Leaves `status` untouched when the file was converted.
void convert_file(const char *source_path, const char *output_path, run_status *status);
