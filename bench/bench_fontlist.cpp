// Times the start of the program up to the main window's first showing with all system fonts,
// and the loading of a folder of 2,000 font files (copies of Debian's DejaVu, Liberation and
// Noto fonts in nested folders) into the font list, counting the list's repaints.
// Usage: bench_fontlist [files]   (runs on Qt's offscreen platform unless QT_QPA_PLATFORM is set)

#include "BenchSupport.h"
#include "app/Application.h"
#include "app/Tprog.h"
#include "app/Tstart.h"
#include "app/Windows.h"
#include "platform/Dialogs.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const auto processStart = bench::Clock::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int fileCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

    app::Application application(argc, argv);
    dialogs::setNonInteractive(true);
    const double applicationUs = bench::microsecondsSince(processStart);

    // Start-up: the windows, then the main window shown as the greeting's click would show it.
    const auto createStart = bench::Clock::now();
    app::createWindows();
    const double createUs = bench::microsecondsSince(createStart);
    start->show();
    start->FormClick();
    if (!QTest::qWaitForWindowExposed(prog))
        return 1;
    QCoreApplication::processEvents();
    const double shownUs = bench::microsecondsSince(processStart);
    const int systemFonts = prog->ListBox1->count();

    // The font tree.
    QTemporaryDir dir;
    const QStringList paths = bench::buildFontFiles(dir.path(), fileCount);
    if (paths.isEmpty())
        return 1;

    gwtest::PaintCounter counter;
    prog->ListBox1->viewport()->installEventFilter(&counter);
    prog->cb_system->setChecked(false);
    prog->ed_folder->setText(dir.path());
    prog->cb_folder->setChecked(true);
    double loadUs[2];
    int paints[2];
    for (int round = 0; round < 2; ++round) {
        counter.paints = 0;
        const auto loadStart = bench::Clock::now();
        prog->SchriftenNeuLadenClick();
        QCoreApplication::processEvents();
        loadUs[round] = bench::microsecondsSince(loadStart);
        paints[round] = counter.paints;
    }
    const int entries = prog->ListBox1->count();

    std::printf("application object:        %8.1f ms\n", applicationUs / 1000);
    std::printf("creating the nine windows:  %8.1f ms (%d system fonts listed)\n", createUs / 1000, systemFonts);
    std::printf("start to main window shown: %8.1f ms\n", shownUs / 1000);
    std::printf("loading %d font files:    %8.1f ms, %.0f us per file, %d repaint(s) of the list\n", entries,
                loadUs[0] / 1000, loadUs[0] / entries, paints[0]);
    std::printf("loading them again:         %8.1f ms, %d repaint(s) (every file is added again)\n",
                loadUs[1] / 1000, paints[1]);
    app::destroyWindows();
    return 0;
}
