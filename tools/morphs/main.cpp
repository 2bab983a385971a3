// zyn_morphs: writes the point morph scene's shapes as .morph files.
//
// A .morph frame is 360 points of 20 bytes: x, y, z and an unused float
// (little-endian IEEE singles, 128 = half a scene unit), then red, green,
// blue and alpha bytes. Usage: zyn_morphs --out DIR
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr int Points = 360;
constexpr float Pi = 3.14159265358979f;
// Shapes below are laid out to a radius of about 250; the scene's viewer sits
// 1.2 units (307 of these) away, so they are written at 0.7 of that size.
constexpr float Scale = 0.7f;

struct Point {
    float x = 0, y = 0, z = 0;
    float r = 1, g = 1, b = 1, a = 1;   // 0..1
};
using Shape = std::array<Point, Points>;

// Hue 0..1 round the colour wheel at full saturation.
void Hue(float h, Point& p)
{
    h = (h - std::floor(h)) * 6;
    float f = h - std::floor(h);
    int i = int(h) % 6;
    float q = 1 - f;
    float rgb[6][3] = {{1, f, 0}, {q, 1, 0}, {0, 1, f}, {0, q, 1}, {f, 0, 1}, {1, 0, q}};
    p.r = rgb[i][0];
    p.g = rgb[i][1];
    p.b = rgb[i][2];
}

void Colour(Point& p, float r, float g, float b) { p.r = r, p.g = g, p.b = b; }

Shape Sphere()
{
    // Fibonacci spiral: even spacing without poles of crowded points.
    Shape s;
    const float golden = Pi * (3 - std::sqrt(5.0f));
    for (int i = 0; i < Points; i++) {
        float y = 1 - 2 * (i + 0.5f) / Points, ring = std::sqrt(1 - y * y), a = golden * i;
        Point& p = s[i];
        p.x = 240 * ring * std::cos(a);
        p.y = 240 * y;
        p.z = 240 * ring * std::sin(a);
        float t = (y + 1) / 2;
        Colour(p, 0.7f - 0.4f * t, 0.3f + 0.5f * t, 1.0f);
    }
    return s;
}

Shape Cube()
{
    // Six faces of an 8 x 8 grid without its corners: 60 points a face.
    Shape s;
    int n = 0;
    for (int face = 0; face < 6; face++) {
        for (int i = 0; i < 8; i++) {
            for (int j = 0; j < 8; j++) {
                if ((i == 0 || i == 7) && (j == 0 || j == 7)) continue;
                float u = (i + 0.5f) / 4 - 1, v = (j + 0.5f) / 4 - 1, w = face % 2 ? 1.0f : -1.0f;
                float c[3];
                int axis = face / 2;
                c[axis] = w;
                c[(axis + 1) % 3] = u;
                c[(axis + 2) % 3] = v;
                Point& p = s[n++];
                p.x = 165 * c[0];
                p.y = 165 * c[1];
                p.z = 165 * c[2];
                Hue(axis / 3.0f + (face % 2) * 0.08f, p);
            }
        }
    }
    return s;
}

Shape Torus()
{
    Shape s;
    for (int i = 0; i < 24; i++) {
        for (int j = 0; j < 15; j++) {
            float a = 2 * Pi * i / 24, b = 2 * Pi * j / 15 + (i % 2) * Pi / 15;
            float ring = 175 + 70 * std::cos(b);
            Point& p = s[i * 15 + j];
            p.x = ring * std::cos(a);
            p.y = 70 * std::sin(b);
            p.z = ring * std::sin(a);
            Hue(float(i) / 24, p);
        }
    }
    return s;
}

Shape Helix()
{
    // Two strands of 150 points, joined by 12 rungs of 5 points.
    Shape s;
    int n = 0;
    for (int strand = 0; strand < 2; strand++) {
        for (int i = 0; i < 150; i++) {
            float t = i / 149.0f, a = t * 3 * 2 * Pi + strand * Pi;
            Point& p = s[n++];
            p.x = 110 * std::cos(a);
            p.y = 250 * (2 * t - 1);
            p.z = 110 * std::sin(a);
            if (strand == 0) Colour(p, 1.0f, 0.45f, 0.2f);
            else Colour(p, 0.25f, 0.6f, 1.0f);
        }
    }
    for (int rung = 0; rung < 12; rung++) {
        float t = (rung + 0.5f) / 12, a = t * 3 * 2 * Pi;
        for (int k = 0; k < 5; k++) {
            float u = (k + 1) / 6.0f * 2 - 1;
            Point& p = s[n++];
            p.x = 110 * std::cos(a) * u;
            p.y = 250 * (2 * t - 1);
            p.z = 110 * std::sin(a) * u;
            Colour(p, 0.9f, 0.9f, 0.8f);
            p.a = 0.6f;
        }
    }
    return s;
}

