#!/usr/bin/env python3
"""Turns the window layout (a Qt Designer .ui file) into the C++ table from
which the native Windows window creates its controls.

    generate_layout.py Update_Main.ui update_main_layout.h

The .ui stays the one source of the layout. What Qt resolves at run time is
resolved here once: a control's font inherits family, pixel size and weight
from its ancestors; a page lies below the page area's tab row.

Qt draws the tick and the cross with Unicode characters; on Windows they are
Wingdings characters in the symbol character set, and the layout's own font
stays on record for a system whose Wingdings lacks one of them.

Anything the generator does not know (a widget class, a glyph) stops the
build instead of coming out wrong.
"""

import sys
import xml.etree.ElementTree as ET

# Unicode glyph of the layout -> (symbol font, character code in it).
SYMBOL_GLYPHS = {
    "\u2714": ("Wingdings", 0xFC),  # heavy check mark: Wingdings' tick
    "\u2718": ("Wingdings", 0xFB),  # heavy ballot X: Wingdings' cross
}

KINDS = {
    "QLabel": "Label",
    "QListWidget": "List",
    "QPushButton": "Button",
    "QCheckBox": "CheckBox",
    "QProgressBar": "ProgressBar",
    "QTextEdit": "RichText",
    "QTabWidget": "PageArea",
    "QFrame": "Panel",
}

SCROLL_BARS = {
    "Qt::ScrollBarAlwaysOff": "Off",
    "Qt::ScrollBarAsNeeded": "AsNeeded",
    "Qt::ScrollBarAlwaysOn": "On",
}


class LayoutError(Exception):
    pass


def props(widget):
    """The widget's own properties by name (not its children's)."""
    return {p.get("name"): p for p in widget.findall("property")}


def text_of(prop):
    if prop is None:
        return None
    string = prop.find("string")
    if string is None:
        raise LayoutError(f"property {prop.get('name')} holds no string")
    return string.text or ""


def number(prop, default=0):
    return default if prop is None else int(prop.find("number").text)


def boolean(prop, default=False):
    return default if prop is None else prop.find("bool").text == "true"


def enum(prop):
    if prop is None:
        return None
    node = prop.find("enum")
    if node is None:
        node = prop.find("set")
    return node.text


def geometry(prop):
    rect = prop.find("rect")
    return tuple(int(rect.find(k).text) for k in ("x", "y", "width", "height"))


def text_color(prop):
    """The active WindowText colour of a palette property, or None."""
    if prop is None:
        return None
    for role in prop.findall("./palette/active/colorrole"):
        if role.get("role") == "WindowText":
            color = role.find("./brush/color")
            return tuple(int(color.find(c).text) for c in ("red", "green", "blue"))
    return None


def alignment(prop):
    flags = (enum(prop) or "").split("|")
    if "Qt::AlignRight" in flags:
        return "Right"
    if "Qt::AlignHCenter" in flags or "Qt::AlignCenter" in flags:
        return "Center"
    return "Left"


class Font:
    def __init__(self, family, pixels, bold):
        self.family, self.pixels, self.bold = family, pixels, bold

    def derive(self, widget_props):
        """The font of a widget inside one whose font is self."""
        family, bold = self.family, self.bold
        font = widget_props.get("font")
        if font is not None:
            node = font.find("font")
            if node.find("family") is not None:
                family = node.find("family").text
            if node.find("bold") is not None:
                bold = node.find("bold").text == "true"
        pixels = number(widget_props.get("fontPixelSize"), self.pixels)
        return Font(family, pixels, bold)


def cpp_string(text):
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")
    return f'"{escaped}"'


