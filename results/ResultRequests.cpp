#include "results/ResultRequests.h"

#include "core/connection/DeletedElsewhere.h"
#include "core/connection/StoreBatch.h"
#include "core/results/tvpUtils.h"
#include "core/barcode/BarcodeUtils.h"

#include <algorithm>
#include <limits>

namespace tvp {

namespace {

using enum TResultRequestType;

void copyRequest(const TResultRequest& request, TResultResponse& response)
{
    response.reqType = request.reqType;
    response.DisciplinId = request.DisciplinId;
    response.findByBarcodeID = request.findByBarcodeID;
    response.attempt = request.attempt;
    response.promptForAddAthlete = request.promptForAddAthlete;
    response.tryToShowAquireBibForm = request.tryToShowAquireBibForm;
}

void loadList(TServicePorts& ports, const TResultRequest& request, TResultResponse& response)
{
    copyRequest(request, response);
    if (request.reqType == rt_showTeam)
        response.id = request.teamId;
    else
        response.id = request.athleteId;
    const int competition = ports.competitionId();
    proto::DataRetrievalPortType& drs = ports.drs();
    response.disciplines = drs.getDisciplines(competition, nullptr, 0);
    if (request.DisciplinId == 0)
        return;

    const proto::getDisciplineInfoResponse1 info = request.findByBarcodeID
                                                       ? drs.getDisciplineInfo(0, competition, request.DisciplinId)
                                                       : drs.getDisciplineInfo(request.DisciplinId, 0, 0);
    if (!info.Disciplin)
        throw ETvExceptionDetail(QStringLiteral("Disziplin nicht gefunden"), 13);
    const proto::DisciplinType& disc = *info.Disciplin;
    response.DisciplinId = disc.DisciplinID;
    if (disc.CompetitionID != competition)
        throw ETvExceptionDetail(QStringLiteral("Disziplin gehört nicht zu aktueller Veranstaltung"), 0);
    response.disciplinInfo = TDisciplineInfo::CreateFromDisc(disc);

    response.getParticipantsResponse = drs.getDisciplinParticipants(disc.DisciplinID, 0);
    response.getResultTableResponse = drs.getResultTable(disc.DisciplinID);

    const proto::getUiInfosResponse1 infos =
        drs.getUiInfos({makeUiInfoKey(uiInfoKeys::DisciplinResultType, disc.DisciplinID),
                        makeUiInfoKey(uiInfoKeys::DisciplinResultFormat, disc.DisciplinID),
                        makeUiInfoKey(uiInfoKeys::DisciplinHeightList, disc.DisciplinID)});
    for (const proto::UiInfoKeyValuePair& pair : infos) {
        if (!pair.Key || pair.Key->AssotiatedId != disc.DisciplinID)
            continue;
        if (pair.Key->Key == uiInfoKeys::DisciplinResultType)
            response.disciplinInfo.resultType = UIInfoToResultValueType(pair.Value);
        else if (pair.Key->Key == uiInfoKeys::DisciplinResultFormat)
            response.disciplinInfo.resultFormat = uiInfoStringToResultFormat(pair.Value);
        else if (pair.Key->Key == uiInfoKeys::DisciplinHeightList)
            response.disciplinInfo.heightList = pair.Value;
    }
}

// What the server holds for the participant's attempt.
std::optional<proto::ResultType> heldResult(const proto::getResultTableResponse1& table, bool team, int participant,
                                            int attempt)
{
    for (const proto::AssignedResultType& r : table.Results) {
        const bool theirs = team ? r.TeamId.size() == 1 && r.TeamId.front() == participant : r.AthleteId == participant;
        if (theirs && r.Attempt == attempt)
            return isEmptyResult(&r) ? std::nullopt : std::optional<proto::ResultType>(r);
    }
    return std::nullopt;
}

// One store; held: the discipline's results as its transaction read them before any store of it,
// none when they could not be read.
void storeResult(TServicePorts& ports, const TResultRequest& request, TResultResponse& response,
                 const std::optional<proto::getResultTableResponse1>& held)
{
    describeStore(request, response);

    proto::Owned<proto::LaneHeatType> laneHeat;
    if (request.laneHeat)
        laneHeat = *request.laneHeat;
    proto::Owned<proto::ResultType> result;
    if (request.result)
        result = *request.result;
    if (request.participantId != 0 && held) {
        response.replaced = heldResult(*held, request.disciplinInfo.isTeam, request.participantId, request.attempt);
        response.replacedRead = true;
    }
    if (request.readBack)
        return;
    if (request.undo && response.replacedRead) {
        if (!sameResultValue(response.replaced, request.undone)) {
            response.result = response.replaced;
            response.otherDeskStored = !sameResultValue(response.replaced, request.shown);
            return;
        }
        // What the dropped store replaced can be another desk's value the cell never showed.
        response.otherDeskStored = !sameResultValue(request.result, request.shown);
    }
    proto::DataAquisitionPortType& das = ports.das();
    const auto store = [&](const proto::Owned<proto::ResultType>& value) {
        return request.bib != 0 ? das.setResult(request.DisciplinId, request.bib, true, laneHeat, request.athleteId,
                                                request.teamId, value, request.attempt)
                                : das.setResult(request.DisciplinId, request.bib, laneHeat, request.athleteId,
                                                request.teamId, value, request.attempt);
    };
    // The cell's status line names the row; the text says what became of it.
    const bool team = request.athleteId == 0;
    proto::setResultResponse1 answer;
    saveUnlessDeletedElsewhere(ports, team, team ? request.teamId : request.athleteId,
                               team ? QStringLiteral("Das Team") : QStringLiteral("Der Athlet"),
                               [&] { answer = store(result); });
    response.id = answer.AthleteTeamIDret;
    // The server takes a value for someone outside the discipline with a mere warning; the
    // participant was taken out at another desk meanwhile, and the value must not stay.
    if (answer.NotAParticipantWarning && request.result && !request.laneHeat) {
        store(proto::Owned<proto::ResultType>{});
        response.notAParticipant = true;
        throw ETvExceptionDetail(QStringLiteral("Teilnehmer nicht für Disziplin gemeldet"), 0);
    }
}

// The stores of one transaction, each of another cell: one read before them tells each what it
// replaces, as nobody else writes while the transaction holds the write lock.
void storeResults(TServicePorts& ports, const TResultRequest& request, TResultResponse& response)
{
    copyRequest(request, response);
    std::optional<proto::getResultTableResponse1> held;
    if (std::ranges::any_of(request.stores, [](const TResultRequest& s) { return s.participantId != 0; })) {
        try {
            held = ports.drs().getResultTable(request.stores.front().DisciplinId);
        } catch (const TvpError&) {
            // Each store says why, as it would have without the read.
        }
    }
    response.stores.resize(request.stores.size());
    storeEach(
        request.stores,
        [&](const TResultRequest& store, std::size_t i) { storeResult(ports, store, response.stores[i], held); },
        [&](std::size_t i, TRequestOutcome outcome) { response.stores[i].outcome = std::move(outcome); });
}

void addParticipant(TServicePorts& ports, const TResultRequest& request, TResultResponse& response)
{
    copyRequest(request, response);
    response.id = request.athleteId;
    ports.dss().assignAthleteToHeat(request.athleteId, request.DisciplinId, 1, false);
}

bool holds(const proto::VersionedParticipantsType& p, int id, bool byBarcode)
{
    if (p.Athlete)
        return byBarcode ? p.Athlete->Barcode == id : p.Athlete->AthleteID == id;
    if (p.Team && p.Team->Team)
        return byBarcode ? p.Team->Team->Barcode == id : p.Team->Team->TeamID == id;
    return false;
}

} // namespace

void describeStore(const TResultRequest& request, TResultResponse& response)
{
    copyRequest(request, response);
    response.bib = request.bib;
    response.laneHeat = request.laneHeat;
    response.id = request.athleteId != 0 ? request.athleteId : request.teamId;
    response.disciplinInfo = request.disciplinInfo;
    response.result = request.result;
}

const TRequestTable<TResultRequest, TResultResponse>& resultRequests()
{
    static const TRequestTable<TResultRequest, TResultResponse> table{{
        {rt_getList, QStringLiteral("Ergebniseingabeliste laden"), &loadList},
        {rt_RefreshForPrint, QStringLiteral("Eingabeprotokoll drucken"), &loadList},
        {rt_ShowAthlete, QStringLiteral("Athleten suchen"), &loadList},
        {rt_setResult, QStringLiteral("Leistung erfassen"), &storeResults},
        {rt_addParticipant, QStringLiteral("Athlet hinzufügen"), &addParticipant},
        {rt_showTeam, QStringLiteral("Team suchen"), &loadList},
    }};
    return table;
}

bool sameResultValue(const std::optional<proto::ResultType>& a, const std::optional<proto::ResultType>& b)
{
    if (!a || !b)
        return !a && !b;
    if (a->Type_ != b->Type_)
        return false;
    using V = proto::ResultValueType;
    switch (a->Type_) {
    case V::Distance: return qFuzzyCompare(1.0 + a->DistanceInMeter, 1.0 + b->DistanceInMeter);
    case V::Time: return qFuzzyCompare(1.0 + a->TimeInSeconds, 1.0 + b->TimeInSeconds);
    case V::Info: return a->Info == b->Info;
    case V::Rank: return a->Rank == b->Rank;
    case V::InfoString: return a->InfoString == b->InfoString;
    }
    return false;
}

int findHeatOfParticipant(const std::vector<proto::HeatParticipantsType>& heats, int id, bool byBarcode)
{
    for (std::size_t h = 0; h < heats.size(); ++h)
        for (const proto::VersionedParticipantsType& p : heats[h].VersionedParticipants)
            if (holds(p, id, byBarcode))
                return int(h) + 1;
    return 0;
}

int findHeatOfTeam(const std::vector<proto::HeatParticipantsType>& heats, int teamId)
{
    for (std::size_t h = 0; h < heats.size(); ++h)
        for (const proto::VersionedParticipantsType& p : heats[h].VersionedParticipants)
            if (!p.Athlete && p.Team && p.Team->Team && p.Team->Team->TeamID == teamId)
                return int(h) + 1;
    return 0;
}

std::optional<TListBarcode> readListBarcode(const QString& code)
{
    if (code.size() < 2 || code.front() != kBarcodeDisciplineList)
        return std::nullopt;
    try {
        const TDisciplineListCode f = decodeDisciplineListBarcode(code);
        // Heat and top row are printed from 0 and shown from 1; the sum must still be an int.
        constexpr qint64 kMax = std::numeric_limits<int>::max() - 1;
        if (f.disciplineBarcodeId > kMax || f.heatIndex > kMax || f.listVersion > kMax || f.topItem > kMax)
            return std::nullopt;
        return TListBarcode{int(f.disciplineBarcodeId), int(f.heatIndex) + 1, int(f.listVersion), int(f.topItem) + 1};
    } catch (const TvpError&) {
        return std::nullopt;
    }
}

TVersionBoxState readVersionBox(const QString& text, int currentListVersion)
{
    TVersionBoxState state;
    bool ok = false;
    const int version = text.trimmed().toInt(&ok);
    if (!ok || version < 0) {
        state.look = TVersionBoxState::Invalid;
        return state;
    }
    state.version = version;
    state.ticked = true;
    state.look = version > currentListVersion ? TVersionBoxState::AboveCurrent : TVersionBoxState::Normal;
    return state;
}

QString squadLine(const std::vector<const proto::TeamType*>& teams)
{
    QStringList squads;
    for (const proto::TeamType* team : teams) {
        if (!team || !team->SquadInfo)
            continue;
        const QString text = getSquadInfoStr(team->SquadInfo.get());
        if (!text.isEmpty() && !squads.contains(text))
            squads << text;
    }
    return squadsText(squads);
}

QString resultLegend(proto::ResultValueType type)
{
    if (type == proto::ResultValueType::Time)
        return QStringLiteral("- : (noch) kein Ergebnis; aufg: aufgegeben; ab: abgemeldet; na: nicht angetreten; "
                              "disq: disqualifiziert.");
    return QStringLiteral(
        "- : (noch) kein Ergebnis; x: ungültig; ab: abgemeldet; na: nicht angetreten; disq: disqualifiziert.");
}

QString rankConflictHint(const QString& windowCaption, const QString& menuCaption)
{
    QString menu = menuCaption;
    menu.remove(QLatin1Char('&'));
    return QStringLiteral("Sie können zu Analyse des Problems das Fenster \"%1\" im Menu \"%2\" verwenden.")
        .arg(windowCaption, menu);
}

} // namespace tvp
