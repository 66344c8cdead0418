// Template files without a server: the discipline and results export from a scoring tree written
// byte for byte as the golden files, both readers over good, foreign and broken files, the
// flattening of a read tree into nodes to create, and the import mapping's decisions.

#include "core/results/tvpUtils.h"
#include "scoring/AggregatorTreeModel.h"
#include "setup/TemplateFiles.h"
#include "tests/setup/TemplateTestData.h"
#include "tests/support/FileLimits.h"
#include "tests/support/TestUtil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

QString goldenPath(const char* name)
{
    return QStringLiteral(TVP_TEMPLATE_GOLDEN "/") + QString::fromLatin1(name);
}

QByteArray golden(const char* name)
{
    QFile f(goldenPath(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

// With TVP_UPDATE_GOLDEN set the files are written anew (then read them before committing).
QByteArray expectedGolden(const char* name, const QByteArray& written)
{
    if (qEnvironmentVariableIsSet("TVP_UPDATE_GOLDEN"))
        saveTemplateFile(goldenPath(name), written);
    return golden(name);
}

std::unique_ptr<TAggregatorTreeModel> goldenTree()
{
    const TDisciplineInfo disc = goldenDiscipline();
    auto model = std::make_unique<TAggregatorTreeModel>(
        goldenTreeRoots(), std::vector<int>{10}, [](int) { return nullptr; }, &disc);
    model->setLabelsToAggTree(goldenTreeLabels(), 0);
    return model;
}

std::vector<TDiscInterfaceNode> goldenInterfaces()
{
    // "Summe" leads into the overall scoring 30 as "Gesamt" and offers a second, new interface.
    return {{21, {{QStringLiteral("Gesamt"), 30}, {QStringLiteral("Neu"), 0}}}};
}

// A mapping whose rows rename one parameter and answer one reference.
class FixedMapping : public TAbstractParameterMapping {
public:
    QString mapParameterToAgg(const QString& name) const override
    {
        return name == QStringLiteral("Faktor Sprint") ? QStringLiteral("Faktor U10") : name;
    }
    int mapReferenceToAgg(const QString& name) const override { return name == QStringLiteral("Gesamt") ? 77 : 0; }
};

} // namespace

TEST(TemplateExport, ADisciplineIsWrittenAsTheGoldenFileWithItsInterfaceKeys)
{
    const auto tree = goldenTree();
    EXPECT_EQ(tree->getLocalUsedParams(), (QStringList{QStringLiteral("Faktor"), QStringLiteral("Streich")}))
        << "the overall scoring outside is not asked for";
    const auto request = discTemplateExport(*tree, QStringLiteral("Sprint U10"), goldenParameterRows(),
                                            goldenInterfaces(), QStringLiteral("/tmp/x.qdt"));
    EXPECT_EQ(request->document, expectedGolden("discipline.qdt", request->document));

    // Per interface: the top-level key where it leads into a node, always the output key, both at
    // the interface's position; the output keys of one node count from one start index.
    ASSERT_EQ(request->keys.size(), 3u);
    EXPECT_EQ(request->keys[0].prefix, QStringLiteral("ResultsTopLevelConnection"));
    EXPECT_EQ(request->keys[0].associatedId, 30);
    EXPECT_EQ(request->keys[1].prefix, QStringLiteral("ResultsOutputConnections"));
    EXPECT_EQ(request->keys[1].associatedId, 21);
    EXPECT_EQ(request->keys[2].position, 1);
    EXPECT_EQ(request->keys[2].value, QStringLiteral("Neu"));
    EXPECT_NE(request->keys[1].startGroup, 0);
    EXPECT_EQ(request->keys[1].startGroup, request->keys[2].startGroup);

    // A parameter that neither stays nor resolves stops the export.
    auto rows = goldenParameterRows();
    rows[1].currentValue.clear();
    try {
        (void)discTemplateExport(*tree, QStringLiteral("Sprint"), rows, {}, QStringLiteral("/tmp/x.qdt"));
        ADD_FAILURE() << "exported";
    } catch (const EParameterExportError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Globaler Parameter \"Streich\" kann nicht aufgelöst werden."));
    }
}

