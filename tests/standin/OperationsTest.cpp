#include "core/protocol/SoapServer.h"
#include "tests/support/StandinHarness.h"

#include <QRegularExpression>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

class StandinCompetitions : public StandinTest {};
class StandinUiInfos : public StandinTest {};
class StandinServerTexts : public StandinTest {};
class StandinBadRequests : public StandinTest {};
class StandinPersistence : public StandinTest {};

getUiInfosResponse1 getUiInfos(StandinClient& c, const std::vector<UiInfoKey>& keys)
{
    return c.drs()->getUiInfos(keys);
}

// Throws what the client raises for a fault answer.
void readFault(const std::string& text)
{
    pugi::xml_document doc;
    doc.load_string(text.c_str());
    const pugi::xml_node body = codec::bodyElement(doc);
    if (std::string_view(codec::localName(body)) == "Fault")
        codec::throwFault(body);
}

// A request as text, for requests the client would never send.
std::string envelope(const std::string& name, const std::string& args, std::string_view ns = wire::kMainNs)
{
    return R"(<?xml version="1.0"?><e:Envelope xmlns:e="http://schemas.xmlsoap.org/soap/envelope/"><e:Body>)"
           "<t:" +
           name + " xmlns:t=\"" + std::string(ns) + "\">" + args + "</t:" + name + "></e:Body></e:Envelope>";
}

// The text of a fault answer; empty for any other answer.
QString faultText(const std::string& answer)
{
    try {
        readFault(answer);
    } catch (const TvpError& e) {
        return e.message();
    }
    return {};
}

std::vector<std::pair<QString, QString>> pairs(const getUiInfosResponse1& r)
{
    std::vector<std::pair<QString, QString>> out;
    for (const UiInfoKeyValuePair& p : r)
        out.emplace_back(QStringLiteral("%1@%2").arg(p.Key->Key).arg(p.Key->AssotiatedId), p.Value);
    return out;
}

TEST_F(StandinCompetitions, CreateListModifyRemove)
{
    standin.start();
    StandinClient c = standin.client();
    CompetitionInfoType info;
    info.Name = QStringLiteral("Kinderleichtathletik Süd");
    info.Date = QDate(2026, 5, 3);
    const createCompetitionResponse1 created = c.cms()->createCompetition(info);
    ASSERT_TRUE(created.Competition);
    EXPECT_EQ(created.Competition->Name, info.Name);
    EXPECT_EQ(created.Competition->Date, info.Date);
    const int first = created.Competition->ID;
    const int second = c.create(QStringLiteral("Ohne Datum"));
    EXPECT_GT(second, first);

    getCompetitionsResponse1 all = c.drs()->getCompetitions();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], *created.Competition);
    EXPECT_EQ(all[1].ID, second);
    EXPECT_FALSE(all[1].Date);

    CompetitionInfoType changed;
    changed.Name = QStringLiteral("Umbenannt");
    changed.Date = QDate(2026, 6, 1);
    c.cms()->modifyCompetition(second, changed);
    all = c.drs()->getCompetitions();
    EXPECT_EQ(all[1].Name, changed.Name);
    EXPECT_EQ(all[1].Date, changed.Date);

    c.cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("weg"), first);
    c.cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("bleibt"), second);
    c.cms()->removeCompetition(first);
    all = c.drs()->getCompetitions();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].ID, second);
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Label"), first).Value, QString());
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Label"), second).Value, QStringLiteral("bleibt"));

    // Ids are never handed out twice, even after a removal.
    EXPECT_GT(c.create(QStringLiteral("Neu")), second);
}

TEST_F(StandinCompetitions, NameInUseAndUnknownIdAreRefused)
{
    standin.start();
    StandinClient c = standin.client();
    const int id = c.create(QStringLiteral("Frühjahr"));
    const int other = c.create(QStringLiteral("Herbst"));

    QStringList params;
    EXPECT_EQ(errorIdOf([&] { c.create(QStringLiteral("Frühjahr")); }, &params), 2);
    EXPECT_EQ(params, QStringList{QStringLiteral("Frühjahr")});

    CompetitionInfoType rename;
    rename.Name = QStringLiteral("Frühjahr");
    EXPECT_EQ(errorIdOf([&] { c.cms()->modifyCompetition(other, rename); }), 2);
    EXPECT_NO_THROW(c.cms()->modifyCompetition(id, rename)); // keeping its own name is fine

    EXPECT_EQ(errorIdOf([&] { c.cms()->removeCompetition(4711); }, &params), 3);
    EXPECT_EQ(params, QStringList{QStringLiteral("4711")});
    EXPECT_EQ(errorIdOf([&] { c.cms()->modifyCompetition(4711, rename); }), 3);
    EXPECT_EQ(c.drs()->getCompetitions().size(), 2u);
}

