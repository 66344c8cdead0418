// The shipped sample competition types and the files they name: every digest names a shipped file
// of the right kind (and the build copies them all into the program folder), both types read with
// their age classes, metadata and options, their rules evaluate per age class, the templates and
// PDFs read, and each age class, all its templates chosen, is created on the stand-in with the
// type's own parameters, none made up on the way.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/results/tvpUtils.h"
#include "setup/CompetitionTypeSections.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/RoadRun.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <map>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <set>

namespace tvp {
namespace {

const QString kSource = QStringLiteral(TVP_SOURCE_DIR);
const QString kProgram = QStringLiteral(TVP_PROGRAM_DIR);

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

QStringList filesOf(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

// Shipped template files and PDFs by digest: their file names.
std::map<QString, QString> shippedByHash()
{
    std::map<QString, QString> files;
    const QString templates = kSource + QStringLiteral("/Templates");
    for (const QString& name :
         filesOf(templates, QStringLiteral("*.q?t")) + filesOf(templates, QStringLiteral("*.pdf")))
        files[secureHashOf(bytesOf(templates + QLatin1Char('/') + name))] = name;
    return files;
}

std::unique_ptr<TCompetitionType> sample(const char* name)
{
    return TCompetitionType::fromFile(kSource + QStringLiteral("/CompetitionTypes/") + QLatin1String(name));
}

// Every element of the document with a digest, in both branches of every switch.
void collectHashed(pugi::xml_node node, std::vector<pugi::xml_node>& out)
{
    for (pugi::xml_node child : node.children()) {
        if (child.attribute("hashValue"))
            out.push_back(child);
        collectHashed(child, out);
    }
}

std::vector<TXMLConditionalNode> childrenNamed(const TXMLConditionalNode& node, const char* name)
{
    std::vector<TXMLConditionalNode> out;
    for (const TXMLConditionalNode& c : node.childNodes())
        if (c.localName() == QLatin1String(name))
            out.push_back(c);
    return out;
}

// The file a reference of the age class's view names.
QString referencedFile(const TXMLConditionalNode& ref)
{
    static const std::map<QString, QString> shipped = shippedByHash();
    const auto it = shipped.find(ref.attribute(QStringLiteral("hashValue")).value_or(QString()));
    return it == shipped.end() ? QString() : kSource + QStringLiteral("/Templates/") + it->second;
}

struct AgeClassSections {
    QStringList disciplines; // templateName of each reference, in order
    QStringList resultEvals;
    QStringList unmatched; // references naming no shipped file
    QStringList presentations;
};

AgeClassSections readSections(CTT_AgeClassType& ageClass)
{
    AgeClassSections out;
    const TXMLConditionalNode& root = ageClass.view();
    const auto references = [&](const char* section, const char* element, const char* kind, QStringList& names) {
        for (const TXMLConditionalNode& ref : childrenNamed(root.childNode(QLatin1String(section)), element)) {
            names << *ref.attribute(QStringLiteral("templateName"));
            if (!referencedFile(ref).endsWith(QLatin1String(kind)))
                out.unmatched << names.back();
        }
    };
    references("Disciplines", "Discipline", ".qdt", out.disciplines);
    references("ResultEvaluation", "ResultTemplate", ".qrt", out.resultEvals);
    for (const TXMLConditionalNode& p :
         childrenNamed(root.childNode(QStringLiteral("ResultPresentations")), "ResultPresentation"))
        out.presentations << p.childNode(QStringLiteral("Name")).text();
    return out;
}

struct CreateRequest : TRequest {
    CTT_AgeClassType* ageClass = nullptr;
    int competitionId = 0;
};
struct CreateResponse : TResponse {
    std::vector<TReplacedParameter> replaced;
};

void createOnWorker(TServicePorts& ports, const CreateRequest& request, CreateResponse& response)
{
    (void)request.ageClass->createAgeClass(request.competitionId, ports, 20, &response.replaced);
}

const TRequestTable<CreateRequest, CreateResponse>& createTable()
{
    static const TRequestTable<CreateRequest, CreateResponse> table{
        {{0, QStringLiteral("Veranstaltung anlegen"), &createOnWorker}}};
    return table;
}

template <class Wrapper>
std::vector<std::shared_ptr<TAbstractTemplateWrapper>> asAbstract(const std::vector<std::shared_ptr<Wrapper>>& list)
{
    return {list.begin(), list.end()};
}

} // namespace

TEST(SampleFiles, EveryDigestOfEveryTypeNamesAShippedFileOfItsKind)
{
    const std::map<QString, QString> shipped = shippedByHash();
    const QStringList types = filesOf(kSource + QStringLiteral("/CompetitionTypes"), QStringLiteral("*.qct"));
    ASSERT_EQ(types, (QStringList{QStringLiteral("Beispiel-Stationen-Sportfest.qct"),
                                  QStringLiteral("Beispiel-Team-Mehrkampf.qct")}));
    const std::map<QString, QString> kinds{{QStringLiteral("Discipline"), QStringLiteral(".qdt")},
                                           {QStringLiteral("ResultTemplate"), QStringLiteral(".qrt")},
                                           {QStringLiteral("Documentation"), QStringLiteral(".pdf")}};
    std::set<QString> named;
    for (const QString& name : types) {
        SCOPED_TRACE(name.toStdString());
        pugi::xml_document doc;
        const QByteArray bytes = bytesOf(kSource + QStringLiteral("/CompetitionTypes/") + name);
        ASSERT_TRUE(doc.load_buffer(bytes.constData(), std::size_t(bytes.size())));
        std::vector<pugi::xml_node> refs;
        collectHashed(doc.document_element(), refs);
        EXPECT_FALSE(refs.empty());
        for (pugi::xml_node ref : refs) {
            const QString hash = QString::fromUtf8(ref.attribute("hashValue").value());
            SCOPED_TRACE(hash.toStdString());
            EXPECT_STREQ(ref.attribute("hashAlgorithm").value(), "SHA1");
            const auto file = shipped.find(hash);
            ASSERT_NE(file, shipped.end()) << "no shipped file has this digest";
            ASSERT_TRUE(kinds.contains(QString::fromUtf8(ref.name()))) << ref.name();
            EXPECT_TRUE(file->second.endsWith(kinds.at(QString::fromUtf8(ref.name())))) << file->second.toStdString();
            named.insert(file->second);
        }
    }
    // Nothing shipped is left over from an earlier generation.
    for (const auto& [hash, file] : shipped)
        EXPECT_TRUE(named.contains(file)) << file.toStdString() << " is named by no type";

    // The build puts the same bytes into the program folder.
    for (const QString& name : types)
        EXPECT_EQ(bytesOf(kProgram + QStringLiteral("/CompetitionTypes/") + name),
                  bytesOf(kSource + QStringLiteral("/CompetitionTypes/") + name));
    for (const auto& [hash, file] : shipped)
        EXPECT_EQ(secureHashOf(bytesOf(kProgram + QStringLiteral("/Templates/") + file)), hash) << file.toStdString();
}

TEST(SampleFiles, BothTypesReadWithTheirAgeClassesMetadataAndOptions)
{
    const std::vector<TCompetitionTypeEntry> listed =
        listCompetitionTypes(kSource + QStringLiteral("/CompetitionTypes"));
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].displayName, QStringLiteral("Beispiel: Stationen-Sportfest")) << listed[0].error.toStdString();
    EXPECT_EQ(listed[1].displayName, QStringLiteral("Beispiel: Team-Mehrkampf U8 bis U12"))
        << listed[1].error.toStdString();

