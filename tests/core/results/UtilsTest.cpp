// Shared text, file, lookup and list helpers.

#include "core/ui/ListViewHelpers.h"
#include "core/results/TextCut.h"
#include "core/results/tvpUtils.h"

#include <QBuffer>
#include <QComboBox>
#include <QHash>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/TestUtil.h"

using namespace tvp;

TEST(Csv, FieldsWithSeparatorLineBreakOrQuoteAreQuotedInWindows1252)
{
    const std::pair<const char*, QByteArray> cases[] = {
        {"a;b", "\"a;b\""},
        {"sag \"hallo\"", "\"sag \"\"hallo\"\"\""},
        {"schlicht", "schlicht"},
        {"", ""},
        {"\n", "\"\n\""},
        {"a\rb", "\"a\rb\""},
        {"Jürgen; Söhne", "\"J\xFCrgen; S\xF6hne\""},
    };
    for (const auto& [text, bytes] : cases) {
        QByteArray written;
        QBuffer out(&written);
        out.open(QIODevice::WriteOnly);
        writeStringCsvEscaped(out, QString::fromUtf8(text));
        EXPECT_EQ(written, bytes) << text;
    }
    QBuffer closed;
    EXPECT_THROW(writeStringCsvEscaped(closed, QStringLiteral("x")), std::runtime_error);
}

TEST(Windows1252, UmlautsRoundTripAndForeignCharactersBecomePlainLettersOrQuestionMarks)
{
    const QString german = QStringLiteral("Größe Ärger Übel 5 €");
    const QByteArray bytes = toWindows1252(german);
    EXPECT_EQ(bytes, QByteArray("Gr\xF6\xDF"
                                "e \xC4rger \xDC"
                                "bel 5 \x80"));
    EXPECT_EQ(fromWindows1252(bytes), german);
    // Ł and ź are not in the code page but have plain letters; the emoji has none (one '?' for its
    // surrogate pair).
    TRespelledNames respelled;
    EXPECT_EQ(toWindows1252(QStringLiteral("Łódź, 🏃 Łódź"), &respelled), QByteArray("L\xF3"
                                                                                    "dz, ? L\xF3"
                                                                                    "dz"));
    ASSERT_EQ(respelled.changes().size(), 2);
    EXPECT_EQ(respelled.changes()[0].stored, QStringLiteral("Łódź"));
    EXPECT_EQ(respelled.changes()[0].written, QStringLiteral("Lódz"));
    EXPECT_EQ(respelled.changes()[1].written, QStringLiteral("?"));
    EXPECT_EQ(fromWindows1252("a\x81"), QStringLiteral("a") + QChar(0x81)) << "a byte the code page leaves open";
}

TEST(DosCodePage, GermanLettersMapBothWaysOtherBytesStay)
{
    const QByteArray dos("\x84\x94\x81\x8E\x99\x9A\xE1\x82\xA0\xB0z");
    const QByteArray windows("\xE4\xF6\xFC\xC4\xD6\xDC\xDF\xE9\xE1\xB0z");
    EXPECT_EQ(decodeDosString(dos), windows);
    EXPECT_EQ(encodeDosString(windows), dos);
    const QByteArray text = toWindows1252(QStringLiteral("Müßig Ärger: Ödön Übel é á 123"));
    EXPECT_EQ(decodeDosString(encodeDosString(text)), text);
}

TEST(Texts, EqualsIgnoreLineEnding)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"x\r\ny", "x\ny", true}, {"a\r\n", "a\n", true}, {"", "", true},       {"\r", "", true},
        {"abc", "abd", false},    {"abc", "bc", false},   {"bc", "abc", false}, {"", "a", false},
    };
    for (const auto& [a, b, equal] : cases)
        EXPECT_EQ(equalsIgnoreLineEnding(QString::fromUtf8(a), QString::fromUtf8(b)), equal) << a << " / " << b;
}

