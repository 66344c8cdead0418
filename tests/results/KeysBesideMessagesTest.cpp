// "Leistungen erfassen" under a real window manager while other windows come up by themselves. The
// keys go where the window manager sends them, as the X server hands a typist's keys to the program:
// to the focus of the active window, one by one, also while a question waits in a loop of its own.

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

#include <chrono>

namespace tvp::test {
namespace {

// Each value typed and stored with Enter, down attempt 1; a key every 50 ms.
class Typist : public QObject {
public:
    explicit Typist(const QStringList& values)
    {
        for (int v = 0; v < values.size(); ++v) {
            for (QChar ch : values[v])
                keys_.push_back({v, Qt::Key(ch.unicode())});
            keys_.push_back({v, Qt::Key_Return});
        }
        timer_.setInterval(50);
        connect(&timer_, &QTimer::timeout, this, [this] { next(); });
    }
    void start() { timer_.start(); }
    bool done() const { return next_ == keys_.size(); }

    // After the first key of a value.
    std::function<void(int value)> afterFirstKey;
    // After the last key, still inside whatever loop runs then.
    std::function<void()> finished;

private:
    struct Key {
        int value;
        Qt::Key key;
    };
    void next()
    {
        const Key k = keys_[next_++];
        if (QWidget* target = QApplication::focusWidget())
            QTest::keyClick(target, k.key, Qt::NoModifier);
        if (afterFirstKey && (next_ == 1 || keys_[next_ - 2].value != k.value))
            afterFirstKey(k.value);
        if (done()) {
            timer_.stop();
            if (finished)
                finished();
        }
    }

    std::vector<Key> keys_;
    std::size_t next_ = 0;
    QTimer timer_;
};

// The ids of the program's windows in the window manager's stacking order, bottom first.
QStringList stacking()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    xprop.waitForFinished();
    return QString::fromLatin1(xprop.readAllStandardOutput()).section(u'#', 1).split(u',', Qt::SkipEmptyParts);
}

bool stackedAbove(const QWidget& upper, const QWidget& lower)
{
    auto place = [list = stacking()](const QWidget& w) {
        for (int i = 0; i < list.size(); ++i)
            if (list[i].trimmed().toULongLong(nullptr, 16) == w.winId())
                return i;
        return -1;
    };
    return place(upper) > place(lower) && place(lower) >= 0;
}

class KeysBesideMessagesTest : public ResultWindowTest {
protected:
    void SetUp() override
    {
        ResultWindowTest::SetUp();
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ball = discipline(QStringLiteral("Schlagball"), 1, false, "byAthleteOrTeam", QStringLiteral("Distance"));
        for (int i = 0; i < 12; ++i) {
            const int child = seed->athlete(comp, QStringLiteral("Kind%1").arg(i, 2, 10, QChar(u'0')),
                                            QStringLiteral("Wurf"), i % 2 ? owls : foxes);
            seed->placeAthlete(ball, child, 1);
        }
        messageForm = std::make_unique<TExceptionForm>(context);
        context.setMessageSink(messageForm.get());
    }
    void TearDown() override
    {
        if (qtDialogs_) {
            auto scripted = std::make_unique<ScriptedDialogs>();
            script = scripted.get();
            setDialogs(std::move(scripted));
        }
        standin.server().setAnswerDelay(std::chrono::milliseconds(0));
        ResultWindowTest::TearDown();
        messageForm.reset();
    }

    // The window as the user opens it, active under the window manager, the cursor on the first row.
    void openActive(int discipline)
    {
        form->showAndLoadDisciplin(discipline, 1, IResultDialog::kNoVersion, 0);
        ASSERT_TRUE(settled());
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), 5000));
        grid()->setFocus();
        go(0, 1);
    }
    // Types the values 20, 21, ... down the grid.
    QStringList typeDown(Typist*& typist, int count)
    {
        QStringList values;
        for (int row = 0; row < count; ++row)
            values << QString::number(20 + row);
        typist = new Typist(values);
        typist->setParent(form.get());
        return values;
    }
    // "row: typed -> stored" for each row that does not hold what was typed in it, read back from
    // the stand-in.
    QStringList misplaced(const QStringList& typed)
    {
        QStringList out;
        for (int row = 0; row < typed.size(); ++row) {
            const QString value = stored(ball, 1, "athlete_id", model().athleteId(row));
            if (value != QStringLiteral("Distance ") + typed[row])
                out << QStringLiteral("%1: %2 -> %3").arg(row).arg(typed[row], value);
        }
        return out;
    }
    int messageRows() const
    {
        return messageForm->findChild<QTreeView*>(QStringLiteral("ListView1"))->model()->rowCount();
    }

    // Qt's own questions, as the program shows them, for the rest of the test.
    void useQtDialogs()
    {
        setDialogs(nullptr);
        qtDialogs_ = true;
    }

    int ball = 0;
    std::unique_ptr<TExceptionForm> messageForm;

