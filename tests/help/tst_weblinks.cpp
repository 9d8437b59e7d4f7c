#include "help/WebLinks.h"

#include <QTest>

using help::LinkForm;

Q_DECLARE_METATYPE(help::LinkForm)

class TestWebLinks : public QObject
{
    Q_OBJECT
private slots:
    void linkAddress_data()
    {
        QTest::addColumn<LinkForm>("form");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        const LinkForm menu = LinkForm::Menu;
        const LinkForm label = LinkForm::DonationLabel;
        const LinkForm window = LinkForm::Window;
        QTest::newRow("menu bare .de") << menu << "velmont-media.de" << "http://www.velmont-media.de/&rf=xy";
        QTest::newRow("menu bare .com") << menu << "velmont-media.com" << "http://www.velmont-media.com/&rf=xy";
        QTest::newRow("menu accelerator in address")
            << menu << "velmont-&media.de" << "http://www.velmont-media.de/&rf=xy";
        QTest::newRow("menu path with description")
            << menu << "velmont-media.de/glyphwerk - Homepage dieser Software"
            << "http://www.velmont-media.de/glyphwerk&rf=xy";
        QTest::newRow("menu bare domain with description")
            << menu << "velmont-media.com - Website" << "http://www.velmont-media.com/&rf=xy";
        QTest::newRow("menu cut at the first dash")
            << menu << "velmont-media.de/a - b - c" << "http://www.velmont-media.de/a&rf=xy";
        QTest::newRow("donation German")
            << label << "velmont-media.de/spenden - Vielen Dank!" << "http://www.velmont-media.de/spenden&rf=xy";
        QTest::newRow("donation English")
            << label << "velmont-media.com/donate - Thank You!" << "http://www.velmont-media.com/donate&rf=xy";
        // A bare domain must not swallow the key into its host name.
        QTest::newRow("donation bare domain")
            << label << "velmont-media.de - Vielen Dank!" << "http://www.velmont-media.de/&rf=xy";
        QTest::newRow("donation without dash")
            << label << "velmont-media.de/spenden" << "http://www.velmont-media.de/spenden&rf=xy";
        QTest::newRow("window path") << window << "velmont-media.de/support" << "http://www.velmont-media.de/support&rf=xy";
        QTest::newRow("window bare .com") << window << "velmont-media.com" << "http://www.velmont-media.com/&rf=xy";
        // Window labels are used as they stand: no accelerator marks, no description.
        QTest::newRow("window keeps &") << window << "velmont-&media.de" << "http://www.velmont-&media.de/&rf=xy";
        QTest::newRow("window keeps dash")
            << window << "velmont-media.de/x - y" << "http://www.velmont-media.de/x - y&rf=xy";
    }

    void linkAddress()
    {
        QFETCH(LinkForm, form);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(help::linkAddress(form, text, QStringLiteral("xy")), expected);
    }
};

QTEST_GUILESS_MAIN(TestWebLinks)
#include "tst_weblinks.moc"
