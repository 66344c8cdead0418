// The custom column window and the custom column import on the stand-in: columns made, renamed
// and reordered by real keys and drags, an emptied edit that sends nothing, the question before a
// column with values goes, and imports with unknown columns, namesakes and broken files.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/ShellClock.h"
#include "scoring/ui/CustomColImportDialog.h"
#include "scoring/ui/CustomCupColDialog.h"
#include "scoring/ui/ScoringWindows.h"
#include "tests/support/RealDrag.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

// Stands for the cup athlete window: counts its reloads.
class FakeCupAthletes : public TTVPForm {
public:
    explicit FakeCupAthletes(TWindowContext& context) : TTVPForm(context) {}
    int reloads = 0;

protected:
    void reloadData() override { ++reloads; }
};

class CupColumnWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        AppPaths::setProgramDirForTests(dir.path());
        AppPaths::setCommonAppDataDirForTests(dir.path());
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        setShellClockForTests([this] { return now; });
        InitComm();
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();

        StandinSeed seed(standin.dataFile());
        const int a = seed.competition(QStringLiteral("A"));
        const int b = seed.competition(QStringLiteral("B"));
        // Two Anna Muster of different years stay two cup athletes.
        seed.setPerson(seed.athlete(a, QStringLiteral("Anna"), QStringLiteral("Muster")), GenderType::FEMALE, 2015);
        seed.setPerson(seed.athlete(b, QStringLiteral("Anna"), QStringLiteral("Muster")), GenderType::FEMALE, 2016);
        seed.athlete(a, QStringLiteral("Ben"), QStringLiteral("Beispiel"));
        CupInfoDataType info;
        info.Name = QStringLiteral("Kreiscup");
        info.MinTeamParticipations = 1;
        info.MinAthleteParticipations = 1;
        cup = client->css()->createCup(info).CupID;
        client->css()->assignCompetitions(cup, {a, b});

        registerScoringWindows(windows);
        windows.place(TWindowId::CupAthleteForm, &cupAthletes);
        cols = static_cast<TCustomCupColForm*>(windows.create(TWindowId::CustomCupColForm, context));
        import = static_cast<TCustomColImportForm*>(windows.create(TWindowId::CustomColImportForm, context));
    }

    void TearDown() override
    {
        settle();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        EXPECT_TRUE(recorder.confirmation.allAnswered());
        windows.destroyAll();
        setDialogs(nullptr);
        setShellClockForTests({});
        AppPaths::setProgramDirForTests({});
        AppPaths::setCommonAppDataDirForTests({});
        standin.stop();
    }

    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            EXPECT_TRUE(waitUntil(
                [this] {
                    return runningRequestCount() == 0 && (!cols || cols->pendingRequests() == 0) &&
                           (!import || import->pendingRequests() == 0);
                },
                10000));
            QTest::qWait(20);
        }
    }

    int addColumn(const QString& name)
    {
        CustomColumnInfoType info;
        info.Name = name;
        info.ItemType = CupItemType::Athlete;
        return client->css()->addCustomColumn(cup, Owned<CustomColumnInfoType>(info)).CustomColumn->ID;
    }

    QStringList stored()
    {
        QStringList names;
        for (const CustomColumnType& c : client->crs()->getCustomCupColumns(cup, CupItemType::Athlete))
            names << c.Name;
        return names;
    }

    QStringList shown() const
    {
        QStringList names;
        const QAbstractItemModel* model = cols->ListView1->model();
        for (int r = 0; r < model->rowCount(); ++r)
            names << model->index(r, 0).data().toString();
        return names;
    }

    // "given sur year: column=value, ..." per cup athlete.
    QStringList values()
    {
        QStringList out;
        const getCupAthletesResponse r = client->crs()->getCupAthletes(cup, 0, 0);
        for (const auto* list : {&r.CompletedCupAthletes, &r.PendingCupAthletes})
            for (const CupAthleteType& a : *list) {
                QStringList cells;
                for (const CustomInformationType& v : a.CustomInformations)
                    cells << v.Column->Name + u'=' + v.Value;
                out << QStringLiteral("%1 %2 %3: %4")
                           .arg(a.Name->givenName, a.Name->surName)
                           .arg(a.YearOfBirth)
                           .arg(cells.join(QStringLiteral(", ")));
            }
        out.sort();
        return out;
    }

    void openColumns()
    {
        cols->showCustomCupColForm(cup, CupItemType::Athlete);
        QApplication::setActiveWindow(cols);
        settle();
    }

    QModelIndex row(const QString& name) const
    {
        const QAbstractItemModel* model = cols->ListView1->model();
        const auto found = model->match(model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        return found.isEmpty() ? QModelIndex() : found.front();
    }

    QPoint centre(const QModelIndex& item) const { return cols->ListView1->visualRect(item).center(); }

    QLineEdit* editor() const { return cols->ListView1->viewport()->findChild<QLineEdit*>(); }

    // Double-clicks the row and types over its caption, ending with the key given.
    void retype(const QString& name, const QString& text, Qt::Key end = Qt::Key_Return)
    {
        const QModelIndex item = row(name);
        ASSERT_TRUE(item.isValid()) << name.toStdString();
        QTest::mouseClick(cols->ListView1->viewport(), Qt::LeftButton, {}, centre(item));
        QTest::mouseDClick(cols->ListView1->viewport(), Qt::LeftButton, {}, centre(item));
        QLineEdit* edit = editor();
        ASSERT_NE(edit, nullptr);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, end);
        settle();
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Picks the file in the open dialog by a click on "Öffnen".
    void importFile(const QString& path)
    {
        import->showImportForm(cup);
        script->expectFile(QStringLiteral("Öffnen"), path);
        QTest::mouseClick(import->Button1, Qt::LeftButton);
        settle();
    }

    QStringList log() const { return import->Memo1->toPlainText().split(u'\n'); }

    QTemporaryDir dir;
    qint64 now = 1'000'000;
    StandinHarness standin;
    std::unique_ptr<StandinClient> client;
    int cup = 0;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    ScriptedDialogs* script = nullptr;
    FakeCupAthletes cupAthletes{context};
    TCustomCupColForm* cols = nullptr;
    TCustomColImportForm* import = nullptr;
};

} // namespace

