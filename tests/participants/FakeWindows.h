#pragma once
// Stand-ins for the windows a participant window talks to through their interfaces, each
// recording what it was asked and answering what the test set.

#include "core/services/ScoringServices.h"
#include "participants/ParticipantForms.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <deque>

namespace tvp::test {

class FakeAthleteWindow : public QWidget, public IAthleteForm {
public:
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

    std::vector<int> selected;
    std::vector<int> shownTeams;
};

class FakeTeamWindow : public QWidget, public ITeamForm {
public:
    int getSelected() const override { return selected.empty() ? 0 : selected.front(); }
    std::vector<int> getSelectedIds() const override { return selected; }
    std::vector<proto::TeamType> getSelectedTeams() const override { return teams; }
    void showDisc(int, int) override {}
    void discParticipantsUpdated(int) override {}

    std::vector<int> selected;
    std::vector<proto::TeamType> teams;
};

class FakeSearchWindow : public QWidget, public IListSearchForm {
public:
    void openSearchDialog(const std::vector<QAbstractItemView*>& lists, const std::vector<int>& columns) override
    {
        openedOn = lists;
        searchedColumns = columns;
        ++openings;
    }

    std::vector<QAbstractItemView*> openedOn;
    std::vector<int> searchedColumns;
    int openings = 0;
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
