// Result texts in the German locale (decimal comma), comparisons and the format of a scoring node.

#include "core/lists/ListSorting.h"
#include "core/results/ResultUnitPatterns.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/results/tvpUtils.h"

#include <QStandardItemModel>

#include <gtest/gtest.h>

#include "tests/support/TestUtil.h"

using namespace tvp;
using proto::ResultInfo;
using proto::ResultType;
using RVT = proto::ResultValueType;
using RF = TResultformat;

namespace {

constexpr RVT Dst = RVT::Distance, Tim = RVT::Time, Inf = RVT::Info, Rnk = RVT::Rank, Str = RVT::InfoString;

ResultType res(RVT type, double value = 0, ResultInfo info = ResultInfo::disq)
{
    ResultType r;
    r.Type_ = type;
    r.Info = info;
    r.DistanceInMeter = type == Dst ? value : 0;
    r.TimeInSeconds = type == Tim ? value : 0;
    r.Rank = type == Rnk ? int(value) : 0;
    return r;
}

struct ParseCase {
    const char* text;
    RVT kind;
    bool height;
    bool ok;
    RVT type = Dst;
    double value = 0; // metres, seconds or rank
    ResultInfo info = ResultInfo::disq;
    bool points = false;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << '"' << c.text << "\" as kind " << int(c.kind) << (c.height ? " with heights" : "");
}

const ParseCase kParseCases[] = {
    // Recognising the kind from the text.
    {"12", Inf, false, true, Rnk, 12},
    {"12,5", Inf, false, false}, // not a whole rank
    {"12,5m", Inf, false, true, Dst, 12.5},
    {"250cm", Inf, false, true, Dst, 2.5},
    {"1:23", Inf, false, true, Tim, 83},
    {"10s", Inf, false, true, Tim, 10},
    {"12 PKT", Inf, false, true, Dst, 12, ResultInfo::disq, true},
    {"aufg.", Inf, false, false},
    {"ab", Inf, false, false},
    {"1.500", Inf, false, false}, // a German grouping dot is no decimal point
    // Distances.
    {"  3,10 m", Dst, false, true, Dst, 3.1},
    {"120", Dst, true, true, Dst, 1.2},
    {"120", Dst, false, true, Dst, 120},
    {"1,20", Dst, true, true, Dst, 1.2},
    {"9", Dst, true, true, Dst, 9},
    {"x", Dst, false, true, Inf, 0, ResultInfo::ung},
    {"n.a.", Dst, false, true, Inf, 0, ResultInfo::na},
    {"disq", Dst, false, true, Inf, 0, ResultInfo::disq},
    {"aufg.", Dst, false, false},
    {"AB", Dst, false, false},
    {"12,5s", Dst, false, false},
    {"1:20", Dst, false, false},
    {"", Dst, false, false},
    // Times.
    {"1:23,45", Tim, false, true, Tim, 83.45},
    {"123,45s", Tim, false, true, Tim, 83.45},
    {"59,5", Tim, false, true, Tim, 59.5},
    {"10:00", Tim, false, true, Tim, 600},
    {"1:02:03", Tim, false, true, Tim, 3723},
    {"1:5", Tim, false, true, Tim, 65},
    {"250cm", Tim, false, true, Tim, 170}, // "cm" clears the metre mark: 2 minutes 50
    {"1:60", Tim, false, false},
    {"1:60:00", Tim, false, false},
    {"1:2:3:4", Tim, false, false},
    {":30", Tim, false, false},
    {"12,5m", Tim, false, false},
    {"12Pkt", Tim, false, false},
    {"x", Tim, false, false},
    {"aufg.", Tim, false, true, Inf, 0, ResultInfo::aufg},
    {"ab", Tim, false, true, Inf, 0, ResultInfo::ab},
    // "min" of a unit pattern's clock time is no metre mark; without a colon it would read as seconds.
    {"2:05 min", Tim, false, true, Tim, 125},
    {"2:05 Min", Tim, false, true, Tim, 125},
    {"2:05 min", Inf, false, true, Tim, 125},
    {"5 min", Tim, false, false},
    {"2:05 min", Dst, false, false},
    {"5 min", Rnk, false, false},
    // Ranks.
    {"3,0", Rnk, false, true, Rnk, 3},
    {"3,5", Rnk, false, false},
    {"3s", Rnk, false, false},
    {"1:2", Rnk, false, false},
    {"99999999999", Rnk, false, false},
    {"aufg", Rnk, false, true, Inf, 0, ResultInfo::aufg},
    // Negative values and status words of free texts.
    {"-5", Dst, false, false},
    {"-5", Tim, false, false},
    {"-5", Rnk, false, false},
    {"disq", Str, false, false},
};

class StringToResultCase : public ::testing::TestWithParam<ParseCase> {};

} // namespace

