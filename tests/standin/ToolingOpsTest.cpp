// Merging PDF files and the browser client's session hand-over on the stand-in, over loopback.

#include "standin/ErrorMessages.h"
#include "tests/support/PdfPages.h"
#include "tests/support/StandinHarness.h"

#include <algorithm>

using namespace tvp;
using namespace tvp::test;
namespace errors = tvp::standin::errors;

namespace {

class StandinToolingTest : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        c = standin.newClient();
    }
    // Sent as Base64.
    static proto::Base64Binary base64(const QByteArray& bytes) { return bytes; }
    QByteArray merge(const proto::pagesBase64Types& entries)
    {
        return c->tos()->mergePDF(entries).pdfDocBase64.bytes();
    }
    // The refusal's id and its entry number.
    std::pair<int, QString> refusalOf(const proto::pagesBase64Types& entries)
    {
        QStringList parameters;
        const int id = errorIdOf([&] { c->tos()->mergePDF(entries); }, &parameters);
        return {id, parameters.value(0)};
    }

    proto::SessionInformationsTypes items(std::initializer_list<std::pair<const char*, const char*>> pairs)
    {
        proto::SessionInformationsTypes r;
        for (const auto& [key, text] : pairs)
            r.push_back({QString::fromUtf8(key), QString::fromUtf8(text)});
        return r;
    }
    QStringList read(const QString& session, const QStringList& keys, bool remove)
    {
        QStringList r;
        for (const proto::SessionInformationsType& i :
             c->uir()->getSessionInformation(session, {keys.begin(), keys.end()}, remove))
            r << i.key + QLatin1Char('=') + i.sessionInformation;
        return r;
    }

    std::unique_ptr<StandinClient> c;
};

TEST_F(StandinToolingTest, PagesComeInEntryOrder)
{
    const QByteArray a = pdfWithPages({QStringLiteral("Sprint")});
    const QByteArray b = pdfWithPages({QStringLiteral("Weitsprung 1"), QStringLiteral("Weitsprung 2")});
    const QByteArray d = pdfWithPages({QStringLiteral("Staffel")});
    EXPECT_EQ(pageMarks(merge({base64(b), base64(a), base64(d)})),
              QStringList({QStringLiteral("Weitsprung 1"), QStringLiteral("Weitsprung 2"), QStringLiteral("Sprint"),
                           QStringLiteral("Staffel")}));
    // The same file twice gives its pages twice.
    EXPECT_EQ(pageMarks(merge({base64(a), base64(a)})),
              QStringList({QStringLiteral("Sprint"), QStringLiteral("Sprint")}));
    EXPECT_EQ(pageMarks(merge({base64(d)})), QStringList({QStringLiteral("Staffel")}));
}

TEST_F(StandinToolingTest, AnEntryThatIsNoBase64PdfIsRefusedWithItsNumber)
{
    const QByteArray pdfBytes = pdfWithPages({QStringLiteral("Sprint")});
    const proto::Base64Binary pdf = base64(pdfBytes);
    const QByteArray whole = pdfWithPages({QStringLiteral("Wurf")});
    EXPECT_EQ(refusalOf({}), std::make_pair(errors::UnreadablePdf, QStringLiteral("1")));
    EXPECT_EQ(refusalOf({pdf, proto::Base64Binary::fromText("kein Base64!")}),
              std::make_pair(errors::UnreadablePdf, QStringLiteral("2")));
    EXPECT_EQ(refusalOf({pdf, pdf, base64("kein PDF")}), std::make_pair(errors::UnreadablePdf, QStringLiteral("3")));
    EXPECT_EQ(refusalOf({proto::Base64Binary(), pdf}), std::make_pair(errors::UnreadablePdf, QStringLiteral("1")));
    // Base64 with a line break, as some encoders write it, is not what the client sends.
    const QByteArray text = pdfBytes.toBase64();
    EXPECT_EQ(refusalOf({proto::Base64Binary::fromText(text.left(40) + '\n' + text.mid(40))}),
              std::make_pair(errors::UnreadablePdf, QStringLiteral("1")));
    EXPECT_EQ(refusalOf({pdf, base64(whole.left(12))}), std::make_pair(errors::UnreadablePdf, QStringLiteral("2")));

    const auto texts = c->drs()->getExceptionMessages(0);
    const auto it =
        std::find_if(texts.begin(), texts.end(), [](const auto& m) { return m.ExceptionID == errors::UnreadablePdf; });
    ASSERT_NE(it, texts.end());
    EXPECT_EQ(it->ExceptionMessage, QStringLiteral("Die PDF-Datei Nr. %s kann nicht gelesen werden."));
    // No other refusal uses the id.
    EXPECT_EQ(
        std::count_if(texts.begin(), texts.end(), [](const auto& m) { return m.ExceptionID == errors::UnreadablePdf; }),
        1);
}

