#include "core/results/ResultCache.h"

#include "core/results/ResultUnitPatterns.h"
#include "core/results/tvpUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tvp {

using proto::ResultAssignmentType;

namespace {

constexpr int kLaneFactor = 65536;

const QString& heightWarning()
{
    static const QString text =
        QStringLiteral("Ergebnis ist nicht in der Liste möglicher Ergebnisse(Höhen,Zielweiten,...) der Disziplin");
    return text;
}

// An answer replaces a cell the user is typing over: the typed text stays, and Escape in the editor
// goes back to what the answer brought.
void keepTyping(TResultType& fresh, const TResultType& old)
{
    if (old.Status() != TSetResultStatus::sr_edited)
        return;
    fresh.textBeforeTyping = fresh.lastValue;
    fresh.statusBeforeTyping = fresh.Status();
    fresh.lastValue = old.lastValue;
    fresh.setStatus(TSetResultStatus::sr_edited);
}

} // namespace

// ---- cell ----

TResultType::TResultType(const proto::ResultType* result, const QString& text, TSetResultStatus status)
    : lastValue(text), FInitialStatus(result ? status : TSetResultStatus::sr_noResult), FStatus(FInitialStatus)
{
    if (result)
        Result = *result;
    Stored = Result;
}

void TResultType::setStored(const proto::ResultType* result)
{
    if (result)
        Stored = *result;
    else
        Stored.reset();
}

void TResultType::setStatus(TSetResultStatus s)
{
    FStatus = s;
    switch (s) {
    case TSetResultStatus::sr_uptodate:
    case TSetResultStatus::sr_error:
    case TSetResultStatus::sr_warning:
    case TSetResultStatus::sr_pending: FInitialStatus = s; break;
    default: break;
    }
}

// ---- row ----

std::unique_ptr<TResultRow> TResultRow::forAthlete(const proto::AthleteType& athlete, std::vector<int> bibs,
                                                   int version)
{
    std::unique_ptr<TResultRow> row(new TResultRow);
    row->FAthlete = athlete;
    row->FBibs = std::move(bibs);
    row->FVersion = version;
    return row;
}

std::unique_ptr<TResultRow> TResultRow::forTeam(const proto::TeamType& team, std::vector<int> bibs, int version)
{
    std::unique_ptr<TResultRow> row(new TResultRow);
    row->FTeam = team;
    row->FBibs = std::move(bibs);
    row->FVersion = version;
    return row;
}

std::unique_ptr<TResultRow> TResultRow::emptyPlace(int version)
{
    std::unique_ptr<TResultRow> row(new TResultRow);
    row->FVersion = version;
    return row;
}

const proto::TeamType* TResultRow::Team() const
{
    if (FAthlete)
        return FAthlete->Team.get();
    return FTeam ? &*FTeam : nullptr;
}

TResultType* TResultRow::cell(int attempt)
{
    if (attempt < 1 || attempt > static_cast<int>(FResults.size()))
        return nullptr;
    return &FResults[attempt - 1];
}

const TResultType* TResultRow::cell(int attempt) const
{
    return const_cast<TResultRow*>(this)->cell(attempt);
}

// ---- result table index ----

TAssignedResults::TAssignedResults(const std::vector<proto::AssignedResultType>& results) : results_(results)
{
    byAthlete_.reserve(results.size());
    for (int i = 0; i < static_cast<int>(results.size()); ++i) {
        byAthlete_.emplace_back(results[i].AthleteId, i);
        if (results[i].TeamId.size() == 1)
            byTeam_.emplace_back(results[i].TeamId.front(), i);
    }
    std::sort(byAthlete_.begin(), byAthlete_.end());
    std::sort(byTeam_.begin(), byTeam_.end());
}

std::vector<const proto::AssignedResultType*> TAssignedResults::lookup(const std::vector<std::pair<int, int>>& index,
                                                                       int id) const
{
    std::vector<const proto::AssignedResultType*> out;
    auto it = std::lower_bound(index.begin(), index.end(), std::make_pair(id, std::numeric_limits<int>::min()));
    for (; it != index.end() && it->first == id; ++it)
        out.push_back(&results_[it->second]);
    return out;
}

