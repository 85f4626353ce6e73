#!/usr/bin/python3
"""Drawings of another program through the host and back, compared with ezdxf.

  dxf_roundtrip.py WINE_RUN HOST_EXE [--keep]

Writes drawings with ezdxf (Debian's python3-ezdxf) at R12, R2000 and R2018,
each holding every entity type ezdxf writes at its version in model space,
paper space and blocks, with XDATA, extension dictionaries, layer states,
linetypes, styles, header variables and materials, plus an R12 file without
handles written here as text. host.exe (run by WINE_RUN, the project's
scripts/wine-run; ME_HOST_FOLDER, as "Z:/path", names another folder of it)
opens each, changes one material's glossiness and saves it under a new name.
The saved file must hold everything the original held, changed only where the
material was edited and where its version demands it; ezdxf's audit must find
no error. Prints what differs, per file and type; exits 1 on any difference.
With --keep the files stay in the temporary folder, which it names.
"""
import difflib
import os
import shutil
import subprocess
import sys
import tempfile
from collections import Counter, defaultdict
from pathlib import Path

try:
    import ezdxf
    from ezdxf.filemanagement import dxf_file_info
    from ezdxf.lldxf import const
    from ezdxf.lldxf.tagger import ascii_tags_loader, tag_compiler
    from ezdxf.lldxf.tagwriter import TagCollector
    from ezdxf.math import Matrix44
    from ezdxf.sections.headervars import HEADER_VAR_MAP
except ImportError as error:
    sys.exit(f"dxf_roundtrip: ezdxf cannot be imported ({error}); install Debian's python3-ezdxf "
             "(apt-get install python3-ezdxf) and run it with /usr/bin/python3")

APP = "ROUNDTRIP"
GLOSS = 0.3
NEW_VERSION = const.DXF2007  # files older than this are saved at it
HOST_TIMEOUT = 300

# -- The drawings ------------------------------------------------------------


def extras(entity, doc, number):
    """XDATA of our application and, from R2000 on, an extension dictionary with an XRECORD."""
    entity.set_xdata(APP, [(1000, f"kept {number}"), (1040, number + 0.25), (1070, number)])
    if doc.dxfversion > const.DXF12:
        record = entity.new_extension_dict().add_xrecord("RT_DATA")
        record.reset([(1, f"record {number}"), (40, number / 8), (90, number)])


def fill(layout, doc, full):
    """Entities of every kind the version takes; `full` adds the rest of the set."""
    r2000 = doc.dxfversion >= const.DXF2000
    material = doc.materials.get("Brick") if doc.dxfversion >= const.DXF2007 else None
    line = layout.add_line((0, 0), (10, 5), dxfattribs={"layer": "Walls", "linetype": "DASHED", "lineweight": 50})
    extras(line, doc, 1)
    layout.add_circle((5, 5), 2.5, dxfattribs={"color": 3, "true_color": 0x20A040, "transparency": 0x02000080})
    layout.add_text("D\u00fcse \u00f850", dxfattribs={"style": "Notes", "height": 0.5, "insert": (1, 7)})
    face = layout.add_3dface([(0, 0, 0), (2, 0, 0), (2, 2, 1), (0, 2, 1)], dxfattribs={"layer": "Locked"})
    if material:
        face.dxf.material_handle = material.dxf.handle
    extras(face, doc, 2)
    layout.add_blockref("Tag", (20, 0)).add_auto_attribs({"NAME": "Pump \u00e91", "SIZE": "DN 50"})
    if not full:
        return
    layout.add_arc((0, 0), 3, 10, 80, dxfattribs={"layer": "Frozen"})
    layout.add_point((4, 4), dxfattribs={"layer": "NoPlot"})
    layout.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)])
    layout.add_trace([(2, 0), (3, 0), (2, 1), (3, 1)])
    layout.add_polyline2d([(0, 0), (3, 0), (3, 3)], dxfattribs={"default_start_width": 0.1})
    layout.add_polyline3d([(0, 0, 0), (1, 2, 3), (4, 5, 6)], close=True)
    mesh = layout.add_polymesh(size=(3, 4))
    for m in range(3):
        for n in range(4):
            mesh.set_mesh_vertex((m, n), (m, n, (m * n) % 3))
    polyface = layout.add_polyface(dxfattribs={"layer": "Walls"})
    polyface.append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)])
    polyface.append_face([(0, 0, 1), (1, 0, 1), (1, 1, 1)])
    extras(polyface, doc, 3)
    grid = layout.add_blockref("Box", (30, 0), dxfattribs={"rotation": 15})
    grid.grid(size=(2, 3), spacing=(4, 5))
    extras(grid, doc, 4)
    dimension = layout.add_linear_dim(base=(0, 12), p1=(0, 10), p2=(8, 10), dimstyle="RT_DIM")
    dimension.render()
    if not r2000:
        return
    layout.add_ellipse((0, 20), major_axis=(4, 1), ratio=0.5)
    layout.add_spline([(0, 0), (1, 2), (3, 1), (4, 4), (6, 2)])
    layout.add_mtext("Line one\\PLine \u00fc two", dxfattribs={"style": "Notes", "insert": (10, 20)})
    hatch = layout.add_hatch(color=5)
    hatch.paths.add_polyline_path([(0, 0), (5, 0), (5, 5), (0, 5)], is_closed=True)
    layout.add_lwpolyline([(0, 0, 0, 0, 0.5), (4, 0, 0.2, 0.2, 0), (4, 3)], format="xyseb", close=True)
    image_def = doc.objects.query("IMAGEDEF").first
    layout.add_image(image_def, (40, 0), (5, 5))
    if doc.dxfversion >= const.DXF2010:
        subd = layout.add_mesh(dxfattribs={"layer": "Walls"})
        with subd.edit_data() as data:
            data.vertices = [(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0), (0.5, 0.5, 1)]
            data.faces = [(0, 1, 2, 3), (0, 1, 4), (1, 2, 4)]
        if material:
            subd.dxf.material_handle = material.dxf.handle


