#include "standin/ScoringEvaluator.h"

#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <iterator>
#include <optional>
#include <string_view>

namespace tvp::standin::scoring {

namespace {

using proto::ResultValueType;

constexpr int kMaxDepth = 256;

bool lowerIsBetter(ResultValueType kind, bool tableFlag)
{
    return tableFlag || kind == ResultValueType::Time || kind == ResultValueType::Rank;
}

// a better than b in the direction.
bool better(double a, double b, bool lowerBetter)
{
    return lowerBetter ? a < b : a > b;
}

// A count parameter (dropped values, members): whole and not negative.
std::size_t countOf(double value)
{
    if (!(value > 0))
        return 0;
    if (value >= double(INT_MAX))
        return std::size_t(INT_MAX);
    return std::size_t(value);
}

// ---- "Punkte nach Tabelle" by the written rule: round(a * d^c), halves away from zero ----------
//
// Results and parameters are typed as decimals (3.57 m, 10.99 s, "1.5"), which binary doubles
// hold only approximately: 50 * (3.57 - 1.5) comes out as 103.4999..., not 103.5, and rounding
// that gives 103. So each number is taken back to the decimal it was typed as, and with a whole
// exponent the points are computed exactly from those decimals. A fractional exponent makes d^c a
// root, a half only when d is a perfect power; those values, and products too large to compute
// exactly, are computed in floating point.

using Wide = __int128;

// A double holds any decimal of up to 15 significant digits so that reading it back to 15 digits
// gives that decimal: "1.0000005" stays 1.0000005 and "0.0000005" stays 5e-7, while a sum such as
// 3.1 + 3.45 (6.550000000000001) reads as the 6.55 it stands for.
constexpr int kSignificantDigits = 15;
constexpr int kMaxPlaces = 40;

struct Decimal {
    Wide units = 0; // the value times 10^places
    int places = 0;
};

std::optional<Decimal> typedDecimal(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    // "d.dddddddddddddde±x", whatever the locale.
    char text[40];
    const auto [end, ec] =
        std::to_chars(std::begin(text), std::end(text), x, std::chars_format::scientific, kSignificantDigits - 1);
    if (ec != std::errc())
        return std::nullopt;
    const std::string_view written(text, std::size_t(end - text));
    const std::size_t e = written.find('e');
    int exponent = 0;
    if (e == std::string_view::npos ||
        std::from_chars(written.data() + e + (written[e + 1] == '+' ? 2 : 1), end, exponent).ec != std::errc())
        return std::nullopt;
    Decimal out;
    int digits = 0;
    for (char c : written.substr(0, e)) {
        if (c >= '0' && c <= '9') {
            out.units = out.units * 10 + (c - '0');
            ++digits;
        }
    }
    out.places = digits - 1 - exponent;
    for (; out.places > 0 && out.units % 10 == 0; --out.places)
        out.units /= 10;
    for (; out.places < 0; ++out.places) {
        if (out.units > Wide(1) << 100)
            return std::nullopt;
        out.units *= 10;
    }
    if (out.places > kMaxPlaces)
        return std::nullopt;
    if (written.front() == '-')
        out.units = -out.units;
    return out;
}

// Products stay far inside the type; a bound of our own, since the overflow builtin on 128 bits
// needs a runtime function that not every toolchain links.
constexpr Wide kWideLimit = Wide(1) << 125;

bool multiply(Wide& into, Wide by)
{
    const Wide a = into < 0 ? -into : into;
    const Wide b = by < 0 ? -by : by;
    if (a != 0 && b > kWideLimit / a)
        return false;
    into *= by;
    return true;
}

bool power(Wide base, int exponent, Wide& out)
{
    out = 1;
    for (int i = 0; i < exponent; ++i)
        if (!multiply(out, base))
            return false;
    return true;
}

// round(a * d^c) with d = v - b (b - v when lower values are better), 0 unless d > 0; exactly
// when the numbers allow it (see above), nullopt when not.
std::optional<double> exactTablePoints(double a, double b, double c, double v, bool lowerBetter)
{
    const std::optional<Decimal> da = typedDecimal(a), db = typedDecimal(b), dv = typedDecimal(v), dc = typedDecimal(c);
    if (!da || !db || !dv || !dc || dc->places != 0 || dc->units < -64 || dc->units > 64)
        return std::nullopt;
    // b and v on the same places.
    const int places = std::max(db->places, dv->places);
    Wide bUnits = db->units, vUnits = dv->units, ten = 1;
    if (!power(10, places - db->places, ten) || !multiply(bUnits, ten) || !power(10, places - dv->places, ten) ||
        !multiply(vUnits, ten))
        return std::nullopt;
    const Wide d = lowerBetter ? bUnits - vUnits : vUnits - bUnits;
    if (d <= 0)
        return 0.0;

    // |a| * d^c as num / den: d^c is dPower / scale, and its inverse for a negative exponent.
    const int exponent = int(dc->units < 0 ? -dc->units : dc->units);
    Wide num = da->units < 0 ? -da->units : da->units, den = 1, dPower = 1, scale = 1;
    if (!power(d, exponent, dPower) || !power(10, places * exponent, scale) || !power(10, da->places, den))
        return std::nullopt;
    const bool inverse = dc->units < 0;
    if (!multiply(num, inverse ? scale : dPower) || !multiply(den, inverse ? dPower : scale))
        return std::nullopt;
    Wide whole = num / den;
    const Wide rest = num % den;
    if (rest >= den - rest) // a half or more goes up: away from zero, whatever a's sign
        ++whole;
    return double(da->units < 0 ? -whole : whole);
}

double tablePoints(double a, double b, double c, double v, bool lowerBetter)
{
    if (const std::optional<double> exact = exactTablePoints(a, b, c, v, lowerBetter))
        return *exact;
    // In the widest floating point at hand: a large power magnifies each rounding step.
    using Long = long double;
    const Long d = lowerBetter ? Long(b) - Long(v) : Long(v) - Long(b);
    return d > 0 ? double(std::round(Long(a) * std::pow(d, Long(c)))) : 0.0;
}

struct Row {
    int participant = 0;
    double value = 0;
    std::vector<int> teams;
};

void setValue(proto::AssignedResultType& r, ResultValueType kind, double value)
{
    r.Type_ = kind;
    switch (kind) {
    case ResultValueType::Time: r.TimeInSeconds = value; break;
    case ResultValueType::Rank: r.Rank = int(std::lround(value)); break;
    default: r.DistanceInMeter = value; break;
    }
}

// Rows best first, ties by id; any value that is not finite (or a rank outside int) leaves the
// table without rows.
void writeRows(proto::getResultTableResponse1& out, std::vector<Row> rows, ResultValueType kind)
{
    const bool lower = out.ResultTableType->LowerValuesAreHigherRanked;
    for (const Row& r : rows)
        if (!std::isfinite(r.value) || (kind == ResultValueType::Rank && std::fabs(r.value) > double(INT_MAX) - 1))
            return;
    std::sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        if (a.value != b.value)
            return better(a.value, b.value, lower);
        return a.participant < b.participant;
    });
    const bool team = out.ResultTableType->Team;
    out.Results.reserve(rows.size());
    for (Row& r : rows) {
        proto::AssignedResultType& result = out.Results.emplace_back();
        setValue(result, kind, r.value);
        if (team) {
            result.TeamId = {r.participant};
        } else {
            result.AthleteId = r.participant;
            result.TeamId = std::move(r.teams);
        }
        result.Attempt = 1;
        result.ResultID = 0;
    }
}

