// kvTexCube: the cube-map reflection switches and the cube-map face upload.
//
// The six faces go to the cube-map texture currently bound (the default one
// unless a caller binds its own); EnableCubeMap turns on reflection-mapped
// texture coordinates so that any drawn surface mirrors the six pictures.
// Depends on: gfx/kvTex, OpenGL (cube-map extension).
#pragma once

#include "gfx/kvTex.h"

#include <cstdint>
#include <string>

// The GL target of face i (0..5: +X, -X, +Y, -Y, +Z, -Z).
uint32_t kvCubeFaceTarget(int face);
// File name of face i inside the images folder: "cm_0.tga" .. "cm_5.tga".
std::string kvCubeFaceFile(int face);

// True when the GL extension string names the cube-map extension.
bool HasCubeMap();
// Tests the upper-cased extension list (GL-free part of HasCubeMap).
bool kvExtensionsHaveCubeMap(const std::string& extensions);
void EnableCubeMap();
void DisableCubeMap();
