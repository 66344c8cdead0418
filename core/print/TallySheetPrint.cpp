#include "core/print/TallySheetPrint.h"

#include <algorithm>

namespace tvp {

namespace {

void startDrawing(TPrintManager* manager, TPrintCanvas& canvas, int fontHeight)
{
    if (manager)
        canvas.setFont(manager->mainFont());
    canvas.setFontHeight(fontHeight);
    canvas.setBold(false);
    canvas.setItalic(false);
    canvas.setBrushClear();
    canvas.setPenColor(Qt::black);
    canvas.setPenSolid();
    canvas.setPenWidth(2);
}

// A value right of its label, between left and right, written as writeWrapped does; comma lists
// (names, bibs) read with a blank after each comma.
void writeValue(TPrintCanvas& canvas, int left, int top, const QString& value, int right, int room)
{
    QStringList entries;
    for (const QString& entry : splitCommaText(value))
        entries << entry.trimmed();
    writeWrapped(canvas, left, top, entries.join(QStringLiteral(", ")), right, room);
}

// The text in the canvas's type, or smaller where it would be wider than width.
void captionOut(TPrintCanvas& canvas, int left, int top, int width, const QString& text)
{
    const int before = canvas.textHeight();
    shrinkToWidth(canvas, text, width);
    canvas.textOut(left, top, text);
    canvas.setFontHeight(before);
}

// Room between the two participants of a lap-count sheet, and half of it at the page's edge.
constexpr int kPartGap = 40;

void verticalRule(TPrintCanvas& canvas, int x, int top, int height)
{
    canvas.line(x, top, x, top - height);
}

// Texts sit in the middle of their row.
int textTop(int rowTop, int rowHeight, const TPrintCanvas& canvas)
{
    return rowTop - std::max(0, (rowHeight - canvas.textHeight()) / 2);
}

} // namespace

// ---- tally sheets ----

TTallySheetPage::TTallySheetPage(int rowHeight, std::shared_ptr<const TPrintTable> printTable, int startIndex,
                                 int rowCount, int maxPoints, int attempt,
                                 std::shared_ptr<TDisciplinePrintContext> context)
    : FrowHeight(rowHeight),
      FPrintTable(std::move(printTable)),
      FStartIndex(startIndex),
      FRowCount(rowCount),
      FMaxPoints(maxPoints),
      FAttempt(attempt),
      FprintContext(std::move(context))
{
}

void TTallySheetPage::renderHeaderLines(int x, int y, int right, TPrintCanvas& canvas, const QString& attemptText,
                                        const QString& team, const QString& names, bool withNames)
{
    const int step = FrowHeight / 3 + 20;
    const QString nameLabel = FPrintTable->isTeamTable() ? QStringLiteral("Namen") : QStringLiteral("Name");
    const std::pair<QString, QString> lines[] = {
        {QStringLiteral("Versuch"), attemptText}, {QStringLiteral("Team"), team}, {nameLabel, names}};
    int top = y;
    for (int i = 0; i < (withNames ? 3 : 2); ++i) {
        const auto& [label, value] = lines[i];
        canvas.setBold(false);
        canvas.textOut(x, top, label);
        canvas.setBold(true);
        writeValue(canvas, x + 250, top, value, right, step);
        canvas.setBold(false);
        top -= step;
    }
}

void TTallySheetPage::renderZoneTable(int x, int top, TPrintCanvas& canvas, int zones)
{
    canvas.setFontHeight(FrowHeight * 3 / 5);
    canvas.setBold(false);
    canvas.setItalic(false);
    const int titleTop = textTop(top, FrowHeight, canvas);
    canvas.textOut(x, titleTop, QStringLiteral("Zone"));
    verticalRule(canvas, x + 250, top, FrowHeight);
    canvas.textOut(x + 280, titleTop, QStringLiteral("Strichliste"));
    verticalRule(canvas, x + 950, top, FrowHeight);
    canvas.line(x, top - FrowHeight, x + 1150, top - FrowHeight);
    for (int z = 1; z <= zones; ++z) {
        const int rowTop = top - z * FrowHeight;
        canvas.setItalic(true);
        const QString number = QString::number(z);
        canvas.textOut(x + 240 - canvas.textWidth(number), textTop(rowTop, FrowHeight, canvas), number);
        canvas.setItalic(false);
        for (int rule : {250, 950, 1150})
            verticalRule(canvas, x + rule, rowTop, FrowHeight);
        canvas.line(x, rowTop - FrowHeight, x + 1150, rowTop - FrowHeight);
    }
}

void TTallySheetPage::renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk)
{
    const int right = x + pageWidth - 250;
    x += 200;
    startDrawing(FContext, canvas, FrowHeight / 3);
    const TPrintRow* row = FPrintTable->getRow(FStartIndex);
    if (!row || row->size() < 4) {
        canvas.textOut(x, y, kPrintModelError);
        return;
    }
    // The header draws after the page and prints this page's "T" barcode.
    FprintContext->FAthleteOrTeamBarcodeID = row->FAthleteOrTeamBarcodeID;
    FprintContext->FAttempt = FAttempt;
    renderHeaderLines(x, y, right, canvas, FAttempt < 1 ? QStringLiteral("____") : QString::number(FAttempt),
                      row->at(2), row->at(3));
    renderZoneTable(x, y - headerSpace(FrowHeight), canvas, FMaxPoints);
}

