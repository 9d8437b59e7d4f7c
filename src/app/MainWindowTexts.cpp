#include "app/MainWindowTexts.h"

#include "app/Tprog.h"

#include <QCheckBox>
#include <QPushButton>

namespace app {

namespace {

constexpr ui::WindowTitle kTitle;

// The donation label, the sample box, the output box, the count label and the menu check marks
// need more than a text each; `Tprog::Sprache` sets them.
constexpr MainWindowCaption kCaptions[] = {
    {kTitle, u"Glyphwerk - Velmont Media", u"Glyphworks - Velmont Media"},
    {&Tprog::Button1, u"Ausgeben", u"Export"},
    {&Tprog::Label2, u"Schriftprobe", u"Preview"},
    {&Tprog::m1, u"Programm", u"Tool"},
    {&Tprog::m11, u"Erweiterte Einstellungen", u"Advanced Settings"},
    {&Tprog::m_spgross, u"Größeres Feld für Schriftprobe anzeigen", u"Show larger Box for Font Preview"},
    {&Tprog::m12, u"Beenden", u"Close"},
    {&Tprog::mspr, u"Sprache", u"Language"},
    {&Tprog::mde, u"Deutsch", u"German"},
    {&Tprog::men, u"English", u"English"},
    {&Tprog::mdruck, u"Drucken", u"Print"},
    {&Tprog::msp, u"Farbe und Schriftgröße der Schriftprobe", u"Color and Size of Font Preview"},
    {&Tprog::mspb, u"Schriftprobe auch in Liste anzeigen", u"Show Font Preview in List"},
    {&Tprog::m_system, u"Anzeige der Systemschriften", u"Show installed System Fonts"},
    {&Tprog::m_folder, u"Anzeige von Schriften aus Ordner", u"Show Fonts from Folder or Drive"},
    {&Tprog::cb_schriftprobe, u"Größeres Feld für Schriftprobe anzeigen", u"Show larger Box for Font Preview"},
    {&Tprog::cb_schriftprobeliste, u"Schriftprobe auch in Liste anzeigen", u"Show Font Preview in List"},
    {&Tprog::m_bug, u"Fehler oder Verbesserung melden..", u"Report Bug or Improvement.."},
    {&Tprog::cb_system, u"Installierte Systemschriften anzeigen", u"Show installed System Fonts"},
    {&Tprog::cb_folder, u"Schriften aus diesem Ordner anzeigen:", u"Show Fonts from this Folder or Drive:"},
    {&Tprog::BitBtn2, u"Öffnen", u"Open"},
    {&Tprog::m2, u"Schriftliste", u"Font List"},
    {&Tprog::SchriftenNeuLaden, u"Schriften neu laden", u"Load Fonts"},
    {&Tprog::m22, u"Markierte Elemente aus Liste löschen", u"Delete selected Elements from List"},
    {&Tprog::m23, u"Unmarkierte Elemente aus Liste löschen", u"Delete not-selected Elements from List"},
    // One sentence over two lines.
    {&Tprog::Label3, u"Klicken Sie auf \"Ausgeben\", um den gewählten",
     u"Click on \"Export\" to print the text above in all"},
    {&Tprog::Label4, u"Text in den verschiedenen Schriften auszugeben.",
     u"fonts, you can see at the left of this window."},
    {&Tprog::Label8, u"Drucker oder anderes Ausgabeformat:", u"Printer or other Output Format:"},
    {&Tprog::Label5, u"Zeichen für die Ausgabe. Wählen Sie eins der Beispiele aus oder schreiben Sie etwas in die Box:",
     u"Characters to be printed. Select one of the examples or type something into the box:"},
    {&Tprog::pop1, u"Markierte Elemente löschen", u"Delete selected Elements"},
    {&Tprog::pop2, u"Unmarkierte Elemente löschen", u"Delete not-selected Elements"},
};

constexpr ui::TextPair kOutputTargets[] = {
    {u"Standarddrucker", u"Standard Printer"},
    {u"Drucker Dialog mit Optionen", u"Printer Dialog with Options"},
    {u"BMP-Bild", u"BMP-Image"},
    {u"JPG-Bild", u"JPG-Image"},
    {u"GIF-Bild", u"GIF-Image"},
    {u"DOC-Microsoft Word® Dokument", u"DOC-Microsoft Word® Document"},
    {u"PDF-Dokument", u"PDF-Document"},
};

} // namespace

const ui::TextPair kDonationThanks{u" - Vielen Dank!", u" - Thank You!"};
const ui::TextPair kCustomWord{u"Benutzerdefiniert", u"Custom"};
const ui::TextPair kSaveFileName{u"Schrift Bild", u"Font Image"};
const ui::TextPair kUnusableMark{u" (nicht lesbar)", u" (unreadable)"};

std::span<const MainWindowCaption> mainWindowCaptions()
{
    return kCaptions;
}

std::span<const ui::TextPair> outputTargetTexts()
{
    return kOutputTargets;
}

bool isCustomEntry(const QString &text)
{
    for (const QStringView word : {kCustomWord.german, kCustomWord.english})
        if (text == word.toString() + QLatin1String(".."))
            return true;
    return false;
}

} // namespace app
