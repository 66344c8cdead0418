#include "results/ResultCheckRequests.h"

#include "core/results/tvpUtils.h"

namespace tvp {

namespace {

void checkResults(TServicePorts& ports, const TResultCheckRequest& request, TResultCheckResponse& response)
{
    response.resProvIDs = request.resProvIDs;
    response.showOkMessage = request.showOkMessage;
    proto::DataRetrievalPortType& drs = ports.drs();
    response.athletes = drs.getAthletesWithoutValidSingleResults(request.resProvIDs);
    response.missingResults = drs.getMissingResults(request.resProvIDs, 0);
    response.implausibleRanks = drs.checkResultRankingPlausibility(request.resProvIDs, 0);
}

QString fullName(const proto::AthleteType* athlete)
{
    if (!athlete || !athlete->Name)
        return {};
    return athlete->Name->givenName + QLatin1Char(' ') + athlete->Name->surName;
}

QString disciplineName(const proto::Owned<proto::DisciplinType>& disc)
{
    return disc ? disc->Name : QString();
}

const proto::TeamType* teamOf(const proto::ParticipantRankType* p)
{
    if (!p)
        return nullptr;
    if (p->Team)
        return p->Team.get();
    return p->Athlete ? p->Athlete->Team.get() : nullptr;
}

// "Zwischen a und b", "Vor b" or "-".
QString between(const QString& before, const QString& after)
{
    if (!before.isEmpty() && !after.isEmpty())
        return QStringLiteral("Zwischen ") + before + QStringLiteral(" und ") + after;
    if (!after.isEmpty())
        return QStringLiteral("Vor ") + after;
    return QStringLiteral("-");
}

} // namespace

const TRequestTable<TResultCheckRequest, TResultCheckResponse>& resultCheckRequests()
{
    static const TRequestTable<TResultCheckRequest, TResultCheckResponse> table{{
        {0, QStringLiteral("Leistungen prüfen"), &checkResults},
    }};
    return table;
}

TAthleteCheckEntry athleteCheckEntry(const proto::AthleteWithoutValidResultType& record)
{
    TAthleteCheckEntry e;
    if (record.Athlete) {
        e.athlete = *record.Athlete;
        if (record.Athlete->Name) {
            e.givenName = record.Athlete->Name->givenName;
            e.surName = record.Athlete->Name->surName;
        }
        if (const proto::TeamType* team = record.Athlete->Team.get())
            e.team = team->AgeClass ? QStringLiteral("%1 (%2)").arg(team->Name, team->AgeClass->Name) : team->Name;
    }
    if (record.InvalidResults.empty()) {
        e.results = QStringLiteral("Keine Leistungen");
        return e;
    }
    QStringList parts;
    for (const proto::InvalidResultsType& invalid : record.InvalidResults) {
        QStringList names;
        for (const proto::DisciplinType& d : invalid.Disciplines)
            names << d.Name;
        parts << ResultInfoToString(invalid.ResultType) + u'(' + names.join(u';') + u')';
    }
    e.results = parts.join(QStringLiteral(", "));
    return e;
}

TWarningListItem missingResultEntry(const proto::MissingResultType& record)
{
    TWarningListItem e;
    e.discipline = disciplineName(record.Discipline);
    e.problem = QStringLiteral("Fehlende Leistung");
    e.heat = QString::number(record.HeatNo);
    e.DisciplineID = record.Discipline ? record.Discipline->DisciplinID : 0;
    e.heatNo = record.HeatNo;
    e.squad = e.team = e.participants = QStringLiteral("-");
    if (const proto::ParticipantGroupType* group = record.ParticipantGroup.get()) {
        if (group->Squad)
            e.squad = getSquadInfoStr(group->Squad.get());
        if (!group->Teams.empty()) {
            QStringList names;
            for (const proto::TeamType& t : group->Teams)
                names << t.Name;
            e.team = names.join(QStringLiteral(", "));
            e.teamID = group->Teams.front().TeamID;
        }
        if (!group->Athletes.empty()) {
            QStringList names;
            for (std::size_t i = 0; i < group->Athletes.size() && i < 6; ++i)
                names << fullName(&group->Athletes[i]);
            e.participants = names.join(QStringLiteral(", "));
            if (group->Athletes.size() > 6)
                e.participants += QStringLiteral(", ...");
            e.athleteId = group->Athletes.front().AthleteID;
        }
        e.Attempt = group->FirstMissingAttempt;
    }
    return e;
}

TWarningListItem rankingIssueEntry(const proto::RankingIssueType& record)
{
    TWarningListItem e;
    e.discipline = disciplineName(record.Discipline);
    e.DisciplineID = record.Discipline ? record.Discipline->DisciplinID : 0;
    e.heat = QStringLiteral("-");
    e.Attempt = record.Attempt;
    e.tryshowAquireBib = true;
    const proto::ParticipantRankType* before = record.MissingRank ? record.MissingRank->Before.get() : nullptr;
    const proto::ParticipantRankType* after = record.MissingRank ? record.MissingRank->After.get() : nullptr;
    const int afterRank = after ? after->Rank : 0;
    e.problem = before ? QStringLiteral("Rang fehlt zwischen %1 und %2").arg(before->Rank).arg(afterRank)
                       : QStringLiteral("Rang fehlt vor %1").arg(afterRank);
    auto squad = [](const proto::ParticipantRankType* p) {
        const proto::TeamType* t = teamOf(p);
        return t && t->SquadInfo ? getSquadInfoStr(t->SquadInfo.get()) : QString();
    };
    auto team = [](const proto::ParticipantRankType* p) {
        const proto::TeamType* t = teamOf(p);
        return t ? t->Name : QString();
    };
    auto person = [](const proto::ParticipantRankType* p) { return p ? fullName(p->Athlete.get()) : QString(); };
    e.squad = between(squad(before), squad(after));
    e.team = between(team(before), team(after));
    e.participants = between(person(before), person(after));
    if (const proto::TeamType* t = teamOf(after))
        e.teamID = t->TeamID;
    if (after && after->Athlete)
        e.athleteId = after->Athlete->AthleteID;
    return e;
}

TBibConflictEntry bibConflictEntry(const proto::AmbiguousResultType& record)
{
    TBibConflictEntry e;
    e.discipline = disciplineName(record.Discipline);
    e.DisciplineID = record.Discipline ? record.Discipline->DisciplinID : 0;
    if (record.Athlete) {
        e.participant = fullName(record.Athlete.get());
        e.participantId = record.Athlete->AthleteID;
    } else if (record.Team) {
        e.participant = record.Team->Name;
        e.participantId = record.Team->TeamID;
    } else {
        e.participant = QStringLiteral("-");
    }
    QStringList bibs, results;
    for (const proto::AmbiguousBibResultType& r : record.AmbiguousBibResults) {
        bibs << QString::number(r.Bib);
        results << ResultToString(r.Result.get(), TResultformat::rf_Default, QString());
    }
    e.bibs = bibs.join(QStringLiteral(", "));
    e.results = results.join(QStringLiteral(", "));
    e.attempt = QString::number(record.Attempt);
    if (record.Competition) {
        e.competition = record.Competition->Name;
        e.CompetitionID = record.Competition->ID;
    }
    return e;
}

} // namespace tvp
