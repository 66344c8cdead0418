// The data view window on a fake server: a competition compilation loaded, sorted by header
// clicks and by a chosen, stored order, the certificate data file beside the linked document,
// the sample rows, the cup table with its filter, the HTML page and a failed load.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "scoring/CertDocTools.h"
#include "scoring/ui/CertDocSetupDialog.h"
#include "scoring/ui/DataViewDialog.h"
#include "tests/scoring/ResultViewsTestData.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/FakeServer.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

class FakeCertDocSetup : public QWidget, public ICertDocSetupForm {
public:
    void getPath(int id) override
    {
        asked.push_back(id);
        if (OnStatusChange)
            OnStatusChange(TDocPathStatus::dps_loaded, path, id, 0);
    }
    void showDialog(const QString& name, int id, bool cup) override
    {
        shown << QStringLiteral("%1 %2 %3").arg(name).arg(id).arg(cup);
    }
    void removeCertDocPath(int id) override
    {
        removed.push_back(id);
        if (OnStatusChange)
            OnStatusChange(TDocPathStatus::dps_removed, QString(), id, 0);
    }
    QString path;
    std::vector<int> asked, removed;
    QStringList shown;
};

class DataViewWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        ASSERT_TRUE(docs.isValid());
        InitComm();
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("http://127.0.0.1:1/TrivantaPentrel/services/"));
        auto chosen = std::make_unique<CompetitionType>();
        chosen->ID = 5;
        chosen->Name = QStringLiteral("Sportfest");
        chosen->Date = QDate(2026, 6, 13);
        competition.SetCompetitionInternal(std::move(chosen));
        windows.place(TWindowId::CertDocSetupForm, certDocWindow());
        form = std::make_unique<TDataViewForm>(context);
        windows.place(TWindowId::DataViewForm, form.get());

        fake->acceptTransactions();
        fake->answer<op::checkAmbiguousBibResults>({});
        fake->answer<op::checkParticipantConstraints>({});
        DisciplinType jump;
        jump.DisciplinID = 70;
        fake->answer<op::getToplevelSourceDisciplines>({jump});
        fake->on<op::getUiInfo>([this](const op::getUiInfo&) { return getUiInfoResponse1{certPath}; });
        fake->on<op::getUiInfos>([](const op::getUiInfos& a) {
            getUiInfosResponse1 out;
            if (!a.Keys.empty() && a.Keys[0].Key.isEmpty()) {
                UiInfoKeyValuePair p;
                p.Key = UiInfoKey{QStringLiteral("MetaData_CompetitionLocation"), a.Keys[0].AssotiatedId};
                p.Value = QStringLiteral("STRING_Fürth");
                out.push_back(p);
                return out;
            }
            for (const UiInfoKey& k : a.Keys) {
                UiInfoKeyValuePair p;
                p.Key = k;
                p.Value = k.Key == QLatin1String("Disciplin_ResultType") ? QStringLiteral("Distance")
                                                                         : QStringLiteral("Default");
                out.push_back(p);
            }
            return out;
        });
        fake->answer<op::getAthletes>({athlete(1, "Anna", "Adler", 10, "Adler", "TV Nord"),
                                       athlete(2, "Ben", "Adler", 10, "Adler"), athlete(3, "Cem", "Biber", 20, "Biber"),
                                       athlete(4, "Dora", "Dachs", 30, "Dachse")});
        fake->on<op::getResultTable>([](const op::getResultTable& a) {
            if (a.ResultProviderID == 7)
                return resultTable(false, {distance(3.10, 3), distance(2.5, 1), distance(3.10, 2), distance(2.9, 4)});
            return resultTable(true, {rank(2, 0, {10}), rank(1, 0, {20}), rank(3, 0, {})});
        });
    }

    // The window linking certificate documents: a recorder, or the real one.
    virtual QWidget* certDocWindow() { return &certDocs; }

    void TearDown() override
    {
        settle();
        form.reset();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        setDialogs(nullptr);
    }

    static void settle()
    {
        for (int quiet = 0; quiet < 3;) {
            ASSERT_TRUE(waitUntil([] { return runningRequestCount() == 0; }, 15000));
            QTest::qWait(20);
            quiet = runningRequestCount() == 0 ? quiet + 1 : 0;
        }
    }

    void showCompilation(bool testMode = false)
    {
        form->ShowData(QStringLiteral("Urkunden/U10"), 31,
                       {aggInfo(7, "Weite", "Weitsprung"), aggInfo(8, "Teamrang", "Gesamt", true)}, {}, testMode, false,
                       0);
        settle();
    }

    QTreeView* list() const { return form->findChild<QTreeView*>(QStringLiteral("ListView1")); }
    QAction* action(const char* name) const { return form->findChild<QAction*>(QString::fromLatin1(name)); }
    template <class T>
    T* child(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < list()->model()->rowCount(); ++r)
            out << list()->model()->index(r, c).data().toString();
        return out;
    }
    void clickHeader(int section) const
    {
        QHeaderView* h = list()->header();
        const QPoint at(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    QString document(const QString& name)
    {
        const QString path = docs.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("PK");
        return path;
    }

    TempAppFolders folders;
    QTemporaryDir docs;
    ScriptedDialogs* script = nullptr;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    FakeServerInstall fake;
    FakeCertDocSetup certDocs;
    std::unique_ptr<TDataViewForm> form;
    QString certPath;
    FakeOpener opener;
};

} // namespace

