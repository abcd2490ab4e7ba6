#include "parts/MachineParts.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "PartTestSupport.h"

namespace {

struct TBox {
  TAffineVector Min{1e9f, 1e9f, 1e9f}, Max{-1e9f, -1e9f, -1e9f};
};

TBox Bounds(const TBuiltPart& b)
{
  TBox box;
  for (const auto& p : b.Prims)
    for (const auto& v : p.Vertices)
      for (int i = 0; i < 3; ++i) {
        box.Min[size_t(i)] = std::min(box.Min[size_t(i)], v[size_t(i)]);
        box.Max[size_t(i)] = std::max(box.Max[size_t(i)], v[size_t(i)]);
      }
  return box;
}

}   // namespace

TEST(Wheel, DefaultSizesAndClosedRings)
{
  TWheel wheel;
  TBuiltPart b = BuildPart(wheel);
  EXPECT_SOUND(b);
  const TBox box = Bounds(b);
  EXPECT_NEAR(box.Max[2] - box.Min[2], 0.025f, 1e-6f);
  EXPECT_NEAR(box.Max[0] - box.Min[0], 0.14f, 1e-6f);
  ASSERT_EQ(b.Prims.size(), 5u);
  EXPECT_EQ(b.Prims[0].Vertices.size(), 22u);   // centre and 21 points
  ExpectNear3(b.Prims[0].Vertices[1], b.Prims[0].Vertices[21]);
  EXPECT_NEAR(Dist(b.Prims[0].Vertices[1], {0, 0, 0.025f}), 0.06f, 1e-6f);
  wheel.WheelSegments = 0;
  ExpectBounded(wheel);
}

TEST(CutBit, PointAndUnderside)
{
  TCutBit bit;
  TBuiltPart b = BuildPart(bit);
  EXPECT_SOUND(b);
  const auto& front = b.Prims[0].Vertices;
  ExpectNear3(front[4], {-0.1f, -0.25f, 0.05f});
  ExpectNear3(front[0], {0.05f, -0.22f, 0.05f});
  EXPECT_EQ(b.OfMode(GL_QUADS)[0].Vertices.size(), 20u);
  // The slanted faces look down and out of the bit.
  const auto q = b.OfMode(GL_QUADS)[0];
  EXPECT_LT(q.Normals[12][1], 0);
  EXPECT_LT(q.Normals[16][0], 0);
}

TEST(LinearCam, ProfileRisesAlongHalfCosine)
{
  TLinearCam cam;
  TBuiltPart b = BuildPart(cam);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Pushes, 1);   // the top always in the second colour
  const auto& front = b.Prims[0].Vertices;
  ASSERT_EQ(front.size(), 23u);
  EXPECT_NEAR(front[2][1], 0, 1e-6f);
  EXPECT_NEAR(front[12][1], 0.2f, 1e-6f);
  EXPECT_NEAR(front[22][1], 0.4f, 1e-6f);
  cam.Segments = 1;
  b = BuildPart(cam);
  EXPECT_SOUND(b);
  ExpectNear3(b.Prims[0].Vertices[3], {-2, 0.4f, 0.1f});
  cam.Segments = 0;
  ExpectBounded(cam);
}

TEST(LinearPlate, FacesAndSlot)
{
  TLinearPlate plate;
  TBuiltPart b = BuildPart(plate);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 2u);
  EXPECT_EQ(b.Prims[0].Vertices.size(), 44u);
  EXPECT_EQ(b.Prims[1].Vertices.size(), 12u);
  EXPECT_EQ(b.Pushes, 1);
  for (const auto& v : b.Prims[1].Vertices)
    EXPECT_LE(std::fabs(v[2]), 0.1f + 1e-6f);   // the slot is the cam's width
}

TEST(GTEnd, RoundedTopEndsAt135Degrees)
{
  TGTEnd end;
  TBuiltPart b = BuildPart(end);
  EXPECT_SOUND(b);
  const TGLVertexArray p = end.Profile();
  ASSERT_EQ(p.size(), 26u);
  ExpectNear3(p[20], {0.1f * std::cos(3 * cPI / 4), 0.1f * std::sin(3 * cPI / 4) + 0.2f, 0}, 1e-5f);
  // Sides of the foot: the strip holds the profile pairs plus the repeated corners.
  EXPECT_EQ(b.Prims[2].Vertices.size(), size_t(2 * (21 + 2 + 8)));
  end.Segments = 0;
  end.SlopeRun = 0;
  ExpectBounded(end);
}

