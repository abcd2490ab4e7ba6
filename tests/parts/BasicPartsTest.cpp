#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "engine/GLRecorder.h"
#include "parts/BasicParts.h"
#include "parts/MachineParts.h"
#include "parts/CamDrum.h"
#include "parts/ToggleLinks.h"
#include "parts/RatchetParts.h"
#include "parts/RopeParts.h"
#include "parts/ScrewParts.h"
#include "parts/SlabParts.h"
#include "parts/SlotLinks.h"
#include "tests/engine/ShapesTestUtil.h"
#include "tests/parts/PartTestSupport.h"

namespace {

// Builds the part's list under a recorder and hands back the recorder's view of it.
struct TDrawn {
  std::unique_ptr<TGLRecorder> Rec = std::make_unique<TGLRecorder>();
  std::vector<TAffineVector> Vertices;
};

TDrawn Draw(TGLBaseSceneObject& part)
{
  TDrawn d;
  TRenderContextInfo rci;
  part.BuildList(rci);
  for (const TGLCall& c : d.Rec->Calls())
    if ((c.Name == "glVertex3f" || c.Name == "glVertex3fv") && c.Args.size() >= 3)
      d.Vertices.push_back({Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])});
  return d;
}

Single MaxRadius(const std::vector<TAffineVector>& v)
{
  Single m = 0;
  for (const TAffineVector& p : v)
    m = std::max(m, std::hypot(p[0], p[1]));
  return m;
}

Single MinRadius(const TGLVertexArray& v)
{
  Single m = std::numeric_limits<Single>::max();
  for (const TAffineVector& p : v)
    m = std::min(m, std::hypot(p[0], p[1]));
  return m;
}

// Every class with the sizes its scenes pass, and with nonsense sizes.
std::vector<std::pair<std::string, std::function<std::unique_ptr<TGLBaseSceneObject>()>>> AllParts(bool wild)
{
  const Single nan = std::numeric_limits<Single>::quiet_NaN();
  const Single k = wild ? nan : 1.0f;
  const Integer n = wild ? -5 : 1;
  std::vector<std::pair<std::string, std::function<std::unique_ptr<TGLBaseSceneObject>()>>> r;
  r.push_back({"TCog", [=] { return std::make_unique<TCog>(nullptr, 20 * n, 0.15f * k, 0.075f, 0.2f, 0.33f); }});
  r.push_back({"TCogSolid", [=] { return std::make_unique<TCog>(nullptr, 25 * n, 0.14f, 0.06f * k, 0.06f, 0); }});
  r.push_back({"THelicalGear", [=] {
                 auto g = std::make_unique<THelicalGear>(nullptr, 20 * n, 0.15f, 0.075f, 0.2f * k, 0.33f);
                 g->Twist = 0.0375f;
                 return g;
               }});
  r.push_back({"TBevelCog", [=] { return std::make_unique<TBevelCog>(nullptr, 60 * n, 0.1f, 0.05f, 0.24f * k, 15); }});
  r.push_back({"TBevelCogEx", [=] { return std::make_unique<TBevelCogEx>(nullptr, 16 * n, 0.25f, 0.08f, 45 * k); }});
  r.push_back(
      {"TRackGear", [=] { return std::make_unique<TRackGear>(nullptr, 4.0f * k, 0.2f, 0.2f, 0.15f, 0.075f, 10); }});
  r.push_back(
      {"TWorm", [=] { return std::make_unique<TWorm>(nullptr, 0.1f, 0.075f * k, 0.15f, 0.075f, 0.02f, 6 * n, 20); }});
  r.push_back({"TWormWheel", [=] {
                 return std::make_unique<TWormWheel>(nullptr, 10 * n, 0.15f, 0.075f, 0.2f, 0.126f, -0.157f * k);
               }});
  r.push_back({"TSprocket", [=] { return std::make_unique<TSprocket>(nullptr, 10 * n, 0.1f * k, 0.02f); }});
  r.push_back({"TChainWheel", [=] { return std::make_unique<TChainWheel>(nullptr, 48 * n, 0.1f * k, 0.02f); }});
  r.push_back({"TChainLink", [=] { return std::make_unique<TChainLink>(nullptr, 0.1f * k, 0.05f, 1, 20 * n); }});
  r.push_back({"TSpoke", [=] { return std::make_unique<TSpoke>(nullptr, 0.25f * k, 0.025f, 0.02f, 72, 20 * n); }});
  r.push_back({"TVPulley", [=] { return std::make_unique<TVPulley>(nullptr, 0.3f * k, 0.2f, 0.2f, 50 * n, 1, 31); }});
  r.push_back({"TVPulleyFlat", [=] {
                 auto p = std::make_unique<TVPulley>(nullptr, 0.2f, 0.18f * k, 0.15f, 30, 1, 15);
                 p->GrooveKind = 1;
                 return p;
               }});
  r.push_back(
      {"TSlotAxle", [=] { return std::make_unique<TSlotAxle>(nullptr, 0.06f * k, 0.6f, 0.021f, 0.03f, 20 * n); }});
  r.push_back(
      {"TLinkAxle", [=] { return std::make_unique<TLinkAxle>(nullptr, 0.05f * k, 0.035f, 0.05f, 0.02f, 20 * n, 0); }});
  r.push_back({"TLinkage", [=] {
                 auto l = std::make_unique<TLinkage>(nullptr, 0.1f * k, 0.02f, 1.0f, 20 * n);
                 l->SideColoured = true;
                 return l;
               }});
  r.push_back({"TCrank",
               [=] { return std::make_unique<TCrank>(nullptr, 0.12f, 0.06f * k, 0.07f, 0.05f, 0.06f, 1.0f, 10 * n); }});
  for (Byte style : {Byte(1), Byte(2), Byte(3), Byte(9)})
    r.push_back({"TOpenBox" + std::to_string(style), [=] {
                   auto b = std::make_unique<TOpenBox>(nullptr, 0.4f, 0.3f * k, 0.16f, 0.04f);
                   b->SetStyle(style);
                   if (style == 2)
                     b->SetCornerRadius(0.05f);
                   b->SetSideColour(true);
                   return b;
                 }});
  r.push_back(
      {"TWheelBracket", [=] { return std::make_unique<TWheelBracket>(nullptr, 0.1f, 0.15f * k, 0.28f, 0.02f); }});
  r.push_back({"TCam", [=] { return std::make_unique<TCam>(nullptr, 0.3f, 0.14f * k, 0.25f, 0.2f, 50 * n); }});
  r.push_back({"TBigEnd", [=] { return std::make_unique<TBigEnd>(nullptr, 0.32f, 0.18f, 0.25f * k, 0.1f, 20 * n); }});
  r.push_back({"THeartCam", [=] { return std::make_unique<THeartCam>(nullptr, 0.1f * k, 0.25f, 0.2f, 50 * n); }});
  r.push_back({"TCrankEx", [=] { return std::make_unique<TCrankEx>(nullptr); }});
  r.push_back(
      {"TPiston", [=] { return std::make_unique<TPiston>(nullptr, 0.3f, 0.05f, 0.1f * k, 0.35f, 0.03f, 50 * n); }});
  return r;
}

}   // namespace

