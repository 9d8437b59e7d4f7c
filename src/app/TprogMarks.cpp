// The main window's marks that answer questions about the list: which fonts cannot show the
// sample text, which files are duplicates, which files cannot be used.

#include "app/Tprog.h"

#include "app/Windows.h"
#include "fonts/ListQuestions.h"
#include "ui/Named.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelection>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QTimer>

#include <tuple>

namespace {

/// How long the count label tells how many rows were marked.
constexpr int kMarkNoteMs = 5000;

} // namespace

void Tprog::createMarkItems()
{
    const auto item = [this](const char *name) {
        auto *action = ui::named(new QAction(this), name);
        return action;
    };
    m_markLacking = item("m_markLacking");
    m_markDuplicates = item("m_markDuplicates");
    m_markUnreadable = item("m_markUnreadable");
    pop_markLacking = item("pop_markLacking");
    pop_markDuplicates = item("pop_markDuplicates");
    pop_markUnreadable = item("pop_markUnreadable");
    // In the Font List menu after the two delete items they serve; in the pop-up after its own.
    m2->insertSeparator(mspbSeparator);
    m2->insertActions(mspbSeparator, {m_markLacking, m_markDuplicates, m_markUnreadable});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({pop_markLacking, pop_markDuplicates, pop_markUnreadable});
    for (auto [menuItem, popupItem, click] :
         {std::tuple{m_markLacking, pop_markLacking, &Tprog::markLackingClick},
          std::tuple{m_markDuplicates, pop_markDuplicates, &Tprog::markDuplicatesClick},
          std::tuple{m_markUnreadable, pop_markUnreadable, &Tprog::markUnreadableClick}}) {
        connect(menuItem, &QAction::triggered, this, click);
        connect(popupItem, &QAction::triggered, this, click);
    }

    markNoteWatch = std::make_unique<QObject>();
    markNoteTimer = new QTimer(markNoteWatch.get());
    markNoteTimer->setSingleShot(true);
    markNoteTimer->setInterval(kMarkNoteMs);
    connect(markNoteTimer, &QTimer::timeout, markNoteWatch.get(), [this] { endMarkNote(); });
    // Any change of the list ends the note: its count would no longer be the list's.
    QAbstractItemModel *rows = ListBox1->model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(rows, signal, markNoteWatch.get(), [this] { endMarkNote(); });
    connect(rows, &QAbstractItemModel::modelReset, markNoteWatch.get(), [this] { endMarkNote(); });
}

namespace {

fonts::FontListEntries listEntries(const fonts::FontListView &list)
{
    fonts::FontListEntries entries;
    entries.reserve(list.count());
    for (int row = 0; row < list.count(); ++row)
        entries.append(list.entry(row));
    return entries;
}

} // namespace

void Tprog::markLackingClick()
{
    // Reading the maps of thousands of folder fonts the first time takes a moment.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    markRows(fonts::cannotShow(listEntries(*ListBox1), cd1->currentText()));
}

void Tprog::markDuplicatesClick()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    const QList<qsizetype> first = fonts::duplicateOf(listEntries(*ListBox1));
    QList<bool> marked(first.size());
    for (qsizetype i = 0; i < first.size(); ++i)
        marked[i] = first.at(i) >= 0;
    markRows(marked);
}

void Tprog::markUnreadableClick()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    markRows(fonts::unreadable(listEntries(*ListBox1)));
}

void Tprog::markRows(const QList<bool> &marked)
{
    QItemSelectionModel *selection = ListBox1->selectionModel();
    QAbstractItemModel *rows = ListBox1->model();
    // One range per run of marked rows, set in one go: a selection of 20,000 single rows would
    // be slow to make and to paint.
    QItemSelection runs;
    qsizetype count = 0;
    int firstMarked = -1;
    const int total = int(std::min<qsizetype>(marked.size(), ListBox1->count()));
    for (int row = 0; row < total;) {
        if (!marked.at(row)) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < total && marked.at(last + 1))
            ++last;
        runs.select(rows->index(row, 0), rows->index(last, 0));
        if (firstMarked < 0)
            firstMarked = row;
        count += last - row + 1;
        row = last + 1;
    }
    selection->select(runs, QItemSelectionModel::ClearAndSelect);
    if (firstMarked >= 0) {
        const QModelIndex first = rows->index(firstMarked, 0);
        selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        ListBox1->scrollTo(first);
    }
    ListBox1->setFocus(Qt::OtherFocusReason);

    // The note replaces the count for a moment; a second note keeps the count it replaced.
    if (markNote.isEmpty() || Label1->text() != markNote)
        markNoteReplaced = Label1->text();
    markNote = fonts::markedCountText(count, app::isGerman());
    // The label's new text is its accessible name: screen readers hear of the change.
    Label1->setText(markNote);
    markNoteTimer->start();
}

void Tprog::endMarkNote()
{
    if (markNote.isEmpty())
        return;
    markNoteTimer->stop();
    // A label set since (a reload, a language switch) keeps its own text.
    if (Label1->text() == markNote)
        Label1->setText(markNoteReplaced);
    markNote.clear();
    markNoteReplaced.clear();
}
