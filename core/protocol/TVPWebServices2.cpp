#include "core/protocol/TVPWebServices2.h"

namespace tvp::proto {

using codec::arg;

namespace {
constexpr std::string_view M = wire::kMainNs;
constexpr std::string_view P = wire::kProgramInfoNs;

QString addressOr(bool useWsdl, const QString& addr, const QString& serviceName)
{
    if (!addr.isEmpty())
        return addr;
    return useWsdl ? QString() : defaultServiceAddress(serviceName);
}
} // namespace

PortTypeBase::PortTypeBase(THTTPRIO* rio, QString address)
    : ownRio_(rio ? nullptr : std::make_unique<THTTPRIO>()),
      rio_(rio ? rio : ownRio_.get()),
      address_(address.toStdString())
{
    // A proxy of its own is the way of the blocking calls made on the GUI thread.
    if (ownRio_ && onGuiThread())
        ownRio_->totalTimeoutMs = ownProxyTimeoutMs;
}

QString defaultServiceAddress(const QString& serviceName)
{
    return QStringLiteral("http://127.0.0.1:8080/TrivantaPentrel/services/") + serviceName;
}

// ---- CompetitionManagementPortType ----

createDisciplinResponse CompetitionManagementPortType::createDisciplin(RecordArg<DisciplinInfoType> DisciplinInfo,
                                                                       int CompetitionID)
{
    return call<createDisciplinResponse>(M, "createDisciplin", arg("DisciplinInfo", DisciplinInfo),
                                         arg("CompetitionID", CompetitionID));
}

assignResultAggregatorResponse1
CompetitionManagementPortType::assignResultAggregator(RecordArg<ResultAggregatorInstanceInfoType> ResultAggregator)
{
    return call<assignResultAggregatorResponse1>(M, "assignResultAggregator",
                                                 arg("ResultAggregator", ResultAggregator));
}

void CompetitionManagementPortType::removeResultAggregator(int ResultAggregatorID, bool forceRemove)
{
    call<void>(M, "removeResultAggregator", arg("ResultAggregatorID", ResultAggregatorID),
               arg("forceRemove", forceRemove));
}

void CompetitionManagementPortType::removeDisciplin(int DisciplinID, bool forceRemove, bool forceRemoveScheduleItems)
{
    call<void>(M, "removeDisciplin", arg("DisciplinID", DisciplinID), arg("forceRemove", forceRemove),
               arg("forceRemoveScheduleItems", forceRemoveScheduleItems));
}

createAgeClassResponse1 CompetitionManagementPortType::createAgeClass(RecordArg<AgeClassInfoType> AgeClassInfo,
                                                                      int CompetitionID)
{
    return call<createAgeClassResponse1>(M, "createAgeClass", arg("AgeClassInfo", AgeClassInfo),
                                         arg("CompetitionID", CompetitionID));
}

void CompetitionManagementPortType::removeAgeClass(int AgeClassID)
{
    call<void>(M, "removeAgeClass", arg("AgeClassID", AgeClassID));
}

void CompetitionManagementPortType::removeAthlete(int AthleteID, bool forceRemove)
{
    call<void>(M, "removeAthlete", arg("AthleteID", AthleteID), arg("forceRemove", forceRemove));
}

void CompetitionManagementPortType::removeTeam(int TeamID, bool forceRemove)
{
    call<void>(M, "removeTeam", arg("TeamID", TeamID), arg("forceRemove", forceRemove));
}

createCompetitionResponse1
CompetitionManagementPortType::createCompetition(RecordArg<CompetitionInfoType> CompetitionInfo)
{
    return call<createCompetitionResponse1>(M, "createCompetition", arg("CompetitionInfo", CompetitionInfo));
}

void CompetitionManagementPortType::removeCompetition(int CompetitionID)
{
    call<void>(M, "removeCompetition", arg("CompetitionID", CompetitionID));
}

modifyDisciplinResponse1
CompetitionManagementPortType::modifyDisciplin(int DisciplinId, RecordArg<DisciplinInfoType> DisciplinInfo,
                                               bool forceModify, bool forceAgeClass, bool forceReassignResults,
                                               bool forceRemoveAssignedResults, bool forceChangeResultType)
{
    return call<modifyDisciplinResponse1>(M, "modifyDisciplin", arg("DisciplinId", DisciplinId),
                                          arg("DisciplinInfo", DisciplinInfo), arg("forceModify", forceModify),
                                          arg("forceAgeClass", forceAgeClass),
                                          arg("forceReassignResults", forceReassignResults),
                                          arg("forceRemoveAssignedResults", forceRemoveAssignedResults),
                                          arg("forceChangeResultType", forceChangeResultType));
}

void CompetitionManagementPortType::modifyAgeClass(int AgeClassID, RecordArg<AgeClassInfoType> AgeClassInfo)
{
    call<void>(M, "modifyAgeClass", arg("AgeClassID", AgeClassID), arg("AgeClassInfo", AgeClassInfo));
}

void CompetitionManagementPortType::modifyCompetition(int CompetitionID, RecordArg<CompetitionInfoType> CompetitionInfo)
{
    call<void>(M, "modifyCompetition", arg("CompetitionID", CompetitionID), arg("CompetitionInfo", CompetitionInfo));
}

void CompetitionManagementPortType::setUiInfo(const QString& Key, const QString& Value, int AssotiatedId)
{
    call<void>(M, "setUiInfo", arg("Key", Key), arg("Value", Value), arg("AssotiatedId", AssotiatedId));
}

modifyAssignedResultAggregatorResponse1 CompetitionManagementPortType::modifyAssignedResultAggregator(
    int AggregatorId, RecordArg<ResultAggregatorInstanceInfoType> aggregatorInfo)
{
    return call<modifyAssignedResultAggregatorResponse1>(
        M, "modifyAssignedResultAggregator", arg("AggregatorId", AggregatorId), arg("aggregatorInfo", aggregatorInfo));
}

connectProviderToResultAggregatorResponse1
CompetitionManagementPortType::connectProviderToResultAggregator(int AggregatorId, int ProviderId)
{
    return call<connectProviderToResultAggregatorResponse1>(
        M, "connectProviderToResultAggregator", arg("AggregatorId", AggregatorId), arg("ProviderId", ProviderId));
}

void CompetitionManagementPortType::disconnectProviderFromResultAggregator(int AggregatorId, int ProviderId)
{
    call<void>(M, "disconnectProviderFromResultAggregator", arg("AggregatorId", AggregatorId),
               arg("ProviderId", ProviderId));
}

void CompetitionManagementPortType::setGlobalParameter(int CompetitionId, const GlobalParametersInfoTypes& Parameters)
{
    call<void>(M, "setGlobalParameter", arg("CompetitionId", CompetitionId), arg("Parameters", Parameters));
}

void CompetitionManagementPortType::removeGlobalParameter(int CompetitionId, const QString& Key,
                                                          bool forceUsedParameter)
{
    call<void>(M, "removeGlobalParameter", arg("CompetitionId", CompetitionId), arg("Key", Key),
               arg("forceUsedParameter", forceUsedParameter));
}

void CompetitionManagementPortType::beginTransaction(bool readonly)
{
    call<void>(M, "beginTransaction", arg("readonly", readonly));
}

void CompetitionManagementPortType::commitTransaction()
{
    call<void>(M, "commitTransaction");
}

void CompetitionManagementPortType::rollbackTransaction()
{
    call<void>(M, "rollbackTransaction");
}

exportCompetitionResponse1 CompetitionManagementPortType::exportCompetition(int CompetitionID, bool AsTemplate)
{
    return call<exportCompetitionResponse1>(M, "exportCompetition", arg("CompetitionID", CompetitionID),
                                            arg("AsTemplate", AsTemplate));
}

importCompetitionResponse1 CompetitionManagementPortType::importCompetition(const QString& CompetitionName,
                                                                            const XsDate& CompetitionDate,
                                                                            const QString& XmlStream)
{
    return call<importCompetitionResponse1>(M, "importCompetition", arg("CompetitionName", CompetitionName),
                                            arg("CompetitionDate", CompetitionDate), arg("XmlStream", XmlStream));
}

importCompetitionResponse1 CompetitionManagementPortType::importCompetition(const QString& XmlStream)
{
    return call<importCompetitionResponse1>(M, "importCompetition", arg("XmlStream", XmlStream));
}

void CompetitionManagementPortType::removeSquad(int squadID, bool forceRemove, bool forceRemoveScheduleItem)
{
    call<void>(M, "removeSquad", arg("squadID", squadID), arg("forceRemove", forceRemove),
               arg("forceRemoveScheduleItem", forceRemoveScheduleItem));
}

void CompetitionManagementPortType::removeClub(int ClubID, bool ForceRemoveAthlete, bool ForceRemoveBilling)
{
    call<void>(M, "removeClub", arg("ClubID", ClubID), arg("ForceRemoveAthlete", ForceRemoveAthlete),
               arg("ForceRemoveBilling", ForceRemoveBilling));
}

void CompetitionManagementPortType::importParticipants(int competitionId,
                                                       ParticipantsImportStreamFormatType importStreamFormat,
                                                       const QString& importStream)
{
    call<void>(M, "importParticipants", arg("competitionId", competitionId),
               arg("importStreamFormat", importStreamFormat), arg("importStream", importStream));
}

void CompetitionManagementPortType::setBillingPrice(int competitionId, double BillingPricePerAthlete)
{
    call<void>(M, "setBillingPrice", arg("competitionId", competitionId),
               arg("BillingPricePerAthlete", BillingPricePerAthlete));
}

createDisciplinePlaceResponse
CompetitionManagementPortType::createDisciplinePlace(RecordArg<DisciplinePlaceInfoDataType> DisciplinePlaceInfo,
                                                     const IDTypes& AssociatedDisciplines, int CompetitionId)
{
    return call<createDisciplinePlaceResponse>(
        M, "createDisciplinePlace", arg("DisciplinePlaceInfo", DisciplinePlaceInfo),
        arg("AssociatedDisciplines", AssociatedDisciplines), arg("CompetitionId", CompetitionId));
}

void CompetitionManagementPortType::modifyDisciplinePlace(int DisciplinePlaceId,
                                                          RecordArg<DisciplinePlaceInfoDataType> DisciplinePlaceInfo,
                                                          const IDTypes& AssociatedDisciplines,
                                                          bool forceRemoveScheduleItems)
{
    call<void>(M, "modifyDisciplinePlace", arg("DisciplinePlaceId", DisciplinePlaceId),
               arg("DisciplinePlaceInfo", DisciplinePlaceInfo), arg("AssociatedDisciplines", AssociatedDisciplines),
               arg("forceRemoveScheduleItems", forceRemoveScheduleItems));
}

void CompetitionManagementPortType::removeDisciplinePlace(int DisciplinePlaceId, bool ForceRemoveScheduleItem)
{
    call<void>(M, "removeDisciplinePlace", arg("DisciplinePlaceId", DisciplinePlaceId),
               arg("ForceRemoveScheduleItem", ForceRemoveScheduleItem));
}

ScheduleItemType CompetitionManagementPortType::setScheduleItem(RecordArg<ScheduleItemInfoDataType> ScheduleItemInfo,
                                                                int SquadId, int DisciplinePlaceMapId)
{
    return call<ScheduleItemType>(M, "setScheduleItem", arg("ScheduleItemInfo", ScheduleItemInfo),
                                  arg("SquadId", SquadId), arg("DisciplinePlaceMapId", DisciplinePlaceMapId));
}

void CompetitionManagementPortType::removeScheduleItem(int ScheduleItemId)
{
    call<void>(M, "removeScheduleItem", arg("ScheduleItemId", ScheduleItemId));
}

// ---- DisciplinSetupPortType ----

void DisciplinSetupPortType::assignAthleteToHeat(int AthleteOrTeamID, int DisciplinID, int HeatNo,
                                                 bool forceRemoveAssignedResults)
{
    call<void>(M, "assignAthleteToHeat", arg("AthleteOrTeamID", AthleteOrTeamID), arg("DisciplinID", DisciplinID),
               arg("HeatNo", HeatNo), arg("forceRemoveAssignedResults", forceRemoveAssignedResults));
}

setPositionResponse1 DisciplinSetupPortType::setPosition(int DisciplinID, const PosAssignmentsTypes& Assignments,
                                                         bool forceRemoveAssignedResults)
{
    return call<setPositionResponse1>(M, "setPosition", arg("DisciplinID", DisciplinID),
                                      arg("Assignments", Assignments),
                                      arg("forceRemoveAssignedResults", forceRemoveAssignedResults));
}

void DisciplinSetupPortType::assignSquadsToDisc(AssignmentType Assignment, int DisciplinID, const IDTypes& SquadIDs,
                                                bool forceAgeClass, bool forceRemoveAssignedResults)
{
    call<void>(M, "assignSquadsToDisc", arg("Assignment", Assignment), arg("DisciplinID", DisciplinID),
               arg("SquadIDs", SquadIDs), arg("forceAgeClass", forceAgeClass),
               arg("forceRemoveAssignedResults", forceRemoveAssignedResults));
}

void DisciplinSetupPortType::setParticipantListLock(int disciplinID, LockType lock)
{
    call<void>(M, "setParticipantListLock", arg("disciplinID", disciplinID), arg("lock", lock));
}

// ---- DataAquisitionPortType ----

setResultResponse1 DataAquisitionPortType::setResult(int DisciplinID, int AthleteBib, bool removeAmbiguousResults,
                                                     RecordArg<LaneHeatType> LaneHeat, int AthleteId, int TeamId,
                                                     RecordArg<ResultType> DiscResult, int Attempt)
{
    return call<setResultResponse1>(M, "setResult", arg("DisciplinID", DisciplinID), arg("AthleteBib", AthleteBib),
                                    arg("removeAmbiguousResults", removeAmbiguousResults), arg("LaneHeat", LaneHeat),
                                    arg("AthleteId", AthleteId), arg("TeamId", TeamId), arg("DiscResult", DiscResult),
                                    arg("Attempt", Attempt));
}

setResultResponse1 DataAquisitionPortType::setResult(int DisciplinID, int AthleteBib, RecordArg<LaneHeatType> LaneHeat,
                                                     int AthleteId, int TeamId, RecordArg<ResultType> DiscResult,
                                                     int Attempt)
{
    return call<setResultResponse1>(M, "setResult", arg("DisciplinID", DisciplinID), arg("AthleteBib", AthleteBib),
                                    arg("LaneHeat", LaneHeat), arg("AthleteId", AthleteId), arg("TeamId", TeamId),
                                    arg("DiscResult", DiscResult), arg("Attempt", Attempt));
}

addAthleteResponse1 DataAquisitionPortType::addAthlete(RecordArg<AthleteInfoDataType> AthleteInfo, int TeamId,
                                                       int CompetitionID, bool AllowReassignBibs, int ClubID)
{
    return call<addAthleteResponse1>(M, "addAthlete", arg("AthleteInfo", AthleteInfo), arg("TeamId", TeamId),
                                     arg("CompetitionID", CompetitionID), arg("AllowReassignBibs", AllowReassignBibs),
                                     arg("ClubID", ClubID));
}

addTeamResponse1 DataAquisitionPortType::addTeam(RecordArg<TeamInfoDataType> TeamInfo, int AgeClassID,
                                                 int BillingClubID)
{
    return call<addTeamResponse1>(M, "addTeam", arg("TeamInfo", TeamInfo), arg("AgeClassID", AgeClassID),
                                  arg("BillingClubID", BillingClubID));
}

AthleteType DataAquisitionPortType::assignBibToAthlete(int bib, int AthleteID)
{
    return call<AthleteType>(M, "assignBibToAthlete", arg("bib", bib), arg("AthleteID", AthleteID));
}

void DataAquisitionPortType::modifyAthlete(int AthleteID, RecordArg<AthleteInfoDataType> AthleteInfo, bool RemoveTeam,
                                           int TeamID, bool AllowReassignBibs, bool ForceRemoveBibs,
                                           bool ForceAmbiguousBibs, bool ForceAmbiguousBibTeam,
                                           bool forceRemoveAssignedResults, bool RemoveClub, int ClubID)
{
    call<void>(M, "modifyAthlete", arg("AthleteID", AthleteID), arg("AthleteInfo", AthleteInfo),
               arg("RemoveTeam", RemoveTeam), arg("TeamID", TeamID), arg("AllowReassignBibs", AllowReassignBibs),
               arg("ForceRemoveBibs", ForceRemoveBibs), arg("ForceAmbiguousBibs", ForceAmbiguousBibs),
               arg("ForceAmbiguousBibTeam", ForceAmbiguousBibTeam),
               arg("forceRemoveAssignedResults", forceRemoveAssignedResults), arg("RemoveClub", RemoveClub),
               arg("ClubID", ClubID));
}

void DataAquisitionPortType::modifyTeam(int TeamID, RecordArg<TeamInfoDataType> TeamInfo, int ageClassID,
                                        bool forceAgeClass, bool RemoveBillingClub, int BillingClubID)
{
    call<void>(M, "modifyTeam", arg("TeamID", TeamID), arg("TeamInfo", TeamInfo), arg("ageClassID", ageClassID),
               arg("forceAgeClass", forceAgeClass), arg("RemoveBillingClub", RemoveBillingClub),
               arg("BillingClubID", BillingClubID));
}

addSquadResponse DataAquisitionPortType::addSquad(int CompetitionID, RecordArg<SquadInfoDataType> SquadInfo,
                                                  int AgeClassID, const IDTypes& AssignedTeamIDs,
                                                  bool forceTeamReassignment, bool forceRemoveAssignedResults)
{
    return call<addSquadResponse>(M, "addSquad", arg("CompetitionID", CompetitionID), arg("SquadInfo", SquadInfo),
                                  arg("AgeClassID", AgeClassID), arg("AssignedTeamIDs", AssignedTeamIDs),
                                  arg("forceTeamReassignment", forceTeamReassignment),
                                  arg("forceRemoveAssignedResults", forceRemoveAssignedResults));
}

void DataAquisitionPortType::modifySquad(int SquadID, RecordArg<SquadInfoDataType> SquadInfo, int AgeClassID,
                                         const IDTypes& AssignedTeamIDs, bool forceTeamReassignment,
                                         bool forceAgeClassDisc, bool forceAgeClassTeam, bool forceOrderIndex,
                                         bool forceRemoveAssignedResults)
{
    call<void>(M, "modifySquad", arg("SquadID", SquadID), arg("SquadInfo", SquadInfo), arg("AgeClassID", AgeClassID),
               arg("AssignedTeamIDs", AssignedTeamIDs), arg("forceTeamReassignment", forceTeamReassignment),
               arg("forceAgeClassDisc", forceAgeClassDisc), arg("forceAgeClassTeam", forceAgeClassTeam),
               arg("forceOrderIndex", forceOrderIndex), arg("forceRemoveAssignedResults", forceRemoveAssignedResults));
}

void DataAquisitionPortType::removeBibFromAthlete(int Bib)
{
    call<void>(M, "removeBibFromAthlete", arg("Bib", Bib));
}

addClubResponse1 DataAquisitionPortType::addClub(int CompetitionID, RecordArg<ClubInfoDataType> ClubInfo)
{
    return call<addClubResponse1>(M, "addClub", arg("CompetitionID", CompetitionID), arg("ClubInfo", ClubInfo));
}

void DataAquisitionPortType::modifyClub(int ClubID, RecordArg<ClubInfoDataType> ClubInfo)
{
    call<void>(M, "modifyClub", arg("ClubID", ClubID), arg("ClubInfo", ClubInfo));
}

void DataAquisitionPortType::setBibToAthlete(int AthleteID, int Bib)
{
    call<void>(M, "setBibToAthlete", arg("AthleteID", AthleteID), arg("Bib", Bib));
}

void DataAquisitionPortType::shiftRanking(int DisciplineID, int Attempt, int StartRank, int Offset)
{
    call<void>(M, "shiftRanking", arg("DisciplineID", DisciplineID), arg("Attempt", Attempt),
               arg("StartRank", StartRank), arg("Offset", Offset));
}

allocateBlancAthleteBarcodeResponse1 DataAquisitionPortType::allocateBlancAthleteBarcode(int CompetitionID, int Count)
{
    return call<allocateBlancAthleteBarcodeResponse1>(M, "allocateBlancAthleteBarcode",
                                                      arg("CompetitionID", CompetitionID), arg("Count", Count));
}

void DataAquisitionPortType::flipAthleteNames(const IDTypes& athleteIds)
{
    call<void>(M, "flipAthleteNames", arg("athleteIds", athleteIds));
}

// ---- DataRetrievalPortType ----

getAthletesResponse1 DataRetrievalPortType::getAthletes(int CompetitionID, int AgeClassID, int TeamID, int Bib,
                                                        RecordArg<StringSearchType> GivenName,
                                                        RecordArg<StringSearchType> SurName, int DisciplinID)
{
    return call<getAthletesResponse1>(
        M, "getAthletes", arg("CompetitionID", CompetitionID), arg("AgeClassID", AgeClassID), arg("TeamID", TeamID),
        arg("Bib", Bib), arg("GivenName", GivenName), arg("SurName", SurName), arg("DisciplinID", DisciplinID));
}

getAthleteInfoResponse1 DataRetrievalPortType::getAthleteInfo(int AthletID, int CompetitionId, int CustomAthleteBarcode,
                                                              int AthleteBarcodeId)
{
    return call<getAthleteInfoResponse1>(
        M, "getAthleteInfo", arg("AthletID", AthletID), arg("CompetitionId", CompetitionId),
        arg("CustomAthleteBarcode", CustomAthleteBarcode), arg("AthleteBarcodeId", AthleteBarcodeId));
}

getTeamsResponse1 DataRetrievalPortType::getTeams(int CompetitionID, int AgeClassID, RecordArg<StringSearchType> Name,
                                                  int DisciplinID)
{
    return call<getTeamsResponse1>(M, "getTeams", arg("CompetitionID", CompetitionID), arg("AgeClassID", AgeClassID),
                                   arg("Name", Name), arg("DisciplinID", DisciplinID));
}

getTeamInfoResponse1 DataRetrievalPortType::getTeamInfo(int TeamID, int CompetitionId, int TeamBarcodeId)
{
    return call<getTeamInfoResponse1>(M, "getTeamInfo", arg("TeamID", TeamID), arg("CompetitionId", CompetitionId),
                                      arg("TeamBarcodeId", TeamBarcodeId));
}

getAgeClassesResponse1 DataRetrievalPortType::getAgeClasses(int CompetitionID, RecordArg<StringSearchType> Name)
{
    return call<getAgeClassesResponse1>(M, "getAgeClasses", arg("CompetitionID", CompetitionID), arg("Name", Name));
}

getAgeClassInfoResponse1 DataRetrievalPortType::getAgeClassInfo(int AgeClassID, int CompetitionId,
                                                                int AgeClassBarcodeId)
{
    return call<getAgeClassInfoResponse1>(M, "getAgeClassInfo", arg("AgeClassID", AgeClassID),
                                          arg("CompetitionId", CompetitionId),
                                          arg("AgeClassBarcodeId", AgeClassBarcodeId));
}

getDisciplinesResponse1 DataRetrievalPortType::getDisciplines(int CompetitionID, RecordArg<StringSearchType> Name,
                                                              int AgeClassID)
{
    return call<getDisciplinesResponse1>(M, "getDisciplines", arg("CompetitionID", CompetitionID), arg("Name", Name),
                                         arg("AgeClassID", AgeClassID));
}

getDisciplineInfoResponse1 DataRetrievalPortType::getDisciplineInfo(int DisciplinID, int CompetitionId,
                                                                    int DisciplineBarcodeId)
{
    return call<getDisciplineInfoResponse1>(M, "getDisciplineInfo", arg("DisciplinID", DisciplinID),
                                            arg("CompetitionId", CompetitionId),
                                            arg("DisciplineBarcodeId", DisciplineBarcodeId));
}

getResultAggregatorsResponse1 DataRetrievalPortType::getResultAggregators(int CompetitionID,
                                                                          RecordArg<StringSearchType> Name,
                                                                          RecordArg<ResultTableType> SupportedInput)
{
    return call<getResultAggregatorsResponse1>(M, "getResultAggregators", arg("CompetitionID", CompetitionID),
                                               arg("Name", Name), arg("SupportedInput", SupportedInput));
}

getResultAggregatorInfoResponse1 DataRetrievalPortType::getResultAggregatorInfo(int ResultAggregatorID)
{
    return call<getResultAggregatorInfoResponse1>(M, "getResultAggregatorInfo",
                                                  arg("ResultAggregatorID", ResultAggregatorID));
}

getResultTableResponse1 DataRetrievalPortType::getResultTable(int ResultProviderID)
{
    return call<getResultTableResponse1>(M, "getResultTable", arg("ResultProviderID", ResultProviderID));
}

getDisciplinParticipantsResponse1 DataRetrievalPortType::getDisciplinParticipants(int DisciplinID, int HeatNo)
{
    return call<getDisciplinParticipantsResponse1>(M, "getDisciplinParticipants", arg("DisciplinID", DisciplinID),
                                                   arg("HeatNo", HeatNo));
}

getCompetitionsResponse1 DataRetrievalPortType::getCompetitions()
{
    return call<getCompetitionsResponse1>(M, "getCompetitions");
}

getUiInfoResponse1 DataRetrievalPortType::getUiInfo(const QString& Key, int AssotiatedId)
{
    return call<getUiInfoResponse1>(M, "getUiInfo", arg("Key", Key), arg("AssotiatedId", AssotiatedId));
}

getResultAggregatorTreeResponse1 DataRetrievalPortType::getResultAggregatorTree(int DisciplinId, int CompetitionId)
{
    return call<getResultAggregatorTreeResponse1>(M, "getResultAggregatorTree", arg("DisciplinId", DisciplinId),
                                                  arg("CompetitionId", CompetitionId));
}

getUiInfosResponse1 DataRetrievalPortType::getUiInfos(const proto::getUiInfos& Keys)
{
    return call<getUiInfosResponse1>(M, "getUiInfos", arg("Keys", Keys));
}

getToplevelSourceDisciplinesResponse1 DataRetrievalPortType::getToplevelSourceDisciplines(int ResultAggregatorId)
{
    return call<getToplevelSourceDisciplinesResponse1>(M, "getToplevelSourceDisciplines",
                                                       arg("ResultAggregatorId", ResultAggregatorId));
}

getLanguagesResponse1 DataRetrievalPortType::getLanguages()
{
    return call<getLanguagesResponse1>(M, "getLanguages");
}

getExceptionMessagesResponse1 DataRetrievalPortType::getExceptionMessages(int LanguageId)
{
    return call<getExceptionMessagesResponse1>(M, "getExceptionMessages", arg("LanguageId", LanguageId));
}

getGlobalParametersResponse DataRetrievalPortType::getGlobalParameters(int CompetitionId)
{
    return call<getGlobalParametersResponse>(M, "getGlobalParameters", arg("CompetitionId", CompetitionId));
}

getSquadsResponse DataRetrievalPortType::getSquads(int CompetitionID, int AgeClassID, int DisciplinID)
{
    return call<getSquadsResponse>(M, "getSquads", arg("CompetitionID", CompetitionID), arg("AgeClassID", AgeClassID),
                                   arg("DisciplinID", DisciplinID));
}

getSquadDiscAssignmentsResponse DataRetrievalPortType::getSquadDiscAssignments(int DisciplinID)
{
    return call<getSquadDiscAssignmentsResponse>(M, "getSquadDiscAssignments", arg("DisciplinID", DisciplinID));
}

getClubsResponse1 DataRetrievalPortType::getClubs(int CompetitionID)
{
    return call<getClubsResponse1>(M, "getClubs", arg("CompetitionID", CompetitionID));
}

getClubBillingResponse1 DataRetrievalPortType::getClubBilling(int CompetitionID)
{
    return call<getClubBillingResponse1>(M, "getClubBilling", arg("CompetitionID", CompetitionID));
}

getBibRankingResponse1 DataRetrievalPortType::getBibRanking(int DisciplineID, int Attempt)
{
    return call<getBibRankingResponse1>(M, "getBibRanking", arg("DisciplineID", DisciplineID), arg("Attempt", Attempt));
}

CheckAmbiguousBibResultsResponse1 DataRetrievalPortType::checkAmbiguousBibResults(const IDTypes& ResultProviderIDs)
{
    return call<CheckAmbiguousBibResultsResponse1>(M, "checkAmbiguousBibResults",
                                                   arg("ResultProviderIDs", ResultProviderIDs));
}

checkParticipantConstraintsResponse DataRetrievalPortType::checkParticipantConstraints(const IDTypes& ResultProviderIDs,
                                                                                       int CompetitionId)
{
    return call<checkParticipantConstraintsResponse>(M, "checkParticipantConstraints",
                                                     arg("ResultProviderIDs", ResultProviderIDs),
                                                     arg("CompetitionId", CompetitionId));
}

getBillingPriceResponse DataRetrievalPortType::getBillingPrice(int competitionId, PriceType priceType)
{
    return call<getBillingPriceResponse>(M, "getBillingPrice", arg("competitionId", competitionId),
                                         arg("priceType", priceType));
}

getDisciplinePlacesResponse DataRetrievalPortType::getDisciplinePlaces(int CompetitionId, int DisciplineId, int SquadId)
{
    return call<getDisciplinePlacesResponse>(M, "getDisciplinePlaces", arg("CompetitionId", CompetitionId),
                                             arg("DisciplineId", DisciplineId), arg("SquadId", SquadId));
}

getSquadScheduleResponse DataRetrievalPortType::getSquadSchedule(int CompetitionId, int SquadId)
{
    return call<getSquadScheduleResponse>(M, "getSquadSchedule", arg("CompetitionId", CompetitionId),
                                          arg("SquadId", SquadId));
}

getDisciplineScheduleResponse DataRetrievalPortType::getDisciplineSchedule(int CompetitionId, int DisciplineId,
                                                                           int DisciplinePlaceMapId)
{
    return call<getDisciplineScheduleResponse>(M, "getDisciplineSchedule", arg("CompetitionId", CompetitionId),
                                               arg("DisciplineId", DisciplineId),
                                               arg("DisciplinePlaceMapId", DisciplinePlaceMapId));
}

getPossibleDisciplinePlacesResponse DataRetrievalPortType::getPossibleDisciplinePlaces(int CompetitionId,
                                                                                       const IDTypes& SquadId)
{
    return call<getPossibleDisciplinePlacesResponse>(M, "getPossibleDisciplinePlaces",
                                                     arg("CompetitionId", CompetitionId), arg("SquadId", SquadId));
}

getAthletesWithoutValidSingleResultsResponse
DataRetrievalPortType::getAthletesWithoutValidSingleResults(const IDTypes& ResultProviderIDs)
{
    return call<getAthletesWithoutValidSingleResultsResponse>(M, "getAthletesWithoutValidSingleResults",
                                                              arg("ResultProviderIDs", ResultProviderIDs));
}

getMissingResultsResponse DataRetrievalPortType::getMissingResults(const IDTypes& ResultProviderIDs, int CompetitionId)
{
    return call<getMissingResultsResponse>(M, "getMissingResults", arg("ResultProviderIDs", ResultProviderIDs),
                                           arg("CompetitionId", CompetitionId));
}

checkResultPlausibilityResponse DataRetrievalPortType::checkResultPlausibility(const IDTypes& ResultProviderIDs,
                                                                               int CompetitionId)
{
    return call<checkResultPlausibilityResponse>(
        M, "checkResultPlausibility", arg("ResultProviderIDs", ResultProviderIDs), arg("CompetitionId", CompetitionId));
}

checkResultRankingPlausibilityResponse
DataRetrievalPortType::checkResultRankingPlausibility(const IDTypes& ResultProviderIDs, int CompetitionId)
{
    return call<checkResultRankingPlausibilityResponse>(M, "checkResultRankingPlausibility",
                                                        arg("ResultProviderIDs", ResultProviderIDs),
                                                        arg("CompetitionId", CompetitionId));
}

// ---- UiStorePortType ----

storeAggregatorCollectionResponse
UiStorePortType::storeAggregatorCollection(int competitionId, int cupId,
                                           RecordArg<AggregatorCollectionInfoType> aggregatorCollection)
{
    return call<storeAggregatorCollectionResponse>(M, "storeAggregatorCollection", arg("competitionId", competitionId),
                                                   arg("cupId", cupId),
                                                   arg("aggregatorCollection", aggregatorCollection));
}

void UiStorePortType::modifyAggregatorCollection(int Id, RecordArg<AggregatorCollectionInfoType> AggregatorCollection)
{
    call<void>(M, "modifyAggregatorCollection", arg("Id", Id), arg("AggregatorCollection", AggregatorCollection));
}

void UiStorePortType::removeAggregatorCollection(int id)
{
    call<void>(M, "removeAggregatorCollection", arg("id", id));
}

void UiStorePortType::modifyAggregatorCollectionSortOrder(int Id, const IDTypes& IdOrder)
{
    call<void>(M, "modifyAggregatorCollectionSortOrder", arg("Id", Id), arg("IdOrder", IdOrder));
}

void UiStorePortType::saveSessionInformation(const QString& sessionId,
                                             const SessionInformationsTypes& sessionInformations)
{
    call<void>(M, "saveSessionInformation", arg("sessionId", sessionId),
               arg("sessionInformations", sessionInformations));
}

bool UiStorePortType::notifySessionClient(const QString& sessionId, clientType client, const QString& abstractTarget,
                                          const QString& contextId)
{
    return call<bool>(M, "notifySessionClient", arg("sessionId", sessionId), arg("client", client),
                      arg("abstractTarget", abstractTarget), arg("contextId", contextId));
}

// ---- UiRetrievalPortType ----

getAggregatorCollectionResponse4 UiRetrievalPortType::getAggregatorCollection(int competitionId, int cupId)
{
    return call<getAggregatorCollectionResponse4>(M, "getAggregatorCollection", arg("competitionId", competitionId),
                                                  arg("cupId", cupId));
}

getAllCollectionsResponse UiRetrievalPortType::getAllCollections()
{
    return call<getAllCollectionsResponse>(M, "getAllCollections");
}

getSessionInformationResponse UiRetrievalPortType::getSessionInformation(const QString& sessionId, const TKeys& keys,
                                                                         bool removeItems)
{
    return call<getSessionInformationResponse>(M, "getSessionInformation", arg("sessionId", sessionId),
                                               arg("keys", keys), arg("removeItems", removeItems));
}

// ---- CupRetrievalPortType ----

getCupsResponse CupRetrievalPortType::getCups(int CompetitionID)
{
    return call<getCupsResponse>(M, "getCups", arg("CompetitionID", CompetitionID));
}

getCupAgeClassesResponse CupRetrievalPortType::getCupAgeClasses(int CupID)
{
    return call<getCupAgeClassesResponse>(M, "getCupAgeClasses", arg("CupID", CupID));
}

getCupTeamsResponse CupRetrievalPortType::getCupTeams(int CupID, int AgeClassID)
{
    return call<getCupTeamsResponse>(M, "getCupTeams", arg("CupID", CupID), arg("AgeClassID", AgeClassID));
}

getCupAthletesResponse CupRetrievalPortType::getCupAthletes(int CupID, int AgeClassID, int TeamID)
{
    return call<getCupAthletesResponse>(M, "getCupAthletes", arg("CupID", CupID), arg("AgeClassID", AgeClassID),
                                        arg("TeamID", TeamID));
}

getFinisherTeamsResponse1 CupRetrievalPortType::getFinisherTeams(int CupID)
{
    return call<getFinisherTeamsResponse1>(M, "getFinisherTeams", arg("CupID", CupID));
}

getFinisherAthletesResponse1 CupRetrievalPortType::getFinisherAthletes(int CupID)
{
    return call<getFinisherAthletesResponse1>(M, "getFinisherAthletes", arg("CupID", CupID));
}

getCupAggregatorsResponse CupRetrievalPortType::getCupAggregators(int CupID)
{
    return call<getCupAggregatorsResponse>(M, "getCupAggregators", arg("CupID", CupID));
}

getCustomCupColumnsResponse CupRetrievalPortType::getCustomCupColumns(int CupID, CupItemType CupItemTyp)
{
    return call<getCustomCupColumnsResponse>(M, "getCustomCupColumns", arg("CupID", CupID),
                                             arg("CupItemTyp", CupItemTyp));
}

getCupResponse CupRetrievalPortType::getCup(int CupID)
{
    return call<getCupResponse>(M, "getCup", arg("CupID", CupID));
}

getGlobalParametersResponse CupRetrievalPortType::getCupParameters(int CupId)
{
    return call<getGlobalParametersResponse>(M, "getCupParameters", arg("CupId", CupId));
}

// ---- CupSetupPortType ----

CupType CupSetupPortType::createCup(RecordArg<CupInfoDataType> CupInfo)
{
    return call<CupType>(M, "createCup", arg("CupInfo", CupInfo));
}

void CupSetupPortType::modifyCup(int CupID, RecordArg<CupInfoDataType> CupInfo)
{
    call<void>(M, "modifyCup", arg("CupID", CupID), arg("CupInfo", CupInfo));
}

void CupSetupPortType::removeCup(int CupID)
{
    call<void>(M, "removeCup", arg("CupID", CupID));
}

void CupSetupPortType::assignCompetitions(int CupID, const IDTypes& NewCompetitionIDs)
{
    call<void>(M, "assignCompetitions", arg("CupID", CupID), arg("NewCompetitionIDs", NewCompetitionIDs));
}

void CupSetupPortType::removeCompetitions(int CupID, const IDTypes& CompetitionIDs, bool forceRemoveAggregators)
{
    call<void>(M, "removeCompetitions", arg("CupID", CupID), arg("CompetitionIDs", CompetitionIDs),
               arg("forceRemoveAggregators", forceRemoveAggregators));
}

void CupSetupPortType::assignCompItemToCupMaster(CupItemType ItemType, const IDTypes& CompItemID, int CupItemID)
{
    call<void>(M, "assignCompItemToCupMaster", arg("ItemType", ItemType), arg("CompItemID", CompItemID),
               arg("CupItemID", CupItemID));
}

void CupSetupPortType::removeCompItemFromCupMaster(CupItemType ItemType, int CupID, const IDTypes& ItemID)
{
    call<void>(M, "removeCompItemFromCupMaster", arg("ItemType", ItemType), arg("CupID", CupID), arg("ItemID", ItemID));
}

void CupSetupPortType::markAllCompleted(CupItemType ItemType, int CupID)
{
    call<void>(M, "markAllCompleted", arg("ItemType", ItemType), arg("CupID", CupID));
}

void CupSetupPortType::modifyCupAgeClass(int CupAgeClassID, RecordArg<AgeClassInfoType> CupAgeClassInfo,
                                         const CustomInformationsDataTypes& CustomInformations)
{
    call<void>(M, "modifyCupAgeClass", arg("CupAgeClassID", CupAgeClassID), arg("CupAgeClassInfo", CupAgeClassInfo),
               arg("CustomInformations", CustomInformations));
}

void CupSetupPortType::modifyCupTeam(int CupTeamID, RecordArg<TeamInfoDataType> CupTeamInfo,
                                     const CustomInformationsDataTypes& CustomInformations)
{
    call<void>(M, "modifyCupTeam", arg("CupTeamID", CupTeamID), arg("CupTeamInfo", CupTeamInfo),
               arg("CustomInformations", CustomInformations));
}

void CupSetupPortType::modifyCupAthlete(int CupAthleteID, RecordArg<AthleteInfoDataType> CupAthleteInfo,
                                        const CustomInformationsDataTypes& CustomInformations)
{
    call<void>(M, "modifyCupAthlete", arg("CupAthleteID", CupAthleteID), arg("CupAthleteInfo", CupAthleteInfo),
               arg("CustomInformations", CustomInformations));
}

addCustomColumnResponse CupSetupPortType::addCustomColumn(int CupID, RecordArg<CustomColumnInfoType> ColumnInfo)
{
    return call<addCustomColumnResponse>(M, "addCustomColumn", arg("CupID", CupID), arg("ColumnInfo", ColumnInfo));
}

void CupSetupPortType::removeCustomColumn(int ColumnID, bool forceRemove)
{
    call<void>(M, "removeCustomColumn", arg("ColumnID", ColumnID), arg("forceRemove", forceRemove));
}

void CupSetupPortType::modifyCustomColumn(int ColumnID, RecordArg<CustomColumnInfoDataType> ColumnInfo)
{
    call<void>(M, "modifyCustomColumn", arg("ColumnID", ColumnID), arg("ColumnInfo", ColumnInfo));
}

void CupSetupPortType::promoteToCupAggregator(int AggregatorID, int CupID, bool resolveParameters)
{
    call<void>(M, "promoteToCupAggregator", arg("AggregatorID", AggregatorID), arg("CupID", CupID),
               arg("resolveParameters", resolveParameters));
}

void CupSetupPortType::demoteCupAggregator(int AggregatorID)
{
    call<void>(M, "demoteCupAggregator", arg("AggregatorID", AggregatorID));
}

void CupSetupPortType::markCompletionState(const IDTypes& CupItemId, bool Completed)
{
    call<void>(M, "markCompletionState", arg("CupItemId", CupItemId), arg("Completed", Completed));
}

void CupSetupPortType::flipCupAthleteNames(const IDTypes& cupAthleteIds)
{
    call<void>(M, "flipCupAthleteNames", arg("cupAthleteIds", cupAthleteIds));
}

void CupSetupPortType::setCupParameter(int CupId, const GlobalParametersInfoTypes& Parameters)
{
    call<void>(M, "setCupParameter", arg("CupId", CupId), arg("Parameters", Parameters));
}

void CupSetupPortType::removeCupParameter(int CupId, const QString& Key, bool forceUsedParameter)
{
    call<void>(M, "removeCupParameter", arg("CupId", CupId), arg("Key", Key),
               arg("forceUsedParameter", forceUsedParameter));
}

// ---- ToolingPortType ----

mergePDFResponse ToolingPortType::mergePDF(const pagesBase64Types& pagesBase64)
{
    return call<mergePDFResponse>(M, "mergePDF", arg("pagesBase64", pagesBase64));
}

// ---- ProgrammInfoWebService ----

getBackendVersionResponse1 ProgrammInfoWebService::getBackendVersion()
{
    return call<getBackendVersionResponse1>(P, "getBackendVersion");
}

CompatibilityInformation
ProgrammInfoWebService::getCompatibilityInformation(RecordArg<GenericTvpVersion> FrontendVersion)
{
    return call<CompatibilityInformation>(P, "getCompatibilityInformation", arg("FrontendVersion", FrontendVersion));
}

// ---- factories ----

std::unique_ptr<CompetitionManagementPortType> GetCompetitionManagementPortType(bool UseWSDL, const QString& Addr,
                                                                                THTTPRIO* HTTPRIO)
{
    return std::make_unique<CompetitionManagementPortType>(
        HTTPRIO, addressOr(UseWSDL, Addr, QStringLiteral("CompetitionManagementService")));
}

std::unique_ptr<DisciplinSetupPortType> GetDisciplinSetupPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<DisciplinSetupPortType>(HTTPRIO,
                                                    addressOr(UseWSDL, Addr, QStringLiteral("DisciplinSetupService")));
}

