#pragma once
// Handing a web address to the desktop, which opens it in the user's browser. Whether that
// worked is not reported: without a browser or a network the user simply sees no page. Tests put
// a recording stand-in in the desktop's place.

#include <QString>

#include <functional>

namespace platform {

/// Something that takes the addresses to open in the desktop's place.
using UrlOpenHook = std::function<void(const QString &address)>;

/// Opens `address` in the desktop's web browser (or gives it to the stand-in); returns at once.
void openUrl(const QString &address);

/// Puts `hook` in the desktop's place; an empty hook puts the desktop back.
void setUrlOpenHook(UrlOpenHook hook);

} // namespace platform