TEST_F(CupColumnWindows, ColumnsAreCreatedAndRenamedOnlyByNonEmptyEdits)
{
    cols->showCustomCupColForm(0, CupItemType::Athlete);
    EXPECT_FALSE(cols->isVisible());

    openColumns();
    EXPECT_EQ(cols->windowTitle(), QStringLiteral("Benutzerdefinierte Spalten für Cup-Athleten anlegen"));
    EXPECT_FALSE(cols->DeleteColumn1->isEnabled());

    // Cancelled: an unsaved row that deleting only reloads away.
    cols->NewColumn1->trigger();
    ASSERT_NE(editor(), nullptr);
    QTest::keyClick(editor(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Neue Spalte")});
    EXPECT_TRUE(stored().isEmpty());
    ASSERT_TRUE(cols->DeleteColumn1->isEnabled());
    cols->DeleteColumn1->trigger();
    settle();
    EXPECT_TRUE(shown().isEmpty());

    // Confirmed unchanged: created under the default name.
    cols->NewColumn1->trigger();
    ASSERT_NE(editor(), nullptr);
    QTest::keyClick(editor(), Qt::Key_Return);
    settle();
    EXPECT_EQ(stored(), QStringList{QStringLiteral("Neue Spalte")});
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Neue Spalte")});

    // Emptied: nothing sent, the caption stays.
    retype(QStringLiteral("Neue Spalte"), QStringLiteral("   "));
    EXPECT_EQ(stored(), QStringList{QStringLiteral("Neue Spalte")});
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Neue Spalte")});

    retype(QStringLiteral("Neue Spalte"), QStringLiteral(" Startnummer "));
    EXPECT_EQ(stored(), QStringList{QStringLiteral("Startnummer")});
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Startnummer")});
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
}

TEST_F(CupColumnWindows, AColumnWithValuesGoesOnlyAfterYes)
{
    const int size = addColumn(QStringLiteral("Größe"));
    addColumn(QStringLiteral("Verein"));
    const getCupAthletesResponse athletes = client->crs()->getCupAthletes(cup, 0, 0);
    const CupAthleteType& ben =
        *std::find_if(athletes.PendingCupAthletes.begin(), athletes.PendingCupAthletes.end(),
                      [](const CupAthleteType& a) { return a.Name->givenName == QStringLiteral("Ben"); });
    CustomInformationsDataType value;
    value.ColumnID = size;
    value.Value = QStringLiteral("140");
    client->css()->modifyCupAthlete(ben.AthleteID, nullptr, {value});
    cupAthletes.show();
    openColumns();
    const int reloadsBefore = cupAthletes.reloads;

    QTest::mouseClick(cols->ListView1->viewport(), Qt::LeftButton, {}, centre(row(QStringLiteral("Größe"))));
    recorder.confirmation.expect({false});
    cols->DeleteColumn1->trigger();
    settle();
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("Größe"), QStringLiteral("Verein")}));

    recorder.confirmation.expect({true});
    cols->DeleteColumn1->trigger();
    settle();
    EXPECT_EQ(stored(), QStringList{QStringLiteral("Verein")});
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Verein")});
    EXPECT_GT(cupAthletes.reloads, reloadsBefore);
    ASSERT_EQ(recorder.confirmation.asked.size(), 2u);
    for (const auto& q : recorder.confirmation.asked) {
        EXPECT_EQ(q.caption, QStringLiteral("Spalte löschen?"));
        EXPECT_EQ(q.text, QStringLiteral("In dieser Spalte sind schon Werte eingetragen. Diese werden ebenfalls "
                                         "gelöscht. Fortfahren?"));
        EXPECT_FALSE(q.applyToAllOffered);
    }
    EXPECT_EQ(values().filter(QStringLiteral("Ben")), QStringList{QStringLiteral("Ben Beispiel 0: ")});
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
}

