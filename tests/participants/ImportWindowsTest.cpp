// The windows of bulk bibs, blank barcodes, the barcode finder, the LADV exchange, the registration
// CSV import and the scanner settings, offscreen against the stand-in as a user drives them.

#include "WindowFixture.h"

#include "core/barcode/BarcodeUtils.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/MainWindowServices.h"
#include "core/util/Features.h"
#include "core/util/IniHandler.h"
#include "tests/core/lists/ModelTesterGuard.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/FreePort.h"
#include "tests/support/TextFit.h"
#include "participants/ui/AgeClassDialog.h"
#include "participants/ui/AssignBibs.h"
#include "participants/ui/AthleteResultFinderDialog.h"
#include "participants/ui/BarcodeInputDialog.h"
#include "participants/ui/BarcodeSettingsDialog.h"
#include "participants/ui/BlankoBarcodeDialog.h"
#include "participants/ui/CsvImportDialog.h"
#include "participants/ui/LadvDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeView>
#include <QUrl>

#include <linux/input-event-codes.h>

using namespace tvp;
using namespace tvp::test;

namespace {

const QString kDemo = QStringLiteral(TVP_LADV_DEMO);

// The athlete window as the finder and the bulk bibs see it: a list to look athletes up in.
class ListedAthletes : public FakeAthleteForm {
public:
    using FakeAthleteForm::FakeAthleteForm;
    std::optional<proto::AthleteType> getCachedAthlete(int barcode) const override
    {
        for (const proto::AthleteType& a : listed)
            if (a.Barcode == barcode)
                return a;
        return std::nullopt;
    }
    std::optional<proto::AthleteType> getCachedAthleteByID(int id) const override
    {
        for (const proto::AthleteType& a : listed)
            if (a.AthleteID == id)
                return a;
        return std::nullopt;
    }
    void createNewAthleteWithBarcode(int barcode) override { lateRegistrations.push_back(barcode); }
    void checkParticipantContraints(bool) override { ++checks; }

    std::vector<proto::AthleteType> listed;
    std::vector<int> lateRegistrations;
    int checks = 0;
};

class ImportWindows : public ParticipantWindowTest {
protected:
    ImportWindows() { standin.options.maker.ladvFolder = kDemo.toStdString(); }

    void SetUp() override
    {
        ParticipantWindowTest::SetUp();
        athletes = make<ListedAthletes>(TWindowId::AthleteForm);
    }

