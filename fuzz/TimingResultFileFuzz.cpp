// The timing program's result file into the splitter, each run through the run file and back, the
// bytes as a start list and as a run file of their own: every input gives runs or nothing, never a
// crash, a run name with a folder in it, a run file that reads back differently, or a run whose
// name reads back another timing number or heat than its header says without refusing its import.

#include "core/protocol/Errors.h"
#include "results/TimingFiles.h"

#include <QByteArrayView>
#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void checkResults(const tvp::TTimingImportHeat& heat)
{
    for (const tvp::TTimingImportParticipant& line : heat.participants) {
        if (line.hasResult && line.Result.Type_ == tvp::proto::ResultValueType::Time)
            require(std::isfinite(line.Result.TimeInSeconds) && line.Result.TimeInSeconds >= 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The first byte says whether the timing program has stopped writing, and how many lines the
    // run split before still lacks.
    const bool settled = size > 0 && (data[0] & 1) != 0;
    const std::optional<int> lacking =
        size > 0 && (data[0] & 0x10) != 0 ? std::optional<int>((data[0] >> 1) & 7) : std::nullopt;
    const tvp::TResultFileSplit split = tvp::parseResultFile(bytes, settled, lacking);
    require(split.consumed >= 0 && split.consumed <= bytes.size());
    require(!split.malformed || split.consumed < bytes.size());
    require(split.malformed || split.malformedRun.isEmpty());
    require(split.continuation.isEmpty() || (lacking && tvp::countResultLines(split.continuation) > 0));
    qsizetype bodies = split.stray.size() + split.continuation.size();
    for (const tvp::TTimingRun& run : split.runs) {
        require(run.fileName.endsWith(QLatin1String(".tmp")));
        require(!run.fileName.contains(u'/') && !run.fileName.contains(u'\\'));
        require(run.description.size() <= tvp::kRunDescriptionLength);
        const QByteArray file = tvp::runFileContents(run);
        require(file.size() == tvp::kRunFileHeaderLength + run.body.size());
        const tvp::TTimingImportHeat heat = tvp::parseRunFile(file, run.fileName);
        require(heat.status == tvp::TImportStatus::isNew);
        require(heat.misfit == run.misfit);
        if (run.misfit.isEmpty())
            require(heat.RunId == run.timingNumber && heat.heatNo == run.heatNo);
        require(sameBits(heat.startTime, run.startTime));
        require(run.lines == run.body.count("\r\n"));
        checkResults(heat);
        bodies += run.body.size();
    }
    require(bodies <= split.consumed);
    // Nothing is taken that is neither a run nor kept as text of no run.
    if (split.runs.empty())
        require(split.stray.size() + split.continuation.size() == split.consumed);

    // The bytes as the start list, which tells where lines after the runs belong: a lane record
    // each line at most.
    std::size_t listedLanes = 0;
    for (const tvp::TStartListHeat& heat : tvp::parseStartList(bytes))
        listedLanes += heat.lanes.size();
    require(qsizetype(listedLanes) <= bytes.count("\r\n"));

    // The bytes as a run file's name, and as result lines named to the user.
    (void)tvp::readRunKey(QString::fromLatin1(bytes));
    const std::vector<tvp::TTimingImportParticipant> lines = tvp::readResultLines(bytes);
    require(int(lines.size()) == tvp::countResultLines(bytes));
    for (const tvp::TTimingImportParticipant& line : lines)
        (void)tvp::describeResultLine(line);

    try {
        checkResults(tvp::parseRunFile(bytes, QStringLiteral("_7_250__EL1_SD_.tmp")));
    } catch (const tvp::TvpError&) {
        require(bytes.size() < tvp::kRunFileHeaderLength);
    }
    return 0;
}
