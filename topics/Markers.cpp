#include "topics/Markers.h"

std::unique_ptr<TLines> NewMarkerLines(const TVector& Colour)
{
  auto l = std::make_unique<TLines>(nullptr);
  l->SetLineColor(Colour);
  l->SetAntiAliased(true);
  l->SetNodesAspect(lnaInvisible);
  return l;
}

namespace {

std::unique_ptr<TLines> ArrowX(Single sign, const TVector& colour, Single length, Single head, Single half)
{
  auto l = NewMarkerLines(colour);
  Single k = sign * (length - head);
  l->AddNodeSilent(0, 0, 0);
  l->AddNodeSilent(k, 0, 0);
  l->AddNodeSilent(k, half, 0);
  l->AddNodeSilent(sign * length, 0, 0);
  l->AddNodeSilent(k, -half, 0);
  l->AddNodeSilent(k, 0, 0);
  return l;
}

std::unique_ptr<TLines> ArrowToOriginY(Single sign, const TVector& colour, Single length)
{
  auto l = NewMarkerLines(colour);
  Single h = sign * ArrowHeadLength;
  l->AddNodeSilent(0, sign * length, 0);
  l->AddNodeSilent(0, h, 0);
  l->AddNodeSilent(0, h, -ArrowHalfWidth);
  l->AddNodeSilent(0, 0, 0);
  l->AddNodeSilent(0, h, ArrowHalfWidth);
  l->AddNodeSilent(0, h, 0);
  return l;
}

TLines* Add(TGLBaseSceneObject* parent, std::unique_ptr<TLines> l)
{
  // Without a parent the arrow has no owner to go to; it is dropped.
  return parent ? parent->AddChild(std::move(l)) : nullptr;
}

}   // namespace

TLines* AddArrowAlongX(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length, bool Visible)
{
  auto l = ArrowX(Single(Sign), Colour, Length, ArrowHeadLength, ArrowHalfWidth);
  l->SetVisible(Visible);
  return Add(Parent, std::move(l));
}

TLines* AddArrowAlongXAt(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                         const TVector& Position, bool Visible)
{
  auto l = ArrowX(Single(Sign), Colour, Length, ArrowHeadLength, ArrowHalfWidth);
  l->Position.SetAsVector(Position);
  l->SetVisible(Visible);
  return Add(Parent, std::move(l));
}

TLines* AddRolledArrowAlongX(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                             Single Roll)
{
  auto l = ArrowX(Single(Sign), Colour, Length, ArrowHeadLength, ArrowHalfWidth);
  l->SetRollAngle(Roll);
  return Add(Parent, std::move(l));
}

TLines* AddPlacedArrowAlongX(TGLBaseSceneObject* Parent, const TVector& Colour, Single Length, Single X, Single Y,
                             Single Z, Single Roll)
{
  auto l = ArrowX(1, Colour, Length, ArrowHeadLength, ArrowHalfWidth);
  l->SetRollAngle(Roll);
  l->Position.SetPoint(X, Y, Z);
  return Add(Parent, std::move(l));
}

std::unique_ptr<TLines> CreateArrowAlongX(const TVector& Colour, Single Length)
{
  return ArrowX(1, Colour, Length, ArrowHeadLength, ArrowHalfWidth);
}

std::unique_ptr<TLines> CreateArrowAlongXSized(const TVector& Colour, Single Length, Single HeadLength,
                                               Single HalfWidth)
{
  return ArrowX(1, Colour, Length, HeadLength, HalfWidth);
}

TLines* AddArrowToOriginAlongY(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                               bool Visible)
{
  auto l = ArrowToOriginY(Single(Sign), Colour, Length);
  l->SetVisible(Visible);
  return Add(Parent, std::move(l));
}

TLines* AddArrowToOriginAlongYAt(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                                 Single X, Single Y, Single Z)
{
  auto l = ArrowToOriginY(Single(Sign), Colour, Length);
  l->Position.SetPoint(X, Y, Z);
  return Add(Parent, std::move(l));
}

TLines* AddRolledArrowToOriginAlongYAt(TGLBaseSceneObject* Parent, Integer Sign, const TVector& Colour, Single Length,
                                       Single X, Single Y, Single Z, Single Roll)
{
  auto l = ArrowToOriginY(Single(Sign), Colour, Length);
  l->Position.SetPoint(X, Y, Z);
  l->SetRollAngle(Roll);
  return Add(Parent, std::move(l));
}
