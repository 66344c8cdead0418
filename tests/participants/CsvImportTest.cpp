// The semicolon CSV reader against its rules, the registration table turned into the import
// request, and the import carried out against a recording target that keeps what it was given,
// so a second import of the same file sees the first one's age classes, clubs and teams.

#include "participants/CsvImport.h"
#include "core/lists/CsvReader.h"
#include "participants/ImportRequest.h"
#include "tests/support/TestUtil.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tvp;

namespace {

TCsvList csv(const QByteArray& bytes)
{
    return parseCSV(bytes);
}

QString csvError(const QByteArray& bytes)
{
    try {
        parseCSV(bytes);
    } catch (const ECsvError& e) {
        return e.message();
    }
    return {};
}

const QString kUnclosed = QStringLiteral("Fehler beim Lesen der CSV-Datei: Nicht abgeschlossenes \"-Quote am Ende.");

TEST(CsvReader, FieldsRowsAndLineEnds)
{
    EXPECT_EQ(csv("a;b\r\nc;d\r\n"), (TCsvList{{"a", "b"}, {"c", "d"}})) << "a final line break adds no row";
    EXPECT_EQ(csv("a;b\nc;d"), (TCsvList{{"a", "b"}, {"c", "d"}})) << "the last line needs no break";
    EXPECT_EQ(csv("a\n\nb\n"), (TCsvList{{"a"}, {""}, {"b"}})) << "an empty line is a row with one empty field";
    EXPECT_EQ(csv(";\n"), (TCsvList{{"", ""}}));
    EXPECT_EQ(csv("a\rb;c\r\r\n"), (TCsvList{{"ab", "c"}})) << "CR outside quotes is dropped";
    EXPECT_TRUE(csv("").empty());
    QBuffer stream;
    stream.setData("x;y\n");
    stream.open(QIODevice::ReadOnly);
    EXPECT_EQ(parseCSV(stream), (TCsvList{{"x", "y"}}));
}

TEST(CsvReader, QuotesFollowTheSpreadsheetRules)
{
    EXPECT_EQ(csv("\"a\"\"b\";c\n"), (TCsvList{{"a\"b", "c"}})) << "a doubled quote is one quote";
    EXPECT_EQ(csv("ab\"c;d\n"), (TCsvList{{"ab\"c", "d"}})) << "a quote inside an unquoted field is text";
    EXPECT_EQ(csv("\"x;\r\ny\";z\n"), (TCsvList{{"x;\r\ny", "z"}})) << "';', CR and LF inside quotes are text";
    EXPECT_EQ(csv("a;\"b\""), (TCsvList{{"a", "b"}})) << "the file may end right after a closing quote";
    EXPECT_EQ(csv("\"a\"\r\nb"), (TCsvList{{"a"}, {"b"}})) << "CR after a closing quote waits for the line end";
    EXPECT_EQ(csv("\"\";\"\"\n"), (TCsvList{{"", ""}}));
    EXPECT_EQ(csv("\"\"\"\"\n"), (TCsvList{{"\""}}));
}

TEST(CsvReader, ErrorsNameTheRecord)
{
    EXPECT_EQ(csvError("a;b\nc\n\"d\"x;e\n"),
              QStringLiteral("Fehler beim Lesen der CSV-Datei in Zeile 3: Nach einem \"-Quote-Ende muss ein \";\" oder "
                             "Absatz folgen"));
    EXPECT_EQ(csvError("\"d\" \n"), QStringLiteral("Fehler beim Lesen der CSV-Datei in Zeile 1: Nach einem \"-Quote-"
                                                   "Ende muss ein \";\" oder Absatz folgen"))
        << "a blank after the quote is no separator";
    EXPECT_EQ(csvError("a;\"b"), kUnclosed);
    EXPECT_EQ(csvError("a;\""), kUnclosed);
    EXPECT_EQ(csvError("\"a\nb;c\n"), kUnclosed) << "an unclosed quote swallows the rest of the file";
    EXPECT_EQ(csvError("\"a\"\"\""), QString()) << "the last byte closes the quote";
}

// Fault mended: the last field of a file that ends without a line break was dropped when empty.
TEST(CsvReader, AnEmptyLastFieldWithoutALineBreakIsKept)
{
    EXPECT_EQ(csv("a;b;"), (TCsvList{{"a", "b", ""}}));
    EXPECT_EQ(csv("a;b;"), csv("a;b;\n"));
    EXPECT_EQ(csv("h1;h2\nx;"), (TCsvList{{"h1", "h2"}, {"x", ""}}));
    EXPECT_EQ(csv("a;\"\""), (TCsvList{{"a", ""}})) << "an empty quoted last field too";
}

TEST(CsvReader, TextIsWindows1252)
{
    EXPECT_EQ(csv("M\xFCller;\x80;\x81\n"),
              (TCsvList{{QStringLiteral("Müller"), QStringLiteral("€"), QString(QChar(0x81))}}));
}

// A seeded loop over the reader's own characters: every input gives rows or the reader's error,
// and what it reads back out of its own escaping is what went in.
TEST(CsvReader, RandomInputNeverBreaksItAndEscapedFieldsRoundTrip)
{
    QRandomGenerator random(31);
    const QByteArray alphabet("ab\";\r\n \xE4");
    for (int i = 0; i < 20000; ++i) {
        QByteArray bytes;
        const int length = random.bounded(30);
        for (int k = 0; k < length; ++k)
            bytes += alphabet.at(random.bounded(int(alphabet.size())));
        try {
            for (const TCsvRow& row : parseCSV(bytes))
                ASSERT_FALSE(row.isEmpty());
        } catch (const ECsvError&) {
        }

        TCsvRow row;
        QByteArray line;
        for (int f = 0; f < 1 + random.bounded(4); ++f) {
            QByteArray field;
            for (int k = random.bounded(6); k > 0; --k)
                field += alphabet.at(random.bounded(int(alphabet.size())));
            row.append(QString::fromLatin1(field)); // 0xE4 is 'ä' in both code pages
            line += (f ? ";\"" : "\"") + QByteArray(field).replace("\"", "\"\"") + "\"";
        }
        ASSERT_EQ(parseCSV(line + "\r\n"), TCsvList{row}) << line.toStdString();
    }
}

// Spreadsheets on Linux save UTF-8, with or without a byte-order mark; older Windows ones
// Windows-1252, which must read as before.
TEST(CsvReader, Utf8FilesAreReadAsUtf8AndEveryOtherAsWindows1252)
{
    const QString names = QStringLiteral("Jürgen;TSV Öhringen;Größe €\n");
    const TCsvList expected{{QStringLiteral("Jürgen"), QStringLiteral("TSV Öhringen"), QStringLiteral("Größe €")}};
    EXPECT_EQ(csv(names.toUtf8()), expected) << "valid UTF-8 with umlauts";
    EXPECT_EQ(csv("\xEF\xBB\xBF" + names.toUtf8()), expected) << "the byte-order mark is no part of the first field";
    EXPECT_EQ(csv("\xEF\xBB\xBF\"a\";b\n"), (TCsvList{{"a", "b"}})) << "a quote right after the mark opens quotes";
    EXPECT_EQ(csv("J\xFCrgen;\x80;\xC3\n"),
              (TCsvList{{QStringLiteral("Jürgen"), QStringLiteral("€"), QStringLiteral("Ã")}}))
        << "not UTF-8: Windows-1252 byte by byte";
    EXPECT_EQ(csv(QStringLiteral("Größe;").toUtf8() + "\xFC\n"),
              (TCsvList{{QStringLiteral("GrÃ¶ÃŸe"), QStringLiteral("ü")}}))
        << "one byte that is no UTF-8 makes the whole file Windows-1252";
    EXPECT_EQ(csv("\xE2\x82\n"), (TCsvList{{QStringLiteral("â‚")}})) << "a cut sequence is no UTF-8";
    EXPECT_EQ(csv("\xEF\xBB\xBF"), TCsvList{}) << "a mark alone is an empty file";
}

// ---- the registration table ----

QString athleteName(const proto::addAthlete& a)
{
    return a.AthleteInfo->Name->givenName + QLatin1Char(' ') + a.AthleteInfo->Name->surName;
}

TEST(CsvRegistration, RowsBecomeAgeClassesClubsTeamsAndAthletes)
{
    const TCsvList rows = csv("Vorname;Name;Team;Altersklasse;Jahrgang;Geschlecht;Verein\r\n"
                              " Lena ; Berg ;Blitz;U10;2016;w;TV Nord\r\n"
                              "Tom;Kurz;Blitz;U10;abc;M\r\n"
                              "Mia;Lang;Blitz;U12;2014;x;TV Nord;extra\r\n"
                              "Ben;Ohne;;U12\r\n"
                              "Ida;Frei;;\r\n"
                              "Kai;Falsch;Donner;\r\n"
                              ";Leer;Blitz;U10\r\n"
                              "Zu;Kurz;Blitz\r\n"
                              "Ute;Klein;blitz;u10\r\n");
    const TCsvImportResult result = buildCsvImportRequest(rows);
    EXPECT_EQ(result.valid, 6);
    EXPECT_EQ(result.refused, 2) << "the row with a team but no age class, and the row of three fields";
    const TImportRequest& r = result.request;

    ASSERT_EQ(r.AgeClasses.size(), 3u) << "U10, U12 and u10: names compare exactly";
    EXPECT_EQ(r.AgeClasses[0].AgeClassInfo->Name, QStringLiteral("U10"));
    EXPECT_EQ(r.AgeClasses[2].AgeClassInfo->Name, QStringLiteral("u10"));
    ASSERT_EQ(r.clubs.size(), 1u);
    EXPECT_EQ(r.clubs[0].Name, QStringLiteral("TV Nord"));
    ASSERT_EQ(r.teams.size(), 3u) << "Blitz in U10, Blitz in U12, blitz in u10";
    EXPECT_EQ(r.teams[0].TeamInfo->Name, QStringLiteral("Blitz"));
    EXPECT_EQ(r.teams[0].AgeClassID, 0);
    EXPECT_EQ(r.teams[1].AgeClassID, 1);
    EXPECT_EQ(r.teams[2].AgeClassID, 2);

    ASSERT_EQ(r.athletes.size(), 6u);
    const proto::addAthlete& lena = r.athletes[0];
    EXPECT_EQ(athleteName(lena), QStringLiteral("Lena Berg")) << "fields are trimmed";
    EXPECT_EQ(lena.AthleteInfo->YearOfBirth, 2016);
    EXPECT_EQ(lena.AthleteInfo->Gender, proto::GenderType::FEMALE);
    EXPECT_TRUE(lena.AthleteInfo->Bib.empty()) << "the import never sets bibs";
    EXPECT_EQ(lena.TeamId, 0);
    EXPECT_EQ(lena.ClubID, 0);
    const proto::addAthlete& tom = r.athletes[1];
    EXPECT_EQ(tom.AthleteInfo->YearOfBirth, 0);
    EXPECT_EQ(tom.AthleteInfo->Gender, proto::GenderType::MALE);
    EXPECT_EQ(tom.TeamId, 0) << "the same team again";
    EXPECT_EQ(tom.ClubID, -1);
    EXPECT_EQ(r.athletes[2].AthleteInfo->Gender, proto::GenderType::NotSpecified);
    EXPECT_EQ(r.athletes[2].TeamId, 1);
    EXPECT_EQ(athleteName(r.athletes[3]), QStringLiteral("Ben Ohne"));
    EXPECT_EQ(r.athletes[3].TeamId, -1) << "an age class without a team: an athlete without team";
    EXPECT_EQ(athleteName(r.athletes[4]), QStringLiteral("Ida Frei"));
    EXPECT_EQ(r.athletes[4].TeamId, -1);
    EXPECT_EQ(r.athletes[5].TeamId, 2);

    EXPECT_EQ(csvImportQuestionText(result),
              QStringLiteral("Es wurden insgesamt 8 Datensätze geladen, davon waren 2 fehlerhaft und werden nicht "
                             "importiert. Trotzdem in aktuelle Veranstaltung importieren?\n\nFehlerhafte Zeilen: "
                             "7 (Team ohne Altersklasse), 9 (weniger als vier Spalten).\n\nGeschlecht weder \"M\" "
                             "noch \"W\", als \"Keine Angabe\" importiert: Zeilen 4 (x)."));
}

// Fault mended: age classes made by the import had a maximum of 0 team members, so no team in
// them could ever be valid; they now allow any number, as the age-class window makes them.
TEST(CsvRegistration, AgeClassesMadeByTheImportAllowAnyNumberOfTeamMembers)
{
    const TCsvImportResult result = buildCsvImportRequest(csv("h\nA;B;T;U8\nC;D;;U10\n"));
    ASSERT_EQ(result.request.AgeClasses.size(), 2u);
    for (const proto::createAgeClass& a : result.request.AgeClasses) {
        EXPECT_EQ(a.AgeClassInfo->MaxTeamMembers, -1);
        EXPECT_EQ(a.AgeClassInfo->MinTeamMembers, 0);
        EXPECT_EQ(a.AgeClassInfo->MinMembersPerGender, 0);
    }
}

TEST(CsvRegistration, NothingValidIsSaidSo)
{
    const TCsvImportResult onlyHeader = buildCsvImportRequest(csv("Vorname;Name;Team;Altersklasse\n"));
    EXPECT_EQ(onlyHeader.valid, 0);
    const TCsvImportResult faulty = buildCsvImportRequest(csv("h\na;b\n\n;x;y;z\n"));
    EXPECT_EQ(faulty.valid, 0);
    EXPECT_EQ(faulty.refused, 2) << "a short row and an empty line count; a row without given name does not";
    EXPECT_EQ(csvNothingToImportText(faulty),
              QStringLiteral("2 Zeilen geladen. Keine gültigen Datensätze gefunden. Import wird abgebrochen. "
                             "Fehlerhafte Zeilen: 2 (weniger als vier Spalten), 3 (weniger als vier Spalten)."));
    const TCsvImportResult fine = buildCsvImportRequest(csv("h\na;b;c;d\n"));
    EXPECT_EQ(csvImportQuestionText(fine),
              QStringLiteral("Es wurden insgesamt 1 gültige Datensätze geladen. Sollen "
                             "diese nun in die aktuelle Veranstaltung importiert werden?"));
}

// Fault mended: a given name of 2,000,000 characters was imported, though the athlete window
// keeps 32,767 of it and so showed the athlete as changed whenever it was chosen.
TEST(CsvRegistration, FieldsLongerThanTheirEditorTakesMakeAFaultyRowWithItsLine)
{
    const QByteArray endless(2'000'000, 'x');
    const QByteArray limit(kEditorTextLimit, 'y');
    const TCsvImportResult result =
        buildCsvImportRequest(csv("Vorname;Name;Team;Altersklasse;Jahrgang;Geschlecht;Verein\n"
                                  "Anna;Berg;Blitz;U10;2016\n" +
                                  endless +
                                  ";Lang;Blitz;U10\n"
                                  "Ben;" +
                                  limit +
                                  ";Blitz;U10\n"
                                  "Cem;Club;Blitz;U10;;;" +
                                  limit +
                                  "z\n"
                                  "Dora;Jahr;Blitz;U10;20155\n"
                                  "Eva;Jahr;Blitz;U10;02016\n"));
    EXPECT_EQ(result.valid, 3) << "Anna, Ben (at the limit) and Eva";
    EXPECT_EQ(result.refused, 3);
    ASSERT_EQ(result.faulty.size(), 3u);
    EXPECT_EQ(result.faulty[0].line, 3);
    EXPECT_EQ(result.faulty[0].reason, QStringLiteral("Feld länger als 32767 Zeichen"));
    EXPECT_EQ(result.faulty[1].line, 5) << "the club's field";
    EXPECT_EQ(result.faulty[2].line, 6);
    EXPECT_EQ(result.faulty[2].reason, QStringLiteral("Jahrgang mit mehr als 4 Stellen"));
    EXPECT_TRUE(result.request.clubs.empty()) << "nothing of a faulty row is made";
    for (const proto::addAthlete& a : result.request.athletes) {
        EXPECT_LE(a.AthleteInfo->Name->givenName.size(), kEditorTextLimit);
        EXPECT_LE(a.AthleteInfo->Name->surName.size(), kEditorTextLimit);
    }
    EXPECT_EQ(result.request.athletes.back().AthleteInfo->YearOfBirth, 2016);
    EXPECT_TRUE(csvImportQuestionText(result).endsWith(
        QStringLiteral("Fehlerhafte Zeilen: 3 (Feld länger als 32767 Zeichen), 5 (Feld länger als 32767 Zeichen), "
                       "6 (Jahrgang mit mehr als 4 Stellen).")));

    // Many faulty rows: the first ten are named, the rest counted.
    QByteArray many = "h\n";
    for (int i = 0; i < 14; ++i)
        many += "a;b\n";
    EXPECT_TRUE(csvNothingToImportText(buildCsvImportRequest(csv(many)))
                    .endsWith(QStringLiteral("11 (weniger als vier Spalten) und 4 weitere.")));
}

// ---- carrying the import out ----

// A competition in memory: what the target creates is what the next import finds.
struct MemoryCompetition : IImportTarget {
    TImportExisting data;
    struct Athlete {
        QString name;
        int teamId;
        int clubId;
    };
    std::vector<Athlete> athletes;
    QStringList calls;
    int nextId = 100;

