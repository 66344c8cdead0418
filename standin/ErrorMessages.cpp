#include "standin/ErrorMessages.h"

namespace tvp::standin::errors {

const std::vector<Message>& messages()
{
    static const std::vector<Message> all = {
        {NameInUse, "Eine Veranstaltung mit dem Namen %s existiert bereits."},
        {CompetitionNotFound, "Die Veranstaltung mit der ID %s existiert nicht."},
        {TransactionNotFound, "Die Transaktion %s ist nicht (mehr) offen."},
        {ServerBusy, "Server ausgelastet, bitte erneut versuchen"},
        {TooManyTransactions, "Diese Sitzung hat schon %s offene Transaktionen; bitte zuerst eine davon beenden."},
        {ReadOnlyTransaction,
         "Die Operation %s ändert Daten und ist in einer Transaktion nur zum Lesen nicht erlaubt."},

        // Teams area: age classes and teams.
        {TeamHasAthletes, "Dem Team %s sind noch Athleten zugewiesen."},
        {TeamHasResults, "Dem Team %s sind schon Ergebnisse zugewiesen."},
        {TeamInDisciplineLists, "Das Team %s ist schon in Disziplineinteilungen vorhanden."},
        {AgeClassInUse, "Die Altersklasse %s wird noch von %s Team(s), %s Riege(n) und %s Disziplin(en) verwendet "
                        "und kann nicht gelöscht werden."},
        {TeamSquadOfOtherAgeClass, "Das Team %s ist der Riege %s mit der Altersklasse %s zugeordnet."},
        {AgeClassNotFound, "Die Altersklasse mit der ID %s existiert nicht."},
        {TeamNotFound, "Das Team mit der ID %s existiert nicht."},
        {ClubNotFound, "Der Verein/die Organisation mit der ID %s existiert nicht."},

        // Athletes.
        {BibTaken, "Die Startnummer %s ist bereits dem Athleten %s zugewiesen."},
        {BibHasResults, "Der Startnummer %s sind bereits Ergebnisse zugewiesen."},
        {AthleteInDisciplines, "Der Athlet %s ist bereits in Disziplineinteilungen vorhanden."},
        {AthleteHasResults, "Dem Athleten %s sind bereits Ergebnisse zugewiesen."},
        {AmbiguousBibResults, "Die Startnummer %s würde mehrdeutige Ergebnisse verursachen: dem Athleten ist in "
                              "derselben Disziplin und demselben Versuch schon ein Ergebnis zugewiesen."},
        {AmbiguousTeamResults, "Die Zuordnung des Athleten %s zum Team würde mehrdeutige Ergebnisse verursachen: "
                               "dem Team ist in derselben Disziplin und demselben Versuch schon ein Ergebnis "
                               "zugewiesen."},
        {AthleteNotFound, "Der Athlet mit der ID %s existiert nicht."},
        {BlankBarcodeNotReserved, "Der Blanko-Barcode %s ist für diese Veranstaltung nicht reserviert."},
        {BlankBarcodeInUse, "Der Blanko-Barcode %s ist bereits dem Athleten %s zugewiesen."},
        {BibInvalid, "Ungültige Startnummer %s: Startnummern sind ganze Zahlen ab 1."},
        {BibTwice, "Die Startnummer %s ist mehrfach angegeben."},
        {NoAthleteWithBarcode, "Es gibt keinen Athleten mit dem Barcode %s."},
        {AthleteHasBib, "Der Athlet %s hat bereits eine Startnummer."},

        // Imports and blank barcodes.
        {InvalidParticipantFile, "Die Teilnehmerdatei ist ungültig: %s"},
        {InvalidBarcodeCount, "Die Anzahl %s ist ungültig: reserviert werden 1 bis %s Barcodes auf einmal."},

        // Competition export and import.
        {InvalidCompetitionFile, "Die Datei ist keine gültige Veranstaltungsdatei: %s"},

        // Disciplines and scoring nodes.
        {AssignmentChangeWithResults,
         "Die Disziplin %s enthält bereits Ergebnisse, die mit der neuen Leistungszuordnung nicht zugeordnet werden "
         "können."},
        {NotAnAggregator, "Die ID %s gehört zu keinem Ergebnis-Aggregator."},
        {DisciplineHasHeats, "Die Disziplin %s enthält Laufeinteilungen."},
        {DisciplineHasResults, "Der Disziplin %s sind Ergebnisse und Laufeinteilungen zugewiesen."},
        {FewerAttemptsWithResults, "Die Disziplin %s enthält Ergebnisse von Versuchen/Läufen über %s."},
        {TeamChangeWithResults, "Der Disziplin %s sind Ergebnisse und Laufeinteilungen zugewiesen."},
        {TeamChangeWithHeats, "Die Disziplin %s enthält Laufeinteilungen."},
        // 45 (squads with results leave the discipline) shares the athletes' text above.
        {SquadsOfOtherAgeClass, "Der Disziplin %s sind schon Riegen anderer Altersklassen zugeordnet."},
        {DisciplineHasScheduleItems, "Die Disziplin %s enthält bereits Zuordnungen zu Zeitplaneinträgen."},
        {ResultTypeChangeWithResults,
         "Der Ergebnistyp der Disziplin %s soll geändert werden, aber die Disziplin enthält bereits Ergebnisse."},
        {DisciplineNotFound, "Die Disziplin mit der ID %s existiert nicht."},
        {TemplateNotFound, "Die Aggregator-Vorlage mit der ID %s existiert nicht."},
        {ParameterCount, "Die Aggregator-Vorlage %s erwartet %s Parameter, übergeben wurden %s."},
        {ProviderNotFound, "Die Quelle %s ist keine Disziplin und kein Ergebnis-Aggregator dieser Veranstaltung."},
        {SourceCycle, "Der Ergebnis-Aggregator %s kann nicht (auch nicht über andere) seine eigene Quelle sein."},
        {NoSource, "Ein Ergebnis-Aggregator braucht mindestens eine Quelle."},
        {OnlySourceOf, "Der Ergebnis-Aggregator %s ist die einzige Quelle von %s."},
        {InvalidDiscipline, "Ungültige Disziplindaten: %s."},

        // Competition lists: heats, positions, squad assignment and the lock.
        {SquadAgeClassMismatch, "Die Riege %s und die Disziplin %s haben unterschiedliche Altersklassen."},
        {ParticipantNotInCompetition, "Der Athlet oder das Team mit der ID %s gehört nicht zur Veranstaltung der "
                                      "Disziplin %s."},
        {SquadNotInCompetition, "Die Riege mit der ID %s gehört nicht zur Veranstaltung der Disziplin %s."},
        {InvalidHeatNo, "Die Lauf-/Gruppennummer %s ist ungültig, sie muss mindestens 1 sein."},
        {InvalidPosition, "Die Position %s ist ungültig, erlaubt sind 1 bis %s."},
        {TeamDisciplineTakesTeams, "In die Teamdisziplin %s können nur Teams eingeteilt werden."},
        {SingleDisciplineTakesAthletes, "In die Einzeldisziplin %s können nur Athleten eingeteilt werden."},
        {InvalidListLock, "Der Sperrstatus %s kann nicht gesetzt werden, nur LOCKED oder UNLOCKED."},
        {NotPlacedInDiscipline, "Der Teilnehmer mit der ID %s ist in der Disziplin %s nicht eingeteilt."},

        // Clubs, billing and squads.
        {TeamInOtherSquad, "Das Team %s ist bereits der Riege %s zugewiesen."},
        {SquadAssignedToDiscipline, "Die Riege %s ist der Disziplin %s zugeordnet."},
        {SquadDisciplineAgeClass, "Die Riege %s ist der Disziplin %s mit anderer Altersklasse zugeordnet."},
        {SquadTeamAgeClass, "Das Team %s der Riege %s hat eine andere Altersklasse."},
        {ClubHasTeams, "Der Verein/die Organisation %s ist noch Abrechnungsverein von Teams."},
        {ClubHasAthletes, "Dem Verein/der Organisation %s sind noch Athleten zugewiesen."},
        {SquadHasScheduleItems, "Der Riege %s sind Zeitplaneinträge zugeordnet."},
        {SquadNotFound, "Die Riege mit der ID %s existiert nicht."},

        // Facilities and the schedule.
        {FacilityHasScheduleItems, "Der Wettkampfanlage %s sind Zeitplaneinträge zugeordnet."},
        {FacilityPlaceHasScheduleItems,
         "Einer zu entfernenden Disziplin der Wettkampfanlage %s sind Zeitplaneinträge zugeordnet."},
        {FacilityNotFound, "Die Wettkampfanlage mit der ID %s existiert nicht."},
        {FacilityNameEmpty, "Eine Wettkampfanlage braucht einen Namen."},
        {FacilityPlaceNotFound, "Die Disziplin-Wettkampfanlagenkombination mit der ID %s existiert nicht."},
        {ScheduleItemNotFound, "Der Zeitplaneintrag mit der ID %s existiert nicht."},
        {UnreadablePdf, "Die PDF-Datei Nr. %s kann nicht gelesen werden."},

        {SourceDoesNotFit, "Der Ergebnis-Aggregator \"%s\" unterstützt das Eingabeformat der Quelle %s nicht."},

        // Global parameters and cups.
        {ParameterNotResolvable, "%s: Der Parameter %s hat den Wert \"%s\", der weder eine Zahl (mit \".\") noch "
                                 "ein Parameter der Veranstaltung oder des Cups ist."},
        {ParameterNotFound, "Der Parameter %s existiert nicht."},
        {CupNotFound, "Der Cup mit der ID %s existiert nicht."},
        {GlobalParameterInUse, "Der Veranstaltungsparameter %s wird noch von %s Ergebnis-Aggregator(en) verwendet."},
        {CupParameterInUse, "Der Cup-Parameter %s wird noch von %s Ergebnis-Aggregator(en) verwendet."},
        // Cups, their items, custom columns and scorings.
        {ColumnHasValues, "In der Spalte %s sind noch Werte eingetragen."},
        {CupParametersToResolve, "Der Ergebnis-Aggregator %s verweist auf den Parameter %s; er wird beim Verschieben "
                                 "in den Cup zu seinem Zahlenwert aufgelöst."},
        {CompetitionUsedByCupScorings, "Die Veranstaltung %s ist noch Quelle von %s Cup-Ergebnis-Aggregator(en)."},
        {CupItemNotFound, "Der Cup-Eintrag mit der ID %s existiert nicht."},
        {CustomColumnNotFound, "Die benutzerdefinierte Spalte mit der ID %s existiert nicht."},
        {CupNameEmpty, "Ein Cup braucht einen Namen."},
        {EntryNotInCup, "Der Eintrag mit der ID %s gehört zu keiner Veranstaltung des Cups %s."},
        {AlreadyCupScoring, "Der Ergebnis-Aggregator %s gehört bereits zu einem Cup."},
        {NodeDrawnOnInCompetition, "Der Ergebnis-Aggregator %s ist Quelle anderer Ergebnis-Aggregatoren der "
                                   "Veranstaltung und kann nicht in den Cup verschoben werden."},
        {NodeCompetitionNotInCup, "Die Veranstaltung des Ergebnis-Aggregators %s gehört nicht zum Cup %s."},
        {NotACupScoring, "Der Ergebnis-Aggregator %s ist kein Cup-Ergebnis-Aggregator."},
        {ColumnNameEmpty, "Eine benutzerdefinierte Spalte braucht einen Namen."},
        {CupAthleteNameEmpty, "Vor- und Nachname eines Cup-Athleten dürfen nicht beide leer sein."},
        // Results.
        {NoResultTable, "Die ID %s gehört zu keiner Disziplin und keiner berechneten Auswertung."},
        {RankTaken, "Der Rang %s ist im %s. Versuch der Disziplin %s bereits %s zugewiesen."},
        {NoParticipantNamed, "Für das Ergebnis in der Disziplin %s ist kein Teilnehmer angegeben (weder "
                             "Startnummer noch Lauf/Bahn, Athlet oder Team)."},
        {AttemptOutOfRange, "Der Versuch %s ist ungültig, die Disziplin %s hat die Versuche 1 bis %s."},
        {EmptyPlace, "Auf Position %s in Lauf/Gruppe %s der Disziplin %s ist niemand eingeteilt; dort kann kein "
                     "Ergebnis gespeichert werden."},
        {RankBelowOne, "Die Rangfolge im %s. Versuch der Disziplin %s kann nicht um %s verschoben werden: der Rang "
                       "%s fiele unter 1."},
        // Result compilations.
        {CollectionNotFound, "Die Ergebniszusammenstellung mit der ID %s existiert nicht."},
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
