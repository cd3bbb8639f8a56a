#!/usr/bin/env python3
"""Writes the block shapes shipped in resources/ as DirectX .x text files.

    scripts/make_shapes.py [output directory, default resources/]

Every shape spans -0.95 .. 0.95 on each axis (blocks stand 2 units apart, so neighbours keep a
thin gap). Coordinates are left-handed with +Y up; every polygon is written clockwise as seen
from outside, and the script checks that before writing. The files are generated: change this
script and run it again rather than editing them.

    koraven.x  bevelled block: flat faces, bevelled edges and corners whose corner normals are
               those of the neighbouring faces, so Gouraud shading softens the edges
    cube.x     plain cube, corners duplicated per face so that every face is flat
    round.x    block with rounded edges and corners, one smooth normal per corner
"""

import math
import os
import sys

HALF = 0.95  # half the block's width
BEVEL = 0.16  # width of a bevel of koraven.x, measured along each face
RADIUS = 0.34  # edge radius of round.x


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def normalize(v):
    length = math.sqrt(dot(v, v))
    return (v[0] / length, v[1] / length, v[2] / length)


class Shape:
    """Positions, normals and polygons; a polygon is a list of (position, normal) indices."""

    def __init__(self):
        self.positions = []
        self.normals = []
        self.polygons = []
        self._position_index = {}
        self._normal_index = {}

    def position(self, p):
        key = tuple(round(c, 6) for c in p)
        if key not in self._position_index:
            self._position_index[key] = len(self.positions)
            self.positions.append(key)
        return self._position_index[key]

    def normal(self, n):
        key = tuple(round(c, 6) for c in normalize(n))
        if key not in self._normal_index:
            self._normal_index[key] = len(self.normals)
            self.normals.append(key)
        return self._normal_index[key]

    def add_polygon(self, corners):
        """Adds a convex polygon, turning it clockwise as seen from outside if it is not."""
        points = [self.positions[p] for p, _ in corners]
        centre = tuple(sum(c[i] for c in points) / len(points) for i in range(3))
        face = cross(sub(points[1], points[0]), sub(points[2], points[0]))
        if dot(face, centre) < 0:
            corners = [corners[0]] + corners[:0:-1]
        self.polygons.append(corners)

    def triangle_count(self):
        return sum(len(p) - 2 for p in self.polygons)

    def check(self):
        """Every fan triangle must face outward and agree with its corner normals."""
        for poly in self.polygons:
            for k in range(1, len(poly) - 1):
                tri = [poly[0], poly[k], poly[k + 1]]
                a, b, c = (self.positions[p] for p, _ in tri)
                face = cross(sub(b, a), sub(c, a))
                centre = tuple((a[i] + b[i] + c[i]) / 3 for i in range(3))
                assert dot(face, centre) > 0, "triangle faces inward"
                for _, n in tri:
                    assert dot(face, self.normals[n]) > 0, "corner normal disagrees"


def axis_point(axis, sign, u, v, plane):
    """The point at `plane` * sign on `axis`, with u and v on the two other axes in order."""
    others = [i for i in range(3) if i != axis]
    p = [0.0, 0.0, 0.0]
    p[axis] = sign * plane
    p[others[0]] = u
    p[others[1]] = v
    return tuple(p)


def unit(axis, sign):
    n = [0.0, 0.0, 0.0]
    n[axis] = float(sign)
    return tuple(n)


def bevelled_block(bevel):
    """Six inset faces, twelve edge bevels and eight corner triangles; with bevel 0 only the
    six faces remain, each with corners of its own (a plain cube with flat faces)."""
    shape = Shape()
    inner = HALF - bevel
    faces = [(axis, sign) for axis in range(3) for sign in (-1, 1)]
    # Corner of face (axis, sign) lying towards the signs (su, sv) of its two other axes.
    corner = {}
    for axis, sign in faces:
        n = shape.normal(unit(axis, sign))
        for su in (-1, 1):
            for sv in (-1, 1):
                p = axis_point(axis, sign, su * inner, sv * inner, HALF)
                # A plain cube duplicates each corner per face: key positions by face too.
                index = len(shape.positions) if bevel == 0 else None
                if bevel == 0:
                    shape.positions.append(p)
                else:
                    index = shape.position(p)
                corner[(axis, sign, su, sv)] = (index, n)

    def corner_at(axis, sign, signs):
        others = [i for i in range(3) if i != axis]
        return corner[(axis, sign, signs[others[0]], signs[others[1]])]

    for axis, sign in faces:
        shape.add_polygon([corner[(axis, sign, su, sv)] for su, sv in ((-1, -1), (-1, 1), (1, 1), (1, -1))])
    if bevel == 0:
        return shape
    for a in range(3):
        for c in range(a + 1, 3):
            e = 3 - a - c
            for sa in (-1, 1):
                for sc in (-1, 1):
                    quad = []
                    for axis, sign in ((a, sa), (c, sc)):
                        along = (-1, 1) if axis == a else (1, -1)
                        for se in along:
                            signs = [0, 0, 0]
                            signs[a], signs[c], signs[e] = sa, sc, se
                            quad.append(corner_at(axis, sign, signs))
                    shape.add_polygon(quad)
    for sx in (-1, 1):
        for sy in (-1, 1):
            for sz in (-1, 1):
                signs = (sx, sy, sz)
                shape.add_polygon([corner_at(axis, signs[axis], signs) for axis in range(3)])
    return shape


