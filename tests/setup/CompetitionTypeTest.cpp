// Competition-type files as the wizard reads them: age classes with their fallbacks, fees in the
// program's locale, options, metadata fields, digests and the folder's listing.

#include "setup/CompetitionType.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tvp {
namespace {

QByteArray typeWith(const QByteArray& ageClasses, const QByteArray& rest = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CompetitionType><DisplayName>Testtyp</DisplayName>" +
           ageClasses + rest + "</CompetitionType>";
}

QByteArray oneAgeClass(const QByteArray& children)
{
    return typeWith("<AgeClasses><TeamStartFeeDefault>0</TeamStartFeeDefault>"
                    "<AthleteStartFeeDefault>0</AthleteStartFeeDefault><AgeClass>" +
                    children + "</AgeClass></AgeClasses>");
}

struct AgeClassCase {
    const char* children;
    int min, max, perGender, male, female;
    const char* younger;
    const char* older;
};

TEST(CompetitionTypeAgeClass, ChildrenTakeTheirFallbacks)
{
    const AgeClassCase cases[] = {
        {"", 0, -1, 0, 0, 0, "12", "13"},
        {"<DefaultMinTeamMembers>4</DefaultMinTeamMembers><DefaultMaxTeamMembers>3</DefaultMaxTeamMembers>", 4, -1, 0,
         0, 0, "12", "13"},
        {"<DefaultMinTeamMembers>4</DefaultMinTeamMembers><DefaultMaxTeamMembers>4</DefaultMaxTeamMembers>", 4, 4, 0, 0,
         0, "12", "13"},
        {"<MaxMaleMembers>2</MaxMaleMembers><MaxFemaleMembers>-1</MaxFemaleMembers>", 0, -1, 0, 3, 0, "12", "13"},
        {"<MaxMaleMembers>-5</MaxMaleMembers><MaxFemaleMembers>x</MaxFemaleMembers>", 0, -1, 0, 0, 0, "12", "13"},
        {"<MinMembersPerGender>x</MinMembersPerGender><CheckMixGenders>true</CheckMixGenders>", 0, -1, 1, 0, 0, "12",
         "13"},
        {"<MinMembersPerGender>x</MinMembersPerGender><CheckMixGenders>True</CheckMixGenders>", 0, -1, 0, 0, 0, "12",
         "13"},
        {"<MinMembersPerGender>-2</MinMembersPerGender><CheckMixGenders>true</CheckMixGenders>", 0, -1, 0, 0, 0, "12",
         "13"},
        {"<MinMembersPerGender>2</MinMembersPerGender>", 0, -1, 2, 0, 0, "12", "13"},
        {"<YoungerAge></YoungerAge><OlderAge>15</OlderAge>", 0, -1, 0, 0, 0, "12", "15"},
    };
    for (const AgeClassCase& c : cases) {
        SCOPED_TRACE(c.children);
        TCompetitionType type(oneAgeClass(c.children));
        ASSERT_EQ(type.AgeClasses().getAgeClassCount(), 1);
        const CTT_AgeClassType& a = type.AgeClasses().getAgeClass(0);
        EXPECT_EQ(a.Name, QString());
        EXPECT_EQ(a.MinTeamMembers, c.min);
        EXPECT_EQ(a.MaxTeamMembers, c.max);
        EXPECT_EQ(a.MinMembersPerGender, c.perGender);
        EXPECT_EQ(a.MaleMembersLessThan, c.male);
        EXPECT_EQ(a.FemaleMembersLessThan, c.female);
        EXPECT_EQ(a.YoungerAge, QLatin1String(c.younger));
        EXPECT_EQ(a.OlderAge, QLatin1String(c.older));
        EXPECT_EQ(a.AgeClassID, 0);
    }
}

TEST(CompetitionTypeAgeClass, ListModeFeesAndValidity)
{
    TCompetitionType type(typeWith("<AgeClasses listMode=\"Exclusive\"><TeamStartFeeDefault>12.5</TeamStartFeeDefault>"
                                   "<AthleteStartFeeDefault>2,5</AthleteStartFeeDefault>"
                                   "<AgeClass><Name>U10</Name></AgeClass><Other/><AgeClass><Name>U12</Name></AgeClass>"
                                   "</AgeClasses>"));
    CTT_AgeClasses& list = type.AgeClasses();
    EXPECT_FALSE(list.isExclusive());
    EXPECT_EQ(list.getAgeClassCount(), 2);
    EXPECT_EQ(list.TeamStartFeeDefault(), QStringLiteral("12,50"));
    EXPECT_EQ(list.AthStartFeeDefault(), QStringLiteral("2,50"));
    const CTT_AgeClassType added(type.root(), QStringLiteral("u10"));
    EXPECT_TRUE(list.checkAgeClassValidForCompType(added));

    TCompetitionType exclusive(
        typeWith("<AgeClasses listMode=\"exclusive\"><TeamStartFeeDefault>0</TeamStartFeeDefault>"
                 "<AthleteStartFeeDefault>0.0</AthleteStartFeeDefault>"
                 "<AgeClass><Name>U10</Name></AgeClass></AgeClasses>"));
    CTT_AgeClasses& closed = exclusive.AgeClasses();
    EXPECT_TRUE(closed.isExclusive());
    EXPECT_EQ(closed.TeamStartFeeDefault(), QString());
    EXPECT_EQ(closed.AthStartFeeDefault(), QString());
    EXPECT_FALSE(closed.checkAgeClassValidForCompType(added));
    const CTT_AgeClassType copy(closed.getAgeClass(0));
    EXPECT_TRUE(closed.checkAgeClassValidForCompType(copy));
}

TEST(CompetitionTypeAgeClass, BrokenFeesFailEveryReadAndMissingListFails)
{
    for (const char* fees :
         {"<TeamStartFeeDefault>abc</TeamStartFeeDefault><AthleteStartFeeDefault>1</AthleteStartFeeDefault>",
          "<TeamStartFeeDefault>1</TeamStartFeeDefault>", ""}) {
        SCOPED_TRACE(fees);
        TCompetitionType type(typeWith(QByteArray("<AgeClasses>") + fees + "<AgeClass/></AgeClasses>"));
        EXPECT_THROW(type.AgeClasses(), ECompetitionTypeError);
        EXPECT_THROW(type.AgeClasses(), ECompetitionTypeError);
    }
    TCompetitionType none(typeWith({}));
    EXPECT_THROW(none.AgeClasses(), ECompetitionTypeError);
}

// Paths of the rule language read the age class through its own evaluator.
TEST(CompetitionTypeAgeClass, PathsReadTheAgeClassItWasBoundTo)
{
    TCompetitionType type(oneAgeClass("<Name>U8</Name><DefaultMinTeamMembers>5</DefaultMinTeamMembers>"
                                      "<OlderAge>9</OlderAge>"));
    CTT_AgeClassType& a = type.AgeClasses().getAgeClass(0);
    TXMLEvaluator& ev = a.evaluator();
    EXPECT_EQ(ev.evaluate(QStringLiteral("$(#current(AgeClass)/Name)-$(#current(AgeClass)/OlderAge)")),
              QStringLiteral("U8-9"));
    EXPECT_EQ(ev.evaluate(QStringLiteral("$(#current(AgeClass)/MinTeamMembers)")), QStringLiteral("5"));
    EXPECT_EQ(ev.evaluate(QStringLiteral("$(#current(AgeClass)/SelectedDisciplinesCount)")), QStringLiteral("0"));
    EXPECT_THROW(ev.evaluate(QStringLiteral("$(#current(AgeClass)/BillingPricePerTeam)")), ERuleError);
    EXPECT_THROW(ev.evaluate(QStringLiteral("$(#current(AgeClass)/SelectedDisciplines[0]/Name)")), EListError);
    EXPECT_THROW(ev.evaluate(QStringLiteral("$(#current(AgeClass)/name)")), ERuleError);

    CTT_AgeClassType copy(a);
    copy.Name = QStringLiteral("U9");
    EXPECT_EQ(copy.evaluator().evaluate(QStringLiteral("$(#current(AgeClass)/Name)")), QStringLiteral("U9"));
    EXPECT_EQ(ev.evaluate(QStringLiteral("$(#current(AgeClass)/Name)")), QStringLiteral("U8"));
    EXPECT_EQ(copy.view().childNode(QStringLiteral("DisplayName")).text(), QStringLiteral("Testtyp"));
}

TEST(CompetitionTypeFile, OptionsFollowTheirWordsIgnoringCase)
{
    TCompetitionType none(typeWith({}));
    EXPECT_FALSE(none.Options().EnableCopyDiscFeature);
    EXPECT_FALSE(none.Options().CopyDiscFeatureDefaultEnabled);
    EXPECT_FALSE(none.Options().CreateDocumentationOption);

    TCompetitionType on(typeWith({}, "<Options><EnableCopyDiscFeature>TRUE</EnableCopyDiscFeature>"
                                     "<CopyDiscFeatureDefault>Enabled</CopyDiscFeatureDefault>"
                                     "<CreateDocumentationOption>true</CreateDocumentationOption></Options>"));
    EXPECT_TRUE(on.Options().EnableCopyDiscFeature);
    EXPECT_TRUE(on.Options().CopyDiscFeatureDefaultEnabled);
    EXPECT_FALSE(on.Options().CreateDocumentationOption);
}

TEST(CompetitionTypeFile, MetadataFieldsAndTheirFailures)
{
    TCompetitionType type(typeWith(
        {}, "<CompetitionMetaInformation>"
            "<metainfo id=\"Veranstalter\" displayName=\"Veranstalter:\" dataType=\"xsd:string\" required=\"true\"/>"
            "<note/>"
            "<metainfo id=\"Datum\" displayName=\"Datum:\" dataType=\"xsd:date\" required=\"TRUE\" readonly=\"true\""
            " defaultValue=\"2024-05-18\"/>"
            "</CompetitionMetaInformation>"));
    const std::vector<CTT_MetaDataItem>& items = type.MetaData();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].ID, QStringLiteral("Veranstalter"));
    EXPECT_TRUE(items[0].IsMandatoryField);
    EXPECT_FALSE(items[0].isReadOnly);
    EXPECT_EQ(items[0].DefaultValue, QString());
    EXPECT_EQ(items[1].dataType, mdt_Date);
    EXPECT_FALSE(items[1].IsMandatoryField);
    EXPECT_TRUE(items[1].isReadOnly);
    EXPECT_EQ(items[1].DefaultValue, QStringLiteral("2024-05-18"));

    try {
        TCompetitionType(typeWith({}, "<CompetitionMetaInformation><metainfo id=\"a\" displayName=\"A\" "
                                      "dataType=\"xsd:String\"/></CompetitionMetaInformation>"))
            .MetaData();
        ADD_FAILURE() << "no error";
    } catch (const ECompetitionTypeError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Nicht unterstützter Datentyp: xsd:String"));
    }
    TCompetitionType noId(
        typeWith({}, "<CompetitionMetaInformation><metainfo id=\"a\" displayName=\"A\" dataType=\"xsd:float\"/>"
                     "<metainfo displayName=\"B\" dataType=\"xsd:float\"/></CompetitionMetaInformation>"));
    EXPECT_THROW(noId.MetaData(), ECompetitionTypeError);
    EXPECT_THROW(noId.MetaData(), ECompetitionTypeError);
    EXPECT_THROW(TCompetitionType(typeWith({})).MetaData(), ECompetitionTypeError);
}

