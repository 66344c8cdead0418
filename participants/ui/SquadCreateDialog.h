#pragma once
// Automatic squad formation: the preview of new and filled squads for the teams not yet in any
// squad, recomputed on every change of a setting; the ticked rows go to the server in one
// transaction.

#include "core/ui/TVPForm.h"
#include "participants/SquadCreateRequests.h"

class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QTreeView;

namespace tvp {

class TSquadCreateForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TSquadCreateForm(TWindowContext& context);
    ~TSquadCreateForm() override;

    // Team counts per squad; kUnlimitedTeams for "unbegrenzt".
    int getTargetNoOfTeams() const;
    int getMaxNoOfTeams() const;

    const TSquadPreviewModel& preview() const { return preview_; }

protected:
    void reloadData() override;
    void FormShow() override;

private:
    void RequestFinished(std::unique_ptr<TSquadCreateResponse> response, const TRequestOutcome& outcome);
    // Couples the maximum to the target: it never lies below it, and is "unbegrenzt" only when the
    // target is.
    void updateMaxRange();
    void RecalculateSquads();
    void RenderListView();
    void markSelected(bool checked);
    void Button1Click();

    TRequestRoad<TSquadCreateRequest, TSquadCreateResponse> road_;
    TSquadPreviewModel preview_;
    std::vector<proto::AgeClassType> ageClasses;
    std::vector<proto::TeamType> teams;
    std::vector<proto::SquadType> squads;

    QSpinBox* UpDown1 = nullptr; // target
    QSpinBox* UpDown2 = nullptr; // maximum
    QCheckBox* CheckBox1 = nullptr;
    QTreeView* ListView1 = nullptr;
    QLabel* Label4 = nullptr; // the largest squad
    QMenu* PopupMenu1 = nullptr;
    QPushButton* Button1 = nullptr;
    bool loaded_ = false;
};

} // namespace tvp
