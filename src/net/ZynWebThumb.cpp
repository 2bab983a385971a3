// ZynWebThumb: read-back, box shrink and JPEG encoding of the thumbnail.
#include "net/ZynWebThumb.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

bool ZynEncodeThumbnail(const uint8_t* rgba, int width, int height, int maxWidth, int quality,
                        std::vector<uint8_t>& jpeg)
{
    if (!rgba || width <= 0 || height <= 0 || maxWidth <= 0) return false;
    // Whole-pixel box: every source pixel lands in exactly one thumbnail pixel.
    const int factor = (width + maxWidth - 1) / maxWidth;
    const int w = width / factor, h = height / factor;
    if (w <= 0 || h <= 0) return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    const int area = factor * factor;
    for (int y = 0; y < h; y++) {
        const int srcY0 = height - (y + 1) * factor;   // top row first for JPEG
        for (int x = 0; x < w; x++) {
            unsigned sum[3] = {0, 0, 0};
            for (int dy = 0; dy < factor; dy++) {
                const uint8_t* p = rgba + (static_cast<size_t>(srcY0 + dy) * width + x * factor) * 4;
                for (int dx = 0; dx < factor; dx++, p += 4) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            uint8_t* q = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            for (int k = 0; k < 3; k++) q[k] = static_cast<uint8_t>(sum[k] / area);
        }
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = [](j_common_ptr) { std::abort(); };   // only on misuse: sizes are checked above
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&cinfo, &mem, &memSize);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(cinfo.next_scanline) * w * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg.assign(mem, mem + memSize);
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    return !jpeg.empty();
}

bool ZynCaptureThumbnail(int maxWidth, int quality, std::vector<uint8_t>& jpeg)
{
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    if (vp[2] <= 0 || vp[3] <= 0 || vp[2] > 16384 || vp[3] > 16384) return false;
    std::vector<uint8_t> pixels(static_cast<size_t>(vp[2]) * vp[3] * 4);
    GLint packAlign = 4, readBuffer = GL_BACK;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlign);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(vp[0], vp[1], vp[2], vp[3], GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glPixelStorei(GL_PACK_ALIGNMENT, packAlign);
    if (glGetError() != GL_NO_ERROR) return false;
    return ZynEncodeThumbnail(pixels.data(), vp[2], vp[3], maxWidth, quality, jpeg);
}
