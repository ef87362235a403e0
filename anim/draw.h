// Drawing one posed frame: each object's working copy goes to the device as one triangle list,
// with the object's own material and the scene's one texture.
#pragma once

#include "anim/posing.h"
#include "ase/records.h"
#include "platform/d3d.h"
#include "prep/material_runs.h"

// The scene's own materials: each object's runs of faces, drawn with their look's device
// material and texture (null: untextured).
struct AuthoredDrawing {
    const AuthoredMaterials* materials = nullptr;
    std::vector<IDirect3DTexture2*> textures;  // per look
};

// The device objects the drawing pass talks to; none of them is owned.
struct DrawTargets {
    IDirect3DDevice3* device = nullptr;
    IDirect3DMaterial3* sceneMaterial = nullptr;  // loaded with each object's colours in turn
    IDirect3DTexture2* texture = nullptr;         // texture slot 0, set on stage 0 for every object
    const AuthoredDrawing* authored = nullptr;    // set: the scene's own materials instead
};

// For every object in index order: SetMaterial with its colours, SetTexture(0, texture) and one
// DrawPrimitive of its posed triangle list. No result is tested. Missing device objects draw
// nothing.
void drawPosedObjects(Scene& scene, PoseWork& work, const DrawTargets& targets);

// Poses every object for `frameCounter` by the animation's model and draws it.
void animateAndDrawObjects(Scene& scene, const Animation& animation, int frameCounter,
                           PoseWork& work, const DrawTargets& targets);
