#pragma once
// Every operation of the ten services, declared once: its service, name, arguments (type and
// element name, in wire order) and result. The client's port types (TVPWebServices2.h), the
// stand-in's request decoding, the tests' fake server and the wire contract
// (docs/wire-contract.txt) are all derived from these lists.
//
// An entry reads OP(service, result, name, (type, argument)...). A record argument is
// Owned<Record>, so the client may pass nil and the server sees it as missing; arrays are
// std::vector or one of its named aliases; "void" is an operation without result.
// The two overloaded operations have a second entry OVERLOAD(service, result, name, tag, ...):
// both send the same operation element, its arguments are a subsequence of the first entry's,
// and a server decodes either into the first.
//
// For each entry, tvp::proto::op::<name> (or <tag>) is a record of the arguments with
//   Result        the result type,
//   service       the service (TTVPWebServices),
//   name          the operation element's name,
//   isOverload    true for the second entry of an overloaded operation.

#include "core/protocol/ProgrammInfoService.h"
#include "core/protocol/ScoringRecords.h"
#include "core/protocol/WebServices.h"

#include <string_view>
#include <tuple>

// ---- preprocessor helpers --------------------------------------------------------------------

// TVP_PP_FOR_EACH(m, (a, b), (c, d)) gives "m(a, b) m(c, d)"; the _COMMA form puts commas between.
#define TVP_PP_PARENS ()
#ifdef Q_MOC_RUN
// moc needs none of the operations' members: rescanning them cost it a second on every header.
#define TVP_PP_EXPAND(...)
#else
#define TVP_PP_EXPAND(...) TVP_PP_EXPAND3(TVP_PP_EXPAND3(TVP_PP_EXPAND3(TVP_PP_EXPAND3(__VA_ARGS__))))
#endif
#define TVP_PP_EXPAND3(...) TVP_PP_EXPAND2(TVP_PP_EXPAND2(TVP_PP_EXPAND2(TVP_PP_EXPAND2(__VA_ARGS__))))
#define TVP_PP_EXPAND2(...) TVP_PP_EXPAND1(TVP_PP_EXPAND1(TVP_PP_EXPAND1(TVP_PP_EXPAND1(__VA_ARGS__))))
#define TVP_PP_EXPAND1(...) __VA_ARGS__
#define TVP_PP_FOR_EACH(macro, ...) __VA_OPT__(TVP_PP_EXPAND(TVP_PP_FOR_EACH_STEP(macro, __VA_ARGS__)))
#define TVP_PP_FOR_EACH_STEP(macro, item, ...) \
    macro item __VA_OPT__(TVP_PP_FOR_EACH_AGAIN TVP_PP_PARENS(macro, __VA_ARGS__))
#define TVP_PP_FOR_EACH_AGAIN() TVP_PP_FOR_EACH_STEP
#define TVP_PP_FOR_EACH_COMMA(macro, ...) __VA_OPT__(TVP_PP_EXPAND(TVP_PP_FOR_EACH_COMMA_STEP(macro, __VA_ARGS__)))
#define TVP_PP_FOR_EACH_COMMA_STEP(macro, item, ...) \
    macro item __VA_OPT__(, TVP_PP_FOR_EACH_COMMA_AGAIN TVP_PP_PARENS(macro, __VA_ARGS__))
#define TVP_PP_FOR_EACH_COMMA_AGAIN() TVP_PP_FOR_EACH_COMMA_STEP

// The port type class of each service.
#define TVP_PORT_TYPE_CMS CompetitionManagementPortType
#define TVP_PORT_TYPE_DRS DataRetrievalPortType
#define TVP_PORT_TYPE_DAS DataAquisitionPortType
#define TVP_PORT_TYPE_DSS DisciplinSetupPortType
#define TVP_PORT_TYPE_UIS UiStorePortType
#define TVP_PORT_TYPE_UIR UiRetrievalPortType
#define TVP_PORT_TYPE_CRS CupRetrievalPortType
#define TVP_PORT_TYPE_CSS CupSetupPortType
#define TVP_PORT_TYPE_PIS ProgrammInfoWebService
#define TVP_PORT_TYPE_TOS ToolingPortType

// ---- the operations --------------------------------------------------------------------------

