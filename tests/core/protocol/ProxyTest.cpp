#include "core/protocol/TVPWebServices2.h"

#include <gtest/gtest.h>

#include <deque>

using namespace tvp;
using namespace tvp::proto;

namespace {

struct Posted {
    std::string url;
    std::string action;
    std::string body;
};

class FakeTransport : public ISoapTransport {
public:
    HttpAnswer post(const std::string& url, const std::string& soapAction, const std::string& body) override
    {
        posted.push_back({url, soapAction, body});
        if (answers.empty()) {
            // An empty answer of the operation named at the end of the action.
            const std::string op = soapAction.substr(soapAction.rfind('/') + 1);
            return {200, envelope("<tvp:" + op + "Response xmlns:tvp=\"x\"/>")};
        }
        HttpAnswer a = answers.front();
        answers.pop_front();
        return a;
    }

    static std::string envelope(const std::string& body)
    {
        return R"(<soapenv:Envelope xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/"><soapenv:Body>)" + body +
               "</soapenv:Body></soapenv:Envelope>";
    }

    std::vector<Posted> posted;
    std::deque<HttpAnswer> answers;
};

const std::string kMain(wire::kMainNs);
const std::string kRequestHead = R"(<?xml version="1.0" encoding="UTF-8"?><soapenv:Envelope xmlns:soapenv=")"
                                 "http://schemas.xmlsoap.org/soap/envelope/\"><soapenv:Body>";
const std::string kRequestTail = "</soapenv:Body></soapenv:Envelope>";

std::string request(const std::string& op, const std::string& children, const std::string& ns = kMain)
{
    return kRequestHead + "<tvp:" + op + " xmlns:tvp=\"" + ns + "\">" + children + "</tvp:" + op + ">" + kRequestTail;
}

std::string response(const std::string& op, const std::string& children)
{
    return FakeTransport::envelope("<tvp:" + op + "Response xmlns:tvp=\"" + kMain + "\">" + children + "</tvp:" + op +
                                   "Response>");
}

class Proxy : public ::testing::Test {
protected:
    void SetUp() override
    {
        setSoapTransport(fake);
        rio.omitEmptyNodes = true;
    }
    void TearDown() override { setSoapTransport(nullptr); }

    void answer(std::string body, long status = 200) { fake->answers.push_back({status, std::move(body)}); }
    const Posted& last() const { return fake->posted.back(); }

    std::shared_ptr<FakeTransport> fake = std::make_shared<FakeTransport>();
    THTTPRIO rio;
};

} // namespace

TEST_F(Proxy, RequestEnvelopeAndSoapAction)
{
    auto cms = GetCompetitionManagementPortType(false, QStringLiteral("http://h:8080/cms/"), &rio);
    CompetitionInfoType info;
    info.Name = QStringLiteral("Sportfest <Süd> & Co");
    info.Date = QDate(2026, 5, 3);
    answer(response("createCompetition", "<Competition><Name>x</Name><ID>17</ID></Competition>"));

    const createCompetitionResponse1 r = cms->createCompetition(info);

    EXPECT_EQ(last().url, "http://h:8080/cms/");
    EXPECT_EQ(last().action, kMain + "createCompetition");
    EXPECT_EQ(last().body, request("createCompetition", "<CompetitionInfo><Name>Sportfest &lt;Süd&gt; &amp; Co</Name>"
                                                        "<Date>2026-05-03</Date></CompetitionInfo>"));
    ASSERT_TRUE(r.Competition);
    EXPECT_EQ(r.Competition->ID, 17);
    EXPECT_FALSE(r.Competition->Date);
}

