#include "results/TimingFiles.h"

#include "core/protocol/Errors.h"
#include "results/TimingCodePage.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

namespace tvp {

namespace {

const QDate kOleEpoch(1899, 12, 30);
constexpr qint64 kMinutesPerDay = 24 * 60;
constexpr QByteArrayView kRunStart("B01\t");
constexpr QByteArrayView kCrLf("\r\n");

// A view of at most n bytes from pos; empty beyond the end.
QByteArrayView slice(QByteArrayView data, qsizetype pos, qsizetype n)
{
    if (pos >= data.size())
        return {};
    return data.sliced(pos, std::min(n, data.size() - pos));
}

QByteArrayView cutRight(QByteArrayView text)
{
    while (!text.isEmpty() && text.back() == ' ')
        text.chop(1);
    return text;
}

QByteArrayView cutLeft(QByteArrayView text)
{
    while (!text.isEmpty() && text.front() == ' ')
        text = text.sliced(1);
    return text;
}

QByteArrayView cutAtNul(QByteArrayView text)
{
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.first(nul);
}

// A decimal integer with leading blanks and an optional sign; nothing may follow the digits.
std::optional<int> parseDecimal(QByteArrayView text)
{
    text = cutLeft(text);
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

int decimalOr(QByteArrayView text, int fallback)
{
    return parseDecimal(text).value_or(fallback);
}

// Reads the fields of a record: items up to the next TAB, or a fixed number of bytes.
class FieldReader {
public:
    FieldReader(QByteArrayView data, qsizetype pos) : data_(data), pos_(pos) {}

    qsizetype pos() const { return pos_; }

    // The bytes up to the next TAB or the end; the TAB is consumed. Only the first `keep` are kept.
    QByteArrayView item(qsizetype keep = std::numeric_limits<qsizetype>::max())
    {
        const QByteArrayView rest = data_.sliced(pos_);
        qsizetype length = rest.indexOf('\t');
        const bool tab = length >= 0;
        if (!tab)
            length = rest.size();
        pos_ += length + (tab ? 1 : 0);
        return rest.first(std::min(length, keep));
    }

    // Up to n bytes, fewer at the end.
    QByteArrayView bytes(qsizetype n)
    {
        const QByteArrayView out = slice(data_, pos_, n);
        pos_ += out.size();
        return out;
    }

private:
    QByteArrayView data_;
    qsizetype pos_;
};

void requireFits(int value, int low, int high, const QString& subject)
{
    if (value < low || value > high)
        throw TvpError(QStringLiteral("%1 passt nicht in die Startliste der Zeitmessung (erlaubt sind %2 bis %3).")
                           .arg(subject)
                           .arg(low)
                           .arg(high));
}

class RecordWriter {
public:
    RecordWriter(QByteArray& out, TRespelledNames* respelled) : out_(out), respelled_(respelled) {}

    void field(QByteArrayView bytes)
    {
        out_.append(bytes);
        out_.append('\t');
    }
    // Left-justified, filled with blanks and cut at the width in bytes of code page 850.
    void text(const QString& value, qsizetype width)
    {
        QByteArray bytes = toTimingCodePage(value, respelled_);
        bytes.truncate(width);
        out_.append(bytes);
        out_.append(width - bytes.size(), ' ');
        out_.append('\t');
    }
    void blanks(qsizetype width) { field(QByteArray(width, ' ')); }
    // Two characters, one leading blank for a single digit; the value is known to fit.
    void rightJustified2(int value) { field(QString::number(value).rightJustified(2, u' ').toLatin1()); }
    void endRecord() { out_.append(kCrLf); }

private:
    QByteArray& out_;
    TRespelledNames* respelled_;
};

qint64 oleDays(const QDate& date)
{
    return kOleEpoch.daysTo(date);
}

// Minutes since the OLE epoch as an OLE date.
double oleFromMinutes(qint64 minutes)
{
    const qint64 day = minutes >= 0 ? minutes / kMinutesPerDay : -((-minutes + kMinutesPerDay - 1) / kMinutesPerDay);
    const double fraction = double(minutes - day * kMinutesPerDay) / double(kMinutesPerDay);
    return day >= 0 ? double(day) + fraction : double(day) - fraction;
}

// The key comes from another program's file: nothing in it may lead out of the run folder.
QString safeFileName(QString name)
{
    for (QChar& ch : name) {
        if (ch == u' ' || ch.unicode() < 0x20 || ch.unicode() == 0x7F || QStringView(u"/\\:*?\"<>|").contains(ch))
            ch = u'_';
    }
    return name;
}

QString heatText(int heat)
{
    QString text = QString::number(heat);
    if (text.size() == 1)
        text.prepend(u' ');
    return text;
}

QString runFileName(QByteArrayView f, int heat, QByteArrayView c, QByteArrayView g, QByteArrayView e, QByteArrayView b)
{
    return safeFileName(fromTimingCodePage(cutAtNul(f)) + heatText(heat) + fromTimingCodePage(cutAtNul(c)) +
                        fromTimingCodePage(cutAtNul(g)) + fromTimingCodePage(cutAtNul(e)) +
                        fromTimingCodePage(cutAtNul(b)) + QStringLiteral(".tmp"));
}

// A run whose timing number or heat does not fit its two characters of the key keeps the key and
// says so after it, so that its import is refused instead of going to another discipline or heat.
// No key holds these marks: they are longer than the key's items after the heat together.
const QString kTimingMark = QStringLiteral(".Zeitmessungsnummer_");
const QString kHeatMark = QStringLiteral(".Laufnummer_");
constexpr qsizetype kMarkedTimingLength = 8;

std::optional<TTimingImportParticipant> readResultLine(FieldReader& reader)
{
    TTimingImportParticipant line;
    line.lane = decimalOr(cutRight(reader.item()), 0);
    const QByteArrayView timeField = reader.item(12);
    const int rank = decimalOr(cutRight(reader.item()), 0);
    line.Bib = decimalOr(cutRight(reader.item()), 0);
    line.SurName = fromTimingCodePage(cutRight(reader.item()));
    line.GivenName = fromTimingCodePage(cutRight(reader.item()));
    line.Team = fromTimingCodePage(cutRight(reader.item()));
    reader.bytes(8); // date slot
    reader.bytes(1);
    if (reader.bytes(2) != kCrLf)
        return std::nullopt;
    if (std::optional<proto::ResultType> result = decodeTimingResult(timeField)) {
        line.Result = *result;
        line.Result.Rank = rank;
        line.hasResult = true;
    }
    return line;
}

} // namespace

bool emptyLane(const TTimingExportParticipant& participant)
{
    return (participant.GivenName == u"Leere" && participant.SurName == u"Bahn") || participant.Team == u"Leere Bahn";
}

double toOleDate(const QDateTime& local)
{
    const QTime time = local.time();
    const double fraction = double(time.msecsSinceStartOfDay()) / 86400000.0;
    const qint64 day = oleDays(local.date());
    return day >= 0 ? double(day) + fraction : double(day) - fraction;
}

QDateTime fromOleDate(double value)
{
    // Beyond the year 9999 (and NaN) is no date.
    if (!std::isfinite(value) || std::fabs(value) > 2958466.0)
        return {};
    const double day = std::trunc(value);
    const auto msecs = qint64(std::llround(std::fabs(value - day) * 86400000.0));
    return QDateTime(kOleEpoch.addDays(qint64(day)), QTime(0, 0)).addMSecs(msecs);
}

QByteArray buildStartListBlock(int timingNumber, int heatCount, const TTimingExportHeat& heat, const QDateTime& now,
                               TRespelledNames* respelled)
{
    requireFits(timingNumber, 1, 99, QStringLiteral("Die Zeitmessungsnummer %1").arg(timingNumber));
    requireFits(heatCount, 1, 99, QStringLiteral("Die Anzahl der Läufe %1").arg(heatCount));
    requireFits(heat.heatNo, 1, 99, QStringLiteral("Die Laufnummer %1").arg(heat.heatNo));
    int lanes = 0;
    for (const TTimingExportParticipant& p : heat.participants) {
        if (emptyLane(p))
            continue;
        requireFits(p.lane, 1, 999, QStringLiteral("Die Bahn %1 in Lauf %2").arg(p.lane).arg(heat.heatNo));
        requireFits(p.Bib, 0, 99999, QStringLiteral("Die Startnummer %1 in Lauf %2").arg(p.Bib).arg(heat.heatNo));
        ++lanes;
    }
    requireFits(lanes, 0, 999,
                QStringLiteral("Die Zahl von %1 belegten Bahnen in Lauf %2").arg(lanes).arg(heat.heatNo));

    QByteArray block;
    block.reserve(kStartListHeaderLength + qsizetype(lanes) * kStartListLaneLength);
    RecordWriter out(block, respelled);
    const QDate date = now.date();
    const QTime time = now.time();
    out.field("B01");
    out.field("W ");
    out.field("SD ");
    out.field("50  ");
    out.text(heat.description, 45);
    out.field("1 ");
    out.rightJustified2(timingNumber);
    out.field("EL");
    out.text(QString::number(heatCount), 2);
    out.rightJustified2(heat.heatNo);
    out.blanks(4);
    out.field(QString::asprintf("%02d%02d%04d", date.day(), date.month(), date.year()).toLatin1());
    out.field(QString::asprintf("%02d:%02d", time.hour(), time.minute()).toLatin1());
    out.text(QString::number(lanes), 3);
    out.blanks(12);
    out.endRecord();

    for (const TTimingExportParticipant& p : heat.participants) {
        if (emptyLane(p))
            continue;
        out.text(QString::number(p.lane), 3);
        out.blanks(12); // the timing program's time
        out.blanks(3);  // and rank
        out.text(QString::number(p.Bib), 5);
        out.text(p.SurName, 28);
        out.text(p.GivenName, 23);
        out.text(p.Team, 30);
        out.blanks(8); // and date
        out.endRecord();
    }
    return block;
}

std::vector<TStartListHeat> parseStartList(QByteArrayView data)
{
    std::vector<TStartListHeat> heats;
    bool inHeat = false;
    for (qsizetype pos = 0; pos < data.size();) {
        const qsizetype end = data.indexOf(kCrLf, pos);
        if (end < 0)
            break; // a record still being written
        FieldReader record(data.first(end), pos);
        pos = end + 2;
        if (data.sliced(record.pos()).startsWith(kRunStart)) {
            for (int skipped = 0; skipped < 6; ++skipped)
                record.item();
            const std::optional<int> timing = parseDecimal(cutRight(record.item()));
            record.item(); // "EL"
            record.item(); // heat count
            const std::optional<int> heat = parseDecimal(cutRight(record.item()));
            inHeat = timing && heat;
            if (inHeat)
                heats.push_back({*timing, *heat, {}});
            continue;
        }
        const std::optional<int> laneNo = parseDecimal(cutRight(record.item()));
        record.item(); // time
        record.item(); // rank
        const std::optional<int> bib = parseDecimal(cutRight(record.item()));
        if (inHeat && laneNo && bib)
            heats.back().lanes.emplace_back(*laneNo, *bib);
    }
    return heats;
}

std::optional<proto::ResultType> decodeTimingResult(QByteArrayView field)
{
    field = field.first(std::min<qsizetype>(field.size(), 12));
    if (field.isEmpty())
        return std::nullopt;
    const auto remark = [](proto::ResultInfo info) {
        proto::ResultType result;
        result.Type_ = proto::ResultValueType::Info;
        result.Info = info;
        return result;
    };
    switch (field.front()) {
    case 'a': return remark(proto::ResultInfo::aufg);
    case 'b': return remark(proto::ResultInfo::ab);
    case 'd': return remark(proto::ResultInfo::disq);
    case 'n': return remark(proto::ResultInfo::na);
    default: break;
    }
    const char first = field.front();
    if (first != ' ' && (first < '0' || first > '9'))
        return std::nullopt;
    // hh:mm:ss.fff by position; the separators (and any other non-digit) count nothing.
    static constexpr qint64 kMillisAt[12] = {36000000, 3600000, 0, 600000, 60000, 100000, 10000, 1000, 0, 100, 10, 1};
    qint64 millis = 0;
    bool anyDigit = false;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c >= '0' && c <= '9') {
            millis += (c - '0') * kMillisAt[i];
            anyDigit = anyDigit || kMillisAt[i] != 0;
        }
    }
    // A slot left blank is no time of 0 seconds, which would rank first.
    if (!anyDigit)
        return std::nullopt;
    proto::ResultType result;
    result.Type_ = proto::ResultValueType::Time;
    result.TimeInSeconds = double(millis) / 1000.0;
    result.Info = proto::ResultInfo::aufg;
    return result;
}

