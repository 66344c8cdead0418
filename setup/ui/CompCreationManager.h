#pragma once
// Runs the creation of a competition for the setup wizard: one read-write transaction on the
// wizard's request road, the wizard disabled and the wait text shown meanwhile, and the outcome
// handled: a name in use asked for again, refusals reported, replaced parameters shown.

#include "setup/CompCreation.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace tvp {

class TWindowContext;

// What the creation needs of the wizard besides its input.
class ICompCreationWizard {
public:
    virtual ~ICompCreationWizard() = default;
    // After error 2 the user's new name goes into the name field.
    virtual void setCompetitionName(const QString& name) = 0;
    // The wizard's next-page action: the unmapped-parameter window completes the wizard with it.
    virtual void nextPage(QObject* sender) = 0;
};

class TCompCreationManager : public QObject {
    Q_OBJECT
public:
    // parentWindow: the wizard, which also implements ICompCreationWizard.
    TCompCreationManager(TWindowContext& context, QWidget* parentWindow, ICompCreationWizard& wizard);
    ~TCompCreationManager() override;

    // Creates the competition and waits for the outcome (processing events); its id, or 0 when it
    // failed or another run is still going on.
    int createCompetition(TCompCreationInput input);

    // From the request's start until its outcome is handled.
    bool isCreating() const { return WaitingForFinish || WaitingForCallback; }

    int ResultID = 0;
    bool WaitingForFinish = false;
    bool WaitingForCallback = false;

private:
    using Road = TRequestRoad<TCompCreationRequest, TCompCreationResponse>;
    void finishedCallback(std::unique_ptr<TCompCreationResponse> response, const TRequestOutcome& outcome);
    void askForNewName();

    TWindowContext& context_;
    QPointer<QWidget> parent_;
    ICompCreationWizard& wizard_;
    QString name_; // trimmed, as sent
    std::unique_ptr<Road> road_;
};

} // namespace tvp
