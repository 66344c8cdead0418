#include "results/BibOrderRequests.h"

#include "core/connection/StoreBatch.h"
#include "results/ResultRequests.h"

#include <algorithm>
#include <limits>

namespace tvp {

// ---- rank items ----

void TRankItem::addItem(int bib, const QString& name, int id)
{
    bibList.push_back(bib);
    if (std::find(idList.begin(), idList.end(), id) == idList.end()) {
        idList.push_back(id);
        NameList.push_back(name);
    }
}

void TRankItem::clear()
{
    bibList.clear();
    idList.clear();
    NameList.clear();
}

bool TRankItem::holdsBib(int bib) const
{
    return std::find(bibList.begin(), bibList.end(), bib) != bibList.end();
}

QString TRankItem::getDisplayBibs() const
{
    QStringList parts;
    for (int bib : bibList)
        parts << (bib > 0 ? QString::number(bib) : QStringLiteral("-"));
    return parts.join(u',');
}

QString TRankItem::getDisplayName() const
{
    QStringList parts;
    for (const QString& name : NameList)
        parts << (name.isEmpty() ? QStringLiteral("-") : name);
    return parts.join(QStringLiteral(", "));
}

int TRankList::AddRankItem(int rank, int bib, const QString& name, int id)
{
    qint64 positions = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].fRank == rank) {
            items_[i].addItem(bib, name, id);
            return int(i);
        }
        positions += std::max(1, items_[i].getBibCount());
    }
    if (rank <= positions || rank > kMaxRank)
        return -1;
    for (qint64 r = positions + 1; r <= rank; ++r)
        items_.emplace_back(int(r));
    items_.back().addItem(bib, name, id);
    return int(items_.size()) - 1;
}

void TRankList::appendNextEmpty()
{
    items_.emplace_back(items_.empty() ? 1 : items_.back().fRank + items_.back().getBibCount());
}

TRankItem* TRankList::itemOfRank(int rank)
{
    for (TRankItem& item : items_)
        if (item.fRank == rank)
            return &item;
    return nullptr;
}

int TRankList::rowOfRank(int rank) const
{
    for (int row = 0; row < count(); ++row)
        if (items_[std::size_t(row)].fRank == rank)
            return row;
    return -1;
}

bool TRankList::holdsAnyBib(const std::vector<int>& bibs) const
{
    for (const TRankItem& item : items_)
        for (int bib : bibs)
            if (item.holdsBib(bib))
                return true;
    return false;
}

bool TRankList::hasGap() const
{
    bool emptySeen = false;
    for (const TRankItem& item : items_) {
        if (item.getBibCount() == 0)
            emptySeen = true;
        else if (emptySeen)
            return true;
    }
    return false;
}

// ---- the grid's model ----

QVariant TRankListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const Typed* typed =
        std::size_t(row) < typed_.size() && typed_[std::size_t(row)] ? &*typed_[std::size_t(row)] : nullptr;
    if (isRefused(row)) {
        if (role == kRefusedRole)
            return index.column() != colRank;
        if (role == Qt::ToolTipRole)
            return typed->reason;
        if (role == Qt::DisplayRole && index.column() == colName)
            return typed->reason;
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (index.column() == colBibs && typed)
        return typed->text;
    if (row >= list_.count())
        return QString();
    const TRankItem& item = list_.at(row);
    // Bibs typed over the row are not the participants drawn there: no name rather than a wrong one.
    if (index.column() == colName && typed && differsFromDrawn(row, typed->text))
        return QString();
    switch (index.column()) {
    case colRank: return item.fRank == 0 ? QString() : QString::number(item.fRank);
    case colBibs: return item.getDisplayBibs();
    default: return item.isSuspicious() ? QStringLiteral("!!! ") + item.getDisplayName() : item.getDisplayName();
    }
}

QVariant TRankListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case colRank: return QStringLiteral("Rang");
    case colBibs: return QStringLiteral("Startnr.");
    default: return QStringLiteral("Team/Athlet");
    }
}

Qt::ItemFlags TRankListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.column() != colBibs)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool TRankListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != colBibs || role != Qt::EditRole)
        return false;
    typed_.resize(std::max(typed_.size(), std::size_t(index.row()) + 1));
    std::optional<Typed>& typed = typed_[std::size_t(index.row())];
    // An editor left as it was keeps the row as it stands (on its way, refused).
    if (typed && typed->text == value.toString())
        return true;
    typed = Typed{value.toString()};
    emit dataChanged(index, index);
    return true;
}

