// The facility window offscreen against the stand-in: creating with Enter, the columns of
// disciplines, the filter, and deleting several facilities that the schedule still uses.

#include "core/connection/UncaughtErrors.h"
#include "organisation/ui/DisciplinePlaceDialog.h"
#include "tests/participants/WindowFixture.h"

#include <QHeaderView>
#include <QTreeView>

using namespace tvp;
using namespace tvp::test;

namespace {

class FacilityWindowTest : public ParticipantWindowTest {
protected:
    void SetUp() override
    {
        ParticipantWindowTest::SetUp();
        for (const char* name : {"Sprint", "Weitsprung", "Wurf", "Staffel", "Hürden"})
            disciplines.push_back(seed->discipline(competitionId, QString::fromUtf8(name)));
        form = make<TDisciplinePlaceForm>(TWindowId::DisciplinePlaceForm);
    }
    void open()
    {
        form->show();
        settle();
    }
    QTreeView* list() const { return find<QTreeView>(*form, "ListView1"); }
    QStringList headers() const
    {
        QStringList out;
        const QAbstractItemModel* m = list()->model();
        for (int c = 0; c < m->columnCount(); ++c)
            out << m->headerData(c, Qt::Horizontal).toString();
        return out;
    }
    // A click on the check box of the discipline's row in the editor.
    void tick(const QString& discipline)
    {
        QTreeView* view = find<QTreeView>(*form, "ListView2");
        const QAbstractItemModel* m = view->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->index(r, 0).data().toString() != discipline)
                continue;
            QStyleOptionViewItem option;
            option.initFrom(view);
            option.rect = view->visualRect(m->index(r, 0));
            option.features |= QStyleOptionViewItem::HasCheckIndicator;
            const QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
            return;
        }
        ADD_FAILURE() << "no discipline " << discipline.toStdString();
    }
    int facilities()
    {
        return seed->value("SELECT COUNT(*) FROM discipline_places WHERE competition_id = ?", competitionId);
    }

    TDisciplinePlaceForm* form = nullptr;
    std::vector<int> disciplines;
};

} // namespace

TEST_F(FacilityWindowTest, EnterInTheRemarkAddsTheFacilityOnceAndOnAnExistingOneAddsANewOne)
{
    open();
    auto* name = find<QLineEdit>(*form, "Edit1");
    auto* remark = find<QLineEdit>(*form, "Edit2");
    typeInto(*name, QStringLiteral("  Bahn "));
    typeInto(*remark, QStringLiteral(" Nord"));
    tick(QStringLiteral("Sprint"));
    tick(QStringLiteral("Wurf"));
    QTest::keyClick(remark, Qt::Key_Return);
    QTest::keyClick(remark, Qt::Key_Return); // before the answer: nothing more goes out
    settle();

    EXPECT_EQ(facilities(), 1);
    EXPECT_EQ(rows(*list()), (QStringList{QStringLiteral("Bahn| Nord|Sprint|Wurf")}));
    const int id = seed->value("SELECT id FROM discipline_places WHERE competition_id = ?", competitionId);
    EXPECT_EQ(form->currentFacility(), id);
    EXPECT_EQ(find<QLabel>(*form, "Label4")->text(), QStringLiteral("ID: %1").arg(id));
    EXPECT_EQ(name->text(), QStringLiteral("Bahn"));

    // The key's meaning stays "add as new", also on a stored facility.
    typeInto(*remark, QStringLiteral("Süd"));
    QTest::keyClick(remark, Qt::Key_Return);
    settle();
    EXPECT_EQ(facilities(), 2);
    EXPECT_EQ(rows(*list()),
              (QStringList{QStringLiteral("Bahn| Nord|Sprint|Wurf"), QStringLiteral("Bahn|Süd|Sprint|Wurf")}));
}

TEST_F(FacilityWindowTest, EachDisciplineBeyondTheFirstAddsAColumnThatALaterLoadDropsAgain)
{
    const std::vector<int> mappings = seed->facility(competitionId, QStringLiteral("Platz"), disciplines);
    open();
    EXPECT_EQ(headers(), (QStringList{QStringLiteral("Anlagenname"), QStringLiteral("Kommentar"),
                                      QStringLiteral("Ort für Disziplin"), QStringLiteral("Ort für Disziplin 2"),
                                      QStringLiteral("Ort für Disziplin 3"), QStringLiteral("Ort für Disziplin 4"),
                                      QStringLiteral("Ort für Disziplin 5")}));
    for (std::size_t i = 2; i < mappings.size(); ++i)
        seed->db().query("DELETE FROM places_of_disciplines WHERE id = ?", mappings[i]).run();
    form->reloadFormData(false);
    settle();
    EXPECT_EQ(headers().size(), 4);
    EXPECT_EQ(rows(*list()), (QStringList{QStringLiteral("Platz||Sprint|Weitsprung")}));
}

