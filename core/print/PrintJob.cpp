#include "core/print/PrintJob.h"

#include "core/print/PrintObject.h"
#include "core/util/FileWrite.h"
#include "core/util/Logger.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryFile>

#include <QPageLayout>

namespace tvp {

TPageGeometry pageGeometry(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    const QRectF paint = layout.paintRect(QPageLayout::Millimeter);
    TPageGeometry g;
    // Qt's painter starts at the printable area's corner already: adding the margins again
    // would count them twice.
    g.offsetX = 0;
    g.offsetY = 0;
    g.height = int(paint.height() * 10);
    g.width = int(paint.width() * 10);
    return g;
}

bool checkPrinter(const QPrinter& printer)
{
    if (!printer.isValid())
        return false;
    return !printer.outputFileName().isEmpty() || !printer.printerName().isEmpty();
}

TPrintJob::TPrintJob(QPrinter& printer) : printer_(printer)
{
}

TPrintJob::~TPrintJob()
{
    if (started_ && !finished_) {
        // A half-drawn job goes nowhere: a printer drops it, a file is not put in place.
        if (!temporary_)
            printer_.abort();
        painter_.end();
        dropTemporary();
    }
}

void TPrintJob::newPage()
{
    if (finished_)
        throw EPrintError(QStringLiteral("Der Druckauftrag ist bereits abgeschlossen."));
    if (started_) {
        if (!printer_.newPage())
            throw EPrintError(QStringLiteral("Neue Druckseite konnte nicht begonnen werden."));
        ++pages_;
        return;
    }
    target_ = printer_.outputFileName();
    if (!target_.isEmpty()) {
        const QFileInfo info(target_);
        temporary_ = std::make_unique<QTemporaryFile>(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                                      QStringLiteral(".XXXXXX"));
        if (!temporary_->open()) {
            temporary_.reset();
            throw EPrintError(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.").arg(target_));
        }
        temporary_->close();
        printer_.setOutputFileName(temporary_->fileName());
    }
    if (!painter_.begin(&printer_)) {
        if (temporary_)
            printer_.setOutputFileName(target_);
        dropTemporary();
        throw EPrintError(QStringLiteral("Der Druckauftrag konnte nicht gestartet werden."));
    }
    canvas_ = std::make_unique<TPrintCanvas>(painter_, printer_);
    started_ = true;
    pages_ = 1;
}

bool TPrintJob::finish()
{
    if (finished_ || !started_) {
        finished_ = true;
        return true;
    }
    finished_ = true;
    canvas_.reset();
    const bool ended = painter_.end();
    if (!temporary_)
        return ended;
    printer_.setOutputFileName(target_);
    if (!ended || printer_.printerState() == QPrinter::Error) {
        dropTemporary();
        return false;
    }
    // Put in place like every other file the program writes, with the user's umask (the
    // temporary file is private to its owner).
    QFile drawn(temporary_->fileName());
    QString error;
    bool written = drawn.open(QIODevice::ReadOnly);
    if (!written)
        error = drawn.errorString();
    else
        written = writeFileWhole(
            target_, [&drawn](QIODevice& out) { return out.write(drawn.readAll()) == drawn.size(); }, &error);
    if (!written)
        TVP_LOGGER().log(TLogLevel::ll_error, QStringLiteral("Druckdatei %1: %2").arg(target_, error));
    dropTemporary();
    return written;
}

void TPrintJob::dropTemporary()
{
    // The temporary file removes itself.
    temporary_.reset();
}

} // namespace tvp
