// The age-class editor's values as a request, and the texts of the list and the up-downs.

#include "participants/AgeClassRequests.h"

#include <gtest/gtest.h>

using namespace tvp;
using enum TAgeRequestType;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

TAgeClassEditor named(const QString& name)
{
    TAgeClassEditor e;
    e.name = name;
    return e;
}

QStringList rowTexts(const proto::AgeClassType& a)
{
    QStringList texts;
    for (const auto& column : ageClassColumns(kGerman))
        texts << column.text(a);
    return texts;
}

proto::AgeClassType stored(const TAgeRequest& r)
{
    proto::AgeClassType a;
    a.Name = r.name;
    a.BillingPricePerTeam = r.pricePerTeam;
    a.MinTeamMembers = r.minTeamMem;
    a.MaxTeamMembers = r.maxTeamMem;
    a.MinMembersPerGender = r.MinMembersPerGender;
    a.MaleMembersLessThan = r.MaleLessThan;
    a.FemaleMembersLessThan = r.FemaleLessThan;
    return a;
}

} // namespace

TEST(AgeClassEditor, ANameAloneSendsNoRulesAndShowsNoneInTheList)
{
    QString error;
    const auto r = getRequestFromUI(rt_create, named(QStringLiteral("  U12 ")), kGerman, &error);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(r->reqType, rt_create);
    EXPECT_EQ(r->name, QStringLiteral("U12"));
    EXPECT_EQ(r->pricePerTeam, 0.0);
    EXPECT_EQ(r->minTeamMem, 0);
    EXPECT_EQ(r->maxTeamMem, -1);
    EXPECT_EQ(r->MinMembersPerGender, 0);
    EXPECT_EQ(r->MaleLessThan, 0);
    EXPECT_EQ(r->FemaleLessThan, 0);
    EXPECT_EQ(rowTexts(stored(*r)), (QStringList{"U12", "-", "unbegr.", "unbegr.", "unbeschr."}));
    EXPECT_FALSE(ageClassDiffers(*getRequestFromUI(rt_modify, named(QString()), kGerman, nullptr), defaultAgeClass()))
        << "an empty editor is the default age class";
}

TEST(AgeClassEditor, TheFeeIsReadInTheUsersLocaleAndRoundedToCentsTiesToEven)
{
    auto fee = [](const QString& text) {
        TAgeClassEditor e = named(QStringLiteral("U8"));
        e.fee = text;
        QString error;
        const auto r = getRequestFromUI(rt_create, e, kGerman, &error);
        return r ? r->pricePerTeam : -1.0;
    };
    EXPECT_DOUBLE_EQ(fee(QStringLiteral("12,345")), 12.34);
    EXPECT_DOUBLE_EQ(fee(QStringLiteral("0,125")), 0.12); // exactly half a cent: to the even cent
    EXPECT_DOUBLE_EQ(fee(QStringLiteral("0,375")), 0.38);
    EXPECT_DOUBLE_EQ(fee(QStringLiteral("25")), 25.0);
    EXPECT_DOUBLE_EQ(fee(QStringLiteral(" ")), 0.0);

    TAgeClassEditor e = named(QStringLiteral("U8"));
    e.fee = QStringLiteral("abc");
    QString error;
    EXPECT_FALSE(getRequestFromUI(rt_create, e, kGerman, &error));
    EXPECT_EQ(error, QStringLiteral("Ungültiger Wert für Startgeld."));
    const auto lenient = getRequestFromUI(rt_modify, e, kGerman, nullptr);
    ASSERT_TRUE(lenient);
    EXPECT_EQ(lenient->pricePerTeam, 0.0);

    error.clear();
    EXPECT_FALSE(getRequestFromUI(rt_create, named(QStringLiteral("   ")), kGerman, &error));
    EXPECT_EQ(error, QStringLiteral("Leere Bezeichnung für Altersklasse."));

    // What the editor shows reads back as the stored fee, without group separators.
    EXPECT_EQ(feeEditText(1234.5, kGerman), QStringLiteral("1234,50"));
    proto::AgeClassType a = stored(*getRequestFromUI(rt_modify, named(QStringLiteral("U8")), kGerman, nullptr));
    a.BillingPricePerTeam = 12.34;
    e.fee = feeEditText(a.BillingPricePerTeam, kGerman);
    e.name = a.Name;
    EXPECT_FALSE(ageClassDiffers(*getRequestFromUI(rt_modify, e, kGerman, nullptr), a));
}

