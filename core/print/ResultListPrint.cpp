#include "core/print/ResultListPrint.h"

#include "core/print/PrintJob.h"
#include "core/print/PrintObject.h"
#include "core/print/PrintUtils.h"
#include "core/util/Logger.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QPainter>
#include <QPrinter>
#include <QTime>

#include <cmath>
#include <numeric>
#include <optional>
#include <utility>

namespace tvp {

namespace {

constexpr int kTextHeight = 45;
// No text of the list is smaller: an official reads it at arm's length.
constexpr double kLeastPoints = 6.0;
// Between the texts of two columns, at kTextHeight; it shrinks with the type.
constexpr int kColumnGap = 40;
// The footer's line, and the room a row keeps above it.
constexpr int kFooterLine = 200;
constexpr int kFooterGap = 30;

// A column as printed: a model's column of names, or one place of the block of values, which holds
// value lines[l] * places + place in its line l.
struct TPrintedColumn {
    int model = -1; // a column of names
    int place = -1; // a place of the values
    int width = 0;
};

class ListPrinter {
public:
    ListPrinter(QPrinter& printer, const QAbstractItemModel& list, const TListPrintColumns& columns,
                const QString& title, const QString& subtitle)
        : printer_(printer), list_(list), job_(printer), title_(title), subtitle_(subtitle)
    {
        printer_.setPageOrientation(QPageLayout::Landscape);
        page_ = pageGeometry(printer_);
        for (int c = 0; c < list_.columnCount(); ++c)
            values_.push_back(std::size_t(c) < columns.values.size() && columns.values[std::size_t(c)]);
        layOut(columns);
    }

    void print()
    {
        printer_.setDocName(subtitle_.isEmpty() ? title_ : title_ + QLatin1Char(' ') + subtitle_);
        printer_.setCreator(QStringLiteral("Trivanta Pentrel"));
        job_.newPage();
        paginate(&job_.canvas());
    }

    bool finish() { return job_.finish(); }

private:
    // Lays the rows out on pages and returns their count; draws them only with a canvas.
    int paginate(TPrintCanvas* draw)
    {
        QPainter idle;
        TPrintCanvas measuring(idle, printer_);
        TPrintCanvas& canvas = draw ? *draw : measuring;
        canvas.setFont(TPrintFont());
        canvas.setBrushClear();
        int pages = 1;
        y_ = page_.offsetY - 200;
        canvas.setBold(true);
        titleLine(canvas,
                  title_ + QStringLiteral(" (") + QTime::currentTime().toString(QStringLiteral("hh:mm")) +
                      QLatin1Char(')'),
                  65, draw);
        if (!subtitle_.isEmpty()) {
            lineStep(canvas);
            canvas.setBold(false);
            titleLine(canvas, QStringLiteral("   ") + subtitle_, 50, draw);
        }
        lineStep(canvas);
        lineStep(canvas);
        columnHeaderLine(canvas, draw);

        const int rows = list_.rowCount();
        for (int i = 0; i < rows; ++i) {
            const std::vector<QStringList> cells = rowCells(canvas, i);
            int lines = 1;
            for (const QStringList& cell : cells)
                lines = std::max(lines, int(cell.size()));
            const int step = textHeight_ + 10;
            // A row starts no lower than 40 mm above the page's bottom and ends above the footer.
            if (y_ < 400 - page_.height || y_ - lines * step < rowsEnd()) {
                footer(canvas, draw);
                if (draw)
                    job_.newPage();
                ++pages;
                y_ = page_.offsetY - 200;
                columnHeaderLine(canvas, draw);
            }
            if (draw) {
                if (i % 2 == 1) {
                    canvas.setBrushColor(TAlternatingLineRenderer::kBackground);
                    canvas.fillRect(page_.offsetX + 50, y_ - lines * step, page_.offsetX + 150 + total_, y_);
                    canvas.setBrushClear();
                }
                int x = 0;
                for (std::size_t c = 0; c < columns_.size(); ++c) {
                    for (int l = 0; l < cells[c].size(); ++l)
                        canvas.textOut(page_.offsetX + 150 + x, y_ - l * step, cells[c].at(l));
                    x += columns_[c].width;
                }
            }
            y_ -= lines * step;
        }
        footer(canvas, draw);
        return pages;
    }

