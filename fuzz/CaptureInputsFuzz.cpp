// What the capture windows read from outside: stored tally lists (any text, any number of fields)
// into the zone grid and its sum, scanned "T" payloads as the window's barcode timer reads them,
// and finishing-order cell texts as Enter reads them. Every input gives cells, a sum, bibs or a
// refusal, never a crash or an overflow.

#include "core/barcode/BarcodeUtils.h"
#include "results/BibOrderRequests.h"
#include "results/TallySheetRequests.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

void tallyList(const QString& text)
{
    tvp::TTallyGridModel grid;
    grid.setTallyList(text);
    if (grid.cells().size() != tvp::kTallyZones || grid.rowCount() != tvp::kTallyZones)
        std::abort();
    const tvp::TTallySum sum = grid.sum();
    if (!sum.ok()) {
        if (sum.invalidRow < 1 || sum.invalidRow > tvp::kTallyZones)
            std::abort();
        return;
    }
    constexpr qint64 kMaxSum = qint64(120) * std::numeric_limits<int>::max(); // 1 + ... + 15 zones
    if (sum.sum < 0 || sum.sum > kMaxSum)
        std::abort();
    // What would be stored reads back to the same counts and the same list.
    const QString stored = grid.tallyList();
    tvp::TTallyGridModel again;
    again.setTallyList(stored);
    if (again.sum().sum != sum.sum || again.tallyList() != stored || stored.count(QLatin1Char(';')) != 15)
        std::abort();
}

void tallyBarcode(const QString& code)
{
    tvp::TTallyBarcode read;
    if (tvp::readTallyBarcode(code, read) != tvp::TTallyBarcodeRead::Read)
        return;
    if (read.disciplineBarcode < 0 || read.participantBarcode < 0 || read.attempt < 0 || read.version < 0)
        std::abort();
    tvp::TTallyBarcode back;
    const QString printed =
        tvp::tallySheetBarcode({read.disciplineBarcode, read.participantBarcode, read.attempt, read.version});
    if (tvp::readTallyBarcode(printed, back) != tvp::TTallyBarcodeRead::Read ||
        back.disciplineBarcode != read.disciplineBarcode || back.participantBarcode != read.participantBarcode ||
        back.attempt != read.attempt || back.version != read.version)
        std::abort();
}

// A finishing-order row: bibs each once, none negative; a refused text names the digit run that
// does not fit and gives no bibs.
void bibOrderCell(const QString& text)
{
    const tvp::TBibText read = tvp::parseBibText(text);
    if (!read.valid()) {
        if (!read.bibs.empty() || read.tooLarge.isEmpty() || !text.contains(read.tooLarge))
            std::abort();
        return;
    }
    for (std::size_t i = 0; i < read.bibs.size(); ++i) {
        if (read.bibs[i] < 0)
            std::abort();
        for (std::size_t j = 0; j < i; ++j)
            if (read.bibs[j] == read.bibs[i])
                std::abort();
    }
    // The row as shown reads back to the same bibs.
    tvp::TRankItem row(1);
    for (int bib : read.bibs)
        row.addItem(bib, {}, 0);
    const tvp::TBibText shown = tvp::parseBibText(row.getDisplayBibs());
    if (shown.bibs.size() > read.bibs.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    tallyList(text);
    tallyBarcode(text);
    tallyBarcode(QStringLiteral("T") + text);
    bibOrderCell(text);
    return 0;
}
