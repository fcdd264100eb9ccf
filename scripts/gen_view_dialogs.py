#!/usr/bin/env python3
"""Generates res/view_dialogs.rc, the message view dialog templates, and
the identifiers that code and scripts use to reach them: views/view_ids.h
(template and cell ids by name, for views/) and tests/e2e/ids.sh (the same,
and every identifier of res/resource.h, for the end-to-end scripts and
scripts/run.sh). res/resource.h stays written by hand: windres and the Win32
sources read it as it is, and its #define lines are read here.

Each template is one table: its rows of cells (label, control id, width) and
where the rows sit. Each label is a centred static text of its own, centred
over its cell, so that it stays there in any font and at any DPI: the
dialog manager scales every box with the font, and the text is centred in
its box when it is drawn. A label wider than its cell takes room from its
neighbours' slack and, where two wide labels meet, both move apart a little;
the boxes never overlap. A changed label or width needs only a rerun:

    python3 scripts/gen_view_dialogs.py            # rewrite the generated files
    python3 scripts/gen_view_dialogs.py --check    # fail if one is stale

Generation fails when a label cannot stand over its own cell with room to
spare, or something would be cut off by the template's edge.
"""

import math
import re
import pathlib
import sys

# Advance widths in pixels of characters 32..126 and the dialog base units
# (average character width, height) that a dialog with the font gets, at 96
# DPI (100 %) and at 144 DPI (150 %), as GDI reports them for the dialog's
# own font (GetCharWidth32; the dialog manager's average width of the 52
# letters, and the font's height). The labels' boxes make room for the wider
# of the two, with LABEL_SLACK for other renderers; the tidal window's cells
# are sized at 96 DPI. The units are whole pixels and letters do not grow
# with them: at 144 DPI MS Sans Serif is its bitmap cut for 120 DPI, where
# "RI" is 17 px in 9-px units against 13 px in 8-px units at 96 DPI.
FONTS = {
    "Tahoma": {
        96: {"base": (7, 16), "widths": [
            4, 5, 5, 9, 8, 13, 9, 3, 5, 5, 7, 9, 4, 5, 3, 5, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 5, 4,
            9, 9, 9, 6, 12, 8, 8, 8, 9, 7, 7, 9, 9, 5, 6, 7, 6, 10, 9, 10, 8, 10, 8, 8, 8, 9, 8, 12,
            8, 7, 8, 5, 5, 5, 9, 7, 7, 7, 8, 7, 8, 8, 4, 8, 7, 3, 4, 6, 3, 11, 7, 8, 8, 8, 5, 7,
            4, 7, 6, 10, 6, 6, 7, 7, 5, 7, 10,
        ]},
        144: {"base": (11, 24), "widths": [
            6, 6, 8, 14, 11, 20, 14, 4, 7, 8, 11, 15, 6, 7, 6, 8, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 7, 7,
            15, 15, 14, 10, 18, 12, 11, 13, 13, 11, 10, 14, 13, 8, 9, 11, 10, 15, 13, 15, 11, 14, 12, 11, 13, 13,
            12, 18, 12, 12, 12, 8, 8, 7, 15, 11, 11, 11, 11, 10, 11, 11, 7, 11, 11, 4, 5, 10, 4, 16, 11, 11, 11,
            11, 8, 10, 8, 11, 10, 15, 10, 10, 10, 10, 8, 10, 14,
        ]},
    },
    "MS Sans Serif": {
        96: {"base": (8, 16), "widths": [
            3, 3, 5, 7, 7, 12, 9, 3, 4, 4, 5, 7, 3, 4, 3, 4, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 3, 3,
            7, 7, 7, 7, 14, 9, 9, 9, 10, 9, 8, 10, 10, 3, 7, 8, 7, 11, 10, 10, 9, 10, 10, 9, 9,
            10, 9, 13, 8, 9, 8, 4, 4, 4, 7, 7, 4, 8, 8, 7, 8, 8, 3, 8, 7, 3, 3, 7, 3, 11, 7, 8, 8,
            8, 4, 7, 3, 7, 7, 9, 6, 7, 6, 5, 3, 5, 9,
        ]},
        144: {"base": (9, 20), "widths": [
            4, 4, 6, 9, 9, 14, 11, 3, 5, 5, 6, 9, 4, 5, 4, 4, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 4, 4,
            9, 9, 9, 9, 16, 11, 11, 11, 12, 11, 10, 13, 12, 5, 8, 10, 9, 13, 11, 12, 10, 12, 12, 11, 9,
            12, 11, 15, 11, 11, 10, 4, 4, 4, 7, 9, 5, 9, 9, 8, 9, 9, 5, 9, 9, 3, 3, 8, 3, 13, 9, 9, 9,
            9, 5, 8, 5, 9, 7, 11, 7, 7, 8, 5, 5, 5, 9,
        ]},
    },
}