    // The lines of a row's cells in the printed columns. A text wider than its column goes on in
    // further lines rather than being cut; a row without sub items spans the table to its edge.
    std::vector<QStringList> rowCells(TPrintCanvas& canvas, int row)
    {
        canvas.setFontHeight(textHeight_);
        canvas.setBold(false);
        const bool subItems = hasSubItems(row);
        std::vector<QStringList> cells;
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            const TPrintedColumn& column = columns_[c];
            if (column.place >= 0) {
                QStringList lines;
                if (subItems)
                    for (int l = 0; l < valueLines_; ++l) {
                        const int v = l * places_ + column.place;
                        lines << (v < int(shownValues_.size()) ? cellText(row, shownValues_[std::size_t(v)])
                                                               : QString());
                    }
                while (!lines.isEmpty() && lines.last().isEmpty())
                    lines.removeLast();
                cells.push_back(lines);
            } else if (c == 0 && !subItems) {
                cells.push_back(wrapped(canvas, cellText(row, column.model), total_ - 3));
            } else if (column.width <= 0 || (!subItems && c > 0)) {
                cells.emplace_back();
            } else {
                cells.push_back(wrapped(canvas, cellText(row, column.model), column.width - gap_));
            }
        }
        return cells;
    }

    QStringList wrapped(TPrintCanvas& canvas, const QString& text, int width)
    {
        const QString key = QStringLiteral("%1 %2 %3 ").arg(width).arg(textHeight_).arg(maxLines_) + text;
        auto found = wrapped_.constFind(key);
        if (found == wrapped_.constEnd())
            found = wrapped_.insert(key, wrapToLines(canvas, text, width, maxLines_, false, TWordBreak::atJoints));
        return *found;
    }

    // Each shown column as wide as its widest text, the room left shared in the proportions of the
    // columns on screen. Where the texts need more than the page, the values keep their width and
    // the names wrap in theirs, at blanks, hyphens, joints and syllables, so that the list takes
    // the fewest lines; where the values and the names' longest parts still need more, the type
    // gets smaller, down to kLeastPoints, and the values go on in further lines of their row: of
    // those ways, the one on the fewest pages, in the largest type.
    void layOut(const TListPrintColumns& screen)
    {
        const int count = list_.columnCount();
        source_.assign(std::size_t(count), 0);
        for (int c = 0; c < count && c < int(screen.widths.size()); ++c)
            source_[std::size_t(c)] = std::max(0, screen.widths[std::size_t(c)]);
        if (std::accumulate(source_.begin(), source_.end(), 0) <= 0)
            std::fill(source_.begin(), source_.end(), 1); // no widths known: all shown, sharing alike
        for (int c = 0; c < count; ++c)
            if (values_[std::size_t(c)] && source_[std::size_t(c)] > 0)
                shownValues_.push_back(c);
        // Values go on in further lines only where they stand together.
        bool together = true;
        for (std::size_t v = 1; v < shownValues_.size(); ++v)
            for (int c = shownValues_[v - 1] + 1; c < shownValues_[v]; ++c)
                together = together && source_[std::size_t(c)] <= 0;
        const int room = page_.width - 2 * 150;
        TPrintFont bold;
        bold.bold = true;
        const int least =
            std::max(fontHeightForPoints(TPrintFont(), kLeastPoints), fontHeightForPoints(bold, kLeastPoints));

        QPainter idle;
        TPrintCanvas canvas(idle, printer_);
        canvas.setFont(TPrintFont());

        measure(canvas, kTextHeight, 1);
        long long needed = valuesWidth();
        for (const TWrapColumn& column : names_)
            needed += column.wanted;
        if (needed <= room) {
            const long long shares = std::accumulate(source_.begin(), source_.end(), 0LL);
            std::vector<int> widths(std::size_t(count), 0);
            for (int c = 0; c < count; ++c)
                widths[std::size_t(c)] = std::max(valueWidths_[std::size_t(c)], names_[std::size_t(c)].wanted) +
                                         int((room - needed) * source_[std::size_t(c)] / shares);
            setColumns(widths);
            return;
        }
        // The largest type that holds the values whole and the names' longest parts, found by
        // halving for each count of value lines; widths grow with the type.
        const auto fits = [&](int height, int lines) {
            measure(canvas, height, lines);
            long long width = valuesWidth();
            for (const TWrapColumn& column : names_)
                if (column.wanted > 0)
                    width += wrapColumnFloor(canvas, column, gap_);
            return width <= room;
        };
        struct TWay {
            int height, lines, pages;
            std::vector<TPrintedColumn> columns;
        };
        std::optional<TWay> best;
        const int mostLines = together ? std::max(1, int(shownValues_.size())) : 1;
        for (int lines = 1; lines <= mostLines; ++lines) {
            const int values = int(shownValues_.size());
            if (lines > 1 && (values + lines - 1) / lines == (values + lines - 2) / (lines - 1))
                continue; // as many places as with a line less
            int height = kTextHeight;
            if (!fits(kTextHeight, lines)) {
                if (!fits(least, lines))
                    continue;
                int low = least, high = kTextHeight;
                while (low + 1 < high) {
                    const int mid = (low + high) / 2;
                    (fits(mid, lines) ? low : high) = mid;
                }
                height = low;
            }
            arrange(canvas, height, lines, room);
            const int pages = paginate(nullptr);
            if (!best || pages < best->pages || (pages == best->pages && height > best->height))
                best = TWay{height, lines, pages, columns_};
            if (height == kTextHeight)
                break; // more lines give no larger type
        }
        if (best) {
            measure(canvas, best->height, best->lines);
            columns_ = best->columns;
            total_ = 0;
            for (const TPrintedColumn& column : columns_)
                total_ += column.width;
            return;
        }
        // Not even the names' longest parts beside the values: the names break inside them, and the
        // values take as many lines as they need to stay whole, in smaller type only where a value
        // alone is wider than the page.
        int lines = 1;
        for (measure(canvas, least, lines); valuesWidth() > room && lines < mostLines;
             measure(canvas, least, ++lines)) {
        }
        int height = least;
        for (; height > 1 && valuesWidth() > room; measure(canvas, --height, lines)) {
        }
        arrange(canvas, height, lines, room);
    }

