#include "core/protocol/SoapCodec.h"
#include "core/protocol/SoapHeader.h"
#include "core/protocol/SoapWriter.h"
#include "core/protocol/TVPWebServices2.h"

#include <gtest/gtest.h>

using namespace tvp::proto;

TEST(Codec, CompetitionRoundTrip)
{
    CompetitionType c;
    c.Name = QStringLiteral("Kinderleichtathletik Süd");
    c.Date = QDate(2026, 5, 3);
    c.ID = 17;
    pugi::xml_document doc;
    pugi::xml_node op = codec::makeEnvelope(doc, wire::kMainNs, "x");
    codec::encodeValue(op, "Competition", c, {});
    CompetitionType back;
    codec::decodeValue(op.first_child(), back);
    EXPECT_EQ(back, c);
}

TEST(Codec, EmptyArrayItemsKeepTheirPlaces)
{
    ResultAggregatorInstanceInfoType info;
    info.TemplateID = 4;
    info.Parameters = {QStringLiteral("1.5"), QString(), QStringLiteral("x")};
    pugi::xml_document doc;
    pugi::xml_node op = codec::makeEnvelope(doc, wire::kMainNs, "x");
    codec::encodeValue(op, "Info", info, {true});
    ResultAggregatorInstanceInfoType back;
    codec::decodeValue(op.first_child(), back);
    EXPECT_EQ(back.Parameters, info.Parameters);

    std::vector<AthleteNameType> names(2);
    names[1].givenName = QStringLiteral("Ida");
    pugi::xml_document answer;
    pugi::xml_node response = codec::makeEnvelope(answer, wire::kMainNs, "xResponse");
    codec::encodeResult(response, names, {true});
    EXPECT_EQ(codec::decodeResult<std::vector<AthleteNameType>>(response), names);
}

namespace {
const std::string kEnvelopeStart =
    R"(<?xml version="1.0" encoding="UTF-8"?><soapenv:Envelope xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/">)";
}

TEST(SessionHeader, WrittenFirstInTheHeaderWithTransactionNested)
{
    const std::string bare =
        kEnvelopeStart + "<soapenv:Body><tvp:getCompetitions xmlns:tvp=\"x\"/></soapenv:Body></soapenv:Envelope>";
    EXPECT_EQ(
        setSessionToSoap(bare, "S9", false, "T1"),
        kEnvelopeStart +
            R"(<soapenv:Header><NS1:Session xmlns:NS1="http://trivanta.example/Trivanta/" ID="S9"/></soapenv:Header>)"
            R"(<soapenv:Body><tvp:getCompetitions xmlns:tvp="x"/></soapenv:Body></soapenv:Envelope>)");
    // An existing header keeps its children behind the session; the transaction sits inside it.
    const std::string withHeader =
        kEnvelopeStart + "<soapenv:Header><x/></soapenv:Header><soapenv:Body/></soapenv:Envelope>";
    EXPECT_EQ(setSessionToSoap(withHeader, "S9", true, "T1"),
              kEnvelopeStart +
                  R"(<soapenv:Header><NS1:Session xmlns:NS1="http://trivanta.example/Trivanta/" ID="S9">)"
                  R"(<NS2:Transaction xmlns:NS2="http://trivanta.example/Trivanta/" ID="T1"/></NS1:Session><x/>)"
                  R"(</soapenv:Header><soapenv:Body/></soapenv:Envelope>)");
    // Inside a transaction whose id is not known yet, no Transaction element.
    EXPECT_EQ(setSessionToSoap(bare, "S9", true, "").find("Transaction"), std::string::npos);
}

TEST(SessionHeader, ReadFromAnswersWithTheTransactionBesideIt)
{
    auto answer = [](const std::string& header) {
        return kEnvelopeStart + "<soapenv:Header xmlns:h=\"http://trivanta.example/Trivanta/\">" + header +
               "</soapenv:Header><soapenv:Body/></soapenv:Envelope>";
    };
    std::string tx = "alt";
    EXPECT_EQ(getSessionfromSoap(answer("<h:Session ID=\"S1\"/>"), tx), "S1");
    EXPECT_EQ(tx, "alt"); // no Transaction element: kept
    EXPECT_EQ(getSessionfromSoap(answer("<h:Session ID=\"S1\"/><h:Transaction ID=\"T5\"/>"), tx), "S1");
    EXPECT_EQ(tx, "T5");
    EXPECT_EQ(getSessionfromSoap(answer("<h:Session ID=\"S1\"/><h:Transaction/>"), tx), "S1");
    EXPECT_EQ(tx, ""); // without ID: cleared
    // Another namespace, no header, or no XML at all give no session.
    EXPECT_EQ(getSessionfromSoap(answer("<Session ID=\"S1\"/>"), tx), "");
    EXPECT_EQ(getSessionfromSoap(kEnvelopeStart + "<soapenv:Body/></soapenv:Envelope>", tx), "");
    EXPECT_EQ(getSessionfromSoap(std::string("<html>"), tx), "");
}

// Answers written as text must read exactly as the document the codec builds would: the same
// bytes, escapes and empty elements included.
TEST(SoapWriter, WritesWhatTheDocumentWouldSerialize)
{
    std::vector<AthleteType> athletes(3);
    athletes[0].Name = AthleteNameType{QStringLiteral("Lena & <Marie>"), QStringLiteral("Müller\x01\tx\r\ny")};
    athletes[0].Bib = {7, 8};
    athletes[0].Gender = GenderType::FEMALE;
    TeamType team;
    team.Name = QStringLiteral("LG Süd");
    team.AgeClass.ensure().Name = QStringLiteral("U10");
    athletes[0].Team = team;
    athletes[1].Club = ClubShortType{};
    const auto viaDocument = [](const auto& result) {
        pugi::xml_document doc;
        pugi::xml_node op = codec::makeEnvelope(doc, wire::kMainNs, "getAthletesResponse");
        codec::encodeResult(op, result, {.omitEmpty = false});
        const std::string all = codec::serialize(doc);
        // The response element's content.
        const std::size_t open = all.find('>', all.find("getAthletesResponse")) + 1;
        const std::size_t close = all.rfind("</", all.rfind("getAthletesResponse"));
        return all[open - 2] == '/' ? std::string() : all.substr(open, close - open);
    };
    std::string text;
    codec::writeResult(text, athletes);
    EXPECT_EQ(text, viaDocument(athletes));
    EXPECT_NE(text.find("Lena &amp; &lt;Marie&gt;"), std::string::npos);
    EXPECT_NE(text.find("&#01;\tx\r\ny"), std::string::npos);

    CompetitionType one;
    one.Name = QStringLiteral("Sportfest");
    std::string record;
    codec::writeResult(record, one);
    EXPECT_EQ(record, viaDocument(one));
}
