// The competition details window and the competition files against the stand-in, as a user works
// them: typed fields and the save button, the main window's export entries, the import chooser and
// the import window with Enter in the name field.

#include "core/competition/CompetitionFiles.h"
#include "core/competition/CompetitionRequests.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/CompImportDialog.h"
#include "core/ui/CompImportSwitchDialog.h"
#include "core/ui/CompetitionDialog.h"
#include "core/ui/DateEdit.h"
#include "core/ui/MainWindow.h"
#include "core/ui/MetaDataFields.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/CodePages.h"
#include "standin/ErrorMessages.h"
#include "tests/support/CompetitionSeed.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/TempAppFolders.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace tvp;
using namespace tvp::test;

namespace {

void settle()
{
    for (int quiet = 0; quiet < 3;) {
        ASSERT_TRUE(waitUntil([] { return runningRequestCount() == 0; }, 15000));
        QTest::qWait(30);
        quiet = runningRequestCount() == 0 ? quiet + 1 : 0;
    }
}

// Replaces the field's text by keys, as a user would.
void retype(QLineEdit& edit, const QString& text)
{
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, text);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class CompetitionWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.isValid());
        InitComm();
        auto scripted = std::make_unique<ScriptedDialogs>();
        script = scripted.get();
        setDialogs(std::move(scripted));
        standin.start();
        competitionUrlHolderInstance().setServerUrl(standin.serverAddress());
        client = standin.newClient();
        seed = std::make_unique<StandinSeed>(standin.dataFile());
        competitionId = seedCompetition(*seed, QStringLiteral("Sportfest Süd"), {});
        choose(competitionId);
    }

    void TearDown() override
    {
        settle();
        owned_.clear();
        EXPECT_TRUE(script->allAnswered()) << "unanswered: " << script->steps.front().caption.toStdString();
        setDialogs(nullptr);
    }

    void choose(int id)
    {
        for (const proto::CompetitionType& c : client->drs()->getCompetitions())
            if (c.ID == id)
                competition.SetCompetitionInternal(std::make_unique<proto::CompetitionType>(c));
    }

    template <class Window>
    Window* make(TWindowId id)
    {
        auto window = std::make_unique<Window>(context);
        Window* raw = window.get();
        windows.place(id, raw);
        owned_.push_back(std::move(window));
        return raw;
    }

    template <class T>
    static T* child(const QWidget* window, const char* name)
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }

    QStringList competitionNames() { return client->competitionNames(); }
    QString path(const char* name) const { return folders.programDir.filePath(QString::fromUtf8(name)); }

    // The main window's menu entry, as the user picks it.
    void exportThroughMenu(TMainForm& main, bool asTemplate, const QString& file)
    {
        script->expectFile(
            asTemplate ? QStringLiteral("Als Vorlage exportieren") : QStringLiteral("Veranstaltung exportieren"), file);
        main.action(asTemplate ? QStringLiteral("AlsVorlageexportieren1") : QStringLiteral("Veranstaltungexportieren1"))
            ->trigger();
    }

    // Through the chooser's import choice: the file button, the open dialog, the import window.
    TCompImportForm* openImport(const QString& file)
    {
        auto* choice = make<TCompImportSwitchForm>(TWindowId::CompImportSwitchForm);
        auto* import = make<TCompImportForm>(TWindowId::CompImportForm);
        ICompetitionImport* entry = windows.find<ICompetitionImport>();
        EXPECT_EQ(entry, choice);
        entry->showImportChoice();
        EXPECT_TRUE(choice->isVisible());
        script->expectFile(QStringLiteral("Veranstaltung importieren"), file);
        QTest::mouseClick(child<QPushButton>(choice, "Button1"), Qt::LeftButton);
        EXPECT_FALSE(choice->isVisible());
        EXPECT_TRUE(import->isVisible());
        return import;
    }

    TempAppFolders folders;
    ScriptedDialogs* script = nullptr;
    StandinHarness standin;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    RecordingContext recorder{context};
    std::unique_ptr<StandinClient> client;
    std::unique_ptr<StandinSeed> seed;
    int competitionId = 0;