TTallySheetPrintBody::TTallySheetPrintBody(const TPrintTable& printTable, int rowHeight,
                                           std::shared_ptr<TDisciplinePrintContext> context, int maxPoints)
    : FMaxPoints(qint16(std::clamp(maxPoints, 0, 1000))),
      FPrintContext(std::move(context)),
      FPrintTable(std::make_shared<const TPrintTable>(printTable)),
      FRowHeight(std::max(1, rowHeight))
{
}

void TTallySheetPrintBody::resetSplitting()
{
    FcurListIndex = 0;
    FAttempt = 1;
}

int TTallySheetPrintBody::fittedRowHeight(int availableHeight) const
{
    int rowHeight = FRowHeight;
    while (rowHeight > 1 && TTallySheetPage::pageHeight(rowHeight, FMaxPoints) > availableHeight)
        --rowHeight;
    return rowHeight;
}

std::shared_ptr<ITVChunk> TTallySheetPrintBody::getChunk(int availableHeight)
{
    if (FcurListIndex >= FPrintTable->getRowCount())
        return nullptr;
    const int attempts = FPrintTable->attempts();
    auto page = std::make_shared<TTallySheetPage>(fittedRowHeight(availableHeight), FPrintTable, FcurListIndex, 1,
                                                  FMaxPoints, attempts > 0 ? FAttempt : 0, FPrintContext);
    if (attempts <= 0 || FAttempt >= attempts) {
        ++FcurListIndex;
        FAttempt = 1;
    } else {
        ++FAttempt;
    }
    return page;
}

// ---- tally protocol ----

TTallyProtocolPage::TTallyProtocolPage(int rowHeight, std::shared_ptr<const TPrintTable> printTable, int attempt,
                                       std::shared_ptr<TDisciplinePrintContext> context, QString teamName,
                                       QString athleteNames, int overallPoints, int savedPoints)
    : TTallySheetPage(rowHeight, printTable, 0, printTable->getRowCount(), std::max(0, printTable->getRowCount() - 1),
                      attempt, std::move(context)),
      FTeamName(std::move(teamName)),
      FAthleteName(std::move(athleteNames)),
      FOverallPoints(overallPoints),
      FsavedPoints(savedPoints)
{
}

void TTallyProtocolPage::renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk)
{
    const int right = x + pageWidth - 250;
    x += 200;
    startDrawing(FContext, canvas, FrowHeight / 3);
    renderHeaderLines(x, y, right, canvas, FAttempt < 1 ? QStringLiteral("____") : QString::number(FAttempt), FTeamName,
                      FAthleteName, !FAthleteName.isEmpty());
    const int top = y - headerSpace(FrowHeight);
    renderZoneTable(x, top, canvas, 0);
    const int rows = FPrintTable->getRowCount();
    canvas.setFontHeight(FrowHeight * 3 / 5);
    for (int i = 0; i < rows; ++i) {
        const TPrintRow* row = FPrintTable->getRow(i);
        if (!row || row->isEmpty())
            continue;
        if (row->FAthleteOrTeamBarcodeID != 0)
            FprintContext->FAthleteOrTeamBarcodeID = row->FAthleteOrTeamBarcodeID;
        const int rowTop = top - (i + 1) * FrowHeight;
        const QString zone = QString::number(i + 1);
        canvas.setItalic(true);
        canvas.textOut(x + 240 - canvas.textWidth(zone), textTop(rowTop, FrowHeight, canvas), zone);
        canvas.setItalic(false);
        canvas.textOut(x + 940 - canvas.textWidth(row->at(0)), textTop(rowTop, FrowHeight, canvas), row->at(0));
        for (int rule : {250, 950, 1150})
            verticalRule(canvas, x + rule, rowTop, FrowHeight);
        canvas.line(x, rowTop - FrowHeight, x + 1150, rowTop - FrowHeight);
    }
    FprintContext->FAttempt = FAttempt;
    canvas.setFontHeight(FrowHeight / 3);
    const std::pair<QString, int> totals[] = {{QStringLiteral("Berechnete Gesamtpunkte:"), FOverallPoints},
                                              {QStringLiteral("Erfasste Punkte:"), FsavedPoints}};
    int rowTop = top - (rows + 1) * FrowHeight;
    bool bold = false;
    for (const auto& [label, points] : totals) {
        canvas.setBold(bold);
        const int texts = textTop(rowTop, FrowHeight, canvas);
        canvas.textOut(x + 950 - 20 - canvas.textWidth(label), texts, label);
        canvas.rectangle(x + 950, rowTop, x + 1150, rowTop - FrowHeight);
        const QString number = QString::number(points);
        canvas.textOut(x + 1150 - 20 - canvas.textWidth(number), texts, number);
        rowTop -= FrowHeight;
        bold = true;
    }
    canvas.setBold(false);
}

