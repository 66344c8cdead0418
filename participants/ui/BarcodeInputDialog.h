#pragma once
// The small tool window "Barcode eingeben" (Ctrl+B in the main window, and the scanner window's
// button): a typed payload is dispatched like a scanned one. The window is also the program's
// door to the barcode dispatcher.

#include "core/barcode/BarcodeDispatcher.h"

#include <QWidget>

class QLineEdit;

namespace tvp {

class TBarcodeInputForm : public QWidget {
    Q_OBJECT
public:
    inline static const QString kCaption = QStringLiteral("Barcode eingeben");

    // The first one created becomes the program's instance.
    explicit TBarcodeInputForm(QWidget* parent = nullptr);
    ~TBarcodeInputForm() override;

    void AddBarcodeCallback(TBarcodeCallback handler);
    // Offers the code to the handlers; when none takes it, warns "Ungültiger Barcode" in the
    // message window. A handler's failure is reported there too.
    void processBarcode(const QString& code);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Edit1KeyPress(int key);

    QLineEdit* Edit1;
};

// The program's box; null until it is created.
TBarcodeInputForm* BarcodeInputForm();

} // namespace tvp
