#pragma once
// What the capture windows that read scanned codes register when created: their key commands with
// the main window (Ctrl+P while active) and their barcode handler with the dispatcher.

#include "core/barcode/BarcodeDispatcher.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/MainWindow.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

#include <QPointer>

namespace tvp {

// Form needs hotKeyCallback(int key) and OnBarcode(const QString& code), both returning whether
// they took it.
template <class Form>
void subscribeKeysAndBarcodes(Form* form, TWindowContext& context)
{
    if (auto* main = context.windows().template get<TMainForm>(TWindowId::MainForm))
        main->SubscribeForKeyCommand(form, [form](int key) {
            bool handled = false;
            guarded([&] { handled = form->hotKeyCallback(key); });
            return handled;
        });
    // The dispatcher outlives every window.
    QPointer<Form> self(form);
    barcodeDispatcher().AddBarcodeCallback([self](const QString& code) { return self && self->OnBarcode(code); });
}

} // namespace tvp