TEST(BasicParts, EveryPartDrawsASoundStream)
{
  for (bool wild : {false, true})
    for (auto& [name, make] : AllParts(wild)) {
      SCOPED_TRACE(name + (wild ? " (wild sizes)" : ""));
      auto part = make();
      TDrawn d = Draw(*part);
      EXPECT_EQ(d.Rec->Problems(), "");
      if (!wild && name.rfind("TVPulley", 0) == 0) {
        EXPECT_GE(d.Rec->Count("gluCylinder"), 2);
      } else if (!wild) {
        EXPECT_GT(d.Rec->VertexCount(), 20);
      }
    }
}

TEST(BasicParts, CogRadiiAndToothLayoutFollowTheFormula)
{
  TCog cog(nullptr, 20, 0.15f, 0.075f, 0.2f, 0.3275f);
  const Single tip = 20 * 0.15f / 6.283185f;
  EXPECT_NEAR(cog.TipRadius(), tip, 1e-6);
  EXPECT_NEAR(cog.RootRadius(), tip - 0.075f, 1e-6);
  TGLVertexArray o = cog.Outline();
  ASSERT_EQ(o.size(), 80u);
  for (size_t j = 0; j < o.size(); ++j) {
    Single a = std::atan2(o[j][1], o[j][0]);
    Single expected = Single(j) * 4.5f * cPIdiv180;
    EXPECT_NEAR(std::remainder(a - expected, FullCircle), 0, 1e-5) << j;
    EXPECT_NEAR(std::hypot(o[j][0], o[j][1]), j % 4 < 2 ? tip : tip - 0.075f, 1e-5) << j;
  }
  TDrawn d = Draw(cog);
  EXPECT_NEAR(MaxRadius(d.Vertices), tip, 1e-5);
  // The bore: the smallest radius drawn.
  Single least = 1;
  for (const TAffineVector& p : d.Vertices)
    least = std::min(least, std::hypot(p[0], p[1]));
  EXPECT_NEAR(least, 0.3275f, 1e-5);
}

TEST(BasicParts, HelicalTeethTurnByTheirTwistAcrossTheFace)
{
  THelicalGear g(nullptr, 20, 0.15f, 0.075f, 0.2f, 0);
  g.Twist = 0.0375f;
  TDrawn d = Draw(g);
  // The first tip point on the front face lies Twist/2 of arc ahead of +X, on the back behind it.
  Single front = 1, back = -1;
  for (const TAffineVector& p : d.Vertices)
    if (std::abs(std::hypot(p[0], p[1]) - g.TipRadius()) < 1e-5f) {
      Single a = std::atan2(p[1], p[0]);
      if (std::abs(a) < 0.06f) {
        if (p[2] > 0.099f)
          front = std::min(front, a);
        if (p[2] < -0.099f)
          back = std::min(back == -1 ? 1 : back, a);
      }
    }
  EXPECT_NEAR(front * g.TipRadius(), 0.01875f, 1e-5);
  EXPECT_NEAR(back * g.TipRadius(), -0.01875f, 1e-5);
}

TEST(BasicParts, CamCirclesAndHeartRadius)
{
  TCam cam(nullptr, 0.3f, 0.14f, 0.25f, 0.2f, 50);
  TGLVertexArray o = cam.Outline();
  EXPECT_NEAR(MinRadius(o), 0.3f, 1e-5);
  EXPECT_NEAR(MaxRadius(o), 0.39f, 1e-5);
  // The nose points along -X, the big end's along +X.
  auto far = [](const TGLVertexArray& v) {
    TAffineVector best{};
    for (const TAffineVector& p : v)
      if (std::hypot(p[0], p[1]) > std::hypot(best[0], best[1]))
        best = p;
    return best;
  };
  EXPECT_NEAR(far(o)[0], -0.39f, 1e-5);
  EXPECT_NEAR(far(cam.Outline(true))[0], 0.39f, 1e-5);
  // Every point lies on the base circle, the nose circle or a flank between them.
  for (const TAffineVector& p : o) {
    Single rb = std::hypot(p[0], p[1]), rn = std::hypot(p[0] + 0.25f, p[1]);
    EXPECT_TRUE(std::abs(rb - 0.3f) < 1e-5f || std::abs(rn - 0.14f) < 1e-5f);
  }
  // A nose inside the base circle leaves the base circle.
  TCam round(nullptr, 0.3f, 0.05f, 0.2f, 0.1f, 30);
  EXPECT_NEAR(MaxRadius(round.Outline()), 0.3f, 1e-5);

  THeartCam heart(nullptr, 0.1f, 0.25f, 0.2f, 50);
  EXPECT_NEAR(heart.RadiusAt(0), 0.25f, 1e-6);
  EXPECT_NEAR(heart.RadiusAt(cPI), 0.25f + 0.1f * cPI, 1e-5);
  EXPECT_NEAR(heart.RadiusAt(1.5f * cPI), heart.RadiusAt(0.5f * cPI), 1e-5);
  for (const TAffineVector& p : heart.Outline()) {
    Single a = std::atan2(p[1], p[0]);
    EXPECT_NEAR(std::hypot(p[0], p[1]), heart.RadiusAt(a), 1e-4);
  }
}

