// A list answer of getDisciplinParticipants as a server may send it, into the competition-list
// tree: any heats, places, teams and free places give a consistent tree, lanes for the timing
// program and squads per heat; a refused answer is a TvpError. Anything else is a finding.

#include "core/protocol/SoapCodec.h"
#include "organisation/HeatTreeModel.h"
#include "organisation/SquadSchedule.h"
#include "organisation/TimingLists.h"

#include <QMimeData>

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace tvp;

namespace {

// Every node is reachable from its parent and knows it.
int walk(const THeatTreeModel& tree, const QModelIndex& parent)
{
    int count = 0;
    for (int r = 0; r < tree.rowCount(parent); ++r) {
        const QModelIndex node = tree.index(r, 0, parent);
        if (tree.parent(node) != parent || !tree.info(node))
            std::abort();
        tree.getPosNo(node);
        node.data(Qt::DisplayRole);
        node.data(kTreeNodeInformationRole);
        count += 1 + walk(tree, node);
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    proto::getDisciplinParticipantsResponse1 list;
    try {
        pugi::xml_document doc;
        const pugi::xml_node body = proto::codec::loadAnswer(doc, text, 200, {});
        proto::codec::checkAnswer(body, 200, "getDisciplinParticipants");
        list = proto::codec::decodeResult<proto::getDisciplinParticipantsResponse1>(body);
    } catch (const TvpError&) {
        return 0;
    }
    THeatTreeModel tree;
    tree.setList(QStringLiteral("Disziplin"), list);
    if (walk(tree, {}) != tree.nodeCount())
        std::abort();
    const QModelIndex root = tree.rootNode();
    QModelIndexList all;
    for (int h = 0; h < tree.rowCount(root); ++h) {
        const QModelIndex heat = tree.index(h, 0, root);
        getSquadsInfo(heat, {});
        for (int p = 0; p < tree.rowCount(heat); ++p)
            all << tree.index(p, 0, heat);
    }
    std::unique_ptr<QMimeData>(tree.mimeData(all));
    buildTimingLists(tree, QStringLiteral("Disziplin"));
    tree.addEmptyHeat();
    return 0;
}
