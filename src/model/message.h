#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace zant {

// The icon a message box shows; the window picks the box, the core only says which kind.
enum class MessageKind
{
    Critical,
    Exclamation,
    Information,
    Question
};

struct Message
{
    MessageKind kind = MessageKind::Information;
    QString text;

    friend bool operator==(const Message&, const Message&) = default;
};

inline Message critical(QString text)
{
    return {MessageKind::Critical, std::move(text)};
}
inline Message exclamation(QString text)
{
    return {MessageKind::Exclamation, std::move(text)};
}
inline Message information(QString text)
{
    return {MessageKind::Information, std::move(text)};
}

// What kind of failure an error is: the code that must tell failures apart looks at it, the
// user reads the message.
enum class ErrorKind
{
    // A file or folder could not be opened, read, made, written or replaced.
    File,
    // A file or a typed text is not in the form it should have.
    Format,
    // The data check refused the project's data.
    Check,
    // A datum the operation needs is missing (the project's name before a save).
    Missing,
    // A device refused the bytes written to it. The message is empty: the save that owns the
    // device names the file, and the cause from systemError.
    Write,
    // An operation refused its input or reached a limit; nothing changed.
    Refused
};

// A failure: its kind and the message the user reads.
struct Error : Message
{
    ErrorKind type = ErrorKind::Refused;
    // The system's error number of a Write error, 0 when unknown.
    int systemError = 0;

    Error(ErrorKind errorType, Message message) : Message(std::move(message)), type(errorType) {}
};

// The error of a device that refused bytes, with the system's error number then.
inline Error writeRefused(int systemError)
{
    Error error(ErrorKind::Write, critical(QString()));
    error.systemError = systemError;
    return error;
}

// A value, or the error that tells why there is none.
template <typename T> class Result final
{
public:
    Result(T value) : m_data(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_data(std::in_place_index<1>, std::move(error)) {}
    Result(ErrorKind type, Message message) : Result(Error(type, std::move(message))) {}

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_data); }
    T& value() & { return std::get<0>(m_data); }
    T&& value() && { return std::get<0>(std::move(m_data)); }
    const Error& error() const { return std::get<1>(m_data); }
    Error& error() { return std::get<1>(m_data); }

private:
    std::variant<T, Error> m_data;
};

// An operation that gives nothing back: it was carried out, or the error tells why not. Asked
// with ok() only, never tested as a bool: the optional message it replaces was engaged on
// failure, and a bool test would silently read the other way round.
template <> class Result<void> final
{
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}
    Result(ErrorKind type, Message message) : m_error(Error(type, std::move(message))) {}

    bool ok() const { return !m_error.has_value(); }

    const Error& error() const { return *m_error; }
    Error& error() { return *m_error; }

private:
    std::optional<Error> m_error;
};

} // namespace zant