TEST(BasicParts, ChainWheelsSeatPinsOnThePitchCircle)
{
  for (Integer teeth : {10, 15, 48}) {
    TSprocket s(nullptr, teeth, 0.1f, 0.02f);
    const Single rp = teeth * 0.1f / 6.283185f;
    EXPECT_NEAR(s.PitchRadius(), rp, 1e-6);
    TGLVertexArray o = s.Outline();
    // A roller at each pin position fits its seat: no outline point lies inside it, and
    // the seat's bottom touches it.
    for (Integer k = 0; k < teeth; ++k) {
      Single a = FullCircle * k / teeth;
      TAffineVector pin{rp * std::cos(a), rp * std::sin(a), 0};
      Single nearest = 1;
      for (const TAffineVector& p : o)
        nearest = std::min(nearest, std::hypot(p[0] - pin[0], p[1] - pin[1]));
      EXPECT_NEAR(nearest, s.RollerRadius(), 1e-4) << teeth << " " << k;
    }
  }
  TChainWheel w(nullptr, 48, 0.1f, 0.02f);
  EXPECT_NEAR(w.InnerRadius, 0.9f * (w.PitchRadius() - w.RollerRadius()), 1e-6);
  TChainLink link(nullptr, 0.1f, 0.05f, 0, 20);
  ASSERT_EQ(link.GetCount(), 1);
  TGLMaterial m;
  m.FrontProperties.Diffuse.SetColor(1, 0, 0, 1);
  link.SetPinMaterial(m);
  EXPECT_EQ(link.GetPin()->Material.FrontProperties.Diffuse, m.FrontProperties.Diffuse);
  // The link reaches from its pin one pitch along +Y.
  TDrawn d = Draw(link);
  Single top = -1, bottom = 1;
  for (const TAffineVector& p : d.Vertices) {
    top = std::max(top, p[1]);
    bottom = std::min(bottom, p[1]);
  }
  EXPECT_NEAR(top, 0.1f + 0.025f, 1e-5);
  EXPECT_NEAR(bottom, -0.03f, 1e-5);   // the roller
}

TEST(BasicParts, LinkageLiesWhereItsPlacementSays)
{
  TLinkage l(nullptr, 0.1f, 0.02f, 1.0f, 20);
  auto span = [&](Byte placement) {
    l.Placement = placement;
    TDrawn d = Draw(l);
    Single lo = 10, hi = -10;
    for (const TAffineVector& p : d.Vertices) {
      lo = std::min(lo, p[0]);
      hi = std::max(hi, p[0]);
    }
    return std::pair{lo, hi};
  };
  EXPECT_NEAR(span(0).first, -1.1f, 1e-5);
  EXPECT_NEAR(span(0).second, 0.1f, 1e-5);
  EXPECT_NEAR(span(1).first, -0.6f, 1e-5);
  EXPECT_NEAR(span(2).second, 1.1f, 1e-5);
  TLinkage copy(nullptr, 0, 0, 0, 1);
  l.SideColoured = true;
  copy.Assign(l);
  EXPECT_EQ(copy.Length, 1.0f);
  EXPECT_EQ(copy.Placement, 2);
  EXPECT_TRUE(copy.SideColoured);
  EXPECT_EQ(copy.SideColour, GreySideColour);
}

TEST(BasicParts, SetterStoresAndMarksTheListStale)
{
  TOpenBox box(nullptr, 0.2f, 0.2f, 0.16f, 0.02f);
  TRenderContextInfo rci;
  TGLRecorder rec;
  box.Render(rci);
  EXPECT_FALSE(box.GetStructureChangedFlag());
  box.SetCornerSegments(5);
  EXPECT_EQ(box.GetStyle(), 2);
  EXPECT_TRUE(box.GetStructureChangedFlag());
}

TEST(BasicParts, WormAndWheelShareTheLeadAngle)
{
  // The scene's wheel skew, a quarter pitch of arc across the face, matches the worm's
  // lead angle at the middle of the thread within a degree.
  TWorm worm(nullptr, 0.1f, 0.075f, 0.15f, 0.075f, 0.02f, 6, 20);
  const Single skewAcrossFace = std::atan2(0.0375f, 0.2f);
  EXPECT_NEAR(worm.LeadAngle(0.1f + 0.075f / 2) * c180divPI, skewAcrossFace * c180divPI, 1.0);
  // The thread's middle crosses the underside at x = P/8 + kP.
  TDrawn d = Draw(worm);
  bool found = false;
  for (size_t i = 0; i + 1 < d.Vertices.size(); ++i) {
    const TAffineVector& p = d.Vertices[i];
    if (std::abs(p[2]) < 1e-5f && p[1] < -0.17f) {   // crest at the underside
      Single x = (p[0] + d.Vertices[i + 1][0]) / 2;
      Single m = std::remainder(x - 0.15f / 8, 0.15f);
      if (std::abs(m) < 1e-4f)
        found = true;
    }
  }
  EXPECT_TRUE(found);
}

