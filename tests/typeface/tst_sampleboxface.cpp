// Tests of the face a folder's font file is registered under for the sample boxes: drawn like
// the installed font it copies, one at a time, never a system typeface, nothing for a bad file.

#include "fonts/FontEntry.h"
#include "fonts/ListRows.h"
#include "typeface/FileFaces.h"
#include "typeface/SampleBoxFace.h"
#include "typeface/SystemFonts.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextLayout>

#include <sys/stat.h>

using platform::isSampleBoxFamily;

namespace {

QImage render(const QFont &font)
{
    QImage image(420, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(4, 44, QStringLiteral("Hamburgefonstiv"));
    return image;
}

QStringList sampleBoxFamilies(const QStringList &families)
{
    QStringList found;
    for (const QString &family : families)
        if (isSampleBoxFamily(platform::familyWithoutFoundry(family)))
            found << family;
    return found;
}

} // namespace

class TestSampleBoxFace : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    /// A listed copy of the DejaVu file `fileName`, as a folder load would list it.
    QString listedCopy(const QString &fileName)
    {
        const QString path = m_dir.filePath(fileName);
        if (!QFile::exists(path))
            gwtest::copyFile(gwtest::packageFontFile(QStringLiteral("fonts-dejavu-core"), fileName), path);
        platform::FileFaces::instance().setListedFile(path, platform::readFontFile(path).identity);
        return path;
    }

private slots:
    void cleanup() { platform::releaseSampleBoxFace(); }

    void drawsLikeTheInstalledFont_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<bool>("lines");
        QTest::newRow("regular") << "DejaVuSans.ttf" << "DejaVu Sans" << false;
        QTest::newRow("bold face, underlined and struck out") << "DejaVuSerif-Bold.ttf" << "DejaVu Serif Bold" << true;
    }

    void drawsLikeTheInstalledFont()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, installed);
        QFETCH(bool, lines);
        QFont box;
        box.setPixelSize(31);
        box.setUnderline(lines);
        box.setStrikeOut(lines);
        // The other box still shows the face carried before, its text laid out, while this one
        // moves on: the new face must not be drawn with the one before.
        const QFont before = fonts::carriedFont(box, fonts::FontListEntry::file(QString(), listedCopy(QStringLiteral("DejaVuSansMono.ttf"))));
        QTextLayout otherBox(QStringLiteral("Hamburgefonstiv"), before);
        otherBox.beginLayout();
        otherBox.createLine();
        otherBox.endLayout();
        const QFont carried = fonts::carriedFont(box, fonts::FontListEntry::file(installed, listedCopy(fileName)));
        QVERIFY(isSampleBoxFamily(QFontInfo(carried).family()));
        QCOMPARE(QFontInfo(carried).pixelSize(), 31);
        const QImage drawn = render(carried);
        QVERIFY(drawn != render(box));
        QCOMPARE(drawn, render(fonts::carriedFont(box, fonts::FontListEntry::typeface(installed))));
    }

    void oneFaceAtATimeAndNeverListed()
    {
        QStringList changes;
        QObject listener;
        connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, &listener,
                [&] { changes << (platform::isChangingSampleBoxFace() ? "sample box" : "other"); });
        const QString first = platform::sampleBoxFamily(listedCopy(QStringLiteral("DejaVuSans.ttf")));
        const QString second = platform::sampleBoxFamily(listedCopy(QStringLiteral("DejaVuSansMono.ttf")));
        QVERIFY(!first.isEmpty() && !second.isEmpty() && first != second);
        QCOMPARE(sampleBoxFamilies(QFontDatabase::families()), QStringList{second});
        QVERIFY(sampleBoxFamilies(platform::printerTypefaces()).isEmpty());
        QVERIFY(sampleBoxFamilies(platform::screenTypefaces()).isEmpty());
        QVERIFY(!changes.isEmpty() && !changes.contains("other"));

        // The file shown last is asked for on every focus move: it is not registered again.
        const qsizetype changed = changes.size();
        QCOMPARE(platform::sampleBoxFamily(m_dir.filePath(QStringLiteral("DejaVuSansMono.ttf"))), second);
        QCOMPARE(changes.size(), changed);
        platform::releaseSampleBoxFace();
        QVERIFY(sampleBoxFamilies(QFontDatabase::families()).isEmpty());
    }

    void badFileRegistersNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("truncated") << "truncated";
    }

    void badFileRegistersNothing()
    {
        QFETCH(QString, kind);
        QVERIFY(!platform::sampleBoxFamily(listedCopy(QStringLiteral("DejaVuSans.ttf"))).isEmpty());
        const QString path = m_dir.filePath(kind);
        QFile::remove(path);
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QFile whole(m_dir.filePath(QStringLiteral("DejaVuSans.ttf")));
            QVERIFY(whole.open(QIODevice::ReadOnly));
            QVERIFY(gwtest::writeFile(path, whole.readAll().left(whole.size() / 2)));
        }
        platform::FileFaces::instance().setListedFile(path, platform::readFontFile(path).identity);
        QFont box;
        box.setPixelSize(20);
        QCOMPARE(fonts::carriedFont(box, fonts::FontListEntry::file(QStringLiteral("DejaVu Sans"), path)), box);
        QVERIFY(platform::sampleBoxFamily(path).isEmpty());
        QVERIFY(sampleBoxFamilies(QFontDatabase::families()).isEmpty());
    }
};

GW_TEST_MAIN_GUI(TestSampleBoxFace)
#include "tst_sampleboxface.moc"
