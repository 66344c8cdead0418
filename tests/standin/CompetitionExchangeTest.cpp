// Competition files over HTTP: an export read back into a new competition and exported again is the
// same file; a template leaves the participants out; a broken or foreign file is refused and
// leaves nothing behind.

#include "standin/ErrorMessages.h"
#include "tests/support/CompetitionSeed.h"
#include "tests/support/StandinHarness.h"

#include <QRegularExpression>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

class CompetitionFiles : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        client = standin.newClient();
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        original = seedCompetition(*seed, QStringLiteral("Sportfest Süd"), {});
    }

    QString exportOf(int competition, bool asTemplate = false)
    {
        return client->cms()->exportCompetition(competition, asTemplate).XmlStream;
    }
    int rows(const char* table, int competition)
    {
        const std::string sql = std::string("SELECT COUNT(*) FROM ") + table + " WHERE competition_id = ?";
        return seed->count(sql.c_str(), competition);
    }
    int all(const char* table)
    {
        return seed->count((std::string("SELECT COUNT(*) FROM ") + table + " WHERE ?").c_str(), 1);
    }

    // Every row count the file is about, for "nothing was left behind".
    std::vector<int> footprint()
    {
        std::vector<int> counts;
        for (const char* t : {"competitions", "athletes", "teams", "barcodes", "results", "ui_infos", "disciplines",
                              "aggregators", "schedule_items"})
            counts.push_back(all(t));
        return counts;
    }

    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    int original = 0;
};

TEST_F(CompetitionFiles, ImportedAndExportedAgainGivesTheSameFile)
{
    const QString first = exportOf(original);
    ASSERT_TRUE(first.startsWith(QStringLiteral("<?xml")));
    EXPECT_TRUE(first.contains(QStringLiteral("<name>Sportfest Süd</name>")));
    EXPECT_TRUE(first.contains(QStringLiteral("<date>2026-06-13</date>")));

    const int copy =
        client->cms()->importCompetition(QStringLiteral("Sportfest Nord"), QDate(2027, 5, 1), first).CompetitionID;
    ASSERT_NE(copy, original);
    EXPECT_EQ(rows("athletes", copy), 50);
    EXPECT_EQ(rows("teams", copy), 5);
    EXPECT_EQ(rows("disciplines", copy), 3);
    EXPECT_EQ(rows("athlete_bibs", copy), 50);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM results r JOIN disciplines d ON d.id = r.discipline_id "
                          "WHERE d.competition_id = ?",
                          copy),
              150);
    // New barcodes: printed sheets of the original keep naming the original's athletes.
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM athletes a JOIN athletes b ON a.barcode = b.barcode "
                          "WHERE a.competition_id = ? AND b.competition_id <> a.competition_id",
                          copy),
              0);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM ui_infos WHERE assoc_id = ? AND key = 'MetaData_Ort'", copy), 1);

    QString second = exportOf(copy);
    second.replace(QStringLiteral("<name>Sportfest Nord</name>"), QStringLiteral("<name>Sportfest Süd</name>"));
    second.replace(QStringLiteral("<date>2027-05-01</date>"), QStringLiteral("<date>2026-06-13</date>"));
    EXPECT_EQ(second, first);

    // The short form takes name and date from the file; the name is taken by now.
    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { client->cms()->importCompetition(first); }, &parameters), standin::errors::NameInUse);
    EXPECT_EQ(parameters, QStringList{QStringLiteral("Sportfest Süd")});
    client->cms()->removeCompetition(original);
    const int back = client->cms()->importCompetition(first).CompetitionID;
    const auto competitions = client->drs()->getCompetitions();
    const auto it =
        std::find_if(competitions.begin(), competitions.end(), [&](const CompetitionType& c) { return c.ID == back; });
    ASSERT_NE(it, competitions.end());
    EXPECT_EQ(it->Name, QStringLiteral("Sportfest Süd"));
    EXPECT_EQ(it->Date, QDate(2026, 6, 13));
}

TEST_F(CompetitionFiles, TemplateKeepsTheSetupWithoutParticipants)
{
    const QString text = exportOf(original, true);
    EXPECT_TRUE(text.contains(QStringLiteral("template=\"true\"")));
    EXPECT_FALSE(text.contains(QStringLiteral("Kind 1")));
    const int copy =
        client->cms()->importCompetition(QStringLiteral("Vorlage 2027"), QDate(2027, 1, 1), text).CompetitionID;
    EXPECT_EQ(rows("athletes", copy), 0);
    EXPECT_EQ(rows("teams", copy), 0);
    EXPECT_EQ(rows("clubs", copy), 0);
    EXPECT_EQ(rows("barcodes", copy), 4); // the age class and the three disciplines
    EXPECT_EQ(rows("age_classes", copy), 1);
    EXPECT_EQ(rows("disciplines", copy), 3);
    EXPECT_EQ(rows("squads", copy), 1);
    EXPECT_EQ(rows("aggregators", copy), 1);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM squad_teams t JOIN squads s ON s.id = t.squad_id "
                          "WHERE s.competition_id = ?",
                          copy),
              0);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM schedule_items i JOIN squads s ON s.id = i.squad_id "
                          "WHERE s.competition_id = ?",
                          copy),
              3);
}

TEST_F(CompetitionFiles, BrokenOrForeignFilesAreRefusedAndLeaveNothing)
{
    const QString text = exportOf(original);
    const std::vector<int> before = footprint();

    QString badReference = text;
    // The last scoring-node link names a node the file does not hold.
    const qsizetype at = badReference.lastIndexOf(QStringLiteral("aggregator_id=\""));
    badReference.insert(at + 15, QStringLiteral("9999"));
    QString unknownColumn = text;
    unknownColumn.replace(QStringLiteral("given_name="), QStringLiteral("vorname="));

    const std::vector<std::pair<const char*, QString>> files = {
        {"truncated", text.left(text.size() / 2)},
        {"foreign", QStringLiteral("<?xml version=\"1.0\"?><html><body>Hallo</body></html>")},
        {"not xml", QStringLiteral("Veranstaltung")},
        {"newer format", QString(text).replace(QStringLiteral("format=\"1\""), QStringLiteral("format=\"2\""))},
        {"bad reference", badReference},
        {"unknown column", unknownColumn},
        {"bad value", QString(text).replace(QStringLiteral("gender=\"NotSpecified\""), QStringLiteral("gender=\"X\""))},
    };
    for (const auto& [what, file] : files) {
        QStringList parameters;
        // clang 14 cannot capture a structured binding.
        EXPECT_EQ(
            errorIdOf(
                [&, &file = file] { client->cms()->importCompetition(QStringLiteral("Neu"), QDate(2027, 1, 1), file); },
                &parameters),
            standin::errors::InvalidCompetitionFile)
            << what;
        EXPECT_EQ(parameters.size(), 1) << what;
        EXPECT_EQ(footprint(), before) << what;
    }
    // The refusal's text is the server's own, in German.
    const auto messages = client->drs()->getExceptionMessages(0);
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const auto& m) {
        return m.ExceptionID == standin::errors::InvalidCompetitionFile &&
               m.ExceptionMessage.startsWith(QStringLiteral("Die Datei ist keine gültige Veranstaltungsdatei"));
    }));
}

TEST_F(CompetitionFiles, UnknownCompetitionIsRefused)
{
    EXPECT_EQ(errorIdOf([&] { exportOf(987654); }), standin::errors::CompetitionNotFound);
}

} // namespace
