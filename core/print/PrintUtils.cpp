#include "core/print/PrintUtils.h"

#include "core/print/Hyphenation.h"
#include "core/results/TextCut.h"
#include "core/results/tvpUtils.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <QTime>

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <numeric>
#include <optional>
#include <utility>

namespace tvp {

namespace {

// The pieces of a text that end where a line may break: after a blank, a hyphen or a comma, but
// not inside a number ("2,59m").
QStringList breakPieces(const QString& text)
{
    QStringList pieces;
    QString piece;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        piece += c;
        const bool decimal = c == QLatin1Char(',') && i + 1 < text.size() && text.at(i + 1).isDigit();
        if (c == QLatin1Char(' ') || c == QLatin1Char('-') || (c == QLatin1Char(',') && !decimal))
            pieces << std::exchange(piece, QString());
    }
    if (!piece.isEmpty())
        pieces << piece;
    return pieces;
}

} // namespace

// ---- Line renderers ----

void TAlternatingLineRenderer::renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                              const QStringList& cells, const std::vector<int>& colWidths,
                                              bool background)
{
    if (!background)
        return;
    canvas.setBrushColor(kBackground);
    canvas.fillRect(x, y - rowHeight, x + width, y);
    canvas.setPenSolid();
    canvas.setBrushClear();
}

void TSimpleLineRenderer::renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                         const QStringList& cells, const std::vector<int>& colWidths, bool background)
{
    TAlternatingLineRenderer::renderBodyLine(x, y, rowHeight, width, canvas, cells, colWidths, background);
    canvas.setFontHeight(rowHeight * 3 / 4);
    int left = x;
    const std::size_t drawn = std::min(std::size_t(cells.size()), colWidths.size());
    for (std::size_t c = 0; c < drawn; ++c) {
        // Cut only where the table had to give way to the page.
        canvas.textOut(left, y - rowHeight / 10,
                       elideToWidth(canvas, cells.at(qsizetype(c)), colWidths[c] - FColSpacing));
        left += colWidths[c];
    }
}

void TSimpleLineRenderer::renderHeaderLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                           const QStringList& cells, const std::vector<int>& colWidths)
{
    canvas.setBold(true);
    renderBodyLine(x, y, rowHeight, width, canvas, cells, colWidths, false);
    canvas.setBold(false);
}

std::vector<QStringList> TWrappingLineRenderer::cellLines(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                                                          const std::vector<int>& colWidths) const
{
    canvas.setFontHeight(rowHeight * 3 / 4);
    std::vector<QStringList> lines;
    const std::size_t drawn = std::min(std::size_t(cells.size()), colWidths.size());
    for (std::size_t c = 0; c < drawn; ++c)
        lines.push_back(wrapToWidth(canvas, cells.at(qsizetype(c)), colWidths[c] - FColSpacing));
    return lines;
}

int TWrappingLineRenderer::rowLines(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                                    const std::vector<int>& colWidths)
{
    const TPrintFont before = canvas.font();
    int lines = 1;
    for (const QStringList& cell : cellLines(rowHeight, canvas, cells, colWidths))
        lines = std::max(lines, int(cell.size()));
    canvas.setFont(before);
    return lines;
}

int TWrappingLineRenderer::headerLines(int rowHeight, TPrintCanvas& canvas, const QStringList& cells,
                                       const std::vector<int>& colWidths)
{
    const TPrintFont before = canvas.font();
    canvas.setBold(true);
    const int lines = rowLines(rowHeight, canvas, cells, colWidths);
    canvas.setFont(before);
    return lines;
}

void TWrappingLineRenderer::renderBodyLine(int x, int y, int rowHeight, int width, TPrintCanvas& canvas,
                                           const QStringList& cells, const std::vector<int>& colWidths, bool background)
{
    const std::vector<QStringList> lines = cellLines(rowHeight, canvas, cells, colWidths);
    int count = 1;
    for (const QStringList& cell : lines)
        count = std::max(count, int(cell.size()));
    TAlternatingLineRenderer::renderBodyLine(x, y, count * rowHeight, width, canvas, cells, colWidths, background);
    int left = x;
    for (std::size_t c = 0; c < lines.size(); ++c) {
        int top = y - rowHeight / 10;
        for (const QString& line : lines[c]) {
            canvas.textOut(left, top, line);
            top -= rowHeight;
        }
        left += colWidths[c];
    }
}

std::vector<int> ILineRenderer::fitColumns(int rowHeight, TPrintCanvas& canvas, const QStringList& header,
                                           const std::vector<QStringList>& rows, int available)
{
    std::vector<int> widths = getPreferredColWidths(rowHeight, canvas, header, true);
    const std::vector<int> headers = getMinimumColWidths(rowHeight, canvas, header, true);
    std::vector<int> words = headers;
    for (const QStringList& row : rows) {
        widenColumns(widths, getPreferredColWidths(rowHeight, canvas, row, false));
        widenColumns(words, getMinimumColWidths(rowHeight, canvas, row, false));
    }
    // Words whole where the page has room for all of them, else the headers alone.
    long long least = 0;
    for (std::size_t c = 0; c < widths.size(); ++c)
        least += std::min(widths[c], c < words.size() ? words[c] : 0);
    return fitColumnsToWidth(std::move(widths), available, least <= available ? words : headers);
}

