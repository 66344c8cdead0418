// Scanner and keyboard text into the payload decoders: every input gives values or the codec's
// error, never a crash, a hang or an undefined shift.

#include "core/barcode/BarcodeUtils.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(qint64 value, int pos, const QString& code)
{
    if (value < 0 || value > tvp::kBarcodeMaxValue || pos < 1 || pos > code.size() + 1)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString code = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QChar x = tvp::kBarcodeTerminator;
    for (int start = 1; start <= 3; ++start) {
        int pos = start;
        try {
            check(tvp::DecodeIntegerCharTerminated(code, x, pos), pos, code);
        } catch (const tvp::EBarcodeError&) {
        }
        pos = start;
        try {
            check(tvp::DecodeIntegerVarLength(code, x, pos), pos, code);
        } catch (const tvp::EBarcodeError&) {
        }
    }
    try {
        const tvp::TDisciplineListCode list = tvp::decodeDisciplineListBarcode(code);
        // What decodes must encode back to a payload that decodes alike.
        if (tvp::decodeDisciplineListBarcode(tvp::disciplineListBarcode(list)) != list)
            std::abort();
    } catch (const tvp::EBarcodeError&) {
    }
    try {
        const tvp::TTallySheetCode tally = tvp::decodeTallySheetBarcode(code);
        if (tvp::decodeTallySheetBarcode(tvp::tallySheetBarcode(tally)) != tally)
            std::abort();
    } catch (const tvp::EBarcodeError&) {
    }
    try {
        const qint64 id = tvp::decodeIdBarcode(code);
        if (tvp::decodeIdBarcode(tvp::athleteBarcode(id)) != id)
            std::abort();
    } catch (const tvp::EBarcodeError&) {
    }
    return 0;
}
