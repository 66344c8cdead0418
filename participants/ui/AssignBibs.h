#pragma once
// Bulk bibs: the selected athletes get consecutive bibs that nobody holds yet, from a first bib.

#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "participants/BibRequests.h"
#include "participants/ui/ParticipantWindowInterfaces.h"

class QLineEdit;
class QPushButton;

namespace tvp {

class TAssignBibForm : public TTVPForm, public IAssignBibs {
    Q_OBJECT
public:
    explicit TAssignBibForm(TWindowContext& context);
    ~TAssignBibForm() override;

    void ShowBibAssignDialog(int firstBib, const std::vector<int>& athleteIds) override;

    bool UserResult = false;
    int startWithBib = 1;

protected:
    void reloadData() override {}

private:
    void Button1Click();
    void RequestFinished(std::unique_ptr<TAssignBibsResponse> response, const TRequestOutcome& outcome);

    TRequestRoad<TAssignBibsReq, TAssignBibsResponse> road_;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace tvp