TEST_P(StringToResultCase, ReadsOrRefuses)
{
    const ParseCase& c = GetParam();
    ResultType r = res(Rnk, 4711);
    bool points = true;
    ASSERT_EQ(StringToResult(QString::fromUtf8(c.text), c.kind, r, THeightFormat(c.height), points), c.ok);
    if (!c.ok) {
        EXPECT_EQ(r, res(Rnk, 4711)) << "a refused text must not change the result";
        return;
    }
    EXPECT_EQ(r.Type_, c.type);
    EXPECT_NEAR(resultToFloat(r), c.value, 1e-9);
    if (c.type == Inf) {
        EXPECT_EQ(r.Info, c.info);
    }
    EXPECT_EQ(points, c.points);
}

INSTANTIATE_TEST_SUITE_P(German, StringToResultCase, ::testing::ValuesIn(kParseCases));

namespace {
// Callers name the points flag and the height flag in either order; only the right one compiles.
template <class Fourth, class Fifth>
concept ParsesWith = requires(const QString& text, ResultType& r, Fourth fourth, Fifth fifth)
{
    StringToResult(text, Dst, r, fourth, fifth);
};
static_assert(ParsesWith<THeightFormat, bool&>);
static_assert(!ParsesWith<bool&, THeightFormat>, "points flag before the height flag must not compile");
static_assert(!ParsesWith<bool, bool&>, "a plain bool must not pass for the height flag");
} // namespace

// Server data: a height beyond any integer still gives its text.
TEST(ResultToString, HugeHeightsStayNumbers)
{
    const QString text = ResultToString(res(Dst, -1e300), RF::rf_Height, QString());
    EXPECT_TRUE(text.startsWith(u"-1000000000") && text.endsWith(u"cm")) << text.toStdString();
    EXPECT_EQ(text.size(), 306); // "-", 303 digits, "cm"
}

TEST(ResultToString, EveryKindAndFormatShowsAndReadsBack)
{
    struct Case {
        ResultType result;
        RF format;
        const char* text;
    };
    ResultType freeText = res(Str);
    freeText.InfoString = QStringLiteral("Verletzt");
    const Case cases[] = {
        {res(Dst, 3.1), RF::rf_Default, "3,10m"},
        {res(Dst, 0.285), RF::rf_Default, "0,29m"},      // as written, not as stored (0.28499...)
        {res(Dst, 1234.5), RF::rf_Points, "1234,50Pkt"}, // no grouping dot
        {res(Dst, 12.5), RF::rf_TargetPoints, "12,50Pkt"},
        {res(Dst, 7), RF::rf_TargetPointCollection, "7,00Pkt"},
        {res(Dst, 3.1), RF::rf_Unknown, "3,10"},
        {res(Dst, 1.155), RF::rf_Height, "116cm"},
        {res(Dst, 1.2), RF::rf_Height, "120cm"},
        {res(Dst, 3.1), RF(9), "-"},
        {res(Tim, 83.45), RF::rf_Default, "1:23,45"},
        {res(Tim, 59.5), RF::rf_Default, "59,50s"},
        {res(Tim, 600), RF::rf_Default, "10:00,00"},
        {res(Tim, 65.05), RF::rf_Default, "1:05,05"},
        {res(Tim, 3723), RF::rf_Default, "62:03,00"},
        {res(Tim, 119.999), RF::rf_Default, "2:00,00"}, // carries, never 1:60,00
        {res(Tim, 59.999), RF::rf_Default, "1:00,00"},
        {res(Tim, 59.994), RF::rf_Default, "59,99s"},
        {res(Rnk, 7), RF::rf_Default, "7"},
        {res(Inf, 0, ResultInfo::disq), RF::rf_Default, "disq."},
        {res(Inf, 0, ResultInfo::na), RF::rf_Default, "n.a."},
        {res(Inf, 0, ResultInfo::ung), RF::rf_Default, "x"},
        {freeText, RF::rf_Default, "Verletzt"},
        {res(RVT(7)), RF::rf_Default, "-"},
    };
    for (const Case& c : cases) {
        const QString text = ResultToString(c.result, c.format, QString());
        EXPECT_EQ(text, QString::fromUtf8(c.text));
        const RVT kind = c.result.Type_;
        if ((kind != Dst && kind != Tim && kind != Rnk) || text == u"-")
            continue;
        ResultType back;
        bool points = false;
        ASSERT_TRUE(StringToResult(text, kind, back, heightFormatOf(c.format), points)) << c.text;
        EXPECT_EQ(ResultToString(back, c.format, QString()), text);
    }
    EXPECT_EQ(ResultToString(nullptr, RF::rf_Default, QString()), u"-");
}

