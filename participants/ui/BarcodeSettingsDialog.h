#pragma once
// "Barcodeeinstellungen": the keyboards of this computer, the scanners linked to the program and
// the detection of a scanner by a scan. Scanners work whether the window is shown or not: their
// codes go to the barcode dispatcher and their keys to no other program.

#include "core/lists/RecordListModel.h"
#include "core/ui/TVPForm.h"
#include "participants/DetectedInputModel.h"
#include "participants/InputDevices.h"

#include <memory>

class QLabel;
class QMenu;
class QPushButton;
class QTreeView;

namespace tvp {

class TBarcodeSettingsForm : public TTVPForm {
    Q_OBJECT
public:
    // The program's window reads this computer's devices.
    explicit TBarcodeSettingsForm(TWindowContext& context);
    TBarcodeSettingsForm(TWindowContext& context, std::unique_ptr<IInputDeviceLayer> layer);
    ~TBarcodeSettingsForm() override;

    TScannerInput& scanners() { return *scanners_; }

protected:
    void reloadData() override;
    void hideEvent(QHideEvent* event) override;

private:
    void RefreshListView();
    void RefreshTree();
    void startDetection();
    void endDetection();
    void addSelectedDevice();
    void removeSelectedLink();
    void doNotifyCode(const QString& code);

    TRecordListModel<TScanner> links_; // by name
    TDetectedInputModel detected_;
    std::unique_ptr<TScannerInput> scanners_;
    QLabel* LabelAccess = nullptr;
    QTreeView* ListView1 = nullptr;
    QTreeView* TreeView1 = nullptr;
    QPushButton* Button1 = nullptr; // detect
    QPushButton* Button2 = nullptr; // end detection
    QPushButton* Button3 = nullptr; // ">"
    QPushButton* Button4 = nullptr; // type a code
    QMenu* PopupMenu1 = nullptr;
    QAction* Entfernen1 = nullptr;
};

} // namespace tvp
