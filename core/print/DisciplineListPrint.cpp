#include "core/print/DisciplineListPrint.h"

#include "core/barcode/BarcodeUtils.h"
#include "core/print/Code39.h"
#include "core/results/tvpUtils.h"

#include <QTime>

#include <algorithm>
#include <numeric>

namespace tvp {

QStringList splitCommaText(const QString& text)
{
    QStringList entries;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i <= n) {
        QString entry;
        if (i < n && text.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (text.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                        entry += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                entry += text.at(i++);
            }
            while (i < n && text.at(i) != QLatin1Char(','))
                entry += text.at(i++);
        } else {
            while (i < n && text.at(i) != QLatin1Char(','))
                entry += text.at(i++);
        }
        entries << entry;
        ++i; // the comma
    }
    if (entries.size() == 1 && entries.first().isEmpty() && text.isEmpty())
        return {};
    return entries;
}

namespace {

int sum(const std::vector<int>& widths, std::size_t end)
{
    int total = 0;
    for (std::size_t c = 0; c < std::min(end, widths.size()); ++c)
        total += widths[c];
    return total;
}

} // namespace

// ---- context ----

TDisciplinePrintContext::TDisciplinePrintContext(const QString& Squad, int heatNo, proto::ResultValueType resultType,
                                                 const QString& docType, const QString& DisciplineName,
                                                 int DisciplineID, int DisciplineBarcodeID, int ListVersion,
                                                 const QString& Place, double StartTime)
    : FSquad(Squad),
      FheatNo(heatNo),
      FresultType(resultType),
      FdocType(docType),
      FDisciplineName(DisciplineName),
      FDisciplineID(DisciplineID),
      FDisciplineBarcodeID(DisciplineBarcodeID),
      FListVersion(ListVersion),
      FPlace(Place),
      FStartTime(StartTime)
{
}

QString TDisciplinePrintContext::getHeatString() const
{
    return FresultType == proto::ResultValueType::Time ? QStringLiteral("Lauf") : QStringLiteral("Gruppe");
}

TDisciplinePrintContext* disciplineContextOf(ITVChunk* chunk)
{
    return chunk ? dynamic_cast<TDisciplinePrintContext*>(chunk->getContextData()) : nullptr;
}

// ---- barcode ----

QString discBarcodePayload(TBarcodeType barcodeType, int disciplineBarcodeId, int heatNo, int listVersion, int topItem,
                           int athleteOrTeamBarcodeId, int attempt)
{
    switch (barcodeType) {
    case TBarcodeType::bt_none: return {};
    case TBarcodeType::bt_DiscList:
    case TBarcodeType::bt_LapCount:
        if (heatNo < 1 || listVersion < 0 || topItem < 0)
            return {};
        return disciplineListBarcode({disciplineBarcodeId, heatNo - 1, listVersion, topItem});
    case TBarcodeType::bt_TallySheet:
        if (attempt < 0 || listVersion < 0)
            return {};
        return tallySheetBarcode({disciplineBarcodeId, athleteOrTeamBarcodeId, attempt, listVersion});
    }
    return {};
}

int PrintDiscBarcode(TPrintCanvas& canvas, int x, int y, int height, TBarcodeType barcodeType, int disciplineBarcodeId,
                     int heatNo, int listVersion, int topItem, int athleteOrTeamBarcodeId, int attempt)
{
    const QString payload = discBarcodePayload(barcodeType, disciplineBarcodeId, heatNo, listVersion, topItem,
                                               athleteOrTeamBarcodeId, attempt);
    if (payload.isEmpty())
        return 0;
    TCode39Style style;
    style.moduleWidth = 3;
    style.textHeight = 30;
    return paintCode39(canvas, x, y, height, payload, style);
}

// ---- header ----

int TDisciplineListHeader::getHeight()
{
    const int block = (FbarcodeType != TBarcodeType::bt_none || FPrintTimePlaceBlock) ? 120 : 0;
    return block + 70 + (FResultFormat != TResultformat::rf_Default ? 40 : 0);
}

