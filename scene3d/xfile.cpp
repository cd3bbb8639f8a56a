// Reader of DirectX .x text files into one triangle mesh.
//
// What is read: the 16-byte header ("xof ", version 0302 or 0303, "txt ", float size 0032 or
// 0064); templates, which are skipped; Frame objects, nested, each with its
// FrameTransformMatrix applied to everything inside it (row vectors, so the mesh comes out in
// the file's root coordinates); every Mesh, merged into one; polygon faces, split into fans
// that keep the file's winding; MeshNormals with its per-face normal indices; MeshMaterialList,
// checked but not applied (the frame's colour colours the block). A mesh without MeshNormals
// gets one flat normal per face. Other objects and {references} are skipped.
//
// List separators are read leniently: ';' and ',' may stand between any two values, so both
// the old ";," style and the newer one read alike; the counts alone give the structure.
//
// Everything else fails: binary and compressed files, a wrong header, a file cut short,
// counts that the bytes left in the file cannot hold (checked before anything is reserved),
// indices out of range, negative or fractional counts, numbers out of range.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "scene3d/mesh.h"
#include "scene3d/xfile_lexer.h"

namespace ka3D {

namespace {

using xfile::IsWord;
using xfile::Lexer;
using xfile::Token;
using xfile::TokenKind;

constexpr int kMaxFrameDepth = 64;                // deeper nesting is refused, not recursed into
constexpr size_t kMaxFileSize = size_t{1} << 28;  // 256 MB: far beyond any block shape

// A 4x4 row-vector transform: p' = p * m, translation in row 3.
struct Matrix {
    double m[4][4];
};

Matrix Identity() {
    Matrix r{};
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1;
    return r;
}

class Parser {
  public:
    Parser(const char* data, size_t size, Mesh* out) : lex_(data, size), out_(out) {}

    bool ParseFile();

  private:
    // Every refusal goes through here: one place to stop in a debugger.
    bool Fail() { return false; }

    // Next token that is not a list separator.
    Token NextValue();
    bool ReadFloat(double* value);
    bool ReadFloats(double* values, int n);
    // A count of items each needing at least `minBytes` bytes of the file; a count the bytes
    // left cannot hold is refused before anything is allocated for it.
    bool ReadCount(size_t minBytes, uint32_t* count);
    bool ReadIndex(uint32_t limit, uint32_t* index);

    bool ReadObjectHeader();  // after the type word: [name] [<guid>] '{'
    bool SkipBody();          // up to and including the '}' that closes the open object
    bool SkipReference();     // after '{': name and/or guid, then '}'
    bool SkipTemplate();
    // Reads the objects inside an open object up to its closing '}'. References are skipped;
    // for every object, once its header is read, `child` gets its type word and reads the
    // body (SkipBody for types it does not know), returning false to refuse the file.
    template <typename Child>
    bool ParseChildren(Child child);

    bool ParseFrame(int depth);
    bool ParseMatrix(Matrix* m);
    bool ParseMesh();
    bool ParseMeshNormals(const std::vector<uint32_t>& faceStart,
                          std::vector<uint32_t>* faceNormals, std::vector<Vec3>* normals);
    bool ParseMaterialList(uint32_t faceCount);

    void Transform(const Matrix& m, size_t firstPosition, size_t firstNormal, size_t firstTriangle);
    bool Finish();

    // Narrows a computed coordinate; one that a float cannot hold spoils the whole load.
    float Narrow(double v) {
        if (!(std::fabs(v) <= std::numeric_limits<float>::max())) {
            overflow_ = true;
            return 0;
        }
        return static_cast<float>(v);
    }

