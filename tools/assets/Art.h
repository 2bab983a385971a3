// Art: the pictures of the asset generator, one maker per texture file.
// Depends on: Raster, FreeType (fonts and lettering).
#pragma once

#include "Raster.h"

#include <string>

namespace art {

// 16 x 16 glyph atlas with cells of cell pixels rendered from a monospaced font.
bool MakeFont(const std::string& fontFile, int cell, Canvas& out, std::string& error);
// Text rendered into a canvas (white, coverage in alpha), centred at (cx, baseline).
bool DrawText(Canvas& c, const std::string& fontFile, const std::string& text, float pixelSize, float cx,
              float baseline, Col colour, std::string& error);

Canvas MakeSkin();                 // Menu.tga: 8 x 4 window-frame tiles
Canvas MakeIcons();                // Icon1.tga: 8 x 8 menu, scene and fader icons
Canvas MakeParticle();             // Particle.tga: soft round spot
Canvas MakeTrail();                // Trail.tga: spark ribbon, head at the left
Canvas MakeSpark();                // Spark.tga: star-burst sparkle
Canvas MakeBlur();                 // Blur.tga: soft glowing square frame
Canvas MakeCubeSide();             // CubeSide.tga: framed cube face
Canvas MakeOutdoor();              // Outdoor.tga: landscape
Canvas MakeTunnel();               // Tunnel.tga: seamless wall panels
Canvas MakeLines();                // Lines.tga: 16 bands of periodic line ramps
Canvas MakeSphereMap(int which);   // 0 CubeMap, 1 SnakeMap, 2 SunMap
Canvas MakeCubeFace(int face);     // cm_0 .. cm_5: the environment on the six cube faces
Canvas MakeChecker();              // custom\Checker.tga: 64 x 64 test pattern showing orientation
Canvas MakeRings();                // custom\Rings.bmp: 128 x 128 concentric colour rings
bool MakeZy(const std::string& boldFont, Canvas& out, std::string& error);     // Zy.tga: title picture
bool MakeLogo(const std::string& boldFont, Canvas& out, std::string& error);   // Custom0: logo with alpha
// Desktop icon of size x size pixels: the tunnel rings and the Z of the logo on a rounded tile.
bool MakeAppIcon(const std::string& boldFont, int size, Canvas& out, std::string& error);

}  // namespace art
