#pragma once
// Error ids of the stand-in's refusals and their German texts ("%s" takes the parameters in order).

#include <QString>
#include <QStringList>

#include <vector>

namespace tvp::standin::errors {

inline constexpr int NameInUse = 2;
inline constexpr int CompetitionNotFound = 3;
inline constexpr int TransactionNotFound = 901;
inline constexpr int ServerBusy = 902;
inline constexpr int TooManyTransactions = 903;
inline constexpr int ReadOnlyTransaction = 904;

// Teams area: age classes and teams.
inline constexpr int TeamHasAthletes = 46;
inline constexpr int TeamHasResults = 47;
inline constexpr int TeamInDisciplineLists = 48;
inline constexpr int AgeClassInUse = 49;
inline constexpr int TeamSquadOfOtherAgeClass = 67;
inline constexpr int AgeClassNotFound = 920;
inline constexpr int TeamNotFound = 921;
inline constexpr int ClubNotFound = 922;

// Athletes.
inline constexpr int BibTaken = 40;
inline constexpr int BibHasResults = 41;
inline constexpr int AthleteInDisciplines = 44;
inline constexpr int AthleteHasResults = 45;
// The same id as removing an athlete with results: the client's force prompt for a team change.
inline constexpr int AthleteHasResultsInDisciplines = 45;
inline constexpr int AmbiguousBibResults = 178;
inline constexpr int AmbiguousTeamResults = 179;
inline constexpr int AthleteNotFound = 230;
inline constexpr int BlankBarcodeNotReserved = 233;
inline constexpr int BlankBarcodeInUse = 234;
inline constexpr int BibInvalid = 235;
inline constexpr int BibTwice = 236;
inline constexpr int NoAthleteWithBarcode = 10;
inline constexpr int AthleteHasBib = 119;

// Imports and blank barcodes.
inline constexpr int InvalidParticipantFile = 250;
inline constexpr int InvalidBarcodeCount = 251;

// Competition export and import.
inline constexpr int InvalidCompetitionFile = 260;

// Disciplines and scoring nodes.
inline constexpr int AssignmentChangeWithResults = 12;
inline constexpr int NotAnAggregator = 21;
inline constexpr int DisciplineHasHeats = 35;
inline constexpr int DisciplineHasResults = 36;
inline constexpr int FewerAttemptsWithResults = 37;
inline constexpr int TeamChangeWithResults = 38;
inline constexpr int TeamChangeWithHeats = 39;
inline constexpr int RemovedSquadsHaveResults = 45;
inline constexpr int SquadsOfOtherAgeClass = 70;
inline constexpr int DisciplineHasScheduleItems = 168;
inline constexpr int ResultTypeChangeWithResults = 182;
inline constexpr int DisciplineNotFound = 13;
inline constexpr int TemplateNotFound = 602;
inline constexpr int ParameterCount = 603;
inline constexpr int ProviderNotFound = 604;
inline constexpr int SourceCycle = 605;
inline constexpr int NoSource = 606;
inline constexpr int OnlySourceOf = 607;
inline constexpr int InvalidDiscipline = 609;
inline constexpr int SourceDoesNotFit = 143;

// Competition lists: heats, positions, squad assignment and the lock.
// Unknown disciplines: DisciplineNotFound (13), with the disciplines above.
inline constexpr int SquadAgeClassMismatch = 73;
inline constexpr int ParticipantNotInCompetition = 1201;
inline constexpr int SquadNotInCompetition = 1202;
inline constexpr int InvalidHeatNo = 1203;
inline constexpr int InvalidPosition = 1204;
inline constexpr int TeamDisciplineTakesTeams = 1205;
inline constexpr int SingleDisciplineTakesAthletes = 1206;
inline constexpr int InvalidListLock = 1207;
inline constexpr int NotPlacedInDiscipline = 1208;

// Clubs, billing and squads.
inline constexpr int TeamInOtherSquad = 61;
inline constexpr int SquadAssignedToDiscipline = 66;
inline constexpr int SquadDisciplineAgeClass = 71;
inline constexpr int SquadTeamAgeClass = 74;
inline constexpr int ClubHasTeams = 117;
inline constexpr int ClubHasAthletes = 118;
inline constexpr int SquadHasScheduleItems = 151;
inline constexpr int SquadNotFound = 923;

// Facilities and the schedule.
inline constexpr int FacilityHasScheduleItems = 153;
inline constexpr int FacilityPlaceHasScheduleItems = 169;
inline constexpr int FacilityNotFound = 930;
inline constexpr int FacilityNameEmpty = 931;
inline constexpr int FacilityPlaceNotFound = 932;
inline constexpr int ScheduleItemNotFound = 933;

// Merging PDF files (ToolingService).
inline constexpr int UnreadablePdf = 934;

// Global parameters and cups.
inline constexpr int ParameterNotResolvable = 57;
inline constexpr int ParameterNotFound = 59;
inline constexpr int CupNotFound = 80;
inline constexpr int GlobalParameterInUse = 180;
inline constexpr int CupParameterInUse = 181;
// Cups, their items, custom columns and scorings.
inline constexpr int ColumnHasValues = 100;
inline constexpr int CupParametersToResolve = 102;
inline constexpr int CompetitionUsedByCupScorings = 110;
inline constexpr int CupItemNotFound = 1401;
inline constexpr int CustomColumnNotFound = 1402;
inline constexpr int CupNameEmpty = 1403;
inline constexpr int EntryNotInCup = 1404;
inline constexpr int AlreadyCupScoring = 1405;
inline constexpr int NodeDrawnOnInCompetition = 1406;
inline constexpr int NodeCompetitionNotInCup = 1407;
inline constexpr int NotACupScoring = 1408;
inline constexpr int ColumnNameEmpty = 1409;
inline constexpr int CupAthleteNameEmpty = 1410;
// Results.
inline constexpr int NoResultTable = 22;
inline constexpr int RankTaken = 122;
inline constexpr int NoParticipantNamed = 1301;
inline constexpr int AttemptOutOfRange = 1302;
inline constexpr int EmptyPlace = 1303;
inline constexpr int RankBelowOne = 1304;
// Result compilations.
inline constexpr int CollectionNotFound = 924;

struct Message {
    int id;
    const char* text;
};

// Every id the stand-in raises, as getExceptionMessages hands them out.
const std::vector<Message>& messages();

// The text of an id with its parameters filled in.
QString format(int id, const QStringList& parameters);

} // namespace tvp::standin::errors
