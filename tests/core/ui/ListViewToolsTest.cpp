#include "core/util/AppPaths.h"
#include "tests/support/TempAppFolders.h"
#include "core/util/IniHandler.h"
#include "core/ui/ListViewTools.h"
#include "core/connection/UncaughtErrors.h"

#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tvp;

namespace {

const QString kSection = QStringLiteral("SortInformation");
const QString kId = QStringLiteral("AthleteForm.Panel1.ListView1.");

int byText(int column, const QTreeWidgetItem* a, const QTreeWidgetItem* b, bool descending)
{
    const int c = QString::compare(a->text(column), b->text(column));
    return descending ? -c : c;
}

// "ListView1" on "Panel1" of "AthleteForm", with an unnamed widget between.
struct Window {
    Window()
    {
        form.setObjectName(QStringLiteral("AthleteForm"));
        auto* panel = new QWidget(new QWidget(&form));
        panel->setObjectName(QStringLiteral("Panel1"));
        list = new QTreeWidget(panel);
        list->setObjectName(QStringLiteral("ListView1"));
        list->setColumnCount(3);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        for (const auto& row : {QStringList{"b", "3", "x"}, QStringList{"a", "1", "z"}, QStringList{"c", "2", "y"}})
            list->addTopLevelItem(new QTreeWidgetItem(row));
    }
    QStringList column(int c) const
    {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts << list->topLevelItem(i)->text(c);
        return texts;
    }
    void click(int column) { emit list->header()->sectionClicked(column); }

    QWidget form;
    QTreeWidget* list = nullptr;
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
        initListView(*w.list, byText);
        w.click(1);
        EXPECT_EQ(w.column(1), (QStringList{"1", "2", "3"})) << "another column starts in the normal order";
        w.click(1);
        EXPECT_EQ(w.column(1), (QStringList{"3", "2", "1"})) << "the same column reverses";
        SortListView(*w.list, 3, true);
        EXPECT_EQ(getSortCol(*w.list), 1) << "a column the list does not have is ignored";
    }
    EXPECT_EQ(ReadIniInteger(kSection, kId + "sortCol", -1), 1);
    EXPECT_EQ(ReadIniInteger(kSection, kId + "sortDir", -1), 1);

    Window again;
    initListView(*again.list, byText);
    EXPECT_EQ(getSortCol(*again.list), 1);
    EXPECT_TRUE(getSortDir(*again.list));
    again.click(2);
    EXPECT_EQ(again.column(2), (QStringList{"x", "y", "z"}));
    EXPECT_EQ(ReadIniInteger(kSection, kId + "sortDir", -1), 0);
}

TEST_F(ListViewSorting, StoredValuesOutOfRange)
{
    WriteIniInteger(kSection, kId + "sortCol", 7);
    WriteIniInteger(kSection, kId + "sortDir", 5);
    Window w;
    initListView(*w.list, byText);
    EXPECT_EQ(getSortCol(*w.list), 0) << "beyond the columns";
    EXPECT_TRUE(getSortDir(*w.list)) << "anything but 0 is the reverse order";

    WriteIniInteger(kSection, kId + "sortDir", 0);
    initListView(*w.list, byText); // again: reads anew, one click still sorts once
    w.click(0);
    EXPECT_EQ(w.column(0), (QStringList{"c", "b", "a"}));
}

TEST_F(ListViewSorting, SortingKeepsSelectionAndCurrentRow)
{
    Window w;
    initListView(*w.list, byText);
    QTreeWidgetItem* a = w.list->topLevelItem(1);
    QTreeWidgetItem* c = w.list->topLevelItem(2);
    w.list->setCurrentItem(c);
    a->setSelected(true);
    w.click(0); // column 0 is the current one, so this reverses
    ASSERT_EQ(w.column(0), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(w.list->currentItem(), c);
    EXPECT_EQ(w.list->selectedItems().size(), 2);
    EXPECT_TRUE(a->isSelected() && c->isSelected());
}

TEST_F(ListViewSorting, AFailingCompareLosesNoRowsAndIsReported)
{
    QStringList reported;
    setUncaughtReporter([&](const QString& text) { reported << text; });
    Window w;
    initListView(*w.list, [](int, const QTreeWidgetItem*, const QTreeWidgetItem*, bool) -> int {
        throw std::runtime_error("kaputt");
    });
    w.click(1);
    EXPECT_EQ(w.column(0), (QStringList{"b", "a", "c"}));
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(QStringLiteral("kaputt")));
}

} // namespace
