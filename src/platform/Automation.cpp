#include "platform/Automation.h"

#include <QHash>

namespace platform::automation {
namespace {

QHash<QString, Factory> &registry()
{
    static QHash<QString, Factory> classes;
    return classes;
}

QString registryKey(const QString &programId)
{
    return programId.toCaseFolded();
}

} // namespace

Variant Variant::int32(qint32 value, bool byReference)
{
    Variant v;
    v.m_type = Type::Int32;
    v.m_int = value;
    v.m_byReference = byReference;
    return v;
}

Variant Variant::boolean(bool value)
{
    Variant v;
    v.m_type = Type::Bool;
    v.m_int = value ? 1 : 0;
    return v;
}

Variant Variant::ansiText(const QByteArray &bytes)
{
    Variant v;
    v.m_type = Type::AnsiText;
    v.m_ansi = bytes;
    return v;
}

Variant Variant::wideText(const QString &text)
{
    Variant v;
    v.m_type = Type::WideText;
    v.m_wide = text;
    return v;
}

Variant Variant::object(std::shared_ptr<Dispatch> object)
{
    Variant v;
    v.m_type = Type::Object;
    v.m_object = std::move(object);
    return v;
}

QString Variant::toText() const
{
    if (m_type == Type::AnsiText)
        return QString::fromLocal8Bit(m_ansi);
    return m_wide;
}

QString Variant::typeName(Type type)
{
    switch (type) {
    case Type::Empty:
        return QStringLiteral("Empty");
    case Type::Int32:
        return QStringLiteral("Int32");
    case Type::Bool:
        return QStringLiteral("Bool");
    case Type::AnsiText:
        return QStringLiteral("AnsiText");
    case Type::WideText:
        return QStringLiteral("WideText");
    case Type::Object:
        return QStringLiteral("Object");
    }
    return {};
}

std::shared_ptr<Dispatch> Object::owner(const QString &path, QString &member) const
{
    if (!m_dispatch)
        throw AutomationError(Failure::Failed, QStringLiteral("The automation object has been released."));
    const QStringList names = path.split(QLatin1Char('.'));
    std::shared_ptr<Dispatch> current = m_dispatch;
    for (qsizetype i = 0; i + 1 < names.size(); ++i) {
        Variant next = current->get(names.at(i));
        if (next.type() != Variant::Type::Object || !next.toObject())
            throw AutomationError(Failure::TypeMismatch,
                                  QStringLiteral("The member \"%1\" is not an object.").arg(names.at(i)));
        current = next.toObject();
    }
    member = names.last();
    return current;
}

Variant Object::get(const QString &path) const
{
    QString member;
    return owner(path, member)->get(member);
}

void Object::set(const QString &path, const Variant &value) const
{
    QString member;
    owner(path, member)->set(member, value);
}

Variant Object::call(const QString &path, const QList<Variant> &arguments) const
{
    QString member;
    return owner(path, member)->call(member, arguments);
}

Factory registerClass(const QString &programId, Factory factory)
{
    auto &classes = registry();
    Factory previous = classes.take(registryKey(programId));
    if (factory)
        classes.insert(registryKey(programId), std::move(factory));
    return previous;
}

Object createObject(const QString &programId)
{
    const auto &classes = registry();
    const auto found = classes.constFind(registryKey(programId));
    if (found == classes.constEnd())
        throw AutomationError(Failure::NotRegistered,
                              QStringLiteral("No component is registered as \"%1\".").arg(programId));
    std::shared_ptr<Dispatch> object = (*found)();
    if (!object)
        throw AutomationError(Failure::Unavailable, QStringLiteral("\"%1\" could not be created.").arg(programId));
    return Object(std::move(object));
}

ClassRegistration::ClassRegistration(const QString &programId, Factory factory)
    : m_programId(programId)
    , m_previous(registerClass(programId, std::move(factory)))
{
}

ClassRegistration::~ClassRegistration()
{
    registerClass(m_programId, std::move(m_previous));
}

} // namespace platform::automation