// Per participant the values it has in each source (nothing where it has none).
struct Gathered {
    int participant = 0;
    std::vector<std::optional<double>> values;
    std::vector<int> teams;
};

std::vector<Gathered> gather(const std::vector<SourceValues>& sources)
{
    std::map<int, Gathered> byId;
    for (std::size_t s = 0; s < sources.size(); ++s)
        for (const SourceValue& v : sources[s].values) {
            Gathered& g = byId[v.participant];
            g.participant = v.participant;
            g.values.resize(sources.size());
            g.values[s] = v.value;
            for (int t : v.teams)
                if (std::find(g.teams.begin(), g.teams.end(), t) == g.teams.end())
                    g.teams.push_back(t);
        }
    std::vector<Gathered> out;
    out.reserve(byId.size());
    for (auto& [id, g] : byId)
        out.push_back(std::move(g));
    return out;
}

std::vector<double> present(const Gathered& g)
{
    std::vector<double> out;
    for (const std::optional<double>& v : g.values)
        if (v)
            out.push_back(*v);
    return out;
}

} // namespace

std::optional<double> valueOf(const proto::AssignedResultType& result)
{
    if (result.ResultID == 1)
        return std::nullopt; // the server's empty result
    double v = 0;
    switch (result.Type_) {
    case ResultValueType::Distance: v = result.DistanceInMeter; break;
    case ResultValueType::Time: v = result.TimeInSeconds; break;
    case ResultValueType::Rank: v = result.Rank; break;
    default: return std::nullopt;
    }
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

SourceValues bestValues(const proto::getResultTableResponse1& table, const ParticipantKey& rekey)
{
    SourceValues out;
    const proto::ResultTableType type = table.ResultTableType ? *table.ResultTableType : proto::ResultTableType{};
    out.team = type.Team;
    out.pattern = type.ResultUnitPattern;
    bool kindKnown = false;
    for (const proto::AssignedResultType& r : table.Results)
        if (valueOf(r)) {
            out.kind = r.Type_;
            kindKnown = true;
            break;
        }
    out.lowerBetter =
        kindKnown ? lowerIsBetter(out.kind, type.LowerValuesAreHigherRanked) : type.LowerValuesAreHigherRanked;

    // (participant, value, row) of every valued row, grouped by participant.
    struct Entry {
        int participant;
        double value;
        const proto::AssignedResultType* row;
    };
    std::vector<Entry> entries;
    entries.reserve(table.Results.size());
    for (const proto::AssignedResultType& r : table.Results) {
        const std::optional<double> v = valueOf(r);
        if (!v)
            continue;
        if (out.team) {
            // A team row without team has nobody to count for.
            for (std::size_t i = 0; i < r.TeamId.size(); ++i) {
                const int t = r.TeamId[i];
                if (t != 0 && std::find(r.TeamId.begin(), r.TeamId.begin() + std::ptrdiff_t(i), t) ==
                                  r.TeamId.begin() + std::ptrdiff_t(i))
                    entries.push_back({t, *v, &r});
            }
        } else {
            entries.push_back({r.AthleteId, *v, &r});
        }
    }
    if (rekey)
        for (Entry& e : entries)
            e.participant = rekey(e.participant);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.participant < b.participant; });
    for (std::size_t i = 0; i < entries.size();) {
        std::size_t end = i;
        while (end < entries.size() && entries[end].participant == entries[i].participant)
            ++end;
        if (entries[i].participant != 0) {
            SourceValue& b = out.values.emplace_back();
            b.participant = entries[i].participant;
            b.value = entries[i].value;
            for (std::size_t k = i; k < end; ++k) {
                if (better(entries[k].value, b.value, out.lowerBetter))
                    b.value = entries[k].value;
                if (!out.team)
                    for (int t : entries[k].row->TeamId)
                        if (t != 0 && std::find(b.teams.begin(), b.teams.end(), t) == b.teams.end())
                            b.teams.push_back(t);
            }
            if (out.team)
                b.teams = {b.participant};
        }
        i = end;
    }
    return out;
}