TEST(AgeClassEditor, RulesTravelAsPositionsAndReadAsTexts)
{
    TAgeClassEditor e = named(QStringLiteral("U10"));
    e.minimum = 4;
    e.maximum = 3; // below the minimum: unbounded
    e.genderMix = 2;
    e.male = 3; // at most 2 boys
    e.female = 0;
    const auto r = getRequestFromUI(rt_modify, e, kGerman, nullptr);
    EXPECT_EQ(r->minTeamMem, 4);
    EXPECT_EQ(r->maxTeamMem, -1);
    EXPECT_EQ(r->MaleLessThan, 3);
    EXPECT_EQ(rowTexts(stored(*r)), (QStringList{"U10", "-", "4", "unbegr., 2 m", "min. 2"}));

    e.maximum = 6;
    e.female = 4;
    const auto bounded = getRequestFromUI(rt_modify, e, kGerman, nullptr);
    EXPECT_EQ(bounded->maxTeamMem, 6);
    proto::AgeClassType withFee = stored(*bounded);
    withFee.BillingPricePerTeam = 25;
    EXPECT_EQ(rowTexts(withFee), (QStringList{"U10", "25,00 €", "4", "6, 2 m, 3 w", "min. 2"}));

    EXPECT_EQ(minimumText(0), QStringLiteral("unbegrenzt"));
    EXPECT_EQ(minimumText(4), QStringLiteral("4"));
    EXPECT_EQ(maximumText(3, 4), QStringLiteral("unbegrenzt"));
    EXPECT_EQ(maximumText(4, 4), QStringLiteral("4"));
    EXPECT_EQ(maximumText(-1, 0), QStringLiteral("unbegrenzt"));
    EXPECT_EQ(genderMixText(0), QStringLiteral("nicht prüfen"));
    EXPECT_EQ(genderMixText(2), QStringLiteral("Mindestens 2 TN pro Geschlecht"));
    EXPECT_EQ(genderMaximumText(0), QStringLiteral("unbegrenzt"));
    EXPECT_EQ(genderMaximumText(3), QStringLiteral("2"));
}

TEST(AgeClassEditor, AChangeIsAnyDifferenceOfNameFeeOrRule)
{
    const proto::AgeClassType a = stored(*getRequestFromUI(rt_modify, named(QStringLiteral("U10")), kGerman, nullptr));
    auto differs = [&](auto change) {
        TAgeClassEditor e = named(QStringLiteral("U10"));
        change(e);
        return ageClassDiffers(*getRequestFromUI(rt_modify, e, kGerman, nullptr), a);
    };
    EXPECT_FALSE(differs([](TAgeClassEditor&) {}));
    EXPECT_FALSE(differs([](TAgeClassEditor& e) { e.name = QStringLiteral(" U10 "); })) << "the name is trimmed";
    EXPECT_TRUE(differs([](TAgeClassEditor& e) { e.name = QStringLiteral("u10"); })) << "case counts";
    EXPECT_TRUE(differs([](TAgeClassEditor& e) { e.fee = QStringLiteral("0,01"); }));
    EXPECT_FALSE(differs([](TAgeClassEditor& e) { e.fee = QStringLiteral("0,004"); })) << "below a cent";
    EXPECT_TRUE(differs([](TAgeClassEditor& e) { e.minimum = 1; }));
    EXPECT_FALSE(differs([](TAgeClassEditor& e) { e.maximum = -1; }));
    EXPECT_TRUE(differs([](TAgeClassEditor& e) { e.maximum = 5; }));
    EXPECT_TRUE(differs([](TAgeClassEditor& e) { e.genderMix = 1; }));
    EXPECT_TRUE(differs([](TAgeClassEditor& e) { e.male = 1; }));
    EXPECT_TRUE(differs([](TAgeClassEditor& e) { e.female = 2; }));
}
