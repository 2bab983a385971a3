// kvTexBMP: 24-bit BMP reading, writing and screen capture.
#include "gfx/kvTexBMP.h"

#include "platform/ZynIni.h"
#include "platform/kvLog.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

constexpr uint32_t kHeaderBytes = 54;

size_t PaddedRow(uint32_t width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t(3); }

bool WriteFile(const std::string& fileName, const std::vector<uint8_t>& bytes)
{
    FilePtr f(std::fopen(fileName.c_str(), "wb"));
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
    return std::fclose(f.release()) == 0 && ok;
}

}  // namespace

TkvImage kvBMPLoad(const std::string& fileName)
{
    kvLogLine("KVTEXBMP (kvBMPLoad) - Loading \"" + fileName + "\"");
    std::vector<uint8_t> bytes;
    if (!kvReadFileBytes(fileName, bytes)) {
        kvLogLine("KVTEXBMP ERROR (kvBMPLoad) - Can't Load \"" + fileName + "\"");
        return {};
    }
    return kvBMPDecode(bytes.data(), bytes.size());
}

TkvImage kvBMPDecode(const uint8_t* bytes, size_t size)
{
    const std::string tag = "KVTEXBMP ERROR (kvBMPLoad) - ";
    const uint8_t* head = bytes;
    if (size < 2 || head[0] != 'B' || head[1] != 'M') {
        kvLogLine(tag + "Invalid Bitmap Header");
        return {};
    }
    if (size < kHeaderBytes || Le32(head + 2) != size) {
        kvLogLine(tag + "Bitmap file wrong size");
        return {};
    }
    if (Le16(head + 26) != 1) {
        kvLogLine(tag + "File only supposed to have 1 plane");
        return {};
    }
    if (Le16(head + 28) != 24) {
        kvLogLine(tag + "File must be 24 bit");
        return {};
    }
    if (Le32(head + 30) != 0) {
        kvLogLine(tag + "File must be 24 bit RGB uncompressed");
        return {};
    }
    // Sizes must be positive and fit the image fields; top-down (negative
    // height) files are not supported. Pixels start at the data offset.
    int32_t w = static_cast<int32_t>(Le32(head + 18));
    int32_t h = static_cast<int32_t>(Le32(head + 22));
    uint32_t offset = Le32(head + 10);
    if (offset < kHeaderBytes) offset = kHeaderBytes;
    uint64_t avail = size > offset ? size - offset : 0;
    uint64_t tight = static_cast<uint64_t>(w > 0 ? w : 0) * 3;
    uint64_t need = tight * static_cast<uint64_t>(h > 0 ? h : 0);
    uint64_t padded = PaddedRow(w > 0 ? static_cast<uint32_t>(w) : 0) * static_cast<uint64_t>(h > 0 ? h : 0);
    if (w <= 0 || h <= 0 || static_cast<uint32_t>(w) > kvMaxImageSide ||
        static_cast<uint32_t>(h) > kvMaxImageSide || need > avail ||
        static_cast<uint64_t>(w) * h * 4 > 0x7fffffffu) {
        kvLogLine(tag + "Bitmap file wrong size");
        return {};
    }
    // Rows are padded to 4 bytes when the file holds enough bytes for that.
    size_t rowBytes = padded <= avail ? PaddedRow(static_cast<uint32_t>(w)) : static_cast<size_t>(tight);
    const uint8_t* raw = bytes + offset;
    TkvImage img = kvNewImage(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
    if (!img.HasPixels()) return img;
    for (int32_t y = 0; y < h; y++) {
        const uint8_t* s = raw + static_cast<size_t>(y) * rowBytes;
        for (int32_t x = 0; x < w; x++, s += 3) {
            uint8_t* d = img.At(static_cast<size_t>(y) * w + x);
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            d[3] = 255;
        }
    }
    return img;
}

std::vector<uint8_t> kvBMPEncode(uint32_t width, uint32_t height, const uint8_t* bgrRows, size_t rowBytes)
{
    size_t row = PaddedRow(width);
    size_t data = row * height;
    std::vector<uint8_t> out(kHeaderBytes + data, 0);
    uint8_t* h = out.data();
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, static_cast<uint32_t>(out.size()));
    Put32(h + 10, kHeaderBytes);
    Put32(h + 14, 40);
    Put32(h + 18, width);
    Put32(h + 22, height);
    Put16(h + 26, 1);
    Put16(h + 28, 24);
    for (uint32_t y = 0; y < height; y++)
        std::memcpy(h + kHeaderBytes + y * row, bgrRows + y * rowBytes, static_cast<size_t>(width) * 3);
    return out;
}

bool kvBMPSave(const TkvImage& image, const std::string& fileName)
{
    kvLogLine("KVTEXBMP (kvBMPSave) - Saving to \"" + fileName + "\"");
    size_t count = static_cast<size_t>(image.Width) * image.Height;
    if (image.Pixels.size() < count * 4) count = 0;
    std::vector<uint8_t> bgr(count * 3);
    for (size_t i = 0; i < count; i++) {
        const uint8_t* s = image.At(i);
        bgr[i * 3] = s[2];
        bgr[i * 3 + 1] = s[1];
        bgr[i * 3 + 2] = s[0];
    }
    uint32_t w = count ? image.Width : 0, h = count ? image.Height : 0;
    // Written like Zyn.cfg (temporary file, fsync, rename): a kill midway
    // leaves the previous picture, never a cut one.
    const std::vector<uint8_t> bytes = kvBMPEncode(w, h, bgr.data(), static_cast<size_t>(w) * 3);
    std::string error;
    if (!ZynWriteFileAtomic(fileName, std::string(bytes.begin(), bytes.end()), error)) {
        kvLogLine("KVTEXBMP ERROR (kvBMPSave) - Can't Save \"" + fileName + "\"");
        return false;
    }
    return true;
}

bool kvSaveScreenBMP(int32_t x, int32_t y, int32_t width, int32_t height, const std::string& fileName)
{
    kvLogLine("KVTEX (kvSaveScreenBMP) - Saving Screen area to disk");
    if (width < 0 || height < 0 || static_cast<uint32_t>(width) > kvMaxImageSide ||
        static_cast<uint32_t>(height) > kvMaxImageSide) {
        kvLogLine("KVTEX ERROR (kvSaveScreenBMP) - Invalid screen area");
        return false;
    }
    size_t row = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> rgb(row * static_cast<size_t>(height));
    if (!rgb.empty()) {
        GLint oldAlign = 4;
        glGetIntegerv(GL_PACK_ALIGNMENT, &oldAlign);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        glPixelStorei(GL_PACK_ALIGNMENT, oldAlign);
    }
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
    if (!WriteFile(fileName, kvBMPEncode(static_cast<uint32_t>(width), static_cast<uint32_t>(height), rgb.data(), row))) {
        kvLogLine("KVTEX ERROR (kvSaveScreenBMP) - Can't write \"" + fileName + "\"");
        return false;
    }
    return true;
}
