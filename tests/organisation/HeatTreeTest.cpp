// The competition-list tree built from a list answer, the heats it hands the timing program, and
// the squads and schedule of a heat.

#include "organisation/HeatTreeModel.h"
#include "organisation/SquadSchedule.h"
#include "organisation/TimingLists.h"
#include "tests/core/lists/ModelTesterGuard.h"
#include "tests/support/TestUtil.h"

#include <QMimeData>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

TeamType team(int id, const QString& name, int squadId = 0, const QString& squadName = {}, int squadOrder = 0)
{
    TeamType t;
    t.TeamID = id;
    t.Name = name;
    t.Barcode = 900 + id;
    if (squadId) {
        t.SquadID = squadId;
        t.SquadInfo = SquadInfoDataType{squadOrder, squadName};
    }
    return t;
}

AthleteType athlete(int id, const QString& given, const QString& sur, std::vector<int> bibs,
                    const TeamType* of = nullptr)
{
    AthleteType a;
    a.AthleteID = id;
    a.Barcode = 500 + id;
    a.Name = AthleteNameType{given, sur};
    a.Bib = std::move(bibs);
    if (of)
        a.Team = *of;
    return a;
}

VersionedParticipantsType entry(const AthleteType& a)
{
    VersionedParticipantsType e;
    e.Athlete = a;
    return e;
}

VersionedParticipantsType entry(const TeamType& t, std::vector<AthleteType> members)
{
    VersionedParticipantsType e;
    e.Team = TeamWithAthletesType{Owned<TeamType>(t), std::move(members)};
    return e;
}

HeatParticipantsType heat(int no, std::vector<VersionedParticipantsType> entries)
{
    return HeatParticipantsType{no, std::move(entries)};
}

QStringList texts(const THeatTreeModel& tree, const QModelIndex& parent)
{
    QStringList out;
    for (int r = 0; r < tree.rowCount(parent); ++r)
        out << tree.index(r, 0, parent).data().toString();
    return out;
}

// Two heats of athletes, given out of order, with an empty lane and a free place.
getDisciplinParticipantsResponse1 athleteList()
{
    static const TeamType foxes = team(30, QStringLiteral("Füchse"), 7, QStringLiteral("Rot"), 2);
    getDisciplinParticipantsResponse1 list;
    list.HeatList = {
        heat(3, {entry(athlete(1, QStringLiteral("Anna"), QStringLiteral("Ahorn"), {11}, &foxes)),
                 VersionedParticipantsType{}, // lane 2 is empty
                 entry(athlete(2, QStringLiteral("Ben"), QStringLiteral("Birke"), {12, 13}))}),
        heat(1, {entry(athlete(0, QString(), QString(), {})), // a free place
                 entry(athlete(3, QStringLiteral("Cleo"), QStringLiteral("Ceder"), {14}, &foxes))}),
    };
    list.ListVersion = 17;
    return list;
}

} // namespace

