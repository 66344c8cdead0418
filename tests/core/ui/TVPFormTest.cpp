#include "tests/core/ui/ShellFixture.h"
#include "core/ui/WindowPositionManager.h"

#include <QApplication>
#include <QPointer>
#include <QWindow>

using namespace tvp;
using namespace tvp::test;

namespace {

const QString kClose = QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden. Beim Fortsetzen gehen "
                                      "ungespeicherte Änderungen ggf. verloren. Fenster schließen?");
const QString kReload = QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden und ein Neuladen wurde "
                                       "angefordert. Beim Fortsetzen gehen ungespeicherte Änderungen ggf. verloren. "
                                       "Daten neu laden?");
const QString kCheck = QStringLiteral("Es sind noch ungespeicherte Änderungen vorhanden und ein Neuladen eines "
                                      "Eintrags wurde angefordert. Beim Fortsetzen gehen ungespeicherte Änderungen "
                                      "ggf. verloren. Daten neu laden?");

class DirtyData : public ShellTest {
protected:
    TestForm form{QStringLiteral("AthleteForm")};
    const QString caption = QStringLiteral("AthleteForm Fenster");
};

} // namespace

TEST_F(DirtyData, EachQuestionKeepsEverythingOnNeinAndGoesOnOnJa)
{
    struct Case {
        const char* name;
        std::function<bool(TestForm&)> act; // true: the action went ahead
        QString caption;                    // empty: the window's caption
        QString text;
    };
    const Case cases[] = {
        {"close", [](TestForm& f) { return f.close(); }, {}, kClose},
        {"reload", [](TestForm& f) { return f.reloadFormData(true); }, {}, kReload},
        {"check", [](TestForm& f) { return !f.checkDirtyDataMessage({}, QStringLiteral("Editor")); },
         QStringLiteral("Editor"), kCheck},
    };
    for (const Case& c : cases) {
        for (const TMsgAnswer answer : {TMsgAnswer::No, TMsgAnswer::Yes}) {
            SCOPED_TRACE(std::string(c.name) + (answer == TMsgAnswer::Yes ? " Ja" : " Nein"));
            TestForm f(QStringLiteral("AthleteForm"));
            f.show();
            f.setDirtyData(QStringLiteral("Editor"));
            script->expectMessage(c.caption.isEmpty() ? caption : c.caption, answer);
            const bool wentAhead = c.act(f);
            EXPECT_EQ(script->seen.back().text, c.text);
            EXPECT_EQ(wentAhead, answer == TMsgAnswer::Yes);
            if (answer == TMsgAnswer::No) {
                EXPECT_TRUE(f.isVisible());
                EXPECT_TRUE(f.hasDirtyData(QStringLiteral("Editor")));
                EXPECT_EQ(f.reloads, 0);
            } else if (QLatin1String(c.name) != QLatin1String("check")) {
                EXPECT_FALSE(f.hasOverallDirtyData());
                EXPECT_EQ(f.isVisible(), QLatin1String(c.name) == QLatin1String("reload"));
                EXPECT_EQ(f.reloads, QLatin1String(c.name) == QLatin1String("reload") ? 1 : 0);
            }
        }
    }
}

TEST_F(DirtyData, ReloadWithoutQuestionKeepsTheParts)
{
    form.setDirtyData(QStringLiteral("Editor"));
    EXPECT_TRUE(form.reloadFormData(false));
    EXPECT_EQ(form.reloads, 1);
    EXPECT_TRUE(form.hasDirtyData(QStringLiteral("Editor")));
}

TEST_F(DirtyData, ItemChangeCheckCallsBackOnlyWhenTheStateFlips)
{
    form.changedParts = {QStringLiteral("Editor")};
    form.DoItemChangeCheck(QStringLiteral("Editor"));
    form.DoItemChangeCheck(QStringLiteral("Editor"));
    EXPECT_TRUE(form.hasDirtyData(QStringLiteral("Editor")));
    form.changedParts.clear();
    form.DoItemChangeCheck(QStringLiteral("Editor"));
    EXPECT_FALSE(form.hasDirtyData(QStringLiteral("Editor")));
    EXPECT_EQ(form.stateChanges, (QStringList{QStringLiteral("Editor=true"), QStringLiteral("Editor=false")}));

    // The window may overrule the check.
    form.changedParts = {QStringLiteral("Editor")};
    form.vetoedParts = {QStringLiteral("Editor")};
    form.DoItemChangeCheck(QStringLiteral("Editor"));
    EXPECT_FALSE(form.hasDirtyData(QStringLiteral("Editor")));
}