    int createAgeClass(const proto::AgeClassInfoType& info) override
    {
        proto::AgeClassType a;
        static_cast<proto::AgeClassInfoType&>(a) = info;
        a.AgeClassID = nextId++;
        data.ageClasses.push_back(a);
        calls.append(QStringLiteral("createAgeClass ") + info.Name);
        return a.AgeClassID;
    }
    int addClub(const proto::ClubInfoDataType& info) override
    {
        proto::ClubType c;
        static_cast<proto::ClubInfoDataType&>(c) = info;
        c.ClubId = nextId++;
        data.clubs.push_back(c);
        calls.append(QStringLiteral("addClub ") + info.Name);
        return c.ClubId;
    }
    int addTeam(const proto::TeamInfoDataType& info, int ageClassId) override
    {
        proto::TeamType t;
        t.Name = info.Name;
        t.AgeClass = proto::AgeClassType{};
        t.AgeClass->AgeClassID = ageClassId;
        t.TeamID = nextId++;
        data.teams.push_back(t);
        calls.append(QStringLiteral("addTeam %1 %2").arg(info.Name).arg(ageClassId));
        return t.TeamID;
    }
    void addAthlete(const proto::AthleteInfoDataType& info, int teamId, int clubId) override
    {
        athletes.push_back({info.Name->givenName, teamId, clubId});
    }
};

TEST(ImportRequest, ExistingAgeClassesClubsAndTeamsAreReusedByExactName)
{
    MemoryCompetition competition;
    proto::AgeClassType u10;
    u10.Name = QStringLiteral("U10");
    u10.AgeClassID = 5;
    proto::AgeClassType u10Later = u10;
    u10Later.AgeClassID = 6;
    competition.data.ageClasses = {u10, u10Later};
    proto::ClubType club;
    club.Name = QStringLiteral("TV Nord");
    club.ClubId = 8;
    competition.data.clubs = {club};
    proto::TeamType blitz;
    blitz.Name = QStringLiteral("Blitz");
    blitz.TeamID = 11;
    blitz.AgeClass = u10;
    proto::TeamType donnerWithoutAgeClass;
    donnerWithoutAgeClass.Name = QStringLiteral("Donner");
    donnerWithoutAgeClass.TeamID = 12;
    competition.data.teams = {donnerWithoutAgeClass, blitz};

    const TCsvImportResult result = buildCsvImportRequest(csv("h\n"
                                                              "A;a;Blitz;U10;;;TV Nord\n"
                                                              "B;b;Blitz;U12;;;SC West\n"
                                                              "C;c;Donner;U10\n"
                                                              "D;d;;tv nord;;;tv nord\n"
                                                              "E;e\n"));
    executeImportRequest(result.request, competition.data, competition);
    EXPECT_EQ(competition.calls,
              (QStringList{QStringLiteral("createAgeClass U12"), QStringLiteral("createAgeClass tv nord"),
                           QStringLiteral("addClub SC West"), QStringLiteral("addClub tv nord"),
                           QStringLiteral("addTeam Blitz 100"), QStringLiteral("addTeam Donner 5")}))
        << "the first U10 is taken; a team without age class is never reused";
    ASSERT_EQ(competition.athletes.size(), 4u);
    EXPECT_EQ(competition.athletes[0].teamId, 11);
    EXPECT_EQ(competition.athletes[0].clubId, 8);
    EXPECT_EQ(competition.athletes[1].teamId, competition.data.teams[2].TeamID);
    EXPECT_EQ(competition.athletes[2].clubId, 0) << "no club";
    EXPECT_EQ(competition.athletes[3].teamId, 0) << "no team";
}

TEST(ImportRequest, ImportingTheSameTableTwiceCreatesOnlyTheAthletesAgain)
{
    QByteArray table = "Vorname;Name;Team;Altersklasse;Jahrgang;Geschlecht;Verein\r\n";
    for (int i = 0; i < 200; ++i)
        table += QStringLiteral("Kind%1;Familie%2;Team %3;U%4;%5;%6;Verein %7\r\n")
                     .arg(i)
                     .arg(i % 37)
                     .arg(i % 40)
                     .arg(8 + 2 * (i % 3))
                     .arg(2012 + i % 6)
                     .arg(i % 2 ? QLatin1Char('M') : QLatin1Char('W'))
                     .arg(i % 9)
                     .toLatin1();
    const TCsvImportResult result = buildCsvImportRequest(csv(table));
    ASSERT_EQ(result.valid, 200);
    EXPECT_EQ(result.request.AgeClasses.size(), 3u);
    EXPECT_EQ(result.request.clubs.size(), 9u);
    EXPECT_EQ(result.request.teams.size(), 120u) << "40 team names, each in the three age classes it meets";

    MemoryCompetition competition;
    executeImportRequest(result.request, competition.data, competition);
    const qsizetype created = competition.calls.size();
    EXPECT_EQ(created, 3 + 9 + 120);
    executeImportRequest(buildCsvImportRequest(csv(table)).request, competition.data, competition);
    EXPECT_EQ(competition.calls.size(), created) << "nothing but athletes is created the second time";
    ASSERT_EQ(competition.athletes.size(), 400u);
    for (std::size_t i = 0; i < 200; ++i) {
        EXPECT_EQ(competition.athletes[i].teamId, competition.athletes[i + 200].teamId);
        EXPECT_EQ(competition.athletes[i].clubId, competition.athletes[i + 200].clubId);
    }
}

} // namespace