TEST(GTSlider, DefaultSizesAndOutwardRoundedEnds)
{
  TGTSlider slider;
  TBuiltPart b = BuildPart(slider);
  EXPECT_SOUND(b);
  const TBox box = Bounds(b);
  EXPECT_NEAR(box.Max[1] - box.Min[1], 0.28f, 1e-6f);
  EXPECT_NEAR(box.Max[1], 0.09f, 1e-6f);
  EXPECT_NEAR(box.Max[0] - box.Min[0], 0.18f, 1e-6f);
  EXPECT_NEAR(box.Max[2] - box.Min[2], 0.24f, 1e-6f);
  // The rounded edges of both ends face away from the body along Z.
  for (size_t p = 1; p <= 10; ++p) {
    const float sign = p <= 5 ? 1.0f : -1.0f;
    for (const auto& n : b.Prims[p].Normals)
      EXPECT_GE(sign * n[2], -1e-6f) << "ring strip " << p;
  }
  slider.Segments = -4;
  ExpectBounded(slider);
}

TEST(GTBlade, CuttingEdgeAndOutwardFaces)
{
  TGTBlade blade;
  TBuiltPart b = BuildPart(blade);
  EXPECT_SOUND(b);
  const auto& back = b.Prims[0].Vertices;
  ExpectNear3(back[2], {-0.05f, -0.01f, 0});
  ExpectNear3(back[1], {0.05f, -0.05f, 0});
  ExpectNormalsOutward(b, {0, -0.01f, 0.003f});
}

TEST(EscWheel, TipsRimAndProfilePeriod)
{
  TEscWheel wheel;
  TBuiltPart b = BuildPart(wheel);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 4u);
  const auto& front = b.Prims[0].Vertices;
  EXPECT_EQ(front.size(), 2u * 161);
  EXPECT_NEAR(std::hypot(front[1][0], front[1][1]), 0.3483f, 1e-4f);
  EXPECT_NEAR(std::hypot(front[0][0], front[0][1]), 0.1983f, 1e-4f);
  // The next tip is 8 points and 18 degrees on.
  EXPECT_NEAR(std::atan2(front[17][1], front[17][0]) * 180 / M_PI, 18, 1e-3);
  wheel.Teeth = 0;
  ExpectBounded(wheel);
}

TEST(Pallet, ArmAngleAndClosedBow)
{
  TPallet pallet;
  TBuiltPart b = BuildPart(pallet);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 10u);
  // Left arm: P8 = W (-cos aE, sin aE), with aE = 25.659 degrees.
  const auto& leftFront = b.Prims[0].Vertices;   // P10, P9, ..., P0
  const float aE = std::atan2(leftFront[2][1], -leftFront[2][0]) * 180 / M_PI;
  EXPECT_NEAR(aE, 25.659f, 1e-3f);
  const auto& bowFront = b.Prims[6].Vertices;
  EXPECT_EQ(bowFront.size(), 42u);
  EXPECT_NEAR(Dist(bowFront[1], {0, -0.81f, bowFront[1][2]}), 0.4493f, 1e-4f);
  EXPECT_EQ(b.Prims[8].Vertices.size(), 42u);
  EXPECT_EQ(b.Prims[9].Vertices.size(), 42u);
  pallet.Radius = 0;
  ExpectBounded(pallet);
}

TEST(SMRing, ShankJoinAndSecondColour)
{
  TSMRing ring;
  TBuiltPart b = BuildPart(ring);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Pushes, 1);
  EXPECT_NEAR(b.Prims[1].Vertices[2][0], -0.0439f, 1e-4f);
  ring.OuterRadius = 0;
  ring.Segments = 0;
  ExpectBounded(ring);
}

TEST(Needle, EyeAndPoint)
{
  TNeedle needle;
  EXPECT_FLOAT_EQ(needle.BladeThickness, 0.005f);
  TBuiltPart b = BuildPart(needle);
  EXPECT_SOUND(b);
  const auto& wall = b.Prims[0].Vertices;
  float lo = 1, hi = -1;
  for (const auto& v : wall) {
    lo = std::min(lo, v[1]);
    hi = std::max(hi, v[1]);
  }
  EXPECT_NEAR(lo, -0.275f, 1e-6f);
  EXPECT_NEAR(hi, -0.215f, 1e-6f);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_FAN).size(), 8u);
  needle.Segments = 7;   // odd: each half circle splits at 3
  EXPECT_SOUND(BuildPart(needle));
  needle.Segments = 0;
  ExpectBounded(needle);
}

TEST(Roundabout, HexagonSidesFaceOut)
{
  TRoundabout platform;
  TBuiltPart b = BuildPart(platform);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims[0].Vertices.size(), 24u);
  // A flat side lies 0.8833 from the centre.
  const auto& v = b.Prims[0].Vertices;
  const TAffineVector mid = VectorLerp(v[0], v[2], 0.5f);
  EXPECT_NEAR(std::hypot(mid[0], mid[1]), 0.8833f, 1e-4f);
  ExpectNormalsOutward(b, {0, 0, 0});
}

