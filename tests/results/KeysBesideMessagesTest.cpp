// "Leistungen erfassen" under openbox while other windows come up by themselves. The keys go where
// the window manager put the focus, one every 50 ms from a timer, as the X server hands a typist's
// keys over. Questions that answers of the server raise wait without a loop of their own; the one
// that answers the user's own key or click comes with the keyboard, as the X server tells.

#include "core/ui/ConfirmBatchDialog.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/WaitDialog.h"
#include "participants/ui/AthleteDialog.h"
#include "participants/ui/TeamDialog.h"
#include "results/ui/ResultCheckDialog.h"
#include "results/ui/TimingSettingsDialog.h"
#include "standin/StandinServer.h"
#include "tests/results/ResultWindowFixture.h"
#include "tests/results/TimingFixture.h"
#include "tests/support/RealDrag.h"
#include "tests/support/XWindows.h"

#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

namespace tvp::test {
namespace {

// The questions that answers raise as the program shows them; those the user's own key asks at once,
// and files, from the script.
class QtAnswersScripted : public ScriptedDialogs {
public:
    void ask(QWidget* parent, const QString& caption, const QString& text, TMsgKind kind, TMsgButtons buttons,
             TMsgAnswer defaultAnswer, std::function<void(TMsgAnswer)> answered) override
    {
        qt_->ask(parent, caption, text, kind, buttons, defaultAnswer, std::move(answered));
    }
    void openModal(QWidget& window, std::function<void(int)> closed) override
    {
        qt_->openModal(window, std::move(closed));
    }
    void askPrinter(QWidget* parent, const QString& caption, QPrinter& printer,
                    std::function<void(bool)> answered) override
    {
        qt_->askPrinter(parent, caption, printer, std::move(answered));
    }

private:
    std::unique_ptr<IDialogs> qt_ = makeQtDialogs();
};

// The window of that caption on screen, null while there is none.
QWidget* windowTitled(const QString& caption)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == caption)
            return w;
    return nullptr;
}

