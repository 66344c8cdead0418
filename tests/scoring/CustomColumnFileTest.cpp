// Custom column files: reading, column names matched exactly, athletes matched by trimmed names,
// and the log of every ambiguity, with the values each line stores.

#include "core/lists/CsvReader.h"
#include "core/protocol/Errors.h"
#include "scoring/CustomColumnFile.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

#include <gtest/gtest.h>

using namespace tvp;
using tvp::test::StandinTest;

namespace {

proto::CupAthleteType cupAthlete(int id, const QString& given, const QString& sur)
{
    proto::CupAthleteType a;
    a.AthleteID = id;
    a.Name = proto::AthleteNameType{given, sur};
    return a;
}

proto::CustomColumnType cupColumn(int id, const QString& name)
{
    proto::CustomColumnType c;
    c.ID = id;
    c.Name = name;
    return c;
}

const QString kCupAmbiguity = QStringLiteral("Athlet \"Anna Muster\" konnte nicht eindeutig zugeordnet werden. Ggf. "
                                             "gibt es den Namen mehrfach im Cup. Bitte manuell die Zuordnung prüfen.");
const QString kListAmbiguity =
    QStringLiteral("Athlet \"Anna Muster\" konnte nicht eindeutig zugeordnet werden. Ggf. gibt es den Namen "
                   "mehrfach in der importierten Liste. Bitte manuell die Zuordnung prüfen.");

} // namespace

TEST(CustomColumnFile, ReadingKeepsValuesAndLogsLinesWithoutFullName)
{
    try {
        TCustomDataList empty(QByteArray(), 1);
        FAIL() << "an empty file is refused";
    } catch (const TvpError& e) {
        EXPECT_EQ(e.message(), "Leere Datei");
    }
    EXPECT_THROW(TCustomDataList("a;\"b\"x\r\n", 1), ECsvError);

    const TCustomDataList list("Vorname;Nachname;Gr\xf6\xdf"
                               "e;Shirt\r\nAnna; Muster ;1,60\r\nBen\r\n\r\nClara;Kurz;;XL\r\n",
                               3);
    ASSERT_EQ(list.getNoOfCols(), 2);
    EXPECT_EQ(list.getCol(0), QStringLiteral("Größe"));
    ASSERT_EQ(list.getNoOfAthletes(), 2);
    EXPECT_EQ(list.item(0).surName(), " Muster ");
    EXPECT_EQ(list.item(0).getData(0), "1,60");
    EXPECT_EQ(list.item(0).getData(1), "") << "a short line has empty values";
    EXPECT_EQ(list.getErrors(), QStringList({"In Zeile 3 ist kein vollständiger Name angegeben.",
                                             "In Zeile 4 ist kein vollständiger Name angegeben."}));
}

TEST(CustomColumnFile, ColumnsMatchByExactNameAndOnlyMatchedValuesAreStored)
{
    TCustomDataList list("Vorname;Nachname;Gr\xf6\xdf"
                         "e;Shirt\r\nAnna;Muster;1,60;M\r\n",
                         3);
    matchCustomColumns(list, {cupColumn(5, QStringLiteral("größe")), cupColumn(6, "Shirt")});
    EXPECT_EQ(list.getErrors(),
              QStringList({QStringLiteral("Spalte \"Größe\" nicht im Cup gefunden."), "Spalte \"Shirt\" erkannt."}));
    const auto values = list.createCustomInfoForAthlete(0);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].ColumnID, 6);
    EXPECT_EQ(values[0].Value, "M");
}

