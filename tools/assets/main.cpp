// zyn_assets: writes every picture file the program loads into a runtime folder.
//
// Usage: zyn_assets --out <images dir> --custom <custom dir> --mono <monospaced .ttf> --bold <bold .ttf>
//                   [--icons <dir>] [--web <dir>]
// Writes the 16 main textures (TGA), the six cube-map faces cm_0..cm_5 (TGA),
// the default custom image 0 (the logo, Custom0.bmp + CustomA0.bmp) and two
// sample pictures for the custom-texture commands (custom folder), and with
// --icons the desktop icon as zyn-<size>.png at the usual hicolor sizes, and
// with --web the interface's icon atlas as icons.png for the web remote's page.
#include "Art.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

using namespace art;

int main(int argc, char** argv)
{
    std::string out, custom, mono, bold, icons, web;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--out")) out = argv[i + 1];
        else if (!std::strcmp(argv[i], "--custom")) custom = argv[i + 1];
        else if (!std::strcmp(argv[i], "--mono")) mono = argv[i + 1];
        else if (!std::strcmp(argv[i], "--bold")) bold = argv[i + 1];
        else if (!std::strcmp(argv[i], "--icons")) icons = argv[i + 1];
        else if (!std::strcmp(argv[i], "--web")) web = argv[i + 1];
    }
    if (out.empty() || custom.empty() || mono.empty() || bold.empty()) {
        std::fprintf(stderr, "usage: zyn_assets --out <dir> --custom <dir> --mono <font.ttf> --bold <font.ttf>\n");
        return 2;
    }
    mkdir(out.c_str(), 0755);
    mkdir(custom.c_str(), 0755);
    bool ok = true;
    auto save = [&](const Canvas& c, const char* name, bool alpha) {
        if (!c.SaveTGA(out + "/" + name, alpha)) {
            std::fprintf(stderr, "zyn_assets: cannot write %s/%s\n", out.c_str(), name);
            ok = false;
        }
    };
    std::string error;
    Canvas font(1, 1);
    if (!MakeFont(mono, 16, font, error)) {
        std::fprintf(stderr, "zyn_assets: %s\n", error.c_str());
        return 1;
    }
    save(font, "FontS.tga", true);
    if (!MakeFont(mono, 32, font, error)) {
        std::fprintf(stderr, "zyn_assets: %s\n", error.c_str());
        return 1;
    }
    save(font, "FontL.tga", true);
    save(MakeSkin(), "Menu.tga", true);
    const Canvas iconAtlas = MakeIcons();
    save(iconAtlas, "Icon1.tga", true);
    if (!web.empty()) {
        mkdir(web.c_str(), 0755);
        ok = iconAtlas.SavePNG(web + "/icons.png") && ok;
    }
    save(MakeSphereMap(0), "CubeMap.tga", false);
    save(MakeSphereMap(1), "SnakeMap.tga", false);
    save(MakeSphereMap(2), "SunMap.tga", false);
    save(MakeParticle(), "Particle.tga", true);
    save(MakeTrail(), "Trail.tga", true);
    save(MakeSpark(), "Spark.tga", true);
    save(MakeBlur(), "Blur.tga", true);
    Canvas zy(1, 1);
    if (!MakeZy(bold, zy, error)) {
        std::fprintf(stderr, "zyn_assets: %s\n", error.c_str());
        return 1;
    }
    save(zy, "Zy.tga", false);
    save(MakeCubeSide(), "CubeSide.tga", false);
    save(MakeOutdoor(), "Outdoor.tga", false);
    save(MakeTunnel(), "Tunnel.tga", false);
    save(MakeLines(), "Lines.tga", false);
    for (int face = 0; face < 6; face++) save(MakeCubeFace(face), ("cm_" + std::to_string(face) + ".tga").c_str(), false);
    Canvas logo(1, 1);
    if (!MakeLogo(bold, logo, error)) {
        std::fprintf(stderr, "zyn_assets: %s\n", error.c_str());
        return 1;
    }
    ok = logo.SaveBMP(out + "/Custom0.bmp", false) && logo.SaveBMP(out + "/CustomA0.bmp", true) && ok;
    ok = MakeChecker().SaveTGA(custom + "/Checker.tga", false) && ok;
    ok = MakeRings().SaveBMP(custom + "/Rings.bmp", false) && ok;
    if (!icons.empty()) {
        mkdir(icons.c_str(), 0755);
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
            Canvas icon(1, 1);
            if (!MakeAppIcon(bold, size, icon, error)) {
                std::fprintf(stderr, "zyn_assets: %s\n", error.c_str());
                return 1;
            }
            ok = icon.SavePNG(icons + "/zyn-" + std::to_string(size) + ".png") && ok;
        }
    }
    return ok ? 0 : 1;
}
