// The setup wizard offscreen against the stand-in, driven by clicks and keys: the way in from the
// chooser, the quick path, Next and Back over the pages, the warning panel, closing, and the help
// window with the same next steps.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/PingTest.h"
#include "core/connection/ServerDiscovery.h"
#include "core/ui/ChooseCompetitionDialog.h"
#include "core/ui/DateEdit.h"
#include "core/ui/HintDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/IniHandler.h"
#include "setup/ui/CoarseCompStepsDialog.h"
#include "setup/WizardImportRequests.h"
#include "setup/ui/CompSetupWizardDialog.h"
#include "tests/setup/WizardTestMessages.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/LoopbackChooser.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"
#include "tests/support/TextFit.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;
using tvp::testing::Switchable;

namespace {

const QString kWizardCaption = QStringLiteral("Neue Veranstaltung anlegen");
const QString kChooserCaption = QStringLiteral("Veranstaltung auswählen");
const QString kCreateCaption = QStringLiteral("Veranstaltung anlegen");

// A per-age-class tab whose page the test steers.
class TestTabForm : public TWizardTabForm {
public:
    class Page : public TWizardPageInfo {
    public:
        Page(TestTabForm& form, QString origin, QString next)
            : TWizardPageInfo(kWizardCloseMessage, true, std::move(next)), form_(form), origin_(std::move(origin))
        {
        }
        QString getWarningOrigin() const override { return origin_; }
        void onInitPage() override
        {
            ++form_.inits;
            if (form_.failInit)
                throw TvpError(QStringLiteral("Vorlagen fehlen"));
        }
        bool validateInput(bool, bool commit) override
        {
            if (!form_.valid)
                return false;
            return !(commit && form_.creates) || form_.wizard().startFullCompCreation() != 0;
        }

    private:
        TestTabForm& form_;
        QString origin_;
    };

    TestTabForm(TCompSetupWizardForm& wizard, const QString& origin, const QString& next = QStringLiteral("Weiter"))
        : TWizardTabForm(wizard), page(*this, origin, next)
    {
    }
    void FormShow() override { wizard().setCurrentPageInfo(&page); }
    void setupPage(CTT_AgeClassType*) override {}

