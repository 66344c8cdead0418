// The stand-in's barcode lookup, bulk bibs, blank barcodes and participant import over HTTP: what
// they store and what they refuse, and that a refused file leaves nothing behind.

#include "standin/ErrorMessages.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

#include <QFile>

#include <zip.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

QString sample(const char* name)
{
    QFile f(QStringLiteral(TVP_LADV_DEMO "/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(f.readAll());
}

// A zip archive holding the files, as Base64.
QString zipBase64(const std::vector<std::pair<const char*, QByteArray>>& files)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    std::vector<QByteArray> kept;
    for (const auto& [name, bytes] : files) {
        kept.push_back(bytes);
        zip_source_t* s = zip_source_buffer(archive, kept.back().constData(), zip_uint64_t(kept.back().size()), 0);
        zip_file_add(archive, name, s, ZIP_FL_OVERWRITE);
    }
    zip_close(archive);
    zip_source_open(buffer);
    zip_source_seek(buffer, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(buffer);
    zip_source_seek(buffer, 0, SEEK_SET);
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    zip_source_read(buffer, out.data(), zip_uint64_t(size));
    zip_source_close(buffer);
    zip_source_free(buffer);
    return QString::fromLatin1(out.toBase64());
}

class StandinImports : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        client = standin.newClient();
        competition = client->create(QStringLiteral("Kinderleichtathletik"));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
    }

    int count(const char* table)
    {
        const std::string sql = std::string("SELECT COUNT(*) FROM ") + table + " WHERE competition_id = ?";
        return seed->count(sql.c_str(), competition);
    }
    void import(const QString& text, ParticipantsImportStreamFormatType type = ParticipantsImportStreamFormatType::LADV)
    {
        client->cms()->importParticipants(competition, type, text);
    }

    std::unique_ptr<StandinClient> client;
    int competition = 0;
    std::unique_ptr<StandinSeed> seed;
};

TEST_F(StandinImports, BarcodesFindTheirAthleteInAnyCompetition)
{
    const int anna = seed->athlete(competition, QStringLiteral("Anna"), QStringLiteral("Berg"));
    const int blank = seed->giveBlankBarcode(competition, anna);
    const int barcode = seed->value("SELECT barcode FROM athletes WHERE id = ?", anna);
    const int other = client->create(QStringLiteral("Zweite"));

    const getAthleteInfoResponse1 byCode = client->drs()->getAthleteInfo(0, other, 0, barcode);
    EXPECT_EQ(byCode.Athlete->AthleteID, anna);
    EXPECT_EQ(byCode.Competition->ID, competition) << "the athlete's competition, not the one asked in";
    EXPECT_EQ(client->drs()->getAthleteInfo(0, competition, blank, 0).Athlete->AthleteID, anna);

    // A blank barcode reserved but not given, and codes nobody has, are error 10.
    const int unused = seed->blank(competition);
    EXPECT_EQ(errorIdOf([&] { client->drs()->getAthleteInfo(0, competition, unused, 0); }), 10);
    EXPECT_EQ(errorIdOf([&] { client->drs()->getAthleteInfo(0, competition, 0, 999999); }), 10);
    EXPECT_EQ(errorIdOf([&] { client->drs()->getAthleteInfo(0, competition, 0, 0); }), 10);
}

TEST_F(StandinImports, BulkBibsAreRefusedOnePerCallAndTheRunGoesOnInItsTransaction)
{
    const int anna = seed->athlete(competition, QStringLiteral("Anna"), {}, 0, 0, {11});
    const int ben = seed->athlete(competition, QStringLiteral("Ben"), {});
    const int cem = seed->athlete(competition, QStringLiteral("Cem"), {});

    client->begin(false);
    EXPECT_EQ(errorIdOf([&] { client->das()->setBibToAthlete(anna, 10); }), 119) << "Anna has a bib";
    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { client->das()->setBibToAthlete(ben, 11); }, &parameters), 40);
    EXPECT_EQ(parameters, (QStringList{QStringLiteral("11"), QStringLiteral("Anna")}));
    client->das()->setBibToAthlete(ben, 12);
    EXPECT_EQ(errorIdOf([&] { client->das()->setBibToAthlete(cem, 0); }), 235);
    client->das()->setBibToAthlete(cem, 13);
    client->commit();

    EXPECT_EQ(client->drs()->getAthletes(competition, 0, 0, 12, nullptr, nullptr, 0).front().AthleteID, ben);
    EXPECT_EQ(client->drs()->getAthletes(competition, 0, 0, 13, nullptr, nullptr, 0).front().AthleteID, cem);
    EXPECT_EQ(errorIdOf([&] { client->das()->setBibToAthlete(987654, 1); }), 230);
}

