"""The options window as a test finds and drives it: the frame, its controls, and its tabs,
whose labels are clicked as a user would, at any DPI."""
import harness

# Pages are child dialogs, the About box the only top-level one.
FRAME, TABS, DIALOG = "LUMORA", "SysTabControl32", "#32770"
# A button that only its own page has.
PAGE_MARKS = {"General": "Where are my indicators?", "Appearance": "Default", "Summary": "Auto refresh"}
# Where each tab's label sits in the tab control, from its top-left corner, in Wine's dialog font
# at 96 DPI.
TAB_LABELS = {"General": (30, 10), "Appearance": (97, 10), "Summary": (172, 10)}


def frames(session):
    return [window for window in session.probe_json("windows", FRAME) if window["visible"]]


def frame(session):
    """The one options window, once it is on screen."""
    shown = harness.wait_until(lambda: frames(session), 20, what="the options window")
    if len(shown) != 1:
        raise AssertionError(f"one options window, not {shown}")
    return shown[0]


def controls(session, **match):
    """The window's controls whose fields match, top to bottom."""
    found = [child for child in session.probe_json("children", FRAME) if all(child[k] == v for k, v in match.items())]
    return sorted(found, key=lambda child: (child["rect"][1], child["rect"][0]))


def click(session, index=0, **match):
    """Clicks the middle of the index-th control whose fields match, as a user would."""
    session.probe("click", *centre(controls(session, **match)[index]["rect"]))


def item_text(session, control_id):
    return session.probe_json("item-text", FRAME, str(control_id))[0]


def wait_closed(session):
    harness.wait_until(lambda: not session.probe_json("windows", FRAME), 10, what="the options window gone")


def page(session):
    """The name of the one page the frame holds and its rectangle; Nones while it holds two."""
    shown = controls(session)
    pages = [child["rect"] for child in shown if child["class"] == DIALOG]
    names = [name for name, mark in PAGE_MARKS.items() if mark in {child["title"] for child in shown}]
    return (names[0], pages[0]) if (len(pages), len(names)) == (1, 1) else (None, None)


def show_tab(session, name, dpi=96):
    """Clicks the tab's label, which lies as far into the tab control as at 96 DPI, grown."""
    tabs = controls(session, **{"class": TABS})[0]["rect"]
    x, y = (value * dpi // 96 for value in TAB_LABELS[name])
    session.probe("click", str(tabs[0] + x), str(tabs[1] + y))
    harness.wait_until(lambda: page(session)[0] == name, 10, what=f"the {name} page at {dpi} DPI")


def centre(rect):
    return str((rect[0] + rect[2]) // 2), str((rect[1] + rect[3]) // 2)


def inside(inner, outer):
    return outer[0] <= inner[0] and outer[1] <= inner[1] and inner[2] <= outer[2] and inner[3] <= outer[3]
