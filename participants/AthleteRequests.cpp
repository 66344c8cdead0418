#include "participants/AthleteRequests.h"

#include "core/barcode/BarcodeUtils.h"
#include "core/connection/DeletedElsewhere.h"
#include "core/results/tvpUtils.h"
#include "participants/ServerChanges.h"

#include <QRegularExpression>

#include <cstdlib>
#include <limits>

namespace tvp {

namespace {

using enum TAthleteRequestType;

proto::AthleteInfoDataType infoData(const TAthleteInfo& a)
{
    proto::AthleteInfoDataType i;
    i.Name = proto::AthleteNameType{a.fname, a.sname};
    i.Gender = a.gender;
    i.YearOfBirth = a.yearOfBirth;
    i.Bib = a.bibs;
    i.CustomBarcode = a.customBarcode;
    return i;
}

void copyRequest(const TAthleteRequest& request, TAthleteResponse& response)
{
    static_cast<TAthleteForces&>(response) = request;
    response.AgeClassID = request.AgeClassID;
    response.TeamID = request.TeamID;
    response.DisciplineId = request.DisciplineId;
    response.id = request.AthleteID;
    response.athleteInfo = request.athleteInfo;
    response.loaded = request.loaded;
    response.keptOwn = request.keptOwn;
}

void getAthletes(TServicePorts& ports, const TAthleteRequest& request, TAthleteResponse& response)
{
    copyRequest(request, response);
    const int competition = ports.competitionId();
    proto::DataRetrievalPortType& drs = ports.drs();
    response.getResponse =
        drs.getAthletes(competition, request.AgeClassID, request.TeamID, 0, nullptr, nullptr, request.DisciplineId);
    response.ageClasses = drs.getAgeClasses(competition, nullptr);
    response.disciplines = drs.getDisciplines(competition, nullptr, 0);
    response.teams = drs.getTeams(competition, 0, nullptr, 0);
    response.clubs = drs.getClubs(competition);
}

void createAthlete(TServicePorts& ports, const TAthleteRequest& request, TAthleteResponse& response)
{
    copyRequest(request, response);
    // The created athlete comes with the next load.
    ports.das().addAthlete(infoData(request.athleteInfo), request.athleteInfo.TeamId, ports.competitionId(),
                           request.allowReassignBibs, request.athleteInfo.ClubId);
}

// A field of the merge as the user reads it; the team's and club's names from the stored athlete,
// else from the lists.
QString athleteFieldText(TServicePorts& ports, const TAthleteInfo& a, int field, const proto::AthleteType* stored)
{
    QString text;
    switch (field) {
    case 0: text = a.fname; break;
    case 1: text = a.sname; break;
    case 2: text = bibstoString(a.bibs); break;
    case 3:
        if (stored && stored->Team)
            text = stored->Team->Name;
        else
            for (const proto::TeamType& t : ports.drs().getTeams(ports.competitionId(), 0, nullptr, 0))
                if (t.TeamID == a.TeamId)
                    text = t.Name;
        break;
    case 4: text = a.yearOfBirth > 0 ? QString::number(a.yearOfBirth) : QString(); break;
    case 5: text = genderToStr(a.gender); break;
    case 6:
        if (stored && stored->Club)
            text = stored->Club->Name;
        else
            for (const proto::ClubType& c : ports.drs().getClubs(ports.competitionId()))
                if (c.ClubId == a.ClubId)
                    text = c.Name;
        break;
    case 7: text = a.customBarcode != 0 ? blankBarcode(a.customBarcode) : QString(); break;
    }
    return text.trimmed().isEmpty() ? QStringLiteral("-") : text.trimmed();
}

void modifyAthlete(TServicePorts& ports, const TAthleteRequest& request, TAthleteResponse& response)
{
    copyRequest(request, response);
    const TAthleteInfo& named = request.loaded ? *request.loaded : request.athleteInfo;
    const QString record =
        QStringLiteral("Der Athlet \u201E%1\u201C").arg((named.fname + u' ' + named.sname).trimmed());
    saveUnlessDeletedElsewhere(ports, false, request.AthleteID, record, [&] {
        TAthleteInfo a = request.athleteInfo;
        if (request.loaded) {
            const proto::getAthleteInfoResponse1 now =
                ports.drs().getAthleteInfo(request.AthleteID, ports.competitionId(), 0, 0);
            if (now.Athlete) {
                const TAthleteInfo server = getAthleteRequestFromUI(athleteEditorOf(*now.Athlete), false).value_or(a);
                const int conflict = mergeServerChanges(
                    a, *request.loaded, server, request.keptOwn, &TAthleteInfo::fname, &TAthleteInfo::sname,
                    &TAthleteInfo::bibs, &TAthleteInfo::TeamId, &TAthleteInfo::yearOfBirth, &TAthleteInfo::gender,
                    &TAthleteInfo::ClubId, &TAthleteInfo::customBarcode);
                if (conflict >= 0)
                    refuseChangedElsewhere(athleteFieldCaption(conflict), conflict,
                                           athleteFieldText(ports, server, conflict, &*now.Athlete),
                                           athleteFieldText(ports, a, conflict, nullptr));
            }
        }
        ports.das().modifyAthlete(request.AthleteID, infoData(a), a.TeamId == 0, a.TeamId, request.allowReassignBibs,
                                  request.forceRemoveBibs, request.forceAmbiguousBib, request.forceTeamAmbiguousBib,
                                  request.forceRemoveAssignedResults, a.ClubId == 0, a.ClubId);
    });
}

void deleteAthlete(TServicePorts& ports, const TAthleteRequest& request, TAthleteResponse& response)
{
    copyRequest(request, response);
    ports.cms().removeAthlete(request.AthleteID, request.forceRemove);
}

void flipNames(TServicePorts& ports, const TAthleteRequest& request, TAthleteResponse& response)
{
    copyRequest(request, response);
    ports.das().flipAthleteNames(request.athleteIds);
}

void checkParticipants(TServicePorts& ports, const TAthleteRequest& request, TAthleteResponse& response)
{
    copyRequest(request, response);
    response.compId = ports.competitionId();
    response.showMessageIfNoWarning = request.showMessageIfNoWarning;
    response.participantWarning = ports.drs().checkParticipantConstraints({}, response.compId);
}

const QString kDeleteCaption = QStringLiteral("Athlet löschen");

} // namespace

const TRequestTable<TAthleteRequest, TAthleteResponse>& athleteRequests()
{
    static const TRequestTable<TAthleteRequest, TAthleteResponse> table{
        {
            {rt_get, QStringLiteral("Athletenliste laden"), &getAthletes},
            {rt_create, QStringLiteral("AthletIn anlegen"), &createAthlete},
            {rt_modify, QStringLiteral("Athletendaten ändern"), &modifyAthlete},
            {rt_delete, QStringLiteral("AthletIn löschen"), &deleteAthlete},
            {rt_flipAthleteNames, QStringLiteral("Namen tauschen"), &flipNames},
            {rt_checkParticipants, QStringLiteral("Teilnehmer prüfen"), &checkParticipants},
        },
        {
            {44, &TAthleteRequest::forceRemove,
             QStringLiteral("Der Athlet ist schon in Disziplineinteilungen vorhanden. Trotzdem löschen?"),
             kDeleteCaption, int(rt_delete)},
            {45, &TAthleteRequest::forceRemove,
             QStringLiteral("Dem Athleten sind schon Ergebnisse zugewiesen. Diese werden ebenfalls gelöscht. "
                            "Fortfahren?"),
             kDeleteCaption, int(rt_delete)},
        },
    };
    return table;
}

const TAthleteForcePrompt* athleteForcePrompt(TAthleteRequestType reqType, int errorId)
{
    static const std::vector<TAthleteForcePrompt> prompts{
        {rt_create, 40, &TAthleteForces::allowReassignBibs,
         QStringLiteral("Die Startnummer ist bereits einem anderen Athleten zugewiesen. Diese wird auf den neuen "
                        "Athleten umgeschrieben. Athlet trotzdem erstellen?")},
        {rt_modify, 40, &TAthleteForces::allowReassignBibs,
         QStringLiteral("Die Startnummer ist bereits einem anderen Athleten zugewiesen. Auf diesen Athleten "
                        "umschreiben?")},
        {rt_modify, 41, &TAthleteForces::forceRemoveBibs,
         QStringLiteral("Der zu entfernenden Startnummer sind Ergebnisse zugewiesen. Diese werden gelöscht. "
                        "Fortfahren?")},
        {rt_modify, 45, &TAthleteForces::forceRemoveAssignedResults,
         QStringLiteral("Durch den Team-/Riegenwechsel wird der Athlet aus Disziplinen entfernt, in denen ihm schon "
                        "Ergebnisse zugeordnet sind. Athlet mit seinen Ergebnissen von Disziplin entfernen?")},
        {rt_modify, 178, &TAthleteForces::forceAmbiguousBib,
         QStringLiteral("Zuweisen der Startnummer würde mehrdeutige Ergebnisse verursachen, da einer anderen "
                        "Startnummer des Athleten schon mindestens ein Ergebnis mit selber Disziplin und Versuch "
                        "zugewiesen ist. Trotzdem zuweisen und Konflikt später auflösen?")},
        {rt_modify, 179, &TAthleteForces::forceTeamAmbiguousBib,
         QStringLiteral("Zuweisen des Athleten zum Team würde mehrdeutige Ergebnisse verursachen, da einer "
                        "Startnummer des Athleten schon mindestens ein Ergebnis mit selber Disziplin und Versuch "
                        "wie dem Team zugewiesen ist. Trotzdem zuweisen und Konflikt später auflösen?")},
    };
    for (const TAthleteForcePrompt& p : prompts)
        if (p.reqType == reqType && p.errorId == errorId)
            return &p;
    return nullptr;
}

namespace {

std::unique_ptr<TAthleteRequest> athleteRequestAgain(const TAthleteResponse& refused)
{
    auto r = makeAthleteSave(refused.reqType, refused.id, refused.athleteInfo, refused.loaded);
    static_cast<TAthleteForces&>(*r) = refused;
    r->keptOwn = refused.keptOwn;
    return r;
}

} // namespace

std::unique_ptr<TAthleteRequest> forcedAthleteRequest(const TAthleteResponse& refused,
                                                      const TAthleteForcePrompt& prompt)
{
    auto r = athleteRequestAgain(refused);
    (*r).*prompt.flag = true;
    return r;
}

std::unique_ptr<TAthleteRequest> keptOwnAthleteRequest(const TAthleteResponse& refused, int field)
{
    auto r = athleteRequestAgain(refused);
    r->keptOwn |= 1u << field;
    return r;
}

TTransactionMode athleteSaveMode(TAthleteRequestType reqType)
{
    return reqType == rt_modify ? TTransactionMode::tm_readwrite : TTransactionMode::tm_None;
}

QString athleteFieldCaption(int field)
{
    static const QStringList captions{QStringLiteral("Der Vorname"),     QStringLiteral("Der Nachname"),
                                      QStringLiteral("Die Startnummer"), QStringLiteral("Das Team"),
                                      QStringLiteral("Der Jahrgang"),    QStringLiteral("Das Geschlecht"),
                                      QStringLiteral("Der Verein"),      QStringLiteral("Der Barcode")};
    return captions.value(field);
}

// ---- requests of the window ----

std::unique_ptr<TAthleteRequest> makeAthleteLoad(int ageClassId, int teamId, int disciplineId)
{
    auto r = std::make_unique<TAthleteRequest>();
    r->reqType = rt_get;
    r->AgeClassID = ageClassId;
    r->TeamID = teamId;
    r->DisciplineId = disciplineId;
    return r;
}

std::unique_ptr<TAthleteRequest> makeAthleteSave(TAthleteRequestType reqType, int athleteId, const TAthleteInfo& info,
                                                 std::optional<TAthleteInfo> loaded)
{
    auto r = std::make_unique<TAthleteRequest>();
    r->reqType = reqType;
    r->AthleteID = athleteId;
    r->athleteInfo = info;
    r->loaded = std::move(loaded);
    return r;
}

std::unique_ptr<TAthleteRequest> makeAthleteDeleteChain(const std::vector<int>& athleteIds)
{
    const auto context = std::make_shared<TBatchContext>();
    std::unique_ptr<TAthleteRequest> head;
    for (auto id = athleteIds.rbegin(); id != athleteIds.rend(); ++id) {
        auto r = std::make_unique<TAthleteRequest>();
        r->reqType = rt_delete;
        r->AthleteID = *id;
        r->setBatchContext(context);
        r->nextBatch = std::move(head);
        head = std::move(r);
    }
    return head;
}

std::unique_ptr<TAthleteRequest> makeFlipNames(const std::vector<int>& athleteIds)
{
    auto r = std::make_unique<TAthleteRequest>();
    r->reqType = rt_flipAthleteNames;
    r->athleteIds = athleteIds;
    return r;
}

std::unique_ptr<TAthleteRequest> makeParticipantCheck(bool showMessageIfNoWarning)
{
    auto r = std::make_unique<TAthleteRequest>();
    r->reqType = rt_checkParticipants;
    r->showMessageIfNoWarning = showMessageIfNoWarning;
    return r;
}

// ---- the editor ----

std::optional<std::vector<int>> StringToBibs(const QString& text, bool strict)
{
    std::vector<int> bibs;
    if (text.trimmed().isEmpty())
        return bibs;
    const QStringList pieces = text.split(QRegularExpression(QStringLiteral("[;,]")));
    for (const QString& piece : pieces) {
        bool ok = false;
        const int bib = piece.trimmed().toInt(&ok);
        if (!ok || bib < 1) {
            if (strict)
                return std::nullopt;
            break;
        }
        bibs.push_back(bib);
    }
    return bibs;
}

int CustomBarcodeToBarcodeId(const QString& text)
{
    if (!text.startsWith(kBarcodeBlank))
        return 0;
    try {
        const qint64 id = decodeIdBarcode(text);
        // Ids the server hands out are ints; anything larger names no barcode.
        return id > 0 && id <= std::numeric_limits<int>::max() ? int(id) : 0;
    } catch (const EBarcodeError&) {
        return 0;
    }
}

std::optional<TAthleteInfo> getAthleteRequestFromUI(const TAthleteEditor& editor, bool strict, TEditorProblem* problem)
{
    const auto stop = [&](const QString& text, const QString& caption) -> std::optional<TAthleteInfo> {
        if (problem)
            *problem = {text, caption};
        return std::nullopt;
    };
    TAthleteInfo info;

    info.yearOfBirth = getYearOfBirth(editor.year);
    if (strict && info.yearOfBirth < 0)
        return stop(QStringLiteral("Ungültiges Geburtsjahr. Entweder gültige Jahreszahl oder leer lassen."),
                    QStringLiteral("AthletIn anlegen"));

    if (!editor.blankBarcode.isEmpty()) {
        info.customBarcode = CustomBarcodeToBarcodeId(editor.blankBarcode);
        // Every letter, not only 'B', gets its word: a silent refusal leaves the user guessing.
        if (strict && info.customBarcode == 0)
            return stop(QStringLiteral("Ungültiges Barcodeformat"), QStringLiteral("Barcode zuordnen"));
    }

    const std::optional<std::vector<int>> bibs = StringToBibs(editor.bibs, strict);
    if (!bibs)
        return stop(QStringLiteral("Startnummernformat ungültig. Muss eine positive Zahl oder ;-separierte Liste von "
                                   "positiven Zahlen sein."),
                    QStringLiteral("AthletIn bearbeiten"));
    info.bibs = *bibs;

    info.fname = editor.givenName.trimmed();
    info.sname = editor.surName.trimmed();
    if (strict && info.fname.isEmpty() && info.sname.isEmpty())
        return stop(QStringLiteral("Vor - und Nachname dürfen nicht leer sein"), QStringLiteral("AthletIn bearbeiten"));

    info.TeamId = editor.teamId;
    info.ClubId = editor.clubId;
    info.gender = editor.gender;
    return info;
}

TAthleteEditor athleteEditorOf(const proto::AthleteType& a)
{
    TAthleteEditor e;
    e.givenName = a.Name ? a.Name->givenName : QString();
    e.surName = a.Name ? a.Name->surName : QString();
    e.bibs = bibstoString(a.Bib);
    e.year = a.YearOfBirth > 0 ? QString::number(a.YearOfBirth) : QString();
    e.blankBarcode = a.CustomBarcode != 0 ? blankBarcode(a.CustomBarcode) : QString();
    e.gender = a.Gender;
    e.teamId = a.Team ? a.Team->TeamID : 0;
    e.clubId = a.Club ? a.Club->ClubId : 0;
    return e;
}

void followServerAthleteChanges(TAthleteEditor& shown, TAthleteEditor& loaded, const TAthleteEditor& server)
{
    followServerChanges(shown, loaded, server, &TAthleteEditor::givenName, &TAthleteEditor::surName,
                        &TAthleteEditor::bibs, &TAthleteEditor::year, &TAthleteEditor::blankBarcode,
                        &TAthleteEditor::gender, &TAthleteEditor::teamId, &TAthleteEditor::clubId);
}

bool athleteChanged(const TAthleteInfo& editor, const proto::AthleteType& stored, bool existing)
{
    const QString givenName = stored.Name ? stored.Name->givenName : QString();
    const QString surName = stored.Name ? stored.Name->surName : QString();
    if (editor.fname != givenName || editor.sname != surName || editor.yearOfBirth != stored.YearOfBirth ||
        editor.gender != stored.Gender || editor.customBarcode != stored.CustomBarcode)
        return true;
    if (existing && editor.bibs != stored.Bib)
        return true;
    if (stored.Team ? editor.TeamId != stored.Team->TeamID : existing && editor.TeamId != 0)
        return true;
    if (stored.Club ? editor.ClubId != stored.Club->ClubId : existing && editor.ClubId != 0)
        return true;
    return false;
}

QString nextBibsText(const QString& text)
{
    bool ok = false;
    const int bib = text.trimmed().toInt(&ok);
    return ok && bib >= 1 && bib < std::numeric_limits<int>::max() ? QString::number(bib + 1) : QString();
}

// ---- the list ----

QString teamCaption(const proto::TeamType& team)
{
    if (!team.AgeClass)
        return team.Name;
    return team.Name + QStringLiteral(" (") + team.AgeClass->Name + QLatin1Char(')');
}

QStringList athleteColumnCaptions()
{
    return {QStringLiteral("Vorname"),     QStringLiteral("Nachname"), QStringLiteral("Team"),
            QStringLiteral("Startnummer"), QStringLiteral("Jahrgang"), QStringLiteral("Geschlecht"),
            QStringLiteral("Verein"),      QStringLiteral("ID"),       QStringLiteral("Barcode")};
}

QString athleteCellText(const proto::AthleteType& a, int column)
{
    switch (column) {
    case colGivenName: return a.Name ? a.Name->givenName : QString();
    case colSurName: return a.Name ? a.Name->surName : QString();
    case colTeam: return a.Team ? a.Team->Name : QString();
    case colBibs: return bibstoString(a.Bib);
    case colYear: return a.YearOfBirth > 0 ? QString::number(a.YearOfBirth) : QString();
    case colGender: return genderToStr(a.Gender);
    case colClub: return a.Club ? a.Club->Name : QStringLiteral("-");
    case colId: return QString::number(std::abs(qint64(a.AthleteID)));
    case colBarcode: try { return framedBarcode(athleteBarcode(a.Barcode));
        } catch (const EBarcodeError&) {
            return QString();
        }
    default: return QString();
    }
}

TAthleteFilterNames athleteFilterNames(const std::vector<proto::AthleteType>& athletes, int ageClassId,
                                       int disciplineId, int teamId, const std::function<QString(int)>& ageClassBoxName,
                                       const std::function<QString(int)>& teamBoxName,
                                       const std::function<QString(int)>& disciplineBoxName)
{
    TAthleteFilterNames names;
    if (disciplineId != 0)
        names.discipline = disciplineBoxName(disciplineId);
    bool ageClassFound = false;
    bool teamFound = false;
    for (const proto::AthleteType& a : athletes) {
        if (!a.Team)
            continue;
        if (!ageClassFound && ageClassId != 0 && a.Team->AgeClass && a.Team->AgeClass->AgeClassID == ageClassId) {
            names.ageClass = a.Team->AgeClass->Name;
            ageClassFound = true;
        }
        if (!teamFound && teamId != 0 && a.Team->TeamID == teamId) {
            names.team = teamCaption(*a.Team);
            teamFound = true;
        }
    }
    if (!ageClassFound && ageClassId != 0)
        names.ageClass = ageClassBoxName(ageClassId);
    if (!teamFound && teamId != 0)
        names.team = teamBoxName(teamId);
    return names;
}

} // namespace tvp
