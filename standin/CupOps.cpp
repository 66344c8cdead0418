// Cups: series over several competitions with their items (age classes, teams, athletes), custom
// columns and cup scorings.
//
// The windows only read the items; they are built here on every write that brings a competition
// entry into a cup: a new entry joins the one item of its kind whose own data match it, or gets an
// item of its own. Both leave the item pending, so the organiser looks at it again.

#include "standin/AnswerText.h"
#include "standin/Cups.h"
#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Parameters.h"
#include "standin/Records.h"
#include "standin/ScoringNodes.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

namespace tvp::standin {

namespace {

using proto::CupItemType;

QString num(int value)
{
    return QString::number(value);
}

// The member column of cup_item_members and the table of the entries of a kind.
const char* memberColumn(CupItemType kind)
{
    switch (kind) {
    case CupItemType::AgeClass: return "age_class_id";
    case CupItemType::Team: return "team_id";
    default: return "athlete_id";
    }
}

const char* entryTable(CupItemType kind)
{
    switch (kind) {
    case CupItemType::AgeClass: return "age_classes";
    case CupItemType::Team: return "teams";
    default: return "athletes";
    }
}

proto::CupType requireCup(Db& db, int cupId)
{
    proto::Owned<proto::CupType> cup = readCup(db, cupId);
    if (!cup)
        throw ServerError(errors::CupNotFound, {num(cupId)});
    return std::move(*cup);
}

// The kind and cup of an item; refuses an unknown id, or one of another kind when a kind is asked.
struct ItemRef {
    int id = 0;
    int cupId = 0;
    CupItemType kind = CupItemType::AgeClass;
};

ItemRef requireItem(Db& db, int itemId, std::optional<CupItemType> kind = std::nullopt)
{
    Statement q = db.query("SELECT cup_id, item_type FROM cup_items WHERE id = ?", itemId);
    if (!q.next())
        throw ServerError(errors::CupItemNotFound, {num(itemId)});
    ItemRef ref{itemId, q.intAt(0), enumAt(q, 1, CupItemType::AgeClass)};
    if (kind && ref.kind != *kind)
        throw ServerError(errors::CupItemNotFound, {num(itemId)});
    return ref;
}

// The competition of an entry of the kind; 0 when there is none.
int entryCompetition(Db& db, CupItemType kind, int entryId)
{
    Statement q =
        db.query((std::string("SELECT competition_id FROM ") + entryTable(kind) + " WHERE id = ?").c_str(), entryId);
    return q.next() ? q.intAt(0) : 0;
}

bool cupHolds(Db& db, int cupId, int competitionId)
{
    return db.query("SELECT 1 FROM cup_competitions WHERE cup_id = ? AND competition_id = ?", cupId, competitionId)
        .next();
}

void requireEntryOfCup(Db& db, CupItemType kind, int entryId, int cupId)
{
    const int competition = entryCompetition(db, kind, entryId);
    if (competition == 0 || !cupHolds(db, cupId, competition))
        throw ServerError(errors::EntryNotInCup, {num(entryId), num(cupId)});
}

// ---- building items ------------------------------------------------------------------------------

// What an item is matched by: the trimmed name (athletes: given name and surname), and for athletes
// the year of birth, which only tells two apart when both know it.
struct MatchKey {
    QString key;
    int year = 0;
};

QString athleteKey(const QString& given, const QString& sur)
{
    return given.trimmed() + QChar(0x1f) + sur.trimmed();
}

// The items of one kind of one cup by their own data; entries are placed through it one by one,
// so an item made for one entry is found by the next.
class ItemPlacer {
public:
    ItemPlacer(Db& db, int cupId, CupItemType kind) : db_(db), cupId_(cupId), kind_(kind)
    {
        if (kind == CupItemType::Athlete) {
            Statement q = db.query("SELECT ci.id, ca.given_name, ca.sur_name, ca.year_of_birth FROM cup_items ci "
                                   "JOIN cup_athletes ca ON ca.cup_item_id = ci.id WHERE ci.cup_id = ?",
                                   cupId);
            while (q.next())
                items_[athleteKey(q.textAt(1), q.textAt(2))].push_back({q.intAt(0), q.intAt(3)});
        } else {
            const char* table = kind == CupItemType::Team ? "cup_teams" : "cup_age_classes";
            Statement q = db.query((std::string("SELECT ci.id, t.name FROM cup_items ci JOIN ") + table +
                                    " t ON t.cup_item_id = ci.id WHERE ci.cup_id = ?")
                                       .c_str(),
                                   cupId);
            while (q.next())
                items_[q.textAt(1).trimmed()].push_back({q.intAt(0), 0});
        }
    }

    // Joins the one matching item, else a new one copying the entry's data; either turns pending.
    void place(int entryId)
    {
        const MatchKey key = entryKey(entryId);
        int match = 0;
        int found = 0;
        for (const Item& item : items_[key.key]) {
            if (key.year > 0 && item.year > 0 && key.year != item.year)
                continue;
            match = item.id;
            ++found;
        }
        if (found == 1) {
            join(match, entryId);
            db_.query("UPDATE cup_items SET completed = 0 WHERE id = ?", match).run();
            return;
        }
        items_[key.key].push_back({placeAlone(entryId), key.year});
    }

    // A new pending item for the entry alone, copying its data.
    int placeAlone(int entryId)
    {
        const int item = db_.nextId("cup_item");
        db_.query("INSERT INTO cup_items (id, cup_id, item_type, completed) VALUES (?, ?, ?, 0)", item, cupId_,
                  wireName(kind_))
            .run();
        switch (kind_) {
        case CupItemType::AgeClass:
            db_.query("INSERT INTO cup_age_classes (cup_item_id, name, billing_price_per_team, min_team_members, "
                      "max_team_members, min_members_per_gender, male_members_less_than, female_members_less_than) "
                      "SELECT ?, name, billing_price_per_team, min_team_members, max_team_members, "
                      "min_members_per_gender, male_members_less_than, female_members_less_than "
                      "FROM age_classes WHERE id = ?",
                      item, entryId)
                .run();
            break;
        case CupItemType::Team:
            db_.query("INSERT INTO cup_teams (cup_item_id, name) SELECT ?, name FROM teams WHERE id = ?", item, entryId)
                .run();
            break;
        case CupItemType::Athlete:
            db_.query("INSERT INTO cup_athletes (cup_item_id, given_name, sur_name, gender, year_of_birth) "
                      "SELECT ?, given_name, sur_name, gender, year_of_birth FROM athletes WHERE id = ?",
                      item, entryId)
                .run();
            break;
        }
        join(item, entryId);
        return item;
    }

private:
    struct Item {
        int id;
        int year;
    };

