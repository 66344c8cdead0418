#include "organisation/HeatTreeModel.h"

#include "core/lists/WindowDrag.h"
#include "core/results/tvpUtils.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace tvp {

struct THeatTreeModel::Node {
    Node* parent = nullptr;
    int row = 0;
    QString text;
    TTreeNodeInformation info;
    std::vector<std::unique_ptr<Node>> children;

    Node* insert(std::size_t at, std::unique_ptr<Node> child)
    {
        child->parent = this;
        Node* raw = child.get();
        children.insert(children.begin() + std::ptrdiff_t(at), std::move(child));
        for (std::size_t i = at; i < children.size(); ++i)
            children[i]->row = int(i);
        return raw;
    }
    Node* append(std::unique_ptr<Node> child) { return insert(children.size(), std::move(child)); }
};

namespace {

const QString kHeatText = QStringLiteral("Lauf/Gruppe ");
const QString kFreePlace = QStringLiteral("FREI");

QString displayName(const QString& surName, const QString& givenName)
{
    return surName + QStringLiteral(", ") + givenName;
}

// The fields an athlete's node and a team's member nodes share with the team.
void takeTeam(TTreeNodeInformation& info, const proto::TeamType& team)
{
    info.Team = team.Name;
    info.TeamId = team.TeamID;
    info.Squad = getSquadInfoStr(team.SquadInfo.get());
    info.SquadId = team.SquadID;
}

TTreeNodeInformation athleteInfo(const proto::AthleteType& athlete, int heatNo, int laneNo)
{
    TTreeNodeInformation info;
    info.heatNo = heatNo;
    info.laneNo = laneNo;
    info.AthleteTeamId = athlete.AthleteID;
    info.AthleteTeamBarcodeId = athlete.Barcode;
    if (athlete.Name) {
        info.GivenName = athlete.Name->givenName;
        info.SurName = athlete.Name->surName;
    }
    info.Name = athlete.AthleteID == 0 ? kFreePlace : displayName(info.SurName, info.GivenName);
    if (athlete.Team)
        takeTeam(info, *athlete.Team);
    info.Bibs = athlete.Bib;
    return info;
}

} // namespace

THeatTreeModel::THeatTreeModel(QObject* parent) : QAbstractItemModel(parent), top_(std::make_unique<Node>())
{
}

THeatTreeModel::~THeatTreeModel() = default;

void THeatTreeModel::clear()
{
    beginResetModel();
    top_ = std::make_unique<Node>();
    nodeCount_ = 0;
    endResetModel();
}

void THeatTreeModel::setList(const QString& disciplineName, const proto::getDisciplinParticipantsResponse1& list)
{
    beginResetModel();
    top_ = std::make_unique<Node>();
    auto root = std::make_unique<Node>();
    root->text = disciplineName;
    top_->append(std::move(root));
    nodeCount_ = 1;

    for (const proto::HeatParticipantsType& heatEntry : list.HeatList) {
        // A heat numbered 0 gets a node of its own rather than putting its entries among the heats.
        Node* heatNode = findHeat(heatEntry.HeatNo);
        if (!heatNode)
            heatNode = insertHeat(heatEntry.HeatNo);
        int laneNo = 0;
        for (const proto::VersionedParticipantsType& entry : heatEntry.VersionedParticipants) {
            ++laneNo;
            auto node = std::make_unique<Node>();
            if (entry.Athlete) {
                node->info = athleteInfo(*entry.Athlete, heatEntry.HeatNo, laneNo);
                node->text = node->info.Name;
                if (entry.Athlete->AthleteID != 0 && entry.Athlete->Team)
                    node->text += QStringLiteral(" (") + node->info.Team + u')';
                heatNode->append(std::move(node));
                ++nodeCount_;
            } else if (entry.Team && entry.Team->Team) {
                const proto::TeamType& team = *entry.Team->Team;
                TTreeNodeInformation& info = node->info;
                info.isTeam = true;
                info.heatNo = heatEntry.HeatNo;
                info.laneNo = laneNo;
                info.AthleteTeamId = team.TeamID;
                info.AthleteTeamBarcodeId = team.Barcode;
                info.Name = team.Name;
                takeTeam(info, team);
                node->text = team.Name;
                Node* teamNode = heatNode->append(std::move(node));
                ++nodeCount_;
                for (const proto::AthleteType& athlete : entry.Team->Athletes) {
                    auto member = std::make_unique<Node>();
                    member->info = athleteInfo(athlete, heatEntry.HeatNo, laneNo);
                    member->info.subNode = true;
                    takeTeam(member->info, team);
                    member->text = member->info.Name;
                    teamNode->info.Bibs.insert(teamNode->info.Bibs.end(), athlete.Bib.begin(), athlete.Bib.end());
                    teamNode->append(std::move(member));
                    ++nodeCount_;
                }
            }
            // Neither athlete nor team: an empty place, its lane number stays unused.
        }
    }
    endResetModel();
}

