#include "core/print/ResultListPrint.h"

#include "core/print/PrintJob.h"
#include "core/print/PrintObject.h"
#include "core/print/PrintUtils.h"
#include "core/util/Logger.h"

#include <QAbstractItemModel>
#include <QPainter>
#include <QPrinter>
#include <QTime>

#include <cmath>
#include <numeric>

namespace tvp {

namespace {

constexpr int kTextHeight = 45;
// Between the texts of two columns.
constexpr int kColumnGap = 40;
// The footer's line, and the room a row keeps above it.
constexpr int kFooterLine = 200;
constexpr int kFooterGap = 30;

class ListPrinter {
public:
    ListPrinter(QPrinter& printer, const QAbstractItemModel& list, const TListPrintColumns& columns)
        : printer_(printer), list_(list), job_(printer)
    {
        printer_.setPageOrientation(QPageLayout::Landscape);
        page_ = pageGeometry(printer_);
        // A cell may take every line a page has below a two-line column header, so a text is cut
        // only where even a page of its own would not hold it.
        const int step = kTextHeight + 10;
        maxLines_ = std::max(1, (page_.offsetY - 200 - 2 * step - rowsEnd()) / step);
        columnWidths(columns);
    }

    void print(const QString& title, const QString& subtitle)
    {
        printer_.setDocName(subtitle.isEmpty() ? title : title + QLatin1Char(' ') + subtitle);
        printer_.setCreator(QStringLiteral("Trivanta Pentrel"));
        job_.newPage();
        TPrintCanvas& canvas = job_.canvas();
        TPrintFont font;
        canvas.setFont(font);
        canvas.setBrushClear();

        y_ = page_.offsetY - 200;
        canvas.setBold(true);
        titleLine(canvas,
                  title + QStringLiteral(" (") + QTime::currentTime().toString(QStringLiteral("hh:mm")) +
                      QLatin1Char(')'),
                  65);
        if (!subtitle.isEmpty()) {
            lineStep(canvas);
            canvas.setBold(false);
            titleLine(canvas, QStringLiteral("   ") + subtitle, 50);
        }
        lineStep(canvas);
        lineStep(canvas);
        columnHeaderLine(canvas);

        const int rows = list_.rowCount();
        const int columns = int(widths_.size());
        for (int i = 0; i < rows; ++i) {
            // A text wider than its column goes on in a second line rather than being cut.
            const bool subItems = hasSubItems(i);
            std::vector<QStringList> cells;
            int lines = 1;
            for (int c = 0; c < columns; ++c) {
                // A row without sub items spans the table to its edge; a column keeps its gap from the next.
                const bool spans = c == 0 && !subItems;
                const int width = spans ? total_ : widths_[std::size_t(c)];
                cells.push_back(
                    width > 0 ? wrapToLines(canvas, cellText(i, c), width - (spans ? 3 : kColumnGap), maxLines_)
                              : QStringList());
                lines = std::max(lines, int(cells.back().size()));
            }
            const int step = canvas.textHeight() + 10;
            // A row starts no lower than 40 mm above the page's bottom and ends above the footer.
            if (y_ < 400 - page_.height || y_ - lines * step < rowsEnd()) {
                footer(canvas);
                job_.newPage();
                y_ = page_.offsetY - 200;
                columnHeaderLine(canvas);
            }
            if (i % 2 == 1) {
                canvas.setBrushColor(TAlternatingLineRenderer::kBackground);
                canvas.fillRect(page_.offsetX + 50, y_ - lines * step, page_.offsetX + 150 + total_, y_);
                canvas.setBrushClear();
            }
            int x = 0;
            for (int c = 0; c < columns; ++c) {
                for (int l = 0; l < cells[std::size_t(c)].size(); ++l)
                    canvas.textOut(page_.offsetX + 150 + x, y_ - l * step, cells[std::size_t(c)].at(l));
                x += widths_[std::size_t(c)];
            }
            y_ -= lines * step;
        }
        footer(canvas);
    }

