#include "app/ListSources.h"

#include "app/Tprog.h"
#include "app/Windows.h"
#include "fonts/FontListView.h"
#include "output/Teinst.h"

#include <QComboBox>

namespace app {

qsizetype ListSheet::count() const
{
    return m_window.ListBox1->count();
}

output::SheetLine ListSheet::line(qsizetype index) const
{
    return output::sheetLine(index, m_window.ListBox1->entry(int(index)), *this);
}

output::LabelSwitches ListSheet::labelSwitches() const
{
    return einst->labelSwitches();
}

QString ListSheet::separator() const
{
    return einst->separator();
}

bool ListSheet::standardFontLabels() const
{
    return einst->standardFontLabels();
}

QString ListSheet::sampleText() const
{
    return m_window.cd1->currentText();
}

bool ListSheet::ownScript() const
{
    return einst->ownScript();
}

} // namespace app
