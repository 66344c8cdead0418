// The parameter editor's lists without a window: which entries it shows and may change for the
// competition and for a cup, the values other windows read from it, what a save sends, and when
// the editor counts as changed, with the program's German number format.

#include "setup/GlobalParameterRequests.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

GlobalParametersType entry(const QString& key, double value, int cupId = 0, bool readOnly = false)
{
    GlobalParametersType p;
    p.Key = key;
    p.Value = value;
    p.IsReadOnly = readOnly;
    if (cupId != 0) {
        CupType cup;
        cup.CupID = cupId;
        cup.Name = QStringLiteral("Cup %1").arg(cupId);
        p.Cup = cup;
    }
    return p;
}

QStringList keys(const std::vector<const GlobalParametersType*>& entries)
{
    QStringList out;
    for (const GlobalParametersType* p : entries)
        out << p->Key;
    return out;
}

// The competition's answer: its own parameters, then those of its cups (read-only there).
TGlobalParameterLists loaded(int cupId)
{
    TGlobalParameterLists lists;
    lists.setCupId(cupId);
    std::vector<GlobalParametersType> cupParams;
    if (cupId == 7)
        cupParams = {entry(QStringLiteral("Faktor"), 2, 7), entry(QStringLiteral("Basis"), 10, 7)};
    lists.replace({entry(QStringLiteral("Faktor"), 1.5), entry(QStringLiteral("Fest"), 3, 0, true),
                   entry(QStringLiteral("Faktor"), 2, 7, true), entry(QStringLiteral("Basis"), 10, 7, true),
                   entry(QStringLiteral("Fremd"), 4, 8, true)},
                  std::move(cupParams));
    return lists;
}

} // namespace

TEST(GlobalParameterLists, ACompetitionAndACupParameterOfOneNameResolveByCup)
{
    const TGlobalParameterLists competition = loaded(0);
    EXPECT_EQ(competition.resolveParameter(QStringLiteral("Faktor"), 0), 1.5);
    EXPECT_EQ(competition.resolveParameter(QStringLiteral("Faktor"), 7), 2.0);
    EXPECT_EQ(competition.resolveParameter(QStringLiteral("Basis"), 0), std::nullopt) << "a cup's is not the event's";
    EXPECT_EQ(competition.resolveParameter(QStringLiteral("faktor"), 0), std::nullopt) << "names compare exactly";
    EXPECT_EQ(competition.getParameterNames(0), (QStringList{QStringLiteral("Faktor"), QStringLiteral("Fest")}));
    EXPECT_EQ(competition.getParameterNames(7), (QStringList{QStringLiteral("Faktor"), QStringLiteral("Basis")}));

    // Shown for the competition: its own, the read-only one not editable.
    EXPECT_EQ(keys(competition.shownEntries()), (QStringList{QStringLiteral("Faktor"), QStringLiteral("Fest")}));
    EXPECT_FALSE(competition.isReadOnlyParam(QStringLiteral("Faktor")));
    EXPECT_TRUE(competition.isReadOnlyParam(QStringLiteral("Fest")));
    EXPECT_FALSE(competition.isReadOnlyParam(QStringLiteral("Neu"))) << "a new row is editable";

    // Shown for the cup: the cup's own list, editable; a name only the cup list has resolves too.
    TGlobalParameterLists cup = loaded(7);
    EXPECT_EQ(keys(cup.shownEntries()), (QStringList{QStringLiteral("Faktor"), QStringLiteral("Basis")}));
    EXPECT_FALSE(cup.isReadOnlyParam(QStringLiteral("Basis")));
    cup.replace({entry(QStringLiteral("Faktor"), 1.5)}, {entry(QStringLiteral("Nur im Cup"), 5, 7)});
    EXPECT_EQ(cup.resolveParameter(QStringLiteral("Nur im Cup"), 7), 5.0);
    EXPECT_EQ(cup.resolveParameter(QStringLiteral("Nur im Cup"), 0), std::nullopt);

    // A removal leaves the list of its own scope only.
    cup.removeEntry(QStringLiteral("Nur im Cup"), 7);
    EXPECT_EQ(cup.resolveParameter(QStringLiteral("Nur im Cup"), 7), std::nullopt);
    cup.removeEntry(QStringLiteral("Faktor"), 7);
    EXPECT_EQ(cup.resolveParameter(QStringLiteral("Faktor"), 0), 1.5);
}

