"""The program's records as their tables describe them: field order, offsets,
widths, defaults and the settings value kind of each field. Used by the
fixture makers and checkers of the record tests as an independent reading of
the records (nothing here comes from the C++ code)."""
import struct

# Type codes: struct formats for numbers, "sN" text of N bytes, "font" a
# 60-byte LOGFONTA, "rgb" 16 {r,g,b,f} entries, "hdr" 3 texts of 65, "hk" 32
# hotkey entries, "D" a 4-byte colour stored as Dword, "pal" 16 colours as
# one binary field, "res" reserved bytes.
WIDTH = {"B": 1, "b": 1, "h": 2, "H": 2, "i": 4, "I": 4, "f": 4, "D": 4,
         "font": 60, "rgb": 64, "hdr": 195, "hk": 1088, "pal": 64}


def width(kind, count=1):
    if kind.startswith("s"):
        return int(kind[1:])
    if kind == "res":
        return count
    return WIDTH[kind] * count


def font(height):
    return ("font", height)


def argb(rgb):
    return 0xFF000000 | rgb


PALETTE = [0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x0000FF, 0x000080, 0x00FFFF, 0x008080,
           0x00FF00, 0x008000, 0xFFFF00, 0x808000, 0xFF0000, 0x800000, 0xFF00FF, 0x800080]

# (name, kind, count, default); the options have no offsets of their own:
# they follow one another packed.
OPTIONS = [
    ("iAutoStart", "B", 1, 0), ("iCloseToTray", "B", 1, 0), ("iConfirm", "B", 1, 1),
    ("iAutoZoom", "B", 1, 1), ("iUnits", "B", 1, 255), ("iTrayIcon", "B", 1, 1),
    ("iTrayClick", "B", 1, 0), ("iTrayAction", "B", 1, 0), ("iMonSize", "B", 1, 3),
    ("fMonWidth", "f", 1, 32.0), ("fMonHeight", "f", 1, 24.0),
    ("iPreserveText", "B", 1, 0), ("iCollectText", "B", 1, 0), ("szCBText", "s260", 1, ""),
    ("iDelCBText", "B", 1, 1), ("iLaunchHL", "B", 1, 1), ("iPreset", "i", 1, 0),
    ("iHideOnAction", "B", 1, 0), ("iPrtNumber", "i", 1, 0), ("iDPInitNumber", "i", 1, -666),
    ("szSaveAsPath", "s260", 1, ""), ("szOpenPath", "s260", 1, ""),
    ("iSaveAsType", "B", 1, 7), ("iOpenType", "B", 1, 0),
    ("iCaptureDelay", "i", 1, -1), ("iCaptureDelayTime", "i", 1, 500),
    ("szLoadPath", "s260", 1, ""), ("szLoadExt", "s16", 1, ""), ("iShowDrawBar", "B", 1, 1),
    ("iTool", "i", 1, 0), ("cFore", "D", 1, 0xFF000000), ("cBack", "D", 1, 0xFFFFFFFF),
    ("iBackFill", "i", 1, 0), ("iBrushSize", "i", 1, 4), ("lfFont", "font", 1, "opt"),
    ("iTextFrame", "i", 1, 0), ("cPalette", "pal", 1, [argb(c) for c in PALETTE]),
    ("iUndoBufMB", "i", 1, 200), ("iASTolerance", "i", 1, 16),
    ("hkHotkey", "hk", 1, [44, 300] + [0] * 30),
]