    const auto multi = sample("Beispiel-Team-Mehrkampf.qct");
    CTT_AgeClasses& classes = multi->AgeClasses();
    EXPECT_TRUE(classes.isExclusive());
    EXPECT_EQ(classes.getDefaultTeamStartFee(), 20.0);
    EXPECT_EQ(classes.getDefaultAthStartFee(), 2.5);
    ASSERT_EQ(classes.getAgeClassCount(), 3);
    const CTT_AgeClassType& u8 = classes.getAgeClass(0);
    const CTT_AgeClassType& u12 = classes.getAgeClass(2);
    EXPECT_EQ(u8.Name, QStringLiteral("U8"));
    EXPECT_EQ(classes.getAgeClass(1).Name, QStringLiteral("U10"));
    EXPECT_EQ(u12.Name, QStringLiteral("U12"));
    EXPECT_EQ(u8.MinTeamMembers, 6);
    EXPECT_EQ(u8.MaxTeamMembers, 11);
    EXPECT_EQ(u8.MinMembersPerGender, 1) << "mixed teams";
    EXPECT_EQ(u8.YoungerAge, QStringLiteral("6"));
    EXPECT_EQ(u12.MinMembersPerGender, 2);
    EXPECT_EQ(u12.MaleMembersLessThan, 9);
    EXPECT_EQ(u12.FemaleMembersLessThan, 9);
    EXPECT_EQ(u12.OlderAge, QStringLiteral("11"));

