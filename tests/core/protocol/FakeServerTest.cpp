// The fake server must fail a test that forgets an answer or whose client writes a bad header.

#include "core/protocol/SoapHeader.h"
#include "core/protocol/TVPWebServices2.h"
#include "tests/support/FakeServer.h"

#include <gtest/gtest-spi.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

// gtest's failure checks cannot see local variables.
std::unique_ptr<FakeServerInstall> fake;
THTTPRIO* rio = nullptr;

class FakeServerSelf : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake = std::make_unique<FakeServerInstall>();
        rio = new THTTPRIO;
    }
    void TearDown() override
    {
        delete rio;
        fake.reset();
    }
};

} // namespace

TEST_F(FakeServerSelf, ACallWithoutAnswerFailsTheTestAndTheCall)
{
    EXPECT_NONFATAL_FAILURE(EXPECT_THROW(GetDataRetrievalPortType(false, {}, rio)->getClubs(1), ESoapFault),
                            "no answer for getClubs");
    EXPECT_EQ((*fake)->operations(), std::vector<std::string>{"getClubs"});
}

TEST_F(FakeServerSelf, ATransactionBesideTheSessionFailsTheTest)
{
    (*fake)->answer<op::getClubs>(getClubsResponse1{});
    rio->OnBeforeExecute = [](std::string_view, pugi::xml_document& request) {
        setSessionToSoap(request, "S1", false, "");
        pugi::xml_node header = request.document_element().first_child();
        pugi::xml_node tx = header.append_child("h:Transaction");
        tx.append_attribute("xmlns:h") = std::string(wire::kHeaderNs).c_str();
        tx.append_attribute("ID") = "T1";
    };
    EXPECT_NONFATAL_FAILURE(GetDataRetrievalPortType(false, {}, rio)->getClubs(1), "Transaction");
}

TEST_F(FakeServerSelf, AnswersFaultsAndTheTransactionHeader)
{
    ClubType club;
    club.Name = QStringLiteral("TV Ölbach");
    club.ClubId = 3;
    (*fake)->on<op::getClubs>([&](const op::getClubs& a) {
        club.Comment = QString::number(a.CompetitionID);
        return getClubsResponse1{club};
    });
    (*fake)->fault<op::removeClub>(12, {QStringLiteral("TV Ölbach")});
    (*fake)->acceptTransactions();

    std::string session, transaction;
    rio->OnBeforeExecute = [&](std::string_view, pugi::xml_document& request) {
        if (!session.empty())
            setSessionToSoap(request, session, !transaction.empty(), transaction);
    };
    rio->OnAfterExecute = [&](std::string_view, const pugi::xml_document& answer) {
        session = getSessionfromSoap(answer, transaction);
    };
    auto drs = GetDataRetrievalPortType(false, {}, rio);
    auto cms = GetCompetitionManagementPortType(false, {}, rio);
    cms->beginTransaction(false);
    const getClubsResponse1 clubs = drs->getClubs(9);
    ASSERT_EQ(clubs.size(), 1u);
    EXPECT_EQ(clubs[0].Comment, QStringLiteral("9"));
    try {
        cms->removeClub(3, false, true);
        ADD_FAILURE() << "no fault";
    } catch (const ETvExceptionDetail& e) {
        EXPECT_EQ(e.ExceptionID, 12);
        EXPECT_EQ(e.ExceptionParameters, QStringList{QStringLiteral("TV Ölbach")});
    }
    cms->commitTransaction();

    const auto sent = (*fake)->requests();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_FALSE(sent[0].hasSession);
    EXPECT_EQ(sent[1].transactionId, "T1");
    EXPECT_EQ(sent[2].transactionId, "T1");
    EXPECT_EQ(sent[3].operation, "commitTransaction");
    const auto removals = (*fake)->callsOf<op::removeClub>();
    ASSERT_EQ(removals.size(), 1u);
    EXPECT_EQ(removals[0].ClubID, 3);
    EXPECT_TRUE(removals[0].ForceRemoveBilling);
}
