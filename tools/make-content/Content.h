// The generated content files, each as the bytes of its file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/File3DS.h"

// The arm's bones in the forearm scene's frame: the elbow's axis is the Z axis through the
// origin, the upper arm rises along +Y, the forearm runs along +X to the wrist at 4.0, and
// the hand's own origin is the wrist, palm up under the weight the scene puts on it.
T3DSModel MakeUpperArmBone();
T3DSModel MakeForearmBones();
T3DSModel MakeHandBones();

// A walnut about the origin, long along X, with texture coordinates for its shell picture.
T3DSModel MakeNut();
std::vector<uint8_t> MakeNutTexture();     // a BMP file

std::vector<uint8_t> MakeAshWood();        // a JPEG file

// Title pictures: the splash window's (dark, framed) and the About box's (on white).
std::vector<uint8_t> MakeSplashFramed();   // a JPEG file
std::vector<uint8_t> MakeSplashPlain();    // a JPEG file

struct TContentFile {
  std::string Path;                        // below the content folder
  std::vector<uint8_t> (*Make)();
};
// Every file the generator writes, in a fixed order.
const std::vector<TContentFile>& ContentFiles();
