// Ordering one result presentation of an age class with 12 disciplines of 12 nodes, 3 overall
// scorings fed by the disciplines, and an intermediate scoring per discipline.

#include "setup/CompSetupCert.h"

#include <benchmark/benchmark.h>

using namespace tvp;

namespace {

// Root <- 11 nodes in two branches; every node on certificates.
TTemplateNode discTree()
{
    auto make = [](int id) {
        TTemplateNode n;
        n.ID = id;
        n.name = QStringLiteral("Knoten %1").arg(id);
        n.VisCertificate = true;
        return n;
    };
    TTemplateNode root = make(1);
    for (int branch = 0; branch < 2; ++branch) {
        TTemplateNode* at = &root;
        for (int i = 0; i < (branch == 0 ? 6 : 5); ++i) {
            at->OutputConnections.push_back(make(2 + branch * 6 + i));
            at = &at->OutputConnections.back();
        }
    }
    return root;
}

struct Competition {
    std::vector<std::unique_ptr<TPresentationDiscTemplate>> discs;
    std::vector<std::unique_ptr<TPresentationResultsTemplate>> resEvals;
    std::unique_ptr<TPresentationResultsTemplate> intermediate;
    TResultEvaluationRef ref{"Gesamt 0", {{"Zwischen", nullptr}}};
    TPresentationAgeClass ageClass;

    Competition()
    {
        intermediate = std::make_unique<TPresentationResultsTemplate>();
        intermediate->DisplayName = "Zwischen";
        for (int r = 0; r < 3; ++r) {
            auto w = std::make_unique<TPresentationResultsTemplate>();
            w->DisplayName = QStringLiteral("Gesamt %1").arg(r);
            for (int i = 0; i < 4; ++i) {
                TTemplateNode n;
                n.ID = i + 1;
                n.name = QStringLiteral("Wertung %1").arg(i);
                n.VisCertificate = true;
                w->topLevelItems.push_back(n);
            }
            w->setIdMap(0, {{1, 90000 + r * 10}, {2, 90001 + r * 10}, {3, 90002 + r * 10}, {4, 90003 + r * 10}});
            ageClass.refNames[w.get()] = w->DisplayName;
            ageClass.loadedResEvals.push_back(w.get());
            resEvals.push_back(std::move(w));
        }
        intermediate->topLevelItems = resEvals[0]->topLevelItems;
        ageClass.loadedResEvals.push_back(intermediate.get());
        ageClass.resEvalRefs[resEvals[0].get()] = &ref;
        for (int d = 0; d < 12; ++d) {
            auto w = std::make_unique<TPresentationDiscTemplate>();
            w->DisplayName = QStringLiteral("Disziplin %1").arg(d);
            w->GivenID = 1000 + d;
            w->aggRoot = discTree();
            std::map<int, int> ids;
            for (int i = 1; i <= 12; ++i)
                ids[i] = d * 100 + i;
            w->setIdMap(0, ids);
            intermediate->setIdMap(w->GivenID, {{1, 50000 + d}, {2, 51000 + d}, {3, 52000 + d}, {4, 53000 + d}});
            for (int r = 0; r < 3; ++r) {
                w->connections.setPrioForID(7, &resEvals[r]->getCertPriority(0));
                w->connections.setPrioForID(12 - r, &resEvals[r]->getCertPriority(0));
            }
            ageClass.refNames[w.get()] = w->DisplayName;
            discs.push_back(std::move(w));
        }
        TResultPresentationDef pres{"Urkunde", 5, {}};
        pres.Priorities.push_back({"1", "2", {{TWrapperKind::Results, "Gesamt 1", {}}}});
        pres.Priorities.push_back({"-1", "", {{TWrapperKind::Discipline, "*", {"Knoten 3"}}}});
        pres.Priorities.push_back({"9", "1", {{TWrapperKind::Discipline, "Disziplin 4", {}}}});
        ageClass.presentations.push_back(pres);
    }
};

void BM_OrderPresentation(benchmark::State& state)
{
    Competition c;
    std::vector<TPresentationDiscTemplate*> discs;
    for (auto& d : c.discs)
        discs.push_back(d.get());
    std::vector<TPresentationResultsTemplate*> resEvals;
    for (auto& r : c.resEvals)
        resEvals.push_back(r.get());
    size_t listed = 0;
    for (auto _ : state) {
        auto out = makeResultPresentations(c.ageClass, discs, resEvals);
        listed = out.at(0).collection.AggIds.size() + out.at(0).sortIds.size();
        benchmark::DoNotOptimize(out);
    }
    state.counters["ids"] = double(listed);
}
BENCHMARK(BM_OrderPresentation)->Unit(benchmark::kMicrosecond);

} // namespace
