// LADV: participant files into the import stream, the competition list (and documents that try
// entity tricks on it), the locator template, where the login may go, and the online client
// against a loopback HTTP fixture: right and wrong password, redirects, concurrent requests.

#include "participants/LadvClient.h"
#include "participants/LadvFiles.h"
#include "tests/participants/HttpFixture.h"
#include "tests/support/TestUtil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <thread>

using namespace tvp;
using test::HttpFixture;
using test::HttpReply;
using test::HttpRequest;

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QString ladvError(const std::function<void()>& run)
{
    try {
        run();
    } catch (const ELadvError& e) {
        return e.message();
    }
    return {};
}

// A zip with the given files, written with libzip.
QByteArray zipOf(const std::vector<std::pair<const char*, QByteArray>>& files)
{
    QTemporaryDir dir;
    const QByteArray path = (dir.path() + QStringLiteral("/x.zip")).toLocal8Bit();
    int error = 0;
    zip_t* archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(archive, nullptr);
    for (const auto& [name, bytes] : files) {
        zip_source_t* source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        EXPECT_GE(zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8), 0);
    }
    if (files.empty())
        zip_dir_add(archive, "leer/", ZIP_FL_ENC_UTF_8);
    EXPECT_EQ(zip_close(archive), 0);
    QFile f(QString::fromLocal8Bit(path));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

const QByteArray kParticipants =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<teilnehmer><athlet name=\"J\xC3\xBCrgen\"/>"
    "</teilnehmer>\n";

// ---- participant files ----

TEST(LadvFile, AnXmlFileIsItsUtf8TextWithOrWithoutByteOrderMark)
{
    const TLadvImportStream plain = participantFileStream(QStringLiteral("meldung.xml"), kParticipants);
    EXPECT_EQ(plain.streamType, proto::ParticipantsImportStreamFormatType::LADV);
    EXPECT_EQ(plain.importStream, QString::fromUtf8(kParticipants));
    EXPECT_TRUE(plain.importStream.contains(QStringLiteral("Jürgen")));
    const TLadvImportStream withBom = participantFileStream(QStringLiteral("meldung.xml"), kBom + kParticipants);
    EXPECT_EQ(withBom.importStream, plain.importStream);

    EXPECT_EQ(ladvError([] { participantFileStream(QStringLiteral("m.xml"), "<a n=\"J\xFCrgen\"/>"); }),
              kInvalidImportFileText)
        << "Latin-1 text would reach the server garbled";
    EXPECT_EQ(ladvError([] { participantFileStream(QStringLiteral("MELDUNG.XML"), kParticipants); }),
              kInvalidImportFileText)
        << "the extension compares exactly";
    EXPECT_EQ(ladvError([] { participantFileStream(QStringLiteral("meldung.csv"), kParticipants); }),
              kInvalidImportFileText);
}

TEST(LadvFile, AZipFileGoesAsBase64OfTheWholeFile)
{
    const QByteArray zip = zipOf({{"meldung.xml", kParticipants}});
    const TLadvImportStream stream = participantFileStream(QStringLiteral("export.zip"), zip);
    EXPECT_EQ(stream.streamType, proto::ParticipantsImportStreamFormatType::LADV_ZIP);
    EXPECT_EQ(QByteArray::fromBase64(stream.importStream.toLatin1()), zip);
    EXPECT_FALSE(stream.importStream.contains(QLatin1Char('\n')));

    EXPECT_EQ(ladvError([&] { participantFileStream(QStringLiteral("x.zip"), zip.left(zip.size() - 10)); }),
              kInvalidImportFileText)
        << "a cut-off archive";
    EXPECT_EQ(ladvError([] { participantFileStream(QStringLiteral("x.zip"), kParticipants); }), kInvalidImportFileText);
    EXPECT_EQ(ladvError([] { participantFileStream(QStringLiteral("x.zip"), zipOf({})); }), kInvalidImportFileText)
        << "an archive without a file";
    EXPECT_EQ(ladvError([&] { participantFileStream(QStringLiteral("x.ZIP"), zip); }), kInvalidImportFileText);
}