    MatchKey entryKey(int entryId)
    {
        if (kind_ == CupItemType::Athlete) {
            Statement q = db_.query("SELECT given_name, sur_name, year_of_birth FROM athletes WHERE id = ?", entryId);
            if (!q.next())
                return {};
            return {athleteKey(q.textAt(0), q.textAt(1)), q.intAt(2)};
        }
        Statement q =
            db_.query((std::string("SELECT name FROM ") + entryTable(kind_) + " WHERE id = ?").c_str(), entryId);
        return {q.next() ? q.textAt(0).trimmed() : QString(), 0};
    }

    void join(int item, int entryId)
    {
        db_.query((std::string("INSERT INTO cup_item_members (cup_item_id, ") + memberColumn(kind_) + ") VALUES (?, ?)")
                      .c_str(),
                  item, entryId)
            .run();
    }

    Db& db_;
    int cupId_;
    CupItemType kind_;
    std::unordered_map<QString, std::vector<Item>> items_;
};

// Takes the entry out of whatever item of the cup holds it.
void detach(Db& db, int cupId, CupItemType kind, int entryId)
{
    db.query((std::string("DELETE FROM cup_item_members WHERE ") + memberColumn(kind) +
              " = ? AND cup_item_id IN (SELECT id FROM cup_items WHERE cup_id = ?)")
                 .c_str(),
             entryId, cupId)
        .run();
}

std::vector<int> ids(Db& db, const char* sql, int parameter)
{
    std::vector<int> out;
    Statement q = db.query(sql, parameter);
    while (q.next())
        out.push_back(q.intAt(0));
    return out;
}

// Every entry of the competition into the cup's items: age classes, teams, then athletes.
void placeCompetition(Db& db, int cupId, int competitionId)
{
    for (CupItemType kind : {CupItemType::AgeClass, CupItemType::Team, CupItemType::Athlete}) {
        ItemPlacer placer(db, cupId, kind);
        const std::string sql =
            std::string("SELECT id FROM ") + entryTable(kind) + " WHERE competition_id = ? ORDER BY id";
        for (int entry : ids(db, sql.c_str(), competitionId))
            placer.place(entry);
    }
}

// The cup scorings with a source in the competition.
std::vector<int> scoringsDrawingOn(Db& db, int cupId, int competitionId)
{
    std::vector<int> out;
    for (int node : ids(db, "SELECT id FROM aggregators WHERE cup_id = ? ORDER BY id", cupId))
        for (int source : ops::nodeSources(db, node))
            if (ops::competitionOfProvider(db, source) == competitionId) {
                out.push_back(node);
                break;
            }
    return out;
}

// ---- reading items -------------------------------------------------------------------------------

// What every item read needs: the cup's competitions, each item's values and entries.
class CupReader {
public:
    CupReader(Db& db, int cupId) : db_(db), cupId_(cupId)
    {
        for (int comp :
             ids(db, "SELECT competition_id FROM cup_competitions WHERE cup_id = ? ORDER BY competition_id", cupId))
            if (proto::Owned<proto::CompetitionType> c = readCompetition(db, comp))
                competitions_.emplace(comp, std::move(*c));
    }

    struct Item {
        int id = 0;
        bool completed = false;
        std::vector<int> entries; // by id
    };

    // The cup's items of the kind by id, with their entries.
    std::vector<Item> items(CupItemType kind)
    {
        std::vector<Item> out;
        std::unordered_map<int, std::size_t> at;
        {
            Statement q =
                db_.query("SELECT id, completed FROM cup_items WHERE cup_id = ? AND item_type = ? ORDER BY id", cupId_,
                          wireName(kind));
            while (q.next()) {
                at.emplace(q.intAt(0), out.size());
                out.push_back({q.intAt(0), q.intAt(1) != 0, {}});
            }
        }
        Statement m = db_.query((std::string("SELECT m.cup_item_id, m.") + memberColumn(kind) +
                                 " FROM cup_item_members m JOIN cup_items ci ON ci.id = m.cup_item_id "
                                 "WHERE ci.cup_id = ? AND ci.item_type = ? AND m." +
                                 memberColumn(kind) + " IS NOT NULL ORDER BY m." + memberColumn(kind))
                                    .c_str(),
                                cupId_, wireName(kind));
        while (m.next())
            if (const auto it = at.find(m.intAt(0)); it != at.end())
                out[it->second].entries.push_back(m.intAt(1));
        return out;
    }

    // The values of the cup's items of the kind, in column order.
    std::unordered_map<int, std::vector<proto::CustomInformationType>> values(CupItemType kind)
    {
        std::unordered_map<int, std::vector<proto::CustomInformationType>> out;
        Statement q = db_.query("SELECT v.cup_item_id, c.id, c.name, c.order_index, v.value FROM cup_custom_values v "
                                "JOIN cup_custom_columns c ON c.id = v.column_id WHERE c.cup_id = ? AND "
                                "c.item_type = ? ORDER BY c.order_index, c.id",
                                cupId_, wireName(kind));
        while (q.next()) {
            proto::CustomInformationType& info = out[q.intAt(0)].emplace_back();
            proto::CustomColumnType& column = info.Column.ensure();
            column.ID = q.intAt(1);
            column.Name = q.textAt(2);
            column.OrderIndex = q.intAt(3);
            column.ItemType = kind;
            info.Value = q.textAt(4);
        }
        return out;
    }

    const proto::CompetitionType* competition(int id) const
    {
        const auto it = competitions_.find(id);
        return it == competitions_.end() ? nullptr : &it->second;
    }

    // The participants of each competition, read once.
    const CompetitionParticipants& participants(int competitionId)
    {
        auto it = participants_.find(competitionId);
        if (it == participants_.end())
            it = participants_.emplace(competitionId, CompetitionParticipants(db_, competitionId)).first;
        return it->second;
    }

    struct Athlete {
        AthleteRow row;
        int competition = 0;
    };

