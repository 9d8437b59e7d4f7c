// Times the font list's sample mode, where every entry is shown in its own font, on a list of
// 2,000 entries: the installed families and font files of faces of their own (copies of Debian's
// DejaVu, Liberation and Noto fonts whose names carry the copy number, so that no two copies
// share a face). Measures switching sample mode on and off, a reload in sample mode and the
// painting of one screen of rows, each with the list's repaints, and the memory sample mode takes.
// Usage: bench_listview [entries [folder-only]]   (runs on Qt's offscreen platform unless
// QT_QPA_PLATFORM is set). With "folder-only" the list holds the folder's files alone. Each file's
// row is drawn from the file itself, read when its row first comes into view.

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "platform/Dialogs.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

quint32 bigEndian(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | quint8(data.at(at + i));
    return value;
}

/// Gives the faces of the TrueType/OpenType file `data` names of their own: the last three
/// characters of each family, full and typographic family name become `tag`. The lengths stay,
/// so nothing else in the file moves. Returns false when the file has no name table to change.
bool renameFaces(QByteArray &data, const QByteArray &tag)
{
    if (data.size() < 12)
        return false;
    const quint32 tables = bigEndian(data, 4, 2);
    for (quint32 t = 0; t < tables; ++t) {
        const qsizetype record = 12 + 16 * qsizetype(t);
        if (record + 16 > data.size())
            return false;
        if (data.mid(record, 4) != "name")
            continue;
        const qsizetype table = bigEndian(data, record + 8, 4);
        if (table + 6 > data.size())
            return false;
        const quint32 count = bigEndian(data, table + 2, 2);
        const qsizetype strings = table + bigEndian(data, table + 4, 2);
        for (quint32 n = 0; n < count; ++n) {
            const qsizetype name = table + 6 + 12 * qsizetype(n);
            if (name + 12 > data.size())
                return false;
            const quint32 platform = bigEndian(data, name, 2);
            const quint32 id = bigEndian(data, name + 6, 2);
            const qsizetype length = bigEndian(data, name + 8, 2);
            const qsizetype end = strings + bigEndian(data, name + 10, 2) + length;
            if ((id != 1 && id != 4 && id != 16) || end > data.size())
                continue;
            const int width = platform == 1 ? 1 : 2; // Macintosh names are 8-bit, others UTF-16
            if (length < tag.size() * width)
                continue;
            for (qsizetype k = 0; k < tag.size(); ++k) {
                const qsizetype at = end - (tag.size() - k) * width;
                if (width == 2)
                    data[at] = 0;
                data[at + width - 1] = tag.at(k);
            }
        }
        return true;
    }
    return false;
}

struct Timed
{
    double ms = 0;
    int paints = 0;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int entryCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const bool folderOnly = argc > 2 && qstrcmp(argv[2], "folder-only") == 0;

    app::Application application(argc, argv);
    dialogs::setNonInteractive(true);
    app::createWindows();
    start->show();
    start->FormClick();
    if (!QTest::qWaitForWindowExposed(prog))
        return 1;
    QCoreApplication::processEvents();
    QListWidget *list = prog->ListBox1;
    const int systemFonts = list->count();
    const int fileCount = std::max(1, folderOnly ? entryCount : entryCount - systemFonts);

    // The font tree: every copy of a file renamed to a face of its own.
    const auto sources = bench::packageSources();
    if (sources.isEmpty())
        return 1;
    QTemporaryDir dir;
    int perCopy = 0;
    for (const auto &source : sources)
        perCopy += source.second.size();
    const QStringList paths =
        bench::buildFontTree(dir.path(), sources, (fileCount + perCopy - 1) / perCopy, fileCount);
    if (paths.size() != fileCount) {
        std::fprintf(stderr, "cannot build the font tree\n");
        return 1;
    }
    for (int i = 0; i < paths.size(); ++i) {
        QFile file(paths.at(i));
        if (!file.open(QIODevice::ReadWrite))
            return 1;
        QByteArray data = file.readAll();
        renameFaces(data, QByteArray::number(1 + i / perCopy).rightJustified(3, '0'));
        file.seek(0);
        file.write(data);
    }

    gwtest::PaintCounter counter;
    list->viewport()->installEventFilter(&counter);
    const auto timed = [&counter](const auto &action) {
        counter.paints = 0;
        const auto begin = bench::Clock::now();
        action();
        QCoreApplication::processEvents();
        return Timed{bench::microsecondsSince(begin) / 1000, counter.paints};
    };

