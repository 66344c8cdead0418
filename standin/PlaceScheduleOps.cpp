// Facilities with their disciplines, and the schedule: one item per squad and facility place.
//
// A facility's place mappings (places_of_disciplines) are what schedule items name; changing a
// facility's disciplines keeps the mappings of the disciplines that stay, so their items stay too.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Records.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

namespace tvp::standin::ops {

namespace {

struct StoredPlace {
    int id = 0;
    int competitionId = 0;
    QString name;
};

StoredPlace requirePlace(Db& db, int id)
{
    Statement q = db.query("SELECT competition_id, name FROM discipline_places WHERE id = ?", id);
    if (!q.next())
        throw ServerError(errors::FacilityNotFound, {QString::number(id)});
    return {id, q.intAt(0), q.textAt(1)};
}

int competitionOfSquad(Db& db, int squadId)
{
    Statement q = db.query("SELECT competition_id FROM squads WHERE id = ?", squadId);
    if (!q.next())
        throw ServerError(errors::SquadNotFound, {QString::number(squadId)});
    return q.intAt(0);
}

QString checkedName(const proto::Owned<proto::DisciplinePlaceInfoDataType>& info)
{
    const QString name = info ? info->Name.trimmed() : QString();
    if (name.isEmpty())
        throw ServerError(errors::FacilityNameEmpty, {});
    return name;
}

// The disciplines as sent, each once, all of the competition.
std::vector<int> requireDisciplines(Db& db, int competitionId, const proto::IDTypes& ids)
{
    std::vector<int> out;
    for (int id : ids) {
        if (std::find(out.begin(), out.end(), id) != out.end())
            continue;
        if (!db.query("SELECT 1 FROM disciplines WHERE id = ? AND competition_id = ?", id, competitionId).next())
            throw ServerError(errors::DisciplineNotFound, {QString::number(id)});
        out.push_back(id);
    }
    return out;
}

void addMappings(Db& db, int placeId, const std::vector<int>& disciplines)
{
    for (int discipline : disciplines) {
        if (db.query("SELECT 1 FROM places_of_disciplines WHERE place_id = ? AND discipline_id = ?", placeId,
                     discipline)
                .next())
            continue;
        db.query("INSERT INTO places_of_disciplines (id, place_id, discipline_id) VALUES (?, ?, ?)",
                 db.nextId("place_of_discipline"), placeId, discipline)
            .run();
    }
}

// Everything the reads of this file answer with, read once per call.
class PlaceReader {
public:
    PlaceReader(Db& db, int competitionId) : db_(db), participants_(db, competitionId)
    {
        disciplines_ = readDisciplines(db, competitionId);
        for (const proto::DisciplinType& d : disciplines_)
            disciplineAt_[d.DisciplinID] = &d;
        for (proto::SquadType& s : readSquads(db, competitionId, participants_))
            squads_.push_back(std::move(s));
        Statement q = db.query("SELECT id, name, comment FROM discipline_places WHERE competition_id = ? ORDER BY id",
                               competitionId);
        while (q.next()) {
            proto::DisciplinePlaceType& p = places_.emplace_back();
            p.DisciplinePlaceId = q.intAt(0);
            p.Name = q.textAt(1);
            p.Comment = q.textAt(2);
        }
        Statement m = db.query("SELECT m.id, m.place_id, m.discipline_id FROM places_of_disciplines m JOIN "
                               "discipline_places p ON p.id = m.place_id WHERE p.competition_id = ? ORDER BY m.id",
                               competitionId);
        while (m.next()) {
            mappings_.push_back({m.intAt(0), m.intAt(1), m.intAt(2)});
            if (const proto::DisciplinType* d = discipline(m.intAt(2)))
                if (proto::DisciplinePlaceType* p = findPlace(m.intAt(1)))
                    p->AssociatedDisciplines.push_back(*d);
        }
    }

    struct Mapping {
        int id;
        int placeId;
        int disciplineId;
    };

    const std::vector<proto::DisciplinePlaceType>& places() const { return places_; }
    const std::vector<proto::SquadType>& squads() const { return squads_; }
    const std::vector<proto::DisciplinType>& disciplines() const { return disciplines_; }
    const std::vector<Mapping>& mappings() const { return mappings_; }

