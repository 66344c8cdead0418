#pragma once
// Links a Word mail-merge schedule document to a competition with its kind, one sheet per squad or
// per team (UI infos "Comp_TeamScheduleDocPath" and "Comp_TeamScheduleDocType"); the schedule
// window writes the data file beside it and opens it.

#include "core/connection/RequestRoad.h"
#include "scoring/ui/DocSetupForm.h"

class QButtonGroup;

namespace tvp {

class TTeamScheduleDocSetupForm : public TDocSetupForm, public ITeamScheduleDocSetupForm {
    Q_OBJECT
public:
    explicit TTeamScheduleDocSetupForm(TWindowContext& context);

    // ITeamScheduleDocSetupForm
    void getPath(int competitionId) override;
    void showDialog(int competitionId) override;
    void removeTeamScheduleDocPath(int competitionId) override;

    void SetPath(int competitionId, const QString& path, TScheduleDocType docType);
    void RequestFinished(std::unique_ptr<TTeamScheduleDocSetupResponse> response, const TRequestOutcome& outcome);

protected:
    IDocSetupForm::StatusHandler statusHandler() const override { return OnStatusChange; }
    bool beforeLinking() override;
    QString suggestedTargetName() const override { return scheduleTypeName(docType_); }
    QString dataFileName() const override { return scheduleTypeName(docType_) + QStringLiteral("daten.csv"); }
    void queuePathList() override;
    void storePath(const QString& path) override { SetPath(FContextID, path, docType_); }

private:
    void queue(TTeamScheduleDocSetupRequestType type, int competitionId, const QString& path, TScheduleDocType docType);

    TRequestRoad<TTeamScheduleDocSetupRequest, TTeamScheduleDocSetupResponse> road_;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* kinds_ = nullptr;
    TScheduleDocType docType_ = TScheduleDocType::sd_SQUAD; // of the run under way
};

} // namespace tvp