    Page page;
    int inits = 0;
    bool failInit = false;
    bool valid = true;
    bool creates = false;
};

// Fixed pages that pass straight through, for the frame's own tests: a first page with a name only.
class TestFirstPage : public TWizardPageInfo, public ICompTypePage {
public:
    explicit TestFirstPage(TCompSetupWizardForm& wizard)
        : TWizardPageInfo(kWizardCloseMessage, false, QStringLiteral("Weiter")),
          CompNameEdit(new QLineEdit(wizard.compTypeSheet()))
    {
        CompNameEdit->setObjectName(QStringLiteral("CompNameEdit"));
        (new QVBoxLayout(wizard.compTypeSheet()))->addWidget(CompNameEdit, 0, Qt::AlignTop);
    }
    QString getWarningOrigin() const override { return QStringLiteral("Veranstaltungstyp"); }
    void onInitPage() override { CompNameEdit->clear(); }
    bool validateInput(bool, bool) override { return !CompNameEdit->text().trimmed().isEmpty(); }
    QString compName() const override { return CompNameEdit->text(); }
    void setCompName(const QString& name) override { CompNameEdit->setText(name); }
    QDate compDate() const override { return date_; }
    void setCompDate(const QDate& date) override { date_ = date; }
    bool LoadCompetitionType(const QString&) override { return true; }
    bool isImportedCompType() const override { return false; }
    QString compTypeDisplayName() const override { return QStringLiteral("Testtyp"); }

private:
    QLineEdit* CompNameEdit;
    QDate date_ = QDate(2027, 5, 8);
};

class PassPage : public TWizardPageInfo {
public:
    explicit PassPage(QString origin)
        : TWizardPageInfo(kWizardCloseMessage, true, QStringLiteral("Weiter")), origin_(std::move(origin))
    {
    }
    QString getWarningOrigin() const override { return origin_; }
    bool validateInput(bool, bool) override { return true; }

private:
    QString origin_;
};

TWizardPageSet testPages(TCompSetupWizardForm& wizard)
{
    TWizardPageSet pages;
    pages.compType = std::make_unique<TestFirstPage>(wizard);
    pages.compMetaData = std::make_unique<PassPage>(QStringLiteral("Veranstaltungsdaten"));
    pages.ageClasses = std::make_unique<PassPage>(QStringLiteral("Altersklassen"));
    return pages;
}

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        ASSERT_TRUE(QDir(folders.programDir.path()).mkpath(QStringLiteral("CompetitionTypes")));
        PingTimeouts::checkIntervalMs = kLoopbackPingIntervalMs;
        InitComm();
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        hints = std::make_unique<THintForm>(context);
        server.start();
        competitionUrlHolderInstance().setServerUrl(address());
        TCompSetupWizardForm::rollBackDelayMs = 5;
        TCompSetupWizardForm::scrollDelayMs = 5;
        TCompSetupWizardForm::flashMs = 150;
        wizard = std::make_unique<TCompSetupWizardForm>(context);
        windows.place(TWindowId::CompSetupWizardForm, wizard.get());
    }
    void TearDown() override
    {
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        chooser.reset();
        wizard.reset();
        hints.reset();
        setDialogs(nullptr);
        PingTimeouts::checkIntervalMs = 500;
        InitComm();
    }

    // The frame alone, over pages that pass straight through.
    void useTestPages()
    {
        wizard = std::make_unique<TCompSetupWizardForm>(context, &testPages);
        windows.place(TWindowId::CompSetupWizardForm, wizard.get());
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(server.port()); }
    void makeChooser()
    {
        WriteIniStr(QStringLiteral("Connections"), QStringLiteral("currentServer"), address());
        WriteIniInteger(QStringLiteral("Competition"), QStringLiteral("currentCompetition"), 0);
        chooser = std::make_unique<TChooseCompetitionForm>(context, loopbackChooser(address()));
        windows.place(TWindowId::ChooseCompetitionForm, chooser.get());
    }
    template <class T>
    T* child(const char* name) const
    {
        T* found = wizard->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    QLineEdit* nameEdit() const { return child<QLineEdit>("CompNameEdit"); }
    QDateEdit* dateEdit() const { return child<QDateEdit>("DateTimePicker1"); }
    QPushButton* next() const { return wizard->NextButton; }
    QPushButton* back() const { return wizard->BackButton; }
    QString activeTab() const { return wizard->PageControl1->tabText(wizard->PageControl1->currentIndex()); }
    QStringList visibleTabs() const
    {
        QStringList out;
        for (int i = 0; i < wizard->PageControl1->count(); ++i)
            if (wizard->PageControl1->isTabVisible(i))
                out << wizard->PageControl1->tabText(i);
        return out;
    }
    void typeName(const QString& name)
    {
        nameEdit()->setFocus();
        nameEdit()->selectAll();
        QTest::keyClicks(nameEdit(), name);
    }
    static void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    // The wizard's short timers have come due and run, however late the machine lets them.
    static void settle()
    {
        QTest::qWait(60);
        runQueued();
    }
    QColor panelColour() const { return wizard->WarningPanel->palette().color(QPalette::Window); }
    // Shows the wizard from its first page as the chooser does, and runs body inside.
    int run(const std::function<void()>& body)
    {
        script->expectWindow(kWizardCaption, [&](QWidget&) {
            body();
            return 0;
        });
        return wizard->startCompWizard();
    }
    // Inserts a tab after the age-class page as that page does.
    TestTabForm* insertTab(const QString& origin, const QString& nextLabel = QStringLiteral("Weiter"))
    {
        auto* form = new TestTabForm(*wizard, origin, nextLabel);
        const int after = wizard->PageControl1->count() - 2;
        wizard->insertWizardTab(after, form, origin);
        return form;
    }

    TempAppFolders folders;
    StandinHarness server;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recording{context};
    ScriptedDialogs* script = nullptr;
    std::unique_ptr<THintForm> hints;
    std::unique_ptr<TCompSetupWizardForm> wizard;
    std::unique_ptr<TChooseCompetitionForm> chooser;
};

// ---- the quick path ----