    const proto::DisciplinType* discipline(int id) const
    {
        auto it = disciplineAt_.find(id);
        return it == disciplineAt_.end() ? nullptr : it->second;
    }
    proto::DisciplinePlaceType* findPlace(int id)
    {
        for (proto::DisciplinePlaceType& p : places_)
            if (p.DisciplinePlaceId == id)
                return &p;
        return nullptr;
    }
    const proto::DisciplinePlaceType* place(int id) const { return const_cast<PlaceReader*>(this)->findPlace(id); }

    proto::PlaceOfDisciplineType placeOf(const Mapping& m) const
    {
        proto::PlaceOfDisciplineType r;
        r.Id = m.id;
        if (const proto::DisciplinType* d = discipline(m.disciplineId))
            r.Discipline = *d;
        if (const proto::DisciplinePlaceType* p = place(m.placeId))
            r.Place = *p;
        return r;
    }

    std::set<int> disciplinesOfSquad(int squadId) const
    {
        std::set<int> ids;
        Statement q = db_.query("SELECT discipline_id FROM discipline_squads WHERE squad_id = ?", squadId);
        while (q.next())
            ids.insert(q.intAt(0));
        return ids;
    }

    // The squad's items by time (those without time last), then by creation.
    std::vector<proto::ScheduleItemType> itemsOf(const proto::SquadType& squad) const
    {
        std::vector<proto::ScheduleItemType> items;
        Statement q = db_.query("SELECT id, place_of_discipline_id, time FROM schedule_items WHERE squad_id = ? "
                                "ORDER BY time IS NULL, time, id",
                                squad.SquadID);
        while (q.next()) {
            proto::ScheduleItemType& item = items.emplace_back();
            item.ScheduleItemId = q.intAt(0);
            item.Squad = squad;
            if (!q.isNullAt(2))
                item.Time = QTime::fromString(q.textAt(2), QStringLiteral("HH:mm:ss"));
            for (const Mapping& m : mappings_)
                if (m.id == q.intAt(1))
                    item.DisciplinePlace = placeOf(m);
        }
        return items;
    }

private:
    Db& db_;
    CompetitionParticipants participants_;
    std::vector<proto::DisciplinType> disciplines_;
    std::unordered_map<int, const proto::DisciplinType*> disciplineAt_;
    std::vector<proto::SquadType> squads_;
    std::vector<proto::DisciplinePlaceType> places_;
    std::vector<Mapping> mappings_;
};

proto::DisciplinePlaceType readPlace(Db& db, const StoredPlace& stored)
{
    const PlaceReader reader(db, stored.competitionId);
    const proto::DisciplinePlaceType* p = reader.place(stored.id);
    return p ? *p : proto::DisciplinePlaceType{};
}

} // namespace

// ---- facilities ----

proto::getDisciplinePlacesResponse getDisciplinePlaces(Call& c, const op::getDisciplinePlaces& a)
{
    Db& db = c.database();
    int competitionId = a.CompetitionId;
    if (competitionId == 0 && a.DisciplineId != 0) {
        Statement q = db.query("SELECT competition_id FROM disciplines WHERE id = ?", a.DisciplineId);
        if (!q.next())
            throw ServerError(errors::DisciplineNotFound, {QString::number(a.DisciplineId)});
        competitionId = q.intAt(0);
    } else if (competitionId == 0 && a.SquadId != 0) {
        competitionId = competitionOfSquad(db, a.SquadId);
    }
    requireCompetition(db, competitionId);
    const PlaceReader reader(db, competitionId);
    const std::set<int> squadDisciplines = a.SquadId != 0 ? reader.disciplinesOfSquad(a.SquadId) : std::set<int>{};
    proto::getDisciplinePlacesResponse r;
    for (const proto::DisciplinePlaceType& p : reader.places()) {
        auto serves = [&](auto&& wanted) {
            return std::any_of(p.AssociatedDisciplines.begin(), p.AssociatedDisciplines.end(), wanted);
        };
        if (a.DisciplineId != 0 && !serves([&](const auto& d) { return d.DisciplinID == a.DisciplineId; }))
            continue;
        if (a.SquadId != 0 && !serves([&](const auto& d) { return squadDisciplines.count(d.DisciplinID) > 0; }))
            continue;
        r.push_back(p);
    }
    return r;
}

proto::createDisciplinePlaceResponse createDisciplinePlace(Call& c, const op::createDisciplinePlace& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionId);
    const QString name = checkedName(a.DisciplinePlaceInfo);
    const std::vector<int> disciplines = requireDisciplines(db, a.CompetitionId, a.AssociatedDisciplines);
    const int id = db.nextId("discipline_place");
    db.query("INSERT INTO discipline_places (id, competition_id, name, comment) VALUES (?, ?, ?, ?)", id,
             a.CompetitionId, name, a.DisciplinePlaceInfo->Comment)
        .run();
    addMappings(db, id, disciplines);
    proto::createDisciplinePlaceResponse r;
    r.DisciplinePlace = readPlace(db, {id, a.CompetitionId, name});
    return r;
}

