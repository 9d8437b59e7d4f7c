#pragma once
// The fuzz entry point, one per fuzz program (the font-file readers, the document's XML), shared
// by the libFuzzer programs and the replay programs of the ordinary builds.

#include <cstddef>
#include <cstdint>

/// Runs the code under test on `size` bytes at `data` (a font file's contents, or a font name and
/// a sample text), and aborts when its result breaks what the code promises. Returns 0 as
/// libFuzzer wants.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
