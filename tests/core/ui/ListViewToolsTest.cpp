// A list view over the sorted model, placed in a window: its sort state is stored under the
// view's place, column clicks sort, and sorting keeps what the user selected.

#include "core/connection/SlotGuard.h"
#include "core/connection/UncaughtErrors.h"
#include "core/lists/ListSorting.h"
#include "core/ui/ListViewTools.h"
#include "core/util/IniHandler.h"
#include "tests/support/TempAppFolders.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using namespace tvp;

namespace {

const QString kSection = QStringLiteral("SortInformation");
const QString kId = QStringLiteral("AthleteForm.Panel1.ListView1.");

int byText(const QAbstractItemModel& model, int column, int row1, int row2, bool descending)
{
    const int c =
        QString::compare(model.index(row1, column).data().toString(), model.index(row2, column).data().toString());
    return descending ? -c : c;
}

// "ListView1" on "Panel1" of "AthleteForm", with an unnamed widget between.
struct Window {
    explicit Window(TRowCompare compare = byText)
    {
        form.setObjectName(QStringLiteral("AthleteForm"));
        auto* panel = new QWidget(new QWidget(&form));
        panel->setObjectName(QStringLiteral("Panel1"));
        list = new QTreeView(panel);
        list->setObjectName(QStringLiteral("ListView1"));
        list->setRootIsDecorated(false);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        for (const auto& row : {QStringList{"b", "3", "x"}, QStringList{"a", "1", "z"}, QStringList{"c", "2", "y"}}) {
            QList<QStandardItem*> cells;
            for (const QString& text : row)
                cells << new QStandardItem(text);
            rows.appendRow(cells);
        }
        sorted = std::make_unique<TSortedListModel>(getListViewIndentifier(*list), std::move(compare));
        sorted->setSourceModel(&rows);
        list->setModel(sorted.get());
        QObject::connect(list->header(), &QHeaderView::sectionClicked, list,
                         [this](int column) { guarded([&] { sorted->SortListView(column, true); }); });
        sorted->initListView();
    }
    QStringList column(int c) const
    {
        QStringList texts;
        for (int i = 0; i < sorted->rowCount(); ++i)
            texts << sorted->index(i, c).data().toString();
        return texts;
    }
    void click(int column) { emit list->header()->sectionClicked(column); }
    QModelIndex viewIndexOf(const QString& text) const
    {
        const QList<QStandardItem*> found = rows.findItems(text);
        return found.isEmpty() ? QModelIndex() : sorted->mapFromSource(found.first()->index());
    }

    QWidget form;
    QStandardItemModel rows;
    QTreeView* list = nullptr;
    std::unique_ptr<TSortedListModel> sorted;
};

class ListViewSorting : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folders.isValid()); }
    void TearDown() override { setUncaughtReporter({}); }
    test::TempAppFolders folders;
};

TEST_F(ListViewSorting, ColumnClicksToggleAndAreStoredForTheNextWindow)
{
    {
        Window w;
        EXPECT_EQ(getListViewIndentifier(*w.list), kId);
        w.click(1);
        EXPECT_EQ(w.column(1), (QStringList{"1", "2", "3"})) << "another column starts in the normal order";
        w.click(1);
        EXPECT_EQ(w.column(1), (QStringList{"3", "2", "1"})) << "the same column reverses";
        w.sorted->SortListView(3, true);
        EXPECT_EQ(w.sorted->getSortCol(), 1) << "a column the list does not have is ignored";
    }
    EXPECT_EQ(ReadIniInteger(kSection, kId + "sortCol", -1), 1);
    EXPECT_EQ(ReadIniInteger(kSection, kId + "sortDir", -1), 1);

    Window again;
    EXPECT_EQ(again.sorted->getSortCol(), 1);
    EXPECT_TRUE(again.sorted->getSortDir());
    EXPECT_EQ(again.column(1), (QStringList{"3", "2", "1"})) << "sorted as stored";
    again.click(2);
    EXPECT_EQ(again.column(2), (QStringList{"x", "y", "z"}));
    EXPECT_EQ(ReadIniInteger(kSection, kId + "sortDir", -1), 0);
}

TEST_F(ListViewSorting, StoredValuesOutOfRange)
{
    WriteIniInteger(kSection, kId + "sortCol", 7);
    WriteIniInteger(kSection, kId + "sortDir", 5);
    Window w;
    EXPECT_EQ(w.sorted->getSortCol(), 0) << "beyond the columns";
    EXPECT_TRUE(w.sorted->getSortDir()) << "anything but 0 is the reverse order";

    WriteIniInteger(kSection, kId + "sortDir", 0);
    w.sorted->initListView(); // again: reads anew, one click still sorts once
    w.click(0);
    EXPECT_EQ(w.column(0), (QStringList{"c", "b", "a"}));
}

TEST_F(ListViewSorting, SortingKeepsSelectionAndCurrentRow)
{
    Window w;
    ASSERT_EQ(w.column(0), (QStringList{"a", "b", "c"}));
    w.list->setCurrentIndex(w.viewIndexOf("c"));
    w.list->selectionModel()->select(w.viewIndexOf("a"), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    w.click(0); // column 0 is the current one, so this reverses
    ASSERT_EQ(w.column(0), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(w.list->currentIndex(), w.viewIndexOf("c"));
    EXPECT_EQ(w.list->selectionModel()->selectedRows().size(), 2);
    EXPECT_TRUE(w.list->selectionModel()->isRowSelected(w.viewIndexOf("a").row(), {}));
    EXPECT_TRUE(w.list->selectionModel()->isRowSelected(w.viewIndexOf("c").row(), {}));
}

TEST_F(ListViewSorting, AFailingCompareLosesNoRowsAndIsReported)
{
    QStringList reported;
    setUncaughtReporter([&](const QString& text) { reported << text; });
    Window w([](const QAbstractItemModel&, int, int, int, bool) -> int { throw std::runtime_error("kaputt"); });
    reported.clear(); // the first sort, by the stored state, failed alike
    w.click(1);
    QStringList rows = w.column(0);
    rows.sort();
    EXPECT_EQ(rows, (QStringList{"a", "b", "c"})) << "no row lost";
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(QStringLiteral("kaputt")));
}

} // namespace
