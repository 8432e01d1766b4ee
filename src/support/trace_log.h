#pragma once
// The two diagnostic channels: the start-up trace and the function log of the file-system
// helpers. Both are switched off for good in the program: the trace has no sink and the
// function log no folder, so every call returns without writing, creating no file, window or
// thread. The call sites stay, so that a sink can be attached when debugging (tests do).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace lumora {

// Receives finished text; UTF-16, line ends as written.
using DiagnosticSink = std::function<void(std::u16string_view)>;

class TraceLog {
public:
    // Write the text and end the line.
    void Trace(std::u16string_view text);
    // Write the text and keep the line open for what follows.
    void TracePart(std::u16string_view text);
    // Append a number (an instance handle, a class atom) in decimal.
    void TraceValue(uint64_t value);
    // Append narrow text (a line break).
    void TraceText(std::string_view text);

    void AttachSink(DiagnosticSink sink) { m_sink = std::move(sink); }
    bool IsOpen() const { return static_cast<bool>(m_sink); }

private:
    void Write(std::u16string_view text);

    DiagnosticSink m_sink;
};

class FunctionLog {
public:
    virtual ~FunctionLog() = default;

    bool LogEnter(std::u16string_view operation);
    bool LogExit(std::u16string_view operation);
    bool LogFailed(std::u16string_view operation);
    bool LogValue(uint32_t value);
    bool LogText(std::u16string_view text);

    // A write goes nowhere while the folder is empty; the program never gives it one.
    void SetDestination(std::u16string folder, std::u16string fileName, DiagnosticSink sink);
    bool HasDestination() const { return !m_folder.empty() && static_cast<bool>(m_sink); }

private:
    bool Write(std::u16string_view text);

    std::u16string m_folder;
    std::u16string m_fileName;
    DiagnosticSink m_sink;
};

extern TraceLog g_trace;
extern FunctionLog g_log;

}  // namespace lumora
