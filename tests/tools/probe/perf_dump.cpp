#include "perf_dump.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "sampling/perf_data_format.h"

namespace probe {
namespace {

using namespace lumora::perf;

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& block) : m_block(block) {}

    template <typename T>
    bool Read(uint64_t offset, T& out) const {
        if (offset > m_block.size() || m_block.size() - offset < sizeof(T)) return false;
        std::memcpy(&out, m_block.data() + offset, sizeof(T));
        return true;
    }

    bool ReadName(uint64_t offset, std::string& out) const {
        out.clear();
        for (uint64_t at = offset;; at += 2) {
            char16_t unit;
            if (!Read(at, unit)) return false;
            if (unit == 0) return true;
            // The counter source only writes names it was given in UTF-8; surrogates pass through.
            if (unit < 0x80) {
                out += static_cast<char>(unit);
            } else if (unit < 0x800) {
                out += static_cast<char>(0xC0 | (unit >> 6));
                out += static_cast<char>(0x80 | (unit & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (unit >> 12));
                out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (unit & 0x3F));
            }
        }
    }

private:
    const std::vector<uint8_t>& m_block;
};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return buffer;
}

bool DumpCounters(const Reader& reader, uint64_t object, const ObjectType& type, uint64_t counterBlock,
                  std::string& out) {
    uint64_t definitionAt = object + type.headerLength;
    for (uint32_t i = 0; i < type.numCounters; ++i) {
        CounterDefinition definition;
        if (!reader.Read(definitionAt, definition) || definition.byteLength == 0) return false;
        uint64_t value = 0;
        const uint64_t valueAt = counterBlock + definition.counterOffset;
        if (definition.counterSize == 4) {
            uint32_t value32;
            if (!reader.Read(valueAt, value32)) return false;
            value = value32;
        } else if (definition.counterSize == 8) {
            if (!reader.Read(valueAt, value)) return false;
        }
        out += Format("counter %u 0x%08X %u %" PRIu64 "\n", definition.counterNameTitleIndex, definition.counterType,
                      definition.counterSize, value);
        definitionAt += definition.byteLength;
    }
    return true;
}

bool DumpObject(const Reader& reader, uint64_t object, const ObjectType& type, std::string& out) {
    out += Format("object %u\n", type.objectNameTitleIndex);
    if (type.numInstances <= 0) {
        out += "noinstances\n";
        return DumpCounters(reader, object, type, object + type.definitionLength, out);
    }
    uint64_t instanceAt = object + type.definitionLength;
    for (int32_t i = 0; i < type.numInstances; ++i) {
        InstanceDefinition instance;
        CounterBlock counters;
        std::string name;
        if (!reader.Read(instanceAt, instance) || !reader.ReadName(instanceAt + instance.nameOffset, name)) {
            return false;
        }
        const uint64_t counterBlock = instanceAt + instance.byteLength;
        if (!reader.Read(counterBlock, counters) || counters.byteLength == 0) return false;
        out += "instance " + name + "\n";
        if (!DumpCounters(reader, object, type, counterBlock, out)) return false;
        instanceAt = counterBlock + counters.byteLength;
    }
    return true;
}

}  // namespace

std::string DumpPerfBlock(const std::vector<uint8_t>& block) {
    Reader reader(block);
    DataBlock header;
    if (!reader.Read(0, header)) return Format("error short block of %" PRIu64 " bytes\n", static_cast<uint64_t>(block.size()));
    std::string out = Format("block size=%" PRIu64 " total=%u header=%u objects=%u\n", static_cast<uint64_t>(block.size()), header.totalByteLength,
                             header.headerLength, header.numObjectTypes);
    uint64_t objectAt = header.headerLength;
    for (uint32_t i = 0; i < header.numObjectTypes; ++i) {
        ObjectType type;
        if (!reader.Read(objectAt, type) || type.totalByteLength == 0 || !DumpObject(reader, objectAt, type, out)) {
            return out + Format("error broken object at %" PRIu64 "\n", objectAt);
        }
        objectAt += type.totalByteLength;
    }
    return out;
}

}  // namespace probe
