#pragma once
// "Veranstaltung importieren": a competition file or template read into the server under its own
// or a new name and date.

#include "core/competition/CompetitionFiles.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tvp {

class TDateEdit;

class TCompImportForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TCompImportForm(TWindowContext& context);
    ~TCompImportForm() override;

    void showImportDialog();
    void Button1Click();
    void RequestFinished(std::unique_ptr<compfiles::TImportResponse> response, const TRequestOutcome& outcome);

protected:
    void reloadData() override {}

private:
    void RadioGroup1Click();
    void report(const QString& text);

    bool asTemplate_ = false;
    TRequestRoad<compfiles::TImportRequest, compfiles::TImportResponse> road_;

    QLineEdit* Edit1; // the file
    QGroupBox* RadioGroup1;
    QButtonGroup* radioItems_;
    QRadioButton* RadioItem0;
    QRadioButton* RadioItem1;
    QLineEdit* Edit2; // the new name
    TDateEdit* DateTimePicker1;
    QPushButton* Button1;
};

} // namespace tvp
