#pragma once
// The failure that handlers raise when an operation cannot go on; the application's error report
// shows its message to the user.

#include <QString>
#include <stdexcept>

namespace util {

/// A failure with a user-facing message (already in the interface language where it has one).
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    /// The message shown to the user.
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace util