    std::set<TMetaDataDataType> types;
    for (const CTT_MetaDataItem& item : multi->MetaData()) {
        types.insert(item.dataType);
        EXPECT_FALSE(item.ID.contains(QLatin1Char('_'))) << "the stored key ends the ID at the first _";
    }
    EXPECT_EQ(types.size(), 5u) << "every kind of field";
    ASSERT_FALSE(multi->MetaData().empty());
    EXPECT_TRUE(multi->MetaData().front().IsMandatoryField);
    const CTT_Options& options = multi->Options();
    EXPECT_TRUE(options.EnableCopyDiscFeature && options.CopyDiscFeatureDefaultEnabled &&
                options.CreateDocumentationOption);

    const auto festival = sample("Beispiel-Stationen-Sportfest.qct");
    EXPECT_FALSE(festival->AgeClasses().isExclusive());
    ASSERT_EQ(festival->AgeClasses().getAgeClassCount(), 1);
    EXPECT_EQ(festival->AgeClasses().getAgeClass(0).Name, QStringLiteral("U10"));
    EXPECT_EQ(festival->AgeClasses().getDefaultTeamStartFee(), 10.0);
    EXPECT_EQ(festival->AgeClasses().AthStartFeeDefault(), QString());
    EXPECT_EQ(festival->MetaData().size(), 2u);
    EXPECT_TRUE(festival->Options().EnableCopyDiscFeature);
    EXPECT_FALSE(festival->Options().CreateDocumentationOption);
}

TEST(SampleFiles, EachAgeClassSeesItsOwnTemplatesAndRules)
{
    const auto multi = sample("Beispiel-Team-Mehrkampf.qct");
    const QStringList throws{QStringLiteral("Ballwurf"), QStringLiteral("Ballwurf"), QStringLiteral("Drehwurf")};
    for (int i = 0; i < 3; ++i) {
        CTT_AgeClassType& ageClass = multi->AgeClasses().getAgeClass(i);
        SCOPED_TRACE(ageClass.Name.toStdString());
        const AgeClassSections s = readSections(ageClass);
        EXPECT_EQ(s.disciplines, (QStringList{QStringLiteral("Sprint"), QStringLiteral("Weitsprung"), throws[i],
                                              QStringLiteral("Staffel")}));
        EXPECT_EQ(s.resultEvals,
                  (QStringList{QStringLiteral("Mannschaftswertung"), QStringLiteral("Disziplinwertung")}));
        EXPECT_TRUE(s.unmatched.isEmpty()) << s.unmatched.join(u',').toStdString();
        EXPECT_EQ(s.presentations, QStringList{QStringLiteral("Urkunden ") + ageClass.Name});

        // Nothing chosen yet: the disciplines' count rule is broken and the relay warning shows.
        std::vector<TConstraintExpression> rules;
        for (const TXMLConditionalNode& c : childrenNamed(
                 ageClass.view().childNode(QStringLiteral("Disciplines")).childNode(QStringLiteral("Constraints")),
                 "constraint"))
            rules.emplace_back(c);
        ASSERT_EQ(rules.size(), 2u);
        EXPECT_EQ(rules[0].failType(), TConstraintExpression::incompliant);
        EXPECT_FALSE(rules[0].isFullfilled());
        EXPECT_TRUE(rules[0].getFailMessage().contains(ageClass.Name));
        EXPECT_EQ(rules[1].failType(), TConstraintExpression::warn);
        EXPECT_TRUE(rules[1].hasWarning());
    }

    const auto festival = sample("Beispiel-Stationen-Sportfest.qct");
    const AgeClassSections s = readSections(festival->AgeClasses().getAgeClass(0));
    EXPECT_EQ(s.disciplines,
              (QStringList{QStringLiteral("Zielwurf"), QStringLiteral("Seilspringen"), QStringLiteral("Sternlauf")}));
    EXPECT_EQ(s.resultEvals, QStringList{QStringLiteral("Stationen-Teamwertung")});
    EXPECT_TRUE(s.unmatched.isEmpty()) << s.unmatched.join(u',').toStdString();
    // An age class the organiser adds gets the same stations.
    CTT_AgeClassType added(festival->root(), QStringLiteral("U12"));
    EXPECT_EQ(readSections(added).disciplines.size(), 3);
}