    int bibOf(int athlete) { return seed->value("SELECT bib FROM athlete_bibs WHERE athlete_id = ?", athlete); }
    int athleteCount() { return seed->count("SELECT COUNT(*) FROM athletes WHERE competition_id = ?", competitionId); }
    int countOf(const char* table)
    {
        const std::string sql = std::string("SELECT COUNT(*) FROM ") + table + " WHERE competition_id = ?";
        return seed->count(sql.c_str(), competitionId);
    }
    static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // A registration table as a spreadsheet saves it.
    QString writeTable(const QString& name, const QByteArray& bytes)
    {
        const QString path = QDir(standin.folder()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // The file chosen in the import window, imported, and the question answered.
    void importTable(TCsvImportForm& form, const QString& path, TMsgAnswer answer)
    {
        form.show();
        script->expectFile(QStringLiteral("Datei wählen"), path);
        click(find<QPushButton>(form, "Button1"));
        script->expectMessage(QStringLiteral("Importieren"), answer);
        click(find<QPushButton>(form, "Button2"));
        settle();
    }

    // The bulk-bib window as the athlete window opens it, answered by typing the first bib.
    void assignBibs(const QString& firstBib, const std::vector<int>& ids, bool expectRefusal = false)
    {
        auto* form = make<TAssignBibForm>(TWindowId::AssignBibForm);
        script->expectWindow(kAssignBibCaption, [&](QWidget& window) {
            auto* edit = find<QLineEdit>(window, "Edit1");
            EXPECT_EQ(edit->text(), QStringLiteral("1"));
            edit->selectAll();
            QTest::keyClicks(edit, firstBib);
            if (expectRefusal) {
                script->expectMessage(kAssignBibCaption, TMsgAnswer::Ok);
                QTest::keyClick(edit, Qt::Key_Return);
                EXPECT_TRUE(window.isVisible()) << "an invalid first bib keeps the window open";
                click(find<QPushButton>(window, "Button2"));
            } else {
                QTest::keyClick(edit, Qt::Key_Return);
            }
            EXPECT_FALSE(window.isVisible());
            return 0;
        });
        windows.get<IAssignBibs>(TWindowId::AssignBibForm)->ShowBibAssignDialog(1, ids);
        (void)form;
        settle();
    }

    ListedAthletes* athletes = nullptr;
    FakeOpener opener;
};

// ---- bulk bibs ----

TEST_F(ImportWindows, BulkBibsSkipTakenBibsAndAthletesWithABib)
{
    const int holder = seed->athlete(competitionId, QStringLiteral("Hans"), {}, 0, 0, {11});
    const int anna = seed->athlete(competitionId, QStringLiteral("Anna"), {});
    const int ben = seed->athlete(competitionId, QStringLiteral("Ben"), {});
    const int cem = seed->athlete(competitionId, QStringLiteral("Cem"), {});
    assignBibs(QStringLiteral("10"), {anna, ben, cem});
    EXPECT_EQ(bibOf(anna), 10);
    EXPECT_EQ(bibOf(ben), 12) << "11 is taken";
    EXPECT_EQ(bibOf(cem), 13);
    EXPECT_EQ(athletes->reloads, 1);

    // An athlete with a bib keeps it, and the next one gets the first bib.
    const int dora = seed->athlete(competitionId, QStringLiteral("Dora"), {});
    assignBibs(QStringLiteral("20"), {holder, dora});
    EXPECT_EQ(bibOf(holder), 11);
    EXPECT_EQ(bibOf(dora), 20);
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();
    EXPECT_TRUE(recorder.waits.shown.isEmpty());
}

TEST_F(ImportWindows, BulkBibsRefusedOtherwiseLeaveEveryAthleteAsBefore)
{
    const int anna = seed->athlete(competitionId, QStringLiteral("Anna"), {});
    const int ben = seed->athlete(competitionId, QStringLiteral("Ben"), {});
    assignBibs(QStringLiteral("0"), {anna}, true);
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM athlete_bibs WHERE competition_id = ?", competitionId), 0);

    // An athlete removed meanwhile: the run ends, and the bib Anna got is rolled back.
    assignBibs(QStringLiteral("5"), {anna, 987654, ben});
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM athlete_bibs WHERE competition_id = ?", competitionId), 0);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, kAssignBibCaption);
    EXPECT_EQ(recorder.messages.messages[0].errorId, 230);
}

TEST_F(ImportWindows, BulkBibsStopAskingAfterTooManyTakenBibsAndNameWhoGotNone)
{
    TAssignBibLimits::maxTakenRefusals = 5;
    const int holder = seed->athlete(competitionId, QStringLiteral("Hans"), {}, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8});
    const int anna = seed->athlete(competitionId, QStringLiteral("Anna"), QStringLiteral("Berg"));
    const int ben = seed->athlete(competitionId, QStringLiteral("Ben"), QStringLiteral("Krause"));
    proto::AthleteType listedBen;
    listedBen.AthleteID = ben;
    listedBen.Name = proto::AthleteNameType{QStringLiteral("Ben"), QStringLiteral("Krause")};
    athletes->listed = {listedBen};
    assignBibs(QStringLiteral("1"), {anna, ben});
    TAssignBibLimits::maxTakenRefusals = 10000;
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM athlete_bibs WHERE athlete_id <> ?", holder), 0);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_TRUE(recorder.messages.messages[0].warning);
    EXPECT_TRUE(recorder.messages.messages[0].text.endsWith(QStringLiteral("ID %1, Ben Krause").arg(anna)))
        << recorder.messages.messages[0].text.toStdString();
}

// ---- blank barcodes ----

TEST_F(ImportWindows, BlankBarcodesAreReservedAndWrittenFramedOrTheWindowStays)
{
    auto* form = make<TBlankoBarcodeForm>(TWindowId::BlankoBarcodeForm);
    form->show();
    auto* count = find<QLineEdit>(*form, "Edit1");
    for (const QString& bad : {QStringLiteral("0"), QStringLiteral("-5"), QStringLiteral("abc")}) {
        typeInto(*count, bad);
        script->expectMessage(QStringLiteral("Barcodes erzeugen"), TMsgAnswer::Ok);
        click(find<QPushButton>(*form, "Button1"));
    }

    typeInto(*count, QStringLiteral("1"));
    const QString path = QDir(standin.folder()).filePath(QStringLiteral("Barcodes.csv"));
    script->expectFile(QStringLiteral("csv-Datei speichern"), path);
    click(find<QPushButton>(*form, "Button1"));
    settle();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3) << "two lines, each ending in CR LF";
    EXPECT_EQ(lines[0], "Codes\r");
    const int reserved =
        seed->value("SELECT MAX(id) FROM barcodes WHERE kind = 'blank' AND competition_id = ?", competitionId);
    EXPECT_EQ(lines[1], ("!" + blankBarcode(reserved) + "!\r").toLatin1());
    EXPECT_EQ(opener.opened(), QStringList{path});
    EXPECT_FALSE(form->isVisible());