QAbstractButton* buttonOf(QWidget& window, const QString& text)
{
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

const QString kAthleteDataCaption = QStringLiteral("Athletendaten");

class KeysBesideMessagesTest : public ResultWindowTest {
protected:
    void SetUp() override
    {
        ResultWindowTest::SetUp();
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ball = discipline(QStringLiteral("Schlagball"), 1, false, "byAthleteOrTeam", QStringLiteral("Distance"));
        for (int i = 0; i < 12; ++i)
            seed->placeAthlete(ball, seed->athlete(comp, QString::number(i), QStringLiteral("Wurf"), foxes), 1);
        context.setMessageSink(&messageForm);
        form->showAndLoadDisciplin(ball, 1, IResultDialog::kNoVersion, 0);
        // Until its first load is in, the window shows no grid to type into; the athlete window's
        // list, loaded beside it, may come first on a busy machine.
        ASSERT_TRUE(settled());
    }
    void TearDown() override
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        ResultWindowTest::TearDown();
    }

    // Opened by the user, the cursor on the first row; then 20, 21, ... typed down with Enter.
    // during(value) runs after a value's first key, after() after the last key.
    QStringList typeDown(int count, const std::function<void(int)>& during, const std::function<void()>& after = {})
    {
        EXPECT_TRUE(waitUntil([&] { return form->pendingRequests() == 0; }, 10000));
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get(), 20000));
        grid()->setFocus();
        go(0, 1);
        QStringList values;
        std::vector<std::pair<int, Qt::Key>> keys;
        for (int v = 0; v < count; ++v) {
            values << QString::number(20 + v);
            for (QChar c : values.back())
                keys.push_back({v, Qt::Key(c.unicode())});
            keys.push_back({v, Qt::Key_Return});
        }
        std::size_t next = 0;
        QTimer typist;
        QObject::connect(&typist, &QTimer::timeout, [&] {
            if (QWidget* target = QApplication::focusWidget())
                QTest::keyClick(target, keys[next].second);
            if (during && (next == 0 || keys[next - 1].first != keys[next].first))
                during(keys[next].first);
            if (++next < keys.size())
                return;
            typist.stop();
            if (after)
                after();
        });
        typist.start(50);
        EXPECT_TRUE(waitUntil([&] { return next == keys.size(); }, 15000));
        EXPECT_TRUE(settled());
        return values;
    }
    // "row: typed -> stored" for each row not holding what was typed in it, read from the stand-in.
    QStringList misplaced(const QStringList& typed)
    {
        QStringList out;
        for (int row = 0; row < typed.size(); ++row)
            if (const QString value = stored(ball, 1, "athlete_id", model().athleteId(row));
                value != QStringLiteral("Distance ") + typed[row])
                out << QStringLiteral("%1: %2 -> %3").arg(row).arg(typed[row], value);
        return out;
    }

    // The athlete window with its list loaded, the questions of answers as the program shows them.
    QtAnswersScripted* showAthletes(TAthleteForm& athleteForm)
    {
        athleteForm.setObjectName(QStringLiteral("AthleteForm")); // as the registry names it
        windows.place(TWindowId::AthleteForm, &athleteForm);
        context.setBatchConfirmation(&confirmation);
        auto scripted = std::make_unique<QtAnswersScripted>();
        QtAnswersScripted* dialogs = scripted.get();
        setDialogs(std::move(scripted));
        athleteForm.show();
        EXPECT_TRUE(waitUntil([&] { return athleteForm.listModel().rowCount() > 0; }, 10000));
        return dialogs;
    }
    // The window the user clicks into: the window manager hands it the keyboard, and Qt knows.
    static bool turnTo(QWidget& window)
    {
        window.activateWindow();
        return becomesActiveInX(window) && hasKeys(window);
    }
    static bool hasKeys(const QWidget& window)
    {
        return waitUntil([&] { return QApplication::activeWindow() == &window; }, 20000);
    }
    // A key where the window manager put the keyboard, once the window has it.
    static bool pressIn(QWidget& window, Qt::Key key)
    {
        if (!hasKeys(window))
            return false;
        QTest::keyClick(QApplication::focusWidget(), key);
        return true;
    }
    // The athlete selected and given a bib another athlete holds, saved by a click.
    static void saveBib(TAthleteForm& athleteForm, int athlete, const char* bib)
    {
        athleteForm.selectAthlete(athlete);
        auto* bibs = athleteForm.findChild<QLineEdit*>(QStringLiteral("EditBibs"));
        bibs->setFocus();
        bibs->selectAll();
        QTest::keyClicks(bibs, QString::fromLatin1(bib));
        QTest::mouseClick(athleteForm.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    }
    // The window of that caption once it is up; null when it does not come.
    static QPointer<QWidget> comesUp(const QString& caption, int ms = 10000)
    {
        QPointer<QWidget> window;
        waitUntil(
            [&] {
                window = windowTitled(caption);
                return !window.isNull();
            },
            ms);
        return window;
    }
    // The question came with the keyboard, and Enter, its default, answers it.
    static void takesKeysAndEnterAnswers(QPointer<QWidget> question)
    {
        ASSERT_TRUE(question);
        EXPECT_TRUE(becomesActiveInX(*question)) << question->windowTitle().toStdString();
        ASSERT_TRUE(pressIn(*question, Qt::Key_Return));
        EXPECT_TRUE(waitUntil([&] { return !question; }, 5000)) << "Enter did not answer it";
    }
    // A value typed into attempt 1 of the row where the window manager put the keyboard, and Enter.
    bool typeAt(int row, const QString& value)
    {
        if (!turnTo(*form))
            return false;
        grid()->setFocus();
        if (QApplication::focusWidget() != grid()) {
            ADD_FAILURE() << "the grid cannot take keys";
            return false;
        }
        go(row, 1);
        for (QChar c : value)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        return true;
    }

    int ball = 0;
    TExceptionForm messageForm{context};
    TConfirmBatchForm confirmation{context};
};

