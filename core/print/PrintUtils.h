#pragma once
// Building blocks of the list printouts: a table body that spreads its rows evenly over the
// pages, the page of rows it hands out, column mappers that turn an item into cell texts, line
// renderers that draw a row, the text headers and the filter caption of the overviews.
//
// A list printout derives a mapper for its item type and fills a table:
//
//   class TClubColMapper : public TObjectColMapper<proto::ClubType> {
//       QString getCellText(int col, const proto::ClubType& club) const override;
//   };
//   auto body = std::make_shared<TItemListPrintTable<proto::ClubType>>(
//       65, std::make_shared<TSimpleLineRenderer>(), nullptr, std::make_shared<TClubColMapper>());
//   for (...) body->addItem(club);

#include "core/print/PrintObject.h"

#include <QStringList>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace tvp {

// ---- Column mappers ----

template <class Item>
class IObjectColMapper {
public:
    virtual ~IObjectColMapper() = default;
    virtual QString getCellText(int col, const Item& item) const = 0;
    virtual QString getHeader(int col) const = 0;
    virtual QStringList getHeader() const = 0;
    virtual QStringList getRow(const Item& item) const = 0;
    virtual int getCount() const = 0;
};

template <class Item>
class TObjectColMapper : public IObjectColMapper<Item> {
public:
    void addHeader(const QString& text) { FHeaders << text; }
    QString getHeader(int col) const override
    {
        return col >= 0 && col < FHeaders.size() ? FHeaders.at(col) : QString();
    }
    QStringList getHeader() const override { return FHeaders; }
    QStringList getRow(const Item& item) const override
    {
        QStringList row;
        for (int c = 0; c < getCount(); ++c)
            row << this->getCellText(c, item);
        return row;
    }
    int getCount() const override { return int(FHeaders.size()); }

protected:
    QStringList FHeaders;
};

// ---- Line renderers ----

class ILineRenderer {
public:
    virtual ~ILineRenderer() = default;
    // (x, y) is the row's top-left corner.
    virtual void renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                                const std::vector<int>& colWidths, bool background) = 0;
    virtual void renderHeaderLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                  const QStringList& cells, const std::vector<int>& colWidths) = 0;
    virtual std::vector<int> getPreferredColWidths(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                                                   bool isHeader) = 0;
    // The widths below which the columns do not give way, for the header or a body row; none
    // unless a renderer keeps texts whole.
    virtual std::vector<int> getMinimumColWidths(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                                                 bool isHeader)
    {
        return {};
    }
    // The lines of rowHeight a body row takes in its columns: more than one where a renderer wraps.
    virtual int rowLines(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                         const std::vector<int>& colWidths)
    {
        return 1;
    }
    // The lines of rowHeight the header line takes: more than one where a renderer wraps.
    virtual int headerLines(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                            const std::vector<int>& colWidths)
    {
        return 1;
    }
    // The widths of a table's columns within available, from its header and rows: each column as
    // wide as its widest text; where they need more, the widest give way, down to the minimums
    // (the words where the page has room for all of them, else the headers).
    virtual std::vector<int> fitColumns(int rowHeight, TPrintCanvas& canvas, const QStringList& header,
                                        const std::vector<QStringList>& rows, int available);
};

// Shades the rows that ask for a background; the drawing of cells is left to descendants.
class TAlternatingLineRenderer : public ILineRenderer {
public:
    static inline const QColor kBackground = QColor(0xBD, 0xBD, 0xBD);

    void renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                        const std::vector<int>& colWidths, bool background) override;

protected:
    int FColSpacing = 70;
};

// Cells left-aligned in their columns at three quarters of the row height, headers in bold.
class TSimpleLineRenderer : public TAlternatingLineRenderer {
public:
    void renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                        const std::vector<int>& colWidths, bool background) override;
    void renderHeaderLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                          const std::vector<int>& colWidths) override;
    std::vector<int> getPreferredColWidths(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                                           bool isHeader) override;
};