    Lexer lex_;
    Mesh* out_;
    bool foundMesh_ = false;
    bool overflow_ = false;
};

Token Parser::NextValue() {
    Token t = lex_.Next();
    while (t.kind == TokenKind::Separator) t = lex_.Next();
    return t;
}

bool Parser::ReadFloat(double* value) {
    Token t = NextValue();
    if (t.kind != TokenKind::Number || !std::isfinite(t.value)) return Fail();
    if (std::fabs(t.value) > std::numeric_limits<float>::max()) return Fail();
    *value = t.value;
    return true;
}

bool Parser::ReadFloats(double* values, int n) {
    for (int i = 0; i < n; ++i)
        if (!ReadFloat(&values[i])) return false;
    return true;
}

bool Parser::ReadCount(size_t minBytes, uint32_t* count) {
    Token t = NextValue();
    if (t.kind != TokenKind::Number || !t.integral || t.value < 0 || t.value > 2147483647.0)
        return Fail();
    // Every value takes a digit and a delimiter, so an item of k values takes 2k bytes.
    if (t.value > static_cast<double>(lex_.Remaining() / minBytes)) return Fail();
    *count = static_cast<uint32_t>(t.value);
    return true;
}

bool Parser::ReadIndex(uint32_t limit, uint32_t* index) {
    Token t = NextValue();
    if (t.kind != TokenKind::Number || !t.integral || t.value < 0 || t.value >= limit)
        return Fail();
    *index = static_cast<uint32_t>(t.value);
    return true;
}

// A name is a word as a rule; exporters also write names such as "01-Box", taken here as one
// token whatever it looks like.
bool IsName(const Token& t) {
    return t.kind == TokenKind::Word || t.kind == TokenKind::Number || t.kind == TokenKind::Other;
}

bool Parser::ReadObjectHeader() {
    Token t = lex_.Next();
    if (IsName(t)) t = lex_.Next();
    if (t.kind == TokenKind::Guid) t = lex_.Next();
    return t.kind == TokenKind::OpenBrace;
}

bool Parser::SkipBody() {
    // Iterative, so that deep nesting of unknown objects costs no stack.
    size_t open = 1;
    for (;;) {
        Token t = lex_.Next();
        switch (t.kind) {
            case TokenKind::End:
            case TokenKind::Broken: return Fail();
            case TokenKind::OpenBrace: ++open; break;
            case TokenKind::CloseBrace:
                if (--open == 0) return true;
                break;
            default: break;
        }
    }
}

bool Parser::SkipReference() {
    Token t = lex_.Next();
    if (IsName(t)) t = lex_.Next();
    if (t.kind == TokenKind::Guid) t = lex_.Next();
    return t.kind == TokenKind::CloseBrace;
}

bool Parser::SkipTemplate() {
    if (lex_.Next().kind != TokenKind::Word) return Fail();
    if (lex_.Next().kind != TokenKind::OpenBrace) return Fail();
    return SkipBody();
}

template <typename Child>
bool Parser::ParseChildren(Child child) {
    for (;;) {
        Token t = NextValue();
        if (t.kind == TokenKind::CloseBrace) return true;
        bool ok;
        if (t.kind == TokenKind::OpenBrace) {
            ok = SkipReference();
        } else {
            ok = t.kind == TokenKind::Word && ReadObjectHeader() && child(t);
        }
        if (!ok) return false;
    }
}

bool Parser::ParseFile() {
    for (;;) {
        Token t = NextValue();
        if (t.kind == TokenKind::End) return Finish();
        if (t.kind != TokenKind::Word) return Fail();
        bool ok;
        if (IsWord(t, "template")) {
            ok = SkipTemplate();
        } else if (!ReadObjectHeader()) {
            ok = false;
        } else if (IsWord(t, "Frame")) {
            ok = ParseFrame(1);
        } else if (IsWord(t, "Mesh")) {
            ok = ParseMesh();
        } else {
            ok = SkipBody();
        }
        if (!ok) return false;
    }
}

bool Parser::ParseFrame(int depth) {
    if (depth > kMaxFrameDepth) return Fail();
    const size_t firstPosition = out_->positions.size();
    const size_t firstNormal = out_->normals.size();
    const size_t firstTriangle = out_->triangles.size();
    Matrix matrix = Identity();
    bool haveMatrix = false;
    const bool ok = ParseChildren([&](const Token& t) {
        if (IsWord(t, "FrameTransformMatrix")) {
            // One placement per frame; a second one would leave it unclear which applies.
            if (haveMatrix) return Fail();
            haveMatrix = true;
            return ParseMatrix(&matrix);
        }
        if (IsWord(t, "Frame")) return ParseFrame(depth + 1);
        if (IsWord(t, "Mesh")) return ParseMesh();
        return SkipBody();
    });
    if (!ok) return false;
    if (haveMatrix) Transform(matrix, firstPosition, firstNormal, firstTriangle);
    return true;
}

bool Parser::ParseMatrix(Matrix* m) {
    double v[16];
    if (!ReadFloats(v, 16)) return false;
    for (int i = 0; i < 16; ++i) m->m[i / 4][i % 4] = v[i];
    return NextValue().kind == TokenKind::CloseBrace;
}

// Newell's normal of a polygon: for a flat convex polygon it points the way (b - a) x (c - a)
// of its first corners does, that is outward for corners clockwise as seen from outside.
Vec3 PolygonNormal(const std::vector<Vec3>& positions, const uint32_t* corners, uint32_t n,
                   size_t base) {
    double x = 0, y = 0, z = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const Vec3& a = positions[base + corners[i]];
        const Vec3& b = positions[base + corners[(i + 1) % n]];
        x += (static_cast<double>(a.z) + b.z) * (static_cast<double>(a.y) - b.y);
        y += (static_cast<double>(a.x) + b.x) * (static_cast<double>(a.z) - b.z);
        z += (static_cast<double>(a.y) + b.y) * (static_cast<double>(a.x) - b.x);
    }
    // Unit length here already: the sums of huge coordinates may not fit a float.
    const double len = std::sqrt(x * x + y * y + z * z);
    if (!(len > 0) || !std::isfinite(len)) return Vec3{0, 0, 0};
    return Vec3{static_cast<float>(x / len), static_cast<float>(y / len),
                static_cast<float>(z / len)};
}

bool Parser::ParseMesh() {
    foundMesh_ = true;
    const size_t base = out_->positions.size();
    uint32_t vertexCount;
    if (!ReadCount(6, &vertexCount)) return false;
    out_->positions.reserve(base + vertexCount);
    for (uint32_t i = 0; i < vertexCount; ++i) {
        double v[3];
        if (!ReadFloats(v, 3)) return false;
        out_->positions.push_back(
            Vec3{static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])});
    }

    // Faces as lists of corners: faceStart[f] .. faceStart[f + 1] in `corners`.
    uint32_t faceCount;
    if (!ReadCount(2, &faceCount)) return false;
    std::vector<uint32_t> faceStart;
    std::vector<uint32_t> corners;
    faceStart.reserve(size_t{faceCount} + 1);
    faceStart.push_back(0);
    for (uint32_t f = 0; f < faceCount; ++f) {
        uint32_t n;
        if (!ReadCount(2, &n)) return false;
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t index;
            if (!ReadIndex(vertexCount, &index)) return false;
            corners.push_back(index);
        }
        faceStart.push_back(static_cast<uint32_t>(corners.size()));
    }

    std::vector<uint32_t> faceNormals;  // per corner, index into `normals`
    std::vector<Vec3> normals;
    bool haveNormals = false;
    bool haveMaterials = false;
    const bool ok = ParseChildren([&](const Token& t) {
        if (IsWord(t, "MeshNormals")) {
            if (haveNormals) return Fail();  // a second set would contradict the first
            haveNormals = true;
            return ParseMeshNormals(faceStart, &faceNormals, &normals);
        }
        if (IsWord(t, "MeshMaterialList")) {
            if (haveMaterials) return Fail();
            haveMaterials = true;
            return ParseMaterialList(faceCount);
        }
        return SkipBody();
    });
    if (!ok) return false;

    // Corners with their normals, then fans (0, i, i + 1) in the file's order.
    const int normalBase = static_cast<int>(out_->normals.size());
    if (haveNormals) {
        out_->normals.insert(out_->normals.end(), normals.begin(), normals.end());
    }
    for (uint32_t f = 0; f < faceCount; ++f) {
        const uint32_t first = faceStart[f];
        const uint32_t n = faceStart[f + 1] - first;
        if (n < 3) continue;  // a point or a line: nothing to draw
        int faceNormal = 0;
        if (!haveNormals) {
            faceNormal = static_cast<int>(out_->normals.size());
            out_->normals.push_back(PolygonNormal(out_->positions, &corners[first], n, base));
        }
        auto corner = [&](uint32_t i) {
            MeshCorner c;
            c.position = static_cast<int>(base + corners[first + i]);
            c.normal =
                haveNormals ? normalBase + static_cast<int>(faceNormals[first + i]) : faceNormal;
            return c;
        };
        for (uint32_t i = 1; i + 1 < n; ++i) {
            MeshTriangle tri;
            tri.corner[0] = corner(0);
            tri.corner[1] = corner(i);
            tri.corner[2] = corner(i + 1);
            out_->triangles.push_back(tri);
        }
    }
    return true;
}

