#include "core/print/PrintUtils.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <functional>
#include <numeric>

namespace tvp {

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

std::vector<int> fitColumnsToWidth(std::vector<int> widths, int available)
{
    long long rest = std::accumulate(widths.begin(), widths.end(), 0LL);
    if (rest <= available)
        return widths;
    std::vector<int> widest = widths;
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
    for (int& w : widths)
        w = int(std::min<long long>(w, std::max(0LL, cap)));
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
    const int pagesNeeded = (remaining + perPage - 1) / perPage;
    const int rows = (remaining + pagesNeeded - 1) / pagesNeeded;
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

void TGenericCaptionStringHeader::renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk)
{
    curIndent = x + 40;
    curLine = y - 90;
    canvas.setBrushClear();
    if (FContext)
        canvas.setFont(FContext->mainFont());
    canvas.setFontHeight(FMaxFontHeight);
    canvas.setBold(false);
    textOutWidth(FCaption, canvas);
    if (!FAdditionalCaption.isEmpty()) {
        canvas.setBold(true);
        textOutWidth(QStringLiteral(" - ") + FAdditionalCaption, canvas);
    }
    canvas.setFontHeight(40);
    canvas.setBold(false);
    textOutWidth(printTimeAndPage(FContext), canvas);
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

} // namespace tvp
