#include "topics/TopicFrame.h"

#include "platform/Files.h"

TDummyCube* GroupOf(const TGLBaseSceneObject* parent, Integer i, Integer count)
{
  TDummyCube* g = ChildOf<TDummyCube>(parent, i);
  return g && g->GetCount() == count ? g : nullptr;
}

void SetLibMaterial(TGLSceneObject* obj, const TGLMaterialLibrary* matLib, Integer index)
{
  if (!obj || !matLib || index < 0 || index >= matLib->Materials.GetCount())
    return;
  obj->Material = matLib->Materials.GetItem(index)->Material;
}

void SetChildVisible(TGLBaseSceneObject* parent, Integer i, bool visible)
{
  if (TGLBaseSceneObject* c = ChildOf<TGLBaseSceneObject>(parent, i))
    c->SetVisible(visible);
}

void SetChildRoll(TGLBaseSceneObject* parent, Integer i, Single degrees)
{
  if (TGLBaseSceneObject* c = ChildOf<TGLBaseSceneObject>(parent, i))
    c->SetRollAngle(degrees);
}

void PoseFromRest(TGLBaseSceneObject* obj, Single roll, Single turn)
{
  if (!obj)
    return;
  obj->ResetRotations();
  obj->SetTurnAngle(turn);
  obj->SetRollAngle(roll);
}

TTopicEntry& AddTopicRow(std::vector<TTopicEntry>& rows, Integer id, Integer example, Integer repeatAngle)
{
  rows.push_back({});
  TTopicEntry& e = rows.back();
  e.Id = id;
  e.Example = example;
  if (repeatAngle > 0)
    e.RepeatAngle = FixedRepeatAngle(repeatAngle);
  return e;
}

std::function<Integer(const TTopicControls&)> FixedRepeatAngle(Integer angle)
{
  return [angle](const TTopicControls&) { return angle; };
}

std::string ProgramModelFolder() { return ExeFolder() + "3DS/"; }
