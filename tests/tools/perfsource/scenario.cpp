#include "tools/perfsource/scenario.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "tools/perfsource/text_fields.h"

namespace lumora::perfsource {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

class ScenarioParser {
public:
    // False with m_problem set on the first malformed line.
    bool Parse(std::string_view text) {
        if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
            text.remove_prefix(kUtf8ByteOrderMark.size());
        }
        size_t lineNumber = 0;
        while (!text.empty()) {
            ++lineNumber;
            const size_t end = text.find('\n');
            const std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (!ParseLine(TrimBlanks(line))) {
                m_problem = "line " + std::to_string(lineNumber) + ": " + m_problem;
                return false;
            }
        }
        if (m_kindGiven && !m_scenario.objects.empty()) {
            m_problem = "nothing, fail and live cannot be combined with objects";
            return false;
        }
        return true;
    }

    Scenario& scenario() { return m_scenario; }
    const std::string& problem() const { return m_problem; }

private:
    bool Fail(std::string problem) {
        m_problem = std::move(problem);
        return false;
    }

    bool ParseLine(std::string_view line) {
        if (line.empty() || line.front() == '#') return true;
        const std::string_view keyword = line.substr(0, FieldEnd(line));
        if (keyword == "instance") return ParseInstance(line.substr(keyword.size()));

        std::vector<std::string_view> fields = SplitFields(line);
        const auto comment = std::find_if(fields.begin(), fields.end(),
                                          [](std::string_view field) { return field.front() == '#'; });
        fields.erase(comment, fields.end());
        const std::vector<std::string_view> arguments(fields.begin() + 1, fields.end());

        if (keyword == "object") return ParseObject(arguments);
        if (keyword == "counter") return ParseCounter(arguments);
        if (keyword == "noinstances") return ParseNoInstances(arguments);
        if (keyword == "minimum-size") return ParseMinimumSize(arguments);
        if (keyword == "nothing") return ParseKind(arguments, Scenario::Kind::nothing, keyword);
        if (keyword == "fail") return ParseKind(arguments, Scenario::Kind::fail, keyword);
        if (keyword == "live") return ParseKind(arguments, Scenario::Kind::live, keyword);
        return Fail("unknown directive \"" + std::string(keyword) + "\"");
    }

    static size_t FieldEnd(std::string_view line) {
        size_t i = 0;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        return i;
    }

    // `rest` starts right after the keyword; names keep their inner and leading blanks.
    bool ParseInstance(std::string_view rest) {
        if (rest.empty()) return Fail("instance without a name");
        const std::string_view name = rest.substr(1);
        if (m_scenario.objects.empty()) return Fail("instance before any object");
        PerfObjectModel& object = m_scenario.objects.back();
        if (object.noInstances) return Fail("instance in an object marked noinstances");
        PerfInstanceModel instance;
        if (!Utf8ToUtf16(name, instance.name)) return Fail("instance name is not UTF-8");
        if (instance.name.find(u'\0') != std::u16string::npos) return Fail("instance name holds a NUL");
        object.instances.push_back(std::move(instance));
        return true;
    }

    bool ParseObject(const std::vector<std::string_view>& arguments) {
        PerfObjectModel object;
        if (arguments.size() != 1 || !ParseDecimal(arguments[0], object.index)) {
            return Fail("object needs one decimal index");
        }
        m_scenario.objects.push_back(std::move(object));
        return true;
    }

    bool ParseNoInstances(const std::vector<std::string_view>& arguments) {
        if (!arguments.empty()) return Fail("noinstances takes nothing after it");
        if (m_scenario.objects.empty()) return Fail("noinstances before any object");
        PerfObjectModel& object = m_scenario.objects.back();
        if (object.noInstances) return Fail("noinstances given twice");
        if (!object.instances.empty()) return Fail("noinstances after an instance");
        object.noInstances = true;
        return true;
    }

