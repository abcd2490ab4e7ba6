// Writes models in the 3DS chunk format the engine reads: materials (name, colours,
// shininess, texture map name) and triangle meshes (vertices, faces, face material groups,
// texture coordinates, local matrix). Used by the tests and by the content generator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/File3DS.h"

// The file's bytes. E3DSError when the model cannot be stored in the format (more than
// 65535 vertices or faces in one mesh, a face or group index out of range, texture
// coordinates that are neither absent nor one per vertex).
std::vector<uint8_t> Write3DS(const T3DSModel& model);
// Writes the bytes to the file (EFCreateError when it cannot be written).
void Write3DSFile(const T3DSModel& model, const std::string& fileName);
