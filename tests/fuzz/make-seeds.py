#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into corpus/<target>/ (small, hand-made files
that reach each parser's main paths). Run it again after changing it; the files are kept in
the tree so a fuzz run needs no step before it."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def chunk(ident, body):
    return ident + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def fmt(tag, channels, rate, bits):
    align = channels * ((bits + 7) // 8)
    return struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)


def extensible(channels, rate, bits, sub):
    tail = bytes([0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71])
    return fmt(0xFFFE, channels, rate, bits) + struct.pack("<HHIH", 22, bits, 3, sub) + tail


def frames(count, channels):
    return b"".join(struct.pack("<h", (i * 997 + c * 31) % 30000 - 15000)
                    for i in range(count) for c in range(channels))


def riff(chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def wav_seeds():
    write("WavFileFuzz", "mono.wav", riff([chunk(b"fmt ", fmt(1, 1, 8000, 16)),
                                           chunk(b"data", frames(64, 1))]))
    write("WavFileFuzz", "stereo-list.wav",
          riff([chunk(b"LIST", b"INFOx"), chunk(b"fmt ", fmt(1, 2, 11025, 16)),
                chunk(b"fact", b"\1\2\3"), chunk(b"data", frames(32, 2))]))
    write("WavFileFuzz", "extensible.wav", riff([chunk(b"fmt ", extensible(3, 48000, 16, 1)),
                                                 chunk(b"data", frames(16, 3))]))
    unpadded = riff([chunk(b"fmt ", fmt(1, 1, 8000, 16)), chunk(b"data", frames(8, 1)),
                     chunk(b"note", b"a")])
    write("WavFileFuzz", "unpadded.wav", unpadded[:-1])
    write("WavFileFuzz", "float.wav", riff([chunk(b"fmt ", fmt(3, 1, 8000, 32)),
                                            chunk(b"data", b"\0" * 32)]))


def stream_seeds():
    # Byte 0: bit 0 raw samples, bits 1-2 the channel; byte 1 seeds the piece sizes.
    def stream(name, flags, data):
        write("WavStreamFuzz", name, bytes([flags, 7]) + data)
    unknown = (b"RIFF" + struct.pack("<I", 0xFFFFFFFF) + b"WAVE" + b"fmt " +
               struct.pack("<I", 16) + fmt(1, 1, 48000, 16) + b"data" +
               struct.pack("<I", 0xFFFFFFFF) + frames(40, 1))
    stream("unknown-sizes", 0, unknown)
    zero = (b"RIFF" + struct.pack("<I", 0) + b"WAVE" + chunk(b"fmt ", fmt(1, 2, 8000, 16)) +
            b"data" + struct.pack("<I", 0) + frames(20, 2))
    stream("zero-sizes-second-channel", 2, zero)
    whole = riff([chunk(b"LIST", b"INFOx"), chunk(b"fmt ", extensible(2, 11025, 16, 1)),
                  chunk(b"data", frames(16, 2)), chunk(b"id3 ", b"tag")])
    stream("whole", 0, whole)
    stream("cut-short", 0, whole[:60])
    stream("raw", 1, frames(33, 1) + b"\x01")


def settings_seeds():
    write("SettingsFileFuzz", "settings.ini",
          "; Tarnvel settings\n[Station]\nMyCall=N0CALL\nUTC=1\n\n[Macros]\nF1=<TX>\\r\\nCQ\n"
          "[Sound]\r\nRate = 11025 \r\n")
    write("SettingsFileFuzz", "odd.ini",
          "\xEF\xBB\xBFtop=1\n[]\n=value\n# note\n[ station ]\nmycall=X\nno equals\n[Station]\n"
          "MyCall=Y")
    # A stray CR before CR LF once lost one CR per rewrite.
    write("SettingsFileFuzz", "cr-cr-lf.ini", "[Misc]\r\nNote=a\r\r\n[Odd]\r\r\nMode=1\n")


def palette_seeds():
    write("PaletteFileFuzz", "default.pal",
          "".join("%3i;%3i;%3i\n" % (i * 30, 255 - i * 20, i * 7) for i in range(9)))
    write("PaletteFileFuzz", "crlf-hex.pal", "0x10;020;3\r\n" * 9)
    write("PaletteFileFuzz", "short.pal", "1;2;3\n4;5\n")


MACROS = [
    ("Lookup", "<LOOKUP>"),
    ("CQ", "<TX><CR><LF>CQ CQ CQ DE <MYCALL> <MYCALL> pse K<CR><LF><RXANDCLEAR>"),
    ("Call", "<TX><CR><LF><CALL> DE <MYCALL><CR><LF>"),
    ("Signoff", "73 <CALL> DE <MYCALL> SK<CR><LF><RXANDCLEAR>"),
    ("File", "<FILE>"),
    ("Band", "<BAND:20m><TUNE>"),
    ("Multi\\line", "line one\\r\\nline two\\\\ end"),
    ("", ""),
]


def macro_file_seeds():
    lines = []
    for i in range(24):
        label, text = MACROS[i % len(MACROS)]
        lines += [label, text]
    write("MacroFileFuzz", "defaults.mac", "\n".join(lines) + "\n")
    write("MacroFileFuzz", "crlf.mac", "\r\n".join(lines))
    write("MacroFileFuzz", "short.mac", "\n".join(lines[:7]))


def expander_seeds():
    # The first byte chooses the station's state and options.
    for i, (_, text) in enumerate(MACROS):
        write("MacroExpanderFuzz", "macro%d" % i, bytes([i * 37 % 256]) + text.encode())
    write("MacroExpanderFuzz", "files", b"\xff<FILE:a.txt><FILE:self.txt><FILE:d1><FILE>")
    write("MacroExpanderFuzz", "fields",
          b"\x03<RST><MYRST><NAME><QTH><NOTES><IMD><TIME><DATE><CWID><TXTOGGLE><QSOCMD:x>")
    write("MacroExpanderFuzz", "joined", b"\x02<CLEAR<TX>RX><FILE:<CR>a.txt>")


LOG_LINES = [
    "7;SP9XYZ;20261208140218;5;20261209;;0;14070000;t1;BPSK;599;579;t5;t6;Jan;Krakow;tnx;;;",
    "0;sp1a;20200101120000;90;2020013;20200105;3580000;0;;BPSK;;;;;;;;;;",
    "1;DL1ABC;20041026123400;;;;7035000;7035000;;QPSK;;;;;Hans;Berlin;<EOR> x;;;\r",
    "2;G4XYZ;19991231235959;0;;;0;0;;FSK31;;;;;;;;;;extra;fields",
]


def log_seeds():
    for i, line in enumerate(LOG_LINES):
        write("LogLineFuzz", "line%d" % i, line)
    write("LogMergeFuzz", "two-logs",
          "\n".join(LOG_LINES[1:]) + "\nnot a log line\n\0" + "\n".join(LOG_LINES) + "\n")
    write("LogMergeFuzz", "same", LOG_LINES[0] + "\n\0" + LOG_LINES[0].lower() + "\n")
    write("AdifFuzz", "export.adi",
          "Tarnvel v 1.6 log file exported to ADIF\n<EOH>\n<ADIF_VER:4>1.00\n"
          "<CALL:6>SP9XYZ<TIME_ON:6>140218<QSO_DATE:8>20261208<FREQ:9>14.070000<MODE:4>BPSK"
          "<RST_RCVD:3>579<RST_SENT:3>599<NAME:3>Jan<QTH:6>Krakow<COMMENT:3>tnx<EOR>\n")
    write("AdifFuzz", "band.adi",
          "<call:5>SP9AB<qso_date:8>20041026<time_on:4>1234<band:3>20m<mode:4>BPSK<eor>\n"
          "<CALL:4>K1AB<QSO_DATE:8>20041026<TIME_ON:6>123456<FREQ:9>14.074150<COMMENT:4>a\r\nb"
          "<EOR>\n<CALL:3>XYZ<NOTES:99>short<EOR>")
    write("AdifFuzz", "header.adi", "<PROGRAMID:4>test<EOH><CALL:2>AB<QSO_DATE:8>2004")


def link_seeds():
    write("LinkProtocolFuzz", "request", "REQUEST CAT Ptt\nREQUEST System Topics\n")
    write("LinkProtocolFuzz", "advise",
          "ADVISE QSO Name\nPOKE QSO Name Jan\\tK\nUNADVISE QSO Name\n")
    write("LinkProtocolFuzz", "refused", "POKE CAT Ptt 1\nPOKE QSO Qth a;b\nPOKE QSO Notes x\\\n")
    write("LinkProtocolFuzz", "crlf", "REQUEST QSO TopicItemList\r\nREQUEST qso formats\r\n")


wav_seeds()
stream_seeds()
settings_seeds()
palette_seeds()
macro_file_seeds()
expander_seeds()
log_seeds()
link_seeds()