TEST_F(DataViewWindow, CompetitionLoadFillsRowsAndWritesTheCertificateDataFile)
{
    certPath = document(QStringLiteral("Urkunde U10.docx"));
    showCompilation();

    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Urkunden/U10 - Daten anzeigen"));
    const QAbstractItemModel& m = *list()->model();
    EXPECT_EQ(m.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Weite#Weitsprung"));
    EXPECT_EQ(m.headerData(6, Qt::Horizontal).toString(), QStringLiteral("Teammitglied  1"));
    // The first result column decides, ties by team name.
    EXPECT_EQ(column(1), (QStringList{"Ben", "Cem", "Dora", "Anna"}));
    EXPECT_EQ(column(4), (QStringList{"3,10m", "3,10m", "2,90m", "2,50m"}));
    EXPECT_EQ(column(5), (QStringList{"2", "1", "", "2"})) << "the team rank on each member's row";
    EXPECT_EQ(column(6), (QStringList{"Anna Adler", "", "", "Ben Adler"}));
    EXPECT_FALSE(child<QLabel>("LoadingLabel")->isVisible());
    EXPECT_TRUE(action("HTMLPublikation1")->isEnabled());

    // The linked document exists: printing writes the data file beside it and opens the document.
    EXPECT_TRUE(child<QGroupBox>("LinkGroupBox")->isVisible());
    ASSERT_TRUE(action("Urkundendrucken1")->isEnabled());
    action("Urkundendrucken1")->trigger();
    EXPECT_EQ(opener.opened(), QStringList{certPath});
    QFile data(docs.filePath(QStringLiteral("Urkunden_U10.csv")));
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    const QByteArray bytes = data.readAll();
    const QByteArray head = "Team;Vorname;Name;Verein/Organisation;Urkundenplatzierung;Weite#Weitsprung;"
                            "Teamrang#Gesamt;Teammitglied  1;";
    EXPECT_TRUE(bytes.startsWith(head));
    EXPECT_TRUE(bytes.contains("\r\nAdler;Ben;Adler;-;3,10;3,10;2;Anna Adler;;;;;;;;;;;\r\n")) << bytes.toStdString();
    EXPECT_TRUE(bytes.endsWith("\r\nAdler;Anna;Adler;TV Nord;2,50;2,50;2;Ben Adler;;;;;;;;;;;\r\n"));

    // The shell refuses the document: the message names the extension with its dot.
    opener.setExitStatus(1);
    action("Urkundendrucken1")->trigger();
    ASSERT_TRUE(FakeOpener::settle());
    ASSERT_FALSE(recorder.messages.messages.empty());
    EXPECT_EQ(recorder.messages.lines().last(),
              QStringLiteral("Urkunden anzeigen: Urkundenvorlage konnte nicht geöffnet werden. Stellen Sie sicher, "
                             "dass ein Programm zum Öffnen von .docx-Dateien eingerichtet ist."));

    // Discarding with "Ja" drops the link and deletes the document and its data file.
    script->expectMessage(QStringLiteral("Urkundenvorlage verwerfen"), TMsgAnswer::Yes);
    action("Urkundenvorlageverwerfen1")->trigger();
    EXPECT_EQ(certDocs.removed, std::vector<int>{31});
    EXPECT_FALSE(QFile::exists(certPath));
    EXPECT_FALSE(data.exists());
    EXPECT_FALSE(child<QGroupBox>("LinkGroupBox")->isVisible());
}

// Names the certificate documents' code page lacks: plain letters in the data file, and the user
// is told once which names the certificates will show otherwise.
TEST_F(DataViewWindow, NamesTheCodePageLacksAreWrittenInPlainLettersAndToldOnce)
{
    RecordingContext program{programContext()};
    fake->answer<op::getAthletes>({athlete(1, "Ömer", "Yılmaz", 10, "Adler", "TV Nord"),
                                   athlete(2, "Łukasz", "Adler", 10, "Adler"), athlete(3, "Cem", "Biber", 20, "Biber"),
                                   athlete(4, "Dora", "Dachs", 30, "Dachse")});
    certPath = document(QStringLiteral("Urkunde U10.docx"));
    showCompilation();
    action("Urkundendrucken1")->trigger();

    QFile data(docs.filePath(QStringLiteral("Urkunden_U10.csv")));
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    const QByteArray bytes = data.readAll();
    EXPECT_TRUE(bytes.contains("\r\nAdler;Lukasz;Adler;-;3,10;3,10;2;\xD6mer Yilmaz;")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("\r\nAdler;\xD6mer;Yilmaz;TV Nord;2,50;2,50;2;Lukasz Adler;")) << bytes.toStdString();
    EXPECT_FALSE(bytes.contains('?'));
    EXPECT_EQ(program.messages.lines(),
              QStringList{QStringLiteral("csv-Export: In die Datei \"") + QDir::toNativeSeparators(data.fileName()) +
                          QStringLiteral("\" wurden Namen anders als gespeichert geschrieben, weil ihr Zeichensatz "
                                         "(Windows-1252) nicht alle Zeichen kennt: Łukasz → Lukasz, Yılmaz → Yilmaz. "
                                         "Bitte berichtigen Sie betroffene Dokumente bei Bedarf von Hand.")});
    ASSERT_EQ(program.messages.messages.size(), 1u);
    EXPECT_TRUE(program.messages.messages.front().warning);
}

// A certificate must not show a run the child gave up as a time: a cell with a status stays whole.
// A caption the code page lacks is told like the names.
TEST_F(DataViewWindow, OnlyACellThatIsOneResultIsWrittenAsItsNumberAndRespelledCaptionsAreTold)
{
    RecordingContext program{programContext()};
    proto::AssignedResultType run = distance(0, 3), gaveUp = distance(0, 3, {}, 2);
    run.Type_ = proto::ResultValueType::Time;
    run.TimeInSeconds = 6.05;
    gaveUp.Type_ = proto::ResultValueType::Info;
    gaveUp.Info = proto::ResultInfo::aufg;
    fake->answer<op::getResultTable>(resultTable(false, {run, gaveUp}));
    certPath = document(QStringLiteral("Urkunde U10.docx"));
    form->ShowData(QStringLiteral("Urkunden/U10"), 31, {aggInfo(7, "Zeit", "Sprint Łaka")}, {}, false, false, 0);
    settle();
    action("Urkundendrucken1")->trigger();

    QFile data(docs.filePath(QStringLiteral("Urkunden_U10.csv")));
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    const QByteArray bytes = data.readAll();
    EXPECT_TRUE(bytes.contains("\r\nBiber;Cem;Biber;-;6,05s, aufg.;")) << bytes.toStdString();
    EXPECT_TRUE(program.messages.lines().join(u'\n').contains(QStringLiteral("kennt: Łaka → Laka. Bitte")));
}

TEST_F(DataViewWindow, HeaderClicksSortAndAChosenOrderIsStored)
{
    showCompilation();
    clickHeader(4); // the primary column again: reversed
    EXPECT_EQ(column(1), (QStringList{"Anna", "Dora", "Cem", "Ben"}));
    clickHeader(1); // another column: primary, still reversed
    EXPECT_EQ(column(1), (QStringList{"Dora", "Cem", "Ben", "Anna"}));

    fake->answer<op::modifyAggregatorCollectionSortOrder>();
    auto* button = child<QPushButton>("SortButton");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->text(), QStringLiteral("Sortieren"));
    EXPECT_TRUE(child<QLabel>("SortHintLabel")->isVisible());
    clickHeader(5);
    clickHeader(0);
    EXPECT_EQ(column(1), (QStringList{"Dora", "Cem", "Ben", "Anna"})) << "choosing does not sort yet";
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    const auto calls = fake->callsOf<op::modifyAggregatorCollectionSortOrder>();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Id, 31);
    EXPECT_EQ(calls[0].IdOrder, (std::vector<int>{8, 0}));
    EXPECT_EQ(child<QLabel>("SortStatusLabel")->text(), QStringLiteral("Sortierreihenfolge gespeichert."));
    EXPECT_EQ(button->text(), QStringLiteral("Spaltenreihenfolge wählen"));
    // Still descending, so an empty rank comes first; equal rows keep their order.
    EXPECT_EQ(column(1), (QStringList{"Dora", "Ben", "Anna", "Cem"}));

    // Leaving without a click stores nothing; a refused store is reported and the status goes.
    fake->fault<op::modifyAggregatorCollectionSortOrder>(924, {QStringLiteral("31")});
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    EXPECT_EQ(fake->callsOf<op::modifyAggregatorCollectionSortOrder>().size(), 1u);
    QTest::mouseClick(button, Qt::LeftButton);
    clickHeader(4);
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    ASSERT_FALSE(recorder.messages.messages.empty());
    EXPECT_EQ(recorder.messages.messages.back().caption, QStringLiteral("Sortierreihenfolge speichern"));
    EXPECT_EQ(recorder.messages.messages.back().errorId, 924);
    EXPECT_FALSE(child<QLabel>("SortStatusLabel")->isVisible());
}

