// A discipline's scoring tree as a server may send it, with the labels that follow: two SOAP
// answers separated by a line "--" (getResultAggregatorTree, then getUiInfos). Nodes that repeat,
// nest under themselves or feed each other must still give a finite layout, kinds, box texts and
// walks. Expected refusals of the answers are TvpErrors; anything else is a finding.

#include "core/protocol/SoapCodec.h"
#include "organisation/DisciplinRequests.h"
#include "scoring/AggregatorTreeModel.h"

#include <cstdint>
#include <string_view>

using namespace tvp;

namespace {

template <class Result>
Result read(std::string_view text, std::string_view operation)
{
    pugi::xml_document doc;
    const pugi::xml_node body = proto::codec::loadAnswer(doc, text, 200, {});
    proto::codec::checkAnswer(body, 200, operation);
    return proto::codec::decodeResult<Result>(body);
}

const std::vector<proto::ResultAggregatorTemplateType>& templates()
{
    static const std::vector<proto::ResultAggregatorTemplateType> t = [] {
        std::vector<proto::ResultAggregatorTemplateType> out(2);
        out[0].ID = 1;
        out[0].Name = QStringLiteral("Bester Versuch");
        out[0].ParameterTypes.resize(1);
        out[1].ID = 4;
        out[1].Name = QStringLiteral("Punkte nach Tabelle");
        out[1].ParameterTypes.resize(3);
        return out;
    }();
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find("\n--\n");
    try {
        const auto roots =
            read<proto::getResultAggregatorTreeResponse1>(input.substr(0, cut), "getResultAggregatorTree");
        proto::getUiInfosResponse1 labels;
        if (cut != std::string_view::npos)
            labels = read<proto::getUiInfosResponse1>(input.substr(cut + 4), "getUiInfos");

        TDisciplineInfo disc;
        disc.id = roots.empty() ? 0 : roots.front().ID;
        TAggregatorTreeModel tree(
            roots, {disc.id},
            [](int id) -> const proto::ResultAggregatorTemplateType* {
                for (const auto& t : templates())
                    if (t.ID == id)
                        return &t;
                return nullptr;
            },
            &disc,
            [](const QString& name, int) -> std::optional<double> {
                return name.size() == 1 ? std::optional<double>(name.at(0).unicode()) : std::nullopt;
            });
        tree.setLabelsToAggTree(labels, disc.id);
        (void)tree.lines();
        (void)tree.extent();
        (void)aggregatorLabelKeys(tree);
        for (int i = 0; i < tree.getAggregatorCount(); ++i) {
            TAggregatorNode* n = tree.node(i);
            (void)n->getType();
            (void)n->getParents();
            (void)n->boxLines();
            (void)n->getDisplayName();
            (void)n->getParsedName();
            std::vector<TUiAggregator*> list;
            selectRecursive(n, list, TSelectType::st_SingleConnection);
            std::vector<TUiAggregator*> start;
            getExportConnections(n, start, TSelectType::st_ResEval);
            for (TUiAggregator* s : start)
                selectRecursive(s, list, TSelectType::st_Cup);
        }
    } catch (const TvpError&) {
    }
    return 0;
}
