#include "indicators/tray_notify.h"

#include "settings/settings_store.h"

namespace lumora {

TrayNotify g_trayNotify{g_settings.UseTrayLed};

void TrayNotify::AddIcon() {
    m_wanted = true;
    if (m_shown || !m_shell) return;
    if (m_shell->Add(TrayIcon::App)) {
        MarkShown(TrayIcon::App);
        // Without version 3 the shell still shows the icon and sends the same mouse messages, so
        // a refused version keeps the icon: forgetting it would strand it on screen until exit.
        m_shell->SetVersion();
        Show(IconForActivity());
        return;
    }
    // The shell refuses to add an icon it already holds: after a DPI or display change it says
    // the taskbar was re-created and keeps its icons. An icon that takes a change is there, and
    // believing otherwise would freeze the lamp and strand the icon at exit.
    const TrayIcon icon = IconForActivity();
    if (m_shell->Modify(icon)) MarkShown(icon);
}

void TrayNotify::RemoveIcon() {
    m_wanted = false;
    if (!m_shown) return;
    m_shown = false;
    if (m_shell) m_shell->Delete();
}

void TrayNotify::ResetActivity() {
    m_activity = 0;
    if (m_shown) Show(m_useTrayLed ? TrayIcon::IdleLamp : TrayIcon::App);
}

void TrayNotify::AddActivity(uint32_t state) noexcept {
    if (m_shown) m_activity |= state;
}

void TrayNotify::UpdateIcon() {
    if (m_shown) Show(IconForActivity());
}

void TrayNotify::OnTaskbarCreated() {
    m_shown = false;
    if (m_wanted) AddIcon();
}

TrayIcon TrayNotify::IconForActivity() const noexcept {
    if (!m_useTrayLed) return TrayIcon::App;
    return m_activity ? TrayIcon::ActiveLamp : TrayIcon::IdleLamp;
}

void TrayNotify::MarkShown(TrayIcon displayed) noexcept {
    m_shown = true;
    m_displayedKnown = true;
    m_displayed = displayed;
}

void TrayNotify::Show(TrayIcon icon) {
    if (m_displayedKnown && icon == m_displayed) return;
    m_displayedKnown = m_shell->Modify(icon);
    m_displayed = icon;
}

}  // namespace lumora