    // Every athlete of the cup's competitions by id, with the competition.
    const std::unordered_map<int, Athlete>& athletes()
    {
        if (!athletesRead_) {
            athletesRead_ = true;
            for (const auto& [comp, record] : competitions_)
                for (AthleteRow& a : readAthleteRows(db_, comp))
                    athletes_.emplace(a.athlete.AthleteID, Athlete{std::move(a), comp});
        }
        return athletes_;
    }

    const Athlete* athlete(int id)
    {
        const auto it = athletes().find(id);
        return it == athletes_.end() ? nullptr : &it->second;
    }

    // The athlete's team, null for none.
    const proto::TeamType* teamOf(const Athlete& a) { return participants(a.competition).findTeam(a.row.teamId); }

    // Teams and age classes of an entry id: found in the competitions' participants.
    std::pair<const proto::TeamType*, int> team(int id)
    {
        for (const auto& [comp, record] : competitions_)
            if (const proto::TeamType* t = participants(comp).findTeam(id))
                return {t, comp};
        return {nullptr, 0};
    }

    std::pair<proto::Owned<proto::AgeClassType>, int> ageClass(int id)
    {
        for (const auto& [comp, record] : competitions_)
            if (proto::Owned<proto::AgeClassType> a = participants(comp).ageClass(id))
                return {std::move(a), comp};
        return {nullptr, 0};
    }

private:
    Db& db_;
    int cupId_;
    std::map<int, proto::CompetitionType> competitions_;
    std::unordered_map<int, CompetitionParticipants> participants_;
    std::unordered_map<int, Athlete> athletes_;
    bool athletesRead_ = false;
};

proto::CupAgeClassType cupAgeClass(Db& db, CupReader& reader, const CupReader::Item& item,
                                   std::vector<proto::CustomInformationType> values)
{
    proto::CupAgeClassType out;
    Statement q = db.query("SELECT name, billing_price_per_team, min_team_members, max_team_members, "
                           "min_members_per_gender, male_members_less_than, female_members_less_than "
                           "FROM cup_age_classes WHERE cup_item_id = ?",
                           item.id);
    if (q.next()) {
        out.Name = q.textAt(0);
        out.BillingPricePerTeam = q.doubleAt(1);
        out.MinTeamMembers = q.intAt(2);
        out.MaxTeamMembers = q.intAt(3);
        out.MinMembersPerGender = q.intAt(4);
        out.MaleMembersLessThan = q.intAt(5);
        out.FemaleMembersLessThan = q.intAt(6);
    }
    out.AgeClassID = item.id;
    out.CustomInformations = std::move(values);
    for (int entry : item.entries) {
        auto [ageClass, comp] = reader.ageClass(entry);
        if (!ageClass)
            continue;
        proto::CompetitionAgeClassType& assigned = out.AssignedAgeClasses.emplace_back();
        assigned.AgeClass = std::move(ageClass);
        if (const proto::CompetitionType* c = reader.competition(comp))
            assigned.Competition = *c;
    }
    return out;
}

proto::CupTeamType cupTeam(Db& db, CupReader& reader, const CupReader::Item& item,
                           std::vector<proto::CustomInformationType> values)
{
    proto::CupTeamType out;
    Statement q = db.query("SELECT name FROM cup_teams WHERE cup_item_id = ?", item.id);
    if (q.next())
        out.Name = q.textAt(0);
    out.TeamID = item.id;
    out.CustomInformations = std::move(values);
    for (int entry : item.entries) {
        const auto [team, comp] = reader.team(entry);
        if (!team)
            continue;
        proto::CompetitionTeamType& assigned = out.AssignedTeams.emplace_back();
        assigned.Team = *team;
        if (const proto::CompetitionType* c = reader.competition(comp))
            assigned.Competition = *c;
    }
    return out;
}

// The cup athletes' own data by item id.
std::unordered_map<int, proto::CupAthleteType> cupAthleteData(Db& db, int cupId)
{
    std::unordered_map<int, proto::CupAthleteType> out;
    Statement q = db.query("SELECT ca.cup_item_id, ca.given_name, ca.sur_name, ca.gender, ca.year_of_birth FROM "
                           "cup_athletes ca JOIN cup_items ci ON ci.id = ca.cup_item_id WHERE ci.cup_id = ?",
                           cupId);
    while (q.next()) {
        proto::CupAthleteType& a = out[q.intAt(0)];
        a.AthleteID = q.intAt(0);
        proto::AthleteNameType& name = a.Name.ensure();
        name.givenName = q.textAt(1);
        name.surName = q.textAt(2);
        a.Gender = enumAt(q, 3, proto::GenderType::NotSpecified);
        a.YearOfBirth = q.intAt(4);
    }
    return out;
}

proto::CupAthleteType cupAthlete(CupReader& reader, const CupReader::Item& item, proto::CupAthleteType own,
                                 std::vector<proto::CustomInformationType> values)
{
    own.AthleteID = item.id;
    own.CustomInformations = std::move(values);
    for (int entry : item.entries) {
        const CupReader::Athlete* a = reader.athlete(entry);
        if (!a)
            continue;
        proto::CompetitionAthleteType& assigned = own.AssignedAthletes.emplace_back();
        proto::AthleteType& athlete = assigned.Athlete.ensure();
        athlete = a->row.athlete;
        const CompetitionParticipants& participants = reader.participants(a->competition);
        athlete.Team = participants.team(a->row.teamId);
        athlete.Club = participants.clubShort(a->row.clubId);
        if (const proto::CompetitionType* c = reader.competition(a->competition))
            assigned.Competition = *c;
    }
    return own;
}

// Writes the cup athlete as cupAthlete fills it, each team, club and competition written once.
class CupAthleteText {
public:
    explicit CupAthleteText(CupReader& reader) : reader_(reader) {}