def rounded_block(radius):
    """Each face cut into a 3 x 3 grid whose outer rows bend round the edges: every edge is a
    quarter circle of two segments, every corner an eighth of a sphere; one normal per corner,
    pointing away from the inner box, so the whole surface shades smoothly."""
    shape = Shape()
    inner = HALF - radius
    steps = (-HALF, -inner, inner, HALF)
    for axis in range(3):
        for sign in (-1, 1):
            grid = {}
            for i, u in enumerate(steps):
                for j, v in enumerate(steps):
                    on_cube = axis_point(axis, sign, u, v, HALF)
                    core = tuple(max(-inner, min(inner, c)) for c in on_cube)
                    n = normalize(sub(on_cube, core))
                    p = tuple(core[k] + radius * n[k] for k in range(3))
                    grid[(i, j)] = (shape.position(p), shape.normal(n))
            for i in range(3):
                for j in range(3):
                    shape.add_polygon([grid[(i, j)], grid[(i, j + 1)], grid[(i + 1, j + 1)], grid[(i + 1, j)]])
    return shape


def number(v):
    return "%.6f" % (v + 0.0 if abs(v) >= 5e-7 else 0.0)


def vector_list(vectors):
    rows = ["%s;%s;%s;" % tuple(number(c) for c in v) for v in vectors]
    return ["   " + r + ("," if i + 1 < len(rows) else ";") for i, r in enumerate(rows)]


def face_list(polygons, which):
    rows = ["%d;%s;" % (len(p), ",".join(str(c[which]) for c in p)) for p in polygons]
    return ["   " + r + ("," if i + 1 < len(rows) else ";") for i, r in enumerate(rows)]


def write_x(path, title, shape, frame):
    shape.check()
    lines = [
        "xof 0302txt 0032",
        "// %s" % title,
        "// %d positions, %d normals, %d polygons, %d triangles." % (
            len(shape.positions), len(shape.normals), len(shape.polygons), shape.triangle_count()),
        "// Written by scripts/make_shapes.py.",
        "",
        "Header {",
        " 1;",
        " 0;",
        " 1;",
        "}",
        "",
    ]
    indent = ""
    if frame:
        lines += [
            "Frame Block {",
            " FrameTransformMatrix {",
            "  1.000000,0.000000,0.000000,0.000000,",
            "  0.000000,1.000000,0.000000,0.000000,",
            "  0.000000,0.000000,1.000000,0.000000,",
            "  0.000000,0.000000,0.000000,1.000000;;",
            " }",
            "",
        ]
        indent = " "
    body = [
        "Mesh BlockMesh {",
        "  %d;" % len(shape.positions),
    ] + vector_list(shape.positions) + [
        "",
        "  %d;" % len(shape.polygons),
    ] + face_list(shape.polygons, 0) + [
        "",
        "  MeshMaterialList {",
        "   1;",
        "   %d;" % len(shape.polygons),
        "   " + ",".join("0" for _ in shape.polygons) + ";",
        "   Material {",
        "    1.000000;1.000000;1.000000;1.000000;;",
        "    5.000000;",
        "    1.000000;1.000000;1.000000;;",
        "    0.000000;0.000000;0.000000;;",
        "   }",
        "  }",
        "",
        "  MeshNormals {",
        "   %d;" % len(shape.normals),
    ] + vector_list(shape.normals) + [
        "   %d;" % len(shape.polygons),
    ] + face_list(shape.polygons, 1) + [
        "  }",
        "}",
    ]
    lines += [indent + line if line else line for line in body]
    if frame:
        lines.append("}")
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    print("%s: %d triangles" % (path, shape.triangle_count()))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    write_x(os.path.join(out, "koraven.x"), "koraven.x: the KORAVEN block, bevelled edges with soft shading.",
            bevelled_block(BEVEL), frame=True)
    write_x(os.path.join(out, "cube.x"), "cube.x: a plain cube with flat faces.", bevelled_block(0), frame=False)
    write_x(os.path.join(out, "round.x"), "round.x: a block with rounded edges and corners.",
            rounded_block(RADIUS), frame=True)


if __name__ == "__main__":
    main()