TEST_F(StandinCompetitions, TheFaultTextIsTheGermanMessageWithItsParameters)
{
    standin.start();
    StandinClient c = standin.client();
    try {
        c.cms()->removeCompetition(12);
        FAIL() << "no fault";
    } catch (const ETvExceptionDetail& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Die Veranstaltung mit der ID 12 existiert nicht."));
    }
}

TEST_F(StandinUiInfos, SetGetOverwriteAndEmptyValueDeletes)
{
    standin.start();
    StandinClient c = standin.client();
    auto cms = c.cms();
    cms->setUiInfo(QStringLiteral("Label"), QStringLiteral("eins"), 5);
    cms->setUiInfo(QStringLiteral("Label"), QStringLiteral("zwei"), 5);
    cms->setUiInfo(QStringLiteral("Label"), QStringLiteral("global"), 0);
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Label"), 5).Value, QStringLiteral("zwei"));
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Label"), 0).Value, QStringLiteral("global"));
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Fehlt"), 5).Value, QString());

    cms->setUiInfo(QStringLiteral("Label"), QString(), 5);
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Label"), 5).Value, QString());
    EXPECT_TRUE(getUiInfos(c, {{QString(), 5}}).empty());
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Label"), 0).Value, QStringLiteral("global"));
}

// Only an empty value deletes; blanks are a value and come back as they were stored.
TEST_F(StandinUiInfos, BlankValuesAreKept)
{
    standin.start();
    StandinClient c = standin.client();
    auto storedText = [&](int id) {
        const HttpAnswer a =
            standin.post("DataRetrievalService", envelope("getUiInfo", "<Key>Label</Key><AssotiatedId>" +
                                                                           std::to_string(id) + "</AssotiatedId>"));
        pugi::xml_document doc;
        EXPECT_TRUE(parseRequest(doc, a.body)) << a.body; // blank text kept
        return std::string(codec::bodyElement(doc).child("Value").child_value());
    };
    for (const QString& blank : {QStringLiteral(" "), QStringLiteral("\t"), QStringLiteral("  \n ")}) {
        c.cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("vorher"), 5);
        c.cms()->setUiInfo(QStringLiteral("Label"), blank, 5);
        EXPECT_EQ(storedText(5), blank.toStdString());
    }
    c.cms()->setUiInfo(QStringLiteral("Label"), QString(), 5);
    EXPECT_EQ(storedText(5), "");
}

TEST_F(StandinUiInfos, ManyKeysInRequestOrderAndEmptyKeyMeansAllOfThatId)
{
    standin.start();
    StandinClient c = standin.client();
    auto cms = c.cms();
    cms->setUiInfo(QStringLiteral("MetaData_Ort"), QStringLiteral("Köln"), 9);
    cms->setUiInfo(QStringLiteral("Comp_BillingDocPath"), QStringLiteral("q.docx"), 9);
    cms->setUiInfo(QStringLiteral("Label"), QStringLiteral("L3"), 3);

    const auto r = getUiInfos(
        c, {{QStringLiteral("Label"), 3}, {QStringLiteral("Fehlt"), 3}, {QString(), 9}, {QStringLiteral("Label"), 9}});
    using P = std::pair<QString, QString>;
    EXPECT_EQ(pairs(r), (std::vector<P>{{"Label@3", "L3"},
                                        {"Fehlt@3", ""},
                                        {"Comp_BillingDocPath@9", "q.docx"},
                                        {"MetaData_Ort@9", "Köln"},
                                        {"Label@9", ""}}));
}

TEST_F(StandinServerTexts, VersionCompatibilityAndAMessageForEveryErrorId)
{
    standin.options.version = {2, 5, 17};
    standin.options.compatibility = CompatibilityInformation::FEATURE_RESTRICTED;
    standin.start();
    StandinClient c = standin.client();
    auto pis = GetProgrammInfoWebService(false, QString::fromStdString(c.url("ProgrammInfoWebService")));
    const getBackendVersionResponse1 v = pis->getBackendVersion();
    ASSERT_TRUE(v.version);
    EXPECT_EQ(*v.version, (GenericTvpVersion{2, 5, 17}));
    EXPECT_EQ(pis->getCompatibilityInformation(GenericTvpVersion{1, 0, 0}),
              CompatibilityInformation::FEATURE_RESTRICTED);

    const getExceptionMessagesResponse1 texts = c.drs()->getExceptionMessages(1);
    auto textOf = [&](int id) {
        for (const ExceptionMessageType& m : texts)
            if (m.ExceptionID == id)
                return m.ExceptionMessage;
        return QString();
    };
    for (int id : {2, 3, 901})
        EXPECT_EQ(textOf(id).count(QStringLiteral("%s")), 1) << id;
}

