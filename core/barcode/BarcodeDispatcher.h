#pragma once
// Hands every complete payload (from a scanner or typed into the box "Barcode eingeben") to the
// windows that registered for barcodes, in registration order; the first that takes it ends the
// dispatch. Runs on the GUI thread only.

#include <QString>

#include <functional>
#include <mutex>
#include <vector>

namespace tvp {

// True when the handler took the code. Handlers look only at the first character, keep the code
// and decode it later in a timer of their own, reading it back under BarcodeCriticalSection().
using TBarcodeCallback = std::function<bool(const QString& code)>;

// Orders the handler calls against the handlers' own timers. Recursive, so a handler that
// dispatches again from inside cannot deadlock.
std::recursive_mutex& BarcodeCriticalSection();

class TBarcodeDispatcher {
public:
    enum class Outcome {
        Ignored, // empty code
        Taken,
        Refused, // no handler took it: the caller warns "Ungültiger Barcode"
    };

    // Handlers are never removed.
    void AddBarcodeCallback(TBarcodeCallback handler);
    // A handler's exception leaves the lock released and goes to the caller.
    Outcome processBarcode(const QString& code);

    std::size_t handlerCount() const { return CallbackList.size(); }

private:
    std::vector<TBarcodeCallback> CallbackList;
};

// The program's dispatcher, reached by the box and by the scanner window.
TBarcodeDispatcher& barcodeDispatcher();

} // namespace tvp