// Like the simple renderer, but a cell wider than its column wraps within it, the row growing by
// whole lines (fitWrappingColumns): two long names that begin alike never print alike. Headers
// wrap alike.
class TWrappingLineRenderer : public TSimpleLineRenderer {
public:
    std::vector<int> fitColumns(int rowHeight, TPrintCanvas& canvas, const QStringList& header,
                                const std::vector<QStringList>& rows, int available) override;
    void renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas, const QStringList& cells,
                        const std::vector<int>& colWidths, bool background) override;
    int rowLines(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                 const std::vector<int>& colWidths) override;
    int headerLines(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                    const std::vector<int>& colWidths) override;

private:
    std::vector<QStringList> cellLines(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                                       const std::vector<int>& colWidths) const;
};

// ---- Table bodies ----

// Splits a list of items into pages, spreading the rows evenly: 25 rows at 20 per page print as
// 13 and 12. One row of every page is the column header line.
class TGenericListTableContent : public TDummyPrintObject {
public:
    // A row height below 1 is taken as 1.
    explicit TGenericListTableContent(int rowHeight, TPrintContextDataObject* printContext = nullptr)
        : FRowHeight(std::max(1, rowHeight)), FprintContext(printContext)
    {
    }

    void resetSplitting() override { curListIndex = 0; }
    std::shared_ptr<ITVChunk> getChunk(int availableHeight) override;

    virtual int getItemCount() const = 0;
    virtual std::shared_ptr<ITVChunk> getPartList(int rowHeight, int startIndex, int count) = 0;
    // The lines of rowHeight an item's row takes; rows of several lines fill the pages in turn
    // instead of spreading evenly.
    virtual int itemLines(int index) const { return 1; }

    int rowHeight() const { return FRowHeight; }
    // Body rows that fit below the header line; at least one, so a page too small for two rows
    // still makes progress.
    static int rowsPerPage(int availableHeight, int rowHeight);
    // How many of count rows from index on fit below the header's lines with their lines; at least one.
    int rowsThatFit(int index, int count, int availableHeight) const;

protected:
    int curListIndex = 0;
    int FRowHeight;
    int FHeaderLines = 1;                   // more where the header's captions wrap
    TPrintContextDataObject* FprintContext; // not owned
};

// Each column as wide as the wider of widths and more (columns beyond widths are added).
void widenColumns(std::vector<int>& widths, const std::vector<int>& more);
// Widths that together take at most available: the widest columns give way to one common width,
// the others keep theirs. Unchanged when they fit. A column keeps at least its minimum where the
// minimums together fit.
std::vector<int> fitColumnsToWidth(std::vector<int> widths, int available, const std::vector<int>& minimums = {});

// How a word wider than its line breaks: where the line ends (at a compound's joint near it, else
// before a syllable), or at the nearest joint first, so that a compound's parts stay whole.
enum class TWordBreak { nearLineEnd, atJoints };

// A column of a table whose cells go on in further lines of the column.
struct TWrapColumn {
    int wanted = 0;    // at least this wide when whole (the widest cell is measured), spacing included
    int header = 0;    // its header's width, spacing included
    QString caption;   // its header's text, in bold: it goes on in a second line where a word needs the room
    QStringList cells; // the body texts
    TWordBreak breaks = TWordBreak::nearLineEnd; // atJoints: its longest part, not word, is kept whole
};

// Widths within available for columns whose cells wrap as wrapToWidth breaks them, at the canvas's
// font, spacing wider than their texts. Whole texts where they fit; else:
// - no column narrower than its header where that breaks no word; else a header wider than its
//   cells goes on in a second line, broken between words, at a compound's joint or before a
//   syllable, the widest first (where even that does not fit, the widest columns give way);
// - no word broken where the page has room for it; where it has not, each column's fair share is
//   where the widest needs give way to one common width: a column whose longest word fits its share
//   keeps its words, whatever its cells' count, and only words wider than their column's share
//   break (the first column, which names the row, keeps its words first where the others still get
//   their least); such a column takes what its lines need, the room left going a line at a time to
//   those with the most lines, then to the captions;
// - above that the first columns, which name the row, take the fewest lines the room leaves them,
//   the columns after them keeping their floors (and at most maxLines lines, where positive and the
//   room allows).
std::vector<int> fitWrappingColumns(TPrintCanvas& canvas, const std::vector<TWrapColumn>& columns, int spacing,
                                    int available, int maxLines = 0);