std::vector<const proto::AssignedResultType*> TAssignedResults::ofAthlete(int athleteId) const
{
    return lookup(byAthlete_, athleteId);
}

std::vector<const proto::AssignedResultType*> TAssignedResults::ofTeam(int teamId) const
{
    return lookup(byTeam_, teamId);
}

// ---- cache ----

TResultCache::TResultCache() = default;

TResultCache::TResultCache(int DisciplinId, bool isTeam, ResultAssignmentType assignmentType,
                           proto::ResultValueType DiscResultType, const QString& ResultUnitPattern, int MaxAttempts,
                           TChangeCallback onChange, TResultformat ResultFormat, int ListVersion,
                           std::optional<std::vector<int>> HeightList)
    : DisciplinId(DisciplinId),
      isTeam(isTeam),
      assignmentType(assignmentType),
      DiscResultType(DiscResultType),
      fonChange(std::move(onChange)),
      MaxAttempts(std::max(0, MaxAttempts)),
      FResType(ResultFormat),
      FListVersion(ListVersion),
      FResultUnitPattern(ResultUnitPattern),
      FHeightList(std::move(HeightList))
{
    // The pattern is server data: one that cannot be read must not break every text of the
    // discipline. Its faults do not depend on the value, so one trial tells.
    if (!FResultUnitPattern.isEmpty()) {
        if (IResultUnitPatterns* patterns = resultUnitPatterns()) {
            try {
                (void)patterns->parseResultValue(FResultUnitPattern, 0);
            } catch (const EInvalidResultUnitPattern& e) {
                patternError_ = e.message();
            }
        }
    }
    if (!patternError_.isEmpty())
        loadMessages_ << patternError_;
}

void TResultCache::Clear(int ListVersion)
{
    list_.clear();
    heatRows_.clear();
    heatCount_ = -1;
    FListVersion = ListVersion;
    heatReported_ = false;
    loadMessages_.clear();
    if (!patternError_.isEmpty())
        loadMessages_ << patternError_;
    NotifyChange(0, 0);
}

QStringList TResultCache::takeLoadMessages()
{
    return std::exchange(loadMessages_, {});
}

bool TResultCache::isForDisciplin(int DisciplinId, proto::ResultValueType DiscResultType, bool isTeam, int MaxAttempts,
                                  ResultAssignmentType assignmentType, TResultformat ResultFormat) const
{
    return this->DisciplinId == DisciplinId && this->DiscResultType == DiscResultType && this->isTeam == isTeam &&
           this->MaxAttempts == std::max(0, MaxAttempts) && this->assignmentType == assignmentType &&
           FResType == ResultFormat;
}

QString TResultCache::resultText(const proto::ResultType* result) const
{
    if (patternError_.isEmpty()) {
        try {
            return ResultToString(result, FResType, FResultUnitPattern);
        } catch (const EInvalidResultUnitPattern&) {
            // Not seen when the cache was made (another registration since): shown without it.
        }
    }
    return ResultToString(result, FResType, QString());
}

TResultType TResultCache::makeCell(const proto::ResultType* result, TSetResultStatus status) const
{
    return TResultType(result, resultText(result), status);
}

bool TResultCache::heatInRange(int heat)
{
    if (heat >= kMinHeat && heat <= kMaxHeat)
        return true;
    if (!heatReported_) {
        heatReported_ = true;
        loadMessages_ << QStringLiteral("Lauf/Gruppe %1 liegt außerhalb des gültigen Bereichs (bis %2) und wird "
                                        "nicht angezeigt.")
                             .arg(heat)
                             .arg(kMaxHeat);
    }
    return false;
}

void TResultCache::getResultForRow(TResultRow& row, const std::vector<const proto::AssignedResultType*>& results)
{
    std::vector<TResultType>& cells = row.Results();
    cells.clear();
    cells.reserve(MaxAttempts);
    for (int i = 0; i < MaxAttempts; ++i)
        cells.emplace_back(nullptr, resultText(nullptr), TSetResultStatus::sr_noResult);
    for (const proto::AssignedResultType* r : results) {
        if (r->Attempt < 1 || r->Attempt > MaxAttempts) {
            cells.clear();
            return;
        }
        if (isEmptyResult(r))
            cells[r->Attempt - 1] = makeCell(nullptr, TSetResultStatus::sr_noResult);
        else
            cells[r->Attempt - 1] = makeCell(r, TSetResultStatus::sr_uptodate);
    }
}