void TRankListModel::resetRows()
{
    beginResetModel();
    rows_ = list_.count();
    typed_.assign(std::size_t(rows_), std::nullopt);
    endResetModel();
}

void TRankListModel::renderRow(int index)
{
    if (list_.count() > rows_) {
        beginInsertRows({}, rows_, list_.count() - 1);
        rows_ = list_.count();
        typed_.resize(std::size_t(rows_));
        endInsertRows();
    }
    if (index < 0 || index >= rows_)
        return;
    // Typed anew after it was sent, the newer text stays.
    if (typed_[std::size_t(index)] && typed_[std::size_t(index)]->state != TTypedState::Unsent)
        typed_[std::size_t(index)].reset();
    emit dataChanged(this->index(index, 0), this->index(index, columnCount() - 1));
}

QString TRankListModel::bibText(int row) const
{
    return data(index(row, colBibs), Qt::DisplayRole).toString();
}

bool TRankListModel::differsFromDrawn(int row, const QString& text) const
{
    const QString drawn = row >= 0 && row < list_.count() ? list_.at(row).getDisplayBibs() : QString();
    const TBibText typed = parseBibText(text);
    return !typed.valid() || typed.bibs != parseBibText(drawn).bibs;
}

void TRankListModel::markSent(int row)
{
    setState(row, TTypedState::Sending);
}

void TRankListModel::markStored(int row)
{
    if (row >= 0 && std::size_t(row) < typed_.size() && typed_[std::size_t(row)] &&
        typed_[std::size_t(row)]->state == TTypedState::Sending)
        setState(row, TTypedState::Stored);
}

