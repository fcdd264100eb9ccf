#!/usr/bin/env python3
"""Generates res/view_dialogs.rc, the message view dialog templates.

Each template is one table: its rows of cells (label, control id, width) and
where the rows sit. The header line over a row is one left-aligned static
text whose labels are spaced out with blanks so that each label stands over
its cell; the blanks are computed here from the dialog font's character
widths, so a changed label or width needs only a rerun:

    python3 scripts/gen_view_dialogs.py            # rewrite res/view_dialogs.rc
    python3 scripts/gen_view_dialogs.py --check    # fail if the file is stale

Generation fails when a label cannot be placed over its cell or something
would be cut off by the template's edge.
"""

import math
import pathlib
import sys

# Advance widths in pixels of characters 32..126 at 96 DPI and the dialog
# base units (average character width, height) that a dialog with the font
# gets, as GDI reports them for the dialog's own font (GetCharWidth32,
# MapDialogRect).
FONTS = {
    "Tahoma": {
        "base": (7, 16),
        "widths": [
            4, 5, 5, 9, 8, 13, 9, 3, 5, 5, 7, 9, 4, 5, 3, 5, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 5, 4,
            9, 9, 9, 6, 12, 8, 8, 8, 9, 7, 7, 9, 9, 5, 6, 7, 6, 10, 9, 10, 8, 10, 8, 8, 8, 9, 8,
            12, 8, 7, 8, 5, 5, 5, 9, 7, 7, 7, 8, 7, 8, 8, 4, 8, 7, 3, 4, 6, 3, 11, 7, 8, 8, 8, 5,
            7, 4, 7, 6, 10, 6, 6, 7, 7, 5, 7, 10,
        ],
    },
    "MS Sans Serif": {
        "base": (8, 16),
        "widths": [
            3, 3, 5, 7, 7, 12, 9, 3, 4, 4, 5, 7, 3, 4, 3, 4, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 3, 3,
            7, 7, 7, 7, 14, 9, 9, 9, 10, 9, 8, 10, 10, 3, 7, 8, 7, 11, 10, 10, 9, 10, 10, 9, 9,
            10, 9, 13, 8, 9, 8, 4, 4, 4, 7, 7, 4, 8, 8, 7, 8, 8, 3, 8, 7, 3, 3, 7, 3, 11, 7, 8, 8,
            8, 4, 7, 3, 7, 7, 9, 6, 7, 6, 5, 3, 5, 9,
        ],
    },
}

STATIC_ID = -1
MARGIN = 7  # left margin of the first cell
RIGHT_ROOM = 4  # the least room kept right of the last cell and header
HEADER_INDENT = 3  # a header line starts this far right of its row's first cell
HEADER_HEIGHT = 10
CELL_HEIGHT = 12

MESSAGE_STYLE = "DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU"
TOOL_EXSTYLE = "WS_EX_TOOLWINDOW"


def cell(label, control, width, fixed=None, x=None, edit=False):
    return {"label": label, "id": control, "width": width, "fixed": fixed, "x": x, "edit": edit}


def row(cells, cell_y, header_y, x=MARGIN, header_id=STATIC_ID):
    return {"cells": cells, "x": x, "cell_y": cell_y, "header_y": header_y, "header_id": header_id}


def message_template(tid, title, size, rows):
    return {"id": tid, "title": title, "size": size, "rows": rows, "font": "Tahoma",
            "style": MESSAGE_STYLE, "exstyle": TOOL_EXSTYLE}


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
    return message_template(tid, f" Message {number} : Position report", (width, 40),
                            [row(cells, ROW1_CELL_Y, ROW1_HEADER_Y)])


SOTDMA_TAIL = [cell("STO", 1252, 20), cell("SubMSG", 1757, 40)]
ITDMA_TAIL = [cell("SInc", 1173, 40), cell("NSlots", 1177, 40), cell("KFlag", 1179, 20)]


def acknowledge(tid, number, title, width):
    cells = [
        cell("Msg", STATIC_ID, 20, fixed=str(number)),
        cell("RI", 1177, 20),
        cell("User ID", 1160, 60),
        cell("S", 1171, 20),
    ]
    for n, (dest, seq) in enumerate(((1215, 1244), (1217, 1245), (1219, 1246), (1221, 1247)), 1):
        cells += [cell(f"DestinationID{n}", dest, 60), cell(f"SqID{n}", seq, 20)]
    return message_template(tid, title, (width, 40), [row(cells, ROW1_CELL_Y, ROW1_HEADER_Y)])


