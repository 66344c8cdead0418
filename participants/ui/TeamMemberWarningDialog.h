#pragma once
// The team-rule warnings: the teams that break a rule of their age class, one row per broken rule,
// as the server found them for a set of result providers.

#include "core/lists/RecordListModel.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "participants/TeamMemberWarning.h"

class QPushButton;
class QTreeView;

namespace tvp {

class TTeamMemberWarningForm : public TTVPForm, public ITeamMemberWarningForm {
    Q_OBJECT
public:
    explicit TTeamMemberWarningForm(TWindowContext& context);

    // ITeamMemberWarningForm: remembers the providers and competition for the next reload; an
    // empty answer closes the window.
    void showParticipantWarning(const std::vector<proto::InvalidParticipantType>& warnings,
                                const std::vector<int>& resProvIds, int compId) override;

    const TRecordListModel<TTeamWarningRow>& rows() const { return model_; }
    // Double-click on a row: the athlete window shows the team's members.
    void ListView1DblClick(int row);

protected:
    // Repeats the check for the stored providers, only while the window is visible.
    void reloadData() override;

private:
    void RequestFinished(std::unique_ptr<TTeamMemberWarningResponse> response, const TRequestOutcome& outcome);

    TRequestRoad<TTeamMemberWarningRequest, TTeamMemberWarningResponse> road_;
    TRecordListModel<TTeamWarningRow> model_;
    std::vector<int> FresProvIds;
    int FCompId = 0;

    QTreeView* ListView1;
    QPushButton* CloseButton;
};

} // namespace tvp