THeatTreeModel::Node* THeatTreeModel::heat(int heatNo) const
{
    if (heatNo == 0)
        return top_->children.empty() ? nullptr : top_->children.front().get();
    return findHeat(heatNo);
}

THeatTreeModel::Node* THeatTreeModel::findHeat(int heatNo) const
{
    if (top_->children.empty())
        return nullptr;
    for (const auto& h : top_->children.front()->children)
        if (h->info.heatNo == heatNo)
            return h.get();
    return nullptr;
}

THeatTreeModel::Node* THeatTreeModel::insertHeat(int heatNo)
{
    Node* root = top_->children.front().get();
    std::size_t at = 0;
    while (at < root->children.size() && root->children[at]->info.heatNo < heatNo)
        ++at;
    auto node = std::make_unique<Node>();
    node->text = kHeatText + QString::number(heatNo);
    node->info.heatNo = heatNo;
    ++nodeCount_;
    return root->insert(at, std::move(node));
}

QModelIndex THeatTreeModel::addEmptyHeat()
{
    if (top_->children.empty())
        return {};
    int heatNo = 1;
    while (findHeat(heatNo))
        ++heatNo;
    Node* root = top_->children.front().get();
    std::size_t at = 0;
    while (at < root->children.size() && root->children[at]->info.heatNo < heatNo)
        ++at;
    beginInsertRows(indexOf(root), int(at), int(at));
    Node* added = insertHeat(heatNo);
    endInsertRows();
    return indexOf(added);
}

QModelIndex THeatTreeModel::rootNode() const
{
    return top_->children.empty() ? QModelIndex() : indexOf(top_->children.front().get());
}

QModelIndex THeatTreeModel::heatNode(int heatNo) const
{
    const Node* node = heat(heatNo);
    return node ? indexOf(node) : QModelIndex();
}

int THeatTreeModel::heatCount() const
{
    if (top_->children.empty())
        return 0;
    int highest = 0;
    for (const auto& h : top_->children.front()->children)
        highest = std::max(highest, h->info.heatNo);
    return highest;
}

const TTreeNodeInformation* THeatTreeModel::info(const QModelIndex& index) const
{
    const Node* node = nodeOf(index);
    return node ? &node->info : nullptr;
}

int THeatTreeModel::getHeatNo(const QModelIndex& index) const
{
    const Node* node = nodeOf(index);
    return node ? node->info.heatNo : 0;
}

// The node's own lane number rather than its count of earlier siblings: where a place is empty the
// two differ, and a drop on the participant in lane 5 must ask for lane 5.
int THeatTreeModel::getPosNo(const QModelIndex& index) const
{
    const Node* node = nodeOf(index);
    if (!node || !node->parent || node->parent == top_.get() || node->parent->parent == top_.get())
        return 0;
    return node->info.laneNo;
}

bool THeatTreeModel::isParticipant(const QModelIndex& index) const
{
    const TTreeNodeInformation* i = info(index);
    return i && i->AthleteTeamId != 0 && !i->subNode;
}

THeatTreeModel::Node* THeatTreeModel::nodeOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<Node*>(index.internalPointer());
}

QModelIndex THeatTreeModel::indexOf(const Node* node) const
{
    if (!node || node == top_.get())
        return {};
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex THeatTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const Node* p = parent.isValid() ? nodeOf(parent) : top_.get();
    if (!p || column != 0 || row < 0 || row >= int(p->children.size()))
        return {};
    return createIndex(row, 0, p->children[std::size_t(row)].get());
}

QModelIndex THeatTreeModel::parent(const QModelIndex& child) const
{
    const Node* node = nodeOf(child);
    return node ? indexOf(node->parent) : QModelIndex();
}

int THeatTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const Node* p = parent.isValid() ? nodeOf(parent) : top_.get();
    return p ? int(p->children.size()) : 0;
}

int THeatTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant THeatTreeModel::data(const QModelIndex& index, int role) const
{
    const Node* node = nodeOf(index);
    if (!node)
        return {};
    if (role == Qt::DisplayRole)
        return node->text;
    if (role == kTreeNodeInformationRole)
        return QVariant::fromValue(node->info);
    return {};
}

Qt::ItemFlags THeatTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (isParticipant(index))
        f |= Qt::ItemIsDragEnabled;
    return f;
}

QStringList THeatTreeModel::mimeTypes() const
{
    return {kIdsMimeType, kWindowDragMime};
}

QMimeData* THeatTreeModel::mimeData(const QModelIndexList& indexes) const
{
    QByteArray ids;
    QDataStream out(&ids, QIODevice::WriteOnly);
    for (const QModelIndex& index : indexes)
        if (isParticipant(index))
            out << qint32(info(index)->AthleteTeamId);
    QMimeData* data = dragSource_.isEmpty() ? new QMimeData : windowDragData(dragSource_);
    data->setData(kIdsMimeType, ids);
    return data;
}

} // namespace tvp
