// "Leistungen erfassen" under openbox while other windows come up by themselves. The keys go where
// the window manager put the focus, one every 50 ms from a timer, as the X server hands a typist's
// keys over, also while a question waits in a loop of its own.

#include "core/ui/ExceptionDialog.h"
#include "participants/ui/AthleteDialog.h"
#include "results/ui/ResultCheckDialog.h"
#include "results/ui/TimingSettingsDialog.h"
#include "standin/StandinServer.h"
#include "tests/results/ResultWindowFixture.h"
#include "tests/results/TimingFixture.h"

#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

namespace tvp::test {
namespace {

// The window manager's stacking order holds the upper window above the lower one.
bool stackedAbove(const QWidget& upper, const QWidget& lower)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    xprop.waitForFinished();
    const QStringList ids = QString::fromLatin1(xprop.readAllStandardOutput()).section(u'#', 1).split(u',');
    auto place = [&](const QWidget& w) {
        for (int i = 0; i < ids.size(); ++i)
            if (ids[i].trimmed().toULongLong(nullptr, 16) == w.winId())
                return i;
        return -1;
    };
    return place(lower) >= 0 && place(upper) > place(lower);
}

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
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get(), 5000));
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

    int ball = 0;
    TExceptionForm messageForm{context};
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
    const QStringList typed = typeDown(11, {}, [&] { typing = false; });
    standin.server().setAnswerDelay(std::chrono::milliseconds(0));
    ASSERT_TRUE(waitUntil([&] { return athleteForm.road().pending() == 0 && runningRequestCount() == 0; }, 10000));
    EXPECT_EQ(misplaced(typed), QStringList());
    EXPECT_EQ(question, QStringLiteral("Athletendaten|Nein|waits"));
    EXPECT_EQ(seed->bibs(anna), std::vector<int>{7}) << "the bib stays with Anna";
    EXPECT_TRUE(check.isVisible() && stackedAbove(*form, check)) << "the check came over the grid";
    EXPECT_EQ(QApplication::activeWindow(), form.get());
}

} // namespace
} // namespace tvp::test