// Widths within available at which the whole list takes the fewest lines: the sum over its rows
// (the columns' cells in row order) of each row's tallest cell, a row taking at least leastLines.
// Each column keeps its longest word (or part) whole and its caption in at most two lines; the
// room left goes to the captions whole, then to the first columns. Where even that needs more, as
// fitWrappingColumns.
std::vector<int> fitColumnsToFewestLines(TPrintCanvas& canvas, const std::vector<TWrapColumn>& columns, int spacing,
                                         int available, int maxLines = 0, int leastLines = 1);
// The narrowest fitWrappingColumns makes a column while the page has room: its longest word (or
// part) whole and its caption in at most two lines.
int wrapColumnFloor(TPrintCanvas& canvas, const TWrapColumn& column, int spacing);

// One page of rows: the column header line, then the rows with every other one shaded.
template <class Item>
class TItemsTablePage : public TDummyPrintObject, public ITVChunk {
public:
    // tableWidths, when given, keeps the column widths of the whole table for the pages that follow.
    // rowLines, when given, holds the lines each item's row takes (one where it holds none).
    TItemsTablePage(int rowHeight, std::shared_ptr<const std::vector<Item>> items, int startIndex, int rowCount,
                    std::shared_ptr<const IObjectColMapper<Item>> colMapper,
                    std::shared_ptr<ILineRenderer> lineRenderer, TPrintContextDataObject* printContext,
                    std::shared_ptr<std::vector<int>> tableWidths = nullptr,
                    std::shared_ptr<const std::vector<int>> rowLines = nullptr, int headerLines = 1)
        : FrowHeight(rowHeight),
          FItems(std::move(items)),
          FStartIndex(startIndex),
          FrowCount(rowCount),
          FprintContext(printContext),
          FObjectColMapper(std::move(colMapper)),
          FLineRenderer(std::move(lineRenderer)),
          FTableWidths(tableWidths ? std::move(tableWidths) : std::make_shared<std::vector<int>>()),
          FRowLines(std::move(rowLines)),
          FHeaderLines(headerLines)
    {
    }

    // The columns of the whole table; where they need more than available, the widest give way,
    // down to the renderer's minimums.
    static std::vector<int> measureColumns(ILineRenderer& renderer, const IObjectColMapper<Item>& mapper,
                                           const std::vector<Item>& items, int rowHeight, TPrintCanvas& canvas,
                                           int available)
    {
        std::vector<QStringList> rows;
        rows.reserve(items.size());
        for (const Item& item : items)
            rows.push_back(mapper.getRow(item));
        return renderer.fitColumns(rowHeight, canvas, mapper.getHeader(), rows, available);
    }

    int getHeight() override
    {
        int lines = FHeaderLines;
        for (int i = FStartIndex; i < FStartIndex + FrowCount; ++i)
            lines += linesOf(i);
        return lines * FrowHeight;
    }
    TPrintContextDataObject* getContextData() override { return FprintContext; }
    int startIndex() const { return FStartIndex; }
    int rowCount() const { return FrowCount; }

    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override
    {
        curLine = y;
        if (FContext)
            canvas.setFont(FContext->mainFont());
        const int end = std::min(FStartIndex + FrowCount, int(FItems->size()));
        const QStringList header = FObjectColMapper->getHeader();
        // The columns of the whole table, the same on every page; where they need more than the
        // page's width, the widest give way.
        if (FTableWidths->empty())
            *FTableWidths = measureColumns(*FLineRenderer, *FObjectColMapper, *FItems, FrowHeight, canvas, pageWidth);
        FColWidths = *FTableWidths;
        FRowWidth = 0;
        for (int w : FColWidths)
            FRowWidth += w;
        FLineRenderer->renderHeaderLine(x, curLine, FrowHeight, FRowWidth, canvas, header, FColWidths);
        curLine -= FLineRenderer->headerLines(FrowHeight, canvas, header, FColWidths) * FrowHeight;
        FBackgroundRow = true;
        for (int i = FStartIndex; i < end; ++i) {
            const QStringList row = FObjectColMapper->getRow((*FItems)[std::size_t(i)]);
            FLineRenderer->renderBodyLine(x, curLine, FrowHeight, FRowWidth, canvas, row, FColWidths, FBackgroundRow);
            curLine -= linesOf(i) * FrowHeight;
            FBackgroundRow = !FBackgroundRow;
        }
    }

protected:
    int FrowHeight;
    std::shared_ptr<const std::vector<Item>> FItems;
    int FStartIndex;
    int FrowCount;
    bool FBackgroundRow = true;
    int curLine = 0;
    std::vector<int> FColWidths;
    int FRowWidth = 0;
    TPrintContextDataObject* FprintContext;
    std::shared_ptr<const IObjectColMapper<Item>> FObjectColMapper;
    std::shared_ptr<ILineRenderer> FLineRenderer;
    std::shared_ptr<std::vector<int>> FTableWidths;
    std::shared_ptr<const std::vector<int>> FRowLines;
    int FHeaderLines;

private:
    int linesOf(int index) const
    {
        return FRowLines && index >= 0 && std::size_t(index) < FRowLines->size() ? (*FRowLines)[std::size_t(index)] : 1;
    }
};