TEST(BasicParts, RackGapsMeetAPinionTurnedMinus90)
{
  TRackGear rack(nullptr, 4.0f, 0.2f, 0.2f, 0.15f, 0.075f, 10);
  // Tips start at -P/2 + kP, so the gap after tooth k is centred at P/8 + kP.
  Single x = rack.FirstToothX();
  EXPECT_NEAR(std::remainder(x + 0.075f, 0.15f), 0, 1e-5);
  EXPECT_GE(x, -2.0f + 0.15f / 4);
}

TEST(BasicParts, ClosedSolidsAreClosedAndWoundOutwards)
{
  // The renderer culls the back faces of a closed solid: a hole or a face wound against its
  // normal would show the background or vanish.
  auto parts = AllParts(false);
  parts.push_back({"TChainLink pin", [] {
                     auto link = std::make_unique<TChainLink>(nullptr, 0.1f, 0.05f, 0, 10);
                     return link->Remove(link->GetPin());
                   }});
  parts.push_back({"TSlotLinkage", [] {
                     auto l = std::make_unique<TSlotLinkage>(nullptr, 0.05f, 0.02f, 0.6f, 20);
                     l->SlotWidth = 0.04f;
                     l->SlotTop = 0.45f;
                     l->SlotBottom = 0.15f;
                     return std::unique_ptr<TGLBaseSceneObject>(std::move(l));
                   }});
  // The second half's closed shapes, with the options that change their outline.
  using TMake = std::function<std::unique_ptr<TGLBaseSceneObject>()>;
  auto add = [&](const std::string& name, TMake make) { parts.push_back({name, std::move(make)}); };
  add("TAnnulusEx", [] { return std::make_unique<TAnnulusEx>(nullptr, 1.15f, 0.4f, 0.04f, 0, 360, 50); });
  add("TAnnulusEx sector", [] { return std::make_unique<TAnnulusEx>(nullptr, 0.5f, 0.08f, 0.08f, 0, 270, 40); });
  for (bool four : {false, true})
    add("TRoundCube", [four] {
      auto c = std::make_unique<TRoundCube>(nullptr, 0.8f, 1.0f, 0.1f, 0.2f, 8);
      c->AllCornersRound = four;
      return c;
    });
  add("TPie", [] { return std::make_unique<TPie>(nullptr, 0.4f, 0.1f, 30); });
  add("TPie sector", [] {
    auto p = std::make_unique<TPie>(nullptr, 0.4f, 0.1f, 30);
    p->StartAngle = 270;
    p->EndAngle = 90;
    return p;
  });
  add("THSCylinder", [] { return std::make_unique<THSCylinder>(nullptr, 0.2f, 0.1f, 0.05f, 20, 0.44f, 40); });
  add("TBToggleLink", [] { return std::make_unique<TBToggleLink>(nullptr, 1.0f, 0.1f, 0.04f, 8); });
  for (Single lever : {45.0f, 120.0f})
    add("TCToggleLink", [lever] {
      auto l = std::make_unique<TCToggleLink>(nullptr, 0.8f, 0.6f, 0.08f, 0.04f, 12);
      l->LeverAngle = lever;
      return l;
    });
  add("TWheel", [] { return std::make_unique<TWheel>(nullptr); });
  add("TCutBit", [] { return std::make_unique<TCutBit>(nullptr); });
  add("TLinearCam", [] { return std::make_unique<TLinearCam>(nullptr); });
  add("TGTEnd", [] { return std::make_unique<TGTEnd>(nullptr); });
  add("TGTBlade", [] { return std::make_unique<TGTBlade>(nullptr); });
  add("TRoundabout", [] { return std::make_unique<TRoundabout>(nullptr); });
  {
    TPie facesOnly(nullptr, 0.4f, 0.1f, 30);
    facesOnly.Parts = 0b011;
    EXPECT_FALSE(facesOnly.IsClosedSolid());
  }
  int closed = 0;
  for (auto& [name, make] : parts) {
    SCOPED_TRACE(name);
    auto part = make();
    if (!part->IsClosedSolid())
      continue;
    ++closed;
    if (name.rfind("TVPulley", 0) == 0)
      continue;   // GLU's quadrics: the recorder cannot look inside, RenderParts looks at pictures
    ExpectClosedSolid(*part);
  }
  EXPECT_GE(closed, 38);
}

TEST(BasicParts, ChainLinksOfOneFormShareOneList)
{
  TChainLink inner(nullptr, 0.1f, 0.05f, 0, 10), inner2(nullptr, 0.1f, 0.05f, 2, 10);
  TChainLink outer(nullptr, 0.1f, 0.05f, 1, 10), bigger(nullptr, 0.2f, 0.05f, 0, 10);
  TChainLink finer(nullptr, 0.1f, 0.05f, 0, 12);
  EXPECT_FALSE(inner.ListKey().empty());
  EXPECT_EQ(inner.ListKey(), inner2.ListKey());
  EXPECT_NE(inner.ListKey(), outer.ListKey());
  EXPECT_NE(inner.ListKey(), bigger.ListKey());
  EXPECT_NE(inner.ListKey(), finer.ListKey());
  EXPECT_EQ(inner.GetPin()->ListKey(), outer.GetPin()->ListKey());
  EXPECT_NE(inner.GetPin()->ListKey(), bigger.GetPin()->ListKey());

  // A chain of twenty links compiles three lists: the two plate forms and the pin.
  TGLRecorder rec;
  TDummyCube chain;
  for (Integer k = 0; k < 20; ++k)
    chain.AddChild(std::make_unique<TChainLink>(nullptr, 0.1f, 0.05f, k % 2, 10))->Position.Y = 0.1f * k;
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  chain.Render(rci);
  chain.Render(rci);
  EXPECT_EQ(rec.Count("glNewList"), 3);
  EXPECT_EQ(rec.Count("glCallList"), 80);
  EXPECT_EQ(rec.Problems(), "");
}

