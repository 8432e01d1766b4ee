#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace probe {

// Writes a performance-data block as text in the scenario grammar of the test counter source
// (object / noinstances / instance / counter lines), preceded by one "block ..." summary line,
// so that a test can compare what a reader sees with what the scenario asked for. Checks every
// offset against the block's size and reports "error ..." instead of reading outside it.
std::string DumpPerfBlock(const std::vector<uint8_t>& block);

}  // namespace probe
