#!/usr/bin/python3
"""DXF files between our drawing SDK and ezdxf (Debian's python3-ezdxf).

  dxf_interop.py make DIR    writes DIR/ezdxf.dxf with ezdxf and DIR/ezdxf.json,
                             the values it put there, for the SDK to compare
  dxf_interop.py check DIR   reads DIR/ours.dxf (written by the SDK) with ezdxf and
                             compares every value with DIR/ours.json (the SDK's own)
"""
import json
import math
import sys

import ezdxf
from ezdxf.lldxf.tagger import ascii_tags_loader

MAPS = ["diffuse", "specular", "reflection", "opacity", "bump", "refraction", "normal"]
MATRIX = {"diffuse": "diffuse_mapper_matrix", "specular": "specular_mapper_matrix",
          "reflection": "reflexion_mapper_matrix", "opacity": "opacity_mapper_matrix",
          "bump": "bump_mapper_matrix", "refraction": "refraction_mapper_matrix", "normal": "normal_mapper_matrix"}
SCALARS = ["ambient_color_method", "ambient_color_factor", "ambient_color_value",
           "diffuse_color_method", "diffuse_color_factor", "diffuse_color_value",
           "specular_gloss_factor", "specular_color_factor", "specular_color_value",
           "opacity", "refraction_index", "translucence", "reflectivity", "illumination_model",
           "channel_flags", "normal_map_method", "normal_map_strength"]
MAP_FIELDS = ["blend_factor", "source", "file_name", "projection_method", "tiling_method", "auto_transform_method"]


def signed32(value):
    value &= 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


def material_values(m):
    out = {name: m.dxf.get(name) for name in SCALARS}
    for name in ("ambient_color_value", "diffuse_color_value", "specular_color_value"):
        if out[name] is not None:
            out[name] = signed32(out[name])
    for prefix in MAPS:
        for field in MAP_FIELDS:
            out[f"{prefix}_map_{field}"] = m.dxf.get(f"{prefix}_map_{field}")
        matrix = getattr(m, MATRIX[prefix])
        out[f"{prefix}_matrix"] = list(matrix) if matrix is not None else None
    return out


def make(folder):
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    expected = {"materials": {}, "layers": {}, "model": [], "blocks": {}, "groups": {}}

    def material(name, index):
        m = doc.materials.new(name)
        m.dxf.description = f"made by ezdxf {index}"
        m.dxf.ambient_color_method = 1
        m.dxf.ambient_color_factor = 0.25 + index / 8
        m.dxf.ambient_color_value = signed32(0xC2000000 | (index * 0x010203))
        m.dxf.diffuse_color_method = 1
        m.dxf.diffuse_color_factor = 0.5
        m.dxf.diffuse_color_value = signed32(0xC3000000 | (index + 1))
        m.dxf.specular_gloss_factor = 0.125 * index
        m.dxf.specular_color_method = 1
        m.dxf.specular_color_factor = 0.75
        m.dxf.specular_color_value = signed32(0xC2102030)
        m.dxf.opacity = 0.6
        m.dxf.refraction_index = 1.5
        m.dxf.diffuse_map_blend_factor = 0.8
        m.dxf.diffuse_map_source = 1
        m.dxf.diffuse_map_file_name = f"maps/brick{index}.png"
        m.dxf.diffuse_map_projection_method = 1 + index % 4
        m.dxf.diffuse_map_tiling_method = 1 + index % 3
        m.dxf.diffuse_map_auto_transform_method = 2
        m.diffuse_mapper_matrix = ezdxf.math.Matrix44.chain(ezdxf.math.Matrix44.scale(2, 3, 1),
                                                            ezdxf.math.Matrix44.translate(0.5, index, 0))
        m.dxf.bump_map_source = 1
        m.dxf.bump_map_file_name = "bump.jpg"
        m.dxf.bump_map_blend_factor = 0.3
        m.dxf.opacity_map_blend_factor = 0.9
        m.dxf.translucence = 0.1
        m.dxf.reflectivity = 0.2
        m.dxf.illumination_model = 1
        m.dxf.channel_flags = 1 | 2 | 16
        expected["materials"][name] = {"handle": m.dxf.handle, "description": m.dxf.description,
                                       **material_values(m)}
        return m

    brick = material("Brick", 1)
    glass = material("Glass \u00e9", 2)
    walls = doc.layers.add("Walls")
    walls.dxf.material_handle = brick.dxf.handle
    floors = doc.layers.add("Floors")
    floors.dxf.material_handle = glass.dxf.handle
    expected["layers"] = {"Walls": "Brick", "Floors": "Glass \u00e9"}

    def note(entity, kind, into):
        material_name = None
        if entity.dxf.hasattr("material_handle"):
            material_name = doc.entitydb[entity.dxf.material_handle].dxf.name
        into.append({"handle": entity.dxf.handle, "kind": kind, "layer": entity.dxf.layer,
                     "material": material_name})

    mesh = msp.add_mesh(dxfattribs={"layer": "Walls", "material_handle": glass.dxf.handle})
    with mesh.edit_data() as data:
        data.vertices = [(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0), (0.5, 0.5, 1)]
        data.faces = [(0, 1, 2, 3), (0, 1, 4), (1, 2, 4)]
    note(mesh, "OdDbSubDMesh", expected["model"])
    face = msp.add_3dface([(0, 0, 0), (2, 0, 0), (2, 2, 1), (0, 2, 1)],
                          dxfattribs={"layer": "Floors", "material_handle": brick.dxf.handle})
    note(face, "OdDbFace", expected["model"])
    poly = msp.add_polyface(dxfattribs={"layer": "Walls"})
    poly.append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)])
    poly.append_face([(0, 0, 1), (1, 0, 1), (1, 1, 1)])
    poly.optimize()
    note(poly, "OdDbPolyFaceMesh", expected["model"])
    expected["polyface"] = {"handle": poly.dxf.handle, "vertices": len(list(poly.vertices)) - 2, "faces": 2}

    inner = doc.blocks.new("Inner")
    cube = inner.add_polyface()
    cube.append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0)])
    outer = doc.blocks.new("Outer")
    outer.add_blockref("Inner", (1, 2, 3), dxfattribs={"rotation": 90, "xscale": 2})
    outer.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 0)])
    ref = msp.add_blockref("Outer", (10, 0, 0), dxfattribs={"rotation": 30, "material_handle": brick.dxf.handle})
    note(ref, "OdDbBlockReference", expected["model"])
    expected["blocks"] = {"Inner": ["OdDbPolyFaceMesh"], "Outer": ["OdDbBlockReference", "OdDbFace"]}
    expected["insert"] = {"handle": ref.dxf.handle, "block": "Outer", "position": [10, 0, 0], "rotation": 30}

    group = doc.groups.new("Pair", description="two of them")
    group.extend([mesh, face])
    expected["groups"] = {"Pair": {"description": "two of them", "members": [mesh.dxf.handle, face.dxf.handle]}}
    doc.saveas(f"{folder}/ezdxf.dxf")
    with open(f"{folder}/ezdxf.json", "w", encoding="utf-8") as out:
        json.dump(expected, out, ensure_ascii=False, indent=1)


