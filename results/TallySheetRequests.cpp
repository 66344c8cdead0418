#include "results/TallySheetRequests.h"

#include "core/barcode/BarcodeUtils.h"
#include "core/results/tvpTypes.h"
#include "core/results/tvpUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tvp {

namespace {

using enum TTallySheetRequestType;

constexpr int kMaxInt = std::numeric_limits<int>::max();

} // namespace

std::optional<int> parseTallyCount(const QString& text)
{
    if (text.trimmed().isEmpty())
        return 0;
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > kMaxInt)
            return std::nullopt;
    }
    return int(value);
}

QString tallyListOf(const QStringList& cells)
{
    QString list;
    for (int zone = 0; zone < kTallyZones; ++zone) {
        const QString cell = cells.value(zone);
        if (const std::optional<int> count = parseTallyCount(cell)) {
            if (*count > 0)
                list += QString::number(*count);
        } else {
            list += cell.trimmed();
        }
        list += QLatin1Char(';');
    }
    return list;
}

QStringList tallyCellsOf(const QString& tallyList)
{
    QStringList cells = tallyList.split(QLatin1Char(';'));
    // The list ends in ";": the field after it is no zone.
    cells.resize(kTallyZones);
    return cells;
}

TTallySum tallySum(const QStringList& cells)
{
    TTallySum result;
    for (int zone = 1; zone <= kTallyZones; ++zone) {
        const std::optional<int> count = parseTallyCount(cells.value(zone - 1));
        if (!count) {
            result.invalidRow = zone;
            return result;
        }
        result.sum += qint64(zone) * *count;
    }
    return result;
}

// ---- the grid ----

TTallyGridModel::TTallyGridModel(QObject* parent) : QAbstractTableModel(parent)
{
    cells_.resize(kTallyZones);
}

int TTallyGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kTallyZones;
}

int TTallyGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TTallyGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= kTallyZones)
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (index.column() == 0)
        return QStringLiteral("Zone ") + QString::number(index.row() + 1) + QStringLiteral(" Pkt");
    return cells_.at(index.row());
}

QVariant TTallyGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? QStringLiteral("Zone") : QStringLiteral("Anzahl pro Zone");
}

Qt::ItemFlags TTallyGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == 1)
        f |= Qt::ItemIsEditable;
    return f;
}

bool TTallyGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 1 || role != Qt::EditRole || index.row() >= kTallyZones)
        return false;
    const QString text = value.toString();
    if (cells_[index.row()] == text)
        return true;
    cells_[index.row()] = text;
    emit dataChanged(index, index);
    return true;
}

void TTallyGridModel::setTallyList(const QString& tallyList)
{
    cells_ = tallyCellsOf(tallyList);
    emit dataChanged(index(0, 1), index(kTallyZones - 1, 1));
}

// ---- the scanned sheet ----

TTallyBarcodeRead readTallyBarcode(const QString& code, TTallyBarcode& out)
{
    if (code.size() < 2 || code.front() != kBarcodeTallySheet)
        return TTallyBarcodeRead::Ignored;
    try {
        const TTallySheetCode f = decodeTallySheetBarcode(code);
        if (f.disciplineBarcodeId > kMaxInt || f.participantBarcodeId > kMaxInt || f.attempt > kMaxInt ||
            f.listVersion > kMaxInt)
            return TTallyBarcodeRead::Invalid;
        out = {int(f.disciplineBarcodeId), int(f.participantBarcodeId), int(f.attempt), int(f.listVersion)};
        return TTallyBarcodeRead::Read;
    } catch (const TvpError&) {
        return TTallyBarcodeRead::Invalid;
    }
}

// ---- requests ----