    void write(std::string& out, std::string_view element, const CupReader::Item& item, proto::CupAthleteType own,
               std::vector<proto::CustomInformationType> values)
    {
        own.AthleteID = item.id;
        own.CustomInformations = std::move(values);
        proto::codec::writeElement(out, element, [&] {
            writeFieldsTaking(out, own, [&](const auto& f, const auto& value) {
                if constexpr (isA<decltype(value), std::vector<proto::CompetitionAthleteType>>) {
                    for (int entry : item.entries)
                        if (const CupReader::Athlete* a = reader_.athlete(entry))
                            proto::codec::writeElement(out, f.name, [&] { writeAssigned(out, *a); });
                    return true;
                }
                return false;
            });
        });
    }

private:
    void writeAssigned(std::string& out, const CupReader::Athlete& a)
    {
        writeFieldsTaking(out, proto::CompetitionAthleteType{}, [&](const auto& f, const auto& value) {
            if constexpr (isA<decltype(value), proto::Owned<proto::AthleteType>>) {
                athletes_.write(out, f.name, a.row, reader_.participants(a.competition));
                return true;
            } else if constexpr (isA<decltype(value), proto::Owned<proto::CompetitionType>>) {
                out += competitions_.get(a.competition, [&](std::string& text) {
                    if (const proto::CompetitionType* c = reader_.competition(a.competition))
                        proto::codec::writeValue(text, f.name, *c);
                });
                return true;
            }
            return false;
        });
    }

