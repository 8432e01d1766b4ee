"""Lamps that no monitor shows come back onto the screen, at start-up and when the screen
shrinks under the running lumora.exe; a lamp that shows a corner stays where it was put."""
import ctypes
import unittest

import harness

WM_DISPLAYCHANGE = 0x007E


def lamp_places(session):
    return sorted(tuple(window["rect"][:2]) for window in session.probe_json("windows", "LUMORAIndicator"))


def stored_places(session, *sections):
    stored = harness.stored_settings(session)
    return [(stored.get(section, {}).get("x"), stored.get(section, {}).get("y")) for section in sections]


def settings(places, hidden=()):
    extra = "".join(f"[Physical Drive {number}]\r\nx={x}\r\ny={y}\r\n" for number, (x, y) in enumerate(places))
    extra += "".join(f"[Physical Drive {number}]\r\nx={x}\r\ny={y}\r\nvisible=No\r\n" for number, x, y in hidden)
    return harness.settings_ini(extra=extra, ShowIndicatorLabel="No")


class XRRModeInfo(ctypes.Structure):
    _fields_ = [("id", ctypes.c_ulong), ("width", ctypes.c_uint), ("height", ctypes.c_uint),
                ("dotClock", ctypes.c_ulong)] + [(name, ctypes.c_uint) for name in (
                    "hSyncStart", "hSyncEnd", "hTotal", "hSkew", "vSyncStart", "vSyncEnd", "vTotal")] + [
        ("name", ctypes.c_char_p), ("nameLength", ctypes.c_uint), ("modeFlags", ctypes.c_ulong)]


class XRRScreenResources(ctypes.Structure):
    _fields_ = [("timestamp", ctypes.c_ulong), ("configTimestamp", ctypes.c_ulong),
                ("ncrtc", ctypes.c_int), ("crtcs", ctypes.POINTER(ctypes.c_ulong)),
                ("noutput", ctypes.c_int), ("outputs", ctypes.POINTER(ctypes.c_ulong)),
                ("nmode", ctypes.c_int), ("modes", ctypes.POINTER(XRRModeInfo))]


def shrink_screen(display, width, height):
    """Gives the display's one monitor a smaller mode, as a user choosing a lower resolution or
    swapping monitors would. Xvfb offers only the size it started with, so the mode is made."""
    x11, xrandr = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXrandr.so.2")
    pointer, ulong = ctypes.c_void_p, ctypes.c_ulong
    resources_pointer = ctypes.POINTER(XRRScreenResources)
    x11.XOpenDisplay.restype, x11.XOpenDisplay.argtypes = pointer, [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype, x11.XDefaultRootWindow.argtypes = ulong, [pointer]
    x11.XSync.argtypes, x11.XCloseDisplay.argtypes = [pointer, ctypes.c_int], [pointer]
    xrandr.XRRGetScreenResources.restype = resources_pointer
    xrandr.XRRGetScreenResources.argtypes = [pointer, ulong]
    xrandr.XRRFreeScreenResources.argtypes = [resources_pointer]
    xrandr.XRRCreateMode.restype = ulong
    xrandr.XRRCreateMode.argtypes = [pointer, ulong, ctypes.POINTER(XRRModeInfo)]
    xrandr.XRRAddOutputMode.argtypes = [pointer, ulong, ulong]
    xrandr.XRRSetCrtcConfig.restype = ctypes.c_int
    xrandr.XRRSetCrtcConfig.argtypes = [pointer, resources_pointer, ulong, ulong, ctypes.c_int, ctypes.c_int, ulong,
                                        ctypes.c_ushort, ctypes.POINTER(ulong), ctypes.c_int]
    xrandr.XRRSetScreenSize.argtypes = [pointer, ulong] + [ctypes.c_int] * 4

    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        raise AssertionError("cannot open the session's display")
    try:
        root = x11.XDefaultRootWindow(connection)
        resources = xrandr.XRRGetScreenResources(connection, root)
        name = f"{width}x{height}".encode()
        mode = XRRModeInfo(width=width, height=height, dotClock=60 * width * height, hSyncStart=width,
                           hSyncEnd=width, hTotal=width, vSyncStart=height, vSyncEnd=height, vTotal=height,
                           name=name, nameLength=len(name))
        mode_id = xrandr.XRRCreateMode(connection, root, ctypes.byref(mode))
        output = resources.contents.outputs[0]
        xrandr.XRRAddOutputMode(connection, output, mode_id)
        status = xrandr.XRRSetCrtcConfig(connection, resources, resources.contents.crtcs[0], 0, 0, 0, mode_id, 1,
                                         (ulong * 1)(output), 1)
        xrandr.XRRFreeScreenResources(resources)
        if status != 0:
            raise AssertionError(f"the display refused {width} x {height} ({status})")
        # The millimetres keep 96 DPI.
        xrandr.XRRSetScreenSize(connection, root, width, height, width * 254 // 960, height * 254 // 960)
        x11.XSync(connection, 0)
    finally:
        x11.XCloseDisplay(connection)


class OffscreenLamps(unittest.TestCase):
    def test_a_lost_lamp_comes_onto_the_screen_at_start_and_keeps_its_new_place(self):
        with harness.Session("offscreen-start") as session:
            # Drive 0 from another machine's far monitor; drive 1 shows its top-left corner;
            # drive 2 is switched off and has no lamp to bring back.
            process = session.launch(settings([(5000, 5000), (1015, 760)], hidden=[(2, 5000, 5000)]), "/s",
                                     scenario=harness.disks(drives=3))
            harness.wait_until(lambda: lamp_places(session) == [(1008, 756), (1015, 760)], 20,
                               what="drive 0's lamp in the screen's far corner, drive 1's where it was")
            sections = ("Physical Drive 0", "Physical Drive 1", "Physical Drive 2")
            # Written with the start-up's own save, before anything else could write it.
            self.assertEqual(stored_places(session, *sections[:2]), [("1008", "756"), ("1015", "760")])
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(stored_places(session, *sections), [("1008", "756"), ("1015", "760"), ("5000", "5000")])

    def test_a_lamp_left_off_a_shrunken_screen_comes_back(self):
        with harness.Session("offscreen-display-change") as session:
            process = session.launch(settings([(900, 700), (790, 590)]), "/s")
            harness.wait_until(lambda: lamp_places(session) == [(790, 590), (900, 700)], 20, what="the stored places")
            shrink_screen(session.xvfb.display, 800, 600)
            # Wine tells its windows when a Windows program changes the resolution, not when
            # the X server does; lumora.exe is told here as Windows would tell it.
            session.probe("post", "LUMORADisplayWatch", str(WM_DISPLAYCHANGE), "24", str(600 << 16 | 800))
            harness.wait_until(lambda: lamp_places(session) == [(784, 588), (790, 590)], 20,
                               what="drive 0's lamp in the smaller screen's corner, drive 1's left alone")
            harness.wait_until(lambda: stored_places(session, "Physical Drive 0") == [("784", "588")], 10,
                               what="the new place in settings.ini before the program ends")
            self.assertEqual(session.quit_lumora(process), 0)
            self.assertEqual(stored_places(session, "Physical Drive 0", "Physical Drive 1"),
                             [("784", "588"), ("790", "590")])


if __name__ == "__main__":
    unittest.main()