TEST(TemplateExport, OverallScoringsAreWrittenAsResultsOrCupTemplates)
{
    const auto tree = goldenTree();
    const TUiAggregator* sum = tree->findAggregatorById(21);
    const TUiAggregator* overall = tree->findAggregatorById(30);
    // The selection is the overall scoring alone: the export stops above the discipline's nodes.
    const auto request = resultsTemplateExport({{overall, QStringLiteral("Team-Wertung")}}, {overall}, 0,
                                               {{true, QStringLiteral("N"), QStringLiteral("3"), QStringLiteral("N")}},
                                               QStringLiteral("/tmp/x.qrt"));
    EXPECT_EQ(request->document, expectedGolden("overall.qrt", request->document));
    ASSERT_EQ(request->keys.size(), 2u);
    EXPECT_EQ(request->keys[0].prefix, QStringLiteral("ResultsTopLevelConnection"));
    EXPECT_EQ(request->keys[0].associatedId, 30);
    EXPECT_EQ(request->keys[1].prefix, QStringLiteral("ResultsOutputConnections"));
    EXPECT_EQ(request->keys[1].associatedId, 21) << "the node feeding it carries the output key";
    EXPECT_EQ(request->keys[1].value, QStringLiteral("Team-Wertung"));

    // A cup's node: "N" stays, "Streich" is resolved.
    std::vector<TExportParameterRow> cupRows = goldenParameterRows();
    cupRows.push_back({true, QStringLiteral("N"), QStringLiteral("4"), QStringLiteral("N")});
    const auto cup = resultsTemplateExport({{overall, QStringLiteral("Cup-Wertung")}, {sum, QStringLiteral("Summe")}},
                                           {overall, sum}, 4, cupRows, QStringLiteral("/tmp/x.qrt"));
    EXPECT_EQ(cup->document, expectedGolden("cup.qrt", cup->document));
    EXPECT_TRUE(cup->keys.empty()) << "a cup template names no interfaces";
}

TEST(TemplateRead, TheGoldenFilesReadBackAsWritten)
{
    const TTemplateRead<TDisciplineTemplate> disc = LoadDiscFromStream(golden("discipline.qdt"));
    ASSERT_TRUE(disc.error.isEmpty()) << disc.error.toStdString();
    ASSERT_TRUE(disc.templ.DisciplinInfo && disc.templ.params && disc.templ.aggRoot);
    EXPECT_EQ(disc.templ.DisciplinInfo->Name, QStringLiteral("Sprint U10"));
    EXPECT_EQ(disc.templ.DisciplinInfo->AgeClassID, 0);
    EXPECT_EQ(disc.templ.ExtendedInfo.resultType, ResultValueType::Time);
    EXPECT_EQ(disc.templ.ExtendedInfo.heightList, QStringLiteral("1,00;1,10"));
    EXPECT_EQ(disc.templ.ExtendedInfo.attempts, 3);
    ASSERT_EQ(disc.templ.params->Parameters.size(), 1u);
    EXPECT_EQ(disc.templ.params->Parameters[0].Name, QStringLiteral("Faktor Sprint"));
    EXPECT_EQ(disc.templ.params->Parameters[0].DefaultValue, 1.5);
    const TExportAggregatorTreeNodeType& root = *disc.templ.aggRoot;
    EXPECT_EQ(root.ID, 10) << "only the first root";
    ASSERT_EQ(root.OutputConnections.size(), 1u);
    const TExportAggregatorTreeNodeType& best = root.OutputConnections[0];
    EXPECT_EQ(best.AggregatorInfo->Parameters, std::vector<QString>{QStringLiteral("Faktor Sprint")});
    EXPECT_TRUE(best.VisAnalysis);
    const TExportAggregatorTreeNodeType& sum = best.OutputConnections.at(0);
    EXPECT_EQ(sum.AggregatorInfo->Parameters, std::vector<QString>{QStringLiteral("2")});
    EXPECT_TRUE(sum.OutputConnections.empty()) << "the outside scoring is no part of the discipline";
    ASSERT_EQ(sum.externalConnections.size(), 2u);
    EXPECT_EQ(sum.externalConnections[1].id, 2);
    EXPECT_EQ(sum.externalConnections[1].refLabel, QStringLiteral("Neu"));

    const TTemplateRead<TResultsTemplate> res = LoadResultsFromStream(golden("overall.qrt"));
    ASSERT_TRUE(res.error.isEmpty()) << res.error.toStdString();
    ASSERT_TRUE(res.templ.topLevelItems);
    ASSERT_EQ(res.templ.topLevelItems->Aggregators.size(), 1u);
    EXPECT_EQ(res.templ.topLevelItems->Aggregators[0].name, QStringLiteral("Team-Wertung"));
    EXPECT_EQ(res.templ.topLevelItems->Aggregators[0].AggregatorInfo->Parameters, std::vector<QString>{"N"});
}

