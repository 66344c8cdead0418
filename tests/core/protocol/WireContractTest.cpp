// The wire contract guard: the declarations must give exactly the agreed text.

#include "core/protocol/WireContract.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace tvp::proto;

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(WireContract, TheDeclarationsGiveTheAgreedContract)
{
    std::ifstream file(TVP_WIRE_CONTRACT_FILE, std::ios::binary);
    ASSERT_TRUE(file) << "missing " << TVP_WIRE_CONTRACT_FILE;
    const std::string agreed((std::istreambuf_iterator<char>(file)), {});
    const std::string now = wireContractText();
    if (now == agreed)
        return;
    // Name the first line that differs; the whole diff is one regeneration away.
    const auto a = linesOf(agreed);
    const auto n = linesOf(now);
    std::size_t i = 0;
    while (i < a.size() && i < n.size() && a[i] == n[i])
        ++i;
    ADD_FAILURE() << "The wire contract changed at line " << i + 1
                  << ":\n  agreed:  " << (i < a.size() ? a[i] : "(end)")
                  << "\n  now:     " << (i < n.size() ? n[i] : "(end)")
                  << "\nIf the change is intended, run: cmake --build build --target wire-contract"
                     " and commit docs/wire-contract.txt.";
}

// A server decodes both forms of an overloaded operation into its first entry, so the second
// form's arguments must appear there too, with their types and in the same order.
TEST(WireContract, AnOverloadsArgumentsAreASubsequenceOfItsFirstEntry)
{
    using Arguments = std::vector<std::pair<std::string_view, std::string>>;
    auto argumentsOf = []<Operation Op>() {
        Arguments out;
        applyFields(
            [&](const auto&... f) {
                (out.emplace_back(f.name,
                                  typeid(std::remove_cvref_t<decltype(std::declval<Op&>().*(f.member))>).name()),
                 ...);
            },
            Op::fields());
        return out;
    };
    std::map<std::string_view, Arguments> first;
    int overloads = 0;
    forEachOperation([&]<Operation Op>() {
        const Arguments mine = argumentsOf.template operator()<Op>();
        if (!Op::isOverload) {
            first.emplace(Op::name, mine);
            return;
        }
        ++overloads;
        ASSERT_TRUE(first.contains(Op::name)) << Op::name;
        const Arguments& all = first[Op::name];
        auto at = all.begin();
        for (const auto& argument : mine) {
            at = std::find(at, all.end(), argument);
            EXPECT_NE(at, all.end()) << Op::name << ": " << argument.first;
        }
    });
    EXPECT_EQ(overloads, 2);
}
