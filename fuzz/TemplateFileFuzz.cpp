// Any bytes as a discipline template and as a results template; every tree read is flattened into
// the nodes an import would create. The readers report bad files as text and never throw.

#include "setup/TemplateFiles.h"

#include <cstddef>
#include <cstdint>

namespace {

void flatten(const tvp::TAbstractParameterMapping& mapping, const tvp::proto::TExportAggregatorTreeNodeType& node)
{
    std::vector<tvp::proto::ResultAggregatorInstanceType> aggs;
    std::vector<tvp::proto::setUiInfo> infos;
    std::vector<tvp::TExternalLink> links;
    mapping.AddResAggs(aggs, 0, node, infos, QStringLiteral("F: "), links);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const tvp::TTemplateRead<tvp::TDisciplineTemplate> disc = tvp::LoadDiscFromStream(bytes);
    tvp::TParameterMappingRows rows([](const QString& name) { return name.size() % 2 == 0; },
                                    [](const QString& name) -> std::optional<double> { return name.size(); });
    if (disc.templ.params)
        rows.loadParams(disc.templ.params->Parameters);
    rows.loadReferences(disc.templ.aggRoot.get());
    if (disc.templ.aggRoot)
        flatten(rows, *disc.templ.aggRoot);

    const tvp::TTemplateRead<tvp::TResultsTemplate> res = tvp::LoadResultsFromStream(bytes);
    if (res.templ.topLevelItems)
        for (const auto& node : res.templ.topLevelItems->Aggregators)
            flatten(rows, node);
    return 0;
}
