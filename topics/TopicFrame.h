// The frame every topic stands in: what its procedures take, and the small helpers they
// share to find their parts again by index without trusting what they find.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

// Child i of parent when parent exists, the index is in range and the child is a T; else null.
template <class T>
T* ChildOf(const TGLBaseSceneObject* parent, Integer i)
{
  return parent ? parent->GetChildAs<T>(i) : nullptr;
}

// The number of children, 0 for no parent.
inline Integer ChildCount(const TGLBaseSceneObject* parent) { return parent ? parent->GetCount() : 0; }

// A group (TDummyCube) as child i of parent holding exactly `count` children, or null.
TDummyCube* GroupOf(const TGLBaseSceneObject* parent, Integer i, Integer count);

// Gives obj a copy of library material i; nothing happens for a missing library or index.
void SetLibMaterial(TGLSceneObject* obj, const TGLMaterialLibrary* matLib, Integer index);

// Sets Visible of child i when it exists.
void SetChildVisible(TGLBaseSceneObject* parent, Integer i, bool visible);

// Sets RollAngle of child i when it exists.
void SetChildRoll(TGLBaseSceneObject* parent, Integer i, Single degrees);

// Where the program's models and their pictures lie: the "3DS" folder beside it.
std::string ProgramModelFolder();

// The control values the shell passes to the topic procedures. Each topic reads the ones
// its procedures take; later topics add theirs here.
struct TTopicControls {
  Integer Cog[4] = {20, 20, 20, 20};            // Cog1UpDn .. Cog4UpDn
  bool Markers = false;                         // the topic's marker check box
  TVector MarkerColour = DefaultMarkerColour;   // the arrows and letters: white, or black on white
  // Belt drives, hoist, differential pulley and inclined plane.
  Integer BeltItem = 0;             // BeltCB: 0 vee, 1 flat, 2 crossed (topic 5 only)
  Integer PulleySize[2] = {3, 6};   // VP1UpDn, VP2UpDn: radius x 10
  Integer BeltStep = 3;             // StepConeUpDn
  Integer HoistWheels = 1;          // HoistUpDn
  Integer WestonRadius = 15;        // WPRadiusHsb: smaller sheave radius x 100
  Integer PlaneAngle = 10;          // PlaneAngleHsb, degrees
  // Gear and linkage topics.
  Integer PivotOffset = 0;        // LinkOffsetHsb, -30 .. 30
  Single TreadleLength = 0.15f;   // TreadleHsb x 0.01
  bool Advancing = true;          // the ratchet is driven forwards
  // Chain drive, derailleur and cams.
  Integer Chain[2] = {10, 20};   // Chain1UpDn, Chain2UpDn: left and right sprocket teeth
  Integer BikeGear = 1;          // 0, 1, 2: the 14-, 16- or 18-tooth rear sprocket
  Integer CamFollower = 0;       // CamCB item: roller, flat, point, radius
  Integer CamOffset = 10;        // CamOffsetHsb position (0 to 25)
  Integer CamSlot = 20;          // CamSlotHsb position: the box cam's groove angle in degrees
  Integer BoxCamRadius = 20;     // SCamRadHsb position (12 to 30)
  // Crank, screw, windlass and brake topics.
  Integer CrankOffset = 25;    // CrankOffsetHsb position: the crank's throw x 100
  Integer ThreadProfile = 0;   // ScrewCB item: V, square, buttress, Acme
  Integer ScrewPitch = 10;     // ScrewPitchHsb position: the pitch x 100 (10 to 40)
  Integer HandleRadius = 60;   // HandRadHsb position: the handle's radius x 100 (18 to 96)
  // The folder (with its separator) the scenes that load models and pictures read them from.
  std::string ModelFolder = ProgramModelFolder();
};

// One topic (or one example of a lever topic) as the shell dispatches it.
struct TTopicEntry {
  Integer Id = 0;
  Integer Example = 0;
  std::function<void(TDummyCube* sceneBase, TGLMaterialLibrary* matLib, const TTopicControls& c)> Build;
  std::function<void(TDummyCube* sceneBase, const TTopicControls& c, Single phase)> Animate;
  // Empty for topics without markers.
  std::function<void(TDummyCube* sceneBase, bool visible)> ShowMarkers;
  // Whether the topic's check box (Markers and ShowMarkers) shows markers, arrows and letters;
  // the treadle's shows the linkage alone instead.
  bool BoxShowsMarkers = true;
  // The step bar's maximum for these control values.
  std::function<Integer(const TTopicControls& c)> RepeatAngle;
  // Called when the clock wraps the phase by wrapAngle (the step bar's maximum), before the
  // animate call (the belts fold their run into their travel, the worm wheel advances);
  // empty for topics whose pose depends on the phase alone.
  std::function<void(TDummyCube* sceneBase, const TTopicControls& c, Integer wrapAngle)> Wrap;
  // The step bar runs from minus the repeat angle (the rack) instead of from 0.
  bool NegativeRange = false;
  // The control values the shell starts the topic with.
  std::function<TTopicControls()> DefaultControls;
  // For a model whose labels belong to some stages of its motion: whether the lever
  // toolbar's box, ticked or not, shows them at the step bar's position (and with the clock
  // stopped or running), or nothing to leave them as they are. Empty: the box shows them.
  std::function<std::optional<bool>(bool ticked, Integer position, bool stopped)> LabelsShown;
};

// Appends a topic's row (a lever topic's example) and hands it back to be filled in; a
// repeat angle above 0 is fixed, whatever the controls. The reference holds until the next
// row is added.
TTopicEntry& AddTopicRow(std::vector<TTopicEntry>& rows, Integer id, Integer example = 0, Integer repeatAngle = 0);
// A repeat-angle function that does not depend on the controls.
std::function<Integer(const TTopicControls&)> FixedRepeatAngle(Integer angle);

// Poses obj from its unturned orientation: TurnAngle turn, then RollAngle roll. The result
// depends on the angles alone, not on the poses obj went through before, bit for bit.
void PoseFromRest(TGLBaseSceneObject* obj, Single roll, Single turn = 0);
