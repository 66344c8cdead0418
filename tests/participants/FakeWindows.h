#pragma once
// Stand-ins for the windows a participant window talks to through their interfaces, each
// recording what it was asked and answering what the test set.

#include "core/services/ParticipantForms.h"
#include "core/services/ScoringServices.h"
#include "participants/ui/ParticipantWindowInterfaces.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <deque>

namespace tvp::test {

// Named as the real one, so drags from "TeamForm" come from it.
class FakeTeamWindow : public QWidget, public ITeamForm {
public:
    FakeTeamWindow() { setObjectName(QStringLiteral("TeamForm")); }
    int getSelected() const override { return selected.empty() ? 0 : selected.front(); }
    std::vector<int> getSelectedIds() const override { return selected; }
    std::vector<proto::TeamType> getSelectedTeams() const override { return teams; }
    void showDisc(int, int) override {}
    void discParticipantsUpdated(int) override {}

    std::vector<int> selected;
    std::vector<proto::TeamType> teams;
};

class FakeBillingSetup : public QWidget, public IBillingDocSetupForm {
public:
    void getPath(int competitionId) override { pathAsked.push_back(competitionId); }
    void showDialog(int competitionId) override { dialogShown.push_back(competitionId); }
    void removeBillingDocPath(int competitionId) override { removed.push_back(competitionId); }
    // As the real window reports.
    void report(TDocPathStatus status, const QString& path, int competitionId)
    {
        if (OnStatusChange)
            OnStatusChange(status, path, competitionId, 0);
    }

    std::vector<int> pathAsked;
    std::vector<int> dialogShown;
    std::vector<int> removed;
};

// The age-class window as others use it: shown modally, then asked for its choice.
class FakeAgeClassWindow : public QWidget, public IAgeClassForm {
public:
    FakeAgeClassWindow() { setWindowTitle(QStringLiteral("Altersklassen")); }
    int getSelected() const override { return selected; }
    std::optional<proto::AgeClassType> getAgeClass(int) const override { return std::nullopt; }

    int selected = 0;
};

class FakeAgeMismatchPrompt : public QWidget, public IAgeMismatchPrompt {
public:
    TAgeMismatchResolution ShowAgeMismatchDialog(bool several) override
    {
        askedSeveral.push_back(several);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected age-class question";
            return TAgeMismatchResolution::amr_cancel;
        }
        const TAgeMismatchResolution a = answers.front();
        answers.pop_front();
        return a;
    }

    std::deque<TAgeMismatchResolution> answers;
    std::vector<bool> askedSeveral;
};

} // namespace tvp::test
