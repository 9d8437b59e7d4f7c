#pragma once
// The main window's font list as the sources the output runs and the font loader are given.

#include "fonts/FontListLoader.h"
#include "output/PrintSheet.h"
#include "output/SheetText.h"

class Tprog;

namespace app {

/// The switches of the settings dialog that choose the label parts of a sheet line.
output::LabelSwitches labelSwitches();

/// The font list as the lines of a sheet, read line by line so that a setting changed while an
/// image run goes on takes effect from the next line.
class ListSheet : public output::SheetSource
{
public:
    /// The lines of `window`'s font list.
    explicit ListSheet(const Tprog &window)
        : m_window(window)
    {
    }
    qsizetype count() const override;
    output::SheetLine line(qsizetype index) const override;

private:
    const Tprog &m_window;
};

/// The run's font resources as the loader's sink.
class ResourceSink : public fonts::FontSink
{
public:
    QString addFontFile(const QString &path) override;
    void listFontFile(const QString &path, const platform::FileIdentity &identity, int face) override;
    void postFontChange() override;
};

} // namespace app