TEST_F(FacilityWindowTest, ClickingADisciplineOfTheEditorReportsNothing)
{
    QStringList reported;
    setUncaughtReporter([&](const QString& text) { reported << text; });
    seed->facility(competitionId, QStringLiteral("Platz"), disciplines);
    open();
    QTreeView* view = find<QTreeView>(*form, "ListView2");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(1, 0)).center());
    settle();
    setUncaughtReporter({});
    EXPECT_TRUE(view->selectionModel()->isRowSelected(1));
    EXPECT_EQ(reported, QStringList());
}

TEST_F(FacilityWindowTest, TheFilterListsOnlyTheFacilitiesOfItsDiscipline)
{
    seed->facility(competitionId, QStringLiteral("Bahn"), {disciplines[0]});
    seed->facility(competitionId, QStringLiteral("Grube"), {disciplines[1]});
    open();
    EXPECT_EQ(column(*list(), 0), (QStringList{QStringLiteral("Bahn"), QStringLiteral("Grube")}));
    choose(*find<QComboBox>(*form, "ComboBox1"), disciplines[1]);
    settle();
    EXPECT_EQ(column(*list(), 0), QStringList{QStringLiteral("Grube")});
}

TEST_F(FacilityWindowTest, DeletingThreeAsksOnceForTheScheduleAndTheAnswerHoldsForTheRest)
{
    const int squad = seed->squad(competitionId, 1, {});
    seed->facility(competitionId, QStringLiteral("A"), {disciplines[0]});
    const int b = seed->facility(competitionId, QStringLiteral("B"), {disciplines[1]}).front();
    const int c = seed->facility(competitionId, QStringLiteral("C"), {disciplines[2]}).front();
    seed->scheduleItem(squad, b, QStringLiteral("10:00:00"));
    seed->scheduleItem(squad, c, QStringLiteral("10:30:00"));
    open();

    list()->setFocus();
    clickRow(*list(), QStringLiteral("A"));
    QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
    script->expectMessage(QStringLiteral("Anlage löschen"), TMsgAnswer::Yes);
    recorder.confirmation.expect({true, true});
    QTest::keyClick(list(), Qt::Key_Delete);
    settle();

    EXPECT_EQ(script->seen.back().text, QStringLiteral("Sollen die markierten Anlagen wirklich gelöscht werden?"));
    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Wettkampfanlage löschen"));
    EXPECT_TRUE(recorder.confirmation.asked[0].applyToAllOffered);
    EXPECT_EQ(facilities(), 0);
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM schedule_items WHERE squad_id = ?", squad), 0);
}

TEST_F(FacilityWindowTest, DroppingAScheduledDisciplineAsksAndYesSavesItWithoutItsItems)
{
    const int squad = seed->squad(competitionId, 1, {});
    const std::vector<int> mappings =
        seed->facility(competitionId, QStringLiteral("Bahn"), {disciplines[0], disciplines[1]});
    seed->scheduleItem(squad, mappings[0], QStringLiteral("10:00:00"));
    open();
    clickRow(*list(), QStringLiteral("Bahn"));
    tick(QStringLiteral("Sprint"));
    ASSERT_TRUE(find<QPushButton>(*form, "Button2")->isEnabled());
    recorder.confirmation.expect({true, false});
    QTest::mouseClick(find<QPushButton>(*form, "Button2"), Qt::LeftButton);
    settle();

    ASSERT_EQ(recorder.confirmation.asked.size(), 1u);
    EXPECT_EQ(recorder.confirmation.asked[0].caption, QStringLiteral("Wettkampfanlage ändern"));
    EXPECT_FALSE(recorder.confirmation.asked[0].applyToAllOffered);
    EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("Bahn||Weitsprung")});
    EXPECT_EQ(seed->value("SELECT COUNT(*) FROM schedule_items WHERE squad_id = ?", squad), 0);
}

TEST_F(FacilityWindowTest, ARefusedCreateIsReportedAndKeepsWhatWasTyped)
{
    open();
    auto* name = find<QLineEdit>(*form, "Edit1");
    typeInto(*name, QStringLiteral("Bahn"));
    tick(QStringLiteral("Sprint"));
    tick(QStringLiteral("Staffel"));
    seed->db().query("DELETE FROM disciplines WHERE id = ?", disciplines[3]).run(); // gone meanwhile
    QTest::keyClick(name, Qt::Key_Return);
    settle();

    EXPECT_EQ(facilities(), 0);
    ASSERT_EQ(recorder.messages.messages.size(), 1u);
    EXPECT_EQ(recorder.messages.messages[0].caption, QStringLiteral("Wettkampfanlage anlegen"));
    EXPECT_EQ(name->text(), QStringLiteral("Bahn"));
    EXPECT_TRUE(find<QPushButton>(*form, "Button1")->isEnabled());
    recorder.messages.messages.clear();
    QTest::keyClick(name, Qt::Key_Return);
    settle();
    EXPECT_EQ(rows(*list()), QStringList{QStringLiteral("Bahn||Sprint")});
}