STATIC_ID = -1
MARGIN = 7  # left margin of the first cell
RIGHT_ROOM = 4  # the least room kept right of the last cell
HEADER_HEIGHT = 10
CELL_HEIGHT = 12
# A label's box is at least this much wider than its text where the text is
# widest: room for renderers and versions of the fonts that the tables do not
# know. The tidal window's rows, sized to their labels, leave no room for
# more.
LABEL_SLACK = 1.07
# Dialog units between two label boxes: the dialog manager rounds each
# box's edge and width to pixels on their own, so boxes that touch in
# dialog units can overlap by a pixel on the screen.
LABEL_GAP = 1

MESSAGE_STYLE = "DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU"
TOOL_EXSTYLE = "WS_EX_TOOLWINDOW"


def cell(label, control, width, fixed=None, x=None, edit=False, name=None):
    """A cell under its label. Code and scripts name the cell after its
    label ("User ID": kUserID, USER_ID) unless `name` is given, which a label
    that a template repeats needs."""
    return {"label": label, "id": control, "width": width, "fixed": fixed, "x": x, "edit": edit, "name": name}


def row(cells, cell_y, header_y, x=MARGIN):
    return {"cells": cells, "x": x, "cell_y": cell_y, "header_y": header_y}


def message_template(tid, name, title, size, rows):
    return {"id": tid, "name": name, "title": title, "size": size, "rows": rows, "font": "Tahoma",
            "style": MESSAGE_STYLE, "exstyle": TOOL_EXSTYLE, "label_ids": None}


# First rows of the one- and two-row message templates.
ROW1_HEADER_Y, ROW1_CELL_Y = 7, 20


def position_report(tid, number, ri_id, tail):
    cells = [
        cell("Msg", STATIC_ID, 20, fixed=str(number)),
        cell("RI", ri_id, 20),
        cell("User ID", 1160, 60),
        cell("NvSt", 1178, 20),
        cell("ROTais", 1162, 40),
        cell("SOG", 1163, 40),
        cell("PA", 1164, 20),
        cell("Longitude", 1165, 60),
        cell("Latitude", 1166, 60),
        cell("COG", 1167, 40),
        cell("THead", 1168, 40),
        cell("TSTP", 1169, 20),
        cell("SMI", 1660, 20),
        cell("S", 1171, 20),
        cell("RAIM", 1172, 20),
        cell("SS", 1248, 20),
    ] + tail
    width = 643 if number == 3 else 603
    return message_template(tid, f"PositionReport{number}", f" Message {number} : Position report", (width, 40),
                            [row(cells, ROW1_CELL_Y, ROW1_HEADER_Y)])


SOTDMA_TAIL = [cell("STO", 1252, 20), cell("SubMSG", 1757, 40)]
ITDMA_TAIL = [cell("SInc", 1173, 40), cell("NSlots", 1177, 40), cell("KFlag", 1179, 20)]


def acknowledge(tid, name, number, title, width):
    cells = [
        cell("Msg", STATIC_ID, 20, fixed=str(number)),
        cell("RI", 1177, 20),
        cell("User ID", 1160, 60),
        cell("S", 1171, 20),
    ]
    for n, (dest, seq) in enumerate(((1215, 1244), (1217, 1245), (1219, 1246), (1221, 1247)), 1):
        cells += [cell(f"DestinationID{n}", dest, 60), cell(f"SqID{n}", seq, 20)]
    return message_template(tid, name, title, (width, 40), [row(cells, ROW1_CELL_Y, ROW1_HEADER_Y)])


