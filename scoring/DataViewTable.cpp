#include "scoring/DataViewTable.h"

#include "core/results/tvpUtils.h"
#include "scoring/CupAthleteTools.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace tvp {

// ---- sort state ----

void TDataViewSort::columnClick(int column, bool chooseMode)
{
    if (chooseMode) {
        FSortColList.push_back(column);
        return;
    }
    int first = 0;
    if (!FSortColList.empty()) {
        first = FSortColList.front();
        FSortColList.erase(FSortColList.begin());
    }
    if (first == column)
        FDownwardSort = !FDownwardSort;
    std::erase(FSortColList, column);
    FSortColList.insert(FSortColList.begin(), column);
}

// ---- the model ----

int TDataViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int TDataViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

bool TDataViewModel::hasCell(int row, int column) const
{
    if (row < 0 || row >= int(rows_.size()) || column < 0)
        return false;
    return column == 0 || column - 1 < rows_[std::size_t(row)].cells.size();
}

QString TDataViewModel::text(int row, int column) const
{
    if (!hasCell(row, column))
        return {};
    const TDataViewRow& r = rows_[std::size_t(row)];
    return column == 0 ? r.caption : r.cells[column - 1];
}

QVariant TDataViewModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || !hasCell(index.row(), index.column()))
        return {};
    return text(index.row(), index.column());
}

QVariant TDataViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size()))
        return {};
    if (role == Qt::DisplayRole)
        return columns_[std::size_t(section)].title;
    return {};
}