TTallyProtocolPrintBody::TTallyProtocolPrintBody(const TPrintTable& printTable, int rowHeight,
                                                 std::shared_ptr<TDisciplinePrintContext> context, int attempt,
                                                 QString teamName, QString athleteNames, int savedPoints,
                                                 int overallPoints)
    : TTallySheetPrintBody(printTable, rowHeight, std::move(context), printTable.getRowCount() - 1),
      Fattempt(attempt),
      FTeamName(std::move(teamName)),
      FAthleteNames(std::move(athleteNames)),
      FOverallPoints(overallPoints),
      FsavedPoints(savedPoints)
{
}

std::shared_ptr<ITVChunk> TTallyProtocolPrintBody::getChunk(int availableHeight)
{
    if (done_)
        return nullptr;
    done_ = true;
    // Two rows more than a sheet: the computed and the stored points.
    int rowHeight = FRowHeight;
    const int rows = FPrintTable->getRowCount();
    while (rowHeight > 1 && TTallySheetPage::headerSpace(rowHeight) + (rows + 3) * rowHeight > availableHeight)
        --rowHeight;
    return std::make_shared<TTallyProtocolPage>(rowHeight, FPrintTable, Fattempt, FPrintContext, FTeamName,
                                                FAthleteNames, FOverallPoints, FsavedPoints);
}

// ---- lap-count sheets ----

TLapCountPage::TLapCountPage(int rowHeight, std::shared_ptr<const TPrintTable> printTable, int startIndex, int rowCount,
                             std::shared_ptr<TDisciplinePrintContext> context, int lapRows, int pointsPerLap,
                             int partsPerSheet)
    : FrowHeight(rowHeight),
      FPrintTable(std::move(printTable)),
      FStartIndex(startIndex),
      FRowCount(rowCount),
      FprintContext(std::move(context)),
      FLapRows(lapRows),
      FPointsPerLap(pointsPerLap),
      FPartsPerSheet(std::max(1, partsPerSheet))
{
}

int TLapCountPage::lapRowsFor(int availableHeight, int rowHeight)
{
    const int rows = (availableHeight - headerSpace(rowHeight) - footerSpace(rowHeight)) / rowHeight - 1;
    return std::max(1, rows);
}

void TLapCountPage::renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk)
{
    const int second = x + pageWidth / 2;
    for (int i = 0; i < FRowCount; ++i) {
        const TPrintRow* row = FPrintTable->getRow(FStartIndex + i);
        if (!row)
            continue;
        const int left = i == 0 ? x : second;
        // The first of two ends a little before the second, the last before the printable area's edge.
        const int right = i == 0 && FPartsPerSheet > 1 ? second - kPartGap : x + pageWidth - kPartGap / 2;
        renderParticipant(*row, left, right, y, canvas);
    }
    // The sheet's "L" barcode names its first lane; a lane that is no number gives -1, which the
    // header leaves without barcode.
    const TPrintRow* first = FPrintTable->getRow(FStartIndex);
    bool number = false;
    const int lane = first && !first->isEmpty() ? first->at(0).toInt(&number) : 0;
    FprintContext->setTopItem((number ? lane : 0) - 1);
}

