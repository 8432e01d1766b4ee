// Arbitrary bytes as a drive's storage device descriptor: the driver's answer is read without
// trusting one offset in it. Under ASan a read past the answer traps; whatever the bytes, the
// texts that reach the statistics are single, trimmed lines no longer than the answer.

#include <cstddef>
#include <cstdint>
#include <string>

#include "sampling/drive_identity.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckLine(const std::u16string& text, size_t size) {
    Check(text.size() <= size);
    if (text.empty()) return;
    Check(text.front() != u' ' && text.back() != u' ');
    for (char16_t unit : text) Check(unit >= 0x20 && unit != 0x7F && unit <= 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumora::DriveIdentity identity;
    if (!lumora::ReadStorageDescriptor(data, size, identity)) {
        Check(size < 32 && identity.description.empty() && identity.serialNumber.empty());
        return 0;
    }
    Check(!identity.description.empty());  // a model, or at least the bus in words
    CheckLine(identity.description, 2 * size + 32);
    CheckLine(identity.serialNumber, size);
    return 0;
}