TEST(BasicParts, SecondHalfDrawsSoundlyWhateverOneFieldHolds)
{
  // Zero, negative and huge sizes, counts of 0, 1 and beyond the integer range, angles of
  // whole turns: no division by zero or inverse sine out of range may reach a vertex or a
  // normal, and no count may run away.
  using TMake = std::function<std::unique_ptr<TGLBaseSceneObject>()>;
  auto make = [](auto f) { return TMake([f] { return std::unique_ptr<TGLBaseSceneObject>(f()); }); };
  ExpectSoundForOddFields(make([] { return std::make_unique<TAnnulusEx>(nullptr, 0.5f, 0.05f, 0.08f, 0, 360, 50); }),
                          {PART_FIELD(TAnnulusEx, OuterRadius), PART_FIELD(TAnnulusEx, Width),
                           PART_FIELD(TAnnulusEx, Thickness), PART_FIELD(TAnnulusEx, StartAngle),
                           PART_FIELD(TAnnulusEx, EndAngle), PART_FIELD(TAnnulusEx, Segments)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TRatchet>(nullptr, 0.1f, 0.05f, 0.1f, 20); }),
                          {PART_FIELD(TRatchet, Pitch), PART_FIELD(TRatchet, ToothDepth),
                           PART_FIELD(TRatchet, Thickness), PART_FIELD(TRatchet, Teeth)});
  ExpectSoundForOddFields(make([] {
                            auto p = std::make_unique<TPawl>(nullptr, 0.1f, 0.05f, 0.1f, 0.4f, 0.05f, 20);
                            p->HookRadius = 0.18f;
                            return p;
                          }),
                          {PART_FIELD(TPawl, TipHeight), PART_FIELD(TPawl, HookHalfWidth),
                           PART_FIELD(TPawl, BossRadius), PART_FIELD(TPawl, Length), PART_FIELD(TPawl, Thickness),
                           PART_FIELD(TPawl, Segments), PART_FIELD(TPawl, HookRadius)});
  for (int sheaves : {1, 2, 3, 4})
    ExpectSoundForOddFields(make([sheaves] {
                              return std::make_unique<TRope>(nullptr, 0.2f, 0.15f, 1.5f, 0.03f, sheaves, 8, 10);
                            }),
                            {PART_FIELD(TRope, SheaveRadius), PART_FIELD(TRope, SmallSheaveRadius),
                             PART_FIELD(TRope, Drop), PART_FIELD(TRope, ArcSegments), PART_FIELD(TRope, Sides),
                             PART_FIELD(TRope, Extent), PART_FIELD(TRope, Thickness), PART_FIELD(TRope, EndDrop)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TWestonRope>(nullptr, 0.2f, 0.15f, 0.1f, 1.5f, 0.04f); }),
                          {PART_FIELD(TWestonRope, LargeRadius), PART_FIELD(TWestonRope, SmallRadius),
                           PART_FIELD(TWestonRope, PulleyRadius), PART_FIELD(TWestonRope, Drop),
                           PART_FIELD(TWestonRope, Offset), PART_FIELD(TWestonRope, LinkLength),
                           PART_FIELD(TWestonRope, Angle)});
  ExpectSoundForOddFields(make([] { return std::make_unique<THSCylinder>(nullptr, 0.2f, 0.1f, 0.05f, 20, 0.44f, 40); }),
                          {PART_FIELD(THSCylinder, Radius), PART_FIELD(THSCylinder, GrooveWidth),
                           PART_FIELD(THSCylinder, GrooveDepth), PART_FIELD(THSCylinder, GrooveAngle),
                           PART_FIELD(THSCylinder, Segments), PART_FIELD(THSCylinder, Length)});
  for (bool internal : {false, true})
    for (TThreadProfile profile : {tpVee, tpSquare, tpAcme})
      ExpectSoundForOddFields(make([internal, profile] {
                                auto s = std::make_unique<TScrew>(nullptr, 0.1f, 0.03f, 0.1f, 0.1f, 5, 20);
                                s->InternalThread = internal;
                                s->Profile = profile;
                                s->Parts = ScrewParts({spStartCap, spEndCap, spRunIn, spRunOut});
                                s->LeftHanded = profile == tpSquare;
                                return s;
                              }),
                              {PART_FIELD(TScrew, Radius), PART_FIELD(TScrew, ThreadDepth), PART_FIELD(TScrew, Pitch),
                               PART_FIELD(TScrew, ThreadWidth), PART_FIELD(TScrew, SegmentsPerTurn),
                               PART_FIELD(TScrew, Turns)});
  for (bool solid : {false, true})
    ExpectSoundForOddFields(make([solid] {
                              auto n = std::make_unique<THexNut>(nullptr, 0.2f, 0.1f, 0.1f);
                              n->Solid = solid;
                              return n;
                            }),
                            {PART_FIELD(THexNut, Radius), PART_FIELD(THexNut, HoleRadius),
                             PART_FIELD(THexNut, Thickness)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TSquareNut>(nullptr, 0.4f, 0.1f, 0.1f, 20); }),
                          {PART_FIELD(TSquareNut, Size), PART_FIELD(TSquareNut, HoleRadius),
                           PART_FIELD(TSquareNut, Thickness), PART_FIELD(TSquareNut, Segments)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TPartialTorus>(nullptr, 0.3f, 0.03f, 0, 90, 10, 8); }),
                          {PART_FIELD(TPartialTorus, MajorRadius), PART_FIELD(TPartialTorus, MinorRadius),
                           PART_FIELD(TPartialTorus, Segments), PART_FIELD(TPartialTorus, Sides),
                           PART_FIELD(TPartialTorus, StartAngle), PART_FIELD(TPartialTorus, EndAngle)});
  ExpectSoundForOddFields(make([] { return std::make_unique<THelix>(nullptr, 0.2f, 0.02f, 0.1f, 3.5f, 20, 8); }),
                          {PART_FIELD(THelix, CoilRadius), PART_FIELD(THelix, WireRadius),
                           PART_FIELD(THelix, SegmentsPerTurn), PART_FIELD(THelix, Sides), PART_FIELD(THelix, Turns),
                           PART_FIELD(THelix, Pitch)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TAToggleLink>(nullptr, 1.1f, 0.5f, 0.2f, 0.05f); }),
                          {PART_FIELD(TAToggleLink, ArmLength), PART_FIELD(TAToggleLink, PinSpacing),
                           PART_FIELD(TAToggleLink, PlateThickness), PART_FIELD(TAToggleLink, Width),
                           PART_FIELD(TAToggleLink, CornerRadius), PART_FIELD(TAToggleLink, Segments),
                           PART_FIELD(TAToggleLink, ArmDepth), PART_FIELD(TAToggleLink, PinOffset)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TBToggleLink>(nullptr, 1.0f, 0.1f, 0.05f, 5); }),
                          {PART_FIELD(TBToggleLink, Length), PART_FIELD(TBToggleLink, Extension),
                           PART_FIELD(TBToggleLink, Thickness), PART_FIELD(TBToggleLink, EndRadius),
                           PART_FIELD(TBToggleLink, Segments), PART_FIELD(TBToggleLink, CutAngle)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TCToggleLink>(nullptr, 0.8f, 1.0f, 0.1f, 0.05f, 10); }),
                          {PART_FIELD(TCToggleLink, LeverAngle), PART_FIELD(TCToggleLink, Length),
                           PART_FIELD(TCToggleLink, LeverLength), PART_FIELD(TCToggleLink, Thickness),
                           PART_FIELD(TCToggleLink, EndRadius), PART_FIELD(TCToggleLink, Segments)});
  ExpectSoundForOddFields(make([] {
                            auto l = std::make_unique<TSlotLinkage>(nullptr, 0.05f, 0.02f, 0.6f, 20);
                            l->SlotWidth = 0.04f;
                            l->SlotTop = 0.45f;
                            l->SlotBottom = 0.15f;
                            return l;
                          }),
                          {PART_FIELD(TSlotLinkage, SlotWidth), PART_FIELD(TSlotLinkage, SlotTop),
                           PART_FIELD(TSlotLinkage, SlotBottom), PART_FIELD(TSlotLinkage, EndRadius),
                           PART_FIELD(TSlotLinkage, Length), PART_FIELD(TSlotLinkage, Segments)});
  for (bool all : {false, true})
    ExpectSoundForOddFields(make([all] {
                              auto c = std::make_unique<TRoundCube>(nullptr, 0.8f, 1.0f, 0.1f, 0.2f, 8);
                              c->AllCornersRound = all;
                              return c;
                            }),
                            {PART_FIELD(TRoundCube, SizeX), PART_FIELD(TRoundCube, SizeY),
                             PART_FIELD(TRoundCube, Thickness), PART_FIELD(TRoundCube, CornerRadius),
                             PART_FIELD(TRoundCube, Segments)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TPie>(nullptr, 0.4f, 0.1f, 30); }),
                          {PART_FIELD(TPie, Radius), PART_FIELD(TPie, Thickness), PART_FIELD(TPie, Segments),
                           PART_FIELD(TPie, StartAngle), PART_FIELD(TPie, EndAngle)});
}

