// Code 39 symbols drawn from zint's encoding are read back from the printed page as the same
// payload, with the readable text under them and no start or stop characters in it.

#include "core/barcode/BarcodeUtils.h"
#include "core/print/Code39.h"
#include "core/print/PrintJob.h"
#include "tests/core/print/PdfTools.h"
#include "tests/support/TestUtil.h"

#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

TEST(Code39, EncodingHasStartAndStopAroundTheCharacters)
{
    // Each character is 5 bars and 4 spaces with 3 of them wide, plus a narrow gap: 13 modules
    // at zint's 3:1 ratio, or 16 with 2:1... so only the structure is checked.
    const TCode39Bars one = encodeCode39(QStringLiteral("A"));
    const TCode39Bars three = encodeCode39(QStringLiteral("A1X"));
    EXPECT_EQ(one.bars.size(), 15u) << "start, A and stop: five bars each";
    EXPECT_EQ(three.bars.size(), 25u);
    EXPECT_GT(three.modules, one.modules);
    EXPECT_EQ((three.modules - one.modules) % 2, 0);
    EXPECT_THROW(encodeCode39(QStringLiteral("a?")), EPrintError) << "lower case is not Code 39 here";
}

TEST(Code39, PrintedSymbolsReadBackAsTheirPayload)
{
    TVP_REQUIRE_TOOL("zbarimg");
    TVP_REQUIRE_TOOL("pdftotext");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("codes.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printToPdf(printer, pdf);
    const QStringList payloads{athleteBarcode(33), blankBarcode(kBarcodeMaxValue), disciplineListBarcode({5, 0, 7, 0}),
                               tallySheetBarcode({123456, 987, 2, 40})};
    {
        TPrintJob job(printer);
        job.newPage();
        int y = -200;
        for (const QString& payload : payloads) {
            paintCode39(job.canvas(), 200, y, 120, payload);
            y -= 400;
        }
        ASSERT_TRUE(job.finish());
    }
    QStringList read = readBarcodes(pdf);
    read.sort();
    QStringList expected = payloads;
    expected.sort();
    EXPECT_EQ(read, expected);
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    EXPECT_EQ(lines, payloads) << "the readable text is the payload, without '*'";
}

} // namespace
