// The stand-in's facilities and schedule over HTTP: facilities keep the items of the disciplines
// they keep, refuse losing items until forced, and a squad has one item per facility place.

#include "standin/ErrorMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

namespace errors = standin::errors;

class StandinPlaceScheduleTest : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        c = standin.newClient();
        comp = c->create(QStringLiteral("Kinderleichtathletik"));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        sprint = seed->discipline(comp, QStringLiteral("Sprint"));
        jump = seed->discipline(comp, QStringLiteral("Weitsprung"));
        throwing = seed->discipline(comp, QStringLiteral("Wurf"));
    }

    Owned<DisciplinePlaceInfoDataType> info(const QString& name, const QString& comment = {})
    {
        DisciplinePlaceInfoDataType i;
        i.Name = name;
        i.Comment = comment;
        return Owned<DisciplinePlaceInfoDataType>(std::move(i));
    }
    int create(const QString& name, const std::vector<int>& disciplines)
    {
        return c->cms()->createDisciplinePlace(info(name), disciplines, comp).DisciplinePlace->DisciplinePlaceId;
    }
    // The place mapping of the facility for the discipline.
    int mapping(int place, int discipline)
    {
        standin::Statement q = seed->db().query(
            "SELECT id FROM places_of_disciplines WHERE place_id = ? AND discipline_id = ?", place, discipline);
        return q.next() ? q.intAt(0) : -1;
    }
    ScheduleItemType set(int squad, int placeMapping, QTime time)
    {
        ScheduleItemInfoDataType i;
        i.Time = time;
        return c->cms()->setScheduleItem(Owned<ScheduleItemInfoDataType>(std::move(i)), squad, placeMapping);
    }

    std::unique_ptr<StandinClient> c;
    std::unique_ptr<StandinSeed> seed;
    int comp = 0, sprint = 0, jump = 0, throwing = 0;
};

} // namespace

TEST_F(StandinPlaceScheduleTest, FacilitiesAreListedWithTheirDisciplinesAndFilteredByDisciplineAlone)
{
    const int track = create(QStringLiteral("  Bahn  "), {sprint, jump});
    const int hall =
        c->cms()
            ->createDisciplinePlace(info(QStringLiteral("Halle"), QStringLiteral("  Eingang Nord ")), {throwing}, comp)
            .DisciplinePlace->DisciplinePlaceId;

    const getDisciplinePlacesResponse all = c->drs()->getDisciplinePlaces(comp, 0, 0);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].DisciplinePlaceId, track);
    EXPECT_EQ(all[0].Name, QStringLiteral("Bahn"));
    ASSERT_EQ(all[0].AssociatedDisciplines.size(), 2u);
    EXPECT_EQ(all[0].AssociatedDisciplines[1].Name, QStringLiteral("Weitsprung"));
    EXPECT_EQ(all[1].Comment, QStringLiteral("  Eingang Nord "));

    const getDisciplinePlacesResponse jumps = c->drs()->getDisciplinePlaces(0, jump, 0);
    ASSERT_EQ(jumps.size(), 1u);
    EXPECT_EQ(jumps[0].DisciplinePlaceId, track);
    EXPECT_EQ(c->drs()->getDisciplinePlaces(0, throwing, 0).front().DisciplinePlaceId, hall);

    EXPECT_EQ(errorIdOf([&] { c->cms()->createDisciplinePlace(info(QStringLiteral("   ")), {}, comp); }),
              errors::FacilityNameEmpty);
    const int other = c->create(QStringLiteral("Andere"));
    EXPECT_EQ(errorIdOf([&] { c->cms()->createDisciplinePlace(info(QStringLiteral("X")), {sprint}, other); }),
              errors::DisciplineNotFound);
}

