#!/usr/bin/env python3
"""Writes deterministic development firmware images with the shape of the product's.

The maker's images are not part of this repository. These stand-ins have the real sizes and
header bytes, so plans, progress ranges and device memory checks behave as with the real ones:
  dongle-*.ff   image text, 65,554 bytes, header 7B 3A (M 131,072, G 256, Z 65,536, T 3)
  headset-*.ef  image text, 20,396 bytes, header 6A 42 (M 65,536, G 128, T 0)
  mcu-*.bin     raw, 7,168 bytes; regular and shroud are the same image
Regular and shroud Avnera images differ in content.
"""
import argparse
import pathlib

SECTIONS = {
    "dongle": [(0x0000, "boot", r"fw\dongle\boot.hex"), (0x0800, "radio", r"fw\dongle\radio.hex"),
               (0x8000, "audio", r"fw\dongle\audio.hex"), (0x10000, "config", r"fw\dongle\cfg.hex")],
    "headset": [(0x0000, "boot", r"fw\headset\boot.hex"), (0x0600, "radio", r"fw\headset\radio.hex"),
                (0x3000, "audio", r"fw\headset\audio.hex")],
}


def pseudo_random_bytes(seed: int, count: int) -> bytearray:
    """xorshift32: the same bytes on every machine and Python version."""
    state = seed & 0xFFFFFFFF or 1
    out = bytearray()
    for _ in range(count):
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        out.append(state & 0xFF)
    return out


def avnera_image(kind: str, seed: int, size: int, header: bytes) -> bytes:
    image = pseudo_random_bytes(seed, size)
    image[0:len(header)] = header
    return bytes(image)


def image_text(kind: str, image: bytes) -> bytes:
    starts = {start: (name, path) for start, name, path in SECTIONS[kind]}
    lines = []
    for address, value in enumerate(image):
        line = f"{value:02X} // 0x{address:04x}"
        if address in starts:
            name, path = starts[address]
            line += f" IMAGE:  {name} ({path})"
        lines.append(line + "\n")
    return "".join(lines).encode("ascii")


def write_if_changed(path: pathlib.Path, content: bytes):
    if not path.exists() or path.read_bytes() != content:
        path.write_bytes(content)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True, type=pathlib.Path)
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    for variant, seed in (("regular", 0x5EED0001), ("shroud", 0x5EED0002)):
        dongle = avnera_image("dongle", seed, 65554, b"\x7B\x3A")
        headset = avnera_image("headset", seed ^ 0xA5A5A5A5, 20396, b"\x6A\x42")
        write_if_changed(args.out / f"dongle-{variant}.ff", image_text("dongle", dongle))
        write_if_changed(args.out / f"headset-{variant}.ef", image_text("headset", headset))
        write_if_changed(args.out / f"mcu-{variant}.bin", bytes(pseudo_random_bytes(0x4D435531, 7168)))


if __name__ == "__main__":
    main()
