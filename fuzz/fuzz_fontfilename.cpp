// Fuzz entry point of the font-file name reader, of the bounded read that faces are made from,
// of the name and variation bounding for other programs, of the embedded font name and of the
// embedding-permission reader: every input becomes the contents of one in-memory file
// that ReadFontFileName() and platform::readFontFile() open by path, as they open the fonts of a
// folder.
// ReadFontFileName() needs no QCoreApplication (its code page is a table of its own and file
// names go through util::encodePath()), so this needs no LLVMFuzzerInitialize().

#include "fuzz/FuzzEntry.h"
#include "fuzz/MemoryFile.h"

#include "fonts/FontFileName.h"
#include "output/DocxWriter.h"
#include "typeface/FileFaces.h"
#include "typeface/FontFile.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr qsizetype kMaxNameLength = 256; // the reader cuts longer names to this many bytes

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzzfiles::MemoryFile file;
    file.setContents(data, size);
    static const QString path = file.path();
    const QString name = ReadFontFileName(path);

    // One character per byte of the file, at most 256 of them: a longer name has been read from
    // outside the name buffer or beyond the end of the file.
    if (name.size() > kMaxNameLength || name.size() > qsizetype(size)) {
        std::fprintf(stderr, "name of %lld characters from %zu bytes\n", static_cast<long long>(name.size()),
                     size);
        std::abort();
    }

    // Names are text: a surrogate only in a pair.
    for (qsizetype i = 0; i < name.size(); ++i) {
        const bool paired = name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate();
        if (paired)
            ++i;
        else if (name.at(i).isSurrogate()) {
            std::fprintf(stderr, "unpaired surrogate at %lld of the name\n", static_cast<long long>(i));
            std::abort();
        }
    }

    // The embedding permission is read from any bytes without reading outside them.
    (void)output::docx::embeddingOf(QByteArrayView(data, qsizetype(size)));

    // The bounded read takes the file whole or not at all, and checks the table directory
    // within the bytes it read.
    const platform::FontFileBytes read = platform::readFontFile(path);
    if (read.fault == platform::FontFileFault::None && read.bytes.size() != qsizetype(size)) {
        std::fprintf(stderr, "read %lld of %zu bytes\n", static_cast<long long>(read.bytes.size()), size);
        std::abort();
    }

    // Names bounded for other programs keep the font's size, or there is no font to hand on.
    if (read.fault == platform::FontFileFault::None) {
        const QByteArray bounded = platform::withBoundedTables(read.bytes);
        if (!bounded.isEmpty() && bounded.size() != read.bytes.size()) {
            std::fprintf(stderr, "names bounded into %lld of %lld bytes\n", static_cast<long long>(bounded.size()),
                         static_cast<long long>(read.bytes.size()));
            std::abort();
        }
    }

    // The input's first bytes as a PostScript name: a PDF name of the characters it allows.
    const QByteArrayView start(data, qsizetype(std::min<size_t>(size, 4096)));
    const QByteArray embedded = platform::embeddedFontName(start);
    if (embedded.isEmpty() || embedded.size() > platform::kMaxEmbeddedNameBytes
        || std::any_of(embedded.begin(), embedded.end(),
                       [](char c) { return c <= 0x20 || c >= 0x7F || std::strchr("()<>[]{}/%#", c); })) {
        std::fprintf(stderr, "embedded name \"%s\"\n", embedded.constData());
        std::abort();
    }
    return 0;
}
