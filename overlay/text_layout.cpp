// Line breaking of the title screen's Shift-JIS text.
#include "overlay/text_layout.h"

#include <algorithm>

bool LineStartForbidden(const char* character, int length) {
    const uint8_t c0 = uint8_t(character[0]);
    if (length == 1) return c0 == 0x2C || c0 == 0x2E || c0 == 0x20;
    if (length != 2 || c0 != 0x81) return false;
    switch (uint8_t(character[1])) {
        case 0x40:  // ideographic space
        case 0x41:  // 、
        case 0x42:  // 。
        case 0x43:  // ，
        case 0x44:  // ．
        case 0x45:  // ・
        case 0x63:  // …
        case 0x64:  // ‥
        case 0x66:  // ’
        case 0x68:  // ”
        case 0x69:  // （
        case 0x76:  // 」
            return true;
        default: return false;
    }
}

uint32_t TextColorForSprite(uint32_t color) {
    const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    if (r < 16 && g < 16 && b < 16) return 0x101010;
    return color;
}

namespace {

inline int RoundUpEven(int v) {
    return v + (v & 1);
}

struct Layout {
    const TextBox& box;
    const TextLayoutOps& ops;
    int fontHeight;
    int penX;
    int penY;
    int lineHeight;
    int chunkWidth;
    TextBox covered;

    // Cuts the chunk at the bottom edge, widens the covered rectangle and hands the chunk on.
    void Finish(bool last) {
        int chunkHeight = lineHeight;
        if (penY + lineHeight / 2 > box.bottom)
            chunkHeight = 2 * (box.bottom - penY) + (lineHeight & 1);
        covered.right = std::max(covered.right, penX + chunkWidth / 2);
        covered.bottom = std::max(covered.bottom, penY + chunkHeight / 2);
        ops.blendChunk(ops.context, penX, penY, chunkWidth, chunkHeight, last);
    }
};

}  // namespace

TextBox LayOutText(const TextBox& box, int fontHeight, int bufferWidth, const char* text,
                   const TextLayoutOps& ops) {
    Layout s{box,     ops,        fontHeight, box.left,
             box.top, fontHeight, 0,          TextBox{box.left, box.top, box.left, box.top}};
    if (text == nullptr) return s.covered;

    const char* p = text;
    while (*p != 0) {
        const int length = IsSjisLeadByte(uint8_t(*p)) ? 2 : 1;
        if (length == 2 && p[1] == 0) break;  // the trail byte is missing: drop the half
        const bool lineFeed = *p == '\n';

        TextExtent extent{0, 0};
        if (!lineFeed) extent = ops.drawCharacter(ops.context, s.chunkWidth, p, length);
        const int width = RoundUpEven(std::max(extent.width, 0));
        const int height = RoundUpEven(std::max(extent.height, 0));

        const int newWidth = s.chunkWidth + width;
        if (height > s.lineHeight) s.lineHeight = height;
        const bool lineFull = s.penX + newWidth / 2 >= box.right;
        if (!lineFull && newWidth < bufferWidth && !lineFeed) {
            s.chunkWidth = newWidth;
            p += length;
            continue;
        }

        // The character that ended the chunk stays in it when it is a line feed or, on a full
        // line, when it may not begin the next one. Otherwise it is drawn again at the start of
        // the next chunk, unless it is alone in the chunk and moving on would not help: at the
        // start of a line (it is wider than the line) or for the buffer's width.
        bool keep = lineFeed || (lineFull && LineStartForbidden(p, length));
        if (!keep && s.chunkWidth == 0 && !(lineFull && s.penX > box.left)) keep = true;
        if (keep) {
            s.chunkWidth = newWidth;
            p += length;
        }

        s.Finish(false);
        s.penX += s.chunkWidth / 2;
        if (lineFeed || s.penX + width / 2 >= box.right) {
            s.penX = box.left;
            s.penY += s.lineHeight / 2;
        }
        s.lineHeight = fontHeight;
        s.chunkWidth = 0;
        if (s.penY >= box.bottom) break;
    }
    if (s.chunkWidth != 0) s.Finish(true);
    return s.covered;
}