    // A file that cannot be written: said so, and the window stays for another try.
    form->show();
    find<QCheckBox>(*form, "CheckBox1")->setChecked(false);
    script->expectFile(QStringLiteral("csv-Datei speichern"),
                       QDir(standin.folder()).filePath(QStringLiteral("fehlt/Barcodes.csv")));
    click(find<QPushButton>(*form, "Button1"));
    settle();
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Barcodeliste erzeugen: Fehler beim Schreiben der Datei. Ggf. ist die Datei "
                                         "in einem anderen Programm geöffnet.")});
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(find<QPushButton>(*form, "Button1")->isEnabled());
    EXPECT_EQ(opener.opened().size(), 1);
}

// ---- the barcode finder ----

// The result entry as the finder reaches it: which discipline and athlete it was asked to open.
class OpenedResults : public IResultDialog {
public:
    void showAndLoadDisciplin(int, int, int, int) override {}
    void showAndLoadBarcodeDisciplin(int, int, int, int) override {}
    void goToAthlete(int discId, int athleteId, int, bool, int, bool, bool) override
    {
        opened.emplace_back(discId, athleteId);
    }
    void goToTeam(int, int, int, int, bool, bool) override {}
    void goToBarcodeAthlete(int, int, int, int, bool) override {}
    void reloadFromBibRanking() override {}
    void cancelEdit() override {}
    void showTallySheet() override {}

    std::vector<std::pair<int, int>> opened;
};

class Finder : public ImportWindows {
protected:
    void SetUp() override
    {
        ImportWindows::SetUp();
        finder = make<TAthleteResultFinderForm>(TWindowId::AthleteResultFinderForm);
        listCheck = std::make_unique<ModelTesterGuard>(find<QTreeView>(*finder, "ListView1")->model());
    }
    void TearDown() override
    {
        listCheck.reset();
        ImportWindows::TearDown();
    }
    // Typed into the box "Barcode eingeben" and sent with Enter, as a scan arrives.
    void scan(const QString& code)
    {
        TBarcodeInputForm box;
        box.show();
        auto* edit = box.findChild<QLineEdit*>();
        QTest::keyClicks(edit, code);
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::qWait(30);
        settle();
    }
    QString shownAthlete() const { return find<QLabel>(*finder, "Label2")->text(); }

    TAthleteResultFinderForm* finder = nullptr;
    std::unique_ptr<ModelTesterGuard> listCheck; // the disciplines through every filter change
};

TEST_F(Finder, AnAthleteInTheListNeedsNoServerAndOthersAreAskedFor)
{
    const int u10 = ageClass(QStringLiteral("U10"));
    const int team = seed->team(competitionId, QStringLiteral("Adler"), u10);
    const int anna = seed->athlete(competitionId, QStringLiteral("Anna"), QStringLiteral("Berg"), team);
    const int ben = seed->athlete(competitionId, QStringLiteral("Ben"), QStringLiteral("Krause"));
    const int annaCode = seed->value("SELECT barcode FROM athletes WHERE id = ?", anna);
    const int benCode = seed->value("SELECT barcode FROM athletes WHERE id = ?", ben);
    const int jump = seed->discipline(competitionId, QStringLiteral("Weitsprung U10"), u10);
    seed->discipline(competitionId, QStringLiteral("Sprint"));

    // Listed: shown from the list; the server knows no athlete 4242.
    proto::AthleteType listed;
    listed.AthleteID = 4242;
    listed.Barcode = annaCode;
    listed.Name = proto::AthleteNameType{QStringLiteral("Liste"), QStringLiteral("Eintrag")};
    athletes->listed = {listed};
    scan(athleteBarcode(annaCode));
    EXPECT_EQ(finder->currentAthlete(), 4242);
    EXPECT_EQ(shownAthlete(), QStringLiteral("Liste Eintrag"));
    EXPECT_TRUE(finder->isVisible());

    athletes->listed.clear();
    finder->hide();
    scan(athleteBarcode(annaCode));
    EXPECT_EQ(finder->currentAthlete(), anna);
    EXPECT_EQ(shownAthlete(), QStringLiteral("Anna Berg (Adler)"));
    // Anna's age class filters the disciplines.
    EXPECT_EQ(find<QComboBox>(*finder, "ComboBox1")->currentText(), QStringLiteral("U10"));
    EXPECT_EQ(column(*find<QTreeView>(*finder, "ListView1"), 0), QStringList{QStringLiteral("Weitsprung U10")});

    // A double click, or Enter, opens the result entry at the athlete in that discipline.
    OpenedResults results;
    windows.registerService<IResultDialog>(&results);
    auto* list = find<QTreeView>(*finder, "ListView1");
    const QPoint row = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(results.opened, (std::vector<std::pair<int, int>>{{jump, anna}, {jump, anna}}));
    windows.unregisterService<IResultDialog>(&results);

    // An athlete without team keeps the filter.
    scan(athleteBarcode(benCode));
    EXPECT_EQ(finder->currentAthlete(), ben);
    EXPECT_EQ(shownAthlete(), QStringLiteral("Ben Krause"));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();

    finder->AthleteRemoved(ben);
    EXPECT_FALSE(finder->isVisible());
}