namespace {

// Stands in for the pattern language of result capture.
class FakePatterns : public IResultUnitPatterns {
public:
    QString parseResultValue(const QString& pattern, double value) override
    {
        if (pattern == u"$(")
            throw EInvalidResultUnitPattern(QStringLiteral("Klammer fehlt"));
        values.push_back(value);
        return pattern;
    }
    std::vector<double> values;
};

} // namespace

TEST(ResultToString, UnitPatternsGoThroughThePatternLanguage)
{
    const QString pattern = QStringLiteral("$v Runden");
    EXPECT_EQ(ResultToString(res(Dst, 3.1), RF::rf_Default, pattern), u"3,10m") << "none there yet: as if no pattern";

    FakePatterns fake;
    resultUnitPatterns() = &fake;
    EXPECT_EQ(ResultToString(res(Dst, 3.1), RF::rf_Default, pattern), pattern);
    EXPECT_EQ(ResultToString(res(Tim, 83.45), RF::rf_Default, pattern), pattern);
    EXPECT_EQ(ResultToString(res(Rnk, 7), RF::rf_Default, pattern), pattern);
    EXPECT_EQ(ResultToString(res(Inf, 0, ResultInfo::aufg), RF::rf_Default, pattern), u"aufg.");
    EXPECT_EQ(ResultToString(res(Dst, 3.1), RF::rf_Default, QString()), u"3,10m");
    EXPECT_EQ(fake.values, (std::vector<double>{3.1, 83.45, 7}));
    EXPECT_THROW(ResultToString(res(Dst, 3.1), RF::rf_Default, QStringLiteral("$(")), EInvalidResultUnitPattern);
    resultUnitPatterns() = nullptr;
}