std::vector<int> TWrappingLineRenderer::fitColumns(int rowHeight, TPrintCanvas& canvas, const QStringList& header,
                                                   const std::vector<QStringList>& rows, int available)
{
    const std::vector<int> headers = getPreferredColWidths(rowHeight, canvas, header, true);
    std::vector<TWrapColumn> columns(headers.size());
    for (std::size_t c = 0; c < headers.size(); ++c) {
        columns[c].wanted = columns[c].header = headers[c];
        columns[c].caption = header.at(qsizetype(c));
    }
    for (const QStringList& row : rows) {
        if (std::size_t(row.size()) > columns.size())
            columns.resize(std::size_t(row.size()));
        for (qsizetype c = 0; c < row.size(); ++c)
            columns[std::size_t(c)].cells << row.at(c);
    }
    const TPrintFont before = canvas.font();
    canvas.setFontHeight(rowHeight * 3 / 4);
    canvas.setBold(false);
    std::vector<int> widths = fitWrappingColumns(canvas, columns, FColSpacing, available);
    canvas.setFont(before);
    return widths;
}

std::vector<int> TSimpleLineRenderer::getPreferredColWidths(int rowHeight, TPrintCanvas& canvas,
                                                            const QStringList& cells, bool isHeader)
{
    const TPrintFont before = canvas.font();
    canvas.setFontHeight(rowHeight * 3 / 4);
    canvas.setBold(isHeader);
    std::vector<int> widths;
    widths.reserve(std::size_t(cells.size()));
    for (const QString& cell : cells)
        widths.push_back(canvas.textWidth(cell) + FColSpacing);
    canvas.setFont(before);
    return widths;
}

// ---- Table bodies ----

void widenColumns(std::vector<int>& widths, const std::vector<int>& more)
{
    if (more.size() > widths.size())
        widths.resize(more.size(), 0);
    for (std::size_t c = 0; c < more.size(); ++c)
        widths[c] = std::max(widths[c], more[c]);
}

namespace {

// The widest of the free columns give way to one common width so that all take at most available.
void capWidest(std::vector<int>& widths, const std::vector<bool>& fixed, long long available)
{
    std::vector<int> widest;
    long long rest = 0;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        if (fixed[c]) {
            available -= widths[c];
        } else {
            widest.push_back(widths[c]);
            rest += widths[c];
        }
    }
    if (rest <= available)
        return;
    std::sort(widest.begin(), widest.end(), std::greater<>());
    // The k widest share what the others leave, as long as that share is no narrower than the
    // next column.
    long long cap = 0;
    for (std::size_t k = 1; k <= widest.size(); ++k) {
        rest -= widest[k - 1];
        cap = (available - rest) / (long long)k;
        if (k == widest.size() || cap >= widest[k])
            break;
    }
    for (std::size_t c = 0; c < widths.size(); ++c)
        if (!fixed[c])
            widths[c] = int(std::min<long long>(widths[c], std::max(0LL, cap)));
}

} // namespace

std::vector<int> fitColumnsToWidth(std::vector<int> widths, int available, const std::vector<int>& minimums)
{
    std::vector<bool> fixed(widths.size(), false);
    long long least = 0;
    for (std::size_t c = 0; c < widths.size(); ++c)
        least += std::min(widths[c], c < minimums.size() ? minimums[c] : 0);
    const std::vector<int> wanted = widths;
    capWidest(widths, fixed, available);
    if (least > available)
        return widths;
    // A column cut below its minimum keeps that; the others give way again.
    for (bool again = true; again;) {
        again = false;
        for (std::size_t c = 0; c < widths.size() && c < minimums.size(); ++c) {
            const int floor = std::min(wanted[c], minimums[c]);
            if (!fixed[c] && widths[c] < floor) {
                widths[c] = floor;
                fixed[c] = true;
                again = true;
            }
        }
        if (again) {
            for (std::size_t c = 0; c < widths.size(); ++c)
                if (!fixed[c])
                    widths[c] = wanted[c];
            capWidest(widths, fixed, available);
        }
    }
    return widths;
}

