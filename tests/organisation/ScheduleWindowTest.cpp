// The schedule window offscreen against the stand-in, used with keys and clicks as a user does:
// filling four squads with five stations, the completeness check, saving, reloading and moving one
// start time with the arrow keys.

#include "core/ui/MainWindowServices.h"
#include "organisation/ScheduleGrid.h"
#include "organisation/ui/ScheduleDialog.h"
#include "scoring/ui/TeamScheduleDocSetupDialog.h"
#include "tests/participants/WindowFixture.h"
#include "tests/support/FakeOpener.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>

using namespace tvp;
using namespace tvp::test;

namespace {

class ScheduleWindowTest : public ParticipantWindowTest {
protected:
    void SetUp() override
    {
        ParticipantWindowTest::SetUp();
        for (int s = 1; s <= 4; ++s)
            squads.push_back(seed->squad(competitionId, s, {}));
        for (int d = 1; d <= 5; ++d) {
            const int discipline = seed->discipline(competitionId, QStringLiteral("Disziplin %1").arg(d));
            for (int squad : squads)
                seed->assignSquad(discipline, squad);
            seed->facility(competitionId, QStringLiteral("Anlage %1").arg(d), {discipline});
        }
        form = make<TScheduleForm>(TWindowId::ScheduleForm);
    }
    QTableView* grid() const { return find<QTableView>(*form, "StringGrid1"); }
    QComboBox* places() const { return find<QComboBox>(*form, "ComboBox1"); }
    QLineEdit* time() const { return find<QLineEdit>(*form, "StartTimeEdit"); }
    void clickCell(int col, int row)
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(grid()->model()->index(row, col)).center());
        ASSERT_TRUE(form->isEditing());
    }
    // In the open editor: the place entry by arrow keys, Enter to the time, Enter to store.
    void enterStation(int entry)
    {
        for (int i = 0; i < entry; ++i)
            QTest::keyClick(places(), Qt::Key_Down);
        QTest::keyClick(places(), Qt::Key_Return);
        QTest::keyClick(time(), Qt::Key_Return);
    }
    void triggerMenu(const char* name) { find<QAction>(*form, name)->trigger(); }
    QStringList storedTimes()
    {
        QStringList out;
        standin::Statement q = seed->db().query(
            "SELECT s.squad_id, d.name, s.time FROM schedule_items s JOIN places_of_disciplines m ON m.id = "
            "s.place_of_discipline_id JOIN disciplines d ON d.id = m.discipline_id ORDER BY s.squad_id, s.time");
        while (q.next())
            out << QStringLiteral("%1 %2 %3").arg(q.intAt(0)).arg(q.textAt(1), q.textAt(2));
        return out;
    }

    TScheduleForm* form = nullptr;
    std::vector<int> squads;
};

} // namespace