void TDataViewModel::clearRows()
{
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void TDataViewModel::clearAll()
{
    beginResetModel();
    rows_.clear();
    columns_.clear();
    endResetModel();
}

void TDataViewModel::setColumns(std::vector<TDataViewColumn> columns)
{
    beginResetModel();
    columns_ = std::move(columns);
    endResetModel();
}

void TDataViewModel::setRows(std::vector<TDataViewRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TDataViewModel::sortRows(const TDataViewSort& sort)
{
    std::vector<int> order = sort.FSortColList;
    order.insert(order.end(), sort.FDefaultSortColList.begin(), sort.FDefaultSortColList.end());
    if (order.empty() || rows_.size() < 2)
        return;

    // Each cell is read once; a column beyond a row's cells compares by its caption.
    const std::size_t n = rows_.size();
    std::unordered_map<int, std::vector<TListSortKey>> keys;
    for (int column : order) {
        if (keys.count(column))
            continue;
        std::vector<TListSortKey>& k = keys[column];
        k.reserve(n);
        for (std::size_t r = 0; r < n; ++r)
            k.push_back(listSortKey(text(int(r), hasCell(int(r), column) ? column : 0), true));
    }
    std::vector<const std::vector<TListSortKey>*> walk;
    for (int column : order)
        walk.push_back(&keys[column]);

    std::vector<std::size_t> idx(n);
    std::iota(idx.begin(), idx.end(), 0);
    const bool down = sort.FDownwardSort;
    std::stable_sort(idx.begin(), idx.end(), [&](std::size_t a, std::size_t b) {
        for (const auto* k : walk) {
            int c = compareListSortKeys((*k)[a], (*k)[b]);
            if (down)
                c = -c;
            if (c != 0)
                return c < 0;
        }
        return false;
    });

    std::vector<TDataViewRow> sorted;
    sorted.reserve(n);
    for (std::size_t i : idx)
        sorted.push_back(std::move(rows_[i]));
    emit layoutAboutToBeChanged();
    rows_ = std::move(sorted);
    emit layoutChanged();
}

// ---- competition mode ----

QString teamMemberTitle(int number)
{
    return QStringLiteral("Teammitglied ") + QStringLiteral("%1").arg(number, 2);
}

std::vector<TDataViewColumn> competitionColumns(const std::vector<TAggInfo>& aggs)
{
    std::vector<TDataViewColumn> cols{{QStringLiteral("Team"), 70, std::nullopt},
                                      {QStringLiteral("Vorname"), 100, std::nullopt},
                                      {QStringLiteral("Name"), 100, std::nullopt},
                                      {QStringLiteral("Verein/Organisation"), 80, std::nullopt}};
    for (const TAggInfo& a : aggs)
        cols.push_back({a.aggLabel, 70, a});
    for (int m = 1; m <= kDefaultTeamMemberColumns; ++m)
        cols.push_back({teamMemberTitle(m), 70, std::nullopt});
    return cols;
}

namespace {

QString fullName(const proto::AthleteType& a)
{
    return a.Name ? a.Name->givenName + u' ' + a.Name->surName : QStringLiteral(" ");
}

int teamOf(const proto::AthleteType& a)
{
    return a.Team ? a.Team->TeamID : 0;
}

class TCompetitionFill {
public:
    TCompetitionFill(const std::vector<proto::AthleteType>& athletes, int aggCount) : aggCount_(aggCount)
    {
        byId_.reserve(athletes.size());
        for (const proto::AthleteType& a : athletes) {
            byId_.emplace(a.AthleteID, &a);
            if (const int team = teamOf(a))
                byTeam_[team].push_back(&a);
        }
    }

    void applyTable(int column, const TDataViewTable& t)
    {
        const proto::ResultTableType* kind = t.table.ResultTableType.get();
        const QString pattern = kind ? kind->ResultUnitPattern : QString();
        for (const proto::AssignedResultType& r : t.table.Results) {
            const QString text = ResultToString(isEmptyResult(&r) ? nullptr : &r, t.format, pattern);
            if (kind && kind->Team) {
                // A team result names its team first; one without a team belongs to nobody.
                if (r.TeamId.empty())
                    continue;
                auto it = byTeam_.find(r.TeamId.front());
                if (it == byTeam_.end())
                    continue;
                for (const proto::AthleteType* a : it->second)
                    apply(a->AthleteID, column, text);
            } else {
                apply(r.AthleteId, column, text);
            }
        }
    }

    TCompetitionRows take()
    {
        TCompetitionRows out;
        out.rows = std::move(rows_);
        out.memberColumns = std::max(kDefaultTeamMemberColumns, maxMembers_);
        return out;
    }

private:
    void apply(int athleteId, int column, const QString& text)
    {
        std::size_t row = 0;
        if (auto it = rowOf_.find(athleteId); it != rowOf_.end()) {
            row = it->second;
        } else {
            auto a = byId_.find(athleteId);
            if (a == byId_.end())
                return;
            row = addRow(*a->second);
        }
        QString& cell = rows_[row].cells[column + kCompetitionAggStartCol - 1];
        if (!cell.isEmpty())
            cell += QStringLiteral(", ");
        cell += text;
    }

    std::size_t addRow(const proto::AthleteType& a)
    {
        TDataViewRow row;
        row.athleteId = a.AthleteID;
        row.teamId = teamOf(a);
        row.caption = a.Team ? a.Team->Name : QString();
        row.cells << (a.Name ? a.Name->givenName : QString()) << (a.Name ? a.Name->surName : QString())
                  << (a.Club ? a.Club->Name : QStringLiteral("-"));
        for (int i = 0; i < aggCount_; ++i)
            row.cells << QString();
        int members = 0;
        if (row.teamId)
            for (const proto::AthleteType* m : byTeam_[row.teamId])
                if (m != &a) {
                    row.cells << fullName(*m);
                    ++members;
                }
        maxMembers_ = std::max(maxMembers_, members);
        rows_.push_back(std::move(row));
        rowOf_.emplace(a.AthleteID, rows_.size() - 1);
        return rows_.size() - 1;
    }

    int aggCount_;
    int maxMembers_ = 0;
    std::unordered_map<int, const proto::AthleteType*> byId_;
    std::unordered_map<int, std::vector<const proto::AthleteType*>> byTeam_;
    std::unordered_map<int, std::size_t> rowOf_;
    std::vector<TDataViewRow> rows_;
};

} // namespace

TCompetitionRows competitionRows(const std::vector<proto::AthleteType>& athletes,
                                 const std::vector<TDataViewTable>& tables)
{
    TCompetitionFill fill(athletes, int(tables.size()));
    for (std::size_t i = 0; i < tables.size(); ++i)
        fill.applyTable(int(i), tables[i]);
    return fill.take();
}

std::vector<TDataViewRow> testRows(int aggCount, int memberColumns)
{
    auto sample = [&](QString team, QString given, QString sur, QString club, int first, const QString& member) {
        TDataViewRow row;
        row.caption = std::move(team);
        row.cells << given << sur << club;
        for (int k = 0; k < aggCount; ++k)
            row.cells << QString::number(k + first);
        for (int m = 1; m <= memberColumns; ++m)
            row.cells << member + QString::number(m);
        return row;
    };
    return {sample(QStringLiteral("Muster Team"), QStringLiteral("Umlaut-Test"), QStringLiteral("(äöüêéèß-ÄÖÜ)-Athlet"),
                   QStringLiteral("SV Muster Verein"), 2, QStringLiteral("Team Mitglied A")),
            sample(QStringLiteral("Muster Team 2"), QStringLiteral("Muster"), QStringLiteral("Athlet 2"),
                   QStringLiteral("Spvgg Muster Verein"), 3, QStringLiteral("Team Mitglied B"))};
}

std::vector<int> sortColumnsOf(const std::vector<int>& orderIndices, int aggStartCol)
{
    std::vector<int> cols;
    for (int i : orderIndices)
        cols.push_back(aggStartCol + i);
    return cols;
}

// ---- cup mode ----

TCupColumns cupColumns(const TCupAthleteList& list)
{
    TCupColumns out;
    auto& cols = out.columns;
    cols.push_back({QStringLiteral("Vorname"), 100, std::nullopt});
    cols.push_back({QStringLiteral("Nachname"), 100, std::nullopt});
    for (int i = 0; i < list.getNoOfCustomCols(); ++i)
        cols.push_back({list.getCustomColumnName(i), 100, std::nullopt});
    out.firstTeamCol = int(cols.size());
    out.AggStartColIndex = out.firstTeamCol + 1;
    for (int t = 1; t <= list.getNoOfCompetitions(); ++t) {
        cols.push_back({QStringLiteral("Team %1").arg(t), 70, std::nullopt});
        for (int j = 0; j < list.getNoOfTeamAggs(); ++j) {
            const TAggInfo* agg = list.getTeamAgg(j);
            const QString label = agg ? agg->aggLabel : QStringLiteral("Unbenannt");
            TDataViewColumn col{label + QStringLiteral("_T") + QString::number(t), 70, std::nullopt};
            if (agg)
                col.agg = *agg;
            cols.push_back(std::move(col));
        }
    }
    for (int j = 0; j < list.getNoOfAthleteAggs(); ++j) {
        const TAggInfo* agg = list.getAthAgg(j);
        TDataViewColumn col{agg ? agg->aggLabel : QStringLiteral("Unbenannt"), 70, std::nullopt};
        if (agg)
            col.agg = *agg;
        cols.push_back(std::move(col));
    }
    out.additionalColsStartIndex = int(cols.size());
    cols.push_back({QStringLiteral("Anzahl Cup-Teilnahmen"), 50, std::nullopt});
    for (int c = 0; c < list.getNoOfCompetitions(); ++c)
        cols.push_back({list.getCompetitionName(c), 100, std::nullopt});
    return out;
}

std::vector<TDataViewRow> cupRows(const TCupAthleteList& list, bool filter, int teamsWithResults)
{
    std::vector<TDataViewRow> rows;
    const int comps = list.getNoOfCompetitions();
    const int teamAggs = list.getNoOfTeamAggs();
    const int athAggs = list.getNoOfAthleteAggs();
    for (int i = 0; i < list.getAthleteCount(); ++i) {
        const TCupAthlete& a = *list.getAthlete(i);
        const int withResults = a.getNoOfTeamsWithResults();
        const bool hasResult = a.getNoOfTeams() == 0 || a.hasResults() || withResults > 0;
        if (!hasResult || (filter && withResults != teamsWithResults))
            continue;
        TDataViewRow row;
        row.athleteId = a.id();
        row.caption = a.givenName();
        row.cells << a.surName();
        for (int c = 0; c < list.getNoOfCustomCols(); ++c)
            row.cells << a.getCustomColData(c);
        for (int t = 0; t < comps; ++t) {
            const TCupTeam* team = a.getTeam(t);
            row.cells << (team && (team->hasResults() || a.hasResults()) ? team->name() : QString());
            for (int j = 0; j < teamAggs; ++j)
                row.cells << (team ? team->getResultString(j) : QString());
        }
        for (int j = 0; j < athAggs; ++j)
            row.cells << a.getResultString(j);
        row.cells << QString::number(a.getNoOfParticipations());
        for (int c = 0; c < comps; ++c)
            row.cells << a.getCompetitionParticipationString(c);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace tvp
