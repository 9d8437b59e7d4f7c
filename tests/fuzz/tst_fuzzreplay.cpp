#include "fonts/FontFileName.h"
#include "fuzz/SeedCorpus.h"
#include "support/TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

class TestFuzzReplay : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    fuzzseeds::Counts m_counts;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QElapsedTimer timer;
        timer.start();
        QString error;
        QVERIFY2(fuzzseeds::writeSeedCorpus(m_dir.path(), fuzzseeds::Options(), m_counts, error), qPrintable(error));
        qInfo("seed corpus: %d font files, %d small forms, %d synthetic, %d crafted, %d mutants in %lld ms",
              m_counts.fonts, m_counts.compact, m_counts.synthetic, m_counts.crafted, m_counts.mutants,
              static_cast<long long>(timer.elapsed()));
        // The test command installs the four font packages, so (nearly) the whole selection of
        // 40 files is there, each with a name table.
        QVERIFY(m_counts.fonts >= 30);
        QCOMPARE(m_counts.compact, m_counts.fonts);
        QCOMPARE(m_counts.mutants, fuzzseeds::Options().mutants);
        QCOMPARE(m_counts.crafted, 8);
    }

    /// The small forms the mutants are made from keep the name of the font they come from: a
    /// directory or name table moved wrongly would leave the mutants nothing to find.
    void smallFormsKeepTheName()
    {
        const QStringList names = QDir(m_dir.filePath(QStringLiteral("compact"))).entryList(QDir::Files);
        QCOMPARE(names.size(), m_counts.compact);
        for (const QString &name : names) {
            const QString full = ReadFontFileName(m_dir.filePath(QStringLiteral("fonts/") + name));
            QVERIFY2(!full.isEmpty(), qPrintable(name));
            QCOMPARE(ReadFontFileName(m_dir.filePath(QStringLiteral("compact/") + name)), full);
        }
    }

    /// The replay program runs every input of the corpus through the fuzz entry point, without a
    /// fault (the sanitizer build aborts on one) and without leaving file descriptors open.
    void replayRunsTheWholeCorpus_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("font file readers") << QStringLiteral(GW_FUZZ_REPLAY);
        // The readers a listed file meets: map, facts, signature, duplicates, own-script sample.
        QTest::newRow("listed file readers") << QStringLiteral(GW_FUZZ_REPLAY_READERS);
        // The corpus's bytes as font names and sample texts.
        QTest::newRow("document XML") << QStringLiteral(GW_FUZZ_REPLAY_DOCUMENT);
    }
    void replayRunsTheWholeCorpus()
    {
        QFETCH(QString, program);
        QProcess replay;
        replay.start(program, {m_dir.path()});
        QVERIFY2(replay.waitForFinished(300000), "the replay did not end");
        const QString out = QString::fromUtf8(replay.readAllStandardOutput());
        const QString err = QString::fromUtf8(replay.readAllStandardError());
        QVERIFY2(replay.exitStatus() == QProcess::NormalExit && replay.exitCode() == 0, qPrintable(out + err));
        const QRegularExpressionMatch ran = QRegularExpression(QStringLiteral("ran (\\d+) inputs")).match(out);
        QVERIFY2(ran.hasMatch(), qPrintable(out));
        QCOMPARE(ran.captured(1).toInt(), m_counts.total());
        qInfo("%s", qPrintable(out.trimmed()));
    }
};

GW_TEST_MAIN_CORE(TestFuzzReplay)

#include "tst_fuzzreplay.moc"
