#pragma once
// The font list's own drawing: every row measured and drawn by the program, either in the
// list's font or, in sample mode, in the entry's own font; and the list operations that go
// with it (switching the mode, deleting the marked or the unmarked entries).

#include "fonts/ListRows.h"

#include <QHash>
#include <QStyledItemDelegate>

#include <exception>

class QListWidget;

namespace fonts {

/// Suspends the updates of a list (or any widget) for the life of the guard: they are resumed
/// however the work ends, so a failure on the way (std::bad_alloc from a row) leaves a list that
/// repaints.
class UpdatesSuspended
{
public:
    explicit UpdatesSuspended(QWidget *widget);
    ~UpdatesSuspended();
    UpdatesSuspended(const UpdatesSuspended &) = delete;
    UpdatesSuspended &operator=(const UpdatesSuspended &) = delete;

private:
    QWidget *m_widget;
};

/// Measures and draws the rows of a font list. Installed on a QListWidget whose entries are
/// font list entries; the sample-mode flag lives in the list's "Tag" property (1 on, 0 off).
///
/// In sample mode a row is only measured in its own font once it is shown: rows out of view
/// keep an estimate until they scroll in, so that switching the mode or loading thousands of
/// fonts does not open every font. Each row the list shows has its measured height.
class FontListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    /// Becomes the item delegate of `list` and watches its scrolling, resizing and entries.
    /// Sets the flag to 0 unless the list carries one already.
    explicit FontListDelegate(QListWidget *list);

    /// Whether `list` shows its entries in their own fonts: its "Tag" property is 1.
    static bool isSampleMode(const QListWidget *list);

    /// The row the list's focus mark is on: the current row, or the first row of a list that
    /// has no current row yet; -1 for an empty list.
    static int focusedRow(const QListWidget *list);

    /// Switches sample mode: sets the flag, drops the marks, keeps the focused row in view and
    /// lays every row out again in the new mode (in sample mode each row measured in its own
    /// font once it is shown), all with the list's updates suspended so it is repainted once.
    void setSampleMode(bool on);

    /// The height of row `row` in the current mode, measured now if it was not yet.
    int measureItem(int row);

    /// Sets the mark that follows, in sample mode, the entry of a font file that cannot be drawn
    /// (" (unreadable)" until set), in the interface language; the list is repainted with it.
    void setUnusableMark(const QString &mark);

    /// Deletes, from the last entry to the first, every marked entry (`marked` true) or every
    /// unmarked entry (false). The list is repainted once; nothing else changes.
    void deleteEntries(bool marked);

    /// Measures the rows the list shows and the focused row where they have no measured height
    /// yet, and lays the list out again until each of them has its measured height. Runs by
    /// itself on scrolling, resizing and changed entries; the program calls it too before it
    /// lets a list with suspended updates repaint. Returns whether the list was laid out again.
    bool measureShownRows();

    /// An entry as people read it: a byte of a file name outside UTF-8 as a character
    /// (util::readablePath()). The entry itself keeps the byte, so its path still opens.
    QString displayText(const QVariant &value, const QLocale &locale) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// Measures the rows that must have their heights; true when one of them is laid out at
    /// another height.
    bool hasStaleRows() const;
    /// The first row that reaches into the view.
    int firstShownRow() const;
    QRect rowRect(int row) const;
    FontListEntry entryAt(int row) const;
    RowStyle rowStyle() const;

    /// What a row's sample-mode height depends on: the listed file of a font file's entry, the
    /// font name of a typeface's. Two files of one font name, two faces, are measured apiece.
    struct HeightKey
    {
        QString font;
        bool file = false;
        friend bool operator==(const HeightKey &, const HeightKey &) = default;
    };
    friend size_t qHash(const HeightKey &key, size_t seed) noexcept { return qHashMulti(seed, key.font, key.file); }
    static HeightKey heightKey(const FontListEntry &entry);

    /// The height the list lays a row of `key` out with: the measured one, else the estimate.
    int assumedHeight(const HeightKey &key) const;
    /// The measured sample-mode height of `entry`, measuring and remembering it when needed.
    int measuredHeight(const FontListEntry &entry) const;
    int estimate() const;
    void forgetHeights();
    void measureShownRowsLater();
    /// Hands `failure`, caught while painting, to the event loop to be thrown from there.
    void reportLater(std::exception_ptr failure) const;

    QListWidget *m_list;
    QWidget *m_viewport;
    /// Sample-mode heights by what they depend on (HeightKey). The key shares the name or path
    /// the list's rows hold, so laying out thousands of rows copies no text. Forgotten whenever
    /// the fonts of the system change.
    mutable QHash<HeightKey, int> m_heights;
    mutable int m_estimate = 0;
    /// The rows measured since this delegate last laid the list out, by key, with the height
    /// that layout gave them: the estimate, or the height they had before. Only these few can
    /// be laid out at a height other than their measured one, so a layout of thousands of rows
    /// records nothing row by row.
    mutable QHash<HeightKey, int> m_laidOutWith;
    /// The list's layout holds heights that are no longer known, after a change of the fonts.
    bool m_layoutStale = false;
    /// The list's flag as last set, for the rows' sizes, which are asked for row by row.
    bool m_sampleMode = false;
    QString m_unusableMark = QStringLiteral(" (unreadable)");
    bool m_measuring = false;
    mutable std::exception_ptr m_failure;
    bool m_measureQueued = false;
};

} // namespace fonts
