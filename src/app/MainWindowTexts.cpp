#include "app/MainWindowTexts.h"

#include "app/Tprog.h"
#include "fonts/FontListLoader.h"
#include "fonts/SampleTexts.h"
#include "ui/AccessibleTexts.h"
#include "ui/Links.h"
#include "util/WideFunc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

namespace app {

namespace {

// A caption of the main window: its title, or one of its labels, buttons, check boxes, menu items
// or menus. Menus and their items carry accelerator marks ("&"), each letter once in its menu.
using MainWindowCaption = ui::Caption<Tprog, QLabel, QPushButton, QCheckBox, QAction, QMenu>;

constexpr ui::WindowTitle kTitle;

// The donation label, the sample box, the output box, the count label and the menu check marks
// need more than a text each; applyMainWindowTexts sets them.
constexpr MainWindowCaption kCaptions[] = {
    {kTitle, u"Glyphwerk - Velmont Media", u"Glyphworks - Velmont Media"},
    {&Tprog::Button1, u"Ausgeben", u"Export"},
    {&Tprog::Label2, u"Schriftprobe", u"Preview"},
    {&Tprog::m1, u"&Programm", u"&Tool"},
    {&Tprog::m11, u"&Erweiterte Einstellungen", u"&Advanced Settings"},
    {&Tprog::m_spgross, u"&Größeres Feld für Schriftprobe anzeigen", u"Show &larger Box for Font Preview"},
    {&Tprog::m12, u"&Beenden", u"&Close"},
    {&Tprog::mspr, u"&Sprache", u"Lan&guage"},
    {&Tprog::mde, u"&Deutsch", u"&German"},
    {&Tprog::men, u"&English", u"&English"},
    {&Tprog::mdruck, u"&Drucken", u"&Print"},
    {&Tprog::msp, u"&Farbe und Schriftgröße der Schriftprobe", u"C&olor and Size of Font Preview"},
    {&Tprog::mspb, u"Schriftprobe auch in &Liste anzeigen", u"Show Font &Preview in List"},
    {&Tprog::m_system, u"Anzeige der &Systemschriften", u"Show installed &System Fonts"},
    {&Tprog::m_folder, u"Anzeige von Schriften aus &Ordner", u"Show Fonts from &Folder or Drive"},
    {&Tprog::cb_schriftprobe, u"Größeres Feld für Schriftprobe anzeigen", u"Show larger Box for Font Preview"},
    {&Tprog::cb_schriftprobeliste, u"Schriftprobe auch in Liste anzeigen", u"Show Font Preview in List"},
    {&Tprog::m_bug, u"Fehler oder &Verbesserung melden..", u"&Report Bug or Improvement.."},
    {&Tprog::cb_system, u"Installierte Systemschriften anzeigen", u"Show installed System Fonts"},
    {&Tprog::cb_folder, u"Schriften aus diesem Ordner anzeigen:", u"Show Fonts from this Folder or Drive:"},
    {&Tprog::BitBtn2, u"Öffnen", u"Open"},
    {&Tprog::m2, u"&Schriftliste", u"&Font List"},
    {&Tprog::SchriftenNeuLaden, u"Schriften &neu laden", u"&Load Fonts"},
    {&Tprog::m22, u"&Markierte Elemente aus Liste löschen", u"&Delete selected Elements from List"},
    {&Tprog::m23, u"&Unmarkierte Elemente aus Liste löschen", u"Delete &not-selected Elements from List"},
    // One sentence over two lines.
    {&Tprog::Label3, u"Klicken Sie auf \"Ausgeben\", um den gewählten",
     u"Click on \"Export\" to print the text above in all"},
    {&Tprog::Label4, u"Text in den verschiedenen Schriften auszugeben.",
     u"fonts, you can see at the left of this window."},
    {&Tprog::Label8, u"Drucker oder anderes Ausgabeformat:", u"Printer or other Output Format:"},
    {&Tprog::Label5, u"Zeichen für die Ausgabe. Wählen Sie eins der Beispiele aus oder schreiben Sie etwas in die Box:",
     u"Characters to be printed. Select one of the examples or type something into the box:"},
    {&Tprog::pop1, u"&Markierte Elemente löschen", u"Delete &selected Elements"},
    {&Tprog::pop2, u"&Unmarkierte Elemente löschen", u"Delete &not-selected Elements"},
    // The marks that answer questions; the same captions in the Font List menu and the pop-up.
    {&Tprog::m_markLacking, u"Schriften markieren, die den Beispieltext nicht &darstellen können",
     u"Mark fonts that cannot show the sample &text"},
    {&Tprog::m_markDuplicates, u"Du&plikate markieren", u"Mark duplicat&es"},
    {&Tprog::m_markUnreadable, u"Nicht l&esbare Dateien markieren", u"Mark &unreadable files"},
    {&Tprog::pop_markLacking, u"Schriften markieren, die den Beispieltext nicht &darstellen können",
     u"Mark fonts that cannot show the sample &text"},
    {&Tprog::pop_markDuplicates, u"Du&plikate markieren", u"Mark duplicat&es"},
    {&Tprog::pop_markUnreadable, u"Nicht l&esbare Dateien markieren", u"Mark &unreadable files"},
    {&Tprog::pop_info, u"Schrift&informationen…", u"Font &Information…"},
    {&Tprog::m_info, u"Schrift&informationen…", u"Font &Information…"},
};

// What a screen reader says of the controls whose captions do not name or explain them; the
// others are named by their captions and labels.
constexpr ui::AccessibleText kAccessibleTexts[] = {
    {"ListBox1",
     {u"Schriftliste", u"Font list"},
     {u"Leertaste markiert, Entf löscht die markierten, Strg+Entf die unmarkierten Schriften, die "
      u"Kontextmenü-Taste öffnet das Menü der Liste",
      u"Space marks, Del deletes the marked fonts, Ctrl+Del the unmarked ones, the context menu key "
      u"opens the list's menu"}},
    {"ed_folder",
     {u"Ordner", u"Folder"},
     {u"Enter lädt die Schriften dieses Ordners", u"Enter loads the fonts of this folder"}},
    {"BitBtn2", {}, {u"Ordner wählen", u"Choose a folder"}},
    {"Memo1",
     {u"Schriftprobe", u"Font preview"},
     {u"Zeigt die Schrift der Liste an einem eigenen Text", u"Shows the list's font on a text of your own"}},
    {"cd1",
     {u"Zeichen für die Ausgabe", u"Characters to be printed"},
     {u"Wählen Sie eins der Beispiele aus oder schreiben Sie etwas in die Box",
      u"Select one of the examples or type something into the box"}},
    {"Button1",
     {},
     {u"Gibt die Schriftliste auf dem gewählten Drucker oder Format aus",
      u"Outputs the font list to the chosen printer or format"}},
    {"laspenden", {}, {u"Verknüpfung zur Spendenseite", u"Link to the donation page"}},
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

// What follows the donation address in the label `laspenden`.
constexpr ui::TextPair kDonationThanks{u" - Vielen Dank!", u" - Thank You!"};
// The word that names the sample box's custom entry.
constexpr ui::TextPair kCustomWord{u"Benutzerdefiniert", u"Custom"};

// The first entries of the output box by position; the installed printers after them keep their
// names. The standard printer is chosen again.
void applyOutputTargets(QComboBox *box, bool german)
{
    for (int i = 0; i < int(std::size(kOutputTargets)) && i < box->count(); ++i)
        box->setItemText(i, kOutputTargets[i].in(german));
    box->setCurrentIndex(0);
}

// The language's default sentence replaces example 0 and the sample text, so a text of one's own
// is discarded; the custom entry's word is replaced over the whole list of examples.
void applySamples(QComboBox *box, bool german)
{
    const QString example0 = fonts::defaultSample(german);
    box->setItemText(0, example0);
    box->setCurrentIndex(0);
    box->setEditText(example0);
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    QString replaced;
    ReplaceAll(items.join(QLatin1Char('\n')), kCustomWord.in(!german), kCustomWord.in(german), replaced);
    const QStringList result = replaced.split(QLatin1Char('\n'));
    for (int i = 0; i < result.size() && i < box->count(); ++i)
        box->setItemText(i, result.at(i));
}

} // namespace

const ui::TextPair kSaveFileName{u"Schrift Bild", u"Font Image"};
const ui::TextPair kUnusableMark{u" (nicht lesbar)", u" (unreadable)"};

void applyMainWindowTexts(Tprog &window, bool german)
{
    ui::applyCaptions(window, kCaptions, german);
    window.laspenden->setText(QString::fromLatin1(german ? ui::kDonateDe : ui::kDonateEn) + kDonationThanks.in(german));
    // Each help menu keeps its own language; only one of them is shown.
    window.info_de->menuAction()->setVisible(german);
    window.info_en->menuAction()->setVisible(!german);
    applyOutputTargets(window.cbdrucker, german);
    applySamples(window.cd1, german);
    window.Label1->setText(fonts::fontCountText(window.ListBox1->count(), german));
    window.mde->setChecked(german);
    window.men->setChecked(!german);
    ui::applyAccessibleTexts(&window, kAccessibleTexts, german);
}

bool isCustomEntry(const QString &text)
{
    for (const QStringView word : {kCustomWord.german, kCustomWord.english})
        if (text == word.toString() + QLatin1String(".."))
            return true;
    return false;
}

} // namespace app