// A table body over its own copies of the items, in the order added (or sorted).
template <class Item>
class TItemListPrintTable : public TGenericListTableContent {
public:
    TItemListPrintTable(int rowHeight, std::shared_ptr<ILineRenderer> lineRenderer,
                        TPrintContextDataObject* printContext, std::shared_ptr<const IObjectColMapper<Item>> colMapper)
        : TGenericListTableContent(rowHeight, printContext),
          FItems(std::make_shared<std::vector<Item>>()),
          FObjColMapper(std::move(colMapper)),
          FLineRenderer(std::move(lineRenderer))
    {
    }

    void addItem(Item item)
    {
        FItems->push_back(std::move(item));
        FTableWidths->clear();
    }

    // With its manager, the table is measured before it is split: rows that wrap take more room.
    std::shared_ptr<ITVChunk> getChunk(int availableHeight) override
    {
        measure();
        return TGenericListTableContent::getChunk(availableHeight);
    }
    int itemLines(int index) const override
    {
        return index >= 0 && std::size_t(index) < FRowLines->size() ? (*FRowLines)[std::size_t(index)] : 1;
    }
    // Null outside the range.
    const Item* getItem(int i) const { return i >= 0 && i < getItemCount() ? &(*FItems)[std::size_t(i)] : nullptr; }
    // A stable sort with a less-than compare.
    void sort(const std::function<bool(const Item&, const Item&)>& less)
    {
        std::stable_sort(FItems->begin(), FItems->end(), less);
        FTableWidths->clear();
    }

    int getItemCount() const override { return int(FItems->size()); }
    std::shared_ptr<ITVChunk> getPartList(int rowHeight, int startIndex, int count) override
    {
        return std::make_shared<TItemsTablePage<Item>>(rowHeight, FItems, startIndex, count, FObjColMapper,
                                                       FLineRenderer, FprintContext, FTableWidths, FRowLines,
                                                       FHeaderLines);
    }

protected:
    void measure()
    {
        if (!FContext || !FTableWidths->empty())
            return;
        TPrintCanvas& canvas = FContext->measuringCanvas();
        canvas.setFont(FContext->mainFont());
        *FTableWidths = TItemsTablePage<Item>::measureColumns(*FLineRenderer, *FObjColMapper, *FItems, FRowHeight,
                                                              canvas, FContext->PageWidth());
        // A fresh vector: pages handed out earlier keep the lines they were split with.
        auto lines = std::make_shared<std::vector<int>>();
        for (const Item& item : *FItems)
            lines->push_back(
                std::max(1, FLineRenderer->rowLines(FRowHeight, canvas, FObjColMapper->getRow(item), *FTableWidths)));
        FRowLines = std::move(lines);
        FHeaderLines =
            std::max(1, FLineRenderer->headerLines(FRowHeight, canvas, FObjColMapper->getHeader(), *FTableWidths));
    }

    // Shared with the pages handed out, which may outlive a splitting pass.
    std::shared_ptr<std::vector<Item>> FItems;
    std::shared_ptr<const IObjectColMapper<Item>> FObjColMapper;
    std::shared_ptr<ILineRenderer> FLineRenderer;
    // Measured once for all pages, before splitting or on the first page drawn.
    std::shared_ptr<std::vector<int>> FTableWidths = std::make_shared<std::vector<int>>();
    std::shared_ptr<const std::vector<int>> FRowLines = std::make_shared<std::vector<int>>();
};

