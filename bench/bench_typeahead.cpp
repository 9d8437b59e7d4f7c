// Times the font list's type-ahead find and the filling of the list on a list of many entries:
// adding the rows (against QListWidget's own rows), the first key after a load (which folds every
// entry's name once) and a key afterwards, found near the current row and found nowhere (a scan
// of every folded name).
// Usage: bench_typeahead [entries]   (20,000 unless given; Qt's offscreen platform unless set)

#include "BenchSupport.h"
#include "fonts/FontListView.h"
#include "support/TestSupport.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    QStringList entries = bench::familyEntries(count);
    for (int i = 0; i < count; ++i)
        entries[i] += QStringLiteral(" %1").arg(i, 6, 10, QLatin1Char('0'));

    auto start = bench::Clock::now();
    QListWidget plain;
    plain.addItems(entries);
    const double plainAdd = bench::microsecondsSince(start);

    fonts::FontListView list;
    qint64 now = 0;
    list.setClock([&now] { return now; });
    start = bench::Clock::now();
    list.addItems(entries);
    const double add = bench::microsecondsSince(start);

    // A key found nowhere moves nothing: the time is the folding and one scan, without the
    // list's first layout, which the first move of the current row would bring.
    start = bench::Clock::now();
    list.keyboardSearch(QStringLiteral("\u00FE"));
    const double firstKey = bench::microsecondsSince(start);
    now += 1000;
    list.keyboardSearch(QStringLiteral("d"));

    const int keys = 1000;
    start = bench::Clock::now();
    for (int i = 0; i < keys; ++i) {
        now += 1000;
        list.keyboardSearch(QStringLiteral("d"));
    }
    const double found = bench::microsecondsSince(start) / keys;

    start = bench::Clock::now();
    for (int i = 0; i < keys; ++i) {
        now += 1000;
        list.keyboardSearch(QStringLiteral("\u00FE"));
    }
    const double nowhere = bench::microsecondsSince(start) / keys;

    std::printf("%d entries\n", count);
    std::printf("add rows:            %9.1f ms (QListWidget's own rows %.1f ms)\n", add / 1000, plainAdd / 1000);
    std::printf("first key (folding): %9.2f ms\n", firstKey / 1000);
    std::printf("key, found nearby:   %9.2f us\n", found);
    std::printf("key, found nowhere:  %9.2f us (a scan of every name)\n", nowhere);
    return 0;
}