    bool finish() { return job_.finish(); }

private:
    // Each shown column as wide as its widest text, the room left shared in the proportions of
    // the columns on screen; where the texts need more than the page, they wrap in their columns.
    void columnWidths(const TListPrintColumns& columns)
    {
        const int count = list_.columnCount();
        std::vector<int> source(std::size_t(count), 0);
        for (int c = 0; c < count && c < int(columns.widths.size()); ++c)
            source[std::size_t(c)] = std::max(0, columns.widths[std::size_t(c)]);
        if (std::accumulate(source.begin(), source.end(), 0) <= 0)
            std::fill(source.begin(), source.end(), 1); // no widths known: all shown, sharing alike
        const int room = page_.width - 2 * 150;

        QPainter idle;
        TPrintCanvas canvas(idle, printer_);
        canvas.setFont(TPrintFont());
        canvas.setFontHeight(kTextHeight);
        std::vector<TWrapColumn> wrapped(static_cast<std::size_t>(count));
        canvas.setBold(true);
        for (int c = 0; c < count; ++c)
            if (source[std::size_t(c)] > 0) {
                wrapped[std::size_t(c)].wanted = wrapped[std::size_t(c)].header =
                    canvas.textWidth(headerText(c)) + kColumnGap;
                wrapped[std::size_t(c)].caption = headerText(c);
            }
        canvas.setBold(false);
        for (int r = 0; r < list_.rowCount(); ++r) {
            // A row without sub items spans the page and asks nothing of its first column.
            for (int c = hasSubItems(r) ? 0 : 1; c < count; ++c)
                if (source[std::size_t(c)] > 0) {
                    TWrapColumn& column = wrapped[std::size_t(c)];
                    column.wanted = std::max(column.wanted, canvas.textWidth(cellText(r, c)) + kColumnGap);
                    column.cells << cellText(r, c);
                }
        }
        std::vector<int> need;
        for (const TWrapColumn& column : wrapped)
            need.push_back(column.wanted);

        const long long needed = std::accumulate(need.begin(), need.end(), 0LL);
        if (needed > room) {
            widths_ = fitWrappingColumns(canvas, wrapped, kColumnGap, room, maxLines_);
        } else {
            const long long shares = std::accumulate(source.begin(), source.end(), 0LL);
            widths_ = need;
            for (std::size_t c = 0; c < widths_.size(); ++c)
                widths_[c] += int((room - needed) * source[c] / shares);
        }
        total_ = std::accumulate(widths_.begin(), widths_.end(), 0);
    }

    bool hasSubItems(int row) const
    {
        for (int c = 1; c < list_.columnCount(); ++c)
            if (!cellText(row, c).isEmpty())
                return true;
        return false;
    }

    QString headerText(int column) const
    {
        return list_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }

    QString cellText(int row, int column) const { return list_.index(row, column).data(Qt::DisplayRole).toString(); }

    // Smaller where it would run past the page's edge, to two thirds; cut where even that does not hold it.
    void titleLine(TPrintCanvas& canvas, const QString& text, int height)
    {
        const int left = page_.offsetX + 50;
        const int room = page_.width - 50 - left;
        canvas.setFontHeight(height);
        shrinkToWidth(canvas, text, room, height * 2 / 3);
        canvas.textOut(left, y_, elideToWidth(canvas, text, room));
    }

    void lineStep(TPrintCanvas& canvas) { y_ -= canvas.textHeight() + 10; }

    // The lowest a row may reach.
    int rowsEnd() const { return kFooterLine + kFooterGap - page_.height; }

    // A caption wider than its column goes on in a second line; nothing of a hidden column.
    void columnHeaderLine(TPrintCanvas& canvas)
    {
        canvas.setFontHeight(kTextHeight);
        canvas.setBold(true);
        int x = 0;
        int lines = 1;
        for (std::size_t c = 0; c < widths_.size(); ++c) {
            if (widths_[c] > 0) {
                const QStringList caption = wrapToLines(canvas, headerText(int(c)), widths_[c] - 3, 2);
                for (qsizetype l = 0; l < caption.size(); ++l)
                    canvas.textOut(page_.offsetX + 150 + x, y_ - int(l) * (canvas.textHeight() + 10), caption.at(l));
                lines = std::max(lines, int(caption.size()));
            }
            x += widths_[c];
        }
        for (int l = 0; l < lines; ++l)
            lineStep(canvas);
        canvas.setBold(false);
    }

    void footer(TPrintCanvas& canvas)
    {
        const int before = canvas.textHeight();
        const bool bold = canvas.font().bold;
        canvas.setFontHeight(25);
        canvas.setBold(false);
        canvas.textOut(page_.offsetX + 50, kFooterLine - page_.height, footerText());
        canvas.setFontHeight(before);
        canvas.setBold(bold);
    }

    QPrinter& printer_;
    const QAbstractItemModel& list_;
    TPrintJob job_;
    TPageGeometry page_;
    std::vector<int> widths_;
    int total_ = 0;
    int maxLines_ = 1;
    int y_ = 0;
};

} // namespace

bool ResultListPrint(QPrinter& printer, const QAbstractItemModel& list, const TListPrintColumns& columns,
                     const QString& title, const QString& subtitle, QString* error)
{
    if (!checkPrinter(printer))
        return false;
    QString failure;
    try {
        ListPrinter job(printer, list, columns);
        job.print(title, subtitle);
        if (job.finish())
            return true;
        failure = QStringLiteral("Der Druckauftrag konnte nicht abgeschlossen werden.");
    } catch (const EPrintError& e) {
        failure = e.message();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    TVP_LOGGER().log(TLogLevel::ll_error, QStringLiteral("Liste \"%1\" drucken: %2").arg(title, failure));
    if (error)
        *error = failure;
    return false;
}

} // namespace tvp