TEST_F(StandinPlaceScheduleTest, SettingAnItemTwiceForOneSquadAndPlaceChangesItsTime)
{
    const int squad = seed->squad(comp, 1, {});
    const int track = create(QStringLiteral("Bahn"), {sprint});
    const ScheduleItemType first = set(squad, mapping(track, sprint), QTime(10, 0));
    const ScheduleItemType again = set(squad, mapping(track, sprint), QTime(10, 30));
    EXPECT_EQ(again.ScheduleItemId, first.ScheduleItemId);
    EXPECT_EQ(again.Time, QTime(10, 30));
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM schedule_items WHERE squad_id = ?", squad), 1);

    const getSquadScheduleResponse schedule = c->drs()->getSquadSchedule(comp, 0);
    ASSERT_EQ(schedule.size(), 1u);
    ASSERT_EQ(schedule[0].ScheduleItems.size(), 1u);
    const ScheduleItemType& item = schedule[0].ScheduleItems[0];
    EXPECT_EQ(item.DisciplinePlace->Place->Name, QStringLiteral("Bahn"));
    EXPECT_EQ(item.DisciplinePlace->Discipline->DisciplinID, sprint);

    c->cms()->removeScheduleItem(first.ScheduleItemId);
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeScheduleItem(first.ScheduleItemId); }), errors::ScheduleItemNotFound);
    const int other = c->create(QStringLiteral("Andere"));
    const int foreign = seed->squad(other, 1, {});
    EXPECT_EQ(errorIdOf([&] { set(foreign, mapping(track, sprint), QTime(9, 0)); }), errors::FacilityPlaceNotFound);
}

TEST_F(StandinPlaceScheduleTest, ChangesAndRemovalsThatLoseItemsAreRefusedUntilForced)
{
    const int squad = seed->squad(comp, 1, {});
    const int track = create(QStringLiteral("Bahn"), {sprint, jump});
    set(squad, mapping(track, sprint), QTime(10, 0));
    const int jumpMapping = mapping(track, jump);

    // Dropping the discipline without items, and renaming, needs no force; the kept place keeps its id.
    const int sprintMapping = mapping(track, sprint);
    c->cms()->modifyDisciplinePlace(track, info(QStringLiteral("Bahn 1")), {sprint, throwing}, false);
    EXPECT_EQ(mapping(track, sprint), sprintMapping);
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM places_of_disciplines WHERE id = ?", jumpMapping), 0);

    EXPECT_EQ(
        errorIdOf([&] { c->cms()->modifyDisciplinePlace(track, info(QStringLiteral("Bahn 1")), {throwing}, false); }),
        errors::FacilityPlaceHasScheduleItems);
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeDisciplinePlace(track, false); }), errors::FacilityHasScheduleItems);
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM schedule_items WHERE ? > 0", 1), 1);

    c->cms()->modifyDisciplinePlace(track, info(QStringLiteral("Bahn 1")), {throwing}, true);
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM schedule_items WHERE ? > 0", 1), 0);
    set(squad, mapping(track, throwing), QTime(11, 0));
    c->cms()->removeDisciplinePlace(track, true);
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM discipline_places WHERE competition_id = ?", comp), 0);
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM schedule_items WHERE ? > 0", 1), 0);
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeDisciplinePlace(track, true); }), errors::FacilityNotFound);
}

TEST_F(StandinPlaceScheduleTest, PossiblePlacesPerSquadFollowItsDisciplinesAndNameThoseWithoutFacility)
{
    const int first = seed->squad(comp, 1, {});
    const int second = seed->squad(comp, 2, QStringLiteral("Blitz"));
    seed->assignSquad(sprint, first);
    seed->assignSquad(jump, first);
    seed->assignSquad(throwing, second);
    const int track = create(QStringLiteral("Bahn"), {sprint});

    const getPossibleDisciplinePlacesResponse all = c->drs()->getPossibleDisciplinePlaces(comp, {});
    ASSERT_EQ(all.size(), 1u);
    EXPECT_FALSE(all[0].Squad);
    ASSERT_EQ(all[0].DisciplinePlaces.size(), 1u);
    EXPECT_EQ(all[0].DisciplinePlaces[0].Id, mapping(track, sprint));
    EXPECT_EQ(all[0].DisciplinesWithoutPlaces.size(), 2u);

    const getPossibleDisciplinePlacesResponse per = c->drs()->getPossibleDisciplinePlaces(0, {second, first});
    ASSERT_EQ(per.size(), 2u);
    EXPECT_EQ(per[0].Squad->SquadID, first); // squad order
    ASSERT_EQ(per[0].DisciplinePlaces.size(), 1u);
    ASSERT_EQ(per[0].DisciplinesWithoutPlaces.size(), 1u);
    EXPECT_EQ(per[0].DisciplinesWithoutPlaces[0].DisciplinID, jump);
    EXPECT_TRUE(per[1].DisciplinePlaces.empty());
    EXPECT_EQ(per[1].DisciplinesWithoutPlaces.size(), 1u);
}
