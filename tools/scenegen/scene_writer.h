// Writes synthetic ASE scenes in the exporter's strict layout (tab indentation, CR LF line ends),
// for tests, benchmarks and demo scenes; on request in the other layouts real exporters write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Linear and sampled tracks leave the strict layout.
enum class TrackStyle { None, Bezier, Tcb, Linear, Sampled };
enum class Hierarchy { None, Chain, Star, Random };
// Ball: a latitude-longitude ball. Grid: a rippled strip of squares as wide as the spacing of
// the objects, so that neighbouring objects lie side by side (a ground of many small triangles).
enum class Shape { Ball, Grid };

// Layouts of other exporters and exporter options; all off gives the strict layout.
struct LayoutOptions {
    bool colorVertices = false;       // colour vertex and colour face lists
    bool noColorCount = false;        // no *MESH_NUMCVERTEX line at all
    bool noNormals = false;           // no *MESH_NORMALS block
    bool mappingChannel = false;      // a second texture channel (*MESH_MAPPINGCHANNEL)
    bool subMaterials = false;        // every material a multi-material with nested sub-materials
    bool allMaps = false;             // maps of every kind beside the diffuse map
    bool looseMaterials = false;      // material lines in another order, some missing, flag lines
    bool meshAnimationFirst = false;  // *MESH_ANIMATION right after the mesh
    int helpers = 0;                  // helper objects, written first; root objects hang under them
    bool shapes = false;              // a shape object
    bool group = false;               // the geometry objects inside a *GROUP block
    bool spaceHeader = false;         // "*3DSMAX_ASCIIEXPORT 200" with a space, no comment line
    bool noSceneBlock = false;
};

struct SceneGenOptions {
    int objects = 1;
    int facesPerObject = 12;  // at most 65535
    Shape shape = Shape::Ball;
    Hierarchy hierarchy = Hierarchy::None;
    TrackStyle posTrack = TrackStyle::None;
    TrackStyle rotTrack = TrackStyle::None;  // rotation keys exist in the TCB style only
    TrackStyle scaleTrack = TrackStyle::None;
    int keys = 5;        // keys per track (samples per camera track)
    int lights = 0;      // alternately "Omni" and "Target"
    int cameras = 0;     // "Target" cameras with sampled position and rotation tracks
    int meshFrames = 0;  // frames of mesh animation per object
    int materials = 1;
    std::string diffuseMap;  // bitmap of every material's diffuse map; empty: no map
    bool textured = true;    // texture vertices and faces
    int lastFrame = 100;
    std::uint32_t seed = 1;
    LayoutOptions layout;
};

// Writes the scene; returns false when writing to `out` failed.
bool writeScene(const SceneGenOptions& options, std::FILE* out);
