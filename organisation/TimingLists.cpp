#include "organisation/TimingLists.h"

#include "organisation/HeatTreeModel.h"

namespace tvp {

TTimingExportParticipant getTimingParticipant(const TTreeNodeInformation& nodeData)
{
    TTimingExportParticipant p;
    p.GivenName = nodeData.GivenName;
    p.SurName = nodeData.SurName;
    p.Team = nodeData.Team;
    p.lane = nodeData.laneNo;
    if (nodeData.Bibs.empty())
        return p;
    p.Bib = nodeData.Bibs.back();
    for (std::size_t i = 0; i + 1 < nodeData.Bibs.size(); ++i)
        p.SurName += QStringLiteral(", ") + QString::number(nodeData.Bibs[i]);
    return p;
}

TTimingLists buildTimingLists(const THeatTreeModel& tree, const QString& disciplineName)
{
    TTimingLists lists;
    const QModelIndex root = tree.rootNode();
    if (!root.isValid() || tree.nodeCount() <= 1)
        return lists;
    lists.heatCount = tree.heatCount();
    const QString prefix = disciplineName + u' ';
    for (int h = 0; h < tree.rowCount(root); ++h) {
        const QModelIndex heatNode = tree.index(h, 0, root);
        const int participants = tree.rowCount(heatNode);
        if (participants == 0)
            continue;
        TTimingExportHeat& heat = lists.heats.emplace_back();
        heat.heatNo = tree.getHeatNo(heatNode);
        heat.description = prefix + QStringLiteral("%1/%2").arg(heat.heatNo).arg(lists.heatCount);
        for (int p = 0; p < participants; ++p)
            heat.participants.push_back(getTimingParticipant(*tree.info(tree.index(p, 0, heatNode))));
    }
    return lists;
}

TRespelledNames exportTimingLists(ITimingExport& timing, int timingId, const TTimingLists& lists)
{
    TRespelledNames respelled;
    for (const TTimingExportHeat& heat : lists.heats)
        respelled.add(timing.exportTimingList(timingId, lists.heatCount, heat));
    return respelled;
}

} // namespace tvp
