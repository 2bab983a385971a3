// FontFace: one FreeType library and face, opened together and closed on scope exit.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

struct FontFace {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;

    bool Open(const std::string& fontFile, std::string& error)
    {
        if (FT_Init_FreeType(&lib)) {
            lib = nullptr;
            error = "FreeType init failed";
            return false;
        }
        if (FT_New_Face(lib, fontFile.c_str(), 0, &face)) {
            face = nullptr;
            error = "cannot open font " + fontFile;
            return false;
        }
        return true;
    }
    ~FontFace()
    {
        if (face) FT_Done_Face(face);
        if (lib) FT_Done_FreeType(lib);
    }
};
