// ZynRenderHarness: headless scene and fader rendering with image measures.
#include "support/ZynRenderHarness.h"

#include "app/ZynLog.h"
#include "app/ZynOffscreenGL.h"
#include "config/ZynConstFormula.h"
#include "engine/ZynSceneCatalogue.h"
#include "platform/ZynPath.h"
#include "platform/ZynRandom.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace ZynRenderTest {

// A scratch folder whose entries link to the runtime folder's data, so tests
// read the real textures without writing logs or settings into the build.
static std::string MakeScratchBase()
{
    static int counter = 0;
    fs::path dir = fs::temp_directory_path() /
                   ("zyn_render_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
    fs::create_directories(dir);
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(ZYN_RUNTIME_DIR, ec)) {
        std::string name = e.path().filename().string();
        // Settings, log and screenshots stay private to the session.
        if (name == "Zyn.cfg" || name == "ZynLog.txt" || name.rfind("Screenshot", 0) == 0) continue;
        if (name != "Images") {
            fs::create_symlink(e.path(), dir / name, ec);
            continue;
        }
        // The custom images are written back when a session ends: copies, so
        // that no test changes the build's pictures.
        fs::create_directories(dir / name, ec);
        for (const auto& f : fs::directory_iterator(e.path(), ec)) {
            const std::string file = f.path().filename().string();
            if (file.rfind("Custom", 0) == 0) fs::copy_file(f.path(), dir / name / file, ec);
            else fs::create_symlink(f.path(), dir / name / file, ec);
        }
    }
    return dir.string();
}

TSession::~TSession() { Close(); }

bool TSession::Open(int32_t w, int32_t h, uint32_t seed)
{
    Close();
    if (!ZynOffscreenGL::Create(w, h)) return false;
    Dir = MakeScratchBase();
    ZynSetBaseDir(Dir);
    ZynRandomize(seed);
    ConstFormulaInstallHooks();   // as loading the settings does at start-up: scene formulas name constants
    // ZYN_RENDER_LOG=1 echoes the program's log lines while debugging a test.
    if (std::getenv("ZYN_RENDER_LOG")) ZynLogSetConsoleSink([](const std::string& l) { std::fprintf(stderr, "log: %s\n", l.c_str()); });
    // The window layer's default projection.
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(w) / double(h > 0 ? h : 1), 0.01, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glClearColor(0, 0, 0, 0);
    VisObject = std::make_unique<TVisObject>();
    ClockValue = 0;
    Synth = TZynVisSynth{};
    return true;
}

void TSession::UseScenes(const std::vector<TZynSceneClass>& scenes)
{
    VisObject.reset();
    VisObject = std::make_unique<TVisObject>(scenes, ZynFaderCatalogue());
}

void TSession::Close()
{
    VisObject.reset();
    if (ZynOffscreenGL::Exists()) ZynOffscreenGL::Destroy();
    if (!Dir.empty()) {
        std::error_code ec;
        fs::remove_all(Dir, ec);
        Dir.clear();
    }
}

TVisData TSession::Input(TInput kind, float dt)
{
    TVisData d{};
    for (auto& w : d.Waveform) w = 128;
    switch (kind) {
    case TInput::Silence:
        break;
    case TInput::SteadyBass:
        d.Bass = 1.0f;
        d.Beat = 0.5f;
        for (int i = 0; i < 576; i++) d.Spectrum[i] = uint8_t(i < 40 ? 200 : 40);
        break;
    case TInput::Music:
        d = Synth.Next(dt, 120);
        break;
    }
    return d;
}

bool TSession::Frame(TInput kind, float dt)
{
    TVisData d = Input(kind, dt);
    ClockValue += dt;
    VisObject->Frame(d, dt);
    bool clean = glGetError() == GL_NO_ERROR;
    while (glGetError() != GL_NO_ERROR) {}
    return clean;
}

void TSession::ShowScene(int32_t n)
{
    VisObject->CurrentScene = n;
    VisObject->FadeProgress = 1.0f;
    VisObject->ActivateScene(n);
}

TImage TSession::Grab() const
{
    TImage img;
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    img.Width = vp[2];
    img.Height = vp[3];
    img.Rgb.resize(size_t(img.Width) * img.Height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, img.Width, img.Height, GL_RGB, GL_UNSIGNED_BYTE, img.Rgb.data());
    return img;
}

double MeanBrightness(const TImage& img)
{
    if (img.Empty()) return 0;
    double sum = 0;
    for (uint8_t v : img.Rgb) sum += v;
    return sum / double(img.Rgb.size());
}

double LitFraction(const TImage& img, int threshold)
{
    if (img.Empty()) return 0;
    size_t lit = 0, n = img.Rgb.size() / 3;
    for (size_t i = 0; i < n; i++) {
        const uint8_t* p = &img.Rgb[i * 3];
        if (std::max({p[0], p[1], p[2]}) > threshold) lit++;
    }
    return double(lit) / double(n);
}

double MirrorDifference(const TImage& img)
{
    if (img.Empty()) return 0;
    double sum = 0;
    for (int32_t y = 0; y < img.Height; y++)
        for (int32_t x = 0; x < img.Width; x++)
            for (int c = 0; c < 3; c++) {
                int a = img.Rgb[(size_t(y) * img.Width + x) * 3 + c];
                int b = img.Rgb[(size_t(y) * img.Width + (img.Width - 1 - x)) * 3 + c];
                sum += std::abs(a - b);
            }
    return sum / double(img.Rgb.size());
}

double ImageDifference(const TImage& a, const TImage& b)
{
    if (a.Rgb.size() != b.Rgb.size() || a.Empty()) return 255.0;
    double sum = 0;
    for (size_t i = 0; i < a.Rgb.size(); i++) sum += std::abs(int(a.Rgb[i]) - int(b.Rgb[i]));
    return sum / double(a.Rgb.size());
}

double BlockDifference(const TImage& a, const TImage& b, int32_t block)
{
    if (a.Rgb.size() != b.Rgb.size() || a.Empty() || a.Width != b.Width || block < 1) return 255.0;
    double sum = 0;
    int32_t blocks = 0;
    for (int32_t by = 0; by + block <= a.Height; by += block)
        for (int32_t bx = 0; bx + block <= a.Width; bx += block) {
            for (int c = 0; c < 3; c++) {
                double sa = 0, sb = 0;
                for (int32_t y = by; y < by + block; y++)
                    for (int32_t x = bx; x < bx + block; x++) {
                        size_t i = (size_t(y) * a.Width + x) * 3 + c;
                        sa += a.Rgb[i];
                        sb += b.Rgb[i];
                    }
                sum += std::abs(sa - sb) / (block * block);
            }
            blocks++;
        }
    return blocks ? sum / (blocks * 3.0) : 255.0;
}

bool SavePPM(const TImage& img, const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", img.Width, img.Height);
    for (int32_t y = img.Height - 1; y >= 0; y--)
        std::fwrite(&img.Rgb[size_t(y) * img.Width * 3], 1, size_t(img.Width) * 3, f);
    return std::fclose(f) == 0;
}

}  // namespace ZynRenderTest
