#pragma once
// The notification-area icon: shown while the user wants it, and, with UseTrayLed, a second
// activity lamp that follows the update tick. The shell is reached only through NotifyIconShell.

#include <cstdint>

namespace lumora {

// Sent by the shell to the window that owns the icon; wParam is kTrayIconId.
inline constexpr uint32_t kTrayCallbackMessage = 0x0411;
inline constexpr uint32_t kTrayIconId = 1;
// Two spaces before the hyphen: users have always seen it so.
inline constexpr char16_t kTrayTip[] = u"Lumora Indicator  - HDD activity monitor";

enum class TrayIcon : uint8_t { App, IdleLamp, ActiveLamp };

// One operation per Shell_NotifyIconW message, for the icon of the owner window; true when the
// shell accepted it.
class NotifyIconShell {
public:
    virtual ~NotifyIconShell() = default;
    // NIM_ADD with the callback message, the icon and the tip.
    virtual bool Add(TrayIcon icon) = 0;
    // NIM_SETVERSION to version 3.
    virtual bool SetVersion() = 0;
    // NIM_MODIFY of the icon (with the callback message and tip again).
    virtual bool Modify(TrayIcon icon) = 0;
    // NIM_DELETE.
    virtual bool Delete() = 0;
};

class TrayNotify {
public:
    // useTrayLed is read at every call, so that a change on the options page applies at once.
    explicit TrayNotify(const int32_t& useTrayLed) noexcept : m_useTrayLed(useTrayLed) {}
    TrayNotify(const TrayNotify&) = delete;
    TrayNotify& operator=(const TrayNotify&) = delete;

    // Until a shell is attached no icon can be shown. The shell must outlive its attachment, and
    // is detached only after RemoveIcon.
    void Attach(NotifyIconShell* shell) noexcept { m_shell = shell; }

    void AddIcon();
    void RemoveIcon();
    // Forgets the activity and shows the idle lamp (or the program icon without UseTrayLed).
    void ResetActivity();
    void AddActivity(uint32_t state) noexcept;
    // Shows the lamp for the activity gathered since the last reset.
    void UpdateIcon();

    // The update tick: BeginTick where the tick starts, AddActivity per sampled lamp, and EndTick
    // on every way out of the tick, an early one included. The shell then hears only of a
    // changed icon, once per tick at most, and the user sees what a reset followed by an
    // update would have shown.
    void BeginTick() noexcept { m_activity = 0; }
    void EndTick() { UpdateIcon(); }

    // A new taskbar knows no icons, and the broadcast after a DPI or display change comes with
    // the old icons kept: either way the icon the user wants is there once afterwards.
    void OnTaskbarCreated();

    bool IsIconShown() const noexcept { return m_shown; }

private:
    TrayIcon IconForActivity() const noexcept;
    void MarkShown(TrayIcon displayed) noexcept;
    void Show(TrayIcon icon);

    const int32_t& m_useTrayLed;
    NotifyIconShell* m_shell = nullptr;
    uint32_t m_activity = 0;
    // The user asked for an icon (AddIcon since the last RemoveIcon), shown or not.
    bool m_wanted = false;
    bool m_shown = false;
    // What the shell displays; unknown after a refused modify, so that the next one is sent.
    bool m_displayedKnown = false;
    TrayIcon m_displayed = TrayIcon::App;
};

// The program's icon, following g_settings.UseTrayLed.
extern TrayNotify g_trayNotify;

}  // namespace lumora