void TRankListModel::setState(int row, TTypedState state)
{
    if (row >= 0 && std::size_t(row) < typed_.size() && typed_[std::size_t(row)]) {
        typed_[std::size_t(row)]->state = state;
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
}

void TRankListModel::markRefused(int row, const QString& text, const QString& reason)
{
    if (row < 0 || row >= rows_)
        return;
    std::optional<Typed>& typed = typed_[std::size_t(row)];
    if (typed && typed->state == TTypedState::Unsent)
        return;
    typed = Typed{typed ? typed->text : text, TTypedState::Refused, reason};
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool TRankListModel::isUnsent(int row) const
{
    if (row < 0 || std::size_t(row) >= typed_.size())
        return false;
    const std::optional<Typed>& t = typed_[std::size_t(row)];
    return t && (t->state == TTypedState::Unsent || t->state == TTypedState::Refused) && differsFromDrawn(row, t->text);
}

bool TRankListModel::isRefused(int row) const
{
    return isUnsent(row) && typed_[std::size_t(row)]->state == TTypedState::Refused;
}

std::vector<TRankListModel::TTypedRow> TRankListModel::typedRows() const
{
    std::vector<TTypedRow> out;
    for (int row = 0; row < int(typed_.size()) && row < list_.count(); ++row) {
        const std::optional<Typed>& t = typed_[std::size_t(row)];
        if (t && (t->state == TTypedState::Sending || isUnsent(row)))
            out.push_back({list_.at(row).fRank, t->text, t->state, t->reason});
    }
    return out;
}

void TRankListModel::restoreTyped(int row, const TTypedRow& typed)
{
    if (row < 0 || row >= rows_)
        return;
    typed_[std::size_t(row)] = Typed{typed.text, typed.state, typed.reason};
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TRankListModel::dropUnsent()
{
    for (int row = 0; row < int(typed_.size()); ++row)
        if (isUnsent(row)) {
            typed_[std::size_t(row)].reset();
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        }
}

bool TRankListModel::hasUnsentText() const
{
    for (int row = 0; row < int(typed_.size()); ++row)
        if (isUnsent(row))
            return true;
    return false;
}

void keepTypedRanks(TRankList& list, const std::vector<TRankListModel::TTypedRow>& kept)
{
    int lastKept = 0;
    for (const TRankListModel::TTypedRow& typed : kept)
        if (typed.state == TRankListModel::TTypedState::Sending || list.rowOfRank(typed.rank) >= 0)
            lastKept = std::max(lastKept, typed.rank);
    const auto span = [&kept](int rank) {
        for (const TRankListModel::TTypedRow& typed : kept)
            if (typed.rank == rank)
                return std::max(1, int(parseBibText(typed.text).bibs.size()));
        return 1;
    };
    while (list.count() > 0 && list.at(list.count() - 1).fRank <= lastKept) {
        const TRankItem& last = list.at(list.count() - 1);
        list.append(TRankItem(last.fRank + std::max(last.getBibCount(), span(last.fRank))));
    }
}

// ---- the cell's text ----

TBibText parseBibText(const QString& text)
{
    TBibText out;
    const QString t = text.trimmed() + u',';
    qint64 value = -1; // -1: outside a run of digits
    qsizetype start = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char16_t ch = t[i].unicode();
        if (ch >= u'0' && ch <= u'9') {
            if (value < 0) {
                value = 0;
                start = i;
            }
            // Kept from growing past the range; the run is refused as a whole below.
            if (value <= std::numeric_limits<int>::max())
                value = value * 10 + (ch - u'0');
            continue;
        }
        if (value < 0)
            continue;
        if (value > std::numeric_limits<int>::max()) {
            out.tooLarge = t.mid(start, i - start);
            out.bibs.clear();
            return out;
        }
        if (std::find(out.bibs.begin(), out.bibs.end(), int(value)) == out.bibs.end())
            out.bibs.push_back(int(value));
        value = -1;
    }
    return out;
}

// ---- names of bibs ----

QString getDisplayNameForAthlete(const proto::AthleteType& athlete)
{
    QString name;
    if (athlete.Name)
        name = athlete.Name->givenName + u' ' + athlete.Name->surName;
    if (athlete.Team)
        name += QStringLiteral(" (") + athlete.Team->Name + QStringLiteral(") ");
    return name;
}

TBibHolder getNameForBib(const std::vector<proto::HeatParticipantsType>& heats, int bib)
{
    for (const proto::HeatParticipantsType& heat : heats)
        for (const proto::VersionedParticipantsType& p : heat.VersionedParticipants) {
            if (p.Athlete) {
                const std::vector<int>& bibs = p.Athlete->Bib;
                if (std::find(bibs.begin(), bibs.end(), bib) != bibs.end())
                    return {getDisplayNameForAthlete(*p.Athlete), p.Athlete->AthleteID};
            }
            if (p.Team && p.Team->Team)
                for (const proto::AthleteType& a : p.Team->Athletes)
                    if (std::find(a.Bib.begin(), a.Bib.end(), bib) != a.Bib.end())
                        return {p.Team->Team->Name, p.Team->Team->TeamID};
        }
    return {};
}

QStringList bibOrderWarnings(const TAqBibOrderResponse& response)
{
    QStringList out;
    const auto& all = response.allBibsOfRank;
    for (const proto::BibRankType& entry : response.getBibRanking)
        if (entry.Rank != response.rank && std::find(all.begin(), all.end(), entry.AssignedBib) != all.end())
            out << QStringLiteral("Achtung: Team/Athleten der Startnummer %1 ist schon der Rang %2 zugewiesen. "
                                  "Ggf. korrigieren.")
                       .arg(entry.AssignedBib)
                       .arg(entry.Rank);
    if (!response.bibwarnings.empty()) {
        QStringList bibs;
        for (int bib : response.bibwarnings)
            bibs << QString::number(bib);
        out << QStringLiteral("Achtung: Startnummer") + (bibs.size() > 1 ? QStringLiteral("n") : QString()) + u' ' +
                   bibs.join(u',') +
                   QStringLiteral(" ist nicht für diese Disziplin gemeldet. Bitte prüfen und ggf. in Wettkampfliste "
                                  "nachmelden.");
    }
    return out;
}

// ---- the worker side ----

namespace {

using enum TAqBibOrderRequestType;

void copyRequest(const TAqBibOrderRequest& request, TAqBibOrderResponse& response)
{
    response.reqType = request.reqType;
    response.DisciplineId = request.DisciplineId;
    response.teamDisc = request.teamDisc;
    response.issueReload = request.issueReload;
    response.rank = request.rank;
    response.newBibs = request.newBibs;
    response.CurrentRow = request.CurrentRow;
    response.attempt = request.attempt;
}

void loadDiscipline(TServicePorts& ports, const TAqBibOrderRequest& request, TAqBibOrderResponse& response)
{
    copyRequest(request, response);
    proto::DataRetrievalPortType& drs = ports.drs();
    response.getDisciplineInfoResponse = drs.getDisciplineInfo(request.DisciplineId, 0, 0);
    response.getParticipantsResponse = drs.getDisciplinParticipants(request.DisciplineId, 0);
    response.getBibRanking = drs.getBibRanking(request.DisciplineId, request.attempt);
}

void addBibs(std::vector<int>& to, const std::vector<int>& bibs)
{
    to.insert(to.end(), bibs.begin(), bibs.end());
}

// A rank given at another desk is not doubled behind its back: refused as the server refuses a
// taken rank typed in the result window, naming who holds it.
[[noreturn]] void refuseTakenRank(proto::DataRetrievalPortType& drs, const TAqBibOrderRequest& request, int bib)
{
    const proto::getDisciplineInfoResponse1 info = drs.getDisciplineInfo(request.DisciplineId, 0, 0);
    const QString discipline = info.Disciplin ? info.Disciplin->Name : QString::number(request.DisciplineId);
    const QString name = getNameForBib(drs.getDisciplinParticipants(request.DisciplineId, 0).HeatList, bib).name;
    const QString holder = name.trimmed().isEmpty() ? QStringLiteral("der Startnummer %1").arg(bib) : name.trimmed();
    const QStringList parameters{QString::number(request.rank), QString::number(request.attempt), discipline, holder};
    throw ETvExceptionDetail(QStringLiteral("Der Rang %1 ist im %2. Versuch der Disziplin %3 bereits %4 zugewiesen.")
                                 .arg(parameters[0], parameters[1], parameters[2], parameters[3]),
                             kRankTakenError, parameters);
}

// One row, against the ranking as the server holds it within the transaction: another desk may
// have given the rank to someone else, or moved one of the row's bibs elsewhere. The ranking moves
// on with what the row stores, for the rows after it. holders: the stored bibs' participants.
void storeRow(TServicePorts& ports, const TAqBibOrderRequest& request, TAqBibOrderResponse& response,
              proto::getBibRankingResponse1& ranking, std::vector<int>& holders)
{
    copyRequest(request, response);
    proto::DataAquisitionPortType& das = ports.das();
    const auto listed = [](const std::vector<int>& bibs, int bib) {
        return std::find(bibs.begin(), bibs.end(), bib) != bibs.end();
    };
    std::vector<int> stillHere;
    for (const proto::BibRankType& entry : ranking) {
        if (entry.Rank != request.rank)
            continue;
        if (listed(request.oldBibs, entry.AssignedBib))
            stillHere.push_back(entry.AssignedBib);
        else if (!listed(request.newBibs, entry.AssignedBib))
            refuseTakenRank(ports.drs(), request, entry.AssignedBib);
    }
    proto::ResultType rank;
    rank.Type_ = proto::ResultValueType::Rank;
    rank.Rank = request.rank;
    bool written = false;
    try {
        for (int bib : stillHere) {
            (void)das.setResult(request.DisciplineId, bib, false, nullptr, 0, 0, nullptr, request.attempt);
            written = true;
        }
        for (int bib : request.newBibs) {
            const proto::setResultResponse1 answer =
                das.setResult(request.DisciplineId, bib, false, nullptr, 0, 0, rank, request.attempt);
            written = true;
            if (answer.NotAParticipantWarning)
                response.bibwarnings.push_back(bib);
            response.bibs.push_back(bib);
            holders.push_back(answer.AthleteTeamIDret);
        }
    } catch (const ETvExceptionDetail& e) {
        // Half a row must not stay: refused after some of it was written, the transaction fails.
        if (written)
            throw EStoreBatchFailed(e.message(), e.ExceptionID, e.ExceptionParameters);
        throw;
    } catch (const ESoapFault& e) {
        if (written)
            throw EStoreBatchFailed(e.message());
        throw;
    }
    std::erase_if(ranking, [&](const proto::BibRankType& entry) {
        return listed(stillHere, entry.AssignedBib) || listed(request.newBibs, entry.AssignedBib);
    });
    for (int bib : request.newBibs)
        ranking.push_back({request.rank, bib});
}

const proto::AthleteType* athleteIn(const std::vector<proto::HeatParticipantsType>& heats, int id)
{
    for (const proto::HeatParticipantsType& heat : heats)
        for (const proto::VersionedParticipantsType& p : heat.VersionedParticipants)
            if (p.Athlete && p.Athlete->AthleteID == id)
                return &*p.Athlete;
    return nullptr;
}

const proto::TeamWithAthletesType* teamIn(const std::vector<proto::HeatParticipantsType>& heats, int id)
{
    for (const proto::HeatParticipantsType& heat : heats)
        for (const proto::VersionedParticipantsType& p : heat.VersionedParticipants)
            if (p.Team && p.Team->Team && p.Team->Team->TeamID == id)
                return &*p.Team;
    return nullptr;
}

// The names of a stored row's bibs, from the discipline's participants, else read one by one (a
// bib of someone outside the discipline).
void nameHolders(proto::DataRetrievalPortType& drs, int competition, const proto::getDisciplinParticipantsResponse1& in,
                 const std::vector<int>& holders, TAqBibOrderResponse& row)
{
    for (int id : holders) {
        // A bib nobody holds: there is no participant 0 to ask for.
        if (row.teamDisc) {
            proto::TeamType& team = row.Teams.emplace_back();
            if (id == 0)
                continue;
            if (const proto::TeamWithAthletesType* listed = teamIn(in.HeatList, id)) {
                team = *listed->Team;
                for (const proto::AthleteType& a : listed->Athletes)
                    addBibs(row.allBibsOfRank, a.Bib);
                continue;
            }
            const proto::getTeamInfoResponse1 info = drs.getTeamInfo(id, 0, 0);
            if (info.Team)
                team = *info.Team;
            for (const proto::AthleteType& a : drs.getAthletes(competition, 0, id, 0, nullptr, nullptr, 0))
                addBibs(row.allBibsOfRank, a.Bib);
        } else {
            proto::AthleteType& athlete = row.Athletes.emplace_back();
            if (id == 0)
                continue;
            if (const proto::AthleteType* listed = athleteIn(in.HeatList, id)) {
                athlete = *listed;
            } else {
                const proto::getAthleteInfoResponse1 info = drs.getAthleteInfo(id, 0, 0, 0);
                if (info.Athlete)
                    athlete = *info.Athlete;
            }
            addBibs(row.allBibsOfRank, athlete.Bib);
        }
    }
}

// The rows of one transaction, each of another rank: the ranking is read once before them.
void storeRows(TServicePorts& ports, const TAqBibOrderRequest& request, TAqBibOrderResponse& response)
{
    copyRequest(request, response);
    proto::DataRetrievalPortType& drs = ports.drs();
    proto::getBibRankingResponse1 ranking = drs.getBibRanking(request.DisciplineId, request.attempt);
    response.rows.resize(request.rows.size());
    std::vector<std::vector<int>> holders(request.rows.size());
    storeEach(
        request.rows,
        [&](const TAqBibOrderRequest& row, std::size_t i) {
            storeRow(ports, row, response.rows[i], ranking, holders[i]);
        },
        [&](std::size_t i, TRequestOutcome outcome) { response.rows[i].outcome = std::move(outcome); });
    // The rows are stored: what follows only reads, and other writers need not wait for it.
    ports.commitTransaction();
    try {
        const proto::getDisciplinParticipantsResponse1 participants =
            drs.getDisciplinParticipants(request.DisciplineId, 0);
        const proto::getBibRankingResponse1 now = drs.getBibRanking(request.DisciplineId, request.attempt);
        for (std::size_t i = 0; i < response.rows.size(); ++i) {
            if (!response.rows[i].outcome.ok())
                continue;
            nameHolders(drs, ports.competitionId(), participants, holders[i], response.rows[i]);
            response.rows[i].getBibRanking = now;
        }
    } catch (const std::exception&) {
        // Stored all the same: the window reads the list anew instead of placing the names.
        for (TAqBibOrderResponse& row : response.rows)
            row.issueReload = true;
    }
}

void shiftRanks(TServicePorts& ports, const TAqBibOrderRequest& request, TAqBibOrderResponse& response)
{
    copyRequest(request, response);
    ports.das().shiftRanking(request.DisciplineId, request.attempt, request.rank, request.shiftOffset);
}

} // namespace

const TRequestTable<TAqBibOrderRequest, TAqBibOrderResponse>& aqBibOrderRequests()
{
    static const TRequestTable<TAqBibOrderRequest, TAqBibOrderResponse> table{{
        {rt_getDiscipline, QStringLiteral("Disziplin laden"), &loadDiscipline},
        {rt_setResult, QStringLiteral("Ergebnis speichern"), &storeRows},
        {rt_shiftResult, QStringLiteral("Rangfolge verschieben"), &shiftRanks},
    }};
    return table;
}

} // namespace tvp
