// Renders one frame of a well to a PNG file, to judge the 3D picture by eye.
//
//   render_png [options]
//     --shape FILE      block shape (.x); default resources/koraven.x from the working folder,
//                       a built-in cube when it cannot be read
//     --well WxH        well size in cells (default 10x20)
//     --rows N          filled rows from the bottom (default half the height)
//     --size WxH        picture size (default 640x480)
//     --angle DEG       orbit angle of the camera (default 30)
//     --distance D      camera distance (default 65)
//     --bits 16|24|32   pixel format: 5-6-5, 8-8-8 packed, 8-8-8 in 32 bits (default 16)
//     --out FILE        default out/render.png
//
// The PNG is written by the small encoder below: RGB, 8 bits per channel, zlib stored blocks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "scene3d/box_mesh.h"
#include "game/demo_scene.h"
#include "settings/settings.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"

namespace {

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    Put32(out, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    Put32(out, Crc32(typed.data(), typed.size()));
}

// rgb: width * height * 3 bytes, top row first.
bool WritePng(const char* path, int width, int height, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> raw;  // each row: filter byte 0, then the pixels
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + static_cast<long>(y) * width * 3,
                   rgb.begin() + static_cast<long>(y + 1) * width * 3);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t pos = 0; pos < raw.size() || pos == 0;) {
        size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<long>(pos),
                 raw.begin() + static_cast<long>(pos + n));
        pos += n;
        if (last) break;
    }
    Put32(z, (b << 16) | a);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    Put32(ihdr, static_cast<uint32_t>(width));
    Put32(ihdr, static_cast<uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

bool ParsePair(const char* text, int* a, int* b) {
    return std::sscanf(text, "%dx%d", a, b) == 2 && *a > 0 && *b > 0;
}

// Channel value of a pixel, widened to 8 bits.
int Expand(uint32_t pixel, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0, bits = 0;
    while (!((mask >> shift) & 1)) ++shift;
    while ((mask >> (shift + bits)) & 1) ++bits;
    uint32_t v = (pixel & mask) >> shift;
    return static_cast<int>(bits >= 8 ? v >> (bits - 8)
                                      : (v * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
}

}  // namespace

int main(int argc, char** argv) {
    ResetSettings();                            // the blocks take the default colours
    std::string shape = "resources/koraven.x";  // run from the source tree
    std::string out = "out/render.png";
    int wellW = 10, wellH = 20, rows = -1, width = 640, height = 480, bits = 16;
    float angle = 30, distance = 65;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char* opt = argv[i];
        const char* val = argv[i + 1];
        bool ok = true;
        if (!std::strcmp(opt, "--shape"))
            shape = val;
        else if (!std::strcmp(opt, "--well"))
            ok = ParsePair(val, &wellW, &wellH);
        else if (!std::strcmp(opt, "--rows"))
            rows = std::atoi(val);
        else if (!std::strcmp(opt, "--size"))
            ok = ParsePair(val, &width, &height);
        else if (!std::strcmp(opt, "--angle"))
            angle = static_cast<float>(std::atof(val));
        else if (!std::strcmp(opt, "--distance"))
            distance = static_cast<float>(std::atof(val));
        else if (!std::strcmp(opt, "--bits"))
            bits = std::atoi(val);
        else if (!std::strcmp(opt, "--out"))
            out = val;
        else
            ok = false;
        if (!ok || (bits != 16 && bits != 24 && bits != 32) || width > 8192 || height > 8192 ||
            wellW > 30 || wellH > 30) {
            std::fprintf(stderr, "render_png: bad option %s %s\n", opt, val);
            return 2;
        }
    }
    if (rows < 0) rows = wellH / 2;

    ka3D::Mesh block;
    if (!ka3D::LoadXFile(shape.c_str(), &block) || block.triangles.empty()) {
        std::fprintf(stderr, "render_png: %s not readable, using a built-in cube\n", shape.c_str());
        ka3D::BuildBoxMesh(0.95f, &block);
    }
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ka3D::BuildDemoScene(block, width, height, wellW, wellH, rows, frames);
    ka3D::DemoOrbit(angle, distance);

    const int bytes = bits / 8;
    std::vector<uint8_t> color(static_cast<size_t>(width) * height * bytes);
    std::vector<uint16_t> depth(static_cast<size_t>(width) * height);
    ka3D::RenderTarget t{};
    t.color = color.data();
    t.colorPitch = width * bytes;
    t.width = width;
    t.height = height;
    t.bitsPerPixel = bits;
    if (bits == 16) {
        t.redMask = 0xF800, t.greenMask = 0x07E0, t.blueMask = 0x001F;
    } else {
        t.redMask = 0xFF0000, t.greenMask = 0x00FF00, t.blueMask = 0x0000FF;
    }
    t.depth = depth.data();
    t.depthPitch = width * 2;
    ka3D::RenderInto(t);

    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        uint32_t p = 0;
        for (int k = 0; k < bytes; ++k) p |= static_cast<uint32_t>(color[i * bytes + k]) << (8 * k);
        rgb[i * 3 + 0] = static_cast<uint8_t>(Expand(p, t.redMask));
        rgb[i * 3 + 1] = static_cast<uint8_t>(Expand(p, t.greenMask));
        rgb[i * 3 + 2] = static_cast<uint8_t>(Expand(p, t.blueMask));
    }
    size_t slash = out.rfind('/');
    if (slash != std::string::npos) mkdir(out.substr(0, slash).c_str(), 0777);
    if (!WritePng(out.c_str(), width, height, rgb)) {
        std::fprintf(stderr, "render_png: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s: %dx%d, %d bits, well %dx%d with %d rows, angle %g\n", out.c_str(), width,
                height, bits, wellW, wellH, rows, angle);
    return 0;
}