std::vector<TTimingImportParticipant> readResultLines(QByteArrayView text)
{
    std::vector<TTimingImportParticipant> lines;
    for (qsizetype pos = 0; pos < text.size();) {
        const qsizetype end = text.indexOf(kCrLf, pos);
        if (end < 0)
            return {};
        const QByteArrayView line = text.sliced(pos, end + 2 - pos);
        FieldReader reader(line, 0);
        std::optional<TTimingImportParticipant> read = readResultLine(reader);
        if (!read || reader.pos() != line.size())
            return {};
        lines.push_back(std::move(*read));
        pos = end + 2;
    }
    return lines;
}

int countResultLines(QByteArrayView text)
{
    return int(readResultLines(text).size());
}

QString describeResultLine(const TTimingImportParticipant& line)
{
    QStringList parts;
    if (line.lane > 0)
        parts << QStringLiteral("Bahn %1").arg(line.lane);
    if (line.Bib > 0)
        parts << QStringLiteral("Startnummer %1").arg(line.Bib);
    if (const QString name = (line.GivenName + u' ' + line.SurName).trimmed(); !name.isEmpty())
        parts << name;
    else if (!line.Team.isEmpty())
        parts << line.Team;
    return parts.join(QStringLiteral(", "));
}

TResultFileSplit parseResultFile(QByteArrayView data, bool settled, std::optional<int> lacking)
{
    TResultFileSplit split;
    qsizetype pos = 0;
    while (pos < data.size()) {
        if (pos == 0 && lacking && slice(data, pos, 4) != kRunStart) {
            // The lines after a pause of the timing program in the middle of a run, or beyond the
            // count its header named.
            const qsizetype next = data.indexOf(kRunStart);
            const QByteArrayView text = data.first(next < 0 ? data.size() : next);
            if (const int lines = countResultLines(text); lines > 0) {
                if (next < 0 && !settled && lines < *lacking)
                    break; // more of them may follow
                split.continuation = text.toByteArray();
                pos = text.size();
                continue;
            }
        }
        if (slice(data, pos, 4) != kRunStart) {
            qsizetype next = data.indexOf(kRunStart, pos + 1);
            if (next < 0 && !settled)
                break; // perhaps a run start still being written
            next = next < 0 ? data.size() : next;
            split.stray += data.sliced(pos, next - pos);
            pos = next;
            continue;
        }
        const qsizetype runStart = pos;
        FieldReader header(data, pos + 4);
        header.item();
        const QByteArrayView b = header.item(3);
        const QByteArrayView c = header.item(4);
        const QByteArrayView description = cutRight(header.item(kRunDescriptionLength));
        const QByteArrayView e = header.item(2);
        const QByteArrayView timing = cutAtNul(header.item());
        const QByteArrayView f = timing.first(std::min<qsizetype>(2, timing.size()));
        const QByteArrayView g = header.item(2);
        header.item(); // heat count
        const int heat = decimalOr(cutLeft(header.item()), -1);
        header.item();
        const QByteArrayView date = header.bytes(8);
        header.bytes(1);
        const QByteArrayView time = header.bytes(6);
        const std::optional<int> laneCount = parseDecimal(cutRight(header.item()));
        header.item();
        if (header.bytes(2) != kCrLf) {
            // No line end yet: the timing program is still writing the header.
            if (data.sliced(runStart).indexOf(kCrLf) >= 0) {
                split.malformed = true;
                split.malformedRun = fromTimingCodePage(description);
            }
            break;
        }

        const qsizetype bodyStart = header.pos();
        qsizetype next = data.sliced(bodyStart).indexOf(kRunStart);
        next = next < 0 ? data.size() : bodyStart + next;
        const QByteArrayView body = data.sliced(bodyStart, next - bodyStart);
        const bool wholeLines = body.isEmpty() || body.endsWith(kCrLf);
        const int lines = int(body.count(kCrLf));
        // Lines may still follow the last run, or its last line is not finished: it waits, unless
        // it holds the lines its header names.
        const bool counted = laneCount && *laneCount >= 0 && lines >= *laneCount;
        if (next == data.size() && (!wholeLines || (!settled && !counted)))
            break;

        const int day = decimalOr(slice(date, 0, 2), 0);
        const int month = decimalOr(slice(date, 2, 2), 0);
        const int year = decimalOr(slice(date, 4, 4), 1900);
        const int hours = decimalOr(slice(time, 0, 2), 0);
        const int minutes = decimalOr(slice(time, 3, 2), 0);
        const QDate start = QDate(1900, 1, 1).addYears(year - 1900).addMonths(month - 1).addDays(day - 1);

        TTimingRun run;
        run.timingNumber = decimalOr(f, 0);
        run.heatNo = heat;
        run.fileName = runFileName(f, heat, c, g, e, b);
        const bool timingFits =
            f.size() == 2 && cutRight(timing).size() <= 2 && readRunKey(run.fileName).RunId == run.timingNumber;
        const bool heatFits = heatText(heat).size() <= 2;
        if (!timingFits || !heatFits) {
            QString name = run.fileName.chopped(4);
            if (!timingFits) {
                const QByteArrayView shown = cutRight(timing);
                name += kTimingMark + safeFileName(fromTimingCodePage(
                                          shown.first(std::min<qsizetype>(kMarkedTimingLength, shown.size()))));
            }
            if (!heatFits)
                name += kHeatMark + QString::number(heat);
            run.fileName = name + QStringLiteral(".tmp");
            run.misfit = readRunKey(run.fileName).misfit;
        }
        run.startTime = oleFromMinutes(oleDays(start) * kMinutesPerDay + qint64(hours) * 60 + minutes);
        run.description = description.toByteArray();
        run.body = body.toByteArray();
        run.laneCount = laneCount && *laneCount >= 0 ? *laneCount : -1;
        run.lines = lines;
        split.runs.push_back(std::move(run));
        pos = next;
    }
    split.consumed = pos;
    return split;
}