TEST(CompareResult, GreaterIsBetter)
{
    struct Case {
        ResultType a, b;
        int expected;
    };
    const Case cases[] = {
        {res(Dst, 5), res(Dst, 4), 1},   {res(Dst, 4), res(Dst, 5), -1},   {res(Dst, 4), res(Dst, 4), 0},
        {res(Tim, 10), res(Tim, 11), 1}, {res(Tim, 11), res(Tim, 10), -1}, {res(Rnk, 1), res(Rnk, 2), 1},
        {res(Inf), res(Dst, 0), -1},     {res(Tim, 99), res(Inf), 1},      {res(Inf), res(Inf, 0, ResultInfo::ab), 0},
        {res(Dst, 5), res(Tim, 5), 0},   {res(Rnk, 1), res(Str), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareResult(c.a, c.b), c.expected)
            << ResultToString(c.a, RF::rf_Default, {}).toStdString() << " vs "
            << ResultToString(c.b, RF::rf_Default, {}).toStdString();
}

TEST(CompareListRows, ResultsByValueThenTextsThenEmpty)
{
    const std::tuple<const char*, const char*, int> cases[] = {
        {"3,10m", "2,50m", -1}, // longer first
        {"11,9s", "12,3s", -1}, // faster first
        {"1:05,00", "59,00s", 1},
        {"3", "12", -1}, // ranks by number, not as text
        {"7", "", -1},
        {"", "", 0},
        {"aufg.", "12", 1}, // statuses sort as texts, after all results
        {"3,10m", "12", 0}, // different kinds
        {"apfel", "Birne", -1},
        {"ABC", "abc", 0},
        {"Äpfel", "Zebra", -1},
        {"Meier", "", -1},
    };
    const auto row = [](const QString& caption, const QString& cell) {
        return QList<QStandardItem*>{new QStandardItem(caption), new QStandardItem(cell)};
    };
    for (const auto& [a, b, ascending] : cases) {
        QStandardItemModel list;
        list.appendRow(row(QStringLiteral("z"), QString::fromUtf8(a)));
        list.appendRow(row(QStringLiteral("z"), QString::fromUtf8(b)));
        EXPECT_EQ(CompareListRows(list, 1, 0, 1, false), ascending) << a << " vs " << b;
        EXPECT_EQ(CompareListRows(list, 1, 1, 0, false), -ascending) << b << " vs " << a;
        EXPECT_EQ(CompareListRows(list, 1, 0, 1, true), -ascending) << a << " vs " << b << " descending";
    }

    QStandardItemModel list;
    list.appendRow(row(QStringLiteral("b"), QStringLiteral("3,10m")));
    list.appendRow(row(QStringLiteral("a"), QStringLiteral("2,50m")));
    list.appendRow({new QStandardItem(QStringLiteral("c"))});
    EXPECT_EQ(CompareListRows(list, 0, 0, 1, false), 1);
    EXPECT_EQ(CompareListRows(list, 5, 0, 1, false), 1) << "beyond the columns: captions";
    EXPECT_EQ(CompareListRows(list, 1, 2, 0, false), 1) << "a row without the cell goes last";
}

TEST(DisciplineInfo, WithoutResultTableKeepsSingleAndNoAttempts)
{
    proto::DisciplinType disc;
    disc.Name = QStringLiteral("Weitsprung");
    disc.DisciplinID = 12;
    const TDisciplineInfo d = TDisciplineInfo::CreateFromDisc(disc);
    EXPECT_EQ(d.id, 12);
    EXPECT_EQ(d.name, u"Weitsprung");
    EXPECT_FALSE(d.isTeam);
    EXPECT_EQ(d.attempts, 0);
}

// ---- The format of a scoring node, against a scripted server ----

namespace {

class ScriptedServer : public proto::ISoapTransport {
public:
    proto::HttpAnswer post(const std::string&, const std::string& action, const std::string& body) override
    {
        requests.push_back(body);
        const std::string op = action.substr(action.rfind('/') + 1) + "Response";
        const std::string children = requests.size() <= answers.size() ? answers[requests.size() - 1] : "";
        return {200, R"(<e:Envelope xmlns:e="http://schemas.xmlsoap.org/soap/envelope/"><e:Body><t:)" + op +
                         " xmlns:t=\"" + std::string(proto::wire::kMainNs) + "\">" + children + "</t:" + op +
                         "></e:Body></e:Envelope>"};
    }
    std::vector<std::string> answers, requests;
};

std::string disciplines(std::initializer_list<int> ids)
{
    std::string xml;
    for (int id : ids)
        xml += "<item><DisciplinID>" + std::to_string(id) + "</DisciplinID></item>";
    return xml;
}

std::string info(const char* key, int id, const char* value)
{
    return std::string("<item><Key><Key>Disciplin_Result") + key + "</Key><AssotiatedId>" + std::to_string(id) +
           "</AssotiatedId></Key><Value>" + value + "</Value></item>";
}

} // namespace

TEST(FormatForAgg, OneFormatOnlyWhenAllDistanceDisciplinesShareIt)
{
    struct Case {
        std::string discs, infos;
        RF expected;
    };
    const Case cases[] = {
        {disciplines({4, 5}),
         info("Type", 4, "Distance") + info("Format", 4, "Points") + info("Type", 5, "Distance") +
             info("Format", 5, "Points"),
         RF::rf_Points},
        {disciplines({4}), info("Type", 4, "Distance") + info("Format", 4, "Heights"), RF::rf_Height},
        {disciplines({4, 5}), info("Format", 4, "Points") + info("Format", 5, "Heights"), RF::rf_Unknown},
        {disciplines({4}), info("Type", 4, "Time") + info("Format", 4, "Default"), RF::rf_Unknown},
        {disciplines({4}), "", RF::rf_Unknown},
        {disciplines({4}), info("Type", 4, "") + info("Format", 4, ""), RF::rf_Unknown}, // unstored, answered empty
        {"", "", RF::rf_Unknown},
    };
    for (const Case& c : cases) {
        auto server = std::make_shared<ScriptedServer>();
        server->answers = {c.discs, c.infos};
        proto::setSoapTransport(server);
        proto::THTTPRIO rio;
        auto port = proto::GetDataRetrievalPortType(false, QStringLiteral("http://localhost:8080/drs"), &rio);
        EXPECT_EQ(getResultFormatForAgg(*port, 9), c.expected) << c.infos;
        EXPECT_EQ(server->requests.size(), c.discs.empty() ? 1u : 2u);
        if (c.discs == disciplines({4})) {
            EXPECT_NE(server->requests[1].find("<Keys><Key>Disciplin_ResultType</Key><AssotiatedId>4</AssotiatedId>"
                                               "</Keys><Keys><Key>Disciplin_ResultFormat</Key><AssotiatedId>4"),
                      std::string::npos);
        }
    }
    proto::setSoapTransport(nullptr);
}
