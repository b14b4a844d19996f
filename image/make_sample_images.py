#!/usr/bin/env python3
"""Writes the sample build inputs firmware.bin and settings.bin.

We have no device firmware of our own to ship, so the updater is built and
tested with stand-ins of the right sizes and character:

  firmware.bin  56,410 bytes. A real build is enciphered, so its byte values
                are spread almost evenly over 0x00-0xFF. The sample holds every
                value 220 or 221 times, shuffled by a fixed-seed generator, so
                the file is the same on every run and every machine.
  settings.bin  2,048 bytes: a factory settings block with a few fields filled
                in and the rest left as erased flash (0xFF).

Run it from anywhere: python3 image/make_sample_images.py
"""

import pathlib
import struct

FIRMWARE_SIZE = 56_410
SETTINGS_SIZE = 2_048


def xorshift32(state):
    while True:
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        yield state


def sample_firmware():
    data = bytearray(i % 256 for i in range(FIRMWARE_SIZE))
    rng = xorshift32(0x4B455354)  # "KEST"
    for i in range(FIRMWARE_SIZE - 1, 0, -1):  # Fisher-Yates
        j = next(rng) % (i + 1)
        data[i], data[j] = data[j], data[i]
    return bytes(data)


def sample_settings():
    block = bytearray(b"\xff" * SETTINGS_SIZE)
    fields = struct.pack(
        "<4sHB B16s8s",
        b"KSTS",           # block marker
        0x0001,            # layout version
        0x01,              # operating mode: tracking
        0x00,              # alarm button: sends to the owner
        b"+70000000000".ljust(16, b"\x00"),  # owner's number
        b"1234".ljust(8, b"\x00"),           # password
    )
    block[: len(fields)] = fields
    # Reporting interval (minutes) and the two server slots, unset.
    block[0x40:0x44] = struct.pack("<HH", 15, 60)
    block[0x80:0xC0] = bytes(64)
    return bytes(block)


def main():
    here = pathlib.Path(__file__).resolve().parent
    (here / "firmware.bin").write_bytes(sample_firmware())
    (here / "settings.bin").write_bytes(sample_settings())


if __name__ == "__main__":
    main()