TEST_F(Finder, FollowsTheAgeClassWindowAndCtrlFSearchesInTheAthleteWindow)
{
    ageClass(QStringLiteral("U10"));
    finder->show();
    settle();
    auto* filter = find<QComboBox>(*finder, "ComboBox1");
    ASSERT_EQ(filter->count(), 2);

    // A new age class reaches the finder with the age-class window's load, not with its own.
    ageClass(QStringLiteral("U12"));
    make<TAgeClassForm>(TWindowId::AgeClassForm)->show();
    settle();
    ASSERT_EQ(filter->count(), 3);
    EXPECT_EQ(filter->itemText(2), QStringLiteral("U12"));

    finder->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(finder));
    QTest::keyClick(find<QTreeView>(*finder, "ListView1"), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(athletes->searches, 1);
}

TEST_F(Finder, CodesOfAnotherCompetitionAreNotOursOnEitherPath)
{
    const int other = client->create(QStringLiteral("Andere"));
    const int stranger = seed->athlete(other, QStringLiteral("Fremd"), QStringLiteral("Ling"));
    const int blank = seed->giveBlankBarcode(other, stranger);
    scan(athleteBarcode(seed->value("SELECT barcode FROM athletes WHERE id = ?", stranger)));
    scan(blankBarcode(blank));
    EXPECT_EQ(recorder.messages.lines(),
              (QStringList{QStringLiteral("Athlet laden: Athlet wurde in dieser Veranstaltung nicht gefunden."),
                           QStringLiteral("Barcode auflösen: Athlet wurde in dieser Veranstaltung nicht gefunden.")}));
    EXPECT_EQ(finder->currentAthlete(), 0);
    EXPECT_TRUE(athletes->lateRegistrations.empty());
}

TEST_F(Finder, AnUnusedBlankCodeIsALateRegistrationAndBadCodesAreWarnedAbout)
{
    const int blank = seed->blank(competitionId);
    scan(blankBarcode(blank));
    EXPECT_EQ(athletes->lateRegistrations, std::vector<int>{blank});
    EXPECT_FALSE(finder->isVisible());

    // Not decodable, or beyond the server's ids (seven base-32 digits reach 35 bits).
    scan(QStringLiteral("A12"));
    scan(QStringLiteral("BWX"));
    scan(QStringLiteral("AVVVVVVVX"));
    scan(athleteBarcode(qint64(1) << 33));
    EXPECT_EQ(recorder.messages.lines(),
              (QStringList{QStringLiteral("Barcode scannen: Ungültiger Athletenbarcode"),
                           QStringLiteral("Barcode scannen: Ungültiger Athletenbarcode (Nachmeldung)"),
                           QStringLiteral("Barcode scannen: Ungültiger Athletenbarcode"),
                           QStringLiteral("Barcode scannen: Ungültiger Athletenbarcode")}));
    EXPECT_EQ(athletes->lateRegistrations.size(), 1u);
}

TEST_F(Finder, ABadCodeIsToldInTheMessageWindowThoughTheFinderIsHidden)
{
    TExceptionForm shown(context);
    context.setMessageSink(&shown);
    scan(QStringLiteral("A1?X"));
    scan(QStringLiteral("B?"));
    context.setMessageSink(&recorder.messages);
    EXPECT_FALSE(finder->isVisible());
    const QAbstractItemModel* rows = shown.findChild<QTreeView*>(QStringLiteral("ListView1"))->model();
    QStringList told;
    for (int r = 0; r < rows->rowCount(); ++r)
        told << rows->index(r, 1).data().toString() + QStringLiteral(": ") + rows->index(r, 0).data().toString();
    EXPECT_EQ(told, (QStringList{QStringLiteral("Barcode scannen: Ungültiger Athletenbarcode"),
                                 QStringLiteral("Barcode scannen: Ungültiger Athletenbarcode (Nachmeldung)")}));
    EXPECT_TRUE(waitUntil([&] { return shown.isVisible(); }, 2000));
}

// ---- LADV ----