    // The values' places and the names' columns at a height of type, for values in that many lines.
    void measure(TPrintCanvas& canvas, int height, int lines)
    {
        const int count = list_.columnCount();
        textHeight_ = height;
        gap_ = std::max(1, kColumnGap * height / kTextHeight);
        valueLines_ = lines;
        places_ = shownValues_.empty() ? 0 : (int(shownValues_.size()) + lines - 1) / lines;
        maxLines_ = maxLinesAt(height, lines);
        canvas.setFontHeight(height);
        valueWidths_.assign(std::size_t(count), 0);
        names_.assign(std::size_t(count), TWrapColumn());
        canvas.setBold(true);
        for (int c = 0; c < count; ++c)
            if (source_[std::size_t(c)] > 0) {
                TWrapColumn& column = names_[std::size_t(c)];
                column.wanted = column.header = canvas.textWidth(headerText(c)) + gap_;
                column.caption = headerText(c);
                column.breaks = TWordBreak::atJoints;
            }
        canvas.setBold(false);
        for (int r = 0; r < list_.rowCount(); ++r) {
            // A row without sub items spans the page and asks nothing of its columns.
            const bool subItems = hasSubItems(r);
            for (int c = 0; c < count; ++c)
                if (source_[std::size_t(c)] > 0) {
                    TWrapColumn& column = names_[std::size_t(c)];
                    const QString text = subItems ? cellText(r, c) : QString();
                    column.wanted = std::max(column.wanted, canvas.textWidth(text) + gap_);
                    column.cells << text;
                }
        }
        for (int c = 0; c < count; ++c)
            if (values_[std::size_t(c)])
                valueWidths_[std::size_t(c)] = std::exchange(names_[std::size_t(c)], TWrapColumn()).wanted;
        placeWidths_.assign(std::size_t(places_), 0);
        for (std::size_t v = 0; v < shownValues_.size(); ++v) {
            int& place = placeWidths_[v % std::size_t(places_)];
            place = std::max(place, valueWidths_[std::size_t(shownValues_[v])]);
        }
    }

    long long valuesWidth() const { return std::accumulate(placeWidths_.begin(), placeWidths_.end(), 0LL); }

    // The names' widths in the room the values leave, as measured last.
    void arrange(TPrintCanvas& canvas, int height, int lines, int room)
    {
        measure(canvas, height, lines);
        std::vector<TWrapColumn> wrapped;
        std::vector<int> at;
        for (int c = 0; c < int(names_.size()); ++c)
            if (names_[std::size_t(c)].wanted > 0) {
                wrapped.push_back(names_[std::size_t(c)]);
                at.push_back(c);
            }
        const std::vector<int> fitted = fitColumnsToFewestLines(
            canvas, wrapped, gap_, int(std::max(0LL, room - valuesWidth())), maxLines_, valueLines_);
        std::vector<int> widths(names_.size(), 0);
        for (std::size_t i = 0; i < at.size(); ++i)
            widths[std::size_t(at[i])] = fitted[i];
        for (int c : shownValues_)
            widths[std::size_t(c)] = valueWidths_[std::size_t(c)];
        setColumns(widths);
    }

