#include "core/print/PrintObject.h"

#include "core/print/PrintJob.h"
#include "core/util/Logger.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace tvp {

class TPrintManager::Job : public TPrintJob {
public:
    using TPrintJob::TPrintJob;
};

TPrintManager::TPrintManager(QPrinter& printer, const QString& jobName, bool landscape)
    : FHeader(std::make_shared<TDummyPrintObject>()),
      FPrintContent(std::make_shared<TDummyPrintObject>()),
      FFooter(std::make_shared<TDummyPrintObject>()),
      FPrinter(printer),
      FJobName(jobName)
{
    FPrinter.setDocName(jobName);
    FPrinter.setCreator(QStringLiteral("Trivanta Pentrel"));
    FPrinter.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const TPageGeometry page = pageGeometry(FPrinter);
    FpageOffsetX = page.offsetX;
    FpageOffsetY = page.offsetY;
    FpageHeight = page.height;
    FpageWidth = page.width;
    FMainFont.name = QStringLiteral("Verdana");
    FMainFont.height = 60;
}

TPrintManager::~TPrintManager()
{
    if (job_ && !endJob())
        TVP_LOGGER().log(TLogLevel::ll_error,
                         QStringLiteral("Druckauftrag \"%1\" konnte nicht abgeschlossen werden.").arg(FJobName));
}

TPrintCanvas& TPrintManager::measuringCanvas()
{
    // A painter that never begins: widths come from the printer's resolution and fonts alone, as
    // on the job's own canvas.
    if (!measuringCanvas_) {
        measuringPainter_ = std::make_unique<QPainter>();
        measuringCanvas_ = std::make_unique<TPrintCanvas>(*measuringPainter_, FPrinter);
    }
    return *measuringCanvas_;
}

void TPrintManager::setPageHeader(std::shared_ptr<ITVPrintObject> header)
{
    FHeader = header ? std::move(header) : std::make_shared<TDummyPrintObject>();
    FCachedNoOfPages = -1;
    FHeader->setPrintContext(this);
}

void TPrintManager::setContent(std::shared_ptr<ITVPrintSplitableContent> content)
{
    FPrintContent = content ? std::move(content) : std::make_shared<TDummyPrintObject>();
    FCachedNoOfPages = -1;
    FPrintContent->setPrintContext(this);
}

void TPrintManager::setPageFooter(std::shared_ptr<ITVPrintObject> footer)
{
    FFooter = footer ? std::move(footer) : std::make_shared<TDummyPrintObject>();
    FCachedNoOfPages = -1;
    FFooter->setPrintContext(this);
}

int TPrintManager::getAvailableContentHeight()
{
    return FpageHeight - (FHeader->getHeight() + FHeaderSpacing) - (FFooter->getHeight() + FFooterSpacing);
}

int TPrintManager::getNoOfPages(bool recount)
{
    if (!recount && FCachedNoOfPages >= 0)
        return FCachedNoOfPages;
    const int available = getAvailableContentHeight();
    FPrintContent->resetSplitting();
    int count = 0;
    while (FPrintContent->getChunk(available)) {
        if (++count > maxPages)
            throw EPrintError(QStringLiteral("Der Ausdruck hätte mehr als %1 Seiten.").arg(maxPages));
    }
    FCachedNoOfPages = count;
    return count;
}

void TPrintManager::startPage()
{
    if (!job_)
        job_ = std::make_unique<Job>(FPrinter);
    job_->newPage();
    ++pagesPrinted_;
}

void TPrintManager::render()
{
    if (getNoOfPages(true) == 0)
        return;
    const int available = getAvailableContentHeight();
    const int headerOffset = FHeader->getHeight() + FHeaderSpacing;
    const int footerHeight = FFooter->getHeight();
    FPrintContent->resetSplitting();
    FcurrentPageNo = 0;
    try {
        while (std::shared_ptr<ITVChunk> chunk = FPrintContent->getChunk(available)) {
            if (FcurrentPageNo >= maxPages)
                throw EPrintError(QStringLiteral("Der Ausdruck hätte mehr als %1 Seiten.").arg(maxPages));
            // The first page of the job is started with the job itself.
            startPage();
            ++FcurrentPageNo;
            firstPage = false;
            TPrintCanvas& canvas = job_->canvas();
            chunk->setPrintContext(this);
            chunk->renderToPage(FpageOffsetX, FpageOffsetY - headerOffset, FpageWidth, canvas, chunk.get());
            FHeader->renderToPage(FpageOffsetX, FpageOffsetY, FpageWidth, canvas, chunk.get());
            FFooter->renderToPage(FpageOffsetX, FpageOffsetY - FpageHeight + footerHeight, FpageWidth, canvas,
                                  chunk.get());
        }
    } catch (...) {
        // A broken printout is not sent half-drawn.
        job_.reset();
        throw;
    }
}

bool TPrintManager::endJob()
{
    if (!job_)
        return true;
    const bool written = job_->finish();
    job_.reset();
    return written;
}

} // namespace tvp
