#pragma once
// What requests and the windows that send them reach besides the server: the message window, the
// wait texts, the batch confirmation and the current competition. Widget-free
// code sees them as small interfaces; the shared windows implement them and offer themselves here
// when they are created, and tests put recorders in their place.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace tvp {

class TCurrentCompetition;

// The one way failures and warnings reach the user.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // errorId -1 means no server id. A server id is shown in the server's own words, otherwise
    // text; caption names what failed. Every message is shown, also one of a hidden window (form).
    virtual void AddException(int errorId, const QStringList& parameters, const QString& text, const QString& caption,
                              QObject* form = nullptr) = 0;
    virtual void AddWarning(int errorId, const QStringList& parameters, const QString& text, const QString& caption,
                            QObject* form = nullptr) = 0;
    // Loads the server's texts for its error ids anew (each time a competition is opened).
    virtual void ReloadExceptionMessages() {}
    // The server's text for its error id with the parameters put in; empty for an unknown id.
    virtual QString getExceptionById(int errorId, const QStringList& parameters) const
    {
        Q_UNUSED(errorId);
        Q_UNUSED(parameters);
        return {};
    }
};

// The stacked texts of long actions under way; each shown text is closed by its own caller.
class IWaitTexts {
public:
    virtual ~IWaitTexts() = default;
    // Shown on the monitor of onScreenOf when that is a window, else on the primary one.
    virtual void showWait(const QString& text, QObject* onScreenOf = nullptr) = 0;
    virtual void closeWait(const QString& text) = 0;
};

// The user's answer to a confirmation: given (false when cancelled), "Ja", and whether it stands for
// the rest of the batch.
struct TConfirmAnswer {
    bool given = false;
    bool confirmed = false;
    bool applyToAll = false;
};

// Asks whether an item the server refused should be forced. False when cancelled; otherwise
// confirmed tells "Ja", and applyToAll whether the answer stands for the rest of the batch (offered
// only with offerApplyToAll).
class IBatchConfirmation {
public:
    virtual ~IBatchConfirmation() = default;
    virtual bool showConfirmDialog(const QString& text, const QString& caption, bool offerApplyToAll, bool& applyToAll,
                                   bool& confirmed) = 0;
    // The same without waiting: the question waits in front of window (the window whose action it
    // confirms), blocking only that one, and answered gets the answer once given; never when window
    // went or was unloaded meanwhile. The default waits for showConfirmDialog.
    virtual void askConfirm(const QString& text, const QString& caption, bool offerApplyToAll, QObject* window,
                            std::function<void(const TConfirmAnswer&)> answered)
    {
        Q_UNUSED(window);
        TConfirmAnswer answer;
        answer.given = showConfirmDialog(text, caption, offerApplyToAll, answer.applyToAll, answer.confirmed);
        answered(answer);
    }
};

class TRequestContext {
public:
    explicit TRequestContext(TCurrentCompetition& competition);
    virtual ~TRequestContext();
    TRequestContext(const TRequestContext&) = delete;
    TRequestContext& operator=(const TRequestContext&) = delete;

    // Never null: without a provider messages go to the log, wait texts are not shown and a
    // confirmation counts as cancelled.
    IMessageSink& messages() const;
    IWaitTexts& waitTexts() const;
    IBatchConfirmation& batchConfirmation() const;

    TCurrentCompetition& competition() const { return competition_; }

    // The shared windows offer themselves when created (the first of each kind is taken) and
    // withdraw when destroyed.
    void offer(IMessageSink* sink);
    void offer(IWaitTexts* texts);
    void offer(IBatchConfirmation* confirmation);
    void withdraw(const IMessageSink* sink);
    void withdraw(const IWaitTexts* texts);
    void withdraw(const IBatchConfirmation* confirmation);

    // The providers themselves, null when none; set* replaces (tests).
    IMessageSink* messageSink() const { return messages_; }
    IWaitTexts* waitTextProvider() const { return waitTexts_; }
    IBatchConfirmation* confirmationProvider() const { return confirmation_; }
    void setMessageSink(IMessageSink* sink) { messages_ = sink; }
    void setWaitTexts(IWaitTexts* texts) { waitTexts_ = texts; }
    void setBatchConfirmation(IBatchConfirmation* confirmation) { confirmation_ = confirmation; }

private:
    TCurrentCompetition& competition_;
    IMessageSink* messages_ = nullptr;
    IWaitTexts* waitTexts_ = nullptr;
    IBatchConfirmation* confirmation_ = nullptr;
};

} // namespace tvp
