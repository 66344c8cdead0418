// Every window of the program, as the areas register it, opened against a stand-in with an empty
// competition: each text it shows must fit its place, at the size the window first opens with and
// at its smallest size.

#include "app/ProgramAreas.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/PingTest.h"
#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/Dialogs.h"
#include "core/ui/Startup.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowCatalogue.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowPositionManager.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/IniHandler.h"
#include "tests/support/LoopbackChooser.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"
#include "tests/support/TextFit.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFontInfo>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace tvp;
using tvp::test::CutText;

namespace {

// A screen on which every window opens at its own size.
const QRect kScreen(0, 0, 1920, 1080);

// Whatever a window asks while it opens is declined; this test looks only at what it shows.
class DecliningDialogs : public IDialogs {
public:
    TMsgAnswer messageBox(QWidget*, const QString&, const QString&, TMsgKind, TMsgButtons buttons, TMsgAnswer) override
    {
        return buttons == TMsgButtons::Ok ? TMsgAnswer::Ok : TMsgAnswer::No;
    }
    QString getOpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> getText(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    bool printDialog(QWidget*, const QString&, QPrinter&) override { return false; }
    int execModal(QWidget& window) override
    {
        window.hide();
        return 0;
    }
};

// The program with every window created, the position store in place and a competition chosen.
struct ProgramUnderTest {
    explicit ProgramUnderTest(QRect screen = kScreen)
    {
        AppPaths::setProgramDirForTests(QStringLiteral(TVP_BUILD_PROGRAM_DIR));
        qputenv("TVP_INSTANCE_DIR", instanceDir.path().toUtf8());
        PingTimeouts::checkIntervalMs = 100;
        server.start();
        const QString address = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), address);
        WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"),
                        server.client().create(QStringLiteral("Kinderleichtathletik Sommerfest")));
        setDialogs(std::make_unique<DecliningDialogs>());

        program = std::make_unique<TProgram>();
        TWindowRegistry& registry = program->registry();
        registerProgramAreas(registry);
        registry.registerWindow(TWindowId::ChooseCompetitionForm, [address](TWindowContext& c) {
            return std::make_unique<TChooseCompetitionForm>(c, tvp::test::loopbackChooser(address));
        });
        // As start-up does, on a screen that leaves every window its own size.
        for (const TWindowRow& row : windowCatalogue())
            if (row.phase != TStartupPhase::Late)
                registry.create(row.id, program->context());
        QList<TTVPForm*> stored;
        for (TWindowId id : positionStoreOrder())
            if (TTVPForm* form = registry.form(id))
                stored << form;
        program->context().setPositionStore(
            std::make_unique<TPositionStoreAdapter>(stored, kPositionStoreMainWindows,
                                                    TDisciplineWindows{registry.form(TWindowId::DisciplinListForm0),
                                                                       registry.form(TWindowId::DisciplinListForm1)},
                                                    screen));
        chosen = registry.get<TChooseCompetitionForm>(TWindowId::ChooseCompetitionForm)->setCompetition(false);
        for (const TWindowRow& row : windowCatalogue())
            if (row.phase == TStartupPhase::Late)
                registry.create(row.id, program->context());
    }
    ~ProgramUnderTest()
    {
        program.reset();
        setDialogs(nullptr);
        PingTimeouts::checkIntervalMs = 500;
        qunsetenv("TVP_INSTANCE_DIR");
        InitComm();
    }

    tvp::test::TempAppFolders folders;
    QTemporaryDir instanceDir;
    tvp::test::StandinHarness server;
    std::unique_ptr<TProgram> program;
    bool chosen = false;
};

void settle()
{
    for (int quiet = 0; quiet < 3;) {
        ASSERT_TRUE(tvp::test::waitUntil([] { return runningRequestCount() == 0; }, 15000));
        QTest::qWait(20);
        quiet = runningRequestCount() == 0 ? quiet + 1 : 0;
    }
}

class WindowFitTest : public ::testing::TestWithParam<TWindowId> {
protected:
    static void SetUpTestSuite() { program_ = new ProgramUnderTest; }
    static void TearDownTestSuite()
    {
        delete program_;
        program_ = nullptr;
    }

    static void expectAllFit(QWidget& window, const char* when)
    {
        for (const CutText& cut : tvp::test::cutTexts(window))
            ADD_FAILURE() << window.objectName().toStdString() << " (" << window.windowTitle().toStdString() << ") "
                          << when << " " << window.width() << "x" << window.height() << ": "
                          << tvp::test::describe(cut);
    }

    static ProgramUnderTest* program_;
};

ProgramUnderTest* WindowFitTest::program_ = nullptr;

