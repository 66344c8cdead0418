#pragma once
// The athlete barcode finder: a scanned 'A' or 'B' code (or the athlete window's F11) shows the
// athlete and the single disciplines that take its results; a double-click opens the result window
// at the athlete. A 'B' code the server does not know starts a late registration.

#include "core/lists/RecordListModel.h"
#include "core/results/tvpTypes.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowFit.h"
#include "participants/FinderRequests.h"

#include <QTimer>

class QComboBox;
class QLabel;
class QTreeView;

namespace tvp {

struct TDiscAgeInfo {
    int ID = 0;
    int AgeID = 0;
    QString name;
};

class TAthleteResultFinderForm : public TTVPForm, public IAthleteResultFinderForm {
    Q_OBJECT
public:
    explicit TAthleteResultFinderForm(TWindowContext& context);
    ~TAthleteResultFinderForm() override;

    // IAthleteResultFinderForm
    void LoadAthlete(const proto::AthleteType& athlete, int ageClassId) override;
    void reload() override;
    void AthleteRemoved(int athleteId) override;
    void unload() override;

    void setDisciplines(const std::vector<TDisciplineInfo>& disciplines) override;
    void setAgeClasses(const std::vector<proto::AgeClassType>& ageClasses) override;

    int currentAthlete() const { return FCurAthlete; }

protected:
    void reloadData() override;
    void FormShow() override;

private:
    bool takeBarcode(const QString& code);
    void Timer1Timer();
    void RequestFinished(std::unique_ptr<TAthleteResultFinderResponse> response, const TRequestOutcome& outcome);
    void showAthleteLabel(const proto::AthleteType& athlete);
    void fillList();
    void ComboBox1Change();
    void openResults();
    void warn(const QString& text);

    TRequestRoad<TAthleteResultFinderRequest, TAthleteResultFinderResponse> road_;
    int FCurAthlete = 0;
    int FageClassFilter = 0;
    std::vector<TDiscAgeInfo> Disciplines;
    TRecordListModel<TDiscAgeInfo> shown_; // Disciplines through the age-class filter
    QString Barcode;
    QTimer Timer1;

    QComboBox* ComboBox1 = nullptr;
    TElidingLabel* Label2 = nullptr;
    QTreeView* ListView1 = nullptr;
};

} // namespace tvp
