// ZynSceneCatalogue: the 24 scenes and 10 faders in their fixed order.
#include "engine/ZynSceneCatalogue.h"

#include "faders/ZynFadeCenter.h"
#include "faders/ZynFadeCube.h"
#include "faders/ZynFadeDistort.h"
#include "faders/ZynFadeHStrip.h"
#include "faders/ZynFadeMerge.h"
#include "faders/ZynFadeRipple.h"
#include "faders/ZynFadeSlices.h"
#include "faders/ZynFadeSquareSpin.h"
#include "faders/ZynFadeSquares.h"
#include "faders/ZynFadeVStrip.h"
#include "scenes/ZynSceneHyperMorph.h"
#include "scenes/ZynSceneKessa.h"
#include "scenes/ZynSceneParticle.h"
#include "scenes/ZynScenePlaceholder.h"
#include "scenes/ZynScenePlasma.h"
#include "scenes/ZynScenePointMorph.h"
#include "scenes/ZynScenePointRender.h"
#include "scenes/ZynSceneRecurse.h"
#include "scenes/ZynSceneSkyBox.h"
#include "scenes/ZynSceneSnakeCube.h"
#include "scenes/ZynSceneSparkSphere.h"
#include "scenes/ZynSceneSparks.h"
#include "scenes/ZynSceneSphere.h"
#include "scenes/ZynSceneTunnel.h"
#include "scenes/ZynSceneWMorph.h"

const std::vector<TZynSceneClass>& ZynSceneCatalogue()
{
    // Placeholder arguments: class, name, section, texture slots, own texture.
    static const std::vector<TZynSceneClass> scenes = {
        ZynSceneClassOf<TvisSnakeCube>("TvisSnakeCube"),
        ZynSceneClassOf<TvisPointMorph>("TvisPointMorph"),
        ZynSceneClassOf<TvisSparkSphere>("TvisSparkSphere"),
        ZynSceneClassOf<TvisSparks>("TvisSparks"),
        ZynSceneClassOf<TvisKessa>("TvisKessa"),
        ZynPlaceholderScene("TvisCubeField", "CubeField", "CUBEFIELD", 1, false),
        ZynPlaceholderScene("TvisCubeField2", "Cube Field 2", "CUBEFIELD2", 1, false),
        ZynPlaceholderScene("TvisCube", "Bass Cube", "CUBE", 1, true),
        ZynPlaceholderScene("TvisFractCube", "Fractal Cube", "FRACTCUBE", 1, true),
        ZynSceneClassOf<TvisPointRender>("TvisPointRender"),
        ZynSceneClassOf<TvisWMorph>("TvisWMorph"),
        ZynSceneClassOf<TvisHyperMorph>("TvisHyperMorph"),
        ZynPlaceholderScene("TvisTorus", "Ripples on a Torus", "TORUS", 0, false),
        ZynPlaceholderScene("TvisVortex", "Down the Vortex", "VORTEX", 1, false),
        ZynSceneClassOf<TvisTunnel>("TvisTunnel"),
        ZynSceneClassOf<TvisSphere>("TvisSphere"),
        ZynSceneClassOf<TvisSkyBox>("TvisSkyBox"),
        ZynSceneClassOf<TvisRecurse>("TvisRecurse"),
        ZynSceneClassOf<TvisParticle>("TvisParticle"),
        ZynSceneClassOf<TvisPlasma>("TvisPlasma"),
        ZynPlaceholderScene("TvisBlit", "Texture Blitter", "BLIT", 1, false),
        ZynPlaceholderScene("TvisWarp", "Texture Warper", "WARP", 1, false),
        ZynPlaceholderScene("TvisWrap", "Texture Wrapper", "WRAP", 1, false),
        ZynPlaceholderScene("TvisContour", "Contours", "CONTOUR", 1, false),
    };
    return scenes;
}

const std::vector<TZynFaderClass>& ZynFaderCatalogue()
{
    static const std::vector<TZynFaderClass> faders = {
        ZynFaderClassOf<TfadeMerge>("TfadeMerge"),
        ZynFaderClassOf<TfadeHStrip>("TfadeHStrip"),
        ZynFaderClassOf<TfadeVStrip>("TfadeVStrip"),
        ZynFaderClassOf<TfadeSquares>("TfadeSquares"),
        ZynFaderClassOf<TfadeSquareSpin>("TfadeSquareSpin"),
        ZynFaderClassOf<TfadeCube>("TfadeCube"),
        ZynFaderClassOf<TfadeCenter>("TfadeCenter"),
        ZynFaderClassOf<TfadeRipple>("TfadeRipple"),
        ZynFaderClassOf<TfadeSlices>("TfadeSlices"),
        ZynFaderClassOf<TfadeDistort>("TfadeDistort"),
    };
    return faders;
}
