#!/usr/bin/python3
"""Checks that each chart's SVG is the same picture as its GIF.

    check_svg.py FOLDER...
        For every NAME.svg beside a NAME.gif in each FOLDER: the SVG is
        well-formed UTF-8 XML, sized 286 x 221 with a matching viewBox, an
        image for assistive technology (role="img", aria-labelledby naming its
        first child, a <title>, and a <desc>), and inert (no script, no event
        attribute, no external reference). Rendered at 286 x 221 by two
        independent renderers, librsvg (rsvg-convert) and headless Chromium,
        it must match the GIF as giflib's peer Pillow decodes it: leaving out
        the texts (the fonts differ), at least 99 % of the GIF's pixels of
        each chart colour find a pixel of that colour within one pixel in the
        rendering, and at least 99 % of the rendering's pixels of a chart
        colour find one in the GIF. Rendered at 2x (572 x 442), no colour
        but the chart's own appears away from the texts: the lines and dots
        stay sharp. Prints one line of figures for each SVG and renderer.
        Exit status 0 when every SVG passes, 1 when one fails, 2 when the
        check could not be made.

Needs Debian's chromium, librsvg2-bin and python3-pil; run with
/usr/bin/python3.
"""

import base64
import io
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_pages  # noqa: E402  (the browser on its DevTools pipe)

SIZE = check_pages.CHART_SIZE
SVG = "{http://www.w3.org/2000/svg}"
# The chart's colours beside its background; texts are pale yellow.
LINES = {(255, 255, 0): "yellow", (100, 100, 100): "grey", (255, 255, 255): "white", (255, 0, 0): "red",
         (0, 255, 0): "green"}
OWN = set(LINES) | {(0, 0, 0), (255, 255, 128)}
MATCHED = 0.99


def image_module():
    try:
        from PIL import Image
    except ImportError:
        raise check_pages.CheckError("Pillow not found: run with /usr/bin/python3 (Debian package python3-pil)")
    return Image


# --- what the file is ----------------------------------------------------------

def structure_faults(path):
    faults = []
    with open(path, "rb") as file:
        raw = file.read()
    if not raw.startswith(b'<?xml version="1.0" encoding="UTF-8"?>'):
        faults.append("no XML declaration of UTF-8")
    try:
        raw.decode("utf-8")
        root = ElementTree.fromstring(raw)
    except (UnicodeDecodeError, ElementTree.ParseError) as error:
        return [f"not well-formed UTF-8 XML: {error}"]
    if root.tag != SVG + "svg":
        return [f"root element {root.tag}, not svg"]
    for name, value in (("width", "286"), ("height", "221"), ("viewBox", "0 0 286 221"), ("role", "img")):
        if root.get(name) != value:
            faults.append(f'root {name}="{root.get(name)}", not "{value}"')
    children = list(root)
    labels = (root.get("aria-labelledby") or "").split()
    named = {element.get("id"): element.tag for element in root.iter() if element.get("id")}
    if not children or children[0].tag != SVG + "title" or children[0].get("id") not in labels:
        faults.append("the first child is not the <title> that aria-labelledby names")
    if SVG + "desc" not in [named.get(label) for label in labels]:
        faults.append("aria-labelledby names no <desc>")
    for element in root.iter():
        tag = element.tag.replace(SVG, "")
        if tag in ("script", "foreignObject", "image", "use", "a", "iframe", "style"):
            faults.append(f"a <{tag}> element")
        for name in element.attrib:
            local = name.split("}")[-1]
            if local.lower().startswith("on") or local == "href":
                faults.append(f"<{tag}> has the attribute {local}")
    return faults


def text_boxes(path):
    """The places where texts are, as (left, top, right, bottom) in pixels: wide enough for any sans-serif."""
    root = ElementTree.parse(path).getroot()
    boxes = []
    for text in root.iter(SVG + "text"):
        x, y = float(text.get("x")), float(text.get("y"))
        boxes.append((x - 3, y - 14, x + 8.5 * len(text.text or "") + 3, y + 5))
    return boxes


# --- pictures ---------------------------------------------------------------------

def pixels(image):
    image = image.convert("RGB")
    return image.size, list(image.getdata())


def in_boxes(boxes, scale):
    def masked(x, y):
        return any(left * scale <= x <= right * scale and top * scale <= y <= bottom * scale
                   for left, top, right, bottom in boxes)
    return masked