bool Parser::ParseMeshNormals(const std::vector<uint32_t>& faceStart,
                              std::vector<uint32_t>* faceNormals, std::vector<Vec3>* normals) {
    uint32_t normalCount;
    if (!ReadCount(6, &normalCount)) return false;
    normals->reserve(normalCount);
    for (uint32_t i = 0; i < normalCount; ++i) {
        double v[3];
        if (!ReadFloats(v, 3)) return false;
        normals->push_back(
            Vec3{static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])});
    }
    // One normal face per mesh face, each with as many corners as the face it belongs to.
    uint32_t faceCount;
    if (!ReadCount(2, &faceCount)) return false;
    if (size_t{faceCount} + 1 != faceStart.size()) return Fail();
    faceNormals->reserve(faceStart.back());
    for (uint32_t f = 0; f < faceCount; ++f) {
        uint32_t n;
        if (!ReadCount(2, &n)) return false;
        if (n != faceStart[f + 1] - faceStart[f]) return Fail();
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t index;
            if (!ReadIndex(normalCount, &index)) return false;
            faceNormals->push_back(index);
        }
    }
    return NextValue().kind == TokenKind::CloseBrace;
}

bool Parser::ParseMaterialList(uint32_t faceCount) {
    uint32_t materialCount;
    uint32_t indexCount;
    if (!ReadCount(1, &materialCount) || !ReadCount(2, &indexCount)) return false;
    // Fewer indices than faces is allowed: the last one then stands for the rest.
    if (indexCount > faceCount) return Fail();
    for (uint32_t i = 0; i < indexCount; ++i) {
        uint32_t index;
        if (!ReadIndex(materialCount, &index)) return false;
    }
    // Material objects and references to them; their content is not used.
    return ParseChildren([&](const Token&) { return SkipBody(); });
}

