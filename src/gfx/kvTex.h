// kvTex: in-memory RGBA images, the TGA reader, pixel operations and GL texture utilities.
//
// TkvImage is the plain picture every loader returns: Width x Height pixels of
// R, G, B, A bytes, rows in file order (first stored row first, which becomes
// texture row t = 0). An image without pixels marks a failed or absent load.
// Progress and error lines go to the library log sink (kvLogLine) unchanged.
// The image functions are GL-free; the texture utilities (kvTexGL.cpp) need a
// current GL context.
// Depends on: platform/kvLog, platform/ZynPath, OpenGL, GLU.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TkvImage {
    uint16_t Width = 0;
    uint16_t Height = 0;
    std::vector<uint8_t> Pixels;   // Width * Height * 4 bytes, R G B A
    int32_t Size = 0;              // bytes of Pixels

    bool HasPixels() const { return !Pixels.empty(); }
    // Pointer to pixel index i (row-major from the first stored row).
    uint8_t* At(size_t i) { return Pixels.data() + i * 4; }
    const uint8_t* At(size_t i) const { return Pixels.data() + i * 4; }
};

// Largest side an image may have (the width and height fields are 16 bits).
constexpr uint32_t kvMaxImageSide = 65535;

// A w x h image of zero bytes; empty when a side is 0 or above kvMaxImageSide.
TkvImage kvNewImage(uint32_t width, uint32_t height);
// Releases the pixels and leaves the empty image.
void kvFreeImage(TkvImage& image);

// Uncompressed 24/32-bit true-colour TGA with power-of-two sides.
TkvImage kvLoadTGA(const std::string& fileName);
// The same for a file's bytes already in memory (error lines as kvLoadTGA's).
TkvImage kvDecodeTGA(const uint8_t* bytes, size_t size);
// Largest picture file the loaders read: a 65535 x 65535 32-bit image is refused anyway.
constexpr uint64_t kvMaxImageFileBytes = 0x7fffffffu + 1024u;
// A whole file's bytes; false when it cannot be opened or read, or is larger than kvMaxImageFileBytes.
bool kvReadFileBytes(const std::string& fileName, std::vector<uint8_t>& bytes);
// Writes a 32-bit TGA (bottom-left origin, rows in image order). Tools and tests use it.
bool kvSaveTGA(const TkvImage& image, const std::string& fileName);

// Nearest-neighbour resize in place; nothing happens when the size already matches.
void kvStretchImage(uint32_t width, uint32_t height, TkvImage& image);
// Copy of colour whose alpha is the grey level of alpha's pixel at the same index.
TkvImage kvMergeAlpha(const TkvImage& colour, const TkvImage& alpha);
// colour := pixels with alpha 255; alpha := (A, A, A, 255) per pixel.
void kvSplitAlpha(const TkvImage& image, TkvImage& colour, TkvImage& alpha);

// base + "0000" + extension, the first such name that does not exist (9999 at most).
std::string kvUniqueFileName(const std::string& base, const std::string& extension);

// ---- GL texture utilities (current context required) ----------------------

// Uploads the image to a new texture name; 0 when the image has no pixels.
// A side above the GL maximum is shrunk first, so GLU never gets one.
// GL_TEXTURE_2D binds the new name; a cube-map face target fills the texture
// currently bound to that target, and a face that is not square is refused
// (0, with an error line).
uint32_t kvTextureRGBA(uint32_t target, TkvImage& image, bool mipmaps, bool freeImage);
void kvDeleteTexture(uint32_t name);
void kvBindTexture(uint32_t name);
void kvUnbindTexture();
void kvSphereMapOn();
void kvSphereMapOff();
void kvDrawUnitQuad();    // (0,0)..(1,1), texture coordinates = positions
void kvDrawScreenQuad();  // (-1,-1)..(1,1), texture coordinates (0,0)..(1,1)
// Clears the buffers in mask (GL_COLOR_BUFFER_BIT ...) in the lower-left w x h
// only (the part a render-to-texture copy takes); the scissor state is kept.
void kvClearLowerLeft(int32_t w, int32_t h, uint32_t mask);
// GL_VENDOR, GL_RENDERER, GL_VERSION or GL_EXTENSIONS; "" when GL has none.
std::string GLString(uint32_t name);
// GL_MAX_TEXTURE_SIZE of the current context (0 without a context).
int32_t kvMaxTextureSize();