private:
    bool qtDialogs_ = false;
};

// A timing line that starts no run, written three times while values go down attempt 1 with Enter:
// the poll's message comes up over the grid and waits to be read, and every value lands on the row
// it was typed in.
TEST_F(KeysBesideMessagesTest, AMessageOfThePollNeverTakesTheValuesTypedInTheGrid)
{
    QTemporaryDir exchange;
    ASSERT_TRUE(exchange.isValid());
    TTimingSettingsForm settings(context);
    windows.place(TWindowId::TimingSettingsForm, &settings);
    settings.setExchangeDir(exchange.path());
    settings.setPolling(true);
    openActive(ball);

    Typist* typist = nullptr;
    const QStringList typed = typeDown(typist, 12);
    typist->afterFirstKey = [&](int value) {
        if (value % 4 == 1)
            writeBytes(QDir(exchange.path()).filePath("COM_ZDT.TXT"), "Testzeile\r\n" + runHeader("Lauf", " 9", " 1"));
    };
    typist->start();
    ASSERT_TRUE(waitUntil([&] { return typist->done(); }, 10000));
    ASSERT_TRUE(settled());

    EXPECT_EQ(misplaced(typed), QStringList());
    EXPECT_TRUE(messageForm->isVisible()) << "the message was closed unread";
    EXPECT_EQ(messageRows(), 3);
    EXPECT_TRUE(stackedAbove(*messageForm, *form));
    EXPECT_EQ(QApplication::activeWindow(), form.get());
}

// Windows that come up by themselves while the user types on: "Leistungen prüfen", open beside the
// grid, reloads and shows itself after every store, and the athlete window's question about a bib
// the user saved a moment before comes back from the slowed server. Neither takes a key nor covers
// the grid; the question waits with "Nein" as its default until the user answers it.
TEST_F(KeysBesideMessagesTest, WindowsAndQuestionsThatComeUpByThemselvesTakeNoKeys)
{
    TResultCheckForm check(context);
    windows.place(TWindowId::ResultCheckForm, &check);
    TAthleteForm athleteForm(context);
    windows.place(TWindowId::AthleteForm, &athleteForm);
    useQtDialogs();

    check.checkWarnings({ball}, false);
    ASSERT_TRUE(waitUntil([&] { return check.isVisible(); }, 10000));
    athleteForm.show();
    ASSERT_TRUE(waitUntil([&] { return athleteForm.listModel().rowCount() > 0; }, 10000));
    athleteForm.selectAthlete(ben);
    auto* bibs = athleteForm.findChild<QLineEdit*>(QStringLiteral("EditBibs"));
    bibs->setText(QStringLiteral("7")); // Anna's
    emit bibs->textEdited(bibs->text());
    openActive(ball);

    // Saved with a click; the refusal comes back while the user types in the grid.
    standin.server().setAnswerDelay(std::chrono::milliseconds(250));
    QTest::mouseClick(athleteForm.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    // The last child keeps no result, so the check keeps finding one.
    Typist* typist = nullptr;
    const QStringList typed = typeDown(typist, 11);
    QString question;
    typist->finished = [&] {
        QMessageBox* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                box = b;
        if (!box)
            return;
        question = box->windowTitle() + u'|' + box->defaultButton()->text() + u'|' +
                   (box->isActiveWindow() ? QStringLiteral("active") : QStringLiteral("waits"));
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QStringLiteral("Nein"))
                QTest::mouseClick(button, Qt::LeftButton);
    };
    typist->start();
    ASSERT_TRUE(waitUntil([&] { return typist->done(); }, 15000));
    standin.server().setAnswerDelay(std::chrono::milliseconds(0));
    ASSERT_TRUE(settled());
    ASSERT_TRUE(waitUntil([&] { return athleteForm.road().pending() == 0 && runningRequestCount() == 0; }, 10000));

    EXPECT_EQ(misplaced(typed), QStringList());
    EXPECT_EQ(question, QStringLiteral("Athletendaten|Nein|waits"));
    EXPECT_EQ(seed->bibs(anna), std::vector<int>{7}) << "the bib stays with Anna";
    EXPECT_EQ(seed->bibs(ben), std::vector<int>{8});
    EXPECT_TRUE(check.isVisible());
    EXPECT_TRUE(stackedAbove(*form, check)) << "the check came over the grid";
    EXPECT_EQ(QApplication::activeWindow(), form.get());
}

} // namespace
} // namespace tvp::test