void TResultCache::addAthleteRow(int heat, const proto::AthleteType& athlete, const TAssignedResults& results,
                                 const std::vector<int>& bibs, bool showEmpty, int version)
{
    if (!heatInRange(heat))
        return;
    if (isTeam) {
        // The team's first athlete makes its row; the others only bring their version.
        if (!athlete.Team)
            return;
        const int teamId = athlete.Team->TeamID;
        for (TInternalRow& r : list_) {
            const proto::TeamType* team = r.row->Team();
            if (team && team->TeamID == teamId) {
                r.row->setVersion(version);
                return;
            }
        }
        std::unique_ptr<TResultRow> row = TResultRow::forAthlete(athlete, bibs, version);
        getResultForRow(*row, results.ofTeam(teamId));
        addRow(heat, std::move(row), showEmpty);
        return;
    }
    std::unique_ptr<TResultRow> row = TResultRow::forAthlete(athlete, bibs, version);
    getResultForRow(*row, results.ofAthlete(athlete.AthleteID));
    addRow(heat, std::move(row), showEmpty);
}

void TResultCache::addTeamRow(int heat, const proto::TeamType& team, const TAssignedResults& results,
                              const std::vector<int>& bibs, bool showEmpty, int version)
{
    if (!heatInRange(heat) || !isTeam)
        return;
    std::unique_ptr<TResultRow> row = TResultRow::forTeam(team, bibs, version);
    getResultForRow(*row, results.ofTeam(team.TeamID));
    addRow(heat, std::move(row), showEmpty);
}

void TResultCache::addEmptyRow(int heat, int version)
{
    if (!heatInRange(heat))
        return;
    std::unique_ptr<TResultRow> row = TResultRow::emptyPlace(version);
    getResultForRow(*row, {});
    addRow(heat, std::move(row), true);
}

void TResultCache::addRow(int heat, std::unique_ptr<TResultRow> row, bool showEmpty)
{
    if (!showEmpty) {
        const auto& cells = row->Results();
        const bool any = std::any_of(cells.begin(), cells.end(),
                                     [](const TResultType& c) { return c.Status() != TSetResultStatus::sr_noResult; });
        if (!any) {
            NotifyChange(0, 0);
            return;
        }
    }
    const int index = static_cast<int>(list_.size());
    std::vector<int>& rows = heatRows_[heat];
    rows.push_back(index);
    list_.push_back({std::move(row), heat, static_cast<int>(rows.size())});
    heatCount_ = std::max(heatCount_, heat);
    const std::vector<TResultType>& cells = list_.back().row->Results();
    for (int a = 1; a <= static_cast<int>(cells.size()); ++a)
        if (!checkHeights(cells[a - 1].getResult()))
            setWarningAt(index, a, heightWarning());
    applyUncomittedChanges(index);
    NotifyChange(0, 0);
}

int TResultCache::getIndex(int heat, int n) const
{
    const auto it = heatRows_.find(heat);
    if (it == heatRows_.end() || n < 1 || n > static_cast<int>(it->second.size()))
        return -1;
    return it->second[n - 1];
}

int TResultCache::getHeatRowCount(int heat) const
{
    const auto it = heatRows_.find(heat);
    return it == heatRows_.end() ? 0 : static_cast<int>(it->second.size());
}

bool TResultCache::isAssignedToRow(int assignedId, int index) const
{
    const TResultRow& row = *list_[index].row;
    switch (assignmentType) {
    case ResultAssignmentType::byAthleteOrTeam:
        if (isTeam) {
            const proto::TeamType* team = row.Team();
            return team && team->TeamID == assignedId;
        }
        return row.Athlete() && row.Athlete()->AthleteID == assignedId;
    case ResultAssignmentType::byBib: return containsBib(assignedId, row.Bibs());
    case ResultAssignmentType::byLane: return getIndex(assignedId / kLaneFactor, assignedId % kLaneFactor) == index;
    }
    return false;
}

