#include "app/ListSources.h"

#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontListView.h"
#include "output/Teinst.h"
#include "typeface/FileFaces.h"
#include "typeface/FontResources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>

namespace app {

output::LabelSwitches labelSwitches()
{
    output::LabelSwitches switches;
    switches.numbering = einst->cb1->isChecked();
    switches.fontName = einst->cb2->isChecked();
    switches.directory = einst->cb_verz->isChecked();
    switches.fileName = einst->cb_filename->isChecked();
    return switches;
}

qsizetype ListSheet::count() const
{
    return m_window.ListBox1->count();
}

output::SheetLine ListSheet::line(qsizetype index) const
{
    output::SheetLine line;
    line.label = m_window.GetText1(index);
    line.rest = m_window.GetText2(index);
    // The font and its file as the load recorded them for the row, never read back from its text.
    const fonts::FontListEntry entry = m_window.ListBox1->entry(int(index));
    const QString separator = m_window.Label16->text();
    line.labelParts = output::labelParts(index, entry, labelSwitches(), separator);
    line.restParts = output::sampleParts(entry, labelSwitches(), separator, m_window.cd1->currentText());
    line.fontName = entry.name;
    line.fontFile = entry.path;
    line.formB = einst->cb_stdname->isChecked();
    return line;
}

QString ResourceSink::addFontFile(const QString &path)
{
    return platform::FontResources::instance().addFontFile(path);
}

void ResourceSink::listFontFile(const QString &path, const platform::FileIdentity &identity, int face)
{
    platform::FileFaces::instance().setListedFile(path, identity, face);
}

void ResourceSink::postFontChange()
{
    platform::FontResources::instance().postFontChange();
}

} // namespace app