TEST_F(ScheduleWindowTest, FourSquadsFilledByKeyCheckedSavedReloadedAndOneTimeMovedWithTheArrows)
{
    form->show();
    settle();
    ASSERT_EQ(grid()->model()->columnCount(), 4);
    EXPECT_EQ(grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Riege 1"));
    EXPECT_TRUE(find<QCheckBox>(*form, "CheckBox1")->isChecked());

    for (int col = 0; col < 4; ++col) {
        clickCell(col, 0);
        EXPECT_EQ(places()->count(), 6); // "=Eintrag löschen=" and the squad's five places
        for (int station = 0; station < 5; ++station) {
            ASSERT_TRUE(form->isEditing());
            enterStation((station + col) % 5 + 1);
        }
    }
    EXPECT_EQ(grid()->model()->index(0, 1).data().toString(), QStringLiteral("Anlage 2\nDisziplin 2\n10:00"));
    EXPECT_EQ(grid()->model()->index(4, 1).data().toString(), QStringLiteral("Anlage 1\nDisziplin 1\n12:00"));
    EXPECT_TRUE(find<QPushButton>(*form, "SaveButton")->isEnabled());

    // The check needs the plan saved first; "Ja" saves.
    script->expectMessage(QStringLiteral("Ungespeicherte Änderungen"), TMsgAnswer::Yes);
    triggerMenu("Vollstndigkeitprfen1");
    settle();
    EXPECT_EQ(storedTimes().size(), 20);
    EXPECT_EQ(storedTimes().front(), QStringLiteral("%1 Disziplin 1 10:00:00").arg(squads[0]));

    script->expectMessage(QStringLiteral("Zeitplan prüfen"), TMsgAnswer::Ok);
    triggerMenu("Vollstndigkeitprfen1");
    EXPECT_EQ(script->seen.back().text, QStringLiteral("Alle Riegen der Ansicht haben vollständige Zeitplaneinträge "
                                                       "für alle Disziplinen, denen sie zugeordnet sind."));
    EXPECT_TRUE(recorder.messages.messages.empty());

    form->reloadFormData(false);
    settle();
    EXPECT_EQ(grid()->model()->index(3, 2).data().toString(), QStringLiteral("Anlage 1\nDisziplin 1\n11:30"));

    clickCell(2, 3);
    EXPECT_EQ(places()->currentText(), QStringLiteral("Anlage 1 (Disziplin 1)"));
    QTest::keyClick(places(), Qt::Key_Return);
    QTest::keyClick(time(), Qt::Key_Down);
    QTest::keyClick(time(), Qt::Key_Down);
    QTest::keyClick(time(), Qt::Key_Up);
    EXPECT_EQ(time()->text(), QStringLiteral("11:35"));
    QTest::keyClick(time(), Qt::Key_Return);
    QTest::mouseClick(find<QPushButton>(*form, "SaveButton"), Qt::LeftButton);
    settle();

    const QStringList after = storedTimes();
    EXPECT_EQ(after.size(), 20); // the pair's item changed, none added
    EXPECT_TRUE(after.contains(QStringLiteral("%1 Disziplin 1 11:35:00").arg(squads[2])));
    EXPECT_FALSE(after.contains(QStringLiteral("%1 Disziplin 1 11:30:00").arg(squads[2])));
}

TEST_F(ScheduleWindowTest, AnIncompletePlanWarnsPerSquadAndRemovingAStoredItemDeletesItOnSave)
{
    const int mapping = seed->value("SELECT id FROM places_of_disciplines WHERE discipline_id = "
                                    "(SELECT id FROM disciplines WHERE name = 'Disziplin 1' AND competition_id = ?)",
                                    competitionId);
    seed->scheduleItem(squads[0], mapping, QStringLiteral("10:40:00"));
    form->show();
    settle();

    clickCell(0, 1);
    EXPECT_EQ(time()->text(), QStringLiteral("11:10")); // the item above plus 30 minutes
    QTest::keyClick(places(), Qt::Key_Escape);
    EXPECT_FALSE(form->isEditing());

    triggerMenu("Vollstndigkeitprfen1");
    ASSERT_EQ(recorder.messages.messages.size(), 4u);
    EXPECT_EQ(recorder.messages.messages[0].text,
              QStringLiteral("Für Riege 1 fehlen noch Zeitplaneinträge für folgende Disziplinen: Disziplin 2, "
                             "Disziplin 3, Disziplin 4, Disziplin 5"));
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Zeitplan prüfen"));

    clickCell(0, 0);
    QTest::keyClick(places(), Qt::Key_Up); // to "=Eintrag löschen="
    EXPECT_EQ(grid()->model()->index(0, 0).data().toString(), QStringLiteral("Entfernt"));
    QTest::mouseClick(find<QPushButton>(*form, "SaveButton"), Qt::LeftButton);
    settle();
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM schedule_items WHERE squad_id = ?", squads[0]), 0);
}

// A letter typed on the grid does not search it for a cell starting with that letter: that moved
// the editor to another squad's slot, where the next keys chose a station.
TEST_F(ScheduleWindowTest, TypingOnTheGridStaysInItsCell)
{
    form->show();
    settle();
    clickCell(0, 0);
    enterStation(1);
    ASSERT_EQ(grid()->model()->index(0, 0).data().toString(), QStringLiteral("Anlage 1\nDisziplin 1\n10:00"));
    grid()->setCurrentIndex(grid()->model()->index(2, 0));
    QTest::keyClick(places(), Qt::Key_Escape);
    ASSERT_FALSE(form->isEditing());
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_A);
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(2, 0));
    EXPECT_FALSE(form->isEditing());
}

