#pragma once
// Sheets for the officials at a station: zone tally sheets (one page per participant and attempt,
// a row per scoring zone for the tally marks, scanned back by their "T" barcode), the tally
// protocol the tally capture prints after storing a result, and lap-count sheets (one or two
// participants per page, a row per lap). Headers, contexts and footers are the competition list's.

#include "core/print/DisciplineListPrint.h"

#include <memory>

namespace tvp {

enum class TPrintDialogResult { pr_cancel = 0, pr_save = 1, pr_saveAndPrint = 2, pr_printBlanco = 3 };

inline const QString kPrintModelError = QStringLiteral("Interner Fehler im Druckdatenmodell");

class TTallySheetPage : public TDummyPrintObject, public ITVChunk {
public:
    TTallySheetPage(int rowHeight, std::shared_ptr<const TPrintTable> printTable, int startIndex, int rowCount,
                    int maxPoints, int attempt, std::shared_ptr<TDisciplinePrintContext> context);

    // Header lines, the zone rows (one more for the titles) and room below them.
    static int headerSpace(int rowHeight) { return (rowHeight / 3 + 20) * 4; }
    static int pageHeight(int rowHeight, int zones) { return headerSpace(rowHeight) + (zones + 3) * rowHeight; }

    int getHeight() override { return pageHeight(FrowHeight, FMaxPoints); }
    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override;
    TPrintContextDataObject* getContextData() override { return FprintContext.get(); }

    int rowHeight() const { return FrowHeight; }
    int startIndex() const { return FStartIndex; }
    int attempt() const { return FAttempt; }

protected:
    // "Versuch", "Team" and, with withNames, "Name" or "Namen" with their values, which end before right.
    void renderHeaderLines(int x, int y, int right, TPrintCanvas& canvas, const QString& attemptText,
                           const QString& team, const QString& names, bool withNames = true);
    // The title row and the zone rows with their rules; the tally column stays empty.
    void renderZoneTable(int x, int top, TPrintCanvas& canvas, int zones);

    int FrowHeight;
    std::shared_ptr<const TPrintTable> FPrintTable;
    int FStartIndex;
    int FRowCount;
    int FMaxPoints;
    int FAttempt;
    std::shared_ptr<TDisciplinePrintContext> FprintContext;
};

// One page per participant and attempt, attempt by attempt for each participant in turn.
class TTallySheetPrintBody : public TDummyPrintObject {
public:
    TTallySheetPrintBody(const TPrintTable& printTable, int rowHeight, std::shared_ptr<TDisciplinePrintContext> context,
                         int maxPoints);

    void resetSplitting() override;
    std::shared_ptr<ITVChunk> getChunk(int availableHeight) override;

    // The row height the pages are drawn with: the given one, or less where the page would
    // otherwise reach into the footer.
    int fittedRowHeight(int availableHeight) const;

protected:
    qint16 FMaxPoints;
    std::shared_ptr<TDisciplinePrintContext> FPrintContext;
    std::shared_ptr<const TPrintTable> FPrintTable;
    int FRowHeight;
    int FcurListIndex = 0;
    int FAttempt = 1;
};

// The tally protocol of one stored result: one row per zone with the counted marks, the
// computed total and the points stored.
class TTallyProtocolPage : public TTallySheetPage {
public:
    TTallyProtocolPage(int rowHeight, std::shared_ptr<const TPrintTable> printTable, int attempt,
                       std::shared_ptr<TDisciplinePrintContext> context, QString teamName, QString athleteNames,
                       int overallPoints, int savedPoints);
    int getHeight() override { return headerSpace(FrowHeight) + (FPrintTable->getRowCount() + 3) * FrowHeight; }
    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override;

private:
    QString FTeamName;
    QString FAthleteName;
    int FOverallPoints;
    int FsavedPoints;
};

class TTallyProtocolPrintBody : public TTallySheetPrintBody {
public:
    // The table holds one row per zone; cell 0 is what the count column shows.
    TTallyProtocolPrintBody(const TPrintTable& printTable, int rowHeight,
                            std::shared_ptr<TDisciplinePrintContext> context, int attempt, QString teamName,
                            QString athleteNames, int savedPoints, int overallPoints);
    void resetSplitting() override { done_ = false; }
    std::shared_ptr<ITVChunk> getChunk(int availableHeight) override;

private:
    int Fattempt;
    QString FTeamName;
    QString FAthleteNames;
    int FOverallPoints;
    int FsavedPoints;
    bool done_ = false;
};

class TLapCountPage : public TDummyPrintObject, public ITVChunk {
public:
    TLapCountPage(int rowHeight, std::shared_ptr<const TPrintTable> printTable, int startIndex, int rowCount,
                  std::shared_ptr<TDisciplinePrintContext> context, int lapRows, int pointsPerLap, int partsPerSheet);

    static int headerSpace(int rowHeight) { return 5 * rowHeight; }
    static int footerSpace(int rowHeight) { return 2 * rowHeight; }
    static int lapRowsFor(int availableHeight, int rowHeight);

    int getHeight() override { return headerSpace(FrowHeight) + (FLapRows + 1) * FrowHeight + footerSpace(FrowHeight); }
    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override;
    TPrintContextDataObject* getContextData() override { return FprintContext.get(); }

    int startIndex() const { return FStartIndex; }
    int rowCount() const { return FRowCount; }
    int lapRows() const { return FLapRows; }

private:
    // right: where the participant's part of the sheet ends.
    void renderParticipant(const TPrintRow& row, int x, int right, int y, TPrintCanvas& canvas);

    int FrowHeight;
    std::shared_ptr<const TPrintTable> FPrintTable;
    int FStartIndex;
    int FRowCount;
    std::shared_ptr<TDisciplinePrintContext> FprintContext;
    int FLapRows;
    int FPointsPerLap;
    int FTimeColWidth = 280;
    int FPartsPerSheet;
};

class TLapCountPrintBody : public TDummyPrintObject {
public:
    TLapCountPrintBody(const TPrintTable& printTable, int rowHeight, std::shared_ptr<TDisciplinePrintContext> context,
                       int pointsPerLap, int participantsPerSheet);

    void resetSplitting() override { FcurListIndex = 0; }
    std::shared_ptr<ITVChunk> getChunk(int availableHeight) override;

private:
    qint16 FPointsPerLap;
    qint16 FpartPerSheet;
    std::shared_ptr<TDisciplinePrintContext> FPrintContext;
    std::shared_ptr<const TPrintTable> FPrintTable;
    int FRowHeight;
    int FcurListIndex = 0;
};

} // namespace tvp