int TResultCache::indexOfAssignedId(int assignedId) const
{
    if (assignmentType == ResultAssignmentType::byLane)
        return getIndex(assignedId / kLaneFactor, assignedId % kLaneFactor);
    for (int i = 0; i < static_cast<int>(list_.size()); ++i)
        if (isAssignedToRow(assignedId, i))
            return i;
    return -1;
}

int TResultCache::assignedIdOfRow(int heat, int row) const
{
    const TResultRow* r = getRow(heat, row);
    if (!r)
        return 0;
    switch (assignmentType) {
    case ResultAssignmentType::byAthleteOrTeam:
        if (isTeam)
            return r->Team() ? r->Team()->TeamID : 0;
        return r->Athlete() ? r->Athlete()->AthleteID : 0;
    case ResultAssignmentType::byBib: return r->Bibs().empty() ? 0 : r->Bibs().front();
    case ResultAssignmentType::byLane: return heat * kLaneFactor + row;
    }
    return 0;
}

void TResultCache::applyUncomittedChanges(int index)
{
    // The newest queued change of each attempt is what the user last stored there.
    TResultRow& row = *list_[index].row;
    std::vector<const TResultChange*> newest(row.Results().size(), nullptr);
    for (const TResultChange& c : uncomittedChanges_)
        if (c.attempt >= 1 && c.attempt <= static_cast<int>(newest.size()) && isAssignedToRow(c.assignedId, index))
            newest[c.attempt - 1] = &c;
    for (std::size_t i = 0; i < newest.size(); ++i)
        if (newest[i]) {
            TResultType& cell = row.Results()[i];
            TResultType queued =
                makeCell(newest[i]->result ? &*newest[i]->result : nullptr, TSetResultStatus::sr_uncommited);
            // A deletion not yet confirmed shows as one.
            queued.setStatus(TSetResultStatus::sr_uncommited);
            queued.keepStoredOf(cell);
            if (!newest[i]->text.isEmpty())
                queued.lastValue = newest[i]->text;
            cell = std::move(queued);
        }
}

void TResultCache::NotifyChange(int row, int col)
{
    if (FUpdating) {
        FhasChanges = true;
        return;
    }
    if (fonChange)
        fonChange(row, col);
}

void TResultCache::notifyIndex(int index, int attempt)
{
    // An attempt the rows do not have names no cell: everything is repainted.
    if (index < 0 || attempt < 1 || attempt > MaxAttempts)
        NotifyChange(0, 0);
    else
        NotifyChange(list_[index].pos, attempt - 1);
}

void TResultCache::updateRow(int index, int attempt, const proto::ResultType* result, TSetResultStatus status,
                             const QString* typed)
{
    TResultType* cell = list_[index].row->cell(attempt);
    if (!cell)
        return;
    TResultType fresh = makeCell(result, status);
    if (status == TSetResultStatus::sr_pending) {
        // A deletion on its way is still pending; a confirmed one leaves no result.
        fresh.setStatus(status);
        fresh.keepStoredOf(*cell);
    }
    if (typed)
        fresh.lastValue = *typed;
    *cell = std::move(fresh);
    if (!checkHeights(result))
        setWarningAt(index, attempt, heightWarning());
}

void TResultCache::setWarningAt(int index, int attempt, const QString& message)
{
    TResultType* cell = list_[index].row->cell(attempt);
    if (!cell || cell->Status() == TSetResultStatus::sr_error)
        return;
    cell->setStatus(TSetResultStatus::sr_warning);
    cell->errMsg = message;
    NotifyChange(list_[index].pos, attempt - 1);
}

void TResultCache::setWarning(int index, int attempt, const QString& message)
{
    if (index < 0 || index >= static_cast<int>(list_.size()))
        return;
    setWarningAt(index, attempt, message);
}

int TResultCache::addChange(int assignedId, int attempt, const proto::ResultType* result, const QString& text,
                            bool undo)
{
    if (assignedId == 0)
        return 0;
    const int index = indexOfAssignedId(assignedId);
    if (index >= 0)
        updateRow(index, attempt, result, TSetResultStatus::sr_pending, text.isEmpty() ? nullptr : &text);
    TResultChange change{assignedId, attempt, std::nullopt, text, ++lastSerial_, false, undo};
    if (result)
        change.result = *result;
    uncomittedChanges_.push_back(std::move(change));
    editHeat = -1;
    return lastSerial_;
}

