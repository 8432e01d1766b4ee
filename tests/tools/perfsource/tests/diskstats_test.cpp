#include "tools/perfsource/diskstats.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace lumora::perfsource {
namespace {

const char kDiskStats[] =
    "   7       0 loop0 5 5 5 5 5 5 5 5 5 5 5 0 0 0 0\n"
    "   7       1 loop0p1 5 5 5 5 5 5 5 5 5 5 5 0 0 0 0\n"
    "   8       0 sda 4294967301 0 3 4 5 0 7 8 0 0 11 99 99 99 99 99 99\n"
    "   8       1 sda1 100 0 300 400 500 0 700 800 0 0 1100\n"
    "   8       2 sda2 7 0 7 7 7 0 7 7 0 0 7 0 0 0 0\n"
    "   8       3 sda3 1 2 3 4\n"
    " 253       0 zram0 5 5 5 5 5 5 5 5 5 5 5 0 0 0 0\n"
    " 259       0 nvme0n1 1 0 1 1 1 0 1 1 0 0 1 0 0 0 0\n"
    " 259       1 nvme0n1p1 2 0 2 2 2 0 2 2 0 0 2 0 0 0 0\n"
    "   1       0 ram0 5 5 5 5 5 5 5 5 5 5 5 0 0 0 0\n"
    "   x       y bad 1 2 3 4 5 6 7 8 9 10 11\n"
    " 252       0 dm-0 3 0 3 3 3 0 3 3 0 0 3 0 0 0 0";

const char kMountInfo[] =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "23 22 259:1 / /home rw - ext4 /dev/nvme0n1p1 rw\n"
    "24 22 0:30 / /tmp rw - tmpfs tmpfs rw\n"
    "25 23 8:1 / /home/user/my\\040disk rw - vfat /dev/sda1 rw\n"
    "26 22 7:1 / /snap/core rw - squashfs /dev/loop0p1 ro\n"
    "27 22 0:44 / /srv rw - overlay overlay rw\n"
    "28 27 8:1 / /srv rw - ext4 /dev/sda1 rw\n"
    "not a mount line\n";

BlockTopology FakeSysBlock() {
    // The lines of "bad" (words for numbers) and "sda3" (too few fields) must be passed over:
    // read, "bad" would be a disk here, and "sda3" would be read beyond its end.
    const std::set<std::string> disks = {"loop0", "zram0", "ram0", "sda", "nvme0n1", "dm-0", "bad"};
    const std::set<std::pair<std::string, std::string>> partitions = {
        {"sda", "sda1"}, {"sda", "sda2"}, {"nvme0n1", "nvme0n1p1"}, {"loop0", "loop0p1"}};
    return {[disks](const std::string& name) { return disks.count(name) > 0; },
            [partitions](const std::string& disk, const std::string& partition) {
                return partitions.count({disk, partition}) > 0;
            }};
}

// The counters of one instance, from the values a Windows reader should see.
std::vector<PerfCounterValue> Counters(uint64_t busy, uint64_t reading, uint64_t writing, uint64_t bytesRead,
                                       uint64_t bytesWritten, uint64_t reads, uint64_t writes) {
    return {{1400, 0x00550500, 8, busy},      {1402, 0x00550500, 8, reading},  {1404, 0x00550500, 8, writing},
            {226, 0x40020500, 8, bytesRead},  {228, 0x40020500, 8, bytesWritten},
            {214, 0x10410400, 4, reads},      {216, 0x10410400, 4, writes}};
}

TEST(LiveDisks, WholeDisksAndDrivesBecomeWindowsInstances) {
    const std::vector<DriveLocation> drives = {
        {'C', "/home/user/.wine/dosdevices/c:/"},  // on a partition of the second disk
        {'D', "/tmp/lumora"},                      // tmpfs: on no disk
        {'E', "/home/user/my disk/files"},         // an escaped mount point
        {'R', "relative/path"},                    // not even under /
        {'S', "/snap/core/x"},                     // a loop device is no disk
        {'T', "/srv"},                             // the later of two mounts on /srv, exactly there
        {'X', "/homer"},                           // not under /home
        {'Y', ""},                                 // Wine could not say
        {'Z', "/"},
    };
    const std::vector<PerfObjectModel> objects = BuildLiveObjects(kDiskStats, kMountInfo, FakeSysBlock(), drives);

    const auto zero = Counters(0, 0, 0, 0, 0, 0, 0);
    const auto sda = Counters(110000, 40000, 80000, 1536, 3584, 5, 5);  // reads truncated to 32 bits
    const auto sda1 = Counters(11000000, 4000000, 8000000, 153600, 358400, 100, 500);
    const auto sda2 = Counters(70000, 70000, 70000, 3584, 3584, 7, 7);
    const auto nvme = Counters(10000, 10000, 10000, 512, 512, 1, 1);
    const auto nvmePartition = Counters(20000, 20000, 20000, 1024, 1024, 2, 2);
    const auto dm = Counters(30000, 30000, 30000, 1536, 1536, 3, 3);
    const std::vector<PerfObjectModel> expected = {
        {234, false, {}, {{u"0 E: T: X: Z:", sda}, {u"1 C:", nvme}, {u"2", dm},
                          {u"_Total", Counters(150000, 80000, 120000, 3584, 5632, 9, 9)}}},
        {236, false, {}, {{u"C:", nvmePartition}, {u"D:", zero}, {u"E:", sda1}, {u"R:", zero}, {u"S:", zero},
                          {u"T:", sda1}, {u"X:", sda2}, {u"Y:", zero}, {u"Z:", sda2},
                          {u"_Total", Counters(22160000, 8160000, 16160000, 315392, 724992, 216, 1016)}}},
    };
    ASSERT_EQ(objects.size(), expected.size());
    for (size_t i = 0; i < objects.size(); ++i) EXPECT_EQ(objects[i], expected[i]) << "object " << i;
}

TEST(LiveDisks, WithoutDisksOrDrivesOnlyTotalsRemain) {
    const std::vector<PerfObjectModel> expected = {
        {234, false, {}, {{u"_Total", Counters(0, 0, 0, 0, 0, 0, 0)}}},
        {236, false, {}, {{u"C:", Counters(0, 0, 0, 0, 0, 0, 0)}, {u"_Total", Counters(0, 0, 0, 0, 0, 0, 0)}}},
    };
    EXPECT_EQ(BuildLiveObjects("", "", FakeSysBlock(), {{'C', "/"}}), expected);
    EXPECT_EQ(BuildLiveObjects(kDiskStats, kMountInfo, BlockTopology{}, {{'C', "/"}}), expected);
}

}  // namespace
}  // namespace lumora::perfsource