TEST_F(ScheduleWindowTest, AnExportThatCannotBeWrittenNamesTheFileAndAWrittenOneHoldsTheSampleLine)
{
    form->show();
    settle();
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("weg/Riegenablaufplan.csv"));
    script->expectMessage(QStringLiteral("Unvollständige Zeitplaneinträge"), TMsgAnswer::Yes);
    script->expectFile(QStringLiteral("Ablaufplan exportieren"), gone);
    find<QAction>(*form, "alscsvproRiege1")->trigger();
    ASSERT_FALSE(recorder.messages.messages.empty());
    const RecordedMessage& failure = recorder.messages.messages.back();
    EXPECT_FALSE(failure.warning);
    EXPECT_EQ(failure.caption, QStringLiteral("Ablaufplan exportieren"));
    EXPECT_TRUE(failure.text.contains(gone)) << failure.text.toStdString();

    const QString path = dir.filePath(QStringLiteral("Riegenablaufplan.csv"));
    script->expectMessage(QStringLiteral("Unvollständige Zeitplaneinträge"), TMsgAnswer::Yes);
    script->expectFile(QStringLiteral("Ablaufplan exportieren"), path);
    find<QAction>(*form, "alscsvproRiege1")->trigger();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 6); // header, four squads, the sample
    EXPECT_TRUE(lines[1].startsWith(";;;Riege 1;;;;"));
    EXPECT_TRUE(lines[5].startsWith(";;U10;Muster Riege (1);Musteranlage 1;"));
}

TEST_F(ScheduleWindowTest, TheLinkedDocumentGetsItsDataFileBesideItAndAMissingOneOnlyItsRemoval)
{
    form->show();
    settle();
    QAction* print = find<QAction>(*form, "Ablaufplaneditierendrucken1");
    QAction* setUp = find<QAction>(*form, "Ablaufplanvorlageeinrichten1");
    QAction* discard = find<QAction>(*form, "Ablaufplanvorlageverwerfen1");
    EXPECT_TRUE(setUp->isEnabled()); // no document: only setting one up

    QTemporaryDir dir;
    form->docPathChange(TDocPathStatus::dps_loaded, dir.filePath(QStringLiteral("fehlt.docx")), competitionId,
                        int(TScheduleDocType::sd_SQUAD));
    EXPECT_EQ(print->text(), QStringLiteral("Ablaufplanpfad nicht gefunden"));
    EXPECT_FALSE(print->isEnabled());
    EXPECT_FALSE(setUp->isEnabled());
    EXPECT_TRUE(discard->isEnabled());

    const QString document = dir.filePath(QStringLiteral("Ablaufplan.docx"));
    QFile(document).open(QIODevice::WriteOnly);
    FakeOpener opener;
    form->docPathChange(TDocPathStatus::dps_loaded, document, competitionId, int(TScheduleDocType::sd_TEAM));
    ASSERT_TRUE(print->isEnabled());
    script->expectMessage(QStringLiteral("Unvollständige Zeitplaneinträge"), TMsgAnswer::Yes);
    print->trigger();
    EXPECT_EQ(opener.opened(), QStringList{document});
    QFile data(dir.filePath(QStringLiteral("Teamablaufplandaten.csv")));
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    EXPECT_TRUE(data.readAll().startsWith("Team;Verein;Altersklasse;Riege;Station 1;"));
}

