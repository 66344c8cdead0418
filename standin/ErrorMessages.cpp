#include "standin/ErrorMessages.h"

namespace tvp::standin::errors {

const std::vector<Message>& messages()
{
    static const std::vector<Message> all = {
        {NameInUse, "Eine Veranstaltung mit dem Namen %s existiert bereits."},
        {CompetitionNotFound, "Die Veranstaltung mit der ID %s existiert nicht."},
        {TransactionNotFound, "Die Transaktion %s ist nicht (mehr) offen."},

        // Clubs, billing and squads.
        {AthleteResultsInDiscipline, "Athleten haben in der Disziplin %s bereits Ergebnisse."},
        {TeamResultsInDiscipline, "Teams haben in der Disziplin %s bereits Ergebnisse."},
        {TeamInOtherSquad, "Das Team %s ist bereits der Riege %s zugewiesen."},
        {SquadAssignedToDiscipline, "Die Riege %s ist der Disziplin %s zugeordnet."},
        {SquadDisciplineAgeClass, "Die Riege %s ist der Disziplin %s mit anderer Altersklasse zugeordnet."},
        {SquadTeamAgeClass, "Das Team %s der Riege %s hat eine andere Altersklasse."},
        {ClubHasTeams, "Der Verein/die Organisation %s ist noch Abrechnungsverein von Teams."},
        {ClubHasAthletes, "Dem Verein/der Organisation %s sind noch Athleten zugewiesen."},
        {SquadHasScheduleItems, "Der Riege %s sind Zeitplaneinträge zugeordnet."},
        {ClubNotFound, "Der Verein/die Organisation mit der ID %s existiert nicht."},
        {SquadNotFound, "Die Riege mit der ID %s existiert nicht."},
        {SquadTeamNotFound, "Das Team mit der ID %s gehört nicht zu dieser Veranstaltung."},
        {SquadAgeClassNotFound, "Die Altersklasse mit der ID %s gehört nicht zu dieser Veranstaltung."},
    };
    return all;
}

QString format(int id, const QStringList& parameters)
{
    for (const Message& m : messages()) {
        if (m.id != id)
            continue;
        QString text = QString::fromUtf8(m.text);
        qsizetype at = 0;
        for (const QString& p : parameters) {
            at = text.indexOf(QStringLiteral("%s"), at);
            if (at < 0)
                break;
            text.replace(at, 2, p);
            at += p.size();
        }
        return text;
    }
    return QStringLiteral("Fehler %1").arg(id);
}

} // namespace tvp::standin::errors
