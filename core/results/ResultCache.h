#pragma once
// The results of one discipline as the result entry grid shows and edits them: one row per athlete
// or team (or empty place), grouped into heats, one cell per attempt, each cell with its own state.
// Stored changes stay queued until the server confirms them, so a reload shows them again. The
// cache sends nothing itself; its owner loads rows, queues changes, sends them and reports the
// answers. GUI thread only.

#include "core/protocol/ParticipantRecords.h"
#include "core/results/tvpTypes.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tvp {

enum class TSetResultStatus {
    sr_uptodate,   // what the server holds
    sr_uncommited, // a queued change shown again after a reload, not confirmed yet
    sr_error,      // refused by the server; errMsg holds its text
    sr_warning,    // stored but questionable; errMsg holds the warning
    sr_edited,     // typed, not stored
    sr_noResult,
    sr_pending, // queued and sent, the answer is awaited
};

// One cell.
class TResultType {
public:
    // Without a result the status is sr_noResult whatever is given.
    TResultType(const proto::ResultType* result, const QString& text, TSetResultStatus status);

    const proto::ResultType* getResult() const { return Result ? &*Result : nullptr; }
    // What the server holds as far as the cache knows: the loaded or confirmed result, kept while a
    // change of the cell is on its way, refused or queued over a reload.
    const proto::ResultType* storedResult() const { return Stored ? &*Stored : nullptr; }
    void keepStoredOf(const TResultType& before) { Stored = before.Stored; }
    void setStored(const proto::ResultType* result);
    TSetResultStatus Status() const { return FStatus; }
    // The initial status follows only the states a typed-over cell may fall back to.
    void setStatus(TSetResultStatus s);
    TSetResultStatus InitialStatus() const { return FInitialStatus; }

    QString lastValue; // text last shown or typed
    QString errMsg;
    // What the cell showed before the user began typing over it: Escape in the editor goes back.
    QString textBeforeTyping;
    TSetResultStatus statusBeforeTyping = TSetResultStatus::sr_noResult;

private:
    std::optional<proto::ResultType> Result;
    std::optional<proto::ResultType> Stored;
    TSetResultStatus FInitialStatus;
    TSetResultStatus FStatus;
};

// One athlete, team or empty place.
class TResultRow {
public:
    // A row of an athlete shows the athlete's own team; a team row has no athlete; an empty place
    // has neither.
    static std::unique_ptr<TResultRow> forAthlete(const proto::AthleteType& athlete, std::vector<int> bibs,
                                                  int version);
    static std::unique_ptr<TResultRow> forTeam(const proto::TeamType& team, std::vector<int> bibs, int version);
    static std::unique_ptr<TResultRow> emptyPlace(int version);

    // Empty when a loaded result lay outside the attempt range: such a row has no cells to index.
    const std::vector<TResultType>& Results() const { return FResults; }
    std::vector<TResultType>& Results() { return FResults; }
    const std::vector<int>& Bibs() const { return FBibs; }
    const proto::AthleteType* Athlete() const { return FAthlete ? &*FAthlete : nullptr; }
    const proto::TeamType* Team() const;
    int Version() const { return FVersion; }
    void setVersion(int version) { FVersion = version; }
    // The cell of an attempt (from 1), null when the row has none for it.
    TResultType* cell(int attempt);
    const TResultType* cell(int attempt) const;

private:
    TResultRow() = default;
    std::vector<TResultType> FResults;
    std::vector<int> FBibs;
    std::optional<proto::AthleteType> FAthlete;
    std::optional<proto::TeamType> FTeam; // only for a row made from a team
    int FVersion = 0;
};

// What a reader gets of a heat: the cache's rows in load order (owned by the cache) and the cell
// being edited there.
struct TResultTable {
    int editRow = 0;
    int editCol = 0;
    QString editValue;
    std::vector<const TResultRow*> rows;
};

// A discipline's result table, indexed once so that adding thousands of rows does not scan it for
// each. Holds a reference: the results must outlive it.
class TAssignedResults {
public:
    explicit TAssignedResults(const std::vector<proto::AssignedResultType>& results);
    // In table order.
    std::vector<const proto::AssignedResultType*> ofAthlete(int athleteId) const;
    // Results that name exactly this one team.
    std::vector<const proto::AssignedResultType*> ofTeam(int teamId) const;

private:
    std::vector<const proto::AssignedResultType*> lookup(const std::vector<std::pair<int, int>>& index, int id) const;
    const std::vector<proto::AssignedResultType>& results_;
    std::vector<std::pair<int, int>> byAthlete_; // (id, index), sorted
    std::vector<std::pair<int, int>> byTeam_;
};

