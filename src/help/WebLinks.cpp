#include "help/WebLinks.h"

namespace help {

namespace {
/// Replaces the first occurrence of `from` in `address` by `to` (case as written).
void replaceFirst(QString &address, const QString &from, const QString &to)
{
    const qsizetype at = address.indexOf(from);
    if (at >= 0)
        address.replace(at, from.size(), to);
}
} // namespace

QString linkAddress(LinkForm form, const QString &text, const QString &referrer)
{
    const QString key = QStringLiteral("&rf=") + referrer;
    QString caption = text;
    const bool fromMenuOrLabel = form != LinkForm::Window;
    // Menu captions carry accelerator marks; no address of the maker contains an "&".
    if (fromMenuOrLabel)
        caption.remove(QLatin1Char('&'));
    QString address = QStringLiteral("http://www.") + caption + key;
    if (fromMenuOrLabel) {
        // The description after " - " is for the reader only; the key it swallowed goes back on.
        const qsizetype dash = address.indexOf(QStringLiteral(" - "));
        if (dash >= 0)
            address = address.left(dash) + key;
    }
    // A bare domain needs its "/" before the key, or the key would become part of the host name
    // (also on the donation label, whose own addresses have a path and so are not touched). An
    // address with a path keeps the key glued to the path, which is how the maker's site reads it.
    replaceFirst(address, QStringLiteral(".de&"), QStringLiteral(".de/&"));
    replaceFirst(address, QStringLiteral(".com&"), QStringLiteral(".com/&"));
    return address;
}

} // namespace help
