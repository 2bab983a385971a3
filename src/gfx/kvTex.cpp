// kvTex: RGBA images, TGA files and the pixel operations (GL-free part).
#include "gfx/kvTex.h"

#include "platform/ZynNumbers.h"
#include "platform/ZynPath.h"
#include "platform/kvLog.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

TkvImage kvNewImage(uint32_t width, uint32_t height)
{
    TkvImage img;
    if (width == 0 || height == 0 || width > kvMaxImageSide || height > kvMaxImageSide) return img;
    size_t bytes = static_cast<size_t>(width) * height * 4;
    if (bytes > 0x7fffffffu) return img;   // Size is a 32-bit field
    try {
        img.Pixels.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
        kvLogLine(ZynFormat("KVTEX ERROR (kvNewImage) - Out of memory for %ux%u", width, height));
        return {};
    }
    img.Width = static_cast<uint16_t>(width);
    img.Height = static_cast<uint16_t>(height);
    img.Size = static_cast<int32_t>(bytes);
    return img;
}

void kvFreeImage(TkvImage& image)
{
    image.Pixels.clear();
    image.Pixels.shrink_to_fit();
    image.Width = 0;
    image.Height = 0;
    image.Size = 0;
}

TkvImage kvLoadTGA(const std::string& fileName)
{
    kvLogLine("KVTEX (kvLoadTGA) - Loading TGA - \"" + fileName + "\"");
    std::vector<uint8_t> bytes;
    if (!kvReadFileBytes(fileName, bytes)) {
        kvLogLine("KVTEX ERROR (kvLoadTGA) - Couldn't load file");
        return {};
    }
    return kvDecodeTGA(bytes.data(), bytes.size());
}

TkvImage kvDecodeTGA(const uint8_t* bytes, size_t size)
{
    if (size < 18) {
        kvLogLine("KVTEX ERROR (kvLoadTGA) - Incorrect TGA file type");
        return {};
    }
    const uint8_t* head = bytes;
    if (head[1] != 0 || head[2] != 2) {
        kvLogLine("KVTEX ERROR (kvLoadTGA) - Incorrect TGA file type");
        return {};
    }
    uint32_t width = Le16(head + 12);
    uint32_t height = Le16(head + 14);
    uint32_t bits = head[16];
    if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height)) {
        kvLogLine("KVTEX ERROR (kvLoadTGA) - Image file not correct size");
        return {};
    }
    if (bits != 24 && bits != 32) {
        kvLogLine("KVTEX ERROR (kvLoadTGA) - Incorrect bit depth");
        return {};
    }
    // The image ID field (length in byte 0) sits between header and pixels.
    uint32_t bpp = bits / 8;
    uint64_t need = static_cast<uint64_t>(width) * height * bpp;
    size_t body = 18 + static_cast<size_t>(head[0]);
    uint64_t left = size > body ? size - body : 0;
    // Too short for its pixels (or too large for an image): refused before allocating.
    if (left < need || static_cast<uint64_t>(width) * height * 4 > 0x7fffffffu) {
        kvLogLine("KVTEX ERROR (kvLoadTGA) - Couldn't retrieve file body");
        return {};
    }
    TkvImage img = kvNewImage(width, height);
    if (!img.HasPixels()) return img;
    const uint8_t* raw = bytes + body;
    size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; i++) {
        const uint8_t* s = raw + i * bpp;
        uint8_t* d = img.At(i);
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        d[3] = bpp == 4 ? s[3] : 255;
    }
    return img;
}

bool kvReadFileBytes(const std::string& fileName, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    FilePtr f(std::fopen(fileName.c_str(), "rb"));
    if (!f) return false;
    long size = -1;
    if (std::fseek(f.get(), 0, SEEK_END) == 0) size = std::ftell(f.get());
    if (size < 0 || static_cast<uint64_t>(size) > kvMaxImageFileBytes || std::fseek(f.get(), 0, SEEK_SET) != 0)
        return false;
    bytes.resize(static_cast<size_t>(size));
    return std::fread(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
}

bool kvSaveTGA(const TkvImage& image, const std::string& fileName)
{
    if (!image.HasPixels()) return false;
    FilePtr f(std::fopen(fileName.c_str(), "wb"));
    if (!f) return false;
    uint8_t head[18] = {};
    head[2] = 2;
    head[12] = static_cast<uint8_t>(image.Width & 0xff);
    head[13] = static_cast<uint8_t>(image.Width >> 8);
    head[14] = static_cast<uint8_t>(image.Height & 0xff);
    head[15] = static_cast<uint8_t>(image.Height >> 8);
    head[16] = 32;
    head[17] = 8;   // 8 alpha bits, bottom-left origin
    std::vector<uint8_t> out(image.Pixels.size());
    for (size_t i = 0; i + 3 < out.size(); i += 4) {
        out[i] = image.Pixels[i + 2];
        out[i + 1] = image.Pixels[i + 1];
        out[i + 2] = image.Pixels[i];
        out[i + 3] = image.Pixels[i + 3];
    }
    bool ok = std::fwrite(head, 1, sizeof head, f.get()) == sizeof head &&
              std::fwrite(out.data(), 1, out.size(), f.get()) == out.size();
    return std::fclose(f.release()) == 0 && ok;
}

void kvStretchImage(uint32_t width, uint32_t height, TkvImage& image)
{
    if (image.Width == width && image.Height == height) return;
    kvLogLine(ZynFormat("KVTEX (kvStretchImage) - Stretching %ux%u to %ux%u",
                        static_cast<unsigned>(image.Width), static_cast<unsigned>(image.Height),
                        width, height));
    if (!image.HasPixels()) {
        kvFreeImage(image);
        return;
    }
    TkvImage out = kvNewImage(width, height);
    if (!out.HasPixels()) {
        kvLogLine(ZynFormat("KVTEX ERROR (kvStretchImage) - Invalid size %ux%u", width, height));
        return;
    }
    const uint64_t ow = image.Width, oh = image.Height;
    for (uint32_t y = 0; y < height; y++) {
        uint64_t sy = oh * y / height;
        for (uint32_t x = 0; x < width; x++) {
            uint64_t sx = ow * x / width;
            std::memcpy(out.At(static_cast<size_t>(y) * width + x), image.At(sx + sy * ow), 4);
        }
    }
    image = std::move(out);
}

TkvImage kvMergeAlpha(const TkvImage& colour, const TkvImage& alpha)
{
    if (!colour.HasPixels() || !alpha.HasPixels()) return {};
    if (colour.Pixels.size() != alpha.Pixels.size()) return {};
    TkvImage out = colour;
    size_t count = out.Pixels.size() / 4;
    for (size_t i = 0; i < count; i++) {
        const uint8_t* a = alpha.At(i);
        out.At(i)[3] = static_cast<uint8_t>((a[0] + a[1] + a[2]) / 3);
    }
    return out;
}

void kvSplitAlpha(const TkvImage& image, TkvImage& colour, TkvImage& alpha)
{
    colour = image;
    alpha = image;
    size_t count = image.Pixels.size() / 4;
    for (size_t i = 0; i < count; i++) {
        uint8_t a = image.At(i)[3];
        colour.At(i)[3] = 255;
        uint8_t* p = alpha.At(i);
        p[0] = p[1] = p[2] = a;
        p[3] = 255;
    }
}

std::string kvUniqueFileName(const std::string& base, const std::string& extension)
{
    std::string name;
    for (int i = 0; i < 10000; i++) {
        name = base + ZynFormat("%04d", i) + extension;
        if (!ZynFileExists(name)) break;
    }
    return name;
}
