#pragma once
// "LADV-Datenaustausch": registrations from LADV into the open competition, from a participant file
// or (feature "ladv.online") downloaded with the user's LADV login. Its second runner carries out
// the generic import of the registration CSV import.

#include "core/lists/RecordListModel.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "participants/LadvRequests.h"
#include "participants/ui/ParticipantWindowInterfaces.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace tvp {

class TLadvForm : public TTVPForm, public IParticipantImport {
    Q_OBJECT
public:
    explicit TLadvForm(TWindowContext& context);
    ~TLadvForm() override;

    void executeImport(TImportRequest request) override;

protected:
    void reloadData() override {}
    void FormShow() override;

private:
    void updateGroups();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void loadFile(const QString& path);
    void sendImport(const TLadvImportStream& stream);
    void RequestFinished(std::unique_ptr<TLADVResponse> response, const TRequestOutcome& outcome);
    void ImportFinished(const TRequestOutcome& outcome);
    void afterImport();
    void report(const QString& caption, const QString& text);

    TRequestRoad<TLADVRequest, TLADVResponse> road_;
    TRequestRoad<TGenericImportRequest, TGenericImportResponse> importRoad_;
    TRecordListModel<proto::CompetitionListItemType> shown_; // the open competitions

    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* Button2 = nullptr;
    QTreeView* ListView1 = nullptr;
    QPushButton* Button3 = nullptr;
    QLabel* Label4 = nullptr;
};

} // namespace tvp
