#include "SoapCodec.h"
#include "TVPWebServices2.h"

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