# (offset, name, kind, count, default) from the profile record's table.
PROFILE = [
    (0, "szName", "s32", 1, "New Profile"), (32, "iSubs", "B", 1, 1), (33, "iLevel", "B", 1, 1),
    (34, "iVersion", "h", 1, 4097), (36, "ulSteps", "I", 1, 0x100887),
    (40, "iSCMode", "B", 1, 0), (41, None, "res", 1, 0), (42, "iSCArea", "h", 4, [0, 0, 639, 479]),
    (50, "iSCWidth", "h", 1, 100), (52, "iSCHeight", "h", 1, 100), (54, "iSCMonitor", "B", 1, 0),
    (55, "iSCOMouse", "B", 1, 0), (56, "iSCOSound", "B", 1, 1), (57, "iSCOShowDim", "B", 1, 1),
    (58, "iSCOUseDelay", "B", 1, 0), (59, None, "res", 1, 0), (60, "iSCODelay", "i", 1, 1000),
    (64, "iSOMode", "B", 1, 0), (65, "iSORemPath", "B", 1, 1), (66, "szSOPath", "s260", 1, ""),
    (326, "szSOFile", "s260", 1, ""), (586, "szSTSource", "s34", 1, ""),
    (620, "iSTChangeB", "b", 1, 0), (621, "iSTChangeC", "b", 1, 0), (622, "iSTODialog", "B", 1, 1),
    (623, "iSTOUsePar", "B", 1, 0), (624, "iSTODpi", "h", 1, 150), (626, "iSTOColor", "B", 1, 1),
    (627, "iSTOArea", "B", 1, 0), (628, "fSTOWidth", "f", 1, -1.0), (632, "fSTOHeight", "f", 1, -1.0),
    (636, "fSTOFrame", "f", 4, [-1.0] * 4),
    (652, "iICMode", "B", 1, 255), (653, "iICDither", "B", 1, 0), (654, "iICInvert", "B", 1, 0),
    (655, "iICAutoInv", "B", 1, 0), (656, "iICWinPal", "B", 1, 0), (657, "iICReplCol", "B", 1, 0),
    (658, "iICNumRCol", "B", 1, 0), (659, "rgbICCol1", "rgb", 1, [0] * 64),
    (723, "rgbICCol2", "rgb", 1, [255, 255, 255, 0] + [0] * 60),
    (787, "iIGAutoSel", "B", 1, 0), (788, "iIGFlipH", "B", 1, 0), (789, "iIGFlipV", "B", 1, 0),
    (790, "iIGRotate", "B", 1, 0), (791, "iIGResize", "B", 1, 0), (792, "fIGNewW", "f", 1, 100.0),
    (796, "fIGNewH", "f", 1, 100.0), (800, "iIGUnit", "B", 1, 2), (801, None, "res", 1, 0),
    (802, "iIGDpi", "h", 1, 0), (804, "iIGAntiAlias", "B", 1, 0), (805, None, "res", 3, 0),
    (808, "fIGAspect", "f", 1, 0.0), (812, "iIBBrightness", "b", 1, 0), (813, "iIBContrast", "b", 1, 0),
    (814, "iDARemPath", "B", 1, 1), (815, "szDAPath", "s260", 1, ""), (1075, "szDSFile", "s260", 1, ""),
    (1335, "iDSType", "B", 1, 5), (1336, "szDSPath", "s260", 1, ""), (1596, "iGIFLzw", "B", 1, 1),
    (1597, "iGIFReduce24", "B", 1, 0), (1598, "iGIFDither", "B", 1, 0), (1599, "iGIFWinPal", "B", 1, 0),
    (1600, "iJPGMode", "B", 1, 0), (1601, "iJPGQuality", "B", 1, 75), (1602, "iPNGInterlace", "B", 1, 0),
    (1603, "iPNGCompression", "B", 1, 0), (1604, "szDPPrinter", "s260", 1, ""),
    (1864, "iDPOrientation", "B", 1, 0), (1865, "iDPCopies", "B", 1, 1), (1866, None, "res", 2, 0),
    (1868, "fDPMargin", "f", 4, [0.0] * 4), (1884, "iDPZoomMode", "B", 1, 0), (1885, None, "res", 1, 0),
    (1886, "iDPZoom", "h", 1, 100), (1888, "fDPZoomWidth", "f", 1, 0.0), (1892, "fDPZoomHeight", "f", 1, 0.0),
    (1896, "iDPPosMode", "B", 1, 0), (1897, None, "res", 1, 0), (1898, "iDPPrtPos", "H", 2, [1, 1]),
    (1902, "iDPNoClip", "B", 1, 1), (1903, "iDPHeader", "B", 1, 0), (1904, "iDPFooter", "B", 1, 0),
    (1905, "szDPHeader", "hdr", 1, ""), (2100, "szDPFooter", "hdr", 1, ""),
    (2295, "szDEEditor", "s260", 1, ""), (2555, "szGComment", "s260", 1, ""), (2815, "iGHide", "B", 1, 0),
    (2816, "iTIFComp", "B", 1, 0), (2817, "szDSTarget", "s260", 1, "<Ask for destination>"),
    (3077, "szDSFname", "s260", 1, "Brightwarden.bmp"), (3337, "szDXProfile", "s260", 1, ""),
    (3597, "iSCOHideSC", "B", 1, 1), (3598, None, "res", 2, 0), (3600, "fIGAngle", "f", 1, 0.0),
    (3604, "iIBGamma", "b", 1, 0), (3605, "iIBSaturation", "b", 1, 0), (3606, "iIBHue", "b", 1, 0),
    (3607, "iIMSharpen", "B", 1, 0), (3608, "iIMSoften", "B", 1, 0),
    (3609, "szDefSaveName", "s260", 1, ""), (3869, "szDefDropName", "s260", 1, ""),
    (4129, None, "res", 3, 0), (4132, "lfHeadFont", "font", 1, "prf"), (4192, "crHeadFont", "I", 1, 0),
    (4196, "iTxtOvl", "i", 1, 0), (4200, "szTxtOvlBuffer", "s260", 1, "%T, %D"),
    (4460, "lfTxtOvlFont", "font", 1, "prf"), (4520, "iTxtOvlXOff", "i", 1, -10),
    (4524, "iTxtOvlYOff", "i", 1, -10), (4528, "iTxtOvlRPos", "i", 1, 8), (4532, "iTxtOvlFrame", "i", 1, 0),
    (4536, "iTxtOvlAlign", "i", 1, 1), (4540, "crTxtOvlColor", "I", 1, 0),
    (4544, "crTxtOvlBgnd", "I", 1, 0x00FFFFFF),
]
PROFILE_SIZE = 4548