std::unique_ptr<DataAquisitionPortType> GetDataAquisitionPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<DataAquisitionPortType>(HTTPRIO,
                                                    addressOr(UseWSDL, Addr, QStringLiteral("DataAquisitionService")));
}

std::unique_ptr<DataRetrievalPortType> GetDataRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<DataRetrievalPortType>(HTTPRIO,
                                                   addressOr(UseWSDL, Addr, QStringLiteral("DataRetrievalService")));
}

std::unique_ptr<UiStorePortType> GetUiStorePortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<UiStorePortType>(HTTPRIO, addressOr(UseWSDL, Addr, QStringLiteral("UiExchangeService")));
}

std::unique_ptr<UiRetrievalPortType> GetUiRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<UiRetrievalPortType>(HTTPRIO,
                                                 addressOr(UseWSDL, Addr, QStringLiteral("UiRetrievalService")));
}

std::unique_ptr<CupRetrievalPortType> GetCupRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<CupRetrievalPortType>(HTTPRIO,
                                                  addressOr(UseWSDL, Addr, QStringLiteral("CupRetrievalService")));
}

std::unique_ptr<CupSetupPortType> GetCupSetupPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<CupSetupPortType>(HTTPRIO, addressOr(UseWSDL, Addr, QStringLiteral("CupSetupService")));
}

std::unique_ptr<ToolingPortType> GetToolingPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO)
{
    return std::make_unique<ToolingPortType>(HTTPRIO, addressOr(UseWSDL, Addr, QStringLiteral("ToolingService")));
}

std::unique_ptr<ProgrammInfoWebService> GetProgrammInfoWebService(bool UseWSDL, const QString& Addr)
{
    return std::make_unique<ProgrammInfoWebService>(
        nullptr, addressOr(UseWSDL, Addr, QStringLiteral("ProgrammInfoWebService/")));
}

} // namespace tvp::proto