// One stored change awaiting the server's confirmation.
struct TResultChange {
    int assignedId = 0;
    int attempt = 0;                         // from 1
    std::optional<proto::ResultType> result; // none: the result is deleted
    QString text;                            // as typed, shown again after a reload
    // Tells a change from the others of its cell; 0 names every change of the cell at once.
    int serial = 0;
    bool refused = false; // the server's answer came, and it was a refusal
    bool undo = false;    // puts back what a store the user dropped on its way replaced
};

// A cell the user typed into and the server has not taken (typed and left, or refused), with what
// makes it so, to be kept over a reload. Rows are named as their identity stays over a reload: by
// athlete or team, or by heat and place when results go by lane.
struct TTypedCell {
    int rowKey = 0;
    int attempt = 0; // from 1
    QString text;
    TSetResultStatus status = TSetResultStatus::sr_edited;
    bool overRefusal = false; // typed over a refused value, whose reason stays
    QString errMsg;
    QString textBeforeTyping;
};

class TResultCache {
public:
    // (row position within the heat from 1, attempt - 1); (0, 0): anything may have changed.
    using TChangeCallback = std::function<void(int row, int col)>;
    // heat * 65536 + lane must fit an int.
    static constexpr int kMaxHeat = 32767;
    static constexpr int kMinHeat = -32768;

    // An empty cache for no discipline.
    TResultCache();
    TResultCache(int DisciplinId, bool isTeam, proto::ResultAssignmentType assignmentType,
                 proto::ResultValueType DiscResultType, const QString& ResultUnitPattern, int MaxAttempts,
                 TChangeCallback onChange, TResultformat ResultFormat, int ListVersion,
                 std::optional<std::vector<int>> HeightList);

    // Drops every row (queued changes stay) and starts a new load.
    void Clear(int ListVersion);
    bool isForDisciplin(int DisciplinId, proto::ResultValueType DiscResultType, bool isTeam, int MaxAttempts,
                        proto::ResultAssignmentType assignmentType, TResultformat ResultFormat) const;
    void addAthleteRow(int heat, const proto::AthleteType& athlete, const TAssignedResults& results,
                       const std::vector<int>& bibs, bool showEmpty, int version);
    void addTeamRow(int heat, const proto::TeamType& team, const TAssignedResults& results,
                    const std::vector<int>& bibs, bool showEmpty, int version);
    // A place without athlete and team, so that row n stays place n of the heat.
    void addEmptyRow(int heat, int version);

    // What went wrong while loading (a result-unit pattern that cannot be read, heat numbers out of
    // range), each at most once per load; the owner reports them under "Ergebniseingabeliste laden"
    // and the list empties.
    QStringList takeLoadMessages();

    // ---- reading ----
    TResultTable getResultTable(int heat) const;
    TResultTable getResultTable() const;
    int getNoOfHeats() const { return heatCount_; }
    int getHeatRowCount(int heat) const;
    bool isTeamDisc() const { return isTeam; }
    proto::ResultAssignmentType getAssignmentType() const { return assignmentType; }
    proto::ResultValueType getDiscResultType() const { return DiscResultType; }
    int getAttempts() const { return MaxAttempts; }
    int getDisciplinId() const { return DisciplinId; }
    TResultformat ResultFormat() const { return FResType; }
    int ListVersion() const { return FListVersion; }
    const QString& ResultUnitPattern() const { return FResultUnitPattern; }

    // By heat and row position (from 1) and attempt (from 1).
    TSetResultStatus getStatusOf(int heat, int row, int attempt) const;
    QString getErrMsg(int heat, int row, int attempt) const;
    QString getNameOf(int heat, int row) const;
    int getAthleteIdOfRow(int heat, int row) const;
    int getTeamIdOfRow(int heat, int row) const;
    std::vector<int> getBibsOfRow(int heat, int row) const;
    int getListItemVersion(int heat, int row) const;
    const TResultRow* getRow(int heat, int row) const;

    // Any cell that is not plainly up to date or empty (errors, warnings, typed and pending ones).
    bool hasUncommitedChanges() const;
    TDisciplineInfo getResultCachePartofDisciplineInfo() const;
    bool checkHeights(const proto::ResultType* result) const;
    // The display text of a result with the discipline's format and pattern; a pattern that cannot
    // be read gives the text without it.
    QString resultText(const proto::ResultType* result) const;

