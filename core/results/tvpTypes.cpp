#include "core/results/tvpTypes.h"

#include "core/results/ResultUnitPatterns.h"

#include <QStringList>

#include <algorithm>

namespace tvp {

namespace {

void fillDiscInfo(TDisciplineInfo& d, const proto::DisciplinInfoType& info)
{
    d.name = info.Name;
    // Disciplines always come with their result table; one without keeps "single, no attempts"
    // rather than taking the window down.
    if (const proto::ResultTableType* table = info.ResultTableType.get()) {
        d.isTeam = table->Team;
        d.attempts = table->ResultsPerRow;
    }
    d.assignmentType = info.ResultAssignment;
    d.ageClassId = info.AgeClassID;
    d.squadAssignment = info.SquadAssignment;
    d.maxParticipantsPerHeat = info.maxParticipantsPerHeat;
}

} // namespace

proto::UiInfoKey makeUiInfoKey(const QString& key, int associatedId)
{
    proto::UiInfoKey k;
    k.Key = key;
    k.AssotiatedId = associatedId;
    return k;
}

TDisciplineInfo TDisciplineInfo::CreateFromInfo(const proto::DisciplinInfoType& info)
{
    TDisciplineInfo d;
    fillDiscInfo(d, info);
    return d;
}

TDisciplineInfo TDisciplineInfo::CreateFromDisc(const proto::DisciplinType& disc)
{
    TDisciplineInfo d;
    d.id = disc.DisciplinID;
    d.Barcode = disc.Barcode;
    d.competitionId = disc.CompetitionID;
    fillDiscInfo(d, disc);
    return d;
}

std::vector<int> parseHeightList(const QString& text)
{
    std::vector<int> values;
    if (text.isEmpty())
        return values;
    for (const QString& element : text.split(QLatin1Char(';')))
        values.push_back(element.trimmed().toInt());
    return values;
}

QString joinHeightList(std::vector<int> values)
{
    std::stable_sort(values.begin(), values.end());
    QStringList texts;
    for (int v : values)
        texts << QString::number(v);
    return texts.join(QLatin1Char(';'));
}

} // namespace tvp

namespace tvp {

IResultUnitPatterns*& resultUnitPatterns()
{
    static IResultUnitPatterns* patterns = nullptr;
    return patterns;
}

} // namespace tvp
