// The list's questions over a collection of distinct folder fonts, side by side with the tools
// that answer them elsewhere: which fonts cannot show a 40-character text (the first time, reading
// every character map, and again with the maps known) against fontconfig's own query of the same
// files (FcFreeTypeQuery and its character set, in this process), and which files are duplicates
// against `fdupes -r` on the same folder. Also the memory the maps take.
//
// Usage: bench_marks [COUNT]   (default 20000; the collection is made where missing)

#include "BenchSupport.h"

#include "app/FontSources.h"
#include "fonts/CharacterMaps.h"
#include "fonts/ListQuestions.h"
#include "typeface/FileFaces.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include <fontconfig/fontconfig.h>

#include <cstdio>

namespace {

// Forty characters every Latin font of the collection holds, so that each map is asked for all.
const QString kText = QStringLiteral("Sphinx of black quartz, judge my vow: 42");

// Whether fontconfig's query of `path` finds a font whose character set holds all of `text`
// (spaces left out, as the list's question leaves them out).
bool fontconfigCovers(const QByteArray &path, const QList<char32_t> &text)
{
    int count = 0;
    FcPattern *pattern = FcFreeTypeQuery(reinterpret_cast<const FcChar8 *>(path.constData()), 0, nullptr, &count);
    if (!pattern)
        return false;
    FcCharSet *set = nullptr;
    bool covers = FcPatternGetCharSet(pattern, FC_CHARSET, 0, &set) == FcResultMatch;
    for (const char32_t c : text)
        covers = covers && FcCharSetHasChar(set, c);
    FcPatternDestroy(pattern);
    return covers;
}

double msSince(bench::Clock::time_point start)
{
    return bench::microsecondsSince(start) / 1000;
}

const char *met(bool ok)
{
    return ok ? "met" : "NOT met";
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    const QString base = bench::distinctFontsBase();
    if (!bench::makeDistinctFonts(base, {count}))
        return 1;
    const QList<bench::DistinctFont> collection = bench::distinctFonts(base, count);
    if (collection.isEmpty())
        return 1;
    const QString folder = bench::distinctFontsFolder(base, count);
    std::printf("%d distinct fonts in %s; text \"%s\" (%lld characters)\n", count, qPrintable(folder),
                qPrintable(kText), static_cast<long long>(kText.size()));

    // The folder loaded as the window and the command line load it.
    auto start = bench::Clock::now();
    QStringList filePaths;
    const fonts::FontListEntries entries = app::loadFontList({false, true, folder}, {}, filePaths, false);
    std::printf("loaded %lld entries in %.0f ms\n", static_cast<long long>(entries.size()), msSince(start));
    if (entries.size() != count)
        return 1;

    // fontconfig first, so that both runs find the files in the page cache.
    QList<char32_t> characters;
    for (const char32_t c : kText.toUcs4())
        if (c != U' ')
            characters << c;
    start = bench::Clock::now();
    int fcLacking = 0;
    for (const fonts::FontListEntry &entry : entries)
        fcLacking += fontconfigCovers(QFile::encodeName(entry.path), characters) ? 0 : 1;
    const double fontconfigMs = msSince(start);

    const long long rssBefore = bench::statusKb("VmRSS:");
    start = bench::Clock::now();
    const QList<bool> first = fonts::cannotShow(entries, kText);
    const double firstMs = msSince(start);
    const long long rssAfter = bench::statusKb("VmRSS:");
    start = bench::Clock::now();
    const QList<bool> again = fonts::cannotShow(entries, kText);
    const double againMs = msSince(start);
    const qsizetype lacking = first.count(true);
    if (again != first) {
        std::fprintf(stderr, "the second answer differs from the first\n");
        return 1;
    }
    // Where the first time goes: reading the files, and FreeType reading their maps.
    {
        double readMs = 0;
        double mapMs = 0;
        for (const fonts::FontListEntry &entry : entries) {
            auto partStart = bench::Clock::now();
            const platform::FontFileBytes file = platform::readFontFile(entry.path);
            readMs += msSince(partStart);
            partStart = bench::Clock::now();
            platform::readCharacterMap(file.bytes, 0);
            mapMs += msSince(partStart);
        }
        platform::FileFaces::instance().clear();
        auto cachedStart = bench::Clock::now();
        for (const fonts::FontListEntry &entry : entries)
            platform::FileFaces::instance().fileBytes(entry.path);
        const double cachedMs = msSince(cachedStart);
        std::printf("  parts of the first time: bounded reads %.0f ms (through the face cache %.0f ms), character maps "
                    "%.0f ms\n",
                    readMs, cachedMs, mapMs);
    }
    {
        fonts::CharacterMaps::instance().clear();
        platform::FileFaces::instance().clear();
        const auto repeatStart = bench::Clock::now();
        fonts::cannotShow(entries, kText);
        std::printf("  first time once more, maps and files forgotten:  %8.0f ms\n", msSince(repeatStart));
    }
    const double mapsMb = double(fonts::CharacterMaps::instance().memoryBytes()) / (1024 * 1024);
    const double heldMb = double(platform::FileFaces::instance().heldBytes()) / (1024 * 1024);

    std::printf("\ncannot show the text: %lld of %d marked (fontconfig: %d)\n", static_cast<long long>(lacking), count,
                fcLacking);
    std::printf("  fontconfig (FcFreeTypeQuery + FcCharSetHasChar)  %8.0f ms\n", fontconfigMs);
    std::printf("  first time, every map read                       %8.0f ms  = %.2fx fontconfig  "
                "(goal <= 0.3x: %s; < 1500 ms: %s)\n",
                firstMs, firstMs / fontconfigMs, met(firstMs <= 0.3 * fontconfigMs), met(firstMs < 1500));
    std::printf("  again, maps known                                %8.1f ms  (goal < 100 ms: %s)\n", againMs,
                met(againMs < 100));
    std::printf("  maps kept: %d, %.1f MB (goal < 100 MB: %s); VmRSS grew %.1f MB, of which file bytes "
                "held by the face cache %.1f MB\n",
                int(fonts::CharacterMaps::instance().count()), mapsMb, met(mapsMb < 100),
                double(rssAfter - rssBefore) / 1024, heldMb);

    // Duplicates: the list's answer from files as they stand, against fdupes on the same folder.
    platform::FileFaces::instance().clear();
    start = bench::Clock::now();
    const QList<qsizetype> duplicates = fonts::duplicateOf(entries);
    const double duplicatesMs = msSince(start);
    qsizetype marked = 0;
    for (const qsizetype of : duplicates)
        marked += of >= 0 ? 1 : 0;
    const QString fdupes = QStandardPaths::findExecutable(QStringLiteral("fdupes"));
    double fdupesMs = -1;
    qsizetype fdupesLines = 0;
    if (!fdupes.isEmpty()) {
        QProcess tool;
        start = bench::Clock::now();
        tool.start(fdupes, {QStringLiteral("-r"), QStringLiteral("-q"), folder});
        tool.waitForFinished(-1);
        fdupesMs = msSince(start);
        fdupesLines = tool.readAllStandardOutput().count('\n');
    }
    std::printf("\nduplicates: %lld marked\n", static_cast<long long>(marked));
    std::printf("  the list's duplicateOf                           %8.0f ms\n", duplicatesMs);
    if (fdupesMs >= 0)
        std::printf("  fdupes -r                                        %8.0f ms  (%lld output lines); ratio %.2fx "
                    "(goal <= 0.5x: %s)\n",
                    fdupesMs, static_cast<long long>(fdupesLines), duplicatesMs / fdupesMs,
                    met(duplicatesMs <= 0.5 * fdupesMs));
    else
        std::printf("  fdupes is not installed (scripts/deps.sh bench)\n");
    app::releaseFontFiles(filePaths);
    return 0;
}
