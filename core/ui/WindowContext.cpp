#include "core/ui/WindowContext.h"

#include "core/connection/CurrentCompetition.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/WindowRegistry.h"

namespace tvp {

namespace {

class TNoHints : public IHints {
public:
    void ShowHint(const QString&, bool) override {}
    void ShowHintDelayed(const QString&, int) override {}
    void ResetHintSystem() override {}
};

} // namespace

TWindowContext::TWindowContext(TCurrentCompetition& competition, TWindowRegistry& windows)
    : TRequestContext(competition), windows_(windows)
{
}

TWindowContext::~TWindowContext() = default;

IHints& TWindowContext::hints() const
{
    static TNoHints fallback;
    return hints_ ? *hints_ : fallback;
}

IDialogs& TWindowContext::dialogs() const
{
    return tvp::dialogs();
}

void TWindowContext::setPositionStore(std::unique_ptr<TPositionStoreAdapter> store)
{
    positionStore_ = std::move(store);
}

void TWindowContext::offer(IHints* hints)
{
    if (!hints_)
        hints_ = hints;
}

void TWindowContext::withdraw(const IHints* hints)
{
    if (hints_ == hints)
        hints_ = nullptr;
}

// Both live as long as the program: windows withdraw from the context while they are destroyed, and
// a window left behind must not be destroyed after the application object.
TWindowRegistry& programWindows()
{
    static auto* registry = new TWindowRegistry;
    return *registry;
}

TWindowContext& programContext()
{
    static auto* context = new TWindowContext(currentCompetition(), programWindows());
    return *context;
}

} // namespace tvp
