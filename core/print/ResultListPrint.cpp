#include "core/print/ResultListPrint.h"

#include "core/print/PrintJob.h"
#include "core/print/PrintObject.h"
#include "core/print/PrintUtils.h"
#include "core/util/Logger.h"

#include <QAbstractItemModel>
#include <QPrinter>
#include <QTime>

#include <cmath>
#include <numeric>

namespace tvp {

namespace {

class ListPrinter {
public:
    ListPrinter(QPrinter& printer, const QAbstractItemModel& list, const TListPrintColumns& columns)
        : printer_(printer), list_(list), job_(printer)
    {
        printer_.setPageOrientation(QPageLayout::Landscape);
        page_ = pageGeometry(printer_);
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
        canvas.setFontHeight(65);
        canvas.setBold(true);
        canvas.textOut(page_.offsetX + 50, y_,
                       title + QStringLiteral(" (") + QTime::currentTime().toString(QStringLiteral("hh:mm")) +
                           QLatin1Char(')'));
        if (!subtitle.isEmpty()) {
            lineStep(canvas);
            canvas.setFontHeight(50);
            canvas.setBold(false);
            canvas.textOut(page_.offsetX + 50, y_, QStringLiteral("   ") + subtitle);
        }
        lineStep(canvas);
        lineStep(canvas);
        columnHeaderLine(canvas);

        const int rows = list_.rowCount();
        const int columns = int(widths_.size());
        for (int i = 0; i < rows; ++i) {
            if (y_ < 400 - page_.height) {
                footer(canvas);
                job_.newPage();
                y_ = page_.offsetY - 200;
                columnHeaderLine(canvas);
            }
            if (i % 2 == 1) {
                canvas.setBrushColor(TAlternatingLineRenderer::kBackground);
                canvas.fillRect(page_.offsetX + 50, y_ - (canvas.textHeight() + 10), page_.offsetX + 150 + total_, y_);
                canvas.setBrushClear();
            }
            bool hasSubItems = false;
            for (int c = 1; c < columns && !hasSubItems; ++c)
                hasSubItems = !cellText(i, c).isEmpty();
            int x = 0;
            for (int c = 0; c < columns; ++c) {
                const int width = c == 0 && !hasSubItems ? total_ : widths_[std::size_t(c)];
                printCell(canvas, cellText(i, c), x, width);
                x += widths_[std::size_t(c)];
            }
            lineStep(canvas);
        }
        footer(canvas);
    }

    bool finish() { return job_.finish(); }

private:
    void columnWidths(const TListPrintColumns& columns)
    {
        const int count = list_.columnCount();
        std::vector<int> source(std::size_t(count), 0);
        for (int c = 0; c < count && c < int(columns.widths.size()); ++c)
            source[std::size_t(c)] = std::max(0, columns.widths[std::size_t(c)]);
        const int room = page_.width - 2 * (page_.offsetX + 150);
        // The columns take the page's width in their proportions on screen, however much empty
        // room the view shows beside them.
        int listWidth = std::accumulate(source.begin(), source.end(), 0);
        if (listWidth <= 0) {
            // No widths known: the columns share the page.
            std::fill(source.begin(), source.end(), 1);
            listWidth = std::max(1, count);
        }
        const double scale = double(room) / listWidth;
        widths_.clear();
        total_ = 0;
        for (int w : source) {
            widths_.push_back(int(std::lround(w * scale)));
            total_ += widths_.back();
        }
    }

    QString cellText(int row, int column) const { return list_.index(row, column).data(Qt::DisplayRole).toString(); }

    void lineStep(TPrintCanvas& canvas) { y_ -= canvas.textHeight() + 10; }

    void columnHeaderLine(TPrintCanvas& canvas)
    {
        canvas.setFontHeight(45);
        canvas.setBold(true);
        int x = 0;
        for (std::size_t c = 0; c < widths_.size(); ++c) {
            printCell(canvas, list_.headerData(int(c), Qt::Horizontal, Qt::DisplayRole).toString(), x, widths_[c]);
            x += widths_[c];
        }
        lineStep(canvas);
        canvas.setBold(false);
    }

    // Cut to the column with "..." when it is too wide.
    void printCell(TPrintCanvas& canvas, const QString& text, int x, int width)
    {
        canvas.textOut(page_.offsetX + 150 + x, y_, elideToWidth(canvas, text, width - 3));
    }

    void footer(TPrintCanvas& canvas)
    {
        const int before = canvas.textHeight();
        const bool bold = canvas.font().bold;
        canvas.setFontHeight(25);
        canvas.setBold(false);
        canvas.textOut(page_.offsetX + 50, 200 - page_.height, footerText());
        canvas.setFontHeight(before);
        canvas.setBold(bold);
    }

    QPrinter& printer_;
    const QAbstractItemModel& list_;
    TPrintJob job_;
    TPageGeometry page_;
    std::vector<int> widths_;
    int total_ = 0;
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