namespace {

void copyRequest(const TTallySheetRequest& request, TTallySheetResponse& response)
{
    response.findByBarcodeId = request.findByBarcodeId;
    response.DisciplinId = request.DisciplinId;
    response.AthleteOrTeamId = request.AthleteOrTeamId;
    response.attempt = request.attempt;
    response.listVersion = request.listVersion;
    response.TallyListString = request.TallyListString;
}

void loadSheet(TServicePorts& ports, const TTallySheetRequest& request, TTallySheetResponse& response)
{
    copyRequest(request, response);
    response.DisciplinId = 0;
    const int competition = ports.competitionId();
    proto::DataRetrievalPortType& drs = ports.drs();
    response.discipline = request.findByBarcodeId ? drs.getDisciplineInfo(0, competition, request.DisciplinId)
                                                  : drs.getDisciplineInfo(request.DisciplinId, 0, 0);
    if (!response.discipline.Disciplin || response.discipline.Disciplin->DisciplinID == 0)
        return;
    const proto::DisciplinType& disc = *response.discipline.Disciplin;
    const bool team = disc.ResultTableType && disc.ResultTableType->Team;
    // The attempt the window will show: a fixed column means the first, one beyond the table none.
    const int attempts = disc.ResultTableType ? disc.ResultTableType->ResultsPerRow : 0;
    response.attempt = request.attempt == 0 ? 1 : request.attempt;
    if (response.attempt > attempts || response.attempt < 0)
        response.attempt = 0;
    if (request.findByBarcodeId) {
        response.AthleteOrTeamId = 0;
        if (request.AthleteOrTeamId != 0) {
            if (team) {
                const proto::getTeamInfoResponse1 info = drs.getTeamInfo(0, competition, request.AthleteOrTeamId);
                response.AthleteOrTeamId = info.Team ? info.Team->TeamID : 0;
            } else {
                const proto::getAthleteInfoResponse1 info =
                    drs.getAthleteInfo(0, competition, 0, request.AthleteOrTeamId);
                response.AthleteOrTeamId = info.Athlete ? info.Athlete->AthleteID : 0;
            }
        }
    }
    response.DisciplinId = disc.DisciplinID;
    if (disc.CompetitionID != competition)
        throw ETvExceptionDetail(QStringLiteral("Disziplin gehört nicht zu aktueller Veranstaltung"), 0);
    response.getParticipantsResponse = drs.getDisciplinParticipants(disc.DisciplinID, 0);
    response.getResultTableResponse = drs.getResultTable(disc.DisciplinID);

    proto::getUiInfos keys{makeUiInfoKey(uiInfoKeys::DisciplinResultFormat, disc.DisciplinID)};
    int resultId = 0;
    if (response.attempt != 0 && response.AthleteOrTeamId != 0)
        if (const proto::AssignedResultType* r = findTallyResult(response.getResultTableResponse.Results,
                                                                 response.attempt, response.AthleteOrTeamId, team)) {
            response.result = *r;
            resultId = r->ResultID;
            keys.push_back(makeUiInfoKey(uiInfoKeys::ResultTallyList, resultId));
        }
    response.TallyListString.clear();
    for (const proto::UiInfoKeyValuePair& pair : drs.getUiInfos(keys)) {
        if (!pair.Key)
            continue;
        if (pair.Key->Key == uiInfoKeys::DisciplinResultFormat && pair.Key->AssotiatedId == disc.DisciplinID)
            response.hasPointsAsResultFormat = uiInfoStringToResultFormat(pair.Value) == TResultformat::rf_Points;
        else if (resultId != 0 && pair.Key->Key == uiInfoKeys::ResultTallyList && pair.Key->AssotiatedId == resultId)
            response.TallyListString = pair.Value;
    }
}

void saveSheet(TServicePorts& ports, const TTallySheetRequest& request, TTallySheetResponse& response)
{
    copyRequest(request, response);
    proto::Owned<proto::ResultType> result;
    if (request.result)
        result = *request.result;
    const int athlete = request.team ? 0 : request.AthleteOrTeamId;
    const int team = request.team ? request.AthleteOrTeamId : 0;
    const proto::setResultResponse1 answer = ports.das().setResult(
        request.DisciplinId, 0, proto::Owned<proto::LaneHeatType>(), athlete, team, result, request.attempt);
    if (answer.ResultID != 0)
        ports.cms().setUiInfo(uiInfoKeys::ResultTallyList, request.TallyListString, answer.ResultID);
}

} // namespace

const TRequestTable<TTallySheetRequest, TTallySheetResponse>& tallySheetRequests()
{
    static const TRequestTable<TTallySheetRequest, TTallySheetResponse> table{{
        {rt_getList, QStringLiteral("Strichlisteneingabe laden"), &loadSheet},
        {rt_PrintList, QStringLiteral("Strichlistenprotokoll drucken"), &loadSheet},
        {rt_setResult, QStringLiteral("Ergebnis übernehmen"), &saveSheet},
    }};
    return table;
}

std::unique_ptr<TTallySheetRequest> makeTallySave(int discId, int athleteOrTeamId, bool team, int attempt, qint64 sum,
                                                  const QString& tallyList)
{
    auto request = std::make_unique<TTallySheetRequest>();
    request->reqType = rt_setResult;
    request->DisciplinId = discId;
    request->AthleteOrTeamId = athleteOrTeamId;
    request->team = team;
    request->attempt = attempt;
    proto::ResultType result;
    result.Type_ = proto::ResultValueType::Distance;
    result.DistanceInMeter = double(sum);
    request->result = result;
    request->TallyListString = tallyList;
    return request;
}

std::vector<TTallyParticipant> tallyParticipants(const proto::getDisciplinParticipantsResponse1& list, bool team)
{
    const auto squadOf = [](const proto::TeamType* t) {
        const QString squad = t && t->SquadInfo ? getSquadInfoStr(t->SquadInfo.get()) : QString();
        return squad.isEmpty() ? QString() : squadsText({squad});
    };
    std::vector<TTallyParticipant> entries;
    for (const proto::HeatParticipantsType& heat : list.HeatList) {
        for (const proto::VersionedParticipantsType& p : heat.VersionedParticipants) {
            TTallyParticipant e;
            e.heat = heat.HeatNo;
            if (team) {
                if (!p.Team || !p.Team->Team || p.Team->Team->TeamID == 0)
                    continue;
                const proto::TeamType& t = *p.Team->Team;
                e.id = t.TeamID;
                e.text = e.teamName = t.Name;
                e.squad = squadOf(&t);
            } else {
                if (!p.Athlete || p.Athlete->AthleteID == 0)
                    continue;
                const proto::AthleteType& a = *p.Athlete;
                e.id = a.AthleteID;
                const QString given = a.Name ? a.Name->givenName : QString();
                const QString sur = a.Name ? a.Name->surName : QString();
                e.athleteNames = sur + QStringLiteral(", ") + given;
                if (a.Team) {
                    e.teamName = a.Team->Name;
                    e.squad = squadOf(a.Team.get());
                }
                e.text = e.athleteNames + (a.Team ? QStringLiteral(" (") + e.teamName + QLatin1Char(')') : QString());
            }
            entries.push_back(std::move(e));
        }
    }
    return entries;
}

const proto::AssignedResultType* findTallyResult(const std::vector<proto::AssignedResultType>& results, int attempt,
                                                 int id, bool team)
{
    for (const proto::AssignedResultType& r : results) {
        if (r.Attempt != attempt)
            continue;
        if (team ? std::find(r.TeamId.begin(), r.TeamId.end(), id) != r.TeamId.end() : r.AthleteId == id)
            return &r;
    }
    return nullptr;
}

int storedTallyPoints(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double rounded = std::round(value);
    return int(std::clamp(rounded, double(std::numeric_limits<int>::min()), double(kMaxInt)));
}

} // namespace tvp