QString TDisciplineListHeader::stampText(const TDisciplinePrintContext& context, TPrintManager* manager)
{
    QString text = QStringLiteral(" (");
    if (context.FListVersion > 0)
        text += QStringLiteral("Version: %1, ").arg(context.FListVersion);
    text += QStringLiteral("Druck: ") + QTime::currentTime().toString(QStringLiteral("hh:mm"));
    if (manager && manager->PrintPageNo())
        text += QStringLiteral(", Seite %1/%2").arg(manager->currentPageNo()).arg(manager->getNoOfPages(false));
    return text + QLatin1Char(')');
}

QString TDisciplineListHeader::legendText(TResultformat format)
{
    switch (format) {
    case TResultformat::rf_Height:
        return QStringLiteral("Hochsprungnotation: \"o\"=gültig | \"x\"=ungültig | \"-\"=verzichtet  -  Bitte Versuche "
                              "pro Höhe vertikal eintragen.");
    case TResultformat::rf_TargetPoints:
        return QStringLiteral(
            "Zielweitennotation: \"o\"=gültig | \"x\"=ungültig  -  Bitte Versuche pro Weite vertikal eintragen.");
    case TResultformat::rf_TargetPointCollection:
        return QStringLiteral(
            "Zielweitennotation: \"o\"=gültig | \"x\"=ungültig  -  Bis zu 2 Versuche pro Weite vertikal eintragen.");
    default: return {};
    }
}

void TDisciplineListHeader::renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk)
{
    static const TDisciplinePrintContext empty;
    const TDisciplinePrintContext* found = disciplineContextOf(chunk);
    const TDisciplinePrintContext& context = found ? *found : empty;
    if (FContext)
        canvas.setFont(FContext->mainFont());
    canvas.setBrushClear();
    canvas.setBold(false);
    canvas.setItalic(false);
    curIndent = x + 40;
    curLine = y - 90;
    // Texts end at the printable area's right edge.
    const int right = x + pageWidth - 40;

    // The symbol and the time and place block stand in the band from 30 to 150 below the top; the
    // text line goes below the band where either is drawn, so it never prints over the block.
    int blockLeft = x + 40;
    bool band = false;
    if (context.FDisciplineID != 0 && FbarcodeType != TBarcodeType::bt_none) {
        const int barcodeLeft = x + 40 + 320;
        if (const int width = PrintDiscBarcode(canvas, barcodeLeft, y - 30, 120, FbarcodeType,
                                               context.FDisciplineBarcodeID, context.FheatNo, context.FListVersion,
                                               context.FTopItem, context.FAthleteOrTeamBarcodeID, context.FAttempt))
            blockLeft = barcodeLeft + width + 60;
        band = true;
    }

    if (FPrintTimePlaceBlock && FContext && FContext->currentPageNo() == 1) {
        band = true;
        canvas.setFont(FContext->mainFont());
        QString start = QStringLiteral("Wettkampfstart:____________");
        if (context.FStartTime > 0)
            start += QStringLiteral(" (geplant: ") +
                     QTime::fromMSecsSinceStartOfDay(int(context.FStartTime * 86400000.0 + 0.5))
                         .toString(QStringLiteral("hh:mm")) +
                     QLatin1Char(')');
        const QString end = QStringLiteral("Wettkampfende:____________");
        const QString place = context.FPlace.isEmpty() ? QString() : QStringLiteral("Anlage: ") + context.FPlace;
        // Right of the barcode up to the edge. A long facility shrinks the block, then goes on in
        // lines of its own; where even those do not hold it, it loses its middle, not the end
        // that tells facilities apart.
        const int room = right - blockLeft;
        QStringList lines{start, place.isEmpty() ? end : end + u' ' + place};
        int height = 40;
        int step = 60;
        const auto widest = [&] {
            int widest = 0;
            for (const QString& line : lines)
                widest = std::max(widest, canvas.textWidth(line));
            return widest;
        };
        canvas.setFontHeight(height);
        while (height > 30 && widest() > room)
            canvas.setFontHeight(--height);
        if (widest() > room && !place.isEmpty()) {
            // The facility in lines of its own, all 4 apart within the band's 120; at the smallest
            // the last of them holds the rest without its middle.
            for (height = 37;; --height) {
                canvas.setFontHeight(height);
                step = height + 4;
                const qsizetype most = (120 - height) / step - 1;
                const QStringList facility =
                    height == 24 ? wrapToLines(canvas, place, room, int(most), true) : wrapToWidth(canvas, place, room);
                lines = QStringList{start, end} + facility;
                if (height == 24 || (facility.size() <= most && widest() <= room))
                    break;
            }
        }
        const int left = right - std::min(room, widest());
        int top = lines.size() == 2 ? y - 30 - 20 : y - 30;
        for (const QString& line : lines) {
            canvas.textOut(left, top, line);
            top -= step;
        }
    }
    if (band)
        curLine -= 120;

    if (FContext)
        canvas.setFont(FContext->mainFont());
    canvas.setBrushClear();
    std::vector<THeaderPart> parts;
    if (!context.FSquad.isEmpty())
        parts.push_back({context.FSquad, 45, true, true, QStringLiteral(" - ")});
    if (context.FheatNo > 0) {
        const QString heat = context.getHeatString() + QLatin1Char(' ') + QString::number(context.FheatNo);
        parts.push_back({heat, 40, true, false, QStringLiteral(" ")});
    }
    if (!context.FDisciplineName.isEmpty())
        parts.push_back({context.FDisciplineName, 40, false, true, QStringLiteral(" ")});
    if (!context.FdocType.isEmpty())
        parts.push_back({QStringLiteral("- ") + context.FdocType, 35, false, false, {}});
    parts.push_back({stampText(context, FContext), 40, false, false, {}});
    // A second line before anything is cut: the squads and the discipline tell the sheets apart.
    textOutFitted(std::move(parts), right, canvas, 2);
    canvas.setBold(false);

    const QString legend = legendText(FResultFormat);
    if (!legend.isEmpty()) {
        canvas.setFontHeight(40);
        canvas.textOut(x + 100, curLine - 50 + 40, legend);
    }
}