TEST(SampleFiles, EveryShippedTemplateAndDocumentationPageReads)
{
    const QString templates = kSource + QStringLiteral("/Templates");
    std::set<QString> disciplineNames;
    for (const QString& name : filesOf(templates, QStringLiteral("*.qdt"))) {
        SCOPED_TRACE(name.toStdString());
        try {
            const TDisciplineTemplateWrapper wrapper(templates + QLatin1Char('/') + name);
            // The references and the intermediate scoring find them by these names.
            EXPECT_EQ(wrapper.getDisplayName() + QStringLiteral(".qdt"), name);
            EXPECT_TRUE(bool(wrapper.templ().aggRoot));
            disciplineNames.insert(wrapper.getDisplayName());
        } catch (const TvpError& e) {
            ADD_FAILURE() << e.message().toStdString();
        }
    }
    EXPECT_EQ(disciplineNames.size(), 8u);
    QStringList results;
    for (const QString& name : filesOf(templates, QStringLiteral("*.qrt"))) {
        SCOPED_TRACE(name.toStdString());
        try {
            const TResEvalTemplateWrapper wrapper(templates + QLatin1Char('/') + name);
            ASSERT_TRUE(wrapper.templ().topLevelItems);
            EXPECT_EQ(wrapper.templ().topLevelItems->Aggregators.size(), 1u);
            results << wrapper.getDisplayName();
        } catch (const TvpError& e) {
            ADD_FAILURE() << e.message().toStdString();
        }
    }
    EXPECT_EQ(results, (QStringList{QStringLiteral("Disziplinwertung"), QStringLiteral("Mannschaftswertung"),
                                    QStringLiteral("Stationen-Teamwertung")}));

    // One page per discipline, its title as text.
    const QStringList pdfs = filesOf(templates, QStringLiteral("*.pdf"));
    EXPECT_EQ(pdfs.size(), 5);
    for (const QString& name : pdfs) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = bytesOf(templates + QLatin1Char('/') + name);
        QPDF pdf;
        pdf.processMemoryFile(name.toStdString().c_str(), bytes.constData(), std::size_t(bytes.size()));
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        ASSERT_EQ(pages.size(), 1u);
        const QString title = name.chopped(4);
        EXPECT_TRUE(disciplineNames.contains(title));
        const auto content = pages[0].getObjectHandle().getKey("/Contents").getStreamData();
        const std::string text(reinterpret_cast<const char*>(content->getBuffer()), content->getSize());
        EXPECT_NE(text.find("(" + title.toStdString() + ") Tj"), std::string::npos);
    }
}

using SampleFilesOnStandin = test::StandinTest;