TEST_F(WizardTest, TheQuickPathCreatesAnEmptyCompetitionThatTheChooserOpens)
{
    server.client().create(QStringLiteral("Schon da"));
    makeChooser();
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        click(chooser->findChild<QPushButton*>(QStringLiteral("Button2")));
        return 0;
    });
    script->expectWindow(kWizardCaption, [&](QWidget&) {
        EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltungstyp"));
        EXPECT_FALSE(back()->isEnabled());
        typeName(QStringLiteral("  Schon da "));
        click(child<QCheckBox>("ManualSetupCheckBox"));
        EXPECT_EQ(next()->text(), kCreateCaption);
        // A name in use: a new one is asked for and put into the field; the wizard stays.
        script->expectText(QStringLiteral("Veranstaltungsname bereits vergeben"), QStringLiteral("Kinderolympiade"));
        script->expectMessage(QStringLiteral("Veranstaltungsname bereits vergeben"), TMsgAnswer::Ok);
        click(next());
        EXPECT_TRUE(wizard->isVisible());
        EXPECT_EQ(nameEdit()->text(), QStringLiteral("Kinderolympiade"));
        EXPECT_EQ(script->seen[script->seen.size() - 2].text,
                  QStringLiteral("Wollen Sie einen neuen Veranstaltungsnamen wählen:"));

        // Cleared and ticked again, the caption follows the box.
        click(child<QCheckBox>("ManualSetupCheckBox"));
        EXPECT_EQ(next()->text(), QStringLiteral("Weiter"));
        click(child<QCheckBox>("ManualSetupCheckBox"));
        dateEdit()->setFocus();
        dateEdit()->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(dateEdit(), QStringLiteral("08.05.2027"));
        click(next());
        EXPECT_FALSE(wizard->isVisible());
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(true));
    EXPECT_EQ(chooser->getCompetitionName(), QStringLiteral("Kinderolympiade"));
    ASSERT_TRUE(chooser->getCompetition()->Date);
    EXPECT_EQ(*chooser->getCompetition()->Date, QDate(2027, 5, 8));
    // One call, one competition: nothing of the refused try remains.
    QStringList names = server.client().competitionNames();
    names.sort();
    EXPECT_EQ(names, (QStringList{"Kinderolympiade", "Schon da"}));
    EXPECT_TRUE(recording.waits.shown.isEmpty());
}

TEST_F(WizardTest, ANameInUseWithTheQuestionCancelledKeepsTheNameAndSaysNothingMore)
{
    server.client().create(QStringLiteral("Schon da"));
    const int id = run([&] {
        typeName(QStringLiteral("Schon da"));
        click(child<QCheckBox>("ManualSetupCheckBox"));
        script->expectText(QStringLiteral("Veranstaltungsname bereits vergeben"), std::nullopt);
        click(next());
        EXPECT_EQ(nameEdit()->text(), QStringLiteral("Schon da"));
        EXPECT_TRUE(recording.messages.messages.empty()) << recording.messages.lines().join('\n').toStdString();
        // An unreachable server is reported and the wizard stays.
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("http://127.0.0.1:1"));
        click(next());
        EXPECT_TRUE(wizard->isVisible());
        EXPECT_EQ(recording.messages.lines().size(), 2);
        EXPECT_EQ(recording.messages.lines().value(1),
                  QStringLiteral("Veranstaltungswizard fortsetzen: Wizard kann nicht zum nächsten Schritt übergehen "
                                 "da ein Fehler auf der aktuellen Seite aufgetreten ist."));
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
        wizard->close();
    });
    EXPECT_EQ(id, 0);
}

TEST_F(WizardTest, TheFirstPageShowsTheWholeNameAndReadsATypedDate)
{
    run([&] {
        const QString usual = QStringLiteral("Kinderleichtathletik-Kreisfinale 2027");
        settle();
        EXPECT_GT(nameEdit()->width(), nameEdit()->fontMetrics().horizontalAdvance(usual) + 16);
        QDateEdit* date = dateEdit();
        for (const char* typed : {"08.05.2027", "8.5.2027", "08052027"}) {
            date->setDate(QDate(2026, 3, 15));
            date->setFocus();
            date->findChild<QLineEdit*>()->selectAll();
            QTest::keyClicks(date, QString::fromLatin1(typed));
            EXPECT_EQ(date->date(), QDate(2027, 5, 8)) << typed;
        }
        date->setDate(QDate(2026, 3, 15));
        date->findChild<QLineEdit*>()->setSelection(3, 7);
        QTest::keyClicks(date, QStringLiteral("12.2026"));
        EXPECT_EQ(date->date(), QDate(2026, 12, 15));
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
        wizard->close();
    });
}

