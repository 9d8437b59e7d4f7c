#pragma once
// The main window's font list as the lines the output runs are given.

#include "output/SheetRequest.h"

class Tprog;

namespace app {

/// The font list as the lines of a sheet, each made with the settings as they are when it is
/// read, so that a setting changed while an image run goes on takes effect from the next line:
/// the settings dialog's label, standard-font and own-script switches, the committed separator
/// and the sample box's text.
class ListSheet : public output::SheetSource, public output::SheetSettings
{
public:
    /// The lines of `window`'s font list.
    explicit ListSheet(const Tprog &window)
        : m_window(window)
    {
    }
    qsizetype count() const override;
    output::SheetLine line(qsizetype index) const override;

    output::LabelSwitches labelSwitches() const override;
    QString separator() const override;
    bool standardFontLabels() const override;
    QString sampleText() const override;
    bool ownScript() const override;

private:
    const Tprog &m_window;
};

} // namespace app