// clang-format off
// CompetitionManagementPortType, in interface order.
#define TVP_OPERATIONS_CMS(OP, OVERLOAD)                                                                              \
    OP(CMS, createDisciplinResponse, createDisciplin, (Owned<DisciplinInfoType>, DisciplinInfo),                      \
       (int, CompetitionID))                                                                                          \
    OP(CMS, assignResultAggregatorResponse1, assignResultAggregator,                                                  \
       (Owned<ResultAggregatorInstanceInfoType>, ResultAggregator))                                                   \
    OP(CMS, void, removeResultAggregator, (int, ResultAggregatorID), (bool, forceRemove))                             \
    OP(CMS, void, removeDisciplin, (int, DisciplinID), (bool, forceRemove), (bool, forceRemoveScheduleItems))         \
    OP(CMS, createAgeClassResponse1, createAgeClass, (Owned<AgeClassInfoType>, AgeClassInfo), (int, CompetitionID))   \
    OP(CMS, void, removeAgeClass, (int, AgeClassID))                                                                  \
    OP(CMS, void, removeAthlete, (int, AthleteID), (bool, forceRemove))                                               \
    OP(CMS, void, removeTeam, (int, TeamID), (bool, forceRemove))                                                     \
    OP(CMS, createCompetitionResponse1, createCompetition, (Owned<CompetitionInfoType>, CompetitionInfo))             \
    OP(CMS, void, removeCompetition, (int, CompetitionID))                                                            \
    OP(CMS, modifyDisciplinResponse1, modifyDisciplin, (int, DisciplinId), (Owned<DisciplinInfoType>, DisciplinInfo), \
       (bool, forceModify), (bool, forceAgeClass), (bool, forceReassignResults), (bool, forceRemoveAssignedResults),  \
       (bool, forceChangeResultType))                                                                                 \
    OP(CMS, void, modifyAgeClass, (int, AgeClassID), (Owned<AgeClassInfoType>, AgeClassInfo))                         \
    OP(CMS, void, modifyCompetition, (int, CompetitionID), (Owned<CompetitionInfoType>, CompetitionInfo))             \
    OP(CMS, void, setUiInfo, (QString, Key), (QString, Value), (int, AssotiatedId))                                   \
    OP(CMS, modifyAssignedResultAggregatorResponse1, modifyAssignedResultAggregator, (int, AggregatorId),             \
       (Owned<ResultAggregatorInstanceInfoType>, aggregatorInfo))                                                     \
    OP(CMS, connectProviderToResultAggregatorResponse1, connectProviderToResultAggregator, (int, AggregatorId),       \
       (int, ProviderId))                                                                                             \
    OP(CMS, void, disconnectProviderFromResultAggregator, (int, AggregatorId), (int, ProviderId))                     \
    OP(CMS, void, setGlobalParameter, (int, CompetitionId), (GlobalParametersInfoTypes, Parameters))                  \
    OP(CMS, void, removeGlobalParameter, (int, CompetitionId), (QString, Key), (bool, forceUsedParameter))            \
    OP(CMS, void, beginTransaction, (bool, readonly))                                                                 \
    OP(CMS, void, commitTransaction)                                                                                  \
    OP(CMS, void, rollbackTransaction)                                                                                \
    OP(CMS, exportCompetitionResponse1, exportCompetition, (int, CompetitionID), (bool, AsTemplate))                  \
    OP(CMS, importCompetitionResponse1, importCompetition, (QString, CompetitionName), (XsDate, CompetitionDate),     \
       (QString, XmlStream))                                                                                          \
    OVERLOAD(CMS, importCompetitionResponse1, importCompetition, importCompetition_2, (QString, XmlStream))           \
    OP(CMS, void, removeSquad, (int, squadID), (bool, forceRemove), (bool, forceRemoveScheduleItem))                  \
    OP(CMS, void, removeClub, (int, ClubID), (bool, ForceRemoveAthlete), (bool, ForceRemoveBilling))                  \
    OP(CMS, void, importParticipants, (int, competitionId), (ParticipantsImportStreamFormatType, importStreamFormat), \
       (QString, importStream))                                                                                       \
    OP(CMS, void, setBillingPrice, (int, competitionId), (double, BillingPricePerAthlete))                            \
    OP(CMS, createDisciplinePlaceResponse, createDisciplinePlace,                                                     \
       (Owned<DisciplinePlaceInfoDataType>, DisciplinePlaceInfo), (IDTypes, AssociatedDisciplines),                   \
       (int, CompetitionId))                                                                                          \
    OP(CMS, void, modifyDisciplinePlace, (int, DisciplinePlaceId),                                                    \
       (Owned<DisciplinePlaceInfoDataType>, DisciplinePlaceInfo), (IDTypes, AssociatedDisciplines),                   \
       (bool, forceRemoveScheduleItems))                                                                              \
    OP(CMS, void, removeDisciplinePlace, (int, DisciplinePlaceId), (bool, ForceRemoveScheduleItem))                   \
    OP(CMS, ScheduleItemType, setScheduleItem, (Owned<ScheduleItemInfoDataType>, ScheduleItemInfo), (int, SquadId),   \
       (int, DisciplinePlaceMapId))                                                                                   \
    OP(CMS, void, removeScheduleItem, (int, ScheduleItemId))