TEST(SlattedPlane, SlatsFillTheWidth)
{
  TSlattedPlane panel;
  TBuiltPart b = BuildPart(panel);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 1u);
  EXPECT_EQ(b.Prims[0].Vertices.size(), size_t(4 * (6 + 4 * 10)));
  const auto& v = b.Prims[0].Vertices;
  EXPECT_NEAR(v[24][0], -0.5f, 1e-6f);
  EXPECT_NEAR(v[26][0] - v[24][0], 1.0f / 19, 1e-6f);
  panel.Slats = 1;
  b = BuildPart(panel);
  EXPECT_NEAR(b.Prims[0].Vertices[26][0] - b.Prims[0].Vertices[24][0], 1.0f, 1e-6f);
  panel.Slats = 0;
  ExpectBounded(panel);
}

TEST(FlatMachineParts, WallsFaceOut)
{
  TGTEnd end;
  ExpectWallFacesOut(BuildPart(end).Prims[2], end.Profile());
  TEscWheel wheel;
  TBuiltPart b = BuildPart(wheel);
  std::vector<TAffineVector> tips;
  for (size_t i = 1; i < b.Prims[0].Vertices.size(); i += 2)
    tips.push_back(b.Prims[0].Vertices[i]);
  ExpectWallFacesOut(b.Prims[2], tips);
  TPallet pallet;
  b = BuildPart(pallet);
  for (size_t piece : {0u, 3u}) {
    // The front fan runs P10, P9, ..., P0.
    std::vector<TAffineVector> outline(b.Prims[piece].Vertices.rbegin(), b.Prims[piece].Vertices.rend());
    ExpectWallFacesOut(b.Prims[piece + 2], outline);
  }
}

TEST(FlatMachineParts, DrawSoundlyWhateverOneFieldHolds)
{
  // Pulleys that overlap or touch, a jockey inside a pulley, zero and negative sizes, counts
  // of 0, 1 and beyond the integer range: no NaN may reach a vertex or a normal, and no
  // count may run away.
  using TMake = std::function<std::unique_ptr<TGLBaseSceneObject>()>;
  auto make = [](auto f) { return TMake([f] { return std::unique_ptr<TGLBaseSceneObject>(f()); }); };
  const std::vector<TFieldWrite> belt = {PART_FIELD(TBelt, TopWidth), PART_FIELD(TBelt, BottomWidth),
                                         PART_FIELD(TBelt, Depth),    PART_FIELD(TBelt, Radius1),
                                         PART_FIELD(TBelt, Radius2),  PART_FIELD(TBelt, CentreDistance),
                                         PART_FIELD(TBelt, Angle),    PART_FIELD(TBelt, Segments),
                                         PART_FIELD(TBelt, Travel),   PART_FIELD(TBelt, BandSegments)};
  ExpectSoundForOddFields(make([] { return std::make_unique<TBelt>(nullptr); }), belt);
  ExpectSoundForOddFields(make([] { return std::make_unique<TXBelt>(nullptr); }), belt);
  std::vector<TFieldWrite> jockey = belt;
  jockey.push_back(PART_FIELD(TJockeyBelt, JockeyRadius));
  jockey.push_back(PART_FIELD(TJockeyBelt, JockeyX));
  jockey.push_back(PART_FIELD(TJockeyBelt, JockeyY));
  ExpectSoundForOddFields(make([] {
                            auto b = std::make_unique<TJockeyBelt>(nullptr);
                            b->Radius2 = 0.3f;
                            b->CentreDistance = 1.6f;
                            b->JockeyRadius = 0.15f;
                            return b;
                          }),
                          jockey);
  ExpectSoundForOddFields(make([] { return std::make_unique<TWheel>(nullptr); }),
                          {PART_FIELD(TWheel, TreadRadius), PART_FIELD(TWheel, FlangeRadius),
                           PART_FIELD(TWheel, FlangeThickness), PART_FIELD(TWheel, TreadWidth),
                           PART_FIELD(TWheel, WheelSegments)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TCutBit>(nullptr); }),
                          {PART_FIELD(TCutBit, BitLength), PART_FIELD(TCutBit, BitWidth),
                           PART_FIELD(TCutBit, BitThickness), PART_FIELD(TCutBit, TipReach),
                           PART_FIELD(TCutBit, TipHeight)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TLinearCam>(nullptr); }),
                          {PART_FIELD(TLinearCam, Length), PART_FIELD(TLinearCam, Rise), PART_FIELD(TLinearCam, Width),
                           PART_FIELD(TLinearCam, Segments)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TLinearPlate>(nullptr); }),
                          {PART_FIELD(TLinearPlate, Length), PART_FIELD(TLinearPlate, Width),
                           PART_FIELD(TLinearPlate, Thickness), PART_FIELD(TLinearPlate, SlotWidth)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TGTEnd>(nullptr); }),
                          {PART_FIELD(TGTEnd, SlopeRun), PART_FIELD(TGTEnd, Height), PART_FIELD(TGTEnd, Thickness),
                           PART_FIELD(TGTEnd, Segments), PART_FIELD(TGTEnd, Radius), PART_FIELD(TGTEnd, FootDepth)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TGTSlider>(nullptr); }),
                          {PART_FIELD(TGTSlider, Width), PART_FIELD(TGTSlider, Height), PART_FIELD(TGTSlider, Length),
                           PART_FIELD(TGTSlider, Segments), PART_FIELD(TGTSlider, FilletRadius)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TGTBlade>(nullptr); }),
                          {PART_FIELD(TGTBlade, Width), PART_FIELD(TGTBlade, Depth), PART_FIELD(TGTBlade, Thickness)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TEscWheel>(nullptr); }),
                          {PART_FIELD(TEscWheel, Thickness), PART_FIELD(TEscWheel, Pitch),
                           PART_FIELD(TEscWheel, ToothDepth), PART_FIELD(TEscWheel, Teeth)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TPallet>(nullptr); }),
                          {PART_FIELD(TPallet, Thickness), PART_FIELD(TPallet, ArmWidth), PART_FIELD(TPallet, AngleDeg),
                           PART_FIELD(TPallet, Radius), PART_FIELD(TPallet, PadArc), PART_FIELD(TPallet, PadDepth)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TSMRing>(nullptr); }),
                          {PART_FIELD(TSMRing, Thickness), PART_FIELD(TSMRing, ShankLength),
                           PART_FIELD(TSMRing, ShankWidth), PART_FIELD(TSMRing, EyeRadius),
                           PART_FIELD(TSMRing, OuterRadius), PART_FIELD(TSMRing, Segments)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TNeedle>(nullptr); }),
                          {PART_FIELD(TNeedle, BladeThickness), PART_FIELD(TNeedle, Length),
                           PART_FIELD(TNeedle, Diameter), PART_FIELD(TNeedle, EyeLength),
                           PART_FIELD(TNeedle, Segments)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TRoundabout>(nullptr); }),
                          {PART_FIELD(TRoundabout, Radius), PART_FIELD(TRoundabout, Thickness)});
  ExpectSoundForOddFields(make([] { return std::make_unique<TSlattedPlane>(nullptr); }),
                          {PART_FIELD(TSlattedPlane, Width), PART_FIELD(TSlattedPlane, Height),
                           PART_FIELD(TSlattedPlane, Thickness), PART_FIELD(TSlattedPlane, Slats)});
}