    // ---- editing and the server's answers ----
    void beginEdit(int heat, int row, int col, const QString& text); // col = attempt from 1
    void cancelEdit();
    // What was typed and never stored is dropped: the cell shows the stored value again and counts
    // as unchanged. A refused, unconfirmed or pending value leaves the queue with it, except an undo,
    // which the cell shows until it is answered. Returns the serials of the changes taken from the
    // queue.
    std::vector<int> dropTypedText(int heat, int row, int col);
    int getEditHeat() const { return editHeat; }
    // Escape in the editor: the cell shows again what it showed before the typing began.
    void revertTyping(int heat, int row, int col);
    // The cell keeps the text as typed, so that a refusal shows it for correcting and sending again.
    // Returns the change's serial (0 when nothing was queued).
    int addChange(int assignedId, int attempt, const proto::ResultType* result, const QString& text = {},
                  bool undo = false);
    // Answers come in the order the changes were sent. With a serial only that change and the older
    // ones of its cell leave the queue; a newer one still on its way stays shown, and so does text
    // typed since: only what the server holds follows the answer.
    void changeCommitted(const TResultChange& change);
    // With a serial: a change superseded by a newer one of its cell only leaves the queue, and one
    // the user dropped marks nothing.
    void setError(int assignedId, int attempt, const QString& message, int serial = 0);
    // The change's answer never came: the cell stays pending and says why (message) until the server
    // is read back. Nothing for a change superseded or dropped since.
    void setInDoubt(int assignedId, int attempt, const QString& message, int serial);
    void setWarning(int index, int attempt, const QString& message); // index in load order
    const std::vector<TResultChange>& uncomittedChanges() const { return uncomittedChanges_; }
    // The user agreed to lose what the server did not take: refused values leave the queue, so
    // that no reload shows them again as unsent.
    void forgetRefusedChanges();
    void beginUpdate();
    void endUpdate();

    // ---- keeping what was typed over a reload ----
    std::vector<TTypedCell> typedCells() const;
    // The cells whose row this cache (loaded anew) no longer has.
    std::vector<TTypedCell> typedCellsWithoutRow(const std::vector<TTypedCell>& cells) const;
    // Puts the cells back over the loaded ones, on the rows that are still there.
    void restoreTypedCells(const std::vector<TTypedCell>& cells);

    // The name of the row an assigned id lands on (as getNameOf); "Der Teilnehmer" without one.
    QString nameOfAssignedId(int assignedId) const;
    // Where an assigned id lands: its row's index in load order, -1 for none.
    int indexOfAssignedId(int assignedId) const;
    // The assigned id under which the row at that heat and position is stored; 0 when it has none.
    int assignedIdOfRow(int heat, int row) const;

private:
    struct TInternalRow {
        std::unique_ptr<TResultRow> row;
        int heat = 0;
        int pos = 0; // within the heat, from 1
    };

    void addRow(int heat, std::unique_ptr<TResultRow> row, bool showEmpty);
    void getResultForRow(TResultRow& row, const std::vector<const proto::AssignedResultType*>& results);
    bool heatInRange(int heat);
    int getIndex(int heat, int n) const;
    bool isAssignedToRow(int assignedId, int index) const;
    void applyUncomittedChanges(int index);
    void updateRow(int index, int attempt, const proto::ResultType* result, TSetResultStatus status,
                   const QString* typed = nullptr);
    void setWarningAt(int index, int attempt, const QString& message);
    void NotifyChange(int row, int col);
    void notifyIndex(int index, int attempt);
    TResultType makeCell(const proto::ResultType* result, TSetResultStatus status) const;
    int rowKey(int index) const;
    std::map<int, int> indexByRowKey() const;
    TResultType* cellAt(int index, int attempt);
    bool sameCell(const TResultChange& c, int assignedId, int attempt) const;

    int DisciplinId = 0;
    bool isTeam = false;
    proto::ResultAssignmentType assignmentType = proto::ResultAssignmentType::byAthleteOrTeam;
    proto::ResultValueType DiscResultType = proto::ResultValueType::Distance;
    std::vector<TResultChange> uncomittedChanges_;
    // Shared by every cache, so that a store queued for a discipline left meanwhile keeps its own.
    static inline int lastSerial_ = 0;
    TChangeCallback fonChange;
    int editRow = 0;
    int editCol = 0;
    QString editValue;
    int editHeat = -1;
    std::vector<TInternalRow> list_;
    std::map<int, std::vector<int>> heatRows_; // heat -> indices in list_, in load order
    int heatCount_ = -1;
    int MaxAttempts = 0;
    TResultformat FResType = TResultformat::rf_Unknown;
    int FListVersion = 0;
    bool FhasChanges = false;
    bool FUpdating = false;
    QString FResultUnitPattern;
    QString patternError_; // set when the pattern cannot be read; texts are then made without it
    std::optional<std::vector<int>> FHeightList;
    QStringList loadMessages_;
    bool heatReported_ = false;
};

// Fills the cache with every heat's places in order, inside one update: athletes and teams with
// their results and bibs (a team's bibs are its members'), an entry of neither as an empty place.
void addParticipantsToResultCache(TResultCache& cache, const std::vector<proto::HeatParticipantsType>& heats,
                                  const std::vector<proto::AssignedResultType>& results);

} // namespace tvp