def class_b(tid, name, title, ss_id, tail, row2_x):
    row1 = [
        cell("Msg", 2131, 20, fixed="18"),
        cell("RI", 1091, 20),
        cell("User ID", 1160, 60),
        cell("S", 1951, 20, name="Regional8"),
        cell("SOG", 1163, 40),
        cell("PA", 1164, 20),
        cell("Longitude", 1165, 60),
        cell("Latitude", 1166, 60),
        cell("COG", 1167, 40),
        cell("THead", 1168, 40),
        cell("TSTP", 1169, 20),
        cell("S", 1371, 20, name="Regional2"),
        cell("Unit", 1317, 20),
        cell("MKD", 1318, 20),
        cell("DSC", 1320, 20),
        cell("Band", 1321, 20),
        cell("msg22", 1323, 20),
        cell("Mode", 1322, 20),
    ]
    row2 = [cell("RAIM", 1172, 20), cell("CF", 1107, 20), cell("SS", ss_id, 20)] + tail
    # The second row ends where the first does, at the right of the template.
    return message_template(tid, name, title, (563, 75), [
        row(row1, ROW1_CELL_Y, ROW1_HEADER_Y),
        row(row2, 55, 40, x=row2_x),
    ])


def static_data_24(tid, part_b):
    cells = [
        cell("Msg", STATIC_ID, 20, fixed="24"),
        cell("RI", 1177, 20),
        cell("User ID", 1160, 60),
        cell("PartNum", 1326, 40 if part_b else 60),
    ]
    if part_b:
        cells += [
            cell("TShip", 1148, 20),
            cell("Vendor ID", 2133, 80),
            cell("Call Sign", 1140, 60),
            cell("dimA", 1110, 20),
            cell("dimB", 1111, 20),
            cell("dimC", 1112, 20),
            cell("dimE", 1113, 20),
        ]
        name, title, width = "StaticDataB", " Message 24 B : Static data report", 403
    else:
        cells += [cell("Name Of Ship", 1109, 160)]
        name, title, width = "StaticDataA", " Message 24 A : Static data report", 343
    return message_template(tid, name, title, (width, 40), [row(cells, ROW1_CELL_Y, ROW1_HEADER_Y)])


def dims(last="dimD"):
    return [cell("dimA", 1110, 20), cell("dimB", 1111, 20), cell("dimC", 1112, 20), cell(last, 1113, 20)]


