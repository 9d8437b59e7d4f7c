#pragma once
// Late-bound automation: objects created by a program identifier ("Word.Application") whose
// members are addressed by name at run time, with values of a few variant types. Components
// register a factory under their identifier; the caller knows nothing of their classes.

#include "platform/Errors.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace platform::automation {

class Dispatch;

/// What an automation call failed on; the caller may word its own message from it.
enum class Failure {
    NotRegistered, ///< no component is registered under the program identifier
    Unavailable,   ///< the component is registered but cannot run on this machine
    UnknownName,   ///< the object has no member of that name
    TypeMismatch,  ///< a value of the wrong type, or a member used the wrong way
    OutOfRange,    ///< a value the member does not take
    Failed         ///< the component could not carry the call out
};

/// A failed automation call.
class AutomationError : public Error
{
public:
    /// A failure of kind `failure` with the user-facing `message`.
    AutomationError(Failure failure, const QString &message)
        : Error(message)
        , m_failure(failure)
    {
    }

    /// What the call failed on.
    Failure failure() const { return m_failure; }

private:
    Failure m_failure;
};

/// A value passed to or returned by a member: empty, a 32-bit integer, a boolean, an 8-bit
/// text (in the locale's encoding), a wide text, or an object. An argument may be marked as
/// passed by reference; the member sees its value either way.
class Variant
{
public:
    enum class Type { Empty, Int32, Bool, AnsiText, WideText, Object };

    /// The empty value.
    Variant() = default;
    /// A 32-bit integer.
    static Variant int32(qint32 value, bool byReference = false);
    /// An automation boolean.
    static Variant boolean(bool value);
    /// An 8-bit text in the locale's encoding.
    static Variant ansiText(const QByteArray &bytes);
    /// A wide (UTF-16) text.
    static Variant wideText(const QString &text);
    /// An object reference.
    static Variant object(std::shared_ptr<Dispatch> object);

    /// The value's type.
    Type type() const { return m_type; }
    /// Whether the value was passed by reference.
    bool byReference() const { return m_byReference; }
    /// The integer of an Int32 value; 0 for others.
    qint32 toInt32() const { return m_int; }
    /// The truth of a Bool value; false for others.
    bool toBool() const { return m_int != 0; }
    /// The bytes of an AnsiText value; empty for others.
    const QByteArray &ansiBytes() const { return m_ansi; }
    /// The text of a WideText value, or of an AnsiText value decoded from the locale's
    /// encoding; empty for others.
    QString toText() const;
    /// The object of an Object value; null for others.
    const std::shared_ptr<Dispatch> &toObject() const { return m_object; }

    /// The name of a type, for messages and call records ("Int32", "WideText", …).
    static QString typeName(Type type);

private:
    Type m_type = Type::Empty;
    bool m_byReference = false;
    qint32 m_int = 0;
    QByteArray m_ansi;
    QString m_wide;
    std::shared_ptr<Dispatch> m_object;
};

/// An automation object: members addressed by name. A component implements these three;
/// names are matched by the component (automation names ignore letter case).
class Dispatch
{
public:
    virtual ~Dispatch() = default;
    /// Reads the property `name`.
    virtual Variant get(const QString &name) = 0;
    /// Sets the property `name` to `value`.
    virtual void set(const QString &name, const Variant &value) = 0;
    /// Calls the method `name` with `arguments`; its result, empty for none.
    virtual Variant call(const QString &name, const QList<Variant> &arguments) = 0;
};

/// A held reference to an automation object, with members reached along dotted paths:
/// `set("selection.font.size", v)` reads "selection", then its "font", and sets "size" there,
/// as a late-bound statement does each time it is run.
class Object
{
public:
    /// No reference.
    Object() = default;
    /// Holds `dispatch`.
    explicit Object(std::shared_ptr<Dispatch> dispatch)
        : m_dispatch(std::move(dispatch))
    {
    }

    /// Whether a reference is held.
    bool isNull() const { return !m_dispatch; }
    /// Reads the property at `path`.
    Variant get(const QString &path) const;
    /// Sets the property at `path` to `value`.
    void set(const QString &path, const Variant &value) const;
    /// Calls the method at `path` with `arguments`.
    Variant call(const QString &path, const QList<Variant> &arguments = {}) const;
    /// Releases the reference.
    void release() { m_dispatch.reset(); }

private:
    // The object that holds the last member of `path`, and that member's name.
    std::shared_ptr<Dispatch> owner(const QString &path, QString &member) const;

    std::shared_ptr<Dispatch> m_dispatch;
};

/// Makes a new object of the component registered under a program identifier; throws
/// AutomationError when the component cannot run.
using Factory = std::function<std::shared_ptr<Dispatch>()>;

/// Registers `factory` under `programId` (ignoring case), in place of any before it. Returns the
/// factory it replaced (empty when there was none).
Factory registerClass(const QString &programId, Factory factory);

/// Creates an object of the component registered under `programId`. Throws AutomationError
/// (NotRegistered) when there is none, and whatever the component's factory throws.
Object createObject(const QString &programId);

/// Registers a factory for the life of the guard and puts the one before back afterwards.
class ClassRegistration
{
public:
    /// Registers `factory` under `programId`.
    ClassRegistration(const QString &programId, Factory factory);
    /// Puts back the factory that was registered before.
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration &) = delete;
    ClassRegistration &operator=(const ClassRegistration &) = delete;

private:
    QString m_programId;
    Factory m_previous;
};

} // namespace platform::automation