// A timing line that starts no run, written three times while values go down attempt 1: the poll's
// message comes up over the grid and waits to be read, and every value lands on its own row.
TEST_F(KeysBesideMessagesTest, AMessageOfThePollNeverTakesTheValuesTypedInTheGrid)
{
    QTemporaryDir exchange;
    TTimingSettingsForm settings(context);
    settings.setExchangeDir(exchange.path());
    settings.setPolling(true);
    const QStringList typed = typeDown(12, [&](int value) {
        if (value % 4 == 1)
            writeBytes(QDir(exchange.path()).filePath("COM_ZDT.TXT"), "Testzeile\r\n" + runHeader("Lauf", " 9", " 1"));
    });
    EXPECT_EQ(misplaced(typed), QStringList());
    EXPECT_TRUE(messageForm.isVisible()) << "the message was closed unread";
    EXPECT_EQ(messageForm.findChild<QTreeView*>(QStringLiteral("ListView1"))->model()->rowCount(), 3);
    EXPECT_TRUE(stackedAbove(messageForm, *form));
    EXPECT_EQ(QApplication::activeWindow(), form.get());
}

// "Leistungen prüfen", open beside the grid, reloads and shows itself after every store, and the
// athlete window's question about a bib saved a moment before comes back from the slowed server.
// Neither takes a key nor covers the grid; the question waits with "Nein" until it is answered.
TEST_F(KeysBesideMessagesTest, WindowsAndQuestionsThatComeUpByThemselvesTakeNoKeys)
{
    TResultCheckForm check(context);
    windows.place(TWindowId::ResultCheckForm, &check);
    TAthleteForm athleteForm(context);
    windows.place(TWindowId::AthleteForm, &athleteForm);
    setDialogs(nullptr); // Qt's own questions, as the program shows them
    check.checkWarnings({ball}, false);
    athleteForm.show();
    ASSERT_TRUE(waitUntil([&] { return check.isVisible() && athleteForm.listModel().rowCount() > 0; }, 10000));
    athleteForm.selectAthlete(ben);
    auto* bibs = athleteForm.findChild<QLineEdit*>(QStringLiteral("EditBibs"));
    bibs->setText(QStringLiteral("7")); // Anna's
    emit bibs->textEdited(bibs->text());
    standin.server().setAnswerDelay(std::chrono::milliseconds(250));
    // The answer comes once the user types in the grid: the question then answers an action the user
    // has left, and comes up beside.
    standin.server().holdAnswers(true);
    QTest::mouseClick(athleteForm.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);

    // Once the typing is done, the user turns to the question and answers "Nein".
    QString question;
    bool typing = true;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible() && !typing) {
                question = box->windowTitle() + u'|' + box->defaultButton()->text() + u'|' +
                           (box->isActiveWindow() ? QStringLiteral("active") : QStringLiteral("waits"));
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == QStringLiteral("Nein"))
                        QTest::mouseClick(button, Qt::LeftButton);
            }
    });
    user.start(100);
    // The last child keeps no result, so the check keeps its finding.
    const QStringList typed = typeDown(
        11, [&](int) { standin.server().holdAnswers(false); }, [&] { typing = false; });
    standin.server().setAnswerDelay(std::chrono::milliseconds(0));
    ASSERT_TRUE(waitUntil([&] { return athleteForm.road().pending() == 0 && runningRequestCount() == 0; }, 10000));
    EXPECT_EQ(misplaced(typed), QStringList());
    EXPECT_EQ(question, QStringLiteral("Athletendaten|Nein|waits"));
    EXPECT_EQ(seed->bibs(anna), std::vector<int>{7}) << "the bib stays with Anna";
    EXPECT_TRUE(check.isVisible() && stackedAbove(*form, check)) << "the check came over the grid";
    EXPECT_EQ(QApplication::activeWindow(), form.get());
}

