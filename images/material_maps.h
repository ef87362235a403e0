// The scene's own diffuse maps: each found by its file name beside the scene file (any letter
// case), decoded through SDL2_image (BMP, TGA, PNG, JPEG and more; the program's own ".spr" and PCX
// pictures by its own decoders) and brought, once, into a texture of its own size in the device's
// 16-bit texture format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/display_objects.h"
#include "platform/messages.h"
#include "platform/rgb_image.h"
#include "prep/material_runs.h"

// The path of `fileName` in `folder`, matching letter case loosely when no exact match exists;
// empty when the folder holds no such file.
std::string findBesideScene(const std::string& folder, const std::string& fileName);

// Decodes a picture file's bytes: the program's own ".spr" and PCX pictures by their file name's
// ending, any other through SDL2_image. False with the reason in `error`.
bool decodePicture(const std::string& fileName, const std::vector<std::uint8_t>& bytes,
                   RgbImage& picture, std::string& error);

// One texture per look: the look's map, or null for a look without one or whose map could not be
// found or read (one warning per such file). The textures are kept in display.mapTextures.
std::vector<IDirect3DTexture2*> loadMaterialMaps(DisplayObjects& display,
                                                 const AuthoredMaterials& materials,
                                                 const std::string& sceneFolder,
                                                 Messages& messages);