namespace {

// The least width, no less than least, at which the text takes at most `lines` lines.
int widthForLines(TPrintCanvas& canvas, const QString& text, int lines, int least,
                  TWordBreak mode = TWordBreak::nearLineEnd)
{
    int low = least;
    int high = std::max(least, canvas.textWidth(text));
    if (wrapToWidth(canvas, text, low, mode).size() <= lines)
        return low;
    while (low + 1 < high) {
        const int mid = low + (high - low) / 2;
        if (wrapToWidth(canvas, text, mid, mode).size() <= lines)
            high = mid;
        else
            low = mid;
    }
    return high;
}

bool splitsCluster(const QString& word, qsizetype at);
int letters(const QString& text);

// The least width, no less than least, at which a caption takes two lines broken where a reader
// expects it: between words, at a compound's joint or before a syllable; where a word has none of
// these, after as much of it as leaves two letters for the second line.
int twoLineWidth(TPrintCanvas& canvas, const QString& caption, int least)
{
    int best = -1;
    qsizetype lastResort = 0;
    const std::vector<TBreak> points = hyphenationPoints(caption);
    for (qsizetype at = 1; at < caption.size(); ++at) {
        const QChar before = caption.at(at - 1);
        const bool between = before == u' ' || before == u'-' || before == u',';
        const bool inWord = before.isLetter() && caption.at(at).isLetter();
        if (!between && !inWord)
            continue;
        const QString first = caption.left(at).trimmed() + (between ? QString() : QStringLiteral("-"));
        const int width = std::max({least, canvas.textWidth(first), canvas.textWidth(caption.mid(at).trimmed())});
        if (between || points[std::size_t(at)] != TBreak::none) {
            if ((best < 0 || width < best) && wrapToWidth(canvas, caption, width).size() <= 2)
                best = width;
        } else if (!splitsCluster(caption, at) && letters(caption.left(at)) >= 2 && letters(caption.mid(at)) >= 2) {
            lastResort = at;
        }
    }
    if (best < 0 && lastResort > 0) {
        const int width = std::max(
            {least, canvas.textWidth(caption.left(lastResort) + u'-'), canvas.textWidth(caption.mid(lastResort))});
        if (wrapToWidth(canvas, caption, width).size() <= 2)
            best = width;
    }
    return best >= 0 ? best : widthForLines(canvas, caption, 2, least);
}

long long total(const std::vector<int>& widths)
{
    return std::accumulate(widths.begin(), widths.end(), 0LL);
}

// The room that the widths leave of available, given to the first columns first, each up to its limit.
std::vector<int> firstColumnsFirst(std::vector<int> widths, const std::vector<int>& limits, long long available)
{
    long long left = available - total(widths);
    for (std::size_t c = 0; c < widths.size() && left > 0; ++c) {
        const int more = int(std::clamp<long long>(limits[c] - widths[c], 0, left));
        widths[c] += more;
        left -= more;
    }
    return widths;
}

// A column's cell as the fitting sees it: the widths with spacing of its text and of its longest word.
struct TFitCell {
    int width = 0;
    int word = 0;
    QString text;
};

// The widths at which the columns break no word that the room leaves whole. Each column's fair
// share is where the widest needs (longest word, caption in two lines) give way to one common width:
// a column whose word fits its share keeps it, whatever its cells' count; one whose word is wider
// gets its share and breaks that word. Only the first column, which names the row, keeps a wider
// word, where the others still get their least.
std::vector<int> wordFloors(const std::vector<int>& headers, const std::vector<int>& least,
                            const std::vector<int>& words, long long available)
{
    const std::size_t n = headers.size();
    std::vector<int> wholeWords(n), need(n);
    for (std::size_t c = 0; c < n; ++c) {
        wholeWords[c] = std::max(headers[c], words[c]);
        need[c] = std::max(least[c], words[c]);
    }
    if (total(wholeWords) <= available)
        return wholeWords;
    const std::vector<int> share = fitColumnsToWidth(need, int(available), least);
    if (n == 0 || share[0] >= need[0])
        return share;
    std::vector<int> lowest = need;
    for (std::size_t c = 1; c < n; ++c)
        if (share[c] < need[c])
            lowest[c] = least[c];
    return total(lowest) <= available ? fitColumnsToWidth(need, int(available), lowest) : share;
}

// What a column of wrapping cells asks for, spacing included.
struct TColumnNeeds {
    std::vector<TFitCell> cells; // distinct (names repeat down a column), widest first
    int wanted = 0;              // its widest text whole
    int header = 0;              // its caption whole, no wider than wanted
    int least = 0;               // its caption in two lines where its cells leave room
    int word = 0;                // its longest word (or part) whole
    TWordBreak breaks = TWordBreak::nearLineEnd;

    // The width, no less than least, at which every cell takes at most `lines` lines; the widest
    // cells decide it.
    int widthFor(TPrintCanvas& canvas, int lines, int least, int spacing) const
    {
        int need = least;
        for (const TFitCell& cell : cells) {
            if (cell.width <= need)
                break;
            need = std::max(need, widthForLines(canvas, cell.text, lines, need - spacing, breaks) + spacing);
        }
        return need;
    }
    // The lines of the cells at a width.
    int linesAt(TPrintCanvas& canvas, int width, int spacing) const
    {
        int lines = 1;
        for (const TFitCell& cell : cells) {
            if (cell.width <= width)
                break;
            lines = std::max(lines, int(wrapToWidth(canvas, cell.text, width - spacing, breaks).size()));
        }
        return lines;
    }
};

TColumnNeeds columnNeeds(TPrintCanvas& canvas, const TWrapColumn& column, int spacing)
{
    TColumnNeeds needs;
    needs.breaks = column.breaks;
    QSet<QString> seen;
    for (const QString& text : column.cells) {
        if (seen.contains(text))
            continue;
        seen.insert(text);
        needs.cells.push_back(
            {canvas.textWidth(text) + spacing, longestPieceWidth(canvas, text, column.breaks) + spacing, text});
    }
    std::sort(needs.cells.begin(), needs.cells.end(),
              [](const TFitCell& a, const TFitCell& b) { return a.width > b.width; });
    needs.wanted = std::max(column.wanted, needs.cells.empty() ? 0 : needs.cells.front().width);
    needs.header = std::min(column.header, needs.wanted);
    // A header gives way only with room its cells do not take, to two lines at most.
    needs.least = std::min(needs.header, needs.cells.empty() ? 0 : needs.cells.front().width);
    if (needs.least < needs.header && !column.caption.isEmpty()) {
        const bool bold = canvas.font().bold;
        canvas.setBold(true);
        // Two lines are at least half as wide as one.
        const int half = std::max(needs.least - spacing, (needs.header - spacing) / 2);
        needs.least = std::min(needs.header, twoLineWidth(canvas, column.caption, half) + spacing);
        canvas.setBold(bold);
    } else {
        needs.least = needs.header;
    }
    for (const TFitCell& cell : needs.cells)
        needs.word = std::max(needs.word, std::min(needs.wanted, cell.word));
    return needs;
}

} // namespace

int wrapColumnFloor(TPrintCanvas& canvas, const TWrapColumn& column, int spacing)
{
    const TColumnNeeds needs = columnNeeds(canvas, column, spacing);
    return std::max(needs.least, needs.word);
}

