// The page engine: page counts, the two passes over a body, header and footer on every page, and
// jobs that leave nothing behind when there is nothing (or something broken) to print.

#include "tests/support/TestUtil.h"
#include "core/print/PrintObject.h"
#include "core/print/PrintUtils.h"
#include "tests/core/print/PdfTools.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tvp;
using namespace tvp::test;

namespace {

struct PageData : TPrintContextDataObject {
    explicit PageData(int n) : number(n) {}
    int number;
};

// A chunk of a given height that writes one line naming itself.
class TextChunk : public TDummyPrintObject, public ITVChunk {
public:
    TextChunk(QString text, int height, int number) : text_(std::move(text)), height_(height), data_(number) {}
    int getHeight() override { return height_; }
    TPrintContextDataObject* getContextData() override { return &data_; }
    void renderToPage(int x, int y, int, TPrintCanvas& canvas, ITVChunk*) override
    {
        canvas.setFont(FContext->mainFont());
        canvas.textOut(x + 100, y - 100, text_);
    }

private:
    QString text_;
    int height_;
    PageData data_;
};

// Hands out chunks of 1000 until count are out; also records every chunk handed out.
class CountedBody : public TDummyPrintObject {
public:
    explicit CountedBody(int count, int chunkHeight = 1000) : count_(count), chunkHeight_(chunkHeight) {}
    void resetSplitting() override
    {
        next_ = 0;
        ++resets;
    }
    std::shared_ptr<ITVChunk> getChunk(int available) override
    {
        if (next_ >= count_)
            return nullptr;
        ++next_;
        handedOut.push_back({next_, available});
        return std::make_shared<TextChunk>(QStringLiteral("Abschnitt %1").arg(next_), chunkHeight_, next_);
    }
    std::vector<std::pair<int, int>> handedOut; // (chunk number, available height)
    int resets = 0;

private:
    int count_;
    int chunkHeight_;
    int next_ = 0;
};

// Never runs dry: a broken body.
class EndlessBody : public TDummyPrintObject {
public:
    std::shared_ptr<ITVChunk> getChunk(int) override { return std::make_shared<TextChunk>(QStringLiteral("x"), 10, 0); }
};

// A header or footer that prints a text with the chunk's page data and records what it saw.
class MarkHeader : public TDummyPrintObject {
public:
    MarkHeader(QString text, int height) : text_(std::move(text)), height_(height) {}
    int getHeight() override { return height_; }
    void renderToPage(int x, int y, int, TPrintCanvas& canvas, ITVChunk* chunk) override
    {
        auto* data = chunk ? dynamic_cast<PageData*>(chunk->getContextData()) : nullptr;
        seen.push_back(data ? data->number : -1);
        pages.push_back(FContext->currentPageNo());
        canvas.setFont(FContext->mainFont());
        canvas.textOut(x + 100, y - 10, QStringLiteral("%1 %2").arg(text_).arg(data ? data->number : -1));
    }
    std::vector<int> seen;
    std::vector<int> pages;

private:
    QString text_;
    int height_;
};

class PageEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath(QStringLiteral("out.pdf"));
        printToPdf(printer, pdf);
    }
    QTemporaryDir dir;
    QString pdf;
    QPrinter printer{QPrinter::HighResolution};
};

TEST_F(PageEngine, AManagerWithNothingSetPrintsNoPageAndWritesNoFile)
{
    {
        TPrintManager manager(printer, QStringLiteral("Leer"), false);
        EXPECT_EQ(manager.getNoOfPages(false), 0);
        manager.render();
        EXPECT_EQ(manager.pagesPrinted(), 0);
        EXPECT_TRUE(manager.endJob()) << "no job is no failure";
    }
    EXPECT_FALSE(QFile::exists(pdf)) << "a document of no page leaves no file";
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "nor a temporary one";
}

TEST_F(PageEngine, AnExistingFileStaysWhenNothingIsPrinted)
{
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("alt");
    old.close();
    {
        TPrintManager manager(printer, QStringLiteral("Leer"), false);
        manager.setContent(std::make_shared<CountedBody>(0));
        manager.render();
    }
    QFile again(pdf);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("alt"));
}

