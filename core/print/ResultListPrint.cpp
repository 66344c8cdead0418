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
#include <utility>

namespace tvp {

namespace {

constexpr int kTextHeight = 45;
// The list's type gets smaller down to half its size where its values and its names' parts need
// more than the page's width, smaller still only where its values alone do.
constexpr int kSmallestText = kTextHeight / 2;
// Between the texts of two columns, at kTextHeight; it shrinks with the type.
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
        for (int c = 0; c < list_.columnCount(); ++c)
            values_.push_back(std::size_t(c) < columns.values.size() && columns.values[std::size_t(c)]);
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
                if (width <= 0)
                    cells.emplace_back();
                else if (values_[std::size_t(c)] && !spans)
                    cells.push_back({cellText(i, c)}); // its column holds the widest whole
                else
                    cells.push_back(wrapToLines(canvas, cellText(i, c), width - (spans ? 3 : gap_), maxLines_, false,
                                                TWordBreak::atJoints));
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
    // the columns on screen. Where the texts need more than the page, the values keep their width
    // and the names wrap in theirs, at blanks, hyphens and joints; where the values and the names'
    // longest parts still need more, the type gets smaller.
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
        // The values' widths and the names' columns at a height of type.
        std::vector<int> values;
        std::vector<TWrapColumn> names;
        const auto measure = [&](int height) {
            textHeight_ = height;
            gap_ = std::max(1, kColumnGap * height / kTextHeight);
            maxLines_ = maxLinesAt(height);
            canvas.setFontHeight(height);
            values.assign(std::size_t(count), 0);
            names.assign(std::size_t(count), TWrapColumn());
            canvas.setBold(true);
            for (int c = 0; c < count; ++c)
                if (source[std::size_t(c)] > 0) {
                    TWrapColumn& column = names[std::size_t(c)];
                    column.wanted = column.header = canvas.textWidth(headerText(c)) + gap_;
                    column.caption = headerText(c);
                    column.breaks = TWordBreak::atJoints;
                }
            canvas.setBold(false);
            for (int r = 0; r < list_.rowCount(); ++r) {
                // A row without sub items spans the page and asks nothing of its first column.
                for (int c = hasSubItems(r) ? 0 : 1; c < count; ++c)
                    if (source[std::size_t(c)] > 0) {
                        TWrapColumn& column = names[std::size_t(c)];
                        column.wanted = std::max(column.wanted, canvas.textWidth(cellText(r, c)) + gap_);
                        column.cells << cellText(r, c);
                    }
            }
            for (int c = 0; c < count; ++c)
                if (values_[std::size_t(c)])
                    values[std::size_t(c)] = std::exchange(names[std::size_t(c)], TWrapColumn()).wanted;
        };
        const auto valuesWidth = [&] { return std::accumulate(values.begin(), values.end(), 0LL); };
        // The least the row takes: the values whole, the names' longest parts and their captions in two lines.
        const auto fits = [&](int height) {
            measure(height);
            long long least = valuesWidth();
            for (const TWrapColumn& column : names)
                if (column.wanted > 0)
                    least += wrapColumnFloor(canvas, column, gap_);
            return least <= room;
        };

        measure(kTextHeight);
        long long needed = valuesWidth();
        for (const TWrapColumn& column : names)
            needed += column.wanted;
        if (needed <= room) {
            const long long shares = std::accumulate(source.begin(), source.end(), 0LL);
            widths_.assign(std::size_t(count), 0);
            for (int c = 0; c < count; ++c)
                widths_[std::size_t(c)] = std::max(values[std::size_t(c)], names[std::size_t(c)].wanted) +
                                          int((room - needed) * source[std::size_t(c)] / shares);
        } else {
            // The largest type that holds them, found by halving: widths grow with the type.
            int height = kTextHeight;
            if (!fits(kTextHeight)) {
                int low = kSmallestText, high = kTextHeight;
                if (fits(kSmallestText)) {
                    while (low + 1 < high) {
                        const int mid = (low + high) / 2;
                        (fits(mid) ? low : high) = mid;
                    }
                } else {
                    // Values never break: smaller still until they alone fit.
                    for (measure(low); low > 1 && valuesWidth() > room; measure(--low)) {
                    }
                }
                height = low;
            }
            measure(height);
            std::vector<TWrapColumn> wrapped;
            std::vector<int> at;
            for (int c = 0; c < count; ++c)
                if (names[std::size_t(c)].wanted > 0) {
                    wrapped.push_back(names[std::size_t(c)]);
                    at.push_back(c);
                }
            const std::vector<int> fitted =
                fitColumnsToFewestLines(canvas, wrapped, gap_, int(std::max(0LL, room - valuesWidth())), maxLines_);
            widths_ = values;
            for (std::size_t i = 0; i < at.size(); ++i)
                widths_[std::size_t(at[i])] = fitted[i];
        }
        total_ = std::accumulate(widths_.begin(), widths_.end(), 0);
    }

    // A cell may take every line a page has below a two-line column header, so a text is cut
    // only where even a page of its own would not hold it.
    int maxLinesAt(int height) const
    {
        const int step = height + 10;
        return std::max(1, (page_.offsetY - 200 - 2 * step - rowsEnd()) / step);
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
        canvas.setFontHeight(textHeight_);
        canvas.setBold(true);
        int x = 0;
        int lines = 1;
        for (std::size_t c = 0; c < widths_.size(); ++c) {
            if (widths_[c] > 0) {
                const QStringList caption = wrapToLines(canvas, headerText(int(c)), widths_[c] - gap_, 2);
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
    std::vector<bool> values_; // columns of values: never broken, never cut
    std::vector<int> widths_;
    int total_ = 0;
    int textHeight_ = kTextHeight;
    int gap_ = kColumnGap;
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
