#pragma once
// "Veranstaltungsdetails": name, date, entry fee per athlete and the metadata of the current
// competition, following the competition chosen.

#include "core/competition/CompetitionRequests.h"
#include "core/ui/MetaDataFields.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"

#include <memory>
#include <vector>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace tvp {

class TCompetitionForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TCompetitionForm(TWindowContext& context);
    ~TCompetitionForm() override;

    void competitionChanged();
    void unload() override;
    void RequestFinished(std::unique_ptr<TCompetitionResponse> response, const TRequestOutcome& outcome);
    // The request of the fields as they are; null when a field cannot be read (reported when validate).
    std::unique_ptr<TCompetitionRequest> getRequestFromUI(bool Validate);
    void Button1Click();

    int competitionId() const { return currentId; }
    const std::vector<std::unique_ptr<TMetaDataInput>>& metaDataFields() const { return FMetaDataFields; }
    TDateDataField& dateField() const { return *compdatefield; }

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;

private:
    void updateSaveButton();
    void clearMetaData();
    // The setup area's inputs when it offers them, else plain ones.
    IMetaDataFields& metaDataFactory();

    int currentId = 0;
    double FPricePerAthlete = 0;
    TPlainMetaDataFields plainFields_;
    std::vector<std::unique_ptr<TMetaDataInput>> FMetaDataFields;
    std::unique_ptr<TDateDataField> compdatefield;
    TRequestRoad<TCompetitionRequest, TCompetitionResponse> road_;

    QGroupBox* GroupBox1;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QScrollArea* MetaDataBox;
    QWidget* metaDataPanel_;
    QPushButton* Button1;
};

} // namespace tvp