// Applies a frame's transform to what was read inside the frame. Normals go through the
// cofactor matrix (the inverse transpose scaled by the determinant, defined even when the
// matrix is singular); a mirroring transform also turns the triangles round so that they stay
// clockwise seen from outside.
void Parser::Transform(const Matrix& mt, size_t firstPosition, size_t firstNormal,
                       size_t firstTriangle) {
    const auto& m = mt.m;
    for (size_t i = firstPosition; i < out_->positions.size(); ++i) {
        Vec3& p = out_->positions[i];
        const double x = p.x, y = p.y, z = p.z;
        p.x = Narrow(x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0]);
        p.y = Narrow(x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1]);
        p.z = Narrow(x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2]);
    }
    double c[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 3; ++k) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3;
            const int k1 = (k + 1) % 3, k2 = (k + 2) % 3;
            c[r][k] = m[r1][k1] * m[r2][k2] - m[r1][k2] * m[r2][k1];
        }
    }
    const double det = m[0][0] * c[0][0] + m[0][1] * c[0][1] + m[0][2] * c[0][2];
    const double sign = det < 0 ? -1.0 : 1.0;
    for (size_t i = firstNormal; i < out_->normals.size(); ++i) {
        Vec3& n = out_->normals[i];
        const double x = n.x, y = n.y, z = n.z;
        double v[3];
        for (int k = 0; k < 3; ++k) v[k] = sign * (x * c[0][k] + y * c[1][k] + z * c[2][k]);
        // Keep the direction only: the cofactors can be far larger than a float holds.
        const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        const double s = len > 0 && std::isfinite(len) ? 1 / len : 0;
        n = Vec3{static_cast<float>(v[0] * s), static_cast<float>(v[1] * s),
                 static_cast<float>(v[2] * s)};
    }
    if (det < 0) {
        for (size_t i = firstTriangle; i < out_->triangles.size(); ++i) {
            MeshTriangle& t = out_->triangles[i];
            const MeshCorner keep = t.corner[1];
            t.corner[1] = t.corner[2];
            t.corner[2] = keep;
        }
    }
}

