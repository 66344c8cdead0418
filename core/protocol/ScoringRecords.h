#pragma once
// Records of scoring nodes, cups, parameters, UI infos, collections, sessions, server texts,
// facilities, the schedule, the PDF merge and the LADV exchange.

#include "core/protocol/ParticipantRecords.h"

namespace tvp::proto {

TVP_ENUM(TypeEnumType, type_double)
TVP_ENUM(CupItemType, AgeClass, Team, Athlete)
TVP_ENUM(clientType, NATIVE, WEB_UI)
TVP_ENUM(TCompetitionStatusType, created, participantsLocked, completed)

using TParameters = std::vector<QString>;
using TKeys = std::vector<QString>;
using pagesBase64Types = std::vector<Base64Binary>;
using SpecialOrderIndices = std::vector<int>;

// ---- Custom cup columns ----

struct CustomColumnInfoDataType {
    QString Name;
    int OrderIndex = 0;
    TVP_FIELDS(CustomColumnInfoDataType, TVP_F(Name), TVP_F(OrderIndex))
};

struct CustomColumnInfoType : CustomColumnInfoDataType {
    CupItemType ItemType = CupItemType::AgeClass;
    TVP_FIELDS_DERIVED(CustomColumnInfoType, CustomColumnInfoDataType, TVP_F(ItemType))
};

struct CustomColumnType : CustomColumnInfoType {
    int ID = 0;
    TVP_FIELDS_DERIVED(CustomColumnType, CustomColumnInfoType, TVP_F(ID))
};

struct addCustomColumnResponse {
    Owned<CustomColumnType> CustomColumn;
    TVP_FIELDS(addCustomColumnResponse, TVP_F(CustomColumn))
};

struct CustomInformationType {
    Owned<CustomColumnType> Column;
    QString Value;
    TVP_FIELDS(CustomInformationType, TVP_F(Column), TVP_F(Value))
};

struct CustomInformationsDataType {
    int ColumnID = 0;
    QString Value;
    TVP_FIELDS(CustomInformationsDataType, TVP_F(ColumnID), TVP_F(Value))
};

// ---- Cups ----

struct CupInfoDataType {
    QString Name;
    int MinTeamParticipations = 0;
    int MinAthleteParticipations = 0;
    TVP_FIELDS(CupInfoDataType, TVP_F(Name), TVP_F(MinTeamParticipations), TVP_F(MinAthleteParticipations))
};

struct CupInfoType : CupInfoDataType {
    std::vector<CompetitionType> AssignedCompetitions;
    TVP_FIELDS_DERIVED(CupInfoType, CupInfoDataType, TVP_F(AssignedCompetitions))
};

struct CupType : CupInfoType {
    int CupID = 0;
    TVP_FIELDS_DERIVED(CupType, CupInfoType, TVP_F(CupID))
};

struct getCupResponse {
    Owned<CupType> cup;
    TVP_FIELDS(getCupResponse, TVP_F(cup))
};

struct CompetitionAgeClassType {
    Owned<AgeClassType> AgeClass;
    Owned<CompetitionType> Competition;
    TVP_FIELDS(CompetitionAgeClassType, TVP_F(AgeClass), TVP_F(Competition))
};

struct CupAgeClassType : AgeClassType {
    std::vector<CustomInformationType> CustomInformations;
    std::vector<CompetitionAgeClassType> AssignedAgeClasses;
    TVP_FIELDS_DERIVED(CupAgeClassType, AgeClassType, TVP_F(CustomInformations), TVP_F(AssignedAgeClasses))
};

struct CompetitionTeamType {
    Owned<TeamType> Team;
    Owned<CompetitionType> Competition;
    TVP_FIELDS(CompetitionTeamType, TVP_F(Team), TVP_F(Competition))
};

struct CupTeamType {
    int TeamID = 0;
    QString Name;
    std::vector<CustomInformationType> CustomInformations;
    std::vector<CompetitionTeamType> AssignedTeams;
    TVP_FIELDS(CupTeamType, TVP_F(TeamID), TVP_F(Name), TVP_F(CustomInformations), TVP_F(AssignedTeams))
};

// A team standing for a cup team: only id and name carry over.
inline TeamType teamFromCupTeam(const CupTeamType& cupTeam)
{
    TeamType team;
    team.Name = cupTeam.Name;
    team.TeamID = cupTeam.TeamID;
    return team;
}

struct CompetitionAthleteType {
    Owned<AthleteType> Athlete;
    Owned<CompetitionType> Competition;
    TVP_FIELDS(CompetitionAthleteType, TVP_F(Athlete), TVP_F(Competition))
};

struct CupAthleteType : AthleteType {
    std::vector<CustomInformationType> CustomInformations;
    std::vector<CompetitionAthleteType> AssignedAthletes;
    TVP_FIELDS_DERIVED(CupAthleteType, AthleteType, TVP_F(CustomInformations), TVP_F(AssignedAthletes))
};

struct getCupAgeClassesResponse {
    std::vector<CupAgeClassType> CompletedCupAgeClasses;
    std::vector<CupAgeClassType> PendingCupAgeClasses;
    TVP_FIELDS(getCupAgeClassesResponse, TVP_F(CompletedCupAgeClasses), TVP_F(PendingCupAgeClasses))
};

struct getCupTeamsResponse {
    std::vector<CupTeamType> CompletedCupTeams;
    std::vector<CupTeamType> PendingCupTeams;
    TVP_FIELDS(getCupTeamsResponse, TVP_F(CompletedCupTeams), TVP_F(PendingCupTeams))
};

struct getCupAthletesResponse {
    std::vector<CupAthleteType> CompletedCupAthletes;
    std::vector<CupAthleteType> PendingCupAthletes;
    TVP_FIELDS(getCupAthletesResponse, TVP_F(CompletedCupAthletes), TVP_F(PendingCupAthletes))
};

struct FinisherType {
    Owned<CupAthleteType> Athlete;
    std::vector<CupTeamType> Teams;
    TVP_FIELDS(FinisherType, TVP_F(Athlete), TVP_F(Teams))
};

struct getFinisherTeamsResponse1 {
    std::vector<CupTeamType> Teams;
    bool PendingAgeClasses = false;
    bool PendingTeams = false;
    TVP_FIELDS(getFinisherTeamsResponse1, TVP_F(Teams), TVP_F(PendingAgeClasses), TVP_F(PendingTeams))
};

struct getFinisherAthletesResponse1 {
    std::vector<FinisherType> Finisher;
    bool PendingAgeClasses = false;
    bool PendingTeams = false;
    bool PendingAthletes = false;
    TVP_FIELDS(getFinisherAthletesResponse1, TVP_F(Finisher), TVP_F(PendingAgeClasses), TVP_F(PendingTeams),
               TVP_F(PendingAthletes))
};

// ---- Global and cup parameters ----

struct GlobalParametersInfoType {
    QString Key;
    double Value = 0;
    TVP_FIELDS(GlobalParametersInfoType, TVP_F(Key), TVP_F(Value))
};

struct GlobalParametersType : GlobalParametersInfoType {
    bool IsReadOnly = false;
    Owned<CupType> Cup;
    TVP_FIELDS_DERIVED(GlobalParametersType, GlobalParametersInfoType, TVP_F(IsReadOnly), TVP_F(Cup))
};

// ---- Result aggregators (scoring nodes) ----

struct ParameterType {
    TypeEnumType Type_ = TypeEnumType::type_double;
    QString Name;
    TVP_FIELDS(ParameterType, TVP_F(Type_), TVP_F(Name))
};

struct ResultAggregatorTemplateType {
    int ID = 0;
    QString Name;
    Owned<ResultTableType> SupportedInputs;
    std::vector<ParameterType> ParameterTypes;
    TVP_FIELDS(ResultAggregatorTemplateType, TVP_F(ID), TVP_F(Name), TVP_F(SupportedInputs), TVP_F(ParameterTypes))
};

struct getResultAggregatorInfoResponse1 {
    Owned<ResultAggregatorTemplateType> ResultAggregator;
    TVP_FIELDS(getResultAggregatorInfoResponse1, TVP_F(ResultAggregator))
};

struct ResultAggregatorInstanceInfoType {
    int TemplateID = 0;
    std::vector<int> ConnectedAggregators;
    std::vector<QString> Parameters;
    TVP_FIELDS(ResultAggregatorInstanceInfoType, TVP_F(TemplateID), TVP_F(ConnectedAggregators), TVP_F(Parameters))
};

struct ResultAggregatorInstanceType : ResultAggregatorInstanceInfoType {
    int ID = 0;
    Owned<proto::ResultTableType> ResultTableType;
    Owned<CupType> Cup;
    TVP_FIELDS_DERIVED(ResultAggregatorInstanceType, ResultAggregatorInstanceInfoType, TVP_F(ID),
                       TVP_F(ResultTableType), TVP_F(Cup))
};

struct AggregatorTreeNodeType {
    int ID = 0;
    Owned<ResultAggregatorInstanceType> AggregatorInfo;
    std::vector<AggregatorTreeNodeType> OutputConnections;
    TVP_FIELDS(AggregatorTreeNodeType, TVP_F(ID), TVP_F(AggregatorInfo), TVP_F(OutputConnections))
};

struct assignResultAggregatorWarningType {
    Owned<MixedAgeClassesWarningType> MixedAgeClassesWarning;
    TVP_FIELDS(assignResultAggregatorWarningType, TVP_F(MixedAgeClassesWarning))
};

struct modifyAssignedResultAggregatorWarningType {
    Owned<MixedAgeClassesWarningType> MixedAgeClassesWarning;
    TVP_FIELDS(modifyAssignedResultAggregatorWarningType, TVP_F(MixedAgeClassesWarning))
};

struct connectProviderToResultAggregatorWarningType {
    Owned<MixedAgeClassesWarningType> MixedAgeClassesWarning;
    TVP_FIELDS(connectProviderToResultAggregatorWarningType, TVP_F(MixedAgeClassesWarning))
};

struct assignResultAggregatorResponse1 {
    Owned<ResultAggregatorInstanceType> CreatedResultAggregator;
    Owned<assignResultAggregatorWarningType> Warnings;
    TVP_FIELDS(assignResultAggregatorResponse1, TVP_F(CreatedResultAggregator), TVP_F(Warnings))
};

struct modifyAssignedResultAggregatorResponse1 {
    Owned<modifyAssignedResultAggregatorWarningType> Warnings;
    TVP_FIELDS(modifyAssignedResultAggregatorResponse1, TVP_F(Warnings))
};

struct connectProviderToResultAggregatorResponse1 {
    Owned<connectProviderToResultAggregatorWarningType> Warnings;
    TVP_FIELDS(connectProviderToResultAggregatorResponse1, TVP_F(Warnings))
};

// ---- UI infos, aggregator collections, web-client sessions and server texts ----

struct setUiInfo {
    QString Key;
    QString Value;
    int AssotiatedId = 0;
    TVP_FIELDS(setUiInfo, TVP_F(Key), TVP_F(Value), TVP_F(AssotiatedId))
};

struct UiInfoKey {
    QString Key;
    int AssotiatedId = 0;
    TVP_FIELDS(UiInfoKey, TVP_F(Key), TVP_F(AssotiatedId))
};

struct UiInfoKeyValuePair {
    Owned<UiInfoKey> Key;
    QString Value;
    TVP_FIELDS(UiInfoKeyValuePair, TVP_F(Key), TVP_F(Value))
};

struct getUiInfoResponse1 {
    QString Value;
    TVP_FIELDS(getUiInfoResponse1, TVP_F(Value))
};

struct AggregatorCollectionInfoType {
    QString Name;
    std::vector<int> AggIds;
    std::vector<int> SpecialOrderIndices;
    TVP_FIELDS(AggregatorCollectionInfoType, TVP_F(Name), TVP_F(AggIds), TVP_F(SpecialOrderIndices))
};

struct aggregatorCollectionType : AggregatorCollectionInfoType {
    int Id = 0;
    TVP_FIELDS_DERIVED(aggregatorCollectionType, AggregatorCollectionInfoType, TVP_F(Id))
};

struct storeAggregatorCollectionResponse {
    Owned<aggregatorCollectionType> newAggregatorCollection;
    TVP_FIELDS(storeAggregatorCollectionResponse, TVP_F(newAggregatorCollection))
};

struct IDCollectionItemType {
    Owned<aggregatorCollectionType> IdCollection;
    Owned<CompetitionType> Competition;
    Owned<CupType> Cup;
    std::vector<UiInfoKeyValuePair> UIInfos;
    TVP_FIELDS(IDCollectionItemType, TVP_F(IdCollection), TVP_F(Competition), TVP_F(Cup), TVP_F(UIInfos))
};

struct SessionInformationsType {
    QString key;
    QString sessionInformation;
    TVP_FIELDS(SessionInformationsType, TVP_F(key), TVP_F(sessionInformation))
};

struct LanguageType {
    int LanguageId = 0;
    QString LanguageName;
    TVP_FIELDS(LanguageType, TVP_F(LanguageId), TVP_F(LanguageName))
};

struct ExceptionMessageType {
    int ExceptionID = 0;
    QString ExceptionMessage;
    TVP_FIELDS(ExceptionMessageType, TVP_F(ExceptionID), TVP_F(ExceptionMessage))
};

// ---- Facilities and schedule ----

struct DisciplinePlaceInfoDataType {
    QString Name;
    QString Comment;
    TVP_FIELDS(DisciplinePlaceInfoDataType, TVP_F(Name), TVP_F(Comment))
};

struct DisciplinePlaceInfoType : DisciplinePlaceInfoDataType {
    std::vector<DisciplinType> AssociatedDisciplines;
    TVP_FIELDS_DERIVED(DisciplinePlaceInfoType, DisciplinePlaceInfoDataType, TVP_F(AssociatedDisciplines))
};

struct DisciplinePlaceType : DisciplinePlaceInfoType {
    int DisciplinePlaceId = 0;
    TVP_FIELDS_DERIVED(DisciplinePlaceType, DisciplinePlaceInfoType, TVP_F(DisciplinePlaceId))
};

struct createDisciplinePlaceResponse {
    Owned<DisciplinePlaceType> DisciplinePlace;
    TVP_FIELDS(createDisciplinePlaceResponse, TVP_F(DisciplinePlace))
};

struct PlaceOfDisciplineType {
    int Id = 0;
    Owned<DisciplinType> Discipline;
    Owned<DisciplinePlaceType> Place;
    TVP_FIELDS(PlaceOfDisciplineType, TVP_F(Id), TVP_F(Discipline), TVP_F(Place))
};

struct SquadDisciplinePlaceType {
    Owned<SquadType> Squad;
    std::vector<PlaceOfDisciplineType> DisciplinePlaces;
    std::vector<DisciplinType> DisciplinesWithoutPlaces;
    TVP_FIELDS(SquadDisciplinePlaceType, TVP_F(Squad), TVP_F(DisciplinePlaces), TVP_F(DisciplinesWithoutPlaces))
};

struct ScheduleItemInfoDataType {
    XsTime Time;
    TVP_FIELDS(ScheduleItemInfoDataType, TVP_F(Time))
};

struct ScheduleItemInfoType : ScheduleItemInfoDataType {
    Owned<SquadType> Squad;
    Owned<PlaceOfDisciplineType> DisciplinePlace;
    TVP_FIELDS_DERIVED(ScheduleItemInfoType, ScheduleItemInfoDataType, TVP_F(Squad), TVP_F(DisciplinePlace))
};

struct ScheduleItemType : ScheduleItemInfoType {
    int ScheduleItemId = 0;
    TVP_FIELDS_DERIVED(ScheduleItemType, ScheduleItemInfoType, TVP_F(ScheduleItemId))
};

struct SquadScheduleItemType {
    Owned<SquadType> Squad;
    std::vector<ScheduleItemType> ScheduleItems;
    TVP_FIELDS(SquadScheduleItemType, TVP_F(Squad), TVP_F(ScheduleItems))
};

struct DisciplineScheduleItemType {
    Owned<DisciplinePlaceType> DisciplinePlace;
    std::vector<ScheduleItemType> ScheduleItems;
    TVP_FIELDS(DisciplineScheduleItemType, TVP_F(DisciplinePlace), TVP_F(ScheduleItems))
};

// ---- Tooling ----

struct mergePDFResponse {
    Base64Binary pdfDocBase64;
    TVP_FIELDS(mergePDFResponse, TVP_F(pdfDocBase64))
};

// ---- LADV competition exchange ----

struct TCompetitionType {
    QString Name;
    QString LADVID;
    TVP_FIELDS(TCompetitionType, TVP_F(Name), TVP_F(LADVID))
};

struct CompetitionListItemType {
    Owned<TCompetitionType> competition;
    TCompetitionStatusType competitionStatus = TCompetitionStatusType::created;
    TVP_FIELDS(CompetitionListItemType, TVP_F(competition), TVP_F(competitionStatus))
};

struct CompetitionList {
    std::vector<CompetitionListItemType> competitionToPublish;
    TVP_FIELDS(CompetitionList, TVP_F(competitionToPublish))
};

// ---- Named arrays and array results ----

using ParameterTypes = std::vector<ParameterType>;
using AggregatorTreeNodeTypes = std::vector<AggregatorTreeNodeType>;
using CupAgeClassTypes = std::vector<CupAgeClassType>;
using CupTeamTypes = std::vector<CupTeamType>;
using CupAthleteTypes = std::vector<CupAthleteType>;
using CompetitionAgeClassTypes = std::vector<CompetitionAgeClassType>;
using CompetitionTeamTypes = std::vector<CompetitionTeamType>;
using CompetitionAthleteTypes = std::vector<CompetitionAthleteType>;
using CustomInformationTypes = std::vector<CustomInformationType>;
using CustomInformationsDataTypes = std::vector<CustomInformationsDataType>;
using FinisherTypes = std::vector<FinisherType>;
using GlobalParametersInfoTypes = std::vector<GlobalParametersInfoType>;
using UiInfoKeyValuePairs = std::vector<UiInfoKeyValuePair>;
using PlaceOfDisciplineTypes = std::vector<PlaceOfDisciplineType>;
using ScheduleItemTypes = std::vector<ScheduleItemType>;
using AssociatedDisciplineTypes = std::vector<DisciplinType>;
using SessionInformationsTypes = std::vector<SessionInformationsType>;

using getResultAggregatorsResponse1 = std::vector<ResultAggregatorTemplateType>;
using getResultAggregatorTreeResponse1 = std::vector<AggregatorTreeNodeType>;
using getCupAggregatorsResponse = std::vector<AggregatorTreeNodeType>;
using getCupsResponse = std::vector<CupType>;
using getCustomCupColumnsResponse = std::vector<CustomColumnType>;
using getGlobalParametersResponse = std::vector<GlobalParametersType>;
using getUiInfosResponse1 = std::vector<UiInfoKeyValuePair>;
using getUiInfos = std::vector<UiInfoKey>;
using getAggregatorCollectionResponse4 = std::vector<aggregatorCollectionType>;
using getAllCollectionsResponse = std::vector<IDCollectionItemType>;
using getSessionInformationResponse = std::vector<SessionInformationsType>;
using getDisciplinePlacesResponse = std::vector<DisciplinePlaceType>;
using getSquadScheduleResponse = std::vector<SquadScheduleItemType>;
using getDisciplineScheduleResponse = std::vector<DisciplineScheduleItemType>;
using getPossibleDisciplinePlacesResponse = std::vector<SquadDisciplinePlaceType>;
using getLanguagesResponse1 = std::vector<LanguageType>;
using getExceptionMessagesResponse1 = std::vector<ExceptionMessageType>;

} // namespace tvp::proto