// ---- Next and Back ----

TEST_F(WizardTest, NextAndBackWalkThePagesAndTheTabRowActsAsBack)
{
    useTestPages();
    TestTabForm* disciplines = insertTab(QStringLiteral("U10 Disziplinen"));
    run([&] {
        EXPECT_EQ(visibleTabs(), (QStringList{"Neue Veranstaltung", "Veranstaltungstyp"}));
        typeName(QStringLiteral("Sportfest"));
        click(next());
        EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltungsdaten"));
        EXPECT_TRUE(back()->isEnabled());
        click(next());
        click(next());
        EXPECT_EQ(activeTab(), QStringLiteral("U10 Disziplinen"));
        EXPECT_EQ(disciplines->inits, 1);

        // A warning of this page goes when the user leaves it backwards.
        bool applies = true;
        wizard->WarningManager().AddWarning(
            std::make_unique<Switchable>(disciplines->page, QStringLiteral("w"), mt_Warning, applies));
        wizard->WarningManager().refresh();
        EXPECT_TRUE(wizard->WarningPanel->isVisibleTo(wizard.get()));

        // A click on a tab does not switch to it: it goes back one page.
        QTabBar* row = wizard->PageControl1->tabBar();
        QTest::mouseClick(row, Qt::LeftButton, {}, row->tabRect(1).center());
        EXPECT_EQ(activeTab(), QStringLiteral("Altersklassen"));
        EXPECT_EQ(wizard->WarningManager().count(), 0);
        EXPECT_FALSE(wizard->WarningPanel->isVisibleTo(wizard.get()));
        EXPECT_EQ(visibleTabs(),
                  (QStringList{"Neue Veranstaltung", "Veranstaltungstyp", "Veranstaltungsdaten", "Altersklassen"}));

        // Forward again initialises the page again; backward never does.
        click(next());
        EXPECT_EQ(disciplines->inits, 2);
        click(back());
        click(back());
        click(back());
        EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltungstyp"));
        EXPECT_FALSE(back()->isEnabled());
        EXPECT_EQ(nameEdit()->text(), QStringLiteral("Sportfest")) << "not initialised again";
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
        wizard->close();
    });
}

TEST_F(WizardTest, TheCurrentTabStaysWhollyInViewWhileTheTabRowScrolls)
{
    useTestPages();
    for (const char* origin : {"U10 Disziplinen Kinderleichtathletik", "U12 Disziplinen Kinderleichtathletik",
                               "Mannschaftswertung Überlingen-Bodensee"})
        insertTab(QString::fromUtf8(origin));
    run([&] {
        QTabBar* row = wizard->PageControl1->tabBar();
        const auto currentInView = [&] {
            settle();
            const QRect tab = row->tabRect(row->currentIndex());
            return tab.left() >= 0 && tab.right() < row->width();
        };
        typeName(QStringLiteral("Sportfest"));
        for (int page = 0; page < 5; ++page) {
            click(next());
            EXPECT_TRUE(currentInView()) << activeTab().toStdString();
        }
        EXPECT_EQ(activeTab(), QStringLiteral("Mannschaftswertung Überlingen-Bodensee"));
        ASSERT_TRUE(row->findChild<QToolButton*>(QStringLiteral("ScrollLeftButton"))->isVisible()) << "the row scrolls";
        for (int page = 0; page < 4; ++page) {
            click(back());
            EXPECT_TRUE(currentInView()) << activeTab().toStdString();
        }
        EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltungsdaten"));
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
        wizard->close();
    });
}

