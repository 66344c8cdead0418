// The printer choice through the dialog seam, the start of a printout, and a tree widget printed
// as a plain list in its current order.

#include "tests/support/TestUtil.h"
#include "core/print/ui/Print.h"
#include "core/print/PrintUtils.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/WaitDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/services/ScoringServices.h"
#include "tests/core/print/PdfTools.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempAppFolders.h"

#include <QApplication>
#include <QLabel>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

// The text the wait window shows, empty while it is hidden.
QString currentWaitText()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* wait = qobject_cast<TForm10*>(w); wait && wait->isVisible())
            return wait->findChild<QLabel*>(QStringLiteral("Label1"))->text();
    return {};
}

class PrinterChoice : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath(QStringLiteral("druck.pdf"));
        scripted = new ScriptedDialogs;
        setDialogs(std::unique_ptr<IDialogs>(scripted));
        Printer().setOutputFileName(QString());
        Printer().setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
    void TearDown() override
    {
        EXPECT_TRUE(scripted->allAnswered());
        setDialogs(nullptr);
        Printer().setOutputFileName(QString());
    }
    TempAppFolders folders;
    QTemporaryDir dir;
    QString pdf;
    ScriptedDialogs* scripted = nullptr;
    TForm10 wait;
    TExceptionForm messages;
};

TEST_F(PrinterChoice, ACancelledDialogPrintsNothing)
{
    scripted->expectPrinter(QStringLiteral("Drucken"), QString());
    EXPECT_FALSE(ChoosePrinterByDialog());
    scripted->expectPrinter(QStringLiteral("Drucken"), QString());
    EXPECT_EQ(InitPrint(true, QStringLiteral("Teams"), false), nullptr);
    EXPECT_FALSE(QFile::exists(pdf));
}

// The analysis window of the scoring area: its print dialog is the program's printer choice.
class AnalyseWindow : public QWidget, public IAnalyseForm {
public:
    void ShowAndLoad(int, int) override {}
    bool choosePrinter(QPrinter& printer) override
    {
        waitTextMeanwhile = currentWaitText();
        asked = &printer;
        return confirm;
    }
    QPrinter* asked = nullptr;
    bool confirm = true;
    QString waitTextMeanwhile;
};

TEST_F(PrinterChoice, TheChoiceRunsTheAnalysisWindowsPrintDialog)
{
    AnalyseWindow analysis;
    programWindows().place(TWindowId::AnalyseForm, &analysis);
    EXPECT_TRUE(ChoosePrinterByDialog());
    EXPECT_EQ(analysis.asked, &Printer());
    EXPECT_EQ(analysis.waitTextMeanwhile, QStringLiteral("Suche installierte Drucker..."));
    analysis.confirm = false;
    EXPECT_EQ(InitPrint(true, QStringLiteral("Teams"), false), nullptr);
    programWindows().destroyAll();
    EXPECT_TRUE(scripted->seen.empty()) << "no other dialog";
}

TEST_F(PrinterChoice, AConfirmedDialogGivesAManagerOnTheChosenPrinter)
{
    TVP_REQUIRE_TOOL("pdftotext");
    scripted->expectPrinter(QStringLiteral("Drucken"), pdf);
    std::unique_ptr<TPrintManager> manager = InitPrint(true, QStringLiteral("Team-Riegen-Übersicht"), true);
    ASSERT_NE(manager, nullptr);
    manager->setPageHeader(
        std::make_shared<TGenericCaptionStringHeader>(QStringLiteral("Team/Riegen-Übersicht"), QString(), 20, 45));
    manager->setPageFooter(std::make_shared<TTVPFooter>());
    auto body =
        std::make_shared<TItemListPrintTable<QString>>(65, std::make_shared<TSimpleLineRenderer>(), nullptr, [] {
            struct M : TObjectColMapper<QString> {
                M() { addHeader(QStringLiteral("Teamname")); }
                QString getCellText(int, const QString& s) const override { return s; }
            };
            return std::make_shared<M>();
        }());
    body->addItem(QStringLiteral("Adler"));
    manager->setContent(body);
    manager->render();
    EXPECT_TRUE(manager->endJob());
    manager.reset();
    EXPECT_TRUE(pdfIsLandscape(pdf));
    EXPECT_EQ(pdfInfo(pdf, QStringLiteral("Title")), QStringLiteral("Team-Riegen-Übersicht"));
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.at(2), QStringLiteral("Adler"));

    // Without asking, the printer chosen last is used again.
    EXPECT_NE(InitPrint(false, QStringLiteral("Nochmal"), false), nullptr);
}

