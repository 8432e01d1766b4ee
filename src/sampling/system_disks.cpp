#include "sampling/system_disks.h"

#include <algorithm>

#include "support/utf16_text.h"

namespace lumora {

std::u16string PhysicalDrivePath(uint32_t number) { return u"\\\\.\\PHYSICALDRIVE" + DecimalText(number); }

std::vector<uint32_t> FindPhysicalDrives(SystemDisks& disks) {
    std::vector<uint32_t> numbers;
    for (uint32_t number = 0; number < kPhysicalDriveSearchLimit; ++number) {
        if (disks.DeviceExists(PhysicalDrivePath(number))) numbers.push_back(number);
    }
    return numbers;
}

std::vector<std::u16string> FindDiskLetters(SystemDisks& disks) {
    std::vector<char16_t> letters;
    for (const std::u16string& root : disks.DriveRoots()) {
        if (root.size() < 2 || root[1] != u':') continue;
        char16_t letter = root[0];
        if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - u'a' + u'A');
        if (letter < u'A' || letter > u'Z') continue;
        const uint32_t type = disks.DriveType(std::u16string{letter, u':', u'\\'});
        if (type == kDriveFixed || type == kDriveRemovable) letters.push_back(letter);
    }
    std::sort(letters.begin(), letters.end());
    letters.erase(std::unique(letters.begin(), letters.end()), letters.end());
    std::vector<std::u16string> names;
    for (char16_t letter : letters) names.push_back(std::u16string{letter, u':'});
    return names;
}

}  // namespace lumora