class Ladv : public ImportWindows {
protected:
    void SetUp() override
    {
        ImportWindows::SetUp();
        WriteIniStr(kMakerUrlSection, kMakerUrlKey, QStringLiteral("http://%1/maker/").arg(standin.serverAddress()));
        TLadvHttpLimits::connectMs = 2000;
        ladv = make<TLadvForm>(TWindowId::LadvForm);
        listCheck = std::make_unique<ModelTesterGuard>(find<QTreeView>(*ladv, "ListView1")->model());
    }
    void TearDown() override
    {
        listCheck.reset();
        ImportWindows::TearDown();
    }
    // Chooses the file in the open dialog, which starts the exchange at once.
    void importFile(const QString& path)
    {
        ladv->show();
        script->expectFile(QStringLiteral("Meldedaten öffnen"), path);
        click(find<QPushButton>(*ladv, "Button1"));
        settle();
    }
    void loadList(const QString& user, const QString& password)
    {
        typeInto(*find<QLineEdit>(*ladv, "Edit2"), user);
        typeInto(*find<QLineEdit>(*ladv, "Edit3"), password);
        click(find<QPushButton>(*ladv, "Button2"));
        settle();
    }

    TLadvForm* ladv = nullptr;
    std::unique_ptr<ModelTesterGuard> listCheck;
};

TEST_F(Ladv, ASampleFileAndItsZipAreImportedAndCapitalsAreRefused)
{
    importFile(kDemo + QStringLiteral("/participants-4711.xml"));
    EXPECT_EQ(athleteCount(), 6);
    EXPECT_FALSE(ladv->isVisible());
    EXPECT_EQ(athletes->checks, 1);
    EXPECT_TRUE(athletes->isVisible());
    EXPECT_EQ(hints.shown, QStringList{QStringLiteral("ATHWND~")});

    const QString zip = QDir(standin.folder()).filePath(QStringLiteral("meldung.zip"));
    QFile::copy(QStringLiteral(TVP_TEST_DATA "/ladv-4711.zip"), zip);
    importFile(zip);
    EXPECT_EQ(athleteCount(), 12);
    EXPECT_EQ(countOf("teams"), 2) << "teams are reused by name";

    const QString capitals = QDir(standin.folder()).filePath(QStringLiteral("meldung.XML"));
    QFile::copy(kDemo + QStringLiteral("/participants-4711.xml"), capitals);
    importFile(capitals);
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Teilnehmer importieren: Bitte wählen Sie eine gültige Importdatei")});
    EXPECT_EQ(athleteCount(), 12);
    EXPECT_TRUE(recorder.waits.shown.isEmpty());
}

TEST_F(Ladv, OnlineTheOpenCompetitionsAreListedAndOneIsDownloaded)
{
    ladv->show();
    EXPECT_FALSE(find<QRadioButton>(*ladv, "RadioButton2")->isEnabled()) << "without the feature";
    EXPECT_TRUE(find<QLabel>(*ladv, "Label4")->isVisible());
    ladv->hide();
    activateFeature(QStringLiteral("ladv.online"));
    ladv->show();
    EXPECT_FALSE(find<QLabel>(*ladv, "Label4")->isVisible());
    // On its indicator: a radio button stretched by the layout takes clicks only there and on its text.
    auto* online = find<QRadioButton>(*ladv, "RadioButton2");
    QTest::mouseClick(online, Qt::LeftButton, {}, QPoint(8, online->height() / 2));
    ASSERT_TRUE(online->isChecked());

    // Without a chosen competition nothing is downloaded.
    click(find<QPushButton>(*ladv, "Button3"));
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral(
                  "LADV-Online-Import: Bitte wählen Sie zunächst eine Veranstaltung, im Status \"Meldeschluss\"")});
    recorder.messages.messages.clear();

    loadList(QStringLiteral("demo"), QStringLiteral("Rate4711"));
    auto* list = find<QTreeView>(*ladv, "ListView1");
    EXPECT_EQ(list->model()->rowCount(), 0);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Veranstaltungsliste herunterladen"));
    EXPECT_FALSE(recorder.messages.messages[0].text.contains(QStringLiteral("Rate4711")));
    recorder.messages.messages.clear();

    loadList(QStringLiteral("demo"), QStringLiteral("demo"));
    EXPECT_EQ(rows(*list), (QStringList{QStringLiteral("Meldeschluss|Kinderleichtathletik Nord|4711"),
                                        QStringLiteral("angelegt|Hallensportfest Süd|4712")}));
    clickRow(*list, QStringLiteral("angelegt"));
    click(find<QPushButton>(*ladv, "Button3"));
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral(
                  "LADV-Online-Import: Bitte wählen Sie eine Veranstaltung, im Status \"Meldeschluss\"")});
    clickRow(*list, QStringLiteral("Meldeschluss"));
    click(find<QPushButton>(*ladv, "Button3"));
    settle();
    EXPECT_EQ(athleteCount(), 6);
    EXPECT_FALSE(ladv->isVisible());
    EXPECT_TRUE(recorder.waits.shown.isEmpty());
}

