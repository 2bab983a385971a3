// zyn_meshes: writes the mesh files the program loads into a runtime data folder.
//
// Usage: zyn_meshes --out <data dir>
// Sphere.asc: a closed latitude-longitude sphere of radius 40 about the z axis
// (40 slices, 20 bands: 762 vertices, 1520 faces), faces wound
// counter-clockwise seen from outside, in the text format
//   Tri-mesh, Vertices: N     Faces: M
//   Vertex i:  X: x     Y: y     Z: z
//   Face i:    A:a B:b C:c AB:1 BC:1 CA:1
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Point {
    double x, y, z;
};
struct Triangle {
    int a, b, c;
};

// Vertex 0 is the +z pole, then bands - 1 rings of slices vertices from +z
// towards -z, then the -z pole.
void MakeSphere(double radius, int slices, int bands, std::vector<Point>& points, std::vector<Triangle>& faces)
{
    const double pi = 3.14159265358979323846;
    points.push_back({0, 0, radius});
    for (int i = 1; i < bands; i++) {
        double theta = pi * i / bands;
        for (int j = 0; j < slices; j++) {
            double phi = 2 * pi * j / slices;
            points.push_back({radius * std::sin(theta) * std::cos(phi), radius * std::sin(theta) * std::sin(phi),
                              radius * std::cos(theta)});
        }
    }
    int south = int(points.size());
    points.push_back({0, 0, -radius});
    auto ring = [&](int i, int j) { return 1 + (i - 1) * slices + (j % slices); };
    // Going down a band (towards -z) then along the ring (increasing angle)
    // turns counter-clockwise seen from outside.
    for (int j = 0; j < slices; j++) faces.push_back({0, ring(1, j), ring(1, j + 1)});
    for (int i = 1; i + 1 < bands; i++) {
        for (int j = 0; j < slices; j++) {
            faces.push_back({ring(i, j), ring(i + 1, j), ring(i + 1, j + 1)});
            faces.push_back({ring(i, j), ring(i + 1, j + 1), ring(i, j + 1)});
        }
    }
    for (int j = 0; j < slices; j++) faces.push_back({ring(bands - 1, j), south, ring(bands - 1, j + 1)});
}

bool WriteMesh(const std::string& path, const char* name, const std::vector<Point>& points,
               const std::vector<Triangle>& faces)
{
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "Zyn mesh \"%s\", written by zyn_meshes\n\n", name);
    std::fprintf(f, "Named object: \"%s\"\n", name);
    std::fprintf(f, "Tri-mesh, Vertices: %zu     Faces: %zu\n", points.size(), faces.size());
    std::fprintf(f, "Vertex list:\n");
    for (size_t i = 0; i < points.size(); i++)
        std::fprintf(f, "Vertex %zu:  X: %.6f     Y: %.6f     Z: %.6f\n", i, points[i].x, points[i].y, points[i].z);
    std::fprintf(f, "Face list:\n");
    for (size_t i = 0; i < faces.size(); i++)
        std::fprintf(f, "Face %zu:    A:%d B:%d C:%d AB:1 BC:1 CA:1\n", i, faces[i].a, faces[i].b, faces[i].c);
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string out;
    for (int i = 1; i + 1 < argc; i += 2)
        if (!std::strcmp(argv[i], "--out")) out = argv[i + 1];
    if (out.empty()) {
        std::fprintf(stderr, "usage: zyn_meshes --out <data dir>\n");
        return 2;
    }
    std::vector<Point> points;
    std::vector<Triangle> faces;
    MakeSphere(40, 40, 20, points, faces);
    if (!WriteMesh(out + "/Sphere.asc", "Sphere", points, faces)) {
        std::fprintf(stderr, "zyn_meshes: cannot write %s/Sphere.asc\n", out.c_str());
        return 1;
    }
    return 0;
}