TEST(TemplateRead, ForeignAndBrokenFilesSayWhatIsWrong)
{
    const QString discRoot =
        QStringLiteral("Ungültiges Format der Disziplinvorlage: \"DisciplinTemplate\"-Root-Element nicht gefunden.");
    const QString resRoot =
        QStringLiteral("Ungültiges Format der Gesamtwertungsvorlage: \"ResultsTemplate\"-Root-Element nicht gefunden.");

    // Roots of another kind or namespace: the template stays empty and the windows go on.
    const auto crossed = LoadDiscFromStream(golden("overall.qrt"));
    EXPECT_EQ(crossed.error, discRoot);
    EXPECT_FALSE(crossed.fatal);
    EXPECT_FALSE(crossed.templ.DisciplinInfo);
    QByteArray otherNs = golden("discipline.qdt");
    otherNs.replace("Pentrel/Templates", "Pentrel/Other");
    EXPECT_EQ(LoadDiscFromStream(otherNs).error, discRoot);
    const auto wrongRes = LoadResultsFromStream(golden("discipline.qdt"));
    EXPECT_EQ(wrongRes.error, resRoot);
    EXPECT_FALSE(wrongRes.fatal);
    EXPECT_FALSE(wrongRes.templ.topLevelItems || wrongRes.templ.params);

    // A cup template is refused outright.
    const auto cup = LoadResultsFromStream(golden("cup.qrt"));
    EXPECT_EQ(cup.error, QStringLiteral("Ungültiges Format der Gesamtwertungsvorlage: Import vom Cup-Vorlagen wird "
                                        "noch nicht unterstützt."));
    EXPECT_TRUE(cup.fatal);

    // Broken XML and unreadable values fail with the reason; nothing of the file is kept.
    const auto truncated = LoadDiscFromStream(golden("discipline.qdt").left(300));
    EXPECT_TRUE(truncated.fatal);
    // Cut inside "</ResultsPerRow>" on line 8: the parser stops at the end tag's name.
    EXPECT_EQ(truncated.error, QStringLiteral("Ungültiges Format der Disziplinvorlage: End-Tag fehlt oder passt nicht "
                                              "zum Start-Tag in Zeile 8, Spalte 25."));
    QByteArray badId = golden("discipline.qdt");
    badId.replace("<ID>20</ID>", "<ID>zwanzig</ID>");
    const auto bad = LoadDiscFromStream(badId);
    EXPECT_TRUE(bad.fatal);
    EXPECT_FALSE(bad.templ.aggRoot || bad.templ.DisciplinInfo);

    // Unknown elements are skipped; a file without nodes or height list still reads.
    QByteArray extra = golden("discipline.qdt");
    extra.replace("<HeightList>", "<Neu>x</Neu><HeightList>");
    extra.replace("<name>Summe</name>", "<name>Summe</name><Farbe>blau</Farbe>");
    const auto lenient = LoadDiscFromStream(extra);
    EXPECT_TRUE(lenient.error.isEmpty()) << lenient.error.toStdString();
    EXPECT_EQ(lenient.templ.aggRoot->OutputConnections[0].OutputConnections[0].name, QStringLiteral("Summe"));
    QByteArray bare = golden("discipline.qdt");
    bare.truncate(bare.indexOf("  <OutputConnections>"));
    bare.replace("  <HeightList>1,00;1,10</HeightList>\n", "");
    bare.append("</tvp:DisciplinTemplate>\n");
    const auto plain = LoadDiscFromStream(bare);
    EXPECT_TRUE(plain.error.isEmpty()) << plain.error.toStdString();
    EXPECT_FALSE(plain.templ.aggRoot);
    EXPECT_TRUE(plain.templ.ExtendedInfo.heightList.isEmpty());
}

