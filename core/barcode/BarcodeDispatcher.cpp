#include "core/barcode/BarcodeDispatcher.h"

namespace tvp {

std::recursive_mutex& BarcodeCriticalSection()
{
    static std::recursive_mutex lock;
    return lock;
}

void TBarcodeDispatcher::AddBarcodeCallback(TBarcodeCallback handler)
{
    if (handler)
        CallbackList.push_back(std::move(handler));
}

TBarcodeDispatcher::Outcome TBarcodeDispatcher::processBarcode(const QString& code)
{
    if (code.isEmpty())
        return Outcome::Ignored;
    // By index: a handler may register another one while it runs.
    for (std::size_t i = 0; i < CallbackList.size(); ++i) {
        const TBarcodeCallback handler = CallbackList[i];
        bool taken = false;
        {
            std::lock_guard<std::recursive_mutex> guard(BarcodeCriticalSection());
            taken = handler(code);
        }
        if (taken)
            return Outcome::Taken;
    }
    return Outcome::Refused;
}

TBarcodeDispatcher& barcodeDispatcher()
{
    static TBarcodeDispatcher dispatcher;
    return dispatcher;
}

} // namespace tvp
