#include "tools/perfsource/scenario.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

namespace lumora::perfsource {
namespace {

bool operator==(const Scenario& a, const Scenario& b) {
    return a.kind == b.kind && a.minimumSize == b.minimumSize && a.objects == b.objects;
}

TEST(Scenario, EveryDirectiveIsUnderstood) {
    using Kind = Scenario::Kind;
    const struct {
        std::string text;
        Scenario expected;
    } cases[] = {
        {"object 234\ninstance 0 C: D:\ncounter 1400 0x00550500 8 123456789012\n",
         {Kind::objects, 0, {{234, false, {}, {{u"0 C: D:", {{1400, 0x00550500, 8, 123456789012}}}}}}}},
        {"object 234\nnoinstances\ncounter 1400 0x00550500 8 9\nobject 4294967295\n",
         {Kind::objects, 0, {{234, true, {{1400, 0x00550500, 8, 9}}, {}}, {4294967295, false, {}, {}}}}},
        {"# a comment\n\n   \t\nobject 234   # trailing comment\n  instance   _Total  \n\tcounter 1 2 4 3 #c\n",
         {Kind::objects, 0, {{234, false, {}, {{u"  _Total", {{1, 2, 4, 3}}}}}}}},
        {"object 234\ninstance a # not a comment\ninstance\tb\ninstance x",
         {Kind::objects, 0, {{234, false, {}, {{u"a # not a comment", {}}, {u"b", {}}, {u"x", {}}}}}}},
        {"\xEF\xBB\xBFobject 234\r\ninstance caf\xC3\xA9 \xF0\x9F\x92\xBE\r\n",
         {Kind::objects, 0, {{234, false, {}, {{u"caf\u00e9 \U0001F4BE", {}}}}}}},
        {"nothing\n", {Kind::nothing, 0, {}}},
        {"live\nminimum-size 0200\n", {Kind::live, 200, {}}},
        {"", {Kind::objects, 0, {}}},
    };
    for (const auto& c : cases) {
        Scenario scenario;
        std::string error = "stale";
        EXPECT_TRUE(ParseScenario(c.text, scenario, &error)) << c.text << "\n" << error;
        EXPECT_EQ(error, "");
        EXPECT_TRUE(scenario == c.expected) << c.text;
    }
}

TEST(Scenario, AMalformedLineMakesTheWholeFileAnswerNothing) {
    const struct {
        std::string text;
        std::string error;  // the start of the message
    } cases[] = {
        {"object 234\ninstance x\nbogus 1\n", "line 3: unknown directive \"bogus\""},
        {"object\n", "line 1: object needs"},
        {"object 4294967296\n", "line 1: object needs"},
        {"instance x\n", "line 1: instance before any object"},
        {"object 1\ninstance\n", "line 2: instance without a name"},
        {"object 1\ninstance \xC3\n", "line 2: instance name is not UTF-8"},
        {std::string("object 1\ninstance a\0b\n", 22), "line 2: instance name holds a NUL"},
        {"counter 1 2 4 3\n", "line 1: counter before any object"},
        {"object 1\ncounter 1 2 4 3\n", "line 2: counter before any instance"},
        {"object 1\ninstance x\ncounter 1 2 4\n", "line 3: counter needs"},
        {"object 1\ninstance x\ncounter 0x1 2 4 3\n", "line 3: counter index"},
        {"object 1\ninstance x\ncounter 1 0x100000000 4 3\n", "line 3: counter type"},
        {"object 1\ninstance x\ncounter 1 2 2 3\n", "line 3: counter size must be 4 or 8"},
        {"object 1\ninstance x\ncounter 1 2 4 4294967296\n", "line 3: counter value does not fit in 4 bytes"},
        {"object 1\ninstance x\ncounter 1 2 8 18446744073709551616\n", "line 3: counter value is not"},
        {"noinstances\n", "line 1: noinstances before any object"},
        {"object 1\ninstance x\nnoinstances\n", "line 3: noinstances after an instance"},
        {"object 1\nnoinstances\ninstance x\n", "line 3: instance in an object marked noinstances"},
        {"fail\nlive\n", "line 2: only one of nothing, fail and live"},
        {"minimum-size 1k\n", "line 1: minimum-size needs"},
        {"nothing\nobject 234\n", "nothing, fail and live cannot be combined with objects"},
    };
    for (const auto& c : cases) {
        Scenario scenario;
        scenario.objects.resize(1);
        std::string error;
        EXPECT_FALSE(ParseScenario(c.text, scenario, &error)) << c.text;
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.text;
        EXPECT_TRUE((scenario == Scenario{Scenario::Kind::nothing, 0, {}})) << c.text;
    }
}

TEST(Scenario, AnyBytesEndInAnAnswerWithoutHarm) {
    const std::string pieces[] = {"object ", "instance ", "counter ", "noinstances", "fail", "live",
                                  "minimum-size ", "1400 ", "0x", "8 ", "4 ", "#", "\n", "\r", " ",
                                  "\xC3", "\xF0\x9F", std::string(1, '\0'), "99999999999999999999"};
    std::mt19937 generator(1234);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int count = static_cast<int>(generator() % 40);
        for (int i = 0; i < count; ++i) {
            text += generator() % 4 ? pieces[generator() % std::size(pieces)] : std::string(1, static_cast<char>(generator()));
        }
        Scenario scenario;
        std::string error;
        if (!ParseScenario(text, scenario, &error)) {
            EXPECT_NE(error, "") << text;
            EXPECT_EQ(scenario.kind, Scenario::Kind::nothing);
        }
    }
}

TEST(QuerySelection, ReadsTheQueryAndChoosesObjectsInTheirOwnOrder) {
    using Kind = QuerySelection::Kind;
    std::vector<PerfObjectModel> objects(4);
    const uint32_t indexes[] = {236, 234, 238, 234};
    for (size_t i = 0; i < objects.size(); ++i) objects[i].index = indexes[i];

    const std::vector<uint32_t> all(std::begin(indexes), std::end(indexes));
    const struct {
        std::u16string query;
        Kind kind;
        std::vector<uint32_t> listed, chosen;
    } cases[] = {
        {u"gLoBaL", Kind::all, {}, all},         {u"  ", Kind::all, {}, all},
        {u"234 236", Kind::listed, {234, 236}, {236, 234, 234}},
        {u" 236\t 234  4294967295 ", Kind::listed, {236, 234, 4294967295}, {236, 234, 234}},
        {u"238 238", Kind::listed, {238, 238}, {238}}, {u"999", Kind::listed, {999}, {}},
        {u"Costly", Kind::none, {}, {}},         {u"234,236", Kind::none, {}, {}},
        {u"4294967296", Kind::none, {}, {}},     {u"Global 234", Kind::none, {}, {}},
        {u"\x0662\x0663\x0664", Kind::none, {}, {}},
    };
    for (const auto& c : cases) {
        const QuerySelection selection = ParseQuery(c.query);
        EXPECT_EQ(selection.kind, c.kind) << c.query.size();
        EXPECT_EQ(selection.indexes, c.listed) << c.query.size();
        std::vector<uint32_t> chosen;
        for (const PerfObjectModel& object : SelectObjects(objects, selection)) chosen.push_back(object.index);
        EXPECT_EQ(chosen, c.chosen) << c.query.size();
    }
}

}  // namespace
}  // namespace lumora::perfsource
