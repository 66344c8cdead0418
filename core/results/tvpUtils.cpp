#include "core/results/tvpUtils.h"

#include "core/results/ResultUnitPatterns.h"
#include "core/protocol/TVPWebServices2.h"

#include <QCollator>
#include <QIODevice>
#include <QLocale>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <stdexcept>

namespace tvp {

using proto::ResultInfo;
using proto::ResultType;
using proto::ResultValueType;

namespace {

// The user's locale without digit grouping: "1.234,5" would neither be written nor read back
// (a German "1.500" must not turn into fifteen hundred).
QLocale numberLocale()
{
    QLocale loc;
    loc.setNumberOptions(loc.numberOptions() | QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return loc;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

template <class T>
int sign(T v)
{
    return (v > T(0)) - (v < T(0));
}

// A value in hundredths, rounded half away from zero as the value is written: the binary noise
// of values like 0.285 (stored as 0.28499999...) is snapped off first.
double hundredthsOf(double value)
{
    return std::round(std::round(value * 1e8) / 1e6) + 0.0; // + 0.0 turns -0 into 0
}

QString twoDecimals(double value, const QLocale& loc)
{
    return loc.toString(hundredthsOf(value) / 100.0, 'f', 2);
}

QString timeText(double seconds, const QLocale& loc)
{
    // Rounded before splitting, so 119.999 s carries into the minute instead of showing 1:60,00.
    const double hundredths = hundredthsOf(seconds);
    if (!(hundredths >= 6000 && hundredths < 1e15))
        return loc.toString(hundredths / 100.0, 'f', 2) + u's';
    const auto total = static_cast<long long>(hundredths);
    const long long minutes = total / 6000;
    const long long rest = total % 6000;
    return QString::number(minutes) + u':' + QStringLiteral("%1").arg(rest / 100, 2, 10, QChar(u'0')) +
           loc.decimalPoint() + QStringLiteral("%1").arg(rest % 100, 2, 10, QChar(u'0'));
}

QString distanceText(double metres, TResultformat format, const QLocale& loc)
{
    switch (format) {
    case TResultformat::rf_Default: return twoDecimals(metres, loc) + u'm';
    case TResultformat::rf_Points:
    case TResultformat::rf_TargetPoints:
    case TResultformat::rf_TargetPointCollection: return twoDecimals(metres, loc) + QStringLiteral("Pkt");
    case TResultformat::rf_Unknown: return twoDecimals(metres, loc);
    case TResultformat::rf_Height: {
        const double cm = hundredthsOf(metres);
        if (!std::isfinite(cm))
            return QStringLiteral("-");
        // Beyond a long long (nonsense from a server) the cast would be undefined.
        if (std::fabs(cm) >= 9.0e18)
            return QString::number(cm, 'f', 0) + QStringLiteral("cm");
        return QString::number(static_cast<long long>(cm)) + QStringLiteral("cm");
    }
    }
    return QStringLiteral("-");
}

struct Marks {
    bool metre = false;
    bool centimetre = false;
    bool points = false;
    bool seconds = false;
    bool minutes = false;
    bool colon = false;
};

// m:ss or h:mm:ss. Everything after the first field must stay below 60.
std::optional<double> readClockTime(const QString& number, const QLocale& loc)
{
    const QStringList fields = number.split(u':');
    if (fields.size() > 3)
        return std::nullopt;
    double total = 0;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString& f = fields[i];
        double v = 0;
        if (i + 1 < fields.size()) {
            if (f.isEmpty() || !std::all_of(f.begin(), f.end(), isDigit))
                return std::nullopt;
            v = f.toDouble();
        } else {
            bool ok = false;
            v = loc.toDouble(f, &ok);
            if (!ok || !std::isfinite(v) || v < 0)
                return std::nullopt;
        }
        if (i > 0 && v >= 60)
            return std::nullopt;
        total = total * 60 + v;
    }
    return total;
}

// A text that is no number: a status word. r is a scratch copy.
bool readStatusWord(const QString& text, ResultValueType kind, ResultType& r)
{
    r.Type_ = ResultValueType::Info;
    r.Info = ResultInfo::ung;
    bool matched = true;
    if (text == u"ab" || text == u"ab.")
        r.Info = ResultInfo::ab;
    else if (text == u"na" || text == u"n.a.")
        r.Info = ResultInfo::na;
    else if (text == u"disq" || text == u"disq.")
        r.Info = ResultInfo::disq;
    else
        matched = false;

    switch (kind) {
    case ResultValueType::Distance: return matched || text == u"x"; // x: an invalid attempt
    case ResultValueType::Time:
    case ResultValueType::Rank:
        if (text == u"aufg" || text == u"aufg.") {
            r.Info = ResultInfo::aufg;
            matched = true;
        }
        return matched;
    default: return false;
    }
}

// Delphi's SameValue tolerance for doubles.
bool isWhole(double v)
{
    const double r = std::round(v);
    const double epsilon = std::max(std::min(std::abs(v), std::abs(r)) * 1e-12, 1e-12);
    return std::abs(v - r) <= epsilon;
}

// The collator of list texts: the user's language, case ignored.
QCollator& listCollator()
{
    thread_local std::unique_ptr<QCollator> collator;
    const QLocale loc;
    if (!collator || collator->locale() != loc) {
        collator = std::make_unique<QCollator>(loc);
        collator->setCaseSensitivity(Qt::CaseInsensitive);
    }
    return *collator;
}

} // namespace

// ---- Enumeration texts ----

QString assignmentTypeToString(proto::ResultAssignmentType t)
{
    switch (t) {
    case proto::ResultAssignmentType::byAthleteOrTeam: return QStringLiteral("Athlet/Team");
    case proto::ResultAssignmentType::byBib: return QStringLiteral("Startnr.");
    case proto::ResultAssignmentType::byLane: return QStringLiteral("Bahn");
    }
    return {};
}

QString ResultValueTypeToUIInfo(ResultValueType t)
{
    switch (t) {
    case ResultValueType::Time: return QStringLiteral("Time");
    case ResultValueType::Rank: return QStringLiteral("Rank");
    default: return QStringLiteral("Distance");
    }
}

ResultValueType UIInfoToResultValueType(const QString& text)
{
    if (text == u"Time")
        return ResultValueType::Time;
    if (text == u"Rank")
        return ResultValueType::Rank;
    return ResultValueType::Distance;
}

TResultformat uiInfoStringToResultFormat(const QString& text)
{
    if (text == u"Points")
        return TResultformat::rf_Points;
    if (text == u"TargetPoints")
        return TResultformat::rf_TargetPoints;
    if (text == u"TargetPointCollection")
        return TResultformat::rf_TargetPointCollection;
    if (text == u"Heights")
        return TResultformat::rf_Height;
    return TResultformat::rf_Default;
}

QString resultFormatToUIInfo(TResultformat format)
{
    switch (format) {
    case TResultformat::rf_Default: return QStringLiteral("Default");
    case TResultformat::rf_Points: return QStringLiteral("Points");
    case TResultformat::rf_Height: return QStringLiteral("Heights");
    case TResultformat::rf_TargetPoints: return QStringLiteral("TargetPoints");
    case TResultformat::rf_TargetPointCollection: return QStringLiteral("TargetPointCollection");
    case TResultformat::rf_Unknown: break;
    }
    return {};
}

QString ResultInfoToString(ResultInfo info)
{
    switch (info) {
    case ResultInfo::disq: return QStringLiteral("disq.");
    case ResultInfo::aufg: return QStringLiteral("aufg.");
    case ResultInfo::na: return QStringLiteral("n.a.");
    case ResultInfo::ab: return QStringLiteral("ab.");
    case ResultInfo::ung: return QStringLiteral("x");
    }
    return {};
}

QString GetResultUnit(ResultValueType t, TResultformat f)
{
    // The unit the results are shown in (distanceText): metres by default, points for the point
    // formats, centimetres for heights.
    switch (t) {
    case ResultValueType::Distance:
        switch (f) {
        case TResultformat::rf_Points:
        case TResultformat::rf_TargetPoints:
        case TResultformat::rf_TargetPointCollection: return QStringLiteral("Punkte");
        case TResultformat::rf_Height: return QStringLiteral("Zentimeter");
        default: return QStringLiteral("Meter");
        }
    case ResultValueType::Time: return QStringLiteral("Sekunden");
    case ResultValueType::Rank: return QStringLiteral("Rang");
    default: return {};
    }
}

QString getAttemptString(ResultValueType t)
{
    return t == ResultValueType::Time ? QStringLiteral("Lauf") : QStringLiteral("Versuch");
}

QString bibstoString(const std::vector<int>& bibs)
{
    QStringList parts;
    parts.reserve(qsizetype(bibs.size()));
    for (int b : bibs)
        parts << QString::number(b);
    return parts.join(u',');
}

// ---- Results ----

bool StringToResult(const QString& text, ResultValueType kind, ResultType& result, THeightFormat heightFormat,
                    bool& isPoints)
{
    isPoints = false;
    if (text.isEmpty())
        return false;

    // Unit marks sit behind the number: walk back to its last digit.
    Marks marks;
    qsizetype lastDigit = -1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar c = text[i];
        if (c == u' ')
            continue;
        // "min" behind a clock time ("2:05 min", as unit patterns write it) is no metre mark.
        if (QStringView(text).mid(i, 3).compare(u"min", Qt::CaseInsensitive) == 0)
            marks.minutes = true;
        else if (c == u'm')
            marks.metre = true;
        if (c == u'c' && marks.metre) { // "cm" is centimetres, not metres
            marks.centimetre = true;
            marks.metre = false;
        }
        if (QStringView(text).mid(i, 3).compare(u"Pkt", Qt::CaseInsensitive) == 0)
            marks.points = true;
        if (c == u's')
            marks.seconds = true;
        if (isDigit(c)) {
            lastDigit = i;
            break;
        }
    }

