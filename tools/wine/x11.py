"""The session's X display seen from outside Wine, through ctypes: a user's keys and pointer
(XTEST), another program's window, and the monitor's mode (RandR)."""
import ctypes
import time


class XAttributes(ctypes.Structure):
    _fields_ = [(name, ctypes.c_ulong) for name in ("background_pixmap", "background_pixel", "border_pixmap",
                                                     "border_pixel")] + [
        ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
        ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
        ("event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
        ("colormap", ctypes.c_ulong), ("cursor", ctypes.c_ulong)]


class XDisplay:
    """The session's X display as a user's hands and another program see it. Keys and pointer go
    through XTEST: Wine does not show keys that another Windows process injects in the state
    that GetAsyncKeyState reads, and only events of one queue keep their order."""
    CONTROL, SHIFT = 0xFFE3, 0xFFE1  # keysyms Control_L and Shift_L
    VIRTUAL_KEYS = {CONTROL: 0x11, SHIFT: 0x10}
    YELLOW = "FFFF00"

    def __init__(self, session):
        self.x11, self.xtest = x11, xtest = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXtst.so.6")
        pointer, ulong, uint, sint = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_int
        x11.XOpenDisplay.restype, x11.XOpenDisplay.argtypes = pointer, [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype, x11.XDefaultRootWindow.argtypes = ulong, [pointer]
        x11.XCreateSimpleWindow.restype = ulong
        x11.XCreateSimpleWindow.argtypes = [pointer, ulong, sint, sint, uint, uint, uint, ulong, ulong]
        x11.XChangeWindowAttributes.argtypes = [pointer, ulong, ulong, ctypes.POINTER(XAttributes)]
        x11.XMapRaised.argtypes = [pointer, ulong]
        x11.XKeysymToKeycode.argtypes = [pointer, ulong]
        x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [pointer]
        xtest.XTestFakeKeyEvent.argtypes = [pointer, uint, sint, ulong]
        xtest.XTestFakeMotionEvent.argtypes = [pointer, sint, sint, sint, ulong]
        xtest.XTestFakeButtonEvent.argtypes = [pointer, uint, sint, ulong]
        self.session = session
        self.display = x11.XOpenDisplay(session.xvfb.display.encode())
        if not self.display:
            raise AssertionError("cannot open the session's display")

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.x11.XCloseDisplay(self.display)  # also takes away the cover

    def key(self, keysym, down):
        self.xtest.XTestFakeKeyEvent(self.display, self.x11.XKeysymToKeycode(self.display, keysym), int(down), 0)
        self.x11.XFlush(self.display)

    def move_pointer(self, points):
        for x, y in points:
            self.xtest.XTestFakeMotionEvent(self.display, -1, x, y, 0)
            self.x11.XFlush(self.display)
            time.sleep(0.05)

    def left_button(self, down):
        self.xtest.XTestFakeButtonEvent(self.display, 1, int(down), 0)
        self.x11.XFlush(self.display)

    def drag(self, start, end, key=None):
        """Presses the left button at start, moves to end in steps as a hand would, releases.
        The key goes down with the pointer already on the lamp: with no window manager the X
        server gives a key to the window under the pointer, and only the lamp's own process
        tells Wine that the key is down, in its own time."""
        self.move_pointer([start])
        if key:
            self.key(key, True)
            self.session.probe("wait-key", str(self.VIRTUAL_KEYS[key]), "10000")
        self.left_button(True)
        self.move_pointer([(start[0] + (end[0] - start[0]) * step // 8, start[1] + (end[1] - start[1]) * step // 8)
                           for step in range(1, 9)])
        self.left_button(False)
        if key:
            self.key(key, False)

    def cover(self, width, height):
        """Raises another program's window over the top-left corner: a plain yellow X window,
        which stays above every window that does not raise itself again."""
        window = self.x11.XCreateSimpleWindow(self.display, self.x11.XDefaultRootWindow(self.display), 0, 0, width,
                                              height, 0, 0, int(self.YELLOW, 16))
        attributes = XAttributes(override_redirect=1)
        self.x11.XChangeWindowAttributes(self.display, window, 1 << 9, ctypes.byref(attributes))  # CWOverrideRedirect
        self.x11.XMapRaised(self.display, window)
        self.x11.XFlush(self.display)


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