TEST_F(Proxy, OverloadsShareOneOperation)
{
    auto cms = GetCompetitionManagementPortType(false, {}, &rio);
    cms->importCompetition(QStringLiteral("Herbst"), QDate(2026, 10, 1), QStringLiteral("<c/>"));
    cms->importCompetition(QStringLiteral("<c/>"));
    ASSERT_EQ(fake->posted.size(), 2u);
    EXPECT_EQ(fake->posted[0].action, kMain + "importCompetition");
    EXPECT_EQ(fake->posted[1].action, kMain + "importCompetition");
    EXPECT_EQ(fake->posted[0].body,
              request("importCompetition",
                      "<CompetitionName>Herbst</CompetitionName>"
                      "<CompetitionDate>2026-10-01</CompetitionDate><XmlStream>&lt;c/&gt;</XmlStream>"));
    EXPECT_EQ(fake->posted[1].body, request("importCompetition", "<XmlStream>&lt;c/&gt;</XmlStream>"));

    auto das = GetDataAquisitionPortType(false, {}, &rio);
    ResultType result;
    result.Type_ = ResultValueType::Time;
    result.TimeInSeconds = 12.5;
    answer(response("setResult", "<AthleteTeamIDret>3</AthleteTeamIDret><ResultID>77</ResultID>"));
    const setResultResponse1 r = das->setResult(4, 101, true, nullptr, 0, 0, result, 1);
    das->setResult(4, 101, LaneHeatType{2, 5}, 0, 0, nullptr, 2);

    EXPECT_EQ(r.AthleteTeamIDret, 3);
    EXPECT_EQ(r.ResultID, 77);
    EXPECT_EQ(fake->posted[2].action, fake->posted[3].action);
    // A nil lane and a nil result (which deletes the attempt's result) are left out.
    EXPECT_EQ(fake->posted[2].body,
              request("setResult", "<DisciplinID>4</DisciplinID><AthleteBib>101</AthleteBib>"
                                   "<removeAmbiguousResults>true</removeAmbiguousResults><AthleteId>0</AthleteId>"
                                   "<TeamId>0</TeamId><DiscResult><Type>Time</Type><DistanceInMeter>0</DistanceInMeter>"
                                   "<TimeInSeconds>12.5</TimeInSeconds><Info>disq</Info><Rank>0</Rank></DiscResult>"
                                   "<Attempt>1</Attempt>"));
    EXPECT_EQ(fake->posted[3].body,
              request("setResult",
                      "<DisciplinID>4</DisciplinID><AthleteBib>101</AthleteBib><LaneHeat><HeatNo>2</HeatNo>"
                      "<Lane>5</Lane></LaneHeat><AthleteId>0</AthleteId><TeamId>0</TeamId>"
                      "<Attempt>2</Attempt>"));
}

TEST_F(Proxy, ArraysAndNilArguments)
{
    auto drs = GetDataRetrievalPortType(false, {}, &rio);
    drs->checkAmbiguousBibResults({3, 5});
    EXPECT_EQ(last().body, request("checkAmbiguousBibResults",
                                   "<ResultProviderIDs>3</ResultProviderIDs><ResultProviderIDs>5</ResultProviderIDs>"));

    getUiInfos keys(2);
    keys[0] = {QStringLiteral("Label"), 7};
    keys[1] = {QStringLiteral("DiscTimingId"), 8};
    drs->getUiInfos(keys);
    EXPECT_EQ(last().body, request("getUiInfos", "<Keys><Key>Label</Key><AssotiatedId>7</AssotiatedId></Keys>"
                                                 "<Keys><Key>DiscTimingId</Key><AssotiatedId>8</AssotiatedId></Keys>"));

    answer(response("getAthletes", "<item><Bib>4</Bib><Bib>5</Bib><Name><givenName>Ann</givenName></Name>"
                                   "<Gender>FEMALE</Gender><AthleteID>1</AthleteID></item>"
                                   "<item><Club><Name>TV Ölbach</Name><ClubId>3</ClubId></Club><AthleteID>2</AthleteID>"
                                   "</item>"));
    StringSearchType surname{QStringLiteral("Mü"), false};
    const getAthletesResponse1 athletes = drs->getAthletes(9, 0, 0, 0, nullptr, surname, 0);

    EXPECT_EQ(last().body, request("getAthletes", "<CompetitionID>9</CompetitionID><AgeClassID>0</AgeClassID>"
                                                  "<TeamID>0</TeamID><Bib>0</Bib><SurName><Name>Mü</Name>"
                                                  "<CaseSensitive>false</CaseSensitive></SurName>"
                                                  "<DisciplinID>0</DisciplinID>"));
    ASSERT_EQ(athletes.size(), 2u);
    EXPECT_EQ(athletes[0].Bib, (std::vector<int>{4, 5}));
    EXPECT_EQ(athletes[0].Gender, GenderType::FEMALE);
    EXPECT_TRUE(athletes[0].Club.isNil());
    EXPECT_EQ(athletes[1].Club->Name, QStringLiteral("TV Ölbach"));
    EXPECT_TRUE(athletes[1].Name.isNil());
    EXPECT_EQ(athletes[1].AthleteID, 2);
}

