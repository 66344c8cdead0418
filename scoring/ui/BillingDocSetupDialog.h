#pragma once
// Links a Word mail-merge receipt document to a competition (UI info "Comp_BillingDocPath"); the
// club window writes "Quittungsdaten.csv" beside it and opens it.

#include "core/connection/RequestRoad.h"
#include "scoring/ui/DocSetupForm.h"

namespace tvp {

class TBillingDocSetupForm : public TDocSetupForm, public IBillingDocSetupForm {
    Q_OBJECT
public:
    explicit TBillingDocSetupForm(TWindowContext& context);

    // IBillingDocSetupForm
    void getPath(int competitionId) override;
    void showDialog(int competitionId) override;
    void removeBillingDocPath(int competitionId) override;

    void SetPath(int competitionId, const QString& path);
    void RequestFinished(std::unique_ptr<TBillingDocSetupResponse> response, const TRequestOutcome& outcome);

protected:
    IDocSetupForm::StatusHandler statusHandler() const override { return OnStatusChange; }
    QString suggestedTargetName() const override { return QStringLiteral("Quittungen"); }
    QString dataFileName() const override { return QStringLiteral("Quittungsdaten.csv"); }
    void queuePathList() override;
    void storePath(const QString& path) override { SetPath(FContextID, path); }

private:
    void queue(TBillingDocSetupRequestType type, int competitionId, const QString& path = {});

    TRequestRoad<TBillingDocSetupRequest, TBillingDocSetupResponse> road_;
};

} // namespace tvp