bool isPlainNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
    return number.match(text).hasMatch();
}

std::optional<double> resolveParameter(const QString& text, const Node& node, const ParameterLookup& lookup)
{
    std::optional<double> v;
    if (isPlainNumber(text)) {
        bool ok = false;
        const double d = text.toDouble(&ok); // QString::toDouble reads "." whatever the locale
        if (ok)
            v = d;
    } else if (lookup) {
        v = lookup(text, node.cupId, node.competitionId);
    }
    if (v && !std::isfinite(*v))
        return std::nullopt;
    return v;
}

proto::ResultTableType combinedType(int templateId, const std::vector<SourceValues>& sources)
{
    proto::ResultTableType t;
    t.ResultsPerRow = 1;
    for (const SourceValues& s : sources)
        t.Team = t.Team || s.team;
    const SourceValues first = sources.empty() ? SourceValues{} : sources.front();
    switch (templateId) {
    case Rank: t.LowerValuesAreHigherRanked = true; break;
    case PointsByTable: t.ResultUnitPattern = QStringLiteral("$(.0) $P"); break;
    case TeamBestN: t.Team = true; [[fallthrough]];
    default:
        t.ResultUnitPattern = first.pattern;
        t.LowerValuesAreHigherRanked = first.lowerBetter;
        break;
    }
    return t;
}

