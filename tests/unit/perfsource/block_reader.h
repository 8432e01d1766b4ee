#pragma once
// A reader of performance-data bytes written for the tests alone: raw little-endian fields at
// the published offsets, every length checked, so that it does not share the writer's mistakes.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tools/perfsource/perf_model.h"

namespace lumora::perfsource::testing {

struct ReadObject {
    PerfObjectModel model;  // every instance carries every definition, in definition order
    int64_t perfTime = 0;
    int64_t perfFreq = 0;
};

class BlockReader {
public:
    explicit BlockReader(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}

    // The objects in bytes [offset, offset + length); false with problem() set on any flaw.
    bool ReadObjects(size_t offset, size_t length, size_t count, std::vector<ReadObject>& out) {
        const size_t end = offset + length;
        for (size_t k = 0; k < count; ++k) {
            ReadObject object;
            const uint32_t total = U32(offset);
            if (!Check(offset % 8 == 0 && total % 8 == 0 && total >= 64 && offset + total <= end, "object bounds"))
                return false;
            const uint32_t definitionLength = U32(offset + 4), headerLength = U32(offset + 8);
            const uint32_t numCounters = U32(offset + 32);
            const auto numInstances = static_cast<int32_t>(U32(offset + 40));
            object.model.index = U32(offset + 12);
            object.perfTime = static_cast<int64_t>(U64(offset + 48));
            object.perfFreq = static_cast<int64_t>(U64(offset + 56));
            if (!Check(headerLength == 64 && definitionLength == 64 + 40 * numCounters &&
                           definitionLength <= total && U32(offset + 44) == 0,
                       "object header"))
                return false;
            std::vector<PerfCounterValue> definitions;
            for (uint32_t c = 0; c < numCounters; ++c) {
                const size_t at = offset + headerLength + 40 * c;
                definitions.push_back({U32(at + 4), U32(at + 28), U32(at + 32), U32(at + 36)});
                if (!Check(U32(at) == 40, "definition length")) return false;
            }
            size_t cursor = offset + definitionLength;
            const size_t objectEnd = offset + total;
            if (numInstances == -1) {
                object.model.noInstances = true;
                if (!ReadCounterBlock(cursor, objectEnd, definitions, object.model.counters)) return false;
            }
            for (int32_t i = 0; i < numInstances; ++i) {
                PerfInstanceModel instance;
                if (!Check(cursor % 8 == 0 && cursor + 24 <= objectEnd, "instance bounds")) return false;
                const uint32_t byteLength = U32(cursor), nameOffset = U32(cursor + 16), nameLength = U32(cursor + 20);
                if (!Check(byteLength % 8 == 0 && nameLength >= 2 && nameLength % 2 == 0 &&
                               nameOffset + nameLength <= byteLength && cursor + byteLength <= objectEnd,
                           "instance header"))
                    return false;
                for (uint32_t b = 0; b + 2 < nameLength; b += 2)
                    instance.name.push_back(static_cast<char16_t>(U16(cursor + nameOffset + b)));
                if (!Check(U16(cursor + nameOffset + nameLength - 2) == 0, "name NUL")) return false;
                cursor += byteLength;
                if (!ReadCounterBlock(cursor, objectEnd, definitions, instance.counters)) return false;
                object.model.instances.push_back(std::move(instance));
            }
            if (!Check(cursor == objectEnd, "object length covers exactly its parts")) return false;
            out.push_back(std::move(object));
            offset = objectEnd;
        }
        return Check(offset == end, "objects fill the bytes exactly") && m_problem.empty();
    }

    uint16_t U16(size_t at) {
        if (!Check(at + 1 < m_bytes.size(), "read past the end")) return 0;
        return static_cast<uint16_t>(m_bytes[at] | m_bytes[at + 1] << 8);
    }
    uint32_t U32(size_t at) { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
    uint64_t U64(size_t at) { return U32(at) | static_cast<uint64_t>(U32(at + 4)) << 32; }
    const std::string& problem() const { return m_problem; }

private:
    // Definitions arrive with the offset in `value`; the values come back in their place.
    bool ReadCounterBlock(size_t& cursor, size_t end, const std::vector<PerfCounterValue>& definitions,
                          std::vector<PerfCounterValue>& values) {
        if (!Check(cursor % 8 == 0 && cursor + 4 <= end, "counter block bounds")) return false;
        const uint32_t length = U32(cursor);
        if (!Check(length % 8 == 0 && length >= 4 && cursor + length <= end, "counter block length")) return false;
        for (const PerfCounterValue& definition : definitions) {
            const auto offset = static_cast<size_t>(definition.value);
            const bool sized = definition.size == 4 || definition.size == 8;
            if (!Check(sized && offset >= 4 && offset % definition.size == 0 && offset + definition.size <= length,
                       "counter offset"))
                return false;
            const uint64_t value = definition.size == 8 ? U64(cursor + offset) : U32(cursor + offset);
            values.push_back({definition.index, definition.type, definition.size, value});
        }
        cursor += length;
        return true;
    }

    bool Check(bool condition, const char* what) {
        if (!condition && m_problem.empty()) m_problem = what;
        return condition;
    }

    const std::vector<uint8_t>& m_bytes;
    std::string m_problem;
};

}  // namespace lumora::perfsource::testing

// Where argument-dependent lookup finds them, so that vectors of the model compare too.
namespace lumora::perfsource {

inline bool operator==(const PerfCounterValue& a, const PerfCounterValue& b) {
    return a.index == b.index && a.type == b.type && a.size == b.size && a.value == b.value;
}
inline bool operator==(const PerfInstanceModel& a, const PerfInstanceModel& b) {
    return a.name == b.name && a.counters == b.counters;
}
inline bool operator==(const PerfObjectModel& a, const PerfObjectModel& b) {
    return a.index == b.index && a.noInstances == b.noInstances && a.counters == b.counters &&
           a.instances == b.instances;
}


// Readable failure messages.
inline void PrintTo(const PerfCounterValue& c, std::ostream* os) {
    *os << "{" << c.index << " 0x" << std::hex << c.type << std::dec << " " << c.size << " " << c.value << "}";
}
inline void PrintTo(const PerfInstanceModel& instance, std::ostream* os) {
    *os << "instance \"";
    for (char16_t c : instance.name) *os << (c < 0x80 ? static_cast<char>(c) : '?');
    *os << "\" ";
    for (const PerfCounterValue& c : instance.counters) PrintTo(c, os);
}
inline void PrintTo(const PerfObjectModel& object, std::ostream* os) {
    *os << "object " << object.index << (object.noInstances ? " noinstances " : " ");
    for (const PerfCounterValue& c : object.counters) PrintTo(c, os);
    for (const PerfInstanceModel& instance : object.instances) {
        PrintTo(instance, os);
        *os << "; ";
    }
}

}  // namespace lumora::perfsource
