#pragma once
// The printed competition list of a discipline: the data of one printed heat, the page header with
// the discipline's barcode, the footer asking to hand the list in, the renderers of its rows and
// the splittable table body. The result capture windows build the same objects for their protocols.
// Lengths are in 0.1 mm, y grows upwards (core/print/PrintCanvas.h).

#include "core/print/PrintTable.h"
#include "core/print/PrintUtils.h"
#include "core/protocol/Errors.h"
#include "core/results/tvpTypes.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace tvp {

// The user answered a question of a print command with "Nein": the command ends without a message.
class EPrintCancelled : public TvpError {
public:
    using TvpError::TvpError;
};

enum class TBarcodeType { bt_none = 0, bt_DiscList = 1, bt_LapCount = 2, bt_TallySheet = 3 };

// One printed heat, shared by header, body and pages.
class TDisciplinePrintContext : public TPrintContextDataObject {
public:
    TDisciplinePrintContext() = default;
    TDisciplinePrintContext(const QString& Squad, int heatNo, proto::ResultValueType resultType, const QString& docType,
                            const QString& DisciplineName, int DisciplineID, int DisciplineBarcodeID, int ListVersion,
                            const QString& Place, double StartTime);

    void setTopItem(int n) { FTopItem = n; }
    // "Lauf" for times, else "Gruppe".
    QString getHeatString() const;

    QString FSquad;
    int FheatNo = 0;
    proto::ResultValueType FresultType = proto::ResultValueType::Distance;
    QString FdocType;
    QString FDisciplineName;
    int FDisciplineID = 0; // 0: no barcode
    int FDisciplineBarcodeID = 0;
    int FAttempt = 0;
    int FListVersion = 0;
    int FTopItem = 0;
    int FAthleteOrTeamBarcodeID = 0;
    QString FPlace;
    double FStartTime = 0; // time of day as a fraction of a day; 0 = none
};

// The payload of a header's barcode; empty for bt_none, and empty when a field would be negative
// (heat 0, a lap-count sheet without a lane number): a variable-length field has no sign, and a
// wrapped number would name another heat or lane when scanned.
QString discBarcodePayload(TBarcodeType barcodeType, int disciplineBarcodeId, int heatNo, int listVersion, int topItem,
                           int athleteOrTeamBarcodeId, int attempt);

// Draws the barcode with its top-left corner at (x, y), bars and text together `height` high.
// Returns its width, 0 when there is nothing to draw.
int PrintDiscBarcode(TPrintCanvas& canvas, int x, int y, int height, TBarcodeType barcodeType, int disciplineBarcodeId,
                     int heatNo, int listVersion, int topItem, int athleteOrTeamBarcodeId, int attempt);

// The entries of a text in the string list's comma notation (TPrintTable::commaText).
QStringList splitCommaText(const QString& text);

// Entries joined by ", " into lines at most width wide, at most maxLines of them; the last ends
// with ",..." when entries are left over.
QStringList packCommaLines(TPrintCanvas& canvas, const QStringList& entries, int width, int maxLines);

// The text from (left, top) on, ending before right: on one line when it fits, else in the largest
// type, down from the canvas's, in which it fits into the height room on as many lines as fit
// there, wrapped at blanks, hyphens and commas; where even the smallest type does not hold it, the
// last line ends in "...".
void writeWrapped(TPrintCanvas& canvas, int left, int top, const QString& text, int right, int room);

// The context of the chunk a header or footer is drawn with; null when it carries none.
TDisciplinePrintContext* disciplineContextOf(ITVChunk* chunk);

// "Riege ... - Lauf 3 Sprint - Wettkampfliste (Version: 7, Druck: 14:05, Seite 1/2)", with the
// barcode above the text line and the time/place block on the right of a heat's first page.
class TDisciplineListHeader : public TGenericTextHeader {
public:
    TDisciplineListHeader(TBarcodeType barcodeType, bool printTimePlaceBlock, TResultformat resultFormat)
        : FbarcodeType(barcodeType), FResultFormat(resultFormat), FPrintTimePlaceBlock(printTimePlaceBlock)
    {
    }
    int getHeight() override;
    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override;

    // The title text after the squads, heat word and names: " (Version: n, Druck: hh:mm, Seite x/y)".
    static QString stampText(const TDisciplinePrintContext& context, TPrintManager* manager);
    static QString legendText(TResultformat format);

private:
    TBarcodeType FbarcodeType;
    TResultformat FResultFormat;
    bool FPrintTimePlaceBlock;
};

inline const QString kHandInText =
    QStringLiteral("Fertig ausgefüllte Liste bitte nach Ende der Disziplin direkt ins Wettkampfbüro bringen.");

class TDisciplineListFooter : public TTVPFooter {
public:
    int getHeight() override { return 175 + 55; }
    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override;
};

// ---- rows ----

