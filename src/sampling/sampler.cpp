#include "sampling/sampler.h"

#include "sampling/text_format.h"

namespace lumora {

DigitGrouping ParseDigitGrouping(std::u16string_view groupingText, std::u16string separator) {
    DigitGrouping grouping;
    grouping.separator = std::move(separator);
    // Digits separated by semicolons; a final 0 means "repeat the size before it".
    uint32_t size = 0;
    bool haveDigit = false;
    auto finish = [&] {
        if (!haveDigit) return;
        if (size == 0) {
            grouping.repeatLast = !grouping.sizes.empty();
        } else if (size <= 9 && !grouping.repeatLast) {
            grouping.sizes.push_back(static_cast<uint8_t>(size));
        }
        size = 0;
        haveDigit = false;
    };
    for (char16_t unit : groupingText) {
        if (unit >= u'0' && unit <= u'9') {
            size = size * 10 + (unit - u'0');
            if (size > 100) size = 100;
            haveDigit = true;
        } else if (unit == u';') {
            finish();
        } else {
            break;
        }
    }
    finish();
    return grouping;
}

std::u16string GroupDigits(uint64_t value, const DigitGrouping& grouping) {
    const std::u16string digits = DecimalText(value);
    if (grouping.sizes.empty()) return digits;
    // Split from the right: each size in turn, the last one repeated or the rest in one group.
    size_t end = digits.size();
    size_t group = 0;
    std::u16string result;
    std::vector<std::u16string_view> parts;
    const std::u16string_view all(digits);
    while (end > 0) {
        size_t size;
        if (group < grouping.sizes.size()) {
            size = grouping.sizes[group];
        } else if (grouping.repeatLast) {
            size = grouping.sizes.back();
        } else {
            size = end;
        }
        if (size > end) size = end;
        parts.push_back(all.substr(end - size, size));
        end -= size;
        ++group;
    }
    for (size_t i = parts.size(); i-- > 0;) {
        result.append(parts[i]);
        if (i) result.append(grouping.separator);
    }
    return result;
}

std::u16string& __performance_data::AppendExactNumber(std::u16string& text, int64_t value) const {
    const DigitGrouping grouping = m_context.text ? m_context.text->Grouping() : DigitGrouping{};
    text.push_back(u'(');
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0) {
        text.push_back(u'-');
        magnitude = 0 - magnitude;
    }
    text.append(GroupDigits(magnitude, grouping));
    text.push_back(u')');
    return text;
}

bool __performance_data::WriteStatisticsText(char16_t* buffer, size_t capacity) {
    if (!buffer || capacity == 0) return false;
    size_t length = 0;
    while (length < capacity && buffer[length]) ++length;
    if (length == capacity) length = capacity - 1;  // a buffer without its NUL keeps what fits
    std::u16string text(buffer, length);
    if (!GetStatisticsText(text)) return false;
    size_t copied = text.size() < capacity ? text.size() : capacity - 1;
    // Never leave half of a surrogate pair at the cut.
    if (copied < text.size() && copied > 0 && text[copied - 1] >= 0xD800 && text[copied - 1] <= 0xDBFF) --copied;
    text.copy(buffer, copied);
    buffer[copied] = u'\0';
    return true;
}

}  // namespace lumora