// DataRetrievalPortType, in interface order.
#define TVP_OPERATIONS_DRS(OP, OVERLOAD)                                                                           \
    OP(DRS, getAthletesResponse1, getAthletes, (int, CompetitionID), (int, AgeClassID), (int, TeamID), (int, Bib), \
       (Owned<StringSearchType>, GivenName), (Owned<StringSearchType>, SurName), (int, DisciplinID))               \
    OP(DRS, getAthleteInfoResponse1, getAthleteInfo, (int, AthletID), (int, CompetitionId),                        \
       (int, CustomAthleteBarcode), (int, AthleteBarcodeId))                                                       \
    OP(DRS, getTeamsResponse1, getTeams, (int, CompetitionID), (int, AgeClassID), (Owned<StringSearchType>, Name), \
       (int, DisciplinID))                                                                                         \
    OP(DRS, getTeamInfoResponse1, getTeamInfo, (int, TeamID), (int, CompetitionId), (int, TeamBarcodeId))          \
    OP(DRS, getAgeClassesResponse1, getAgeClasses, (int, CompetitionID), (Owned<StringSearchType>, Name))          \
    OP(DRS, getAgeClassInfoResponse1, getAgeClassInfo, (int, AgeClassID), (int, CompetitionId),                    \
       (int, AgeClassBarcodeId))                                                                                   \
    OP(DRS, getDisciplinesResponse1, getDisciplines, (int, CompetitionID), (Owned<StringSearchType>, Name),        \
       (int, AgeClassID))                                                                                          \
    OP(DRS, getDisciplineInfoResponse1, getDisciplineInfo, (int, DisciplinID), (int, CompetitionId),               \
       (int, DisciplineBarcodeId))                                                                                 \
    OP(DRS, getResultAggregatorsResponse1, getResultAggregators, (int, CompetitionID),                             \
       (Owned<StringSearchType>, Name), (Owned<ResultTableType>, SupportedInput))                                  \
    OP(DRS, getResultAggregatorInfoResponse1, getResultAggregatorInfo, (int, ResultAggregatorID))                  \
    OP(DRS, getResultTableResponse1, getResultTable, (int, ResultProviderID))                                      \
    OP(DRS, getDisciplinParticipantsResponse1, getDisciplinParticipants, (int, DisciplinID), (int, HeatNo))        \
    OP(DRS, getCompetitionsResponse1, getCompetitions)                                                             \
    OP(DRS, getUiInfoResponse1, getUiInfo, (QString, Key), (int, AssotiatedId))                                    \
    OP(DRS, getResultAggregatorTreeResponse1, getResultAggregatorTree, (int, DisciplinId), (int, CompetitionId))   \
    OP(DRS, getUiInfosResponse1, getUiInfos, (proto::getUiInfos, Keys))                                            \
    OP(DRS, getToplevelSourceDisciplinesResponse1, getToplevelSourceDisciplines, (int, ResultAggregatorId))        \
    OP(DRS, getLanguagesResponse1, getLanguages)                                                                   \
    OP(DRS, getExceptionMessagesResponse1, getExceptionMessages, (int, LanguageId))                                \
    OP(DRS, getGlobalParametersResponse, getGlobalParameters, (int, CompetitionId))                                \
    OP(DRS, getSquadsResponse, getSquads, (int, CompetitionID), (int, AgeClassID), (int, DisciplinID))             \
    OP(DRS, getSquadDiscAssignmentsResponse, getSquadDiscAssignments, (int, DisciplinID))                          \
    OP(DRS, getClubsResponse1, getClubs, (int, CompetitionID))                                                     \
    OP(DRS, getClubBillingResponse1, getClubBilling, (int, CompetitionID))                                         \
    OP(DRS, getBibRankingResponse1, getBibRanking, (int, DisciplineID), (int, Attempt))                            \
    OP(DRS, CheckAmbiguousBibResultsResponse1, checkAmbiguousBibResults, (IDTypes, ResultProviderIDs))             \
    OP(DRS, checkParticipantConstraintsResponse, checkParticipantConstraints, (IDTypes, ResultProviderIDs),        \
       (int, CompetitionId))                                                                                       \
    OP(DRS, getBillingPriceResponse, getBillingPrice, (int, competitionId), (PriceType, priceType))                \
    OP(DRS, getDisciplinePlacesResponse, getDisciplinePlaces, (int, CompetitionId), (int, DisciplineId),           \
       (int, SquadId))                                                                                             \
    OP(DRS, getSquadScheduleResponse, getSquadSchedule, (int, CompetitionId), (int, SquadId))                      \
    OP(DRS, getDisciplineScheduleResponse, getDisciplineSchedule, (int, CompetitionId), (int, DisciplineId),       \
       (int, DisciplinePlaceMapId))                                                                                \
    OP(DRS, getPossibleDisciplinePlacesResponse, getPossibleDisciplinePlaces, (int, CompetitionId),                \
       (IDTypes, SquadId))                                                                                         \
    OP(DRS, getAthletesWithoutValidSingleResultsResponse, getAthletesWithoutValidSingleResults,                    \
       (IDTypes, ResultProviderIDs))                                                                               \
    OP(DRS, getMissingResultsResponse, getMissingResults, (IDTypes, ResultProviderIDs), (int, CompetitionId))      \
    OP(DRS, checkResultPlausibilityResponse, checkResultPlausibility, (IDTypes, ResultProviderIDs),                \
       (int, CompetitionId))                                                                                       \
    OP(DRS, checkResultRankingPlausibilityResponse, checkResultRankingPlausibility, (IDTypes, ResultProviderIDs),  \
       (int, CompetitionId))

