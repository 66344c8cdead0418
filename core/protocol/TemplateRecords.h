#pragma once
// The records of template files (.qdt, .qrt): scoring subtrees, their parameters and named
// references, written and read by the protocol codec like any other record.

#include "core/protocol/ParticipantRecords.h"
#include "core/protocol/ScoringRecords.h"

#include <QString>

#include <vector>

namespace tvp::proto {

// The namespace of the templates' root elements; files of other namespaces are not ours.
inline constexpr const char* kTemplateNamespace = "http://trivanta.example/Trivanta/Pentrel/Templates";

// The result format of a discipline template, by its identifier (order as the client's format).
TVP_ENUM(TemplateResultFormat, rf_Default, rf_Points, rf_Unknown, rf_Height, rf_TargetPoints, rf_TargetPointCollection)

// A connection of an exported node to a node outside the export, numbered within one file.
struct TExternalReference {
    int id = 0;
    QString refLabel;
    TVP_FIELDS(TExternalReference, TVP_F(id), TVP_F(refLabel))
};

// An exported scoring node: the tree node's fields (its children exported too), its label and
// marks, and its references to nodes outside the export.
struct TExportAggregatorTreeNodeType {
    int ID = 0;
    Owned<ResultAggregatorInstanceType> AggregatorInfo;
    std::vector<TExportAggregatorTreeNodeType> OutputConnections;
    QString name;
    bool VisAnalysis = false;
    bool VisCertificate = false;
    std::vector<TExternalReference> externalConnections;
    TVP_FIELDS(TExportAggregatorTreeNodeType, TVP_F(ID), TVP_F(AggregatorInfo), TVP_F(OutputConnections), TVP_F(name),
               TVP_F(VisAnalysis), TVP_F(VisCertificate), TVP_F(externalConnections))
};

// A global parameter kept as a parameter in a template. OriginalName is the competition's name
// for it and never written.
struct TExportGlobalParameter {
    QString Name;
    double DefaultValue = 0;
    QString OriginalName;
    TVP_FIELDS(TExportGlobalParameter, TVP_F(Name), TVP_F(DefaultValue))
};

struct TExportParameters {
    std::vector<TExportGlobalParameter> Parameters;
    TVP_FIELDS(TExportParameters, TVP_F(Parameters))
};

// The top-level nodes of a results template.
struct TExportAggregators {
    std::vector<TExportAggregatorTreeNodeType> Aggregators;
    TVP_FIELDS(TExportAggregators, TVP_F(Aggregators))
};

} // namespace tvp::proto