TEST_F(DataViewWindow, TestModeShowsTwoSampleRowsAndALinkFromElsewhere)
{
    certDocs.path = QStringLiteral("/nirgends/Urkunde.docx");
    showCompilation(true);
    EXPECT_TRUE(fake->requests().empty()) << "sample rows need no server";
    EXPECT_EQ(column(0), (QStringList{"Muster Team", "Muster Team 2"}));
    EXPECT_EQ(column(4), (QStringList{"2", "3"}));
    EXPECT_EQ(column(17), (QStringList{"Team Mitglied A12", "Team Mitglied B12"}));
    EXPECT_FALSE(action("HTMLPublikation1")->isEnabled());
    EXPECT_EQ(certDocs.asked, std::vector<int>{31});

    // Stored on another computer: the note shows, printing is off, discarding asks first.
    EXPECT_TRUE(child<QLabel>("NotFoundLabel")->isVisible());
    EXPECT_FALSE(action("Urkundendrucken1")->isEnabled());
    EXPECT_EQ(action("Urkundendrucken1")->text(), QStringLiteral("Urkundenpfad nicht gefunden"));
    ASSERT_TRUE(action("Urkundenvorlageverwerfen1")->isEnabled());
    script->expectMessage(QStringLiteral("Urkundenvorlage verwerfen"), TMsgAnswer::Yes);
    action("Urkundenvorlageverwerfen1")->trigger();
    EXPECT_EQ(certDocs.removed, std::vector<int>{31});
    EXPECT_TRUE(script->seen.back().text.startsWith(
        QStringLiteral("Die verknüpfte Urkundendatei \"/nirgends/Urkunde.docx\" wurde auf diesem Computer nicht")));
    EXPECT_FALSE(child<QLabel>("NotFoundLabel")->isVisible());
    EXPECT_TRUE(action("Urkundenvorlageeinrichten1")->isEnabled());
    action("Urkundenvorlageeinrichten1")->trigger();
    EXPECT_EQ(certDocs.shown, QStringList{QStringLiteral("Urkunden/U10 31 0")});
}

