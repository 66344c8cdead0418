#include "results/TimingConnector.h"

#include "core/protocol/Errors.h"
#include "core/util/FileWrite.h"
#include "core/util/IniHandler.h"
#include "results/TimingCodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <map>
#include <thread>

namespace tvp {

namespace {

const QString kNoAccess =
    QStringLiteral("Zugriff auf Austauschdatei nicht möglich. Evtl. schreibt die Zeitmessung gerade Daten.");
const QString kUnreadable =
    QStringLiteral("Datensatz nicht lesbar. Bitte Exportdatei löschen und erneut von Zeitmessung exportieren.");
const QString kCannotOpenRun = QStringLiteral("Kann Importdatei nicht öffnen.");
constexpr QByteArrayView kRunStartMark("B01\t");

// The exchange files are shared with the timing program. Without Windows' exclusive sharing the
// advisory lock, taken without waiting, keeps apart whoever else takes it.
bool openExclusive(QFile& file, QIODevice::OpenMode mode)
{
    if (!file.open(mode))
        return false;
    if (::flock(file.handle(), LOCK_EX | LOCK_NB) != 0) {
        file.close();
        return false;
    }
    return true;
}

void writeWhole(const QString& path, const QByteArray& bytes)
{
    QString error;
    if (!writeFileWhole(path, bytes, &error))
        throw TvpError(QStringLiteral("Die Datei %1 der Zeitmessung kann nicht geschrieben werden: %2")
                           .arg(QDir::toNativeSeparators(path), error));
}

// Run files are written by the poll's thread and marked imported by the GUI thread: one at a time,
// so a mark never lands on a file that is being replaced, nor lines on one being marked.
QMutex& runFileLock()
{
    static QMutex lock;
    return lock;
}

// Beside a run split before all its lines were there: how many its header named.
QString laneCountFile(const QString& runFile)
{
    return runFile.chopped(4) + QStringLiteral(".Zeilen");
}

// Beside an imported run that lines were added to: how many were imported before them.
QString importedLinesFile(const QString& runFile)
{
    return runFile.chopped(4) + QStringLiteral(".importiert");
}

bool removeIfThere(const QString& path, QString& error)
{
    if (!QFile::exists(path) || QFile::remove(path))
        return true;
    error = QStringLiteral("%1 kann nicht entfernt werden").arg(QDir::toNativeSeparators(path));
    return false;
}

// A run written anew is imported whole, whatever its file held before.
void writeRunFile(const QString& path, const TTimingRun& run, const QByteArray& bytes, QString& error)
{
    const QString counted = laneCountFile(path);
    if (run.lacksLines()) {
        if (!writeFileWhole(counted, QByteArray::number(run.laneCount), &error))
            return;
    } else if (!removeIfThere(counted, error)) {
        return;
    }
    if (!removeIfThere(importedLinesFile(path), error))
        return;
    if (!writeFileWhole(path, bytes, &error) && error.isEmpty())
        error = path;
}

// Of runs with one name the later in the file wins. A run its file holds already is left as it is,
// so a run split again (after a restart, or while text before it cannot leave the result file)
// keeps its mark. Each run file is synced to disk; written side by side, the file system commits
// the syncs together: a result file of sixty runs would otherwise hold the poll for sixty disk
// syncs. Returns how many were written; `fresh` gets those that had no run file before.
int writeRunFiles(const QString& folder, const std::vector<TTimingRun>& runs, std::vector<const TTimingRun*>& fresh)
{
    struct Job {
        const TTimingRun* run;
        QString path;
        QByteArray bytes;
        QString error;
    };
    std::vector<Job> jobs;
    QSet<QString> names;
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        if (names.contains(run->fileName))
            continue;
        names.insert(run->fileName);
        Job job{&*run, QDir(folder).filePath(run->fileName), runFileContents(*run), {}};
        QFile existing(job.path);
        const bool there = existing.open(QIODevice::ReadOnly);
        if (there && sameRun(existing.readAll(), job.bytes)) {
            // Sent whole again after lines were added to it: it lacks none now.
            if (QString error; !run->lacksLines() && !removeIfThere(laneCountFile(job.path), error))
                throw TvpError(QStringLiteral("Die Datei %1 der Zeitmessung kann nicht geschrieben werden: %2")
                                   .arg(QDir::toNativeSeparators(job.path), error));
            continue;
        }
        if (!there)
            fresh.insert(fresh.begin(), &*run);
        jobs.push_back(std::move(job));
    }
    constexpr std::size_t kWriters = 64;
    const std::size_t writers = std::min(kWriters, jobs.size());
    auto write = [&](std::size_t first) {
        for (std::size_t i = first; i < jobs.size(); i += writers)
            writeRunFile(jobs[i].path, *jobs[i].run, jobs[i].bytes, jobs[i].error);
    };
    {
        std::vector<std::jthread> threads;
        for (std::size_t w = 1; w < writers; ++w)
            threads.emplace_back(write, w);
        if (writers > 0)
            write(0);
    }
    for (const Job& job : jobs)
        if (!job.error.isEmpty())
            throw TvpError(QStringLiteral("Die Datei %1 der Zeitmessung kann nicht geschrieben werden: %2")
                               .arg(QDir::toNativeSeparators(job.path), job.error));
    return int(jobs.size());
}

// Windows' exclusive sharing, which the timing program's writes wait for, has one counterpart here:
// a write lease. It is granted only while nobody else has the file open, and every open of the file
// then waits until the lease is given back, when the file is closed. The lease's notice of such an
// open would be SIGIO, which ends the program; SIGURG is ignored. Network file systems mostly
// refuse leases.
//
// The file system tells of a write while the timing program still has the file open: it closes it
// a moment later. Without the lease, the timing program could write the file anew twice while the
// split writes its run files, so it is asked for again for a little while.
bool takeWriteLease(int fd)
{
    if (::fcntl(fd, F_SETSIG, SIGURG) != 0)
        return false;
    constexpr int kTries = 20;
    for (int tries = 1;; ++tries) {
        if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0)
            return true;
        if (errno != EAGAIN || tries == kTries)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

// Takes the first `consumed` bytes, which the run files now hold, out of the result file, in place:
// a file put in its place would leave the timing program appending to the old one. Without a lease
// only a file that was already as read at the previous poll and still is; false when it is left
// for a later poll.
bool takeOut(QFile& file, const QByteArray& read, qsizetype consumed, bool leased, bool settled)
{
    if (consumed == 0)
        return true;
    if (!leased && (!settled || file.size() != read.size() || !file.seek(0) || file.readAll() != read))
        return false;
    const QByteArrayView rest = QByteArrayView(read).sliced(consumed);
    if (!rest.isEmpty() && (!file.seek(0) || file.write(rest.data(), rest.size()) != rest.size()))
        throw TvpError(kNoAccess);
    if (!file.resize(rest.size()))
        throw TvpError(kNoAccess);
    return true;
}

// The file gains the bytes whole or not at all: one write at its end, and what a failing write
// left is cut off again. Synced when the bytes leave another file next.
bool appendWhole(QFile& file, QByteArrayView bytes, bool sync, QString& error)
{
    const qint64 before = file.size();
    if (file.write(bytes.data(), bytes.size()) == bytes.size() && (!sync || ::fdatasync(file.handle()) == 0))
        return true;
    error = file.errorString();
    file.resize(before);
    return false;
}

const QString kNoRunWaits = QStringLiteral("Kein Lauf wartet noch auf diese Bahnen.");

QString fitSeveral(const QStringList& runs)
{
    return QStringLiteral("Sie passen zu mehreren unvollständigen Läufen (\"%1\").")
        .arg(runs.join(QStringLiteral("\", \"")));
}

// Text that starts no run, or result lines that join no run, go to the end of a file beside the
// result file, and the user is told which and why (`why`: a reason each result line, in order).
QString keepBeside(const QString& folder, const QString& resultFile, const QByteArray& text,
                   const QStringList& why = {})
{
    const QString path = QDir(folder).filePath(QLatin1String(kSetAsideFileName));
    QFile kept(path);
    QString error;
    if (!kept.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        error = kept.errorString();
    if (!kept.isOpen() || !appendWhole(kept, text, true, error))
        throw TvpError(QStringLiteral("Die Datei %1 der Zeitmessung kann nicht geschrieben werden: %2")
                           .arg(QDir::toNativeSeparators(path), error));
    if (const std::vector<TTimingImportParticipant> lines = readResultLines(text); !lines.empty()) {
        // The lines of one reason together, the reasons in the order they first come.
        QStringList reasons;
        QHash<QString, QStringList> named;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const QString reason = why.value(qsizetype(i), kNoRunWaits);
            if (!named.contains(reason))
                reasons << reason;
            named[reason] << describeResultLine(lines[i]);
        }
        const QString file = QDir::toNativeSeparators(resultFile);
        QString which;
        if (reasons.size() > 1) {
            which = QStringLiteral("%1 Ergebniszeilen in %2 gehören zu keinem Lauf.").arg(lines.size()).arg(file);
            for (const QString& reason : reasons)
                which += u' ' + named[reason].join(QStringLiteral("; ")) + QStringLiteral(": ") + reason;
        } else {
            which = lines.size() == 1 ? QStringLiteral("Eine Ergebniszeile in %1 gehört zu keinem Lauf: %2.")
                                            .arg(file, named[reasons.front()].front())
                                      : QStringLiteral("%1 Ergebniszeilen in %2 gehören zu keinem Lauf: %3.")
                                            .arg(QString::number(lines.size()), file,
                                                 named[reasons.front()].join(QStringLiteral("; ")));
            which += u' ' + reasons.front();
        }
        return which +
               QStringLiteral(" Sie wurden nicht eingelesen und an %1 angehängt.").arg(QDir::toNativeSeparators(path));
    }
    QByteArrayView firstLine(text);
    for (char end : {'\r', '\n'})
        if (const qsizetype at = firstLine.indexOf(end); at >= 0)
            firstLine = firstLine.first(at);
    return QStringLiteral("%1 Bytes in %2 beginnen keinen Lauf (ein Lauf beginnt mit \"B01\" und einem Tabulator): "
                          "\"%3\". Sie wurden nicht eingelesen und an %4 angehängt.")
        .arg(text.size())
        .arg(QDir::toNativeSeparators(resultFile), fromTimingCodePage(firstLine).simplified().left(60),
             QDir::toNativeSeparators(path));
}

// Lines the timing program wrote after a pause, or beyond its header's count, join the run they
// belong to. Its file is new again, and an import stores only them: a value typed by hand since
// the run was imported stays. A run that lacks no lines now loses its count. False when the run
// file is gone.
bool continueRun(const QString& path, const QByteArray& lines, bool whole)
{
    QFile file(path);
    if (!file.exists())
        return false;
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError || bytes.size() < kRunFileHeaderLength)
        throw TvpError(QStringLiteral("Die Laufdatei %1 der Zeitmessung kann nicht gelesen werden: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    file.close();
    if (bytes.front() == 'I')
        writeWhole(importedLinesFile(path),
                   QByteArray::number(parseRunFile(bytes, QFileInfo(path).fileName()).participants.size()));
    bytes[0] = 'N';
    writeWhole(path, bytes + lines);
    if (QString error; whole && !removeIfThere(laneCountFile(path), error))
        throw TvpError(QStringLiteral("Die Datei %1 der Zeitmessung kann nicht geschrieben werden: %2")
                           .arg(QDir::toNativeSeparators(path), error));
    return true;
}

qint64 pairKey(int a, int b)
{
    return (qint64(a) << 32) | quint32(b);
}

// A run that result lines at the start of the result file may continue.
struct TOpenRun {
    QString path;
    QString description;
    int lacking = 0;       // lines its header names that it has not
    QSet<int> lanes;       // the lanes it has
    QSet<qint64> laneBibs; // and the bib in each: a line for both again is a correction
    qint64 heat = -1;      // timing number and heat as its name reads them; -1 when they do not fit
};

std::optional<TOpenRun> openRun(const QString& path)
{
    try {
        const TTimingImportHeat run = importFile(path);
        TOpenRun open{path, run.description, std::max(0, run.laneCount - int(run.participants.size())), {}, {}, -1};
        for (const TTimingImportParticipant& line : run.participants) {
            open.lanes.insert(line.lane);
            open.laneBibs.insert(pairKey(line.lane, line.Bib));
        }
        if (run.misfit.isEmpty())
            open.heat = pairKey(run.RunId, run.heatNo);
        return open;
    } catch (const TvpError&) {
        return std::nullopt;
    }
}

// The runs split before all the lines their header names were there, but `except`. Their count
// files keep them open to those lines over a restart.
std::vector<TOpenRun> shortRuns(const QString& folder, const QString& except)
{
    std::vector<TOpenRun> runs;
    const QDir dir(folder);
    const QString counts = laneCountFile(QStringLiteral("*.tmp"));
    for (const QString& name : dir.entryList({counts}, QDir::Files | QDir::Hidden, QDir::Name)) {
        const QString path = dir.filePath(name.chopped(counts.size() - 1) + QStringLiteral(".tmp"));
        if (path == except)
            continue;
        if (std::optional<TOpenRun> run = openRun(path); run && run->lacking > 0)
            runs.push_back(std::move(*run));
    }
    return runs;
}

// The bibs of each heat of the start list given to the timing program, by timing number and heat;
// a heat sent again counts as sent last.
QHash<qint64, QSet<int>> startListBibs(const QString& folder)
{
    QHash<qint64, QSet<int>> heats;
    QFile file(QDir(folder).filePath(QLatin1String(kStartListFileName)));
    if (!file.open(QIODevice::ReadOnly))
        return heats;
    for (const TStartListHeat& heat : parseStartList(file.readAll())) {
        QSet<int>& bibs = heats[pairKey(heat.timingNumber, heat.heatNo)];
        bibs.clear();
        for (const auto& [lane, bib] : heat.lanes)
            if (bib != 0)
                bibs.insert(bib);
    }
    return heats;
}

// Whole lines, CR LF included.
std::vector<QByteArray> splitLines(QByteArrayView text)
{
    std::vector<QByteArray> lines;
    for (qsizetype pos = 0; pos < text.size();) {
        qsizetype end = text.indexOf("\r\n", pos);
        end = end < 0 ? text.size() : end + 2;
        lines.push_back(text.sliced(pos, end - pos).toByteArray());
        pos = end;
    }
    return lines;
}

// Where the result lines at the start of the result file go.
struct TJoining {
    std::vector<std::pair<TOpenRun*, QByteArray>> runs; // each run joined with its lines, in file order
    QByteArray aside;                                   // the lines that join none
    QStringList why;                                    // and why, one reason a line
    TOpenRun* continued = nullptr;                      // the run the timing program goes on with
};

// Of the runs `pool`, the one the lines fill lanes of: `first` (the run split last) when it has
// none of their lanes, but for lines that correct one of its own, whatever its header counts; else
// the one that lacks them all. `several` gets the runs they would fit when that is more than one.
TOpenRun* continuedRun(TOpenRun* first, const std::vector<TOpenRun*>& pool,
                       const std::vector<TTimingImportParticipant>& lines, QStringList& several)
{
    auto fits = [&lines](const TOpenRun& run, bool last) {
        QSet<int> lanes = run.lanes;
        QSet<qint64> laneBibs = run.laneBibs;
        int added = 0;
        for (const TTimingImportParticipant& line : lines) {
            const qint64 laneBib = pairKey(line.lane, line.Bib);
            const bool correction = last && line.Bib != 0 && laneBibs.contains(laneBib);
            if (line.lane < 1 || (lanes.contains(line.lane) && !correction))
                return false;
            added += correction ? 0 : 1;
            lanes.insert(line.lane);
            laneBibs.insert(laneBib);
        }
        return last || added <= run.lacking;
    };
    if (first && fits(*first, true))
        return first;
    TOpenRun* found = nullptr;
    for (TOpenRun* run : pool) {
        if (run != first && run->lacking > 0 && fits(*run, false)) {
            found = run;
            several << run->description;
        }
    }
    return several.size() == 1 ? found : nullptr;
}

// Lines join a run only where they belong to it, so no heat's times reach another heat's children.
// The start list the timing program was given says which heat a line's bib ran in. Lines it does
// not place fill lanes a run lacks (above); lines that were set aside before and come back (the
// user copied them into the result file) get no such preference for the run split last, which may
// be another heat's.
TJoining joinRuns(const QString& folder, const QByteArray& text, std::optional<TOpenRun>& last,
                  std::vector<TOpenRun>& others)
{
    std::vector<TOpenRun*> candidates;
    if (last)
        candidates.push_back(&*last);
    for (TOpenRun& run : others)
        candidates.push_back(&run);
    const QHash<qint64, QSet<int>> startList = startListBibs(folder);
    QSet<QByteArray> cameBack;
    if (QFile aside(QDir(folder).filePath(QLatin1String(kSetAsideFileName))); aside.open(QIODevice::ReadOnly))
        for (QByteArray& line : splitLines(aside.readAll()))
            cameBack.insert(std::move(line));

    const std::vector<QByteArray> raw = splitLines(text);
    const std::vector<TTimingImportParticipant> lines = readResultLines(text);
    std::vector<TOpenRun*> target(lines.size(), nullptr);
    QStringList why;
    for (std::size_t i = 0; i < lines.size(); ++i)
        why << QString();
    // Lines the start list does not place, by where they may go: among the runs it knows nothing of
    // or among all, and whether they came back.
    std::map<std::pair<bool, bool>, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bool unlisted = false;
        if (const int bib = lines[i].Bib; bib != 0) {
            QStringList listing;
            TOpenRun* found = nullptr;
            std::size_t known = 0;
            for (TOpenRun* run : candidates) {
                const auto heat = startList.constFind(run->heat);
                if (heat == startList.cend())
                    continue;
                ++known;
                if (heat->contains(bib)) {
                    found = run;
                    listing << run->description;
                }
            }
            if (listing.size() == 1) {
                target[i] = found;
                continue;
            }
            if (listing.size() > 1 || (known > 0 && known == candidates.size())) {
                why[qsizetype(i)] =
                    listing.size() > 1
                        ? fitSeveral(listing)
                        : QStringLiteral("Laut der Startliste %1 lief ihre Startnummer in keinem Lauf, der noch "
                                         "Zeilen aufnimmt.")
                              .arg(QDir::toNativeSeparators(QDir(folder).filePath(QLatin1String(kStartListFileName))));
                continue;
            }
            unlisted = known > 0;
        }
        groups[{unlisted, cameBack.contains(raw[i])}].push_back(i);
    }

    TJoining joining;
    for (const auto& [kind, members] : groups) {
        const auto [unlisted, back] = kind;
        std::vector<TOpenRun*> pool;
        for (TOpenRun* run : candidates)
            if (!unlisted || !startList.contains(run->heat))
                pool.push_back(run);
        TOpenRun* first = !back && last && std::ranges::find(pool, &*last) != pool.end() ? &*last : nullptr;
        std::vector<TTimingImportParticipant> group;
        for (std::size_t i : members)
            group.push_back(lines[i]);
        QStringList several;
        TOpenRun* run = continuedRun(first, pool, group, several);
        for (std::size_t i : members) {
            target[i] = run;
            if (!run)
                why[qsizetype(i)] = several.size() > 1 ? fitSeveral(several) : kNoRunWaits;
        }
        if (run && !back)
            joining.continued = run;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!target[i]) {
            joining.aside += raw[i];
            joining.why << why[qsizetype(i)];
            continue;
        }
        auto joined = std::ranges::find(joining.runs, target[i], &std::pair<TOpenRun*, QByteArray>::first);
        if (joined == joining.runs.end())
            joining.runs.emplace_back(target[i], raw[i]);
        else
            joined->second += raw[i];
    }
    return joining;
}

// A run whose heat follows a gap in the heats of its timing number that arrived: the runs in the
// gap may have been written anew by the timing program before they could be read.
QStringList missingHeats(const QString& folder, const std::vector<const TTimingRun*>& fresh)
{
    QHash<int, QSet<int>> heats; // by timing number, the heats that arrived
    for (const TTimingRun* run : fresh) {
        if (!run->misfit.isEmpty() || heats.contains(run->timingNumber))
            continue;
        // A run file's name begins with its timing number.
        QSet<int>& arrived = heats[run->timingNumber];
        const QDir dir(folder, run->fileName.left(2) + QStringLiteral("*.tmp"), QDir::Name, QDir::Files);
        for (const QString& name : dir.entryList())
            if (const TRunKey key = readRunKey(name); key.misfit.isEmpty() && key.RunId == run->timingNumber)
                arrived.insert(key.heatNo);
    }
    QStringList said;
    for (const TTimingRun* run : fresh) {
        if (!run->misfit.isEmpty() || run->heatNo < 2)
            continue;
        int before = 0;
        for (int heat : heats.value(run->timingNumber))
            if (heat < run->heatNo)
                before = std::max(before, heat);
        if (before == run->heatNo - 1)
            continue;
        const int from = before + 1, to = run->heatNo - 1;
        const QString missing = from == to ? QStringLiteral("Lauf %1 fehlt. Hat die Zeitmessung ihn geschickt, ging er "
                                                            "verloren")
                                                 .arg(from)
                                           : QStringLiteral("Lauf %1 bis %2 fehlen. Hat die Zeitmessung sie "
                                                            "geschickt, gingen sie verloren")
                                                 .arg(from)
                                                 .arg(to);
        // The first heat to arrive may follow lost ones too.
        const QString after = before == 0 ? QStringLiteral("als erster") : QStringLiteral("nach Lauf %1").arg(before);
        said << QStringLiteral("Von Zeitmessungsnummer %1 kam Lauf %2 (\"%3\") %4: %5 (die Austauschdatei wurde neu "
                               "geschrieben, bevor sie gelesen war). Bitte in der Zeitmessung prüfen und erneut "
                               "senden.")
                    .arg(run->timingNumber)
                    .arg(run->heatNo)
                    .arg(fromTimingCodePage(run->description), after, missing);
    }
    return said;
}

// Names where the folder is kept; the settings window writes the same key.
QString unsetFolderMessage()
{
    QString settings;
    getOptionsIniFilePath(settings);
    return QStringLiteral("Für die Zeitmessung ist kein Austauschordner eingestellt. Er wird in der "
                          "Einstellungsdatei %1 im Abschnitt [TimingConnector] als ExchangeFolder=<Ordner> "
                          "eingetragen.")
        .arg(QDir::toNativeSeparators(settings));
}

} // namespace