TEMPLATES = [
    position_report(1452, 1, 1177, SOTDMA_TAIL),
    position_report(1453, 2, 1177, SOTDMA_TAIL),
    position_report(1456, 3, 1091, ITDMA_TAIL),
    message_template(120, "BaseStation", " Message 4 : UTC and position report from base station", (543, 40), [
        row([
            cell("Msg", STATIC_ID, 20, fixed="4"),
            cell("RI", 1177, 20),
            cell("User ID", 1160, 60),
            cell("utcY", 1096, 40),
            cell("utcM", 1098, 20, name="UtcMonth"),
            cell("utcD", 1101, 20),
            cell("utcH", 1102, 20),
            cell("utcM", 1103, 20, name="UtcMinute"),
            cell("utcS", 1104, 20),
            cell("Longitude", 1165, 60),
            cell("Latitude", 1166, 60),
            cell("EPFD", 1134, 20),
            cell("TLRB", 1193, 20),
            cell("S", 1171, 20),
            cell("RAIM", 1172, 20),
            cell("SS", 1248, 20),
            cell("STO", 1252, 20),
            cell("SubMSG", 1757, 40),
        ], ROW1_CELL_Y, ROW1_HEADER_Y),
    ]),
    message_template(121, "StaticVoyage", " Message 5 : Ship static and voyage related data", (523, 70), [
        row([
            cell("Msg", STATIC_ID, 20, fixed="5"),
            cell("RI", 1177, 20),
            cell("User ID", 1160, 60),
            cell("aisV", 1136, 20),
            cell("IMO Num", 1088, 60),
            cell("Call Sign", 1140, 60),
            cell("Name Of Ship", 1109, 160),
            cell("TShip", 1148, 20),
        ] + dims(), ROW1_CELL_Y, ROW1_HEADER_Y),
        row([
            cell("EPFD", 1134, 20),
            cell("etaM", 1123, 20, name="EtaMonth"),
            cell("etaD", 1124, 20),
            cell("etaH", 1126, 20),
            cell("etaM", 1127, 20, name="EtaMinute"),
            cell("Draught", 1145, 40),
            cell("Destination", 1047, 160),
            cell("DTE", 1105, 20),
            cell("S", 1171, 20),
        ], 51, 36, x=MARGIN + 156),
    ]),
    acknowledge(129, "BinaryAcknowledge", 7, " Message 7 : Binary acknowledge", 463),
    acknowledge(132, "SafetyAcknowledge", 13, " Message 13 : Safety related acknowledge", 474),
    class_b(1471, "ClassBSotdma", " Message 18: Standard class B equipment position report -SOTDMA", 1248,
            [cell("STO", 1252, 20), cell("SubMSG", 1757, 40)], 427),
    class_b(142, "ClassBItdma", " Message 18: Standard class B equipment position report - ITDMA", 1170,
            [cell("SInc", 1173, 20), cell("NSlots", 1177, 40), cell("KF", 1179, 20)], 407),
    message_template(126, "AtonReport", " Message 21 : Aids-to-navigation report", (543, 75), [
        row([
            cell("Msg", STATIC_ID, 20, fixed="21"),
            cell("RI", 1177, 20),
            cell("User ID", 1160, 60),
            cell("AType", 1114, 20),
            cell("Aids to Navigation Name", 1109, 160),
            cell("PA", 1164, 20),
            cell("Longitude", 1165, 60),
            cell("Latitude", 1166, 60),
        ] + dims() + [cell("EPFD", 1134, 20)], ROW1_CELL_Y, ROW1_HEADER_Y),
        row([
            cell("TSP", 1169, 20),
            cell("offP", 1116, 20),
            cell("AtoNstatus", 2145, 70),
            cell("RAIM", 1172, 20),
            cell("VPF", 1115, 20),
            cell("AS", 1192, 20),
            cell("S", 1039, 20, name="Spare"),
            cell("Aids to Navigation Extended Name", 1117, 160),
            cell("S", 1014, 20, name="ExtensionSpare"),
        ], 55, 40, x=157),
    ]),
    static_data_24(151, part_b=False),
    static_data_24(152, part_b=True),
    message_template(1432, "Abk", "ABK - Addressed and Binary Broadcast Acknowledgement", (241, 46), [
        row([
            cell("Msg", 1814, 20, fixed="ABK"),
            cell("Destination ID", 1815, 61),
            cell("rxCH", 1816, 20),
            cell("msgType", 1817, 33),
            cell("seqNum", 1818, 32),
            cell("typeOfAck", 1819, 40),
        ], 24, 9),
    ]),
]


def tidal_window():
    first = ["MessageID", "RepeatIndicator", "SourceID", "SeqNumber", "DestinationID", "RtxFlag",
             "Spare", "DAC", "FI", "UtcMonth", "UtcDay"]
    first_ids = [1023, 1024, 1026, 1161, 1027, 1163, 1164, 1165, 1166, 1168, 1169]
    # Cells are as wide as their labels, but the two MMSI cells hold nine digits.
    first_widths = [None, None, 50, None, 50, None, None, None, None, None, None]
    rows = [row([cell(label, cid, w) for label, cid, w in zip(first, first_ids, first_widths)], 15, 5)]
    for n in (1, 2, 3):
        labels = [f"Position {n} Longitude", f"Position  {n} Latitude", "FromUtcHour", "FromUtcMin",
                  "ToUtcHour", "ToUtcMin", f"CurrDirectionPred {n}", f"CurrSpeedPrediction  {n}"]
        first_id = 1170 + 8 * (n - 1)
        cell_y = 15 + 25 * n
        # The times repeat in every window: their names carry its number.
        rows.append(row([cell(label, first_id + i, None, name=None if str(n) in label else f"{label}{n}")
                         for i, label in enumerate(labels)], cell_y, cell_y - HEADER_HEIGHT))
    return {"id": 1447, "name": "TidalWindow", "title": "Message 6 : ABM - Tidal Window", "size": (449, 106),
            "rows": rows,
            "font": "MS Sans Serif", "style": "DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU",
            "exstyle": None, "label_ids": None}