TEST(HeatTree, AthletesAtTheirPlacesWithEmptyLanesAndFreePlaces)
{
    THeatTreeModel tree;
    ModelTesterGuard tester(&tree);
    tree.setList(QStringLiteral("Sprint 50 m"), athleteList());

    const QModelIndex root = tree.rootNode();
    EXPECT_EQ(root.data().toString(), QStringLiteral("Sprint 50 m"));
    EXPECT_EQ(texts(tree, root), (QStringList{QStringLiteral("Lauf/Gruppe 1"), QStringLiteral("Lauf/Gruppe 3")}));
    const QModelIndex third = tree.heatNode(3);
    EXPECT_EQ(texts(tree, third), (QStringList{QStringLiteral("Ahorn, Anna (Füchse)"), QStringLiteral("Birke, Ben")}));
    EXPECT_EQ(texts(tree, tree.heatNode(1)),
              (QStringList{QStringLiteral("FREI"), QStringLiteral("Ceder, Cleo (Füchse)")}));
    EXPECT_EQ(tree.nodeCount(), 7);
    EXPECT_EQ(tree.heatCount(), 3);

    const QModelIndex ben = tree.index(1, 0, third);
    const auto info = ben.data(kTreeNodeInformationRole).value<TTreeNodeInformation>();
    EXPECT_EQ(info.heatNo, 3);
    EXPECT_EQ(info.laneNo, 3) << "the empty lane 2 keeps its number";
    EXPECT_EQ(info.AthleteTeamId, 2);
    EXPECT_EQ(info.AthleteTeamBarcodeId, 502);
    EXPECT_EQ(info.Name, QStringLiteral("Birke, Ben"));
    EXPECT_EQ(info.Bibs, (std::vector<int>{12, 13}));
    EXPECT_EQ(tree.getPosNo(ben), 3) << "a drop on it asks for its lane, not its row";
    EXPECT_EQ(tree.getHeatNo(ben), 3);
    EXPECT_EQ(tree.getPosNo(third), 0);
    EXPECT_EQ(tree.getPosNo(root), 0);
    EXPECT_EQ(tree.getHeatNo(root), 0);

    const auto anna = tree.index(0, 0, third).data(kTreeNodeInformationRole).value<TTreeNodeInformation>();
    EXPECT_EQ(anna.Team, QStringLiteral("Füchse"));
    EXPECT_EQ(anna.TeamId, 30);
    EXPECT_EQ(anna.Squad, QStringLiteral("Rot (2)"));
    EXPECT_EQ(anna.SquadId, 7);

    const QModelIndex free = tree.index(0, 0, tree.heatNode(1));
    EXPECT_FALSE(tree.isParticipant(free));
    EXPECT_TRUE(tree.isParticipant(ben));
    EXPECT_FALSE(tree.flags(free) & Qt::ItemIsDragEnabled);
    EXPECT_TRUE(tree.flags(ben) & Qt::ItemIsDragEnabled);

    // "Neuer Lauf/Gruppe" takes the smallest free number, in order among the heats.
    const QModelIndex added = tree.addEmptyHeat();
    EXPECT_EQ(added.data().toString(), QStringLiteral("Lauf/Gruppe 2"));
    EXPECT_EQ(texts(tree, root).at(1), QStringLiteral("Lauf/Gruppe 2"));
    EXPECT_EQ(tree.addEmptyHeat().data().toString(), QStringLiteral("Lauf/Gruppe 4"));

    // A heat numbered 0, or twice in one answer, still makes one heat node each.
    getDisciplinParticipantsResponse1 odd = athleteList();
    odd.HeatList.push_back(heat(0, {entry(athlete(7, QStringLiteral("Ole"), QStringLiteral("Null"), {}))}));
    odd.HeatList.push_back(heat(3, {entry(athlete(8, QStringLiteral("Zoe"), QStringLiteral("Zwei"), {}))}));
    tree.setList(QStringLiteral("Sprint 50 m"), odd);
    EXPECT_EQ(texts(tree, tree.rootNode()),
              (QStringList{QStringLiteral("Lauf/Gruppe 0"), QStringLiteral("Lauf/Gruppe 1"),
                           QStringLiteral("Lauf/Gruppe 3")}));
    EXPECT_EQ(tree.rowCount(tree.heatNode(3)), 3);

    tree.clear();
    EXPECT_FALSE(tree.rootNode().isValid());
    EXPECT_FALSE(tree.addEmptyHeat().isValid());
    EXPECT_EQ(tree.nodeCount(), 0);
}

