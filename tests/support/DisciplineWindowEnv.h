#pragma once
// What a test of the discipline windows (and the windows opened from them) sets up around them:
// program folders in a temporary directory, scripted dialogs, a fixed clock, a short row delay and
// a registry with the scoring and organisation areas.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/ShellClock.h"
#include "organisation/ui/DisciplinDialog.h"
#include "organisation/ui/OrganisationWindows.h"
#include "scoring/ui/ScoringWindows.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestUtil.h"

#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace tvp::test {

struct DisciplineWindowEnv {
    QTemporaryDir dir;
    ScriptedDialogs* script = nullptr;
    qint64 now = 1'000'000;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};

    void setUpEnv()
    {
        ASSERT_TRUE(dir.isValid());
        AppPaths::setProgramDirForTests(dir.path());
        AppPaths::setCommonAppDataDirForTests(dir.path());
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        setShellClockForTests([this] { return now; });
        InitComm();
        TDisciplinForm::selectDelayMs = 5;
        registerScoringServices(windows);
        registerOrganisationWindows(windows);
    }

    // Every scripted answer must have been asked for before the windows go.
    void closeWindows()
    {
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        windows.destroyAll();
    }

    void restoreEnv()
    {
        setDialogs(nullptr);
        setShellClockForTests({});
        AppPaths::setProgramDirForTests({});
        AppPaths::setCommonAppDataDirForTests({});
        TDisciplinForm::selectDelayMs = 350;
    }

    void useCompetition(int id)
    {
        auto c = std::make_unique<proto::CompetitionType>();
        c->ID = id;
        competition.SetCompetitionInternal(std::move(c));
    }
};

// Selects the discipline's row as a click would and waits until the delayed load started.
inline void selectDisciplineRow(TDisciplinForm* w, int discId)
{
    QAbstractItemModel* model = w->ListView1->model();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 4).data().toString() == QString::number(discId)) {
            w->ListView1->selectionModel()->select(model->index(row, 0),
                                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            ASSERT_TRUE(waitUntil([&] { return !w->SelectItemTimer.isActive(); }));
            return;
        }
    FAIL() << "no row for " << discId;
}

} // namespace tvp::test