private:
    std::vector<std::unique_ptr<QWidget>> owned_;
};

// ---- details ----

TEST_F(CompetitionWindows, DetailsAreEditedSavedAndReloaded)
{
    auto* form = make<TCompetitionForm>(TWindowId::CompetitionForm);
    form->show();
    settle();
    auto* name = child<QLineEdit>(form, "Edit1");
    auto* fee = child<QLineEdit>(form, "Edit2");
    auto* save = child<QPushButton>(form, "Button1");
    EXPECT_EQ(name->text(), QStringLiteral("Sportfest Süd"));
    EXPECT_EQ(fee->text(), QStringLiteral("2,50"));
    EXPECT_EQ(doubleToDate(form->dateField().getDate()), QDate(2026, 6, 13));
    ASSERT_EQ(form->metaDataFields().size(), 1u);
    auto* place = child<QLineEdit>(form, "Ort");
    EXPECT_EQ(place->text(), QStringLiteral("Großenhain"));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(form->hasDirtyData(QString()));

    retype(*name, QStringLiteral("Sportfest Nord"));
    EXPECT_TRUE(save->isEnabled());
    retype(*fee, QStringLiteral("3,125"));
    retype(*place, QStringLiteral("Riesa"));
    QTest::mouseClick(save, Qt::LeftButton);
    script->expectMessage(QStringLiteral("Veranstaltungsdetails"), TMsgAnswer::Ok);
    settle();

    EXPECT_EQ(competitionNames().last(), QStringLiteral("Sportfest Nord"));
    EXPECT_EQ(client->drs()->getBillingPrice(competitionId, proto::PriceType::PER_ATHLETE).billingPrice, 3.13f);
    EXPECT_EQ(client->drs()->getUiInfo(QStringLiteral("MetaData_Ort"), competitionId).Value, QStringLiteral("Riesa"));
    // The reload hands the new name to the current competition, so captions follow.
    EXPECT_EQ(competition.getCompetitionName(), QStringLiteral("Sportfest Nord"));
    EXPECT_EQ(fee->text(), QStringLiteral("3,13"));
    EXPECT_EQ(child<QLineEdit>(form, "Ort")->text(), QStringLiteral("Riesa"));
    EXPECT_FALSE(form->hasDirtyData(QString()));
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();

    // An empty name is no name: the button goes off while it is empty.
    retype(*name, QString());
    EXPECT_FALSE(save->isEnabled());
}

// A long name shows from its start, as it does once the user pressed Home there: named to the
// window at start-up and again when it opens, and renamed by another desk while its field has the
// focus the window gave it.
TEST_F(CompetitionWindows, ALongNameShowsItsStartAlsoInTheFieldWithTheFocus)
{
    const QString longName = QStringLiteral("Kinderleichtathletik Sommerfest der LG Überlingen-Bodensee 2026");
    seed->db().query("UPDATE competitions SET name = ? WHERE id = ?", longName, competitionId).run();
    auto* form = make<TCompetitionForm>(TWindowId::CompetitionForm);
    auto* name = child<QLineEdit>(form, "Edit1");
    choose(competitionId);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    settle();
    ASSERT_EQ(name->text(), longName);
    ASSERT_GT(name->fontMetrics().horizontalAdvance(longName), name->width());
    const auto showsStart = [&] {
        child<QLineEdit>(form, "Edit2")->setFocus(); // the field's own cursor is no longer drawn
        const QImage shown = name->grab().toImage();
        QTest::keyClick(name, Qt::Key_Home);
        return name->grab().toImage() == shown;
    };
    EXPECT_TRUE(showsStart());

    seed->db()
        .query("UPDATE competitions SET name = ? WHERE id = ?", longName + QStringLiteral(" II"), competitionId)
        .run();
    name->setFocus();
    windows.reloadIfVisible(TWindowId::CompetitionForm); // F5
    settle();
    ASSERT_TRUE(name->hasFocus());
    ASSERT_EQ(name->text(), longName + QStringLiteral(" II"));
    EXPECT_TRUE(showsStart());
    EXPECT_FALSE(form->hasDirtyData(QString()));
}