    bool ParseCounter(const std::vector<std::string_view>& arguments) {
        if (arguments.size() != 4) return Fail("counter needs index, type, size and value");
        PerfCounterValue counter;
        if (!ParseDecimal(arguments[0], counter.index)) return Fail("counter index is not a decimal number");
        if (!ParseType(arguments[1], counter.type)) return Fail("counter type is not a decimal or 0x number");
        if (!ParseDecimal(arguments[2], counter.size) || (counter.size != 4 && counter.size != 8)) {
            return Fail("counter size must be 4 or 8");
        }
        if (!ParseDecimal(arguments[3], counter.value)) return Fail("counter value is not an unsigned decimal");
        if (counter.size == 4 && counter.value > std::numeric_limits<uint32_t>::max()) {
            return Fail("counter value does not fit in 4 bytes");
        }

        if (m_scenario.objects.empty()) return Fail("counter before any object");
        PerfObjectModel& object = m_scenario.objects.back();
        if (object.noInstances) {
            object.counters.push_back(counter);
        } else if (!object.instances.empty()) {
            object.instances.back().counters.push_back(counter);
        } else {
            return Fail("counter before any instance (or noinstances)");
        }
        return true;
    }

    static bool ParseType(std::string_view text, uint32_t& type) {
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            return ParseHexadecimal(text.substr(2), type);
        }
        return ParseDecimal(text, type);
    }

    bool ParseMinimumSize(const std::vector<std::string_view>& arguments) {
        if (m_minimumSizeGiven) return Fail("minimum-size given twice");
        if (arguments.size() != 1 || !ParseDecimal(arguments[0], m_scenario.minimumSize)) {
            return Fail("minimum-size needs one decimal byte count");
        }
        m_minimumSizeGiven = true;
        return true;
    }

    bool ParseKind(const std::vector<std::string_view>& arguments, Scenario::Kind kind, std::string_view keyword) {
        if (!arguments.empty()) return Fail(std::string(keyword) + " takes nothing after it");
        if (m_kindGiven && m_scenario.kind != kind) return Fail("only one of nothing, fail and live");
        m_kindGiven = true;
        m_scenario.kind = kind;
        return true;
    }

    Scenario m_scenario;
    bool m_kindGiven = false;
    bool m_minimumSizeGiven = false;
    std::string m_problem;
};

bool IsGlobal(std::u16string_view query) {
    constexpr std::u16string_view kGlobal = u"global";
    if (query.size() != kGlobal.size()) return false;
    for (size_t i = 0; i < query.size(); ++i) {
        char16_t c = query[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != kGlobal[i]) return false;
    }
    return true;
}

bool IsQueryBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

bool ParseScenario(std::string_view text, Scenario& out, std::string* error) {
    ScenarioParser parser;
    if (!parser.Parse(text)) {
        out = Scenario{};
        out.kind = Scenario::Kind::nothing;
        if (error) *error = parser.problem();
        return false;
    }
    out = std::move(parser.scenario());
    if (error) error->clear();
    return true;
}

QuerySelection ParseQuery(std::u16string_view query) {
    size_t begin = 0;
    size_t end = query.size();
    while (begin < end && IsQueryBlank(query[begin])) ++begin;
    while (end > begin && IsQueryBlank(query[end - 1])) --end;
    query = query.substr(begin, end - begin);

    QuerySelection selection;
    if (query.empty() || IsGlobal(query)) return selection;

    selection.kind = QuerySelection::Kind::listed;
    size_t i = 0;
    while (i < query.size()) {
        uint64_t index = 0;
        size_t digits = 0;
        while (i < query.size() && query[i] >= u'0' && query[i] <= u'9') {
            index = index * 10 + static_cast<uint64_t>(query[i] - u'0');
            ++digits;
            ++i;
            if (index > std::numeric_limits<uint32_t>::max()) return {QuerySelection::Kind::none, {}};
        }
        const bool separated = i == query.size() || IsQueryBlank(query[i]);
        if (digits == 0 || !separated) return {QuerySelection::Kind::none, {}};
        selection.indexes.push_back(static_cast<uint32_t>(index));
        while (i < query.size() && IsQueryBlank(query[i])) ++i;
    }
    return selection;
}

std::vector<PerfObjectModel> SelectObjects(const std::vector<PerfObjectModel>& objects,
                                           const QuerySelection& selection) {
    switch (selection.kind) {
        case QuerySelection::Kind::all:
            return objects;
        case QuerySelection::Kind::none:
            return {};
        case QuerySelection::Kind::listed:
            break;
    }
    std::vector<PerfObjectModel> chosen;
    for (const PerfObjectModel& object : objects) {
        const auto& wanted = selection.indexes;
        if (std::find(wanted.begin(), wanted.end(), object.index) != wanted.end()) chosen.push_back(object);
    }
    return chosen;
}

}  // namespace lumora::perfsource