// "Ablaufplanvorlage einrichten..." and "manuell einrichten" with a text file that the desktop has
// no program for: the schedule says so once the opener has ended.
TEST_F(ScheduleWindowTest, ATemplateSetUpByHandThatTheDesktopCannotOpenIsReported)
{
    make<TTeamScheduleDocSetupForm>(TWindowId::TeamScheduleDocSetupForm);
    form = make<TScheduleForm>(TWindowId::ScheduleForm); // made after the setup window, so it hears it
    form->show();
    settle();
    FakeOpener opener(1);
    QTemporaryDir dir;
    const QString document = dir.filePath(QStringLiteral("Ablaufplan.txt"));
    QFile(document).open(QIODevice::WriteOnly);
    script->expectWindow(QStringLiteral("Ablaufplan einrichten"), [&](QWidget& w) {
        find<QRadioButton>(w, "RadioButton3")->click();
        QTest::mouseClick(find<QPushButton>(w, "Button2"), Qt::LeftButton);
        return 0;
    });
    script->expectFile(QStringLiteral("Dokument auswählen"), document);
    script->expectMessage(QStringLiteral("Unvollständige Zeitplaneinträge"), TMsgAnswer::Yes);
    triggerMenu("Ablaufplanvorlageeinrichten1");
    settle();
    EXPECT_EQ(opener.opened(), QStringList{document});
    EXPECT_TRUE(recorder.messages.lines().contains(
        QStringLiteral("Ablaufplan anzeigen: Ablaufplanvorlage konnte nicht geöffnet werden. Stellen Sie sicher, dass "
                       "ein Programm zum Öffnen von txt-Dateien eingerichtet ist.")))
        << recorder.messages.lines().join(u'\n').toStdString();
}

// A complete squad's check mark stays clear of its caption, also where the column is only as wide
// as the caption.
TEST_F(ScheduleWindowTest, TheCheckMarkOfACompleteSquadKeepsClearOfItsCaption)
{
    // Squads enough that no column gets more room than its caption.
    for (int s = 6; s <= 12; ++s)
        seed->squad(competitionId, s, QStringLiteral("Riege U10 Überlingen-Seeufer"));
    const int squad = seed->squad(competitionId, 5, QStringLiteral("Riege U10 Überlingen-Seeufer"));
    const int sprint = seed->discipline(competitionId, QStringLiteral("Sprint"));
    seed->assignSquad(sprint, squad);
    seed->scheduleItem(squad, seed->facility(competitionId, QStringLiteral("Laufbahn"), {sprint})[0],
                       QStringLiteral("09:30:00"));
    form->show();
    settle();
    const QAbstractItemModel& model = *grid()->model();
    int column = -1;
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.headerData(c, Qt::Horizontal).toString() == QStringLiteral("Riege U10 Überlingen-Seeufer (5)"))
            column = c;
    ASSERT_GE(column, 0);
    ASSERT_TRUE(model.headerData(column, Qt::Horizontal, kScheduleCellStateRole).toBool());
    form->resize(1, form->height()); // each column as narrow as its window lets it become
    runQueued();
    clickCell(column, 0); // its caption is highlighted
    QHeaderView& header = *grid()->horizontalHeader();
    const QImage drawn =
        header.grab(QRect(header.sectionViewportPosition(column), 0, header.sectionSize(column), header.height()))
            .toImage();
    QRect mark, caption;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor c = drawn.pixelColor(x, y);
            if (c.green() > 90 && c.red() < 90 && c.blue() < 90)
                mark |= QRect(x, y, 1, 1);
            else if (std::max({c.red(), c.green(), c.blue()}) < 90)
                caption |= QRect(x, y, 1, 1);
        }
    ASSERT_FALSE(mark.isEmpty() || caption.isEmpty());
    // At least a space apart beside it, or a pixel row below it.
    const int space = header.fontMetrics().horizontalAdvance(QLatin1Char(' '));
    EXPECT_FALSE(caption.adjusted(-space, -1, space, 1).intersects(mark)) << "the mark touches the caption";
}