bool TResultCache::sameCell(const TResultChange& c, int assignedId, int attempt) const
{
    return c.assignedId == assignedId && c.attempt == attempt;
}

TResultType* TResultCache::cellAt(int index, int attempt)
{
    return index >= 0 && index < static_cast<int>(list_.size()) ? list_[index].row->cell(attempt) : nullptr;
}

void TResultCache::changeCommitted(const TResultChange& change)
{
    // Copies first: change may be one of the queue's own entries.
    const int id = change.assignedId;
    const int attempt = change.attempt;
    const int serial = change.serial;
    const std::optional<proto::ResultType> result = change.result;
    const auto same = [&](const TResultChange& c) { return sameCell(c, id, attempt); };
    auto answered = std::find_if(uncomittedChanges_.begin(), uncomittedChanges_.end(),
                                 [serial](const TResultChange& c) { return c.serial == serial; });
    bool newer = false;
    if (serial == 0) {
        std::erase_if(uncomittedChanges_, same);
    } else if (answered == uncomittedChanges_.end()) {
        // Dropped by the user while on its way: what undoes it is queued behind.
        newer = std::any_of(uncomittedChanges_.begin(), uncomittedChanges_.end(), same);
    } else {
        newer = std::any_of(answered + 1, uncomittedChanges_.end(), same);
        // The answered change and the older ones of its cell, which it replaced.
        for (auto it = answered + 1; it != uncomittedChanges_.begin();) {
            --it;
            if (same(*it))
                it = uncomittedChanges_.erase(it);
        }
    }
    const int index = indexOfAssignedId(id);
    if (TResultType* cell = cellAt(index, attempt)) {
        if (newer) {
            cell->setStored(result ? &*result : nullptr);
        } else {
            const TResultType before = *cell;
            updateRow(index, attempt, result ? &*result : nullptr, TSetResultStatus::sr_uptodate);
            keepTyping(*cellAt(index, attempt), before);
        }
    }
    notifyIndex(index, attempt);
}

void TResultCache::setError(int assignedId, int attempt, const QString& message, int serial)
{
    const int index = indexOfAssignedId(assignedId);
    QString refusedText;
    if (serial != 0) {
        const auto refused = std::find_if(uncomittedChanges_.begin(), uncomittedChanges_.end(),
                                          [serial](const TResultChange& c) { return c.serial == serial; });
        if (refused == uncomittedChanges_.end()) {
            notifyIndex(index, attempt);
            return;
        }
        if (std::any_of(refused + 1, uncomittedChanges_.end(),
                        [&](const TResultChange& c) { return sameCell(c, assignedId, attempt); })) {
            // The user stored another value since; that one is what counts.
            uncomittedChanges_.erase(refused);
            notifyIndex(index, attempt);
            return;
        }
        refusedText = refused->text;
        refused->refused = true;
    }
    if (TResultType* cell = cellAt(index, attempt)) {
        if (serial != 0 && cell->Status() == TSetResultStatus::sr_edited) {
            // Typed over since: the typing stays, the refusal lies under it.
            cell->setStatus(TSetResultStatus::sr_error);
            cell->setStatus(TSetResultStatus::sr_edited);
            cell->statusBeforeTyping = TSetResultStatus::sr_error;
            if (!refusedText.isEmpty())
                cell->textBeforeTyping = refusedText;
        } else {
            cell->setStatus(TSetResultStatus::sr_error);
        }
        cell->errMsg = message;
    }
    notifyIndex(index, attempt);
}

void TResultCache::setInDoubt(int assignedId, int attempt, const QString& message, int serial)
{
    const auto change = std::find_if(uncomittedChanges_.begin(), uncomittedChanges_.end(),
                                     [serial](const TResultChange& c) { return c.serial == serial; });
    if (change == uncomittedChanges_.end() ||
        std::any_of(change + 1, uncomittedChanges_.end(),
                    [&](const TResultChange& c) { return sameCell(c, assignedId, attempt); }))
        return;
    const int index = indexOfAssignedId(assignedId);
    TResultType* cell = cellAt(index, attempt);
    if (!cell || cell->Status() != TSetResultStatus::sr_pending)
        return;
    cell->errMsg = message;
    notifyIndex(index, attempt);
}