def make_drawing(version, path):
    doc = ezdxf.new(version, setup=True)
    doc.appids.new(APP)
    doc.header["$LTSCALE"] = 2.5
    doc.header["$TEXTSIZE"] = 0.35
    doc.header["$PDMODE"] = 34
    if doc.dxfversion >= const.DXF2000:
        doc.header["$INSUNITS"] = 4
        doc.header["$MEASUREMENT"] = 1
    doc.layers.add("Frozen", color=4).freeze()
    doc.layers.add("Locked", color=5).lock()
    doc.layers.add("NoPlot", plot=False, lineweight=18)
    walls = doc.layers.add("Walls", color=1, true_color=0xC08040, linetype="DASHED", lineweight=35, transparency=0.5)
    walls.off()
    extras(walls, doc, 5)
    doc.styles.new("Notes", dxfattribs={"font": "romans.shx", "width": 0.8, "oblique": 10})
    doc.dimstyles.new("RT_DIM", dxfattribs={"dimtxt": 0.4, "dimasz": 0.3, "dimexe": 0.2, "dimtxsty": "Notes"})
    if doc.dxfversion >= const.DXF2007:
        brick = doc.materials.new("Brick")
        brick.dxf.description = "kept as written"
        brick.dxf.specular_gloss_factor = 0.75
        brick.dxf.diffuse_color_method = 1
        brick.dxf.diffuse_color_value = -1023410112
        brick.dxf.diffuse_map_file_name = "maps/brick.png"
        brick.diffuse_mapper_matrix = Matrix44.scale(2, 3, 1)
        glass = doc.materials.new("Glass")
        glass.dxf.opacity = 0.4
        walls.dxf.material_handle = glass.dxf.handle
    if doc.dxfversion >= const.DXF2000:
        doc.add_image_def(filename="maps/bricks.png", size_in_pixel=(256, 128))
    box = doc.blocks.new("Box")
    box.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 0)])
    box.add_line((0, 0), (1, 1), dxfattribs={"color": 2})
    tag = doc.blocks.new("Tag")
    tag.add_circle((0, 0), 1)
    tag.add_attdef("NAME", (0, 1.5), dxfattribs={"height": 0.4, "prompt": "Name?"})
    tag.add_attdef("SIZE", (0, -1.5), dxfattribs={"height": 0.3})
    fill(doc.blocks.new("Parts"), doc, full=True)
    fill(doc.modelspace(), doc, full=True)
    paper = doc.active_layout()
    fill(paper, doc, full=False)
    paper.add_viewport(center=(10, 8), size=(16, 12), view_center_point=(5, 5), view_height=20)
    if doc.dxfversion >= const.DXF2000:
        doc.groups.new("Pair", description="two of them").extend(list(doc.modelspace())[:2])
    doc.saveas(path)
    return "Brick" if doc.dxfversion >= const.DXF2007 else "Global"