def raw_values(path):
    """What ezdxf 0.18 reads into the wrong place, read from the file's tags
    with ezdxf's tag loader: a MATERIAL's specular colour method (group 76;
    ezdxf expects 73 there and then takes the normal map's projection, the
    73 after group 465, for it) and each LAYER's material (ezdxf sets every
    layer's material to "Global" when it loads a file)."""
    materials, layers = {}, {}
    kind, handle, name, after_strength = None, None, None, False
    with open(path, encoding="utf-8") as stream:
        for tag in ascii_tags_loader(stream):
            if tag.code == 0:
                kind, after_strength = tag.value, False
            elif tag.code == 5:
                handle = tag.value
            elif kind == "MATERIAL" and tag.code == 76:
                materials.setdefault(handle, {})["specular_color_method"] = int(tag.value)
            elif kind == "MATERIAL" and tag.code == 465:
                after_strength = True
            elif kind == "MATERIAL" and tag.code == 73 and after_strength:
                materials.setdefault(handle, {})["normal_map_projection_method"] = int(tag.value)
            elif kind == "LAYER" and tag.code == 2:
                name = tag.value
            elif kind == "LAYER" and tag.code == 347:
                layers[name] = tag.value
    return materials, layers


def same(a, b):
    if isinstance(a, float) or isinstance(b, float):
        return a is not None and b is not None and math.isclose(float(a), float(b), rel_tol=0, abs_tol=0)
    if isinstance(a, list) and isinstance(b, list):
        return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    return a == b


def check(folder):
    path = f"{folder}/ours.dxf"
    with open(f"{folder}/ours.json", encoding="utf-8") as stream:
        expected = json.load(stream)
    doc = ezdxf.readfile(path)
    problems = []
    auditor = doc.audit()
    problems += [f"audit: {e.message}" for e in auditor.errors]
    materials = {m.dxf.name: m for m in doc.objects if m.dxftype() == "MATERIAL"}
    raw_materials, raw_layers = raw_values(path)
    compared = 0
    for name, values in expected["materials"].items():
        m = materials.get(name)
        if m is None:
            problems.append(f"material {name!r} not read")
            continue
        got = material_values(m)
        got.update(raw_materials.get(m.dxf.handle, {}))
        got["handle"] = m.dxf.handle
        got["description"] = m.dxf.description
        for key, value in values.items():
            compared += 1
            if not same(got.get(key), value):
                problems.append(f"{name}: {key} is {got.get(key)!r}, written {value!r}")
    for name, material in expected["layers"].items():
        got = doc.entitydb[raw_layers[name]].dxf.name if name in raw_layers else None
        if got != material:
            problems.append(f"layer {name}: material {got!r}, written {material!r}")
    model = [(e.dxf.handle, e.dxftype(), e.dxf.layer,
              doc.entitydb[e.dxf.material_handle].dxf.name if e.dxf.hasattr("material_handle") else None)
             for e in doc.modelspace()]
    want = [(e["handle"], e["type"], e["layer"], e["material"]) for e in expected["model"]]
    if model != want:
        problems.append(f"model space {model} written {want}")
    for name, group in expected["groups"].items():
        got = doc.groups.get(name)
        if got is None or [e.dxf.handle for e in got] != group["members"] or got.dxf.description != group["description"]:
            problems.append(f"group {name} differs")
    for name, types in expected["blocks"].items():
        got = [e.dxftype() for e in doc.blocks.get(name)]
        if got != types:
            problems.append(f"block {name}: {got} written {types}")
    for problem in problems:
        print(problem)
    print(f"ezdxf read {len(materials)} materials, {compared} material values compared, {len(problems)} differences")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("make", "check"):
        sys.exit(__doc__)
    sys.exit(make(sys.argv[2]) if sys.argv[1] == "make" else check(sys.argv[2]))
