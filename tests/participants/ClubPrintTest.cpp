// The club overview on the page engine, printed to PDF: a page too small for even one row still
// prints every club, one per page.

#include "participants/ClubListPrint.h"
#include "tests/core/print/PdfTools.h"

#include <QPrinter>
#include <QTemporaryDir>

using namespace tvp;
using namespace tvp::test;

TEST(ClubOverview, APageWithoutRoomForARowPrintsOneClubPerPage)
{
    TVP_REQUIRE_TOOL("pdftotext");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("klein.pdf"));
    QPrinter printer;
    printToPdf(printer, pdf);
    // Header and footer alone are taller than this page.
    printer.setPageSize(QPageSize(QSizeF(100, 30), QPageSize::Millimeter));
    std::vector<proto::ClubType> clubs(3);
    clubs[0].Name = QStringLiteral("Adler");
    clubs[1].Name = QStringLiteral("Berg");
    clubs[2].Name = QStringLiteral("Calw");
    {
        TPrintManager manager(printer, kClubPrintJobName, false);
        renderClubOverview(manager, clubs);
        ASSERT_TRUE(manager.endJob());
    }
    EXPECT_EQ(pdfPageCount(pdf), 3);
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 3);
    for (const QString& page : pages)
        EXPECT_TRUE(page.contains(kClubPrintCaption)) << page.toStdString();
}

TEST(ClubOverview, LongNamesWrapInTheirColumnSoThatNoTwoClubsPrintAlike)
{
    TVP_REQUIRE_TOOL("pdftotext");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("vereine.pdf"));
    QPrinter printer;
    printToPdf(printer, pdf);
    const QString tsv = QStringLiteral("TSV Müsterhausen-Gründlingen 1896 e.V. Abteilung ");
    std::vector<proto::ClubType> clubs(2);
    clubs[0].Name = tsv + QStringLiteral("Leichtathletik");
    clubs[1].Name = tsv + QStringLiteral("Turnen");
    for (proto::ClubType& club : clubs)
        club.Comment = QStringLiteral("Ansprechpartnerin Anna-Lena Großmann, Weitsprunganlage Nord (Sandgrube 2), "
                                      "Abrechnung über die Geschäftsstelle in Überlingen-Seeufer");
    {
        TPrintManager manager(printer, kClubPrintJobName, false);
        renderClubOverview(manager, clubs);
        ASSERT_TRUE(manager.endJob());
    }
    const QStringList texts = wordsInPlace(pdf);
    EXPECT_TRUE(texts.contains(QStringLiteral("Leichtathletik"))) << texts.join(u' ').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Turnen")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Verein/Organisation")));
    EXPECT_FALSE(texts.join(u' ').contains(QStringLiteral("..."))) << texts.join(u' ').toStdString();
}