// ---- footer ----

void TDisciplineListFooter::renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk)
{
    if (FContext)
        canvas.setFont(FContext->mainFont());
    canvas.setFontHeight(35);
    canvas.setBold(true);
    canvas.setItalic(false);
    canvas.textOut(x + 50, y, kHandInText);
    canvas.setBold(false);
    TTVPFooter::renderToPage(x, y - 55, pageWidth, canvas, chunk);
}

// ---- rows ----

QString TFlatDiscListLineRenderer::fitCell(TPrintCanvas& canvas, const QString& text, int width)
{
    const QString dots = QStringLiteral("...");
    QString fitted = text;
    while (!fitted.isEmpty() && canvas.textWidth(fitted) > width) {
        if (fitted == dots)
            return {};
        fitted = fitted.left(std::max<qsizetype>(0, fitted.size() - 4)) + dots;
    }
    return fitted == dots ? QString() : fitted;
}

QStringList packCommaLines(TPrintCanvas& canvas, const QStringList& entries, int width, int maxLines)
{
    QStringList lines;
    QString line;
    qsizetype i = 0;
    for (; i < entries.size(); ++i) {
        const QString candidate = line.isEmpty() ? entries.at(i) : line + QStringLiteral(", ") + entries.at(i);
        if (line.isEmpty() || canvas.textWidth(candidate) <= width) {
            line = candidate;
            continue;
        }
        if (lines.size() + 1 >= maxLines)
            break;
        lines << line;
        line = entries.at(i);
    }
    if (!line.isEmpty())
        lines << line;
    if (i < entries.size() && !lines.isEmpty())
        lines.last() += QStringLiteral(",...");
    return lines;
}

void writeWrapped(TPrintCanvas& canvas, int left, int top, const QString& text, int right, int room)
{
    const int width = right - left;
    if (canvas.textWidth(text) <= width) {
        canvas.textOut(left, top, text);
        return;
    }
    const int before = canvas.textHeight();
    const int smallest = std::min(before * 7 / 12, std::max(20, before * 7 / 18));
    QStringList lines;
    int step = 0;
    for (int height = before; height >= smallest; --height) {
        canvas.setFontHeight(height);
        step = height + std::max(3, height / 6);
        const int fitting = std::max(1, room / step);
        if (height == smallest || wrapToWidth(canvas, text, width).size() <= fitting) {
            lines = wrapToLines(canvas, text, width, fitting);
            break;
        }
    }
    int line = top;
    for (const QString& l : lines) {
        canvas.textOut(left, line, l);
        line -= step;
    }
    canvas.setFontHeight(before);
}

