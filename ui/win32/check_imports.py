#!/usr/bin/env python3
"""Fails when a Windows program imports something that Windows 7 lacks.

    check_imports.py OBJDUMP PROGRAM.exe

The headers already hide calls newer than Windows 7 from our own code; this
looks at what the linked program really imports, so that it also catches what
the static C and C++ runtimes and winpthreads bring in. Every DLL must be one
of Windows 7's own, and none of the functions below may be imported directly:
each appeared after Windows 7 (Microsoft's "Minimum supported client") and is
what a newer runtime or a careless call would reach for. Such a function has
to be looked up with GetProcAddress instead.
"""
import subprocess
import sys

# Windows 7's own DLLs that a program like this one may use. The Universal C
# Runtime (ucrtbase.dll, api-ms-win-crt-*) came only with an update to it, and
# the api-ms-win-* sets are not meant to be linked against by name.
WINDOWS7_DLLS = {
    "advapi32.dll", "cfgmgr32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll",
    "kernel32.dll", "msvcrt.dll", "ntdll.dll", "ole32.dll", "setupapi.dll",
    "shell32.dll", "user32.dll", "uxtheme.dll", "version.dll", "winmm.dll",
    "ws2_32.dll",
}

NEWER_THAN_WINDOWS7 = {
    # Windows 8
    "CreateFile2", "GetCurrentThreadStackLimits", "GetProcessInformation",
    "GetSystemTimePreciseAsFileTime", "InitializeSynchronizationBarrier",
    "EnterSynchronizationBarrier", "DeleteSynchronizationBarrier",
    "SetProcessInformation", "WaitOnAddress", "WakeByAddressAll",
    "WakeByAddressSingle", "CM_Register_Notification",
    # Windows 10
    "GetDpiForSystem", "GetDpiForWindow", "GetSystemMetricsForDpi",
    "AdjustWindowRectExForDpi", "SetProcessDpiAwarenessContext",
    "SetThreadDpiAwarenessContext", "SetThreadDescription",
    "GetThreadDescription", "IsWow64Process2",
}


def imports(objdump, program):
    """Yields (DLL, function) for each import by name of the program."""
    listing = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                             text=True).stdout
    dll = None
    for line in listing.splitlines():
        words = line.split()
        if line.lstrip().startswith("DLL Name:"):
            dll = words[-1].lower()
            yield dll, None
        elif dll and not words:
            dll = None
        elif dll and len(words) == 3 and all(c in "0123456789abcdef" for c in words[0]):
            # vma, hint and name; the header line has words too, but not hex.
            yield dll, words[2]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    objdump, program = sys.argv[1:]
    dlls, functions, faults = set(), 0, []
    for dll, function in imports(objdump, program):
        if function is None:
            dlls.add(dll)
            if dll not in WINDOWS7_DLLS:
                faults.append(f"{dll}: not a DLL of Windows 7")
        else:
            functions += 1
            if function in NEWER_THAN_WINDOWS7:
                faults.append(f"{dll} {function}: newer than Windows 7; look it up at run time")
    if not dlls:
        faults.append("no imports found: is this a Windows program?")
    for fault in faults:
        print(f"{program}: {fault}", file=sys.stderr)
    if faults:
        sys.exit(1)
    print(f"{program}: {functions} functions from {', '.join(sorted(dlls))}: all on Windows 7")


if __name__ == "__main__":
    main()
