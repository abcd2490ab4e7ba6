// What the gear and linkage topic tests share: a scene base with the standard materials,
// a snapshot of every object's pose to compare scenes by, and points carried into the scene.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/GLStandardScene.h"
#include "engine/GLScene.h"

struct TTopicScene {
  std::unique_ptr<TDummyCube> Base = std::make_unique<TDummyCube>(nullptr);
  TGLMaterialLibrary Lib;
  TTopicScene() { FillStandardMaterials(Lib); }
  TDummyCube* B() const { return Base.get(); }
};

// Every object's local matrix and visibility, depth first.
inline void AppendPose(const TGLBaseSceneObject* obj, std::vector<Single>& out)
{
  for (const TVector& row : obj->LocalMatrix())
    out.insert(out.end(), row.begin(), row.end());
  out.push_back(obj->GetVisible() ? 1.0f : 0.0f);
  out.push_back(Single(obj->GetCount()));
  for (Integer i = 0; i < obj->GetCount(); ++i)
    AppendPose(obj->GetChild(i), out);
}

inline std::vector<Single> Pose(const TGLBaseSceneObject* obj)
{
  std::vector<Single> r;
  AppendPose(obj, r);
  return r;
}

// Largest difference between two poses of the same tree; infinity when the trees differ.
inline Single PoseDistance(const std::vector<Single>& a, const std::vector<Single>& b)
{
  if (a.size() != b.size())
    return INFINITY;
  Single d = 0;
  for (size_t i = 0; i < a.size(); ++i)
    d = std::max(d, std::fabs(a[i] - b[i]));
  return d;
}

// A point of obj's own space in the scene base's space (the base stands at the origin).
inline TAffineVector InScene(const TGLBaseSceneObject* obj, const TAffineVector& p)
{
  return VectorTransform(p, obj->AbsoluteMatrix());
}

// The same through a proxy that draws obj under its own placement (objects only).
inline TAffineVector InProxy(const TGLBaseSceneObject* proxy, const TGLBaseSceneObject* obj, const TAffineVector& p)
{
  return VectorTransform(VectorTransform(p, obj->LocalMatrix()), proxy->AbsoluteMatrix());
}

// x reduced to [-m/2, m/2).
inline double Centred(double x, double m) { return x - m * std::floor(x / m + 0.5); }

inline double Dist(const TAffineVector& a, const TAffineVector& b)
{
  double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}
