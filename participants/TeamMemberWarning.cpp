#include "participants/TeamMemberWarning.h"

namespace tvp {

namespace {

void checkConstraints(TServicePorts& ports, const TTeamMemberWarningRequest& request,
                      TTeamMemberWarningResponse& response)
{
    response.participantWarning = ports.drs().checkParticipantConstraints(request.resProvIDs, request.compId);
    response.resProvIDs = request.resProvIDs;
    response.compId = request.compId;
}

// A maximum is shown only when there is one: n > 0 means at most n - 1, 0 means unbounded.
QString genderMaximum(int lessThan, const char* gender)
{
    return lessThan > 0 ? QStringLiteral("max. %1 %2").arg(lessThan - 1).arg(QLatin1String(gender))
                        : QStringLiteral("unbeschr.");
}

} // namespace

const TRequestTable<TTeamMemberWarningRequest, TTeamMemberWarningResponse>& teamMemberWarningRequests()
{
    static const TRequestTable<TTeamMemberWarningRequest, TTeamMemberWarningResponse> table{{
        {0, QStringLiteral("Teammitglieder prüfen"), &checkConstraints},
    }};
    return table;
}

std::vector<TTeamWarningRow> teamWarningRows(const std::vector<proto::InvalidParticipantType>& warnings)
{
    std::vector<TTeamWarningRow> rows;
    for (const proto::InvalidParticipantType& w : warnings) {
        if (!w.FailedObject || !w.FailedObject->Team || !w.FailedConstraints)
            continue;
        const proto::TeamType& team = *w.FailedObject->Team;
        const proto::AgeClassType* a = team.AgeClass.get();
        const proto::FailedParticipantConstraintType& failed = *w.FailedConstraints;
        auto add = [&](const QString& problem, const QString& count, const QString& minimum, const QString& maximum,
                       const QString& gender) {
            // A team without age class has no rules to show.
            rows.push_back({team.TeamID,
                            {team.Name, problem, count, a ? a->Name : QString(), a ? minimum : QString(),
                             a ? maximum : QString(), a ? gender : QString()}});
        };
        if (failed.InvalidNoOfMembers)
            add(QStringLiteral("Anzahl Team-Mitglieder"), QString::number(team.NoOfAthletes),
                a ? QString::number(a->MinTeamMembers) : QString(), a ? QString::number(a->MaxTeamMembers) : QString(),
                {});
        if (failed.MixedGendersViolation)
            add(QStringLiteral("Geschlechtermischung"), {}, {}, {},
                a && a->MinMembersPerGender > 0 ? QStringLiteral("min. %1").arg(a->MinMembersPerGender)
                                                : QStringLiteral("unbeschr."));
        if (failed.MaxFemaleViolation)
            add(QStringLiteral("Zu viele weibliche Athleten"), {}, {}, {},
                genderMaximum(a ? a->FemaleMembersLessThan : 0, "w"));
        if (failed.MaxMaleViolation)
            add(QStringLiteral("Zu viele männliche Athleten"), {}, {}, {},
                genderMaximum(a ? a->MaleMembersLessThan : 0, "m"));
    }
    return rows;
}

std::vector<TRecordListModel<TTeamWarningRow>::Column> teamWarningColumns()
{
    std::vector<TRecordListModel<TTeamWarningRow>::Column> columns;
    const char* captions[] = {"Teamname",   "Problem",    "Anzahl Athleten",     "Altersklasse",
                              "Min #Athl.", "Max #Athl.", "Geschlechter Vorgabe"};
    for (int c = 0; c < 7; ++c)
        columns.push_back({QString::fromUtf8(captions[c]), [c](const TTeamWarningRow& r) { return r.cells.value(c); }});
    return columns;
}

} // namespace tvp
