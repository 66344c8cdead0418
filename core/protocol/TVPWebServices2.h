#pragma once
// The ten SOAP services: one port type per service with its operations in interface order, and a
// factory per port type.

#include "core/protocol/ProgrammInfoService.h"
#include "core/protocol/ScoringRecords.h"
#include "core/protocol/THTTPRIO.h"
#include "core/protocol/WebServices.h"

#include <QString>

#include <atomic>
#include <memory>

namespace tvp::proto {

// A record argument that may be nil: pass the record, an Owned record or nullptr. A nil argument
// is left out of the request, which the server reads as "not given" (no filter, no lane, delete).
template <class T>
class RecordArg {
public:
    RecordArg(const T& value) : p_(&value) {}
    RecordArg(const Owned<T>& value) : p_(value.get()) {}
    RecordArg(std::nullptr_t) {}
    const T* get() const { return p_; }

private:
    const T* p_ = nullptr;
};

// Base of every port type: the proxy object it calls through and the endpoint address.
class PortTypeBase {
public:
    // Overall limit of each call through a proxy object that the port type made itself on the GUI
    // thread (the blocking calls); elsewhere such a proxy has none, like the runner's.
    static inline std::atomic<long> ownProxyTimeoutMs{wire::kGuiThreadCallLimitMs};

    PortTypeBase(THTTPRIO* rio, QString address);
    PortTypeBase(const PortTypeBase&) = delete;
    PortTypeBase& operator=(const PortTypeBase&) = delete;
    virtual ~PortTypeBase() = default;

    THTTPRIO& rio() { return *rio_; }
    const std::string& address() const { return address_; }

protected:
    template <class Result, class... Args>
    Result call(std::string_view ns, const char* operation, const codec::Arg<Args>&... args)
    {
        pugi::xml_document request;
        [[maybe_unused]] pugi::xml_node op = codec::makeEnvelope(request, ns, operation);
        [[maybe_unused]] const codec::EncodeOptions opt = rio_->encodeOptions();
        (encodeArgument(op, args, opt), ...);
        pugi::xml_document answer;
        return codec::decodeResult<Result>(rio_->execute(address_, ns, operation, request, answer));
    }

private:
    template <class T>
    static void encodeArgument(pugi::xml_node op, const codec::Arg<T>& a, const codec::EncodeOptions& opt)
    {
        codec::encodeValue(op, a.name, a.value, opt);
    }
    template <class T>
    static void encodeArgument(pugi::xml_node op, const codec::Arg<RecordArg<T>>& a, const codec::EncodeOptions& opt)
    {
        if (const T* record = a.value.get())
            codec::encodeValue(op, a.name, *record, opt);
    }