// The facility takes exactly the disciplines sent; nil info keeps name and comment.
void modifyDisciplinePlace(Call& c, const op::modifyDisciplinePlace& a)
{
    Db& db = c.database();
    const StoredPlace stored = requirePlace(db, a.DisciplinePlaceId);
    const std::vector<int> disciplines = requireDisciplines(db, stored.competitionId, a.AssociatedDisciplines);
    std::vector<int> leaving;
    Statement q = db.query("SELECT id, discipline_id FROM places_of_disciplines WHERE place_id = ?", stored.id);
    while (q.next())
        if (std::find(disciplines.begin(), disciplines.end(), q.intAt(1)) == disciplines.end())
            leaving.push_back(q.intAt(0));
    if (!a.forceRemoveScheduleItems)
        for (int mapping : leaving)
            if (db.query("SELECT 1 FROM schedule_items WHERE place_of_discipline_id = ?", mapping).next())
                throw ServerError(errors::FacilityPlaceHasScheduleItems, {stored.name});
    if (a.DisciplinePlaceInfo)
        db.query("UPDATE discipline_places SET name = ?, comment = ? WHERE id = ?", checkedName(a.DisciplinePlaceInfo),
                 a.DisciplinePlaceInfo->Comment, stored.id)
            .run();
    for (int mapping : leaving)
        db.query("DELETE FROM places_of_disciplines WHERE id = ?", mapping).run();
    addMappings(db, stored.id, disciplines);
}

void removeDisciplinePlace(Call& c, const op::removeDisciplinePlace& a)
{
    Db& db = c.database();
    const StoredPlace stored = requirePlace(db, a.DisciplinePlaceId);
    if (!a.ForceRemoveScheduleItem &&
        db.query("SELECT 1 FROM schedule_items s JOIN places_of_disciplines m ON m.id = s.place_of_discipline_id "
                 "WHERE m.place_id = ?",
                 stored.id)
            .next())
        throw ServerError(errors::FacilityHasScheduleItems, {stored.name});
    db.query("DELETE FROM discipline_places WHERE id = ?", stored.id).run();
}

// ---- the schedule ----

// One item per squad and place: a second call for the pair changes the item's time.
proto::ScheduleItemType setScheduleItem(Call& c, const op::setScheduleItem& a)
{
    Db& db = c.database();
    const int competitionId = competitionOfSquad(db, a.SquadId);
    Statement m = db.query("SELECT p.competition_id FROM places_of_disciplines m JOIN discipline_places p ON "
                           "p.id = m.place_id WHERE m.id = ?",
                           a.DisciplinePlaceMapId);
    if (!m.next() || m.intAt(0) != competitionId)
        throw ServerError(errors::FacilityPlaceNotFound, {QString::number(a.DisciplinePlaceMapId)});
    const QString time = a.ScheduleItemInfo && a.ScheduleItemInfo->Time
                             ? a.ScheduleItemInfo->Time->toString(QStringLiteral("HH:mm:ss"))
                             : QString();
    Statement found = db.query("SELECT id FROM schedule_items WHERE squad_id = ? AND place_of_discipline_id = ?",
                               a.SquadId, a.DisciplinePlaceMapId);
    int id = 0;
    if (found.next()) {
        id = found.intAt(0);
        db.query("UPDATE schedule_items SET time = NULLIF(?, '') WHERE id = ?", time, id).run();
    } else {
        id = db.nextId("schedule_item");
        db.query("INSERT INTO schedule_items (id, squad_id, place_of_discipline_id, time) "
                 "VALUES (?, ?, ?, NULLIF(?, ''))",
                 id, a.SquadId, a.DisciplinePlaceMapId, time)
            .run();
    }
    const PlaceReader reader(db, competitionId);
    for (const proto::SquadType& squad : reader.squads())
        if (squad.SquadID == a.SquadId)
            for (proto::ScheduleItemType& item : reader.itemsOf(squad))
                if (item.ScheduleItemId == id)
                    return std::move(item);
    return {};
}