# An R12 file as old programs wrote it: no handles at all.
R12_NO_HANDLES = [
    "SECTION", 2, "HEADER", 9, "$ACADVER", 1, "AC1009", 9, "$HANDLING", 70, 0, 9, "$LTSCALE", 40, 1.5,
    9, "$CLAYER", 8, "Walls", 0, "ENDSEC",
    0, "SECTION", 2, "TABLES", 0, "TABLE", 2, "LTYPE", 70, 1,
    0, "LTYPE", 2, "CONTINUOUS", 70, 0, 3, "Solid line", 72, 65, 73, 0, 40, 0.0, 0, "ENDTAB",
    0, "TABLE", 2, "LAYER", 70, 3, 0, "LAYER", 2, "0", 70, 0, 62, 7, 6, "CONTINUOUS",
    0, "LAYER", 2, "Walls", 70, 0, 62, 1, 6, "CONTINUOUS", 0, "LAYER", 2, "Old", 70, 1, 62, -3, 6, "CONTINUOUS",
    0, "ENDTAB", 0, "ENDSEC",
    0, "SECTION", 2, "BLOCKS", 0, "BLOCK", 8, "0", 2, "Box", 70, 0, 10, 0.0, 20, 0.0, 30, 0.0, 3, "Box",
    0, "3DFACE", 8, "0", 10, 0.0, 20, 0.0, 30, 0.0, 11, 1.0, 21, 0.0, 31, 0.0, 12, 1.0, 22, 1.0, 32, 0.0,
    13, 1.0, 23, 1.0, 33, 0.0, 0, "LINE", 8, "0", 10, 0.0, 20, 0.0, 30, 0.0, 11, 1.0, 21, 1.0, 31, 1.0,
    0, "ENDBLK", 8, "0", 0, "ENDSEC",
    0, "SECTION", 2, "ENTITIES", 0, "LINE", 8, "Walls", 62, 3, 10, 0.0, 20, 0.0, 30, 0.0, 11, 5.0, 21, 5.0, 31, 0.0,
    0, "CIRCLE", 8, "Old", 10, 2.0, 20, 2.0, 30, 0.0, 40, 1.5,
    0, "TEXT", 8, "0", 10, 1.0, 20, 8.0, 30, 0.0, 40, 0.5, 1, "Plain text",
    0, "INSERT", 8, "Walls", 2, "Box", 10, 7.0, 20, 1.0, 30, 0.0, 50, 30.0,
    0, "3DFACE", 8, "Walls", 10, 0.0, 20, 0.0, 30, 1.0, 11, 2.0, 21, 0.0, 31, 1.0, 12, 2.0, 22, 2.0, 32, 1.0,
    13, 0.0, 23, 2.0, 33, 1.0, 0, "ENDSEC", 0, "EOF"]


def write_r12_without_handles(path):
    pairs = [0] + R12_NO_HANDLES
    with open(path, "w", encoding="ascii", newline="\r\n") as out:
        for code, value in zip(pairs[::2], pairs[1::2]):
            out.write(f"{code:>3}\n{value}\n")
    return "Global"


# -- The host ----------------------------------------------------------------


def windows_path(path):
    return "Z:" + str(path)


def run_host(wine_run, host, folder, original, saved, material, force):
    script = folder / f"{original.stem}.script"
    script.write_text("\n".join([f"OPEN '{windows_path(original)}'", f'MATEDIT "{material}" GLOSS {GLOSS}',
                                 f"SAVEAS '{windows_path(saved)}'" + (" FORCE" if force else ""), "QUIT", ""]),
                      encoding="utf-8")
    command = [str(wine_run), str(host), "/nomodule", "/profile", windows_path(folder / "profile.txt"),
               "/script", windows_path(script)]
    try:
        run = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, timeout=HOST_TIMEOUT)
    except subprocess.TimeoutExpired:
        return [f"no exit within {HOST_TIMEOUT} s"]
    errors = run.stderr.decode("utf-8", "replace").strip()
    problems = [] if run.returncode == 0 else [f"exit code {run.returncode}"]
    for line in errors.splitlines():
        print(f"  host: {line}")
    if not saved.exists():
        problems.append("nothing saved")
    return problems


# -- The comparison ----------------------------------------------------------


NAMED = {"LAYER", "LTYPE", "STYLE", "DIMSTYLE", "APPID", "UCS", "VIEW", "VPORT", "BLOCK_RECORD", "BLOCK"}


