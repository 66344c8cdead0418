#pragma once
// The one context a window receives: the message window, the wait texts, the batch confirmation
// and the current competition (as requests see them), plus the hints, the dialogs, the window
// registry and the position store. The program has one (programContext()); a test may make its own.

#include "core/connection/RequestContext.h"

namespace tvp {

class IDialogs;
class TPositionStoreAdapter;
class TWindowRegistry;

// Context help: shown unless switched off (force shows it anyway), or after a delay.
class IHints {
public:
    virtual ~IHints() = default;
    virtual void ShowHint(const QString& name, bool force) = 0;
    virtual void ShowHintDelayed(const QString& name, int delayMs) = 0;
    // Switches every hint on again.
    virtual void ResetHintSystem() = 0;
};

class TWindowContext : public TRequestContext {
public:
    TWindowContext(TCurrentCompetition& competition, TWindowRegistry& windows);
    ~TWindowContext() override;

    // Never null: without a hint window no hint is shown.
    IHints& hints() const;
    // The program's dialog seam (tests script it).
    IDialogs& dialogs() const;
    TWindowRegistry& windows() const { return windows_; }
    // Null before start-up has made it.
    TPositionStoreAdapter* positionStore() const { return positionStore_.get(); }
    void setPositionStore(std::unique_ptr<TPositionStoreAdapter> store);

    using TRequestContext::offer;
    using TRequestContext::withdraw;
    void offer(IHints* hints);
    void withdraw(const IHints* hints);
    IHints* hintProvider() const { return hints_; }
    void setHints(IHints* hints) { hints_ = hints; }

private:
    TWindowRegistry& windows_;
    IHints* hints_ = nullptr;
    std::unique_ptr<TPositionStoreAdapter> positionStore_;
};

// The program's context: its windows, its current competition and the shared windows' services.
TWindowContext& programContext();
// The program's window registry (the one of programContext()).
TWindowRegistry& programWindows();

} // namespace tvp
