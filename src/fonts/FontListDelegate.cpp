#include "fonts/FontListDelegate.h"

#include "fonts/FontListView.h"
#include "fonts/ListRows.h"
#include "typeface/SampleBoxFace.h"
#include "util/FilePaths.h"

#include <QEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>

#include <algorithm>
#include <utility>

namespace fonts {
namespace {

constexpr char kTag[] = "Tag";

// Each pass of measuring the shown rows measures at least one row that was not measured
// before, so the passes end; the bound only guards against a layout that never settles.
constexpr int kMaxMeasurePasses = 32;

// How many pages below the view are measured along with rows in view that had no height yet.
constexpr int kPagesAhead = 3;

} // namespace

UpdatesSuspended::UpdatesSuspended(QWidget *widget)
    : m_widget(widget)
{
    m_widget->setUpdatesEnabled(false);
}

UpdatesSuspended::~UpdatesSuspended()
{
    m_widget->setUpdatesEnabled(true);
}

FontListDelegate::FontListDelegate(QListWidget *list)
    : QStyledItemDelegate(list)
    , m_list(list)
    , m_viewport(list->viewport())
{
    if (!m_list->property(kTag).isValid())
        m_list->setProperty(kTag, 0);
    m_sampleMode = isSampleMode(m_list);
    m_list->setItemDelegate(this);
    m_list->setUniformItemSizes(!isSampleMode(m_list));
    m_viewport->installEventFilter(this);
    m_list->installEventFilter(this);

    // A list scrolled to its end stays there when the rows that came into view are higher or
    // lower than assumed: the last rows decide how far it scrolls.
    QScrollBar *bar = m_list->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        const bool atEnd = value > 0 && value == bar->maximum();
        if (measureShownRows() && atEnd)
            bar->setValue(bar->maximum());
    });
    // The list has scrolled the new focused row into view by the heights it assumed; once the
    // rows it brought into view are measured, it scrolls again by their heights.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (!isSampleMode(m_list) || !current.isValid() || !m_list->hasAutoScroll())
            return;
        measureShownRows();
        m_list->scrollTo(current);
    });
    QAbstractItemModel *model = m_list->model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, &FontListDelegate::measureShownRowsLater);
    connect(model, &QAbstractItemModel::modelReset, this, &FontListDelegate::measureShownRowsLater);
    connect(model, &QAbstractItemModel::layoutChanged, this, &FontListDelegate::measureShownRowsLater);
    // A name may stand for another face once the installed fonts change.
    connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, this, [this] {
        // A sample box face is drawn by no row: the rows' faces stay as they were.
        if (platform::isChangingSampleBoxFace())
            return;
        forgetHeights();
        measureShownRowsLater();
    });
}

bool FontListDelegate::isSampleMode(const QListWidget *list)
{
    return list->property(kTag).toInt() == 1;
}

int FontListDelegate::focusedRow(const QListWidget *list)
{
    if (list->count() == 0)
        return -1;
    return list->currentRow() >= 0 ? list->currentRow() : 0;
}

void FontListDelegate::setSampleMode(bool on)
{
    const UpdatesSuspended suspended(m_list);
    m_list->setProperty(kTag, on ? 1 : 0);
    m_sampleMode = on;
    m_list->clearSelection();
    // Outside sample mode every row has the list font's height, and the list need not ask
    // each row for it.
    m_list->setUniformItemSizes(!on);
    m_list->doItemsLayout();
    measureShownRows();
    if (QListWidgetItem *focused = m_list->currentItem())
        m_list->scrollToItem(focused);
}

int FontListDelegate::measureItem(int row)
{
    if (!isSampleMode(m_list))
        return textHeight(m_list->font());
    return measuredHeight(entryAt(row));
}

void FontListDelegate::setUnusableMark(const QString &mark)
{
    if (mark == m_unusableMark)
        return;
    m_unusableMark = mark;
    m_viewport->update();
}

RowStyle FontListDelegate::rowStyle() const
{
    RowStyle style;
    style.listFont = m_list->font();
    const QPalette palette = m_list->palette();
    style.text = palette.color(QPalette::Text);
    style.background = palette.color(QPalette::Base);
    style.markedText = palette.color(QPalette::HighlightedText);
    style.sampleMode = isSampleMode(m_list);
    style.dpi = m_viewport->logicalDpiY();
    style.unusableMark = m_unusableMark;
    return style;
}