std::vector<int> fitWrappingColumns(TPrintCanvas& canvas, const std::vector<TWrapColumn>& columns, int spacing,
                                    int available, int maxLines)
{
    const std::size_t n = columns.size();
    std::vector<TColumnNeeds> needs;
    std::vector<int> wanted(n), headers(n), least(n), words(n);
    for (std::size_t c = 0; c < n; ++c) {
        needs.push_back(columnNeeds(canvas, columns[c], spacing));
        wanted[c] = needs[c].wanted;
        headers[c] = needs[c].header;
        least[c] = needs[c].least;
        words[c] = needs[c].word;
    }
    if (total(wanted) <= available)
        return wanted;
    if (total(least) > available)
        return fitColumnsToWidth(wanted, available);
    const std::vector<int> floors = wordFloors(headers, least, words, available);

    const auto widthFor = [&](std::size_t c, int lines, int least) {
        return needs[c].widthFor(canvas, lines, least, spacing);
    };
    // The lines of a column's cells at a width, and its widest word that the width keeps whole.
    const auto linesAt = [&](std::size_t c, int width) { return needs[c].linesAt(canvas, width, spacing); };
    const auto wordWithin = [&](std::size_t c, int width) {
        int word = 0;
        for (const TFitCell& cell : needs[c].cells)
            if (cell.word <= width)
                word = std::max(word, cell.word);
        return word;
    };
    // A column that breaks its words takes of its share what its lines need; the room that frees
    // goes, a line at a time, to those that break theirs, the one with the most lines first.
    std::vector<int> widths = floors;
    std::vector<std::size_t> breaking;
    std::vector<int> lines(n, 1);
    for (std::size_t c = 0; c < n; ++c) {
        if (floors[c] >= words[c])
            continue;
        breaking.push_back(c);
        lines[c] = linesAt(c, floors[c]);
        widths[c] = std::min(floors[c], std::max(widthFor(c, lines[c], least[c]), wordWithin(c, floors[c])));
    }
    for (bool fewer = !breaking.empty(); fewer;) {
        fewer = false;
        std::stable_sort(breaking.begin(), breaking.end(),
                         [&](std::size_t a, std::size_t b) { return lines[a] > lines[b]; });
        for (const std::size_t c : breaking) {
            if (lines[c] <= 1)
                continue;
            const int wider = widthFor(c, lines[c] - 1, widths[c]);
            if (total(widths) - widths[c] + wider <= available) {
                widths[c] = wider;
                lines[c] = linesAt(c, wider);
                fewer = true;
                break;
            }
        }
    }
    // The captions whole where there is room, the widest giving way, then the words of the first columns.
    std::vector<int> headed(n), whole(n);
    for (std::size_t c = 0; c < n; ++c) {
        headed[c] = std::max(headers[c], widths[c]);
        whole[c] = std::max(headers[c], words[c]);
    }
    widths = firstColumnsFirst(fitColumnsToWidth(std::move(headed), available, widths), whole, available);
    // No column beyond maxLines where the room allows.
    if (maxLines > 0) {
        std::vector<int> within(n);
        for (std::size_t c = 0; c < n; ++c)
            within[c] = widthFor(c, maxLines, widths[c]);
        if (total(within) <= available)
            widths = std::move(within);
    }
    // The first columns, which name the row, take the fewest lines the room leaves them, the
    // columns after them keeping what they need.
    for (std::size_t c = 0; c < n; ++c) {
        const int room = int(std::min<long long>(wanted[c], available - (total(widths) - widths[c])));
        if (room > widths[c])
            widths[c] = widthFor(c, linesAt(c, room), widths[c]);
    }
    return firstColumnsFirst(std::move(widths), wanted, available);
}

namespace {

// A column's distinct texts with the widths at which each takes fewer lines, and each row's text.
struct TLineSteps {
    std::vector<int> rowText;                            // per row, the index of its text
    std::vector<std::vector<std::pair<int, int>>> steps; // per text: (least width, lines), widths ascending
    std::vector<int> candidates;                         // every width at which some text takes fewer lines

    int linesAt(int text, int width) const
    {
        int lines = 1;
        for (const auto& [least, count] : steps[std::size_t(text)]) {
            if (least > width)
                break;
            lines = count;
        }
        return lines;
    }
};

TLineSteps lineSteps(TPrintCanvas& canvas, const TWrapColumn& column, std::size_t rows, int floor, int widest,
                     int spacing, int most)
{
    TLineSteps out;
    QHash<QString, int> ids;
    out.candidates.push_back(floor);
    const auto lines = [&](const QString& text, int width) {
        if (canvas.textWidth(text) + spacing <= width)
            return 1;
        return std::min(most, int(wrapToWidth(canvas, text, width - spacing, column.breaks).size()));
    };
    for (std::size_t r = 0; r < rows; ++r) {
        const QString text = r < std::size_t(column.cells.size()) ? column.cells.at(qsizetype(r)) : QString();
        auto found = ids.constFind(text);
        if (found == ids.constEnd()) {
            found = ids.insert(text, int(out.steps.size()));
            std::vector<std::pair<int, int>> steps{{floor, lines(text, floor)}};
            // Each next width at which the text takes fewer lines, found by halving.
            while (steps.back().second > 1) {
                int low = steps.back().first, high = std::max(widest, low + 1);
                if (lines(text, high) >= steps.back().second)
                    break;
                while (low + 1 < high) {
                    const int mid = low + (high - low) / 2;
                    (lines(text, mid) < steps.back().second ? high : low) = mid;
                }
                steps.emplace_back(high, lines(text, high));
                out.candidates.push_back(high);
            }
            out.steps.push_back(std::move(steps));
        }
        out.rowText.push_back(*found);
    }
    std::sort(out.candidates.begin(), out.candidates.end());
    out.candidates.erase(std::unique(out.candidates.begin(), out.candidates.end()), out.candidates.end());
    return out;
}

} // namespace

