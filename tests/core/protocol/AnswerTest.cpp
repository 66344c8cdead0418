// Reading answers as a newer or a wrong server may send them: unknown elements, values of blanks,
// huge bad values, pages that are no SOAP, and documents with a DTD.

#include "core/protocol/TVPWebServices2.h"
#include "core/util/Logger.h"
#include "tests/support/TempAppFolders.h"

#include <QFile>

#include <gtest/gtest.h>

#include <deque>

using namespace tvp;
using namespace tvp::proto;

namespace {

class FakeServer : public ISoapTransport {
public:
    HttpAnswer post(const std::string&, const std::string&, const std::string& body) override
    {
        requests.push_back(body);
        HttpAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<HttpAnswer> answers;
    std::vector<std::string> requests;
};

const std::string kEnvelopeOpen = R"(<e:Envelope xmlns:e="http://schemas.xmlsoap.org/soap/envelope/"><e:Body>)";
const std::string kEnvelopeClose = "</e:Body></e:Envelope>";

std::string answerOf(const std::string& op, const std::string& children)
{
    return kEnvelopeOpen + "<a:" + op + "Response xmlns:a=\"" + std::string(wire::kMainNs) + "\">" + children +
           "</a:" + op + "Response>" + kEnvelopeClose;
}

class Answers : public ::testing::Test {
protected:
    void SetUp() override { setSoapTransport(server); }
    void TearDown() override { setSoapTransport(nullptr); }

    void answer(std::string body, long status = 200) { server->answers.push_back({status, std::move(body)}); }
    // The message of the failure the call raises, empty when it raises none.
    template <class Call>
    QString failure(Call&& call)
    {
        try {
            call();
        } catch (const TvpError& e) {
            return e.message();
        }
        return {};
    }

