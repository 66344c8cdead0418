#pragma once
// The settings of the lap-count sheets ("Rundenzählblätter Einstellungen"): participants per
// sheet, points per lap, and blank sheets for late entries.

#include "core/print/TallySheetPrint.h"
#include "core/ui/TVPForm.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tvp {

class TLapCountSheetForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TLapCountSheetForm(TWindowContext& context);

    // Shows the window modally with the non-zero values given; writes the values back unless the
    // user cancelled.
    TPrintDialogResult executeLapCountSheetDialog(int& participantsPerSheet, int& pointsPerLap, int& blanks,
                                                  bool showPrint, bool showBlankOption);

    void Button1Click(); // "Drucken"
    void Button2Click(); // "Speichern"

protected:
    void reloadData() override {}

private:
    void updateTexts();

    TPrintDialogResult FResult = TPrintDialogResult::pr_cancel;
    int openedParts_ = 1;
    int openedPoints_ = 8;

    QLabel* Label1 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QSpinBox* SpinEdit3 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace tvp