    QString number;
    if (lastDigit >= 0) {
        qsizetype first = 0;
        while (text[first] == u' ')
            ++first;
        number = text.mid(first, lastDigit - first + 1);
    }
    marks.colon = number.contains(u':');
    QString withoutColons = number;
    withoutColons.remove(u':');

    const QLocale loc = numberLocale();
    ResultType r = result;
    bool ok = false;
    const double value = withoutColons.isEmpty() ? 0.0 : loc.toDouble(withoutColons, &ok);
    if (!ok || !std::isfinite(value)) {
        if (!readStatusWord(text, kind, r))
            return false;
        result = r;
        return true;
    }
    if (value < 0)
        return false;

    // Heights are typed in centimetres: 120 is 1.20 m, while 9 stays 9 m.
    if (kind == ResultValueType::Distance && heightFormat == THeightFormat::yes && value > 9 &&
        !number.contains(loc.decimalPoint())) {
        marks.centimetre = true;
        marks.metre = false;
    }

    if (kind == ResultValueType::Info) {
        kind = ResultValueType::Rank;
        if (marks.seconds || marks.minutes || marks.colon)
            kind = ResultValueType::Time;
        if (marks.centimetre || marks.metre || marks.points)
            kind = ResultValueType::Distance;
        isPoints = marks.points;
    }