    CupReader& reader_;
    AthleteText athletes_;
    RecordTexts competitions_;
};

// The competition entries of the cup items: an id filter of a cup age class or cup team.
std::set<int> entriesOf(Db& db, int itemId, CupItemType kind)
{
    std::set<int> out;
    Statement q = db.query((std::string("SELECT ") + memberColumn(kind) +
                            " FROM cup_item_members WHERE cup_item_id = ? "
                            "AND " +
                            memberColumn(kind) + " IS NOT NULL")
                               .c_str(),
                           itemId);
    while (q.next())
        out.insert(q.intAt(0));
    return out;
}

int ageClassOfTeam(const proto::TeamType& team)
{
    return team.AgeClass ? team.AgeClass->AgeClassID : 0;
}

bool anyPending(Db& db, int cupId, CupItemType kind)
{
    return db
        .query("SELECT 1 FROM cup_items WHERE cup_id = ? AND item_type = ? AND completed = 0", cupId, wireName(kind))
        .next();
}

// The cup's finishers of a kind: items with entries in at least the minimum of distinct competitions.
std::set<int> finishers(Db& db, int cupId, CupItemType kind)
{
    const proto::CupType cup = requireCup(db, cupId);
    const int minimum = kind == CupItemType::Athlete ? cup.MinAthleteParticipations : cup.MinTeamParticipations;
    const std::string sql = std::string("SELECT ci.id FROM cup_items ci LEFT JOIN cup_item_members m ON "
                                        "m.cup_item_id = ci.id LEFT JOIN ") +
                            entryTable(kind) + " e ON e.id = m." + memberColumn(kind) +
                            " WHERE ci.cup_id = ? AND ci.item_type = ? GROUP BY ci.id "
                            "HAVING COUNT(DISTINCT e.competition_id) >= ?";
    std::set<int> out;
    Statement q = db.query(sql.c_str(), cupId, wireName(kind), minimum);
    while (q.next())
        out.insert(q.intAt(0));
    return out;
}

// ---- writing items -------------------------------------------------------------------------------

// Values overwrite their columns; an empty one removes the entry, so an emptied cell leaves the
// column without value.
void writeValues(Db& db, const ItemRef& item, const proto::CustomInformationsDataTypes& values)
{
    for (const proto::CustomInformationsDataType& v : values) {
        if (!db.query("SELECT 1 FROM cup_custom_columns WHERE id = ? AND cup_id = ? AND item_type = ?", v.ColumnID,
                      item.cupId, wireName(item.kind))
                 .next())
            throw ServerError(errors::CustomColumnNotFound, {num(v.ColumnID)});
        if (v.Value.isEmpty())
            db.query("DELETE FROM cup_custom_values WHERE cup_item_id = ? AND column_id = ?", item.id, v.ColumnID)
                .run();
        else
            db.query("INSERT INTO cup_custom_values (cup_item_id, column_id, value) VALUES (?, ?, ?) "
                     "ON CONFLICT (cup_item_id, column_id) DO UPDATE SET value = excluded.value",
                     item.id, v.ColumnID, v.Value)
                .run();
    }
}

// ---- custom columns ------------------------------------------------------------------------------

struct ColumnRef {
    int id = 0;
    int cupId = 0;
    CupItemType kind = CupItemType::AgeClass;
    int orderIndex = 0;
    QString name;
};

ColumnRef requireColumn(Db& db, int columnId)
{
    Statement q =
        db.query("SELECT cup_id, item_type, order_index, name FROM cup_custom_columns WHERE id = ?", columnId);
    if (!q.next())
        throw ServerError(errors::CustomColumnNotFound, {num(columnId)});
    return {columnId, q.intAt(0), enumAt(q, 1, CupItemType::AgeClass), q.intAt(2), q.textAt(3)};
}

// Puts the column on the place; the columns in the way move up one, and those they meet in turn,
// until a gap takes them.
void takePlace(Db& db, const ColumnRef& column, int index)
{
    db.query("UPDATE cup_custom_columns SET order_index = ? WHERE id = ?", index, column.id).run();
    std::vector<std::pair<int, int>> after; // (order index, id)
    {
        Statement q = db.query("SELECT order_index, id FROM cup_custom_columns WHERE cup_id = ? AND item_type = ? "
                               "AND id <> ? AND order_index >= ? ORDER BY order_index, id",
                               column.cupId, wireName(column.kind), column.id, index);
        while (q.next())
            after.emplace_back(q.intAt(0), q.intAt(1));
    }
    int taken = index;
    for (const auto& [order, id] : after) {
        if (order > taken)
            break;
        ++taken;
        db.query("UPDATE cup_custom_columns SET order_index = ? WHERE id = ?", taken, id).run();
    }
}

int lastPlace(Db& db, int cupId, CupItemType kind)
{
    Statement q = db.query("SELECT IFNULL(MAX(order_index), 0) FROM cup_custom_columns WHERE cup_id = ? AND "
                           "item_type = ?",
                           cupId, wireName(kind));
    return q.next() ? q.intAt(0) : 0;
}

proto::CustomColumnType columnRecord(Db& db, int columnId)
{
    const ColumnRef ref = requireColumn(db, columnId);
    proto::CustomColumnType c;
    c.ID = ref.id;
    c.Name = ref.name;
    c.OrderIndex = ref.orderIndex;
    c.ItemType = ref.kind;
    return c;
}

} // namespace

// ---- shared with the other operations ----------------------------------------------------------

std::vector<int> cupsOfCompetition(Db& db, int competitionId)
{
    return ids(db, "SELECT cup_id FROM cup_competitions WHERE competition_id = ? ORDER BY cup_id", competitionId);
}

void placeInCups(Db& db, CupItemType kind, int entityId, int competitionId)
{
    for (int cup : cupsOfCompetition(db, competitionId))
        ItemPlacer(db, cup, kind).place(entityId);
}

void leaveCup(Db& db, int cupId, int competitionId)
{
    for (int node : scoringsDrawingOn(db, cupId, competitionId)) {
        // A scoring removed with an earlier one (its only source) is gone already.
        if (!db.query("SELECT 1 FROM aggregators WHERE id = ?", node).next())
            continue;
        std::vector<int> sources = ops::nodeSources(db, node);
        std::erase_if(sources, [&](int s) { return ops::competitionOfProvider(db, s) == competitionId; });
        if (sources.empty())
            ops::removeNode(db, node);
        else
            ops::setNodeSources(db, node, sources);
    }
    for (CupItemType kind : {CupItemType::AgeClass, CupItemType::Team, CupItemType::Athlete})
        db.query((std::string("DELETE FROM cup_item_members WHERE cup_item_id IN (SELECT id FROM cup_items WHERE "
                              "cup_id = ?) AND ") +
                  memberColumn(kind) + " IN (SELECT id FROM " + entryTable(kind) + " WHERE competition_id = ?)")
                     .c_str(),
                 cupId, competitionId)
            .run();
    db.query("DELETE FROM cup_competitions WHERE cup_id = ? AND competition_id = ?", cupId, competitionId).run();
}

CupKeys cupKeys(Db& db, int cupId)
{
    CupKeys keys;
    for (CupItemType kind : {CupItemType::Team, CupItemType::Athlete}) {
        const std::set<int> done = finishers(db, cupId, kind);
        auto& map = kind == CupItemType::Athlete ? keys.athlete : keys.team;
        Statement q = db.query((std::string("SELECT m.") + memberColumn(kind) +
                                ", m.cup_item_id FROM cup_item_members m JOIN cup_items ci ON ci.id = m.cup_item_id "
                                "WHERE ci.cup_id = ? AND ci.item_type = ? AND m." +
                                memberColumn(kind) + " IS NOT NULL")
                                   .c_str(),
                               cupId, wireName(kind));
        while (q.next())
            if (done.count(q.intAt(1)))
                map.emplace(q.intAt(0), q.intAt(1));
    }
    return keys;
}

namespace ops {

// ---- cups ----------------------------------------------------------------------------------------

proto::getCupsResponse getCups(Call& c, const op::getCups& a)
{
    Db& db = c.database();
    proto::getCupsResponse r;
    // 0 asks for every cup.
    if (a.CompetitionID != 0)
        requireCompetition(db, a.CompetitionID);
    const std::vector<int> cups = a.CompetitionID == 0 ? ids(db, "SELECT id FROM cups WHERE id > ? ORDER BY id", 0)
                                                       : cupsOfCompetition(db, a.CompetitionID);
    for (int cup : cups)
        r.push_back(requireCup(db, cup));
    return r;
}

proto::CupType createCup(Call& c, const op::createCup& a)
{
    Db& db = c.database();
    const proto::CupInfoDataType info = a.CupInfo ? *a.CupInfo : proto::CupInfoDataType{};
    if (info.Name.trimmed().isEmpty())
        throw ServerError(errors::CupNameEmpty, {});
    const int id = db.nextId("cup");
    db.query("INSERT INTO cups (id, name, min_team_participations, min_athlete_participations) VALUES (?, ?, ?, ?)", id,
             info.Name, info.MinTeamParticipations, info.MinAthleteParticipations)
        .run();
    return requireCup(db, id);
}

void modifyCup(Call& c, const op::modifyCup& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    if (!a.CupInfo)
        return;
    if (a.CupInfo->Name.trimmed().isEmpty())
        throw ServerError(errors::CupNameEmpty, {});
    db.query("UPDATE cups SET name = ?, min_team_participations = ?, min_athlete_participations = ? WHERE id = ?",
             a.CupInfo->Name, a.CupInfo->MinTeamParticipations, a.CupInfo->MinAthleteParticipations, a.CupID)
        .run();
}

void removeCup(Call& c, const op::removeCup& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    // Labels and marks of its scorings and the documents of its compilations are UI infos.
    db.query("DELETE FROM ui_infos WHERE assoc_id IN (SELECT id FROM aggregators WHERE cup_id = ? UNION ALL "
             "SELECT id FROM aggregator_collections WHERE cup_id = ?)",
             a.CupID, a.CupID)
        .run();
    // Scorings drawing on scorings of the cup are the cup's own: they all go together.
    db.query("DELETE FROM aggregators WHERE cup_id = ?", a.CupID).run();
    db.query("DELETE FROM cups WHERE id = ?", a.CupID).run();
}

void assignCompetitions(Call& c, const op::assignCompetitions& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    for (int comp : a.NewCompetitionIDs) {
        requireCompetition(db, comp);
        if (cupHolds(db, a.CupID, comp))
            continue;
        db.query("INSERT INTO cup_competitions (cup_id, competition_id) VALUES (?, ?)", a.CupID, comp).run();
        placeCompetition(db, a.CupID, comp);
    }
}

void removeCompetitions(Call& c, const op::removeCompetitions& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    if (!a.forceRemoveAggregators)
        for (int comp : a.CompetitionIDs)
            if (const std::vector<int> nodes = scoringsDrawingOn(db, a.CupID, comp); !nodes.empty()) {
                const proto::Owned<proto::CompetitionType> record = readCompetition(db, comp);
                throw ServerError(errors::CompetitionUsedByCupScorings,
                                  {record ? record->Name : num(comp), num(int(nodes.size()))});
            }
    for (int comp : a.CompetitionIDs)
        if (cupHolds(db, a.CupID, comp))
            leaveCup(db, a.CupID, comp);
}

// ---- items ---------------------------------------------------------------------------------------

proto::getCupAgeClassesResponse getCupAgeClasses(Call& c, const op::getCupAgeClasses& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    CupReader reader(db, a.CupID);
    auto values = reader.values(CupItemType::AgeClass);
    proto::getCupAgeClassesResponse r;
    for (const CupReader::Item& item : reader.items(CupItemType::AgeClass))
        (item.completed ? r.CompletedCupAgeClasses : r.PendingCupAgeClasses)
            .push_back(cupAgeClass(db, reader, item, std::move(values[item.id])));
    return r;
}

proto::getCupTeamsResponse getCupTeams(Call& c, const op::getCupTeams& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    CupReader reader(db, a.CupID);
    const std::set<int> ageClasses =
        a.AgeClassID != 0
            ? entriesOf(db, requireItem(db, a.AgeClassID, CupItemType::AgeClass).id, CupItemType::AgeClass)
            : std::set<int>{};
    auto values = reader.values(CupItemType::Team);
    proto::getCupTeamsResponse r;
    for (const CupReader::Item& item : reader.items(CupItemType::Team)) {
        proto::CupTeamType team = cupTeam(db, reader, item, std::move(values[item.id]));
        if (a.AgeClassID != 0 && std::none_of(team.AssignedTeams.begin(), team.AssignedTeams.end(), [&](const auto& t) {
                return t.Team && ageClasses.count(ageClassOfTeam(*t.Team));
            }))
            continue;
        (item.completed ? r.CompletedCupTeams : r.PendingCupTeams).push_back(std::move(team));
    }
    return r;
}

ResultText getCupAthletes(Call& c, const op::getCupAthletes& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    CupReader reader(db, a.CupID);
    const std::set<int> ageClasses =
        a.AgeClassID != 0
            ? entriesOf(db, requireItem(db, a.AgeClassID, CupItemType::AgeClass).id, CupItemType::AgeClass)
            : std::set<int>{};
    const std::set<int> teams = a.TeamID != 0
                                    ? entriesOf(db, requireItem(db, a.TeamID, CupItemType::Team).id, CupItemType::Team)
                                    : std::set<int>{};
    const auto fits = [&](const CupReader::Item& item, const std::set<int>& wanted, bool byAgeClass) {
        return std::any_of(item.entries.begin(), item.entries.end(), [&](int entry) {
            const CupReader::Athlete* athlete = reader.athlete(entry);
            const proto::TeamType* team = athlete ? reader.teamOf(*athlete) : nullptr;
            return team && wanted.count(byAgeClass ? ageClassOfTeam(*team) : team->TeamID) > 0;
        });
    };
    const std::vector<CupReader::Item> items = reader.items(CupItemType::Athlete);
    std::vector<const CupReader::Item*> completed, pending;
    for (const CupReader::Item& item : items) {
        if ((a.AgeClassID != 0 && !fits(item, ageClasses, true)) || (a.TeamID != 0 && !fits(item, teams, false)))
            continue;
        (item.completed ? completed : pending).push_back(&item);
    }

    auto values = reader.values(CupItemType::Athlete);
    auto own = cupAthleteData(db, a.CupID);
    CupAthleteText writer(reader);
    ResultText r;
    std::size_t written = 0;
    const std::size_t all = completed.size() + pending.size();
    writeFieldsTaking(r.text, proto::getCupAthletesResponse{}, [&](const auto& f, const auto& value) {
        if constexpr (isA<decltype(value), std::vector<proto::CupAthleteType>>) {
            const bool completedOnes = f.member == &proto::getCupAthletesResponse::CompletedCupAthletes;
            for (const CupReader::Item* item : completedOnes ? completed : pending) {
                const std::size_t start = r.text.size();
                writer.write(r.text, f.name, *item, std::move(own[item->id]), std::move(values[item->id]));
                if (written++ == 0)
                    reserveFor(r.text, start, all - 1);
            }
            return true;
        }
        return false;
    });
    return r;
}

void assignCompItemToCupMaster(Call& c, const op::assignCompItemToCupMaster& a)
{
    Db& db = c.database();
    const ItemRef target = requireItem(db, a.CupItemID, a.ItemType);
    for (int entry : a.CompItemID)
        requireEntryOfCup(db, a.ItemType, entry, target.cupId);
    for (int entry : a.CompItemID) {
        detach(db, target.cupId, a.ItemType, entry);
        db.query((std::string("INSERT INTO cup_item_members (cup_item_id, ") + memberColumn(a.ItemType) +
                  ") VALUES (?, ?)")
                     .c_str(),
                 target.id, entry)
            .run();
    }
}

void removeCompItemFromCupMaster(Call& c, const op::removeCompItemFromCupMaster& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    for (int entry : a.ItemID)
        requireEntryOfCup(db, a.ItemType, entry, a.CupID);
    ItemPlacer placer(db, a.CupID, a.ItemType);
    for (int entry : a.ItemID) {
        detach(db, a.CupID, a.ItemType, entry);
        placer.placeAlone(entry);
    }
}

void markAllCompleted(Call& c, const op::markAllCompleted& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    db.query("UPDATE cup_items SET completed = 1 WHERE cup_id = ? AND item_type = ?", a.CupID, wireName(a.ItemType))
        .run();
}

void markCompletionState(Call& c, const op::markCompletionState& a)
{
    Db& db = c.database();
    for (int id : a.CupItemId)
        requireItem(db, id);
    for (int id : a.CupItemId)
        db.query("UPDATE cup_items SET completed = ? WHERE id = ?", a.Completed ? 1 : 0, id).run();
}

// Age classes and teams: the name only; an age class keeps the limits copied from its competitions.
static void renameItem(Db& db, const ItemRef& item, const char* table, const QString* name,
                       const proto::CustomInformationsDataTypes& values)
{
    if (name) {
        if (name->trimmed().isEmpty())
            throw ServerError(errors::CupNameEmpty, {});
        db.query((std::string("UPDATE ") + table + " SET name = ? WHERE cup_item_id = ?").c_str(), *name, item.id)
            .run();
    }
    writeValues(db, item, values);
}

void modifyCupAgeClass(Call& c, const op::modifyCupAgeClass& a)
{
    Db& db = c.database();
    renameItem(db, requireItem(db, a.CupAgeClassID, CupItemType::AgeClass), "cup_age_classes",
               a.CupAgeClassInfo ? &a.CupAgeClassInfo->Name : nullptr, a.CustomInformations);
}

void modifyCupTeam(Call& c, const op::modifyCupTeam& a)
{
    Db& db = c.database();
    renameItem(db, requireItem(db, a.CupTeamID, CupItemType::Team), "cup_teams",
               a.CupTeamInfo ? &a.CupTeamInfo->Name : nullptr, a.CustomInformations);
}

void modifyCupAthlete(Call& c, const op::modifyCupAthlete& a)
{
    Db& db = c.database();
    const ItemRef item = requireItem(db, a.CupAthleteID, CupItemType::Athlete);
    if (a.CupAthleteInfo) {
        const proto::AthleteInfoDataType& info = *a.CupAthleteInfo;
        if (info.Name) {
            if (info.Name->givenName.trimmed().isEmpty() && info.Name->surName.trimmed().isEmpty())
                throw ServerError(errors::CupAthleteNameEmpty, {});
            db.query("UPDATE cup_athletes SET given_name = ?, sur_name = ? WHERE cup_item_id = ?", info.Name->givenName,
                     info.Name->surName, item.id)
                .run();
        }
        db.query("UPDATE cup_athletes SET gender = ?, year_of_birth = ? WHERE cup_item_id = ?", wireName(info.Gender),
                 std::max(0, info.YearOfBirth), item.id)
            .run();
    }
    writeValues(db, item, a.CustomInformations);
}

void flipCupAthleteNames(Call& c, const op::flipCupAthleteNames& a)
{
    Db& db = c.database();
    for (int id : a.cupAthleteIds)
        requireItem(db, id, CupItemType::Athlete);
    for (int id : std::set<int>(a.cupAthleteIds.begin(), a.cupAthleteIds.end()))
        db.query("UPDATE cup_athletes SET given_name = sur_name, sur_name = given_name WHERE cup_item_id = ?", id)
            .run();
}

// ---- custom columns ------------------------------------------------------------------------------

proto::getCustomCupColumnsResponse getCustomCupColumns(Call& c, const op::getCustomCupColumns& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    proto::getCustomCupColumnsResponse r;
    std::vector<int> columns;
    {
        Statement q = db.query("SELECT id FROM cup_custom_columns WHERE cup_id = ? AND item_type = ? "
                               "ORDER BY order_index, id",
                               a.CupID, wireName(a.CupItemTyp));
        while (q.next())
            columns.push_back(q.intAt(0));
    }
    for (int id : columns)
        r.push_back(columnRecord(db, id));
    return r;
}

proto::addCustomColumnResponse addCustomColumn(Call& c, const op::addCustomColumn& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    const proto::CustomColumnInfoType info = a.ColumnInfo ? *a.ColumnInfo : proto::CustomColumnInfoType{};
    if (info.Name.trimmed().isEmpty())
        throw ServerError(errors::ColumnNameEmpty, {});
    const int id = db.nextId("cup_column");
    const int last = lastPlace(db, a.CupID, info.ItemType);
    db.query("INSERT INTO cup_custom_columns (id, cup_id, item_type, name, order_index) VALUES (?, ?, ?, ?, ?)", id,
             a.CupID, wireName(info.ItemType), info.Name, last + 1)
        .run();
    if (info.OrderIndex > 0)
        takePlace(db, requireColumn(db, id), info.OrderIndex);
    proto::addCustomColumnResponse r;
    r.CustomColumn = columnRecord(db, id);
    return r;
}

void modifyCustomColumn(Call& c, const op::modifyCustomColumn& a)
{
    Db& db = c.database();
    const ColumnRef column = requireColumn(db, a.ColumnID);
    if (!a.ColumnInfo)
        return;
    if (a.ColumnInfo->Name.trimmed().isEmpty())
        throw ServerError(errors::ColumnNameEmpty, {});
    db.query("UPDATE cup_custom_columns SET name = ? WHERE id = ?", a.ColumnInfo->Name, column.id).run();
    if (a.ColumnInfo->OrderIndex > 0 && a.ColumnInfo->OrderIndex != column.orderIndex)
        takePlace(db, column, a.ColumnInfo->OrderIndex);
}

void removeCustomColumn(Call& c, const op::removeCustomColumn& a)
{
    Db& db = c.database();
    const ColumnRef column = requireColumn(db, a.ColumnID);
    if (!a.forceRemove && db.query("SELECT 1 FROM cup_custom_values WHERE column_id = ?", column.id).next())
        throw ServerError(errors::ColumnHasValues, {column.name});
    db.query("DELETE FROM cup_custom_columns WHERE id = ?", column.id).run();
}

// ---- finishers -----------------------------------------------------------------------------------

proto::getFinisherAthletesResponse1 getFinisherAthletes(Call& c, const op::getFinisherAthletes& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    CupReader reader(db, a.CupID);
    const std::set<int> athletes = finishers(db, a.CupID, CupItemType::Athlete);
    const std::set<int> teamFinishers = finishers(db, a.CupID, CupItemType::Team);
    // Finisher cup teams by the competition teams they stand for.
    auto teamValues = reader.values(CupItemType::Team);
    std::map<int, proto::CupTeamType> cupTeams;
    std::unordered_map<int, int> cupTeamOf;
    for (const CupReader::Item& item : reader.items(CupItemType::Team)) {
        if (!teamFinishers.count(item.id))
            continue;
        for (int entry : item.entries)
            cupTeamOf.emplace(entry, item.id);
        cupTeams.emplace(item.id, cupTeam(db, reader, item, std::move(teamValues[item.id])));
    }
    auto values = reader.values(CupItemType::Athlete);
    auto own = cupAthleteData(db, a.CupID);
    proto::getFinisherAthletesResponse1 r;
    for (const CupReader::Item& item : reader.items(CupItemType::Athlete)) {
        if (!athletes.count(item.id))
            continue;
        proto::FinisherType& f = r.Finisher.emplace_back();
        f.Athlete = cupAthlete(reader, item, std::move(own[item.id]), std::move(values[item.id]));
        std::set<int> teams;
        for (const proto::CompetitionAthleteType& e : f.Athlete->AssignedAthletes)
            if (e.Athlete && e.Athlete->Team)
                if (const auto it = cupTeamOf.find(e.Athlete->Team->TeamID); it != cupTeamOf.end())
                    teams.insert(it->second);
        for (int t : teams)
            f.Teams.push_back(cupTeams.at(t));
    }
    r.PendingAgeClasses = anyPending(db, a.CupID, CupItemType::AgeClass);
    r.PendingTeams = anyPending(db, a.CupID, CupItemType::Team);
    r.PendingAthletes = anyPending(db, a.CupID, CupItemType::Athlete);
    return r;
}

proto::getFinisherTeamsResponse1 getFinisherTeams(Call& c, const op::getFinisherTeams& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    CupReader reader(db, a.CupID);
    const std::set<int> teams = finishers(db, a.CupID, CupItemType::Team);
    auto values = reader.values(CupItemType::Team);
    proto::getFinisherTeamsResponse1 r;
    for (const CupReader::Item& item : reader.items(CupItemType::Team))
        if (teams.count(item.id))
            r.Teams.push_back(cupTeam(db, reader, item, std::move(values[item.id])));
    r.PendingAgeClasses = anyPending(db, a.CupID, CupItemType::AgeClass);
    r.PendingTeams = anyPending(db, a.CupID, CupItemType::Team);
    return r;
}

// ---- cup scorings --------------------------------------------------------------------------------

// The cup's scorings as a forest: those drawing on no other scoring of the cup are the roots, each
// with the scorings it feeds.
proto::getCupAggregatorsResponse getCupAggregators(Call& c, const op::getCupAggregators& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    const std::vector<int> nodes = ids(db, "SELECT id FROM aggregators WHERE cup_id = ? ORDER BY id", a.CupID);
    const std::set<int> own(nodes.begin(), nodes.end());
    proto::getCupAggregatorsResponse r;
    for (int node : nodes) {
        const std::vector<int> sources = nodeSources(db, node);
        if (std::none_of(sources.begin(), sources.end(), [&](int s) { return own.count(s) > 0; }))
            r.push_back(nodeTree(db, node));
    }
    return r;
}

void promoteToCupAggregator(Call& c, const op::promoteToCupAggregator& a)
{
    Db& db = c.database();
    requireCup(db, a.CupID);
    Statement q =
        db.query("SELECT IFNULL(competition_id, 0), IFNULL(cup_id, 0) FROM aggregators WHERE id = ?", a.AggregatorID);
    if (!q.next())
        throw ServerError(errors::NotAnAggregator, {num(a.AggregatorID)});
    const int competition = q.intAt(0);
    if (q.intAt(1) != 0)
        throw ServerError(errors::AlreadyCupScoring, {num(a.AggregatorID)});
    if (!cupHolds(db, a.CupID, competition))
        throw ServerError(errors::NodeCompetitionNotInCup, {num(a.AggregatorID), num(a.CupID)});
    // Its competition's nodes would lose a source they rely on; the cup's own scorings keep it.
    if (db.query("SELECT 1 FROM aggregator_sources s JOIN aggregators n ON n.id = s.aggregator_id "
                 "WHERE s.provider_id = ? AND IFNULL(n.cup_id, 0) <> ?",
                 a.AggregatorID, a.CupID)
            .next())
        throw ServerError(errors::NodeDrawnOnInCompetition, {num(a.AggregatorID)});

    // Parameter names of the competition mean nothing in the cup: they become their values.
    const proto::ResultAggregatorInstanceType node = nodeRecord(db, a.AggregatorID);
    std::vector<QString> parameters = node.Parameters;
    for (QString& p : parameters) {
        if (parameterNumber(p))
            continue;
        if (!a.resolveParameters)
            throw ServerError(errors::CupParametersToResolve, {num(a.AggregatorID), p});
        const std::optional<double> value = globalParameter(db, competition, 0, p);
        if (!value)
            throw ServerError(errors::ParameterNotResolvable, {num(a.AggregatorID), p, p});
        p = QString::number(*value, 'g', 17);
    }
    setNodeParameters(db, a.AggregatorID, parameters);
    db.query("UPDATE aggregators SET cup_id = ?, competition_id = NULL, origin_competition_id = ? WHERE id = ?",
             a.CupID, competition, a.AggregatorID)
        .run();
    // A competition's compilations list its own nodes only.
    db.query("DELETE FROM aggregator_collection_nodes WHERE aggregator_id = ? AND collection_id IN (SELECT id FROM "
             "aggregator_collections WHERE competition_id IS NOT NULL)",
             a.AggregatorID)
        .run();
}

void demoteCupAggregator(Call& c, const op::demoteCupAggregator& a)
{
    Db& db = c.database();
    Statement q = db.query("SELECT IFNULL(cup_id, 0), IFNULL(origin_competition_id, 0) FROM aggregators WHERE id = ?",
                           a.AggregatorID);
    if (!q.next())
        throw ServerError(errors::NotAnAggregator, {num(a.AggregatorID)});
    const int cup = q.intAt(0);
    const int origin = q.intAt(1);
    if (cup == 0)
        throw ServerError(errors::NotACupScoring, {num(a.AggregatorID)});
    std::vector<int> sources = nodeSources(db, a.AggregatorID);
    std::erase_if(sources, [&](int s) { return origin == 0 || competitionOfProvider(db, s) != origin; });
    if (sources.empty()) {
        removeNode(db, a.AggregatorID);
        return;
    }
    // The cup's parameters are not seen from the competition: their values stay.
    std::vector<QString> parameters = nodeRecord(db, a.AggregatorID).Parameters;
    for (QString& p : parameters)
        if (!parameterNumber(p))
            if (Statement v = db.query("SELECT value FROM cup_parameters WHERE cup_id = ? AND key = ?", cup, p);
                v.next())
                p = QString::number(v.doubleAt(0), 'g', 17);
    setNodeParameters(db, a.AggregatorID, parameters);
    setNodeSources(db, a.AggregatorID, sources);
    db.query("UPDATE aggregators SET cup_id = NULL, competition_id = ?, origin_competition_id = NULL WHERE id = ?",
             origin, a.AggregatorID)
        .run();
    db.query("DELETE FROM aggregator_collection_nodes WHERE aggregator_id = ? AND collection_id IN (SELECT id FROM "
             "aggregator_collections WHERE cup_id IS NOT NULL)",
             a.AggregatorID)
        .run();
}

} // namespace ops

} // namespace tvp::standin
