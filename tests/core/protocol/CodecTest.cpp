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
    athletes[0].Name = AthleteNameType{QStringLiteral("Lena & <Marie>"), QStringLiteral("Mül\x1fler\x01\tx\r\ny\x7f")};
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
    EXPECT_NE(text.find("<givenName>Lena &amp; &lt;Marie&gt;</givenName>"), std::string::npos) << text;
    // Controls but tab, line feed and carriage return are no XML characters, not even as
    // references: they are left out. DEL is one and stays.
    EXPECT_NE(text.find("<surName>M\xC3\xBCller\tx\r\ny\x7f</surName>"), std::string::npos) << text;
    EXPECT_EQ(text.find("&#"), std::string::npos);

    CompetitionType one;
    one.Name = QStringLiteral("Sportfest");
    std::string record;
    codec::writeResult(record, one);
    EXPECT_EQ(record, viaDocument(one));
}

// Files travel as Base64 text but are held as bytes: every size must come back byte for byte,
// written as text or through a document, and a text that is no Base64 must stay recognisable.
TEST(Base64Field, BytesOfEverySizeComeBackExactly)
{
    QByteArray large(1024 * 1024 + 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = char(i * 7 + i / 251);
    const std::vector<QByteArray> samples{QByteArray(),
                                          QByteArray("\0", 1),
                                          QByteArray("\xff\xfe"),
                                          QByteArray("abc"),
                                          QByteArray("%PDF-1.4\n\0\x01<&>", 15),
                                          large};
    for (const QByteArray& bytes : samples) {
        SCOPED_TRACE(bytes.size());
        mergePDFResponse answer;
        answer.pdfDocBase64 = bytes;
        std::string text;
        codec::writeResult(text, answer);
        const std::string expected =
            bytes.isEmpty() ? "<pdfDocBase64/>" : "<pdfDocBase64>" + bytes.toBase64().toStdString() + "</pdfDocBase64>";
        EXPECT_TRUE(text == expected);

        // The document's way writes the same, and the answer's way reads the bytes back.
        pugi::xml_document doc;
        pugi::xml_node response = codec::makeEnvelope(doc, wire::kMainNs, "mergePDFResponse");
        codec::encodeResult(response, answer, {.omitEmpty = false});
        std::string serialized = codec::serialize(doc);
        EXPECT_NE(serialized.find(expected), std::string::npos);
        pugi::xml_document read;
        const mergePDFResponse back =
            codec::decodeResult<mergePDFResponse>(codec::loadAnswerInPlace(read, serialized, 200));
        EXPECT_TRUE(back.pdfDocBase64.isValid());
        EXPECT_TRUE(back.pdfDocBase64.bytes() == bytes);
    }

    // Empty entries of a list keep their places, also in a request that leaves empty fields out.
    std::string request;
    codec::writeValue(request, "pagesBase64", pagesBase64Types{QByteArray(), QByteArray("ab")}, {.omitEmpty = true});
    EXPECT_EQ(request, "<pagesBase64/><pagesBase64>YWI=</pagesBase64>");
}

TEST(Base64Field, ATextThatIsNoStrictBase64IsKeptAsItCame)
{
    for (const char* bad : {"kein Base64!", "YWI", "YW=I", "YWJj\nZGVm", "YWJj ", "====", "Y\xc3\xa4I="}) {
        SCOPED_TRACE(bad);
        pugi::xml_document doc;
        doc.load_string((std::string("<pdfDocBase64>") + bad + "</pdfDocBase64>").c_str(),
                        pugi::parse_default | pugi::parse_ws_pcdata_single);
        const Base64Binary value = codec::parseBase64(doc.first_child());
        EXPECT_FALSE(value.isValid());
        EXPECT_TRUE(value.bytes().isEmpty());
        EXPECT_EQ(value.invalidText(), QByteArray(bad));
        // Sent again, it is the same text.
        std::string text;
        codec::writeValue(text, "x", value);
        EXPECT_EQ(text, "<x>" + std::string(bad) + "</x>");
    }
    EXPECT_EQ(Base64Binary::fromText("YWJj"), Base64Binary(QByteArray("abc")));
    EXPECT_EQ(Base64Binary::fromText(""), Base64Binary());
}

// Requests are written as text too: with empty fields left out they must read as the document
// the codec builds would serialize, so the wire stays as it was.
TEST(SoapWriter, RequestsLeaveOutWhatTheDocumentLeavesOut)
{
    op::createCompetition nothing;
    nothing.CompetitionInfo.ensure();           // all of its fields empty
    std::vector<AssignedResultType> results(2); // the first with an empty wrapped list
    results[1].TeamId = {4, 5};
    AthleteType athlete;
    athlete.Team = TeamType{};
    athlete.Club.ensure().Name = QString::fromUtf8("TV\0S\xc3\xbc"
                                                   "d <1> & 2",
                                                   15);
    for (const bool omit : {true, false}) {
        SCOPED_TRACE(omit);
        const auto viaDocument = [&](const auto& value) {
            pugi::xml_document doc;
            pugi::xml_node parent = doc.append_child("op");
            codec::encodeValue(parent, "v", value, {.omitEmpty = omit});
            std::string all = codec::serialize(doc);
            const std::size_t open = all.find("<op") + 3;
            all = all.substr(open);
            return all == "/>" ? std::string() : all.substr(1, all.size() - 1 - 5);
        };
        const auto viaText = [&](const auto& value) {
            std::string text;
            codec::writeValue(text, "v", value, {.omitEmpty = omit});
            return text;
        };
        EXPECT_EQ(viaText(nothing), viaDocument(nothing));
        EXPECT_EQ(viaText(results), viaDocument(results));
        EXPECT_EQ(viaText(athlete), viaDocument(athlete));
        EXPECT_EQ(viaText(QString()), viaDocument(QString()));
    }
}