    switch (kind) {
    case ResultValueType::Distance:
        // A colon is a clock time; taken as a distance "1:20" would become 120 m.
        if (marks.seconds || marks.minutes || marks.colon)
            return false;
        r.Type_ = ResultValueType::Distance;
        r.DistanceInMeter = marks.centimetre ? value / 100 : value; // "Pkt" results are distances too
        break;
    case ResultValueType::Time: {
        if (marks.metre || marks.points)
            return false;
        // "5 min" without a colon would read as 5 seconds.
        if (marks.minutes && !marks.colon)
            return false;
        double seconds = value;
        if (marks.colon) {
            const std::optional<double> clock = readClockTime(number, loc);
            if (!clock)
                return false;
            seconds = *clock;
        } else {
            // Without a colon the digits left of the last two integer digits are minutes: 123,45 is 1:23,45.
            const double minutes = std::trunc(value / 100);
            if (minutes >= 1)
                seconds = minutes * 60 + value - minutes * 100;
        }
        r.Type_ = ResultValueType::Time;
        r.TimeInSeconds = seconds;
        break;
    }
    case ResultValueType::Rank:
        if (marks.metre || marks.seconds || marks.minutes || marks.points || marks.colon)
            return false;
        if (!isWhole(value) || std::round(value) > INT_MAX)
            return false;
        r.Type_ = ResultValueType::Rank;
        r.Rank = static_cast<int>(std::round(value));
        break;
    case ResultValueType::InfoString: return true;
    default: return false;
    }
    result = r;
    return true;
}

QString ResultToString(const ResultType* result, TResultformat format, const QString& unitPattern)
{
    if (!result)
        return QStringLiteral("-");
    // Without the pattern language (result capture not there yet) a result shows as if it had no pattern.
    IResultUnitPatterns* patterns = unitPattern.isEmpty() ? nullptr : resultUnitPatterns();
    const QLocale loc = numberLocale();
    switch (result->Type_) {
    case ResultValueType::Distance:
        if (patterns)
            return patterns->parseResultValue(unitPattern, result->DistanceInMeter);
        return distanceText(result->DistanceInMeter, format, loc);
    case ResultValueType::Time:
        if (patterns)
            return patterns->parseResultValue(unitPattern, result->TimeInSeconds);
        return timeText(result->TimeInSeconds, loc);
    case ResultValueType::Info: return ResultInfoToString(result->Info);
    case ResultValueType::Rank:
        if (patterns)
            return patterns->parseResultValue(unitPattern, result->Rank);
        return QString::number(result->Rank);
    case ResultValueType::InfoString: return result->InfoString;
    }
    return QStringLiteral("-");
}

QString ResultToString(const ResultType& result, TResultformat format, const QString& unitPattern)
{
    return ResultToString(&result, format, unitPattern);
}

int CompareResult(const ResultType& a, const ResultType& b)
{
    if (a.Type_ == b.Type_) {
        switch (a.Type_) {
        case ResultValueType::Distance: return sign(a.DistanceInMeter - b.DistanceInMeter);
        case ResultValueType::Time: return sign(b.TimeInSeconds - a.TimeInSeconds);
        case ResultValueType::Rank: return sign(b.Rank - a.Rank);
        default: return 0;
        }
    }
    if (a.Type_ == ResultValueType::Info)
        return -1;
    if (b.Type_ == ResultValueType::Info)
        return 1;
    return 0;
}

int CompareListTexts(const QString& text1, const QString& text2, bool descending)
{
    const int c = compareListSortKeys(listSortKey(text1, false), listSortKey(text2, false));
    return descending ? -c : c;
}

TListSortKey listSortKey(const QString& text, bool collationKey)
{
    TListSortKey key;
    bool points = false;
    if (StringToResult(text, ResultValueType::Info, key.result, THeightFormat::no, points)) {
        key.kind = TListSortKey::Result;
    } else if (!text.isEmpty()) {
        key.kind = TListSortKey::Text;
        key.text = text;
        if (collationKey)
            key.collation = listCollator().sortKey(text);
    }
    return key;
}

int compareListSortKeys(const TListSortKey& a, const TListSortKey& b)
{
    if (a.kind == TListSortKey::Result && b.kind == TListSortKey::Result) {
        const ResultType& r1 = a.result;
        const ResultType& r2 = b.result;
        if (r1.Type_ != r2.Type_)
            return 0;
        switch (r1.Type_) {
        case ResultValueType::Distance: return sign(r2.DistanceInMeter - r1.DistanceInMeter);
        case ResultValueType::Time: return sign(r1.TimeInSeconds - r2.TimeInSeconds);
        case ResultValueType::Rank: return sign(r1.Rank - r2.Rank);
        default: return 0;
        }
    }
    if (a.kind == TListSortKey::Result || b.kind == TListSortKey::Result)
        return a.kind == TListSortKey::Result ? -1 : 1;
    if (a.kind == TListSortKey::Empty || b.kind == TListSortKey::Empty)
        return int(a.kind == TListSortKey::Empty) - int(b.kind == TListSortKey::Empty);
    if (a.collation && b.collation)
        return sign(a.collation->compare(*b.collation));
    return sign(listCollator().compare(a.text, b.text));
}

double resultToFloat(const ResultType& result)
{
    switch (result.Type_) {
    case ResultValueType::Distance: return result.DistanceInMeter;
    case ResultValueType::Time: return result.TimeInSeconds;
    case ResultValueType::Rank: return result.Rank;
    default: return 0;
    }
}

bool isEmptyResult(const proto::AssignedResultType* result)
{
    return !result || result->ResultID == 1;
}

TResultformat getResultFormatForAgg(proto::DataRetrievalPortType& port, int aggregatorId)
{
    const proto::getToplevelSourceDisciplinesResponse1 disciplines = port.getToplevelSourceDisciplines(aggregatorId);
    if (disciplines.empty())
        return TResultformat::rf_Unknown;

    proto::getUiInfos keys;
    keys.reserve(disciplines.size() * 2);
    for (const proto::DisciplinType& d : disciplines) {
        keys.push_back(makeUiInfoKey(uiInfoKeys::DisciplinResultType, d.DisciplinID));
        keys.push_back(makeUiInfoKey(uiInfoKeys::DisciplinResultFormat, d.DisciplinID));
    }

    std::optional<TResultformat> format;
    for (const proto::UiInfoKeyValuePair& pair : port.getUiInfos(keys)) {
        // The server may answer an info that was never stored with an empty value.
        if (!pair.Key || pair.Value.isEmpty())
            continue;
        if (pair.Key->Key == uiInfoKeys::DisciplinResultType) {
            if (UIInfoToResultValueType(pair.Value) != ResultValueType::Distance)
                return TResultformat::rf_Unknown;
        } else if (pair.Key->Key == uiInfoKeys::DisciplinResultFormat) {
            const TResultformat f = uiInfoStringToResultFormat(pair.Value);
            if (format && *format != f)
                return TResultformat::rf_Unknown;
            format = f;
        }
    }
    return format.value_or(TResultformat::rf_Unknown);
}

bool isNumber(const QString& text)
{
    bool ok = false;
    numberLocale().toDouble(text, &ok);
    if (!ok) {
        // Stored and exchanged numbers use ".": the C locale, also without grouping.
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        c.toDouble(text, &ok);
    }
    return ok;
}

bool contains(const QStringList& list, const QString& text)
{
    return list.contains(text, Qt::CaseSensitive);
}

QString ParseParamSubst(const QString& text, const std::function<QString(const QString& key)>& mapper)
{
    static const QString open = QStringLiteral("$(");
    QString result;
    QString rest = text;
    while (true) {
        const qsizetype at = rest.indexOf(open);
        if (at < 0)
            break;
        result += rest.left(at);
        rest = rest.mid(at + open.size());
        const qsizetype close = rest.indexOf(QLatin1Char(')'));
        if (close < 0) {
            result += open;
            break;
        }
        result += mapper(rest.left(close));
        rest = rest.mid(close + 1);
        if (rest.isEmpty())
            break;
    }
    return result + rest;
}

bool containsBib(int value, const std::vector<int>& list)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// ---- Texts and files ----

void writeStringCsvEscaped(QIODevice& stream, const QString& text, TRespelledNames* respelled)
{
    QString field = text;
    if (text.contains(u';') || text.contains(u'\r') || text.contains(u'\n') || text.contains(u'"'))
        field = u'"' + field.replace(u'"', QStringLiteral("\"\"")) + u'"';
    const QByteArray bytes = toWindows1252(field, respelled);
    if (stream.write(bytes) != bytes.size())
        throw std::runtime_error("Die Datei konnte nicht geschrieben werden: " + stream.errorString().toStdString());
}

QString fileNameSaveChars(const QString& text)
{
    static const QString kUnsafe = QStringLiteral("<>?\":|\\/* ");
    QString out = text;
    for (QChar& c : out)
        if (kUnsafe.contains(c))
            c = u'_';
    return out;
}

QString escapeChar(const QString& text, QChar ch, QChar escape)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == ch)
            out += escape;
        out += c;
    }
    return out;
}

