// kvMeshObject: TkvMeshObject, a textured triangle mesh read from a plain-text mesh export.
//
// The text format is line based: "Tri-mesh, Vertices: N Faces: M" sizes the
// mesh, "Vertex i: X: x Y: y Z: z" and "Face i: A:a B:b C:c" fill it, every
// other line is ignored (see LoadFromFile). Files come from users, so sizes
// are bounded before anything is allocated, and after reading only complete
// faces over vertices the file actually gave are kept. An empty mesh is valid
// and draws nothing.
// Depends on: platform/kvLog, platform/ZynNumbers, OpenGL (DrawSolid, DrawWire only).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TkvMeshObject {
public:
    struct TFace {
        int32_t a = 0, b = 0, c = 0;
    };
    struct TVertex {
        float x = 0, y = 0, z = 0, w = 0, u = 0, v = 0;
    };

    // Largest sizes a mesh file may declare, and how much of a file is read.
    static constexpr int32_t MaxVertices = 65536;
    static constexpr int32_t MaxFaces = 131072;
    static constexpr size_t MaxFileBytes = 16u << 20;
    // Coordinates beyond this are clamped (keeps scaled copies finite).
    static constexpr float MaxCoordinate = 1e6f;

    // Replaces the mesh by the file's; a file that cannot be opened leaves it
    // empty. Returns false when the result is empty.
    bool LoadFromFile(const std::string& path);
    // The same for text already in memory.
    bool LoadFromText(std::string_view text);
    void Clear();

    // Subtracts the average vertex position from every vertex.
    void Centre();
    // u from the angle about z, v from the angle to +z (both 0..1).
    void SphereMapUV();
    // One GL_TRIANGLES batch of all faces; nothing for an empty mesh.
    void DrawSolid() const;
    // One GL_LINES batch of the three edges of every face.
    void DrawWire() const;

    int32_t FaceCount() const { return int32_t(Faces.size()); }
    int32_t VertexCount() const { return int32_t(Vertices.size()); }
    const TFace& Face(int32_t i) const { return Faces[size_t(i)]; }
    const TVertex& Vertex(int32_t i) const { return Vertices[size_t(i)]; }
    TVertex& Vertex(int32_t i) { return Vertices[size_t(i)]; }

private:
    void ReadLine(std::string_view line);
    void Allocate(int32_t vertices, int32_t faces);
    void KeepCompleteFaces();

    std::vector<TFace> Faces;
    std::vector<TVertex> Vertices;
    // While reading: which entries a line has filled.
    std::vector<bool> VertexGiven, FaceGiven;
};
