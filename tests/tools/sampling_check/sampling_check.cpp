// sampling_check ticks TARGET SLEEP_MS STEP...
//
// Builds the device set as lumora.exe does (EnumDrives, CreateIndicators) on the real Win32
// implementations, opens every sampler, and then for each STEP copies that scenario file over
// TARGET (the file the test counter source reads), waits SLEEP_MS, refreshes the performance
// data and updates every sampler. Prints one JSON line with the devices, then one per tick with
// each device's state and statistics text (as a 1024-unit buffer receives it).

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/device_set.h"
#include "sampling/registry_access.h"
#include "sampling/sampler.h"
#include "sampling/win32_sampling.h"
#include "support/wide_text.h"

namespace {

using namespace lumora;

std::string Json(const std::u16string& text) {
    std::string out = "\"";
    for (char16_t unit : text) {
        if (unit == u'"' || unit == u'\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(unit));
            out += escaped;
        } else {
            wchar_t wide[2] = {static_cast<wchar_t>(unit), 0};
            char utf8[8] = {};
            const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide, 1, utf8, sizeof(utf8), nullptr, nullptr);
            out.append(utf8, length > 0 ? length : 0);
        }
    }
    return out + "\"";
}

void PrintDevices() {
    std::string line = "{\"devices\":[";
    for (size_t i = 0; i < g_devices.size(); ++i) {
        const DeviceRecord& device = g_devices[i];
        if (i) line += ",";
        line += "{\"path\":" + Json(device.path) + ",\"name\":" + Json(device.name) + ",\"label\":" +
                Json(device.label) + ",\"kind\":" + std::to_string(device.kind) +
                ",\"description\":" + Json(device.description) + ",\"serialNumber\":" + Json(device.serialNumber) +
                ",\"extraText\":" + Json(device.extraText) + "}";
    }
    std::printf("%s]}\n", line.c_str());
}

void PrintTick(int tick, bool refreshed) {
    std::string states = "[";
    std::string texts = "[";
    for (size_t i = 0; i < g_indicators.size(); ++i) {
        __performance_data& sampler = *g_indicators[i]->m_sampler;
        if (i) {
            states += ",";
            texts += ",";
        }
        states += std::to_string(sampler.m_state);
        char16_t buffer[1024] = {};
        sampler.WriteStatisticsText(buffer, 1024);
        texts += Json(buffer);
    }
    std::printf("{\"tick\":%d,\"refreshed\":%s,\"states\":%s],\"texts\":%s]}\n", tick, refreshed ? "true" : "false",
                states.c_str(), texts.c_str());
}

int Ticks(const wchar_t* target, DWORD sleepMs, int stepCount, wchar_t** steps) {
    Win32SamplingPlatform platform;
    DirectRegistryAccess access(platform.query, platform.perfDisk);
    if (!access.Initialize()) return 1;
    g_pRegistryAccess = &access;
    g_deviceSetContext.registry = &access;
    g_deviceSetContext.volumes = &platform.volumes;
    g_deviceSetContext.disks = &platform.disks;
    g_deviceSetContext.text = &platform.text;
    g_deviceSetContext.systemDisks = &platform.systemDisks;

    if (!::CopyFileW(steps[0], target, FALSE)) {
        std::fprintf(stderr, "cannot copy %ls to %ls: %lu\n", steps[0], target, ::GetLastError());
        return 1;
    }
    EnumDrives();
    CreateIndicators();
    for (auto& record : g_indicators) record->m_sampler->Open();
    PrintDevices();

    for (int tick = 0; tick < stepCount; ++tick) {
        if (!::CopyFileW(steps[tick], target, FALSE)) {
            std::fprintf(stderr, "cannot copy %ls: %lu\n", steps[tick], ::GetLastError());
            return 1;
        }
        ::Sleep(sleepMs);
        const bool refreshed = access.Refresh();
        if (refreshed) {
            for (auto& record : g_indicators) {
                __performance_data& sampler = *record->m_sampler;
                if (!sampler.BeforeUpdate()) continue;
                sampler.m_state = 0;
                sampler.m_state = sampler.Update();
                sampler.AfterUpdate();
            }
        }
        PrintTick(tick, refreshed);
    }
    for (auto& record : g_indicators) record->m_sampler->Close();
    DestroyIndicators();
    g_deviceSetContext = {};
    g_pRegistryAccess = nullptr;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 5 && std::wcscmp(argv[1], L"ticks") == 0) {
        return Ticks(argv[2], static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)), argc - 4, argv + 4);
    }
    std::fprintf(stderr, "usage: sampling_check ticks TARGET SLEEP_MS STEP...\n");
    return 2;
}
