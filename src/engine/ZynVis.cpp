// ZynVis: the sequencer's construction, frame, scene changes and packets.
#include "engine/ZynVis.h"

#include "app/ZynLog.h"
#include "audio/ZynGamma.h"
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "console/ZynKeyBind.h"
#include "console/ZynTimer.h"
#include "app/ZynLoading.h"
#include "engine/ZynGLState.h"
#include "engine/ZynPicker.h"
#include "engine/ZynScenePred.h"
#include "engine/ZynSceneCatalogue.h"
#include "gfx/ZynTextures.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynRandom.h"

#include <GL/gl.h>

#include <algorithm>
#include <exception>

TZynVisHooks ZynVisDefaultHooks()
{
    TZynVisHooks hooks;
    hooks.ExecuteBinding = [](int32_t code) { ExecuteBinding(code); };
    hooks.TimerAdvance = [](float dt) { TimerTick(dt); };
    hooks.GammaFrame = [](const TVisData& visData, float dt) { GammaFrame(visData, dt); };
    hooks.ShowLoading = [](const std::string& text, float progress) { ShowLoading(text, progress); };
    hooks.CreatePredefines = [](TVisObject& vis) -> std::unique_ptr<TZynPredefineSource> {
        return std::make_unique<TZynScenePredefine>(vis);
    };
    return hooks;
}

TZynVisHooks ZynVisHooks = ZynVisDefaultHooks();

