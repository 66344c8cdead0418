#pragma once
// The result-unit patterns are formatted by result capture; the result texts only need this
// interface, so they stay below the windows.

#include <QString>

#include <stdexcept>

namespace tvp {

// A result-unit pattern that cannot be read.
class EInvalidResultUnitPattern : public std::runtime_error {
public:
    explicit EInvalidResultUnitPattern(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message)
    {
    }
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

class IResultUnitPatterns {
public:
    virtual ~IResultUnitPatterns() = default;
    // Formats a value with a result-unit pattern; throws EInvalidResultUnitPattern for a malformed one.
    virtual QString parseResultValue(const QString& pattern, double value) = 0;
};

// The registered implementation; null until result capture registers it.
IResultUnitPatterns*& resultUnitPatterns();

} // namespace tvp