// As the wizard's tabs offer them: every template a type lists is found, every discipline offered
// is chosen and the overall scorings selected by default; each age class is then created as the
// competition creation does it.
TEST_F(SampleFilesOnStandin, EveryAgeClassIsCreatedWithTheTypesOwnParameters)
{
    InitComm();
    standin.start();
    competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
    const std::unique_ptr<test::StandinClient> client = standin.newClient();
    const QString templates = kSource + QStringLiteral("/Templates");
    const TTemplateFolder<TDisciplineTemplateWrapper> discFiles = loadDisciplineTemplates(templates);
    const TTemplateFolder<TResEvalTemplateWrapper> resFiles = loadResEvalTemplates(templates);
    EXPECT_TRUE(discFiles.errors.isEmpty() && resFiles.errors.isEmpty());

    const auto multi = sample("Beispiel-Team-Mehrkampf.qct");
    const auto festival = sample("Beispiel-Stationen-Sportfest.qct");
    std::vector<std::pair<TCompetitionType*, CTT_AgeClassType*>> ageClasses;
    for (int i = 0; i < 3; ++i)
        ageClasses.emplace_back(multi.get(), &multi->AgeClasses().getAgeClass(i));
    ageClasses.emplace_back(festival.get(), &festival->AgeClasses().getAgeClass(0));
    for (const auto& [type, ageClass] : ageClasses) {
        const QString name = type->DisplayName() + QLatin1Char(' ') + ageClass->Name;
        SCOPED_TRACE(name.toStdString());
        const TTemplateFilterResult discs =
            filterTemplates(*ageClass, TTemplateKind::Discipline, asAbstract(discFiles.templates),
                            TTemplateFilter::Recommended, type->DisplayName(), templates);
        EXPECT_TRUE(discs.missing.isEmpty()) << discs.missing.join(u'\n').toStdString();
        for (const TTemplateRow& row : discs.rows)
            ageClass->getDisciplineSelectionState().select(row.templ->SecureHash(), row.templ->HashAlgorithm());
        applySelection(*ageClass, TTemplateKind::Discipline, discs.rows);
        const TTemplateFilterResult evals =
            filterTemplates(*ageClass, TTemplateKind::ResultEvaluation, asAbstract(resFiles.templates),
                            TTemplateFilter::Recommended, type->DisplayName(), templates);
        EXPECT_TRUE(evals.missing.isEmpty()) << evals.missing.join(u'\n').toStdString();
        for (const TTemplateRow& row : evals.rows) {
            ageClass->addResEval(std::static_pointer_cast<TResEvalTemplateWrapper>(row.templ));
            if (static_cast<CTT_ResultEvaluationType*>(row.reference)->DefaultSelect)
                ageClass->getResEvalSelectionState().select(row.templ->SecureHash(), row.templ->HashAlgorithm());
        }
        applySelection(*ageClass, TTemplateKind::ResultEvaluation, evals.rows);
        ASSERT_EQ(ageClass->getSelectedResEvals().size(), 1u);

        // All chosen: no rule of the type applies any more.
        QStringList errors;
        EXPECT_TRUE(ageClassMessages(*ageClass, TTemplateKind::Discipline, name, &errors).empty());
        EXPECT_TRUE(ageClassMessages(*ageClass, TTemplateKind::ResultEvaluation, name, &errors).empty());
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();

        // The competition's own parameters come first, as the creation makes them.
        const int competition = client->create(name);
        for (const CTT_GlobalParameter& p : type->AgeClasses().Section().GlobalParameters())
            p.CreateGlobalParameter(competition, *client->cms());
        TCurrentCompetition current;
        TRequestContext context{current};
        auto request = std::make_unique<CreateRequest>();
        request->ageClass = ageClass;
        request->competitionId = competition;
        const auto [response, outcome] =
            test::runOnRoad(context, createTable(), std::move(request), TTransactionMode::tm_readwrite);
        ASSERT_TRUE(response);
        ASSERT_TRUE(outcome.ok()) << outcome.error.toStdString();
        for (const TReplacedParameter& r : response->replaced)
            ADD_FAILURE() << "made up: " << r.ParamName.toStdString();

        const std::vector<proto::DisciplinType> created = client->drs()->getDisciplines(competition, nullptr, 0);
        ASSERT_EQ(created.size(), discs.rows.size());
        EXPECT_EQ(created[0].Name, discs.rows[0].templ->getDisplayName() + QLatin1Char(' ') + ageClass->Name);
        // Through the points and team points, the discipline feeds a ranking of teams.
        const std::vector<proto::AggregatorTreeNodeType> roots = client->drs()->getResultAggregatorTree(0, competition);
        ASSERT_FALSE(roots.empty());
        const proto::AggregatorTreeNodeType* top = &roots.front();
        while (!top->OutputConnections.empty())
            top = &top->OutputConnections.front();
        ASSERT_TRUE(top->AggregatorInfo && top->AggregatorInfo->ResultTableType);
        EXPECT_EQ(top->AggregatorInfo->TemplateID, 3);
        EXPECT_TRUE(top->AggregatorInfo->ResultTableType->Team);
        const std::vector<proto::aggregatorCollectionType> collections =
            proto::GetUiRetrievalPortType(false, QString::fromStdString(client->url("UiRetrievalService")),
                                          &client->rio)
                ->getAggregatorCollection(competition, 0);
        ASSERT_EQ(collections.size(), 1u);
        EXPECT_EQ(collections[0].Name, QStringLiteral("Urkunden ") + ageClass->Name);
        EXPECT_FALSE(collections[0].AggIds.empty());

        // Hits and jumps are counted: grid, lists and certificates show points, not metres.
        for (const proto::DisciplinType& d : created) {
            const bool counted =
                d.Name.startsWith(QStringLiteral("Zielwurf")) || d.Name.startsWith(QStringLiteral("Seilspringen"));
            const TResultformat format = uiInfoStringToResultFormat(
                client->drs()->getUiInfo(QStringLiteral("Disciplin_ResultFormat"), d.DisciplinID).Value);
            EXPECT_EQ(format, counted ? TResultformat::rf_Points : TResultformat::rf_Default) << d.Name.toStdString();
            if (counted) {
                EXPECT_EQ(GetResultUnit(proto::ResultValueType::Distance, format), QStringLiteral("Punkte"));
                proto::ResultType seven;
                seven.Type_ = proto::ResultValueType::Distance;
                seven.DistanceInMeter = 7;
                EXPECT_EQ(ResultToString(seven, format, QString()), QStringLiteral("7,00Pkt"));
            }
        }
    }
}

} // namespace tvp
