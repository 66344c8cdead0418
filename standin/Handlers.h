#pragma once
// The operation handlers; Operations.cpp lists them with their database access.

#include "standin/Operations.h"

namespace tvp::standin::ops {

namespace op = proto::op;

// ProgrammInfoWebService
proto::getBackendVersionResponse1 getBackendVersion(Call& c, const op::getBackendVersion& a);
proto::CompatibilityInformation getCompatibilityInformation(Call& c, const op::getCompatibilityInformation& a);

// CompetitionManagementService
void beginTransaction(Call& c, const op::beginTransaction& a);
void commitTransaction(Call& c, const op::commitTransaction& a);
void rollbackTransaction(Call& c, const op::rollbackTransaction& a);
proto::createCompetitionResponse1 createCompetition(Call& c, const op::createCompetition& a);
void modifyCompetition(Call& c, const op::modifyCompetition& a);
void removeCompetition(Call& c, const op::removeCompetition& a);
void setUiInfo(Call& c, const op::setUiInfo& a);
// Competition files (CompetitionExchange.cpp)
proto::exportCompetitionResponse1 exportCompetition(Call& c, const op::exportCompetition& a);
proto::importCompetitionResponse1 importCompetition(Call& c, const op::importCompetition& a);
void modifyAggregatorCollectionSortOrder(Call& c, const op::modifyAggregatorCollectionSortOrder& a);
// Result compilations (CollectionOps.cpp)
proto::storeAggregatorCollectionResponse storeAggregatorCollection(Call& c, const op::storeAggregatorCollection& a);
void modifyAggregatorCollection(Call& c, const op::modifyAggregatorCollection& a);
void removeAggregatorCollection(Call& c, const op::removeAggregatorCollection& a);
proto::getAggregatorCollectionResponse4 getAggregatorCollection(Call& c, const op::getAggregatorCollection& a);
proto::getAllCollectionsResponse getAllCollections(Call& c, const op::getAllCollections& a);
// The browser client's hand-over of a web session's items (WebClientOps.cpp)
void saveSessionInformation(Call& c, const op::saveSessionInformation& a);
proto::getSessionInformationResponse getSessionInformation(Call& c, const op::getSessionInformation& a);
// ToolingService (ToolingOps.cpp)
proto::mergePDFResponse mergePDF(Call& c, const op::mergePDF& a);

// DataRetrievalService
ResultText getAthletes(Call& c, const op::getAthletes& a);
proto::getTeamsResponse1 getTeams(Call& c, const op::getTeams& a);
proto::getTeamInfoResponse1 getTeamInfo(Call& c, const op::getTeamInfo& a);
proto::getAgeClassesResponse1 getAgeClasses(Call& c, const op::getAgeClasses& a);
proto::getDisciplinesResponse1 getDisciplines(Call& c, const op::getDisciplines& a);
proto::getCompetitionsResponse1 getCompetitions(Call& c, const op::getCompetitions& a);
proto::getUiInfoResponse1 getUiInfo(Call& c, const op::getUiInfo& a);
proto::getUiInfosResponse1 getUiInfos(Call& c, const op::getUiInfos& a);

// UiStoreService: the browser client's notifications to the program of its session (WebClientOps.cpp)
bool notifySessionClient(Call& c, const op::notifySessionClient& a);
proto::getExceptionMessagesResponse1 getExceptionMessages(Call& c, const op::getExceptionMessages& a);
proto::getSquadsResponse getSquads(Call& c, const op::getSquads& a);
proto::getClubsResponse1 getClubs(Call& c, const op::getClubs& a);

// Teams area: age classes, teams and their team rules (TeamOps.cpp)
proto::createAgeClassResponse1 createAgeClass(Call& c, const op::createAgeClass& a);
void modifyAgeClass(Call& c, const op::modifyAgeClass& a);
void removeAgeClass(Call& c, const op::removeAgeClass& a);
proto::addTeamResponse1 addTeam(Call& c, const op::addTeam& a);
void modifyTeam(Call& c, const op::modifyTeam& a);
void removeTeam(Call& c, const op::removeTeam& a);
proto::checkParticipantConstraintsResponse checkParticipantConstraints(Call& c,
                                                                       const op::checkParticipantConstraints& a);

// Athletes (AthleteOps.cpp)
proto::addAthleteResponse1 addAthlete(Call& c, const op::addAthlete& a);
void modifyAthlete(Call& c, const op::modifyAthlete& a);
void removeAthlete(Call& c, const op::removeAthlete& a);
void flipAthleteNames(Call& c, const op::flipAthleteNames& a);
proto::getAthleteInfoResponse1 getAthleteInfo(Call& c, const op::getAthleteInfo& a);
void setBibToAthlete(Call& c, const op::setBibToAthlete& a);

// Imports and blank barcodes (ImportOps.cpp)
void importParticipants(Call& c, const op::importParticipants& a);
proto::allocateBlancAthleteBarcodeResponse1 allocateBlancAthleteBarcode(Call& c,
                                                                        const op::allocateBlancAthleteBarcode& a);

// Disciplines and scoring nodes (DisciplineOps.cpp)
proto::createDisciplinResponse createDisciplin(Call& c, const op::createDisciplin& a);
proto::modifyDisciplinResponse1 modifyDisciplin(Call& c, const op::modifyDisciplin& a);
void removeDisciplin(Call& c, const op::removeDisciplin& a);
proto::assignResultAggregatorResponse1 assignResultAggregator(Call& c, const op::assignResultAggregator& a);
proto::modifyAssignedResultAggregatorResponse1
modifyAssignedResultAggregator(Call& c, const op::modifyAssignedResultAggregator& a);
void removeResultAggregator(Call& c, const op::removeResultAggregator& a);
proto::connectProviderToResultAggregatorResponse1
connectProviderToResultAggregator(Call& c, const op::connectProviderToResultAggregator& a);
void disconnectProviderFromResultAggregator(Call& c, const op::disconnectProviderFromResultAggregator& a);
proto::getResultAggregatorTreeResponse1 getResultAggregatorTree(Call& c, const op::getResultAggregatorTree& a);
proto::getResultAggregatorsResponse1 getResultAggregators(Call& c, const op::getResultAggregators& a);
proto::getResultAggregatorInfoResponse1 getResultAggregatorInfo(Call& c, const op::getResultAggregatorInfo& a);
proto::getToplevelSourceDisciplinesResponse1 getToplevelSourceDisciplines(Call& c,
                                                                          const op::getToplevelSourceDisciplines& a);
// Writes the catalogue's row of a template that a node is about to use; refuses an unknown id (602).
void ensureAggregatorTemplate(Db& db, int templateId);

// Competition lists (HeatOps.cpp): heats and places, squad assignment, the lock, and the discipline
// and schedule reads of the competition-list window.
proto::getDisciplinParticipantsResponse1 getDisciplinParticipants(Call& c, const op::getDisciplinParticipants& a);
void assignAthleteToHeat(Call& c, const op::assignAthleteToHeat& a);
proto::setPositionResponse1 setPosition(Call& c, const op::setPosition& a);
void assignSquadsToDisc(Call& c, const op::assignSquadsToDisc& a);
void setParticipantListLock(Call& c, const op::setParticipantListLock& a);
proto::getSquadDiscAssignmentsResponse getSquadDiscAssignments(Call& c, const op::getSquadDiscAssignments& a);
proto::getDisciplineInfoResponse1 getDisciplineInfo(Call& c, const op::getDisciplineInfo& a);
proto::getDisciplineScheduleResponse getDisciplineSchedule(Call& c, const op::getDisciplineSchedule& a);

// Clubs, their billing and squads (ClubSquadOps.cpp)
proto::addClubResponse1 addClub(Call& c, const op::addClub& a);
void modifyClub(Call& c, const op::modifyClub& a);
void removeClub(Call& c, const op::removeClub& a);
proto::getClubBillingResponse1 getClubBilling(Call& c, const op::getClubBilling& a);
proto::getBillingPriceResponse getBillingPrice(Call& c, const op::getBillingPrice& a);
void setBillingPrice(Call& c, const op::setBillingPrice& a);
proto::addSquadResponse addSquad(Call& c, const op::addSquad& a);
void modifySquad(Call& c, const op::modifySquad& a);
void removeSquad(Call& c, const op::removeSquad& a);

// Facilities and the schedule (PlaceScheduleOps.cpp)
proto::getDisciplinePlacesResponse getDisciplinePlaces(Call& c, const op::getDisciplinePlaces& a);
proto::createDisciplinePlaceResponse createDisciplinePlace(Call& c, const op::createDisciplinePlace& a);
void modifyDisciplinePlace(Call& c, const op::modifyDisciplinePlace& a);
void removeDisciplinePlace(Call& c, const op::removeDisciplinePlace& a);
proto::ScheduleItemType setScheduleItem(Call& c, const op::setScheduleItem& a);
void removeScheduleItem(Call& c, const op::removeScheduleItem& a);
proto::getSquadScheduleResponse getSquadSchedule(Call& c, const op::getSquadSchedule& a);
proto::getPossibleDisciplinePlacesResponse getPossibleDisciplinePlaces(Call& c,
                                                                       const op::getPossibleDisciplinePlaces& a);

// Global parameters of competitions and cups, and the cup record (ParameterOps.cpp)
proto::getGlobalParametersResponse getGlobalParameters(Call& c, const op::getGlobalParameters& a);
void setGlobalParameter(Call& c, const op::setGlobalParameter& a);
void removeGlobalParameter(Call& c, const op::removeGlobalParameter& a);
proto::getCupResponse getCup(Call& c, const op::getCup& a);
proto::getGlobalParametersResponse getCupParameters(Call& c, const op::getCupParameters& a);
void setCupParameter(Call& c, const op::setCupParameter& a);
void removeCupParameter(Call& c, const op::removeCupParameter& a);
// Cups, their items, custom columns, finishers and scorings (CupOps.cpp)
proto::getCupsResponse getCups(Call& c, const op::getCups& a);
proto::CupType createCup(Call& c, const op::createCup& a);
void modifyCup(Call& c, const op::modifyCup& a);
void removeCup(Call& c, const op::removeCup& a);
void assignCompetitions(Call& c, const op::assignCompetitions& a);
void removeCompetitions(Call& c, const op::removeCompetitions& a);
proto::getCupAgeClassesResponse getCupAgeClasses(Call& c, const op::getCupAgeClasses& a);
proto::getCupTeamsResponse getCupTeams(Call& c, const op::getCupTeams& a);
ResultText getCupAthletes(Call& c, const op::getCupAthletes& a);
void assignCompItemToCupMaster(Call& c, const op::assignCompItemToCupMaster& a);
void removeCompItemFromCupMaster(Call& c, const op::removeCompItemFromCupMaster& a);
void markAllCompleted(Call& c, const op::markAllCompleted& a);
void markCompletionState(Call& c, const op::markCompletionState& a);
void modifyCupAgeClass(Call& c, const op::modifyCupAgeClass& a);
void modifyCupTeam(Call& c, const op::modifyCupTeam& a);
void modifyCupAthlete(Call& c, const op::modifyCupAthlete& a);
void flipCupAthleteNames(Call& c, const op::flipCupAthleteNames& a);
proto::getCustomCupColumnsResponse getCustomCupColumns(Call& c, const op::getCustomCupColumns& a);
proto::addCustomColumnResponse addCustomColumn(Call& c, const op::addCustomColumn& a);
void modifyCustomColumn(Call& c, const op::modifyCustomColumn& a);
void removeCustomColumn(Call& c, const op::removeCustomColumn& a);
proto::getFinisherAthletesResponse1 getFinisherAthletes(Call& c, const op::getFinisherAthletes& a);
proto::getFinisherTeamsResponse1 getFinisherTeams(Call& c, const op::getFinisherTeams& a);
proto::getCupAggregatorsResponse getCupAggregators(Call& c, const op::getCupAggregators& a);
void promoteToCupAggregator(Call& c, const op::promoteToCupAggregator& a);
void demoteCupAggregator(Call& c, const op::demoteCupAggregator& a);
// Results (ResultOps.cpp)
proto::setResultResponse1 setResult(Call& c, const op::setResult& a);
proto::getResultTableResponse1 getResultTable(Call& c, const op::getResultTable& a);
proto::getBibRankingResponse1 getBibRanking(Call& c, const op::getBibRanking& a);
void shiftRanking(Call& c, const op::shiftRanking& a);
proto::getAthletesWithoutValidSingleResultsResponse
getAthletesWithoutValidSingleResults(Call& c, const op::getAthletesWithoutValidSingleResults& a);
proto::getMissingResultsResponse getMissingResults(Call& c, const op::getMissingResults& a);
proto::checkResultRankingPlausibilityResponse
checkResultRankingPlausibility(Call& c, const op::checkResultRankingPlausibility& a);
proto::CheckAmbiguousBibResultsResponse1 checkAmbiguousBibResults(Call& c, const op::checkAmbiguousBibResults& a);

} // namespace tvp::standin::ops