TEST_P(WindowFitTest, EveryTextFitsAtTheDefaultAndTheSmallestSize)
{
    ASSERT_TRUE(program_->chosen);
    // The font the program runs with on a plain Debian desktop.
    ASSERT_EQ(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
    QWidget* window = program_->program->registry().widget(GetParam());
    ASSERT_NE(window, nullptr);
    window->show();
    settle();
    QTest::qWait(10);
    const QSize opened = window->size();
    expectAllFit(*window, "at");
    // Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb), each window as it opens, saved into
    // the folder TVP_SCREENSHOTS names.
    if (const QString folder = qEnvironmentVariable("TVP_SCREENSHOTS"); !folder.isEmpty())
        window->grab().save(QDir(folder).filePath(window->objectName() + QStringLiteral(".png")));

    window->resize(1, 1); // the layout holds it at its smallest size
    fprintf(stderr, "DBG %s min %dx%d layoutmin %dx%d hint %dx%d size %dx%d\n", qPrintable(window->objectName()),
            window->minimumWidth(), window->minimumHeight(), window->layout()->totalMinimumSize().width(),
            window->layout()->totalMinimumSize().height(), window->sizeHint().width(), window->sizeHint().height(),
            opened.width(), opened.height());
    QTest::qWait(10);
    expectAllFit(*window, "at its smallest size");

    window->resize(opened);
    if (auto* form = qobject_cast<TTVPForm*>(window))
        form->clearAllDirtyData();
    window->hide();
    settle();
}

std::vector<TWindowId> allWindows()
{
    std::vector<TWindowId> ids;
    for (const TWindowRow& row : windowCatalogue())
        ids.push_back(row.id);
    return ids;
}

INSTANTIATE_TEST_SUITE_P(Program, WindowFitTest, ::testing::ValuesIn(allWindows()),
                         [](const ::testing::TestParamInfo<TWindowId>& info) {
                             return std::string(windowRow(info.param).objectName);
                         });

// ---- A laptop's screen ----

// 1366 x 768 with a 32 px panel at the top: where the windows may open.
const QRect kLaptopArea(0, 32, 1366, 736);

class LaptopScreenTest : public ::testing::TestWithParam<TWindowId> {
protected:
    static void SetUpTestSuite() { program_ = new ProgramUnderTest(kLaptopArea); }
    static void TearDownTestSuite()
    {
        delete program_;
        program_ = nullptr;
    }

    static ProgramUnderTest* program_;
};

ProgramUnderTest* LaptopScreenTest::program_ = nullptr;

TEST_P(LaptopScreenTest, EveryWindowOpensWithinTheScreenAndCanBeMadeSmaller)
{
    ASSERT_TRUE(program_->chosen);
    QWidget* window = program_->program->registry().widget(GetParam());
    ASSERT_NE(window, nullptr);
    window->show();
    settle();
    QTest::qWait(10);
    const std::string name = window->objectName().toStdString();
    // The frame as far as this platform draws one, and at least the title bar a window manager adds.
    const QRect frame = window->frameGeometry();
    const int titleBar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const QRect opened(frame.topLeft(), QSize(frame.width(), std::max(frame.height(), window->height() + titleBar)));
    const bool stored = std::ranges::find(positionStoreOrder(), GetParam()) != positionStoreOrder().end();
    // Windows the store does not place open where Qt puts them: only their size is the program's.
    if (stored)
        EXPECT_TRUE(kLaptopArea.contains(opened)) << name << " opens at " << opened.x() << "," << opened.y() << " "
                                                  << opened.width() << "x" << opened.height();
    else
        EXPECT_TRUE(opened.width() <= kLaptopArea.width() && opened.height() <= kLaptopArea.height())
            << name << " opens " << opened.width() << "x" << opened.height();
    // Each window at the size it opens with, as the fit test saves them.
    if (const QString folder = qEnvironmentVariable("TVP_SCREENSHOTS"); !folder.isEmpty())
        window->grab().save(QDir(folder).filePath(window->objectName() + QStringLiteral("-laptop.png")));
    const QSize smallest = window->minimumSize() + (opened.size() - window->size());
    EXPECT_TRUE(smallest.width() < kLaptopArea.width() && smallest.height() < kLaptopArea.height())
        << name << " cannot become smaller than " << smallest.width() << "x" << smallest.height();

    if (auto* form = qobject_cast<TTVPForm*>(window))
        form->clearAllDirtyData();
    window->hide();
    settle();
}

INSTANTIATE_TEST_SUITE_P(Program, LaptopScreenTest, ::testing::ValuesIn(allWindows()),
                         [](const ::testing::TestParamInfo<TWindowId>& info) {
                             return std::string(windowRow(info.param).objectName);
                         });

} // namespace