def met_hydro():
    row1 = [
        cell("Msg", 65535, 15, x=7),
        cell("RI", 1065, 10, x=22),
        cell("User ID", 1066, 60, x=32),
        cell("Spare", 1014, 25, x=92),
        cell("DAC", 1068, 25, x=117),
        cell("FI", 1069, 25, x=142),
        cell("Latitude", 2061, 50, x=167),
        cell("Longitude", 2062, 50, x=217),
        cell("UTC:ddhhmm", 2063, 50, x=267),
    ]
    edit_rows = [
        ["AvWindSpd", "WindGust", "WindDir", "WindGustDir", "AirTemp", "RelHumidity", "DewPoint",
         "AirPressure", "AirPresTnd", "HorVisibility", "WLvlIncTide"],
        ["WLvlTrend", "SurfCurSpd", "SurfCurDir", "CurSpd2", "CurDir2", "CurMesLvl2", "CurSpd3",
         "CurDir3", "CurMesLvl3", "SigWavHgt", "WavePerod"],
        ["WaveDir", "SwellHeight", "SwellPeriod", "SwellDir", "SeaState", "WaterTemp", "PrecipType",
         "Salinity", "Ice", "Spare"],
    ]
    edit_ids = [
        [1538, 1539, 1540, 1541, 1542, 1543, 1544, 1545, 1546, 1547, 1548],
        [1549, 1569, 1550, 1551, 1552, 1553, 1554, 1555, 1556, 1557, 1558],
        [1559, 1560, 1561, 1562, 1563, 1564, 1565, 1566, 1567, 1067],
    ]
    rows = [row(row1, 21, 9)]
    for labels, ids, cell_y in zip(edit_rows, edit_ids, (46, 91, 131)):
        rows.append(row([cell(label, cid, 40, edit=True) for label, cid in zip(labels, ids)],
                        cell_y, cell_y - CELL_HEIGHT))
    rows[-1]["cells"][-1]["name"] = "LastSpare"  # the first row has a Spare too
    # Every control here has its own id: the message id cell is 65535, which
    # a static without an id would share. The labels count up from 1085.
    return {"id": 1448, "name": "MetHydro", "title": "Message 8 : BBM Meteorological and Hydrological ",
            "size": (453, 156),
            "rows": rows, "font": "MS Sans Serif",
            "style": MESSAGE_STYLE, "exstyle": "WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE", "label_ids": 1085}


TEMPLATES += [tidal_window(), met_hydro()]


def list_template(tid, name, title, size, list_id, list_name):
    """A view of any message as a list of rows (field label, value): one
    list view filling the template within the margin, both written at run
    time by the view's dialog procedure, the title too."""
    return {"id": tid, "name": name, "title": title, "size": size, "rows": [], "font": "Tahoma",
            "style": MESSAGE_STYLE, "exstyle": TOOL_EXSTYLE, "label_ids": None,
            "list": {"id": list_id, "name": list_name}, "note": "Any message, field by field, titled after it"}


# The generic view: wide enough for a label and a value with a meaning
# ("Navigational status" and "12 = power-driven vessel pushing ahead or
# towing alongside") side by side, tall enough for the rows of most messages
# without scrolling.
TEMPLATES.append(list_template(41400, "Generic", " Message", (400, 250), 41401, "Fields"))


class LayoutError(Exception):
    pass


def text_px(font, text, dpi=96):
    widths = FONTS[font][dpi]["widths"]
    return sum(widths[ord(c) - 32] for c in text)


def to_dlu(font, px, dpi=96):
    return px * 4 / FONTS[font][dpi]["base"][0]


