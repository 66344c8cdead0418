#pragma once
// Failures of server calls. Every failure is a TvpError with a German message; a server fault that
// carries an error id is an ETvExceptionDetail.

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace tvp {

class TvpError : public std::runtime_error {
public:
    explicit TvpError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

// Transport failures and answers that are not SOAP.
class ESoapTransportError : public TvpError {
public:
    using TvpError::TvpError;
};

// An answer that is SOAP but cannot be read into the expected record.
class ESoapDecodeError : public TvpError {
public:
    using TvpError::TvpError;
};

// A SOAP fault without the server's detail element.
class ESoapFault : public TvpError {
public:
    using TvpError::TvpError;
};

// Error ids of the server that windows of more than one area react to; an area names its own ids
// beside its requests.
inline constexpr int kDisciplineNotFoundError = 13;
inline constexpr int kCupNotFoundError = 80;
// The server turned a writer away before doing anything (too many waiting, or the write lock not
// free in time) and asks to try again.
inline constexpr int kServerBusyError = 902;

// The server's fault detail: an error id and the values to put into its message text. The client
// raises it itself where a local check fails inside a request callback.
class ETvExceptionDetail : public TvpError {
public:
    explicit ETvExceptionDetail(const QString& message, int id = 0, QStringList parameters = {})
        : TvpError(message), ExceptionID(id), ExceptionParameters(std::move(parameters))
    {
    }
    int ExceptionID = 0;
    QStringList ExceptionParameters;
};

} // namespace tvp