TEST(GlobalParameterLists, ASaveSendsNewAndChangedValuesTypedWithTheDecimalComma)
{
    const TGlobalParameterLists lists = loaded(0);
    using Sent = std::vector<GlobalParametersInfoType>;
    const auto sent = [&](std::vector<TParameterRow> rows) {
        const auto result = lists.changedParameters(rows, kGerman);
        const Sent* params = std::get_if<Sent>(&result);
        QStringList out;
        if (!params)
            return QStringList{QStringLiteral("invalid: ") +
                               std::get<TGlobalParameterLists::TInvalidValue>(result).key};
        for (const GlobalParametersInfoType& p : *params)
            out << QStringLiteral("%1=%2").arg(p.Key).arg(p.Value);
        return out;
    };
    const TParameterRow fest{QStringLiteral("Fest"), QStringLiteral("kein Wert")}; // read-only: never read

    EXPECT_EQ(sent({{QStringLiteral("Faktor"), QStringLiteral("1,5")}, fest}), QStringList{}) << "nothing changed";
    EXPECT_EQ(
        sent(
            {{QStringLiteral("Faktor"), QStringLiteral("1,75")}, fest, {QStringLiteral("Neu"), QStringLiteral(" 2 ")}}),
        (QStringList{QStringLiteral("Faktor=1.75"), QStringLiteral("Neu=2")}));
    EXPECT_EQ(sent({{QStringLiteral("Faktor"), QStringLiteral("1.5")}, fest}),
              QStringList{QStringLiteral("invalid: Faktor")});
    EXPECT_EQ(sent({{QStringLiteral("Faktor"), QStringLiteral("1,5")}, {QStringLiteral("Neu"), QString()}}),
              QStringList{QStringLiteral("invalid: Neu")});
    EXPECT_EQ(sent({{QStringLiteral("Faktor"), QStringLiteral("1.500")}}),
              QStringList{QStringLiteral("invalid: Faktor")})
        << "no group separators";
}

TEST(GlobalParameterLists, TheEditorIsChangedWhenAValueDiffersOrARowWasAdded)
{
    EXPECT_EQ(formatParameterValue(1.5, kGerman), QStringLiteral("1,5"));
    EXPECT_EQ(formatParameterValue(1000000, kGerman), QStringLiteral("1000000"));
    EXPECT_EQ(formatParameterValue(0.1 + 0.2, kGerman), QStringLiteral("0,30000000000000004")) << "exact, not rounded";

    const TGlobalParameterLists lists = loaded(0);
    const TParameterRow faktor{QStringLiteral("Faktor"), QStringLiteral("1,5")};
    const TParameterRow fest{QStringLiteral("Fest"), QStringLiteral("3")};
    EXPECT_FALSE(lists.changed({faktor, fest}, true, kGerman));
    EXPECT_TRUE(lists.changed({{QStringLiteral("Faktor"), QStringLiteral("1,50")}, fest}, true, kGerman));
    EXPECT_TRUE(lists.changed({faktor}, true, kGerman)) << "a row gone";
    EXPECT_TRUE(lists.changed({faktor, fest, {QStringLiteral("Neu"), QString()}}, true, kGerman));

    TGlobalParameterLists empty;
    EXPECT_FALSE(empty.changed({}, false, kGerman));
    EXPECT_TRUE(empty.changed({{QStringLiteral("Neu"), QString()}}, true, kGerman));
}