void TResultCache::forgetRefusedChanges()
{
    std::erase_if(uncomittedChanges_, [](const TResultChange& c) { return c.refused; });
}

void TResultCache::beginEdit(int heat, int row, int col, const QString& text)
{
    const int index = getIndex(heat, row);
    if (index < 0 || col < 1 || col > MaxAttempts)
        return;
    editHeat = heat;
    editRow = row;
    editCol = col - 1;
    editValue = text;
    TResultType* cell = list_[index].row->cell(col);
    if (!cell)
        return;
    const QString stored = resultText(cell->getResult());
    if (text == stored) {
        cell->lastValue = text;
        cell->setStatus(cell->InitialStatus());
    } else if (text != cell->lastValue) {
        if (cell->Status() != TSetResultStatus::sr_edited) {
            cell->textBeforeTyping = cell->lastValue;
            cell->statusBeforeTyping = cell->Status();
        }
        cell->lastValue = text;
        cell->setStatus(TSetResultStatus::sr_edited);
    }
}

void TResultCache::revertTyping(int heat, int row, int col)
{
    const int index = getIndex(heat, row);
    if (heat == editHeat && row == editRow && col - 1 == editCol)
        editHeat = -1;
    TResultType* cell = cellAt(index, col);
    if (!cell || cell->Status() != TSetResultStatus::sr_edited)
        return;
    cell->lastValue = cell->textBeforeTyping;
    cell->setStatus(cell->statusBeforeTyping);
    NotifyChange(row, col - 1);
}

void TResultCache::cancelEdit()
{
    if (editHeat < 1) {
        editHeat = -1;
        return;
    }
    editHeat = -1;
    NotifyChange(editRow, editCol);
}

std::vector<int> TResultCache::dropTypedText(int heat, int row, int col)
{
    const int index = getIndex(heat, row);
    TResultType* cell = cellAt(index, col);
    std::vector<int> dropped;
    if (!cell)
        return dropped;
    const auto unstored = [](TSetResultStatus s) {
        return s == TSetResultStatus::sr_error || s == TSetResultStatus::sr_uncommited ||
               s == TSetResultStatus::sr_pending;
    };
    if (unstored(cell->Status()) ||
        (cell->Status() == TSetResultStatus::sr_edited && unstored(cell->InitialStatus()))) {
        const std::optional<proto::ResultType> stored =
            cell->storedResult() ? std::optional(*cell->storedResult()) : std::nullopt;
        // Gone from the queue too, or the next reload would bring the value back. An undo stays:
        // without it the dropped value would stay on the server.
        std::optional<TResultChange> undo;
        std::erase_if(uncomittedChanges_, [&](const TResultChange& c) {
            const bool ofCell = c.attempt == col && isAssignedToRow(c.assignedId, index);
            if (ofCell && c.undo)
                undo = c;
            else if (ofCell)
                dropped.push_back(c.serial);
            return ofCell && !c.undo;
        });
        if (undo)
            updateRow(index, col, undo->result ? &*undo->result : nullptr, TSetResultStatus::sr_pending);
        else
            updateRow(index, col, stored ? &*stored : nullptr, TSetResultStatus::sr_uptodate);
    } else if (cell->Status() == TSetResultStatus::sr_edited) {
        cell->lastValue = resultText(cell->getResult());
        cell->setStatus(cell->InitialStatus());
    } else {
        return dropped;
    }
    if (heat == editHeat && row == editRow && col - 1 == editCol)
        editHeat = -1;
    NotifyChange(row, col - 1);
    return dropped;
}

// ---- keeping what was typed over a reload ----

int TResultCache::rowKey(int index) const
{
    const TInternalRow& r = list_[index];
    if (assignmentType == ResultAssignmentType::byLane)
        return r.heat * kLaneFactor + r.pos;
    if (isTeam)
        return r.row->Team() ? r.row->Team()->TeamID : 0;
    return r.row->Athlete() ? r.row->Athlete()->AthleteID : 0;
}

