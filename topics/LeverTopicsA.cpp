#include "topics/LeverTopicsA.h"

#include <filesystem>

#include "topics/Arms.h"
#include "topics/Barrows.h"
#include "topics/GLSimpleText.h"
#include "topics/Hammers.h"
#include "topics/Markers.h"
#include "topics/Scissors.h"

TExtrusionSolid* AddLeverLetter(TGLBaseSceneObject* parent, Integer letter, const TVector& colour, Single scale,
                                Single depth, Single x, Single y, Single z)
{
  auto l = BuildLetterSolid(letter, scale, depth);
  l->Position.SetPoint(x, y, z);
  l->Material.FrontProperties.Ambient.SetColor(colour);
  return parent->AddChild(std::move(l));
}

std::unique_ptr<TGLProxyObject> NewLeverProxy(TGLBaseSceneObject* master, TGLProxyObjectOptions options)
{
  auto p = std::make_unique<TGLProxyObject>(nullptr);
  p->SetMasterObject(master);
  p->SetProxyOptions(options);
  return p;
}

bool LeverFileExists(const std::string& fileName)
{
  std::error_code ec;
  return !fileName.empty() && std::filesystem::is_regular_file(fileName, ec);
}

void AddLeverTopicsA(std::vector<TTopicEntry>& Entries)
{
  auto add = [&](Integer id, Integer example, Integer repeat) -> TTopicEntry& {
    return AddTopicRow(Entries, id, example, repeat);
  };

  TTopicEntry& hammer = add(26, 0, 180);
  hammer.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildClawHammerScene(b, m, c.ModelFolder, c.MarkerColour);
  };
  hammer.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateClawHammerScene(b, c.Markers, p); };
  hammer.ShowMarkers = ShowClawHammerMarkers;
  // The letters show only while the claw levers the nail out.
  hammer.LabelsShown = [](bool ticked, Integer p, bool) -> std::optional<bool> { return p > 100 && ticked; };

  // The scissors run their whole sequence (open, feed, cut, part) over 0 to 500.
  TTopicEntry& scissors = add(26, 1, ScissorsRepeatAngle);
  scissors.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildScissorsScene(b, m, c.MarkerColour);
  };
  scissors.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateScissorsScene(b, c.Markers, p); };
  scissors.ShowMarkers = ShowScissorsMarkers;
  // And the scissors' while the blades cut.
  scissors.LabelsShown = [](bool ticked, Integer p, bool) -> std::optional<bool> {
    return p > 250 && p < 394 && ticked;
  };

  TTopicEntry& barrow = add(27, 1, 180);
  barrow.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildWheelbarrowScene(b, m, c.Markers, c.MarkerColour);
  };
  barrow.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateWheelbarrowScene(b, p); };
  barrow.ShowMarkers = ShowWheelbarrowMarkers;

  TTopicEntry& arm = add(28, 0, 180);
  arm.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildArmScene(b, m, c.ModelFolder, c.Markers, c.MarkerColour);
  };
  arm.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateArmScene(b, p); };
  arm.ShowMarkers = ShowArmMarkers;
}