TEST_F(StandinBadRequests, AreFaultsAndTheServerGoesOnServing)
{
    standin.start();
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"DataRetrievalService", "kein XML <"},
        {"DataRetrievalService", "<a>XML, aber kein SOAP</a>"},
        {"DataRetrievalService", envelope("gibtEsNicht", "")},
        {"DataRetrievalService", envelope("createCompetition", "")},        // wrong service
        {"DataRetrievalService", envelope("getCompetitions", "", "urn:x")}, // wrong namespace
        {"CompetitionManagementService", envelope("removeCompetition", "<CompetitionID>abc</CompetitionID>")},
        {"CompetitionManagementService", envelope("removeCompetition", "<Fremd>1</Fremd>")},
        {"CompetitionManagementService", envelope("beginTransaction", "<readonly>vielleicht</readonly>")},
        {"DataRetrievalService", envelope("getLanguages", "")}, // the client never calls it
    };
    for (const auto& [service, body] : bad) {
        const HttpAnswer a = standin.post(service, body);
        EXPECT_EQ(a.status, 500) << body;
        EXPECT_THROW(readFault(a.body), ESoapFault) << body << "\n" << a.body;
        std::string tx;
        EXPECT_FALSE(getSessionfromSoap(a.body, tx).empty()) << "every answer carries a session";
    }

    // Plain HTTP mistakes are not SOAP at all.
    EXPECT_EQ(standin.post("KeinDienst", envelope("getCompetitions", "")).status, 404);

    StandinClient c = standin.client();
    EXPECT_NO_THROW(c.create(QStringLiteral("Noch da")));
    EXPECT_EQ(c.competitionNames().size(), 1);
}

TEST_F(StandinBadRequests, ADeclaredOperationWithoutHandlerSaysSo)
{
    standin.start();
    const HttpAnswer a = standin.post("DataRetrievalService", envelope("getLanguages", ""));
    EXPECT_EQ(a.status, 500);
    EXPECT_EQ(faultText(a.body), QStringLiteral("Die Operation getLanguages bietet der Stand-in-Server nicht an."));
    EXPECT_EQ(faultText(standin.post("DataRetrievalService", envelope("gibtEsNicht", "")).body),
              QStringLiteral("Die Operation gibtEsNicht gibt es in diesem Dienst nicht."));
}

TEST_F(StandinBadRequests, ServicePathsWithAndWithoutSlashAndTheUiExchangeAlias)
{
    standin.start();
    const std::string body =
        R"(<e:Envelope xmlns:e="http://schemas.xmlsoap.org/soap/envelope/"><e:Body>)"
        R"(<t:getAggregatorCollectionX xmlns:t="http://trivanta.example/Trivanta/Pentrel/"/></e:Body></e:Envelope>)";
    for (const char* service : {"UiStoreService", "UiExchangeService", "DataRetrievalService/", "ToolingService"})
        EXPECT_EQ(standin.post(service, body).status, 500) << service; // known service, unknown operation: a fault
    StandinClient c = standin.client();
    auto drs =
        GetDataRetrievalPortType(false, QString::fromStdString(c.url("DataRetrievalService")).chopped(1), &c.rio);
    EXPECT_NO_THROW(drs->getCompetitions());
}

TEST_F(StandinPersistence, DataSurviveARestartOnTheSameFile)
{
    standin.start();
    int id = 0;
    {
        StandinClient c = standin.client();
        id = c.create(QStringLiteral("Bleibt"));
        c.cms()->setUiInfo(QStringLiteral("Label"), QStringLiteral("v"), id);
        c.begin(false);
        c.create(QStringLiteral("Offen beim Beenden"));
    }
    standin.stop();
    standin.start();
    StandinClient c = standin.client();
    EXPECT_EQ(c.competitionNames(), QStringList{QStringLiteral("Bleibt")});
    EXPECT_EQ(c.drs()->getUiInfo(QStringLiteral("Label"), id).Value, QStringLiteral("v"));
    EXPECT_GT(c.create(QStringLiteral("Nach Neustart")), id);
}

} // namespace