// What went wrong is said in German: where a file is broken, and which address did not answer.
TEST_F(Ladv, ABrokenFileAndAnUnreachableLadvAreToldInGerman)
{
    const QString broken = QDir(standin.folder()).filePath(QStringLiteral("kaputt.xml"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?>\r\n"
               "<participants xmlns=\"http://trivanta.example/Trivanta/LADV_TVP_Interface\">\r\n"
               "  <athlete givenName=\"J\xC3\xBCrgen\" surName=\"M\xC3\xBCller\"/ >\r\n"
               "</participants>\r\n");
    file.close();
    importFile(broken);
    // The place counts characters, not bytes: the blank after "/" is the 48th of line 3.
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Athleten importieren: Die Teilnehmerdatei ist ungültig: kein gültiges XML "
                                         "(fehlerhaftes Start-Tag in Zeile 3, Spalte 48)")});
    EXPECT_EQ(athleteCount(), 0);
    recorder.messages.messages.clear();

    activateFeature(QStringLiteral("ladv.online"));
    const int port = test::freeLoopbackPort();
    WriteIniStr(kMakerUrlSection, kMakerUrlKey, QStringLiteral("http://127.0.0.1:%1/maker/").arg(port));
    ladv->hide();
    ladv->show();
    auto* online = find<QRadioButton>(*ladv, "RadioButton2");
    QTest::mouseClick(online, Qt::LeftButton, {}, QPoint(8, online->height() / 2));
    loadList(QStringLiteral("demo"), QStringLiteral("demo"));
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Veranstaltungsliste herunterladen: LADV ist nicht erreichbar: Unter "
                                         "127.0.0.1:%1 nimmt kein Server Verbindungen an (Verbindung abgewiesen).")
                              .arg(port)});
}

// ---- the registration CSV import ----

TEST_F(ImportWindows, ARegistrationTableImportedTwiceReusesAgeClassesClubsAndTeams)
{
    make<TLadvForm>(TWindowId::LadvForm);
    auto* form = make<TCsvImportForm>(TWindowId::CsvImportForm);
    QByteArray table = "Vorname;Name;Team;Altersklasse;Jahrgang;Geschlecht;Verein\r\n";
    for (int i = 0; i < 200; ++i)
        table += QStringLiteral("Kind%1;M\u00fcller;Team %2;U%3;2016;%4;Verein %5\r\n")
                     .arg(i)
                     .arg(i % 40)
                     .arg(8 + 2 * (i % 40 % 3))
                     .arg(i % 2 ? QStringLiteral("w") : QStringLiteral("M"))
                     .arg(i % 7)
                     .toLatin1();
    const QString path = writeTable(QStringLiteral("meldungen.csv"), table);

    for (int round = 1; round <= 2; ++round) {
        importTable(*form, path, TMsgAnswer::Yes);
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(find<QLineEdit>(*form, "Edit1")->text().isEmpty());
        EXPECT_EQ(athleteCount(), 200 * round);
        EXPECT_EQ(countOf("age_classes"), 3);
        EXPECT_EQ(countOf("clubs"), 7);
        EXPECT_EQ(countOf("teams"), 40) << "a team name with its age class, made once";
    }
    EXPECT_EQ(seed->count("SELECT COUNT(*) FROM age_classes WHERE max_team_members = -1 AND competition_id = ?",
                          competitionId),
              3);
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();

    // Declined: nothing is sent.
    importTable(*form, path, TMsgAnswer::No);
    EXPECT_EQ(athleteCount(), 400);
    EXPECT_TRUE(form->isVisible());
}

// Faults mended: a table saved as UTF-8 made "JÃ¼rgen" and a second club "TSV Ã–hringen"; a given
// name of 2,000,000 characters was imported.
TEST_F(ImportWindows, AUtf8TableKeepsItsUmlautsAndAnOverlongRowIsNamedAndLeftOut)
{
    make<TLadvForm>(TWindowId::LadvForm);
    auto* form = make<TCsvImportForm>(TWindowId::CsvImportForm);
    seed->club(competitionId, QStringLiteral("TSV Öhringen"));
    const QByteArray table = QStringLiteral("Vorname;Name;Team;Altersklasse;Jahrgang;Geschlecht;Verein\n"
                                            "Jürgen;Öz;Blitz;U10;2016;M;TSV Öhringen\n"
                                            "%1;Lang;Blitz;U10;2016;M;TSV Öhringen\n"
                                            "Jörg;Maß;Blitz;U10;2016;M;TSV Öhringen\n")
                                 .arg(QString(2'000'000, u'x'))
                                 .toUtf8();
    importTable(*form, writeTable(QStringLiteral("meldungen-utf8.csv"), table), TMsgAnswer::Yes);
    ASSERT_FALSE(script->seen.empty());
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Es wurden insgesamt 3 Datensätze geladen, davon waren 1 fehlerhaft und werden nicht "
                             "importiert. Trotzdem in aktuelle Veranstaltung importieren?\n\nFehlerhafte Zeilen: "
                             "3 (Feld länger als 32767 Zeichen)."));
    EXPECT_EQ(athleteCount(), 2);
    const int jurgen = seed->count("SELECT MIN(id) FROM athletes WHERE competition_id = ?", competitionId);
    EXPECT_EQ(seed->column("given_name", jurgen), QStringLiteral("Jürgen"));
    const int jorg = seed->count("SELECT MAX(id) FROM athletes WHERE competition_id = ?", competitionId);
    EXPECT_EQ(seed->column("sur_name", jorg), QStringLiteral("Maß"));
    EXPECT_EQ(countOf("clubs"), 1) << "the club is found by its name, not made again garbled";
    EXPECT_EQ(seed->column("club_id", jurgen),
              QString::number(seed->count("SELECT id FROM clubs WHERE competition_id = ?", competitionId)));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();
}