TEST_F(StandinImports, BlankBarcodesAreConsecutiveAndNeverHandedOutTwice)
{
    const allocateBlancAthleteBarcodeResponse1 first = client->das()->allocateBlancAthleteBarcode(competition, 3);
    ASSERT_TRUE(first.Range);
    EXPECT_EQ(first.Range->endID - first.Range->startID, 2);
    const allocateBlancAthleteBarcodeResponse1 second = client->das()->allocateBlancAthleteBarcode(competition, 1);
    EXPECT_EQ(second.Range->startID, second.Range->endID);
    EXPECT_GT(second.Range->startID, first.Range->endID);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM barcodes WHERE kind = 'blank' AND competition_id = ?", competition), 4);

    // The reserved ids are what an athlete may carry as custom barcode.
    AthleteInfoDataType info;
    info.Name = AthleteNameType{QStringLiteral("Nora"), QStringLiteral("Nach")};
    info.CustomBarcode = first.Range->startID + 1;
    EXPECT_EQ(client->das()->addAthlete(info, 0, competition, false, 0).Athlete->CustomBarcode, info.CustomBarcode);

    for (int bad : {0, -5, 1000000})
        EXPECT_EQ(errorIdOf([&] { client->das()->allocateBlancAthleteBarcode(competition, bad); }), 251) << bad;
    EXPECT_EQ(errorIdOf([&] { client->das()->allocateBlancAthleteBarcode(4711, 1); }), 3);
}

TEST_F(StandinImports, TheSampleFileAndItsZipCreateTeamsClubsAndAthletesReusingNames)
{
    import(sample("participants-4711.xml"));
    EXPECT_EQ(count("age_classes"), 2);
    EXPECT_EQ(count("teams"), 2);
    EXPECT_EQ(count("clubs"), 2);
    EXPECT_EQ(count("athletes"), 6);
    const getAthletesResponse1 athletes = client->drs()->getAthletes(competition, 0, 0, 0, nullptr, nullptr, 0);
    EXPECT_EQ(athletes[2].Name->surName, QStringLiteral("Öztürk"));
    EXPECT_EQ(athletes[2].Gender, GenderType::FEMALE);
    EXPECT_EQ(athletes[2].YearOfBirth, 2018);
    EXPECT_EQ(athletes[2].Team->Name, QStringLiteral("LG Nord 1"));
    EXPECT_EQ(athletes[2].Team->AgeClass->MaxTeamMembers, -1) << "unlimited, so its teams can be valid";
    EXPECT_FALSE(athletes[5].Team);
    EXPECT_EQ(athletes[5].Club->Name, QStringLiteral("TSV Süd"));

    // The zip form: the same again, and only the athletes are new.
    import(zipBase64({{"readme.txt", "Teilnehmer"},
                      { "meldung.XML",
                        sample("participants-4711.xml").toUtf8() }}),
           ParticipantsImportStreamFormatType::LADV_ZIP);
    EXPECT_EQ(count("age_classes"), 2);
    EXPECT_EQ(count("teams"), 2);
    EXPECT_EQ(count("clubs"), 2);
    EXPECT_EQ(count("athletes"), 12);
}

TEST_F(StandinImports, AFaultyFileIsRefusedWholeWithItsReason)
{
    const QString head = QStringLiteral("<participants xmlns=\"http://trivanta.example/Trivanta/LADV_TVP_Interface\">");
    const QString good = QStringLiteral("<athlete givenName=\"Anna\"/>");
    const QStringList faulty{
        QStringLiteral("kein XML"),
        head + good + QStringLiteral("<athlete surName=\"Ohne Vorname\"/></participants>"),
        head + good + QStringLiteral("<team name=\"A\"><athlete givenName=\"B\"/></team></participants>"),
        head + good + QStringLiteral("<athlete givenName=\"C\" gender=\"X\"/></participants>"),
        head + good + QStringLiteral("<athlete givenName=\"C\" yearOfBirth=\"zwanzig\"/></participants>"),
        head + good + QStringLiteral("<verein name=\"X\"/></participants>"),
        head + QStringLiteral("</participants>"),
        QStringLiteral("<participants>") + good + QStringLiteral("</participants>"),
        // No document type is ever processed: neither entity expansion nor an external file.
        QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE p [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                       "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>") +
            head + QStringLiteral("<athlete givenName=\"&c;\"/></participants>"),
        QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE p [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>") + head +
            QStringLiteral("<athlete givenName=\"&x;\"/></participants>"),
    };
    for (const QString& text : faulty) {
        QStringList parameters;
        EXPECT_EQ(errorIdOf([&] { import(text); }, &parameters), 250) << text.toStdString();
        EXPECT_FALSE(parameters.value(0).isEmpty());
    }
    for (const QString& text : {QStringLiteral("nicht base64!"), QString::fromLatin1(QByteArray("kein zip").toBase64()),
                                zipBase64({{"liesmich.txt", "nur Text"}})})
        EXPECT_EQ(errorIdOf([&] { import(text, ParticipantsImportStreamFormatType::LADV_ZIP); }), 250);
    EXPECT_EQ(count("athletes"), 0) << "the good athlete before the fault is not stored";
    EXPECT_EQ(count("age_classes"), 0);
}

} // namespace
