// The three document setup windows offscreen against the stand-in: linking the standard template,
// an existing document and one chosen by hand, the list of existing documents, the notifications
// to the window's user and the UI infos stored on the server.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/results/tvpUtils.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "scoring/ui/BillingDocSetupDialog.h"
#include "scoring/ui/CertDocSetupDialog.h"
#include "scoring/ui/TeamScheduleDocSetupDialog.h"
#include "tests/scoring/DocxPackages.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

// Also remembers where each save dialog starts, the proposed name in it.
class ProposalDialogs : public ScriptedDialogs {
public:
    QString getSaveFileNameWithSuffix(QWidget* parent, const QString& caption, const QString& dir,
                                      const QString& filter, const QString& suffix) override
    {
        proposals << dir;
        return ScriptedDialogs::getSaveFileNameWithSuffix(parent, caption, dir, filter, suffix);
    }
    QStringList proposals;
};

struct Status {
    TDocPathStatus status;
    QString path;
    int id;
    int extra;
};

class DocSetupWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        auto scripted = std::make_unique<ProposalDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        auto comp = std::make_unique<proto::CompetitionType>();
        comp->ID = client->create(QStringLiteral("Kinderleichtathletik 2026"));
        comp->Name = QStringLiteral("Kinderleichtathletik 2026");
        competitionId = comp->ID;
        competition.SetCompetitionInternal(std::move(comp));
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        QDir(folders.programDir.path()).mkpath(QStringLiteral("Templates"));
        for (const TDocKind* kind : {&certDocKind(), &billingDocKind(), &scheduleDocKind()})
            QFile::copy(standardTemplate(kind->templateFile), standardTemplatePath(*kind));
        cert = std::make_unique<TCertDocSetupForm>(context);
        billing = std::make_unique<TBillingDocSetupForm>(context);
        schedule = std::make_unique<TTeamScheduleDocSetupForm>(context);
        for (IDocSetupForm* form : std::initializer_list<IDocSetupForm*>{cert.get(), billing.get(), schedule.get()})
            form->OnStatusChange = [this](TDocPathStatus s, const QString& path, int id, int extra) {
                statuses.push_back({s, path, id, extra});
            };
    }

    void TearDown() override
    {
        settle();
        cert.reset();
        billing.reset();
        schedule.reset();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        setDialogs(nullptr);
    }

    static void settle()
    {
        for (int quiet = 0; quiet < 3;) {
            ASSERT_TRUE(waitUntil([] { return runningRequestCount() == 0; }, 15000));
            QTest::qWait(10);
            quiet = runningRequestCount() == 0 ? quiet + 1 : 0;
        }
    }

    int collection(const QString& name, int comp, int cup = 0)
    {
        const int id = seed->db().nextId("collection");
        seed->db()
            .query("INSERT INTO aggregator_collections (id, competition_id, cup_id, name) VALUES (?, NULLIF(?, 0), "
                   "NULLIF(?, 0), ?)",
                   id, comp, cup, name)
            .run();
        return id;
    }
    QString uiInfo(const QString& key, int id) { return client->drs()->getUiInfo(key, id).Value; }
    void setUiInfo(const QString& key, const QString& value, int id) { client->cms()->setUiInfo(key, value, id); }
    QString document(const QString& name, const QByteArray& bytes)
    {
        const QString path = docs.filePath(name);
        EXPECT_TRUE(writeAll(path, bytes));
        return path;
    }
    static QStringList column(QTreeView* list, int c)
    {
        QStringList out;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            out << list->model()->index(r, c).data().toString();
        return out;
    }
    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // On its indicator: a radio button stretched by its layout takes clicks only there and on its text.
    static void click(QRadioButton* option)
    {
        QTest::mouseClick(option, Qt::LeftButton, Qt::NoModifier, QPoint(8, option->height() / 2));
    }
    static void clickRow(QTreeView* list, int row)
    {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }
    static void clickHeader(QTreeView* list, int section)
    {
        QHeaderView* h = list->header();
        const QPoint at(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    template <class T>
    static T* child(QWidget& w, const char* name)
    {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(c) << name;
        return c;
    }
    QStringList statusNames() const
    {
        QStringList out;
        for (const Status& s : statuses)
            out << QString::number(int(s.status));
        return out;
    }

    TempAppFolders folders;
    QTemporaryDir docs;
    ProposalDialogs* script = nullptr;
    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    int competitionId = 0;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    std::unique_ptr<TCertDocSetupForm> cert;
    std::unique_ptr<TBillingDocSetupForm> billing;
    std::unique_ptr<TTeamScheduleDocSetupForm> schedule;
    std::vector<Status> statuses;
};

} // namespace