// Two questions come back from the slowed server at once, both of the athlete window: a delete
// refused while the athlete is in a discipline, and a bib another athlete holds. The user has gone on
// typing in the grid meanwhile, so neither takes the keyboard; each blocks only the athlete window.
// They are answered in either order, one by a click, the other with Enter, and afterwards nothing is
// blocked: every value typed is stored, and every answer.
TEST_F(KeysBesideMessagesTest, TwoQuestionsOfAnswersAreAnsweredInEitherOrderAndNothingStaysBlocked)
{
    TAthleteForm athleteForm(context);
    QtAnswersScripted* dialogs = showAthletes(athleteForm);
    standin.server().setAnswerDelay(std::chrono::milliseconds(300));
    struct Round {
        int deleted;
        bool deleteFirst; // answered by the click; the other one with Enter, which answers "Nein"
        int row;          // of the grid, typed in while the answers are on their way and once they are up
    };
    for (const Round& round : {Round{anna, true, 0}, Round{cara, false, 2}}) {
        ASSERT_TRUE(turnTo(athleteForm));
        if (!round.deleteFirst) // the bib refused before is still typed in the editor
            dialogs->expectMessage(kAthleteDataCaption, TMsgAnswer::Yes);
        athleteForm.selectAthlete(round.deleted);
        standin.server().holdAnswers(true);
        dialogs->expectMessage(QStringLiteral("Athleten löschen"), TMsgAnswer::Yes);
        QTest::keyClick(athleteForm.findChild<QTreeView*>(QStringLiteral("ListView1")), Qt::Key_Delete);
        saveBib(athleteForm, ben, "9"); // Cara's
        ASSERT_TRUE(typeAt(round.row, QString::number(30 + round.row)));
        standin.server().holdAnswers(false);
        const QPointer<QWidget> removal = comesUp(QStringLiteral("Athlet löschen"), 20000);
        const QPointer<QWidget> bib = comesUp(kAthleteDataCaption, 20000);
        ASSERT_TRUE(removal && bib);
        ASSERT_TRUE(managedInX(*removal) && managedInX(*bib));
        EXPECT_EQ(activeXWindow(), form->winId()) << "a question took the keyboard from the grid";
        ASSERT_TRUE(typeAt(round.row + 1, QString::number(31 + round.row)));

        QTest::mouseClick(buttonOf(round.deleteFirst ? *removal : *bib, QStringLiteral("Ja")), Qt::LeftButton);
        QPointer<QWidget> second = round.deleteFirst ? bib : removal;
        ASSERT_TRUE(turnTo(*second));
        ASSERT_TRUE(pressIn(*second, Qt::Key_Return));
        ASSERT_TRUE(waitUntil([&] { return !removal && !bib; }, 5000)) << "a question stayed";
        ASSERT_TRUE(waitUntil([&] { return athleteForm.road().pending() == 0 && runningRequestCount() == 0; }, 20000));
    }
    EXPECT_FALSE(seed->exists(anna)) << "the first delete was confirmed";
    EXPECT_TRUE(seed->exists(cara)) << "Enter kept the second";
    EXPECT_EQ(seed->bibs(ben), std::vector<int>{9}) << "the second bib was confirmed, the first not";
    EXPECT_EQ(seed->bibs(cara), std::vector<int>{10});

    // Nothing of the athlete window stays blocked, and the grid stores what is typed.
    ASSERT_TRUE(turnTo(athleteForm));
    const int beeps = dialogs->beeps;
    auto* name = athleteForm.findChild<QLineEdit*>(QStringLiteral("EditGivenName"));
    name->setFocus();
    const QString before = name->text();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
    EXPECT_EQ(dialogs->beeps, beeps);
    EXPECT_EQ(name->text().size(), before.size() + 1) << "the key was refused";
    ASSERT_TRUE(typeAt(4, QStringLiteral("34")));
    ASSERT_TRUE(settled());
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(stored(ball, 1, "athlete_id", model().athleteId(row)), QStringLiteral("Distance %1").arg(30 + row));
}