// Final checks and unit normals. A normal of no length (given so in the file, or flattened
// by a transform) is replaced for each corner using it by its triangle's own normal.
bool Parser::Finish() {
    if (!foundMesh_ || overflow_ || out_->triangles.empty()) return Fail();
    std::vector<bool> usable(out_->normals.size());
    for (size_t i = 0; i < out_->normals.size(); ++i) {
        Vec3& n = out_->normals[i];
        const double len =
            std::sqrt(static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y +
                      static_cast<double>(n.z) * n.z);
        usable[i] = len > 1e-20 && std::isfinite(len);
        if (usable[i]) {
            n = Vec3{static_cast<float>(n.x / len), static_cast<float>(n.y / len),
                     static_cast<float>(n.z / len)};
        }
    }
    for (MeshTriangle& t : out_->triangles) {
        int replacement = -1;
        for (MeshCorner& c : t.corner) {
            if (usable[static_cast<size_t>(c.normal)]) continue;
            if (replacement < 0) {
                const Vec3& a = out_->positions[static_cast<size_t>(t.corner[0].position)];
                const Vec3& b = out_->positions[static_cast<size_t>(t.corner[1].position)];
                const Vec3& d = out_->positions[static_cast<size_t>(t.corner[2].position)];
                const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
                const double vx = d.x - a.x, vy = d.y - a.y, vz = d.z - a.z;
                double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
                double len = std::sqrt(nx * nx + ny * ny + nz * nz);
                if (!(len > 0) || !std::isfinite(len)) {
                    nx = 0, ny = 0, nz = -1, len = 1;  // a degenerate triangle is never seen
                }
                replacement = static_cast<int>(out_->normals.size());
                out_->normals.push_back(Vec3{static_cast<float>(nx / len),
                                             static_cast<float>(ny / len),
                                             static_cast<float>(nz / len)});
            }
            c.normal = replacement;
        }
    }
    // No corner uses the unusable ones any more; keep every normal of the mesh unit length.
    for (size_t i = 0; i < usable.size(); ++i) {
        if (!usable[i]) out_->normals[i] = Vec3{0, 0, -1};
    }
    return true;
}

bool CheckHeader(const char* data, size_t size) {
    if (size < 16 || std::memcmp(data, "xof 03", 6) != 0) return false;
    if (std::memcmp(data + 6, "02", 2) != 0 && std::memcmp(data + 6, "03", 2) != 0) return false;
    // "bin ", "tzip" and "bzip" files are not read.
    if (std::memcmp(data + 8, "txt ", 4) != 0) return false;
    return std::memcmp(data + 12, "0032", 4) == 0 || std::memcmp(data + 12, "0064", 4) == 0;
}

}  // namespace

bool ParseXText(const char* data, size_t size, Mesh* mesh) {
    *mesh = Mesh{};
    if (!data || size > kMaxFileSize || !CheckHeader(data, size)) return false;
    Parser parser(data + 16, size - 16, mesh);
    if (parser.ParseFile()) return true;
    *mesh = Mesh{};
    return false;
}

bool LoadXFile(const char* path, Mesh* mesh) {
    *mesh = Mesh{};
    if (!path) return false;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    return ReadXFile(f, mesh);
}

bool ReadXFile(std::FILE* f, Mesh* mesh) {
    *mesh = Mesh{};
    std::vector<char> bytes;
    char chunk[16384];
    bool ok = true;
    for (;;) {
        size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0) break;
        if (bytes.size() + n > kMaxFileSize) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    if (std::ferror(f)) ok = false;
    std::fclose(f);
    return ok && ParseXText(bytes.data(), bytes.size(), mesh);
}

}  // namespace ka3D