TEST(HeatTree, TeamsCarryTheirMembersBelowThemWithTheTeamsPlace)
{
    const TeamType owls = team(40, QStringLiteral("Eulen"), 8, QString(), 4);
    getDisciplinParticipantsResponse1 list;
    list.HeatList = {heat(1, {VersionedParticipantsType{},
                              entry(owls, {athlete(5, QStringLiteral("Ida"), QStringLiteral("Igel"), {21}),
                                           athlete(6, QStringLiteral("Jan"), QStringLiteral("Jäger"), {22, 23})})})};
    THeatTreeModel tree;
    ModelTesterGuard tester(&tree);
    tree.setList(QStringLiteral("Staffel"), list);

    const QModelIndex teamNode = tree.index(0, 0, tree.heatNode(1));
    EXPECT_EQ(teamNode.data().toString(), QStringLiteral("Eulen"));
    EXPECT_EQ(texts(tree, teamNode), (QStringList{QStringLiteral("Igel, Ida"), QStringLiteral("Jäger, Jan")}));
    const TTreeNodeInformation* t = tree.info(teamNode);
    EXPECT_TRUE(t->isTeam);
    EXPECT_EQ(t->laneNo, 2);
    EXPECT_EQ(t->AthleteTeamId, 40);
    EXPECT_EQ(t->Squad, QStringLiteral("4"));
    EXPECT_EQ(t->Bibs, (std::vector<int>{21, 22, 23})) << "the members' bibs in member order";
    const QModelIndex jan = tree.index(1, 0, teamNode);
    const TTreeNodeInformation* member = tree.info(jan);
    EXPECT_TRUE(member->subNode);
    EXPECT_EQ(member->laneNo, 2);
    EXPECT_EQ(member->heatNo, 1);
    EXPECT_EQ(member->Team, QStringLiteral("Eulen"));
    EXPECT_EQ(tree.getPosNo(jan), 2) << "a member stands at its team's place";
    EXPECT_FALSE(tree.isParticipant(jan)) << "members are never dragged or removed alone";

    // Dragging carries the ids of participant nodes only.
    std::unique_ptr<QMimeData> mime(tree.mimeData({teamNode, jan}));
    QDataStream in(mime->data(THeatTreeModel::kIdsMimeType));
    qint32 id = 0;
    in >> id;
    EXPECT_EQ(id, 40);
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(tree.supportedDragActions(), Qt::CopyAction) << "a move would let the view remove rows";
}

TEST(HeatTree, TheTimingProgramGetsLanesByPlaceAndBibsInTheSurname)
{
    THeatTreeModel tree;
    tree.setList(QStringLiteral("Sprint"), athleteList());
    tree.addEmptyHeat(); // heat 2 without participants: skipped

    const TTimingLists lists = buildTimingLists(tree, QStringLiteral("Sprint"));
    EXPECT_EQ(lists.heatCount, 3);
    ASSERT_EQ(lists.heats.size(), 2u);
    EXPECT_EQ(lists.heats[0].heatNo, 1);
    EXPECT_EQ(lists.heats[0].description, QStringLiteral("Sprint 1/3"));
    const TTimingExportHeat& third = lists.heats[1];
    EXPECT_EQ(third.description, QStringLiteral("Sprint 3/3"));
    ASSERT_EQ(third.participants.size(), 2u);
    EXPECT_EQ(third.participants[0].lane, 1);
    EXPECT_EQ(third.participants[1].lane, 3) << "the empty lane 2 stays free for the timing program";
    EXPECT_EQ(third.participants[1].Bib, 13);
    EXPECT_EQ(third.participants[1].SurName, QStringLiteral("Birke, 12"));
    EXPECT_EQ(third.participants[1].GivenName, QStringLiteral("Ben"));
    EXPECT_EQ(third.participants[0].Team, QStringLiteral("Füchse"));

    TTreeNodeInformation teamNode;
    teamNode.isTeam = true;
    teamNode.laneNo = 4;
    teamNode.Team = QStringLiteral("Eulen");
    teamNode.Bibs = {21, 22, 23};
    const TTimingExportParticipant t = getTimingParticipant(teamNode);
    EXPECT_EQ(t.Bib, 23);
    EXPECT_EQ(t.SurName, QStringLiteral(", 21, 22"));
    EXPECT_TRUE(t.GivenName.isEmpty());
    EXPECT_EQ(t.Team, QStringLiteral("Eulen"));
    EXPECT_EQ(getTimingParticipant(TTreeNodeInformation{}).Bib, 0);

    THeatTreeModel onlyRoot;
    onlyRoot.setList(QStringLiteral("Leer"), {});
    EXPECT_TRUE(buildTimingLists(onlyRoot, QStringLiteral("Leer")).heats.empty());
}