TEST_F(CupColumnWindows, ARowDraggedOntoAnotherTakesItsPlace)
{
    addColumn(QStringLiteral("A"));
    addColumn(QStringLiteral("B"));
    addColumn(QStringLiteral("C"));
    openColumns();

    QTreeView* view = cols->ListView1;
    const QPoint from = centre(row(QStringLiteral("C")));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, from);
    RealDrag drag;
    ASSERT_TRUE(drag.start(*view->viewport(), from));
    EXPECT_TRUE(drag.dropOn(*view->viewport(), centre(row(QStringLiteral("A")))));
    settle();
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(shown(), stored());

    // Beside the rows nothing happens.
    const QPoint b = centre(row(QStringLiteral("B")));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, b);
    RealDrag beside;
    ASSERT_TRUE(beside.start(*view->viewport(), b));
    EXPECT_FALSE(beside.dropOn(*view->viewport(), QPoint(10, view->viewport()->height() - 5)));
    settle();
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("B")}));
}

TEST_F(CupColumnWindows, ImportLogsColumnsByExactNameAndEndsWithFertig)
{
    addColumn(QStringLiteral("größe"));
    addColumn(QStringLiteral("Verein"));
    EXPECT_EQ(import->windowTitle(), QStringLiteral("Importieren von benutzerdefinierten Spalten"));
    importFile(writeFile(QStringLiteral("werte.csv"), QStringLiteral("Vorname;Nachname;Größe;Verein\r\n"
                                                                     "Ben;Beispiel;140;TV Nord\r\n")
                                                          .toLatin1()));
    EXPECT_EQ(log(), (QStringList{QStringLiteral("Spalte \"Größe\" nicht im Cup gefunden."),
                                  QStringLiteral("Spalte \"Verein\" erkannt."), QStringLiteral("Fertig.")}));
    EXPECT_EQ(values().filter(QStringLiteral("Ben")), QStringList{QStringLiteral("Ben Beispiel 0: Verein=TV Nord")});
    EXPECT_TRUE(import->Button1->isEnabled());
    EXPECT_TRUE(import->Edit1->text().endsWith(QStringLiteral("werte.csv")));
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
}

