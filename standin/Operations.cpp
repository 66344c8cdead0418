#include "standin/Operations.h"

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"

namespace tvp::standin {

using proto::TTVPWebServices;

OperationTable::OperationTable()
{
    // An overload's entry is the same operation element as its first one, which stays.
    proto::forEachOperation([this]<proto::Operation Op>() { entries_.emplace(Op::name, Entry{Op::service}); });
}

const OperationTable::Entry* OperationTable::find(std::string_view name) const
{
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
}

const OperationTable& operationTable()
{
    using enum Access;
    static const OperationTable table = [] {
        OperationTable t;
        t.serve<ops::getBackendVersion>(None);
        t.serve<ops::getCompatibilityInformation>(None);

        t.serve<ops::beginTransaction>(None);
        t.serve<ops::commitTransaction>(None);
        t.serve<ops::rollbackTransaction>(None);
        t.serve<ops::createCompetition>(Write);
        t.serve<ops::modifyCompetition>(Write);
        t.serve<ops::removeCompetition>(Write);
        t.serve<ops::setUiInfo>(Write);
        t.serve<ops::exportCompetition>(Read);
        t.serve<ops::importCompetition>(Write);
        t.serve<ops::modifyAggregatorCollectionSortOrder>(Write);
        t.serve<ops::storeAggregatorCollection>(Write);
        t.serve<ops::modifyAggregatorCollection>(Write);
        t.serve<ops::removeAggregatorCollection>(Write);
        t.serve<ops::getAggregatorCollection>(Read);
        t.serve<ops::getAllCollections>(Read);
        t.serve<ops::saveSessionInformation>(Write);
        // Write: it may remove what it read.
        t.serve<ops::getSessionInformation>(Write);
        t.serve<ops::mergePDF>(None);

        t.serve<ops::getAthletes>(Read);
        t.serve<ops::getTeams>(Read);
        t.serve<ops::getTeamInfo>(Read);
        t.serve<ops::getAgeClasses>(Read);
        t.serve<ops::getDisciplines>(Read);
        t.serve<ops::getCompetitions>(Read);
        t.serve<ops::getUiInfo>(Read);
        t.serve<ops::getUiInfos>(Read);
        t.serve<ops::notifySessionClient>(None);
        t.serve<ops::getExceptionMessages>(None);
        t.serve<ops::getSquads>(Read);
        t.serve<ops::getClubs>(Read);

        // Teams area: age classes, teams, team rules.
        t.serve<ops::createAgeClass>(Write);
        t.serve<ops::modifyAgeClass>(Write);
        t.serve<ops::removeAgeClass>(Write);
        t.serve<ops::addTeam>(Write);
        t.serve<ops::modifyTeam>(Write);
        t.serve<ops::removeTeam>(Write);
        t.serve<ops::checkParticipantConstraints>(Read);

        // Athletes.
        t.serve<ops::addAthlete>(Write);
        t.serve<ops::modifyAthlete>(Write);
        t.serve<ops::removeAthlete>(Write);
        t.serve<ops::flipAthleteNames>(Write);

        // Disciplines and scoring nodes.
        t.serve<ops::createDisciplin>(Write);
        t.serve<ops::modifyDisciplin>(Write);
        t.serve<ops::removeDisciplin>(Write);
        t.serve<ops::assignResultAggregator>(Write);
        t.serve<ops::modifyAssignedResultAggregator>(Write);
        t.serve<ops::removeResultAggregator>(Write);
        t.serve<ops::connectProviderToResultAggregator>(Write);
        t.serve<ops::disconnectProviderFromResultAggregator>(Write);
        t.serve<ops::getResultAggregatorTree>(Read);
        t.serve<ops::getResultAggregators>(None);
        t.serve<ops::getResultAggregatorInfo>(Read);
        t.serve<ops::getToplevelSourceDisciplines>(Read);

        // Competition lists.
        t.serve<ops::getDisciplinParticipants>(Read);
        t.serve<ops::assignAthleteToHeat>(Write);
        t.serve<ops::setPosition>(Write);
        t.serve<ops::assignSquadsToDisc>(Write);
        t.serve<ops::setParticipantListLock>(Write);
        t.serve<ops::getSquadDiscAssignments>(Read);
        t.serve<ops::getDisciplineInfo>(Read);
        t.serve<ops::getDisciplineSchedule>(Read);

        // Clubs, their billing and squads.
        t.serve<ops::addClub>(Write);
        t.serve<ops::modifyClub>(Write);
        t.serve<ops::removeClub>(Write);
        t.serve<ops::getClubBilling>(Read);
        t.serve<ops::getBillingPrice>(Read);
        t.serve<ops::setBillingPrice>(Write);
        t.serve<ops::addSquad>(Write);
        t.serve<ops::modifySquad>(Write);
        t.serve<ops::removeSquad>(Write);

        // Facilities and the schedule.
        t.serve<ops::getDisciplinePlaces>(Read);
        t.serve<ops::createDisciplinePlace>(Write);
        t.serve<ops::modifyDisciplinePlace>(Write);
        t.serve<ops::removeDisciplinePlace>(Write);
        t.serve<ops::setScheduleItem>(Write);
        t.serve<ops::removeScheduleItem>(Write);
        t.serve<ops::getSquadSchedule>(Read);
        t.serve<ops::getPossibleDisciplinePlaces>(Read);
        // Barcode lookups, bulk bibs, blank barcodes and participant imports.
        t.serve<ops::getAthleteInfo>(Read);
        t.serve<ops::setBibToAthlete>(Write);
        t.serve<ops::allocateBlancAthleteBarcode>(Write);
        t.serve<ops::importParticipants>(Write);
        // Global parameters of competitions and cups.
        t.serve<ops::getGlobalParameters>(Read);
        t.serve<ops::setGlobalParameter>(Write);
        t.serve<ops::removeGlobalParameter>(Write);
        t.serve<ops::getCup>(Read);
        t.serve<ops::getCupParameters>(Read);
        t.serve<ops::setCupParameter>(Write);
        t.serve<ops::removeCupParameter>(Write);
        // Cups, their items, custom columns, finishers and scorings.
        t.serve<ops::getCups>(Read);
        t.serve<ops::createCup>(Write);
        t.serve<ops::modifyCup>(Write);
        t.serve<ops::removeCup>(Write);
        t.serve<ops::assignCompetitions>(Write);
        t.serve<ops::removeCompetitions>(Write);
        t.serve<ops::getCupAgeClasses>(Read);
        t.serve<ops::getCupTeams>(Read);
        t.serve<ops::getCupAthletes>(Read);
        t.serve<ops::assignCompItemToCupMaster>(Write);
        t.serve<ops::removeCompItemFromCupMaster>(Write);
        t.serve<ops::markAllCompleted>(Write);
        t.serve<ops::markCompletionState>(Write);
        t.serve<ops::modifyCupAgeClass>(Write);
        t.serve<ops::modifyCupTeam>(Write);
        t.serve<ops::modifyCupAthlete>(Write);
        t.serve<ops::flipCupAthleteNames>(Write);
        t.serve<ops::getCustomCupColumns>(Read);
        t.serve<ops::addCustomColumn>(Write);
        t.serve<ops::modifyCustomColumn>(Write);
        t.serve<ops::removeCustomColumn>(Write);
        t.serve<ops::getFinisherAthletes>(Read);
        t.serve<ops::getFinisherTeams>(Read);
        t.serve<ops::getCupAggregators>(Read);
        t.serve<ops::promoteToCupAggregator>(Write);
        t.serve<ops::demoteCupAggregator>(Write);
        // Results and their checks.
        t.serve<ops::setResult>(Write);
        t.serve<ops::getResultTable>(Read);
        t.serve<ops::getBibRanking>(Read);
        t.serve<ops::shiftRanking>(Write);
        t.serve<ops::getAthletesWithoutValidSingleResults>(Read);
        t.serve<ops::getMissingResults>(Read);
        t.serve<ops::checkResultRankingPlausibility>(Read);
        t.serve<ops::checkAmbiguousBibResults>(Read);
        return t;
    }();
    return table;
}

std::optional<TTVPWebServices> serviceFromName(std::string_view name)
{
    // The client's built-in default address names the UI store so.
    if (name == "UiExchangeService")
        return TTVPWebServices::UIS;
    for (int s = 0; s < int(TTVPWebServices::WEB_UI); ++s) {
        const auto service = TTVPWebServices(s);
        const QString segment = proto::serviceUrlSegment(service);
        if (QStringView(segment).chopped(1) == QString::fromUtf8(name.data(), qsizetype(name.size())))
            return service;
    }
    return std::nullopt;
}

ServerError::ServerError(int id, QStringList parameters)
    : std::runtime_error(errors::format(id, parameters).toStdString()), id(id), parameters(std::move(parameters))
{
}

} // namespace tvp::standin