proto::getResultTableResponse1 combine(int templateId, const std::vector<SourceValues>& sources,
                                       const std::vector<double>& parameters)
{
    proto::getResultTableResponse1 out;
    out.ResultTableType = combinedType(templateId, sources);
    if (sources.empty())
        return out;
    const bool lower = sources.front().lowerBetter;
    const ResultValueType firstKind = sources.front().kind;
    const auto param = [&](std::size_t i) { return i < parameters.size() ? parameters[i] : 0.0; };
    const std::size_t needed = templateId == PointsByTable ? 3 : 1;
    if (parameters.size() < needed)
        return out;

    std::vector<Row> rows;
    switch (templateId) {
    case BestAttempt:
        for (const Gathered& g : gather(sources)) {
            const std::vector<double> v = present(g);
            double b = v.front();
            for (double x : v)
                if (better(x, b, lower))
                    b = x;
            rows.push_back({g.participant, b * param(0), g.teams});
        }
        writeRows(out, std::move(rows), firstKind);
        break;
    case Sum:
        for (const Gathered& g : gather(sources)) {
            std::vector<double> v = present(g);
            const std::size_t k = countOf(param(0));
            if (v.size() > k) {
                // Best first, so the k worst are the tail.
                std::sort(v.begin(), v.end(), [&](double a, double b) { return better(a, b, lower); });
                v.resize(v.size() - k);
            }
            double sum = 0;
            for (double x : v)
                sum += x;
            rows.push_back({g.participant, sum, g.teams});
        }
        writeRows(out, std::move(rows), firstKind);
        break;
    case Rank: {
        const bool ascending = param(0) != 0;
        for (const Gathered& g : gather(sources)) {
            double sum = 0;
            for (double x : present(g))
                sum += x;
            rows.push_back({g.participant, sum, g.teams});
        }
        for (const Row& r : rows)
            if (!std::isfinite(r.value))
                return out;
        std::vector<double> sorted;
        sorted.reserve(rows.size());
        for (const Row& r : rows)
            sorted.push_back(r.value);
        std::sort(sorted.begin(), sorted.end(), [&](double a, double b) { return ascending ? a < b : a > b; });
        // Ties share the rank of the first of them: 1, 1, 3.
        for (Row& r : rows) {
            const auto first = ascending ? std::lower_bound(sorted.begin(), sorted.end(), r.value)
                                         : std::lower_bound(sorted.begin(), sorted.end(), r.value, std::greater<>());
            r.value = double(first - sorted.begin() + 1);
        }
        writeRows(out, std::move(rows), ResultValueType::Rank);
        break;
    }
    case PointsByTable: {
        const double a = param(0), b = param(1), c = param(2);
        for (const Gathered& g : gather(sources)) {
            double points = 0;
            for (std::size_t s = 0; s < g.values.size(); ++s) {
                if (!g.values[s])
                    continue;
                points += tablePoints(a, b, c, *g.values[s], sources[s].lowerBetter);
            }
            rows.push_back({g.participant, points, g.teams});
        }
        writeRows(out, std::move(rows), ResultValueType::Distance);
        break;
    }
    case TeamBestN: {
        const std::size_t n = countOf(param(0));
        std::map<int, double> teamTotal;
        for (const SourceValues& s : sources) {
            std::map<int, std::vector<double>> members;
            for (const SourceValue& v : s.values)
                for (int t : (s.team ? std::vector<int>{v.participant} : v.teams))
                    members[t].push_back(v.value);
            for (auto& [teamId, values] : members) {
                std::sort(values.begin(), values.end(), [&](double x, double y) { return better(x, y, lower); });
                double sum = 0;
                for (std::size_t i = 0; i < values.size() && i < n; ++i)
                    sum += values[i];
                teamTotal[teamId] += sum;
            }
        }
        for (const auto& [teamId, total] : teamTotal)
            rows.push_back({teamId, total, {}});
        writeRows(out, std::move(rows), firstKind);
        break;
    }
    default: break;
    }
    return out;
}