TEST(LadvFile, FilesAreReadFromDisk)
{
    QTemporaryDir dir;
    const QString xml = dir.filePath(QStringLiteral("meldung.xml"));
    QFile f(xml);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kBom + kParticipants);
    f.close();
    EXPECT_EQ(readParticipantFile(xml).importStream, QString::fromUtf8(kParticipants));
    EXPECT_EQ(ladvError([&] { readParticipantFile(dir.filePath(QStringLiteral("fehlt.xml"))); }),
              kInvalidImportFileText);
}

// ---- the competition list ----

QByteArray listDocument(const QByteArray& items,
                        const QByteArray& ns = "http://trivanta.example/Trivanta/LADV_TVP_Interface")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<l:competitionList xmlns:l=\"" + ns + "\">" + items +
           "</l:competitionList>";
}

QByteArray item(const char* name, const char* id, const char* status)
{
    return QByteArray("<competitionToPublish><competition><Name>") + name + "</Name><LADVID>" + id +
           "</LADVID></competition><competitionStatus>" + status + "</competitionStatus></competitionToPublish>\n";
}

TEST(LadvCompetitionList, ItemsAreReadAndCompletedOnesAreNotShown)
{
    const auto list = parseCompetitionList(listDocument(
        item("Kinderleichtathletik Nord", "4711", "participantsLocked") + item("Herbstsportfest", "4712", "completed") +
        item("Hallenmeeting M\xC3\xBCnster", "4713", "created")));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].competition->Name, QStringLiteral("Kinderleichtathletik Nord"));
    EXPECT_EQ(list[0].competition->LADVID, QStringLiteral("4711"));
    EXPECT_EQ(list[2].competition->Name, QStringLiteral("Hallenmeeting Münster"));
    const auto open = openCompetitions(list);
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(competitionStatusText(open[0].competitionStatus), QStringLiteral("Meldeschluss"));
    EXPECT_EQ(competitionStatusText(open[1].competitionStatus), QStringLiteral("angelegt"));
    EXPECT_EQ(competitionStatusText(proto::TCompetitionStatusType::completed), QStringLiteral("abgeschlossen"));
    EXPECT_TRUE(openCompetitions(parseCompetitionList(listDocument(item("A", "1", "completed")))).empty());
    EXPECT_TRUE(parseCompetitionList(listDocument("")).empty());

    // The namespace may also be the default one.
    const QByteArray plain = "<competitionList xmlns=\"http://trivanta.example/Trivanta/LADV_TVP_Interface\">" +
                             item("A", "1", "created") + "</competitionList>";
    EXPECT_EQ(parseCompetitionList(plain).size(), 1u);
}

TEST(LadvCompetitionList, AnythingElseIsAnInvalidFormat)
{
    const std::vector<QByteArray> bad = {
        "",
        "kein XML",
        listDocument(item("A", "1", "created"), "http://example.org/other"),
        "<competitionList>" + item("A", "1", "created") + "</competitionList>",
        "<l:otherList xmlns:l=\"http://trivanta.example/Trivanta/LADV_TVP_Interface\"/>",
        listDocument(item("A", "1", "open")),
        listDocument("<competitionToPublish><competitionStatus>created</competitionStatus></competitionToPublish>"),
        listDocument("<unknown/>"),
        listDocument(item("A", "1", "created")).left(60),
    };
    for (const QByteArray& doc : bad)
        EXPECT_EQ(ladvError([&] { parseCompetitionList(doc); }), kInvalidCompetitionListText) << doc.toStdString();
}