    // The printed columns in the model's order, the values' block where its first value stands.
    void setColumns(const std::vector<int>& widths)
    {
        columns_.clear();
        for (int c = 0; c < int(widths.size()); ++c) {
            if (!values_[std::size_t(c)] || source_[std::size_t(c)] <= 0) {
                columns_.push_back({c, -1, widths[std::size_t(c)]});
            } else if (valueLines_ == 1) {
                const auto v = std::find(shownValues_.begin(), shownValues_.end(), c) - shownValues_.begin();
                columns_.push_back({c, int(v), widths[std::size_t(c)]});
            } else if (c == shownValues_.front()) {
                for (int p = 0; p < places_; ++p)
                    columns_.push_back({-1, p, placeWidths_[std::size_t(p)]});
            }
        }
        total_ = 0;
        for (const TPrintedColumn& column : columns_)
            total_ += column.width;
    }

    // A cell may take every line a page has below the column header, so a text is cut only where
    // even a page of its own would not hold it.
    int maxLinesAt(int height, int valueLines) const
    {
        const int step = height + 10;
        return std::max(1, (page_.offsetY - 200 - std::max(2, valueLines) * step - rowsEnd()) / step);
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
    void titleLine(TPrintCanvas& canvas, const QString& text, int height, TPrintCanvas* draw)
    {
        const int left = page_.offsetX + 50;
        const int room = page_.width - 50 - left;
        canvas.setFontHeight(height);
        shrinkToWidth(canvas, text, room, height * 2 / 3);
        if (draw)
            canvas.textOut(left, y_, elideToWidth(canvas, text, room));
    }

    void lineStep(TPrintCanvas& canvas) { y_ -= canvas.textHeight() + 10; }

    // The lowest a row may reach.
    int rowsEnd() const { return kFooterLine + kFooterGap - page_.height; }

    // A caption wider than its column goes on in a second line; the values' captions stand in the
    // lines of their values; nothing of a hidden column.
    void columnHeaderLine(TPrintCanvas& canvas, TPrintCanvas* draw)
    {
        canvas.setFontHeight(textHeight_);
        canvas.setBold(true);
        const int step = canvas.textHeight() + 10;
        int x = 0;
        int lines = 1;
        for (const TPrintedColumn& column : columns_) {
            QStringList caption;
            if (column.model < 0) {
                for (int l = 0; l < valueLines_; ++l) {
                    const int v = l * places_ + column.place;
                    caption << (v < int(shownValues_.size()) ? headerText(shownValues_[std::size_t(v)]) : QString());
                }
            } else if (column.width > 0) {
                caption = wrapToLines(canvas, headerText(column.model), column.width - gap_, 2);
            }
            for (qsizetype l = 0; draw && l < caption.size(); ++l)
                canvas.textOut(page_.offsetX + 150 + x, y_ - int(l) * step, caption.at(l));
            lines = std::max(lines, int(caption.size()));
            x += column.width;
        }
        for (int l = 0; l < lines; ++l)
            lineStep(canvas);
        canvas.setBold(false);
    }

    void footer(TPrintCanvas& canvas, TPrintCanvas* draw)
    {
        if (!draw)
            return;
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
    QString title_, subtitle_;
    std::vector<bool> values_;     // columns of values: never broken, never cut
    std::vector<int> source_;      // the columns' widths on screen; 0 for a hidden one
    std::vector<int> shownValues_; // the shown columns of values, in order
    std::vector<TPrintedColumn> columns_;
    // As measured last: each value's width, the widths of the values' places, the names' columns.
    std::vector<int> valueWidths_, placeWidths_;
    std::vector<TWrapColumn> names_;
    QHash<QString, QStringList> wrapped_; // by width, height, lines and text
    int total_ = 0;
    int textHeight_ = kTextHeight;
    int gap_ = kColumnGap;
    int valueLines_ = 1;
    int places_ = 0;
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
        ListPrinter job(printer, list, columns, title, subtitle);
        job.print();
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