    std::shared_ptr<FakeServer> server = std::make_shared<FakeServer>();
    THTTPRIO rio;
    std::unique_ptr<DataRetrievalPortType> drs = GetDataRetrievalPortType(false, QStringLiteral("http://h/"), &rio);
};

} // namespace

TEST_F(Answers, ElementsANewerServerAddsAreSkippedCountedAndLogged)
{
    test::TempAppFolders folders;
    setProgramLogger(std::make_unique<TLogger>(TLogLevel::ll_info));

    // Any prefix and namespace on the answer element will do; only its local name counts.
    answer(kEnvelopeOpen +
           R"(<ns7:getClubsResponse xmlns:ns7="urn:neuer-server">)"
           "<item><Name>TV Ölbach</Name><Colour>rot</Colour><ClubId>3</ClubId>"
           "<Logo><Png>iVBOR</Png></Logo></item>"
           "<item><ClubId>4</ClubId></item></ns7:getClubsResponse>" +
           kEnvelopeClose);
    const getClubsResponse1 clubs = drs->getClubs(1);
    setProgramLogger(std::make_unique<TLogger>(TLogLevel::ll_off));

    ASSERT_EQ(clubs.size(), 2u);
    EXPECT_EQ(clubs[0].Name, QStringLiteral("TV Ölbach"));
    EXPECT_EQ(clubs[0].ClubId, 3) << "a field after the unknown ones is still read";
    EXPECT_EQ(clubs[1].ClubId, 4);
    QFile log(folders.programDir.filePath(QStringLiteral("TVPlog.txt")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("getClubsResponse: 2 unbekannte Elemente \xFC"
                                       "bersprungen, das erste: item/Colour"));

    // Requests read by the stand-in stay strict.
    pugi::xml_document doc;
    doc.load_string("<item><Name>x</Name><Colour>rot</Colour></item>");
    ClubType club;
    EXPECT_THROW(codec::decodeRecord(doc.first_child(), club), ESoapDecodeError);

    answer(answerOf("getCompetitions", ""));
    EXPECT_EQ(failure([&] { drs->getClubs(1); }),
              QStringLiteral("Ungültige Antwort des Servers: \"getCompetitionsResponse\" statt \"getClubsResponse\"."));
}

TEST_F(Answers, ValuesOfBlanksOnlySurviveBothWays)
{
    auto cms = GetCompetitionManagementPortType(false, QStringLiteral("http://h/"), &rio);
    rio.omitEmptyNodes = true;
    for (const char* value : {" ", "\t", "  \t "}) {
        answer(answerOf("setUiInfo", ""));
        cms->setUiInfo(QStringLiteral("Label"), QString::fromLatin1(value), 7);
        EXPECT_NE(server->requests.back().find("<Value>" + std::string(value) + "</Value>"), std::string::npos)
            << server->requests.back();

        answer(answerOf("getUiInfo", "<Value>" + std::string(value) + "</Value>"));
        EXPECT_EQ(drs->getUiInfo(QStringLiteral("Label"), 7).Value, QString::fromLatin1(value));
    }
    // Formatting between elements is still no value.
    answer(answerOf("getUiInfos", "\n  <item>\n    <Key>\n      <Key>Label</Key>\n    </Key>\n"
                                  "    <Value> </Value>\n  </item>\n"));
    const getUiInfosResponse1 pairs = drs->getUiInfos({});
    ASSERT_EQ(pairs.size(), 1u);
    ASSERT_TRUE(pairs[0].Key);
    EXPECT_EQ(pairs[0].Key->Key, QStringLiteral("Label"));
    EXPECT_EQ(pairs[0].Value, QStringLiteral(" "));
}

TEST_F(Answers, ErrorTextsQuoteOnlyAShortPrefixOfAHugeValue)
{
    const std::string huge(5 * 1024 * 1024, '7');
    answer(answerOf("getClubs", "<item><ClubId>x" + huge + "</ClubId></item>"));
    const QString badValue = failure([&] { drs->getClubs(1); });
    EXPECT_TRUE(badValue.startsWith(QStringLiteral("Ungültige Antwort des Servers: Wert \"x777")));
    EXPECT_TRUE(badValue.contains(QStringLiteral("… (5242881 Bytes)\" im Element \"ClubId\" ist ungültig.")))
        << badValue.toStdString();
    EXPECT_LT(badValue.size(), 200);

    // A multi-byte letter at the cut is never split.
    answer(answerOf("getClubs", "<item><ClubId>" + std::string(79, 'x') + "ö" + huge + "</ClubId></item>"));
    EXPECT_TRUE(failure([&] { drs->getClubs(1); }).contains(QString(79, u'x') + QStringLiteral("…")));

    answer(kEnvelopeOpen + "<e:Fault><faultcode>e:Server</faultcode><faultstring>" + huge +
               "</faultstring><detail><TvpRuntimeException><ExceptionID>45</ExceptionID><ExceptionParameters>"
               "<item>" +
               huge +
               "</item><item> </item></ExceptionParameters></TvpRuntimeException></detail>"
               "</e:Fault>" +
               kEnvelopeClose,
           500);
    try {
        drs->getClubs(1);
        FAIL() << "no fault";
    } catch (const ETvExceptionDetail& e) {
        EXPECT_LT(e.message().size(), 2100);
        EXPECT_EQ(e.ExceptionID, 45);
        ASSERT_EQ(e.ExceptionParameters.size(), 2);
        EXPECT_LT(e.ExceptionParameters[0].size(), 2100);
        EXPECT_EQ(e.ExceptionParameters[1], QStringLiteral(" "));
    }
}

TEST_F(Answers, ADocumentTypeDeclarationIsRefusedAndEntitiesStayText)
{
    const std::string billionLaughs =
        R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol">)"
        R"(<!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">)"
        R"(<!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">]>)" +
        answerOf("getUiInfo", "<Value>&lol3;</Value>");
    const std::string externalEntity = "<!-- vorne --><!DOCTYPE e [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]>" +
                                       answerOf("getUiInfo", "<Value>&xxe;</Value>");
    for (const std::string& text : {billionLaughs, externalEntity}) {
        answer(text);
        EXPECT_EQ(failure([&] { drs->getUiInfo(QStringLiteral("Label"), 1); }),
                  QStringLiteral("Die Antwort des Servers ist keine SOAP-Nachricht (sie enthält eine "
                                 "Dokumenttypdefinition)."));
    }
    // Without a declaration a reference to an entity is never looked up: it stays as it came.
    answer(answerOf("getUiInfo", "<Value>&xxe;&amp;&#65;</Value>"));
    EXPECT_EQ(drs->getUiInfo(QStringLiteral("Label"), 1).Value, QStringLiteral("&xxe;&A"));
    // A declaration behind the document is not read either.
    answer(answerOf("getUiInfo", "<Value>&lol;</Value>") + R"(<!DOCTYPE x [<!ENTITY lol "LOL">]>)");
    EXPECT_EQ(drs->getUiInfo(QStringLiteral("Label"), 1).Value, QStringLiteral("&lol;"));
}