void ReplaceDecimalSeparator(QString& text, QChar from, QChar to)
{
    text.replace(from, to);
}

namespace {
struct DosLetter {
    unsigned char dos;
    unsigned char windows;
};
// ä ö ü Ä Ö Ü ß é á
constexpr DosLetter kDosLetters[] = {{0x84, 0xE4}, {0x94, 0xF6}, {0x81, 0xFC}, {0x8E, 0xC4}, {0x99, 0xD6},
                                     {0x9A, 0xDC}, {0xE1, 0xDF}, {0x82, 0xE9}, {0xA0, 0xE1}};

QByteArray mapBytes(const QByteArray& text, bool toWindows)
{
    QByteArray out = text;
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        for (const DosLetter& l : kDosLetters) {
            if (b == (toWindows ? l.dos : l.windows)) {
                c = char(toWindows ? l.windows : l.dos);
                break;
            }
        }
    }
    return out;
}
} // namespace

QByteArray decodeDosString(const QByteArray& text)
{
    return mapBytes(text, true);
}

QByteArray encodeDosString(const QByteArray& text)
{
    return mapBytes(text, false);
}

bool equalsIgnoreLineEnding(const QString& a, const QString& b)
{
    qsizetype i = a.size();
    qsizetype j = b.size();
    while (true) {
        while (i > 0 && a[i - 1] == u'\r')
            --i;
        while (j > 0 && b[j - 1] == u'\r')
            --j;
        // Both must run out together: "abc" does not equal its tail "bc".
        if (i == 0 || j == 0)
            return i == 0 && j == 0;
        if (a[i - 1] != b[j - 1])
            return false;
        --i;
        --j;
    }
}