// As the competition creation names disciplines made from templates.
TEST(Texts, AgeClassNameReplacesTheCodeAtTheStartOrIsAppended)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"U12", "U10 Weitsprung", "U12 Weitsprung"},
        {"Minis", "U8 Staffel", "Minis Staffel"},
        {"Minis", "U12 Sprint", "Minis Sprint"},
        {"Minis", "U8xy", "Minisxy"},
        {"Minis", "Staffel", "Staffel Minis"}, // appended, not put in front
        {"Minis", "Weitsprung Zone", "Weitsprung Zone Minis"},
        {"Minis", "U8", "U8"},   // nothing after the code
        {"Minis", "U8x", "U8x"}, // one character is not enough
        {"Minis", "Ux Lauf", "Ux Lauf"},
        {"Minis", "U100m Lauf", "U100m Lauf"},   // three digits are no age code
        {"Minis", "u10 Lauf", "u10 Lauf Minis"}, // only a capital U starts a code
    };
    for (const auto& [name, text, expected] : cases)
        EXPECT_EQ(replaceAgeClassNameOnStart(QString::fromUtf8(name), QString::fromUtf8(text)),
                  QString::fromUtf8(expected))
            << text;
}

TEST(Texts, NumbersWithTheLocalesSeparatorOrAPoint)
{
    // The tests run in German: "," is the locale's separator, "." that of stored values.
    for (const char* text : {"12", "12,5", "12.5", "-3", " 7 ", "0.001"})
        EXPECT_TRUE(isNumber(QString::fromUtf8(text))) << text;
    for (const char* text : {"", "abc", "12,5m", "1,2,3", "1.2.3", "1.500,5"})
        EXPECT_FALSE(isNumber(QString::fromUtf8(text))) << text;
}

TEST(Texts, FileNamesAndYears)
{
    EXPECT_EQ(fileNameSaveChars(QStringLiteral("a/b: c")), QStringLiteral("a_b__c"));
    EXPECT_EQ(fileNameSaveChars(QStringLiteral("<>?\":|\\/*x")), QStringLiteral("_________x"));
    EXPECT_EQ(getYearOfBirth(QString()), 0);
    EXPECT_EQ(getYearOfBirth(QStringLiteral("20x")), -1);
}

TEST(Texts, ACutInTheMiddleKeepsTheEndThatTellsNamesApart)
{
    const auto within = [](int n) { return [n](const QString& t) { return t.size() <= n; }; };
    const QString nord = QStringLiteral("Riege U10 Überlingen-Seeufer Nachmittagsgruppe Nord (4)");
    EXPECT_EQ(elideMiddle(nord, within(30)), QStringLiteral("Riege U10 Über...uppe Nord (4)"));
    EXPECT_EQ(elideMiddle(nord, within(99)), nord);
    EXPECT_EQ(elideMiddle(nord, within(2)), QStringLiteral("..."));
    EXPECT_EQ(elideMiddle(nord + QStringLiteral(", ") + nord.chopped(8) + QStringLiteral("Süd (5)"), within(50)),
              QStringLiteral("Riege U10 Ü...e Nord (4), Riege U10 Ü...pe Süd (5)"));
}

// One unit of width per character: what is kept can be read off the result.
TEST(Texts, ACutKeepsThePartThatTellsTextsApart)
{
    const auto width = [](const QString& text) { return int(text.size()); };
    const QStringList squads{QStringLiteral("Riege U10 Überlingen-Seeufer (4)"),
                             QStringLiteral("Riege U10 Überlingen-Seeufer (12)"), QStringLiteral("Riege U12")};
    EXPECT_EQ(distinctStarts(squads), (std::vector<int>{31, 31, 9}));
    EXPECT_EQ(cutKeepingDifference(squads[0], 30, 16, width), QStringLiteral("Riege U10 Üb…(4)"));
    EXPECT_EQ(cutKeepingDifference(squads[1], 30, 5, width), QStringLiteral("…(12)"));
    EXPECT_EQ(cutKeepingDifference(squads[1], 30, 4, width), QStringLiteral("…(1…"));
    EXPECT_EQ(cutKeepingDifference(QStringLiteral("Nachwuchs 101"), 11, 8, width), QStringLiteral("Nach…101"));
    EXPECT_EQ(cutKeepingDifference(QStringLiteral("Weitsprung Nord"), 0, 8, width), QStringLiteral("Weitspr…"));
}