TEST_F(PrinterChoice, ATreeWidgetPrintsInItsCurrentOrder)
{
    TVP_REQUIRE_TOOL("pdftotext");
    QTreeWidget ListView1;
    ListView1.setColumnCount(2);
    ListView1.setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Punkte")});
    ListView1.resize(400, 300);
    for (const auto& [name, points] : {std::pair{"Bär", "3"}, std::pair{"Adler", "9"}, std::pair{"Dachs", "5"}})
        new QTreeWidgetItem(&ListView1, {QString::fromUtf8(name), QString::fromUtf8(points)});
    ListView1.sortItems(0, Qt::AscendingOrder);

    const TListPrintColumns columns = listPrintColumns(ListView1);
    EXPECT_EQ(columns.widths.size(), 2u);
    EXPECT_EQ(columns.listWidth, 400);

    scripted->expectPrinter(QStringLiteral("Drucken"), pdf);
    ASSERT_TRUE(InitResultListPrint(ListView1, true, QStringLiteral("Wurf - Ergebnisse")));
    const QStringList lines = pageLines(pdfPages(pdf).value(0));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines.mid(1, 4), (QStringList{QStringLiteral("Name Punkte"), QStringLiteral("Adler 9"),
                                            QStringLiteral("Bär 3"), QStringLiteral("Dachs 5")}));

    scripted->expectPrinter(QStringLiteral("Drucken"), QString());
    EXPECT_FALSE(InitResultListPrint(ListView1, true, QStringLiteral("Abgebrochen")));
}

// Records the wait window's text while the printer dialog is open and while the list prints.
class WatchingDialogs : public ScriptedDialogs {
public:
    bool printDialog(QWidget* parent, const QString& caption, QPrinter& printer) override
    {
        waitTexts << currentWaitText();
        return ScriptedDialogs::printDialog(parent, caption, printer);
    }
    QStringList waitTexts;
};

TEST_F(PrinterChoice, WaitTextsShowWhileChoosingAndPrinting)
{
    TVP_REQUIRE_TOOL("pdftotext");
    auto* watching = new WatchingDialogs;
    scripted = watching;
    setDialogs(std::unique_ptr<IDialogs>(watching));
    // The model says what the wait window shows while the rows are read.
    class WatchedModel : public QStandardItemModel {
    public:
        using QStandardItemModel::QStandardItemModel;
        QVariant data(const QModelIndex& index, int role) const override
        {
            seen << currentWaitText();
            return QStandardItemModel::data(index, role);
        }
        mutable QStringList seen;
    };
    WatchedModel model(0, 1);
    model.setHorizontalHeaderLabels({QStringLiteral("Name")});
    model.appendRow(new QStandardItem(QStringLiteral("Adler")));
    QTreeView ListView1;
    ListView1.setModel(&model);

    watching->expectPrinter(QStringLiteral("Drucken"), pdf);
    ASSERT_TRUE(InitResultListPrint(ListView1, true, QStringLiteral("Liste")));
    EXPECT_EQ(watching->waitTexts, QStringList{QStringLiteral("Suche installierte Drucker...")});
    EXPECT_TRUE(model.seen.contains(QStringLiteral("Verarbeite Druckauftrag...")));
    EXPECT_EQ(currentWaitText(), QString()) << "both texts are gone afterwards";
}

TEST_F(PrinterChoice, AFailedListPrintIsReported)
{
    QTreeWidget ListView1;
    ListView1.setHeaderLabels({QStringLiteral("Name")});
    scripted->expectPrinter(QStringLiteral("Drucken"), dir.filePath(QStringLiteral("fehlt/x.pdf")));
    EXPECT_FALSE(InitResultListPrint(ListView1, true, QStringLiteral("Fehler")));
    auto* view = messages.findChild<QTreeView*>(QStringLiteral("ListView1"));
    ASSERT_NE(view, nullptr);
    const QAbstractItemModel* rows = view->model();
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_TRUE(
        rows->index(0, 0).data().toString().startsWith(QStringLiteral("Die Liste konnte nicht gedruckt werden")));
    EXPECT_EQ(rows->index(0, 1).data().toString(), QStringLiteral("Drucken"));
}

} // namespace
