// Roller chains round toothed wheels: the chain and sprocket drive (topic 8) and the bicycle
// drive with its derailleur (topic 34). Every link is its own object; each frame the chain's
// pins are laid along the path again and the links moved onto them.
#pragma once

#include <vector>

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

constexpr Single ChainPitch = 0.1f;
constexpr Single BikeChainstay = 3.2f;
constexpr Single BikeJockeyDrop = 0.1f;
// The bicycle chain's links, whatever the gear: the cage swings to take up the slack.
constexpr Integer BikeChainLinks = 110;

// The bicycle's fixed geometry.
extern const Single BikeChainringRadius;   // 48 teeth
extern const Single BikeJockeyRadius;      // 10 teeth, both jockey wheels
extern const Single BikeRearHubX;
extern const Single BikeRearHubY;   // raised so the top run to the 18-tooth sprocket is level
extern const Single BikeJockeyX;    // the upper jockey's centre
extern const Single BikeJockeyY;
extern const Single BikeCageLength;   // between the two jockeys' centres
// How far the lower jockey swings behind the upper one for the 14-, 16- and 18-tooth
// sprockets: worked out so the chain path is exactly BikeChainLinks pitches long.
extern const Single BikeCageSwing[3];

struct TChainPoint {
  Single X = 0;
  Single Y = 0;
};
// Entry i is pin i; link i runs from entry i to entry i + 1.
using TChainArray = std::vector<TChainPoint>;

// A closed chain path round a ring of wheels, each wrapped anticlockwise (Dir +1) or
// clockwise (-1) and joined to the next by the straight tangent the chain leaves along.
// Lengths run from the start angle on wheel 0 in the chain's direction of travel.
class TChainPath {
public:
  struct TWheel {
    double X = 0, Y = 0, R = 0;
    int Dir = 1;
  };
  TChainPath(std::vector<TWheel> wheels, double startAngle);
  // False when two neighbouring wheels leave no tangent (one inside the other's reach).
  bool Valid() const { return FValid; }
  double Length() const { return FLength; }
  // The point at path length s, s taken round the path whatever its value.
  TChainPoint PointAt(double s) const;
  // The roll (degrees, in [0, 360 / teeth)) that puts a seat of that wheel, cut for that
  // many teeth, under every pin when the pins lie one seat's arc apart from length 0 on.
  double MeshRoll(size_t wheel, Integer teeth) const;

private:
  struct TSegment {
    double Start = 0, Length = 0;
    bool Arc = false;
    double X = 0, Y = 0;     // arc: centre; straight: start point
    double R = 0, A = 0;     // arc: radius and start angle
    double DX = 0, DY = 0;   // straight: unit direction
    int Dir = 1;
    size_t Wheel = 0;
  };
  std::vector<TWheel> FWheels;
  std::vector<TSegment> FSegments;
  std::vector<double> FEntryLength;   // per wheel: path length where the chain meets it
  std::vector<double> FEntryAngle;
  double FLength = 0;
  bool FValid = false;
};

// Length of an open chain round two circles of radii R1, R2 whose centres are C apart.
Single ChainPathLength(Single R1, Single R2, Single C);
// Grows C until the path takes a whole even number of pitches.
void FitChainCentreDistance(Single& C, Single R1, Single R2);
// Topic 8's pins: left wheel R1 at (-C/2, 0), right wheel R2 at (C/2, 0), from the right
// wheel's rightmost point anticlockwise, moved on by the right wheel's turn Angle (radians).
// One point more than links; the last lies on the first.
void LayChainLinks(TChainArray& Points, Single R1, Single R2, Single C, Single Angle);
// The bicycle's pins for a rear sprocket of RearTeeth and a cage swing Q, moved on by the
// chain wheel's turn Angle (radians).
void LayBikeChainLinks(Integer RearTeeth, TChainArray& Points, Single Angle, Single Q);
// The roll that points a link (drawn along its local +Y) from P1 to P2, in [0, 360).
void ChainLinkAngle(const TChainPoint& P1, const TChainPoint& P2, Single& Angle);
// One link: plates "DarkMetal", pin "Metal"; Slices facets round its roller.
void AddChainLink(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Kind, Single Pitch, Single X,
                  Single Y, Single Angle, Integer Slices);

// Topic 8's step range: the right wheel's turn after which both wheels are round whole and
// the chain's inner and outer links stand where they started.
Integer ChainDriveRepeatAngle(Integer Teeth1, Integer Teeth2);
// The centre distance of topic 8's sprockets: the chain closes round them with an even
// number of links.
Single ChainDriveCentreDistance(Integer Teeth1, Integer Teeth2);
void BuildChainDriveScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Teeth1, Integer Teeth2,
                          bool ShowMarkers, const TVector& MarkerColour = DefaultMarkerColour);
void AnimateChainDriveScene(TDummyCube* SceneBase, Integer Teeth1, Integer Teeth2, Single Phase);
void ShowChainDriveMarkers(TDummyCube* SceneBase, bool Visible);

Integer DerailleurRepeatAngle(Integer Gear);
void BuildDerailleurScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Gear, Integer StartPhase,
                          bool ShowMarkers, const TVector& MarkerColour = DefaultMarkerColour);
void AnimateDerailleurScene(TDummyCube* SceneBase, Integer Gear, Single Phase);
void ShowDerailleurMarkers(TDummyCube* SceneBase, bool Visible);