TEST(CompetitionTypeFile, DigestAndDisplayName)
{
    const QByteArray text = typeWith({});
    EXPECT_EQ(TCompetitionType(text).SecureHash(), TCompetitionType(text).SecureHash());
    QByteArray changed = text;
    changed[changed.indexOf("Testtyp")] = 't';
    EXPECT_NE(TCompetitionType(changed).SecureHash(), TCompetitionType(text).SecureHash());
    EXPECT_EQ(secureHashOf("abc"), QStringLiteral("A9993E364706816ABA3E25717850C26C9CD0D89D"));
    EXPECT_EQ(TCompetitionType::HashAlgorithm(), QStringLiteral("SHA1"));

    // Text is UTF-8 whatever the declaration says, and kept untrimmed.
    TCompetitionType umlaut("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><t:Type xmlns:t=\"urn:x\">"
                            "<t:DisplayName> Spielfest Über </t:DisplayName></t:Type>");
    EXPECT_EQ(umlaut.DisplayName(), QStringLiteral(" Spielfest Über "));
    EXPECT_THROW(TCompetitionType("<Type/>").DisplayName(), ECompetitionTypeError);
    EXPECT_THROW(TCompetitionType("<Type>"), ECompetitionTypeError);
    EXPECT_THROW(TCompetitionType(""), ECompetitionTypeError);
}

