// ZynWebThumb: the web remote's thumbnail, a small JPEG of the picture.
//
// ZynEncodeThumbnail shrinks an RGBA picture (rows bottom-up, as GL reads
// them) by box filtering to at most maxWidth pixels wide and encodes it as a
// baseline JPEG (libjpeg-turbo). ZynCaptureThumbnail reads the current
// viewport's back buffer first (GL pack state saved and restored).
// Depends on: libjpeg, OpenGL.
#pragma once

#include <cstdint>
#include <vector>

bool ZynEncodeThumbnail(const uint8_t* rgba, int width, int height, int maxWidth, int quality,
                        std::vector<uint8_t>& jpeg);
bool ZynCaptureThumbnail(int maxWidth, int quality, std::vector<uint8_t>& jpeg);
