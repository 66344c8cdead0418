#include "core/protocol/SoapCodec.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/protocol/WireContract.h"

#include <gtest/gtest.h>

#include <cxxabi.h>

using namespace tvp::proto;

namespace {

// Gives every field a value other than its default, recursing into sub-records and arrays until
// depth runs out (which also bounds the self-nesting aggregator tree).
template <class T>
void fillNonDefault(T& v, int seed, int depth)
{
    if constexpr (Record<T>) {
        int i = 0;
        applyFields([&](const auto&... f) { (fillNonDefault(v.*(f.member), seed * 3 + ++i, depth), ...); },
                    T::fields());
    } else if constexpr (IsOwned<T>::value) {
        // A sub-record left empty at the depth limit is nil, as an empty element never reaches the wire.
        using Item = typename IsOwned<T>::Item;
        if (depth > 0 && !(fillNonDefault(v.ensure(), seed, depth - 1), *v == Item{}))
            return;
        v.reset();
    } else if constexpr (IsVector<T>::value) {
        using Item = typename IsVector<T>::Item;
        if (Record<Item> && depth == 0)
            return;
        v.resize(2);
        fillNonDefault(v[0], seed, depth - 1);
        fillNonDefault(v[1], seed + 1, depth - 1);
        if (v[0] == Item{} || v[1] == Item{})
            v.clear();
    } else if constexpr (Enumeration<T>) {
        v = static_cast<T>(EnumTraits<T>::names.size() - 1);
    } else if constexpr (std::is_same_v<T, QString>) {
        v = QStringLiteral("Jürgen <&> \"Öl\" %1").arg(seed);
    } else if constexpr (std::is_same_v<T, Base64Binary>) {
        v = QByteArray("\0\xff%PDF", 6) + QByteArray::number(seed);
    } else if constexpr (std::is_same_v<T, XsDate>) {
        v = QDate(2020 + seed % 7, 1 + seed % 12, 1 + seed % 28);
    } else if constexpr (std::is_same_v<T, XsTime>) {
        v = QTime(seed % 24, seed % 60, 7, seed % 2 ? 250 : 0);
    } else if constexpr (std::is_same_v<T, bool>) {
        v = true;
    } else if constexpr (std::is_same_v<T, int>) {
        v = -1000 - seed;
    } else if constexpr (std::is_same_v<T, double>) {
        v = -seed - 0.1;
    } else if constexpr (std::is_same_v<T, float>) {
        v = seed + 0.75f;
    } else {
        static_assert(sizeof(T) == 0, "no filler for this field type");
    }
}

// Numbers, flags and enumerations start at 0, false and the first value and are always sent;
// nil sub-records, empty texts and arrays and missing dates are left out.
template <class M>
void collectNonDefault(const pugi::xml_node& node, std::string_view name, const M& value, std::string& wrong)
{
    constexpr bool optional = IsOwned<M>::value || IsVector<M>::value || std::is_same_v<M, QString> ||
                              std::is_same_v<M, Base64Binary> || std::is_same_v<M, XsDate> || std::is_same_v<M, XsTime>;
    const bool present = node.child(std::string(name).c_str());
    if (!(value == M{}) || present == optional)
        wrong += std::string(name) + ' ';
}

template <class T>
std::string typeName()
{
    std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(typeid(T).name(), nullptr, nullptr, nullptr),
                                                     &std::free);
    return name ? name.get() : typeid(T).name();
}

// Every field survives the trip through the envelope text, escaping and nesting included; a default
// record sends only its numbers, flags and enumerations.
template <class TypeParam>
void checkRecord()
{
    SCOPED_TRACE(typeName<TypeParam>());
    TypeParam original;
    fillNonDefault(original, 1, 4);
    ASSERT_FALSE(original == TypeParam{});

    pugi::xml_document request;
    pugi::xml_node op = codec::makeEnvelope(request, wire::kMainNs, "op");
    codec::encodeValue(op, "Value", original, {true});
    const std::string text = codec::serialize(request);
    pugi::xml_document answer;
    ASSERT_TRUE(answer.load_buffer(text.data(), text.size()));
    TypeParam decoded;
    codec::decodeValue(codec::bodyElement(answer).child("Value"), decoded);
    EXPECT_TRUE(decoded == original);

    const TypeParam empty;
    pugi::xml_node node = op.append_child("Empty");
    codec::encodeFields(node, empty, {true});
    std::string wrong;
    applyFields([&](const auto&... f) { (collectNonDefault(node, f.name, empty.*(f.member), wrong), ...); },
                TypeParam::fields());
    EXPECT_EQ(wrong, "");
}

} // namespace