// DataAquisitionPortType, in interface order.
#define TVP_OPERATIONS_DAS(OP, OVERLOAD)                                                                             \
    OP(DAS, setResultResponse1, setResult, (int, DisciplinID), (int, AthleteBib), (bool, removeAmbiguousResults),    \
       (Owned<LaneHeatType>, LaneHeat), (int, AthleteId), (int, TeamId), (Owned<ResultType>, DiscResult),            \
       (int, Attempt))                                                                                               \
    OVERLOAD(DAS, setResultResponse1, setResult, setResult_2, (int, DisciplinID), (int, AthleteBib),                 \
             (Owned<LaneHeatType>, LaneHeat), (int, AthleteId), (int, TeamId), (Owned<ResultType>, DiscResult),      \
             (int, Attempt))                                                                                         \
    OP(DAS, addAthleteResponse1, addAthlete, (Owned<AthleteInfoDataType>, AthleteInfo), (int, TeamId),               \
       (int, CompetitionID), (bool, AllowReassignBibs), (int, ClubID))                                               \
    OP(DAS, addTeamResponse1, addTeam, (Owned<TeamInfoDataType>, TeamInfo), (int, AgeClassID), (int, BillingClubID)) \
    OP(DAS, AthleteType, assignBibToAthlete, (int, bib), (int, AthleteID))                                           \
    OP(DAS, void, modifyAthlete, (int, AthleteID), (Owned<AthleteInfoDataType>, AthleteInfo), (bool, RemoveTeam),    \
       (int, TeamID), (bool, AllowReassignBibs), (bool, ForceRemoveBibs), (bool, ForceAmbiguousBibs),                \
       (bool, ForceAmbiguousBibTeam), (bool, forceRemoveAssignedResults), (bool, RemoveClub), (int, ClubID))         \
    OP(DAS, void, modifyTeam, (int, TeamID), (Owned<TeamInfoDataType>, TeamInfo), (int, ageClassID),                 \
       (bool, forceAgeClass), (bool, RemoveBillingClub), (int, BillingClubID))                                       \
    OP(DAS, addSquadResponse, addSquad, (int, CompetitionID), (Owned<SquadInfoDataType>, SquadInfo),                 \
       (int, AgeClassID), (IDTypes, AssignedTeamIDs), (bool, forceTeamReassignment),                                 \
       (bool, forceRemoveAssignedResults))                                                                           \
    OP(DAS, void, modifySquad, (int, SquadID), (Owned<SquadInfoDataType>, SquadInfo), (int, AgeClassID),             \
       (IDTypes, AssignedTeamIDs), (bool, forceTeamReassignment), (bool, forceAgeClassDisc),                         \
       (bool, forceAgeClassTeam), (bool, forceOrderIndex), (bool, forceRemoveAssignedResults))                       \
    OP(DAS, void, removeBibFromAthlete, (int, Bib))                                                                  \
    OP(DAS, addClubResponse1, addClub, (int, CompetitionID), (Owned<ClubInfoDataType>, ClubInfo))                    \
    OP(DAS, void, modifyClub, (int, ClubID), (Owned<ClubInfoDataType>, ClubInfo))                                    \
    OP(DAS, void, setBibToAthlete, (int, AthleteID), (int, Bib))                                                     \
    OP(DAS, void, shiftRanking, (int, DisciplineID), (int, Attempt), (int, StartRank), (int, Offset))                \
    OP(DAS, allocateBlancAthleteBarcodeResponse1, allocateBlancAthleteBarcode, (int, CompetitionID), (int, Count))   \
    OP(DAS, void, flipAthleteNames, (IDTypes, athleteIds))

