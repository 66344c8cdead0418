#pragma once
// Participant windows under test: a stand-in on loopback with one competition chosen, a private
// window registry and context with recorders for messages, wait texts, hints and the batch
// confirmation, scripted dialogs, and stand-ins for the windows the tested one talks to.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"
#include "tests/support/RealDrag.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <vector>

namespace tvp::test {

class RecordingHints : public IHints {
public:
    void ShowHint(const QString& name, bool force) override { shown << name + (force ? "!" : ""); }
    void ShowHintDelayed(const QString& name, int) override { shown << name + "~"; }
    void ResetHintSystem() override {}
    QStringList shown;
};

// A work window that only counts its reloads.
class CountingForm : public TTVPForm {
public:
    explicit CountingForm(TWindowContext& context, const QString& title = QStringLiteral("Zähler")) : TTVPForm(context)
    {
        setWindowTitle(title);
    }
    int reloads = 0;

protected:
    void reloadData() override { ++reloads; }
};

// The athlete window as the team windows see it: a selection to drag, and the member view.
class FakeAthleteForm : public CountingForm, public IAthleteForm {
public:
    explicit FakeAthleteForm(TWindowContext& context) : CountingForm(context, QStringLiteral("Athleten")) {}
    void showAthlete(int, int) override {}
    void showTeamMembers(int teamId) override { shownTeams.push_back(teamId); }
    void showDisc(int, int) override {}
    void discParticipantsUpdated(int) override {}
    std::vector<int> getSelectedIds() const override { return selected; }
    std::optional<proto::AthleteType> getCachedAthleteByID(int) const override { return std::nullopt; }
    std::optional<proto::AthleteType> getCachedAthlete(int) const override { return std::nullopt; }
    void selectAthlete(int) override {}
    void createNewAthleteWithBarcode(int) override {}
    void checkParticipantContraints(bool) override {}
    void openSearch() override { ++searches; }

    std::vector<int> selected;
    int searches = 0;
    std::vector<int> shownTeams;
};

class FakeSearchForm : public CountingForm, public IListSearchForm {
public:
    explicit FakeSearchForm(TWindowContext& context) : CountingForm(context, QStringLiteral("Suchen...")) {}
    void openSearchDialog(const std::vector<const QAbstractItemModel*>& lists, const std::vector<int>& columns) override
    {
        searchedLists = lists;
        searchedColumns = columns;
    }
    std::vector<const QAbstractItemModel*> searchedLists;
    std::vector<int> searchedColumns;
};

// Until every request has come back and its answer was handled (answers may send more).
inline void settleRequests()
{
    for (int quiet = 0; quiet < 3;) {
        ASSERT_TRUE(waitUntil([] { return runningRequestCount() == 0; }, 15000));
        QTest::qWait(30);
        quiet = runningRequestCount() == 0 ? quiet + 1 : 0;
    }
}

// Types over the field's text as a user would (QTest types only ASCII; the rest arrives as one edit).
inline void typeInto(QLineEdit& edit, const QString& text)
{
    edit.setFocus();
    edit.selectAll();
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 128;
    if (ascii) {
        QTest::keyClicks(&edit, text);
    } else {
        edit.setText(text);
        emit edit.textEdited(text);
    }
}

class ParticipantWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        InitComm();
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        context.setHints(&hints);
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        competitionId = client->create(QStringLiteral("Sportfest"));
        auto chosen = std::make_unique<proto::CompetitionType>();
        chosen->ID = competitionId;
        competition.SetCompetitionInternal(std::move(chosen));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
    }

    void TearDown() override
    {
        settle();
        owned_.clear();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        EXPECT_TRUE(recorder.confirmation.allAnswered());
        setDialogs(nullptr);
    }

    // A window of the test in its catalogue row.
    template <class Window>
    Window* make(TWindowId id)
    {
        auto window = std::make_unique<Window>(context);
        Window* raw = window.get();
        raw->setObjectName(QString::fromLatin1(windowRow(id).objectName));
        windows.place(id, raw);
        owned_.push_back(std::move(window));
        return raw;
    }

    static void settle() { settleRequests(); }

    // The user picks the entry carrying id from a box.
    static void choose(QComboBox& box, int id)
    {
        const int index = box.findData(id);
        ASSERT_GE(index, 0) << box.objectName().toStdString() << " has no entry " << id;
        box.setCurrentIndex(index);
        emit box.activated(index);
    }
    static QStringList entries(const QComboBox& box)
    {
        QStringList out;
        for (int i = 0; i < box.count(); ++i)
            out << box.itemText(i);
        return out;
    }
    // The rows of a view as its model shows them, cells joined by "|".
    static QStringList rows(const QAbstractItemView& view)
    {
        QStringList out;
        const QAbstractItemModel* m = view.model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->index(r, c).data().toString();
            out << cells.join(u'|');
        }
        return out;
    }
    // A user's click on the row whose first cell reads text (adding to the selection with ctrl).
    static void clickRow(QAbstractItemView& view, const QString& text, bool ctrl = false)
    {
        const QAbstractItemModel* m = view.model();
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->index(r, 0).data().toString() != text)
                continue;
            const QRect rect = view.visualRect(m->index(r, 0));
            QTest::mouseClick(view.viewport(), Qt::LeftButton, ctrl ? Qt::ControlModifier : Qt::NoModifier,
                              rect.center());
            return;
        }
        ADD_FAILURE() << "no row " << text.toStdString();
    }

    // The texts of one column of a view, in its order.
    static QStringList column(const QAbstractItemView& view, int col)
    {
        QStringList out;
        for (int r = 0; r < view.model()->rowCount(); ++r)
            out << view.model()->index(r, col).data().toString();
        return out;
    }
    // A drag from the source (a window's component name, or what a list names itself) dropped on
    // the row of the view (-1: below the rows), with ctrl held or not; whether the view took it.
    static bool dropOn(QAbstractItemView& view, int row, const QString& source, bool ctrl = false)
    {
        return dropWindowDrag(view, row, source, ctrl);
    }
    // A child of a window by component name.
    template <class T = QWidget>
    static T* find(const QWidget& window, const char* name)
    {
        T* w = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }

    int ageClass(const QString& name, const proto::AgeClassInfoType& rules = {})
    {
        return seed->ageClass(competitionId, name, rules);
    }

    TempAppFolders folders;
    ScriptedDialogs* script = nullptr;
    StandinHarness standin;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    RecordingHints hints;
    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    int competitionId = 0;

private:
    std::vector<std::unique_ptr<QWidget>> owned_;
};

// A test of one window of the design's editor layout: the list "ListView1", the name field
// "NameEdit", "Button1" to save, "Button2" to add and the "IdLabel".
template <class Form>
class EditorWindowTest : public ParticipantWindowTest {
protected:
    void open()
    {
        form->show();
        settle();
    }
    template <class T>
    T* child(const char* name) const
    {
        T* w = form->template findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    QLineEdit* name() const { return child<QLineEdit>("NameEdit"); }
    QPushButton* save() const { return child<QPushButton>("Button1"); }
    QPushButton* add() const { return child<QPushButton>("Button2"); }
    QString id() const { return child<QLabel>("IdLabel")->text(); }
    // A stored column of a row, as a number.
    int stored(const char* table, const char* column, int id)
    {
        const std::string sql = std::string("SELECT ") + column + " FROM " + table + " WHERE id = ?";
        return seed->value(sql.c_str(), id);
    }

    Form* form = nullptr;
};

} // namespace tvp::test
