#pragma once
// The scenario file that tells the test counter source what to answer, and the choice of
// objects that a performance-data query string asks for.
//
// One directive a line; blank lines and lines starting with # are ignored, and so are the
// blanks (space, tab, CR) around a line. Outside instance lines a field starting with # ends
// the line. Keywords are lower case.
//   object N                 starts an object (N decimal)
//   instance NAME            starts an instance of the current object; NAME is everything after
//                            the one blank that follows the keyword, UTF-8, not empty
//   counter I T S V          a counter of the current instance, or of the object after
//                            noinstances: I decimal, T decimal or 0x hex, S 4 or 8, V unsigned
//                            decimal that fits in S bytes
//   noinstances              the current object has no instances; must precede its counters
//   nothing | fail | live    what to answer instead of objects; not together with objects,
//                            nor with each other
//   minimum-size N           answer "more data" while the caller's buffer is below N bytes
// A malformed line makes the whole file answer nothing.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/perfsource/perf_model.h"

namespace lumora::perfsource {

struct Scenario {
    enum class Kind { objects, nothing, fail, live };
    Kind kind = Kind::objects;
    uint64_t minimumSize = 0;
    std::vector<PerfObjectModel> objects;  // only for Kind::objects
};

// On a malformed line `out` becomes "nothing", `error` (when given) says which line and why,
// and the answer is false.
bool ParseScenario(std::string_view text, Scenario& out, std::string* error);

// What Collect's first argument asks for.
struct QuerySelection {
    enum class Kind { all, listed, none };
    Kind kind = Kind::all;
    std::vector<uint32_t> indexes;  // only for Kind::listed
};

// "Global" (any case) or empty: all; decimal indexes separated by blanks: those; anything else
// ("Costly", "Foreign ...") asks for objects this source never has.
QuerySelection ParseQuery(std::u16string_view query);

// The objects the query asks for, in their own order.
std::vector<PerfObjectModel> SelectObjects(const std::vector<PerfObjectModel>& objects,
                                           const QuerySelection& selection);

}  // namespace lumora::perfsource