// The creation of a competition merges its documentation inside its transaction; a refusal there
// must leave the transaction to the client's rollback.
TEST_F(StandinToolingTest, AMergeInsideATransactionIsServedAndItsRefusalLeavesTheRollbackToTheClient)
{
    const proto::Base64Binary pdf = base64(pdfWithPages({QStringLiteral("Sprint")}));
    c->begin(false);
    c->create(QStringLiteral("Sportfest"));
    EXPECT_EQ(pageMarks(merge({pdf})), QStringList({QStringLiteral("Sprint")}));
    EXPECT_EQ(refusalOf({pdf, base64("kaputt")}).first, errors::UnreadablePdf);
    EXPECT_EQ(c->competitionNames(), QStringList({QStringLiteral("Sportfest")})); // still open
    c->rollback();
    EXPECT_EQ(c->competitionNames(), QStringList());
}

TEST_F(StandinToolingTest, SessionItemsAreReadInKeyOrderAndRemovedWhenAsked)
{
    c->uis()->saveSessionInformation(
        QStringLiteral("web-1"), items({{"c1_name", "Sportfest"}, {"c1_date", "2026-05-18"}, {"c1_xml", "<Typ/>"}}));
    c->uis()->saveSessionInformation(QStringLiteral("web-2"), items({{"c1_name", "Kreisfinale"}}));
    // Saved again, a key's information is replaced.
    c->uis()->saveSessionInformation(QStringLiteral("web-1"), items({{"c1_name", "Sportfest der Kinder"}}));

    const QStringList keys = {QStringLiteral("c1_date"), QStringLiteral("fehlt"), QStringLiteral("c1_name")};
    const QStringList expected = {QStringLiteral("c1_date=2026-05-18"), QStringLiteral("c1_name=Sportfest der Kinder")};
    EXPECT_EQ(read(QStringLiteral("web-1"), keys, false), expected);
    EXPECT_EQ(read(QStringLiteral("web-1"), keys, true), expected);
    EXPECT_EQ(read(QStringLiteral("web-1"), keys, true), QStringList());
    // Keys not asked for, and other sessions' items, stay.
    EXPECT_EQ(read(QStringLiteral("web-1"), {QStringLiteral("c1_xml")}, false),
              QStringList({QStringLiteral("c1_xml=<Typ/>")}));
    EXPECT_EQ(read(QStringLiteral("web-2"), {QStringLiteral("c1_name")}, true),
              QStringList({QStringLiteral("c1_name=Kreisfinale")}));
    EXPECT_EQ(read(QStringLiteral("unbekannt"), {QStringLiteral("c1_name")}, true), QStringList());
}

TEST_F(StandinToolingTest, ReadingSessionItemsInsideAWriteTransactionRemovesThemOnlyOnCommit)
{
    c->uis()->saveSessionInformation(QStringLiteral("web-1"), items({{"k", "Wert"}}));
    c->begin(false);
    EXPECT_EQ(read(QStringLiteral("web-1"), {QStringLiteral("k")}, true), QStringList({QStringLiteral("k=Wert")}));
    c->rollback();
    EXPECT_EQ(read(QStringLiteral("web-1"), {QStringLiteral("k")}, false), QStringList({QStringLiteral("k=Wert")}));
}

} // namespace
