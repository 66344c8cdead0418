#include "core/protocol/TVPWebServices2.h"
#include "tests/support/FakeServer.h"

#include <gtest/gtest.h>

#include <deque>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

const std::string kMain(wire::kMainNs);
const std::string kRequestHead = R"(<?xml version="1.0" encoding="UTF-8"?><soapenv:Envelope xmlns:soapenv=")"
                                 "http://schemas.xmlsoap.org/soap/envelope/\"><soapenv:Body>";
const std::string kRequestTail = "</soapenv:Body></soapenv:Envelope>";

// The exact text a request must have.
std::string request(const std::string& op, const std::string& children, const std::string& ns = kMain)
{
    return kRequestHead + "<tvp:" + op + " xmlns:tvp=\"" + ns + "\">" + children + "</tvp:" + op + ">" + kRequestTail;
}

// An answer no server of ours would write.
std::string foreignAnswer(const std::string& body)
{
    return R"(<soapenv:Envelope xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/"><soapenv:Body>)" + body +
           "</soapenv:Body></soapenv:Envelope>";
}

class Proxy : public ::testing::Test {
protected:
    void SetUp() override { rio.omitEmptyNodes = true; }

    std::string lastBody() const { return fake->last().body; }

    FakeServerInstall fake;
    THTTPRIO rio;
};

} // namespace

TEST_F(Proxy, RequestEnvelopeAndSoapAction)
{
    auto cms = GetCompetitionManagementPortType(false, QStringLiteral("http://h:8080/cms/"), &rio);
    CompetitionInfoType info;
    info.Name = QStringLiteral("Sportfest <Süd> & Co");
    info.Date = QDate(2026, 5, 3);
    createCompetitionResponse1 created;
    created.Competition.ensure().Name = QStringLiteral("x");
    created.Competition->ID = 17;
    fake->answer<op::createCompetition>(created);

    const createCompetitionResponse1 r = cms->createCompetition(info);

    EXPECT_EQ(fake->last().url, "http://h:8080/cms/");
    EXPECT_EQ(fake->last().soapAction, kMain + "createCompetition");
    EXPECT_EQ(lastBody(), request("createCompetition", "<CompetitionInfo><Name>Sportfest &lt;Süd&gt; &amp; Co</Name>"
                                                       "<Date>2026-05-03</Date></CompetitionInfo>"));
    ASSERT_TRUE(r.Competition);
    EXPECT_EQ(r.Competition->ID, 17);
    EXPECT_FALSE(r.Competition->Date);
}

TEST_F(Proxy, OverloadsShareOneOperation)
{
    auto cms = GetCompetitionManagementPortType(false, {}, &rio);
    fake->answer<op::importCompetition>(importCompetitionResponse1{12});
    cms->importCompetition(QStringLiteral("Herbst"), QDate(2026, 10, 1), QStringLiteral("<c/>"));
    EXPECT_EQ(cms->importCompetition(QStringLiteral("<c/>")).CompetitionID, 12);
    auto posted = fake->requests();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].soapAction, kMain + "importCompetition");
    EXPECT_EQ(posted[1].soapAction, kMain + "importCompetition");
    EXPECT_EQ(posted[0].body,
              request("importCompetition",
                      "<CompetitionName>Herbst</CompetitionName>"
                      "<CompetitionDate>2026-10-01</CompetitionDate><XmlStream>&lt;c/&gt;</XmlStream>"));
    EXPECT_EQ(posted[1].body, request("importCompetition", "<XmlStream>&lt;c/&gt;</XmlStream>"));
    // A server reads the short form into the long one, without name and date.
    const auto imports = fake->callsOf<op::importCompetition>();
    EXPECT_EQ(imports[1].CompetitionName, QString());
    EXPECT_FALSE(imports[1].CompetitionDate);
    EXPECT_EQ(imports[1].XmlStream, QStringLiteral("<c/>"));

    auto das = GetDataAquisitionPortType(false, {}, &rio);
    ResultType result;
    result.Type_ = ResultValueType::Time;
    result.TimeInSeconds = 12.5;
    fake->answer<op::setResult>(setResultResponse1{3, false, 77});
    const setResultResponse1 r = das->setResult(4, 101, true, nullptr, 0, 0, result, 1);
    das->setResult(4, 101, LaneHeatType{2, 5}, 0, 0, nullptr, 2);

    EXPECT_EQ(r.AthleteTeamIDret, 3);
    EXPECT_EQ(r.ResultID, 77);
    posted = fake->requests();
    EXPECT_EQ(posted[2].soapAction, posted[3].soapAction);
    // A nil lane and a nil result (which deletes the attempt's result) are left out.
    EXPECT_EQ(posted[2].body,
              request("setResult", "<DisciplinID>4</DisciplinID><AthleteBib>101</AthleteBib>"
                                   "<removeAmbiguousResults>true</removeAmbiguousResults><AthleteId>0</AthleteId>"
                                   "<TeamId>0</TeamId><DiscResult><Type>Time</Type><DistanceInMeter>0</DistanceInMeter>"
                                   "<TimeInSeconds>12.5</TimeInSeconds><Info>disq</Info><Rank>0</Rank></DiscResult>"
                                   "<Attempt>1</Attempt>"));
    EXPECT_EQ(posted[3].body,
              request("setResult",
                      "<DisciplinID>4</DisciplinID><AthleteBib>101</AthleteBib><LaneHeat><HeatNo>2</HeatNo>"
                      "<Lane>5</Lane></LaneHeat><AthleteId>0</AthleteId><TeamId>0</TeamId>"
                      "<Attempt>2</Attempt>"));
}