QString replaceAgeClassNameOnStart(const QString& name, const QString& text)
{
    if (!text.startsWith(u'U'))
        return text + u' ' + name;
    qsizetype digits = 0;
    while (1 + digits < text.size() && isDigit(text[1 + digits]))
        ++digits;
    const qsizetype codeLength = 1 + digits;
    // "U100m Lauf" starts with no age code: three digits are something else.
    if (digits == 0 || digits > 2 || text.size() - codeLength < 2)
        return text;
    return name + text.mid(codeLength);
}

int getYearOfBirth(const QString& text)
{
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int year = text.toInt(&ok);
    return ok ? year : -1;
}

QString genderToStr(proto::GenderType g)
{
    switch (g) {
    case proto::GenderType::MALE: return QStringLiteral("m");
    case proto::GenderType::FEMALE: return QStringLiteral("w");
    default: return {};
    }
}

QString getSquadInfoStr(const proto::SquadInfoDataType* squad)
{
    if (!squad)
        return {};
    const QString number = QString::number(squad->OrderIndex);
    if (squad->CustomName.isEmpty())
        return number;
    return squad->CustomName + QStringLiteral(" (") + number + u')';
}

QString squadsText(const QStringList& squads)
{
    if (squads.isEmpty())
        return {};
    const QString word = QStringLiteral("Riege");
    const QString& first = squads.first();
    const bool named = first.startsWith(word, Qt::CaseInsensitive) &&
                       (first.size() == word.size() || first.at(word.size()).isSpace());
    const QString joined = squads.join(QStringLiteral(", "));
    return named ? joined : word + u' ' + joined;
}

// ---- Lookups in protocol data ----

void addIds(TIdList& target, const TIdList& source)
{
    target.insert(target.end(), source.begin(), source.end());
}

TIdList getBibsOfTeam(int teamId, const std::vector<proto::HeatParticipantsType>& heats)
{
    for (const proto::HeatParticipantsType& heat : heats) {
        for (const proto::VersionedParticipantsType& p : heat.VersionedParticipants) {
            if (!p.Team || !p.Team->Team || p.Team->Team->TeamID != teamId)
                continue;
            TIdList bibs;
            for (const proto::AthleteType& a : p.Team->Athletes)
                bibs.insert(bibs.end(), a.Bib.begin(), a.Bib.end());
            return bibs;
        }
    }
    return {};
}

} // namespace tvp