void removeScheduleItem(Call& c, const op::removeScheduleItem& a)
{
    Db& db = c.database();
    db.query("DELETE FROM schedule_items WHERE id = ?", a.ScheduleItemId).run();
    if (db.changes() == 0)
        throw ServerError(errors::ScheduleItemNotFound, {QString::number(a.ScheduleItemId)});
}

proto::getSquadScheduleResponse getSquadSchedule(Call& c, const op::getSquadSchedule& a)
{
    Db& db = c.database();
    const int competitionId =
        a.CompetitionId == 0 && a.SquadId != 0 ? competitionOfSquad(db, a.SquadId) : a.CompetitionId;
    requireCompetition(db, competitionId);
    const PlaceReader reader(db, competitionId);
    proto::getSquadScheduleResponse r;
    for (const proto::SquadType& squad : reader.squads()) {
        if (a.SquadId != 0 && squad.SquadID != a.SquadId)
            continue;
        proto::SquadScheduleItemType& entry = r.emplace_back();
        entry.Squad = squad;
        entry.ScheduleItems = reader.itemsOf(squad);
    }
    return r;
}

// With a competition and no squads: one element without squad holding every place of the
// competition and its disciplines without facility. With squads: one element per squad (in squad
// order), the places and facility-less disciplines of the disciplines it is assigned to.
proto::getPossibleDisciplinePlacesResponse getPossibleDisciplinePlaces(Call& c,
                                                                       const op::getPossibleDisciplinePlaces& a)
{
    Db& db = c.database();
    int competitionId = a.CompetitionId;
    if (competitionId == 0 && !a.SquadId.empty())
        competitionId = competitionOfSquad(db, a.SquadId.front());
    requireCompetition(db, competitionId);
    for (int squad : a.SquadId)
        if (competitionOfSquad(db, squad) != competitionId)
            throw ServerError(errors::SquadNotInCompetition, {QString::number(squad)});
    const PlaceReader reader(db, competitionId);

    auto element = [&](const std::set<int>* only) {
        proto::SquadDisciplinePlaceType e;
        std::set<int> placed;
        for (const PlaceReader::Mapping& m : reader.mappings()) {
            if (only && !only->count(m.disciplineId))
                continue;
            e.DisciplinePlaces.push_back(reader.placeOf(m));
            placed.insert(m.disciplineId);
        }
        for (const proto::DisciplinType& d : reader.disciplines())
            if ((!only || only->count(d.DisciplinID)) && !placed.count(d.DisciplinID))
                e.DisciplinesWithoutPlaces.push_back(d);
        return e;
    };

    proto::getPossibleDisciplinePlacesResponse r;
    if (a.SquadId.empty()) {
        r.push_back(element(nullptr));
        return r;
    }
    for (const proto::SquadType& squad : reader.squads()) {
        if (std::find(a.SquadId.begin(), a.SquadId.end(), squad.SquadID) == a.SquadId.end())
            continue;
        const std::set<int> disciplines = reader.disciplinesOfSquad(squad.SquadID);
        proto::SquadDisciplinePlaceType& e = r.emplace_back(element(&disciplines));
        e.Squad = squad;
    }
    return r;
}

} // namespace tvp::standin::ops
