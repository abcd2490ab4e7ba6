// The generated content files, each as the bytes of its file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/File3DS.h"
#include "tools/make-content/ContentKit.h"

// The arm's bones in the forearm scene's frame: the elbow's axis is the Z axis through the
// origin, the upper arm rises along +Y, the forearm runs along +X to the wrist at 4.0, and
// the hand's own origin is the wrist, palm up under the weight the scene puts on it.
T3DSModel MakeUpperArmBone();
T3DSModel MakeForearmBones();
T3DSModel MakeHandBones();

// A walnut about the origin, long along X, with texture coordinates for its shell picture.
T3DSModel MakeNut();
std::vector<uint8_t> MakeNutTexture();   // a BMP file

std::vector<uint8_t> MakeAshWood();   // a JPEG file

// Title pictures: the splash window's (dark, framed) and the About box's (on white).
std::vector<uint8_t> MakeSplashFramed();   // a JPEG file
std::vector<uint8_t> MakeSplashPlain();    // a JPEG file

// The topic index page's title strip: the stripe behind it is as high as the title picture,
// and both take their colours from StripeColour (t from 0 at the top to 1 at the foot).
constexpr int32_t IndexStripeHeight = 64;
TRGB StripeColour(double t);
std::vector<uint8_t> MakeStripeLight();   // a GIF file
std::vector<uint8_t> MakeIndexTitle();    // a BMP file
// The index's category icons (closed and open book) and its topic icon.
std::vector<uint8_t> MakePlusBook();   // GIF files, transparent around the drawing
std::vector<uint8_t> MakeMinusBook();
std::vector<uint8_t> MakeTopicIcon();
// The test window: the answer button (20 x 18) and the answer strip's tick and cross.
std::vector<uint8_t> MakeAnswerButton();   // a GIF file
std::vector<uint8_t> MakeTick();           // BMP files
std::vector<uint8_t> MakeCross();

// The reference pages' diagrams (GIF files).
std::vector<uint8_t> MakeSystemDiagram();
std::vector<uint8_t> MakeMotionsDiagram();
std::vector<uint8_t> MakeClass1Diagram();
std::vector<uint8_t> MakeClass2Diagram();
std::vector<uint8_t> MakeClass3Diagram();
std::vector<uint8_t> MakeMomentsDiagram();
std::vector<uint8_t> MakeEquilibriumDiagram();
std::vector<uint8_t> MakeVRPulleysDiagram();
std::vector<uint8_t> MakeSankeyDiagram();
std::vector<uint8_t> MakeTorqueDiagram();
std::vector<uint8_t> MakeCouplingDiagram();
std::vector<uint8_t> MakeBearingsDiagram();
std::vector<uint8_t> MakeClutchDiagram();
std::vector<uint8_t> MakeInclineDiagram();

struct TContentFile {
  std::string Path;   // below the content folder
  std::vector<uint8_t> (*Make)();
};
// The files kept in the repository's content folder, in a fixed order.
const std::vector<TContentFile>& ContentFiles();
// The files made only into a build's content folder (beside the executable).
const std::vector<TContentFile>& BuildContentFiles();
