#include "ui/AccessibleTexts.h"

#include "ui/LinkLabel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

namespace ui {

QString spokenCaption(const QString &caption)
{
    QString spoken;
    spoken.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        // An accelerator mark says nothing; a doubled one is a real "&".
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        spoken += caption.at(i);
    }
    spoken = spoken.trimmed();
    if (spoken.endsWith(QLatin1Char(':')))
        spoken.chop(1);
    return spoken.trimmed();
}

void applyAccessibleTexts(QWidget *window, std::span<const AccessibleText> texts, bool german)
{
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
        if (!button->text().isEmpty())
            button->setAccessibleName(spokenCaption(button->text()));
    for (QLabel *label : window->findChildren<QLabel *>())
        if (label->buddy() && !label->text().isEmpty())
            label->buddy()->setAccessibleName(spokenCaption(label->text()));
    for (LinkLabel *link : window->findChildren<LinkLabel *>()) {
        link->setAccessibleName(link->text());
        link->setAccessibleDescription(kLinkDescription.in(german));
    }
    for (const AccessibleText &row : texts) {
        QWidget *control = window->findChild<QWidget *>(QLatin1String(row.control));
        // A row without its control is a slip of the table, which the window's tests catch.
        if (!control)
            continue;
        if (!row.name.german.isEmpty())
            control->setAccessibleName(row.name.in(german));
        if (!row.description.german.isEmpty())
            control->setAccessibleDescription(row.description.in(german));
    }
    // The parts that take the focus inside a control are read as the control itself.
    for (QComboBox *box : window->findChildren<QComboBox *>())
        if (QLineEdit *line = box->lineEdit()) {
            line->setAccessibleName(box->accessibleName());
            line->setAccessibleDescription(box->accessibleDescription());
        }
    for (QTabWidget *pages : window->findChildren<QTabWidget *>())
        pages->tabBar()->setAccessibleName(pages->accessibleName());
}

} // namespace ui