TEST_F(PageEngine, ThreeChunksGiveThreePagesEachWithHeaderAndFooter)
{
    TVP_REQUIRE_TOOL("pdftotext");
    auto body = std::make_shared<CountedBody>(3);
    auto header = std::make_shared<MarkHeader>(QStringLiteral("Kopf"), 100);
    auto footer = std::make_shared<MarkHeader>(QStringLiteral("Fuss"), 175);
    {
        TPrintManager manager(printer, QStringLiteral("Drei"), false);
        manager.setPageHeader(header);
        manager.setContent(body);
        manager.setPageFooter(footer);
        EXPECT_EQ(manager.getNoOfPages(false), 3);
        manager.render();
        EXPECT_EQ(manager.pagesPrinted(), 3);
        EXPECT_TRUE(manager.endJob());
    }
    EXPECT_EQ(header->seen, (std::vector<int>{1, 2, 3})) << "the header sees the page's chunk";
    EXPECT_EQ(footer->seen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(header->pages, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(pdfPageCount(pdf), 3);
    EXPECT_FALSE(pdfIsLandscape(pdf));
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 3);
    for (int p = 0; p < 3; ++p) {
        const QStringList lines = pageLines(pages.at(p));
        ASSERT_EQ(lines.size(), 3) << pages.at(p).toStdString();
        EXPECT_EQ(lines.at(0), QStringLiteral("Kopf %1").arg(p + 1)) << "header on top";
        EXPECT_EQ(lines.at(1), QStringLiteral("Abschnitt %1").arg(p + 1));
        EXPECT_EQ(lines.at(2), QStringLiteral("Fuss %1").arg(p + 1)) << "footer at the bottom";
    }
}

TEST_F(PageEngine, CountingAndDrawingSplitTheBodyAlike)
{
    auto body = std::make_shared<CountedBody>(4);
    TPrintManager manager(printer, QStringLiteral("Zwei Durchgänge"), true);
    manager.setPageHeader(std::make_shared<MarkHeader>(QStringLiteral("Kopf"), 300));
    manager.setHeaderSpacing(150);
    manager.setPageFooter(std::make_shared<TTVPFooter>());
    manager.setFooterSpacing(30);
    manager.setContent(body);
    const int available = manager.PageHeight() - 450 - 205;
    EXPECT_EQ(manager.getAvailableContentHeight(), available);
    manager.render();
    EXPECT_EQ(body->resets, 2) << "one pass to count, one to draw";
    ASSERT_EQ(body->handedOut.size(), 8u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(body->handedOut[i], body->handedOut[i + 4]);
        EXPECT_EQ(body->handedOut[i].second, available);
    }
}

TEST_F(PageEngine, ReplacingAPartRecountsThePages)
{
    // Chunks of 1000: the room for them decides the page count.
    class FillBody : public TDummyPrintObject {
    public:
        void resetSplitting() override { left = 6000; }
        std::shared_ptr<ITVChunk> getChunk(int available) override
        {
            if (left <= 0)
                return nullptr;
            left -= std::max(1000, available / 1000 * 1000);
            return std::make_shared<TextChunk>(QStringLiteral("x"), 1000, 0);
        }
        int left = 6000;
    };
    TPrintManager manager(printer, QStringLiteral("Fuß"), false);
    manager.setContent(std::make_shared<FillBody>());
    const int before = manager.getNoOfPages(false);
    EXPECT_EQ(before, 3) << "A4 portrait holds 2 blocks of 1000 per page";
    manager.setPageFooter(std::make_shared<MarkHeader>(QStringLiteral("Fuss"), 1000));
    EXPECT_EQ(manager.getNoOfPages(false), 6) << "a taller footer leaves room for one block";
    manager.setPageHeader(nullptr);
    manager.setPageFooter(nullptr);
    EXPECT_EQ(manager.getNoOfPages(false), 3) << "null parts are null objects";
}

TEST_F(PageEngine, RenderingAgainContinuesTheJobAndCountsPagesAfresh)
{
    TVP_REQUIRE_TOOL("pdfinfo");
    auto header = std::make_shared<MarkHeader>(QStringLiteral("Kopf"), 100);
    {
        TPrintManager manager(printer, QStringLiteral("Läufe"), false);
        manager.setPageHeader(header);
        manager.setContent(std::make_shared<CountedBody>(2));
        manager.render();
        manager.setContent(std::make_shared<CountedBody>(1));
        manager.render();
        EXPECT_EQ(manager.pagesPrinted(), 3);
    }
    EXPECT_EQ(header->pages, (std::vector<int>{1, 2, 1})) << "page numbers count per document";
    EXPECT_EQ(pdfPageCount(pdf), 3) << "one job, sent when the manager goes";
}

TEST_F(PageEngine, ABrokenBodyEndsWithAnErrorAndLeavesNothing)
{
    TPrintManager::maxPages = 50;
    {
        TPrintManager manager(printer, QStringLiteral("Endlos"), false);
        manager.setContent(std::make_shared<EndlessBody>());
        EXPECT_THROW(manager.getNoOfPages(true), EPrintError);
        EXPECT_THROW(manager.render(), EPrintError);
    }
    TPrintManager::maxPages = 100000;
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(PageEngine, AFailingPageDropsTheHalfDrawnJob)
{
    class Failing : public TDummyPrintObject {
    public:
        void renderToPage(int, int, int, TPrintCanvas&, ITVChunk* chunk) override
        {
            if (FContext->currentPageNo() == 2)
                throw std::runtime_error("kaputt");
        }
    };
    {
        TPrintManager manager(printer, QStringLiteral("Kaputt"), false);
        manager.setPageHeader(std::make_shared<Failing>());
        manager.setContent(std::make_shared<CountedBody>(3));
        EXPECT_THROW(manager.render(), std::runtime_error);
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(PageEngine, AFileIsReplacedWholeAndAnUnwritableOneIsReported)
{
    TVP_REQUIRE_TOOL("pdfinfo");
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("alt");
    old.close();
    {
        TPrintManager manager(printer, QStringLiteral("Neu"), true);
        manager.setContent(std::make_shared<CountedBody>(1));
        manager.render();
        EXPECT_TRUE(manager.endJob());
    }
    EXPECT_EQ(pdfPageCount(pdf), 1);
    EXPECT_TRUE(pdfIsLandscape(pdf));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.pdf")});

    printer.setOutputFileName(dir.filePath(QStringLiteral("fehlt/out.pdf")));
    TPrintManager manager(printer, QStringLiteral("Nirgends"), false);
    manager.setContent(std::make_shared<CountedBody>(1));
    EXPECT_THROW(manager.render(), EPrintError);
}

TEST_F(PageEngine, APrintedFileTakesTheUsersUmask)
{
    const mode_t before = ::umask(027);
    {
        TPrintManager manager(printer, QStringLiteral("Rechte"), false);
        manager.setContent(std::make_shared<CountedBody>(1));
        manager.render();
        EXPECT_TRUE(manager.endJob());
    }
    ::umask(before);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(pdf).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << std::oct << (st.st_mode & 0777);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.pdf")});
}

TEST_F(PageEngine, PageGeometryFollowsOrientationAndMargins)
{
    printer.setPageMargins(QMarginsF(10, 5, 10, 5), QPageLayout::Millimeter);
    TPrintManager portrait(printer, QStringLiteral("Hoch"), false);
    EXPECT_EQ(portrait.PageWidth(), 1900);
    EXPECT_EQ(portrait.PageHeight(), 2870);
    EXPECT_EQ(portrait.pageOffsetX(), 0) << "the painter starts inside the margins";
    EXPECT_EQ(portrait.pageOffsetY(), 0);
    TPrintManager landscape(printer, QStringLiteral("Quer"), true);
    EXPECT_EQ(landscape.PageWidth(), 2770);
    EXPECT_EQ(landscape.PageHeight(), 2000);
    EXPECT_EQ(landscape.mainFont().height, 60);
    EXPECT_EQ(landscape.mainFont().name, QStringLiteral("Verdana"));
    EXPECT_TRUE(landscape.PrintPageNo());
}

} // namespace
