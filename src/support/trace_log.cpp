#include "support/trace_log.h"

#include "support/utf16_text.h"

namespace lumora {

TraceLog g_trace;
FunctionLog g_log;

void TraceLog::Write(std::u16string_view text) {
    if (!m_sink || text.empty()) return;
    m_sink(text);
}

void TraceLog::Trace(std::u16string_view text) {
    if (!m_sink) return;
    Write(std::u16string(text) + u"\r\n");
}

void TraceLog::TracePart(std::u16string_view text) { Write(text); }

void TraceLog::TraceValue(uint64_t value) {
    if (!m_sink) return;
    Write(DecimalText(value));
}

void TraceLog::TraceText(std::string_view text) {
    if (!m_sink) return;
    std::u16string wide;
    AppendAscii(wide, text);
    Write(wide);
}

void FunctionLog::SetDestination(std::u16string folder, std::u16string fileName, DiagnosticSink sink) {
    m_folder = std::move(folder);
    m_fileName = std::move(fileName);
    m_sink = std::move(sink);
}

bool FunctionLog::Write(std::u16string_view text) {
    if (HasDestination()) m_sink(text);
    return true;
}

bool FunctionLog::LogEnter(std::u16string_view operation) {
    if (!HasDestination()) return true;
    return Write(u"entering " + std::u16string(operation) + u"\n");
}

bool FunctionLog::LogExit(std::u16string_view operation) {
    if (!HasDestination()) return true;
    return Write(u"exiting " + std::u16string(operation) + u"\n");
}

bool FunctionLog::LogFailed(std::u16string_view operation) {
    if (!HasDestination()) return true;
    return Write(std::u16string(operation) + u" failed\n");
}

bool FunctionLog::LogValue(uint32_t value) {
    if (!HasDestination()) return true;
    static const char digits[] = "0123456789abcdef";
    std::u16string text(8, u'0');
    for (int i = 7; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = static_cast<char16_t>(digits[value & 0xF]);
    return Write(text + u"\n");
}

bool FunctionLog::LogText(std::u16string_view text) { return Write(text); }

}  // namespace lumora