    if (folderOnly)
        prog->cb_system->setChecked(false);
    prog->ed_folder->setText(dir.path());
    prog->cb_folder->setChecked(true);
    const Timed plainLoad = timed([] { prog->SchriftenNeuLadenClick(); });
    const int entries = list->count();
    // Two reloads: the first after the load, the second as a reload usually costs.
    const Timed plainReload = timed([] { prog->SchriftenNeuLadenClick(); });
    const Timed plainReloadAgain = timed([] { prog->SchriftenNeuLadenClick(); });
    const long long plainKb = bench::statusKb("VmRSS:");

    // Sample mode on, and the screen it shows.
    const Timed switchOn = timed([] { prog->cb_schriftprobeliste->click(); });
    const long long sampleKb = bench::statusKb("VmRSS:");
    constexpr int kRepaints = 20;
    const Timed repaint = timed([list] {
        for (int i = 0; i < kRepaints; ++i)
            list->viewport()->repaint();
    });
    int rowsShown = 0;
    for (int row = 0; row < list->count(); ++row) {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        rowsShown += rect.bottom() >= 0 && rect.top() < list->viewport()->height();
    }

    // Scrolling page by page into rows not shown before, to the middle of the list or 50 pages.
    // Qt's own cost of a font opened for the first time grows with the number of families it
    // knows (it sorts out the fallback families among all of them), so in a long list the pages
    // further down cost more to show the first time.
    QScrollBar *bar = list->verticalScrollBar();
    int pages = 0;
    double pageMs = 0;
    double worstPageMs = 0;
    while (bar->value() < bar->maximum() / 2 && pages < 50) {
        const Timed page = timed([bar] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); });
        pageMs += page.ms;
        worstPageMs = std::max(worstPageMs, page.ms);
        ++pages;
    }

    const Timed sampleReload = timed([] { prog->SchriftenNeuLadenClick(); });
    const Timed switchOff = timed([] { prog->cb_schriftprobeliste->click(); });
    const Timed switchOnAgain = timed([] { prog->cb_schriftprobeliste->click(); });

    // Every row shown once: what sample mode costs with all fonts opened (in lists of up to
    // 5,000 entries; see above for why longer ones take long to show whole).
    long long allShownKb = 0;
    if (list->count() <= 5000) {
        bar->setValue(0);
        QCoreApplication::processEvents();
        while (bar->value() < bar->maximum()) {
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            QCoreApplication::processEvents();
        }
        allShownKb = bench::statusKb("VmRSS:");
    }

    std::printf("list of %d entries: %d installed families, %d font files of faces of their own\n", entries,
                folderOnly ? 0 : systemFonts, fileCount);
    std::printf("plain load:                   %8.1f ms, %d repaint(s)\n", plainLoad.ms, plainLoad.paints);
    std::printf("plain reload:                 %8.1f ms, %d repaint(s); again %.1f ms\n", plainReload.ms,
                plainReload.paints, plainReloadAgain.ms);
    std::printf("sample mode on:               %8.1f ms, %d repaint(s)   target < 500 ms, 1 repaint\n",
                switchOn.ms, switchOn.paints);
    std::printf("sample mode on again:         %8.1f ms, %d repaint(s)\n", switchOnAgain.ms, switchOnAgain.paints);
    std::printf("sample mode off:              %8.1f ms, %d repaint(s)   target < 500 ms, 1 repaint\n",
                switchOff.ms, switchOff.paints);
    std::printf("reload in sample mode:        %8.1f ms, %d repaint(s)   target < 500 ms, 1 repaint\n",
                sampleReload.ms, sampleReload.paints);
    std::printf("  of which the sample mode:   %8.1f ms (beyond the plain reload)\n", sampleReload.ms - plainReloadAgain.ms);
    std::printf("one screen of %d rows painted: %7.2f ms (mean of %d, fonts resolved)   target < 16 ms\n", rowsShown,
                repaint.ms / kRepaints, kRepaints);
    std::printf("a page of new rows scrolled in: %6.1f ms mean, %.1f ms worst (%d pages, fonts opened)\n",
                pageMs / std::max(1, pages), worstPageMs, pages);
    std::printf("memory in sample mode:        %8.1f MB above the plain list   target < 50 MB\n",
                double(sampleKb - plainKb) / 1024);
    if (allShownKb > 0)
        std::printf("  with every row shown once:  %8.1f MB above the plain list\n", double(allShownKb - plainKb) / 1024);
    app::destroyWindows();
    return 0;
}