TEST_F(DataViewWindow, CupModeShowsFinishersAndFiltersByTeams)
{
    CupType cup;
    cup.CupID = 3;
    cup.Name = QStringLiteral("Kinder-Cup");
    for (int i = 1; i <= 2; ++i) {
        CompetitionType c;
        c.ID = 100 + i;
        c.Name = QStringLiteral("Lauf %1").arg(i);
        cup.AssignedCompetitions.push_back(c);
    }
    fake->answer<op::getCup>(getCupResponse{Owned<CupType>(cup)});
    auto finisher = [](int id, const QString& given, int team) {
        FinisherType f;
        CupAthleteType a;
        a.AthleteID = id;
        a.Name = AthleteNameType{given, QStringLiteral("Cup")};
        f.Athlete = a;
        if (team) {
            CupTeamType t;
            t.TeamID = team;
            t.Name = QStringLiteral("Team %1").arg(team);
            f.Teams.push_back(t);
        }
        return f;
    };
    getFinisherAthletesResponse1 finishers;
    finishers.Finisher = {finisher(1, "Ada", 50), finisher(2, "Bo", 60), finisher(3, "Cy", 0)};
    finishers.PendingTeams = true;
    fake->answer<op::getFinisherAthletes>(finishers);
    fake->answer<op::getCustomCupColumns>({});
    fake->on<op::getResultTable>([](const op::getResultTable& a) {
        if (a.ResultProviderID == 8)
            return resultTable(true, {rank(1, 0, {50})});
        return resultTable(false, {distance(3, 2), distance(2, 3)});
    });

    form->ShowData(QStringLiteral("Cup-Urkunden"), 40,
                   {aggInfo(8, "Teamrang", "Gesamt", true), aggInfo(7, "Weite", "Weitsprung")}, {}, false, true, 3);
    settle();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Cup-Urkunden - Cup-Daten anzeigen"));
    EXPECT_EQ(fake->callsOf<op::getCustomCupColumns>().at(0).CupItemTyp, CupItemType::Athlete);
    QStringList titles;
    for (int c = 0; c < list()->model()->columnCount(); ++c)
        titles << list()->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles,
              (QStringList{"Vorname", "Nachname", "Team 1", "Teamrang#Gesamt_T1", "Team 2", "Teamrang#Gesamt_T2",
                           "Weite#Weitsprung", "Anzahl Cup-Teilnahmen", "Lauf 1", "Lauf 2"}));
    // Sorted by the first team result, ties by the team column (a name before none).
    EXPECT_EQ(column(0), (QStringList{"Ada", "Bo", "Cy"}));
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Daten laden: WARNUNG: Cup enthält noch nicht zugeordnete Teams einzelner "
                                         "Veranstaltungen.")});

    auto* filter = child<QCheckBox>("FilterCheckBox");
    ASSERT_TRUE(filter->isVisible());
    QTest::mouseClick(filter, Qt::LeftButton, Qt::NoModifier, QPoint(5, filter->height() / 2));
    EXPECT_EQ(column(0), (QStringList{"Bo", "Cy"})) << "0: no team with results";
    auto* upDown = child<QSpinBox>("UpDown1");
    upDown->setFocus();
    QTest::keyClick(upDown, Qt::Key_Up);
    EXPECT_EQ(filter->text(), QStringLiteral("Nur Athleten anzeigen, die für 1 Finisher-Teams angetreten sind"));
    EXPECT_EQ(column(0), QStringList{"Ada"});
}