TEST(TemplateImportMapping, ATreeFlattensIntoNodesCreatedAfterTheirFirstSource)
{
    // 1 (discipline) -> 2 -> {3, 4}; 3 -> 4: the node reached twice is created once, with both.
    TExportAggregatorTreeNodeType n4;
    n4.ID = 4;
    n4.AggregatorInfo.ensure().TemplateID = 2;
    n4.AggregatorInfo->Parameters = {QStringLiteral("0")};
    n4.externalConnections = {{1, QStringLiteral("Gesamt")}, {2, QStringLiteral("Andere")}};
    TExportAggregatorTreeNodeType n3;
    n3.ID = 3;
    n3.AggregatorInfo.ensure().TemplateID = 1;
    n3.AggregatorInfo->Parameters = {QStringLiteral("Faktor Sprint")};
    n3.name = QStringLiteral("Punkte $(Faktor Sprint) / $(2)");
    n3.VisCertificate = true;
    n3.OutputConnections = {n4};
    TExportAggregatorTreeNodeType n2;
    n2.ID = 2;
    n2.AggregatorInfo.ensure().TemplateID = 1;
    n2.AggregatorInfo->Parameters = {QStringLiteral("12.5")};
    n2.VisAnalysis = true;
    n2.OutputConnections = {n3, n4};
    TExportAggregatorTreeNodeType root;
    root.ID = 1;
    root.OutputConnections = {n2};

    std::vector<ResultAggregatorInstanceType> aggs;
    std::vector<setUiInfo> infos;
    std::vector<TExternalLink> links;
    FixedMapping().AddResAggs(aggs, 0, root, infos, QStringLiteral("U10: "), links);
    ASSERT_EQ(aggs.size(), 3u);
    EXPECT_EQ(aggs[0].ID, 2);
    EXPECT_EQ(aggs[0].ConnectedAggregators, std::vector<int>{1}) << "the discipline's id passed down";
    EXPECT_EQ(aggs[0].Parameters, std::vector<QString>{QStringLiteral("12.5")}) << "literals pass through";
    EXPECT_EQ(aggs[1].ID, 3);
    EXPECT_EQ(aggs[1].Parameters, std::vector<QString>{QStringLiteral("Faktor U10")});
    EXPECT_EQ(aggs[2].ID, 4);
    EXPECT_EQ(aggs[2].ConnectedAggregators, (std::vector<int>{3, 2})) << "first in tree order first";

    ASSERT_EQ(infos.size(), 3u);
    EXPECT_EQ(infos[0].Key, QStringLiteral("ResAgg_VisAnalysis"));
    EXPECT_EQ(infos[0].AssotiatedId, 2);
    EXPECT_EQ(infos[1].Key, QStringLiteral("Label"));
    EXPECT_EQ(infos[1].Value, QStringLiteral("U10: Punkte $(Faktor U10) / $(2)"));
    EXPECT_EQ(infos[2].Key, QStringLiteral("ResAgg_VisCertificate"));

    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].SourceID, 4);
    EXPECT_EQ(links[0].TargetId, 77);
    EXPECT_EQ(links[1].TargetId, 0);
    EXPECT_EQ(links[1].originalName, QStringLiteral("Andere"));
}