// Lane, bibs, name and team; the bibs of a team, and its member names, as compressed lists. The
// columns are at least as wide as designed and as their texts where the page has room, the table
// taking the page's width; where it has none, names and teams give way and go on in further lines
// of their row, breaking between words where they can, in smaller type where two lines do not hold
// them. The columns the officials write in keep their designed width.
class TFlatDiscListLineRenderer : public TAlternatingLineRenderer {
public:
    explicit TFlatDiscListLineRenderer(bool teamRender) : FTeamRender(teamRender) { FColSpacing = 19; }

    void renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                        const std::vector<int>& colWidths, bool background) override;
    void renderHeaderLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                          const std::vector<int>& colWidths) override;
    std::vector<int> getPreferredColWidths(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                                           bool isHeader) override;
    std::vector<int> getMinimumColWidths(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                                         bool isHeader) override;
    // Fitted as any table; the room left on the page goes to the columns in the proportions of
    // their shares.
    std::vector<int> fitColumns(int rowHeight, TPrintCanvas& canvas, const QStringList& header,
                                const std::vector<QStringList>& rows, int available) override;

    // The text cut from its end ("...") until it fits; empty when nothing of it would be left.
    static QString fitCell(TPrintCanvas& canvas, const QString& text, int width);
    // The lines of a comma list in a column, at the canvas's current font; the last ends with ",..."
    // when entries are left over.
    static QStringList compressedLines(TPrintCanvas& canvas, const QStringList& entries, int width, int rowHeight);

protected:
    // The widths the list was designed with, for a row of count cells; 0 leaves a column out.
    virtual std::vector<int> designedWidths(int count) const;
    // The columns' shares of the room left on the page.
    virtual std::vector<int> roomShares(int count) const { return designedWidths(count); }

    int columnLeft(int x, const std::vector<int>& colWidths, int col) const;
    // Whether a body cell of one of the first four columns prints as a compressed list.
    bool isList(int col, const QString& text) const;
    // The width one of the first four cells needs whole, or, with pieces, its widest piece that
    // stays on one line; with the column's spacing.
    int cellWidth(TPrintCanvas& canvas, int col, const QString& text, bool isHeader, bool pieces) const;
    void singleCell(TPrintCanvas& canvas, int left, int y, int width, const QString& text) const;
    // A text too wide for its column goes on in further lines of its row (writeWrapped).
    void wrappedCell(TPrintCanvas& canvas, int left, int y, int width, int rowHeight, const QString& text) const;
    void compressedCell(TPrintCanvas& canvas, int left, int y, int width, int rowHeight, const QString& text) const;

    int FLineWidth = 3;
    bool FTeamRender;
};

// Adds a ruled column per attempt.
class TAttemptDiscListLineRenderer : public TFlatDiscListLineRenderer {
public:
    using TFlatDiscListLineRenderer::TFlatDiscListLineRenderer;

    void renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                        const std::vector<int>& colWidths, bool background) override;
    void renderHeaderLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                          const std::vector<int>& colWidths) override;

protected:
    std::vector<int> designedWidths(int count) const override;

private:
    int FAttemptStartIndex = 4;
};

// Adds a grid of heights or target distances, one 72-wide column per step.
class TStepDiscListLineRenderer : public TFlatDiscListLineRenderer {
public:
    TStepDiscListLineRenderer(QStringList stepLabels, TResultformat resultFormat, bool teamRender)
        : TFlatDiscListLineRenderer(teamRender), FStepLabels(std::move(stepLabels)), FResultFormat(resultFormat)
    {
    }

    void renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                        const std::vector<int>& colWidths, bool background) override;
    void renderHeaderLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                          const std::vector<int>& colWidths) override;

    static constexpr int kStepWidth = 72;
    // The three words right of the last step.
    static QStringList closingWords(TResultformat format);

protected:
    std::vector<int> designedWidths(int count) const override;
    // The ladder keeps its width: the room left goes to bibs, names and teams.
    std::vector<int> roomShares(int count) const override;

private:
    int stepsLeft(int x, const std::vector<int>& colWidths) const;

    QStringList FStepLabels;
    TResultformat FResultFormat;
};

// Headers are the table's header cells; cell c of a row is its c-th cell, empty beyond the row.
class TDiscListItemColMapper : public TObjectColMapper<TPrintRow> {
public:
    explicit TDiscListItemColMapper(const TPrintRow& header);
    QString getCellText(int col, const TPrintRow& row) const override { return row.value(col); }
};

// The table body of a competition list: the table's rows in order, spread evenly over the pages.
// Keeps the heat's context alive for the pages it hands out.
class TDiscListPrintBody : public TItemListPrintTable<TPrintRow> {
public:
    TDiscListPrintBody(const TPrintTable& printTable, int rowHeight, std::shared_ptr<ILineRenderer> lineRenderer,
                       std::shared_ptr<TDisciplinePrintContext> context);

    TDisciplinePrintContext& context() { return *context_; }

private:
    std::shared_ptr<TDisciplinePrintContext> context_;
};

// The result capture's protocols print their grids through the same body.
using TDisciplineListTableContent = TDiscListPrintBody;

} // namespace tvp
