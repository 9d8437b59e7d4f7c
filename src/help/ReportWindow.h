#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace ui {
class LinkLabel;
}

namespace help {

/// The texts and size that make a report window German or English.
struct ReportTexts
{
    QString objectName;
    QString caption;
    QSize size;
    QString salutation;
    QString intro;      ///< errors and suggestions can be reported on the page below
    QString address;    ///< the support page, as the link label shows it
    QString email;      ///< an e-mail address there is voluntary and brings an answer
    bool german = false; ///< the language of these texts, for what a screen reader says
};

/// A report window: an always-on-top tool window pointing the user to the maker's support form.
/// Created hidden at start and kept for the whole run; OK and closing only hide it.
class ReportWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ReportWindow(const ReportTexts &texts, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr; ///< salutation
    QLabel *Label2 = nullptr; ///< the report paragraph
    ui::LinkLabel *Label70 = nullptr;
    QLabel *Label3 = nullptr; ///< the e-mail paragraph
    QPushButton *Button1 = nullptr;

    /// Opens the support page of the link label (window form, report referrer).
    void BrowseToCaption();
    /// "OK": hides the window.
    void Button1Click();
};

/// The texts of the German report window.
ReportTexts germanReportTexts();
/// The texts of the English report window.
ReportTexts englishReportTexts();

} // namespace help
