#pragma once
// An age class with the property names competition-type paths read, for the rule language's tests,
// benchmarks and fuzz targets.

#include "setup/XMLEvaluator.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tvp::testing {

struct TestDiscipline : IPathObject {
    TestDiscipline(QString name = {}, QString kindTag = {}) : Name(std::move(name)), KindTag(std::move(kindTag)) {}
    QString Name;
    QString KindTag;
    const IPathObject* DocumentationFile = nullptr;

    TPathProperty pathProperty(QStringView name) const override
    {
        if (name == u"Name")
            return {TPathKind::Text, 0, Name, nullptr, 0};
        if (name == u"KindTag")
            return {TPathKind::Text, 0, KindTag, nullptr, 0};
        if (name == u"DocumentationFile")
            return {TPathKind::Object, 0, {}, DocumentationFile, 0};
        return {};
    }
    const IPathObject* pathItem(QStringView, qsizetype) const override { return nullptr; }
};

struct TestResEval : IPathObject {
    TestResEval(QString name = {}, QStringList excludeInputs = {})
        : Name(std::move(name)), ExcludeInputs(std::move(excludeInputs))
    {
    }
    QString Name;
    QStringList ExcludeInputs;

    TPathProperty pathProperty(QStringView name) const override
    {
        if (name == u"Name")
            return {TPathKind::Text, 0, Name, nullptr, 0};
        if (name == u"DefaultSelect")
            return {TPathKind::Unsupported, 0, {}, nullptr, 0};
        if (name == u"ExcludeInputs")
            return {TPathKind::TextArray, 0, {}, nullptr, ExcludeInputs.size()};
        return {};
    }
    const IPathObject* pathItem(QStringView, qsizetype) const override { return nullptr; }
};

struct TestAgeClass : IPathObject {
    QString Name;
    int MinTeamMembers = 0;
    std::vector<TestDiscipline> SelectedDisciplines;
    std::vector<TestResEval> SelectedResEvals;
    TestDiscipline Disciplines; // stands for the object property of that name

    TPathProperty pathProperty(QStringView name) const override
    {
        if (name == u"Name")
            return {TPathKind::Text, 0, Name, nullptr, 0};
        if (name == u"MinTeamMembers")
            return {TPathKind::Integer, MinTeamMembers, {}, nullptr, 0};
        if (name == u"SelectedDisciplinesCount")
            return {TPathKind::Integer, qint64(SelectedDisciplines.size()), {}, nullptr, 0};
        if (name == u"BillingPricePerTeam")
            return {TPathKind::Unsupported, 0, {}, nullptr, 0};
        if (name == u"Disciplines")
            return {TPathKind::Object, 0, {}, &Disciplines, 0};
        if (name == u"SelectedDisciplines")
            return {TPathKind::ObjectArray, 0, {}, nullptr, qsizetype(SelectedDisciplines.size())};
        if (name == u"SelectedResEvals")
            return {TPathKind::ObjectArray, 0, {}, nullptr, qsizetype(SelectedResEvals.size())};
        return {};
    }
    const IPathObject* pathItem(QStringView name, qsizetype index) const override
    {
        if (name == u"SelectedDisciplines")
            return &SelectedDisciplines[std::size_t(index)];
        return &SelectedResEvals[std::size_t(index)];
    }
};

} // namespace tvp::testing
