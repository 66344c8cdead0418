#pragma once
// The sources of the open scoring node: one row per source with its name and origin, resolved from
// the attached tree, the window's disciplines and, for what neither knows, the server. Without
// widgets; the list view (scoring/ui) draws the rows and sends the requests.

#include "core/connection/RequestRoad.h"
#include "core/services/ScoringServices.h"

#include <QString>

#include <vector>

namespace tvp {

struct TSourceRow : TSourceListItem {
    bool updated = false;
    QString Name;
    QString TemplateName;
    QString SourceDisciplin; // the origin: "Intern", "Extern (<discipline>)", ...
};

enum class TSourceRequestType { rt_getLabels = 0, rt_getAggInfo = 1, rt_getExternalDiscs = 2 };

// The source id names no scoring node (any more).
inline constexpr int kNotAnAggregatorError = 21;

struct TSourcesRequest : TRequest {
    TSourceRequestType reqType = TSourceRequestType::rt_getLabels;
    std::vector<proto::UiInfoKey> UiKeys;
    int ID = 0;
};

struct TSourcesResponse : TResponse {
    TSourceRequestType reqType = TSourceRequestType::rt_getLabels;
    std::vector<proto::UiInfoKeyValuePair> UiValues;
    int Id = 0;
    proto::getResultAggregatorInfoResponse1 reqAggTemplate;
    std::vector<proto::DisciplinType> tlDiscs;
};

const TRequestTable<TSourcesRequest, TSourcesResponse>& sourceRequests();

class TAggregatorSources {
public:
    explicit TAggregatorSources(TDisciplineLookup disciplineLookup);

    void attach(const TAggregatorTree* tree) { tree_ = tree; }
    const TAggregatorTree* tree() const { return tree_; }

    // False when a row of that id is there already.
    bool add(int id);
    void remove(int index);
    void clear() { rows_.clear(); }
    int count() const { return int(rows_.size()); }
    // Null outside the range.
    const TSourceRow* row(int index) const;
    // The row of an id, -1 when none.
    int indexOf(int id) const;

    // What resolving needs of the server: labels of unknown sources and their disciplines.
    struct TServerWork {
        std::vector<proto::UiInfoKey> labelKeys;
        std::vector<int> externalDiscs;
    };
    // Resolves every unresolved row from the tree and the window's disciplines (only with a tree).
    TServerWork resolve();

    // A non-empty label names its row; the ids of empty ones need their template's name.
    std::vector<int> applyLabels(const std::vector<proto::UiInfoKeyValuePair>& pairs);
    void applyTemplateName(int id, const QString& name);
    // The disciplines a source draws on; those of the current competition win.
    void applyExternalDisciplines(int id, const std::vector<proto::DisciplinType>& disciplines, int competitionId);
    // The source is a discipline's own results (the server's error 21).
    void applyNotAnAggregator(int id);

    // "Name (id)", or the template's name, or "Lade... (id)"; ids without sign.
    static QString caption(const TSourceRow& row);
    // The origin, "Lade..." while unknown.
    static QString origin(const TSourceRow& row);

private:
    TSourceRow* find(int id);

    TDisciplineLookup lookup_;
    const TAggregatorTree* tree_ = nullptr;
    std::vector<TSourceRow> rows_;
};

} // namespace tvp