QByteArray runFileContents(const TTimingRun& run)
{
    QByteArray out;
    out.reserve(kRunFileHeaderLength + run.body.size());
    out.append('N');
    quint64 bits = 0;
    static_assert(sizeof bits == sizeof run.startTime);
    std::memcpy(&bits, &run.startTime, sizeof bits);
    char le[8];
    qToLittleEndian(bits, le);
    out.append(le, 8);
    const QByteArray description = run.description.left(kRunDescriptionLength);
    out.append(description);
    out.append(kRunDescriptionLength - description.size(), '\0');
    out.append(kCrLf);
    out.append(run.body);
    return out;
}

TTimingImportHeat parseRunFile(QByteArrayView data, const QString& fileName)
{
    if (data.size() < kRunFileHeaderLength)
        throw TvpError(QStringLiteral("Die Laufdatei %1 der Zeitmessung ist unvollständig.").arg(fileName));
    TTimingImportHeat run;
    run.status = data.front() == 'I' ? TImportStatus::isImported : TImportStatus::isNew;
    const quint64 bits = qFromLittleEndian<quint64>(data.data() + 1);
    std::memcpy(&run.startTime, &bits, sizeof bits);
    run.description = fromTimingCodePage(cutRight(cutAtNul(data.sliced(9, kRunDescriptionLength))));

    FieldReader reader(data, kRunFileHeaderLength);
    while (std::optional<TTimingImportParticipant> line = readResultLine(reader))
        run.participants.push_back(std::move(*line));

    TRunKey key = readRunKey(fileName);
    run.RunId = key.RunId;
    run.heatNo = key.heatNo;
    run.misfit = std::move(key.misfit);
    return run;
}

