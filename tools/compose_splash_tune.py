#!/usr/bin/env python3
"""Writes resources/Internet.mid, the tune that plays while the ZANT splash is shown.

A cheerful sixteen-bar tune in C major at 120 beats a minute (32 seconds, looped by the
player): a flute melody, an electric piano that comps the chords off the beat, and a finger
bass. Composed for ZANT; the output is a standard MIDI file of format 1 with a conductor track
and one track per instrument. Deterministic: the same script always writes the same bytes.

    python3 tools/compose_splash_tune.py [output.mid]
"""

import struct
import sys
from pathlib import Path

TICKS_PER_QUARTER = 480
EIGHTH = TICKS_PER_QUARTER // 2
BAR = 8 * EIGHTH
TEMPO_BPM = 120

NOTE_INDEX = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def pitch(name):
    """'C5' -> 72, 'F#4' -> 66 (middle C is C4 = 60)."""
    step = NOTE_INDEX[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        step += 1
        rest = rest[1:]
    elif rest.startswith("b"):
        step -= 1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + step


# The melody, one bar per line, as (note, length in eighths); "r" is a rest.
MELODY = [
    # A: the theme, twice, the second time reaching up to the high C.
    [("E5", 2), ("G5", 1), ("E5", 1), ("C5", 2), ("G4", 2)],
    [("A4", 1), ("C5", 1), ("E5", 2), ("D5", 1), ("C5", 1), ("A4", 2)],
    [("F4", 1), ("A4", 1), ("C5", 1), ("F5", 1), ("E5", 2), ("D5", 1), ("C5", 1)],
    [("D5", 3), ("B4", 1), ("G4", 4)],
    [("E5", 2), ("G5", 1), ("E5", 1), ("C6", 2), ("G5", 2)],
    [("A5", 1), ("G5", 1), ("E5", 1), ("C5", 1), ("E5", 2), ("A4", 2)],
    [("F5", 1), ("E5", 1), ("D5", 2), ("B4", 1), ("C5", 1), ("D5", 2)],
    [("C5", 6), ("r", 2)],
    # B: a rising answer, then the way home.
    [("A5", 2), ("A5", 1), ("G5", 1), ("F5", 2), ("C5", 2)],
    [("B4", 1), ("D5", 1), ("G5", 1), ("F5", 1), ("E5", 2), ("D5", 2)],
    [("E5", 1), ("G5", 1), ("B5", 2), ("G5", 1), ("E5", 1), ("B4", 2)],
    [("C5", 1), ("E5", 1), ("A5", 2), ("G5", 2), ("E5", 2)],
    [("F5", 2), ("A5", 1), ("F5", 1), ("D5", 2), ("F5", 2)],
    [("G5", 3), ("F5", 1), ("D5", 2), ("B4", 2)],
    [("A4", 1), ("C5", 1), ("F5", 1), ("A5", 1), ("G5", 1), ("F5", 1), ("D5", 1), ("B4", 1)],
    [("D5", 1), ("E5", 1), ("C5", 4), ("r", 2)],
]

# Chords, one or two a bar (two split the bar in halves).
HARMONY = [
    ["C"], ["Am"], ["F"], ["G"], ["C"], ["Am"], ["Dm", "G"], ["C"],
    ["F"], ["G7"], ["Em"], ["Am"], ["Dm"], ["G"], ["Dm7", "G7"], ["C"],
]

CHORD_TONES = {
    "C": ["C", "E", "G"],
    "Dm": ["D", "F", "A"],
    "Dm7": ["D", "F", "A", "C"],
    "Em": ["E", "G", "B"],
    "F": ["F", "A", "C"],
    "G": ["G", "B", "D"],
    "G7": ["G", "B", "D", "F"],
    "Am": ["A", "C", "E"],
}

# General MIDI programs (counted from 0) and mix of each part.
MELODY_PART = dict(channel=0, program=73, volume=110, pan=64, reverb=50, chorus=20, name="Flauto")
CHORD_PART = dict(channel=1, program=4, volume=78, pan=44, reverb=40, chorus=40, name="Piano elettrico")
BASS_PART = dict(channel=2, program=33, volume=100, pan=72, reverb=20, chorus=0, name="Basso")


def voicing(chord):
    """Close voicing kept between G3 and F4, so the chords move little from one to the next."""
    notes = []
    for tone in CHORD_TONES[chord]:
        p = 48 + NOTE_INDEX[tone]
        while p < 55:
            p += 12
        notes.append(p)
    return sorted(notes)


def bass_root(chord):
    """Root between C2 and B2."""
    return 36 + NOTE_INDEX[chord[0]]


def melody_notes():
    notes = []
    tick = 0
    for bar in MELODY:
        length = sum(eighths for _, eighths in bar)
        assert length == 8, f"bar {len(notes)} lasts {length} eighths"
        for name, eighths in bar:
            duration = eighths * EIGHTH
            if name != "r":
                # Slightly detached, and the long notes a little softer than the quick ones.
                gate = duration - EIGHTH // 6
                velocity = 96 if eighths <= 1 else 88
                notes.append((tick, gate, pitch(name), velocity))
            tick += duration
    return notes


def chord_notes():
    """Off-beat comping: a short stab on the beat, a pushed one on the off-beat."""
    notes = []
    for bar_index, chords in enumerate(HARMONY):
        start = bar_index * BAR
        last_bar = bar_index == len(HARMONY) - 1
        halves = chords if len(chords) == 2 else chords * 2
        if last_bar:
            for p in voicing(chords[0]):
                notes.append((start, 6 * EIGHTH, p, 70))
            continue
        for half, chord in enumerate(halves):
            h = start + half * 4 * EIGHTH
            for offset, length, velocity in ((0, 2, 72), (3, 1, 60)):
                for p in voicing(chord):
                    notes.append((h + offset * EIGHTH, length * EIGHTH - 20, p, velocity))
    return notes


def bass_notes():
    """Root and fifth on the beats, the octave on beat three of a bar with one chord."""
    notes = []
    for bar_index, chords in enumerate(HARMONY):
        start = bar_index * BAR
        q = 2 * EIGHTH
        if bar_index == len(HARMONY) - 1:
            r = bass_root(chords[0])
            pattern = [(0, r, 1), (1, r + 7, 1), (2, r, 2)]
        elif len(chords) == 2:
            a, b = bass_root(chords[0]), bass_root(chords[1])
            pattern = [(0, a, 1), (1, a + 7, 1), (2, b, 1), (3, b + 7, 1)]
        else:
            r = bass_root(chords[0])
            pattern = [(0, r, 1), (1, r + 7, 1), (2, r + 12, 1), (3, r + 7, 1)]
        for beat, p, beats in pattern:
            velocity = 100 if beat in (0, 2) else 86
            notes.append((start + beat * q, beats * q - 30, p, velocity))
    return notes


def var_len(value):
    """MIDI variable-length quantity."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def meta(kind, data):
    return bytes([0xFF, kind]) + var_len(len(data)) + data


def track_chunk(events, end_tick):
    """events: (tick, order, bytes); note-offs sort before note-ons at the same tick."""
    body = bytearray()
    now = 0
    for tick, _, data in sorted(events, key=lambda e: (e[0], e[1])):
        body += var_len(tick - now) + data
        now = tick
    body += var_len(end_tick - now) + meta(0x2F, b"")
    return b"MTrk" + struct.pack(">I", len(body)) + bytes(body)


def conductor_track(end_tick):
    events = [
        (0, 0, meta(0x03, "ZANT - sigla".encode("ascii"))),
        (0, 1, meta(0x58, bytes([4, 2, 24, 8]))),  # 4/4
        (0, 2, meta(0x59, bytes([0, 0]))),  # C major
        (0, 3, meta(0x51, struct.pack(">I", 60_000_000 // TEMPO_BPM)[1:])),
    ]
    return track_chunk(events, end_tick)


def instrument_track(part, notes, end_tick):
    ch = part["channel"]
    events = [
        (0, 0, meta(0x03, part["name"].encode("latin-1"))),
        (0, 1, bytes([0xC0 | ch, part["program"]])),
        (0, 2, bytes([0xB0 | ch, 7, part["volume"]])),
        (0, 3, bytes([0xB0 | ch, 10, part["pan"]])),
        (0, 4, bytes([0xB0 | ch, 91, part["reverb"]])),
        (0, 5, bytes([0xB0 | ch, 93, part["chorus"]])),
    ]
    for tick, length, p, velocity in notes:
        assert 0 <= p < 128 and length > 0
        events.append((tick, 10, bytes([0x90 | ch, p, velocity])))
        events.append((tick + length, 6, bytes([0x80 | ch, p, 0])))
    return track_chunk(events, end_tick)


def compose():
    end_tick = len(MELODY) * BAR
    assert len(HARMONY) == len(MELODY)
    tracks = [
        conductor_track(end_tick),
        instrument_track(MELODY_PART, melody_notes(), end_tick),
        instrument_track(CHORD_PART, chord_notes(), end_tick),
        instrument_track(BASS_PART, bass_notes(), end_tick),
    ]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TICKS_PER_QUARTER)
    return header + b"".join(tracks)


def main():
    default = Path(__file__).resolve().parent.parent / "resources" / "Internet.mid"
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else default
    data = compose()
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(data)
    seconds = len(MELODY) * 4 * 60 / TEMPO_BPM
    print(f"{target}: {len(data)} bytes, {seconds:.0f} s")


if __name__ == "__main__":
    main()