def place_cells(template):
    """Fixes every cell's x (left to right from the row's start where not
    given) and, for a template sized by its labels, every cell's width."""
    font = template["font"]
    for r in template["rows"]:
        x = r["x"]
        for c in r["cells"]:
            if c["width"] is None:
                # Room for the label plus a blank each side, rounded to 5 units.
                need = math.ceil(to_dlu(font, text_px(font, c["label"]) + 2 * text_px(font, " ")))
                c["width"] = max(20, 5 * math.ceil(need / 5))
            if c["x"] is None:
                c["x"] = x
            x = c["x"] + c["width"]


def label_need(font, label):
    """Dialog units a label's box needs: its text at the DPI where it is
    widest in units, with slack."""
    return max(to_dlu(font, text_px(font, label, dpi), dpi) for dpi in FONTS[font]) * LABEL_SLACK


def place_labels(template, r):
    """The boxes (x, width) of a row's labels, left to right, in whole units.
    Each label is centred over its cell unless its box would come within
    LABEL_GAP of a neighbour's; labels that would are pooled into a block
    and the block is put where its labels move least (the mean of their
    wanted places), as often as blocks meet. Then the boxes grow a unit on
    each side at a time, in turns, while they keep LABEL_GAP apart, so that
    fonts wider than the tables still fit."""
    width = template["size"][0]
    cells = r["cells"]
    need = [math.ceil(label_need(template["font"], c["label"])) for c in cells]
    wanted = [c["x"] + c["width"] / 2 - n / 2 for c, n in zip(cells, need)]

    def span(first, last):
        return sum(need[first:last + 1]) + LABEL_GAP * (last - first)

    def best_start(first, last):
        offsets = [span(first, j) - need[j] for j in range(first, last + 1)]
        mean = sum(wanted[j] - o for j, o in zip(range(first, last + 1), offsets)) / len(offsets)
        return min(max(round(mean), 0), width - span(first, last))

    if span(0, len(cells) - 1) > width:
        raise LayoutError(f"template {template['id']}: the labels of a row need {span(0, len(cells) - 1)} units, "
                          f"the template is {width} wide")
    blocks = []  # [first, last, start]
    for i in range(len(cells)):
        blocks.append([i, i, best_start(i, i)])
        while len(blocks) > 1 and blocks[-2][2] + span(blocks[-2][0], blocks[-2][1]) + LABEL_GAP > blocks[-1][2]:
            first, last = blocks[-2][0], blocks[-1][1]
            blocks[-2:] = [[first, last, best_start(first, last)]]
    boxes = []  # [left, right]
    for first, last, at in blocks:
        for j in range(first, last + 1):
            boxes.append([at, at + need[j]])
            at += need[j] + LABEL_GAP

    def room(j):
        low = boxes[j - 1][1] + LABEL_GAP if j > 0 else 0
        high = boxes[j + 1][0] - LABEL_GAP if j < len(boxes) - 1 else width
        return boxes[j][0] - low, high - boxes[j][1]

    grown, order = True, list(range(len(boxes)))
    while grown:
        grown = False
        for j in order:
            if min(room(j)) >= 1:
                boxes[j][0] -= 1
                boxes[j][1] += 1
                grown = True
        order.reverse()

    for c, (left, right) in zip(cells, boxes):
        # It must stand over its own cell: its centre in the cell's middle half.
        if not c["x"] + c["width"] / 4 <= (left + right) / 2 <= c["x"] + c["width"] * 3 / 4:
            raise LayoutError(f"template {template['id']}: label {c['label']!r} centred at {(left + right) / 2}, "
                              f"its cell spans {c['x']}..{c['x'] + c['width']}")
    return [(left, right - left) for left, right in boxes]


def check_fits(template):
    font = template["font"]
    width, height = template["size"]
    for r in template["rows"]:
        for c in r["cells"]:
            if c["x"] + c["width"] > width - RIGHT_ROOM:
                raise LayoutError(f"template {template['id']}: cell {c['label']!r} ends at "
                                  f"{c['x'] + c['width']}, past the width {width}")
        if r["cell_y"] + CELL_HEIGHT > height - 2:
            raise LayoutError(f"template {template['id']}: a row at y {r['cell_y']} is cut off")
        if r["header_y"] + HEADER_HEIGHT > r["cell_y"]:
            raise LayoutError(f"template {template['id']}: header at y {r['header_y']} overlaps its cells")
    ids = [c["id"] for r in template["rows"] for c in r["cells"]] + list(label_ids(template))
    ids = [i for i in ids if i != STATIC_ID]
    if len(ids) != len(set(ids)):
        raise LayoutError(f"template {template['id']}: duplicate control ids")
    if font not in FONTS:
        raise LayoutError(f"template {template['id']}: no character widths for {font}")


