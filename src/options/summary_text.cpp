#include "options/summary_text.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "support/utf16_text.h"

namespace lumora {

namespace {

void AppendStatistics(std::u16string& text, __performance_data* sampler) {
    // A fresh text for every device: a sampler with nothing to say must not repeat the last one's.
    std::u16string statistics;
    if (sampler) sampler->GetStatisticsText(statistics);
    AppendAscii(text, "\r\n");
    text += statistics;
    AppendAscii(text, "\r\n");
}

// The lines of a text box's content: "\r\n" ends a line, and the text after the last one is a
// line too (empty when the text ends with a line break).
struct Lines {
    explicit Lines(std::u16string_view text) {
        size_t start = 0;
        for (;;) {
            const size_t end = text.find(u"\r\n", start);
            starts.push_back(start);
            texts.push_back(text.substr(start, end == std::u16string_view::npos ? end : end - start));
            if (end == std::u16string_view::npos) break;
            start = end + 2;
        }
        for (std::u16string_view line : texts) ++counts[line];
    }
    // The line that holds the offset; an offset inside a line break belongs to the line it ends.
    size_t LineOf(size_t offset) const {
        return static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin()) - 1;
    }
    bool Unique(std::u16string_view line) const {
        const auto found = counts.find(line);
        return found != counts.end() && found->second == 1;
    }

    std::vector<size_t> starts;
    std::vector<std::u16string_view> texts;
    std::unordered_map<std::u16string_view, size_t> counts;
};

size_t MapOffset(const Lines& before, const Lines& after, size_t offset) {
    // An offset past the end (the box held more than the old text) lands at the end of a line.
    const size_t line = before.LineOf(offset);
    const size_t column = offset - before.starts[line];
    size_t target = line;
    for (size_t anchor = line + 1; anchor-- > 0;) {
        const std::u16string_view text = before.texts[anchor];
        if (!before.Unique(text) || !after.Unique(text)) continue;
        const size_t found = static_cast<size_t>(std::find(after.texts.begin(), after.texts.end(), text) -
                                                 after.texts.begin());
        target = found + (line - anchor);
        break;
    }
    if (target >= after.texts.size()) target = after.texts.size() - 1;
    const size_t length = after.texts[target].size();
    return after.starts[target] + (column < length ? column : length);
}

}  // namespace

std::u16string BuildSummaryText(const std::vector<SummaryDevice>& shown) {
    std::u16string text;
    for (const SummaryDevice& entry : shown) {
        if (!entry.device) continue;
        switch (entry.device->kind) {
            case DEVICE_PHYSICAL:
                AppendStatistics(text, entry.sampler);
                if (!entry.device->serialNumber.empty()) {
                    AppendAscii(text, "Serial Number: ");
                    text += entry.device->serialNumber;
                    AppendAscii(text, "\r\n");
                }
                if (!entry.device->extraText.empty()) {
                    text += entry.device->extraText;
                    AppendAscii(text, "\r\n");
                }
                break;
            case DEVICE_LOGICAL:
            case DEVICE_ALL_IN_ONE:
                AppendStatistics(text, entry.sampler);
                break;
            default:
                break;
        }
    }
    return text;
}

SummaryPlace KeepSummaryPlace(const std::u16string& oldText, const std::u16string& newText, SummaryPlace place) {
    const Lines before(oldText);
    const Lines after(newText);
    SummaryPlace kept;
    kept.firstVisible = MapOffset(before, after, place.firstVisible);
    kept.selectionStart = MapOffset(before, after, place.selectionStart);
    kept.selectionEnd = MapOffset(before, after, place.selectionEnd);
    // Each end follows its own line; a selection never turns inside out.
    if (kept.selectionEnd < kept.selectionStart) kept.selectionEnd = kept.selectionStart;
    return kept;
}

}  // namespace lumora