# StiEvent: 390 bytes, 32 entries.
STI = [("twainds", 34), ("event", 260), ("guid", 64), ("profile", 32)]
STI_SIZE, STI_COUNT = 390, 32


def options_layout():
    """(offset, name, kind, count, default) of the options, packed in order."""
    out, offset = [], 0
    for name, kind, count, default in OPTIONS:
        out.append((offset, name, kind, count, default))
        offset += width(kind, count)
    return out, offset


def font_bytes(height):
    return struct.pack("<5i8B32s", height, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, b"Arial")


def text_bytes(text, n):
    raw = text.encode("latin-1")
    return raw + b"\0" * (n - len(raw))


def encode(kind, count, value, dpi):
    """The bytes of a field holding `value` ("opt"/"prf" fonts at `dpi`)."""
    if kind == "res":
        return b"\0" * count
    if kind.startswith("s"):
        return text_bytes(value, int(kind[1:]))
    if kind == "hdr":
        return b"".join(text_bytes(t, 65) for t in (value if isinstance(value, list) else [value] * 3))
    if kind == "font":
        if isinstance(value, bytes):
            return value
        return font_bytes(-(12 * dpi // 72) if value == "opt" else -(12 * dpi // 96))
    if kind == "rgb":
        return bytes(value)
    if kind == "pal":
        return struct.pack("<16I", *value)
    if kind == "hk":
        if isinstance(value, bytes):
            return value
        return b"".join(struct.pack("<H", k) + b"\0" * 32 for k in value)
    fmt = "<" + ("I" if kind == "D" else kind) * count
    return struct.pack(fmt, *(value if count > 1 else [value]))


def record_bytes(layout, size, values, dpi=96):
    """A whole record from a layout, with `values` (by name) over the defaults."""
    buf = bytearray(size)
    for offset, name, kind, count, default in layout:
        value = values.get(name, default) if name else default
        data = encode(kind, count, value, dpi)
        buf[offset:offset + len(data)] = data
    return bytes(buf)


def default_options(dpi=96):
    layout, size = options_layout()
    return record_bytes(layout, size, {}, dpi)


def default_profile(dpi=96):
    return record_bytes(PROFILE, PROFILE_SIZE, {}, dpi)


# Settings value kinds (the exchange's typed members) by field kind.
KEY_KIND = {"B": "Byte", "b": "Byte", "h": "Short", "H": "HexShort", "i": "Int", "I": "HexInt",
            "f": "Float", "D": "Dword"}


def settings_keys(section):
    """The keys of a section, in order, each with its value kind and the
    (offset, width) of the bytes it holds in the record."""
    keys = []
    if section == "StiEvents":
        for xi in range(STI_COUNT):
            offset = xi * STI_SIZE
            for name, n in STI:
                keys.append(("[%d].%s" % (xi, name), "String", offset, n))
                offset += n
        return keys
    if section == "Options":
        layout, _ = options_layout()
        binary_prefix = "Options."          # "(PBYTE)&gOptions." less 9 characters
    else:
        layout = PROFILE
        binary_prefix = ")&pprf->"          # "(PBYTE)&pprf->" less 6 characters
    for offset, name, kind, count, default in layout:
        if name is None or name == "fSTOFrame":
            continue
        if kind in ("font", "pal"):
            keys.append((binary_prefix + name, "Binary", offset, width(kind)))
        elif kind.startswith("s"):
            keys.append((name, "String", offset, width(kind)))
        elif kind == "hdr":
            for xi in range(3):
                keys.append(("%s[%d]" % (name, xi), "String", offset + 65 * xi, 65))
        elif kind == "rgb":
            for xi in range(16):
                for c, part in enumerate("rgbf"):
                    keys.append(("%s[%d].%s" % (name, xi, part), "HexByte", offset + 4 * xi + c, 1))
        elif kind == "hk":
            for xi in range(32):
                keys.append(("hkHotkey[%d].hotkey" % xi, "HexShort", offset + 34 * xi, 2))
                keys.append(("hkHotkey[%d].profile" % xi, "String", offset + 34 * xi + 2, 32))
        elif count > 1:
            w = width(kind)
            for xi in range(count):
                keys.append(("%s[%d]" % (name, xi), KEY_KIND[kind], offset + w * xi, w))
        else:
            keys.append((name, KEY_KIND[kind], offset, width(kind)))
    return keys


def format_float(v):
    """The exchange's float text: 8 significant digits, 9 when 8 do not give
    the same float back; ".0" after a text that looks like an integer."""
    for digits in (8, 9):
        text = "%.*g" % (digits, v)
        if not any(c in text for c in ".eEn"):
            text += ".0"
        if v != v or struct.pack("<f", float(text)) == struct.pack("<f", v):
            break
    return text


def value_text(kind, raw):
    """The settings text of a field's bytes."""
    if kind == "String":
        return raw.split(b"\0", 1)[0]
    if kind in ("Binary", "Dword"):
        return raw.hex().upper().encode()
    if kind == "HexByte":
        return ("%02X" % raw[0]).encode()
    if kind == "Byte":
        return str(struct.unpack("<b", raw)[0]).encode()
    if kind == "Short":
        return str(struct.unpack("<h", raw)[0]).encode()
    if kind == "HexShort":
        return ("0x%04X" % struct.unpack("<H", raw)[0]).encode()
    if kind == "Int":
        return str(struct.unpack("<i", raw)[0]).encode()
    if kind == "HexInt":
        return ("0x%08X" % struct.unpack("<I", raw)[0]).encode()
    if kind == "Float":
        return format_float(struct.unpack("<f", raw)[0]).encode()
    raise ValueError(kind)


def section_text(section, record):
    """The whole settings text a record gives, lines in key order."""
    return b"".join(key.encode() + b"=" + value_text(kind, record[o:o + n]) + b"\0\r\n"
                    for key, kind, o, n in settings_keys(section))
