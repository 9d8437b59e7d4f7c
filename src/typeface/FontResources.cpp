#include "typeface/FontResources.h"

#include <QGuiApplication>
#include <QMetaObject>

namespace platform {

FontResources &FontResources::instance()
{
    Q_ASSERT_X(qGuiApp, "FontResources::instance", "needs a QGuiApplication");
    // Created on first use, on the GUI thread, so queued notifications are delivered there.
    static FontResources resources;
    return resources;
}

QString FontResources::addFontFile(const QString &path)
{
    auto entry = m_additions.find(path);
    if (entry == m_additions.end())
        entry = m_additions.insert(path, 0);
    ++*entry;
    return entry.key();
}

bool FontResources::removeFontFile(const QString &path)
{
    const auto it = m_additions.find(path);
    if (it == m_additions.end())
        return false;
    if (--*it == 0)
        m_additions.erase(it);
    return true;
}

int FontResources::additionCount(const QString &path) const
{
    return m_additions.value(path);
}

QStringList FontResources::addedFiles() const
{
    return m_additions.keys();
}

void FontResources::postFontChange()
{
    // Posted, not sent: listeners react once control is back in the event loop, as other
    // programs react to a posted broadcast.
    QMetaObject::invokeMethod(this, &FontResources::fontsChanged, Qt::QueuedConnection);
}

} // namespace platform