// A gender the table spells otherwise is kept as not given, and the question before the import
// names its line, so the table can still be mended first.
TEST_F(ImportWindows, AGenderOtherThanMOrWIsNamedWithItsLineBeforeTheImport)
{
    make<TLadvForm>(TWindowId::LadvForm);
    auto* form = make<TCsvImportForm>(TWindowId::CsvImportForm);
    EXPECT_TRUE(find<QPlainTextEdit>(*form, "Memo1")->toPlainText().contains(QStringLiteral("Geschlecht (M oder W)")));
    const QByteArray table = QStringLiteral("Vorname;Name;Team;Altersklasse;Jahrgang;Geschlecht\n"
                                            "Anna;Adler;Blitz;U10;2016;weiblich\n"
                                            "Ben;Biber;Blitz;U10;2016;m\n"
                                            "Cem;Dachs;Blitz;U10;2016;\n"
                                            "Dora;Eule;Blitz;U10;2016;x\n")
                                 .toUtf8();
    importTable(*form, writeTable(QStringLiteral("meldungen-geschlecht.csv"), table), TMsgAnswer::Yes);
    ASSERT_FALSE(script->seen.empty());
    EXPECT_EQ(script->seen.back().text,
              QStringLiteral("Es wurden insgesamt 4 gültige Datensätze geladen. Sollen diese nun in die aktuelle "
                             "Veranstaltung importiert werden?\n\nGeschlecht weder \"M\" noch \"W\", als \"Keine "
                             "Angabe\" importiert: Zeilen 2 (weiblich), 5 (x)."));
    EXPECT_EQ(athleteCount(), 4);
    const int anna = seed->count("SELECT MIN(id) FROM athletes WHERE competition_id = ?", competitionId);
    EXPECT_EQ(seed->column("gender", anna), seed->column("gender", anna + 2)) << "as a row without gender";
}

// ---- the scanner settings ----

quint16 keyOf(QChar c)
{
    static const std::pair<char, quint16> keys[] = {
        {'0', KEY_0}, {'1', KEY_1}, {'2', KEY_2}, {'3', KEY_3}, {'4', KEY_4}, {'5', KEY_5}, {'6', KEY_6},
        {'7', KEY_7}, {'8', KEY_8}, {'9', KEY_9}, {'A', KEY_A}, {'B', KEY_B}, {'C', KEY_C}, {'D', KEY_D},
        {'E', KEY_E}, {'F', KEY_F}, {'G', KEY_G}, {'H', KEY_H}, {'I', KEY_I}, {'J', KEY_J}, {'K', KEY_K},
        {'L', KEY_L}, {'M', KEY_M}, {'N', KEY_N}, {'O', KEY_O}, {'P', KEY_P}, {'Q', KEY_Q}, {'R', KEY_R},
        {'S', KEY_S}, {'T', KEY_T}, {'U', KEY_U}, {'V', KEY_V}, {'W', KEY_W}, {'X', KEY_X}};
    for (const auto& [ch, key] : keys)
        if (c == QLatin1Char(ch))
            return key;
    ADD_FAILURE() << "no key for " << c.toLatin1();
    return 0;
}

class FakeLayer : public IInputDeviceLayer {
public:
    void setEvents(IInputDeviceEvents* e) override { events = e; }
    std::vector<TKeyboardDevice> keyboards() override { return devices; }
    void setReading(const std::vector<TDeviceReading>& r) override { reading = r; }
    TInputAccess access() const override { return state; }
    QString accessGroup() const override { return QStringLiteral("input"); }
    void type(quint32 device, std::initializer_list<quint16> keys, qint64 at)
    {
        for (quint16 key : keys) {
            events->keyEvent({device, key, 1, at});
            events->keyEvent({device, key, 0, at + 5});
            at += 10;
        }
    }