std::vector<int> fitColumnsToFewestLines(TPrintCanvas& canvas, const std::vector<TWrapColumn>& columns, int spacing,
                                         int available, int maxLines, int leastLines)
{
    const std::size_t n = columns.size();
    std::vector<TColumnNeeds> needs;
    std::vector<int> floors(n), wanted(n), headers(n);
    std::size_t rows = 0;
    for (std::size_t c = 0; c < n; ++c) {
        needs.push_back(columnNeeds(canvas, columns[c], spacing));
        floors[c] = std::max(needs[c].least, needs[c].word);
        wanted[c] = std::max(needs[c].wanted, floors[c]);
        headers[c] = std::max(needs[c].header, floors[c]);
        rows = std::max(rows, std::size_t(columns[c].cells.size()));
    }
    if (total(wanted) <= available)
        return wanted;
    if (total(floors) > available || n == 0)
        return fitWrappingColumns(canvas, columns, spacing, available, maxLines);

    const int most = maxLines > 0 ? maxLines : std::numeric_limits<int>::max();
    std::vector<TLineSteps> steps;
    for (std::size_t c = 0; c < n; ++c)
        steps.push_back(lineSteps(canvas, columns[c], rows, floors[c],
                                  int(std::min<long long>(wanted[c], available - total(floors) + floors[c])), spacing,
                                  most));
    // Each candidate's lines for every text, looked up for every row of every combination tried.
    std::vector<std::vector<std::vector<int>>> linesAt(n);
    for (std::size_t c = 0; c < n; ++c)
        for (const int width : steps[c].candidates) {
            std::vector<int> byText;
            for (std::size_t t = 0; t < steps[c].steps.size(); ++t)
                byText.push_back(steps[c].linesAt(int(t), width));
            linesAt[c].push_back(std::move(byText));
        }
    // The column with the most candidates takes the room the others leave.
    std::size_t free = 0;
    for (std::size_t c = 1; c < n; ++c)
        if (steps[c].candidates.size() > steps[free].candidates.size())
            free = c;
    std::vector<std::size_t> pick(n, 0);
    long long bestLines = std::numeric_limits<long long>::max(), bestWidth = 0;
    std::vector<std::size_t> best = pick;
    const auto evaluate = [&] {
        long long used = 0;
        for (std::size_t c = 0; c < n; ++c)
            if (c != free)
                used += steps[c].candidates[pick[c]];
        const std::vector<int>& own = steps[free].candidates;
        if (used + own.front() > available)
            return false;
        pick[free] = std::size_t(std::upper_bound(own.begin(), own.end(), available - used) - own.begin() - 1);
        long long lines = 0;
        for (std::size_t r = 0; r < rows; ++r) {
            int row = leastLines;
            for (std::size_t c = 0; c < n; ++c)
                row = std::max(row, linesAt[c][pick[c]][std::size_t(steps[c].rowText[r])]);
            lines += row;
        }
        const long long width = used + own[pick[free]];
        if (lines < bestLines || (lines == bestLines && width < bestWidth)) {
            bestLines = lines;
            bestWidth = width;
            best = pick;
            return true;
        }
        return false;
    };
    double combinations = 1;
    for (std::size_t c = 0; c < n; ++c)
        if (c != free)
            combinations *= double(steps[c].candidates.size());
    if (combinations <= 20000) {
        // Every combination of the other columns' widths.
        const std::function<void(std::size_t, long long)> each = [&](std::size_t c, long long used) {
            if (c == n) {
                evaluate();
                return;
            }
            if (c == free) {
                each(c + 1, used);
                return;
            }
            for (std::size_t i = 0; i < steps[c].candidates.size(); ++i) {
                if (used + steps[c].candidates[i] + floors[free] > available)
                    break;
                pick[c] = i;
                each(c + 1, used + steps[c].candidates[i]);
            }
            pick[c] = 0;
        };
        each(0, 0);
    } else {
        // Too many to try: one column at a time, while the list gets shorter.
        evaluate();
        for (bool shorter = true; shorter;) {
            shorter = false;
            for (std::size_t c = 0; c < n; ++c) {
                if (c == free)
                    continue;
                pick = best;
                for (std::size_t i = 0; i < steps[c].candidates.size(); ++i) {
                    pick[c] = i;
                    const long long before = bestLines;
                    if (evaluate() && bestLines < before)
                        shorter = true;
                }
            }
        }
    }
    std::vector<int> widths(n);
    for (std::size_t c = 0; c < n; ++c)
        widths[c] = steps[c].candidates[best[c]];
    // The room left: the captions whole, then the first columns whole.
    std::vector<int> headed(n);
    for (std::size_t c = 0; c < n; ++c)
        headed[c] = std::max(widths[c], headers[c]);
    if (total(headed) <= available)
        widths = std::move(headed);
    return firstColumnsFirst(std::move(widths), wanted, available);
}

int TGenericListTableContent::rowsPerPage(int availableHeight, int rowHeight)
{
    const int rows = availableHeight / std::max(1, rowHeight) - 1;
    return std::max(1, rows);
}

int TGenericListTableContent::rowsThatFit(int index, int count, int availableHeight) const
{
    int rows = 0;
    int lines = FHeaderLines;
    while (rows < count) {
        lines += itemLines(index + rows);
        if (rows > 0 && lines * FRowHeight > availableHeight)
            break;
        ++rows;
    }
    return rows;
}

