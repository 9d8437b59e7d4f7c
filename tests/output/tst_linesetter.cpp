// Lines set by the line setter as the print engine writes them: the parts of a line keep their
// order whatever their scripts, and a label reads in any script.

#include "output/LineSetter.h"
#include "typeface/FileFaces.h"
#include "typeface/FontFile.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestLineSetter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    /// Prints `lines` on one PDF page and returns the page's text as pdftotext reads it.
    QString printed(const QList<output::SheetLine> &lines, const QString &name)
    {
        const QString pdf = m_dir.filePath(name + QStringLiteral(".pdf"));
        {
            QPdfWriter writer(pdf);
            QPainter painter(&writer);
            const output::LineSetter setter(&writer, 10, false, false);
            int y = 100;
            for (const output::SheetLine &line : lines) {
                const output::LineMetrics metrics = setter.measure(line);
                setter.draw(painter, line, metrics, 100, y);
                y += metrics.height * 2;
            }
        }
        m_pdf = pdf;
        return gwtest::toolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
    }
    QString m_pdf;

private slots:
    // An Arabic or Hebrew name between the number and the sample, in the label's standard font
    // (form B) or in the entry's own font (form A): number, separator, name, separator and sample
    // stand in this order, and the name reads from right to left within its part.
    void partsKeepTheirOrder_data()
    {
        QTest::addColumn<bool>("formB");
        QTest::addColumn<QString>("name");
        QTest::newRow("form B, Arabic") << true << QStringLiteral("خط عربي");
        QTest::newRow("form A, Hebrew") << false << QStringLiteral("גופן עברי");
    }
    void partsKeepTheirOrder()
    {
        QFETCH(bool, formB);
        QFETCH(QString, name);
        output::SheetLine line;
        line.labelParts = {QStringLiteral("12"), QStringLiteral("  --  "), name, QStringLiteral("  ==  ")};
        line.restParts = {QStringLiteral("1234567890 Sample")};
        line.label = line.labelParts.join(QString());
        line.rest = line.restParts.join(QString());
        line.fontName = QStringLiteral("DejaVu Sans");
        line.formB = formB;
        printed({line}, QStringLiteral("order%1").arg(formB));
        // Where each word stands on the page, from pdftotext's boxes: the text order alone would
        // not tell, as pdftotext reorders right-to-left runs itself. It boxes right-to-left letters
        // one by one, in their presentation forms.
        const QString boxes = gwtest::toolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), m_pdf, QStringLiteral("-")});
        static const QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
        QMap<QString, double> left;
        for (const QRegularExpressionMatch &match : word.globalMatch(boxes))
            left.insert(match.captured(2).normalized(QString::NormalizationForm_KC), match.captured(1).toDouble());
        const QString first = name.left(1), last = name.right(1);
        const QStringList order = {QStringLiteral("12"), QStringLiteral("--"), last, first,
                                   QStringLiteral("=="), QStringLiteral("1234567890"), QStringLiteral("Sample")};
        for (qsizetype i = 0; i < order.size(); ++i)
            QVERIFY2(left.contains(order[i]) && (i == 0 || left.value(order[i - 1]) < left.value(order[i])),
                     qPrintable(order[i] + QLatin1Char('\n') + boxes));
    }

    // A Japanese name in the standard font, which has no Japanese letters: they come from a
    // fallback face, which the PDF embeds beside the standard font.
    void labelReadsInAnyScript()
    {
        output::SheetLine line;
        line.labelParts = {QStringLiteral("1"), QStringLiteral(" -- "), QStringLiteral("テスト明朝"), QStringLiteral(" -- ")};
        line.restParts = {QStringLiteral("Sample")};
        line.label = line.labelParts.join(QString());
        line.rest = line.restParts.join(QString());
        line.fontName = QStringLiteral("DejaVu Serif");
        line.formB = true;
        const QString text = printed({line}, QStringLiteral("japanese"));
        QVERIFY2(text.contains(QStringLiteral("テスト明朝")), qPrintable(text));
        const QString fonts = gwtest::toolOutput(QStringLiteral("pdffonts"), {m_pdf});
        QVERIFY2(fonts.contains(QStringLiteral("DejaVuSerif")) && fonts.split(QLatin1Char('\n')).size() >= 5,
                 qPrintable(fonts));
    }

    // A font of Arabic letters only, by name and from its file, with the folder and file label
    // on: the path, which the font cannot show, is set in the standard font; the sample stays in
    // the entry's font.
    void labelsTheFontLacksAreSetInTheStandardFont_data()
    {
        QTest::addColumn<bool>("fromFile");
        QTest::addColumn<bool>("formB");
        QTest::newRow("typeface, form B") << false << true;
        QTest::newRow("file, form B") << true << true;
        QTest::newRow("file, form A") << true << false;
    }
    void labelsTheFontLacksAreSetInTheStandardFont()
    {
        QFETCH(bool, fromFile);
        QFETCH(bool, formB);
        const QString file = gwtest::packageFontFile(QStringLiteral("fonts-noto-core"),
                                                     QStringLiteral("NotoKufiArabic-Bold.ttf"));
        QVERIFY(!file.isEmpty());
        output::SheetLine line;
        line.labelParts = {QStringLiteral("Noto Kufi Arabic Bold"), QStringLiteral("  --  ")};
        line.restParts = {file, QStringLiteral("  --  "), QStringLiteral("خط عربي")};
        line.label = line.labelParts.join(QString());
        line.rest = line.restParts.join(QString());
        line.fontName = QStringLiteral("Noto Kufi Arabic");
        line.formB = formB;
        if (fromFile) {
            line.fontFile = file;
            platform::FileFaces::instance().setListedFile(file, platform::readFontFile(file).identity);
        }
        QImage device(1, 1, QImage::Format_RGB32);
        const output::LineSetter setter(&device, 24, false, false);
        const output::LineMetrics metrics = setter.measure(line);
        QVERIFY(!metrics.unusable);
        const QString standard = setter.standardFont().family();
        QCOMPARE(metrics.pieces.size(), line.labelParts.size() + (formB ? 1 : 0) + line.restParts.size());
        for (qsizetype i = 0; i < metrics.pieces.size(); ++i) {
            const output::LinePiece &piece = metrics.pieces.at(i);
            const bool sample = i == metrics.pieces.size() - 1;
            const QString what = QStringLiteral("part %1 (%2): %3").arg(i).arg(piece.text, piece.font.family());
            if (sample) {
                QVERIFY2(fromFile ? piece.glyphs && piece.shaped.missing == 0
                                  : !piece.glyphs && piece.font.family() == line.fontName,
                         qPrintable(what));
            } else {
                // Every label, the path among them: Latin letters, digits and dashes it lacks.
                QVERIFY2(!piece.glyphs && piece.font.family() == standard, qPrintable(what));
            }
        }
    }
};

GW_TEST_MAIN_GUI(TestLineSetter)
#include "tst_linesetter.moc"
