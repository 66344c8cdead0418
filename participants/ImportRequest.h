#pragma once
// The generic participant import: age classes, clubs, teams and athletes to create in the open
// competition, all inside one read-write transaction. Built by the registration CSV import,
// carried out by the LADV window's second request runner.
//
// References inside the request are indexes, not server ids: a team's AgeClassID indexes
// AgeClasses, an athlete's TeamId indexes teams and its ClubID indexes clubs; a negative index
// means none. Existing age classes, clubs and teams are reused by exact name; athletes are always
// created.

#include "core/protocol/ParticipantRecords.h"

#include <vector>

namespace tvp {

struct TImportRequest {
    std::vector<proto::createAgeClass> AgeClasses;
    std::vector<proto::addTeam> teams;
    std::vector<proto::addAthlete> athletes;
    std::vector<proto::ClubInfoDataType> clubs;
};

// What the competition holds before the import.
struct TImportExisting {
    std::vector<proto::AgeClassType> ageClasses;
    std::vector<proto::TeamType> teams;
    std::vector<proto::ClubType> clubs;
};

// The server calls of the import, each returning the new id; the worker puts the proxies behind it.
class IImportTarget {
public:
    virtual ~IImportTarget() = default;
    virtual int createAgeClass(const proto::AgeClassInfoType& info) = 0;
    virtual int addClub(const proto::ClubInfoDataType& info) = 0;
    virtual int addTeam(const proto::TeamInfoDataType& info, int ageClassId) = 0; // billing club 0
    virtual void addAthlete(const proto::AthleteInfoDataType& info, int teamId, int clubId) = 0;
};

// Carries the request out: age classes, then clubs, then teams, then athletes, in request order.
// A failing call throws out of here and the caller's transaction is rolled back.
void executeImportRequest(const TImportRequest& request, const TImportExisting& existing, IImportTarget& target);

} // namespace tvp