TEST_F(DataViewWindow, HtmlPublicationWritesOnePageAndOpensItsFolder)
{
    showCompilation();
    script->expectFile(QStringLiteral("Speichern unter"), QString());
    action("HTMLPublikation1")->trigger();
    EXPECT_EQ(recorder.messages.messages.size(), 1u) << "no stylesheet yet";
    EXPECT_TRUE(recorder.messages.lines().value(0).startsWith(
        QStringLiteral("Ergebnisse exportieren: Fehler beim Laden der Styleinformation für die Ergebnisliste (")));
    script->steps.clear();

    const QString templates = folders.programDir.filePath(QStringLiteral("Templates"));
    ASSERT_TRUE(QDir().mkpath(templates));
    QFile css(templates + QStringLiteral("/resultList.css"));
    ASSERT_TRUE(css.open(QIODevice::WriteOnly));
    css.write(" .oddRow { color: black; }\n");
    css.close();
    const QString page = docs.filePath(QStringLiteral("U10.html"));
    script->expectFile(QStringLiteral("Speichern unter"), page);
    action("HTMLPublikation1")->trigger();
    QFile written(page);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray html = written.readAll();
    EXPECT_TRUE(html.startsWith("<!DOCTYPE html><html lang=\"DE\">"));
    EXPECT_TRUE(html.contains("<title>Sportfest - U10</title><style>.oddRow { color: black; }</style>"));
    EXPECT_TRUE(html.contains("<h3>Veranstaltungsdatum: 13.06.2026</h3><h3>Veranstaltungsort: F&#252;rth</h3>"));
    EXPECT_TRUE(html.contains("<tr class=\"oddRow\"><td>Adler</td><td class=\"\">Ben</td>"));
    EXPECT_FALSE(html.contains("Teammitglied"));
    EXPECT_TRUE(html.endsWith(
        ("am " + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")) + "</small></footer></body></html>")
            .toUtf8()));
    EXPECT_EQ(opener.opened(), QStringList{docs.path()});
}

TEST_F(DataViewWindow, APublicationFolderTheDesktopCannotOpenIsReported)
{
    const QString templates = folders.programDir.filePath(QStringLiteral("Templates"));
    ASSERT_TRUE(QDir().mkpath(templates));
    QFile css(templates + QStringLiteral("/resultList.css"));
    ASSERT_TRUE(css.open(QIODevice::WriteOnly));
    css.write(".oddRow { color: black; }\n");
    css.close();
    showCompilation();
    opener.setExitStatus(1);
    const QString page = docs.filePath(QStringLiteral("U10.html"));
    script->expectFile(QStringLiteral("Speichern unter"), page);
    action("HTMLPublikation1")->trigger();
    ASSERT_TRUE(FakeOpener::settle());
    EXPECT_TRUE(QFile::exists(page));
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("HTML Publikation: Der Ordner \"") + QDir::toNativeSeparators(docs.path()) +
                          QStringLiteral("\" konnte nicht geöffnet werden. Die Seite ist dort gespeichert.")});
}