def found_within_one(size, picture, other, masked):
    """Of the pixels of a line colour in `picture` away from the texts: how many, and how many `other` has within one pixel."""
    width, height = size
    total = found = 0
    for y in range(height):
        for x in range(width):
            colour = picture[y * width + x]
            if colour not in LINES or masked(x, y):
                continue
            total += 1
            if any(other[yy * width + xx] == colour
                   for yy in range(max(0, y - 1), min(height, y + 2)) for xx in range(max(0, x - 1), min(width, x + 2))):
                found += 1
    return total, found


def compare(gif, rendering, boxes):
    """The two directions of the match, each as (total, found), and a description of any fault."""
    size, ours = gif
    rendered_size, theirs = rendering
    if rendered_size != size:
        return None, f"rendered {rendered_size[0]} x {rendered_size[1]}, not {size[0]} x {size[1]}"
    masked = in_boxes(boxes, 1)
    return (found_within_one(size, ours, theirs, masked), found_within_one(size, theirs, ours, masked)), None


def foreign(rendering, boxes, scale):
    """Pixels away from the texts in a colour that is not the chart's."""
    (width, height), colours = rendering
    masked = in_boxes(boxes, scale)
    return sum(1 for y in range(height) for x in range(width)
               if colours[y * width + x] not in OWN and not masked(x / 1.0, y / 1.0))


# --- the renderers ------------------------------------------------------------------

def render_librsvg(path, scale, work):
    out = os.path.join(work, f"librsvg-{scale}.png")
    try:
        subprocess.run(["rsvg-convert", "-w", str(SIZE[0] * scale), "-h", str(SIZE[1] * scale), "-o", out, path],
                       check=True, capture_output=True, timeout=check_pages.STEP_SECONDS)
    except FileNotFoundError:
        raise check_pages.CheckError("rsvg-convert not found (Debian package librsvg2-bin)")
    except subprocess.CalledProcessError as error:
        raise check_pages.CheckError(f"rsvg-convert {path}: {error.stderr.decode(errors='replace').strip()}")
    return pixels(image_module().open(out))


def render_chromium(browser, path, scale):
    browser.open(path, {"width": SIZE[0], "height": SIZE[1], "deviceScaleFactor": scale, "mobile": False})
    clip = {"x": 0, "y": 0, "width": SIZE[0], "height": SIZE[1], "scale": 1}
    data = browser.call("Page.captureScreenshot", {"format": "png", "clip": clip})["data"]
    return pixels(image_module().open(io.BytesIO(base64.b64decode(data))))


def check_one(browser, svg, work):
    name = os.path.basename(svg)
    faults = structure_faults(svg)
    if faults:
        return [f"{name}: {fault}" for fault in faults]
    gif = pixels(image_module().open(svg[:-4] + ".gif"))
    boxes = text_boxes(svg)
    renderers = {"librsvg": lambda scale: render_librsvg(svg, scale, work),
                 "chromium": lambda scale: render_chromium(browser, svg, scale)}
    for renderer, render in renderers.items():
        directions, fault = compare(gif, render(1), boxes)
        if fault:
            faults.append(f"{name}, {renderer}: {fault}")
            continue
        ratios = [found / total if total else 1.0 for total, found in directions]
        stray = foreign(render(2), boxes, 2)
        print(f"{name} {renderer}: GIF pixels found {directions[0][1]}/{directions[0][0]} ({ratios[0]:.2%}), "
              f"rendered pixels found {directions[1][1]}/{directions[1][0]} ({ratios[1]:.2%}), "
              f"foreign colours at 2x {stray}")
        if min(ratios) < MATCHED:
            faults.append(f"{name}, {renderer}: matches the GIF for {min(ratios):.2%} of its pixels, under {MATCHED:.0%}")
        if stray:
            faults.append(f"{name}, {renderer}: {stray} pixels at 2x in colours not the chart's, away from its texts")
    return faults


def main():
    folders = sys.argv[1:]
    if not folders:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    svgs = sorted(os.path.join(folder, name) for folder in folders for name in os.listdir(folder)
                  if re.fullmatch(r"[^.].*\.svg", name) and os.path.isfile(os.path.join(folder, name[:-4] + ".gif")))
    try:
        if not svgs:
            raise check_pages.CheckError("no SVG beside a GIF in " + " ".join(folders))
        failed = 0
        with tempfile.TemporaryDirectory(prefix="check_svg-") as work:
            browser = check_pages.Browser()
            try:
                for svg in svgs:
                    faults = check_one(browser, svg, work)
                    for fault in faults:
                        print("FAIL " + fault)
                    failed += bool(faults)
            finally:
                browser.close()
        print(f"{len(svgs) - failed} of {len(svgs)} SVG files passed")
        return 1 if failed else 0
    except (check_pages.CheckError, OSError, subprocess.TimeoutExpired) as error:
        print(f"check_svg: {error}", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main())
