#include "scoring/CupAthleteTools.h"

#include "core/results/tvpUtils.h"

#include <QStringList>

#include <algorithm>

namespace tvp {

// ---- TCupResult ----

TCupResult::TCupResult(const proto::AssignedResultType& result, TResultformat fmt, QString pattern, int maxAttempt)
    : FResultFormat(fmt), FResultPattern(std::move(pattern)), maxAttempt_(std::max(1, maxAttempt))
{
    AddResult(result);
}

void TCupResult::AddResult(const proto::AssignedResultType& result)
{
    // The attempt comes from the server: one outside the table's attempts would write before the
    // slots or make room without bound.
    if (result.Attempt < 1 || result.Attempt > maxAttempt_)
        return;
    text_.reset();
    const auto slot = std::size_t(result.Attempt - 1);
    if (FResults.size() <= slot)
        FResults.resize(slot + 1);
    if (isEmptyResult(&result))
        FResults[slot].reset();
    else
        FResults[slot] = static_cast<const proto::ResultType&>(result);
}

QString TCupResult::getResultString() const
{
    if (!text_) {
        QStringList parts;
        for (const auto& r : FResults)
            parts << ResultToString(r ? &*r : nullptr, FResultFormat, FResultPattern);
        text_ = parts.join(u',');
    }
    return *text_;
}

proto::ResultType TCupResult::getFirstResult() const
{
    if (!FResults.empty() && FResults.front())
        return *FResults.front();
    proto::ResultType none;
    none.Type_ = proto::ResultValueType::Info;
    none.Info = proto::ResultInfo::ung;
    return none;
}

int TCupResult::compareTo(const TCupResult* other) const
{
    const proto::ResultType mine = getFirstResult();
    if (other)
        return CompareResult(mine, other->getFirstResult());
    return mine.Type_ != proto::ResultValueType::Info ? 1 : 0;
}

// ---- TCupResultObj ----

void TCupResultObj::addResult(const proto::AssignedResultType& result, int index, TResultformat fmt,
                              const QString& pattern, int maxAttempt)
{
    if (index < 0)
        return;
    if (int(FResults.size()) <= index)
        FResults.resize(std::size_t(index) + 1);
    auto& slot = FResults[std::size_t(index)];
    if (slot)
        slot->AddResult(result);
    else
        slot = std::make_unique<TCupResult>(result, fmt, pattern, maxAttempt);
}

const TCupResult* TCupResultObj::getResult(int i) const
{
    return i >= 0 && i < int(FResults.size()) ? FResults[std::size_t(i)].get() : nullptr;
}

QString TCupResultObj::getResultString(int i) const
{
    const TCupResult* r = getResult(i);
    return r ? r->getResultString() : QString();
}

bool TCupResultObj::hasResults() const
{
    return std::any_of(FResults.begin(), FResults.end(), [](const auto& r) { return r != nullptr; });
}

// ---- TCupTeam ----

int TCupTeam::compareTo(const TCupTeam& other) const
{
    const TCupResult* mine = getResult(0);
    const TCupResult* theirs = other.getResult(0);
    if (mine)
        return mine->compareTo(theirs);
    if (theirs && theirs->getFirstResult().Type_ != proto::ResultValueType::Info)
        return -1;
    return 0;
}

// ---- TCupAthlete ----

TCupAthlete::TCupAthlete(const proto::FinisherType& finisher, const TCupAthleteList& list,
                         std::unordered_map<int, std::vector<TCupTeam*>>& teamsMap)
{
    FCompParticipations.assign(std::size_t(list.getNoOfCompetitions()), false);
    if (const proto::CupAthleteType* athlete = finisher.Athlete.get()) {
        FID = athlete->AthleteID;
        if (athlete->Name) {
            FgivenName = athlete->Name->givenName;
            FsurName = athlete->Name->surName;
        }
        for (const proto::CustomInformationType& info : athlete->CustomInformations) {
            const int column = info.Column ? list.getCustomColIndexForId(info.Column->ID) : -1;
            if (column < 0)
                continue; // a column the cup no longer lists
            if (int(FcustomCols.size()) <= column)
                FcustomCols.resize(std::size_t(column) + 1);
            FcustomCols[std::size_t(column)] = info.Value;
        }
        for (const proto::CompetitionAthleteType& assigned : athlete->AssignedAthletes)
            if (assigned.Competition)
                setCompParticipation(list.getCompetitionIndexForId(assigned.Competition->ID));
    }
    for (const proto::CupTeamType& t : finisher.Teams) {
        FTeams.push_back(std::make_unique<TCupTeam>(t.TeamID, t.Name));
        teamsMap[t.TeamID].push_back(FTeams.back().get());
    }
}

QString TCupAthlete::getCustomColData(int i) const
{
    return i >= 0 && i < int(FcustomCols.size()) ? FcustomCols[std::size_t(i)] : QString();
}

QString TCupAthlete::getCompetitionParticipationString(int i) const
{
    const bool took = i >= 0 && i < int(FCompParticipations.size()) && FCompParticipations[std::size_t(i)];
    return took ? QStringLiteral("x") : QStringLiteral("-");
}

int TCupAthlete::getNoOfParticipations() const
{
    return int(std::count(FCompParticipations.begin(), FCompParticipations.end(), true));
}

const TCupTeam* TCupAthlete::getTeam(int i) const
{
    return i >= 0 && i < int(FTeams.size()) ? FTeams[std::size_t(i)].get() : nullptr;
}

int TCupAthlete::getNoOfTeamsWithResults() const
{
    return int(std::count_if(FTeams.begin(), FTeams.end(), [](const auto& t) { return t->hasResults(); }));
}

void TCupAthlete::SortTeams()
{
    // The best team by the first team node's result first.
    std::stable_sort(FTeams.begin(), FTeams.end(), [](const auto& a, const auto& b) { return a->compareTo(*b) > 0; });
}

void TCupAthlete::setCompParticipation(int i)
{
    if (i >= 0 && i < int(FCompParticipations.size()))
        FCompParticipations[std::size_t(i)] = true;
}

// ---- TCupAthleteList ----

TCupAthleteList::TCupAthleteList(const std::vector<proto::FinisherType>& finishers,
                                 const std::vector<proto::CustomColumnType>& customCols, const proto::CupType& cup)
    : FCustomCupCols(customCols), FCompetitions(cup.AssignedCompetitions)
{
    FAthletes.reserve(finishers.size());
    for (const proto::FinisherType& f : finishers) {
        FAthletes.push_back(std::make_unique<TCupAthlete>(f, *this, FTeamsMap));
        FAthleteMap[FAthletes.back()->id()] = FAthletes.back().get();
    }
}

void TCupAthleteList::addResults(const proto::getResultTableResponse1& table, const TAggInfo& agg, TResultformat fmt)
{
    const proto::ResultTableType* kind = table.ResultTableType.get();
    const QString pattern = kind ? kind->ResultUnitPattern : QString();
    const int maxAttempt = kind ? kind->ResultsPerRow : 0;
    if (kind && kind->Team) {
        const int index = int(FTeamAggs.size());
        for (const proto::AssignedResultType& r : table.Results) {
            if (r.TeamId.size() != 1)
                continue;
            auto it = FTeamsMap.find(r.TeamId.front());
            if (it == FTeamsMap.end())
                continue;
            for (TCupTeam* team : it->second)
                team->addResult(r, index, fmt, pattern, maxAttempt);
        }
        if (index == 0)
            for (auto& a : FAthletes)
                a->SortTeams();
        FTeamAggs.push_back(agg);
        return;
    }
    const int index = int(FAthleteAggs.size());
    for (const proto::AssignedResultType& r : table.Results)
        if (auto it = FAthleteMap.find(r.AthleteId); it != FAthleteMap.end())
            it->second->addResult(r, index, fmt, pattern, maxAttempt);
    FAthleteAggs.push_back(agg);
}

const TCupAthlete* TCupAthleteList::getAthlete(int i) const
{
    return i >= 0 && i < int(FAthletes.size()) ? FAthletes[std::size_t(i)].get() : nullptr;
}

int TCupAthleteList::getCompetitionIndexForId(int id) const
{
    for (std::size_t i = 0; i < FCompetitions.size(); ++i)
        if (FCompetitions[i].ID == id)
            return int(i);
    return -1;
}

int TCupAthleteList::getCustomColIndexForId(int id) const
{
    for (std::size_t i = 0; i < FCustomCupCols.size(); ++i)
        if (FCustomCupCols[i].ID == id)
            return int(i);
    return -1;
}

QString TCupAthleteList::getCustomColumnName(int i) const
{
    return i >= 0 && i < int(FCustomCupCols.size()) ? FCustomCupCols[std::size_t(i)].Name : QString();
}

QString TCupAthleteList::getCompetitionName(int i) const
{
    return i >= 0 && i < int(FCompetitions.size()) ? FCompetitions[std::size_t(i)].Name : QString();
}

const TAggInfo* TCupAthleteList::getAthAgg(int i) const
{
    return i >= 0 && i < int(FAthleteAggs.size()) ? &FAthleteAggs[std::size_t(i)] : nullptr;
}

const TAggInfo* TCupAthleteList::getTeamAgg(int i) const
{
    return i >= 0 && i < int(FTeamAggs.size()) ? &FTeamAggs[std::size_t(i)] : nullptr;
}

} // namespace tvp
