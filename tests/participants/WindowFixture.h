#pragma once
// A participant window against the stand-in over loopback: a competition of its own, the window
// registry and context of the test, the real batch confirmation window, scripted dialogs and
// recorded messages. Data the windows cannot make themselves is seeded into the data file.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/ConfirmBatchDialog.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tvp::test {

class ParticipantWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        comp = client->create(QStringLiteral("Kinderleichtathletik"));
        auto record = std::make_unique<proto::CompetitionType>();
        record->ID = comp;
        record->Name = QStringLiteral("Kinderleichtathletik");
        competition.SetCompetitionInternal(std::move(record));
        context.setMessageSink(&messages);
        context.setWaitTexts(&waits);
        seed = std::make_unique<StandinSeed>(standin.dataFile());
    }

    void TearDown() override
    {
        settle();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        setDialogs(nullptr);
    }

    // Runs the event loop until no request is on its way and the answers have been handled.
    void settle()
    {
        for (int quiet = 0; quiet < 3;) {
            ASSERT_TRUE(waitUntil([] { return runningRequestCount() == 0; }, 15000));
            const int before = runningRequestCount();
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 30)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            quiet = runningRequestCount() == 0 && before == 0 ? quiet + 1 : 0;
        }
    }

    // The answer of the batch confirmation window: the box for all ticked or not, then the button.
    static std::function<int(QWidget&)> confirm(const QString& button, bool forAll, QString* text = nullptr)
    {
        return [=](QWidget& window) {
            if (text)
                *text = window.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
            window.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(forAll);
            for (QPushButton* b : window.findChildren<QPushButton*>())
                if (b->text() == button)
                    b->click();
            return 0;
        };
    }

    template <class T = QWidget>
    static T* child(QWidget& window, const char* name)
    {
        T* w = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    static QAction* action(QWidget& window, const char* name) { return child<QAction>(window, name); }

    // Types into a line edit as a user would (textEdited fires).
    static void type(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        edit->insert(text);
    }

    // Selects the view rows (of the view's own model) as a click and ctrl-clicks would.
    static void selectRows(QAbstractItemView* view, const std::vector<int>& rows)
    {
        bool first = true;
        for (int row : rows) {
            const QModelIndex index = view->model()->index(row, 0);
            view->selectionModel()->setCurrentIndex(
                index, (first ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                           QItemSelectionModel::Rows);
            first = false;
        }
    }

    // The texts of a column of a view, in view order.
    static QStringList column(const QAbstractItemView* view, int col)
    {
        QStringList out;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            out << view->model()->index(row, col).data().toString();
        return out;
    }

    // A drop of a list drag from the source list onto the row of the target view, ctrl held or not.
    static void drop(QAbstractItemView* target, int row, const QString& source, bool ctrl = false)
    {
        QMimeData data;
        data.setData(QStringLiteral("application/x-trivanta-list"), source.toUtf8());
        const QRect r = target->visualRect(target->model()->index(row, 0));
        const QPointF at = row >= 0 ? QPointF(r.center()) : QPointF(2, target->viewport()->height() - 2);
        const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
        QDragEnterEvent enter(at.toPoint(), Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, mods);
        QCoreApplication::sendEvent(target->viewport(), &enter);
        QDragMoveEvent move(at.toPoint(), Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, mods);
        QCoreApplication::sendEvent(target->viewport(), &move);
        ASSERT_TRUE(move.isAccepted()) << "the target refused the drag";
        QDropEvent dropped(at, Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, mods);
        QCoreApplication::sendEvent(target->viewport(), &dropped);
    }

    TempAppFolders folders;
    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    int comp = 0;
    ScriptedDialogs* script = nullptr;
    TCurrentCompetition competition;
    TWindowRegistry registry;
    TWindowContext context{competition, registry};
    RecordingMessages messages;
    RecordingWaitTexts waits;
    TConfirmBatchForm confirmation{context};
};

} // namespace tvp::test