TEST_F(Answers, WhatIsNoSoapIsSaidSoAndABrokenEnvelopeNamesItsFault)
{
    answer("<html><head><title>Router</title></head><body><p>Anmelden<br></body></html>");
    EXPECT_EQ(failure([&] { drs->getClubs(1); }), QStringLiteral("Die Antwort des Servers ist keine SOAP-Nachricht."));
    answer("<html><body>Not Found</body></html>", 404);
    EXPECT_EQ(failure([&] { drs->getClubs(1); }), QStringLiteral("Der Server antwortete mit HTTP-Status 404."));
    answer(answerOf("getClubs", "<item><Name>TV</Name></item>").substr(0, 150));
    EXPECT_TRUE(failure([&] { drs->getClubs(1); }).startsWith(QStringLiteral("Ungültige Antwort des Servers: ")));
    // Said in German, with the byte where the parser stopped: the answer is read in place, so what
    // lies before is already rewritten and has no lines to count any more.
    const std::string broken = answerOf("getClubs", "\r\n<item><Name>TÜV &amp; Co</Name>\r\n<Nam e>x</Name></item>");
    answer(broken);
    EXPECT_EQ(failure([&] { drs->getClubs(1); }),
              QStringLiteral("Ungültige Antwort des Servers: fehlerhaftes Attribut bei Byte %1.")
                  .arg(broken.find("x</Name></item>") + 1))
        << "the parser stops just past the \">\" where it wanted \"=\"";
}

TEST_F(Answers, ATreeNestedBeyondAnyRealOneIsRefusedNotFollowedIntoTheStack)
{
    auto nested = [](int depth) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) {
            open += "<OutputConnections><ID>" + std::to_string(i) + "</ID>";
            close += "</OutputConnections>";
        }
        return "<item><ID>1</ID>" + open + close + "</item>";
    };
    answer(answerOf("getResultAggregatorTree", nested(50)));
    const getResultAggregatorTreeResponse1 tree = drs->getResultAggregatorTree(0, 1);
    ASSERT_EQ(tree.size(), 1u);
    ASSERT_EQ(tree[0].OutputConnections.size(), 1u);

    answer(answerOf("getResultAggregatorTree", nested(200000)));
    EXPECT_EQ(failure([&] { drs->getResultAggregatorTree(0, 1); }),
              QStringLiteral("Ungültige Antwort des Servers: \"OutputConnections\" ist tiefer als 100 Ebenen "
                             "verschachtelt."));
}