// A cut that drops the start marks it; the least room for each text still tells it apart.
TEST(Texts, ACutThatDropsTheStartMarksItAndTheLeastRoomStillTellsTextsApart)
{
    const auto width = [](const QString& text) { return int(text.size()); };
    const QString name = QStringLiteral("Hoffmann-Überreiter-Özdemir");
    // Beside "Hoffmann-Übermann".
    EXPECT_EQ(cutKeepingDifference(name, 13, 13, width), QStringLiteral("…Überreiter-…"));
    EXPECT_EQ(cutKeepingDifference(QStringLiteral("!A3HX!"), 3, 4, width), QStringLiteral("…HX!"));

    QStringList squads;
    for (int n = 1; n <= 30; ++n)
        squads << QStringLiteral("Riege U10 Überlingen-Seeufer (%1)").arg(n);
    // Two towns with the same numbers: their ends are alike, only their starts tell them apart.
    const QStringList towns{QStringLiteral("Riege Nord (1)"), QStringLiteral("Riege Nord (2)"),
                            QStringLiteral("Riege Süd (1)"), QStringLiteral("Riege Süd (2)")};
    const QStringList names{name, QStringLiteral("Hoffmann-Übermann"), QStringLiteral("Hoffmann-Ullrich"),
                            QStringLiteral("!A3HX!"), QStringLiteral("!A3GX!")};
    for (const QStringList& column : {squads, towns, names}) {
        const std::vector<int> starts = distinctStarts(column);
        const std::vector<int> least = leastApartWidths(column, width);
        QHash<QString, QString> shown;
        for (qsizetype i = 0; i < column.size(); ++i) {
            const int shared = starts[std::size_t(i)] - 1;
            const QString cut = cutKeepingDifference(column[i], shared, least[std::size_t(i)], width);
            EXPECT_LE(cut.size(), least[std::size_t(i)]) << cut.toStdString();
            EXPECT_FALSE(shown.contains(cut))
                << cut.toStdString() << " for " << column[i].toStdString() << " and " << shown.value(cut).toStdString();
            shown.insert(cut, column[i]);
        }
    }
    EXPECT_EQ(leastApartWidths(squads, width)[15], 5) << "…(16)";
    EXPECT_EQ(leastApartWidths(squads, width)[0], 4) << "…(1), beside …(10)";
    EXPECT_EQ(leastApartWidths(towns, width)[2], 11) << "Riege S…(1), as \"…(1)\" ends Nord's too";
}

TEST(Lookups, BibsOfTheFirstEntryOfATeam)
{
    auto athlete = [](std::vector<int> bibs) {
        proto::AthleteType a;
        a.Bib = std::move(bibs);
        return a;
    };
    auto team = [](int id, std::vector<proto::AthleteType> athletes) {
        proto::VersionedParticipantsType p;
        p.Team.ensure().Team.ensure().TeamID = id;
        p.Team->Athletes = std::move(athletes);
        return p;
    };
    proto::VersionedParticipantsType single;
    single.Athlete = athlete({99});
    std::vector<proto::HeatParticipantsType> heats(2);
    heats[0].VersionedParticipants = {single, team(4, {athlete({1})})};
    heats[1].VersionedParticipants = {team(5, {athlete({11}), athlete({12, 13})}), team(5, {athlete({50})})};

    EXPECT_EQ(getBibsOfTeam(5, heats), (TIdList{11, 12, 13}));
    EXPECT_EQ(getBibsOfTeam(4, heats), (TIdList{1}));
    EXPECT_TRUE(getBibsOfTeam(6, heats).empty());
}

TEST(Combo, SelectByIdAndFallBackWhenTheObjectIsGone)
{
    QComboBox combo;
    combo.addItem(QStringLiteral("Kein Filter"), 0);
    combo.addItem(QStringLiteral("U8"), 4);
    combo.addItem(QStringLiteral("U10"), 7);
    int changes = 0;
    QObject::connect(&combo, &QComboBox::activated, [&changes] { ++changes; });

    selectComboIntegerFilter(combo, 7, 0);
    EXPECT_EQ(combo.currentIndex(), 2);
    selectComboIntegerFilter(combo, 9, 0); // deleted meanwhile
    EXPECT_EQ(combo.currentIndex(), 0);

    int currentId = 9;
    EXPECT_TRUE(resetCurIdIfDeleted(combo, currentId, 0));
    EXPECT_EQ(currentId, 0);
    EXPECT_FALSE(resetCurIdIfDeleted(combo, currentId, 0)) << "already 0";
    currentId = 4;
    combo.setCurrentIndex(1);
    EXPECT_FALSE(resetCurIdIfDeleted(combo, currentId, 0)) << "the combo still shows the object";
    EXPECT_EQ(currentId, 4);
    EXPECT_EQ(changes, 1);
}

