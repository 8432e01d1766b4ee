#!/usr/bin/env python3
"""Reads the hardening of a built lumora.exe back from its bytes: check_pe.py EXE

The exe is stripped, so everything is read from the PE headers, the import directory and the
code itself, never from symbol names. Exits 1, naming each protection that is missing."""
import struct
import sys

MAX_SIZE = 500 * 1024
# What the program imports today: Windows' own DLLs. A MinGW runtime DLL here (libssp,
# libstdc++, libgcc, libwinpthread) would have to ship beside the exe and could be planted.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll",
               "msvcrt.dll", "shell32.dll", "shlwapi.dll", "user32.dll"}
DLL_FLAGS = {0x0020: "HIGH_ENTROPY_VA", 0x0040: "DYNAMIC_BASE", 0x0100: "NX_COMPAT",
             0x8000: "TERMINAL_SERVER_AWARE"}
GUI_SUBSYSTEM = 2
CODE_SECTION = 0x20
# The program's __stack_chk_fail (support/win32_stack_guard.cpp) passes this text on within
# its first instructions, as libssp's does.
SMASHING_TEXT = b"*** stack smashing detected ***"


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x20B:
            raise ValueError("not a 64-bit image")
        self.subsystem, self.dll_flags = struct.unpack_from("<HH", data, optional + 68)
        self.import_rva = struct.unpack_from("<I", data, optional + 112 + 8)[0]
        self.sections = []  # (rva, size, file offset, flags)
        for at in range(optional + optional_size, optional + optional_size + 40 * sections, 40):
            size, rva, raw_size, raw = struct.unpack_from("<4I", data, at + 8)
            flags = struct.unpack_from("<I", data, at + 36)[0]
            self.sections.append((rva, min(size, raw_size), raw, flags))

    def offset(self, rva):
        for start, size, raw, _ in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def rva(self, offset):
        for start, size, raw, _ in self.sections:
            if raw <= offset < raw + size:
                return start + offset - raw
        return None

    def ascii_at(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imported_dlls(self):
        names, at = [], self.offset(self.import_rva)
        while True:
            lookup, name, thunks = struct.unpack_from("<I8xII", self.data, at)
            if not (lookup or name or thunks):
                return names
            names.append(self.ascii_at(name))
            at += 20

    def calls_to_stack_chk_fail(self):
        """Call sites of __stack_chk_fail in the code: each is a function the compiler
        gave a canary. The function is found by its reference to the text it reports."""
        text_at = self.data.find(SMASHING_TEXT)
        text_rva = self.rva(text_at) if text_at >= 0 else None
        if text_rva is None:
            return 0
        code = [(rva, raw, size) for rva, size, raw, flags in self.sections if flags & CODE_SECTION]
        reference = None
        for rva, raw, size in code:  # lea rcx, [rip + text] / lea rdx, ...
            for at in range(raw, raw + size - 7):
                if self.data[at] == 0x48 and self.data[at + 1] == 0x8D and self.data[at + 2] in (0x0D, 0x15):
                    if rva + at - raw + 7 + struct.unpack_from("<i", self.data, at + 3)[0] == text_rva:
                        reference = rva + at - raw
        if reference is None:
            return 0
        calls = 0
        for rva, raw, size in code:
            for at in range(raw, raw + size - 5):
                if self.data[at] == 0xE8:
                    target = rva + at - raw + 5 + struct.unpack_from("<i", self.data, at + 1)[0]
                    calls += reference - 16 <= target <= reference
        return calls


def problems(path):
    with open(path, "rb") as f:
        data = f.read()
    image = Image(data)
    found = []
    if len(data) > MAX_SIZE:
        found.append(f"{len(data)} bytes, more than {MAX_SIZE}")
    found += [f"DllCharacteristics lacks {name}" for bit, name in DLL_FLAGS.items() if not image.dll_flags & bit]
    if image.subsystem != GUI_SUBSYSTEM:
        found.append(f"subsystem {image.subsystem}, not the GUI's {GUI_SUBSYSTEM}")
    found += [f"imports {dll}, which is not a system DLL" for dll in image.imported_dlls()
              if dll.lower() not in SYSTEM_DLLS]
    # Imported or looked up by name, the name is in the image only if the start-up asks for it.
    if b"SetDefaultDllDirectories\0" not in data:
        found.append("SetDefaultDllDirectories is never called: DLLs may load from the exe's folder")
    # A stray reference or two proves nothing; the program's own code, instrumented, has hundreds.
    calls = image.calls_to_stack_chk_fail()
    if calls < 10:
        found.append(f"{calls} calls to __stack_chk_fail: the code has no stack protector")
    return found


def main():
    if len(sys.argv) != 2:
        print(__doc__.splitlines()[0])
        return 2
    found = problems(sys.argv[1])
    for problem in found:
        print(f"{sys.argv[1]}: {problem}")
    if not found:
        print(f"{sys.argv[1]}: hardened")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
