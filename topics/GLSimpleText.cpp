#include "topics/GLSimpleText.h"

#include <initializer_list>
#include <utility>

namespace {

using TOutline = std::initializer_list<std::pair<Single, Single>>;

const TOutline LetterE = {{0, 0},       {1.2f, 0},    {1.2f, 0.2f}, {0.2f, 0.2f}, {0.2f, 0.8f}, {1.2f, 0.8f},
                          {1.2f, 1.0f}, {0.2f, 1.0f}, {0.2f, 1.6f}, {1.2f, 1.6f}, {1.2f, 1.8f}, {0, 1.8f}};
const TOutline LetterF = {{0, 0},       {0.2f, 0},    {0.2f, 0.8f}, {1.2f, 0.8f}, {1.2f, 1.0f},
                          {0.2f, 1.0f}, {0.2f, 1.6f}, {1.2f, 1.6f}, {1.2f, 1.8f}, {0, 1.8f}};
const TOutline LetterL = {{0, 0}, {1.2f, 0}, {1.2f, 0.2f}, {0.2f, 0.2f}, {0.2f, 1.8f}, {0, 1.8f}};

}   // namespace

std::unique_ptr<TExtrusionSolid> BuildLetterSolid(Integer Letter, Single Scale, Single Depth)
{
  auto solid = std::make_unique<TExtrusionSolid>(nullptr);
  solid->SetHeight(Depth);
  solid->SetParts(espOutside | espStartPolygon | espStopPolygon);
  const TOutline* outline = Letter == 'E' ? &LetterE : Letter == 'F' ? &LetterF : Letter == 'L' ? &LetterL : nullptr;
  if (outline)
    for (const auto& [x, y] : *outline)
      solid->AddNode(0, x * Scale, y * Scale, 0);
  return solid;
}
