#include "tools/perfsource/scenario.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <random>

namespace lumora::perfsource {
namespace {

// One line per model element, names in brackets with anything beyond ASCII as \uXXXX.
std::string Describe(const Scenario& scenario) {
    const char* kinds[] = {"objects", "nothing", "fail", "live"};
    std::string text = std::string(kinds[static_cast<int>(scenario.kind)]) + " min=" +
                       std::to_string(scenario.minimumSize) + "\n";
    auto counters = [&text](const std::vector<PerfCounterValue>& values) {
        for (const PerfCounterValue& c : values) {
            char line[96];
            std::snprintf(line, sizeof(line), "counter %u 0x%X %u %llu\n", c.index, c.type, c.size,
                          static_cast<unsigned long long>(c.value));
            text += line;
        }
    };
    for (const PerfObjectModel& object : scenario.objects) {
        text += "object " + std::to_string(object.index) + (object.noInstances ? " noinstances\n" : "\n");
        counters(object.counters);
        for (const PerfInstanceModel& instance : object.instances) {
            text += "instance [";
            for (char16_t c : instance.name) {
                char escaped[8];
                std::snprintf(escaped, sizeof(escaped), "\\u%04X", static_cast<unsigned>(c));
                text += c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string(escaped);
            }
            text += "]\n";
            counters(instance.counters);
        }
    }
    return text;
}

TEST(Scenario, EveryDirectiveIsUnderstood) {
    const struct {
        std::string text;
        std::string described;
    } cases[] = {
        {"object 234\ninstance 0 C: D:\ncounter 1400 0x00550500 8 123456789012\n",
         "objects min=0\nobject 234\ninstance [0 C: D:]\ncounter 1400 0x550500 8 123456789012\n"},
        {"object 234\nnoinstances\ncounter 1400 0x00550500 8 9\nobject 4294967295\n",
         "objects min=0\nobject 234 noinstances\ncounter 1400 0x550500 8 9\nobject 4294967295\n"},
        {"# a comment\n\n   \t\nobject 234   # trailing comment\n  instance   _Total  \n\tcounter 1 2 4 3 #c\n",
         "objects min=0\nobject 234\ninstance [  _Total]\ncounter 1 0x2 4 3\n"},
        {"object 234\ninstance a # not a comment\ninstance\tb\ninstance x",
         "objects min=0\nobject 234\ninstance [a # not a comment]\ninstance [b]\ninstance [x]\n"},
        {"\xEF\xBB\xBFobject 234\r\ninstance caf\xC3\xA9 \xF0\x9F\x92\xBE\r\n",
         "objects min=0\nobject 234\ninstance [caf\\u00E9 \\uD83D\\uDCBE]\n"},
        {"object 234\ninstance x\nminimum-size 150000\n", "objects min=150000\nobject 234\ninstance [x]\n"},
        {"nothing\n", "nothing min=0\n"},
        {"live\nminimum-size 0200\n", "live min=200\n"},
        {"", "objects min=0\n"},
    };
    for (const auto& c : cases) {
        Scenario scenario;
        std::string error = "stale";
        EXPECT_TRUE(ParseScenario(c.text, scenario, &error)) << c.text << "\n" << error;
        EXPECT_EQ(error, "");
        EXPECT_EQ(Describe(scenario), c.described) << c.text;
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
        EXPECT_EQ(Describe(scenario), "nothing min=0\n") << c.text;
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

TEST(QuerySelection, ReadsGlobalIndexListsAndEverythingElse) {
    using Kind = QuerySelection::Kind;
    const struct {
        std::u16string query;
        Kind kind;
        std::vector<uint32_t> indexes;
    } cases[] = {
        {u"gLoBaL", Kind::all, {}},        {u"  ", Kind::all, {}},
        {u"234 236", Kind::listed, {234, 236}},
        {u" 236\t 234  4294967295 ", Kind::listed, {236, 234, 4294967295}},
        {u"Costly", Kind::none, {}},       {u"234,236", Kind::none, {}},
        {u"4294967296", Kind::none, {}},   {u"Global 234", Kind::none, {}},
        {u"\x0662\x0663\x0664", Kind::none, {}},
    };
    for (const auto& c : cases) {
        const QuerySelection selection = ParseQuery(c.query);
        EXPECT_EQ(selection.kind, c.kind) << c.query.size();
        EXPECT_EQ(selection.indexes, c.indexes) << c.query.size();
    }
}

TEST(QuerySelection, ChoosesObjectsInTheirOwnOrder) {
    std::vector<PerfObjectModel> objects(4);
    const uint32_t indexes[] = {236, 234, 238, 234};
    for (size_t i = 0; i < objects.size(); ++i) objects[i].index = indexes[i];

    const struct {
        std::u16string query;
        std::vector<uint32_t> chosen;
    } cases[] = {
        {u"Global", {236, 234, 238, 234}}, {u"234 236", {236, 234, 234}}, {u"238 238", {238}},
        {u"999", {}},                      {u"Costly", {}},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> chosen;
        for (const PerfObjectModel& object : SelectObjects(objects, ParseQuery(c.query))) chosen.push_back(object.index);
        EXPECT_EQ(chosen, c.chosen) << c.query.size();
    }
}

}  // namespace
}  // namespace lumora::perfsource