TEST(CustomColumnFile, AthletesMatchByTrimmedNamesAndEveryAmbiguityIsLogged)
{
    proto::getCupAthletesResponse cup;
    cup.CompletedCupAthletes = {cupAthlete(11, "Anna", "Muster"), cupAthlete(12, "Anna", "Muster"),
                                cupAthlete(13, "Ben", "Berg")};
    cup.PendingCupAthletes = {cupAthlete(21, "Clara", "Kurz")};

    // Namesakes in one list: each line warns, the second line takes the one still free.
    TCustomDataList twins("V;N;Shirt\r\nAnna ;\tMuster;S\r\nAnna;Muster;M\r\n", 1);
    matchCustomColumns(twins, {cupColumn(6, "Shirt")});
    auto stores = matchCustomAthletes(twins, cup);
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(stores[0].athleteId, 11);
    EXPECT_EQ(stores[1].athleteId, 12);
    EXPECT_EQ(stores[1].values.at(0).Value, "M");
    const QString asWritten = QStringLiteral(
        "Athlet \"Anna  \tMuster\" konnte nicht eindeutig zugeordnet werden. Ggf. gibt es den Namen mehrfach im "
        "Cup. Bitte manuell die Zuordnung prüfen.");
    EXPECT_EQ(twins.getErrors(), QStringList({"Spalte \"Shirt\" erkannt.", asWritten, kCupAmbiguity}));

    // One athlete named twice in the file: both lines store to it, the second one warns.
    proto::getCupAthletesResponse single;
    single.PendingCupAthletes = {cupAthlete(31, "Anna", "Muster")};
    TCustomDataList repeated("V;N;Shirt\r\nAnna;Muster;S\r\nAnna;Muster;L\r\nanna;Muster;XL\r\n", 1);
    stores = matchCustomAthletes(repeated, single);
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(stores[1].athleteId, 31);
    EXPECT_EQ(repeated.getErrors(),
              QStringList({kListAmbiguity, "Athlet \"anna Muster\" konnte nicht im Cup gefunden werden."}))
        << "letter case counts";
}

// The whole import against the stand-in: recognised values land on the athlete, others nowhere.
TEST_F(StandinTest, CustomColumnImportStoresRecognisedValuesOnTheCupAthlete)
{
    standin.start();
    test::StandinSeed seed(standin.dataFile());
    const int comp = seed.competition(QStringLiteral("A"));
    seed.athlete(comp, QStringLiteral("Anna"), QStringLiteral("Muster"));
    seed.athlete(comp, QStringLiteral("Ben"), QStringLiteral("Berg"));
    auto client = standin.newClient();
    proto::CupInfoDataType info;
    info.Name = QStringLiteral("Kreiscup");
    const int cup = client->css()->createCup(info).CupID;
    client->css()->assignCompetitions(cup, {comp});
    proto::CustomColumnInfoType column;
    column.Name = QStringLiteral("größe");
    column.ItemType = proto::CupItemType::Athlete;
    const int groesse = client->css()->addCustomColumn(cup, column).CustomColumn->ID;

    TCustomDataList list("Vorname;Nachname;Gr\xf6\xdf"
                         "e;gr\xf6\xdf"
                         "e\r\nAnna ; Muster;1,60;1,55\r\nCarl;Kurz;1;1\r\n",
                         cup);
    std::exception_ptr failure;
    const QStringList log = runCustomColumnImport(*client->crs(), *client->css(), list, failure);
    EXPECT_FALSE(failure);
    EXPECT_EQ(log, QStringList({QStringLiteral("Spalte \"Größe\" nicht im Cup gefunden."),
                                QStringLiteral("Spalte \"größe\" erkannt."),
                                "Athlet \"Carl Kurz\" konnte nicht im Cup gefunden werden."}));
    const proto::getCupAthletesResponse athletes = client->crs()->getCupAthletes(cup, 0, 0);
    QStringList stored;
    for (const auto* group : {&athletes.CompletedCupAthletes, &athletes.PendingCupAthletes})
        for (const proto::CupAthleteType& a : *group)
            for (const proto::CustomInformationType& v : a.CustomInformations)
                stored << QStringLiteral("%1:%2=%3").arg(a.Name->givenName).arg(v.Column->ID).arg(v.Value);
    EXPECT_EQ(stored, QStringList({QStringLiteral("Anna:%1=1,55").arg(groesse)}));
}
