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