// Fault mended: a header "Größe" saved as UTF-8 read as "GrÃ¶ÃŸe", matched no column, and its
// values were dropped.
TEST_F(CupColumnWindows, AUtf8FileMatchesItsColumnsWithOrWithoutAByteOrderMark)
{
    addColumn(QStringLiteral("Größe"));
    QByteArray table = QStringLiteral("Vorname;Nachname;Größe\r\nBen;Beispiel;Übergröße\r\n").toUtf8();
    importFile(writeFile(QStringLiteral("utf8.csv"), table));
    EXPECT_EQ(log(), (QStringList{QStringLiteral("Spalte \"Größe\" erkannt."), QStringLiteral("Fertig.")}));
    EXPECT_EQ(values().filter(QStringLiteral("Ben")), QStringList{QStringLiteral("Ben Beispiel 0: Größe=Übergröße")});

    importFile(writeFile(QStringLiteral("bom.csv"), "\xEF\xBB\xBF" + table.replace("Übergröße", "XL")));
    EXPECT_EQ(log(), (QStringList{QStringLiteral("Spalte \"Größe\" erkannt."), QStringLiteral("Fertig.")}));
    EXPECT_EQ(values().filter(QStringLiteral("Ben")), QStringList{QStringLiteral("Ben Beispiel 0: Größe=XL")});
    EXPECT_TRUE(recorder.messages.lines().isEmpty()) << recorder.messages.lines().join(u'\n').toStdString();
}

TEST_F(CupColumnWindows, ImportPlacesNamesakesAndTrimmedNamesAndLogsThem)
{
    addColumn(QStringLiteral("Nr"));
    importFile(writeFile(QStringLiteral("nr.csv"), QByteArray("Vorname;Nachname;Nr\n"
                                                              "Anna ; Muster;1\n"
                                                              "Anna;Muster;2\n"
                                                              "Carla;Fehlt;3\n"
                                                              "Nur\n")));
    const QString cupAmbiguity =
        QStringLiteral("konnte nicht eindeutig zugeordnet werden. Ggf. gibt es den Namen mehrfach im Cup. Bitte "
                       "manuell die Zuordnung prüfen.");
    EXPECT_EQ(log(), (QStringList{QStringLiteral("In Zeile 5 ist kein vollständiger Name angegeben."),
                                  QStringLiteral("Spalte \"Nr\" erkannt."),
                                  QStringLiteral("Athlet \"Anna   Muster\" ") + cupAmbiguity,
                                  QStringLiteral("Athlet \"Anna Muster\" ") + cupAmbiguity,
                                  QStringLiteral("Athlet \"Carla Fehlt\" konnte nicht im Cup gefunden werden."),
                                  QStringLiteral("Fertig.")}));
    const QStringList annas = values().filter(QStringLiteral("Anna"));
    ASSERT_EQ(annas.size(), 2);
    EXPECT_TRUE(annas.join(u'|').contains(QStringLiteral(": Nr=1")));
    EXPECT_TRUE(annas.join(u'|').contains(QStringLiteral(": Nr=2")));
}

TEST_F(CupColumnWindows, BrokenFilesAreReportedAndStoreNothing)
{
    addColumn(QStringLiteral("Nr"));
    const QString instructions = import->Memo1->toPlainText();
    importFile(dir.filePath(QStringLiteral("fehlt.csv")));
    importFile(writeFile(QStringLiteral("leer.csv"), QByteArray()));
    importFile(writeFile(QStringLiteral("kaputt.csv"), QByteArray("Vorname;Nachname;Nr\n\"Ben;Beispiel;1\n")));
    const QStringList messages = recorder.messages.lines();
    ASSERT_EQ(messages.size(), 3) << messages.join(u'\n').toStdString();
    EXPECT_EQ(messages[0], QStringLiteral("csv Importieren: Datei wurde nicht gefunden"));
    EXPECT_EQ(messages[1], QStringLiteral("csv Importieren: Datei konnte nicht eingeladen werden: Leere Datei"));
    EXPECT_TRUE(messages[2].startsWith(QStringLiteral("csv Importieren: Datei konnte nicht eingeladen werden: ")));
    EXPECT_EQ(import->Memo1->toPlainText(), instructions);
    EXPECT_TRUE(import->Button1->isEnabled());
    for (const QString& line : values())
        EXPECT_TRUE(line.endsWith(QStringLiteral(": "))) << line.toStdString();
}