def control(widget, parent_name, parent_font, tab_row, out, lines_out):
    """Appends the widget and everything inside it to `out`."""
    cls, name = widget.get("class"), widget.get("name")
    p = props(widget)
    font = parent_font.derive(p)
    if cls == "QWidget" and tab_row is not None:
        kind = "Page"
    elif cls == "QLabel" and "pixmap" in p:
        kind = "Picture"
    elif cls in KINDS:
        kind = KINDS[cls]
    else:
        raise LayoutError(f"{name}: no Windows control for {cls}")

    c = {"name": name, "parent": parent_name, "kind": kind}
    if kind == "Page":
        # A page fills the page area below its tab row.
        area_width, area_height, tab_height = tab_row
        c["geometry"] = (0, tab_height, area_width, area_height - tab_height)
    else:
        c["geometry"] = geometry(p["geometry"])
    c["font"] = font
    c["visible"] = boolean(p.get("visible"), True)

    text = text_of(p.get("text"))
    if kind == "Label" and text in SYMBOL_GLYPHS:
        kind = c["kind"] = "Glyph"
        symbol_family, code = SYMBOL_GLYPHS[text]
        c["symbolCode"] = code
        c["fallbackFamily"] = font.family
        c["font"] = Font(symbol_family, font.pixels, font.bold)
        c["symbol"] = True
    elif kind == "Label" and text is not None and any(ord(ch) >= 0x2000 for ch in text):
        raise LayoutError(f"{name}: no symbol-font character known for {text!r}")
    if text is not None:
        c["text"] = text

    color = text_color(p.get("palette"))
    if color is not None:
        c["color"] = color
    if kind in ("Label", "Glyph", "Picture"):
        c["align"] = alignment(p.get("alignment"))
    if kind == "Picture":
        pixmap = p["pixmap"].find("pixmap").text
        c["picture"] = pixmap.rsplit("/", 1)[-1].rsplit(".", 1)[0].upper()
    if kind == "List":
        c["lines"] = [text_of(item.find("property")) for item in widget.findall("item")]
        c["itemHeight"] = number(p.get("itemHeight"))
    if kind == "RichText":
        c["lines"] = text_of(p.get("plainText")).split("\n")
        c["readOnly"] = boolean(p.get("readOnly"))
    if kind in ("List", "RichText"):
        c["horizontal"] = SCROLL_BARS[enum(p.get("horizontalScrollBarPolicy")) or "Qt::ScrollBarAsNeeded"]
        c["vertical"] = SCROLL_BARS[enum(p.get("verticalScrollBarPolicy")) or "Qt::ScrollBarAsNeeded"]
    if kind == "CheckBox":
        c["checked"] = boolean(p.get("checked"))
    if kind == "ProgressBar":
        c["range"] = (number(p.get("minimum")), number(p.get("maximum"), 100), number(p.get("value")))
    inner_tab_row = None
    if kind == "PageArea":
        c["tabWidth"] = number(p.get("tabWidth"))
        c["tabHeight"] = number(p.get("tabHeight"))
        _, _, width, height = c["geometry"]
        inner_tab_row = (width, height, c["tabHeight"])
    if kind in ("List", "RichText"):
        lines_out[name] = c["lines"]

    out.append(c)
    for child in widget.findall("widget"):
        control(child, name, font, inner_tab_row, out, lines_out)