std::shared_ptr<ITVChunk> TGenericListTableContent::getChunk(int availableHeight)
{
    const int perPage = rowsPerPage(availableHeight, FRowHeight);
    const int remaining = getItemCount() - curListIndex;
    if (remaining < 1)
        return nullptr;
    bool tall = FHeaderLines > 1;
    for (int i = curListIndex; i < getItemCount() && !tall; ++i)
        tall = itemLines(i) > 1;
    int rows = 0;
    if (tall) {
        rows = rowsThatFit(curListIndex, remaining, availableHeight);
    } else {
        const int pagesNeeded = (remaining + perPage - 1) / perPage;
        rows = (remaining + pagesNeeded - 1) / pagesNeeded;
    }
    std::shared_ptr<ITVChunk> chunk = getPartList(FRowHeight, curListIndex, rows);
    curListIndex += rows;
    return chunk;
}

// ---- Headers ----

int TGenericTextHeader::textOutWidth(const QString& text, TPrintCanvas& canvas)
{
    canvas.textOut(curIndent, curLine + canvas.textHeight(), text);
    const int width = canvas.textWidth(text);
    curIndent += width;
    return width;
}

QString printTimeAndPage(TPrintManager* manager)
{
    QString text =
        QStringLiteral(" (") + QStringLiteral("Druck: ") + QTime::currentTime().toString(QStringLiteral("hh:mm"));
    if (manager && manager->PrintPageNo())
        text += QStringLiteral(", Seite %1/%2").arg(manager->currentPageNo()).arg(manager->getNoOfPages(false));
    return text + QLatin1Char(')');
}

int TGenericCaptionStringHeader::getHeight()
{
    return std::max(40, FMaxFontHeight) + FHeaderSpacing + 5;
}

namespace {

// A run of one header part's text on one line.
struct THeaderRun {
    std::size_t part = 0;
    QString text;
};
using THeaderLines = std::vector<std::vector<THeaderRun>>;

int runWidth(TPrintCanvas& canvas, const THeaderPart& part, const QString& text)
{
    canvas.setFontHeight(part.fontHeight);
    canvas.setBold(part.bold);
    return canvas.textWidth(text);
}

QString trimmedEnd(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

// The parts in lines no wider than width, broken after blanks and hyphens of the parts that may
// be cut (the others and every tail kept whole); empty when a piece is wider than a line alone.
std::optional<THeaderLines> flowHeader(const std::vector<THeaderPart>& parts, int width, TPrintCanvas& canvas)
{
    THeaderLines lines(1);
    int before = 0; // the width of the line's runs before its last
    for (std::size_t i = 0; i < parts.size(); ++i) {
        QStringList pieces = parts[i].mayCut ? breakPieces(parts[i].text) : QStringList{parts[i].text};
        if (pieces.isEmpty())
            pieces << QString();
        pieces.last() += parts[i].tail;
        for (const QString& piece : pieces) {
            std::vector<THeaderRun>& line = lines.back();
            const bool joins = !line.empty() && line.back().part == i;
            const int start =
                joins || line.empty() ? before : before + runWidth(canvas, parts[line.back().part], line.back().text);
            const QString run = joins ? line.back().text + piece : piece;
            // A blank at the line's end takes no room.
            if (!line.empty() && start + runWidth(canvas, parts[i], trimmedEnd(run)) > width) {
                // The next line starts at its first letter.
                qsizetype lead = 0;
                while (lead < piece.size() && piece.at(lead).isSpace())
                    ++lead;
                lines.push_back({{i, piece.mid(lead)}});
                before = 0;
            } else if (joins) {
                line.back().text = run;
            } else {
                before = start;
                line.push_back({i, piece});
            }
        }
    }
    for (std::vector<THeaderRun>& line : lines) {
        line.back().text = trimmedEnd(line.back().text);
        if (line.size() == 1 && runWidth(canvas, parts[line.front().part], line.front().text) > width)
            return std::nullopt;
    }
    return lines;
}

// The parts in at most maxLines lines of width: on one line a little smaller, else in lines
// from full size down to two thirds, else with the parts that may be cut losing their middle,
// the first first. Font heights are those to write with. Empty where nothing holds them.
std::optional<THeaderLines> fitHeaderLines(std::vector<THeaderPart>& parts, int width, int maxLines,
                                           TPrintCanvas& canvas)
{
    std::vector<int> heights;
    for (const THeaderPart& part : parts)
        heights.push_back(part.fontHeight);
    const auto scale = [&](double factor) {
        for (std::size_t i = 0; i < parts.size(); ++i)
            parts[i].fontHeight = std::max(1, int(heights[i] * factor));
    };
    const auto within = [&](std::size_t lines) {
        std::optional<THeaderLines> flowed = flowHeader(parts, width, canvas);
        return flowed && flowed->size() <= lines ? flowed : std::nullopt;
    };
    for (int percent = 100; percent >= 84; percent -= 2) {
        scale(percent / 100.0);
        if (auto flowed = within(1))
            return flowed;
    }
    for (int percent = 100; percent >= 67; percent -= 3) {
        scale(std::max(2.0 / 3.0, percent / 100.0));
        if (auto flowed = within(std::size_t(maxLines)))
            return flowed;
    }
    for (THeaderPart& part : parts) {
        if (!part.mayCut)
            continue;
        const QString whole = part.text;
        part.text = elideMiddle(whole, [&](const QString& text) {
            part.text = text;
            return within(std::size_t(maxLines)).has_value();
        });
        if (auto flowed = within(std::size_t(maxLines)))
            return flowed;
    }
    return std::nullopt;
}

} // namespace

void TGenericTextHeader::textOutFitted(std::vector<THeaderPart> parts, int right, TPrintCanvas& canvas, int lines)
{
    if (lines > 1) {
        std::vector<THeaderPart> fitted = parts;
        if (const std::optional<THeaderLines> flowed = fitHeaderLines(fitted, right - curIndent, lines, canvas)) {
            const int indent = curIndent;
            for (std::size_t l = 0; l < flowed->size(); ++l) {
                if (l > 0) {
                    int tallest = 0;
                    for (const THeaderRun& run : (*flowed)[l])
                        tallest = std::max(tallest, fitted[run.part].fontHeight);
                    curIndent = indent;
                    curLine -= tallest + 10;
                }
                for (const THeaderRun& run : (*flowed)[l]) {
                    canvas.setFontHeight(fitted[run.part].fontHeight);
                    canvas.setBold(fitted[run.part].bold);
                    textOutWidth(run.text, canvas);
                }
            }
            return;
        }
    }
    const auto width = [&canvas](const THeaderPart& part) {
        canvas.setFontHeight(part.fontHeight);
        canvas.setBold(part.bold);
        return canvas.textWidth(part.text + part.tail);
    };
    const auto total = [&] {
        int sum = 0;
        for (const THeaderPart& part : parts)
            sum += width(part);
        return sum;
    };
    const int room = right - curIndent;
    const int natural = total();
    if (natural > room) {
        // Widths do not follow the height exactly: smaller in steps until the texts fit or reach
        // two thirds, so that nothing is cut while smaller type would still hold it.
        std::vector<int> heights;
        for (const THeaderPart& part : parts)
            heights.push_back(part.fontHeight);
        for (double scale = std::max(2.0 / 3.0, double(room) / natural);; scale = std::max(2.0 / 3.0, scale - 0.01)) {
            for (std::size_t i = 0; i < parts.size(); ++i)
                parts[i].fontHeight = std::max(1, int(heights[i] * scale));
            if (scale <= 2.0 / 3.0 || total() <= room)
                break;
        }
        int excess = total() - room;
        // The texts that may be cut first; should they not suffice, the others from the first on.
        for (const bool cutAny : {false, true}) {
            for (THeaderPart& part : parts) {
                if (excess <= 0 || (!cutAny && !part.mayCut))
                    continue;
                const int before = width(part);
                // Measured with its tail as it is written: widths do not add up to the unit.
                int target = canvas.textWidth(part.text) - excess;
                QString cut = elideToWidth(canvas, part.text, target);
                for (int over = canvas.textWidth(cut + part.tail) - (before - excess); over > 0 && target > 0;
                     over = canvas.textWidth(cut + part.tail) - (before - excess)) {
                    target -= over;
                    cut = elideToWidth(canvas, part.text, target);
                }
                part.text = cut;
                excess -= before - width(part);
            }
        }
    }
    for (const THeaderPart& part : parts) {
        canvas.setFontHeight(part.fontHeight);
        canvas.setBold(part.bold);
        textOutWidth(part.text + part.tail, canvas);
    }
}

void TGenericCaptionStringHeader::renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk)
{
    curIndent = x + 40;
    curLine = y - 90;
    canvas.setBrushClear();
    if (FContext)
        canvas.setFont(FContext->mainFont());
    std::vector<THeaderPart> parts{{FCaption, FMaxFontHeight, false, false, {}}};
    if (!FAdditionalCaption.isEmpty())
        parts.push_back({QStringLiteral(" - ") + FAdditionalCaption, FMaxFontHeight, true, true, {}});
    parts.push_back({printTimeAndPage(FContext), 40, false, false, {}});
    textOutFitted(std::move(parts), x + pageWidth - 40, canvas);
    canvas.setBold(false);
}

