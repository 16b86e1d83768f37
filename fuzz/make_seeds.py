#!/usr/bin/env python3
"""Writes the fuzzer's seed files: a few small valid WAV and AIFF files, one
per layout the reader knows. Run from anywhere; writes into fuzz/seeds/."""
import math
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds")


def chunk(ident, body, big_endian):
    size = struct.pack(">I" if big_endian else "<I", len(body))
    return ident + size + body + (b"\0" if len(body) % 2 else b"")


def riff(chunks):
    body = b"WAVE" + b"".join(chunk(i, b, False) for i, b in chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def form(chunks):
    body = b"AIFF" + b"".join(chunk(i, b, True) for i, b in chunks)
    return b"FORM" + struct.pack(">I", len(body)) + body


def sine(count, scale):
    return [int(round(scale * math.sin(i * 0.3))) for i in range(count)]


def wav_format(tag, channels, rate, bits, sub_tag=None):
    align = (bits + 7) // 8 * channels
    body = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    if sub_tag is not None:
        guid = struct.pack("<H", sub_tag) + bytes.fromhex("000000001000800000aa00389b71")
        body += struct.pack("<HHI", 22, bits, 0) + guid
    return body


def extended(rate):
    exponent = 16383 + rate.bit_length() - 1
    mantissa = rate << (64 - rate.bit_length())
    return struct.pack(">HQ", exponent, mantissa)


def aiff_common(channels, frames, bits, rate):
    return struct.pack(">HIH", channels, frames, bits) + extended(rate)


def le24(values):
    return b"".join(struct.pack("<i", v << 8)[1:] for v in values)


def be24(values):
    return b"".join(struct.pack(">i", v << 8)[:3] for v in values)


SEEDS = {
    "stereo16.wav": riff([(b"fmt ", wav_format(1, 2, 44100, 16)),
                          (b"LIST", b"INFOINAM\x03\0\0\0abc"),
                          (b"data", struct.pack("<40h", *sine(40, 30000)))]),
    "mono8.wav": riff([(b"fmt ", wav_format(1, 1, 8000, 8)),
                       (b"data", bytes(v + 128 for v in sine(33, 120)))]),
    "mono24extensible.wav": riff([(b"fmt ", wav_format(0xFFFE, 1, 48000, 24, 1)),
                                  (b"fact", struct.pack("<I", 30)),
                                  (b"data", le24(sine(30, 8000000)))]),
    "stereofloat.wav": riff([(b"fmt ", wav_format(3, 2, 44100, 32)),
                             (b"data", struct.pack("<32f", *[v / 32768 for v in sine(32, 40000)]))]),
    "stereo16.aif": form([(b"COMM", aiff_common(2, 20, 16, 44100)),
                          (b"INST", bytes([60, 0, 60, 60, 1, 127]) + struct.pack(">hHHHHHH", 0, 1, 1, 2, 0, 0, 0)),
                          (b"MARK", struct.pack(">HHI", 2, 1, 0) + b"\x09beginLoop\0" +
                                    struct.pack(">HI", 2, 0) + b"\x07endLoop\0"),
                          (b"SSND", struct.pack(">II", 0, 0) + struct.pack(">40h", *sine(40, 30000)))]),
    "mono8.aif": form([(b"COMM", aiff_common(1, 31, 8, 22050)),
                       (b"SSND", struct.pack(">II", 0, 0) + struct.pack(">31b", *sine(31, 120)))]),
    "mono24.aif": form([(b"COMM", aiff_common(1, 25, 24, 96000)),
                        (b"SSND", struct.pack(">II", 4, 0) + b"\0\0\0\0" + be24(sine(25, 8000000)))]),
    # Many channels: the import's bounded reading of the first two.
    "sixchannel16.wav": riff([(b"fmt ", wav_format(1, 6, 48000, 16)),
                              (b"data", struct.pack("<60h", *sine(60, 20000)))]),
    "wide16.wav": riff([(b"fmt ", wav_format(1, 2000, 44100, 16)),
                        (b"data", struct.pack("<4000h", *sine(4000, 20000)))]),
}

if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(data)
