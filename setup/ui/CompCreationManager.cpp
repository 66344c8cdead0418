#include "setup/ui/CompCreationManager.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/UserAction.h"
#include "setup/ui/UnmappedParameterWarningDialog.h"

#include <QEventLoop>
#include <QWidget>

namespace tvp {

namespace {

const QString kCaption = QStringLiteral("Veranstaltung anlegen");
const QString kNameInUseCaption = QStringLiteral("Veranstaltungsname bereits vergeben");
constexpr int kNameInUseError = 2;

} // namespace

TCompCreationManager::TCompCreationManager(TWindowContext& context, QWidget* parentWindow, ICompCreationWizard& wizard)
    : context_(context),
      parent_(parentWindow),
      wizard_(wizard),
      road_(std::make_unique<Road>(context, compCreationRequests(), parentWindow,
                                   [this](std::unique_ptr<TCompCreationResponse> r, const TRequestOutcome& o) {
                                       WaitingForFinish = false;
                                       guarded([&] { finishedCallback(std::move(r), o); });
                                       WaitingForCallback = false;
                                   }))
{
}

TCompCreationManager::~TCompCreationManager() = default;

int TCompCreationManager::createCompetition(TCompCreationInput input)
{
    if (WaitingForFinish)
        return 0;
    WaitingForFinish = true;
    WaitingForCallback = true;
    ResultID = 0;
    name_ = input.name.trimmed();
    auto request = std::make_unique<TCompCreationRequest>();
    request->input = std::move(input);
    if (road_->AddRequest(std::move(request), TTransactionMode::tm_readwrite) == 0) {
        WaitingForFinish = WaitingForCallback = false;
        return 0;
    }
    if (parent_)
        parent_->setEnabled(false);
    QEventLoop loop;
    while (WaitingForFinish || WaitingForCallback)
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    if (parent_) {
        parent_->setEnabled(true);
        if (ResultID != 0) {
            parent_->raise();
            parent_->activateWindow();
        }
    }
    return ResultID;
}

void TCompCreationManager::finishedCallback(std::unique_ptr<TCompCreationResponse> response,
                                            const TRequestOutcome& outcome)
{
    if (!outcome.ok() || !response) {
        ResultID = 0;
        if (outcome.errorId == kNameInUseError) {
            const TAnswerTo answer(outcome.action);
            askForNewName();
        } else if (outcome.errorId == kSourceDoesNotFitError) {
            context_.messages().AddException(
                0, {},
                QStringLiteral("Die Veranstaltung kann nicht angelegt werden, da der Ergebnis-Aggregator \"%1\" das "
                               "zugeordnete Eingabeformat nicht unterstützt. Vermutlich passt mindestens eine "
                               "gewählte Disziplin nicht zu einer der gewählten Gesamtwertungen.")
                    .arg(outcome.parameters.value(0)),
                kCaption, parent_);
        } else {
            context_.messages().AddException(outcome.errorId, outcome.parameters, outcome.error, kCaption, parent_);
        }
        return;
    }
    ResultID = response->competitionId;
    if (response->replaced.empty())
        return;
    if (auto* warning = context_.windows().getOrPlaceholder<TUnmappedParameterWarningForm>(
            TWindowId::UnmappedParameterWarningForm)) {
        QPointer<QWidget> wizardWindow = parent_;
        ICompCreationWizard* wizard = &wizard_;
        warning->showUnmappedParameterWarningFormAsync(response->replaced, [wizardWindow, wizard](QObject* sender) {
            // The wizard may be gone by the time the user presses the button.
            if (wizardWindow)
                wizard->nextPage(sender);
        });
    }
}

void TCompCreationManager::askForNewName()
{
    // The creation has failed by then: the question waits beside the wizard without holding the program.
    context_.dialogs().askText(parent_, kNameInUseCaption,
                               QStringLiteral("Wollen Sie einen neuen Veranstaltungsnamen wählen:"), name_,
                               [this, alive = QPointer(this)](const std::optional<QString>& answer) {
                                   if (!alive || !answer)
                                       return;
                                   wizard_.setCompetitionName(*answer);
                                   showInformation(parent_, kNameInUseCaption,
                                                   QStringLiteral("Name wurde geändert. Sie können jetzt erneut "
                                                                  "versuchen die Veranstaltung anzulegen."));
                               });
}

} // namespace tvp