// DisciplinSetupPortType, in interface order.
#define TVP_OPERATIONS_DSS(OP, OVERLOAD)                                                                     \
    OP(DSS, void, assignAthleteToHeat, (int, AthleteOrTeamID), (int, DisciplinID), (int, HeatNo),            \
       (bool, forceRemoveAssignedResults))                                                                   \
    OP(DSS, setPositionResponse1, setPosition, (int, DisciplinID), (PosAssignmentsTypes, Assignments),       \
       (bool, forceRemoveAssignedResults))                                                                   \
    OP(DSS, void, assignSquadsToDisc, (AssignmentType, Assignment), (int, DisciplinID), (IDTypes, SquadIDs), \
       (bool, forceAgeClass), (bool, forceRemoveAssignedResults))                                            \
    OP(DSS, void, setParticipantListLock, (int, disciplinID), (LockType, lock))

// UiStorePortType, in interface order.
#define TVP_OPERATIONS_UIS(OP, OVERLOAD)                                                                              \
    OP(UIS, storeAggregatorCollectionResponse, storeAggregatorCollection, (int, competitionId), (int, cupId),         \
       (Owned<AggregatorCollectionInfoType>, aggregatorCollection))                                                   \
    OP(UIS, void, modifyAggregatorCollection, (int, Id), (Owned<AggregatorCollectionInfoType>, AggregatorCollection)) \
    OP(UIS, void, removeAggregatorCollection, (int, id))                                                              \
    OP(UIS, void, modifyAggregatorCollectionSortOrder, (int, Id), (IDTypes, IdOrder))                                 \
    OP(UIS, void, saveSessionInformation, (QString, sessionId), (SessionInformationsTypes, sessionInformations))      \
    OP(UIS, bool, notifySessionClient, (QString, sessionId), (clientType, client), (QString, abstractTarget),         \
       (QString, contextId))

// UiRetrievalPortType, in interface order.
#define TVP_OPERATIONS_UIR(OP, OVERLOAD)                                                                   \
    OP(UIR, getAggregatorCollectionResponse4, getAggregatorCollection, (int, competitionId), (int, cupId)) \
    OP(UIR, getAllCollectionsResponse, getAllCollections)                                                  \
    OP(UIR, getSessionInformationResponse, getSessionInformation, (QString, sessionId), (TKeys, keys),     \
       (bool, removeItems))

// CupRetrievalPortType, in interface order.
#define TVP_OPERATIONS_CRS(OP, OVERLOAD)                                                               \
    OP(CRS, getCupsResponse, getCups, (int, CompetitionID))                                            \
    OP(CRS, getCupAgeClassesResponse, getCupAgeClasses, (int, CupID))                                  \
    OP(CRS, getCupTeamsResponse, getCupTeams, (int, CupID), (int, AgeClassID))                         \
    OP(CRS, getCupAthletesResponse, getCupAthletes, (int, CupID), (int, AgeClassID), (int, TeamID))    \
    OP(CRS, getFinisherTeamsResponse1, getFinisherTeams, (int, CupID))                                 \
    OP(CRS, getFinisherAthletesResponse1, getFinisherAthletes, (int, CupID))                           \
    OP(CRS, getCupAggregatorsResponse, getCupAggregators, (int, CupID))                                \
    OP(CRS, getCustomCupColumnsResponse, getCustomCupColumns, (int, CupID), (CupItemType, CupItemTyp)) \
    OP(CRS, getCupResponse, getCup, (int, CupID))                                                      \
    OP(CRS, getGlobalParametersResponse, getCupParameters, (int, CupId))

