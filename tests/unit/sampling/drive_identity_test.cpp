#include "sampling/drive_identity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "unit/sampling/sampling_fakes.h"

namespace lumora {
namespace {

using testing::StorageDescriptor;

std::vector<uint8_t> WithOffset(std::vector<uint8_t> bytes, size_t offsetAt, uint32_t offset) {
    for (size_t i = 0; i < 4; ++i) bytes[offsetAt + i] = static_cast<uint8_t>(offset >> (8 * i));
    return bytes;
}

TEST(StorageDescriptor, NamesTheModelOrElseTheBusAndNeverReadsPastTheAnswer) {
    const auto samsung = StorageDescriptor("Samsung ", "  SSD 980 PRO 1TB  ", "  S5GXNX0R123456   ", 17);
    auto unterminated = StorageDescriptor(nullptr, "WDC WD10EZEX", nullptr, 11);
    unterminated.pop_back();
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool read;
        std::u16string description, serial;
    };
    const Case cases[] = {
        {"vendor and product joined by one blank", samsung, true, u"Samsung SSD 980 PRO 1TB", u"S5GXNX0R123456"},
        {"Wine: no strings, a SCSI bus", StorageDescriptor(nullptr, nullptr, nullptr, 1), true, u"SCSI disk", u""},
        {"product alone", StorageDescriptor(nullptr, "KINGSTON SA400", "", 11), true, u"KINGSTON SA400", u""},
        {"blank strings count as none", StorageDescriptor("    ", " ", "   ", 7), true, u"USB disk", u""},
        {"the last bus known", StorageDescriptor(nullptr, nullptr, nullptr, 20), true, u"NVMe-oF disk", u""},
        {"a bus unknown here", StorageDescriptor(nullptr, nullptr, nullptr, 21), true, u"disk", u""},
        {"a serial as hex digits stays as given",
         StorageDescriptor("ATA", "ST1000DM003", "2020202057442d5743415a", 3), true, u"ATA ST1000DM003",
         u"2020202057442d5743415a"},
        {"line breaks from the driver become blanks", StorageDescriptor("Ven\r\ndor", "Pro\tduct", nullptr, 0), true,
         u"Ven  dor Pro duct", u""},
        {"an offset past the end", WithOffset(samsung, 16, 5000), true, u"Samsung", u"S5GXNX0R123456"},
        {"an offset just at the end", WithOffset(samsung, 12, static_cast<uint32_t>(samsung.size())), true,
         u"SSD 980 PRO 1TB", u"S5GXNX0R123456"},
        {"an offset into the fixed part", WithOffset(WithOffset(samsung, 12, 8), 16, 35), true, u"NVMe disk",
         u"S5GXNX0R123456"},
        {"a string without its NUL ends with the answer", unterminated, true, u"WDC WD10EZEX", u""},
        {"too short to name the bus", std::vector<uint8_t>(samsung.begin(), samsung.begin() + 31), false, u"", u""},
    };
    for (const Case& c : cases) {
        DriveIdentity identity;
        // A copy of exactly the answer's size, so that the sanitizer sees a read past it.
        const std::unique_ptr<uint8_t[]> exact(new uint8_t[c.bytes.size()]);
        std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
        EXPECT_EQ(ReadStorageDescriptor(exact.get(), c.bytes.size(), identity), c.read) << c.what;
        EXPECT_EQ(identity.description, c.description) << c.what;
        EXPECT_EQ(identity.serialNumber, c.serial) << c.what;
    }
}

}  // namespace
}  // namespace lumora