TEST(LadvCompetitionList, NoDocumentTypeIsEverProcessed)
{
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE competitionList [\n<!ENTITY lol \"lol\">\n";
    for (int i = 1; i <= 9; ++i)
        laughs += "<!ENTITY lol" + QByteArray::number(i) + " \"" +
                  QByteArray("&lol" + (i > 1 ? QByteArray::number(i - 1) : QByteArray()) + ";").repeated(10) + "\">\n";
    laughs += "]>\n" + listDocument(item("&lol9;", "1", "created")).mid(39);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(ladvError([&] { parseCompetitionList(laughs); }), kInvalidCompetitionListText);
    EXPECT_LT(timer.elapsed(), 1000);

    QTemporaryDir dir;
    const QString secretFile = dir.filePath(QStringLiteral("geheim.txt"));
    QFile secret(secretFile);
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("GEHEIMNIS");
    secret.close();
    const QByteArray external = "<?xml version=\"1.0\"?>\n<!DOCTYPE l:competitionList [<!ENTITY x SYSTEM \"file://" +
                                secretFile.toUtf8() + "\">]>\n" + listDocument(item("&x;", "1", "created")).mid(39);
    EXPECT_EQ(ladvError([&] { parseCompetitionList(external); }), kInvalidCompetitionListText);

    // Without a declaration an entity reference is no entity: it never becomes a name.
    try {
        for (const auto& i : parseCompetitionList(listDocument(item("&x;", "1", "created"))))
            EXPECT_FALSE(i.competition->Name.contains(QStringLiteral("GEHEIMNIS")));
    } catch (const ELadvError&) {
    }
}

// ---- the locator and the login ----

TEST(LadvLocator, TheOnePlaceholderIsFilledByHand)
{
    EXPECT_EQ(fillLocatorTemplate(QStringLiteral("https://ladv.example/api/%s/teilnehmer.xml"), QStringLiteral("4711")),
              QStringLiteral("https://ladv.example/api/4711/teilnehmer.xml"));
    EXPECT_EQ(
        fillLocatorTemplate(QStringLiteral("https://ladv.example/dl?id=%s&fmt=a%%20b"), QStringLiteral("a b/c?d")),
        QStringLiteral("https://ladv.example/dl?id=a%20b%2Fc%3Fd&fmt=a%20b"))
        << "the id stays one value; %% is a percent sign";
    EXPECT_EQ(fillLocatorTemplate(QStringLiteral("https://ladv.example/%s"), QStringLiteral("x@evil.example")),
              QStringLiteral("https://ladv.example/x%40evil.example"));

    const QString bad = QStringLiteral("Die LADV-Adressvorlage ist ungültig.");
    for (const char* locator : {"https://ladv.example/api/", "https://ladv.example/%s/%s", "https://ladv.example/%d",
                                "https://ladv.example/%s%", "https://ladv.example/%20%s", "https://%s.ladv.example/x",
                                "https://ladv.example%s/x", "%s://ladv.example/x", "ftp://ladv.example/%s", "%s"})
        EXPECT_EQ(ladvError([&] { fillLocatorTemplate(QString::fromLatin1(locator), QStringLiteral("1")); }), bad)
            << locator;
}

TEST(LadvLocator, TheLoginGoesOnlyToHttpsOrTheMakersHost)
{
    EXPECT_TRUE(mayCarryCredentials(QUrl(QStringLiteral("https://ladv.example/x")), QStringLiteral("127.0.0.1")));
    EXPECT_TRUE(mayCarryCredentials(QUrl(QStringLiteral("http://127.0.0.1:8080/x")), QStringLiteral("127.0.0.1")));
    EXPECT_TRUE(mayCarryCredentials(QUrl(QStringLiteral("http://Updates.Trivanta.example/x")),
                                    QStringLiteral("updates.trivanta.example")));
    EXPECT_FALSE(mayCarryCredentials(QUrl(QStringLiteral("http://ladv.example/x")), QStringLiteral("127.0.0.1")));
    EXPECT_FALSE(mayCarryCredentials(QUrl(QStringLiteral("http://ladv.example/x")), QString()));
    EXPECT_FALSE(mayCarryCredentials(QUrl(QStringLiteral("ftp://127.0.0.1/x")), QStringLiteral("127.0.0.1")));
}

// ---- the online client against a fixture ----

const TLadvCredentials kTrainer{QStringLiteral("trainer"), QStringLiteral("ge:heimä")};
const std::string kTrainerLogin = "trainer:ge:heim\xC3\xA4";

// The maker's locators under /maker/ladv/..., LADV's overview and download under /ladv/...
struct LadvFake {
    std::string competitionLocator;
    std::string participantLocator;
    std::function<HttpReply(const HttpRequest&)> extra;
    HttpFixture http{[this](const HttpRequest& r) { return answer(r); }};

    LadvFake()
    {
        competitionLocator = "\xEF\xBB\xBF" + http.url(QStringLiteral("/ladv/competitions")).toStdString() + "\r\n";
        participantLocator = http.url(QStringLiteral("/ladv/download?id=%s")).toStdString();
    }

    TLadvService service() const { return TLadvService(http.url(QStringLiteral("/maker/"))); }

    HttpReply answer(const HttpRequest& r)
    {
        if (r.path == "/maker/ladv/competitionOverview")
            return {200, competitionLocator, {}};
        if (r.path == "/maker/ladv/participantDownload")
            return {200, participantLocator, {}};
        if (extra) {
            HttpReply reply = extra(r);
            if (reply.status != 0)
                return reply;
        }
        if (r.login != kTrainerLogin)
            return {401, "Anmeldung erforderlich", {}};
        if (r.path == "/ladv/competitions")
            return {200, listDocument(item("Sportfest", "4711", "participantsLocked")).toStdString(), {}};
        if (r.path == "/ladv/download")
            return {
                200, (kBom + kParticipants + "<!-- " + QByteArray::fromStdString(r.query) + " -->").toStdString(), {}};
        return {404, "", {}};
    }
};

TEST(LadvOnline, TheListAndTheDownloadCarryTheLoginAndOnlyThey)
{
    LadvFake fake;
    const auto list = fake.service().loadCompetitionList(kTrainer);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].competition->LADVID, QStringLiteral("4711"));

    const QString participants = fake.service().downloadParticipants(QStringLiteral("47 11"), kTrainer);
    EXPECT_TRUE(participants.startsWith(QStringLiteral("<?xml"))) << "without byte-order mark";
    EXPECT_TRUE(participants.contains(QStringLiteral("Jürgen")));
    EXPECT_TRUE(participants.contains(QStringLiteral("id=47%2011")));

    const auto requests = fake.http.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].path, "/maker/ladv/competitionOverview");
    EXPECT_TRUE(requests[0].login.empty()) << "locators are fetched without the login";
    EXPECT_EQ(requests[1].login, kTrainerLogin);
    EXPECT_TRUE(requests[2].login.empty());
    EXPECT_EQ(requests[3].login, kTrainerLogin);
}

