#pragma once
// The seed corpus of the font-file readers' fuzzing: real font files from Debian's font packages,
// small forms of them, collections made of them, a real font with crafted tables that claim far
// more than a font needs (names, variations, character maps), and byte-level mutants that aim at
// the table directory and the name table.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace fuzzseeds {

/// What writeSeedCorpus() writes.
struct Options
{
    /// How many mutants to write.
    int mutants = 3000;
    /// Real font files larger than this are written only in their small form (libFuzzer cuts
    /// longer inputs to its -max_len, which would cut off their name tables).
    qint64 maxFullSize = 1 << 20;
    /// The seed of the mutations; one seed always gives the same corpus from the same fonts.
    quint64 seed = 0x676c797068730001;
};

/// How many files of each kind writeSeedCorpus() wrote.
struct Counts
{
    int fonts = 0;       ///< real font files, in fonts/
    int compact = 0;     ///< their small forms, in compact/ under the same file names
    int synthetic = 0;   ///< CFF-flavoured fonts and collections made from small forms, in synthetic/
    int crafted = 0;     ///< a real font with tables that claim too much or break the rules, in crafted/
    int mutants = 0;     ///< mutants, in mutants/

    /// All files written.
    int total() const { return fonts + compact + synthetic + crafted + mutants; }
};

/// The real font files the corpus is made from: a fixed selection of at most 40 files of up to
/// 1 MiB from fonts-dejavu-core, fonts-dejavu-extra, fonts-liberation2 and fonts-noto-core, the
/// same on every machine with the same packages. Empty when none of them is installed.
QStringList seedFontFiles();

/// The small form of the TrueType/OpenType font `font`: its header and table directory followed
/// directly by its 'name' table, whose record points there; the other records keep their
/// offsets, which now point past the end. Empty when `font` has no complete 'name' table.
QByteArray compactFont(const QByteArray &font);

/// Writes the seed corpus into the folders fonts/, compact/, synthetic/, crafted/ and mutants/ of `dir`,
/// creating them, and counts what it wrote into `counts`. False, with `error` set, when no seed
/// font is installed or a file cannot be written or read.
bool writeSeedCorpus(const QString &dir, const Options &options, Counts &counts, QString &error);

} // namespace fuzzseeds