TEST_F(WizardTest, AnInvalidNextFlashesThePanelAndStays)
{
    useTestPages();
    TestTabForm* tab = insertTab(QStringLiteral("U10 Disziplinen"));
    tab->valid = false;
    run([&] {
        // Hidden or not, the panel's colour turns.
        const QColor before = panelColour();
        click(next());
        EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltungstyp"));
        EXPECT_EQ(panelColour(), QColor(255 - before.red(), 255 - before.green(), 255 - before.blue()));
        EXPECT_TRUE(waitUntil([&] { return panelColour() == before; }, 2000));

        typeName(QStringLiteral("Sportfest"));
        click(next());
        click(next());
        click(next());
        ASSERT_EQ(activeTab(), QStringLiteral("U10 Disziplinen"));
        bool warn = true, info = true;
        wizard->WarningManager().AddWarning(
            std::make_unique<Switchable>(tab->page, QStringLiteral("info"), mt_Info, info));
        wizard->WarningManager().AddWarning(
            std::make_unique<Switchable>(tab->page, QStringLiteral("warn"), mt_Warning, warn));
        wizard->WarningManager().refresh();
        EXPECT_EQ(panelColour(), QColor(0xFF, 0xFF, 0x60));
        EXPECT_EQ(wizard->WarningTypeLabel->text(), QStringLiteral("Warnung:"));
        click(next());
        EXPECT_EQ(activeTab(), QStringLiteral("U10 Disziplinen"));
        EXPECT_EQ(panelColour(), QColor(0x00, 0x00, 0x9F));
        EXPECT_TRUE(waitUntil([&] { return panelColour() == QColor(0xFF, 0xFF, 0x60); }, 2000));

        // "Details" lists what applies.
        script->expectMessage(kWizardCaption, TMsgAnswer::Ok);
        emit wizard->DetailsLabel->linkActivated(QStringLiteral("details"));
        EXPECT_TRUE(script->seen.back().text.startsWith(QStringLiteral(
            "Folgende potenzielle Probleme wurden identifiziert:\n\n   Hinweis: info\n   Warnung: warn\n")));
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
        wizard->close();
    });
}

TEST_F(WizardTest, TheWarningBesideTheCreateButtonShowsItsWholeText)
{
    useTestPages();
    TestTabForm* tab = insertTab(QStringLiteral("U10 Disziplinen"));
    run([&] {
        wizard->ManualSetupChanged(true);
        ASSERT_EQ(next()->text(), QStringLiteral("Veranstaltung anlegen"));
        bool warn = true;
        wizard->WarningManager().AddWarning(
            std::make_unique<Switchable>(tab->page, QStringLiteral("warn"), mt_Warning, warn));
        wizard->WarningManager().refresh();
        runQueued();
        ASSERT_TRUE(wizard->WarningPanel->isVisibleTo(wizard.get()));
        for (const tvp::test::CutText& cut : tvp::test::cutTexts(*wizard))
            ADD_FAILURE() << tvp::test::describe(cut);
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
        wizard->close();
    });
}

TEST_F(WizardTest, APageFailingToInitialiseLeadsBackOnePage)
{
    useTestPages();
    TestTabForm* tab = insertTab(QStringLiteral("U10 Disziplinen"));
    tab->failInit = true;
    run([&] {
        typeName(QStringLiteral("Sportfest"));
        click(next());
        click(next());
        click(next());
        EXPECT_FALSE(next()->isEnabled());
        EXPECT_TRUE(waitUntil([&] { return activeTab() == QStringLiteral("Altersklassen"); }, 2000));
        EXPECT_TRUE(next()->isEnabled());
        EXPECT_FALSE(visibleTabs().contains(QStringLiteral("U10 Disziplinen")));
        EXPECT_EQ(recording.messages.lines(),
                  QStringList{QStringLiteral("Veranstaltung anlegen: Beim Initialisieren des nächsten Schritts ist ein "
                                             "Fehler aufgetreten: Vorlagen fehlen")});
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
        wizard->close();
    });
}

// ---- closing and the final page ----

TEST_F(WizardTest, ClosingAsksOnEveryPageButTheFinalOneWhichOpensTheNewCompetition)
{
    useTestPages();
    wizard->compCreation = [&](TWizardPageInfo& first) {
        EXPECT_EQ(first.getWarningOrigin(), QStringLiteral("Veranstaltungstyp"));
        TCompCreationInput input;
        input.name = nameEdit()->text();
        input.date = QDate(2027, 5, 8);
        return wizard->runCompCreation(std::move(input));
    };
    TestTabForm* last = insertTab(QStringLiteral("Dokumentation erstellen"), kCreateCaption);
    last->creates = true;
    makeChooser();
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        click(chooser->findChild<QPushButton*>(QStringLiteral("Button2")));
        return 0;
    });
    script->expectWindow(kWizardCaption, [&](QWidget&) {
        typeName(QStringLiteral("Sportfest"));
        click(next());
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::No);
        QTest::keyClick(wizard.get(), Qt::Key_Escape);
        EXPECT_TRUE(wizard->isVisible());
        EXPECT_TRUE(script->seen.back().text.endsWith(
            QStringLiteral("gehen verloren.\nMöchten Sie den Wizard wirklich beenden?")));
        EXPECT_EQ(script->seen.back().defaultAnswer, TMsgAnswer::No) << "Enter would throw the settings away";
        click(next());
        click(next());
        EXPECT_EQ(next()->text(), kCreateCaption);
        click(next());
        EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltung angelegt"));
        EXPECT_FALSE(back()->isEnabled());
        EXPECT_EQ(next()->text(), QStringLiteral("Veranstaltung öffnen"));
        click(next());
        EXPECT_FALSE(wizard->isVisible());
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(true));
    EXPECT_EQ(chooser->getCompetitionName(), QStringLiteral("Sportfest"));
}