TEST_F(Answers, FieldsOutOfOrderRepeatedPrefixedOrMissingReadAsTheyCome)
{
    answer(answerOf("getClubs", "<item><ClubId>3</ClubId><Name>TV Ölbach</Name></item>"
                                "<item><Name>A</Name><Comment>c</Comment><Name>B</Name></item>"
                                "<item><x:Name xmlns:x=\"urn:x\">P</x:Name><ClubId>4</ClubId></item>"
                                "<item><BillingAddress>Weg 1</BillingAddress><Comment>d</Comment></item>"));
    const getClubsResponse1 clubs = drs->getClubs(1);
    ASSERT_EQ(clubs.size(), 4u);
    EXPECT_EQ(clubs[0].Name, QStringLiteral("TV Ölbach"));
    EXPECT_EQ(clubs[0].ClubId, 3);
    EXPECT_EQ(clubs[1].Name, QStringLiteral("B")) << "the last of a repeated field holds";
    EXPECT_EQ(clubs[1].Comment, QStringLiteral("c"));
    EXPECT_EQ(clubs[2].Name, QStringLiteral("P"));
    EXPECT_EQ(clubs[2].ClubId, 4);
    EXPECT_EQ(clubs[3].BillingAddress, QStringLiteral("Weg 1"));
    EXPECT_EQ(clubs[3].Comment, QStringLiteral("d"));
    EXPECT_TRUE(clubs[3].Name.isEmpty());
    EXPECT_EQ(clubs[3].ClubId, 0);

    // A bad value behind fields taken in order still names its element.
    answer(answerOf("getClubs", "<item><Name>TV</Name><ClubId>drei</ClubId></item>"));
    EXPECT_EQ(failure([&] { drs->getClubs(1); }),
              QStringLiteral("Ungültige Antwort des Servers: Wert \"drei\" im Element \"ClubId\" ist ungültig."));
}

TEST_F(Answers, AValueIsItsFirstTextWhateverSurroundsIt)
{
    const std::pair<std::string, QString> cases[] = {
        {"<![CDATA[a<b]]>", QStringLiteral("a<b")},
        {"<!-- vorn -->x&amp;y", QStringLiteral("x&y")},
        {"<Extra/>Text", QStringLiteral("Text")},
        {"Zeile 1\r\nZeile 2", QStringLiteral("Zeile 1\nZeile 2")},
        {"", QString()},
    };
    for (const auto& [text, value] : cases) {
        answer(answerOf("getUiInfo", "<Value>" + text + "</Value>"));
        EXPECT_EQ(drs->getUiInfo(QStringLiteral("Label"), 1).Value, value) << text;
    }
    // Stray text inside a record is no field.
    answer(answerOf("getClubs", "<item>Text<Name>TV</Name>mehr<ClubId>3</ClubId></item>"));
    const getClubsResponse1 clubs = drs->getClubs(1);
    ASSERT_EQ(clubs.size(), 1u);
    EXPECT_EQ(clubs[0].Name, QStringLiteral("TV"));
    EXPECT_EQ(clubs[0].ClubId, 3);
}

TEST_F(Answers, TextsRepeatedFromRecordToRecordReadAsTheyStand)
{
    answer(answerOf("getClubs", "<item><Name>Verein 10</Name><Comment>Verein 10</Comment></item>"
                                "<item><Name>Verein 1</Name><Comment>Verein 10</Comment></item>"
                                "<item><Name>Verein 10</Name><Comment></Comment></item>"
                                "<item><Name>Verein 10</Name><Comment>Verein 1ö</Comment></item>"
                                "<item><Name>Verein 10</Name></item>"));
    const getClubsResponse1 clubs = drs->getClubs(1);
    ASSERT_EQ(clubs.size(), 5u);
    const QString v10 = QStringLiteral("Verein 10");
    EXPECT_EQ(clubs[0].Name, v10);
    EXPECT_EQ(clubs[0].Comment, v10);
    EXPECT_EQ(clubs[1].Name, QStringLiteral("Verein 1"));
    EXPECT_EQ(clubs[1].Comment, v10);
    EXPECT_EQ(clubs[2].Name, v10);
    EXPECT_TRUE(clubs[2].Comment.isEmpty());
    EXPECT_EQ(clubs[3].Comment, QStringLiteral("Verein 1ö"));
    EXPECT_TRUE(clubs[4].Comment.isEmpty());

    // A record's copy changed later leaves the others as they came.
    getClubsResponse1 copy = clubs;
    copy[0].Name[0] = u'X';
    EXPECT_EQ(clubs[2].Name, v10);

    // The next answer starts afresh: its first text is read, not the last one of the answer before.
    answer(answerOf("getClubs", "<item><Name>Verein 1</Name></item>"));
    EXPECT_EQ(drs->getClubs(1).at(0).Name, QStringLiteral("Verein 1"));
}
