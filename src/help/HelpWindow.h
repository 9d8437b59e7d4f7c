#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <span>

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace ui {
class LinkLabel;
}

namespace help {

/// The texts that make a help window German or English.
struct HelpTexts
{
    QString objectName;
    QString caption;
    QString programName;  ///< the name the logo shows
    QString backName, backText;
    QString nextName, nextText;
    QString helpTab, donateTab;
    QString heading;      ///< "Hilfe" / "Help"
    QString firstSheet;   ///< how to get a first sheet
    QString onlineHelp;   ///< where the advanced settings, PDF printing and editing the list are explained
    QString concerns;     ///< the heading over the invitation
    QString invitation;   ///< suggestions and criticism through the support form
    QString programAddress;
    QString supportAddress;
    QString donateAddress;
    QString donationTitle;        ///< title of the donation picture
    QStringList donationPurposes; ///< what donations pay for, one line each
    bool german = false;          ///< the language of these texts, for what a screen reader says
};

/// A help window: the program's short help and the page about donations, with back and next
/// buttons that go round the pages. A tool window sized to its content, created hidden at start
/// and kept for the whole run; closing it only hides it.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(const HelpTexts &texts, QWidget *parent = nullptr);

    QFrame *Panel1 = nullptr;
    QLabel *Image1 = nullptr;
    QTabWidget *pc = nullptr;
    QWidget *pc_hilfe = nullptr;
    QWidget *pc_spenden = nullptr;
    ui::LinkLabel *laProgramm = nullptr; ///< the program's page (German) or its online help (English)
    ui::LinkLabel *laSupport = nullptr;
    QScrollArea *sbSpenden = nullptr;
    QLabel *Image2 = nullptr;        ///< the donation picture
    ui::LinkLabel *laSpenden = nullptr;
    QPushButton *backButton = nullptr;
    QPushButton *nextButton = nullptr;

    /// Selects `page` and shows the window, or brings it to the front when it is already shown.
    void showPage(QWidget *page);

    /// Opens the address of the link label `label` (window form, help referrer).
    void BrowseToCaption(const QLabel *label);

    /// Selects the previous page; from the first page the last.
    void backClick();
    /// Selects the next page; from the last page the first.
    void nextClick();

    /// Starts moving the window with the mouse, as if its caption had been grabbed.
    void Image2MouseDown();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

/// The texts of the German help window.
HelpTexts germanHelpTexts();
/// The texts of the English help window.
HelpTexts englishHelpTexts();

/// Draws the donation page's picture (504 × 289): `title` over the list of `purposes`.
QPixmap drawDonationPicture(const QString &title, const QStringList &purposes);

/// The colours of the donation picture's numbered tiles, in turn; each carries its white number
/// at a contrast of at least 4.5 to 1.
std::span<const QColor> donationTileColours();

} // namespace help