TEST(ListView, AutoSizeFitsAutoColumnsAndKeepsUserWidths)
{
    QTreeWidget list;
    list.setColumnCount(2);
    list.header()->setStretchLastSection(false);
    list.header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list.header()->resizeSection(1, 77);
    const QString wide(60, u'W');
    list.addTopLevelItem(new QTreeWidgetItem({wide, QStringLiteral("a")}));
    autoSizeListView(list);
    EXPECT_GE(list.header()->sectionSize(0), list.fontMetrics().horizontalAdvance(wide));
    EXPECT_EQ(list.header()->sectionSize(1), 77);
}

TEST(ListView, AViewOverAModelIsSizedAndMeasuredAlike)
{
    QStandardItemModel rows(0, 2);
    QTreeView list;
    list.setModel(&rows);
    list.header()->setStretchLastSection(false);
    list.header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list.header()->resizeSection(1, 77);
    EXPECT_EQ(getItemHeight(list), 0);
    const QString wide(60, u'W');
    rows.appendRow({new QStandardItem(wide), new QStandardItem(QStringLiteral("a"))});
    EXPECT_EQ(getItemHeight(list), 0) << "one row has no distance to the next";
    rows.appendRow({new QStandardItem(QStringLiteral("b")), new QStandardItem(QStringLiteral("c"))});
    autoSizeListView(list);
    EXPECT_GE(list.header()->sectionSize(0), list.fontMetrics().horizontalAdvance(wide));
    EXPECT_EQ(list.header()->sectionSize(1), 77);
    EXPECT_EQ(getItemHeight(list), list.visualRect(rows.index(0, 0)).height());
}

namespace {

// A (A1 (A1a), A2), then "B\C" (B1), all expanded.
void fillTree(QTreeWidget& tree, const QString& first = QStringLiteral("A"))
{
    auto* a = new QTreeWidgetItem(&tree, {first});
    new QTreeWidgetItem(new QTreeWidgetItem(a, {QStringLiteral("A1")}), {QStringLiteral("A1a")});
    new QTreeWidgetItem(a, {QStringLiteral("A2")});
    new QTreeWidgetItem(new QTreeWidgetItem(&tree, {QStringLiteral("B\\C")}), {QStringLiteral("B1")});
    tree.expandAll();
}

QTreeWidgetItem* node(QTreeWidget& tree, std::initializer_list<int> path)
{
    QTreeWidgetItem* item = nullptr;
    for (int i : path)
        item = item ? item->child(i) : tree.topLevelItem(i);
    return item;
}

} // namespace

TEST(TreeState, CollapsedNodesAndSelectionSurviveAReload)
{
    QTreeWidget before;
    fillTree(before);
    node(before, {0, 0})->setExpanded(false);
    node(before, {1})->setExpanded(false);
    before.setCurrentItem(node(before, {0, 0, 0}));
    const QStringList state = getCollapsedItems(before);
    EXPECT_EQ(state, (QStringList{"\\A\\A1\\A1a", "A", "\\A\\A1", "\\B\\\\C"}));

    QTreeWidget after;
    fillTree(after);
    node(after, {0})->setExpanded(false);
    restoreCollapsedItems(after, state);
    EXPECT_EQ(getCollapsedItems(after), state);
    EXPECT_EQ(after.selectedItems(), QList<QTreeWidgetItem*>{node(after, {0, 0, 0})});

    // Other data, or no state at all: only the first node is selected.
    QTreeWidget other;
    fillTree(other, QStringLiteral("X"));
    restoreCollapsedItems(other, state);
    EXPECT_TRUE(node(other, {1})->isExpanded());
    EXPECT_EQ(other.currentItem(), node(other, {0}));
    restoreCollapsedItems(other, {});
    EXPECT_EQ(other.currentItem(), node(other, {0}));

    QTreeWidget empty;
    EXPECT_EQ(getCollapsedItems(empty), QStringList{QString()});
    restoreCollapsedItems(empty, state);
    EXPECT_TRUE(empty.selectedItems().isEmpty());
}
