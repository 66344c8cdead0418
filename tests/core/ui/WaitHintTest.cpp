#include "core/ui/HintDialog.h"
#include "core/util/IniHandler.h"
#include "tests/core/ui/ShellFixture.h"
#include "tests/support/TestUtil.h"
#include "core/ui/WaitDialog.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QWindow>
#include <QPushButton>
#include <QTextBrowser>

using namespace tvp;
using namespace tvp::test;

namespace {

class WaitStack : public ShellTest {
protected:
    QString text() const { return form.findChild<QLabel*>(QStringLiteral("Label1"))->text(); }
    TForm10 form;
};

} // namespace

TEST_F(WaitStack, TheNewestTextShowsAndEachShowNeedsItsOwnClose)
{
    form.Showwaitdialog(QStringLiteral("A"));
    form.Showwaitdialog(QStringLiteral("B"));
    form.Showwaitdialog(QStringLiteral("B"));
    EXPECT_EQ(text(), QStringLiteral("B"));
    form.CloseWaitdialog(QStringLiteral("B"));
    EXPECT_EQ(text(), QStringLiteral("B"));
    form.CloseWaitdialog(QStringLiteral("B"));
    EXPECT_EQ(text(), QStringLiteral("A"));
    EXPECT_TRUE(form.isVisible());
    form.CloseWaitdialog(QStringLiteral("A"));
    EXPECT_FALSE(form.isVisible());

    // An older text may finish first.
    form.Showwaitdialog(QStringLiteral("A"));
    form.Showwaitdialog(QStringLiteral("B"));
    form.CloseWaitdialog(QStringLiteral("A"));
    EXPECT_EQ(text(), QStringLiteral("B"));
    form.CloseWaitdialog(QStringLiteral("B"));
    EXPECT_FALSE(form.isVisible());
}

// The offscreen platform activates every window it shows; what keeps the focus on a desktop is
// what the window system is told.
TEST_F(WaitStack, TheWindowSystemIsToldTheWaitWindowNeverTakesTheFocus)
{
    form.Showwaitdialog(QStringLiteral("A"));
    form.Showwaitdialog(QStringLiteral("B"));
    QWindow* handle = form.windowHandle();
    ASSERT_TRUE(handle);
    EXPECT_TRUE(handle->flags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(handle->property("_q_showWithoutActivating").toBool());
    form.CloseWaitdialog(QStringLiteral("B"));
    form.CloseWaitdialog(QStringLiteral("A"));
}

TEST_F(WaitStack, ClosingATextThatIsNotShownLeavesTheOthersAlone)
{
    form.Showwaitdialog(QStringLiteral("A"));
    form.Showwaitdialog(QStringLiteral("B"));
    form.CloseWaitdialog(QStringLiteral("nie gezeigt"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(text(), QStringLiteral("B"));
    form.CloseWaitdialog(QStringLiteral("B"));
    EXPECT_EQ(text(), QStringLiteral("A"));
    form.CloseWaitdialog(QStringLiteral("A"));
    form.CloseWaitdialog(QStringLiteral("A"));
    EXPECT_FALSE(form.isVisible());
}

namespace {

const QString kSection = QStringLiteral("HintSystem");

QString setting(const QString& key)
{
    QString value;
    ReadIniStr(kSection, key, QStringLiteral("no"), value);
    return value;
}

class Hints : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("ContextHelp")));
        for (const char* name : {"SQUADWND", "DISCLISTWND"}) {
            QFile page(dir.filePath(QStringLiteral("ContextHelp/%1.html").arg(QLatin1String(name))));
            ASSERT_TRUE(page.open(QIODevice::WriteOnly));
            page.write(QStringLiteral("<p>Hilfe zu %1 – Übersicht</p>").arg(QLatin1String(name)).toUtf8());
        }
    }

    QCheckBox* box(const char* name) { return form.findChild<QCheckBox*>(QLatin1String(name)); }
    QString shownText() { return form.findChild<QTextBrowser*>(QStringLiteral("RichEdit1"))->toPlainText(); }
    void pressOk() { form.findChild<QPushButton*>(QStringLiteral("Button1"))->click(); }

    THintForm form;
};

} // namespace