std::map<int, int> TResultCache::indexByRowKey() const
{
    std::map<int, int> keys;
    for (int i = 0; i < static_cast<int>(list_.size()); ++i)
        keys.emplace(rowKey(i), i);
    return keys;
}

std::vector<TTypedCell> TResultCache::typedCells() const
{
    std::vector<TTypedCell> out;
    for (int i = 0; i < static_cast<int>(list_.size()); ++i) {
        const std::vector<TResultType>& cells = list_[i].row->Results();
        for (int a = 1; a <= static_cast<int>(cells.size()); ++a) {
            const TResultType& c = cells[a - 1];
            if (c.Status() != TSetResultStatus::sr_edited && c.Status() != TSetResultStatus::sr_error)
                continue;
            const bool overRefusal =
                c.Status() == TSetResultStatus::sr_edited && c.InitialStatus() == TSetResultStatus::sr_error;
            out.push_back({rowKey(i), a, c.lastValue, c.Status(), overRefusal, c.errMsg, c.textBeforeTyping});
        }
    }
    return out;
}

std::vector<TTypedCell> TResultCache::typedCellsWithoutRow(const std::vector<TTypedCell>& cells) const
{
    const std::map<int, int> keys = indexByRowKey();
    std::vector<TTypedCell> out;
    for (const TTypedCell& t : cells) {
        const auto it = keys.find(t.rowKey);
        if (it == keys.end() || !list_[it->second].row->cell(t.attempt))
            out.push_back(t);
    }
    return out;
}

void TResultCache::restoreTypedCells(const std::vector<TTypedCell>& cells)
{
    const std::map<int, int> keys = indexByRowKey();
    beginUpdate();
    for (const TTypedCell& t : cells) {
        const auto it = keys.find(t.rowKey);
        TResultType* cell = it == keys.end() ? nullptr : cellAt(it->second, t.attempt);
        if (!cell)
            continue;
        if (t.status == TSetResultStatus::sr_error) {
            cell->setStatus(TSetResultStatus::sr_error);
            cell->lastValue = t.text;
        } else {
            if (t.overRefusal) {
                cell->setStatus(TSetResultStatus::sr_error);
                cell->textBeforeTyping = t.textBeforeTyping;
            } else {
                cell->textBeforeTyping = cell->lastValue;
            }
            cell->statusBeforeTyping = cell->Status();
            cell->lastValue = t.text;
            cell->setStatus(TSetResultStatus::sr_edited);
        }
        if (t.status == TSetResultStatus::sr_error || t.overRefusal)
            cell->errMsg = t.errMsg;
        NotifyChange(list_[it->second].pos, t.attempt - 1);
    }
    endUpdate();
}

void TResultCache::beginUpdate()
{
    FhasChanges = false;
    FUpdating = true;
}

void TResultCache::endUpdate()
{
    FUpdating = false;
    if (FhasChanges) {
        FhasChanges = false;
        NotifyChange(0, 0);
    }
}

// ---- reading ----

TResultTable TResultCache::getResultTable(int heat) const
{
    TResultTable t;
    if (editHeat == heat) {
        t.editRow = editRow;
        t.editCol = editCol;
        t.editValue = editValue;
    }
    const auto it = heatRows_.find(heat);
    if (it != heatRows_.end()) {
        t.rows.reserve(it->second.size());
        for (int index : it->second)
            t.rows.push_back(list_[index].row.get());
    }
    return t;
}

TResultTable TResultCache::getResultTable() const
{
    TResultTable t;
    t.rows.reserve(list_.size());
    for (const TInternalRow& r : list_)
        t.rows.push_back(r.row.get());
    return t;
}

const TResultRow* TResultCache::getRow(int heat, int row) const
{
    const int index = getIndex(heat, row);
    return index < 0 ? nullptr : list_[index].row.get();
}

TSetResultStatus TResultCache::getStatusOf(int heat, int row, int attempt) const
{
    const TResultRow* r = getRow(heat, row);
    const TResultType* cell = r ? r->cell(attempt) : nullptr;
    return cell ? cell->Status() : TSetResultStatus::sr_noResult;
}

