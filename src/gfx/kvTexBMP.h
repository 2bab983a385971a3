// kvTexBMP: 24-bit BMP files: reading, writing and screen capture.
//
// Files are written with the standard 54-byte header (file header + 40-byte
// info header), bottom row first, B G R per pixel. Rows are padded to four
// bytes as the format asks; for widths whose rows need no padding (every
// power of two from 4 up, every usual window width) the file is
// Width * Height * 3 + 54 bytes. The reader accepts padded and unpadded rows.
// Depends on: gfx/kvTex, platform/kvLog, OpenGL (kvSaveScreenBMP only).
#pragma once

#include "gfx/kvTex.h"

#include <string>

TkvImage kvBMPLoad(const std::string& fileName);
// The same for a file's bytes already in memory (GL-free).
TkvImage kvBMPDecode(const uint8_t* bytes, size_t size);
// Writes the image (alpha dropped). False, with an error line, when the file cannot be written.
bool kvBMPSave(const TkvImage& image, const std::string& fileName);
// Writes the frame-buffer rectangle (GL read-back). False, with an error line, on failure.
bool kvSaveScreenBMP(int32_t x, int32_t y, int32_t width, int32_t height, const std::string& fileName);

// The file bytes of a 24-bit BMP holding width x height pixels of B G R rows
// (rowBytes per source row, bottom row first). GL-free; used by both writers.
std::vector<uint8_t> kvBMPEncode(uint32_t width, uint32_t height, const uint8_t* bgrRows, size_t rowBytes);