// "Als csv und ausführen" with no program for csv files on the desktop: the file is written and
// the failure to open it is said once the opener has ended.
TEST_F(DataViewWindow, AnExportTheDesktopCannotOpenIsReported)
{
    RecordingContext program{programContext()};
    showCompilation();
    opener.setExitStatus(1);
    const QString file = docs.filePath(QStringLiteral("Urkunden.csv"));
    script->expectFile(QStringLiteral("csv-Datei speichern"), file);
    action("Alscsvundausfhren1")->trigger();
    EXPECT_EQ(opener.opened(), QStringList{file});
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(program.messages.lines(),
              QStringList{QStringLiteral("Datei anzeigen: Datei konnte nicht geöffnet werden. Stellen Sie sicher, dass "
                                         "ein Programm zum Öffnen von csv-Dateien eingerichtet ist.")});
}

TEST_F(DataViewWindow, AFailedLoadLeavesNoRows)
{
    fake->fault<op::getResultTable>(22, {QStringLiteral("8")});
    showCompilation();
    EXPECT_EQ(list()->model()->rowCount(), 0);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Ergebnisse laden"));
    EXPECT_EQ(recorder.messages.messages[0].errorId, 22);
    EXPECT_FALSE(child<QLabel>("LoadingLabel")->isVisible());
    EXPECT_TRUE(list()->isEnabled());
}

