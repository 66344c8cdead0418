// The chooser's competition list: the server's competitions, or one message row in their place.

#include "core/competition/CompetitionListModel.h"
#include "tests/core/lists/ModelTesterGuard.h"

#include <QFont>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

proto::CompetitionType competition(int id, const QString& name)
{
    proto::CompetitionType c;
    c.ID = id;
    c.Name = name;
    return c;
}

TEST(CompetitionList, CompetitionsOrAMessageRowThatNamesNoCompetition)
{
    TCompetitionListModel model;
    ModelTesterGuard check(&model);

    model.setCompetitions({competition(4, QStringLiteral("Sportfest")), competition(9, QStringLiteral("<b>x</b>"))});
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(1).data().toString(), QStringLiteral("<b>x</b>")) << "names as written";
    EXPECT_FALSE(model.index(0).data(Qt::FontRole).isValid());
    EXPECT_EQ(model.rowOf(9), 1);
    EXPECT_EQ(model.rowOf(5), -1);
    ASSERT_TRUE(model.competition(1));
    EXPECT_EQ(model.competition(1)->ID, 9);
    EXPECT_FALSE(model.competition(2));
    EXPECT_FALSE(model.competition(-1));

    model.showMessage(QStringLiteral("Keine Veranstaltungen auf Server gefunden."));
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.index(0).data().toString(), QStringLiteral("Keine Veranstaltungen auf Server gefunden."));
    EXPECT_TRUE(model.index(0).data(Qt::FontRole).value<QFont>().italic());
    EXPECT_FALSE(model.competition(0)) << "the message is no competition";
    EXPECT_EQ(model.rowOf(4), -1);

    model.setCompetitions({competition(4, QStringLiteral("Sportfest"))});
    EXPECT_TRUE(model.message().isEmpty());
    EXPECT_EQ(model.competition(0)->ID, 4);

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.competition(0));
}

} // namespace
