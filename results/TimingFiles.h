#pragma once
// The timing program's exchange formats as bytes: the start-list block appended to COM_ZPL.TXT, the
// runs of the result file COM_ZDT.TXT and the run files the client keeps per received run. Nothing
// here touches a file, so the readers can be fed anything.
//
// Records are fixed-width fields each followed by a TAB, ended by CR LF; texts are in code page 850.

#include "core/protocol/ParticipantRecords.h"
#include "core/services/ResultCaptureServices.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace tvp {

enum class TImportStatus { isNew = 0, isImported = 1 };

// One result line of a run. The base record's Result counts only when hasResult is set: a line whose
// time field decodes to nothing carries none.
struct TTimingImportParticipant : TTimingExportParticipant {
    bool hasResult = false;
};

// One received run, read from its run file.
struct TTimingImportHeat {
    int RunId = 0; // the discipline's timing number
    int heatNo = 0;
    QString description;
    TImportStatus status = TImportStatus::isNew;
    double startTime = 0; // OLE date
    QString filename;     // full path of the run file
    std::vector<TTimingImportParticipant> participants;
    // Why the run cannot be imported: its timing number or heat did not fit the run file's name.
    // Empty for a run that can.
    QString misfit;
    QByteArray contents; // the run file as read
    // How many lines the run's header named; -1 when it named none or the run came whole. A run
    // with fewer participants than this was split before all its lines were there.
    int laneCount = -1;
};

// The record lengths, CR LF included.
inline constexpr int kStartListHeaderLength = 116;
inline constexpr int kStartListLaneLength = 122;
// Status byte, start time, description and CR LF before the result lines of a run file.
inline constexpr int kRunFileHeaderLength = 57;
inline constexpr int kRunDescriptionLength = 46;

// "Leere" "Bahn" as given and surname, or "Leere Bahn" as team, case-sensitive.
bool emptyLane(const TTimingExportParticipant& participant);

// OLE Automation dates: days since 30 December 1899, the fraction being the time of day (also
// before that day, where -1.25 is 29 December 1899, 06:00). The time is local, without a zone.
double toOleDate(const QDateTime& local);
QDateTime fromOleDate(double value);

// One heat's block: the header record and a record per lane that is not empty, in array order,
// lanes as given. Throws TvpError when a number does not fit its field, so nothing lands in another
// discipline's or heat's slot.
// Names the code page made the block hold otherwise than stored go to respelled.
QByteArray buildStartListBlock(int timingNumber, int heatCount, const TTimingExportHeat& heat, const QDateTime& now,
                               TRespelledNames* respelled = nullptr);

// One heat of the start list the client gave the timing program.
struct TStartListHeat {
    int timingNumber = 0;
    int heatNo = 0;
    std::vector<std::pair<int, int>> lanes; // lane and bib of each lane record
};
// The heat blocks of COM_ZPL.TXT in file order; records that read as neither a heat's header nor
// a lane after one are passed over, so are the lanes of a header whose numbers do not read.
std::vector<TStartListHeat> parseStartList(QByteArrayView data);

// The time field of a result line (its first 12 characters; shorter items read as if filled with
// non-digits). A time, or a remark from the letters a, b, d and n; nothing otherwise.
std::optional<proto::ResultType> decodeTimingResult(QByteArrayView field);

// One run of the result file.
struct TTimingRun {
    QString fileName;       // the run file's name, derived from the run header
    int timingNumber = 0;   // as the header says; 0 when not a number
    int heatNo = 0;         // as the header says; -1 when not a number
    QString misfit;         // what of the two does not fit the name; empty when both do
    double startTime = 0;   // OLE date
    QByteArray description; // as read: code page 850, trailing blanks removed, at most 46 bytes
    QByteArray body;        // the result lines as they stood
    int laneCount = -1;     // the lines the header names; -1 when it is no number
    int lines = 0;          // the whole lines of the body

    // Split with fewer lines than its header names: a pause of the timing program, or one that
    // counts otherwise.
    bool lacksLines() const { return laneCount > lines; }
};

struct TResultFileSplit {
    std::vector<TTimingRun> runs;
    // How many bytes from the start the runs and the text that starts no run take; what follows
    // stays in the result file: a run whose header is unreadable, or a last run that may not be whole.
    qsizetype consumed = 0;
    // Text before the first run start that starts no run, taken out with the runs.
    QByteArray stray;
    // Result lines before the first run start that continue the run split last; taken out with
    // the runs instead of the stray text.
    QByteArray continuation;
    // The run at `consumed` has a header without its closing CR LF; a header the end of the data
    // cuts off is still being written and waits.
    bool malformed = false;
    QString malformedRun; // that run's description
};

// A run is whole when the next run start follows it, or when its lines reach the count its header
// names. The last one otherwise, and text that starts no run at the end, only when `settled`: the
// timing program has stopped writing (the file is as the previous poll left it). A last line
// without its CR LF waits either way.
//
// `lacking`, given when a run was split last, is how many lines it still lacks (none or fewer
// once it has those its header names): whole result lines at the start belong to it, whatever its
// header counts, and are taken at once when it lacks no more than they are.
TResultFileSplit parseResultFile(QByteArrayView data, bool settled, std::optional<int> lacking = std::nullopt);

// The text is whole result lines, each ending in CR LF; how many, or 0 when it is not.
int countResultLines(QByteArrayView text);
// Those lines; none when the text is not whole result lines.
std::vector<TTimingImportParticipant> readResultLines(QByteArrayView text);
// A line as the user finds it in the timing program: "Bahn 4, Startnummer 184, Anna Berg".
QString describeResultLine(const TTimingImportParticipant& line);

// The run file: status "N", start time, description, CR LF, the result lines.
QByteArray runFileContents(const TTimingRun& run);

// Timing number and heat of a run file's name (without folder), and what did not fit into it.
struct TRunKey {
    int RunId = 0;
    int heatNo = 0;
    QString misfit;
};
TRunKey readRunKey(const QString& fileName);

// Two run files hold the same run: equal but for the status byte.
bool sameRun(QByteArrayView a, QByteArrayView b);

// A run file's bytes; fileName is its name without folder (timing number and heat come from it).
// Throws TvpError when the data is shorter than the run file header.
TTimingImportHeat parseRunFile(QByteArrayView data, const QString& fileName);

} // namespace tvp
