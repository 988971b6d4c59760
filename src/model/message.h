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

// What an editing operation answers: nothing when it was carried out, otherwise the message
// that explains why it was refused (or, for the limits, why nothing changed).
using Outcome = std::optional<Message>;

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

// A value or the message that tells why there is none.
template <typename T> class Result final
{
public:
    Result(T value) : m_data(std::move(value)) {}
    Result(Message error) : m_data(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_data); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(m_data); }
    T& value() & { return std::get<T>(m_data); }
    T&& value() && { return std::get<T>(std::move(m_data)); }
    const Message& error() const { return std::get<Message>(m_data); }

private:
    std::variant<T, Message> m_data;
};

} // namespace zant
