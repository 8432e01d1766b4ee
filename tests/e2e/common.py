"""What the end-to-end tests share and the tools do not: the program's names and numbers as a test
sees them from outside, the settings files a test starts from, and waits on the screen, on
menus and on the lamps."""
import os

import harness
from harness import IDLE, READ, WRITE, screen, settings_path, tray_icons, wait_until  # noqa: F401 (for the tests)

LAMP = "LUMORAIndicator"  # the class of a lamp's window
MENU = "#32768"  # the class of a popup menu's window
TOPMOST_TOOLWINDOW, LAYERED = 0x88, 0x80000
IDC_STATISTICS = 1016
FIRST_TRAY_ICON = ("13", "32")  # the centre of the first icon in Wine's standalone tray
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
PERFDISK_KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\PerfDisk\Performance"


def test_tool(name):
    """One of our Windows test tools in the windows build."""
    return os.path.join(harness.WINDOWS_BUILD, "tests", name + ".exe")


APPEARANCE_KEYS = ("Opacity", "Frequency", "ColorRead", "ColorWrite", "ColorOff", "StatPageRefresh")


def settings_ini(extra="", **values):
    """A versioned settings.ini with each value in its section, after the quick interval, one
    kind of lamp and no tray icon unless the values say otherwise; `extra` sections follow."""
    values = {"Class": 1, "ShowTrayIcon": "No", "Frequency": 100, **values}
    lines = {section: "".join(f"{key}={value}\r\n" for key, value in values.items()
                              if (key in APPEARANCE_KEYS) == (section == "Appearance"))
             for section in ("General", "Appearance")}
    return f"[General]\r\nversion=1.104\r\n{lines['General']}[Appearance]\r\n{lines['Appearance']}{extra}"


def stored_settings(session):
    """{section: {key: value}} of settings.ini as lumora.exe left it; {} while there is none."""
    try:
        with open(settings_path(session), encoding="latin-1") as f:
            text = f.read()
    except OSError:
        return {}
    sections, section = {}, None
    for line in map(str.strip, text.splitlines()):
        if line.startswith("[") and line.endswith("]"):
            section = sections.setdefault(line[1:-1], {})
        elif section is not None and "=" in line:
            key, _, value = line.partition("=")
            section[key] = value
    return sections


def registry(session, key, value):
    """The probe's "TYPE DATA" for a value, or None when the key or the value is missing."""
    done = session.run(harness.PROBE_EXE, "regget", key, value, timeout=30)
    return done.stdout.rstrip("\r\n") if done.returncode == 0 else None


def run_value(session):
    return registry(session, RUN_KEY, "lumora.exe")


def quoted_command(exe=harness.LUMORA_EXE):
    return 'REG_SZ "' + harness.windows_path(exe) + '" s'


def lamps(session):
    found = session.probe_json("windows", LAMP)
    return sorted((tuple(w["rect"]), w["exstyle"], w["visible"]) for w in found)


def lamp_rects(session):
    return sorted(tuple(w["rect"]) for w in session.probe_json("windows", LAMP))


def lamp_places(session):
    return [rect[:2] for rect in lamp_rects(session)]


def whitish(rgb):
    # Wine smooths the glyphs: white blended over the idle blue keeps red equal to green.
    return rgb[0] == rgb[1] >= 0xE0 and rgb[2] >= rgb[0]


def wait_colours(session, colours, what, timeout=20):
    """Waits until every (x, y) shows its RRGGBB colour in one screenshot."""
    def look():
        pixel = screen(session)
        return all(pixel(*point) == colour for point, colour in colours.items())
    wait_until(look, timeout, interval=0.05, what=what)


def visible_menus(session):
    # A menu's window exists before it has its place on the screen.
    return [window["rect"] for window in session.probe_json("windows", MENU) if window["visible"]]


def choose_menu_item(session, item, items=2):
    """Clicks an item of the popup menu once it is on screen, as a user's hand would."""
    menu = wait_until(lambda: visible_menus(session), 10, what="the menu")[0]
    session.probe("click", str(menu[0] + 20), str(menu[1] + (menu[3] - menu[1]) * (2 * item + 1) // (2 * items)))
