#pragma once
// What the capture windows that read scanned codes register when created: their barcode handler
// with the dispatcher.

#include "core/barcode/BarcodeDispatcher.h"

#include <QPointer>

namespace tvp {

// Form needs OnBarcode(const QString& code), returning whether it took the code.
template <class Form>
void subscribeBarcodes(Form* form)
{
    // The dispatcher outlives every window.
    QPointer<Form> self(form);
    barcodeDispatcher().AddBarcodeCallback([self](const QString& code) { return self && self->OnBarcode(code); });
}

} // namespace tvp
