#pragma once
// Blank barcodes: a number of athlete barcodes reserved on the server for late registrations and
// written to a CSV file from which labels are printed.

#include "core/ui/TVPForm.h"
#include "participants/BibRequests.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tvp {

class TBlankoBarcodeForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TBlankoBarcodeForm(TWindowContext& context);
    ~TBlankoBarcodeForm() override;

protected:
    void reloadData() override {}

private:
    void Button1Click();
    void RequestFinished(std::unique_ptr<TBarcodeAllocResponse> response, const TRequestOutcome& outcome);

    TRequestRoad<TBarcodeAllocRequest, TBarcodeAllocResponse> road_;
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
};

} // namespace tvp
