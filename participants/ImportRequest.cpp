#include "participants/ImportRequest.h"

#include <QHash>

namespace tvp {

namespace {

template <class T>
QString nameOf(const proto::Owned<T>& info)
{
    return info ? info->Name : QString();
}

// The id at a request index; 0 (none) for a negative or unknown index.
int idAt(const std::vector<int>& ids, int index)
{
    return index >= 0 && std::size_t(index) < ids.size() ? ids[std::size_t(index)] : 0;
}

} // namespace

void executeImportRequest(const TImportRequest& request, const TImportExisting& existing, IImportTarget& target)
{
    // The first existing one of each name is the one reused; names compare exactly.
    QHash<QString, int> ageClassByName;
    for (const proto::AgeClassType& a : existing.ageClasses)
        if (!ageClassByName.contains(a.Name))
            ageClassByName.insert(a.Name, a.AgeClassID);
    QHash<QString, int> clubByName;
    for (const proto::ClubType& c : existing.clubs)
        if (!clubByName.contains(c.Name))
            clubByName.insert(c.Name, c.ClubId);
    QHash<QPair<QString, int>, int> teamByNameAndAgeClass;
    for (const proto::TeamType& t : existing.teams) {
        if (!t.AgeClass)
            continue;
        const QPair<QString, int> key(t.Name, t.AgeClass->AgeClassID);
        if (!teamByNameAndAgeClass.contains(key))
            teamByNameAndAgeClass.insert(key, t.TeamID);
    }

    std::vector<int> ageClassIds;
    ageClassIds.reserve(request.AgeClasses.size());
    for (const proto::createAgeClass& a : request.AgeClasses) {
        const auto found = ageClassByName.constFind(nameOf(a.AgeClassInfo));
        if (found != ageClassByName.constEnd())
            ageClassIds.push_back(*found);
        else
            ageClassIds.push_back(target.createAgeClass(a.AgeClassInfo ? *a.AgeClassInfo : proto::AgeClassInfoType{}));
    }

    std::vector<int> clubIds;
    clubIds.reserve(request.clubs.size());
    for (const proto::ClubInfoDataType& c : request.clubs) {
        const auto found = clubByName.constFind(c.Name);
        clubIds.push_back(found != clubByName.constEnd() ? *found : target.addClub(c));
    }

    std::vector<int> teamIds;
    teamIds.reserve(request.teams.size());
    for (const proto::addTeam& t : request.teams) {
        if (t.AgeClassID < 0 || std::size_t(t.AgeClassID) >= ageClassIds.size()) {
            teamIds.push_back(0); // a team without age class is not created
            continue;
        }
        const int ageClassId = ageClassIds[std::size_t(t.AgeClassID)];
        const auto found = teamByNameAndAgeClass.constFind({nameOf(t.TeamInfo), ageClassId});
        if (found != teamByNameAndAgeClass.constEnd())
            teamIds.push_back(*found);
        else
            teamIds.push_back(target.addTeam(t.TeamInfo ? *t.TeamInfo : proto::TeamInfoDataType{}, ageClassId));
    }

    for (const proto::addAthlete& a : request.athletes)
        target.addAthlete(a.AthleteInfo ? *a.AthleteInfo : proto::AthleteInfoDataType{}, idAt(teamIds, a.TeamId),
                          idAt(clubIds, a.ClubID));
}

} // namespace tvp