def raw_records(path):
    """What ezdxf changes or adds as it loads a file, read from the file itself: the header (ezdxf
    sets $TDCREATE, $ACADVER...), the handles and the names of table records and blocks in it, and
    each layer's material and plot style (ezdxf gives every layer "Global" and "Normal")."""
    header, handles, names, layers = {}, set(), set(), {}
    kind = name = variable = None
    with open(path, encoding=dxf_file_info(str(path)).encoding, errors="surrogateescape") as stream:
        for tag in tag_compiler(iter(ascii_tags_loader(stream))):
            if tag.code == 0:
                kind, variable = tag.value, None
            elif kind == "SECTION" and tag.code == 9:
                variable = tag.value
            elif variable is not None:
                header[variable] = hashable(tag.value)
            elif tag.code in (5, 105) and kind not in ("SECTION", "TABLE"):
                handles.add(tag.value.upper())
            elif kind in NAMED and tag.code == 2:
                names.add((kind, tag.value.upper().replace("$", "*")))
                name = tag.value
                layers.setdefault(name, {})
            elif kind == "LAYER" and tag.code in (347, 390) and name is not None:
                layers[name][tag.code] = tag.value
    return header, handles, names, layers


def hashable(value):
    return tuple(value) if isinstance(value, (list, tuple)) or hasattr(value, "xyz") else value


def tags_of(entity, version):
    collector = TagCollector(dxfversion=version, write_handles=version > const.DXF12)
    try:
        entity.export_dxf(collector)
    except Exception as error:  # an entity ezdxf cannot write is a difference too
        return (("export failed", str(error)),)
    tags = tuple((t.code, hashable(t.value)) for t in collector.tags)
    if entity.dxftype() == "DIMSTYLE" and version == const.DXF12:
        # Arrow blocks: an R12 file names "ARCHTICK", a later one the block "_ARCHTICK" (ezdxf's
        # own reading of a later file gives that name too).
        tags = tuple((c, v.lstrip("_") if c in (5, 6, 7) and isinstance(v, str) else v) for c, v in tags)
    return tags


def snapshot(doc, path, version):
    """What is compared: category -> [(key, type, tags)], every entity exported by ezdxf at `version`
    (the original's), so that what only a newer version writes stays out."""
    header, handles, names, raw_layers = raw_records(path)
    by_handle = version > const.DXF12
    for layer in doc.layers:
        raw = raw_layers.get(layer.dxf.name, {})
        for code, attribute in ((347, "material_handle"), (390, "plotstyle_handle")):
            if code in raw:
                layer.dxf.set(attribute, raw[code])
            else:
                layer.dxf.discard(attribute)

    def in_file(entity, name=None):
        if handles:
            return (entity.dxf.handle or "").upper() in handles
        return name is None or (entity.dxftype(), name.upper().replace("$", "*")) in names

    def item(entity, key=None):
        return (key or (entity.dxf.handle if by_handle else entity.dxftype()), entity.dxftype(),
                tags_of(entity, version))

    out = defaultdict(list)
    out["header"] = [(name, "header", value) for name, value in header.items()]
    if version > const.DXF12:
        out["classes"] = [(c.dxf.name, "CLASS", tags_of(c, version)) for c in doc.classes]
    for table in ("layers", "linetypes", "styles", "dimstyles", "appids", "ucs", "views", "viewports",
                  "block_records"):
        for record in getattr(doc.tables, table):
            if in_file(record, record.dxf.name) and (by_handle or table != "block_records"):
                out[f"table {record.dxftype()}"].append(item(record, record.dxf.name.upper()))
    for block in doc.blocks:
        name = block.name.upper().replace("$", "*")
        if in_file(block.block, block.name):
            out[f"block {name}"].append(item(block.block, "BLOCK"))
        out[f"block {name}"] += [item(e) for e in block if in_file(e)]
    if by_handle:
        out["objects"] = [item(o) for o in doc.objects if in_file(o)]
    # Empty exports are what the version does not have; a dictionary then loses their entries.
    gone = {key for key, _, tags in out.get("objects", []) if tags == ()}
    changed = True
    while changed and "objects" in out:
        changed = False
        for n, (key, kind, tags) in enumerate(out["objects"]):
            if kind == "DICTIONARY" and key not in gone:
                kept = drop_entries(tags, gone)
                if kept != tags and not any(code == 3 for code, _ in kept):
                    gone.add(key)
                    changed = True
                out["objects"][n] = (key, kind, kept)
    return {category: [i for i in items if i[2] != () and (category != "objects" or i[0] not in gone)]
            for category, items in out.items()}