QStringList TFlatDiscListLineRenderer::compressedLines(TPrintCanvas& canvas, const QStringList& entries, int width,
                                                       int rowHeight)
{
    // A line goes on while 30 more would fit; a further line only while two more fit into the row.
    const int step = canvas.textHeight() + 3;
    return packCommaLines(canvas, entries, width - 30, std::max(1, rowHeight / step - 1));
}

int TFlatDiscListLineRenderer::columnLeft(int x, const std::vector<int>& colWidths, int col) const
{
    return x + sum(colWidths, std::size_t(col));
}

void TFlatDiscListLineRenderer::singleCell(TPrintCanvas& canvas, int left, int y, int width, const QString& text) const
{
    const QString fitted = fitCell(canvas, text, width - FColSpacing);
    if (!fitted.isEmpty())
        canvas.textOut(left, y, fitted);
}

void TFlatDiscListLineRenderer::wrappedCell(TPrintCanvas& canvas, int left, int y, int width, int rowHeight,
                                            const QString& text) const
{
    writeWrapped(canvas, left, y, text, left + width - FColSpacing, rowHeight);
}

void TFlatDiscListLineRenderer::compressedCell(TPrintCanvas& canvas, int left, int y, int width, int rowHeight,
                                               const QString& text) const
{
    const int before = canvas.textHeight();
    canvas.setFontHeight(before * 7 / 11);
    int line = y;
    for (const QString& l : compressedLines(canvas, splitCommaText(text), width - FColSpacing, rowHeight)) {
        canvas.textOut(left, line, l);
        line -= canvas.textHeight() + 3;
    }
    canvas.setFontHeight(before);
}

std::vector<int> TFlatDiscListLineRenderer::designedWidths(int count) const
{
    static const int designed[] = {80, 184, 480, 480};
    std::vector<int> widths(std::size_t(std::max(0, count)), 0);
    for (std::size_t c = 0; c < 4 && c < widths.size(); ++c)
        widths[c] = designed[c];
    return widths;
}

bool TFlatDiscListLineRenderer::isList(int col, const QString& text) const
{
    return (col == 1 && splitCommaText(text).size() >= 2) || (col == 2 && FTeamRender);
}

int TFlatDiscListLineRenderer::cellWidth(TPrintCanvas& canvas, int col, const QString& text, bool isHeader,
                                         bool pieces) const
{
    const TPrintFont before = canvas.font();
    canvas.setFontHeight(40);
    canvas.setBold(isHeader);
    int width = 0;
    if (!isHeader && isList(col, text)) {
        // As compressedCell draws it: entries joined by ", ", in smaller type, 30 to spare.
        canvas.setFontHeight(40 * 7 / 11);
        const QStringList entries = splitCommaText(text);
        if (pieces) {
            for (const QString& entry : entries)
                width = std::max(width, canvas.textWidth(entry));
        } else {
            width = canvas.textWidth(entries.join(QStringLiteral(", ")));
        }
        width += 30;
    } else {
        width = pieces && !isHeader ? longestPieceWidth(canvas, text) : canvas.textWidth(text);
    }
    canvas.setFont(before);
    return width + FColSpacing;
}

std::vector<int> TFlatDiscListLineRenderer::getPreferredColWidths(int, TPrintCanvas& canvas, const QStringList& cells,
                                                                  bool isHeader)
{
    std::vector<int> widths = designedWidths(int(cells.size()));
    for (int c = 0; c < 4 && c < cells.size(); ++c)
        if (widths[std::size_t(c)] > 0)
            widths[std::size_t(c)] =
                std::max(widths[std::size_t(c)], cellWidth(canvas, c, cells.at(c), isHeader, false));
    return widths;
}

std::vector<int> TFlatDiscListLineRenderer::getMinimumColWidths(int, TPrintCanvas& canvas, const QStringList& cells,
                                                                bool isHeader)
{
    // Headers whole, words whole; the columns written in as designed.
    std::vector<int> widths = designedWidths(int(cells.size()));
    for (int c = 0; c < 4 && c < cells.size(); ++c)
        if (widths[std::size_t(c)] > 0)
            widths[std::size_t(c)] = cellWidth(canvas, c, cells.at(c), isHeader, true);
    return widths;
}

