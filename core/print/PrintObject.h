#pragma once
// The page engine: a document is one header printed at the top of every page, one footer at the
// bottom of every page and one body that is split into page-sized chunks. TPrintManager asks the
// body for one chunk per page until it is exhausted and draws header, chunk and footer on each.
// Lengths are in 0.1 mm, y grows upwards (see PrintCanvas.h).
//
// Print objects are shared: a manager keeps its header, body and footer alive, and a chunk lives
// as long as someone holds it.
//
//   TPrintManager manager(printer, "Teams", true);      // usually through InitPrint()
//   manager.setPageHeader(header);
//   manager.setHeaderSpacing(150);
//   manager.setContent(body);
//   manager.setPageFooter(std::make_shared<TTVPFooter>());
//   manager.setFooterSpacing(30);
//   manager.render();                                   // may be called again with a new body
//   manager.endJob();                                   // the job goes to the printer

#include "core/print/PrintCanvas.h"
#include "core/protocol/Errors.h"

#include <QString>

#include <memory>

class QPainter;
class QPrinter;

namespace tvp {

class TPrintManager;
class ITVChunk;

// The printout could not be started or written.
class EPrintError : public TvpError {
public:
    using TvpError::TvpError;
};

// Per-document data a body hands to its chunks, so headers and footers can print it through the
// chunk of the current page. Documents derive their own.
class TPrintContextDataObject {
public:
    virtual ~TPrintContextDataObject() = default;
};

class ITVPrintBaseObject {
public:
    virtual ~ITVPrintBaseObject() = default;
    // The manager that prints the object (not owned).
    virtual void setPrintContext(TPrintManager* manager) = 0;
};

class ITVPrintObject : public virtual ITVPrintBaseObject {
public:
    virtual int getHeight() = 0;
    // (x, y) is the object's top-left corner; chunk is the page's chunk (may be null).
    virtual void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) = 0;
};

class ITVPrintSplitableContent : public virtual ITVPrintBaseObject {
public:
    // Starts the splitting over; the chunks that follow must be the same after every reset.
    virtual void resetSplitting() = 0;
    // The next chunk that fits into availableHeight; null when nothing is left.
    virtual std::shared_ptr<ITVChunk> getChunk(int availableHeight) = 0;
};

class ITVChunk : public virtual ITVPrintObject {
public:
    virtual TPrintContextDataObject* getContextData() = 0;
};

// The null object and the base of every page object: no height, draws nothing, no chunks.
class TDummyPrintObject : public virtual ITVPrintObject, public virtual ITVPrintSplitableContent {
public:
    void setPrintContext(TPrintManager* manager) override { FContext = manager; }
    int getHeight() override { return 0; }
    void renderToPage(int x, int y, int pageWidth, TPrintCanvas& canvas, ITVChunk* chunk) override {}
    void resetSplitting() override {}
    std::shared_ptr<ITVChunk> getChunk(int availableHeight) override { return nullptr; }

protected:
    TPrintManager* FContext = nullptr;
};

class TPrintManager {
public:
    // A body that yields more pages than this is taken as broken rather than printed for ever.
    static inline int maxPages = 100000;

    // Sets the job title and orientation on the printer and reads the page geometry. The job
    // itself starts with the first page, so a document of no page leaves no job and no file.
    TPrintManager(QPrinter& printer, const QString& jobName, bool landscape);
    // Ends the job like endJob(); a failure there is only logged.
    ~TPrintManager();
    TPrintManager(const TPrintManager&) = delete;
    TPrintManager& operator=(const TPrintManager&) = delete;

    // Null installs a null object. Each invalidates the page count.
    void setPageHeader(std::shared_ptr<ITVPrintObject> header);
    void setContent(std::shared_ptr<ITVPrintSplitableContent> content);
    void setPageFooter(std::shared_ptr<ITVPrintObject> footer);
    void setHeaderSpacing(int spacing) { FHeaderSpacing = spacing; }
    void setFooterSpacing(int spacing) { FFooterSpacing = spacing; }

    int getAvailableContentHeight();
    // The cached count unless recount is set or nothing is cached.
    int getNoOfPages(bool recount);
    // Prints the document; pages continue the job of earlier renders. Throws EPrintError when
    // the job cannot be started.
    void render();
    // Sends the job (a file goes in place whole). False when it could not be written. Later
    // calls do nothing.
    bool endJob();

    int PageHeight() const { return FpageHeight; }
    int PageWidth() const { return FpageWidth; }
    int pageOffsetX() const { return FpageOffsetX; }
    int pageOffsetY() const { return FpageOffsetY; }
    int currentPageNo() const { return FcurrentPageNo; }
    // Pages started in this job so far.
    int pagesPrinted() const { return pagesPrinted_; }

    // Measures texts as they print on this printer, before the job has started as well.
    TPrintCanvas& measuringCanvas();

    const TPrintFont& mainFont() const { return FMainFont; }
    void setMainFont(const TPrintFont& font) { FMainFont = font; }
    bool PrintPageNo() const { return FPrintPageNo; }
    void setPrintPageNo(bool on) { FPrintPageNo = on; }

private:
    class Job;
    void startPage();

    std::shared_ptr<ITVPrintObject> FHeader;
    std::shared_ptr<ITVPrintSplitableContent> FPrintContent;
    std::shared_ptr<ITVPrintObject> FFooter;
    int FHeaderSpacing = 0;
    int FFooterSpacing = 0;
    QPrinter& FPrinter;
    int FpageOffsetX = 0;
    int FpageOffsetY = 0;
    int FpageHeight = 0;
    int FpageWidth = 0;
    int FCachedNoOfPages = -1;
    int FcurrentPageNo = 0;
    QString FJobName;
    TPrintFont FMainFont;
    bool firstPage = true;
    bool FPrintPageNo = true;
    int pagesPrinted_ = 0;
    std::unique_ptr<Job> job_;
    std::unique_ptr<QPainter> measuringPainter_;
    std::unique_ptr<TPrintCanvas> measuringCanvas_;
};

} // namespace tvp