void TFilterPrintStrings::Reset()
{
    teamName.clear();
    ageClassName.clear();
    DisciplineName.clear();
}

QString TFilterPrintStrings::getPrintString() const
{
    QStringList parts;
    if (!ageClassName.isEmpty())
        parts << QStringLiteral("Altersklasse ") + ageClassName;
    if (!teamName.isEmpty())
        parts << QStringLiteral("Team ") + teamName;
    if (!DisciplineName.isEmpty())
        parts << QStringLiteral("Noch nicht eingeteilt in ") + DisciplineName;
    return parts.join(QStringLiteral(", "));
}

// ---- Footer ----

QString footerText()
{
    return QStringLiteral("Erstellt mit Trivanta Pentrel am ") +
           QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
}

void TTVPFooter::renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk)
{
    if (FContext)
        canvas.setFont(FContext->mainFont());
    canvas.setFontHeight(25);
    canvas.setBold(false);
    canvas.setItalic(false);
    canvas.textOut(x + 50, y, footerText());
}

QString elideToWidth(TPrintCanvas& canvas, const QString& text, int width)
{
    if (canvas.textWidth(text) <= width)
        return text;
    const QString dots = QStringLiteral("...");
    // The longest prefix that fits with the dots; widths grow with the prefix.
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (canvas.textWidth(text.left(mid) + dots) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return text.left(low) + dots;
}

void shrinkToWidth(TPrintCanvas& canvas, const QString& text, int width, int smallest)
{
    while (canvas.textHeight() > std::max(1, smallest) && canvas.textWidth(text) > width)
        canvas.setFontHeight(canvas.textHeight() - 1);
}

namespace {

int letters(const QString& text)
{
    return int(std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); }));
}

// Not inside "ch", "ck" or "sch", which are read as one sound: where a word has no break of its own
// and must be cut.
bool splitsCluster(const QString& word, qsizetype at)
{
    const QChar before = word.at(at - 1).toLower(), c = word.at(at).toLower();
    return (before == u'c' && (c == u'h' || c == u'k')) || (before == u's' && c == u'c');
}

