#include "topics/SceneMatch.h"

#include "engine/GLObjects.h"

TDummyCube* ArrowGroup(const TGLBaseSceneObject* parent, Integer i) { return GroupHolding<TLines>(parent, i); }

void SetChildPitch(TGLBaseSceneObject* parent, Integer i, Single degrees)
{
  if (TGLBaseSceneObject* c = ChildOf<TGLBaseSceneObject>(parent, i))
    c->SetPitchAngle(degrees);
}

void SetChildTurn(TGLBaseSceneObject* parent, Integer i, Single degrees)
{
  if (TGLBaseSceneObject* c = ChildOf<TGLBaseSceneObject>(parent, i))
    c->SetTurnAngle(degrees);
}

TDummyCube* AddPlacedGroup(TGLBaseSceneObject* parent, Single x, Single y, Single z)
{
  auto g = std::make_unique<TDummyCube>(nullptr);
  g->Position.SetPoint(x, y, z);
  return parent->AddChild(std::move(g));
}