// The window or question that answers the user's own click, key, drop or menu comes with the
// keyboard, as the window system tells: "Athletendaten" after "Änderung speichern" with a bib another
// athlete holds, "Drucken" after Ctrl+P in the grid (never under the wait for the printers), the
// confirmation of athletes dropped onto a team, and the message of an export. Enter and Escape
// answer them and go nowhere else.
TEST_F(KeysBesideMessagesTest, TheAnswerToTheUsersOwnActionComesWithTheKeyboard)
{
    ProgramKeys keys(context); // Ctrl+P through the main window, as the program hands it on
    // The printer search shows its wait text in the program's wait window.
    TForm10 wait(programContext());
    IWaitTexts* const waitsBefore = programContext().waitTextProvider();
    programContext().setWaitTexts(&wait);
    const auto restoreWaits = qScopeGuard([&] { programContext().setWaitTexts(waitsBefore); });
    TAthleteForm athleteForm(context);
    QtAnswersScripted* dialogs = showAthletes(athleteForm);
    standin.server().setAnswerDelay(std::chrono::milliseconds(300));

    ASSERT_TRUE(turnTo(athleteForm));
    saveBib(athleteForm, ben, "7"); // Anna's
    takesKeysAndEnterAnswers(comesUp(kAthleteDataCaption));
    ASSERT_TRUE(waitUntil([&] { return athleteForm.road().pending() == 0; }, 10000));
    EXPECT_EQ(seed->bibs(anna), std::vector<int>{7});

    ASSERT_TRUE(turnTo(*form));
    grid()->setFocus();
    go(0, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
    const QPointer<QWidget> printer = comesUp(QStringLiteral("Drucken"), 20000);
    ASSERT_TRUE(printer);
    EXPECT_TRUE(becomesActiveInX(*printer));
    EXPECT_TRUE(waitUntil([&] { return !wait.isVisible(); }, 5000)) << "the wait covers the printer dialog";
    ASSERT_TRUE(pressIn(*printer, Qt::Key_Escape));
    EXPECT_TRUE(waitUntil([&] { return !printer || !printer->isVisible(); }, 5000));
    EXPECT_EQ(cursor(), std::make_pair(0, 1)) << "a key meant for the dialog moved the grid's cursor";

    // Anna has a result in the long jump, which her new team is not listed in: the server asks.
    seed->result(jump, anna);
    TTeamForm teams(context);
    windows.place(TWindowId::TeamForm, &teams);
    teams.show();
    auto* teamList = teams.findChild<QAbstractItemView*>(QStringLiteral("ListView1"));
    ASSERT_TRUE(waitUntil([&] { return teamList->model()->rowCount() == 2; }, 10000));
    dialogs->expectMessage(kAthleteDataCaption, TMsgAnswer::Yes); // the bib refused before is still typed
    athleteForm.selectAthlete(anna);
    ASSERT_TRUE(turnTo(teams));
    int owlsRow = 0;
    while (teamList->model()->index(owlsRow, 0).data().toString() != QStringLiteral("Eulen"))
        ++owlsRow;
    dialogs->expectMessage(QStringLiteral("Athleten Team zuweisen"), TMsgAnswer::Yes);
    ASSERT_TRUE(dropWindowDrag(*teamList, owlsRow, QStringLiteral("AthleteForm")));
    takesKeysAndEnterAnswers(comesUp(QStringLiteral("AthletIn Team zuweisen")));
    ASSERT_TRUE(waitUntil([&] { return runningRequestCount() == 0; }, 10000));
    EXPECT_EQ(seed->value("SELECT team_id FROM athletes WHERE id = ?", anna), foxes);

    // The export, picked with a click in the main window's menu.
    keys.main.show();
    ASSERT_TRUE(turnTo(keys.main));
    QAction* exportEntry = keys.main.action(QStringLiteral("Veranstaltungexportieren1"));
    auto* menu = qobject_cast<QMenu*>(exportEntry->associatedObjects().value(0));
    ASSERT_TRUE(menu);
    menu->popup(keys.main.mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(waitUntil([&] { return menu->isVisible(); }, 5000));
    const QString file = folders.programDir.filePath(QStringLiteral("Fest.qpc"));
    dialogs->expectFile(QStringLiteral("Veranstaltung exportieren"), file);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(exportEntry).center());
    takesKeysAndEnterAnswers(comesUp(QStringLiteral("Veranstaltung exportieren")));
    EXPECT_TRUE(QFile::exists(file));
}

} // namespace
} // namespace tvp::test
