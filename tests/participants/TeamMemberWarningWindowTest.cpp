// The team-rule warning window against the stand-in's check: its rows, the member view on a
// double-click, and the repeated check that closes the window once every team is fine.

#include "participants/ui/TeamMemberWarningDialog.h"
#include "tests/participants/WindowFixture.h"

#include <QPushButton>
#include <QTreeView>

using namespace tvp;
using namespace tvp::test;

namespace {

class TeamRuleWindow : public ParticipantWindowTest {
protected:
    void SetUp() override
    {
        ParticipantWindowTest::SetUp();
        proto::AgeClassInfoType rules;
        rules.MinTeamMembers = 2;
        rules.MaxTeamMembers = -1;
        rules.MinMembersPerGender = 1;
        u10 = ageClass(QStringLiteral("U10"), rules);
        adler = seed->team(competitionId, QStringLiteral("Adler"), u10);
        member(adler, proto::GenderType::MALE);
        athletes = make<FakeAthleteForm>(TWindowId::AthleteForm);
        form = make<TTeamMemberWarningForm>(TWindowId::TeamMemberWarningForm);
    }
    void member(int team, proto::GenderType gender)
    {
        seed->setPerson(seed->athlete(competitionId, QStringLiteral("Kim"), QStringLiteral("Muster"), team), gender,
                        2016);
    }
    void check()
    {
        form->showParticipantWarning(client->drs()->checkParticipantConstraints({}, competitionId), {}, competitionId);
    }
    QTreeView* list() const { return form->findChild<QTreeView*>(QStringLiteral("ListView1")); }

    int u10 = 0;
    int adler = 0;
    FakeAthleteForm* athletes = nullptr;
    TTeamMemberWarningForm* form = nullptr;
};

} // namespace

TEST_F(TeamRuleWindow, ShowsEachBrokenRuleAndOpensTheMembersOnADoubleClick)
{
    check();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Teammitglieder prüfen"));
    EXPECT_EQ(rows(*list()),
              (QStringList{"Adler|Anzahl Team-Mitglieder|1|U10|2|-1|", "Adler|Geschlechtermischung||U10|||min. 1"}));
    EXPECT_TRUE(form->findChild<QPushButton*>(QStringLiteral("CloseButton"))->hasFocus() ||
                form->focusWidget() == form->findChild<QPushButton*>(QStringLiteral("CloseButton")));

    auto* dataView = make<CountingForm>(TWindowId::DataViewForm);
    dataView->show();
    form->ListView1DblClick(1);
    EXPECT_EQ(athletes->shownTeams, std::vector<int>{adler});
    EXPECT_FALSE(dataView->isVisible());
}

TEST_F(TeamRuleWindow, TheRepeatedCheckClosesTheWindowOnceEveryTeamIsFine)
{
    check();
    ASSERT_TRUE(form->isVisible());
    member(adler, proto::GenderType::FEMALE);
    form->reloadFormData(true);
    settle();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(recorder.messages.messages.empty());

    // Hidden, it does not ask the server.
    form->reloadFormData(true);
    EXPECT_EQ(runningRequestCount(), 0);
}

TEST_F(TeamRuleWindow, AFailedCheckIsReportedAndClosesTheWindow)
{
    check();
    client->cms()->removeCompetition(competitionId);
    form->reloadFormData(true);
    settle();
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Teammitglieder prüfen"));
    EXPECT_EQ(recorder.messages.messages[0].errorId, 3);
}
