#pragma once
// The fuzz entry point of the font-file name reader, shared by the libFuzzer program and the
// replay program of the ordinary builds.

#include <cstddef>
#include <cstdint>

/// Runs the font-file name reader on `size` bytes at `data` as one font file's contents, and
/// aborts when the name it returns breaks what the reader promises. Returns 0 as libFuzzer wants.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
