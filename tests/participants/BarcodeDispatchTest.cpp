// Dispatch of payloads to the registered windows, and the box "Barcode eingeben".

#include "core/barcode/BarcodeDispatcher.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "participants/ui/BarcodeInputDialog.h"
#include "participants/ui/ParticipantWindows.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace tvp;

namespace {

// Locks the barcode lock from another thread: the GUI thread's recursive lock would always pass.
bool lockIsFree()
{
    return std::async(std::launch::async,
                      [] {
                          std::unique_lock<std::recursive_mutex> lock(BarcodeCriticalSection(), std::try_to_lock);
                          return lock.owns_lock();
                      })
        .get();
}

TEST(BarcodeDispatch, HandlersAreAskedInOrderUntilOneTakesTheCode)
{
    TBarcodeDispatcher dispatcher;
    std::vector<QString> calls;
    dispatcher.AddBarcodeCallback([&](const QString& code) {
        calls.push_back(QStringLiteral("finder ") + code);
        EXPECT_FALSE(lockIsFree()) << "handlers run under the lock";
        return code.startsWith(QLatin1Char('A')) || code.startsWith(QLatin1Char('B'));
    });
    dispatcher.AddBarcodeCallback([&](const QString& code) {
        calls.push_back(QStringLiteral("tally ") + code);
        return code.startsWith(QLatin1Char('T'));
    });
    dispatcher.AddBarcodeCallback([&](const QString& code) {
        calls.push_back(QStringLiteral("results ") + code);
        return code.startsWith(QLatin1Char('L')) || code.startsWith(QLatin1Char('A'));
    });
    dispatcher.AddBarcodeCallback(nullptr);
    EXPECT_EQ(dispatcher.handlerCount(), 3u);

    EXPECT_EQ(dispatcher.processBarcode(QStringLiteral("A11X")), TBarcodeDispatcher::Outcome::Taken);
    EXPECT_EQ(calls, (std::vector<QString>{QStringLiteral("finder A11X")})) << "later handlers never see 'A'";
    calls.clear();
    EXPECT_EQ(dispatcher.processBarcode(QStringLiteral("L5X070")), TBarcodeDispatcher::Outcome::Taken);
    EXPECT_EQ(calls.size(), 3u);
    calls.clear();
    EXPECT_EQ(dispatcher.processBarcode(QStringLiteral("!A11X!")), TBarcodeDispatcher::Outcome::Refused);
    EXPECT_EQ(calls.size(), 3u) << "a framed code reaches no handler that takes it";
    calls.clear();
    EXPECT_EQ(dispatcher.processBarcode(QString()), TBarcodeDispatcher::Outcome::Ignored);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(lockIsFree());
}

TEST(BarcodeDispatch, AFailingHandlerReleasesTheLock)
{
    TBarcodeDispatcher dispatcher;
    dispatcher.AddBarcodeCallback([](const QString&) -> bool { throw std::runtime_error("kaputt"); });
    EXPECT_THROW(dispatcher.processBarcode(QStringLiteral("A1X")), std::runtime_error);
    EXPECT_TRUE(lockIsFree());
}

class InputBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* view = messages.findChild<QTreeView*>(QStringLiteral("ListView1"));
        ASSERT_NE(view, nullptr);
        rows = view->model();
        edit = box.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        ASSERT_NE(edit, nullptr);
    }
    tvp::test::TempAppFolders folders;
    TExceptionForm messages;
    TBarcodeInputForm box;
    const QAbstractItemModel* rows = nullptr;
    QLineEdit* edit = nullptr;
};

TEST_F(InputBox, EnterDispatchesTheTypedCodeAndClosesTheBox)
{
    EXPECT_EQ(BarcodeInputForm(), &box);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Barcode eingeben"));
    // Handlers stay registered for good, so this one must not refer to the test's locals.
    auto taken = std::make_shared<std::vector<QString>>();
    const std::size_t before = barcodeDispatcher().handlerCount();
    box.AddBarcodeCallback([taken](const QString& code) {
        if (!code.startsWith(QLatin1Char('Q')))
            return false;
        taken->push_back(code);
        return true;
    });
    EXPECT_EQ(barcodeDispatcher().handlerCount(), before + 1);

    edit->setText(QStringLiteral("alt"));
    box.show();
    EXPECT_EQ(edit->selectedText(), QStringLiteral("alt")) << "the old text is selected for overtyping";
    QTest::keyClicks(edit, QStringLiteral("Q1X"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(*taken, (std::vector<QString>{QStringLiteral("Q1X")}));
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(rows->rowCount(), 0);
}

TEST_F(InputBox, ACodeNoWindowTakesIsWarnedAbout)
{
    box.show();
    edit->setText(QStringLiteral("!A11X!"));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->index(0, 0).data().toString(), QStringLiteral("Ungültiger Barcode"));
    EXPECT_EQ(rows->index(0, 1).data().toString(), QStringLiteral("Barcode-Leser-Eingabe"));

    box.processBarcode(QString());
    EXPECT_EQ(rows->rowCount(), 1) << "an empty code is ignored";
}

TEST_F(InputBox, EscapeClosesWithoutDispatch)
{
    box.show();
    edit->setText(QStringLiteral("ZZZ"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(rows->rowCount(), 0);
}

TEST_F(InputBox, AFailingHandlerIsReportedNotThrown)
{
    box.AddBarcodeCallback([](const QString& code) -> bool {
        if (code == QStringLiteral("FEHLER"))
            throw std::runtime_error("Handler kaputt");
        return false;
    });
    box.processBarcode(QStringLiteral("FEHLER"));
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->index(0, 0).data().toString(), QStringLiteral("Handler kaputt"));
    EXPECT_TRUE(lockIsFree());
}

TEST(PlaceholderReaders, AValidCodeWhoseReaderIsNotBuiltOpensItsPlaceholder)
{
    tvp::test::TempAppFolders folders;
    TExceptionForm messages;
    const QAbstractItemModel* rows = messages.findChild<QTreeView*>(QStringLiteral("ListView1"))->model();
    TWindowRegistry registry;
    registerParticipantWindows(registry);
    TCurrentCompetition competition;
    TWindowContext context(competition, registry);
    for (TWindowId id : {TWindowId::BarcodeInputForm, TWindowId::TallySheetForm, TWindowId::ResultDialog})
        registry.create(id, context);
    auto* box = registry.get<TBarcodeInputForm>(TWindowId::BarcodeInputForm);
    ASSERT_TRUE(box);
    auto* edit = box->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    const auto enter = [&](const QString& code) {
        box->show();
        edit->setText(code);
        QTest::keyClick(edit, Qt::Key_Return);
    };

    // Athlete codes go to the barcode finder, which is built; these readers are not yet.
    const std::pair<QString, TWindowId> codes[] = {{QStringLiteral("T1X2X00"), TWindowId::TallySheetForm},
                                                   {QStringLiteral("L1X000"), TWindowId::ResultDialog}};
    for (const auto& [code, reader] : codes) {
        enter(code);
        EXPECT_TRUE(registry.isVisible(reader)) << code.toStdString();
        registry.widget(reader)->hide();
    }
    EXPECT_EQ(rows->rowCount(), 0);

    enter(QStringLiteral("!L1X000!"));
    EXPECT_FALSE(registry.isVisible(TWindowId::ResultDialog));
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->index(0, 0).data().toString(), QStringLiteral("Ungültiger Barcode"));
    registry.destroyAll();
}

} // namespace
