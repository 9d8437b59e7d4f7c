#pragma once
// Turning the visible text of a link (an address without scheme and "www.", optionally followed by
// " - " and a description) into the web address that is opened, with the referrer value that
// tells the maker's site where the link was clicked.

#include <QString>

namespace help {

/// The three places a link text comes from; each builds its address a little differently.
enum class LinkForm {
    Menu,          ///< a link item of the help menus: accelerator marks removed, description cut off
    DonationLabel, ///< the donation label of the main window: built as a menu item
    Window,        ///< a link label of a help or report window: the text is used as it stands
};

/// Referrer value of the help menus' link items.
inline constexpr char kMenuReferrer[] = "vm";
/// Referrer value of the main window's donation label: program code plus "s".
inline constexpr char kDonationReferrer[] = "gws";
/// Referrer value of the help windows' link labels: program code plus "h".
inline constexpr char kHelpReferrer[] = "gwh";
/// Referrer value of the report windows' link labels: program code plus "r".
inline constexpr char kReportReferrer[] = "gwr";

/// The address opened for the link text `text` shown in the place `form`, with `referrer` after
/// the key "&rf=". Menu and donation texts lose every "&" and everything from the first " - ";
/// a bare ".de" or ".com" domain gets a "/" before the key.
QString linkAddress(LinkForm form, const QString &text, const QString &referrer);

} // namespace help