TEST_F(Proxy, ArraysAndNilArguments)
{
    auto drs = GetDataRetrievalPortType(false, {}, &rio);
    fake->answer<op::checkAmbiguousBibResults>(CheckAmbiguousBibResultsResponse1{});
    fake->answer<op::getUiInfos>(getUiInfosResponse1{});
    drs->checkAmbiguousBibResults({3, 5});
    EXPECT_EQ(lastBody(), request("checkAmbiguousBibResults",
                                  "<ResultProviderIDs>3</ResultProviderIDs><ResultProviderIDs>5</ResultProviderIDs>"));

    getUiInfos keys(2);
    keys[0] = {QStringLiteral("Label"), 7};
    keys[1] = {QStringLiteral("DiscTimingId"), 8};
    drs->getUiInfos(keys);
    EXPECT_EQ(lastBody(), request("getUiInfos", "<Keys><Key>Label</Key><AssotiatedId>7</AssotiatedId></Keys>"
                                                "<Keys><Key>DiscTimingId</Key><AssotiatedId>8</AssotiatedId></Keys>"));

    getAthletesResponse1 answered(2);
    answered[0].Bib = {4, 5};
    answered[0].Name = AthleteNameType{QStringLiteral("Ann"), {}};
    answered[0].Gender = GenderType::FEMALE;
    answered[0].AthleteID = 1;
    answered[1].Club.ensure().Name = QStringLiteral("TV Ölbach");
    answered[1].Club->ClubId = 3;
    answered[1].AthleteID = 2;
    fake->answer<op::getAthletes>(answered);
    StringSearchType surname{QStringLiteral("Mü"), false};
    const getAthletesResponse1 athletes = drs->getAthletes(9, 0, 0, 0, nullptr, surname, 0);

    EXPECT_EQ(lastBody(), request("getAthletes", "<CompetitionID>9</CompetitionID><AgeClassID>0</AgeClassID>"
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
    EXPECT_EQ(athletes, answered);
}

TEST_F(Proxy, DisciplineWithoutResultTableIsSentWithoutIt)
{
    auto cms = GetCompetitionManagementPortType(false, {}, &rio);
    DisciplinInfoType info;
    info.Name = QStringLiteral("Weitsprung");
    info.ResultAssignment = ResultAssignmentType::byBib;
    createDisciplinResponse created;
    created.Disciplin.ensure().Name = QStringLiteral("Weitsprung");
    created.Disciplin->DisciplinID = 6;
    fake->answer<op::createDisciplin>(created);
    const createDisciplinResponse r = cms->createDisciplin(info, 2);
    EXPECT_EQ(lastBody(),
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
    getResultTableResponse1 answered;
    answered.ResultTableType = ResultTableType{true, 2, {}, false};
    answered.Results.resize(2);
    answered.Results[0].Type_ = ResultValueType::Rank;
    answered.Results[0].Rank = 1;
    answered.Results[0].TeamId = {4, 9};
    answered.Results[0].Attempt = 1;
    answered.Results[0].ResultID = 30;
    answered.Results[1].Type_ = ResultValueType::Info;
    answered.Results[1].Info = ResultInfo::ab;
    answered.Results[1].ResultID = 31;
    fake->answer<op::getResultTable>(answered);
    const getResultTableResponse1 table = drs->getResultTable(6);
    EXPECT_EQ(lastBody(), request("getResultTable", "<ResultProviderID>6</ResultProviderID>"));
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
    fake->answer<op::notifySessionClient>(true);
    EXPECT_TRUE(uis->notifySessionClient(QStringLiteral("s1"), clientType::WEB_UI, QStringLiteral("t"), {}));
    EXPECT_EQ(lastBody(), request("notifySessionClient", "<sessionId>s1</sessionId><client>WEB_UI</client>"
                                                         "<abstractTarget>t</abstractTarget>"));

    auto drs = GetDataRetrievalPortType(false, {}, &rio);
    fake->answer<op::getBillingPrice>(getBillingPriceResponse{2.5f});
    EXPECT_EQ(drs->getBillingPrice(3, PriceType::PER_ATHLETE).billingPrice, 2.5f);

    // The program-information service has its own namespace and a fresh proxy that keeps empty elements.
    auto pis = GetProgrammInfoWebService(false, QStringLiteral("http://h/pis/"));
    const std::string pns(wire::kProgramInfoNs);
    fake->answer<op::getCompatibilityInformation>(CompatibilityInformation::FEATURE_RESTRICTED);
    EXPECT_EQ(pis->getCompatibilityInformation(GenericTvpVersion{1, 0, 0}),
              CompatibilityInformation::FEATURE_RESTRICTED);
    EXPECT_EQ(fake->last().soapAction, pns + "getCompatibilityInformation");
    EXPECT_EQ(lastBody(), request("getCompatibilityInformation",
                                  "<FrontendVersion><majorVersion>1</majorVersion><minorVersion>0</minorVersion>"
                                  "<buildNumber>0</buildNumber></FrontendVersion>",
                                  pns));
}

TEST_F(Proxy, ServerFaultWithDetailCarriesIdAndParameters)
{
    auto cms = GetCompetitionManagementPortType(false, {}, &rio);
    fake->fault<op::removeTeam>(117, {QStringLiteral("Füchse"), QStringLiteral("U10")}, QStringLiteral("Team in use"));
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

    auto answerText = [&](long status, const std::string& text) { fake->answerText<op::getClubs>(status, text); };
    const std::string clubs = "<tvp:getClubsResponse xmlns:tvp=\"" + kMain + "\">";

    answerText(500, foreignAnswer("<soapenv:Fault><faultcode>soapenv:Client</faultcode>"
                                  "<faultstring>Unmarshalling Error</faultstring></soapenv:Fault>"));
    expectError(getClubs, ESoapFault(QString()), "Unmarshalling Error");

    answerText(500, "<html><body><h1>HTTP Status 500 - Internal Server Error</h1></body></html>");
    expectError(getClubs, ESoapTransportError(QString()), "500");

    // A page of a web server that is no competition server: not an XML error about its tags.
    fake->answerText<op::getClubs>(200, "<html><body><p>Willkommen<br></p></body></html>", "text/html; charset=utf-8");
    expectError(getClubs, ESoapTransportError(QString()),
                "Die Antwort des Servers ist keine SOAP-Nachricht (Inhaltstyp text/html; charset=utf-8).");
    answerText(200, "<!DOCTYPE html><html><body>Anmeldung</body></html>");
    expectError(getClubs, ESoapTransportError(QString()), "Die Antwort des Servers ist keine SOAP-Nachricht");
    answerText(200, "");
    expectError(getClubs, ESoapTransportError(QString()), "keine SOAP-Nachricht");

    answerText(200, foreignAnswer(clubs + "<item><Name>TV</Name><ClubId>3</ClubId></item>").substr(0, 120));
    expectError(getClubs, ESoapDecodeError(QString()), "Ungültige Antwort");

    answerText(200, foreignAnswer(clubs + "<item><ClubId>drei</ClubId></item></tvp:getClubsResponse>"));
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