QString getTimingExchangeDir()
{
    QString folder;
    ReadIniStr(QStringLiteral("TimingConnector"), QStringLiteral("ExchangeFolder"), QString(), folder);
    return folder;
}

TimingConnector::TimingConnector(FolderSource exchangeDir, Clock clock)
    : exchangeDir_(std::move(exchangeDir)), clock_(std::move(clock))
{
    if (!clock_)
        clock_ = [] { return QDateTime::currentDateTime(); };
}

QString TimingConnector::runFolder(int competitionId) const
{
    return QDir(exchangeDir_()).filePath(QString::number(qAbs(qint64(competitionId))));
}

TRespelledNames TimingConnector::exportTimingList(int timingNumber, int heatCount, const TTimingExportHeat& heat)
{
    TRespelledNames respelled;
    const QByteArray block = buildStartListBlock(timingNumber, heatCount, heat, clock_(), &respelled);
    const QString folder = exchangeDir_();
    // An unset folder would put the start list into the root folder, where no timing program looks.
    if (folder.isEmpty())
        throw TvpError(unsetFolderMessage());
    QFile file(QDir(folder).filePath(QLatin1String(kStartListFileName)));
    const QString shown = QDir::toNativeSeparators(file.fileName());
    if (!openExclusive(file, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        throw TvpError(QStringLiteral("Die Startliste %1 für die Zeitmessung kann nicht geöffnet werden: %2")
                           .arg(shown, file.errorString()));
    // No half heat for the timing program to read.
    if (QString reason; !appendWhole(file, block, false, reason))
        throw TvpError(QStringLiteral("Die Startliste %1 für die Zeitmessung kann nicht geschrieben werden: %2")
                           .arg(shown, reason));
    return respelled;
}

QString TimingConnector::startListFile() const
{
    return QDir::toNativeSeparators(QDir(exchangeDir_()).filePath(QLatin1String(kStartListFileName)));
}

bool TimingConnector::splitTimingImportFile(int competitionId)
{
    const TSplit split = splitResultFile(competitionId);
    if (!split.unreadable.isEmpty())
        throw TvpError(kUnreadable);
    return split.runs > 0;
}

TimingConnector::TSplit TimingConnector::splitResultFile(int competitionId, bool polled)
{
    const QString folder = exchangeDir_();
    if (folder.isEmpty())
        throw ETimingFileBusy(kNoAccess);
    QFile file(QDir(folder).filePath(QLatin1String(kResultFileName)));
    if (!openExclusive(file, QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        throw ETimingFileBusy(kNoAccess);
    const bool leased = takeWriteLease(file.handle());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ETimingFileBusy(kNoAccess);
    const QMutexLocker runFiles(&runFileLock());

    // Unchanged since the poll before: the timing program has stopped writing, its last run is whole.
    // A look between polls tells nothing of how long the file has rested.
    const bool seen = lastLook_ && lastLook_->path == file.fileName();
    const bool settled = polled && seen && lastLook_->polled == data;
    std::optional<QByteArray> resting = polled ? std::optional(data) : seen ? lastLook_->polled : std::nullopt;
    // Runs split but left in the file are not split again.
    const qsizetype done =
        seen && data.startsWith(QByteArrayView(lastLook_->file).first(lastLook_->split)) ? lastLook_->split : 0;
    // Lines after a run continue the run split last only in the file it was split from.
    if (!seen)
        lastRun_.reset();
    lastLook_ = TLastLook{file.fileName(), data, done, resting};
    const QString runs = runFolder(competitionId);
    const QByteArrayView unsplit = QByteArrayView(data).sliced(done);
    // Result lines at the start may continue the run split last, or a run split short before.
    std::optional<TOpenRun> last;
    std::vector<TOpenRun> others;
    std::optional<int> lacking;
    if (!unsplit.isEmpty() && !kRunStartMark.startsWith(unsplit.first(std::min<qsizetype>(4, unsplit.size())))) {
        // Not one of another competition's runs.
        if (lastRun_ && QFileInfo(*lastRun_).absolutePath() == QFileInfo(runs).absoluteFilePath())
            last = openRun(*lastRun_);
        others = shortRuns(runs, last ? last->path : QString());
        if (last || !others.empty()) {
            lacking = last ? last->lacking : 0;
            for (const TOpenRun& run : others)
                lacking = std::max(*lacking, run.lacking);
        }
    }
    const std::optional<QString> continued = lastRun_;
    TResultFileSplit parsed = parseResultFile(unsplit, settled, lacking);
    TSplit split;
    std::vector<const TTimingRun*> fresh;
    if (!parsed.runs.empty()) {
        if (!QDir().mkpath(runs))
            throw TvpError(QStringLiteral("Der Ordner %1 für die Zeitmessungsdaten kann nicht angelegt werden.")
                               .arg(QDir::toNativeSeparators(runs)));
        // Every run file is complete on disk before the result file lets go of its run.
        split.runs = writeRunFiles(runs, parsed.runs, fresh);
        lastRun_ = QDir(runs).filePath(parsed.runs.back().fileName);
    }
    // The text before the runs leaves the result file only once it is kept elsewhere; until then
    // the runs behind it stay too, and are not written again.
    bool frontKept = true;
    try {
        QByteArray stray = parsed.stray;
        QStringList why;
        std::optional<TJoining> joining;
        if (!parsed.continuation.isEmpty()) {
            joining = joinRuns(folder, parsed.continuation, last, others);
            if (!joining->aside.isEmpty() && !settled && parsed.continuation.size() == unsplit.size()) {
                // More may follow that fit with them: set aside together, once the file rests.
                joining.reset();
                parsed.consumed = 0;
            } else {
                stray.prepend(joining->aside);
                why = joining->why;
            }
        }
        // Kept first: after a failing write here the lines come again, and run files would take
        // them twice.
        if (!stray.isEmpty())
            split.setAside = keepBeside(folder, file.fileName(), stray, why);
        if (joining) {
            QByteArray gone;
            for (const auto& [run, lines] : joining->runs) {
                if (continueRun(run->path, lines, countResultLines(lines) >= run->lacking))
                    ++split.runs;
                else
                    gone += lines;
            }
            if (parsed.runs.empty() && joining->continued)
                lastRun_ = joining->continued->path;
            if (!gone.isEmpty()) {
                const QString said = keepBeside(folder, file.fileName(), gone);
                split.setAside = split.setAside.isEmpty() ? said : split.setAside + u' ' + said;
            }
        }
    } catch (const TvpError& e) {
        frontKept = false;
        split.failure = e.message();
        // The runs behind it come again with the next poll.
        lastRun_ = continued;
    }
    if (frontKept)
        split.missing = missingHeats(runs, fresh);
    const qsizetype consumed = frontKept ? done + parsed.consumed : done;
    lastLook_->split = consumed;
    if (takeOut(file, data, consumed, leased, settled)) {
        // Still resting when the poll found it so: only what left it has changed.
        resting = resting == data ? std::optional(data.mid(consumed)) : std::nullopt;
        lastLook_ = TLastLook{file.fileName(), data.mid(consumed), 0, resting};
    }
    split.left = data.mid(consumed);
    if (parsed.malformed) {
        const QString run = parsed.malformedRun.isEmpty() ? QStringLiteral("eines Laufs ohne Bezeichnung")
                                                          : QStringLiteral("des Laufs \"%1\"").arg(parsed.malformedRun);
        split.unreadable = QStringLiteral("Datensatz nicht lesbar: Der Kopfsatz %1 in %2 endet nicht mit CR LF. Dieser "
                                          "Lauf und alle danach bleiben in der Datei. Bitte Exportdatei löschen und "
                                          "erneut von Zeitmessung exportieren.")
                               .arg(run, QDir::toNativeSeparators(file.fileName()));
    }
    return split;
}

namespace {

QStringList runFileNames(const QDir& folder)
{
    QStringList names =
        folder.entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden | QDir::CaseSensitive, QDir::Name);
    names.removeIf([](const QString& name) { return !name.endsWith(QLatin1String(".tmp")); });
    return names;
}

} // namespace

std::vector<TTimingImportHeat> TimingConnector::getRuns(int competitionId) const
{
    std::vector<TTimingImportHeat> runs;
    if (exchangeDir_().isEmpty())
        return runs;
    const QDir folder(runFolder(competitionId));
    for (const QString& name : runFileNames(folder))
        runs.push_back(importFile(folder.filePath(name)));
    return runs;
}

TimingConnector::TRunListing TimingConnector::listRuns(int competitionId) const
{
    TRunListing listing;
    if (exchangeDir_().isEmpty())
        return listing;
    const QDir folder(runFolder(competitionId));
    for (const QString& name : runFileNames(folder)) {
        const QString path = folder.filePath(name);
        try {
            listing.runs.push_back(importFile(path));
        } catch (const TvpError& e) {
            listing.failures.push_back({path, e.message()});
        }
    }
    return listing;
}

TTimingImportHeat importFile(const QString& path)
{
    QFile file(path);
    QByteArray data;
    if (file.open(QIODevice::ReadOnly))
        data = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
        throw TvpError(QStringLiteral("Die Laufdatei %1 der Zeitmessung kann nicht gelesen werden: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    TTimingImportHeat run = parseRunFile(data, QFileInfo(path).fileName());
    run.filename = path;
    run.contents = data;
    if (QFile counted(laneCountFile(path)); counted.open(QIODevice::ReadOnly)) {
        bool number = false;
        const int lanes = counted.readAll().trimmed().toInt(&number);
        run.laneCount = number ? lanes : -1;
    }
    return run;
}

QByteArray readRunForImport(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        throw TvpError(kCannotOpenRun);
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw TvpError(kCannotOpenRun);
    return data;
}

namespace {

void markOpenRunImported(QFile& file)
{
    if (file.size() < kRunFileHeaderLength)
        throw TvpError(QStringLiteral("Die Laufdatei %1 der Zeitmessung ist unvollständig.")
                           .arg(QDir::toNativeSeparators(file.fileName())));
    if (!file.seek(0) || file.write("I", 1) != 1)
        throw TvpError(QStringLiteral("Die Laufdatei %1 der Zeitmessung kann nicht als importiert markiert werden: %2")
                           .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    // Written in place, the mark leaves the folder as it was: touched, it tells the other desks.
    (void)::utimensat(AT_FDCWD, QFile::encodeName(QFileInfo(file.fileName()).absolutePath()).constData(), nullptr, 0);
}

bool stampOf(const QString& path, RunFolderFollower::Stamp& stamp)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    constexpr qint64 kNs = 1000000000;
    stamp = {qint64(st.st_ino), qint64(st.st_mtim.tv_sec) * kNs + st.st_mtim.tv_nsec,
             qint64(st.st_ctim.tv_sec) * kNs + st.st_ctim.tv_nsec, qint64(st.st_size)};
    return true;
}

} // namespace

void markRunImported(const QString& path)
{
    const QMutexLocker runFiles(&runFileLock());
    // ReadWrite, not WriteOnly, which would empty the file.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        throw TvpError(kCannotOpenRun);
    markOpenRunImported(file);
}

void markRunImported(const QString& path, QByteArrayView imported)
{
    const QMutexLocker runFiles(&runFileLock());
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        throw TvpError(kCannotOpenRun);
    const QByteArray now = file.readAll();
    // Lines the timing program went on with were added meanwhile: the ones read are stored, the
    // next import stores only the others.
    if (imported.size() >= kRunFileHeaderLength && now.size() > imported.size() &&
        QByteArrayView(now).sliced(1).startsWith(imported.sliced(1))) {
        const TTimingImportHeat run = parseRunFile(imported, QFileInfo(path).fileName());
        writeWhole(importedLinesFile(path), QByteArray::number(run.participants.size()));
        throw TvpError(QStringLiteral("Zum Lauf \"%1\" kamen während des Imports Zeilen hinzu. Sie bleiben \"Nicht "
                                      "verarbeitet\"; der nächste Import speichert nur sie.")
                           .arg(run.description));
    }
    // The same run sent again and split meanwhile is another run, still to be imported.
    if (!sameRun(now, imported))
        throw TvpError(QStringLiteral("Die Laufdatei %1 der Zeitmessung wurde während des Imports neu geschrieben; "
                                      "der neue Lauf bleibt \"Nicht verarbeitet\".")
                           .arg(QDir::toNativeSeparators(path)));
    markOpenRunImported(file);
    QFile::remove(importedLinesFile(path));
}

bool RunFolderFollower::look(const QString& folder)
{
    // The folder before its runs: a change while they are read shows at the next look.
    Stamp stamp;
    const bool there = stampOf(folder, stamp);
    const bool first = folder_ != folder;
    if (!first && stamp == stamp_)
        return false;
    QHash<QString, RunStamp> runs;
    const QDir dir(folder);
    for (const QString& name : there ? runFileNames(dir) : QStringList()) {
        RunStamp run;
        if (!stampOf(dir.filePath(name), run.stamp))
            continue;
        if (const auto seen = runs_.constFind(name); seen != runs_.cend() && seen->stamp == run.stamp) {
            run.status = seen->status;
        } else if (QFile file(dir.filePath(name)); !file.open(QIODevice::ReadOnly) || !file.getChar(&run.status)) {
            continue;
        }
        runs.insert(name, run);
    }
    const bool changed = !first && runs != runs_;
    folder_ = folder;
    stamp_ = stamp;
    runs_ = std::move(runs);
    return changed;
}

int linesImportedBefore(const QString& path, QByteArrayView run)
{
    if (run.isEmpty() || run.front() == 'I')
        return 0;
    QFile counted(importedLinesFile(path));
    if (!counted.open(QIODevice::ReadOnly))
        return 0;
    bool number = false;
    const int lines = counted.readAll().trimmed().toInt(&number);
    return number && lines > 0 ? lines : 0;
}

} // namespace tvp