TEST(BasicParts, SecondHalfSideColoursAndWhatTheyCover)
{
  // The drum's groove walls and floor in bronze, only when asked for.
  THSCylinder drum(nullptr, 0.2f, 0.1f, 0.05f, 20, 0.44f, 40);
  EXPECT_TRUE(SideBand(drum).Vertices.empty());
  drum.UseSideColour = true;
  TSideBand band = SideBand(drum);
  ASSERT_EQ(band.Colours.size(), 1u);
  ExpectNear3(band.Colours[0], {0.65f, 0.49f, 0.24f});
  EXPECT_EQ(band.Vertices.size(), size_t(3 * 2 * 41));
  const Single swing = 0.2f * std::sin(20 * cPIdiv180) + 0.05f;
  for (const auto& v : band.Vertices)
    EXPECT_LE(std::fabs(v[0]), swing + 1e-5f) << "only the groove, never the drum's ends";
  // The toggle clamp's side link and coupler: their side walls in grey from the start.
  TBToggleLink side(nullptr, 1.0f, 0.1f, 0.05f, 5);
  band = SideBand(side);
  ASSERT_EQ(band.Colours.size(), 1u);
  ExpectNear3(band.Colours[0], {0.6f, 0.6f, 0.6f});
  EXPECT_EQ(band.Vertices.size(), 2 * side.Outline().size());
  TCToggleLink coupler(nullptr, 0.8f, 1.0f, 0.1f, 0.05f, 10);
  band = SideBand(coupler);
  ASSERT_EQ(band.Colours.size(), 1u);
  EXPECT_EQ(band.Vertices.size(), 2 * coupler.Outline().size());
  // A disc sector: its rim and both radial faces.
  TPie pie(nullptr, 0.4f, 0.1f, 30);
  pie.StartAngle = 270;
  pie.EndAngle = 90;
  pie.UseSideColour = true;
  pie.SideColour = {0.1f, 0.2f, 0.3f, 1};
  band = SideBand(pie);
  ASSERT_EQ(band.Colours.size(), 1u);
  ExpectNear3(band.Colours[0], {0.1f, 0.2f, 0.3f});
  EXPECT_EQ(band.Vertices.size(), size_t(2 * 31 + 8));
}

