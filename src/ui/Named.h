#pragma once
// Naming controls as they are made, so that tests and the accessibility tree find them.

#include <QLatin1String>
#include <QString>

namespace ui {

/// Gives `object` the object name `name` and returns it, so that a control is named where it is
/// made: `auto *box = named(new QCheckBox(parent), "cb_system");`.
template <typename T>
T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

/// As above, for a name made at run time.
template <typename T>
T *named(T *object, const QString &name)
{
    object->setObjectName(name);
    return object;
}

} // namespace ui
