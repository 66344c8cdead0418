#pragma once
// Fills the custom columns of a cup's athletes from a semicolon-separated file and shows the log
// of what could be placed.

#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "scoring/CustomCupColRequests.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tvp {

class TCustomColImportForm : public TTVPForm, public ICustomColImportForm {
    Q_OBJECT
public:
    explicit TCustomColImportForm(TWindowContext& context);

    // ICustomColImportForm
    void showImportForm(int cupId) override;

    void RequestFinished(std::unique_ptr<TCustomColImportResponse> response, const TRequestOutcome& outcome);
    std::size_t pendingRequests() const { return road_.pending(); }

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

protected:
    void reloadData() override {}

private:
    void Button1Click();
    void importFile(const QString& path);
    void fail(const QString& text);

    TRequestRoad<TCustomColImportRequest, TCustomColImportResponse> road_;
    int FcupID = 0;
};

} // namespace tvp