bool sameRun(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && (a.isEmpty() || a.sliced(1) == b.sliced(1));
}

TRunKey readRunKey(const QString& fileName)
{
    TRunKey key;
    const QByteArray name = fileName.left(4).replace(u'_', u' ').toLatin1();
    key.RunId = decimalOr(slice(name, 0, 2), 0);
    key.heatNo = decimalOr(slice(name, 2, 2), 0);

    QStringView stem(fileName);
    if (stem.endsWith(u".tmp"))
        stem.chop(4);
    QStringList misfits;
    std::optional<QString> heat;
    if (const qsizetype at = stem.lastIndexOf(kHeatMark); at >= 0) {
        heat = stem.sliced(at + kHeatMark.size()).toString();
        stem.truncate(at);
    }
    if (const qsizetype at = stem.lastIndexOf(kTimingMark); at >= 0) {
        const QString timing = stem.sliced(at + kTimingMark.size()).toString().replace(u'_', u' ').trimmed();
        misfits << (timing.isEmpty() ? QStringLiteral("die Zeitmessungsnummer fehlt")
                                     : QStringLiteral("die Zeitmessungsnummer \"%1\" passt nicht in ihr Feld von "
                                                      "zwei Zeichen (einstellige mit einem Leerzeichen davor)")
                                           .arg(timing));
    }
    if (heat)
        misfits << QStringLiteral("die Laufnummer %1 passt nicht in ihr Feld von zwei Zeichen").arg(*heat);
    key.misfit = misfits.join(QStringLiteral(" und "));
    return key;
}

} // namespace tvp
