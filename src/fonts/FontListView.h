#pragma once
// The font list as a widget: a list of font list entries that screen readers can read row by row
// and that finds an entry by the first letters typed.

#include "fonts/FontEntry.h"
#include "fonts/TypeAhead.h"

#include <QListWidget>

#include <functional>
#include <vector>

namespace fonts {

/// The data roles in which a row of the font list carries its entry's name and file.
inline constexpr int kEntryNameRole = Qt::UserRole + 1;
inline constexpr int kEntryPathRole = Qt::UserRole + 2;

/// The entry of the row at `index` of a font list: its text, and the name and file recorded
/// with it. A row that carries no record (added as plain text) is a typeface named by its text.
FontListEntry entryOf(const QModelIndex &index);

/// The entry of the row `item`, as entryOf(const QModelIndex &).
FontListEntry entryOf(const QListWidgetItem &item);

/// A QListWidget of font list entries. Its rows tell screen readers the entry as people read it
/// (a font file's path through util::readablePath()) as their name and their place in the list
/// ("12 of 2,300", in the interface language) as their description, worked out when asked, so
/// a list of 100,000 entries stores nothing more per row. Typing letters moves the current row
/// to the next entry whose name begins with them (TypeAhead), leaving the marks as they are.
class FontListView : public QListWidget
{
    Q_OBJECT
public:
    explicit FontListView(QWidget *parent = nullptr);
    ~FontListView() override;

    /// Appends `entries` as rows, each carrying its name and file (kEntryNameRole,
    /// kEntryPathRole), so that rows deleted or moved take them along.
    void addEntries(const FontListEntries &entries);
    /// Appends the installed typefaces `typefaces` as rows. Hides QListWidget::addItems(): rows
    /// added through it would not tell their place.
    void addItems(const QStringList &typefaces);
    /// Appends one typeface as a row; hides QListWidget::addItem(const QString &) as addItems()
    /// does.
    void addItem(const QString &typeface);

    /// The entry of row `row`; an empty one for a row that does not exist.
    FontListEntry entry(int row) const;

    /// Sets the interface language of the rows' descriptions ("von" and German digit grouping
    /// when `german`).
    void setGerman(bool german);

    /// The description of row `row`: "12 of 2,300" or "12 von 2.300".
    QString positionText(int row) const;

    /// Replaces the clock that times the typed keys (milliseconds of a steady clock); tests use
    /// one of their own so that no test waits on the real time.
    void setClock(std::function<qint64()> clock);

    /// Moves the current row to the entry that the text typed so far begins, without touching
    /// the marks, and scrolls it into view. Called by the list for each printable key.
    void keyboardSearch(const QString &search) override;

private:
    /// The folded font names of the entries, made on the first key typed after the entries changed.
    const std::vector<QString> &searchKeys();

    bool m_german = false;
    TypeAhead m_typeAhead;
    std::function<qint64()> m_clock;
    std::vector<QString> m_keys;
    bool m_keysValid = false;
};

} // namespace fonts