TEST_F(Hints, AHintSwitchedOffShowsOnlyWhenForced)
{
    form.ShowHint(QStringLiteral("SQUADWND"), false);
    ASSERT_TRUE(form.isVisible());
    EXPECT_EQ(shownText(), QStringLiteral("Hilfe zu SQUADWND – Übersicht"));
    box("CheckBox1")->setChecked(true);
    pressOk();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(setting(QStringLiteral("SQUADWND.DoNotShow")), QStringLiteral("yes"));

    form.ShowHint(QStringLiteral("SQUADWND"), false);
    EXPECT_FALSE(form.isVisible());
    form.ShowHint(QStringLiteral("DISCLISTWND"), false);
    EXPECT_TRUE(form.isVisible()) << "only that hint is off";
    EXPECT_FALSE(box("CheckBox1")->isChecked());
    form.close();

    form.ShowHint(QStringLiteral("SQUADWND"), true);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(box("CheckBox1")->isChecked());
    box("CheckBox1")->setChecked(false);
    pressOk();
    EXPECT_EQ(setting(QStringLiteral("SQUADWND.DoNotShow")), QStringLiteral("yes")) << "unticking writes nothing";
}

TEST_F(Hints, AllHintsGoOffOnlyAfterJaAndComeBackWithTheReset)
{
    const QString caption = QStringLiteral("Hinweise deaktivieren");
    form.ShowHint(QStringLiteral("SQUADWND"), false);
    box("CheckBox2")->setChecked(true);
    script->expectMessage(caption, TMsgAnswer::No);
    pressOk();
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Wollen Sie alle Kontext-Hinweisfenster deaktivieren?\r\n(Diese können später über das "
                             "Menu \"Hilfe\" wieder aktiviert werden.)"));
    EXPECT_EQ(setting(QStringLiteral("SuppressAll")), QStringLiteral("no"));

    form.ShowHint(QStringLiteral("SQUADWND"), false);
    box("CheckBox2")->setChecked(true);
    script->expectMessage(caption, TMsgAnswer::Yes);
    pressOk();
    form.ShowHint(QStringLiteral("DISCLISTWND"), false);
    EXPECT_FALSE(form.isVisible());

    form.ResetHintSystem();
    form.ShowHint(QStringLiteral("DISCLISTWND"), false);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(box("CheckBox2")->isChecked());
}

TEST_F(Hints, AHintWithoutItsFileIsSilentlyNotShown)
{
    form.ShowHint(QStringLiteral("FEHLT"), true);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(Hints, ADelayedHintAskedTwiceShowsOnceWithTheLastName)
{
    form.ShowHintDelayed(QStringLiteral("SQUADWND"), 40);
    form.ShowHintDelayed(QStringLiteral("DISCLISTWND"), 40);
    EXPECT_FALSE(form.isVisible());
    ASSERT_TRUE(waitUntil([&] { return form.isVisible(); }, 2000));
    EXPECT_EQ(shownText(), QStringLiteral("Hilfe zu DISCLISTWND – Übersicht"));
    form.close();
    waitUntil([] { return false; }, 150);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(Hints, EveryHintOfTheProgramHasItsPageBesideTheProgram)
{
    AppPaths::setProgramDirForTests(QStringLiteral(TVP_BUILD_PROGRAM_DIR));
    for (const char* name : {"WELCOME", "HINTSACTIVATED", "RESULTWND", "DISCIPLINEWND", "DISCLISTWND", "SQUADWND",
                             "CERTWND", "NO_CUP_CERT_TEMPLATE", "ATHWND", "ATHNOLOWUNBOUND"}) {
        form.ShowHint(QLatin1String(name), false);
        EXPECT_TRUE(form.isVisible()) << name;
        EXPECT_FALSE(shownText().trimmed().isEmpty()) << name;
        form.close();
    }
}
