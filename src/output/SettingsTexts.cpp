#include "output/SettingsTexts.h"

#include "output/Teinst.h"

#include <QPushButton>
#include <QRadioButton>

namespace output {

namespace {

constexpr ui::WindowTitle kTitle;

constexpr SettingsCaption kCaptions[] = {
    {kTitle, u"Erweiterte Einstellungen", u"Advanced Settings"},
    {&Teinst::GroupBox3, u"Layout", u"Layout"},
    {&Teinst::ed6Label, u"Abstandshalter (Leerzeichen beachten!)", u"Spacer (Keep Blanks in Mind!)"},
    {&Teinst::Label1, u"Schriften durchnummerieren", u"Number Fonts"},
    {&Teinst::Label2, u"Name der Schrift ausgeben", u"Print Name of Font"},
    {&Teinst::Label8, u"Verzeichnis ausgeben (für Schriften aus Ordnern)",
     u"Print Directory Path (if printed from Folder)"},
    {&Teinst::Label9, u"Dateiname ausgeben (für Schriften aus Ordnern)", u"Print File Name (if printed from Folder)"},
    {&Teinst::Label10, u"Schriftname in Standardschriftart", u"Font Name in Standard Font"},
    {&Teinst::Label13, u"Beispiel in der eigenen Schrift, wo Buchstaben fehlen",
     u"Sample in the font's own script where it lacks the sample's letters"},
    {&Teinst::Label4, u"Orientierung", u"Orientation"},
    {&Teinst::Label11, u"Hochformat", u"Portrait"},
    {&Teinst::Label12, u"Querformat", u"Landscape"},
    {&Teinst::GroupBox2, u"Schrift", u"Font"},
    {&Teinst::Label7, u"Größe (Wählen/Eingeben)", u"Size (select/type)"},
    {&Teinst::Label5, u"kursiv", u"italic"},
    {&Teinst::Label3, u"fett", u"bold"},
    {&Teinst::GroupBox1, u"Abstände", u"Margins"},
    {&Teinst::Edit1Label, u"Zeilenabstand", u"Line Distance"},
    {&Teinst::Edit2Label, u"Linker Rand", u"Margin Left"},
    {&Teinst::Edit3Label, u"Oberer Rand", u"Margin Top"},
    {&Teinst::Edit4Label, u"Unterer Rand", u"Margin Down"},
    {&Teinst::Button2, u"Abbrechen", u"Cancel"},
    // The orientation buttons have no caption of their own: the labels beside them are theirs.
    {&Teinst::or_hoch, u"", u""},
    {&Teinst::or_quer, u"", u""},
};

// The captions name the fields; these rows say what the captions leave open.
constexpr ui::TextPair kDigitsOnly{u"Nur Ziffern, in Bildpunkten", u"Digits only, in pixels"};
constexpr ui::AccessibleText kAccessibleTexts[] = {
    {"ed6", {}, {u"Steht zwischen Nummer, Name und Schriftprobe", u"Stands between number, name and sample"}},
    {"Edit5", {}, {u"Schriftgröße der Ausgabe in Punkt, nur Ziffern", u"Font size of the output in points, digits only"}},
    {"Edit1", {}, kDigitsOnly},
    {"Edit2", {}, kDigitsOnly},
    {"Edit3", {}, kDigitsOnly},
    {"Edit4", {}, kDigitsOnly},
};

} // namespace

std::span<const SettingsCaption> settingsCaptions()
{
    return kCaptions;
}

std::span<const ui::AccessibleText> settingsAccessibleTexts()
{
    return kAccessibleTexts;
}

} // namespace output