TEST(EveryRecord, RoundTripAndDefaults)
{
    int count = 0;
    forEachRecord([&]<Record R>() {
        checkRecord<R>();
        ++count;
    });
    EXPECT_EQ(count, 138);
}

TEST(RecordWire, ResultKindIsSentAsType)
{
    AssignedResultType r;
    r.Type_ = ResultValueType::Time;
    r.TeamId = {4, 9};
    ParameterType p;
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("root");
    codec::encodeValue(root, "R", r, {true});
    codec::encodeValue(root, "P", p, {true});

    EXPECT_STREQ(root.child("R").child_value("Type"), "Time");
    EXPECT_FALSE(root.child("R").child("Type_"));
    EXPECT_STREQ(root.child("P").child_value("Type_"), "type_double");
    // Of all arrays in records only the team ids come wrapped.
    pugi::xml_node ids = root.child("R").child("TeamId");
    EXPECT_STREQ(ids.first_child().name(), "item");
    EXPECT_STREQ(ids.last_child().child_value(), "9");
    EXPECT_EQ(ids.next_sibling("TeamId"), pugi::xml_node());
}

TEST(RecordCopy, AthleteWithoutTeamOrClubStaysNilAndIndependent)
{
    auto source = std::make_unique<AthleteType>();
    source->Bib = {7, 8};
    source->Name = AthleteNameType{QStringLiteral("Jürgen"), QStringLiteral("Müller")};
    source->AthleteID = 12;

    auto copy = std::make_unique<AthleteType>(*source);
    EXPECT_TRUE(copy->Team.isNil());
    EXPECT_TRUE(copy->Club.isNil());
    EXPECT_NE(copy->Name.get(), source->Name.get());

    copy->Name->givenName = QStringLiteral("Anna");
    copy->Bib.push_back(9);
    copy->Team.ensure().TeamID = 3;
    EXPECT_EQ(source->Name->givenName, QStringLiteral("Jürgen"));
    EXPECT_EQ(source->Bib, (std::vector<int>{7, 8}));
    EXPECT_TRUE(source->Team.isNil());

    copy.reset();
    EXPECT_EQ(source->Name->surName, QStringLiteral("Müller"));
    AthleteType second = *source;
    source.reset();
    EXPECT_EQ(second.Name->surName, QStringLiteral("Müller"));
}

TEST(RecordCopy, AggregatorInstanceOwnsItsTableAndCup)
{
    ResultAggregatorInstanceType source;
    source.ID = 5;
    source.ConnectedAggregators = {1, 2};
    source.ResultTableType = ResultTableType{true, 3, QStringLiteral("$m"), false};
    source.Cup.ensure().AssignedCompetitions.resize(1);
    source.Cup->AssignedCompetitions[0].Date = QDate(2026, 6, 1);

    ResultAggregatorInstanceType copy = source;
    ASSERT_EQ(copy, source);
    EXPECT_NE(copy.ResultTableType.get(), source.ResultTableType.get());
    EXPECT_NE(copy.Cup.get(), source.Cup.get());

    copy.ResultTableType->ResultsPerRow = 1;
    copy.Cup->AssignedCompetitions[0].Date.reset();
    EXPECT_EQ(source.ResultTableType->ResultsPerRow, 3);
    EXPECT_EQ(source.Cup->AssignedCompetitions[0].Date, QDate(2026, 6, 1));

    copy.Cup = nullptr;
    EXPECT_FALSE(source.Cup.isNil());
}

TEST(RecordCopy, AggregatorTreeCopiesTheWholeSubtree)
{
    AggregatorTreeNodeType root;
    root.OutputConnections.resize(1);
    root.OutputConnections[0].OutputConnections.resize(1);
    root.OutputConnections[0].OutputConnections[0].AggregatorInfo.ensure().ID = 8;

    AggregatorTreeNodeType copy = root;
    copy.OutputConnections[0].OutputConnections[0].AggregatorInfo->ID = 9;
    EXPECT_EQ(root.OutputConnections[0].OutputConnections[0].AggregatorInfo->ID, 8);
}

TEST(RecordCopy, TeamFromCupTeamTakesOnlyIdAndName)
{
    CupTeamType cupTeam;
    cupTeam.TeamID = 44;
    cupTeam.Name = QStringLiteral("Flinke Füchse");
    cupTeam.CustomInformations.resize(1);
    cupTeam.AssignedTeams.resize(2);

    TeamType expected;
    expected.TeamID = 44;
    expected.Name = QStringLiteral("Flinke Füchse");
    EXPECT_EQ(teamFromCupTeam(cupTeam), expected);
}