// A type may arrive from the browser: a declared entity must neither expand nor reach a file.
TEST(CompetitionTypeFile, DeclaredEntitiesAreNotResolved)
{
    const QByteArray text = "<!DOCTYPE Type [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                            "<Type><DisplayName>a&x;b</DisplayName></Type>";
    try {
        EXPECT_FALSE(TCompetitionType(text).DisplayName().contains(QLatin1String("root")));
    } catch (const ECompetitionTypeError&) {
    }
}

TEST(CompetitionTypeFile, ListingFollowsSortedFileNamesAndKeepsBrokenFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("b.qct", "<T><DisplayName>Zweiter</DisplayName></T>");
    write("a.qct", "<T><DisplayName>Erster</DisplayName></T>");
    write("B2.qct", "<T>\n  <DisplayName>Dritter</Display>\n</T>");
    write("c.qct", "<T/>");
    write("d.qdt", "<T><DisplayName>Keiner</DisplayName></T>");
    const std::vector<TCompetitionTypeEntry> list = listCompetitionTypes(dir.path());
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].fileName, QStringLiteral("B2.qct"));
    EXPECT_FALSE(list[0].type);
    // In German, with where the parser stopped (the wizard shows it).
    EXPECT_EQ(list[0].error, QStringLiteral("Der Veranstaltungstyp ist kein gültiges XML: End-Tag fehlt oder passt "
                                            "nicht zum Start-Tag in Zeile 2, Spalte 25."));
    EXPECT_EQ(list[1].displayName, QStringLiteral("Erster"));
    EXPECT_EQ(list[1].type->SecureHash(), secureHashOf("<T><DisplayName>Erster</DisplayName></T>"));
    EXPECT_EQ(list[2].displayName, QStringLiteral("Zweiter"));
    EXPECT_EQ(list[3].fileName, QStringLiteral("c.qct"));
    EXPECT_FALSE(list[3].error.isEmpty());
    EXPECT_TRUE(listCompetitionTypes(dir.filePath(QStringLiteral("missing"))).empty());
}

} // namespace
} // namespace tvp
