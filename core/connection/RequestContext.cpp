#include "core/connection/RequestContext.h"

#include "core/util/Logger.h"

namespace tvp {

namespace {

// Before the message window exists (and in tools without windows) messages are not lost.
class TLogMessages : public IMessageSink {
public:
    void AddException(int errorId, const QStringList&, const QString& text, const QString& caption, QObject*) override
    {
        write(TLogLevel::ll_error, errorId, text, caption);
    }
    void AddWarning(int errorId, const QStringList&, const QString& text, const QString& caption, QObject*) override
    {
        write(TLogLevel::ll_warning, errorId, text, caption);
    }

private:
    static void write(TLogLevel level, int errorId, const QString& text, const QString& caption)
    {
        const QString line = QStringLiteral("%1 (%2): %3").arg(caption).arg(errorId).arg(text);
        TVP_LOGGER().log(level, line);
        qWarning("%s", qUtf8Printable(line));
    }
};

class TNoWaitTexts : public IWaitTexts {
public:
    void showWait(const QString&, QObject*) override {}
    void closeWait(const QString&) override {}
};

class TNoConfirmation : public IBatchConfirmation {
public:
    bool showConfirmDialog(const QString&, const QString&, bool, bool& applyToAll, bool& confirmed) override
    {
        applyToAll = false;
        confirmed = false;
        return false;
    }
};

template <class T>
void offerTo(T*& slot, T* provider)
{
    if (!slot)
        slot = provider;
}

template <class T>
void withdrawFrom(T*& slot, const T* provider)
{
    if (slot == provider)
        slot = nullptr;
}

} // namespace

TRequestContext::TRequestContext(TCurrentCompetition& competition) : competition_(competition)
{
}

TRequestContext::~TRequestContext() = default;

IMessageSink& TRequestContext::messages() const
{
    static TLogMessages fallback;
    return messages_ ? *messages_ : fallback;
}

IWaitTexts& TRequestContext::waitTexts() const
{
    static TNoWaitTexts fallback;
    return waitTexts_ ? *waitTexts_ : fallback;
}

IBatchConfirmation& TRequestContext::batchConfirmation() const
{
    static TNoConfirmation fallback;
    return confirmation_ ? *confirmation_ : fallback;
}

void TRequestContext::offer(IMessageSink* sink)
{
    offerTo(messages_, sink);
}

void TRequestContext::offer(IWaitTexts* texts)
{
    offerTo(waitTexts_, texts);
}

void TRequestContext::offer(IBatchConfirmation* confirmation)
{
    offerTo(confirmation_, confirmation);
}

void TRequestContext::withdraw(const IMessageSink* sink)
{
    withdrawFrom(messages_, sink);
}

void TRequestContext::withdraw(const IWaitTexts* texts)
{
    withdrawFrom(waitTexts_, texts);
}

void TRequestContext::withdraw(const IBatchConfirmation* confirmation)
{
    withdrawFrom(confirmation_, confirmation);
}

} // namespace tvp