TEST_F(DirtyData, AfterJaTheWindowAsksNothingForOneSecondAndEachSkipRestartsIt)
{
    script->expectMessage(caption, TMsgAnswer::No);
    script->expectMessage(caption, TMsgAnswer::Yes);
    EXPECT_TRUE(form.showDirtyDataMessage({}, form.closeMessage));
    EXPECT_FALSE(form.showDirtyDataMessage({}, form.closeMessage)) << "Nein starts no guard";

    now += 999;
    EXPECT_FALSE(form.showDirtyDataMessage({}, form.closeMessage));
    now += 999;
    EXPECT_FALSE(form.showDirtyDataMessage({}, form.closeMessage));
    EXPECT_EQ(script->seen.size(), 2u);

    now += 1000;
    script->expectMessage(caption, TMsgAnswer::No);
    EXPECT_TRUE(form.showDirtyDataMessage({}, form.closeMessage));
}

namespace {

class AllWindows : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        for (TestForm* f : {&main, &a, &b, &c})
            f->show();
    }

    TestForm main{QStringLiteral("MainForm")};
    TestForm a{QStringLiteral("A")};
    TestForm b{QStringLiteral("B")};
    TestForm c{QStringLiteral("C")};
    TPositionStoreAdapter adapter{{&main, &a, &b, &c}, 1, {}, QRect(0, 0, 1600, 1200)};
};

} // namespace

TEST_F(AllWindows, JaUnloadsAndClosesEachWindowWithOneQuestion)
{
    main.setDirtyData(QStringLiteral("Haupt"));
    a.setDirtyData(QStringLiteral("A1"));
    a.setDirtyData(QStringLiteral("A2"));
    c.setDirtyData(QStringLiteral("C1"));

    script->expectMessage(QStringLiteral("A1"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("C1"), TMsgAnswer::Yes);
    EXPECT_FALSE(adapter.checkAllDirtyData());

    EXPECT_EQ(a.unloads, 1);
    EXPECT_FALSE(a.isVisible());
    EXPECT_FALSE(a.hasOverallDirtyData());
    EXPECT_TRUE(b.isVisible());
    EXPECT_EQ(c.unloads, 1);
    EXPECT_TRUE(main.hasDirtyData(QStringLiteral("Haupt"))) << "main windows are never checked";
}

TEST_F(AllWindows, NeinStopsThePass)
{
    a.setDirtyData(QStringLiteral("A1"));
    c.setDirtyData(QStringLiteral("C1"));
    script->expectMessage(QStringLiteral("A1"), TMsgAnswer::No);
    EXPECT_TRUE(adapter.checkAllDirtyData());
    EXPECT_EQ(a.unloads, 0);
    EXPECT_TRUE(a.isVisible());
    EXPECT_TRUE(c.hasDirtyData(QStringLiteral("C1")));
}

TEST_F(AllWindows, AWindowDestroyedDuringThePassIsSkipped)
{
    auto* doomed = new TestForm(QStringLiteral("Doomed"));
    QPointer<TestForm> watch(doomed);
    doomed->setDirtyData(QStringLiteral("D1"));
    a.setDirtyData(QStringLiteral("A1"));
    a.onUnload = [&] { delete watch.data(); };
    c.setDirtyData(QStringLiteral("C1"));

    TPositionStoreAdapter store({&main, &a, doomed, &c}, 1, {}, QRect(0, 0, 1600, 1200));
    script->expectMessage(QStringLiteral("A1"), TMsgAnswer::Yes);
    script->expectMessage(QStringLiteral("C1"), TMsgAnswer::Yes);
    EXPECT_FALSE(store.checkAllDirtyData());
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(c.unloads, 1);
    store.storeAllWindows();
    store.closeAllNonMainWindows();
}

TEST_F(AllWindows, CloseAllNonMainWindowsDropsChangesWithoutAsking)
{
    a.setDirtyData(QStringLiteral("A1"));
    adapter.closeAllNonMainWindows();
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(a.isVisible());
    EXPECT_FALSE(a.hasOverallDirtyData());
    EXPECT_FALSE(c.isVisible());
}

TEST_F(DirtyData, AFormShownThroughAPlainWidgetPointerFollowsTheFormsRules)
{
    // Over a modal window a form becomes that window's transient child, not blocked by it.
    QWidget modal;
    modal.setWindowModality(Qt::ApplicationModal);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);
    QWidget* plain = &form;
    plain->show();
    ASSERT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowHandle()->transientParent(), modal.windowHandle());
    EXPECT_EQ(form.windowModality(), Qt::NonModal);
    modal.hide();
    form.hide();

    // Without a modal window it belongs to nobody; an open one minimised comes back to normal.
    plain->show();
    EXPECT_EQ(form.windowHandle()->transientParent(), nullptr);
    form.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(form.isMinimized());
    plain->show();
    EXPECT_FALSE(form.isMinimized());
    EXPECT_TRUE(form.isVisible());
}