QString TResultCache::getErrMsg(int heat, int row, int attempt) const
{
    const TResultRow* r = getRow(heat, row);
    const TResultType* cell = r ? r->cell(attempt) : nullptr;
    return cell ? cell->errMsg : QString();
}

namespace {

QString rowName(const TResultRow& r)
{
    if (const proto::AthleteType* a = r.Athlete()) {
        if (!a->Name)
            return QStringLiteral(" ");
        return a->Name->givenName + u' ' + a->Name->surName;
    }
    return r.Team() ? r.Team()->Name : QString();
}

} // namespace

QString TResultCache::getNameOf(int heat, int row) const
{
    const TResultRow* r = getRow(heat, row);
    return r ? rowName(*r) : QString();
}

QString TResultCache::nameOfAssignedId(int assignedId) const
{
    const int index = indexOfAssignedId(assignedId);
    const QString name = index >= 0 ? rowName(*list_[index].row).trimmed() : QString();
    return name.isEmpty() ? QStringLiteral("Der Teilnehmer") : name;
}

int TResultCache::getAthleteIdOfRow(int heat, int row) const
{
    const TResultRow* r = getRow(heat, row);
    return r && r->Athlete() ? r->Athlete()->AthleteID : 0;
}

int TResultCache::getTeamIdOfRow(int heat, int row) const
{
    const TResultRow* r = getRow(heat, row);
    return r && r->Team() ? r->Team()->TeamID : 0;
}

std::vector<int> TResultCache::getBibsOfRow(int heat, int row) const
{
    const TResultRow* r = getRow(heat, row);
    return r ? r->Bibs() : std::vector<int>();
}

int TResultCache::getListItemVersion(int heat, int row) const
{
    const TResultRow* r = getRow(heat, row);
    return r ? r->Version() : 0;
}

bool TResultCache::hasUncommitedChanges() const
{
    for (const TInternalRow& r : list_)
        for (const TResultType& c : r.row->Results())
            if (c.Status() != TSetResultStatus::sr_uptodate && c.Status() != TSetResultStatus::sr_noResult)
                return true;
    return false;
}

TDisciplineInfo TResultCache::getResultCachePartofDisciplineInfo() const
{
    TDisciplineInfo info;
    info.id = DisciplinId;
    info.isTeam = isTeam;
    info.assignmentType = assignmentType;
    info.resultType = DiscResultType;
    info.resultFormat = FResType;
    info.attempts = MaxAttempts;
    return info;
}

bool TResultCache::checkHeights(const proto::ResultType* result) const
{
    if (FResType != TResultformat::rf_Height && FResType != TResultformat::rf_TargetPoints &&
        FResType != TResultformat::rf_TargetPointCollection)
        return true;
    if (!FHeightList || !result || result->Type_ != proto::ResultValueType::Distance)
        return true;
    const double hundredths = std::nearbyint(result->DistanceInMeter * 100);
    if (!(hundredths >= std::numeric_limits<int>::min() && hundredths <= std::numeric_limits<int>::max()))
        return false;
    const int value = static_cast<int>(hundredths);
    return std::find(FHeightList->begin(), FHeightList->end(), value) != FHeightList->end();
}

void addParticipantsToResultCache(TResultCache& cache, const std::vector<proto::HeatParticipantsType>& heats,
                                  const std::vector<proto::AssignedResultType>& results)
{
    const TAssignedResults indexed(results);
    cache.beginUpdate();
    for (const proto::HeatParticipantsType& heat : heats) {
        for (const proto::VersionedParticipantsType& entry : heat.VersionedParticipants) {
            if (entry.Athlete)
                cache.addAthleteRow(heat.HeatNo, *entry.Athlete, indexed, entry.Athlete->Bib, true, entry.Version);
            else if (entry.Team && entry.Team->Team)
                cache.addTeamRow(heat.HeatNo, *entry.Team->Team, indexed,
                                 getBibsOfTeam(entry.Team->Team->TeamID, heats), true, entry.Version);
            else
                cache.addEmptyRow(heat.HeatNo, entry.Version);
        }
    }
    cache.endUpdate();
}

} // namespace tvp