namespace {
int g_stopping = 0;   // sequencers being destroyed right now

const char* const Dashes = "--------------------------------";

// Packet fields are little-endian whatever the host's byte order.
uint32_t ReadUInt32(const uint8_t* packet, size_t offset)
{
    const uint8_t* p = packet + offset;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

int32_t ReadInt32(const uint8_t* packet, size_t offset) { return static_cast<int32_t>(ReadUInt32(packet, offset)); }

}  // namespace

bool ZynVisIsStopping() { return g_stopping > 0; }

namespace {
// Holds the place of a scene whose class failed to build, so scene numbers stay
// fixed. It draws nothing; a restart tries the real class again.
class TZynSceneUnavailable : public TZynScene {
public:
    explicit TZynSceneUnavailable(std::string className) : ClassName(std::move(className)) {}
    void Init() override
    {
        TZynScene::Init();
        Name = ClassName;
        Reset();
    }

private:
    std::string ClassName;
};

// The same for a fader: the base fader, a hard cut.
class TZynFaderUnavailable : public TZynFader {};
}  // namespace

std::unique_ptr<TZynScene> TVisObject::CreateSceneOrStandIn(const TZynSceneClass& cls)
{
    try {
        return ZynCreateScene(cls, this);
    } catch (...) {
        ZynLogError("TVisObject.Create - COULD NOT CREATE SCENE [" + std::to_string(Scenes->Count()) + "] " +
                    cls.ClassName + " - " + ZynCurrentExceptionMessage());
    }
    auto standIn = std::make_unique<TZynSceneUnavailable>(cls.ClassName);
    ZynConstructScene(*standIn, cls, this);
    return standIn;
}

std::unique_ptr<TZynFader> TVisObject::CreateFaderOrStandIn(const TZynFaderClass& cls)
{
    try {
        return ZynCreateFader(cls, this);
    } catch (...) {
        ZynLogError("TVisObject.Create - COULD NOT CREATE FADER [" + std::to_string(Faders->Count()) + "] " +
                    cls.ClassName + " - " + ZynCurrentExceptionMessage());
    }
    static const TZynFaderClass base = ZynFaderClassOf<TZynFaderUnavailable>("TZynFader");
    auto standIn = ZynCreateFader(base, this);
    ZynAdoptFaderClass(*standIn, cls);
    return standIn;
}

TVisObject::TVisObject() { Build(ZynSceneCatalogue(), ZynFaderCatalogue()); }

TVisObject::TVisObject(const std::vector<TZynSceneClass>& sceneClasses,
                       const std::vector<TZynFaderClass>& faderClasses)
{
    Build(sceneClasses, faderClasses);
}

void TVisObject::Build(const std::vector<TZynSceneClass>& sceneClasses,
                       const std::vector<TZynFaderClass>& faderClasses)
{
    // 1. The user interface and its texture manager.
    UI = std::make_unique<TZynUI>(this);
    TextureManager = UI->Textures.get();
    // 2. Scenes, in catalogue order, each advancing the loading screen.
    Scenes = std::make_unique<TZynSceneList>(this);
    SceneTotal = static_cast<int32_t>(sceneClasses.size());
    for (const TZynSceneClass& cls : sceneClasses) AddScene(CreateSceneOrStandIn(cls));
    // 3. Faders.
    Faders = std::make_unique<TZynFaderList>();
    for (const TZynFaderClass& cls : faderClasses) Faders->Add(CreateFaderOrStandIn(cls));
    // 4. Announcements.
    Announcements = std::make_unique<TZynAnnounceList>(this);
    // 5. Predefines.
    ZynLogLine(Dashes);
    if (ZynVisHooks.CreatePredefines) Predefines = ZynVisHooks.CreatePredefines(*this);
    ZynLogLine(Dashes);
    // 6..8. Start state.
    ActiveAnnouncement = -1;
    FadeProgress = 1.0f;
    CurrentScene = zcSCENE_StartScene;
    PreviousScene = 0;
    ActivateScene(CurrentScene);
    NewSceneTex = NewSceneStore = OldSceneTex = OldSceneStore = 0;
    FaderIndex = 0;
    FirstFrame = true;
    ZynLogLine(Dashes);
}

TVisObject::~TVisObject()
{
    // The stop event runs first, while everything its binding may touch exists;
    // from here on rebuild requests are ignored so shut-down always completes.
    ShuttingDown = true;
    g_stopping++;
    if (ZynVisHooks.ExecuteBinding) {
        try {
            ZynVisHooks.ExecuteBinding(Zy_STOP);
        } catch (...) {
            ZynLogError("TVisObject.Destroy - Zy_STOP binding failed: " + ZynCurrentExceptionMessage());
        }
    }
    Predefines.reset();
    Scenes.reset();
    Faders.reset();
    DeleteStores();
    TextureManager = nullptr;
    UI.reset();
    g_stopping--;
}

void TVisObject::DeleteStores()
{
    GLuint t;
    if (NewSceneStore) { t = NewSceneStore; glDeleteTextures(1, &t); }
    if (OldSceneStore) { t = OldSceneStore; glDeleteTextures(1, &t); }
    NewSceneStore = OldSceneStore = 0;
}

int32_t TVisObject::PredefineCount() const { return Predefines ? Predefines->Count() : 0; }

bool TVisObject::IsValidScene(int32_t n) const
{
    return n >= -PredefineCount() && n <= Scenes->Count() - 1;
}

void TVisObject::AddScene(std::unique_ptr<TZynScene> scene)
{
    std::string section = scene->Section;
    int32_t count = Scenes->Add(std::move(scene)) + 1;
    if (ZynVisHooks.ShowLoading)
        ZynVisHooks.ShowLoading("Loading Scene ID " + section,
                                SceneTotal > 0 ? static_cast<float>(count) / SceneTotal : 1.0f);
}

int32_t TVisObject::FindScene(const std::string& section) const
{
    std::string wanted = ZynUpper(section);
    for (int32_t n = Scenes->Count() - 1; n >= 0; n--)
        if (Scenes->Items(n)->Section == wanted) return n;
    return -1;
}

// Texture size: the configured size halved until it fits the viewport, at least 1.
static int32_t FitTexture(int32_t configured, int32_t viewportSide)
{
    int32_t v = configured;
    while (v > viewportSide && v > 1) v /= 2;
    return std::max(v, 1);
}

int32_t TVisObject::TextureWidth() const { return FitTexture(zcMAIN_MTexX, Viewport[2]); }
int32_t TVisObject::TextureHeight() const { return FitTexture(zcMAIN_MTexY, Viewport[3]); }

void TVisObject::Resize(int32_t width, int32_t height)
{
    DeleteStores();
    Scenes->CheckTextureSizes();
    if (Predefines) Predefines->CheckTextureSizes();
    if (TextureManager) TextureManager->TemporaryResize(TextureWidth(), TextureHeight());
}

// An invalid scene is drawn every frame until something changes it: it is
// reported once per number, and again after a valid one was drawn.
bool TVisObject::ReportBadScene(int32_t n)
{
    if (BadSceneReported && BadScene == n) return false;
    BadSceneReported = true;
    BadScene = n;
    return true;
}

void TVisObject::RenderScene(int32_t n, const TVisData& visData, float dt, float alpha)
{
    if (n >= 0 && n < Scenes->Count()) {
        BadSceneReported = false;
        Scenes->RenderScene(n, visData, dt, alpha);
    } else if (n < 0 && ~n < PredefineCount()) {
        BadSceneReported = false;
        Predefines->Render(~n, visData, dt);
    } else if (ReportBadScene(n)) {
        ZynLogError("TVisObject.RenderScene - Scene number out of Range [" + std::to_string(n) + "]");
    }
}

uint32_t TVisObject::RenderSceneTex(int32_t n, const TVisData& visData, float dt, float alpha,
                                    uint32_t& texStore)
{
    if (IsValidScene(n)) BadSceneReported = false;
    if (n >= 0 && n < Scenes->Count()) return Scenes->RenderSceneTex(n, visData, dt, alpha, texStore);
    if (n < 0 && ~n < PredefineCount())
        return Predefines->RenderTex(~n, visData, TextureWidth(), TextureHeight(), dt, texStore);
    if (ReportBadScene(n))
        ZynLogError("TVisObject.RenderSceneTex - Scene number out of Range [" + std::to_string(n) + "]");
    return 0;
}

void TVisObject::ActivateScene(int32_t n)
{
    if (n >= 0 && n < Scenes->Count()) Scenes->Items(n)->Reset();
    else if (n < 0 && ~n < PredefineCount()) Predefines->Activate(~n);
}

void TVisObject::RestartFader(int32_t n)
{
    ZynLogLine("RESTARTING FADER #" + std::to_string(n));
    if (ShuttingDown) {
        ZynLogLine("FINSIHED RESTART");
        return;
    }
    if (n < 0 || n >= Faders->Count()) {
        ZynLogError("TVisObject.RestartFader - Fade number out of Range [" + std::to_string(n) + "]");
        ZynLogLine("FINSIHED RESTART");
        return;
    }
    const TZynFaderClass* cls = Faders->Items(n)->FaderClass();
    if (cls) {
        std::unique_ptr<TZynFader> fresh = ZynCreateFader(*cls, this);
        fresh->Reset();
        Faders->Replace(n, std::move(fresh));   // the old fader is destroyed here
    }
    ZynLogLine("FINSIHED RESTART");
}

void TVisObject::SceneChange(int32_t scene, int32_t fader)
{
    if (fader < 0 || fader >= Faders->Count() || !IsValidScene(scene)) {
        ZynLogError("VisObject.SceneChange - Scene/Fader out of range");
        return;
    }
    if (scene == CurrentScene) {
        ZynLogError("VisObject.SceneChange - Already on this scene");
        return;
    }
    PreviousScene = CurrentScene;
    CurrentScene = scene;
    FadeProgress = 0;
    FaderIndex = fader;
    ZynLogLine("SCENECHANGE " + std::to_string(scene));
    Faders->Items(fader)->Reset();
    ActivateScene(scene);
}

void TVisObject::HandlePacket(const TZynPacket& packet) { HandlePacket(packet.Bytes.data()); }

void TVisObject::Key(bool pressed, int32_t code, bool isVirtualKey) { UI->KeyEvent(pressed, code, isVirtualKey); }

void TVisObject::Mouse(int32_t x, int32_t y, int32_t button, uint8_t state, bool pressed)
{
    UI->MouseEvent(x, y, button, pressed, state);
}

void TVisObject::HandlePacket(const uint8_t* packet)
{
    if (!packet) return;
    switch (packet[24]) {
    case 3:
        SceneChange(ReadInt32(packet, 28), ReadInt32(packet, 32));
        break;
    case 4: {
        int32_t index = ReadInt32(packet, 28);
        if (index < 0 || index >= Announcements->Count()) break;
        // The text cannot run past the 1168 bytes the packet holds.
        int32_t length = std::clamp(ReadInt32(packet, 36), 0, ZynControlPacketSize - 44);
        std::string text(reinterpret_cast<const char*>(packet + 44), static_cast<size_t>(length));
        Announce(index, text, ReadInt32(packet, 32) / 1000.0f);
        break;
    }
    case 7: {
        uint32_t n = ReadUInt32(packet, 16);
        if (n < static_cast<uint32_t>(Scenes->Count())) Scenes->Items(static_cast<int32_t>(n))->HandlePacket(packet);
        else ZynLogError("Scene not within Range in Sent Packet");
        break;
    }
    case 8: {
        uint32_t n = ReadUInt32(packet, 16);
        if (n < static_cast<uint32_t>(Scenes->Count())) Scenes->RequestRestart(static_cast<int32_t>(n));
        else ZynLogError("scSceneRestart - Scene value out of Range");
        break;
    }
    default:
        break;
    }
}

void TVisObject::CheckViewport()
{
    std::copy(Viewport, Viewport + 4, PreviousViewport);
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    for (int i = 0; i < 4; i++) Viewport[i] = vp[i];
    if (!std::equal(Viewport, Viewport + 4, PreviousViewport)) Resize(Viewport[2], Viewport[3]);
}

void TVisObject::Frame(const TVisData& visData, float dt)
{
    // 1. Formula variables.
    OwnClock += dt;
    zcBASE_Time = ZynVisHooks.WindowTime ? ZynVisHooks.WindowTime() : OwnClock;
    zcBASE_TimePassed = dt;
    zcBASE_Bass = visData.Bass;
    VisData = visData;
    // 2. First frame: random start scene, start event, no time passes.
    if (FirstFrame) {
        if (CurrentScene == -1) {
            CurrentScene = PickScene();
            ActivateScene(CurrentScene);
        }
        if (ZynVisHooks.ExecuteBinding) ZynVisHooks.ExecuteBinding(Zy_START);
        FirstFrame = false;
        dt = 0;
    }
    // Restart requests left waiting by earlier frames, one a frame.
    Scenes->NextFrame();
    // 3. Frame event; 4. timers.
    if (ZynVisHooks.ExecuteBinding) ZynVisHooks.ExecuteBinding(Zy_FRAME);
    if (ZynVisHooks.TimerAdvance) ZynVisHooks.TimerAdvance(dt);
    // 5. Viewport.
    CheckViewport();
    // 6. Scenes.
    DrawScenes(visData, dt);
    // 7. Announcement; 8. gamma strobe; 9. user interface.
    RenderAnnouncement(dt);
    if (ZynVisHooks.GammaFrame) ZynVisHooks.GammaFrame(visData, dt);
    RenderUI(dt);
}

// A loud, busy record, so scenes take the paths they take under music.
static TVisData WarmUpMusic()
{
    TVisData music;
    music.Bass = 0.8f;
    music.Beat = 1.0f;
    for (int i = 0; i < kVisSamples; i++) {
        music.Waveform[i] = static_cast<uint8_t>(128 + ((i * 37) % 200) - 100);
        music.Spectrum[i] = static_cast<uint8_t>(255 - (i * 255) / kVisSamples);
    }
    return music;
}

void TVisObject::WarmUp()
{
    // Formulas write constants (BASE.* among them) and scenes draw random numbers.
    const std::mt19937 random = ZynRandomState();
    const std::vector<TConstValue> constants = ConstSnapshot();
    const TVisData kept = VisData;
    const int32_t current = CurrentScene, previous = PreviousScene, faderIndex = FaderIndex;
    const float progress = FadeProgress;
    VisData = WarmUpMusic();
    const float dt = 1.0f / 60;
    const int32_t scenes = Scenes->Count(), faders = Faders->Count();
    CheckViewport();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    TZynGLState matrices;
    matrices.Save();
    // Whatever a scene or fader leaves set is put back before the loading screen draws.
    auto step = [&](const std::string& what, int32_t done) {
        glFinish();
        matrices.Restore();
        glPopAttrib();
        if (ZynVisHooks.ShowLoading)
            ZynVisHooks.ShowLoading("Preparing " + what, static_cast<float>(done) / std::max(scenes + faders, 1));
        glPushAttrib(GL_ALL_ATTRIB_BITS);
    };
    for (int32_t n = 0; n < scenes; n++) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Scenes->RenderScene(n, VisData, dt, 1.0f);
        step("Scene ID " + Scenes->Items(n)->Section, n + 1);
    }
    // Each fader blends the two last (cheapest) scenes for one frame.
    for (int32_t f = 0; f < faders && scenes > 0; f++) {
        PreviousScene = std::max(scenes - 2, 0);
        CurrentScene = scenes - 1;
        FaderIndex = f;
        FadeProgress = 0;
        Faders->Items(f)->Reset();
        DrawScenes(VisData, dt);
        Faders->Items(f)->Reset();
        step("Fader " + Faders->Items(f)->Section, scenes + f + 1);
    }
    glPopAttrib();
    CurrentScene = current;
    PreviousScene = previous;
    FaderIndex = faderIndex;
    FadeProgress = progress;
    VisData = kept;
    ConstRestore(constants);
    Scenes->ResetAll();
    ActivateScene(CurrentScene);
    ZynRandomRestore(random);
}

