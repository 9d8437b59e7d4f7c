// Lines set by the line setter as the print engine writes them: the parts of a line keep their
// order whatever their scripts, and a label reads in any script.

#include "output/LineSetter.h"
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
};

GW_TEST_MAIN_GUI(TestLineSetter)
#include "tst_linesetter.moc"
