// What the claw hammer, scissors, wheelbarrow and forearm tests share: a pose that also
// holds the sheets' outlines and the muscle's nodes, which the animate procedures reshape.
#pragma once

#include "engine/GLExtrusion.h"
#include "tests/topics/PulleyTopicsTestSupport.h"
#include "topics/ScissorObjects.h"

inline TPose LeverPose(const TGLBaseSceneObject* root)
{
  TPose p = Snapshot(root);
  std::function<void(const TGLBaseSceneObject*, const std::string&)> more = [&](const TGLBaseSceneObject* o,
                                                                                const std::string& path) {
    TPoseEntry e{path + " shape", {}};
    if (auto* paper = dynamic_cast<const TPaper*>(o)) {
      // A flat sheet draws the same rectangle wherever its middle point V3 stands.
      for (size_t k = 0; k < 6; ++k) {
        const auto& v = paper->Vertices[k];
        e.Values.insert(e.Values.end(), {k == 3 && paper->Flat ? 0 : v[0], v[1], v[2]});
      }
      e.Values.push_back(paper->Flat);
    }
    if (auto* pipe = dynamic_cast<const TPipe*>(o))
      for (Integer k = 0; k < pipe->GetNodes().GetCount(); ++k) {
        const TGLPipeNode* n = pipe->GetPipeNode(k);
        e.Values.insert(e.Values.end(), {n->X, n->Y, n->Z, n->GetRadiusFactor()});
      }
    if (!e.Values.empty())
      p.push_back(e);
    for (Integer i = 0; i < o->GetCount(); ++i)
      more(o->GetChild(i), path + "." + std::to_string(i));
  };
  more(root, "");
  return p;
}

inline bool Visible(TGLBaseSceneObject* root, std::initializer_list<Integer> path)
{
  return At(root, path)->GetVisible();
}