namespace {

using TMakePart = std::function<std::unique_ptr<TGLBaseSceneObject>()>;

template <class T, class... A>
TMakePart MakePart(A... args)
{
  return [=] { return std::unique_ptr<TGLBaseSceneObject>(std::make_unique<T>(nullptr, args...)); };
}

}   // namespace

// The same odd values as for the later parts: zero, negative, tiny, huge and the integer
// extremes in each size and count of the gears, wheels, links and cams in turn (four tests,
// each within the time a test is given on a loaded 2-core machine).
TEST(BasicParts, FirstHalfGearsDrawSoundlyWhateverOneFieldHolds)
{
  ExpectSoundForOddFields(MakePart<TCog>(20, 0.15f, 0.075f, 0.2f, 0.1f),
                          {PART_FIELD(TCog, Teeth), PART_FIELD(TCog, Pitch), PART_FIELD(TCog, ToothDepth),
                           PART_FIELD(TCog, Thickness), PART_FIELD(TCog, BoreRadius)});
  ExpectSoundForOddFields(
      [] {
        auto g = std::make_unique<THelicalGear>(nullptr, 20, 0.15f, 0.075f, 0.2f, 0.1f);
        g->Twist = 0.0375f;
        return std::unique_ptr<TGLBaseSceneObject>(std::move(g));
      },
      {PART_FIELD(THelicalGear, Twist), PART_FIELD(THelicalGear, Teeth), PART_FIELD(THelicalGear, ToothDepth)});
  ExpectSoundForOddFields(MakePart<TBevelCog>(60, 0.1f, 0.05f, 0.24f, 15.f),
                          {PART_FIELD(TBevelCog, Teeth), PART_FIELD(TBevelCog, Pitch),
                           PART_FIELD(TBevelCog, BackThickness), PART_FIELD(TBevelCog, C),
                           PART_FIELD(TBevelCog, ConeAngleDeg)});
  ExpectSoundForOddFields(MakePart<TBevelCogEx>(16, 0.25f, 0.08f, 45.f),
                          {PART_FIELD(TBevelCogEx, Teeth), PART_FIELD(TBevelCogEx, Pitch), PART_FIELD(TBevelCogEx, B),
                           PART_FIELD(TBevelCogEx, ConeAngleDeg)});
  ExpectSoundForOddFields(MakePart<TRackGear>(4.0f, 0.2f, 0.2f, 0.15f, 0.075f, 10),
                          {PART_FIELD(TRackGear, Length), PART_FIELD(TRackGear, B), PART_FIELD(TRackGear, Thickness),
                           PART_FIELD(TRackGear, Pitch), PART_FIELD(TRackGear, ToothDepth),
                           PART_FIELD(TRackGear, Teeth)});
  ExpectSoundForOddFields(MakePart<TWorm>(0.1f, 0.075f, 0.15f, 0.075f, 0.02f, 6, 20),
                          {PART_FIELD(TWorm, RootRadius), PART_FIELD(TWorm, ThreadDepth), PART_FIELD(TWorm, Pitch),
                           PART_FIELD(TWorm, D), PART_FIELD(TWorm, E), PART_FIELD(TWorm, Turns),
                           PART_FIELD(TWorm, SegmentsPerTurn)});
  ExpectSoundForOddFields(MakePart<TWormWheel>(20, 0.15f, 0.075f, 0.2f, 0.3f, -0.1f),
                          {PART_FIELD(TWormWheel, Teeth), PART_FIELD(TWormWheel, Pitch),
                           PART_FIELD(TWormWheel, ToothDepth), PART_FIELD(TWormWheel, Thickness),
                           PART_FIELD(TWormWheel, D), PART_FIELD(TWormWheel, E)});
}

TEST(BasicParts, FirstHalfWheelsDrawSoundlyWhateverOneFieldHolds)
{
  ExpectSoundForOddFields(MakePart<TSprocket>(20, 0.1f, 0.05f),
                          {PART_FIELD(TSprocket, Teeth), PART_FIELD(TSprocket, Pitch),
                           PART_FIELD(TSprocket, Thickness)});
  ExpectSoundForOddFields(MakePart<TChainWheel>(30, 0.1f, 0.05f),
                          {PART_FIELD(TChainWheel, Teeth), PART_FIELD(TChainWheel, Pitch),
                           PART_FIELD(TChainWheel, InnerRadius)});
  ExpectSoundForOddFields(MakePart<TChainLink>(0.1f, 0.06f, 0, 12),
                          {PART_FIELD(TChainLink, Pitch), PART_FIELD(TChainLink, PlateWidth),
                           PART_FIELD(TChainLink, Kind), PART_FIELD(TChainLink, Slices)});
  ExpectSoundForOddFields(MakePart<TSpoke>(0.5f, 0.05f, 0.04f, 60, 10),
                          {PART_FIELD(TSpoke, Radius), PART_FIELD(TSpoke, Width), PART_FIELD(TSpoke, Thickness),
                           PART_FIELD(TSpoke, AngleDeg), PART_FIELD(TSpoke, Segments)});
  for (Byte faces : {Byte(15), Byte(19)})
    for (Byte groove : {Byte(0), Byte(1)})
      ExpectSoundForOddFields(
          [=] {
            auto p = std::make_unique<TVPulley>(nullptr, 0.4f, 0.35f, 0.1f, 40, 1, faces);
            p->GrooveKind = groove;
            return std::unique_ptr<TGLBaseSceneObject>(std::move(p));
          },
          {PART_FIELD(TVPulley, RadiusA), PART_FIELD(TVPulley, RadiusB), PART_FIELD(TVPulley, Width),
           PART_FIELD(TVPulley, Slices), PART_FIELD(TVPulley, InnerRadius)});
}