namespace {

ScheduleItemType item(int squadId, int placeId, const QString& place, QTime time)
{
    ScheduleItemType i;
    i.Squad.ensure().SquadID = squadId;
    i.Time = time;
    PlaceOfDisciplineType& of = i.DisciplinePlace.ensure();
    of.Place.ensure().DisciplinePlaceId = placeId;
    of.Place->Name = place;
    return i;
}

getDisciplinParticipantsResponse1 squadHeat(const std::vector<std::pair<int, QString>>& squads)
{
    getDisciplinParticipantsResponse1 list;
    HeatParticipantsType& h = list.HeatList.emplace_back();
    h.HeatNo = 1;
    int id = 1;
    for (const auto& [squadId, name] : squads) {
        const TeamType t = team(100 + id, QStringLiteral("T"), squadId, name, squadId);
        h.VersionedParticipants.push_back(entry(athlete(id++, QStringLiteral("A"), QStringLiteral("B"), {}, &t)));
    }
    return list;
}

} // namespace

TEST(HeatSquads, AHeatNamesEachSquadOnceAndHasATimeOnlyWhenItsSquadsAgree)
{
    DisciplineScheduleItemType field;
    field.ScheduleItems = {item(1, 50, QStringLiteral("Sportplatz"), QTime(9, 30)),
                           item(2, 50, QStringLiteral("Sportplatz"), QTime(9, 30)),
                           item(3, 60, QStringLiteral("Halle"), QTime(9, 30)),
                           item(4, 50, QStringLiteral("Sportplatz"), QTime(10, 0))};
    DisciplineScheduleItemType later;
    later.ScheduleItems = {item(2, 50, QStringLiteral("Sportplatz"), QTime(9, 30))};
    const TSquadScheduleMap map = populateSquadScheduleMap({field, later});
    EXPECT_EQ(map.size(), 4u);

    THeatTreeModel tree;
    tree.setList(QStringLiteral("D"), squadHeat({{1, QStringLiteral("A")}, {2, QString()}, {1, QStringLiteral("A")}}));
    TSquadsInfo info = getSquadsInfo(tree.heatNode(1), map);
    EXPECT_EQ(info.SquadString, QStringLiteral("Riege A (1), 2")) << "a squad twice in a heat is named once";
    EXPECT_EQ(info.Place, QStringLiteral("Sportplatz"));
    EXPECT_DOUBLE_EQ(info.StartTime, (9.5 / 24));

    for (int other : {3, 4}) { // another facility at the same time; the same facility later
        tree.setList(QStringLiteral("D"), squadHeat({{1, QStringLiteral("A")}, {other, QString()}}));
        info = getSquadsInfo(tree.heatNode(1), map);
        EXPECT_EQ(info.StartTime, 0) << other;
        EXPECT_TRUE(info.Place.isEmpty()) << other;
        EXPECT_EQ(info.SquadString, QStringLiteral("Riege A (1), %1").arg(other)) << "still names all squads";
    }

    tree.setList(QStringLiteral("D"), squadHeat({{9, QString()}}));
    EXPECT_FALSE(TSquadsObject(tree.heatNode(1), map).ScheduleItem) << "no schedule for its squad";
    tree.setList(QStringLiteral("D"), squadHeat({}));
    EXPECT_TRUE(getSquadsInfo(tree.heatNode(1), map).SquadString.isEmpty());
}

TEST(HeatSquads, ASquadWhoseNameStartsWithRiegeIsNotCalledRiegeTwice)
{
    THeatTreeModel tree;
    const QString nord = QStringLiteral("Riege U10 Überlingen-Seeufer Nachmittagsgruppe Nord");
    tree.setList(QStringLiteral("D"), squadHeat({{4, nord}, {5, QStringLiteral("Adler")}}));
    EXPECT_EQ(getSquadsInfo(tree.heatNode(1), {}).SquadString, nord + QStringLiteral(" (4), Adler (5)"));
    tree.setList(QStringLiteral("D"), squadHeat({{5, QStringLiteral("Riegenadler")}}));
    EXPECT_EQ(getSquadsInfo(tree.heatNode(1), {}).SquadString, QStringLiteral("Riege Riegenadler (5)"));
}