TEST_F(WizardTest, ClosedOnTheFinalPageTheNewCompetitionIsListedAndMarkedNotOpened)
{
    useTestPages();
    wizard->compCreation = [&](TWizardPageInfo&) {
        TCompCreationInput input;
        input.name = nameEdit()->text();
        input.date = QDate(2027, 5, 8);
        return wizard->runCompCreation(std::move(input));
    };
    insertTab(QStringLiteral("Dokumentation erstellen"), kCreateCaption)->creates = true;
    server.client().create(QStringLiteral("Schon da"));
    makeChooser();
    script->expectWindow(kChooserCaption, [&](QWidget&) {
        click(chooser->findChild<QPushButton*>(QStringLiteral("Button2")));
        auto* list = chooser->findChild<QListView*>(QStringLiteral("ListBox1"));
        QStringList listed;
        for (int i = 0; i < list->model()->rowCount(); ++i)
            listed << list->model()->index(i, 0).data().toString();
        listed.sort();
        EXPECT_EQ(listed, (QStringList{"Schon da", "Sportfest"}));
        EXPECT_EQ(list->selectionModel()->selectedRows().value(0).data().toString(), QStringLiteral("Sportfest"));
        EXPECT_FALSE(chooser->getCompetition()) << "closed, not opened";
        // "Ok" opens the marked one.
        click(chooser->findChild<QPushButton*>(QStringLiteral("Button1")));
        return 0;
    });
    script->expectWindow(kWizardCaption, [&](QWidget&) {
        typeName(QStringLiteral("Sportfest"));
        for (int i = 0; i < 4; ++i)
            click(next());
        EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltung angelegt"));
        QTest::keyClick(wizard.get(), Qt::Key_Escape);
        EXPECT_FALSE(wizard->isVisible());
        return 0;
    });
    EXPECT_TRUE(chooser->setCompetition(true));
    EXPECT_EQ(chooser->getCompetitionName(), QStringLiteral("Sportfest"));
}

TEST_F(WizardTest, ClosingTheFinalPageAsksNothingAndTheHelpWindowShowsTheSameSteps)
{
    useTestPages();
    const int id = run([&] {
        typeName(QStringLiteral("Sportfest"));
        for (int i = 0; i < 3; ++i)
            click(next());
        ASSERT_EQ(activeTab(), QStringLiteral("Veranstaltung angelegt"));
        wizard->close();
        EXPECT_FALSE(wizard->isVisible());
    });
    EXPECT_EQ(id, 0) << "closed, not completed";

    TCoarseCompStepsForm help(context);
    help.show();
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Hilfe - Grobe Schritte einer Veranstaltung"));
    const QString steps = wizard->findChild<QPlainTextEdit*>(QStringLiteral("NextStepsMemo"))->toPlainText();
    EXPECT_FALSE(steps.isEmpty());
    EXPECT_EQ(help.Memo1->toPlainText(), steps);
    EXPECT_TRUE(help.Memo1->isReadOnly());
    click(help.CloseButton);
    EXPECT_FALSE(help.isVisible());
}

// ---- the browser client's import ----

const QString kSession = QStringLiteral("sitzung-1");

std::vector<proto::SessionInformationsType> importItems()
{
    return {{QStringLiteral("ctx_name"), QStringLiteral("Sportfest Musterdorf")},
            {QStringLiteral("ctx_date"), QStringLiteral("2027-05-08")},
            {QStringLiteral("ctx_competition-type-xml"),
             QStringLiteral("<CompetitionType><DisplayName>Importtyp</DisplayName>"
                            "<CompetitionMetaInformation/></CompetitionType>")}};
}