    IInputDeviceEvents* events = nullptr;
    std::vector<TKeyboardDevice> devices;
    std::vector<TDeviceReading> reading;
    TInputAccess state = TInputAccess::Available;
};

TEST_F(ImportWindows, AScannerIsDetectedLinkedAndThenDeliversCodes)
{
    auto layer = std::make_unique<FakeLayer>();
    FakeLayer* devices = layer.get();
    const QString port = QStringLiteral("/dev/input/by-path/pci-0000:00:14.0-usb-0:1:1.0-event-kbd");
    devices->devices = {{7, port, QStringLiteral("Scanner")}, {8, QStringLiteral("/dev/input/event0"), {}}};
    TBarcodeSettingsForm form(context, std::move(layer));
    ModelTesterGuard treeCheck(find<QTreeView>(form, "TreeView1")->model());
    ModelTesterGuard linksCheck(find<QTreeView>(form, "ListView1")->model());
    form.show();
    EXPECT_TRUE(find<QLabel>(form, "LabelAccess")->isHidden());

    click(find<QPushButton>(form, "Button1"));
    devices->type(7, {KEY_A, KEY_1}, 1000);
    auto* tree = find<QTreeView>(form, "TreeView1");
    const QAbstractItemModel* detected = tree->model();
    ASSERT_EQ(detected->rowCount(), 1);
    const QModelIndex device = detected->index(0, 0, detected->index(0, 0));
    ASSERT_TRUE(device.isValid());
    EXPECT_EQ(device.data().toString(), port);
    EXPECT_EQ(detected->index(0, 0, device).data().toString(), QStringLiteral("Erkannte Eingabe: A1"));
    EXPECT_FALSE(find<QPushButton>(form, "Button3")->isEnabled());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(detected->index(0, 0, device)).center());
    EXPECT_FALSE(find<QPushButton>(form, "Button3")->isEnabled()) << "a typed text is no device";
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(device).center());
    ASSERT_TRUE(find<QPushButton>(form, "Button3")->isEnabled());
    click(find<QPushButton>(form, "Button3"));
    click(find<QPushButton>(form, "Button3"));
    QString stored;
    ReadIniStr(QStringLiteral("InputDevices"), QStringLiteral("Device0"), {}, stored);
    EXPECT_EQ(stored, port);
    ReadIniStr(QStringLiteral("InputDevices"), QStringLiteral("Device1"), {}, stored);
    EXPECT_TRUE(stored.isEmpty()) << "linked once";
    EXPECT_EQ(rows(*find<QTreeView>(form, "ListView1")), QStringList{QStringLiteral("Verbunden|") + port});

    // After detection only the scanner is read, grabbed, and its code goes to the finder.
    click(find<QPushButton>(form, "Button2"));
    ASSERT_EQ(devices->reading.size(), 1u);
    EXPECT_EQ(devices->reading[0].handle, 7u);
    EXPECT_TRUE(devices->reading[0].grab);
    make<TAthleteResultFinderForm>(TWindowId::AthleteResultFinderForm);
    const int blank = seed->blank(competitionId);
    for (QChar c : blankBarcode(blank))
        devices->type(7, {keyOf(c)}, 5000);
    devices->type(7, {KEY_ENTER}, 5200);
    QTest::qWait(30);
    settle();
    EXPECT_EQ(athletes->lateRegistrations, std::vector<int>{blank});

    // Delete on the linked scanner undoes the link.
    auto* links = find<QTreeView>(form, "ListView1");
    clickRow(*links, QStringLiteral("Verbunden"));
    QTest::keyClick(links, Qt::Key_Delete);
    EXPECT_TRUE(rows(*links).isEmpty());
    ReadIniStr(QStringLiteral("InputDevices"), QStringLiteral("Device0"), {}, stored);
    EXPECT_TRUE(stored.isEmpty());
}

TEST_F(ImportWindows, AScannerThatIsNotPluggedInShowsItsWholeStatus)
{
    auto layer = std::make_unique<FakeLayer>();
    WriteIniStr(QStringLiteral("InputDevices"), QStringLiteral("Device0"),
                QStringLiteral("/dev/input/by-path/pci-0000:00:14.0-usb-0:2:1.0-event-kbd"));
    TBarcodeSettingsForm form(context, std::move(layer));
    form.show();
    runQueued();
    ASSERT_EQ(rows(*find<QTreeView>(form, "ListView1")).value(0).section(u'|', 0, 0),
              QStringLiteral("Nicht Verbunden"));
    for (const CutText& cut : cutTexts(form))
        ADD_FAILURE() << describe(cut);
}

} // namespace