TEST_F(DocSetupWindows, CertificateFromTheStandardTemplateThenRelinkedFromTheList)
{
    const int coll = collection(QStringLiteral("U10 / Jungen"), competitionId);
    const QString target = docs.filePath(QStringLiteral("U10_.docx"));
    script->expectWindow(QStringLiteral("Urkunde für Wertung \"U10 / Jungen\" einrichten"), [&](QWidget& w) {
        EXPECT_EQ(child<QGroupBox>(w, "GroupBox1")->title(),
                  QStringLiteral("Neue Urkunde für Wertung \"U10 / Jungen\" einrichten"));
        EXPECT_TRUE(child<QRadioButton>(w, "RadioButton1")->isChecked());
        script->expectFile(QStringLiteral("Dokument speichern unter"), target);
        click(child<QPushButton>(w, "Button2"));
        EXPECT_FALSE(w.isVisible()); // closed after the run
        return 0;
    });
    cert->showDialog(QStringLiteral("U10 / Jungen"), coll, false);
    settle();
    EXPECT_EQ(script->proposals, QStringList{QStringLiteral("U10_.docx")});
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
    EXPECT_EQ(statusNames(), (QStringList{"1", "2"}));
    EXPECT_EQ(statuses.back().path, target);
    EXPECT_EQ(statuses.back().id, coll);
    EXPECT_EQ(uiInfo(QStringLiteral("AggColl_CertDocPath"), coll), target);
    const QString dataFile = docs.filePath(QStringLiteral("U10___Jungen.csv"));
    const QByteArray settings = findEntry(readPackage(readAll(target)), "word/settings.xml")->content;
    EXPECT_TRUE(settings.contains("<w:query w:val=\"SELECT * FROM " + dataFile.toUtf8() + "\"/>"));
    EXPECT_FALSE(settings.contains("w:activeRecord"));
    EXPECT_FALSE(QFileInfo::exists(dataFile));

    // The data view asks for the path.
    statuses.clear();
    cert->getPath(coll);
    settle();
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].status, TDocPathStatus::dps_loaded);
    EXPECT_EQ(statuses[0].path, target);

    // Another compilation starts from that document: the list offers it, the run links it anew,
    // starting in the folder of the last target.
    const int other = collection(QStringLiteral("U12"), competitionId);
    const QString second = docs.filePath(QStringLiteral("U12.docx"));
    script->expectWindow(QStringLiteral("Urkunde für Wertung \"U12\" einrichten"), [&](QWidget& w) {
        auto* list = child<QTreeView>(w, "ListView1");
        click(child<QRadioButton>(w, "RadioButton2"));
        EXPECT_FALSE(child<QPushButton>(w, "Button2")->isEnabled());
        EXPECT_EQ(column(list, 0), QStringList{QStringLiteral("Lade Urkunden...")});
        settle();
        EXPECT_EQ(column(list, 0), QStringList{QStringLiteral("U10 / Jungen")});
        EXPECT_EQ(column(list, 3), QStringList{target});
        clickRow(list, 0);
        script->expectFile(QStringLiteral("Dokument speichern unter"), second);
        click(child<QPushButton>(w, "Button2"));
        return 0;
    });
    cert->showDialog(QStringLiteral("U12"), other, false);
    settle();
    EXPECT_EQ(script->proposals.last(), docs.filePath(QStringLiteral("U12.docx")));
    EXPECT_EQ(uiInfo(QStringLiteral("AggColl_CertDocPath"), other), second);
    const QByteArray relinked = findEntry(readPackage(readAll(second)), "word/settings.xml")->content;
    EXPECT_TRUE(relinked.contains("SELECT * FROM " + docs.filePath(QStringLiteral("U12.csv")).toUtf8() + "\""));

    // Discarding the link clears the UI info.
    statuses.clear();
    cert->removeCertDocPath(other);
    settle();
    EXPECT_EQ(statusNames(), (QStringList{"3", "4"}));
    EXPECT_EQ(uiInfo(QStringLiteral("AggColl_CertDocPath"), other), QString());
}