// ---- Headers ----

// A piece of a header line in its type; tail is never cut ("Riege 1" with the tail " - ").
struct THeaderPart {
    QString text;
    int fontHeight = 40;
    bool bold = false;
    bool mayCut = false;
    QString tail;
};

// Writes texts one after the other on a common bottom line.
class TGenericTextHeader : public TDummyPrintObject {
public:
    // Writes the text with its top at curLine + font height and its left at curIndent, moves
    // curIndent on by its width and returns the width.
    int textOutWidth(const QString& text, TPrintCanvas& canvas);
    // Writes the parts from curIndent on so that they end before right: where they would run past
    // it they shrink together, to two thirds at most, and then the parts that may be cut end in
    // "...", the first first. With more lines allowed, the parts that may be cut go on in further
    // lines (curLine moving down with them) before they shrink much, and lose their middle only
    // where even that does not hold them.
    void textOutFitted(std::vector<THeaderPart> parts, int right, TPrintCanvas& canvas, int lines = 1);

protected:
    int curIndent = 0;
    int curLine = 0; // the bottom line of the texts
};

// "Caption - Additional caption (Druck: hh:mm, Seite n/m)".
class TGenericCaptionStringHeader : public TGenericTextHeader {
public:
    TGenericCaptionStringHeader(const QString& caption, const QString& additionalCaption, int headerSpacing,
                                int maxFontHeight)
        : FHeaderSpacing(headerSpacing),
          FMaxFontHeight(maxFontHeight),
          FCaption(caption),
          FAdditionalCaption(additionalCaption)
    {
    }
    int getHeight() override;
    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override;

protected:
    int FHeaderSpacing;
    int FMaxFontHeight;
    QString FCaption;
    QString FAdditionalCaption;
};

// The " (Druck: hh:mm, Seite n/m)" tail of the headers; the page part only when the manager
// numbers pages.
QString printTimeAndPage(TPrintManager* manager);

// The active filters of an overview, for its header.
class TFilterPrintStrings {
public:
    void setTeamName(const QString& name) { teamName = name; }
    void setAgeClassName(const QString& name) { ageClassName = name; }
    void setDisciplineName(const QString& name) { DisciplineName = name; }
    void Reset();
    // "Altersklasse U10, Team Adler, Noch nicht eingeteilt in Sprint": only the parts set.
    QString getPrintString() const;

private:
    QString teamName;
    QString ageClassName;
    QString DisciplineName;
};

// ---- Footer ----

// "Erstellt mit Trivanta Pentrel am dd.mm.yyyy" in small type at the bottom of every page.
class TTVPFooter : public TDummyPrintObject {
public:
    int getHeight() override { return 175; }
    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override;
};

// The footer's text for today.
QString footerText();

// Cuts a text from its end until it and "..." fit into width; the whole text when it fits. Ends
// on "..." alone when nothing of the text fits.
QString elideToWidth(TPrintCanvas& canvas, const QString& text, int width);

// Makes the canvas's type smaller, down to smallest, until the text is no wider than width.
void shrinkToWidth(TPrintCanvas& canvas, const QString& text, int width, int smallest = 1);

// The text in lines at most width wide at the canvas's font, broken after blanks, hyphens and
// commas, never before a hyphen nor at a decimal comma; a word wider than a line alone is broken
// with a hyphen as mode says, at least two letters on either side. Nothing is left out.
QStringList wrapToWidth(TPrintCanvas& canvas, const QString& text, int width,
                        TWordBreak mode = TWordBreak::nearLineEnd);
// The same in at most maxLines lines: the last holds what is left, cut with "..." where it is too
// wide, at its end or, with keepEnd, in its middle.
QStringList wrapToLines(TPrintCanvas& canvas, const QString& text, int width, int maxLines, bool keepEnd = false,
                        TWordBreak mode = TWordBreak::nearLineEnd);
// The width of the widest piece of a text that wrapToWidth keeps on one line; atJoints: of the
// widest part of a compound, with its hyphen.
int longestPieceWidth(TPrintCanvas& canvas, const QString& text, TWordBreak mode = TWordBreak::nearLineEnd);

} // namespace tvp