    std::unique_ptr<THTTPRIO> ownRio_;
    THTTPRIO* rio_;
    std::string address_;
};

class CompetitionManagementPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    createDisciplinResponse createDisciplin(RecordArg<DisciplinInfoType> DisciplinInfo, int CompetitionID);
    assignResultAggregatorResponse1
    assignResultAggregator(RecordArg<ResultAggregatorInstanceInfoType> ResultAggregator);
    void removeResultAggregator(int ResultAggregatorID, bool forceRemove);
    void removeDisciplin(int DisciplinID, bool forceRemove, bool forceRemoveScheduleItems);
    createAgeClassResponse1 createAgeClass(RecordArg<AgeClassInfoType> AgeClassInfo, int CompetitionID);
    void removeAgeClass(int AgeClassID);
    void removeAthlete(int AthleteID, bool forceRemove);
    void removeTeam(int TeamID, bool forceRemove);
    createCompetitionResponse1 createCompetition(RecordArg<CompetitionInfoType> CompetitionInfo);
    void removeCompetition(int CompetitionID);
    modifyDisciplinResponse1 modifyDisciplin(int DisciplinId, RecordArg<DisciplinInfoType> DisciplinInfo,
                                             bool forceModify, bool forceAgeClass, bool forceReassignResults,
                                             bool forceRemoveAssignedResults, bool forceChangeResultType);
    void modifyAgeClass(int AgeClassID, RecordArg<AgeClassInfoType> AgeClassInfo);
    void modifyCompetition(int CompetitionID, RecordArg<CompetitionInfoType> CompetitionInfo);
    void setUiInfo(const QString& Key, const QString& Value, int AssotiatedId);
    modifyAssignedResultAggregatorResponse1
    modifyAssignedResultAggregator(int AggregatorId, RecordArg<ResultAggregatorInstanceInfoType> aggregatorInfo);
    connectProviderToResultAggregatorResponse1 connectProviderToResultAggregator(int AggregatorId, int ProviderId);
    void disconnectProviderFromResultAggregator(int AggregatorId, int ProviderId);
    void setGlobalParameter(int CompetitionId, const GlobalParametersInfoTypes& Parameters);
    void removeGlobalParameter(int CompetitionId, const QString& Key, bool forceUsedParameter);
    void beginTransaction(bool readonly);
    void commitTransaction();
    void rollbackTransaction();
    exportCompetitionResponse1 exportCompetition(int CompetitionID, bool AsTemplate);
    // Both overloads send the same operation; the server tells them apart by the elements present.
    importCompetitionResponse1 importCompetition(const QString& CompetitionName, const XsDate& CompetitionDate,
                                                 const QString& XmlStream);
    importCompetitionResponse1 importCompetition(const QString& XmlStream);
    void removeSquad(int squadID, bool forceRemove, bool forceRemoveScheduleItem);
    void removeClub(int ClubID, bool ForceRemoveAthlete, bool ForceRemoveBilling);
    void importParticipants(int competitionId, ParticipantsImportStreamFormatType importStreamFormat,
                            const QString& importStream);
    void setBillingPrice(int competitionId, double BillingPricePerAthlete);
    createDisciplinePlaceResponse createDisciplinePlace(RecordArg<DisciplinePlaceInfoDataType> DisciplinePlaceInfo,
                                                        const IDTypes& AssociatedDisciplines, int CompetitionId);
    void modifyDisciplinePlace(int DisciplinePlaceId, RecordArg<DisciplinePlaceInfoDataType> DisciplinePlaceInfo,
                               const IDTypes& AssociatedDisciplines, bool forceRemoveScheduleItems);
    void removeDisciplinePlace(int DisciplinePlaceId, bool ForceRemoveScheduleItem);
    ScheduleItemType setScheduleItem(RecordArg<ScheduleItemInfoDataType> ScheduleItemInfo, int SquadId,
                                     int DisciplinePlaceMapId);
    void removeScheduleItem(int ScheduleItemId);
};

class DisciplinSetupPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    void assignAthleteToHeat(int AthleteOrTeamID, int DisciplinID, int HeatNo, bool forceRemoveAssignedResults);
    setPositionResponse1 setPosition(int DisciplinID, const PosAssignmentsTypes& Assignments,
                                     bool forceRemoveAssignedResults);
    void assignSquadsToDisc(AssignmentType Assignment, int DisciplinID, const IDTypes& SquadIDs, bool forceAgeClass,
                            bool forceRemoveAssignedResults);
    void setParticipantListLock(int disciplinID, LockType lock);
};

class DataAquisitionPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    // Like importCompetition, both overloads send one operation.
    setResultResponse1 setResult(int DisciplinID, int AthleteBib, bool removeAmbiguousResults,
                                 RecordArg<LaneHeatType> LaneHeat, int AthleteId, int TeamId,
                                 RecordArg<ResultType> DiscResult, int Attempt);
    setResultResponse1 setResult(int DisciplinID, int AthleteBib, RecordArg<LaneHeatType> LaneHeat, int AthleteId,
                                 int TeamId, RecordArg<ResultType> DiscResult, int Attempt);
    addAthleteResponse1 addAthlete(RecordArg<AthleteInfoDataType> AthleteInfo, int TeamId, int CompetitionID,
                                   bool AllowReassignBibs, int ClubID);
    addTeamResponse1 addTeam(RecordArg<TeamInfoDataType> TeamInfo, int AgeClassID, int BillingClubID);
    AthleteType assignBibToAthlete(int bib, int AthleteID);
    void modifyAthlete(int AthleteID, RecordArg<AthleteInfoDataType> AthleteInfo, bool RemoveTeam, int TeamID,
                       bool AllowReassignBibs, bool ForceRemoveBibs, bool ForceAmbiguousBibs,
                       bool ForceAmbiguousBibTeam, bool forceRemoveAssignedResults, bool RemoveClub, int ClubID);
    void modifyTeam(int TeamID, RecordArg<TeamInfoDataType> TeamInfo, int ageClassID, bool forceAgeClass,
                    bool RemoveBillingClub, int BillingClubID);
    addSquadResponse addSquad(int CompetitionID, RecordArg<SquadInfoDataType> SquadInfo, int AgeClassID,
                              const IDTypes& AssignedTeamIDs, bool forceTeamReassignment,
                              bool forceRemoveAssignedResults);
    void modifySquad(int SquadID, RecordArg<SquadInfoDataType> SquadInfo, int AgeClassID,
                     const IDTypes& AssignedTeamIDs, bool forceTeamReassignment, bool forceAgeClassDisc,
                     bool forceAgeClassTeam, bool forceOrderIndex, bool forceRemoveAssignedResults);
    void removeBibFromAthlete(int Bib);
    addClubResponse1 addClub(int CompetitionID, RecordArg<ClubInfoDataType> ClubInfo);
    void modifyClub(int ClubID, RecordArg<ClubInfoDataType> ClubInfo);
    void setBibToAthlete(int AthleteID, int Bib);
    void shiftRanking(int DisciplineID, int Attempt, int StartRank, int Offset);
    allocateBlancAthleteBarcodeResponse1 allocateBlancAthleteBarcode(int CompetitionID, int Count);
    void flipAthleteNames(const IDTypes& athleteIds);
};

class DataRetrievalPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    getAthletesResponse1 getAthletes(int CompetitionID, int AgeClassID, int TeamID, int Bib,
                                     RecordArg<StringSearchType> GivenName, RecordArg<StringSearchType> SurName,
                                     int DisciplinID);
    getAthleteInfoResponse1 getAthleteInfo(int AthletID, int CompetitionId, int CustomAthleteBarcode,
                                           int AthleteBarcodeId);
    getTeamsResponse1 getTeams(int CompetitionID, int AgeClassID, RecordArg<StringSearchType> Name, int DisciplinID);
    getTeamInfoResponse1 getTeamInfo(int TeamID, int CompetitionId, int TeamBarcodeId);
    getAgeClassesResponse1 getAgeClasses(int CompetitionID, RecordArg<StringSearchType> Name);
    getAgeClassInfoResponse1 getAgeClassInfo(int AgeClassID, int CompetitionId, int AgeClassBarcodeId);
    getDisciplinesResponse1 getDisciplines(int CompetitionID, RecordArg<StringSearchType> Name, int AgeClassID);
    getDisciplineInfoResponse1 getDisciplineInfo(int DisciplinID, int CompetitionId, int DisciplineBarcodeId);
    getResultAggregatorsResponse1 getResultAggregators(int CompetitionID, RecordArg<StringSearchType> Name,
                                                       RecordArg<ResultTableType> SupportedInput);
    getResultAggregatorInfoResponse1 getResultAggregatorInfo(int ResultAggregatorID);
    getResultTableResponse1 getResultTable(int ResultProviderID);
    getDisciplinParticipantsResponse1 getDisciplinParticipants(int DisciplinID, int HeatNo);
    getCompetitionsResponse1 getCompetitions();
    getUiInfoResponse1 getUiInfo(const QString& Key, int AssotiatedId);
    getResultAggregatorTreeResponse1 getResultAggregatorTree(int DisciplinId, int CompetitionId);
    getUiInfosResponse1 getUiInfos(const proto::getUiInfos& Keys);
    getToplevelSourceDisciplinesResponse1 getToplevelSourceDisciplines(int ResultAggregatorId);
    getLanguagesResponse1 getLanguages();
    getExceptionMessagesResponse1 getExceptionMessages(int LanguageId);
    getGlobalParametersResponse getGlobalParameters(int CompetitionId);
    getSquadsResponse getSquads(int CompetitionID, int AgeClassID, int DisciplinID);
    getSquadDiscAssignmentsResponse getSquadDiscAssignments(int DisciplinID);
    getClubsResponse1 getClubs(int CompetitionID);
    getClubBillingResponse1 getClubBilling(int CompetitionID);
    getBibRankingResponse1 getBibRanking(int DisciplineID, int Attempt);
    CheckAmbiguousBibResultsResponse1 checkAmbiguousBibResults(const IDTypes& ResultProviderIDs);
    checkParticipantConstraintsResponse checkParticipantConstraints(const IDTypes& ResultProviderIDs,
                                                                    int CompetitionId);
    getBillingPriceResponse getBillingPrice(int competitionId, PriceType priceType);
    getDisciplinePlacesResponse getDisciplinePlaces(int CompetitionId, int DisciplineId, int SquadId);
    getSquadScheduleResponse getSquadSchedule(int CompetitionId, int SquadId);
    getDisciplineScheduleResponse getDisciplineSchedule(int CompetitionId, int DisciplineId, int DisciplinePlaceMapId);
    getPossibleDisciplinePlacesResponse getPossibleDisciplinePlaces(int CompetitionId, const IDTypes& SquadId);
    getAthletesWithoutValidSingleResultsResponse getAthletesWithoutValidSingleResults(const IDTypes& ResultProviderIDs);
    getMissingResultsResponse getMissingResults(const IDTypes& ResultProviderIDs, int CompetitionId);
    checkResultPlausibilityResponse checkResultPlausibility(const IDTypes& ResultProviderIDs, int CompetitionId);
    checkResultRankingPlausibilityResponse checkResultRankingPlausibility(const IDTypes& ResultProviderIDs,
                                                                          int CompetitionId);
};

class UiStorePortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    storeAggregatorCollectionResponse
    storeAggregatorCollection(int competitionId, int cupId,
                              RecordArg<AggregatorCollectionInfoType> aggregatorCollection);
    void modifyAggregatorCollection(int Id, RecordArg<AggregatorCollectionInfoType> AggregatorCollection);
    void removeAggregatorCollection(int id);
    void modifyAggregatorCollectionSortOrder(int Id, const IDTypes& IdOrder);
    void saveSessionInformation(const QString& sessionId, const SessionInformationsTypes& sessionInformations);
    bool notifySessionClient(const QString& sessionId, clientType client, const QString& abstractTarget,
                             const QString& contextId);
};

class UiRetrievalPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    getAggregatorCollectionResponse4 getAggregatorCollection(int competitionId, int cupId);
    getAllCollectionsResponse getAllCollections();
    getSessionInformationResponse getSessionInformation(const QString& sessionId, const TKeys& keys, bool removeItems);
};

class CupRetrievalPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    getCupsResponse getCups(int CompetitionID);
    getCupAgeClassesResponse getCupAgeClasses(int CupID);
    getCupTeamsResponse getCupTeams(int CupID, int AgeClassID);
    getCupAthletesResponse getCupAthletes(int CupID, int AgeClassID, int TeamID);
    getFinisherTeamsResponse1 getFinisherTeams(int CupID);
    getFinisherAthletesResponse1 getFinisherAthletes(int CupID);
    getCupAggregatorsResponse getCupAggregators(int CupID);
    getCustomCupColumnsResponse getCustomCupColumns(int CupID, CupItemType CupItemTyp);
    getCupResponse getCup(int CupID);
    getGlobalParametersResponse getCupParameters(int CupId);
};

class CupSetupPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    CupType createCup(RecordArg<CupInfoDataType> CupInfo);
    void modifyCup(int CupID, RecordArg<CupInfoDataType> CupInfo);
    void removeCup(int CupID);
    void assignCompetitions(int CupID, const IDTypes& NewCompetitionIDs);
    void removeCompetitions(int CupID, const IDTypes& CompetitionIDs, bool forceRemoveAggregators);
    void assignCompItemToCupMaster(CupItemType ItemType, const IDTypes& CompItemID, int CupItemID);
    void removeCompItemFromCupMaster(CupItemType ItemType, int CupID, const IDTypes& ItemID);
    void markAllCompleted(CupItemType ItemType, int CupID);
    void modifyCupAgeClass(int CupAgeClassID, RecordArg<AgeClassInfoType> CupAgeClassInfo,
                           const CustomInformationsDataTypes& CustomInformations);
    void modifyCupTeam(int CupTeamID, RecordArg<TeamInfoDataType> CupTeamInfo,
                       const CustomInformationsDataTypes& CustomInformations);
    void modifyCupAthlete(int CupAthleteID, RecordArg<AthleteInfoDataType> CupAthleteInfo,
                          const CustomInformationsDataTypes& CustomInformations);
    addCustomColumnResponse addCustomColumn(int CupID, RecordArg<CustomColumnInfoType> ColumnInfo);
    void removeCustomColumn(int ColumnID, bool forceRemove);
    void modifyCustomColumn(int ColumnID, RecordArg<CustomColumnInfoDataType> ColumnInfo);
    void promoteToCupAggregator(int AggregatorID, int CupID, bool resolveParameters);
    void demoteCupAggregator(int AggregatorID);
    void markCompletionState(const IDTypes& CupItemId, bool Completed);
    void flipCupAthleteNames(const IDTypes& cupAthleteIds);
    void setCupParameter(int CupId, const GlobalParametersInfoTypes& Parameters);
    void removeCupParameter(int CupId, const QString& Key, bool forceUsedParameter);
};

class ToolingPortType : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    mergePDFResponse mergePDF(const pagesBase64Types& pagesBase64);
};

class ProgrammInfoWebService : public PortTypeBase {
public:
    using PortTypeBase::PortTypeBase;
    getBackendVersionResponse1 getBackendVersion();
    CompatibilityInformation getCompatibilityInformation(RecordArg<GenericTvpVersion> FrontendVersion);
};

// Factories. An empty Addr becomes the built-in default on this computer; a nil HTTPRIO gets a
// fresh proxy object owned by the port type.
std::unique_ptr<CompetitionManagementPortType> GetCompetitionManagementPortType(bool UseWSDL, const QString& Addr,
                                                                                THTTPRIO* HTTPRIO);
std::unique_ptr<DisciplinSetupPortType> GetDisciplinSetupPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<DataAquisitionPortType> GetDataAquisitionPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<DataRetrievalPortType> GetDataRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<UiStorePortType> GetUiStorePortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<UiRetrievalPortType> GetUiRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<CupRetrievalPortType> GetCupRetrievalPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<CupSetupPortType> GetCupSetupPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
std::unique_ptr<ToolingPortType> GetToolingPortType(bool UseWSDL, const QString& Addr, THTTPRIO* HTTPRIO);
// Always a fresh proxy with the runtime's default options: no session header, empty elements kept.
std::unique_ptr<ProgrammInfoWebService> GetProgrammInfoWebService(bool UseWSDL, const QString& Addr);

// The built-in address of a SOAP service on this computer.
QString defaultServiceAddress(const QString& serviceName);

} // namespace tvp::proto
