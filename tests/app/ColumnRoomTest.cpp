// The list windows at the widths a laptop leaves them, as the program paints their rows: squads
// alike but for their number, double names and barcodes alike in their start, each row read apart
// from the others, and a cut that drops a text's start marks where it did.

#include "core/ui/WindowRegistry.h"
#include "tests/app/ClubDay.h"
#include "tests/support/TestUtil.h"
#include "tests/support/TextFit.h"

#include <QHash>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

// Teams of one club in squads numbered alike to their last digit, and athletes of one family.
void seedSquadsAndFamilies(StandinSeed& seed, const ClubDay& day)
{
    seedCrowd(seed, day, {.teams = 60, .squads = 30, .disciplines = 4, .athletes = 200, .teamsInSquads = true});
    seed.begin();
    const int team = seed.value("SELECT MIN(id) FROM teams WHERE competition_id = ?", day.competition);
    for (const char* surname :
         {"Hoffmann-Überreiter-Özdemir", "Hoffmann-Überreiter-Öztürk", "Hoffmann-Übermann", "Hoffmann-Ullrich"})
        for (const char* given : {"Marie-Charlotte", "Maximilian-Alexander"})
            seed.athlete(day.competition, QString::fromUtf8(given), QString::fromUtf8(surname), team);
    seed.commit();
}

// Every column of the list at the window's width: two rows of different texts never painted alike,
// and a text shown without its start shown with "…" in its place.
void expectRowsApart(QTreeView& list, const std::string& at)
{
    const QAbstractItemModel& model = *list.model();
    const int rows = std::min(model.rowCount(), 250);
    for (int column = 0; column < model.columnCount(); ++column) {
        if (list.isColumnHidden(column))
            continue;
        const std::string caption = model.headerData(column, Qt::Horizontal).toString().toStdString();
        QStringList texts;
        for (int row = 0; row < rows; ++row)
            texts << model.index(row, column).data().toString();
        const std::vector<int> starts = distinctStarts(texts);
        QHash<QByteArray, QString> seen;
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index = model.index(row, column);
            const QString& text = texts[row];
            const QByteArray cell = paintedCell(list, index);
            if (const auto other = seen.constFind(cell); other != seen.cend() && *other != text) {
                ADD_FAILURE() << at << ", " << caption << ": \"" << other->toStdString() << "\" and \""
                              << text.toStdString() << "\" read alike";
                return;
            }
            seen.insert(cell, text);
            const int start = starts[std::size_t(row)];
            const QString shown = textfit_detail::shownText(list, *list.header(), index, start > 1 ? start - 1 : 0);
            if (!text.isEmpty() && !shown.startsWith(text.left(1)) && !shown.startsWith(QChar(0x2026))) {
                ADD_FAILURE() << at << ", " << caption << ": \"" << text.toStdString() << "\" shows as \""
                              << shown.toStdString() << "\", its start gone unmarked";
                return;
            }
        }
    }
}

} // namespace

TEST(ColumnRoom, SquadsNamesAndBarcodesReadApartAtTheWidthsALaptopLeavesTheLists)
{
    ProgramUnderTest program(QRect(0, 32, 1366, 736), seedSquadsAndFamilies);
    ASSERT_TRUE(program.chosen);
    installCutTextAids();
    struct Widths {
        TWindowId id;
        int from, to;
    };
    for (const Widths& widths : {Widths{TWindowId::TeamForm, 820, 1100}, Widths{TWindowId::AthleteForm, 795, 900}}) {
        QWidget& window = *program.program->registry().widget(widths.id);
        window.show();
        settle();
        auto* list = window.findChild<QTreeView*>(QStringLiteral("ListView1"));
        ASSERT_TRUE(list && list->model()->rowCount() > 0) << window.objectName().toStdString();
        for (int width = widths.from; width <= widths.to; width += 15) {
            window.resize(width, window.height());
            runQueued();
            expectRowsApart(*list, window.objectName().toStdString() + " at " + std::to_string(width));
        }
        window.hide();
        settle();
    }
}