Evaluator::Evaluator(NodeLookup nodes, DisciplineLookup disciplines, ParameterLookup parameters, SourceRekey rekey)
    : nodes_(std::move(nodes)),
      disciplines_(std::move(disciplines)),
      parameters_(std::move(parameters)),
      rekey_(std::move(rekey))
{
}

std::optional<proto::getResultTableResponse1> Evaluator::table(int id)
{
    if (const proto::getResultTableResponse1* t = tableAt(id, 0))
        return *t;
    return std::nullopt;
}

const proto::getResultTableResponse1* Evaluator::tableAt(int id, int depth)
{
    if (auto it = done_.find(id); it != done_.end())
        return it->second ? &*it->second : nullptr;
    if (std::optional<proto::getResultTableResponse1> d = disciplines_ ? disciplines_(id) : std::nullopt)
        return &*(done_[id] = std::move(d));
    std::optional<Node> node = nodes_ ? nodes_(id) : std::nullopt;
    if (!node) {
        done_[id] = std::nullopt;
        return nullptr;
    }
    // A node that draws on itself (the stand-in refuses to build one) or lies too deep gives
    // its type without rows.
    if (inProgress_.count(id) || depth > kMaxDepth) {
        proto::getResultTableResponse1& empty = cut_[id];
        empty.ResultTableType = combinedType(node->templateId, {});
        return &empty;
    }
    inProgress_.insert(id);
    proto::getResultTableResponse1 t = evaluateNode(*node, depth);
    inProgress_.erase(id);
    return &*(done_[id] = std::move(t));
}

proto::getResultTableResponse1 Evaluator::evaluateNode(const Node& node, int depth)
{
    std::vector<SourceValues> sources;
    std::vector<int> seen;
    for (int s : node.sources) {
        if (std::find(seen.begin(), seen.end(), s) != seen.end())
            continue; // a repeated source counts once
        seen.push_back(s);
        const proto::getResultTableResponse1* t = tableAt(s, depth + 1);
        if (!t)
            continue;
        std::optional<proto::getResultTableResponse1> rekeyed;
        if (rekey_ && node.cupId != 0)
            rekeyed = rekey_(node, s, *t);
        sources.push_back(bestValues(rekeyed ? *rekeyed : *t));
    }
    std::vector<double> parameters;
    for (const QString& p : node.parameters) {
        const std::optional<double> v = resolveParameter(p, node, parameters_);
        if (!v) {
            proto::getResultTableResponse1 empty;
            empty.ResultTableType = combinedType(node.templateId, sources);
            return empty;
        }
        parameters.push_back(*v);
    }
    return combine(node.templateId, sources, parameters);
}

} // namespace tvp::standin::scoring