TEST_F(DocSetupWindows, ExistingCertificatesListedFirstForThisCompetition)
{
    const int otherComp = client->create(QStringLiteral("Herbstsportfest"));
    const int withUs = seed->cup(QStringLiteral("Kreiscup"), {competitionId});
    const int without = seed->cup(QStringLiteral("Bezirkscup"), {otherComp});
    const QString plain = document(QStringLiteral("brief.docx"), makePackage({{"word/document.xml", "<w:d/>"}}));
    struct Row {
        const char* name;
        int comp;
        int cup;
        QString path;
    };
    for (const Row& r : {Row{"b Bezirk", 0, without, plain}, Row{"a Herbst", otherComp, 0, plain},
                         Row{"z Unsere", competitionId, 0, plain}, Row{"k Kreis", 0, withUs, plain},
                         Row{"weg", competitionId, 0, docs.filePath(QStringLiteral("fehlt.docx"))}})
        setUiInfo(QStringLiteral("AggColl_CertDocPath"), r.path,
                  collection(QString::fromLatin1(r.name), r.comp, r.cup));
    const int coll = collection(QStringLiteral("U8"), competitionId);

    script->expectWindow(QStringLiteral("Urkunde für Wertung \"U8\" einrichten"), [&](QWidget& w) {
        auto* list = child<QTreeView>(w, "ListView1");
        auto* confirm = child<QPushButton>(w, "Button2");
        click(child<QRadioButton>(w, "RadioButton2"));
        settle();
        // This competition's rows and its cup first, then by kind, origin and name; the missing
        // file is left out.
        EXPECT_EQ(column(list, 0), (QStringList{"z Unsere", "k Kreis", "a Herbst", "b Bezirk"}));
        EXPECT_EQ(column(list, 1), (QStringList{"Veranstaltung", "Cup", "Veranstaltung", "Cup"}));
        EXPECT_EQ(column(list, 2),
                  (QStringList{"Kinderleichtathletik 2026", "Kreiscup", "Herbstsportfest", "Bezirkscup"}));
        clickHeader(list, 2); // the shared sort from here on
        EXPECT_EQ(column(list, 0), (QStringList{"b Bezirk", "a Herbst", "z Unsere", "k Kreis"}));

        // Without a chosen row the run asks for one.
        EXPECT_TRUE(confirm->isEnabled());
        click(confirm);
        EXPECT_EQ(recorder.messages.lines(),
                  QStringList{QStringLiteral("Urkunde einrichten: Bitte Urkundenvorlage aus Liste wählen")});

        // A document without mail merge is copied as it is, after the note.
        clickRow(list, 1);
        script->expectFile(QStringLiteral("Dokument speichern unter"), docs.filePath(QStringLiteral("U8.docx")));
        click(confirm);
        return 0;
    });
    cert->showDialog(QStringLiteral("U8"), coll, false);
    settle();
    EXPECT_EQ(recorder.messages.lines().value(1),
              QStringLiteral("Urkundenvorlage anlegen: Das gewählte Dokument kann nicht automatisch mit der "
                             "Datenquelle verknüpft werden und muss manuell eingerichtet werden."));
    EXPECT_EQ(readAll(docs.filePath(QStringLiteral("U8.docx"))), readAll(plain));
    EXPECT_EQ(uiInfo(QStringLiteral("AggColl_CertDocPath"), coll), docs.filePath(QStringLiteral("U8.docx")));
}