void TVisObject::DrawScenes(const TVisData& visData, float dt)
{
    const GLbitfield clearBits = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
    TZynFader* fader = FadeProgress < 1 ? Faders->Items(FaderIndex) : nullptr;
    if (!fader) {
        FadeProgress = std::max(FadeProgress, 1.0f);
        glClear(clearBits);
        RenderScene(CurrentScene, visData, dt, 1.0f);
        return;
    }
    if (fader->NeedsOldTexture) {
        glClear(clearBits);
        OldSceneTex = RenderSceneTex(PreviousScene, visData, dt, 1.0f, OldSceneStore);
    }
    if (fader->NeedsNewTexture) {
        glClear(clearBits);
        NewSceneTex = RenderSceneTex(CurrentScene, visData, dt, 1.0f, NewSceneStore);
    }
    glClear(clearBits);
    if (!fader->NeedsNewTexture) RenderScene(CurrentScene, visData, dt, fader->SceneAlpha);
    RunFader(*fader, dt);
}

void TVisObject::RunFader(TZynFader& fader, float dt)
{
    // A fader that fails is rebuilt and the change ends as a cut to the new scene.
    TZynGLState state;
    state.Save();
    try {
        FadeProgress = fader.Fade(NewSceneTex, OldSceneTex, dt);
        return;
    } catch (...) {
        std::string message = ZynCurrentExceptionMessage();
        state.Restore();
        ZynLogError("TVisObject.Frame (" + fader.Section + ") - " + message);
    }
    FadeProgress = 1.0f;
    try {
        RestartFader(FaderIndex);
    } catch (...) {
        ZynLogError("TVisObject.RestartFader - " + ZynCurrentExceptionMessage());
    }
}

void TVisObject::Announce(int32_t index, const std::string& text, float seconds)
{
    TZynAnnounce* item = Announcements->Items(index);
    if (!item) return;
    ActiveAnnouncement = index;
    item->Announce(text, seconds);
}

void TVisObject::RenderAnnouncement(float dt)
{
    TZynAnnounce* item = Announcements->Items(ActiveAnnouncement);
    if (item && item->Render(dt) >= 1) ActiveAnnouncement = -1;
}

void TVisObject::RenderUI(float dt)
{
    try {
        UI->Render(dt);
    } catch (...) {
        ZynLogException("UI.Render", ZynCurrentExceptionMessage());
    }
}

float TVisObject::SceneWeight(int32_t n) const { return ::SceneWeight(*this, n); }
std::string TVisObject::SceneSection(int32_t n) const { return ::SceneSection(*this, n); }
float TVisObject::FaderWeight(int32_t i) const { return ::FaderWeight(*this, i); }
int32_t TVisObject::PickScene() const { return ::PickScene(*this); }
int32_t TVisObject::PickFader() const { return ::PickFader(*this); }
float TVisObject::PickSceneLength() const { return ::PickSceneLength(*this); }