TEST_F(DataViewWindow, ACompletedSetupWithoutResultColumnsOpensNothing)
{
    form->ShowData(QStringLiteral("Leer"), 32, {}, {}, true, false, 0);
    settle();
    const QString doc = document(QStringLiteral("Leer.docx"));
    certDocs.OnStatusChange(TDocPathStatus::dps_completed, doc, 32, 0);
    EXPECT_EQ(recorder.messages.lines(),
              (QStringList{QStringLiteral("Urkunden anlegen: Keine gültigen Wertungen zum Exportieren in der "
                                          "Urkunden-/Ergebnisvorlage angelegt"),
                           QStringLiteral("Urkunden erstellen: Daten konnten nicht nach \"") + docs.path() +
                               QStringLiteral("/Leer.csv\" exportiert werden.")}));
    EXPECT_TRUE(opener.opened().isEmpty());
    // Another compilation's status changes nothing here.
    certDocs.OnStatusChange(TDocPathStatus::dps_completed, doc, 99, 0);
    EXPECT_EQ(recorder.messages.messages.size(), 2u);
}

namespace {

class DataViewWithCertDocs : public DataViewWindow {
protected:
    QWidget* certDocWindow() override
    {
        setup = std::make_unique<TCertDocSetupForm>(context);
        return setup.get();
    }
    void TearDown() override
    {
        DataViewWindow::TearDown();
        setup.reset();
    }
    std::unique_ptr<TCertDocSetupForm> setup;
};

} // namespace

TEST_F(DataViewWithCertDocs, StandardTemplateLinkedThenPrintedWithItsDataFile)
{
    QDir(folders.programDir.path()).mkpath(QStringLiteral("Templates"));
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(TVP_TEMPLATES_DIR "/Urkundenvorlage.docx"), standardTemplatePath(certDocKind())));
    fake->answer<op::setUiInfo>();
    showCompilation();
    ASSERT_TRUE(action("Urkundenvorlageeinrichten1")->isEnabled());

    const QString document = docs.filePath(QStringLiteral("Urkunden.docx"));
    script->expectWindow(QStringLiteral("Urkunde für Wertung \"Urkunden/U10\" einrichten"), [&](QWidget& w) {
        script->expectFile(QStringLiteral("Dokument speichern unter"), document);
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
        return 0;
    });
    action("Urkundenvorlageeinrichten1")->trigger();
    settle();
    const auto stored = fake->callsOf<op::setUiInfo>();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].Key, QStringLiteral("AggColl_CertDocPath"));
    EXPECT_EQ(stored[0].Value, document);
    EXPECT_EQ(stored[0].AssotiatedId, 31);

    // Stored: the data view writes the data file the document reads, and opens the document.
    EXPECT_EQ(opener.opened(), QStringList{document});
    const QString dataFile = docs.filePath(QStringLiteral("Urkunden_U10.csv"));
    EXPECT_TRUE(QFile::exists(dataFile));
    QFile linked(document);
    ASSERT_TRUE(linked.open(QIODevice::ReadOnly));
    EXPECT_TRUE(TCertDocEditor::fromBytes(linked.readAll())
                    .checkDoc(
                        [&](TXMLDocuments& parts) {
                            return QString::fromUtf8(parts[1]
                                                         .document_element()
                                                         .child("w:mailMerge")
                                                         .child("w:query")
                                                         .attribute("w:val")
                                                         .value()) == QStringLiteral("SELECT * FROM ") + dataFile;
                        },
                        mailMergePartNames()));
    EXPECT_TRUE(action("Urkundendrucken1")->isEnabled());

    opener.setExitStatus(1);
    action("Urkundendrucken1")->trigger();
    ASSERT_TRUE(FakeOpener::settle());
    EXPECT_EQ(recorder.messages.lines().value(0),
              QStringLiteral("Urkunden anzeigen: Urkundenvorlage konnte nicht geöffnet werden. Stellen Sie sicher, "
                             "dass ein Programm zum Öffnen von .docx-Dateien eingerichtet ist."));
}
