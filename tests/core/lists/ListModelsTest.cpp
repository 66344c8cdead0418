// Lists as item models without widgets: the record-list model and the sorted view above it (both
// checked by QAbstractItemModelTester), and sorting with the stored state.

#include "core/connection/UncaughtErrors.h"
#include "core/lists/ListCells.h"
#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/protocol/ParticipantRecords.h"
#include "core/util/IniHandler.h"
#include "tests/core/lists/ModelTesterGuard.h"
#include "tests/support/TempAppFolders.h"

#include <QStandardItemModel>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tvp;
using namespace tvp::test;

namespace {

using proto::ClubType;

ClubType club(int id, const QString& name, const QString& comment = {})
{
    ClubType c;
    c.ClubId = id;
    c.Name = name;
    c.Comment = comment;
    return c;
}

std::unique_ptr<TRecordListModel<ClubType>> clubModel()
{
    return std::make_unique<TRecordListModel<ClubType>>(std::vector<TRecordListModel<ClubType>::Column>{
        {QStringLiteral("Name"), [](const ClubType& c) { return c.Name; }},
        {QStringLiteral("Bemerkung"), [](const ClubType& c) { return c.Comment; }},
    });
}

QStringList column(const QAbstractItemModel& model, int c)
{
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r)
        out << cellText(model, r, c);
    return out;
}

const QString kSection = QStringLiteral("SortInformation");
const QString kId = QStringLiteral("ClubForm.ListView1.");

class ListModels : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folders.isValid()); }
    void TearDown() override { setUncaughtReporter({}); }
    TempAppFolders folders;
};

} // namespace

TEST_F(ListModels, RecordListAndItsSortedViewStayConsistentThroughEveryChange)
{
    auto model = clubModel();
    TSortedListModel sorted(kId);
    sorted.setSourceModel(model.get());
    ModelTesterGuard checkSource(model.get());
    ModelTesterGuard checkSorted(&sorted);

    model->setRecords({club(1, "TSV Nord", "Halle 2"), club(2, "Adler"), club(3, "SC Mitte")});
    sorted.initListView();
    EXPECT_EQ(column(sorted, 0), (QStringList{"Adler", "SC Mitte", "TSV Nord"}));

    model->append(club(4, "Bären"));
    model->replace(0, club(1, "Zebras"));
    model->removeRecord(1);
    EXPECT_EQ(column(sorted, 0), (QStringList{"Bären", "SC Mitte", "Zebras"})) << "the view follows its source";
    EXPECT_EQ(model->findRow([](const ClubType& c) { return c.ClubId == 3; }), 1);
    EXPECT_EQ(model->findRow([](const ClubType& c) { return c.ClubId == 2; }), -1);
    // A row of the sorted view leads back to its record.
    EXPECT_EQ(model->record(sorted.mapToSource(sorted.index(0, 0)).row()).ClubId, 4);
    EXPECT_EQ(columnCaption(sorted, 1), QStringLiteral("Bemerkung"));
    EXPECT_EQ(model->data(model->index(0, 0), Qt::EditRole), QVariant()) << "only display texts";

    model->setRecords({});
    EXPECT_EQ(sorted.rowCount(), 0);
}

TEST_F(ListModels, ColumnClicksToggleAndAreStoredForTheNextWindow)
{
    auto model = clubModel();
    model->setRecords({club(1, "B", "2"), club(2, "A", "3"), club(3, "C", "1")});
    {
        TSortedListModel sorted(kId);
        sorted.setSourceModel(model.get());
        sorted.initListView();
        sorted.SortListView(1, true);
        EXPECT_EQ(column(sorted, 1), (QStringList{"1", "2", "3"})) << "another column starts in the normal order";
        sorted.SortListView(1, true);
        EXPECT_EQ(column(sorted, 1), (QStringList{"3", "2", "1"})) << "the same column reverses";
        sorted.SortListView(2, true);
        EXPECT_EQ(sorted.getSortCol(), 1) << "a column the list does not have is ignored";
    }
    EXPECT_EQ(ReadIniInteger(kSection, kId + "sortCol", -1), 1);
    EXPECT_EQ(ReadIniInteger(kSection, kId + "sortDir", -1), 1);

    TSortedListModel again(kId);
    again.setSourceModel(model.get());
    again.initListView();
    EXPECT_EQ(column(again, 1), (QStringList{"3", "2", "1"}));

    // Stored values out of range: beyond the columns reads as 0, anything but 0 as reverse.
    WriteIniInteger(kSection, kId + "sortCol", 7);
    WriteIniInteger(kSection, kId + "sortDir", 5);
    again.initListView();
    EXPECT_EQ(again.getSortCol(), 0);
    EXPECT_TRUE(again.getSortDir());
    EXPECT_EQ(column(again, 0), (QStringList{"C", "B", "A"}));
}