TEST(LadvOnline, AWrongPasswordIsReportedWithoutRevealingIt)
{
    LadvFake fake;
    const TLadvCredentials wrong{QStringLiteral("trainer"), QStringLiteral("falsch-XYZ")};
    const QString listError = ladvError([&] { fake.service().loadCompetitionList(wrong); });
    EXPECT_EQ(listError, QStringLiteral("Anmeldung bei LADV fehlgeschlagen: Benutzername oder Passwort ist falsch."));
    const QString downloadError = ladvError([&] { fake.service().downloadParticipants(QStringLiteral("1"), wrong); });
    EXPECT_EQ(downloadError, listError);
}

TEST(LadvOnline, EmptyLocatorsGiveEmptyResultsWithoutAskingLadv)
{
    LadvFake fake;
    fake.competitionLocator = "\xEF\xBB\xBF\r\n";
    fake.participantLocator = "";
    EXPECT_TRUE(fake.service().loadCompetitionList(kTrainer).empty());
    EXPECT_TRUE(fake.service().downloadParticipants(QStringLiteral("1"), kTrainer).isEmpty());
    EXPECT_EQ(fake.http.requests().size(), 2u);

    fake.participantLocator = fake.http.url(QStringLiteral("/ladv/download?id=%s&x=%d")).toStdString();
    EXPECT_EQ(ladvError([&] { fake.service().downloadParticipants(QStringLiteral("1"), kTrainer); }),
              QStringLiteral("Die LADV-Adressvorlage ist ungültig."));
    EXPECT_EQ(fake.http.requests().size(), 3u) << "a refused template is never fetched";
}