TEST(BasicParts, FirstHalfAxlesLinksAndBoxesDrawSoundlyWhateverOneFieldHolds)
{
  ExpectSoundForOddFields(MakePart<TSlotAxle>(0.05f, 1.0f, 0.03f, 0.02f, 20),
                          {PART_FIELD(TSlotAxle, Radius), PART_FIELD(TSlotAxle, Length),
                           PART_FIELD(TSlotAxle, SlotWidth), PART_FIELD(TSlotAxle, SlotDepth),
                           PART_FIELD(TSlotAxle, Slices)});
  for (int mode : {0, 1})
    ExpectSoundForOddFields(MakePart<TLinkAxle>(0.3f, 0.03f, 0.05f, 0.02f, 16, mode),
                            {PART_FIELD(TLinkAxle, Length), PART_FIELD(TLinkAxle, RadiusA),
                             PART_FIELD(TLinkAxle, RadiusB), PART_FIELD(TLinkAxle, HeadThickness),
                             PART_FIELD(TLinkAxle, Slices)});
  ExpectSoundForOddFields(MakePart<TLinkage>(0.05f, 0.03f, 1.0f, 12),
                          {PART_FIELD(TLinkage, EndRadius), PART_FIELD(TLinkage, Thickness),
                           PART_FIELD(TLinkage, Length), PART_FIELD(TLinkage, Segments),
                           PART_FIELD(TLinkage, Placement)});
  ExpectSoundForOddFields(MakePart<TCrank>(0.08f, 0.05f, 0.06f, 0.04f, 0.05f, 0.5f, 16),
                          {PART_FIELD(TCrank, BossRadius1), PART_FIELD(TCrank, BossRadius2),
                           PART_FIELD(TCrank, ArmWidth1), PART_FIELD(TCrank, ArmWidth2), PART_FIELD(TCrank, Thickness),
                           PART_FIELD(TCrank, Length), PART_FIELD(TCrank, Segments)});
  for (Byte style : {Byte(1), Byte(2), Byte(3), Byte(4)})
    ExpectSoundForOddFields(
        [=] {
          auto b = std::make_unique<TOpenBox>(nullptr, 0.6f, 0.3f, 0.4f, 0.02f);
          b->SetStyle(style);
          if (style == 2)
            b->SetCornerRadius(0.05f);
          return std::unique_ptr<TGLBaseSceneObject>(std::move(b));
        },
        {PART_FIELD(TOpenBox, SizeX), PART_FIELD(TOpenBox, SizeY), PART_FIELD(TOpenBox, SizeZ),
         PART_FIELD(TOpenBox, WallThickness)});
  for (double v : {0.0, -1.0, 1e6, 2147483647.0}) {
    TOpenBox b(nullptr, 0.6f, 0.3f, 0.4f, 0.02f);
    b.SetCornerRadius(Single(v));
    b.SetCornerSegments(Integer(v));
    EXPECT_EQ(CheckStream(b).Problem, "") << "rounded corners " << v;
  }
}

TEST(BasicParts, FirstHalfCamsCranksAndPistonsDrawSoundlyWhateverOneFieldHolds)
{
  ExpectSoundForOddFields(MakePart<TWheelBracket>(0.1f, 0.15f, 0.28f, 0.02f),
                          {PART_FIELD(TWheelBracket, SizeX), PART_FIELD(TWheelBracket, SizeY),
                           PART_FIELD(TWheelBracket, SizeZ), PART_FIELD(TWheelBracket, PlateThickness)});
  ExpectSoundForOddFields(MakePart<TCam>(0.3f, 0.14f, 0.25f, 0.2f, 50),
                          {PART_FIELD(TCam, BaseRadius), PART_FIELD(TCam, NoseRadius), PART_FIELD(TCam, NoseDistance),
                           PART_FIELD(TCam, Thickness), PART_FIELD(TCam, Segments)});
  ExpectSoundForOddFields(MakePart<TBigEnd>(0.32f, 0.18f, 0.25f, 0.1f, 20),
                          {PART_FIELD(TBigEnd, BaseRadius), PART_FIELD(TBigEnd, NoseRadius),
                           PART_FIELD(TBigEnd, NoseDistance), PART_FIELD(TBigEnd, Segments)});
  ExpectSoundForOddFields(MakePart<THeartCam>(0.1f, 0.25f, 0.2f, 50),
                          {PART_FIELD(THeartCam, RisePerRadian), PART_FIELD(THeartCam, BaseRadius),
                           PART_FIELD(THeartCam, Thickness), PART_FIELD(THeartCam, Segments)});
  ExpectSoundForOddFields(MakePart<TCrankEx>(), {PART_FIELD(TCrankEx, Length), PART_FIELD(TCrankEx, BigEndRadius),
                                                 PART_FIELD(TCrankEx, SmallEndRadius), PART_FIELD(TCrankEx, BigEndBore),
                                                 PART_FIELD(TCrankEx, SmallEndBore), PART_FIELD(TCrankEx, ShankWidth),
                                                 PART_FIELD(TCrankEx, Thickness), PART_FIELD(TCrankEx, Segments)});
  ExpectSoundForOddFields(MakePart<TPiston>(0.3f, 0.05f, 0.1f, 0.35f, 0.03f, 50),
                          {PART_FIELD(TPiston, A), PART_FIELD(TPiston, B), PART_FIELD(TPiston, C),
                           PART_FIELD(TPiston, D), PART_FIELD(TPiston, E), PART_FIELD(TPiston, Slices)});
}
