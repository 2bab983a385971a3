// kvMeshObject: the triangle-mesh reader, centring, sphere mapping and drawing.
#include "scenes/kvMeshObject.h"

#include "platform/ZynNumbers.h"
#include "platform/kvLog.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <fstream>

namespace {
constexpr float Pi = 3.14159265358979f;
constexpr int MaxTokens = 16;
const std::string Tag = "KVMESH (LoadFromFile) - ";

// The line's first 16 tokens, upper case, split at blanks (any control
// character counts as one) and colons.
int Tokenise(std::string_view line, std::string tokens[MaxTokens])
{
    int n = 0;
    size_t i = 0;
    while (i < line.size() && n < MaxTokens) {
        auto isSeparator = [](char c) { return uint8_t(c) <= ' ' || c == ':'; };
        while (i < line.size() && isSeparator(line[i])) i++;
        size_t start = i;
        while (i < line.size() && !isSeparator(line[i])) i++;
        if (i > start) tokens[n++] = ZynUpper(line.substr(start, i - start));
    }
    return n;
}

// A token as an index or count: -1 when missing or not a whole number.
int32_t IntToken(const std::string tokens[], int count, int k)
{
    int64_t v = 0;
    if (k >= count || !ZynParseInt64(tokens[k], v) || v < -1 || v > INT32_MAX) return -1;
    return int32_t(v);
}

// A token as a coordinate: 0 when missing or not a number, clamped to the mesh limits.
float RealToken(const std::string tokens[], int count, int k)
{
    double v = 0;
    if (k >= count || !ZynParseDouble(tokens[k], v) || !std::isfinite(v)) return 0;
    return float(std::clamp(v, -double(TkvMeshObject::MaxCoordinate), double(TkvMeshObject::MaxCoordinate)));
}
}  // namespace

void TkvMeshObject::Clear()
{
    Faces.clear();
    Vertices.clear();
    VertexGiven.clear();
    FaceGiven.clear();
}

void TkvMeshObject::Allocate(int32_t vertices, int32_t faces)
{
    Clear();
    if (vertices < 1 || faces < 1) return;
    if (vertices > MaxVertices || faces > MaxFaces) {
        kvLogLine("#ERROR : " + Tag + ZynFormat("Tri-mesh of %d vertices and %d faces is over the limit of %d and %d",
                                               vertices, faces, MaxVertices, MaxFaces));
        return;
    }
    Vertices.assign(size_t(vertices), TVertex{});
    Faces.assign(size_t(faces), TFace{});
    VertexGiven.assign(size_t(vertices), false);
    FaceGiven.assign(size_t(faces), false);
}

void TkvMeshObject::ReadLine(std::string_view line)
{
    std::string t[MaxTokens];
    int n = Tokenise(line, t);
    if (n == 0) return;
    if (t[0] == "TRI-MESH,") {
        Allocate(IntToken(t, n, 2), IntToken(t, n, 4));
    } else if (t[0] == "VERTEX") {
        int32_t i = IntToken(t, n, 1);
        if (i < 0 || i >= VertexCount()) return;
        Vertices[size_t(i)] = TVertex{RealToken(t, n, 3), RealToken(t, n, 5), RealToken(t, n, 7), 0, 0, 0};
        VertexGiven[size_t(i)] = true;
    } else if (t[0] == "FACE") {
        int32_t i = IntToken(t, n, 1);
        if (i < 0 || i >= FaceCount()) return;
        Faces[size_t(i)] = TFace{IntToken(t, n, 3), IntToken(t, n, 5), IntToken(t, n, 7)};
        FaceGiven[size_t(i)] = true;
    }
}