TEST(LadvOnline, ARedirectToAnotherHostGetsNoLogin)
{
    LadvFake fake;
    // "localhost" is the same computer under another name: another host for the login.
    fake.extra = [&](const HttpRequest& r) -> HttpReply {
        if (r.path == "/ladv/competitions")
            return {302, "", fake.http.url(QStringLiteral("/ladv/moved"), QStringLiteral("localhost")).toStdString()};
        if (r.path == "/ladv/moved" && r.host.rfind("localhost", 0) == 0)
            return {302, "", fake.http.url(QStringLiteral("/ladv/back")).toStdString()};
        if (r.path == "/ladv/back")
            return {200, listDocument(item("Zurück", "1", "created")).toStdString(), {}};
        return {0, {}, {}};
    };
    const auto list = fake.service().loadCompetitionList(kTrainer);
    ASSERT_EQ(list.size(), 1u);
    const auto requests = fake.http.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].login, kTrainerLogin);
    EXPECT_EQ(requests[2].path, "/ladv/moved");
    EXPECT_TRUE(requests[2].login.empty()) << "no login across the redirect to another host";
    EXPECT_EQ(requests[3].path, "/ladv/back");
    EXPECT_EQ(requests[3].login, kTrainerLogin) << "back at the first address, the login may go again";
}

TEST(LadvOnline, ARedirectOnTheSameHostKeepsTheLogin)
{
    LadvFake fake;
    fake.extra = [&](const HttpRequest& r) -> HttpReply {
        if (r.path == "/ladv/competitions" && r.query.empty())
            return {301, "", fake.http.url(QStringLiteral("/ladv/competitions?v=2")).toStdString()};
        return {0, {}, {}};
    };
    EXPECT_EQ(fake.service().loadCompetitionList(kTrainer).size(), 1u);
    EXPECT_EQ(fake.http.requests().back().login, kTrainerLogin);

    fake.extra = [&](const HttpRequest& r) -> HttpReply {
        if (r.path == "/ladv/competitions")
            return {302, "", fake.http.url(QStringLiteral("/ladv/competitions")).toStdString()};
        return {0, {}, {}};
    };
    EXPECT_EQ(ladvError([&] { fake.service().loadCompetitionList(kTrainer); }),
              QStringLiteral("LADV leitet zu oft weiter."));
}

TEST(LadvOnline, PlainHttpToAnotherHostNeverSeesTheLogin)
{
    LadvFake fake;
    TLadvHttpClient http(QStringLiteral("updates.trivanta.example"));
    EXPECT_EQ(ladvError([&] { http.get(fake.http.url(QStringLiteral("/ladv/competitions")), &kTrainer, 1000); }),
              QStringLiteral("Die LADV-Adresse ist nicht verschlüsselt (https). Benutzername und Passwort werden nicht "
                             "gesendet."));
    EXPECT_TRUE(fake.http.requests().empty());
    // Without a login the same address is fine.
    EXPECT_EQ(http.get(fake.http.url(QStringLiteral("/maker/ladv/participantDownload")), nullptr, 1000),
              QByteArray::fromStdString(fake.participantLocator));
    EXPECT_EQ(
        ladvError([&] { http.get(fake.http.url(QStringLiteral("/maker/ladv/participantDownload")), nullptr, 10); }),
        QStringLiteral("Die Antwort von LADV ist zu groß."));
}

TEST(LadvOnline, RequestsRunningAtOnceKeepTheirOwnLogins)
{
    HttpFixture http([](const HttpRequest& r) -> HttpReply {
        if (r.path.rfind("/maker/", 0) == 0)
            return {200, "http://127.0.0.1:" + r.host.substr(r.host.find(':') + 1) + "/echo?id=%s", {}};
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return {200, r.login + "|" + r.query, {}};
    });
    const TLadvService service(http.url(QStringLiteral("/maker/")));
    constexpr int kThreads = 8;
    std::vector<QString> answers(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            const TLadvCredentials login{QStringLiteral("user%1").arg(i), QStringLiteral("pw%1").arg(i)};
            answers[std::size_t(i)] = service.downloadParticipants(QString::number(i), login);
        });
    for (std::thread& t : threads)
        t.join();
    for (int i = 0; i < kThreads; ++i)
        EXPECT_EQ(answers[std::size_t(i)], QStringLiteral("user%1:pw%1|id=%1").arg(i));
}

} // namespace