def label_ids(template):
    """The labels' control ids, in the order of the rows and cells."""
    count = sum(len(r["cells"]) for r in template["rows"])
    first = template["label_ids"]
    return [STATIC_ID] * count if first is None else range(first, first + count)


def rc_string(text):
    return '"' + text.replace('"', '""') + '"'


def to_px(units, base):
    """Dialog units to pixels as the dialog manager maps them (MulDiv by the
    base unit over 4, rounded half up)."""
    return (2 * units * base + 4) // 8


def drawn_width(font, cells, k):
    """A cell's width as drawn: one unit less where it touches the next cell
    of its row and the two would share a pixel of their sunken edges at a
    resolution the font tables know. The dialog manager maps each control's
    edge and width to pixels on their own, so touching units can overlap."""
    c = cells[k]
    if k + 1 == len(cells) or cells[k + 1]["x"] != c["x"] + c["width"]:
        return c["width"]
    for scale in FONTS[font].values():
        base = scale["base"][0]
        if to_px(c["x"], base) + to_px(c["width"], base) > to_px(c["x"] + c["width"], base):
            return c["width"] - 1
    return c["width"]


def render(template):
    place_cells(template)
    check_fits(template)
    width, height = template["size"]
    out = [f"{template['id']} DIALOGEX 0, 0, {width}, {height}",
           f"STYLE {template['style']}"]
    if template["exstyle"]:
        out.append(f"EXSTYLE {template['exstyle']}")
    out += [f"CAPTION {rc_string(template['title'])}", f'FONT 10, "{template["font"]}"', "BEGIN"]
    if "list" in template:
        # Report style, one row selected at a time; its columns are made at run time.
        out.append(f'    CONTROL "", {template["list"]["id"]}, "SysListView32", LVS_REPORT | LVS_SINGLESEL | '
                   f"LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP, {MARGIN}, {MARGIN}, "
                   f"{width - 2 * MARGIN}, {height - 2 * MARGIN}")
    ids = iter(label_ids(template))
    for r in template["rows"]:
        for c, (x, label_width) in zip(r["cells"], place_labels(template, r)):
            out.append(f"    CTEXT {rc_string(c['label'])}, {next(ids)}, {x}, {r['header_y']}, {label_width}, "
                       f"{HEADER_HEIGHT}, SS_NOPREFIX")
        for k, c in enumerate(r["cells"]):
            geometry = f"{c['x']}, {r['cell_y']}, {drawn_width(template['font'], r['cells'], k)}, {CELL_HEIGHT}"
            if c["edit"]:
                # Not a tab stop: the view keeps the focus itself rather than
                # handing it to the first box, which would show its text selected.
                out.append(f"    EDITTEXT {c['id']}, {geometry}, ES_AUTOHSCROLL | ES_READONLY | NOT WS_TABSTOP")
            else:
                out.append(f"    CTEXT {rc_string(c['fixed'] or '')}, {c['id']}, {geometry}, SS_SUNKEN | SS_NOPREFIX")
    out.append("END")
    return "\n".join(out)


def words(name):
    """The words of a label or a name: "User ID" is User, ID; "AirTemp" is
    Air, Temp; "UTCDdhhmm" is UTC, Ddhhmm."""
    return re.findall(r"[A-Z]+(?=[A-Z][a-z]|[0-9]|$)|[A-Z]?[a-z]+[0-9]*|[A-Z]+[0-9]*|[0-9]+", name)


def cell_name(c):
    """A cell's name in code: its own, or its label's words run together."""
    if c["name"]:
        return c["name"]
    return "".join(w[0].upper() + w[1:] for w in re.findall(r"[A-Za-z0-9]+", c["label"]))


def snake(name, upper=False):
    text = "_".join(w.lower() for w in words(name))
    return text.upper() if upper else text


