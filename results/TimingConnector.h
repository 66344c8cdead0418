#pragma once
// The file exchange with the timing program through one exchange folder: start lists appended to
// COM_ZPL.TXT, the timing program's COM_ZDT.TXT split into one run file per run
// (<exchange folder>/<competition id>/<key>.tmp) and taken out of it, the listing of those run files
// and the mark of an imported run.
//
// Export, split and listing run on the GUI thread; only markRunImported runs on an import request's
// worker thread, while polling is suspended.

#include "core/protocol/Errors.h"
#include "core/services/ResultCaptureServices.h"
#include "results/TimingFiles.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace tvp {

inline constexpr char kStartListFileName[] = "COM_ZPL.TXT";
inline constexpr char kResultFileName[] = "COM_ZDT.TXT";
// Where text of the result file that starts no run is kept, beside it.
inline constexpr char kSetAsideFileName[] = "COM_ZDT_nicht_gelesen.TXT";

// The exchange folder as the timing settings store it (section TimingConnector, key ExchangeFolder).
QString getTimingExchangeDir();

// The result file cannot be had just now: missing, or held by the timing program while it writes.
// The next poll tries again.
class ETimingFileBusy : public TvpError {
public:
    using TvpError::TvpError;
};

class TimingConnector : public ITimingExport {
public:
    using FolderSource = std::function<QString()>;
    using Clock = std::function<QDateTime()>;

    // The folder is asked anew on every call; the clock gives the date and time of start lists.
    explicit TimingConnector(FolderSource exchangeDir = getTimingExchangeDir, Clock clock = {});

    // Appends one heat's block to COM_ZPL.TXT in a single write: a failure leaves no part of it and
    // throws TvpError, as does a number too large for its field.
    TRespelledNames exportTimingList(int timingNumber, int heatCount, const TTimingExportHeat& heat) override;
    QString startListFile() const override;

    // Splits COM_ZDT.TXT into run files and takes what was split out of it; true when at least one
    // run was split. Throws TvpError with the timing texts when the file cannot be had or a run
    // header is unreadable (runs before it are split all the same).
    //
    // The last run of the file, unless its lines reach the count its header names, is split once a
    // poll finds the file as the previous one left it; the connector remembers that between calls.
    bool splitTimingImportFile(int competitionId);

    // The same, an unreadable run said rather than thrown, for a poll that must not lose the runs
    // split before it. Throws ETimingFileBusy when the file cannot be had, TvpError when a run file
    // cannot be written.
    //
    // Of two runs with one name the later in the file wins; a run whose file holds it already is not
    // written again, so its import mark stays (after a restart too). A run whose lines reach the
    // count its header names is whole at once. Result lines before the first run start join the
    // run split last or a run split short (after a restart too): the one whose heat the start list
    // gives their bib, else the run split last when it has none of their lanes, whatever its header
    // counts, else the one short run that lacks them all; otherwise they are set aside and named.
    struct TSplit {
        int runs = 0;       // run files written, or added to
        QString unreadable; // why the run now first in the result file cannot be read; empty when none
        QByteArray left;    // what stays in the result file
        QString setAside;   // text that starts no run, moved beside the result file: where and what
        QString failure;    // why the text before the runs could not be kept; it stays, and they with it
        // Runs that follow a gap in the heats of their timing number: what may have been lost.
        QStringList missing;
    };
    // A look between polls (`polled` false, the file has just changed) splits what is whole and
    // does not count as a poll that finds the file resting.
    TSplit splitResultFile(int competitionId, bool polled = true);

    // The run files of the competition, by name; none when the folder is missing. A file that
    // cannot be read ends the listing with its error.
    std::vector<TTimingImportHeat> getRuns(int competitionId) const;

    // The same, going on past a file that cannot be read: it is named among the failures.
    struct TRunListing {
        std::vector<TTimingImportHeat> runs;
        struct Failure {
            QString path;
            QString message;
        };
        std::vector<Failure> failures;
    };
    TRunListing listRuns(int competitionId) const;

    // <exchange folder>/<absolute competition id>
    QString runFolder(int competitionId) const;

private:
    FolderSource exchangeDir_;
    Clock clock_;
    // The result file as the last split left it, and how much at its start was split but is still
    // in it; and as the last poll found it, less what left it since, when nothing else changed.
    struct TLastLook {
        QString path;
        QByteArray file;
        qsizetype split = 0;
        std::optional<QByteArray> polled;
    };
    std::optional<TLastLook> lastLook_;
    // The run file of the run split last, which result lines that follow it continue.
    std::optional<QString> lastRun_;
};

// Follows a run folder that several desks share: runs split at another desk, runs marked imported
// there. While the folder is as before a look costs one stat of it (a mark, which writes in place,
// touches the folder for that).
class RunFolderFollower {
public:
    // True when the folder changed since the previous look; the first look at a folder only notes
    // what it holds.
    bool look(const QString& folder);

    struct Stamp {
        qint64 inode = -1;
        qint64 modified = 0; // ns
        qint64 changed = 0;  // ns
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };

private:
    struct RunStamp {
        Stamp stamp;
        char status = 0;
        bool operator==(const RunStamp&) const = default;
    };
    std::optional<QString> folder_;
    Stamp stamp_;
    QHash<QString, RunStamp> runs_;
};

// Reads one run file; throws TvpError when it cannot be read or is shorter than its header.
TTimingImportHeat importFile(const QString& path);

// Overwrites the status byte of a run file with "I"; throws TvpError "Kann Importdatei nicht
// öffnen." when the file cannot be opened. Safe on any thread.
void markRunImported(const QString& path);
// The same, only while the file still holds the run that was imported (its status byte aside);
// otherwise throws TvpError and leaves the file alone.
void markRunImported(const QString& path, QByteArrayView imported);

// Opens a run file for writing and reads it whole, for an import; throws TvpError "Kann Importdatei
// nicht öffnen." when that fails. Safe on any thread.
QByteArray readRunForImport(const QString& path);

// Of a run that lines were added to after its import (its file as read), how many lines were
// imported before them; 0 for a run imported whole or never. Marking it imported forgets them.
int linesImportedBefore(const QString& path, QByteArrayView run);

} // namespace tvp