def drop_entries(tags, gone):
    kept, n = [], 0
    while n < len(tags):
        if tags[n][0] == 3 and n + 1 < len(tags) and tags[n + 1][0] in (350, 360) and tags[n + 1][1] in gone:
            n += 2
            continue
        kept.append(tags[n])
        n += 1
    return tuple(kept)


def tag_difference(old, new):
    """The first places where two tag lists part, as text."""
    parts = []
    for op, a1, a2, b1, b2 in difflib.SequenceMatcher(None, old, new, autojunk=False).get_opcodes():
        if op != "equal":
            parts.append(f"{list(old[a1:a2])[:3]} -> {list(new[b1:b2])[:3]}")
    return "; ".join(parts[:2]) + (" ..." if len(parts) > 2 else "")


class Report:
    def __init__(self):
        self.counts = Counter()
        self.details = defaultdict(list)

    def add(self, kind, what, text):
        self.counts[(kind, what)] += 1
        self.details[kind].append(f"{what} {text}")

    def total(self):
        return sum(self.counts.values())

    def print(self):
        for kind in sorted(self.details):
            summary = ", ".join(f"{self.counts[(kind, w)]} {w}"
                                for w in ("missing", "extra", "changed", "moved", "failed") if self.counts[(kind, w)])
            print(f"  {kind}: {summary}")
            for line in self.details[kind][:4]:
                print(f"      {line}")
            if len(self.details[kind]) > 4:
                print(f"      ... {len(self.details[kind]) - 4} more")


def header_exempt(name, version, saved_version):
    """What a save at saved_version sets itself, or cannot hold."""
    if name == "$HANDSEED" or (name in ("$ACADVER", "$DWGCODEPAGE") and version < NEW_VERSION):
        return True
    known = HEADER_VAR_MAP.get(name)
    return known is not None and (known.mindxf > version or known.maxdxf < saved_version)


# What every file from R2000 on holds: a save of an older file may add these.
REQUIRED_RECORDS = {("LTYPE", "BYBLOCK"), ("LTYPE", "BYLAYER"), ("LTYPE", "CONTINUOUS"), ("LAYER", "0"),
                    ("APPID", "ACAD"), ("STYLE", "STANDARD"), ("DIMSTYLE", "STANDARD"), ("VPORT", "*ACTIVE"),
                    ("BLOCK", "*MODEL_SPACE"), ("BLOCK", "*PAPER_SPACE")}


def compare(original, saved, version, saved_version, report, edited=None, added_classes=()):
    """edited: the handle of the edited material, whose values may change (its glossiness is
    checked on its own); added_classes: classes the saved file needs for what it holds."""
    added = (REQUIRED_RECORDS if version < const.DXF2000 else set()) | {("CLASS", c) for c in added_classes}
    for category in sorted(set(original) | set(saved)):
        old, new = original.get(category, []), saved.get(category, [])
        where = category.split(" ", 1)[-1]
        if category == "header":
            old_vars, new_vars = dict((k, t) for k, _, t in old), dict((k, t) for k, _, t in new)
            for name in sorted(set(old_vars) | set(new_vars)):
                if header_exempt(name, version, saved_version) or old_vars.get(name) == new_vars.get(name):
                    continue
                what = "missing" if name not in new_vars else "extra" if name not in old_vars else "changed"
                report.add("header", what, f"{name}: {old_vars.get(name)!r} -> {new_vars.get(name)!r}")
        elif version > const.DXF12 or category.startswith("table"):
            compare_keyed(category, where, old, new, report, added, edited)
        else:
            compare_in_order(where, old, new, report, added)


def compare_keyed(category, where, old, new, report, added, edited=None):
    old_items, new_items = {k: (t, g) for k, t, g in old}, {k: (t, g) for k, t, g in new}
    for key, (kind, tags) in old_items.items():
        if key not in new_items:
            report.add(kind, "missing", f"{key} in {where}")
        elif new_items[key] != (kind, tags) and key != edited:
            report.add(kind, "changed", f"{key} in {where}: {tag_difference(tags, new_items[key][1])}")
    for key, (kind, _) in new_items.items():
        if key not in old_items and (kind, key) not in added:
            report.add(kind, "extra", f"{key} in {where}")
    if category.startswith("block"):
        order = [k for k, _, _ in old if k in new_items]
        if order != [k for k, _, _ in new if k in old_items]:
            report.add("order", "moved", f"of the entities of {where}")