def named_cells(template):
    """(name, id) of every cell with an id, in the template's order; fails
    when two cells of a template would share a name."""
    cells = [(cell_name(c), c["id"]) for r in template["rows"] for c in r["cells"] if c["id"] != STATIC_ID]
    if "list" in template:
        cells.append((template["list"]["name"], template["list"]["id"]))
    names = [n for n, _ in cells]
    for n in names:
        if names.count(n) > 1:
            raise LayoutError(f"template {template['id']}: two cells are named {n}: give each a name")
    return cells


GENERATED_NOTE = ("Generated by scripts/gen_view_dialogs.py from its template tables{}: edit",
                  "the tables there and rerun it rather than editing this file.")


def render_ids_header():
    out = ["// Identifiers of the message view templates and of their cells, by name.",
           "// " + GENERATED_NOTE[0].format(""), "// " + GENERATED_NOTE[1], "#pragma once", "",
           "// The templates, by the view they hold.", "namespace view_template {"]
    for t in TEMPLATES:
        out += [f"// {t.get('note', t['title'].strip())}", f"constexpr int k{t['name']} = {t['id']};"]
    out += ["}  // namespace view_template"]
    written = {}  # the namespace of each set of cells, so that a template with the same cells shares it
    for t in TEMPLATES:
        cells, space = tuple(named_cells(t)), f"{snake(t['name'])}_cells"
        if cells in written:
            out += ["", f"// Template {t['id']} has the cells of template {written[cells][1]}.",
                    f"namespace {space} = {written[cells][0]};"]
            continue
        written[cells] = (space, t["id"])
        out += ["", f"// The cells of template {t['id']}, after their labels.", f"namespace {space} {{"]
        out += [f"constexpr int k{n} = {cid};" for n, cid in cells]
        out += [f"}}  // namespace {space}"]
    return "\n".join(out) + "\n"


def resource_ids(path):
    """NAME and number of every `#define NAME number` of the resource header."""
    return re.findall(r"^#define\s+(\w+)\s+(\d+)\s*$", path.read_text(), re.M)


def render_ids_shell(resource_header):
    out = ["# Identifiers of the client's menu commands, dialogs and controls (from",
           "# res/resource.h), and of the message view templates, their titles and",
           "# cells, for the end-to-end scripts and scripts/run.sh.",
           "# " + GENERATED_NOTE[0].format(" and res/resource.h"), "# " + GENERATED_NOTE[1], "",
           "# Win32's own button ids.", "IDOK=1", "IDCANCEL=2", "", "# res/resource.h"]
    out += [f"{name}={number}" for name, number in resource_ids(resource_header)]
    for t in TEMPLATES:
        prefix = snake(t["name"], upper=True)
        out += ["", f"# Template {t['id']}, its title and its cells.", f"VIEW_{prefix}={t['id']}",
                f"VIEW_{prefix}_TITLE='{t['title']}'"]
        out += [f"{prefix}_{snake(n, upper=True)}={cid}" for n, cid in named_cells(t)]
    return "\n".join(out) + "\n"


def generate():
    parts = [
        "/* Message view dialog templates.",
        "   Generated by scripts/gen_view_dialogs.py from its template tables: edit",
        "   the tables there and rerun it rather than editing this file. */",
        "#include <windows.h>",
        "#include <commctrl.h>",
    ]
    parts += ["", *[render(t) + "\n" for t in TEMPLATES]]
    return "\n".join(parts).rstrip("\n") + "\n"


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    try:
        files = {
            root / "res" / "view_dialogs.rc": generate(),
            root / "views" / "view_ids.h": render_ids_header(),
            root / "tests" / "e2e" / "ids.sh": render_ids_shell(root / "res" / "resource.h"),
        }
    except LayoutError as error:
        sys.exit(f"gen_view_dialogs: {error}")
    if "--check" in sys.argv[1:]:
        stale = [str(path) for path, text in files.items() if not path.exists() or path.read_text() != text]
        if stale:
            sys.exit(f"gen_view_dialogs: stale: {', '.join(stale)}; rerun scripts/gen_view_dialogs.py")
        return
    for path, text in files.items():
        path.write_text(text)


if __name__ == "__main__":
    main()