// Drops vertices no line gave and faces that are missing or name a vertex
// outside the mesh or not given, renumbering what is left.
void TkvMeshObject::KeepCompleteFaces()
{
    std::vector<int32_t> newIndex(Vertices.size(), -1);
    size_t kept = 0;
    for (size_t i = 0; i < Vertices.size(); i++) {
        if (!VertexGiven[i]) continue;
        newIndex[i] = int32_t(kept);
        Vertices[kept++] = Vertices[i];
    }
    size_t droppedVertices = Vertices.size() - kept;
    Vertices.resize(kept);
    auto mapped = [&](int32_t v) { return v >= 0 && size_t(v) < newIndex.size() ? newIndex[size_t(v)] : -1; };
    size_t faces = 0;
    for (size_t i = 0; i < Faces.size(); i++) {
        TFace f{mapped(Faces[i].a), mapped(Faces[i].b), mapped(Faces[i].c)};
        if (!FaceGiven[i] || f.a < 0 || f.b < 0 || f.c < 0) continue;
        Faces[faces++] = f;
    }
    size_t droppedFaces = Faces.size() - faces;
    Faces.resize(faces);
    if (droppedVertices + droppedFaces > 0)
        kvLogLine("#WARNING : " + Tag + ZynFormat("%zu faces and %zu vertices missing or incomplete, left out",
                                                  droppedFaces, droppedVertices));
    VertexGiven.clear();
    FaceGiven.clear();
}

bool TkvMeshObject::LoadFromText(std::string_view text)
{
    Clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ReadLine(text.substr(start, end - start));
        start = end + 1;
    }
    KeepCompleteFaces();
    return FaceCount() > 0;
}

bool TkvMeshObject::LoadFromFile(const std::string& path)
{
    Clear();
    kvLogLine(Tag + "Loading \"" + path + "\"");
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        kvLogLine("#WARNING : " + Tag + "Can't open \"" + path + "\"");
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) size = 0;
    if (size_t(size) > MaxFileBytes) {
        kvLogLine("#WARNING : " + Tag + ZynFormat("File longer than %zu bytes, the rest is ignored", MaxFileBytes));
        size = std::streamoff(MaxFileBytes);
    }
    std::string text(size_t(size), '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    bool any = LoadFromText(text);
    if (!any) kvLogLine("#WARNING : " + Tag + "No faces in \"" + path + "\"");
    return any;
}

void TkvMeshObject::Centre()
{
    if (Vertices.empty()) return;
    double sx = 0, sy = 0, sz = 0;
    for (const TVertex& p : Vertices) {
        sx += p.x;
        sy += p.y;
        sz += p.z;
    }
    double n = double(Vertices.size());
    float cx = float(sx / n), cy = float(sy / n), cz = float(sz / n);
    for (TVertex& p : Vertices) {
        p.x -= cx;
        p.y -= cy;
        p.z -= cz;
    }
}

void TkvMeshObject::SphereMapUV()
{
    for (TVertex& p : Vertices) {
        float rr = p.x * p.x + p.y * p.y + p.z * p.z;
        float r = rr > 0 ? std::sqrt(rr) : 0.001f;
        p.u = (std::atan2(p.y, p.x) + Pi) / (2 * Pi);
        // Rounding can put z/r a hair outside -1..1.
        p.v = std::acos(std::clamp(p.z / r, -1.0f, 1.0f)) / Pi;
    }
}

void TkvMeshObject::DrawSolid() const
{
    if (Faces.empty()) return;
    glBegin(GL_TRIANGLES);
    for (const TFace& f : Faces) {
        for (int32_t i : {f.a, f.b, f.c}) {
            const TVertex& p = Vertices[size_t(i)];
            glTexCoord2f(p.u, p.v);
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
}

void TkvMeshObject::DrawWire() const
{
    if (Faces.empty()) return;
    glBegin(GL_LINES);
    for (const TFace& f : Faces) {
        const int32_t ends[6] = {f.a, f.b, f.b, f.c, f.c, f.a};
        for (int32_t i : ends) {
            const TVertex& p = Vertices[size_t(i)];
            glTexCoord2f(p.u, p.v);
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
}