std::vector<int> TFlatDiscListLineRenderer::fitColumns(int rowHeight, TPrintCanvas& canvas, const QStringList& header,
                                                       const std::vector<QStringList>& rows, int available)
{
    std::vector<int> widths = TAlternatingLineRenderer::fitColumns(rowHeight, canvas, header, rows, available);
    const long long room = available - std::accumulate(widths.begin(), widths.end(), 0LL);
    const std::vector<int> shares = roomShares(int(widths.size()));
    const long long total = std::accumulate(shares.begin(), shares.end(), 0LL);
    if (room <= 0 || total <= 0)
        return widths;
    for (std::size_t c = 0; c < widths.size() && c < shares.size(); ++c)
        widths[c] += int(room * shares[c] / total);
    return widths;
}

void TFlatDiscListLineRenderer::renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                               const QStringList& cells, const std::vector<int>& colWidths,
                                               bool background)
{
    TAlternatingLineRenderer::renderBodyLine(x, y, rowHeight, width, canvas, cells, colWidths, background);
    canvas.setFontHeight(40);
    canvas.setBold(false);
    for (int c = 0; c < 4 && c < cells.size() && std::size_t(c) < colWidths.size(); ++c) {
        if (colWidths[std::size_t(c)] <= 0)
            continue; // a column left out
        const int left = columnLeft(x, colWidths, c);
        const QString& text = cells.at(c);
        if (isList(c, text))
            compressedCell(canvas, left, y, colWidths[std::size_t(c)], rowHeight, text);
        else
            wrappedCell(canvas, left, y, colWidths[std::size_t(c)], rowHeight, text);
    }
}

void TFlatDiscListLineRenderer::renderHeaderLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                                 const QStringList& cells, const std::vector<int>& colWidths)
{
    canvas.setFontHeight(40);
    canvas.setBold(true);
    for (int c = 0; c < 4 && c < cells.size() && std::size_t(c) < colWidths.size(); ++c)
        singleCell(canvas, columnLeft(x, colWidths, c), y, colWidths[std::size_t(c)], cells.at(c));
    canvas.setBold(false);
    canvas.setPenSolid();
    canvas.setPenWidth(FLineWidth);
    const int rule = y - rowHeight + FLineWidth / 2;
    canvas.line(x, rule, x + width, rule);
}

std::vector<int> TAttemptDiscListLineRenderer::designedWidths(int count) const
{
    std::vector<int> widths = TFlatDiscListLineRenderer::designedWidths(count);
    for (std::size_t c = std::size_t(FAttemptStartIndex); c < widths.size(); ++c)
        widths[c] = 240;
    return widths;
}

void TAttemptDiscListLineRenderer::renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                                  const QStringList& cells, const std::vector<int>& colWidths,
                                                  bool background)
{
    TFlatDiscListLineRenderer::renderBodyLine(x, y, rowHeight, width, canvas, cells, colWidths, background);
    canvas.setPenSolid();
    canvas.setPenWidth(FLineWidth);
    auto rule = [&](int col) {
        const int at = columnLeft(x, colWidths, col) - FColSpacing / 2;
        canvas.line(at, y, at, y - rowHeight);
    };
    if (colWidths.size() > 1)
        rule(1);
    for (int c = FAttemptStartIndex; std::size_t(c) < colWidths.size(); ++c)
        rule(c);
}

void TAttemptDiscListLineRenderer::renderHeaderLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                                    const QStringList& cells, const std::vector<int>& colWidths)
{
    TFlatDiscListLineRenderer::renderHeaderLine(x, y, rowHeight, width, canvas, cells, colWidths);
    canvas.setFontHeight(40);
    canvas.setBold(true);
    for (int c = FAttemptStartIndex; c < cells.size() && std::size_t(c) < colWidths.size(); ++c)
        singleCell(canvas, columnLeft(x, colWidths, c), y, colWidths[std::size_t(c)], cells.at(c));
    canvas.setBold(false);
}

QStringList TStepDiscListLineRenderer::closingWords(TResultformat format)
{
    switch (format) {
    case TResultformat::rf_Height:
        return {QStringLiteral("Maximale"), QStringLiteral("übersprungene"), QStringLiteral("Höhe")};
    case TResultformat::rf_TargetPoints:
        return {QStringLiteral("Anzahl"), QStringLiteral("ersprungener"), QStringLiteral("Weiten (Pkt)")};
    case TResultformat::rf_TargetPointCollection:
        return {QStringLiteral("Summe"), QStringLiteral("gültiger"), QStringLiteral("Versuche (Pkt)")};
    default: return {};
    }
}