// CupSetupPortType, in interface order.
#define TVP_OPERATIONS_CSS(OP, OVERLOAD)                                                                       \
    OP(CSS, CupType, createCup, (Owned<CupInfoDataType>, CupInfo))                                             \
    OP(CSS, void, modifyCup, (int, CupID), (Owned<CupInfoDataType>, CupInfo))                                  \
    OP(CSS, void, removeCup, (int, CupID))                                                                     \
    OP(CSS, void, assignCompetitions, (int, CupID), (IDTypes, NewCompetitionIDs))                              \
    OP(CSS, void, removeCompetitions, (int, CupID), (IDTypes, CompetitionIDs), (bool, forceRemoveAggregators)) \
    OP(CSS, void, assignCompItemToCupMaster, (CupItemType, ItemType), (IDTypes, CompItemID), (int, CupItemID)) \
    OP(CSS, void, removeCompItemFromCupMaster, (CupItemType, ItemType), (int, CupID), (IDTypes, ItemID))       \
    OP(CSS, void, markAllCompleted, (CupItemType, ItemType), (int, CupID))                                     \
    OP(CSS, void, modifyCupAgeClass, (int, CupAgeClassID), (Owned<AgeClassInfoType>, CupAgeClassInfo),         \
       (CustomInformationsDataTypes, CustomInformations))                                                      \
    OP(CSS, void, modifyCupTeam, (int, CupTeamID), (Owned<TeamInfoDataType>, CupTeamInfo),                     \
       (CustomInformationsDataTypes, CustomInformations))                                                      \
    OP(CSS, void, modifyCupAthlete, (int, CupAthleteID), (Owned<AthleteInfoDataType>, CupAthleteInfo),         \
       (CustomInformationsDataTypes, CustomInformations))                                                      \
    OP(CSS, addCustomColumnResponse, addCustomColumn, (int, CupID), (Owned<CustomColumnInfoType>, ColumnInfo)) \
    OP(CSS, void, removeCustomColumn, (int, ColumnID), (bool, forceRemove))                                    \
    OP(CSS, void, modifyCustomColumn, (int, ColumnID), (Owned<CustomColumnInfoDataType>, ColumnInfo))          \
    OP(CSS, void, promoteToCupAggregator, (int, AggregatorID), (int, CupID), (bool, resolveParameters))        \
    OP(CSS, void, demoteCupAggregator, (int, AggregatorID))                                                    \
    OP(CSS, void, markCompletionState, (IDTypes, CupItemId), (bool, Completed))                                \
    OP(CSS, void, flipCupAthleteNames, (IDTypes, cupAthleteIds))                                               \
    OP(CSS, void, setCupParameter, (int, CupId), (GlobalParametersInfoTypes, Parameters))                      \
    OP(CSS, void, removeCupParameter, (int, CupId), (QString, Key), (bool, forceUsedParameter))

// ProgrammInfoWebService, in interface order.
#define TVP_OPERATIONS_PIS(OP, OVERLOAD)                                                                        \
    OP(PIS, getBackendVersionResponse1, getBackendVersion)                                                      \
    OP(PIS, CompatibilityInformation, getCompatibilityInformation, (Owned<GenericTvpVersion>, FrontendVersion))

// ToolingPortType, in interface order.
#define TVP_OPERATIONS_TOS(OP, OVERLOAD)                                 \
    OP(TOS, mergePDFResponse, mergePDF, (pagesBase64Types, pagesBase64))
// clang-format on

// All services, in the order of TTVPWebServices.
#define TVP_ALL_OPERATIONS(OP, OVERLOAD) \
    TVP_OPERATIONS_CMS(OP, OVERLOAD)     \
    TVP_OPERATIONS_DRS(OP, OVERLOAD)     \
    TVP_OPERATIONS_DAS(OP, OVERLOAD)     \
    TVP_OPERATIONS_DSS(OP, OVERLOAD)     \
    TVP_OPERATIONS_UIS(OP, OVERLOAD)     \
    TVP_OPERATIONS_UIR(OP, OVERLOAD)     \
    TVP_OPERATIONS_CRS(OP, OVERLOAD)     \
    TVP_OPERATIONS_CSS(OP, OVERLOAD)     \
    TVP_OPERATIONS_PIS(OP, OVERLOAD)     \
    TVP_OPERATIONS_TOS(OP, OVERLOAD)

