#pragma once
// Records of competitions, age classes, clubs, teams, athletes, squads, disciplines, heats, results,
// checks and billing.
//
// A member named like a type (ResultTableType) names that type with its namespace, because inside
// the record the plain name means the member.

#include "core/protocol/Record.h"
#include "core/protocol/WireTable.h"

namespace tvp::proto {

TVP_ENUM(GenderType, MALE, FEMALE, NotSpecified)
TVP_ENUM(ResultValueType, Distance, Time, Info, Rank, InfoString)
TVP_ENUM(ResultInfo, disq, aufg, na, ab, ung)
TVP_ENUM(ResultAssignmentType, byAthleteOrTeam, byBib, byLane)
TVP_ENUM(SquadAssignmentType, teamDistributed, teamGrouped, randomDistribution, allSquadsInOneHeat)
TVP_ENUM(LockType, LOCKED, UNLOCKED, PENDING, NOTLOADED)
TVP_ENUM(AssignmentType, ASSIGN, REMOVE)
TVP_ENUM(PriceType, PER_ATHLETE)
TVP_ENUM(ParticipantsImportStreamFormatType, LADV, LADV_ZIP)

using IDTypes = std::vector<int>;
using AthleteBibs = std::vector<int>;

// ---- Competitions ----

struct CompetitionInfoType {
    QString Name;
    XsDate Date;
    TVP_FIELDS(CompetitionInfoType, TVP_F(Name), TVP_F(Date))
};

struct CompetitionType : CompetitionInfoType {
    int ID = 0;
    TVP_FIELDS_DERIVED(CompetitionType, CompetitionInfoType, TVP_F(ID))
};

struct createCompetitionResponse1 {
    Owned<CompetitionType> Competition;
    TVP_FIELDS(createCompetitionResponse1, TVP_F(Competition))
};

struct exportCompetitionResponse1 {
    QString XmlStream;
    TVP_FIELDS(exportCompetitionResponse1, TVP_F(XmlStream))
};

struct importCompetitionResponse1 {
    int CompetitionID = 0;
    TVP_FIELDS(importCompetitionResponse1, TVP_F(CompetitionID))
};

// ---- Age classes ----

struct AgeClassInfoType {
    QString Name;
    double BillingPricePerTeam = 0;
    int MinTeamMembers = 0;
    int MaxTeamMembers = 0;
    int MinMembersPerGender = 0;
    int MaleMembersLessThan = 0;
    int FemaleMembersLessThan = 0;
    TVP_FIELDS(AgeClassInfoType, TVP_F(Name), TVP_F(BillingPricePerTeam), TVP_F(MinTeamMembers), TVP_F(MaxTeamMembers),
               TVP_F(MinMembersPerGender), TVP_F(MaleMembersLessThan), TVP_F(FemaleMembersLessThan))
};

struct AgeClassType : AgeClassInfoType {
    int AgeClassID = 0;
    int Barcode = 0;
    TVP_FIELDS_DERIVED(AgeClassType, AgeClassInfoType, TVP_F(AgeClassID), TVP_F(Barcode))
};

struct createAgeClass {
    Owned<AgeClassInfoType> AgeClassInfo;
    int CompetitionID = 0;
    TVP_FIELDS(createAgeClass, TVP_F(AgeClassInfo), TVP_F(CompetitionID))
};

struct createAgeClassResponse1 {
    Owned<AgeClassType> AgeClass;
    TVP_FIELDS(createAgeClassResponse1, TVP_F(AgeClass))
};

struct getAgeClassInfoResponse1 {
    Owned<AgeClassType> AgeClass;
    Owned<CompetitionType> Competition;
    TVP_FIELDS(getAgeClassInfoResponse1, TVP_F(AgeClass), TVP_F(Competition))
};

// ---- Clubs ----

struct ClubInfoShortDataType {
    QString Name;
    QString Comment;
    TVP_FIELDS(ClubInfoShortDataType, TVP_F(Name), TVP_F(Comment))
};

struct ClubInfoDataType : ClubInfoShortDataType {
    QString BillingAddress;
    TVP_FIELDS_DERIVED(ClubInfoDataType, ClubInfoShortDataType, TVP_F(BillingAddress))
};

struct ClubShortType : ClubInfoShortDataType {
    int ClubId = 0;
    TVP_FIELDS_DERIVED(ClubShortType, ClubInfoShortDataType, TVP_F(ClubId))
};

struct ClubType : ClubInfoDataType {
    int ClubId = 0;
    TVP_FIELDS_DERIVED(ClubType, ClubInfoDataType, TVP_F(ClubId))
};

struct addClubResponse1 {
    Owned<ClubType> Club;
    TVP_FIELDS(addClubResponse1, TVP_F(Club))
};

// ---- Teams ----

struct SquadInfoDataType {
    int OrderIndex = 0;
    QString CustomName;
    TVP_FIELDS(SquadInfoDataType, TVP_F(OrderIndex), TVP_F(CustomName))
};

struct TeamInfoDataType {
    QString Name;
    TVP_FIELDS(TeamInfoDataType, TVP_F(Name))
};

struct TeamInfoType : TeamInfoDataType {
    Owned<AgeClassType> AgeClass;
    int SquadID = 0;
    Owned<SquadInfoDataType> SquadInfo;
    int NoOfAthletes = 0;
    Owned<ClubShortType> BillingClub;
    TVP_FIELDS_DERIVED(TeamInfoType, TeamInfoDataType, TVP_F(AgeClass), TVP_F(SquadID), TVP_F(SquadInfo),
                       TVP_F(NoOfAthletes), TVP_F(BillingClub))
};

// A team can also be made from a cup team: teamFromCupTeam (ScoringRecords.h).
struct TeamType : TeamInfoType {
    int TeamID = 0;
    int Barcode = 0;
    TVP_FIELDS_DERIVED(TeamType, TeamInfoType, TVP_F(TeamID), TVP_F(Barcode))
};

struct addTeam {
    Owned<TeamInfoDataType> TeamInfo;
    int AgeClassID = 0;
    TVP_FIELDS(addTeam, TVP_F(TeamInfo), TVP_F(AgeClassID))
};

struct addTeamResponse1 {
    Owned<TeamType> Team;
    TVP_FIELDS(addTeamResponse1, TVP_F(Team))
};

struct getTeamInfoResponse1 {
    Owned<TeamType> Team;
    Owned<CompetitionType> Competition;
    TVP_FIELDS(getTeamInfoResponse1, TVP_F(Team), TVP_F(Competition))
};

// ---- Athletes ----

struct AthleteNameType {
    QString givenName;
    QString surName;
    TVP_FIELDS(AthleteNameType, TVP_F(givenName), TVP_F(surName))
};

struct AthleteInfoDataType {
    std::vector<int> Bib;
    Owned<AthleteNameType> Name;
    GenderType Gender = GenderType::MALE;
    int YearOfBirth = 0;
    int CustomBarcode = 0;
    TVP_FIELDS(AthleteInfoDataType, TVP_F(Bib), TVP_F(Name), TVP_F(Gender), TVP_F(YearOfBirth), TVP_F(CustomBarcode))
};

struct AthleteInfoType : AthleteInfoDataType {
    Owned<TeamType> Team;
    Owned<ClubShortType> Club;
    TVP_FIELDS_DERIVED(AthleteInfoType, AthleteInfoDataType, TVP_F(Team), TVP_F(Club))
};

struct AthleteType : AthleteInfoType {
    int AthleteID = 0;
    int Barcode = 0;
    TVP_FIELDS_DERIVED(AthleteType, AthleteInfoType, TVP_F(AthleteID), TVP_F(Barcode))
};

struct addAthlete {
    Owned<AthleteInfoDataType> AthleteInfo;
    int TeamId = 0;
    int CompetitionID = 0;
    int ClubID = 0;
    TVP_FIELDS(addAthlete, TVP_F(AthleteInfo), TVP_F(TeamId), TVP_F(CompetitionID), TVP_F(ClubID))
};

struct addAthleteResponse1 {
    Owned<AthleteType> Athlete;
    TVP_FIELDS(addAthleteResponse1, TVP_F(Athlete))
};

struct getAthleteInfoResponse1 {
    Owned<AthleteType> Athlete;
    Owned<CompetitionType> Competition;
    TVP_FIELDS(getAthleteInfoResponse1, TVP_F(Athlete), TVP_F(Competition))
};

struct StringSearchType {
    QString Name;
    bool CaseSensitive = false;
    TVP_FIELDS(StringSearchType, TVP_F(Name), TVP_F(CaseSensitive))
};

struct IntegerRangeType {
    int startID = 0;
    int endID = 0;
    TVP_FIELDS(IntegerRangeType, TVP_F(startID), TVP_F(endID))
};

struct allocateBlancAthleteBarcodeResponse1 {
    Owned<IntegerRangeType> Range;
    TVP_FIELDS(allocateBlancAthleteBarcodeResponse1, TVP_F(Range))
};

struct TeamWithAthletesType {
    Owned<TeamType> Team;
    std::vector<AthleteType> Athletes;
    TVP_FIELDS(TeamWithAthletesType, TVP_F(Team), TVP_F(Athletes))
};

// ---- Squads ----

struct SquadInfoType : SquadInfoDataType {
    Owned<AgeClassType> AgeClass;
    std::vector<TeamType> AssignedTeams;
    TVP_FIELDS_DERIVED(SquadInfoType, SquadInfoDataType, TVP_F(AgeClass), TVP_F(AssignedTeams))
};

struct SquadType : SquadInfoType {
    int SquadID = 0;
    TVP_FIELDS_DERIVED(SquadType, SquadInfoType, TVP_F(SquadID))
};

struct addSquadResponse {
    Owned<SquadType> Squad;
    TVP_FIELDS(addSquadResponse, TVP_F(Squad))
};

struct DuplicateSquadCustomNamesType {
    Owned<SquadType> Squad1;
    Owned<SquadType> Squad2;
    Owned<CompetitionType> Competition;
    TVP_FIELDS(DuplicateSquadCustomNamesType, TVP_F(Squad1), TVP_F(Squad2), TVP_F(Competition))
};

struct getSquadsResponse {
    std::vector<SquadType> Squads;
    std::vector<DuplicateSquadCustomNamesType> DuplicateSquadCustomNames;
    TVP_FIELDS(getSquadsResponse, TVP_F(Squads), TVP_F(DuplicateSquadCustomNames))
};

// ---- Disciplines and heats ----

struct ResultTableType {
    bool Team = false;
    int ResultsPerRow = 0;
    QString ResultUnitPattern;
    bool LowerValuesAreHigherRanked = false;
    TVP_FIELDS(ResultTableType, TVP_F(Team), TVP_F(ResultsPerRow), TVP_F(ResultUnitPattern),
               TVP_F(LowerValuesAreHigherRanked))
};

struct DisciplinInfoType {
    QString Name;
    ResultAssignmentType ResultAssignment = ResultAssignmentType::byAthleteOrTeam;
    Owned<proto::ResultTableType> ResultTableType;
    int AgeClassID = 0;
    SquadAssignmentType SquadAssignment = SquadAssignmentType::teamDistributed;
    int maxParticipantsPerHeat = 0;
    TVP_FIELDS(DisciplinInfoType, TVP_F(Name), TVP_F(ResultAssignment), TVP_F(ResultTableType), TVP_F(AgeClassID),
               TVP_F(SquadAssignment), TVP_F(maxParticipantsPerHeat))
};

struct DisciplinType : DisciplinInfoType {
    int DisciplinID = 0;
    int Barcode = 0;
    int CompetitionID = 0;
    TVP_FIELDS_DERIVED(DisciplinType, DisciplinInfoType, TVP_F(DisciplinID), TVP_F(Barcode), TVP_F(CompetitionID))
};

struct createDisciplinResponse {
    Owned<DisciplinType> Disciplin;
    TVP_FIELDS(createDisciplinResponse, TVP_F(Disciplin))
};

// The mixed-age-class warning lives here because modifyDisciplin answers with it; the scoring
// operations use it too.
struct MixedDisciplinesType {
    Owned<AgeClassType> AgeClass;
    std::vector<DisciplinType> Disciplines;
    TVP_FIELDS(MixedDisciplinesType, TVP_F(AgeClass), TVP_F(Disciplines))
};

struct MixedAgeClassesWarningType {
    std::vector<MixedDisciplinesType> MixedDisciplines;
    TVP_FIELDS(MixedAgeClassesWarningType, TVP_F(MixedDisciplines))
};

struct modifyDisciplinWarningType {
    Owned<MixedAgeClassesWarningType> MixedAgeClassesWarning;
    TVP_FIELDS(modifyDisciplinWarningType, TVP_F(MixedAgeClassesWarning))
};

struct modifyDisciplinResponse1 {
    Owned<modifyDisciplinWarningType> Warnings;
    TVP_FIELDS(modifyDisciplinResponse1, TVP_F(Warnings))
};

struct getDisciplineInfoResponse1 {
    Owned<DisciplinType> Disciplin;
    Owned<CompetitionType> Competition;
    TVP_FIELDS(getDisciplineInfoResponse1, TVP_F(Disciplin), TVP_F(Competition))
};

struct VersionedParticipantsType {
    int Version = 0;
    Owned<AthleteType> Athlete;
    Owned<TeamWithAthletesType> Team;
    TVP_FIELDS(VersionedParticipantsType, TVP_F(Version), TVP_F(Athlete), TVP_F(Team))
};

struct HeatParticipantsType {
    int HeatNo = 0;
    std::vector<VersionedParticipantsType> VersionedParticipants;
    TVP_FIELDS(HeatParticipantsType, TVP_F(HeatNo), TVP_F(VersionedParticipants))
};

struct getDisciplinParticipantsResponse1 {
    std::vector<HeatParticipantsType> HeatList;
    LockType ParticipantsListLocked = LockType::LOCKED;
    int maxParticipantsPerHeat = 0;
    int ListVersion = 0;
    TVP_FIELDS(getDisciplinParticipantsResponse1, TVP_F(HeatList), TVP_F(ParticipantsListLocked),
               TVP_F(maxParticipantsPerHeat), TVP_F(ListVersion))
};

struct PosAssignmentsType {
    int AthleteOrTeamID = 0;
    int NewPosAthleteOrTeamID = 0;
    int PositionIndex = 0;
    TVP_FIELDS(PosAssignmentsType, TVP_F(AthleteOrTeamID), TVP_F(NewPosAthleteOrTeamID), TVP_F(PositionIndex))
};

struct setPositionResponse1 {
    bool MovedOtherAthletes = false;
    TVP_FIELDS(setPositionResponse1, TVP_F(MovedOtherAthletes))
};

// ---- Results ----

struct ResultType {
    ResultValueType Type_ = ResultValueType::Distance;
    double DistanceInMeter = 0;
    double TimeInSeconds = 0;
    ResultInfo Info = ResultInfo::disq;
    int Rank = 0;
    QString InfoString;
    // The result kind goes on the wire as "Type"; derived records keep that name.
    TVP_FIELDS(ResultType, ::tvp::proto::Field{wire::kResultTypeKindElement, &tvpSelf::Type_}, TVP_F(DistanceInMeter),
               TVP_F(TimeInSeconds), TVP_F(Info), TVP_F(Rank), TVP_F(InfoString))
};

struct AssignedResultType : ResultType {
    int AthleteId = 0;
    std::vector<int> TeamId;
    int Attempt = 0;
    int ResultID = 0;
    TVP_FIELDS_DERIVED(AssignedResultType, ResultType, TVP_F(AthleteId), TVP_WRAPPED(TeamId), TVP_F(Attempt),
                       TVP_F(ResultID))
};

struct LaneHeatType {
    int HeatNo = 0;
    int Lane = 0;
    TVP_FIELDS(LaneHeatType, TVP_F(HeatNo), TVP_F(Lane))
};

struct setResultResponse1 {
    int AthleteTeamIDret = 0;
    bool NotAParticipantWarning = false;
    int ResultID = 0;
    TVP_FIELDS(setResultResponse1, TVP_F(AthleteTeamIDret), TVP_F(NotAParticipantWarning), TVP_F(ResultID))
};

struct getResultTableResponse1 {
    Owned<proto::ResultTableType> ResultTableType;
    std::vector<AssignedResultType> Results;
    TVP_FIELDS(getResultTableResponse1, TVP_F(ResultTableType), TVP_F(Results))
};

struct BibRankType {
    int Rank = 0;
    int AssignedBib = 0;
    TVP_FIELDS(BibRankType, TVP_F(Rank), TVP_F(AssignedBib))
};

// ---- Result and participant checks ----

struct AmbiguousBibResultType {
    int Bib = 0;
    Owned<ResultType> Result;
    TVP_FIELDS(AmbiguousBibResultType, TVP_F(Bib), TVP_F(Result))
};

struct AmbiguousResultType {
    Owned<DisciplinType> Discipline;
    int Attempt = 0;
    Owned<CompetitionType> Competition;
    Owned<AthleteType> Athlete;
    Owned<TeamType> Team;
    std::vector<AmbiguousBibResultType> AmbiguousBibResults;
    TVP_FIELDS(AmbiguousResultType, TVP_F(Discipline), TVP_F(Attempt), TVP_F(Competition), TVP_F(Athlete), TVP_F(Team),
               TVP_F(AmbiguousBibResults))
};

struct FailedParticipantConstraintType {
    bool InvalidNoOfMembers = false;
    bool MixedGendersViolation = false;
    bool MaxMaleViolation = false;
    bool MaxFemaleViolation = false;
    TVP_FIELDS(FailedParticipantConstraintType, TVP_F(InvalidNoOfMembers), TVP_F(MixedGendersViolation),
               TVP_F(MaxMaleViolation), TVP_F(MaxFemaleViolation))
};

struct FailedObjectType {
    Owned<AthleteType> Athlete;
    Owned<TeamType> Team;
    TVP_FIELDS(FailedObjectType, TVP_F(Athlete), TVP_F(Team))
};

struct InvalidParticipantType {
    Owned<FailedParticipantConstraintType> FailedConstraints;
    Owned<FailedObjectType> FailedObject;
    TVP_FIELDS(InvalidParticipantType, TVP_F(FailedConstraints), TVP_F(FailedObject))
};

struct InvalidResultsType {
    ResultInfo ResultType = ResultInfo::disq;
    std::vector<DisciplinType> Disciplines;
    TVP_FIELDS(InvalidResultsType, TVP_F(ResultType), TVP_F(Disciplines))
};

struct AthleteWithoutValidResultType {
    Owned<AthleteType> Athlete;
    std::vector<InvalidResultsType> InvalidResults;
    TVP_FIELDS(AthleteWithoutValidResultType, TVP_F(Athlete), TVP_F(InvalidResults))
};

struct ParticipantGroupType {
    Owned<SquadType> Squad;
    std::vector<TeamType> Teams;
    std::vector<AthleteType> Athletes;
    int FirstMissingAttempt = 0;
    TVP_FIELDS(ParticipantGroupType, TVP_F(Squad), TVP_F(Teams), TVP_F(Athletes), TVP_F(FirstMissingAttempt))
};

struct MissingResultType {
    Owned<DisciplinType> Discipline;
    int HeatNo = 0;
    Owned<ParticipantGroupType> ParticipantGroup;
    TVP_FIELDS(MissingResultType, TVP_F(Discipline), TVP_F(HeatNo), TVP_F(ParticipantGroup))
};

struct ParticipantRankType {
    int Rank = 0;
    Owned<AthleteType> Athlete;
    Owned<TeamType> Team;
    TVP_FIELDS(ParticipantRankType, TVP_F(Rank), TVP_F(Athlete), TVP_F(Team))
};

struct MissingRankType {
    Owned<ParticipantRankType> Before;
    Owned<ParticipantRankType> After;
    TVP_FIELDS(MissingRankType, TVP_F(Before), TVP_F(After))
};

struct RankingIssueType {
    Owned<DisciplinType> Discipline;
    Owned<MissingRankType> MissingRank;
    int Attempt = 0;
    TVP_FIELDS(RankingIssueType, TVP_F(Discipline), TVP_F(MissingRank), TVP_F(Attempt))
};

// ---- Billing ----

struct BillingTeam {
    Owned<TeamType> Team;
    double TeamPrincing = 0;
    int NoOfBilledParticipants = 0;
    TVP_FIELDS(BillingTeam, TVP_F(Team), TVP_F(TeamPrincing), TVP_F(NoOfBilledParticipants))
};

struct TeamlessAthleteBilling {
    int NoOfAthletes = 0;
    double Pricing = 0;
    TVP_FIELDS(TeamlessAthleteBilling, TVP_F(NoOfAthletes), TVP_F(Pricing))
};

struct ClubBillingInfoType {
    Owned<ClubType> Club;
    double TotalAmount = 0;
    std::vector<BillingTeam> Teams;
    Owned<TeamlessAthleteBilling> AthletesWithoutTeam;
    TVP_FIELDS(ClubBillingInfoType, TVP_F(Club), TVP_F(TotalAmount), TVP_F(Teams), TVP_F(AthletesWithoutTeam))
};

struct getBillingPriceResponse {
    float billingPrice = 0;
    TVP_FIELDS(getBillingPriceResponse, TVP_F(billingPrice))
};

// ---- Named arrays and array results ----

using AthleteTypes = std::vector<AthleteType>;
using TeamTypes = std::vector<TeamType>;
using SquadTypes = std::vector<SquadType>;
using DisciplinTypes = std::vector<DisciplinType>;
using HeatParticipantsTypes = std::vector<HeatParticipantsType>;
using VersionedParticipantsTypes = std::vector<VersionedParticipantsType>;
using AssignedResultTypes = std::vector<AssignedResultType>;
using AmbiguousBibResultTypes = std::vector<AmbiguousBibResultType>;
using InvalidResultsTypes = std::vector<InvalidResultsType>;
using DuplicateSquadCustomNamesTypes = std::vector<DuplicateSquadCustomNamesType>;
using BillingTeams = std::vector<BillingTeam>;
using PosAssignmentsTypes = std::vector<PosAssignmentsType>;
using MixedDisciplinesTypes = std::vector<MixedDisciplinesType>;

using getAthletesResponse1 = std::vector<AthleteType>;
using getTeamsResponse1 = std::vector<TeamType>;
using getAgeClassesResponse1 = std::vector<AgeClassType>;
using getDisciplinesResponse1 = std::vector<DisciplinType>;
using getToplevelSourceDisciplinesResponse1 = std::vector<DisciplinType>;
using getCompetitionsResponse1 = std::vector<CompetitionType>;
using getClubsResponse1 = std::vector<ClubType>;
using getSquadDiscAssignmentsResponse = std::vector<SquadType>;
using getClubBillingResponse1 = std::vector<ClubBillingInfoType>;
using getBibRankingResponse1 = std::vector<BibRankType>;
using CheckAmbiguousBibResultsResponse1 = std::vector<AmbiguousResultType>;
using checkParticipantConstraintsResponse = std::vector<InvalidParticipantType>;
using getAthletesWithoutValidSingleResultsResponse = std::vector<AthleteWithoutValidResultType>;
using getMissingResultsResponse = std::vector<MissingResultType>;
using checkResultRankingPlausibilityResponse = std::vector<RankingIssueType>;
// Nothing in the client reads this answer; its items are taken to be the results found implausible.
using checkResultPlausibilityResponse = std::vector<AssignedResultType>;

} // namespace tvp::proto
