#pragma once
// A discipline with the scoring tree the golden template files are exported from: the discipline's
// results (10) feed "Sprint $(1)" (20), which feeds "Summe" (21), which feeds an overall scoring
// outside the discipline (30, also fed by 99); a second root (40) ranks on its own. 20 keeps its
// parameter "Faktor" under another name, 21's "Streich" is resolved to its value, 40's "1,5" is a
// number typed with the German separator.

#include "core/protocol/ScoringRecords.h"
#include "core/results/tvpTypes.h"
#include "setup/TemplateManagement.h"

#include <QLocale>

#include <vector>

namespace tvp::test {

inline proto::AggregatorTreeNodeType templateNode(int id, int templateId, std::vector<int> sources,
                                                  std::vector<QString> parameters,
                                                  std::vector<proto::AggregatorTreeNodeType> children = {})
{
    proto::AggregatorTreeNodeType n;
    n.ID = id;
    proto::ResultAggregatorInstanceType& info = n.AggregatorInfo.ensure();
    info.ID = id;
    info.TemplateID = templateId;
    info.ConnectedAggregators = std::move(sources);
    info.Parameters = std::move(parameters);
    n.OutputConnections = std::move(children);
    return n;
}

inline std::vector<proto::AggregatorTreeNodeType> goldenTreeRoots()
{
    proto::AggregatorTreeNodeType overall = templateNode(30, 5, {21, 99}, {QStringLiteral("N")});
    proto::AggregatorTreeNodeType sum = templateNode(21, 2, {20}, {QStringLiteral("Streich")}, {overall});
    proto::AggregatorTreeNodeType best = templateNode(20, 1, {10}, {QStringLiteral("Faktor")}, {sum});
    proto::AggregatorTreeNodeType disc;
    disc.ID = 10;
    disc.OutputConnections = {best};
    return {disc, templateNode(40, 3, {}, {QStringLiteral("1,5")})};
}

inline proto::UiInfoKeyValuePair templateUiInfo(const QString& key, int id, const QString& value)
{
    proto::UiInfoKeyValuePair p;
    p.Key = makeUiInfoKey(key, id);
    p.Value = value;
    return p;
}

inline std::vector<proto::UiInfoKeyValuePair> goldenTreeLabels()
{
    return {templateUiInfo(QStringLiteral("Label"), 20, QStringLiteral("Sprint $(1)")),
            templateUiInfo(QStringLiteral("ResAgg_VisAnalysis"), 20, QStringLiteral("true")),
            templateUiInfo(QStringLiteral("Label"), 21, QStringLiteral("Summe")),
            templateUiInfo(QStringLiteral("ResAgg_VisCertificate"), 21, QStringLiteral("true")),
            templateUiInfo(QStringLiteral("Label"), 30, QStringLiteral("Gesamt")),
            templateUiInfo(QStringLiteral("Label"), 40, QStringLiteral("Zweite Wurzel"))};
}

inline TDisciplineInfo goldenDiscipline()
{
    TDisciplineInfo d;
    d.id = 10;
    d.name = QStringLiteral("Sprint");
    d.isTeam = false;
    d.attempts = 3;
    d.assignmentType = proto::ResultAssignmentType::byBib;
    d.resultType = proto::ResultValueType::Time;
    d.resultFormat = TResultformat::rf_Default;
    d.heightList = QStringLiteral("1,00;1,10");
    d.squadAssignment = proto::SquadAssignmentType::teamGrouped;
    d.maxParticipantsPerHeat = 8;
    return d;
}

// "Faktor" stays a parameter as "Faktor Sprint" with the value 1,5; "Streich" is resolved to 2.
inline std::vector<TExportParameterRow> goldenParameterRows()
{
    return {{true, QStringLiteral("Faktor Sprint"), QStringLiteral("1,5"), QStringLiteral("Faktor")},
            {false, QStringLiteral("Streich"), QStringLiteral("2"), QStringLiteral("Streich")}};
}

} // namespace tvp::test