std::vector<int> TStepDiscListLineRenderer::designedWidths(int count) const
{
    // No lane column; the ladder with the three words after it.
    std::vector<int> widths = TFlatDiscListLineRenderer::designedWidths(std::max(count, 5));
    widths[0] = 0;
    widths[4] = kStepWidth * int(FStepLabels.size()) + 200;
    return widths;
}

std::vector<int> TStepDiscListLineRenderer::roomShares(int count) const
{
    std::vector<int> shares = designedWidths(count);
    shares[4] = 0;
    return shares;
}

int TStepDiscListLineRenderer::stepsLeft(int x, const std::vector<int>& colWidths) const
{
    return columnLeft(x, colWidths, 4);
}

void TStepDiscListLineRenderer::renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                               const QStringList& cells, const std::vector<int>& colWidths,
                                               bool background)
{
    TFlatDiscListLineRenderer::renderBodyLine(x, y, rowHeight, width, canvas, cells, colWidths, background);
    canvas.setPenSolid();
    const int left = stepsLeft(x, colWidths) - FLineWidth / 2;
    const int steps = int(FStepLabels.size());
    for (int s = 0; s <= steps; ++s) {
        canvas.setPenWidth(s == steps ? 2 * FLineWidth : FLineWidth);
        const int at = left + s * kStepWidth;
        canvas.line(at, y, at, y - rowHeight);
    }
    canvas.setPenWidth(FLineWidth);
}

void TStepDiscListLineRenderer::renderHeaderLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                                 const QStringList& cells, const std::vector<int>& colWidths)
{
    TFlatDiscListLineRenderer::renderHeaderLine(x, y, rowHeight, width, canvas, cells, colWidths);
    canvas.setFontHeight(25);
    canvas.setBold(false);
    canvas.setPenSolid();
    canvas.setPenWidth(FLineWidth);
    const int left = stepsLeft(x, colWidths);
    const int textHeight = canvas.textHeight();
    const int bottom = y - rowHeight; // the texts stand on the header line's bottom
    const int steps = int(FStepLabels.size());
    for (int s = 0; s < steps; ++s) {
        const int col = left + s * kStepWidth;
        canvas.line(col, y, col, y - rowHeight);
        const QString& label = FStepLabels.at(s);
        auto centred = [&](const QString& text, int baseBottom) {
            canvas.textOut(col + (kStepWidth - canvas.textWidth(text)) / 2, baseBottom + textHeight, text);
        };
        switch (FResultFormat) {
        case TResultformat::rf_TargetPoints:
            canvas.setBold(true);
            centred(QString::number(s + 1), bottom);
            canvas.setBold(false);
            centred(QStringLiteral("Pkt"), bottom + textHeight + 4);
            centred(label, bottom + 2 * textHeight + 14);
            break;
        default: centred(label, bottom); break;
        }
    }
    const int end = left + steps * kStepWidth;
    canvas.setPenWidth(2 * FLineWidth);
    canvas.line(end, y, end, y - rowHeight);
    const QStringList words = closingWords(FResultFormat);
    const int wordsLeft = end + 2 * FLineWidth;
    for (int w = 0; w < words.size(); ++w)
        canvas.textOut(wordsLeft, bottom + textHeight + w * (textHeight + 5), words.at(w));
    canvas.setPenWidth(FLineWidth);
}

// ---- body ----

TDiscListItemColMapper::TDiscListItemColMapper(const TPrintRow& header)
{
    for (const QString& cell : header)
        addHeader(cell);
}

TDiscListPrintBody::TDiscListPrintBody(const TPrintTable& printTable, int rowHeight,
                                       std::shared_ptr<ILineRenderer> lineRenderer,
                                       std::shared_ptr<TDisciplinePrintContext> context)
    : TItemListPrintTable<TPrintRow>(rowHeight, std::move(lineRenderer), context.get(),
                                     std::make_shared<TDiscListItemColMapper>(printTable.getHeader())),
      context_(std::move(context))
{
    for (const TPrintRow& row : printTable.getRows())
        addItem(row);
}

} // namespace tvp