TEST(FlatMachineParts, SecondColoursAndWhatTheyCover)
{
  // The linear cam's profiled top in bronze, the plate's slot in grey, the thread eye's
  // edges and shank sides in grey, each through colour tracking.
  TLinearCam cam;
  TSideBand band = SideBand(cam);
  ASSERT_EQ(band.Colours.size(), 1u);
  ExpectNear3(band.Colours[0], {0.65f, 0.49f, 0.24f});
  EXPECT_EQ(band.ColourTracking, 1);
  EXPECT_EQ(band.Vertices.size(), 2u * 21);
  for (const auto& v : band.Vertices)
    EXPECT_GE(v[1], -1e-6f) << "only the top, never the bottom at y -0.2";
  TLinearPlate plate;
  band = SideBand(plate);
  ASSERT_EQ(band.Colours.size(), 1u);
  ExpectNear3(band.Colours[0], {0.6f, 0.6f, 0.6f});
  EXPECT_EQ(band.Vertices.size(), 12u);
  for (const auto& v : band.Vertices) {
    EXPECT_LE(std::fabs(v[2]), plate.SlotWidth / 2 + 1e-6f);
    EXPECT_GE(v[1], -1e-6f);
  }
  TSMRing ring;
  band = SideBand(ring);
  ASSERT_EQ(band.Colours.size(), 1u);
  ExpectNear3(band.Colours[0], {0.6f, 0.6f, 0.6f});
  // Both edges round the ring and the two shank sides.
  EXPECT_EQ(band.Vertices.size(), size_t(2 * 2 * 21 + 8));
  // The belt's moving band in its blue, over BandSegments steps of the path.
  TBelt belt;
  band = SideBand(belt);
  ASSERT_EQ(band.Colours.size(), 1u);
  ExpectNear3(band.Colours[0], {0.502f, 0.525f, 0.882f});
  EXPECT_EQ(band.ColourTracking, 1);
  EXPECT_EQ(band.Vertices.size(), size_t(4 * 2 * (belt.BandSegments + 1)));
}
