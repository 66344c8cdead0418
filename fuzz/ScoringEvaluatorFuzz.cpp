// Node graphs and results into the stand-in's scoring evaluator, as lines of text:
//   D <id> <team 0|1> <lower 0|1>                 a discipline
//   R <discipline> <athlete> <attempt> <D|T|R|I|S> <value> [team...]   a result
//   N <id> <template> <cup> <source...> | <parameter...>               a node
//   P <name> <value>  /  C <name> <value>         a competition / cup parameter
// Cycles, repeated sources, unknown ids and any parameter text must give finite tables.

#include "standin/ScoringEvaluator.h"

#include <QStringList>

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace tvp;
using namespace tvp::standin::scoring;

namespace {

proto::ResultValueType kindOf(const QString& k)
{
    using enum proto::ResultValueType;
    if (k == QLatin1String("T"))
        return Time;
    if (k == QLatin1String("R"))
        return Rank;
    if (k == QLatin1String("I"))
        return Info;
    if (k == QLatin1String("S"))
        return InfoString;
    return Distance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 8192)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    std::map<int, proto::getResultTableResponse1> disciplines;
    std::map<int, Node> nodes;
    std::map<QString, double> params, cupParams;
    std::vector<int> ids;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (f.size() < 2)
            continue;
        const QString tag = f[0];
        if (tag == QLatin1String("D") && f.size() >= 4) {
            proto::ResultTableType& t = disciplines[f[1].toInt()].ResultTableType.ensure();
            t.Team = f[2] == QLatin1String("1");
            t.LowerValuesAreHigherRanked = f[3] == QLatin1String("1");
            ids.push_back(f[1].toInt());
        } else if (tag == QLatin1String("R") && f.size() >= 6) {
            proto::AssignedResultType r;
            r.AthleteId = f[2].toInt();
            r.Attempt = f[3].toInt();
            r.Type_ = kindOf(f[4]);
            const double v = f[5].toDouble();
            r.DistanceInMeter = v;
            r.TimeInSeconds = v;
            r.Rank = std::isfinite(v) && std::fabs(v) < 1e9 ? int(v) : 0;
            for (qsizetype i = 6; i < f.size(); ++i)
                r.TeamId.push_back(f[i].toInt());
            disciplines[f[1].toInt()].Results.push_back(std::move(r));
        } else if (tag == QLatin1String("N") && f.size() >= 4) {
            Node n;
            n.id = f[1].toInt();
            n.templateId = f[2].toInt();
            n.cupId = f[3].toInt();
            n.competitionId = 1;
            bool inParams = false;
            for (qsizetype i = 4; i < f.size(); ++i) {
                if (f[i] == QLatin1String("|"))
                    inParams = true;
                else if (inParams)
                    n.parameters.push_back(f[i]);
                else
                    n.sources.push_back(f[i].toInt());
            }
            nodes[n.id] = n;
            ids.push_back(n.id);
        } else if ((tag == QLatin1String("P") || tag == QLatin1String("C")) && f.size() >= 3) {
            (tag == QLatin1String("P") ? params : cupParams)[f[1]] = f[2].toDouble();
        }
    }
    Evaluator evaluator(
        [&](int id) -> std::optional<Node> {
            const auto it = nodes.find(id);
            return it == nodes.end() ? std::nullopt : std::optional<Node>(it->second);
        },
        [&](int id) -> std::optional<proto::getResultTableResponse1> {
            const auto it = disciplines.find(id);
            return it == disciplines.end() ? std::nullopt : std::optional(it->second);
        },
        [&](const QString& name, int cupId, int) -> std::optional<double> {
            const auto& p = cupId != 0 ? cupParams : params;
            const auto it = p.find(name);
            return it == p.end() ? std::nullopt : std::optional(it->second);
        });
    for (int id : ids) {
        const std::optional<proto::getResultTableResponse1> t = evaluator.table(id);
        if (!t || nodes.find(id) == nodes.end() || disciplines.count(id))
            continue;
        if (!t->ResultTableType)
            std::abort();
        for (const proto::AssignedResultType& r : t->Results)
            if (!std::isfinite(r.DistanceInMeter) || !std::isfinite(r.TimeInSeconds) || r.Attempt != 1)
                std::abort();
    }
    return 0;
}