TEST_F(CompetitionWindows, AnUnchangedFeeIsNoChange)
{
    // 12.10 is no exact single: the server's value and the typed one differ beyond the cents.
    client->cms()->setBillingPrice(competitionId, 12.1);
    auto* form = make<TCompetitionForm>(TWindowId::CompetitionForm);
    form->show();
    settle();
    auto* fee = child<QLineEdit>(form, "Edit2");
    EXPECT_EQ(fee->text(), QStringLiteral("12,10"));
    retype(*fee, QStringLiteral("12,1"));
    EXPECT_FALSE(form->hasDirtyData(QString()));
    EXPECT_FALSE(child<QPushButton>(form, "Button1")->isEnabled());
    retype(*fee, QStringLiteral("12,11"));
    EXPECT_TRUE(form->hasDirtyData(QString()));
}

TEST_F(CompetitionWindows, DetailsFollowTheCompetitionAndDropALateAnswer)
{
    const int other = client->create(QStringLiteral("Hallensportfest"));
    auto* form = make<TCompetitionForm>(TWindowId::CompetitionForm);
    form->show();
    // Chosen while the first loads are still on their way.
    choose(other);
    settle();
    auto* name = child<QLineEdit>(form, "Edit1");
    EXPECT_EQ(form->competitionId(), other);
    EXPECT_EQ(name->text(), QStringLiteral("Hallensportfest"));
    EXPECT_TRUE(form->metaDataFields().empty());

    // An answer about the competition shown before arrives last.
    auto late = std::make_unique<TCompetitionResponse>();
    late->reqType = TCompetitionRequestType::rt_get;
    late->id = late->requestedId = competitionId;
    late->competition.ID = competitionId;
    late->competition.Name = QStringLiteral("Sportfest Süd");
    late->pricePerAthlete = 9;
    form->RequestFinished(std::move(late), {});
    EXPECT_EQ(name->text(), QStringLiteral("Hallensportfest"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit2")->text(), QStringLiteral("0,00"));
    EXPECT_EQ(competition.getCompetitionName(), QStringLiteral("Hallensportfest"));

    // A competition without a date shows today's, and that counts as a change.
    EXPECT_EQ(doubleToDate(form->dateField().getDate()), QDate::currentDate());
    retype(*name, QStringLiteral("Hallensportfest"));
    EXPECT_TRUE(form->hasDirtyData(QString()));

    // No competition: nothing to load, nothing shown.
    competition.SetCompetitionInternal(nullptr);
    EXPECT_EQ(runningRequestCount(), 0);
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_TRUE(child<QLineEdit>(form, "Edit2")->text().isEmpty());
    EXPECT_FALSE(form->hasDirtyData(QString()));
}

// ---- export and import ----

TEST_F(CompetitionWindows, ExportImportUnderANewNameAndExportAgain)
{
    TMainForm main(context);
    const QString first = path("Sportfest_Süd.qpc");
    exportThroughMenu(main, false, first);
    script->expectMessage(QStringLiteral("Veranstaltung exportieren"), TMsgAnswer::Ok);
    settle();
    const QByteArray bytes = fileBytes(first);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF<?xml"));
    EXPECT_TRUE(bytes.contains("<name>Sportfest S\xC3\xBC"
                               "d</name>"));
    EXPECT_TRUE(main.action(QStringLiteral("Veranstaltungexportieren1"))->isEnabled());

    TCompImportForm* import = openImport(first);
    auto* newName = child<QLineEdit>(import, "Edit2");
    EXPECT_EQ(newName->text(), QStringLiteral("Sportfest Süd"));
    EXPECT_EQ(child<TDateEdit>(import, "DateTimePicker1")->date(), QDate(2026, 6, 13));
    EXPECT_FALSE(newName->isEnabled());
    QTest::mouseClick(import->findChildren<QRadioButton*>()[1], Qt::LeftButton);
    ASSERT_TRUE(newName->isEnabled());
    retype(*newName, QStringLiteral("Sportfest Nord"));
    auto* picker = child<TDateEdit>(import, "DateTimePicker1");
    picker->setDate(QDate(2027, 6, 12));
    // Enter twice before the answer: one import.
    QTest::keyClick(newName, Qt::Key_Return);
    QTest::keyClick(newName, Qt::Key_Return);
    settle();
    EXPECT_TRUE(recorder.messages.messages.empty()) << recorder.messages.lines().join(u'\n').toStdString();
    EXPECT_EQ(competitionNames(), (QStringList{QStringLiteral("Sportfest Süd"), QStringLiteral("Sportfest Nord")}));
    EXPECT_FALSE(import->isVisible());

    const auto listed = client->drs()->getCompetitions();
    choose(listed.back().ID);
    const QString second = path("Sportfest_Nord.qpc");
    exportThroughMenu(main, false, second);
    script->expectMessage(QStringLiteral("Veranstaltung exportieren"), TMsgAnswer::Ok);
    settle();
    QByteArray again = fileBytes(second);
    again.replace("<name>Sportfest Nord</name>", "<name>Sportfest S\xC3\xBC"
                                                 "d</name>");
    again.replace("<date>2027-06-12</date>", "<date>2026-06-13</date>");
    EXPECT_EQ(again, bytes);
}

TEST_F(CompetitionWindows, TruncatedOrForeignFilesAreRefusedAndCreateNothing)
{
    TMainForm main(context);
    const QString exported = path("Sportfest.qpc");
    exportThroughMenu(main, false, exported);
    script->expectMessage(QStringLiteral("Veranstaltung exportieren"), TMsgAnswer::Ok);
    settle();
    const QByteArray whole = fileBytes(exported);

    const QString truncated = path("abgeschnitten.qpc");
    writeBytes(truncated, whole.left(whole.size() / 2));
    const QString foreign = path("fremd.qpc");
    writeBytes(foreign, "<?xml version=\"1.0\"?><html><body>Fotos</body></html>");
    for (const QString& file : {truncated, foreign}) {
        recorder.messages.messages.clear();
        TCompImportForm* import = openImport(file);
        // The file proposes no name of its own: a new one is typed.
        QTest::mouseClick(import->findChildren<QRadioButton*>()[1], Qt::LeftButton);
        retype(*child<QLineEdit>(import, "Edit2"), QStringLiteral("Neu"));
        QTest::mouseClick(child<QPushButton>(import, "Button1"), Qt::LeftButton);
        settle();
        ASSERT_EQ(recorder.messages.messages.size(), 1u) << file.toStdString();
        EXPECT_EQ(recorder.messages.messages[0].errorId, standin::errors::InvalidCompetitionFile);
        EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Veranstaltung importieren"));
        EXPECT_TRUE(import->isVisible());
        EXPECT_EQ(competitionNames(), QStringList{QStringLiteral("Sportfest Süd")});
    }

    // Gone between choosing and importing.
    recorder.messages.messages.clear();
    TCompImportForm* import = openImport(exported);
    ASSERT_TRUE(QFile::remove(exported));
    QTest::mouseClick(child<QPushButton>(import, "Button1"), Qt::LeftButton);
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Veranstaltung importieren: Datei nicht gefunden")});
}

TEST_F(CompetitionWindows, TemplateAsksForANameAndOpensTheDetails)
{
    TMainForm main(context);
    auto* details = make<TCompetitionForm>(TWindowId::CompetitionForm);
    const QString file = path("Sportfest_Süd_Vorlage.qpt");
    exportThroughMenu(main, true, file);
    script->expectMessage(QStringLiteral("Veranstaltung exportieren"), TMsgAnswer::Ok);
    settle();

    TCompImportForm* import = openImport(file);
    auto* newName = child<QLineEdit>(import, "Edit2");
    EXPECT_TRUE(newName->text().isEmpty());
    EXPECT_TRUE(newName->isEnabled());
    EXPECT_FALSE(import->findChildren<QRadioButton*>()[0]->isEnabled());
    QTest::keyClick(newName, Qt::Key_Return);
    EXPECT_EQ(recorder.messages.lines(),
              QStringList{QStringLiteral("Veranstaltung importieren: Neuer Name darf nicht leer sein.")});
    retype(*newName, QStringLiteral("Sportfest 2027"));
    QTest::keyClick(newName, Qt::Key_Return);
    settle();
    EXPECT_EQ(competitionNames().last(), QStringLiteral("Sportfest 2027"));
    EXPECT_TRUE(details->isVisible());
}

TEST_F(CompetitionWindows, AFailedExportLeavesThePreviousFile)
{
    TMainForm main(context);
    const QString file = path("Sportfest.qpc");
    writeBytes(file, "vorheriger Export");
    client->cms()->removeCompetition(competitionId);
    exportThroughMenu(main, false, file);
    settle();
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].errorId, standin::errors::CompetitionNotFound);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Veranstaltung exportieren"));
    EXPECT_EQ(fileBytes(file), QByteArray("vorheriger Export"));

    // A folder that is not there: the file cannot be made.
    choose(client->create(QStringLiteral("Neu")));
    recorder.messages.messages.clear();
    exportThroughMenu(main, false, path("fehlt/Neu.qpc"));
    settle();
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_TRUE(recorder.messages.messages[0].text.startsWith(QStringLiteral("Exportdatei konnte nicht")));
}

