#pragma once
// The published layout of a Windows performance-data block (winperf.h, 64-bit build), as plain
// fixed-width structures so that platform-free code can read and write such blocks. Every
// structure is read from untrusted bytes with memcpy, never through a cast pointer.

#include <cstddef>
#include <cstdint>

namespace lumora::perf {

struct SystemTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

struct DataBlock {                    // PERF_DATA_BLOCK
    char16_t signature[4];            // "PERF"
    uint32_t littleEndian;
    uint32_t version;
    uint32_t revision;
    uint32_t totalByteLength;
    uint32_t headerLength;            // offset of the first object
    uint32_t numObjectTypes;
    int32_t defaultObject;
    SystemTime systemTime;
    int64_t perfTime;
    int64_t perfFreq;
    int64_t perfTime100nSec;
    uint32_t systemNameLength;
    uint32_t systemNameOffset;
};

struct ObjectType {                   // PERF_OBJECT_TYPE
    uint32_t totalByteLength;         // step to the next object
    uint32_t definitionLength;        // offset of the first instance
    uint32_t headerLength;            // offset of the first counter definition
    uint32_t objectNameTitleIndex;
    uint32_t objectNameTitle;
    uint32_t objectHelpTitleIndex;
    uint32_t objectHelpTitle;
    uint32_t detailLevel;
    uint32_t numCounters;
    int32_t defaultCounter;
    int32_t numInstances;             // PERF_NO_INSTANCES (-1) for an object without instances
    uint32_t codePage;
    int64_t perfTime;
    int64_t perfFreq;
};

struct CounterDefinition {            // PERF_COUNTER_DEFINITION
    uint32_t byteLength;              // step to the next definition
    uint32_t counterNameTitleIndex;
    uint32_t counterNameTitle;
    uint32_t counterHelpTitleIndex;
    uint32_t counterHelpTitle;
    int32_t defaultScale;
    uint32_t detailLevel;
    uint32_t counterType;
    uint32_t counterSize;
    uint32_t counterOffset;           // from the start of the instance's counter block
};

struct InstanceDefinition {           // PERF_INSTANCE_DEFINITION
    uint32_t byteLength;              // offset of the instance's counter block
    uint32_t parentObjectTitleIndex;
    uint32_t parentObjectInstance;
    int32_t uniqueId;
    uint32_t nameOffset;              // offset of the UTF-16 name, from the instance
    uint32_t nameLength;              // in bytes, with the terminating NUL
};

struct CounterBlock {                 // PERF_COUNTER_BLOCK
    uint32_t byteLength;              // step from the counter block to the next instance
};

static_assert(sizeof(DataBlock) == 88, "PERF_DATA_BLOCK");
static_assert(offsetof(DataBlock, perfTime100nSec) == 72, "PERF_DATA_BLOCK");
static_assert(sizeof(ObjectType) == 64, "PERF_OBJECT_TYPE");
static_assert(offsetof(ObjectType, numInstances) == 40, "PERF_OBJECT_TYPE");
static_assert(sizeof(CounterDefinition) == 40, "PERF_COUNTER_DEFINITION");
static_assert(sizeof(InstanceDefinition) == 24, "PERF_INSTANCE_DEFINITION");
static_assert(sizeof(CounterBlock) == 4, "PERF_COUNTER_BLOCK");

inline constexpr int32_t kNoInstances = -1;

// Object name indexes.
inline constexpr uint32_t kPhysicalDiskObject = 234;
inline constexpr uint32_t kLogicalDiskObject = 236;

// Counter types.
inline constexpr uint32_t kCounterCounter = 0x10410400;       // PERF_COUNTER_COUNTER
inline constexpr uint32_t kCounter100nsQueueLen = 0x00550500; // PERF_COUNTER_100NS_QUEUELEN_TYPE
inline constexpr uint32_t kAverageBulk = 0x40020500;          // PERF_AVERAGE_BULK

// Counter name indexes the samplers read.
inline constexpr uint32_t kDiskReadsPerSec = 214;
inline constexpr uint32_t kDiskWritesPerSec = 216;
inline constexpr uint32_t kAvgDiskBytesPerRead = 226;
inline constexpr uint32_t kAvgDiskBytesPerWrite = 228;
inline constexpr uint32_t kAvgDiskQueueLength = 1400;
inline constexpr uint32_t kAvgDiskReadQueueLength = 1402;
inline constexpr uint32_t kAvgDiskWriteQueueLength = 1404;

}  // namespace lumora::perf
