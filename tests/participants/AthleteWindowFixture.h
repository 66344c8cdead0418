#pragma once
// The athlete window and the list search offscreen against the stand-in over loopback, with
// scripted dialogs and a recorded message window, and a hand-stepped clock for the base window's
// one-second guard.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/ShellClock.h"
#include "participants/ui/AthleteDialog.h"
#include "participants/ui/SearchDialog.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

namespace tvp::test {

class AthleteWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        setShellClockForTests([this] { return now; });
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        auto comp = std::make_unique<proto::CompetitionType>();
        comp->ID = client->create(QStringLiteral("Kinderleichtathletik"));
        competitionId = comp->ID;
        competition.SetCompetitionInternal(std::move(comp));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        search = std::make_unique<TSearchForm>(context);
        windows.place(TWindowId::SearchForm, search.get());
        form = std::make_unique<TAthleteForm>(context);
        windows.place(TWindowId::AthleteForm, form.get());
    }
    void TearDown() override
    {
        form.reset();
        search.reset();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        EXPECT_TRUE(recorder.confirmation.allAnswered());
        setDialogs(nullptr);
        setShellClockForTests({});
    }

    // ---- the server ----

    int athlete(const QString& given, const QString& sur, std::vector<int> bibs = {}, int team = 0, int club = 0)
    {
        proto::AthleteInfoDataType info;
        info.Name = proto::AthleteNameType{given, sur};
        info.Bib = std::move(bibs);
        info.Gender = proto::GenderType::NotSpecified;
        return client->das()->addAthlete(info, team, competitionId, false, club).Athlete->AthleteID;
    }

    // ---- the window ----

    // Until every request has come back.
    void settle()
    {
        ASSERT_TRUE(waitUntil([this] { return form->road().pending() == 0 && runningRequestCount() == 0; }, 10000));
    }
    void open()
    {
        form->show();
        settle();
    }
    // The base window asks nothing for a second after a "Ja".
    void later() { now += 2000; }

    template <class T>
    T* child(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromUtf8(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    QLineEdit* edit(const char* name) const { return child<QLineEdit>(name); }
    QComboBox* box(const char* name) const { return child<QComboBox>(name); }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QTreeView* list() const { return child<QTreeView>("ListView1"); }

    // As the user types it.
    static void type(QLineEdit* e, const QString& text)
    {
        e->setText(text);
        emit e->textEdited(text);
    }
    // As the user picks it.
    static void pick(QComboBox* c, const QString& entry)
    {
        const int i = c->findText(entry);
        ASSERT_GE(i, 0) << entry.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    static QStringList entries(const QComboBox* c)
    {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }

    // The surnames as listed, in order.
    QStringList listed() const
    {
        QStringList out;
        const QAbstractItemModel& m = form->listModel();
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.index(r, colSurName).data().toString();
        return out;
    }
    int rowOf(const QString& surName) const { return int(listed().indexOf(surName)); }
    void selectRows(const QStringList& surNames)
    {
        list()->clearSelection();
        for (const QString& s : surNames) {
            const QModelIndex index = form->listModel().index(rowOf(s), 0);
            list()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    // A click on the row.
    void click(const QString& surName)
    {
        const QModelIndex index = form->listModel().index(rowOf(surName), 0);
        ASSERT_TRUE(index.isValid()) << surName.toStdString();
        list()->selectionModel()->setCurrentIndex(index,
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        emit list()->clicked(index);
    }

    TempAppFolders folders;
    ScriptedDialogs* script = nullptr;
    qint64 now = 10'000'000;
    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    int competitionId = 0;
    std::unique_ptr<StandinSeed> seed;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    std::unique_ptr<TSearchForm> search;
    std::unique_ptr<TAthleteForm> form;
};

} // namespace tvp::test