void TLapCountPage::renderParticipant(const TPrintRow& row, int x, int right, int y, TPrintCanvas& canvas)
{
    startDrawing(FContext, canvas, FrowHeight * 3 / 4);
    if (row.size() < 4) {
        canvas.textOut(x, y, kPrintModelError);
        return;
    }
    const QString nameLabel = FPrintTable->isTeamTable() ? QStringLiteral("Namen") : QStringLiteral("Name");
    const std::pair<QString, QString> lines[] = {{QStringLiteral("Bahn"), row.at(0)},
                                                 {QStringLiteral("Team"), row.at(2)},
                                                 {nameLabel, row.at(3)},
                                                 {QStringLiteral("Startnr."), row.at(1)}};
    int top = y;
    for (const auto& [label, value] : lines) {
        canvas.textOut(x, top, label);
        writeValue(canvas, x + 250, top, value, right, FrowHeight);
        top -= FrowHeight;
    }

    // The lap table.
    const int tableTop = y - headerSpace(FrowHeight);
    QStringList times;
    const TPrintRow& header = FPrintTable->getHeader();
    for (qsizetype c = 4; c < header.size(); ++c)
        times << QStringLiteral("Zeit ") + header.at(c);
    FTimeColWidth = 280;
    for (const QString& t : times)
        FTimeColWidth = std::max(FTimeColWidth, canvas.textWidth(t) + 20);
    // Where the times would run past the participant's part of the sheet, the whole table shrinks,
    // its columns and the captions of the times keeping their proportions.
    const int natural = 380 + int(times.size()) * FTimeColWidth;
    const double scale = std::min(1.0, double(right - x) / natural);
    const auto at = [&](int offset) { return x + int(offset * scale); };
    const int timesLeft = at(380);
    const int timeWidth = int(FTimeColWidth * scale);
    const int tableRight = timesLeft + int(times.size()) * timeWidth;
    auto timeRules = [&](int rowTop) {
        for (int c = 1; c <= times.size(); ++c)
            verticalRule(canvas, timesLeft + c * timeWidth, rowTop, FrowHeight);
    };

    // The captions and numbers shrink with their columns; a caption wider still shrinks further.
    canvas.setFontHeight(std::max(1, int(canvas.textHeight() * scale)));
    const int gap = int(15 * scale);
    int texts = textTop(tableTop, FrowHeight, canvas);
    captionOut(canvas, x, texts, at(190) - x - gap, QStringLiteral("Runde"));
    verticalRule(canvas, at(190), tableTop, FrowHeight);
    captionOut(canvas, at(200), texts, at(380) - at(200) - gap, QStringLiteral("Punkte"));
    verticalRule(canvas, at(380), tableTop, FrowHeight);
    for (int c = 0; c < times.size(); ++c)
        captionOut(canvas, timesLeft + c * timeWidth + int(10 * scale), texts, timeWidth - int(20 * scale),
                   times.at(c));
    timeRules(tableTop);
    canvas.line(x, tableTop - FrowHeight, tableRight, tableTop - FrowHeight);

    for (int n = 1; n <= FLapRows; ++n) {
        const int rowTop = tableTop - n * FrowHeight;
        texts = textTop(rowTop, FrowHeight, canvas);
        canvas.textOut(x, texts, QString::number(n));
        verticalRule(canvas, at(190), rowTop, FrowHeight);
        canvas.textOut(at(200), texts, QString::number(n * FPointsPerLap));
        verticalRule(canvas, at(380), rowTop, FrowHeight);
        timeRules(rowTop);
        canvas.line(x, rowTop - FrowHeight, tableRight, rowTop - FrowHeight);
    }

    canvas.setFontHeight(std::max(1, int(FrowHeight * 4 / 7 * scale)));
    int rowTop = tableTop - (FLapRows + 1) * FrowHeight;
    for (const QString& label : {QStringLiteral("Pkt. letzte Runde:"), QStringLiteral("Gesamtpunkte:")}) {
        captionOut(canvas, x + 10, rowTop - 20, timesLeft - x - 10 - gap, label);
        for (int c = 0; c < times.size(); ++c)
            canvas.rectangle(timesLeft + c * timeWidth, rowTop, timesLeft + (c + 1) * timeWidth, rowTop - FrowHeight);
        rowTop -= FrowHeight;
        canvas.setBold(true);
    }
    canvas.setBold(false);
}

TLapCountPrintBody::TLapCountPrintBody(const TPrintTable& printTable, int rowHeight,
                                       std::shared_ptr<TDisciplinePrintContext> context, int pointsPerLap,
                                       int participantsPerSheet)
    : FPointsPerLap(qint16(pointsPerLap)),
      FpartPerSheet(qint16(std::clamp(participantsPerSheet, 1, 2))),
      FPrintContext(std::move(context)),
      FPrintTable(std::make_shared<const TPrintTable>(printTable)),
      FRowHeight(std::max(1, rowHeight))
{
}

std::shared_ptr<ITVChunk> TLapCountPrintBody::getChunk(int availableHeight)
{
    const int remaining = FPrintTable->getRowCount() - FcurListIndex;
    if (remaining <= 0)
        return nullptr;
    auto page = std::make_shared<TLapCountPage>(
        FRowHeight, FPrintTable, FcurListIndex, std::min<int>(FpartPerSheet, remaining), FPrintContext,
        TLapCountPage::lapRowsFor(availableHeight, FRowHeight), FPointsPerLap, FpartPerSheet);
    FcurListIndex += FpartPerSheet;
    return page;
}

} // namespace tvp
