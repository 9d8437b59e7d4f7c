#include "fonts/FontListView.h"

#include "fonts/FontEntry.h"
#include "util/FilePaths.h"

#include <QElapsedTimer>
#include <QLocale>

#include <memory>

namespace fonts {
namespace {

/// A row of the font list: its accessible texts are worked out from the entry and the row's
/// place when a screen reader asks, not stored.
class FontListItem : public QListWidgetItem
{
public:
    explicit FontListItem(const FontListEntry &entry)
        : QListWidgetItem(entry.text, nullptr, QListWidgetItem::UserType)
    {
        // Kept in the item's own data, so a copy of the row (clone()) keeps them too.
        setData(kEntryNameRole, entry.name);
        if (entry.isFile())
            setData(kEntryPathRole, entry.path);
    }

    QVariant data(int role) const override
    {
        switch (role) {
        case Qt::AccessibleTextRole:
            return util::readablePath(text());
        case Qt::AccessibleDescriptionRole:
            if (const auto *view = qobject_cast<const FontListView *>(listWidget()))
                return view->positionText(view->row(this));
            return QVariant();
        default:
            return QListWidgetItem::data(role);
        }
    }
};

FontListEntry entryFrom(QString text, const QVariant &name, const QVariant &path)
{
    FontListEntry entry;
    entry.name = name.isValid() ? name.toString() : text;
    entry.path = path.toString();
    entry.text = std::move(text);
    return entry;
}

} // namespace

FontListEntry entryOf(const QModelIndex &index)
{
    return entryFrom(index.data(Qt::DisplayRole).toString(), index.data(kEntryNameRole), index.data(kEntryPathRole));
}

FontListEntry entryOf(const QListWidgetItem &item)
{
    return entryFrom(item.text(), item.data(kEntryNameRole), item.data(kEntryPathRole));
}

FontListView::FontListView(QWidget *parent)
    : QListWidget(parent)
{
    const auto monotonic = std::make_shared<QElapsedTimer>();
    monotonic->start();
    m_clock = [monotonic] { return monotonic->elapsed(); };
    const auto forget = [this] {
        m_keysValid = false;
        m_typeAhead.reset();
    };
    QAbstractItemModel *entries = model();
    connect(entries, &QAbstractItemModel::rowsInserted, this, forget);
    connect(entries, &QAbstractItemModel::modelReset, this, forget);
    connect(entries, &QAbstractItemModel::dataChanged, this, forget);
    connect(entries, &QAbstractItemModel::layoutChanged, this, forget);
    // Deleting marked entries is common and takes the same rows out of the keys, without
    // folding the others again.
    connect(entries, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex &, int first, int last) {
        if (m_keysValid && last < int(m_keys.size()))
            m_keys.erase(m_keys.begin() + first, m_keys.begin() + last + 1);
        else
            m_keysValid = false;
    });
}

FontListView::~FontListView()
{
    // QListWidget deletes its rows after this part of the list is gone: their removal must not
    // reach the keys any more.
    model()->disconnect(this);
}

void FontListView::addEntries(const FontListEntries &entries)
{
    for (const FontListEntry &entry : entries)
        QListWidget::addItem(new FontListItem(entry));
}

void FontListView::addItems(const QStringList &typefaces)
{
    for (const QString &typeface : typefaces)
        QListWidget::addItem(new FontListItem(FontListEntry::typeface(typeface)));
}

void FontListView::addItem(const QString &typeface)
{
    QListWidget::addItem(new FontListItem(FontListEntry::typeface(typeface)));
}

FontListEntry FontListView::entry(int row) const
{
    const QListWidgetItem *found = item(row);
    return found ? entryOf(*found) : FontListEntry();
}

void FontListView::setGerman(bool german)
{
    m_german = german;
}

QString FontListView::positionText(int row) const
{
    const QLocale locale = m_german ? QLocale(QLocale::German, QLocale::Germany)
                                    : QLocale(QLocale::English, QLocale::UnitedStates);
    return m_german ? QStringLiteral("%1 von %2").arg(locale.toString(row + 1), locale.toString(count()))
                    : QStringLiteral("%1 of %2").arg(locale.toString(row + 1), locale.toString(count()));
}

void FontListView::setClock(std::function<qint64()> clock)
{
    m_clock = std::move(clock);
}

void FontListView::keyboardSearch(const QString &search)
{
    const int current = currentRow();
    const int row = m_typeAhead.type(searchKeys(), search, m_clock(), current);
    if (row < 0 || row == current)
        return;
    const QModelIndex index = model()->index(row, 0);
    // The current row only: QListWidget's own search would mark the row it finds.
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
}

const std::vector<QString> &FontListView::searchKeys()
{
    if (!m_keysValid) {
        m_keys.clear();
        m_keys.reserve(size_t(count()));
        for (int row = 0; row < count(); ++row) {
            // The font's name alone: a row without a record is a typeface named by its text.
            const QVariant name = item(row)->data(kEntryNameRole);
            m_keys.push_back(foldForSearch(name.isValid() ? name.toString() : item(row)->text()));
        }
        m_keysValid = true;
    }
    return m_keys;
}

} // namespace fonts
