// What the belt, hoist and differential-pulley tests share: a scene base with the standard
// materials, and a snapshot of every placement and phase-driven shape in a scene tree, to
// tell whether a procedure changed anything and whether two poses agree.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "engine/GLStandardScene.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"

struct TSceneFixture {
  TSceneFixture() { FillStandardMaterials(Lib); }
  TGLMaterialLibrary Lib;
  std::unique_ptr<TDummyCube> Base = std::make_unique<TDummyCube>(nullptr);
  TDummyCube* operator->() { return Base.get(); }
  TDummyCube* Get() { return Base.get(); }
};

// One object's state: its local matrix, visibility and the values the animate procedures
// reshape it by.
struct TPoseEntry {
  std::string Path;
  std::vector<double> Values;
};
using TPose = std::vector<TPoseEntry>;

inline void SnapshotInto(const TGLBaseSceneObject* obj, const std::string& path, TPose& out)
{
  TPoseEntry e{path, {}};
  const TMatrix m = obj->LocalMatrix();
  for (const TVector& row : m)
    for (Single v : row)
      e.Values.push_back(v);
  e.Values.push_back(obj->GetVisible() ? 1 : 0);
  if (auto* b = dynamic_cast<const TBelt*>(obj)) {
    e.Values.push_back(b->Angle);
    e.Values.push_back(b->Travel);
  }
  if (auto* r = dynamic_cast<const TRope*>(obj))
    e.Values.push_back(r->Extent);
  if (auto* w = dynamic_cast<const TWestonRope*>(obj))
    e.Values.push_back(w->Angle);
  out.push_back(e);
  for (Integer i = 0; i < obj->GetCount(); ++i)
    SnapshotInto(obj->GetChild(i), path + "." + std::to_string(i), out);
}

inline TPose Snapshot(const TGLBaseSceneObject* root)
{
  TPose p;
  SnapshotInto(root, "", p);
  return p;
}

// Where two poses differ by more than tol (exact when tol is 0), or "" when they agree.
inline std::string PoseDifference(const TPose& a, const TPose& b, double tol = 0)
{
  if (a.size() != b.size())
    return "object count " + std::to_string(a.size()) + " vs " + std::to_string(b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].Values.size() != b[i].Values.size())
      return "value count at " + a[i].Path;
    for (size_t k = 0; k < a[i].Values.size(); ++k) {
      const double x = a[i].Values[k], y = b[i].Values[k];
      if (tol == 0 ? !(x == y || (std::isnan(x) && std::isnan(y))) : !(std::fabs(x - y) <= tol))
        return "at " + a[i].Path + " value " + std::to_string(k) + ": " + std::to_string(x) + " vs "
               + std::to_string(y);
    }
  }
  return "";
}

// The group or part at a path of child indices below root.
inline TGLBaseSceneObject* At(TGLBaseSceneObject* root, std::initializer_list<Integer> path)
{
  TGLBaseSceneObject* o = root;
  for (Integer i : path)
    o = o->GetChild(i);
  return o;
}