void FontListDelegate::deleteEntries(bool marked)
{
    const int count = m_list->count();
    const QItemSelectionModel *selection = m_list->selectionModel();
    QList<bool> goes(count);
    bool any = false;
    for (int row = 0; row < count; ++row) {
        goes[row] = selection->isRowSelected(row) == marked;
        any = any || goes[row];
    }
    if (!any)
        return;
    const UpdatesSuspended suspended(m_list);
    // From the last entry to the first, a run of neighbouring entries at a time.
    for (int last = count - 1; last >= 0;) {
        if (!goes[last]) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && goes[first - 1])
            --first;
        m_list->model()->removeRows(first, last - first + 1);
        last = first - 1;
    }
    measureShownRows();
}

bool FontListDelegate::measureShownRows()
{
    m_measureQueued = false;
    // Laying the list out again moves the scroll bar, which calls back in here.
    if (m_measuring || !isSampleMode(m_list) || m_list->count() == 0)
        return false;
    m_measuring = true;
    // A row whose font fails to load throws out of here: the next call measures again.
    const auto measured = qScopeGuard([this] { m_measuring = false; });
    bool laidOut = false;
    for (int pass = 0; pass < kMaxMeasurePasses && (hasStaleRows() || m_layoutStale); ++pass) {
        m_layoutStale = false;
        m_laidOutWith.clear();
        m_list->doItemsLayout();
        laidOut = true;
    }
    return laidOut;
}

bool FontListDelegate::hasStaleRows() const
{
    const int count = m_list->count();
    const int viewHeight = m_viewport->height();
    bool stale = false;
    const auto check = [&](int row) {
        const FontListEntry entry = entryAt(row);
        const int height = measuredHeight(entry);
        const auto laidOut = m_laidOutWith.constFind(heightKey(entry));
        stale = stale || (laidOut != m_laidOutWith.constEnd() && *laidOut != height);
    };
    // The rows in view.
    const qsizetype measuredBefore = m_heights.size();
    const int first = firstShownRow();
    int end = first;
    for (; end < count && rowRect(end).top() < viewHeight; ++end)
        check(end);
    // Laying the list out again asks every row for its height, a cost that grows with the list.
    // When rows in view had to be measured, the pages around them are measured with them, so
    // that scrolling on finds its rows at their heights and pays for one layout every few pages
    // instead of one a page.
    if (m_heights.size() != measuredBefore) {
        const int shown = std::max(1, end - first);
        for (int row = end; row < std::min(count, end + kPagesAhead * shown); ++row)
            check(row);
        for (int row = std::max(0, first - shown); row < first; ++row)
            check(row);
    }
    // The focused row, which the list scrolls into view.
    if (m_list->currentRow() >= 0)
        check(m_list->currentRow());
    return stale;
}

QString FontListDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    return util::readablePath(QStyledItemDelegate::displayText(value, locale));
}

QSize FontListDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    // Width 0: a row spans the list whatever its text, and no row widens the list. Asked for
    // every row on each layout: the mode is the one kept here, not the list's property, whose
    // lookup by name would cost more than the rest.
    if (!m_sampleMode)
        return QSize(0, textHeight(m_list->font()));
    return QSize(0, assumedHeight(heightKey(entryOf(index))));
}

void FontListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool marked = option.state.testFlag(QStyle::State_Selected);
    const RowStyle style = rowStyle();
    const FontListEntry entry = entryOf(index);
    int height = 0;
    try {
        height = drawRow(*painter, option.rect, entry, marked, style);
    } catch (...) {
        // Qt's painting cannot be unwound: the failure goes to the event loop, and so to the
        // application's error report, once the paint is done. The row's file counts as
        // unreadable from now on (platform::FileFaces), so the list is drawn again without it.
        reportLater(std::current_exception());
        return;
    }
    // The list's own focus mark, whichever way the list got the focus.
    if (option.state.testFlag(QStyle::State_HasFocus))
        drawFocusMark(*painter, option.rect, marked, style);
    // Shown rows are measured before they are painted. A row that came into view some other
    // way, or whose file can no longer be used since it was measured, has its height now, and
    // the list is laid out again right after this paint. Only a height not known before does
    // that, so a row the list cannot lay out at its height does not relayout it on every paint.
    if (style.sampleMode) {
        const HeightKey key = heightKey(entry);
        const auto known = m_heights.constFind(key);
        if (known == m_heights.constEnd() || *known != height) {
            if (!m_laidOutWith.contains(key))
                m_laidOutWith.insert(key, known == m_heights.constEnd() ? estimate() : *known);
            m_heights.insert(key, height);
            if (height != option.rect.height())
                const_cast<FontListDelegate *>(this)->measureShownRowsLater();
        }
    }
}

bool FontListDelegate::eventFilter(QObject *watched, QEvent *event)
{
    // The flag may be set on the list by others than setSampleMode(). The list is no editor, so
    // its events stay away from the base class, which would treat it as one.
    if (watched == m_list) {
        if (event->type() == QEvent::DynamicPropertyChange
            && static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName() == kTag)
            m_sampleMode = isSampleMode(m_list);
        return false;
    }
    // The viewport as it was when the list was made: it still has events while the list is
    // destroyed, when the list can no longer be asked for it.
    if (watched == m_viewport) {
        switch (event->type()) {
        case QEvent::Resize:
            // A taller list shows more rows; they get their heights before the paint.
            measureShownRows();
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // The right button opens the pop-up menu on the marks as they are; it never marks.
            if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
                return true;
            break;
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

int FontListDelegate::firstShownRow() const
{
    // Rows lie one below the other: the first one that ends inside the view, by halving.
    int low = 0;
    int high = m_list->count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (rowRect(middle).bottom() < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

QRect FontListDelegate::rowRect(int row) const
{
    // Asking for a row's place also carries out a layout the list has pending.
    return m_list->visualRect(m_list->model()->index(row, 0));
}

FontListEntry FontListDelegate::entryAt(int row) const
{
    const QListWidgetItem *item = m_list->item(row);
    return item ? entryOf(*item) : FontListEntry();
}

FontListDelegate::HeightKey FontListDelegate::heightKey(const FontListEntry &entry)
{
    return entry.isFile() ? HeightKey{entry.path, true} : HeightKey{entry.name, false};
}

int FontListDelegate::assumedHeight(const HeightKey &key) const
{
    const auto known = m_heights.constFind(key);
    return known != m_heights.constEnd() ? *known : estimate();
}

int FontListDelegate::measuredHeight(const FontListEntry &entry) const
{
    const HeightKey key = heightKey(entry);
    const auto known = m_heights.constFind(key);
    if (known != m_heights.constEnd())
        return *known;
    const int height = sampleRowHeight(entry, rowStyle());
    m_heights.insert(key, height);
    m_laidOutWith.insert(key, estimate());
    return height;
}

int FontListDelegate::estimate() const
{
    // A row not yet measured is laid out as high as the list's own face would make it.
    if (m_estimate == 0)
        m_estimate = sampleRowHeight(FontListEntry(), rowStyle());
    return m_estimate;
}

void FontListDelegate::forgetHeights()
{
    // The estimate stays: it is a guess either way, and working it out opens a font.
    m_heights.clear();
    m_laidOutWith.clear();
    // The rows laid out so far keep the heights of the fonts before the change.
    m_layoutStale = true;
}

void FontListDelegate::reportLater(std::exception_ptr failure) const
{
    // One failure at a time: a paint of many rows reports the first.
    if (m_failure)
        return;
    m_failure = std::move(failure);
    m_viewport->update();
    QMetaObject::invokeMethod(
        const_cast<FontListDelegate *>(this),
        [this] { std::rethrow_exception(std::exchange(m_failure, nullptr)); }, Qt::QueuedConnection);
}

void FontListDelegate::measureShownRowsLater()
{
    if (m_measureQueued || !isSampleMode(m_list))
        return;
    m_measureQueued = true;
    QMetaObject::invokeMethod(this, [this] { measureShownRows(); }, Qt::QueuedConnection);
}

} // namespace fonts
