// Helpers the gear and linkage scenes share. Recognising a scene before posing it: an
// animate procedure that meets another topic's children (or too few) must leave them alone,
// so it checks the groups and classes it is about to address, not only their count.
#pragma once

#include "topics/TopicFrame.h"

// Child i of parent as a group (TDummyCube) holding exactly the classes T..., in order;
// null otherwise.
template <class... T>
TDummyCube* GroupHolding(const TGLBaseSceneObject* parent, Integer i)
{
  TDummyCube* g = ChildOf<TDummyCube>(parent, i);
  if (!g || g->GetCount() != Integer(sizeof...(T)))
    return nullptr;
  Integer k = 0;
  bool ok = ((ChildOf<T>(g, k++) != nullptr) && ...);
  return ok ? g : nullptr;
}

// A group holding one arrow (the marker groups).
TDummyCube* ArrowGroup(const TGLBaseSceneObject* parent, Integer i);

// Sets PitchAngle / TurnAngle of child i when it exists.
void SetChildPitch(TGLBaseSceneObject* parent, Integer i, Single degrees);
void SetChildTurn(TGLBaseSceneObject* parent, Integer i, Single degrees);

// Gives obj library material `material` and appends it to parent.
template <class T>
T* AddWithMaterial(TGLBaseSceneObject* parent, std::unique_ptr<T> obj, const TGLMaterialLibrary* matLib,
                   Integer material)
{
  SetLibMaterial(obj.get(), matLib, material);
  return parent->AddChild(std::move(obj));
}

// A group created with no owner, placed at (x, y, z), appended to parent.
TDummyCube* AddPlacedGroup(TGLBaseSceneObject* parent, Single x, Single y, Single z);
