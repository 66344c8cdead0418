#pragma once
// Stand-ins for the message window, the wait window and the batch confirmation: they record what a
// window or request road tells the user, and answer the confirmation from a script.

#include "core/connection/RequestContext.h"

#include <QHash>

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace tvp::test {

struct RecordedMessage {
    bool warning = false;
    int errorId = 0;
    QStringList parameters;
    QString text;
    QString caption;
    QObject* form = nullptr;
};

class RecordingMessages : public IMessageSink {
public:
    void AddException(int errorId, const QStringList& parameters, const QString& text, const QString& caption,
                      QObject* form = nullptr) override
    {
        messages.push_back({false, errorId, parameters, text, caption, form});
    }
    void AddWarning(int errorId, const QStringList& parameters, const QString& text, const QString& caption,
                    QObject* form = nullptr) override
    {
        messages.push_back({true, errorId, parameters, text, caption, form});
    }
    // The server's texts by error id, as the message window has them once loaded.
    QString getExceptionById(int errorId, const QStringList&) const override { return serverTexts.value(errorId); }
    // "caption: text" per message, for compact expectations.
    QStringList lines() const
    {
        QStringList out;
        for (const RecordedMessage& m : messages)
            out << m.caption + QStringLiteral(": ") + m.text;
        return out;
    }

    std::vector<RecordedMessage> messages;
    QHash<int, QString> serverTexts;
};

class RecordingWaitTexts : public IWaitTexts {
public:
    void showWait(const QString& text, QObject* = nullptr) override
    {
        shown << text;
        log << QStringLiteral("+") + text;
    }
    void closeWait(const QString& text) override
    {
        shown.removeOne(text);
        log << QStringLiteral("-") + text;
    }

    QStringList shown; // still open
    QStringList log;   // "+text" and "-text" in order
};

// Answers confirmation questions in order; an unexpected one fails the test and cancels.
class ScriptedConfirmation : public IBatchConfirmation {
public:
    struct Answer {
        bool confirmed = false;
        bool applyToAll = false;
        bool cancel = false;
    };
    struct Question {
        QString text;
        QString caption;
        bool applyToAllOffered = false;
    };

    void expect(Answer answer) { answers.push_back(answer); }
    bool allAnswered() const { return answers.empty(); }

    bool showConfirmDialog(const QString& text, const QString& caption, bool offerApplyToAll, bool& applyToAll,
                           bool& confirmed) override
    {
        asked.push_back({text, caption, offerApplyToAll});
        confirmed = false;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question \"" << caption.toStdString() << "\": " << text.toStdString();
            applyToAll = false;
            return false;
        }
        const Answer a = answers.front();
        answers.pop_front();
        applyToAll = offerApplyToAll && a.applyToAll;
        if (a.cancel)
            return false;
        confirmed = a.confirmed;
        return true;
    }

    std::deque<Answer> answers;
    std::vector<Question> asked;
};

// Puts the recorders into a context for one test and takes them out again.
struct RecordingContext {
    explicit RecordingContext(TRequestContext& context_) : context(context_)
    {
        previousMessages = context.messageSink();
        previousWaits = context.waitTextProvider();
        previousConfirmation = context.confirmationProvider();
        context.setMessageSink(&messages);
        context.setWaitTexts(&waits);
        context.setBatchConfirmation(&confirmation);
    }
    ~RecordingContext()
    {
        context.setMessageSink(previousMessages);
        context.setWaitTexts(previousWaits);
        context.setBatchConfirmation(previousConfirmation);
    }
    RecordingContext(const RecordingContext&) = delete;
    RecordingContext& operator=(const RecordingContext&) = delete;

    TRequestContext& context;
    RecordingMessages messages;
    RecordingWaitTexts waits;
    ScriptedConfirmation confirmation;

private:
    IMessageSink* previousMessages = nullptr;
    IWaitTexts* previousWaits = nullptr;
    IBatchConfirmation* previousConfirmation = nullptr;
};

} // namespace tvp::test