TEST_F(Proxy, DisciplineWithoutResultTableIsSentWithoutIt)
{
    auto cms = GetCompetitionManagementPortType(false, {}, &rio);
    DisciplinInfoType info;
    info.Name = QStringLiteral("Weitsprung");
    info.ResultAssignment = ResultAssignmentType::byBib;
    answer(response("createDisciplin", "<Disciplin><Name>Weitsprung</Name><DisciplinID>6</DisciplinID></Disciplin>"));
    const createDisciplinResponse r = cms->createDisciplin(info, 2);
    EXPECT_EQ(last().body,
              request("createDisciplin", "<DisciplinInfo><Name>Weitsprung</Name>"
                                         "<ResultAssignment>byBib</ResultAssignment><AgeClassID>0</AgeClassID>"
                                         "<SquadAssignment>teamDistributed</SquadAssignment>"
                                         "<maxParticipantsPerHeat>0</maxParticipantsPerHeat></DisciplinInfo>"
                                         "<CompetitionID>2</CompetitionID>"));
    ASSERT_TRUE(r.Disciplin);
    EXPECT_TRUE(r.Disciplin->ResultTableType.isNil());
}

TEST_F(Proxy, ResultTableWithWrappedTeamIds)
{
    auto drs = GetDataRetrievalPortType(false, {}, &rio);
    answer(response("getResultTable",
                    "<ResultTableType><Team>true</Team><ResultsPerRow>2</ResultsPerRow></ResultTableType>"
                    "<Results><Type>Rank</Type><Rank>1</Rank><AthleteId>0</AthleteId>"
                    "<TeamId><item>4</item><item>9</item></TeamId><Attempt>1</Attempt><ResultID>30</ResultID></Results>"
                    "<Results><Type>Info</Type><Info>ab</Info><TeamId/><ResultID>31</ResultID></Results>"));
    const getResultTableResponse1 table = drs->getResultTable(6);
    EXPECT_EQ(last().body, request("getResultTable", "<ResultProviderID>6</ResultProviderID>"));
    ASSERT_TRUE(table.ResultTableType);
    EXPECT_TRUE(table.ResultTableType->Team);
    ASSERT_EQ(table.Results.size(), 2u);
    EXPECT_EQ(table.Results[0].Type_, ResultValueType::Rank);
    EXPECT_EQ(table.Results[0].TeamId, (std::vector<int>{4, 9}));
    EXPECT_EQ(table.Results[0].ResultID, 30);
    EXPECT_EQ(table.Results[1].Info, ResultInfo::ab);
    EXPECT_TRUE(table.Results[1].TeamId.empty());
}

TEST_F(Proxy, ScalarResults)
{
    auto uis = GetUiStorePortType(false, {}, &rio);
    answer(response("notifySessionClient", "true"));
    EXPECT_TRUE(uis->notifySessionClient(QStringLiteral("s1"), clientType::WEB_UI, QStringLiteral("t"), {}));
    EXPECT_EQ(last().body, request("notifySessionClient", "<sessionId>s1</sessionId><client>WEB_UI</client>"
                                                          "<abstractTarget>t</abstractTarget>"));

    auto drs = GetDataRetrievalPortType(false, {}, &rio);
    answer(response("getBillingPrice", "<billingPrice>2.5</billingPrice>"));
    EXPECT_EQ(drs->getBillingPrice(3, PriceType::PER_ATHLETE).billingPrice, 2.5f);

    // The program-information service has its own namespace and a fresh proxy that keeps empty elements.
    auto pis = GetProgrammInfoWebService(false, QStringLiteral("http://h/pis/"));
    const std::string pns(wire::kProgramInfoNs);
    answer(FakeTransport::envelope("<p:getCompatibilityInformationResponse xmlns:p=\"" + pns +
                                   "\">FEATURE_RESTRICTED</p:getCompatibilityInformationResponse>"));
    EXPECT_EQ(pis->getCompatibilityInformation(GenericTvpVersion{1, 0, 0}),
              CompatibilityInformation::FEATURE_RESTRICTED);
    EXPECT_EQ(last().action, pns + "getCompatibilityInformation");
    EXPECT_EQ(last().body, request("getCompatibilityInformation",
                                   "<FrontendVersion><majorVersion>1</majorVersion><minorVersion>0</minorVersion>"
                                   "<buildNumber>0</buildNumber></FrontendVersion>",
                                   pns));
}

