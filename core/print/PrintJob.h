#pragma once
// One print job on a printer, started only when its first page is: a document of no page leaves
// no job on the printer and writes no file. A job printed to a file is written beside it under
// a temporary name and moved into place when it ends, so the file is whole or not there at all.

#include "core/print/PrintCanvas.h"

#include <QPainter>
#include <QString>

#include <memory>

class QPrinter;
class QTemporaryFile;

namespace tvp {

// The page in 0.1 mm: the origin is the top-left corner of the printable area, where Qt's painter
// starts, so the offsets of the printable area from it are 0; width and height are those of the
// printable area.
struct TPageGeometry {
    int offsetX = 0;
    int offsetY = 0;
    int width = 0;
    int height = 0;
};
TPageGeometry pageGeometry(const QPrinter& printer);

// True when the printer can take a job: a printer is chosen, or a file to print into.
bool checkPrinter(const QPrinter& printer);

class TPrintJob {
public:
    explicit TPrintJob(QPrinter& printer);
    // A job that was not finished is dropped: its temporary file goes.
    ~TPrintJob();
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;

    // Starts the job with its first page, or goes on to a new page. Throws EPrintError when the
    // job cannot be started.
    void newPage();
    bool started() const { return started_; }
    int pageCount() const { return pages_; }
    // Valid once a page was started.
    TPrintCanvas& canvas() { return *canvas_; }

    // Ends the job. False when it could not be written; nothing is left behind then.
    bool finish();

private:
    void dropTemporary();

    QPrinter& printer_;
    QPainter painter_;
    std::unique_ptr<TPrintCanvas> canvas_;
    std::unique_ptr<QTemporaryFile> temporary_;
    QString target_;
    bool started_ = false;
    bool finished_ = false;
    int pages_ = 0;
};

} // namespace tvp
