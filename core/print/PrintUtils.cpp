#include "core/print/PrintUtils.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

namespace tvp {

namespace {

// The pieces of a text that end where a line may break: after a blank, a hyphen or a comma.
QStringList breakPieces(const QString& text)
{
    QStringList pieces;
    QString piece;
    for (const QChar c : text) {
        piece += c;
        if (c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char(','))
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

std::vector<int> TWrappingLineRenderer::getMinimumColWidths(int rowHeight, TPrintCanvas& canvas,
                                                            const QStringList& cells, bool isHeader)
{
    if (isHeader)
        return getPreferredColWidths(rowHeight, canvas, cells, true);
    const TPrintFont before = canvas.font();
    canvas.setFontHeight(rowHeight * 3 / 4);
    canvas.setBold(false);
    std::vector<int> widths;
    for (const QString& cell : cells) {
        int longest = 0;
        for (const QString& piece : breakPieces(cell))
            longest = std::max(longest, canvas.textWidth(piece.trimmed()));
        widths.push_back(longest + FColSpacing);
    }
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

int TGenericListTableContent::rowsPerPage(int availableHeight, int rowHeight)
{
    const int rows = availableHeight / std::max(1, rowHeight) - 1;
    return std::max(1, rows);
}

std::shared_ptr<ITVChunk> TGenericListTableContent::getChunk(int availableHeight)
{
    const int perPage = rowsPerPage(availableHeight, FRowHeight);
    const int remaining = getItemCount() - curListIndex;
    if (remaining < 1)
        return nullptr;
    bool tall = false;
    for (int i = curListIndex; i < getItemCount() && !tall; ++i)
        tall = itemLines(i) > 1;
    int rows = 0;
    if (tall) {
        // As many rows as fit below the header line, at least one.
        int lines = 1;
        while (rows < remaining) {
            lines += itemLines(curListIndex + rows);
            if (rows > 0 && lines * FRowHeight > availableHeight)
                break;
            ++rows;
        }
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

void TGenericTextHeader::textOutFitted(std::vector<THeaderPart> parts, int right, TPrintCanvas& canvas)
{
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
        const double scale = std::max(2.0 / 3.0, double(room) / natural);
        for (THeaderPart& part : parts)
            part.fontHeight = std::max(1, int(part.fontHeight * scale));
        int excess = total() - room;
        // The texts that may be cut first; should they not suffice, the others from the first on.
        for (const bool cutAny : {false, true}) {
            for (THeaderPart& part : parts) {
                if (excess <= 0 || (!cutAny && !part.mayCut))
                    continue;
                const int before = width(part);
                part.text = elideToWidth(canvas, part.text, canvas.textWidth(part.text) - excess);
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

QStringList wrapToWidth(TPrintCanvas& canvas, const QString& text, int width)
{
    QStringList lines;
    QString line;
    for (QString next : breakPieces(text)) {
        if (canvas.textWidth((line + next).trimmed()) <= width) {
            line += next;
            continue;
        }
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
        line.clear();
        // A word wider than a line alone: as much of it on each line as fits, a letter at least.
        while (canvas.textWidth(next.trimmed()) > width && next.trimmed().size() > 1) {
            qsizetype fit = 1;
            while (fit < next.size() && canvas.textWidth(next.left(fit + 1)) <= width)
                ++fit;
            lines << next.left(fit);
            next = next.mid(fit);
        }
        line = next;
    }
    if (!line.trimmed().isEmpty() || lines.isEmpty())
        lines << line.trimmed();
    return lines;
}

QStringList wrapToLines(TPrintCanvas& canvas, const QString& text, int width, int maxLines)
{
    QStringList lines = wrapToWidth(canvas, text, width);
    const int kept = std::max(1, maxLines) - 1;
    if (lines.size() <= kept + 1)
        return lines;
    qsizetype from = 0;
    for (int i = 0; i < kept; ++i)
        from = text.indexOf(lines.at(i), from) + lines.at(i).size();
    lines = lines.mid(0, kept);
    lines << elideToWidth(canvas, text.mid(from).trimmed(), width);
    return lines;
}

int longestPieceWidth(TPrintCanvas& canvas, const QString& text)
{
    int longest = 0;
    for (const QString& piece : breakPieces(text))
        longest = std::max(longest, canvas.textWidth(piece.trimmed()));
    return longest;
}

} // namespace tvp