TEST_F(DocSetupWindows, ManualDocumentIsStoredUnchangedAndAMissingTemplateIsReported)
{
    const int coll = collection(QStringLiteral("U14"), competitionId);
    const QByteArray bytes = makePackage({{"word/document.xml", "<w:d/>"}});
    const QString mine = document(QStringLiteral("eigene.docx"), bytes);
    const auto before = QDir(docs.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    script->expectWindow(QStringLiteral("Urkunde für Wertung \"U14\" einrichten"), [&](QWidget& w) {
        click(child<QRadioButton>(w, "RadioButton3"));
        script->expectFile(QStringLiteral("Dokument auswählen"), mine);
        click(child<QPushButton>(w, "Button2"));
        return 0;
    });
    cert->showDialog(QStringLiteral("U14"), coll, false);
    settle();
    EXPECT_EQ(uiInfo(QStringLiteral("AggColl_CertDocPath"), coll), mine);
    EXPECT_EQ(readAll(mine), bytes);
    EXPECT_EQ(QDir(docs.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);

    QFile::remove(standardTemplatePath(certDocKind()));
    script->expectWindow(QStringLiteral("Urkunde für Wertung \"U14\" einrichten"), [&](QWidget& w) {
        click(child<QPushButton>(w, "Button2"));
        EXPECT_TRUE(w.isVisible());
        click(child<QPushButton>(w, "Button1"));
        return 0;
    });
    cert->showDialog(QStringLiteral("U14"), coll, false);
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Urkunden einrichten: Standardvorlage konnte nicht unter \"") +
                          QDir::toNativeSeparators(standardTemplatePath(certDocKind())) +
                          QStringLiteral("\" gefunden werden.")});
}

TEST_F(DocSetupWindows, ReceiptsLinkToTheirDataFileAndListOtherCompetitions)
{
    const int last = client->create(QStringLiteral("Vorjahr"));
    const QString old =
        document(QStringLiteral("Quittungen alt.docx"), readAll(standardTemplatePath(billingDocKind())));
    setUiInfo(QStringLiteral("Comp_BillingDocPath"), old, last);
    const QString target = docs.filePath(QStringLiteral("Quittungen.docx"));
    script->expectWindow(QStringLiteral("Quittungen einrichten"), [&](QWidget& w) {
        auto* list = child<QTreeView>(w, "ListView1");
        click(child<QRadioButton>(w, "RadioButton2"));
        settle();
        EXPECT_EQ(column(list, 0), QStringList{QStringLiteral("Vorjahr")});
        EXPECT_EQ(column(list, 1), QStringList{old});
        click(child<QRadioButton>(w, "RadioButton1"));
        script->expectFile(QStringLiteral("Dokument speichern unter"), target);
        click(child<QPushButton>(w, "Button2"));
        return 0;
    });
    billing->showDialog(competitionId);
    settle();
    EXPECT_EQ(script->proposals, QStringList{QStringLiteral("Quittungen.docx")});
    EXPECT_EQ(statusNames(), (QStringList{"1", "2"}));
    EXPECT_EQ(statuses.back().id, competitionId);
    EXPECT_EQ(uiInfo(QStringLiteral("Comp_BillingDocPath"), competitionId), target);
    const std::vector<ReadEntry> linked = readPackage(readAll(target));
    EXPECT_TRUE(findEntry(linked, "word/settings.xml")
                    ->content.contains("\"Select * FROM " + docs.filePath("Quittungsdaten.csv").toUtf8() + "\""));
    EXPECT_TRUE(findEntry(linked, "word/_rels/settings.xml.rels")
                    ->content.contains(dataSourceTarget(docs.filePath("Quittungsdaten.csv")).toUtf8()));
}