def compare_in_order(where, old, new, report, added):
    """Without handles to go by: content and order. Within a stretch that differs, an item is
    paired with the next one of its type."""
    old_items, new_items = [(t, g) for _, t, g in old], [(t, g) for _, t, g in new]
    for op, a1, a2, b1, b2 in difflib.SequenceMatcher(None, old_items, new_items, autojunk=False).get_opcodes():
        if op == "equal":
            continue
        unpaired = list(old_items[a1:a2])
        for kind, tags in new_items[b1:b2]:
            twin = next((o for o in unpaired if o[0] == kind), None)
            if twin is not None:
                unpaired.remove(twin)
                report.add(kind, "changed", f"in {where}: {tag_difference(twin[1], tags)}")
            elif (kind, where) not in added:
                report.add(kind, "extra", f"in {where}")
        for kind, _ in unpaired:
            report.add(kind, "missing", f"in {where}")


LEFT_OUT_OF_R12 = {"DIMENSION", "VIEWPORT"}


def check_file(original_path, saved_path, material):
    report = Report()
    original = ezdxf.readfile(original_path)
    version = original.dxfversion
    try:
        saved = ezdxf.readfile(saved_path)
    except (OSError, const.DXFError) as error:
        report.add("file", "failed", f"{saved_path.name} cannot be read: {error}")
        return report
    expected_version = version if version >= NEW_VERSION else NEW_VERSION
    if saved.dxfversion != expected_version:
        report.add("version", "changed", f"{saved.dxfversion}, expected {expected_version}")
    edited = saved.materials.get(material)
    if edited is None or edited.dxf.get("specular_gloss_factor") != GLOSS:
        got = edited.dxf.get("specular_gloss_factor") if edited else None
        report.add("MATERIAL", "changed", f"{material}: glossiness {got!r}, edited to {GLOSS}")
    if original.materials.get(material):  # read from the file or made by ezdxf, which the snapshot leaves out
        original.materials.get(material).dxf.specular_gloss_factor = GLOSS
    before = snapshot(original, original_path, version)
    after = snapshot(saved, saved_path, version)
    if version == const.DXF12:  # what a save after the question leaves out
        for category, items in before.items():
            before[category] = [i for i in items if i[1] not in LEFT_OUT_OF_R12 or not category.startswith("block")]
    needed = ["MESH"] if any(e.dxftype() == "MESH" for e in saved.entitydb.values()) else []
    compare(before, after, version, saved.dxfversion, report, edited.dxf.handle if edited else None, needed)
    auditor = saved.audit()
    print(f"  audit: {len(auditor.errors)} errors, {len(auditor.fixes)} fixes")
    for entry in auditor.errors:
        report.add("audit", "failed", entry.message)
    for entry in auditor.fixes:
        print(f"    fixed: {entry.message}")
    return report


def main():
    args = [a for a in sys.argv[1:] if a != "--keep"]
    if len(args) != 2:
        sys.exit(__doc__)
    wine_run, host = Path(args[0]), Path(args[1])
    if os.environ.get("ME_HOST_FOLDER"):
        host = Path(os.environ["ME_HOST_FOLDER"].removeprefix("Z:")) / "host.exe"
    if not host.is_file():
        sys.exit(f"dxf_roundtrip: no host at {host}")
    folder = Path(tempfile.mkdtemp(prefix="dxf-roundtrip-"))
    drawings = [("r12", lambda p: make_drawing("R12", p), True),
                ("r12-no-handles", write_r12_without_handles, True),
                ("r2000", lambda p: make_drawing("R2000", p), False),
                ("r2018", lambda p: make_drawing("R2018", p), False)]
    failed = []
    for name, make, force in drawings:
        original, saved = folder / f"{name}.dxf", folder / f"{name}-saved.dxf"
        material = make(original)
        print(f"== {original.name} -> {saved.name} (material {material!r})")
        problems = run_host(wine_run, host, folder, original, saved, material, force)
        report = check_file(original, saved, material) if saved.exists() else Report()
        for problem in problems:
            report.add("host", "failed", problem)
        report.print()
        print(f"  {report.total()} differences")
        if report.total():
            failed.append(name)
    print(f"differences in: {', '.join(failed)}" if failed else "every drawing came back whole")
    if "--keep" in sys.argv:
        print(f"the files are in {folder}")
    else:
        shutil.rmtree(folder)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