def class_b(tid, title, ss_id, tail, row2_x):
    row1 = [
        cell("Msg", 2131, 20, fixed="18"),
        cell("RI", 1091, 20),
        cell("User ID", 1160, 60),
        cell("S", 1951, 20),
        cell("SOG", 1163, 40),
        cell("PA", 1164, 20),
        cell("Longitude", 1165, 60),
        cell("Latitude", 1166, 60),
        cell("COG", 1167, 40),
        cell("THead", 1168, 40),
        cell("TSTP", 1169, 20),
        cell("S", 1371, 20),
        cell("Unit", 1317, 20),
        cell("MKD", 1318, 20),
        cell("DSC", 1320, 20),
        cell("Band", 1321, 20),
        cell("msg22", 1323, 20),
        cell("Mode", 1322, 20),
    ]
    row2 = [cell("RAIM", 1172, 20), cell("CF", 1107, 20), cell("SS", ss_id, 20)] + tail
    # The second row ends where the first does, at the right of the template.
    return message_template(tid, title, (563, 75), [
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
        title, width = " Message 24 B : Static data report", 403
    else:
        cells += [cell("Name Of Ship", 1109, 160)]
        title, width = " Message 24 A : Static data report", 343
    return message_template(tid, title, (width, 40), [row(cells, ROW1_CELL_Y, ROW1_HEADER_Y)])


def dims(last="dimD"):
    return [cell("dimA", 1110, 20), cell("dimB", 1111, 20), cell("dimC", 1112, 20), cell(last, 1113, 20)]


TEMPLATES = [
    position_report(1452, 1, 1177, SOTDMA_TAIL),
    position_report(1453, 2, 1177, SOTDMA_TAIL),
    position_report(1456, 3, 1091, ITDMA_TAIL),
    message_template(120, " Message 4 : UTC and position report from base station", (543, 40), [
        row([
            cell("Msg", STATIC_ID, 20, fixed="4"),
            cell("RI", 1177, 20),
            cell("User ID", 1160, 60),
            cell("utcY", 1096, 40),
            cell("utcM", 1098, 20),
            cell("utcD", 1101, 20),
            cell("utcH", 1102, 20),
            cell("utcM", 1103, 20),
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
    message_template(121, " Message 5 : Ship static and voyage related data", (523, 70), [
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
            cell("etaM", 1123, 20),
            cell("etaD", 1124, 20),
            cell("etaH", 1126, 20),
            cell("etaM", 1127, 20),
            cell("Draught", 1145, 40),
            cell("Destination", 1047, 160),
            cell("DTE", 1105, 20),
            cell("S", 1171, 20),
        ], 51, 36, x=MARGIN + 156),
    ]),
    acknowledge(129, 7, " Message 7 : Binary acknowledge", 463),
    acknowledge(132, 13, " Message 13 : Safety related acknowledge", 474),
    class_b(1471, " Message 18: Standard class B equipment position report -SOTDMA", 1248,
            [cell("STO", 1252, 20), cell("SubMSG", 1757, 40)], 427),
    class_b(142, " Message 18: Standard class B equipment position report - ITDMA", 1170,
            [cell("SInc", 1173, 20), cell("NSlots", 1177, 40), cell("KF", 1179, 20)], 407),
    message_template(126, " Message 21 : Aids-to-navigation report", (543, 75), [
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
            cell("S", 1039, 20),
            cell("Aids to Navigation Extended Name", 1117, 160),
            cell("S", 1014, 20),
        ], 55, 40, x=160 - HEADER_INDENT),
    ]),
    static_data_24(151, part_b=False),
    static_data_24(152, part_b=True),
    message_template(1432, "ABK - Addressed and Binary Broadcast Acknowledgement", (241, 46), [
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
        rows.append(row([cell(label, first_id + i, None) for i, label in enumerate(labels)],
                        cell_y, cell_y - HEADER_HEIGHT, header_id=2127 + n))
    return {"id": 1447, "title": "Message 6 : ABM - Tidal Window", "size": (449, 106), "rows": rows,
            "font": "MS Sans Serif", "style": "DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU",
            "exstyle": None, "fit_widths": True}


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
    # Every control here has its own id: the message id cell is 65535, which
    # a static without an id would share.
    rows = [row(row1, 21, 9, header_id=1085)]
    for n, (labels, ids, cell_y) in enumerate(zip(edit_rows, edit_ids, (46, 91, 131))):
        rows.append(row([cell(label, cid, 40, edit=True) for label, cid in zip(labels, ids)],
                        cell_y, cell_y - CELL_HEIGHT, header_id=1086 + n))
    return {"id": 1448, "title": "Message 8 : BBM Meteorological and Hydrological ", "size": (453, 156),
            "rows": rows, "font": "MS Sans Serif",
            "style": MESSAGE_STYLE, "exstyle": "WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE"}


TEMPLATES += [tidal_window(), met_hydro()]


class LayoutError(Exception):
    pass


def text_px(font, text):
    widths = FONTS[font]["widths"]
    return sum(widths[ord(c) - 32] for c in text)


def to_px(font, dlu):
    # The dialog manager's conversion: MulDiv(dlu, baseX, 4), rounded.
    return (dlu * FONTS[font]["base"][0] + 2) // 4


def to_dlu_ceil(font, px):
    return math.ceil(px * 4 / FONTS[font]["base"][0])


def place_cells(template):
    """Fixes every cell's x (left to right from the row's start where not
    given) and, for a template sized by its labels, every cell's width."""
    font = template["font"]
    for r in template["rows"]:
        x = r["x"]
        for c in r["cells"]:
            if c["width"] is None:
                # Room for the label plus a blank each side, rounded to 5 units.
                need = to_dlu_ceil(font, text_px(font, c["label"]) + 2 * text_px(font, " "))
                c["width"] = max(20, 5 * math.ceil(need / 5))
            if c["x"] is None:
                c["x"] = x
            x = c["x"] + c["width"]


def header_text(template, r):
    """Spaces the row's labels out so that each is centred over its cell as
    nearly as whole blanks allow, at least one blank apart."""
    font = template["font"]
    blank = text_px(font, " ")
    start = to_px(font, r["x"] + HEADER_INDENT)
    pen = start
    text = ""
    for i, c in enumerate(r["cells"]):
        left, right = to_px(font, c["x"]), to_px(font, c["x"] + c["width"])
        width = text_px(font, c["label"])
        want = (left + right) / 2 - width / 2
        blanks = max(0 if i == 0 else 1, round((want - pen) / blank))
        pen += blanks * blank
        centre = pen + width / 2
        # The label must stand over its own cell: its centre inside the cell's
        # middle half.
        quarter = (right - left) / 4
        if not left + quarter <= centre <= right - quarter:
            raise LayoutError(f"template {template['id']}: label {c['label']!r} centred at {centre:.1f} px, "
                              f"cell spans {left}..{right} px")
        text += " " * blanks + c["label"]
        pen += width
    return text, pen - start


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
    ids = [c["id"] for r in template["rows"] for c in r["cells"]] + [r["header_id"] for r in template["rows"]]
    ids = [i for i in ids if i != STATIC_ID]
    if len(ids) != len(set(ids)):
        raise LayoutError(f"template {template['id']}: duplicate control ids")
    if font not in FONTS:
        raise LayoutError(f"template {template['id']}: no character widths for {font}")


def rc_string(text):
    return '"' + text.replace('"', '""') + '"'


def render(template):
    place_cells(template)
    check_fits(template)
    font = template["font"]
    width, height = template["size"]
    out = [f"{template['id']} DIALOGEX 0, 0, {width}, {height}",
           f"STYLE {template['style']}"]
    if template["exstyle"]:
        out.append(f"EXSTYLE {template['exstyle']}")
    out += [f"CAPTION {rc_string(template['title'])}", f'FONT 10, "{font}"', "BEGIN"]
    for r in template["rows"]:
        text, text_width = header_text(template, r)
        x = r["x"] + HEADER_INDENT
        header_width = width - RIGHT_ROOM - x
        if to_px(font, header_width) < text_width:
            raise LayoutError(f"template {template['id']}: header line {text.strip()!r} is cut off")
        out.append(f"    LTEXT {rc_string(text)}, {r['header_id']}, {x}, {r['header_y']}, {header_width}, "
                   f"{HEADER_HEIGHT}, SS_NOPREFIX")
        for c in r["cells"]:
            geometry = f"{c['x']}, {r['cell_y']}, {c['width']}, {CELL_HEIGHT}"
            if c["edit"]:
                # Not a tab stop: the view keeps the focus itself rather than
                # handing it to the first box, which would show its text selected.
                out.append(f"    EDITTEXT {c['id']}, {geometry}, ES_AUTOHSCROLL | ES_READONLY | NOT WS_TABSTOP")
            else:
                out.append(f"    CTEXT {rc_string(c['fixed'] or '')}, {c['id']}, {geometry}, SS_SUNKEN | SS_NOPREFIX")
    out.append("END")
    return "\n".join(out)


def generate():
    parts = [
        "/* Message view dialog templates.",
        "   Generated by scripts/gen_view_dialogs.py from its template tables: edit",
        "   the tables there and rerun it rather than editing this file. */",
        "#include <windows.h>",
    ]
    parts += ["", *[render(t) + "\n" for t in TEMPLATES]]
    return "\n".join(parts).rstrip("\n") + "\n"


def main():
    target = pathlib.Path(__file__).resolve().parent.parent / "res" / "view_dialogs.rc"
    try:
        text = generate()
    except LayoutError as error:
        sys.exit(f"gen_view_dialogs: {error}")
    if "--check" in sys.argv[1:]:
        if target.read_text() != text:
            sys.exit(f"gen_view_dialogs: {target} is stale; rerun scripts/gen_view_dialogs.py")
        return
    target.write_text(text)


if __name__ == "__main__":
    main()