TEST(TemplateImportMapping, RowsMapToExistingParametersOrCreateNewOnes)
{
    const std::map<QString, double> competition{{QStringLiteral("Faktor"), 2.5}, {QStringLiteral("Basis"), 10}};
    TParameterMappingRows rows([&](const QString& n) { return competition.count(n) > 0; },
                               [&](const QString& n) -> std::optional<double> {
                                   auto at = competition.find(n);
                                   return at == competition.end() ? std::nullopt : std::optional(at->second);
                               });
    rows.loadParams(
        {{QStringLiteral("Faktor"), 1.5, {}}, {QStringLiteral("Neu"), 4, {}}, {QStringLiteral("Auch neu"), 5, {}}});
    ASSERT_EQ(rows.parameters().size(), 3u);
    EXPECT_EQ(TParameterMappingRows::mappingText(rows.parameters()[0].mapping), QStringLiteral("->Faktor"));
    EXPECT_EQ(rows.parameters()[0].mapping.value, 2.5) << "the competition's value, not the template's";
    EXPECT_EQ(TParameterMappingRows::mappingText(rows.parameters()[1].mapping), QStringLiteral("Neu: Neu"));
    EXPECT_EQ(rows.parameters()[1].mapping.value, 4);

    rows.mapToExisting(1, QStringLiteral("Basis"));
    EXPECT_EQ(rows.parameters()[1].mapping.value, 10);
    EXPECT_EQ(rows.mapParameterToAgg(QStringLiteral("Neu")), QStringLiteral("Basis"));
    EXPECT_EQ(rows.mapParameterToAgg(QStringLiteral("12.5")), QStringLiteral("12.5"));
    // A new name that exists already is still sent as new.
    rows.setNewName(2, QStringLiteral("Faktor"));
    rows.setValue(2, 7);
    std::vector<GlobalParametersInfoType> created;
    rows.AddNewGlobalParameters(created);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].Key, QStringLiteral("Faktor"));
    EXPECT_EQ(created[0].Value, 7);

    // References: one row per name, walking the tree; assigned ones show the node.
    const auto disc = LoadDiscFromStream(golden("discipline.qdt"));
    rows.loadReferences(disc.templ.aggRoot.get());
    ASSERT_EQ(rows.references().size(), 2u);
    EXPECT_EQ(rows.references()[0].link.SourceID, 21);
    EXPECT_EQ(TParameterMappingRows::referenceText(rows.references()[0]), QStringLiteral("-"));
    rows.assignReference(0, 30, QStringLiteral("Gesamt"));
    EXPECT_EQ(TParameterMappingRows::referenceText(rows.references()[0]), QStringLiteral("Gesamt (-30)"));
    EXPECT_EQ(rows.mapReferenceToAgg(QStringLiteral("Gesamt")), 30);
    EXPECT_EQ(rows.mapReferenceToAgg(QStringLiteral("gesamt")), 0);
}

TEST(TemplateParameters, ExportRowsAndKeyNumbers)
{
    EXPECT_EQ(exportParameterCaption(QStringLiteral("Sprint (Cup A)"), 3), QStringLiteral("Sprint"));
    EXPECT_EQ(exportParameterCaption(QStringLiteral("Sprint"), 3), QStringLiteral("Sprint"));
    EXPECT_EQ(exportParameterCaption(QStringLiteral("(x"), 3), QStringLiteral("(x"));
    EXPECT_EQ(exportParameterCaption(QStringLiteral("Sprint (Cup A)"), 0), QStringLiteral("Sprint (Cup A)"));

    QStringList unresolved;
    const auto rows = exportParameterRows(
        {QStringLiteral("Faktor"), QStringLiteral("Fehlt")},
        [](const QString& n) -> std::optional<double> {
            return n == QStringLiteral("Faktor") ? std::optional(1.25) : std::nullopt;
        },
        0, &unresolved);
    EXPECT_EQ(rows[0].currentValue, QStringLiteral("1,25"));
    EXPECT_EQ(rows[1].currentValue, QStringLiteral("0"));
    EXPECT_EQ(unresolved, QStringList{QStringLiteral("Fehlt")});
    EXPECT_EQ(resolveParameterForExport(QStringLiteral("Faktor"), rows), QStringLiteral("1.25"));
    EXPECT_TRUE(resolveParameter(QStringLiteral("faktor"), rows).isEmpty());

    const QString prefix = QStringLiteral("ResultsOutputConnections");
    EXPECT_EQ(uiInfoKeyNumber(prefix + QStringLiteral("3"), prefix), 3);
    EXPECT_EQ(uiInfoKeyNumber(prefix + QStringLiteral("X"), prefix), -1);
    EXPECT_EQ(uiInfoKeyNumber(prefix, prefix), -1);
    EXPECT_EQ(uiInfoKeyNumber(prefix + QStringLiteral("-2"), prefix), -1);
    EXPECT_EQ(uiInfoKeyNumber(prefix + QStringLiteral("99999999999"), prefix), -1) << "beyond int";
    EXPECT_EQ(uiInfoKeyNumber(QStringLiteral("resultsOutputConnections1"), prefix), -1);
}

TEST(TemplateFile, AFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Sprint.qdt"));
    saveTemplateFile(file, "alt");
    {
        const DiskFullAfter full(100);
        EXPECT_THROW(saveTemplateFile(file, golden("discipline.qdt")), TvpError);
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("alt"));
}
