// Writes the seed corpus of the font-file name reader's fuzzing into a folder.
//
// Usage: gw_fuzz_seeds FOLDER [--mutants N] [--max-size BYTES]

#include "fuzz/SeedCorpus.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

/// Parses the command line, writes the corpus and prints how many files of each kind it wrote.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    fuzzseeds::Options options;
    QString folder;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        bool ok = true;
        if (argument == QLatin1String("--mutants") && i + 1 < arguments.size())
            options.mutants = arguments[++i].toInt(&ok);
        else if (argument == QLatin1String("--max-size") && i + 1 < arguments.size())
            options.maxFullSize = arguments[++i].toLongLong(&ok);
        else if (folder.isEmpty() && !argument.startsWith(QLatin1Char('-')))
            folder = argument;
        else
            ok = false;
        if (!ok || options.mutants < 0) {
            std::fprintf(stderr, "usage: gw_fuzz_seeds FOLDER [--mutants N] [--max-size BYTES]\n");
            return 2;
        }
    }
    if (folder.isEmpty()) {
        std::fprintf(stderr, "usage: gw_fuzz_seeds FOLDER [--mutants N] [--max-size BYTES]\n");
        return 2;
    }

    fuzzseeds::Counts counts;
    QString error;
    if (!fuzzseeds::writeSeedCorpus(folder, options, counts, error)) {
        std::fprintf(stderr, "gw_fuzz_seeds: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("gw_fuzz_seeds: %d font files, %d small forms, %d synthetic, %d crafted, %d mutants in %s\n",
                counts.fonts, counts.compact, counts.synthetic, counts.crafted, counts.mutants, qPrintable(folder));
    return 0;
}