// Points spread evenly along a polyline (by length).
void AlongPath(const std::vector<std::array<float, 2>>& path, int count, float z, std::vector<Point>& out)
{
    std::vector<float> length(path.size(), 0);
    for (size_t i = 1; i < path.size(); i++)
        length[i] = length[i - 1] + std::hypot(path[i][0] - path[i - 1][0], path[i][1] - path[i - 1][1]);
    for (int k = 0; k < count; k++) {
        float d = length.back() * k / count;
        size_t i = 1;
        while (i + 1 < path.size() && length[i] < d) i++;
        float seg = length[i] - length[i - 1], t = seg > 0 ? (d - length[i - 1]) / seg : 0;
        Point p;
        p.x = path[i - 1][0] + (path[i][0] - path[i - 1][0]) * t;
        p.y = path[i - 1][1] + (path[i][1] - path[i - 1][1]) * t;
        p.z = z;
        out.push_back(p);
    }
}

Shape Star()
{
    std::vector<std::array<float, 2>> outline;
    for (int i = 0; i <= 10; i++) {
        float a = Pi / 2 + 2 * Pi * i / 10, r = i % 2 ? 100.0f : 250.0f;
        outline.push_back({r * std::cos(a), r * std::sin(a)});
    }
    std::vector<Point> pts;
    AlongPath(outline, 180, 40, pts);
    AlongPath(outline, 180, -40, pts);
    Shape s;
    for (int i = 0; i < Points; i++) {
        s[i] = pts[i];
        float rim = std::hypot(s[i].x, s[i].y) / 250;
        Colour(s[i], 1.0f, 0.55f + 0.35f * rim, 0.15f + 0.2f * rim);
    }
    return s;
}

Shape Grid()
{
    // A rippled sheet facing the viewer, tilted by the scene's rotation.
    Shape s;
    for (int i = 0; i < 20; i++) {
        for (int j = 0; j < 18; j++) {
            float u = i / 19.0f * 2 - 1, v = j / 17.0f * 2 - 1, r = std::hypot(u, v);
            Point& p = s[i * 18 + j];
            p.x = 240 * u;
            p.y = 220 * v;
            p.z = 45 * std::cos(r * 2 * Pi);
            Colour(p, 0.2f + 0.3f * r, 0.9f - 0.3f * r, 0.6f + 0.2f * r);
        }
    }
    return s;
}

Shape Logo()
{
    // "Zyn" in strokes, about 500 units wide, centred.
    std::vector<std::vector<std::array<float, 2>>> strokes = {
        {{0, 120}, {90, 120}, {0, 0}, {95, 0}},                  // Z
        {{120, 90}, {165, 20}},                                   // y, left arm
        {{210, 90}, {150, -70}, {128, -75}},                      // y, right arm and tail
        {{245, 0}, {245, 90}},                                    // n, stem
        {{245, 60}, {265, 86}, {295, 92}, {320, 80}, {330, 55}, {330, 0}},   // n, arch
    };
    std::vector<float> lengths;
    float total = 0;
    for (auto& st : strokes) {
        float l = 0;
        for (size_t i = 1; i < st.size(); i++) l += std::hypot(st[i][0] - st[i - 1][0], st[i][1] - st[i - 1][1]);
        lengths.push_back(l);
        total += l;
    }
    std::vector<Point> pts;
    int given = 0;
    for (size_t k = 0; k < strokes.size(); k++) {
        int n = k + 1 == strokes.size() ? Points - given : int(std::lround(Points * lengths[k] / total));
        AlongPath(strokes[k], n, 0, pts);
        given += n;
    }
    Shape s;
    for (int i = 0; i < Points; i++) {
        s[i] = pts[i];
        s[i].x = (s[i].x - 165) * 1.45f;
        s[i].y = (s[i].y - 25) * 1.45f;
        Colour(s[i], 0.75f, 0.85f, 1.0f);
    }
    return s;
}

void PutFloat(std::vector<uint8_t>& out, float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 4; i++) out.push_back(uint8_t(bits >> (8 * i)));
}

uint8_t Byte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); }

bool Write(const std::string& path, const Shape& s)
{
    std::vector<uint8_t> bytes;
    for (const Point& p : s) {
        PutFloat(bytes, p.x * Scale);
        PutFloat(bytes, p.y * Scale);
        PutFloat(bytes, p.z * Scale);
        PutFloat(bytes, 0);
        bytes.push_back(Byte(p.r));
        bytes.push_back(Byte(p.g));
        bytes.push_back(Byte(p.b));
        bytes.push_back(Byte(p.a));
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
}  // namespace

int main(int argc, char** argv)
{
    std::string out;
    for (int i = 1; i + 1 < argc; i++)
        if (std::string(argv[i]) == "--out") out = argv[i + 1];
    if (out.empty()) {
        std::fprintf(stderr, "usage: zyn_morphs --out DIR\n");
        return 2;
    }
    struct Named {
        const char* Name;
        Shape (*Make)();
    };
    const Named shapes[] = {{"Sphere", Sphere}, {"Cube", Cube}, {"Torus", Torus}, {"Helix", Helix},
                            {"Star", Star},     {"Grid", Grid}, {"Logo", Logo}};
    for (const Named& n : shapes) {
        std::string path = out + "/" + n.Name + ".morph";
        if (!Write(path, n.Make())) {
            std::fprintf(stderr, "zyn_morphs: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