TEST_F(Proxy, ServerFaultWithDetailCarriesIdAndParameters)
{
    auto cms = GetCompetitionManagementPortType(false, {}, &rio);
    answer(FakeTransport::envelope(
               "<soapenv:Fault><faultcode>soapenv:Server</faultcode><faultstring>Team in use</faultstring><detail>"
               "<ns2:TvpRuntimeException xmlns:ns2=\"" +
               kMain +
               "\"><ExceptionID>117</ExceptionID><ExceptionParameters>"
               "<item>Füchse</item><item>U10</item></ExceptionParameters></ns2:TvpRuntimeException></detail>"
               "</soapenv:Fault>"),
           500);
    try {
        cms->removeTeam(4, false);
        FAIL() << "no exception";
    } catch (const ETvExceptionDetail& e) {
        EXPECT_EQ(e.ExceptionID, 117);
        EXPECT_EQ(e.ExceptionParameters, (QStringList{QStringLiteral("Füchse"), QStringLiteral("U10")}));
        EXPECT_EQ(e.message(), QStringLiteral("Team in use"));
    }
}

TEST_F(Proxy, BadAnswersRaiseClearErrors)
{
    auto drs = GetDataRetrievalPortType(false, {}, &rio);
    auto expectError = [&](auto&& call, auto tag, const char* fragment) {
        using E = decltype(tag);
        try {
            call();
            ADD_FAILURE() << "no exception for " << fragment;
        } catch (const E& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(fragment))) << e.message().toStdString();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "wrong exception: " << e.what();
        }
    };
    auto getClubs = [&] { drs->getClubs(1); };

    answer(FakeTransport::envelope("<soapenv:Fault><faultcode>soapenv:Client</faultcode>"
                                   "<faultstring>Unmarshalling Error</faultstring></soapenv:Fault>"),
           500);
    expectError(getClubs, ESoapFault(QString()), "Unmarshalling Error");

    answer("<html><body><h1>HTTP Status 500 - Internal Server Error</h1></body></html>", 500);
    expectError(getClubs, ESoapTransportError(QString()), "500");

    // A page of a web server that is no competition server: not an XML error about its tags.
    fake->answers.push_back({200, "<html><body><p>Willkommen<br></p></body></html>", "text/html; charset=utf-8"});
    expectError(getClubs, ESoapTransportError(QString()),
                "Die Antwort des Servers ist keine SOAP-Nachricht (Inhaltstyp text/html; charset=utf-8).");
    answer("<!DOCTYPE html><html><body>Anmeldung</body></html>");
    expectError(getClubs, ESoapTransportError(QString()), "Die Antwort des Servers ist keine SOAP-Nachricht");
    answer("");
    expectError(getClubs, ESoapTransportError(QString()), "keine SOAP-Nachricht");

    answer(response("getClubs", "<item><Name>TV</Name><ClubId>3</ClubId></item>").substr(0, 120));
    expectError(getClubs, ESoapDecodeError(QString()), "Ungültige Antwort");

    answer(response("getClubs", "<item><ClubId>drei</ClubId></item>"));
    expectError(getClubs, ESoapDecodeError(QString()), "drei");
}

TEST(ProxyAddress, FactoryDefaultsAndServiceSegments)
{
    const QString root = QStringLiteral("http://127.0.0.1:8080/TrivantaPentrel/services/");
    // The UI store is published as UiExchangeService although its URL segment says UiStoreService.
    EXPECT_EQ(QString::fromStdString(GetUiStorePortType(false, {}, nullptr)->address()), root + "UiExchangeService");
    EXPECT_EQ(serviceUrlSegment(TTVPWebServices::UIS), QStringLiteral("UiStoreService/"));
    EXPECT_EQ(QString::fromStdString(GetProgrammInfoWebService(false, {})->address()),
              root + "ProgrammInfoWebService/");
    EXPECT_EQ(QString::fromStdString(GetToolingPortType(false, {}, nullptr)->address()), root + "ToolingService");
    EXPECT_EQ(GetCupSetupPortType(true, {}, nullptr)->address(), "");
    EXPECT_EQ(GetCupSetupPortType(true, QStringLiteral("http://x/"), nullptr)->address(), "http://x/");
    EXPECT_EQ(serviceUrlSegment(TTVPWebServices::WEB_UI), QStringLiteral("TVPWebClient/static/"));
}
