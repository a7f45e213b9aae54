// Names of the files one run reads and writes, in buffers of the platform's
// capacities (PREFIX_CAPACITY, PATH_CAPACITY).
#pragma once

#include "platform/platform.h"

#include <cstddef>

// Whether the last component of `src_mask` can name files to convert: not
// when it is empty, "." or "..", which name a directory or its parent.
bool mask_names_files(const char *src_mask);

// The directory part of `src_mask`, up to and including its last separator
// (empty when it has none). False, with `source_prefix` empty, when it doesn't fit.
bool derive_source_prefix(const char *src_mask, char (&source_prefix)[PREFIX_CAPACITY]);

// `dst_path` as a directory prefix: a separator is appended unless it is empty
// or already ends with one. False, with `destination` empty, when it doesn't fit.
bool prepare_destination(const char *dst_path, char (&destination)[PREFIX_CAPACITY]);

// `directory` followed by `file_name`. False when it doesn't fit; the path then
// holds as much of it as fits.
bool derive_source_path(const char *directory, const char *file_name,
                        char (&source_path)[PATH_CAPACITY]);

// `directory` followed by `file_name` with everything from its first dot on
// replaced by ".b64" (".b64" appended when it has no dot): report.txt and
// report.tar.gz give report.b64, README gives README.b64, .profile gives .b64.
// False when it doesn't fit; the path then holds as much of it as fits.
bool derive_output_path(const char *directory, const char *file_name,
                        char (&output_path)[PATH_CAPACITY]);
