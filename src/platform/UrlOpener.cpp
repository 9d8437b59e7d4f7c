#include "platform/UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

namespace {
UrlOpenHook &hook()
{
    static UrlOpenHook instance;
    return instance;
}
} // namespace

void openUrl(const QString &address)
{
    if (hook()) {
        hook()(address);
        return;
    }
    // TolerantMode keeps the text as built; the result is ignored, as nothing visible depends on it.
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

void setUrlOpenHook(UrlOpenHook newHook)
{
    hook() = std::move(newHook);
}

} // namespace platform
