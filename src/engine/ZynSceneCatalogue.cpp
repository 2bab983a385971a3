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
#include "scenes/ZynSceneBlit.h"
#include "scenes/ZynSceneContour.h"
#include "scenes/ZynSceneCube.h"
#include "scenes/ZynSceneCubeField.h"
#include "scenes/ZynSceneCubeField2.h"
#include "scenes/ZynSceneFractCube.h"
#include "scenes/ZynSceneHyperMorph.h"
#include "scenes/ZynSceneKessa.h"
#include "scenes/ZynSceneParticle.h"
#include "scenes/ZynScenePlasma.h"
#include "scenes/ZynScenePointMorph.h"
#include "scenes/ZynScenePointRender.h"
#include "scenes/ZynSceneRecurse.h"
#include "scenes/ZynSceneSkyBox.h"
#include "scenes/ZynSceneSnakeCube.h"
#include "scenes/ZynSceneSparkSphere.h"
#include "scenes/ZynSceneSparks.h"
#include "scenes/ZynSceneSphere.h"
#include "scenes/ZynSceneTorus.h"
#include "scenes/ZynSceneTunnel.h"
#include "scenes/ZynSceneVortex.h"
#include "scenes/ZynSceneWMorph.h"
#include "scenes/ZynSceneWarp.h"
#include "scenes/ZynSceneWrap.h"

const std::vector<TZynSceneClass>& ZynSceneCatalogue()
{
    static const std::vector<TZynSceneClass> scenes = {
        ZynSceneClassOf<TvisSnakeCube>("TvisSnakeCube"),
        ZynSceneClassOf<TvisPointMorph>("TvisPointMorph"),
        ZynSceneClassOf<TvisSparkSphere>("TvisSparkSphere"),
        ZynSceneClassOf<TvisSparks>("TvisSparks"),
        ZynSceneClassOf<TvisKessa>("TvisKessa"),
        ZynSceneClassOf<TvisCubeField>("TvisCubeField"),
        ZynSceneClassOf<TvisCubeField2>("TvisCubeField2"),
        ZynSceneClassOf<TvisCube>("TvisCube"),
        ZynSceneClassOf<TvisFractCube>("TvisFractCube"),
        ZynSceneClassOf<TvisPointRender>("TvisPointRender"),
        ZynSceneClassOf<TvisWMorph>("TvisWMorph"),
        ZynSceneClassOf<TvisHyperMorph>("TvisHyperMorph"),
        ZynSceneClassOf<TvisTorus>("TvisTorus"),
        ZynSceneClassOf<TvisVortex>("TvisVortex"),
        ZynSceneClassOf<TvisTunnel>("TvisTunnel"),
        ZynSceneClassOf<TvisSphere>("TvisSphere"),
        ZynSceneClassOf<TvisSkyBox>("TvisSkyBox"),
        ZynSceneClassOf<TvisRecurse>("TvisRecurse"),
        ZynSceneClassOf<TvisParticle>("TvisParticle"),
        ZynSceneClassOf<TvisPlasma>("TvisPlasma"),
        ZynSceneClassOf<TvisBlit>("TvisBlit"),
        ZynSceneClassOf<TvisWarp>("TvisWarp"),
        ZynSceneClassOf<TvisWrap>("TvisWrap"),
        ZynSceneClassOf<TvisContour>("TvisContour"),
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
