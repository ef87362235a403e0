// The scene's own materials, for drawing each face as its author made it: every object's triangle
// list split, once, into runs of consecutive faces that wear one look (a material or sub-material
// chosen by the face's *MESH_MTLID, or the object's wireframe colour when it names no material).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ase/records.h"

struct SurfaceLook {
    D3DMATERIAL material;
    std::string map;  // the diffuse map's file name, without its folder or quotes; empty: none
};

struct MaterialRun {
    std::uint32_t firstVertex = 0;
    std::uint32_t vertexCount = 0;
    std::uint16_t look = 0;
};

struct AuthoredMaterials {
    std::vector<SurfaceLook> looks;
    std::vector<std::vector<MaterialRun>> runs;  // per object, in face order
};

// Call after the triangle lists are built.
AuthoredMaterials buildAuthoredMaterials(const Scene& scene);

// The file name at the end of a bitmap path written on another machine ("C:\maps\Wall.TGA" gives
// "Wall.TGA"), without quotes.
std::string mapFileName(std::string_view bitmap);

// Exporters count v upwards from the picture's bottom; the device counts texture rows downwards.
void turnTextureCoordinatesUpright(Scene& scene);