// Where the line from `from` breaks a word wider than it, with at least two letters on it: at a
// compound's joint as far back as half the line, else before a syllable a few letters back, else at
// the nearest joint or syllable further back, the line staying shorter; only where there is none is
// the word cut where the line ends, never inside "ch", "ck" or "sch". atJoints takes the nearest
// joint first, so that the parts stay whole. points are the word's (hyphenationPoints).
qsizetype breakWord(TPrintCanvas& canvas, const QString& word, qsizetype from, const std::vector<TBreak>& points,
                    int width, TWordBreak mode)
{
    const auto part = [&](qsizetype at) {
        const QString left = word.mid(from, at - from);
        return left.endsWith(QLatin1Char('-')) ? left : left + QLatin1Char('-');
    };
    // Two letters at least, however narrow the line.
    qsizetype least = from + 1;
    while (least + 1 < word.size() && letters(word.mid(from, least - from)) < 2)
        ++least;
    qsizetype k = least;
    while (k + 1 < word.size() && canvas.textWidth(part(k + 1)) <= width)
        ++k;
    while (k > least && letters(word.mid(k)) < 2)
        --k;
    const auto nearest = [&](qsizetype to, auto accept) -> qsizetype {
        for (qsizetype at = k; at >= std::max(to, least); --at)
            if (accept(points[std::size_t(at)]))
                return at;
        return 0;
    };
    const auto joint = [](TBreak b) { return b == TBreak::joint; };
    const auto any = [](TBreak b) { return b != TBreak::none; };
    qsizetype at = mode == TWordBreak::atJoints ? nearest(from, joint) : 0;
    if (at == 0)
        at = nearest(from + (k - from + 1) / 2, joint);
    if (at == 0)
        at = nearest(k - 7, any);
    if (at == 0)
        at = nearest(from, any);
    for (qsizetype cut = k; at == 0 && cut >= least && cut > k - 3; --cut)
        if (!splitsCluster(word, cut))
            at = cut;
    return at == 0 ? k : at;
}

// The lines of wrapToWidth, each with the length of the text it ends after.
std::vector<std::pair<QString, qsizetype>> wrapLines(TPrintCanvas& canvas, const QString& text, int width,
                                                     TWordBreak mode)
{
    std::vector<std::pair<QString, qsizetype>> lines;
    QString line;
    qsizetype consumed = 0;
    for (QString next : breakPieces(text)) {
        if (canvas.textWidth((line + next).trimmed()) <= width) {
            line += next;
            consumed += next.size();
            continue;
        }
        if (!line.trimmed().isEmpty())
            lines.emplace_back(line.trimmed(), consumed);
        line.clear();
        // A word wider than a line alone: as much of it on each line as fits, with a hyphen; its
        // joints and syllables are those of the whole word.
        const QString word = next.trimmed();
        std::vector<TBreak> points;
        qsizetype from = 0;
        while (canvas.textWidth(word.mid(from)) > width && letters(word.mid(from)) > 1) {
            if (points.empty())
                points = hyphenationPoints(word);
            const qsizetype at = breakWord(canvas, word, from, points, width, mode);
            const QString part = word.mid(from, at - from);
            lines.emplace_back(part.endsWith(u'-') ? part : part + u'-', consumed + at);
            from = at;
        }
        consumed += from;
        line = next.mid(from);
        consumed += line.size();
    }
    if (!line.trimmed().isEmpty() || lines.empty())
        lines.emplace_back(line.trimmed(), consumed);
    return lines;
}

} // namespace

QStringList wrapToWidth(TPrintCanvas& canvas, const QString& text, int width, TWordBreak mode)
{
    QStringList lines;
    for (const auto& line : wrapLines(canvas, text, width, mode))
        lines << line.first;
    return lines;
}

QStringList wrapToLines(TPrintCanvas& canvas, const QString& text, int width, int maxLines, bool keepEnd,
                        TWordBreak mode)
{
    const std::vector<std::pair<QString, qsizetype>> all = wrapLines(canvas, text, width, mode);
    const std::size_t most = std::size_t(std::max(1, maxLines));
    // Where there are more, the last line holds the rest from where the one before it ended.
    const std::size_t kept = all.size() <= most ? all.size() : most - 1;
    QStringList lines;
    for (std::size_t i = 0; i < kept; ++i)
        lines << all[i].first;
    if (kept < all.size()) {
        const QString rest = text.mid(kept > 0 ? all[kept - 1].second : 0).trimmed();
        lines << (keepEnd ? elideMiddle(rest, [&](const QString& t) { return canvas.textWidth(t) <= width; })
                          : elideToWidth(canvas, rest, width));
    }
    return lines;
}

int longestPieceWidth(TPrintCanvas& canvas, const QString& text, TWordBreak mode)
{
    int longest = 0;
    for (const QString& piece : breakPieces(text)) {
        if (mode == TWordBreak::atJoints) {
            // The parts between the word's joints.
            const QString word = piece.trimmed();
            const std::vector<TBreak> points = hyphenationPoints(word);
            qsizetype from = 0;
            for (qsizetype at = 1; at <= word.size(); ++at)
                if (at == word.size() || points[std::size_t(at)] == TBreak::joint) {
                    const QString part = word.mid(from, at - from);
                    longest = std::max(longest, canvas.textWidth(at < word.size() ? part + u'-' : part));
                    from = at;
                }
        } else {
            longest = std::max(longest, canvas.textWidth(piece.trimmed()));
        }
    }
    return longest;
}

} // namespace tvp