def emit(window, controls, lines, tab_order):
    w = []
    w.append("// Generated from resources/Update_Main.ui by ui/win32/generate_layout.py.")
    w.append("// Edit the layout, not this file. Each control's window ID is")
    w.append("// layout::ControlId(control): 1000 + its app::Control index.")
    w.append("#pragma once")
    w.append("")
    w.append('#include "ui/win32/layout_types.h"')
    w.append("")
    w.append("namespace ui::win32::layout {")
    w.append("")
    f = window["font"]
    w.append("inline constexpr WindowLayout kWindow{")
    w.append(f"    .name = {cpp_string(window['name'])},")
    w.append(f"    .clientWidth = {window['width']},")
    w.append(f"    .clientHeight = {window['height']},")
    w.append(f"    .title = {cpp_string(window['title'])},")
    w.append(f"    .font = {{{cpp_string(f.family)}, {f.pixels}, {str(f.bold).lower()}, false}},")
    w.append("};")
    w.append("")
    for name, text_lines in lines.items():
        w.append(f"inline constexpr std::string_view k{name}Lines[] = {{")
        for line in text_lines:
            w.append(f"    {cpp_string(line)},")
        w.append("};")
    w.append("")
    w.append("inline constexpr LayoutControl kControls[] = {")
    for c in controls:
        x, y, width, height = c["geometry"]
        f = c["font"]
        fields = [
            f".name = {cpp_string(c['name'])}",
            f".parent = {cpp_string(c['parent'])}",
            f".kind = Kind::{c['kind']}",
            f".x = {x}", f".y = {y}", f".width = {width}", f".height = {height}",
        ]
        if "text" in c:
            fields.append(f".text = {cpp_string(c['text'])}")
        if c["name"] in lines:
            fields.append(f".lines = k{c['name']}Lines")
        symbol = str(c.get("symbol", False)).lower()
        fields.append(f".font = {{{cpp_string(f.family)}, {f.pixels}, {str(f.bold).lower()}, {symbol}}}")
        if "color" in c:
            r, g, b = c["color"]
            fields.append(".hasColor = true")
            fields.append(f".color = {{{r}, {g}, {b}}}")
        if "align" in c:
            fields.append(f".align = Align::{c['align']}")
        if "itemHeight" in c:
            fields.append(f".itemHeight = {c['itemHeight']}")
        if "tabWidth" in c:
            fields.append(f".tabWidth = {c['tabWidth']}")
            fields.append(f".tabHeight = {c['tabHeight']}")
        if "horizontal" in c:
            fields.append(f".horizontal = ScrollBar::{c['horizontal']}")
            fields.append(f".vertical = ScrollBar::{c['vertical']}")
        if c.get("readOnly"):
            fields.append(".readOnly = true")
        if c.get("checked"):
            fields.append(".checked = true")
        if not c["visible"]:
            fields.append(".visible = false")
        if "range" in c:
            lo, hi, value = c["range"]
            fields += [f".minimum = {lo}", f".maximum = {hi}", f".value = {value}"]
        if "symbolCode" in c:
            fields.append(f".symbolCode = 0x{c['symbolCode']:02X}")
            fields.append(f".fallbackFamily = {cpp_string(c['fallbackFamily'])}")
        if "picture" in c:
            fields.append(f".picture = {cpp_string(c['picture'])}")
        w.append("    {")
        for field in fields:
            w.append(f"        {field},")
        w.append("    },")
    w.append("};")
    w.append("")
    w.append("// Keyboard order of the window's direct children.")
    w.append("inline constexpr std::string_view kTabOrder[] = {")
    for name in tab_order:
        w.append(f"    {cpp_string(name)},")
    w.append("};")
    w.append("")
    w.append("}  // namespace ui::win32::layout")
    return "\n".join(w) + "\n"


def generate(ui_path):
    root = ET.parse(ui_path).getroot()
    top = root.find("widget")
    p = props(top)
    window_font = Font(None, 0, False).derive(p)
    if not window_font.family or window_font.pixels <= 0:
        raise LayoutError("the window names no font family and pixel size")
    _, _, width, height = geometry(p["geometry"])
    window = {
        "name": top.get("name"),
        "width": width,
        "height": height,
        "title": text_of(p.get("windowTitle")) or "",
        "font": window_font,
    }
    controls, lines = [], {}
    for child in top.findall("widget"):
        control(child, window["name"], window_font, None, controls, lines)
    names = [c["name"] for c in controls]
    twice = {n for n in names if names.count(n) > 1}
    if twice:
        raise LayoutError(f"names used twice: {sorted(twice)}")
    tab_order = [t.text for t in root.findall("./tabstops/tabstop")]
    top_level = {c["name"] for c in controls if c["parent"] == window["name"]}
    stray = [t for t in tab_order if t not in top_level]
    if stray:
        raise LayoutError(f"tab stops that are no direct child of the window: {stray}")
    return emit(window, controls, lines, tab_order)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    try:
        header = generate(argv[1])
    except (LayoutError, KeyError, AttributeError, ValueError) as error:
        sys.stderr.write(f"{argv[1]}: {error}\n")
        return 1
    with open(argv[2], "w", encoding="utf-8", newline="\n") as out:
        out.write(header)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