TEST_F(WizardTest, AWebImportOpensTheDataPageWithNameAndDateAndLeavesNoItems)
{
    server.client().uis()->saveSessionInformation(kSession, importItems());
    script->expectWindow(kWizardCaption, [&](QWidget&) {
        EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltungsdaten"));
        EXPECT_EQ(visibleTabs(),
                  (QStringList{"Neue Veranstaltung", "Veranstaltungstyp", "Veranstaltungsdaten", "Altersklassen"}));
        EXPECT_EQ(nameEdit()->text(), QStringLiteral("Sportfest Musterdorf"));
        EXPECT_EQ(dateEdit()->date(), QDate(2027, 5, 8));
        EXPECT_FALSE(back()->isEnabled());
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
        wizard->close();
        return 0;
    });
    wizard->importToWizard(kSession, QStringLiteral("ctx"));
    EXPECT_TRUE(waitUntil([&] { return script->allAnswered() && !wizard->isVisible(); }, 10000));
    EXPECT_TRUE(recording.messages.messages.empty()) << recording.messages.lines().join('\n').toStdString();
    EXPECT_TRUE(recording.waits.shown.isEmpty());
    EXPECT_TRUE(
        server.client().uir()->getSessionInformation(kSession, wizardImportKeys(QStringLiteral("ctx")), false).empty());
}

TEST_F(WizardTest, AnImportWhileTheWizardIsOpenAndKeptChangesNothing)
{
    server.client().uis()->saveSessionInformation(kSession, importItems());
    run([&] {
        typeName(QStringLiteral("Eigene"));
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::No);
        wizard->importToWizard(kSession, QStringLiteral("ctx"));
        settle();
        EXPECT_TRUE(wizard->isVisible());
        EXPECT_EQ(nameEdit()->text(), QStringLiteral("Eigene"));
        EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltungstyp"));
        script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
        wizard->close();
    });
    EXPECT_EQ(
        server.client().uir()->getSessionInformation(kSession, wizardImportKeys(QStringLiteral("ctx")), false).size(),
        3u);
}

// The browser's import arrives while the server creates the competition from the wizard's age
// classes: it comes once the creation is done, so nothing the creation reads goes meanwhile.
TEST_F(WizardTest, AnImportArrivingWhileACreationGoesOnComesAfterIt)
{
    int cleared = 0;
    wizard = std::make_unique<TCompSetupWizardForm>(context, [&](TCompSetupWizardForm& frame) {
        TWizardPageSet pages = testPages(frame);
        pages.clearAgeClasses = [&] { ++cleared; };
        return pages;
    });
    windows.place(TWindowId::CompSetupWizardForm, wizard.get());
    server.client().uis()->saveSessionInformation(kSession, importItems());
    wizard->compCreation = [&](TWizardPageInfo&) {
        TCompCreationInput input;
        input.name = nameEdit()->text();
        input.date = QDate(2027, 5, 8);
        // The creation waits at the server until the import has come.
        server.server().holdAnswers(true);
        QTimer::singleShot(0, [&] {
            wizard->importToWizard(kSession, QStringLiteral("ctx"));
            EXPECT_EQ(cleared, 0) << "the import dropped what the creation reads";
            EXPECT_FALSE(recording.waits.shown.contains(QStringLiteral("Importiere Daten...")));
            server.server().holdAnswers(false);
        });
        return wizard->runCompCreation(std::move(input));
    };
    insertTab(QStringLiteral("Dokumentation erstellen"), kCreateCaption)->creates = true;
    run([&] {
        typeName(QStringLiteral("Sportfest"));
        script->expectWindow(kWizardCaption, [&](QWidget&) {
            EXPECT_EQ(activeTab(), QStringLiteral("Veranstaltungsdaten"));
            EXPECT_EQ(nameEdit()->text(), QStringLiteral("Sportfest Musterdorf"));
            script->expectMessage(QStringLiteral("Wizard beenden"), TMsgAnswer::Yes);
            wizard->close();
            return 0;
        });
        for (int i = 0; i < 4; ++i)
            click(next());
        EXPECT_TRUE(waitUntil([&] { return cleared == 1 && script->allAnswered(); }, 10000));
    });
    EXPECT_EQ(server.client().competitionNames(), QStringList{QStringLiteral("Sportfest")});
}

} // namespace