TEST_F(DocSetupWindows, ScheduleStoresItsKindWithThePath)
{
    const QString target = docs.filePath(QStringLiteral("Teamablaufplan.docx"));
    script->expectWindow(QStringLiteral("Ablaufplan einrichten"), [&](QWidget& w) {
        EXPECT_TRUE(child<QRadioButton>(w, "RadioGroup1Item0")->isChecked());
        click(child<QRadioButton>(w, "RadioGroup1Item1"));
        script->expectFile(QStringLiteral("Dokument speichern unter"), target);
        click(child<QPushButton>(w, "Button2"));
        return 0;
    });
    schedule->showDialog(competitionId);
    settle();
    EXPECT_EQ(script->proposals, QStringList{QStringLiteral("Teamablaufplan.docx")});
    ASSERT_EQ(statusNames(), (QStringList{"1", "2"}));
    EXPECT_EQ(statuses[0].extra, int(TScheduleDocType::sd_TEAM));
    EXPECT_EQ(uiInfo(QStringLiteral("Comp_TeamScheduleDocPath"), competitionId), target);
    EXPECT_EQ(uiInfo(QStringLiteral("Comp_TeamScheduleDocType"), competitionId), QStringLiteral("TEAM"));
    EXPECT_TRUE(findEntry(readPackage(readAll(target)), "word/settings.xml")
                    ->content.contains("Select * FROM " + docs.filePath("Teamablaufplandaten.csv").toUtf8()));

    statuses.clear();
    schedule->getPath(competitionId);
    settle();
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].path, target);
    EXPECT_EQ(statuses[0].extra, int(TScheduleDocType::sd_TEAM));

    // A kind text the program does not know reads as none; squads are the default kind.
    setUiInfo(QStringLiteral("Comp_TeamScheduleDocType"), QStringLiteral("team"), competitionId);
    schedule->getPath(competitionId);
    settle();
    EXPECT_EQ(statuses.back().extra, int(TScheduleDocType::sd_NONE));
    script->expectWindow(QStringLiteral("Ablaufplan einrichten"), [&](QWidget& w) {
        click(child<QRadioButton>(w, "RadioGroup1Item0"));
        script->expectFile(QStringLiteral("Dokument speichern unter"), docs.filePath("Riegenablaufplan.docx"));
        click(child<QPushButton>(w, "Button2"));
        return 0;
    });
    schedule->showDialog(competitionId);
    settle();
    EXPECT_EQ(uiInfo(QStringLiteral("Comp_TeamScheduleDocType"), competitionId), QStringLiteral("SQUAD"));

    statuses.clear();
    schedule->removeTeamScheduleDocPath(competitionId);
    settle();
    EXPECT_EQ(statusNames(), (QStringList{"3", "4"}));
    EXPECT_EQ(uiInfo(QStringLiteral("Comp_TeamScheduleDocPath"), competitionId), QString());
    EXPECT_EQ(uiInfo(QStringLiteral("Comp_TeamScheduleDocType"), competitionId), QString());
}

// Not a check: with TVP_SCREENSHOT_FILE set (under Xvfb with QT_QPA_PLATFORM=xcb) the certificate
// window is shown with its list of existing documents filled and the screen is saved there.
TEST_F(DocSetupWindows, ShownForAScreenshot)
{
    const QString file = qEnvironmentVariable("TVP_SCREENSHOT_FILE");
    if (file.isEmpty())
        GTEST_SKIP() << "only with TVP_SCREENSHOT_FILE";
    const int cup = seed->cup(QStringLiteral("Kreiscup 2026"), {competitionId});
    const int last = client->create(QStringLiteral("Kinderleichtathletik 2025"));
    const QByteArray linked = readAll(standardTemplatePath(certDocKind()));
    struct Row {
        const char* name;
        int comp;
        int cup;
    };
    for (const Row& r : {Row{"U8 / Mädchen", competitionId, 0}, Row{"U12 / Jungen", competitionId, 0},
                         Row{"U10 Gesamt", last, 0}, Row{"Cup U10", 0, cup}})
        setUiInfo(QStringLiteral("AggColl_CertDocPath"),
                  document(fileNameSaveChars(QString::fromUtf8(r.name)) + QStringLiteral(".docx"), linked),
                  collection(QString::fromUtf8(r.name), r.comp, r.cup));
    const int coll = collection(QStringLiteral("U10"), competitionId);
    script->expectWindow(QStringLiteral("Urkunde für Wertung \"U10\" einrichten"), [&](QWidget& w) {
        w.move(10, 10);
        click(child<QRadioButton>(w, "RadioButton2"));
        settle();
        clickRow(child<QTreeView>(w, "ListView1"), 0);
        QTest::qWait(500);
        QGuiApplication::primaryScreen()->grabWindow(0).save(file);
        return 0;
    });
    cert->showDialog(QStringLiteral("U10"), coll, false);
}

TEST_F(DocSetupWindows, AFailedStoreIsToldToTheUserAndTheWindowsUser)
{
    competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:1"));
    billing->SetPath(competitionId, docs.filePath(QStringLiteral("Quittungen.docx")));
    settle();
    EXPECT_EQ(statusNames(), (QStringList{"1", "5"}));
    EXPECT_EQ(statuses.back().path, docs.filePath(QStringLiteral("Quittungen.docx")));
    const QStringList lines = recorder.messages.lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Quittungspfad speichern: Pfad zur Quittung konnte nicht gespeichert werden. "
                                       "Verknüpfen Sie Datei manuell oder versuchen Sie es erneut."));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Quittungspfad speichern: ")));

    statuses.clear();
    schedule->removeTeamScheduleDocPath(competitionId);
    settle();
    EXPECT_EQ(statusNames(), (QStringList{"3", "6"}));
}