// ---- the files without windows ----

TEST(CompetitionFileText, ReadWithOrWithoutByteOrderMark)
{
    QTemporaryDir dir;
    const QString withMark = dir.filePath(QStringLiteral("a.qpc"));
    const QString without = dir.filePath(QStringLiteral("b.qpc"));
    const QString xml = QStringLiteral("<xmlCompetition><competition><name>Sportfest Süd</name></competition>"
                                       "</xmlCompetition>");
    ASSERT_TRUE(writeExportFile(withMark, xml).isEmpty());
    writeBytes(without, toWindows1252(xml));
    EXPECT_EQ(readImportFile(withMark, nullptr), xml);
    EXPECT_EQ(readImportFile(without, nullptr), xml);
    // Both propose the name; neither names a date, so today's is proposed.
    for (const QString& file : {withMark, without}) {
        const TCompInfo info = getDefaultCompInfo(file);
        EXPECT_EQ(info.name, QStringLiteral("Sportfest Süd"));
        EXPECT_EQ(info.date, QDate::currentDate());
    }
    QString error;
    EXPECT_FALSE(readImportFile(dir.filePath(QStringLiteral("weg.qpc")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(getDefaultCompInfo(dir.filePath(QStringLiteral("weg.qpc"))).name, QString());
}

TEST(CompetitionFileText, FeeIsReadAndComparedInCents)
{
    EXPECT_EQ(parseFee(QString()), 0.0);
    EXPECT_EQ(parseFee(QStringLiteral("2,345")), 2.35);
    EXPECT_EQ(parseFee(QStringLiteral(" 4.5 ")), 4.5);
    EXPECT_FALSE(parseFee(QStringLiteral("vier")));
    EXPECT_EQ(feeCents(double(12.1f)), feeCents(12.1));
    EXPECT_EQ(exportFileStem(QStringLiteral("a/b: c"), true), QStringLiteral("a_b__c_Vorlage."));
}

} // namespace