// ---- the argument records --------------------------------------------------------------------

#define TVP_OPERATION_MEMBER(Type, Name) Type Name{};
#define TVP_OPERATION_FIELD(Type, Name) TVP_F(Name)
#define TVP_DECLARE_OPERATION(Service_, Result_, Name_, Tag_, Overload_, ...)                        \
    struct Tag_ {                                                                                    \
        using tvpSelf = Tag_;                                                                        \
        using tvpBase = void;                                                                        \
        static constexpr std::string_view tvpName = #Tag_;                                           \
        using Result = Result_;                                                                      \
        static constexpr TTVPWebServices service = TTVPWebServices::Service_;                        \
        static constexpr std::string_view name = #Name_;                                             \
        static constexpr bool isOverload = Overload_;                                                \
        TVP_PP_FOR_EACH(TVP_OPERATION_MEMBER, __VA_ARGS__)                                           \
        static constexpr auto fields()                                                               \
        {                                                                                            \
            return ::tvp::proto::FieldList(TVP_PP_FOR_EACH_COMMA(TVP_OPERATION_FIELD, __VA_ARGS__)); \
        }                                                                                            \
        bool operator==(const Tag_&) const = default;                                                \
    };
#define TVP_DECLARE_OP(Service_, Result_, Name_, ...) \
    TVP_DECLARE_OPERATION(Service_, Result_, Name_, Name_, false, __VA_ARGS__)
#define TVP_DECLARE_OVERLOAD(Service_, Result_, Name_, Tag_, ...) \
    TVP_DECLARE_OPERATION(Service_, Result_, Name_, Tag_, true, __VA_ARGS__)

namespace tvp::proto::op {
TVP_ALL_OPERATIONS(TVP_DECLARE_OP, TVP_DECLARE_OVERLOAD)
} // namespace tvp::proto::op

#undef TVP_DECLARE_OVERLOAD
#undef TVP_DECLARE_OP
#undef TVP_DECLARE_OPERATION
#undef TVP_OPERATION_FIELD
#undef TVP_OPERATION_MEMBER

namespace tvp::proto {

template <class T>
concept Operation = Record<T> && requires
{
    typename T::Result;
    T::service;
    T::name;
    T::isOverload;
};

// Calls f.template operator()<Op>() for every entry, services in the order of TTVPWebServices,
// operations in interface order (an overload right behind its first entry).
template <class F>
void forEachOperation(F&& f)
{
#define TVP_VISIT_OP(Service_, Result_, Name_, ...) f.template operator()<op::Name_>();
#define TVP_VISIT_OVERLOAD(Service_, Result_, Name_, Tag_, ...) f.template operator()<op::Tag_>();
    TVP_ALL_OPERATIONS(TVP_VISIT_OP, TVP_VISIT_OVERLOAD)
#undef TVP_VISIT_OVERLOAD
#undef TVP_VISIT_OP
}

// The port type's class name, as the service's interface names it.
constexpr std::string_view portTypeName(TTVPWebServices service)
{
#define TVP_STRINGIZE(x) #x
#define TVP_PORT_TYPE_NAME(x) TVP_STRINGIZE(x)
    switch (service) {
    case TTVPWebServices::CMS: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_CMS);
    case TTVPWebServices::DRS: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_DRS);
    case TTVPWebServices::DAS: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_DAS);
    case TTVPWebServices::DSS: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_DSS);
    case TTVPWebServices::UIS: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_UIS);
    case TTVPWebServices::UIR: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_UIR);
    case TTVPWebServices::CRS: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_CRS);
    case TTVPWebServices::CSS: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_CSS);
    case TTVPWebServices::PIS: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_PIS);
    case TTVPWebServices::TOS: return TVP_PORT_TYPE_NAME(TVP_PORT_TYPE_TOS);
    case TTVPWebServices::WEB_UI: return {};
    }
#undef TVP_PORT_TYPE_NAME
#undef TVP_STRINGIZE
    return {};
}

} // namespace tvp::proto