TEST_F(ListModels, TheListCompareOrdersResultsByValueThenTextsThenEmptyCells)
{
    // A list of another kind: cells set by hand, some rows shorter than the list.
    QStandardItemModel model(0, 3);
    const auto addRow = [&](const QStringList& cells) {
        QList<QStandardItem*> items;
        for (const QString& c : cells)
            items << new QStandardItem(c);
        model.appendRow(items);
    };
    addRow({"Anna", "", "x"});
    addRow({"Ben", "3,20m", "y"});
    addRow({"Carl", "Notiz"});
    addRow({"Dora", "4,10m"});
    addRow({"Emil"}); // no cell in column 1: compared by its first column

    TSortedListModel sorted(kId);
    sorted.setSourceModel(&model);
    sorted.initListView();
    sorted.SortListView(1, true);
    EXPECT_EQ(column(sorted, 0), (QStringList{"Dora", "Ben", "Carl", "Anna", "Emil"}));
    sorted.SortListView(1, true);
    EXPECT_EQ(column(sorted, 0), (QStringList{"Emil", "Anna", "Carl", "Ben", "Dora"}));
}

TEST_F(ListModels, AFailingCompareLosesNoRowsAndIsReportedOnce)
{
    QStringList reported;
    setUncaughtReporter([&](const QString& text) { reported << text; });
    auto model = clubModel();
    model->setRecords({club(1, "B"), club(2, "A"), club(3, "C")});
    TSortedListModel sorted(
        kId, [](const QAbstractItemModel&, int, int, int, bool) -> int { throw std::runtime_error("kaputt"); });
    sorted.setSourceModel(model.get());
    sorted.initListView();
    QStringList names = column(sorted, 0);
    names.sort();
    EXPECT_EQ(names, (QStringList{"A", "B", "C"}));
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(QStringLiteral("kaputt")));
}

TEST_F(ListModels, TheSortedViewOrdersAsTheListCompareAndFollowsEveryChange)
{
    // Results of several kinds, texts of mixed case, empty cells, in random order.
    const QStringList cells{"3,20m", "12,5m", "0:12,34", "abc",  "Abd",    "äpfel", "Zebra",
                            "",      "7",     "n.a.",    "disq", "10,01m", "zebra", "1:02,1"};
    auto model = clubModel();
    std::vector<ClubType> clubs;
    for (int i = 0; i < 60; ++i)
        clubs.push_back(club(i, QStringLiteral("Verein %1").arg(i), cells[(i * 7) % cells.size()]));
    model->setRecords(clubs);
    TSortedListModel sorted(kId);
    sorted.setSourceModel(model.get());
    sorted.initListView();

    const auto expected = [&](bool reverse) {
        QStringList out;
        for (int row : sortedRows(*model, 1, reverse, CompareListRows))
            out << cellText(*model, row, 1);
        return out;
    };
    sorted.SortListView(1, true);
    EXPECT_EQ(column(sorted, 1), expected(false));
    sorted.SortListView(1, true);
    EXPECT_EQ(column(sorted, 1), expected(true));

    // Changed cells are read anew.
    model->replace(0, club(0, "Verein 0", "0,01m"));
    model->append(club(99, "Verein 99", "AAA"));
    EXPECT_EQ(column(sorted, 1), expected(true));
}
