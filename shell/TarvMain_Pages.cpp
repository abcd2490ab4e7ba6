// The control pages of the 3D topics, the lever toolbar, and what their controls do: a
// control that changes what a model is built from rebuilds it at phase 0; a marker box
// shows or hides the model's arrows and letters without a rebuild.
#include <cmath>
#include <cstdio>

#include "shell/TarvMain.h"
#include "shell/Glyphs.h"
#include "topics/Hoists.h"
#include "topics/Sliders.h"
#include "topics/TopicTable.h"

namespace {

std::string Fixed2(double v)
{
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

bool In(Integer id, std::initializer_list<Integer> ids)
{
  for (Integer i : ids)
    if (i == id)
      return true;
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Making the pages

void TKVMainFrm::FitPageCheckBoxes()
{
  TBitmap probe(1, 1);
  for (const auto& [box, left] : PageCheckBoxes) {
    TWinControl* page = box->Parent();
    Integer floor = 0;
    for (int i = 0; i < page->ControlCount(); ++i)
      if (TControl* c = page->Controls(i); c != box && c->Left() < left)
        floor = std::max(floor, c->Left() + c->Width() + 8);
    probe.Canvas().Font().Assign(box->Font());
    // The box, the gap before the caption, the caption and its focus frame.
    const Integer need = 17 + probe.Canvas().TextWidth(box->Caption()) + 4;
    box->SetLeft(std::max(floor, std::min(left, ToolPC->ClientWidth() - need)));
  }
}

void TKVMainFrm::CreateControlPages()
{
  auto page = [&](const char* name) {
    TTabSheet* t = Make<TTabSheet>(name, nullptr);
    t->SetPageControl(ToolPC);
    return t;
  };
  auto label = [&](const char* name, TWinControl* parent, const std::string& caption, Integer x, Integer y) {
    TLabel* l = Make<TLabel>(name, parent);
    l->SetCaption(caption);
    l->SetLeft(x);
    l->SetTop(y);
    return l;
  };
  auto check = [&](const char* name, TWinControl* parent, const std::string& caption, Integer x, Integer y) {
    TCheckBox* c = Make<TCheckBox>(name, parent);
    c->SetCaption(caption);
    c->SetBounds(x, y, 110, 17);
    c->OnClick = [this](TObject* s) { MarkerChkClick(s); };
    PageCheckBoxes.emplace_back(c, x);
    return c;
  };
  // A number box, which also takes a typed number, and its up-down arrows.
  auto counter = [&](const char* stName, const char* udName, TWinControl* parent, Integer x, Integer y, Integer min,
                     Integer max, Integer start, TEdit** st) {
    TEdit* box = Make<TEdit>(stName, parent);
    box->SetBounds(x, y, 28, 21);
    TUpDown* ud = Make<TUpDown>(udName, parent);
    ud->SetBounds(x + 28, y, 15, 21);
    ud->SetMin(min);
    ud->SetMax(max);
    ud->SetPosition(start);
    ud->SetAssociate(box);
    if (st)
      *st = box;
    return ud;
  };
  auto hbar = [&](const char* name, TWinControl* parent, Integer x, Integer y, Integer w, Integer min, Integer max,
                  Integer start) {
    TScrollBar* b = Make<TScrollBar>(name, parent);
    b->SetBounds(x, y, w, 17);
    b->SetParams(start, min, max, 0);
    b->SetLargeChange(std::max<Integer>(1, (max - min) / 10));
    return b;
  };
  auto combo = [&](const char* name, TWinControl* parent, std::vector<std::string> items, Integer x, Integer y,
                   Integer w) {
    TComboBox* c = Make<TComboBox>(name, parent);
    c->Items() = std::move(items);
    c->SetBounds(x, y, w, 21);
    c->AdjustHeight();
    return c;
  };

  TwoCogTab = page("TwoCogTab");
  label("", TwoCogTab, "Number of teeth", 8, 8);
  for (int i = 0; i < 4; ++i) {
    static const Integer starts[4] = {20, 20, 10, 10};
    std::string st = "Cog" + IntToStr(i + 1) + "ST", ud = "Cog" + IntToStr(i + 1) + "UpDn";
    CogUpDn[i] = counter(st.c_str(), ud.c_str(), TwoCogTab, 100 + i * 52, 4, 10, 40, starts[i], &CogST[i]);
    CogUpDn[i]->OnClick = [this](TObject*, TUDBtnType) {
      if (In(CurrentTopic, {1, 2, 3, 4, 35, 36, 38}))
        RebuildTopic();
    };
  }
  CogUpDn[0]->SetHint("Set the number of teeth on the left cog");
  TwoCogChk = check("TwoCogChk", TwoCogTab, "Show marker", 320, 6);

  BevelTab = page("BevelTab");
  BevelLabel = label("BevelLabel", BevelTab, "Bevel gears turn the drive through a right angle", 8, 8);
  BevelChk = check("BevelChk", BevelTab, "ShowMarker", 320, 6);

  VPulleyTab = page("VPulleyTab");
  label("", VPulleyTab, "Belt type", 8, 8);
  BeltCB = combo("BeltCB", VPulleyTab, {"Vee belt", "Flat belt", "Cross belt"}, 60, 4, 90);
  BeltCB->OnChange = [this](TObject*) {
    if (In(CurrentTopic, {5, 6}))
      BuildBeltDrive(CurrentTopic);
  };
  VPLabel = label("VPLabel", VPulleyTab, "Radius of wheels", 162, 8);
  VP1UpDn = counter("VP1ST", "VP1UpDn", VPulleyTab, 252, 4, 3, 10, 3, &VP1ST);
  VP2UpDn = counter("VP2ST", "VP2UpDn", VPulleyTab, 300, 4, 3, 10, 6, &VP2ST);
  for (TUpDown* u : {VP1UpDn, VP2UpDn})
    u->OnClick = [this](TObject*, TUDBtnType) {
      if (In(CurrentTopic, {5, 6}))
        BuildBeltDrive(CurrentTopic);
    };
  VPChk = check("VPChk", VPulleyTab, "Show marker", 352, 6);

  BikeTab = page("BikeTab");
  label("", BikeTab, "Number of gear teeth", 8, 8);
  Integer x = 120;
  for (auto [name, caption, slot] : {std::tuple{"DG14Btn", "14", &DG14Btn}, std::tuple{"DG16Btn", "16", &DG16Btn},
                                     std::tuple{"DG18Btn", "18", &DG18Btn}}) {
    TSpeedButton* b = Make<TSpeedButton>(name, BikeTab);
    b->SetCaption(caption);
    b->SetBounds(x, 4, 28, 22);
    b->SetGroupIndex(1);
    b->OnClick = [this](TObject*) {
      if (CurrentTopic == 34)
        RebuildTopic();
    };
    *slot = b;
    x += 30;
  }
  DG16Btn->SetDown(true);
  BikeChk = check("BikeChk", BikeTab, "Show markers", 230, 6);

  ChainTab = page("ChainTab");
  label("", ChainTab, "Number of teeth", 8, 8);
  Chain1UpDn = counter("Chain1ST", "Chain1UpDn", ChainTab, 100, 4, 10, 40, 10, &Chain1ST);
  Chain2UpDn = counter("Chain2ST", "Chain2UpDn", ChainTab, 152, 4, 10, 40, 20, &Chain2ST);
  for (TUpDown* u : {Chain1UpDn, Chain2UpDn})
    u->OnClick = [this](TObject*, TUDBtnType) {
      if (CurrentTopic == 8)
        RebuildTopic();
    };
  ChainChk = check("ChainChk", ChainTab, "Show markers", 220, 6);

  StepConeTab = page("StepConeTab");
  label("", StepConeTab, "Belt position", 8, 8);
  StepConeUpDn = counter("StepConeST", "StepConeUpDn", StepConeTab, 90, 4, 0, 3, 3, nullptr);
  StepConeUpDn->OnClick = [this](TObject*, TUDBtnType) {
    if (CurrentTopic == 7)
      RebuildTopic();
  };
  StepConeChk = check("StepConeChk", StepConeTab, "ShowMarkers", 160, 6);

  CamTab = page("CamTab");
  label("", CamTab, "Follower type", 8, 8);
  CamCB = combo("CamCB", CamTab, {"Roller", "Flat", "Point", "Radius"}, 80, 4, 80);
  CamCB->OnChange = [this](TObject*) {
    if (In(CurrentTopic, {13, 14, 15}))
      RebuildTopic();
  };
  CamLabel = label("CamLabel", CamTab, "Shape of cam", 172, 8);
  CamOffsetHsb = hbar("CamOffsetHsb", CamTab, 246, 6, 110, 0, 25, 10);
  CamOffsetHsb->OnScroll = [this](TObject*, TScrollCode, int32_t& p) {
    if (!In(CurrentTopic, {13, 14}))
      return;
    CamOffsetHsb->SetPosition(p);
    RebuildTopic();
  };
  CamChk = check("CamChk", CamTab, "Show marker", 366, 6);

  LinkTab = page("LinkTab");
  PivotLabel = label("PivotLabel", LinkTab, "Pivot position", 8, 8);
  LinkOffsetHsb = hbar("LinkOffsetHsb", LinkTab, 90, 6, 160, -30, 30, 0);
  LinkOffsetHsb->OnScroll = [this](TObject*, TScrollCode, int32_t& p) {
    if (CurrentTopic != 29)
      return;
    LinkOffsetHsb->SetPosition(p);
    RebuildTopic();
  };

  CrankTab = page("CrankTab");
  label("", CrankTab, "Offset", 8, 8);
  CrankOffsetHsb = hbar("CrankOffsetHsb", CrankTab, 60, 6, 160, 20, 35, 25);
  CrankOffsetHsb->SetShowHint(true);
  // Both crank topics build from the position the bar is moving to.
  CrankOffsetHsb->OnScroll = [this](TObject*, TScrollCode, int32_t& p) {
    if (!In(CurrentTopic, {17, 20}))
      return;
    CrankOffsetHsb->SetPosition(p);
    RebuildTopic();
  };

  HoistTab = page("HoistTab");
  label("", HoistTab, "Number of pulley wheels", 8, 8);
  HoistUpDn = counter("HoistST", "HoistUpDn", HoistTab, 140, 4, 1, 4, 1, &HoistST);
  HoistUpDn->OnClick = [this](TObject* s, TUDBtnType b) { HoistUpDnClick(s, b); };
  HoistLoadLabel = label("HoistLoadLabel", HoistTab, "Effort = 100N     Load = 100N", 200, 8);

  ScrewTab = page("ScrewTab");
  ScrewCB = combo("ScrewCB", ScrewTab, {"V thread", "Square thread", "Butress thread", "Acme thread"}, 8, 4, 110);
  ScrewLabel = label("ScrewLabel", ScrewTab, "Pitch", 130, 8);
  ScrewPitchHsb = hbar("ScrewPitchHsb", ScrewTab, 164, 6, 160, 10, 40, 10);
  auto screwChanged = [this](TObject*) {
    if (CurrentTopic == 18)
      RebuildTopic();
  };
  ScrewCB->OnChange = screwChanged;
  ScrewPitchHsb->OnChange = screwChanged;

  BlankTab = page("BlankTab");

  WindlassTab = page("WindlassTab");
  HandRadHsb = hbar("HandRadHsb", WindlassTab, 8, 6, 140, 18, 96, 60);
  HandRadHsb->OnChange = [this](TObject* s) { HandRadHsbChange(s); };
  HandRadLabel = label("HandRadLabel", WindlassTab, "Handle radius = 10.00", 160, 1);
  AxleLabel = label("AxleLabel", WindlassTab, "Axle radius     = 1.00", 160, 15);
  label("", WindlassTab, "Effort = 1.00", 300, 1);
  LoadLabel = label("LoadLabel", WindlassTab, "Load = 10.00", 300, 15);

  WestonTab = page("WestonTab");
  WPRadiusHsb = hbar("WPRadiusHsb", WestonTab, 8, 6, 120, 12, 20, 15);
  WPRadiusHsb->OnChange = [this](TObject* s) { WPRadiusHsbChange(s); };
  WPradLabel = label("WPradLabel", WestonTab, "Small radius = 15      Load = 8.00 N", 140, 1);
  label("", WestonTab, "Large radius = 20     Effort = 1 N", 140, 15);
  WPMarkerChk = check("WPMarkerChk", WestonTab, "Show markers", 340, 6);

  BoxCamTab = page("BoxCamTab");
  label("", BoxCamTab, "Angle", 8, 8);
  CamSlotHsb = hbar("CamSlotHsb", BoxCamTab, 44, 6, 100, 0, 45, 20);
  label("", BoxCamTab, "Radius", 154, 8);
  SCamRadHsb = hbar("SCamRadHsb", BoxCamTab, 194, 6, 100, 12, 30, 20);
  for (TScrollBar* b : {CamSlotHsb, SCamRadHsb})
    b->OnChange = [this](TObject*) {
      if (CurrentTopic == 16)
        RebuildTopic();
    };
  BoxCamChk = check("BoxCamChk", BoxCamTab, "ShowMarker", 306, 6);

  TreadleTab = page("TreadleTab");
  label("", TreadleTab, "Length of top link", 8, 8);
  TreadleHsb = hbar("TreadleHsb", TreadleTab, 110, 6, 140, 10, 30, 15);
  TreadleHsb->OnChange = [this](TObject*) {
    if (CurrentTopic == 32)
      RebuildTopic();
  };
  TreadleChk = check("TreadleChk", TreadleTab, "Show linkage only", 262, 6);
  TreadleChk->SetChecked(true);

  IncPlaneTab = page("IncPlaneTab");
  PAngleLabel = label("PAngleLabel", IncPlaneTab, "Angle = 10 \xBA", 8, 8);
  PlaneAngleHsb = hbar("PlaneAngleHsb", IncPlaneTab, 80, 6, 140, 0, 45, 10);
  PlaneAngleHsb->OnScroll = [this](TObject* s, TScrollCode c, int32_t& p) { PlaneAngleHsbScroll(s, c, p); };
  label("", IncPlaneTab, "Load = 10000 N", 232, 1);
  PEffortLabel = label("PEffortLabel", IncPlaneTab, "Effort = 1736 N", 232, 15);

  ToolPC->SetActivePage(BlankTab);
}

// ---------------------------------------------------------------------------------------
// Reading the controls

namespace {

TCheckBox* MarkerBoxOf(const TKVMainFrm& f, Integer id)
{
  switch (id) {
  case 1: case 2: case 3: case 35: case 36: case 38: return f.TwoCogChk;
  case 4: case 10: return f.BevelChk;
  case 5: case 6: return f.VPChk;
  case 7: return f.StepConeChk;
  case 8: return f.ChainChk;
  case 12: return f.WPMarkerChk;
  case 13: case 14: case 15: return f.CamChk;
  case 16: return f.BoxCamChk;
  case 26: case 27: case 28: return f.LeverChk;
  case 32: return f.TreadleChk;
  case 34: return f.BikeChk;
  default: return nullptr;
  }
}

}  // namespace

TTopicControls TKVMainFrm::CurrentControls() const
{
  TTopicControls c;
  for (int i = 0; i < 4; ++i)
    c.Cog[i] = CogUpDn[i]->Position();
  TCheckBox* marker = MarkerBoxOf(*this, CurrentTopic);
  c.Markers = marker && marker->Checked();
  c.BeltItem = std::max<Integer>(0, BeltCB->ItemIndex());
  c.PulleySize[0] = VP1UpDn->Position();
  c.PulleySize[1] = VP2UpDn->Position();
  c.BeltStep = StepConeUpDn->Position();
  c.HoistWheels = HoistUpDn->Position();
  c.WestonRadius = WPRadiusHsb->Position();
  c.PlaneAngle = PlaneAngleHsb->Position();
  c.PivotOffset = LinkOffsetHsb->Position();
  c.TreadleLength = Single(TreadleHsb->Position()) * 0.01f;
  c.Chain[0] = Chain1UpDn->Position();
  c.Chain[1] = Chain2UpDn->Position();
  c.BikeGear = DG14Btn->Down() ? 0 : (DG16Btn->Down() ? 1 : 2);
  c.CamFollower = std::max<Integer>(0, CamCB->ItemIndex());
  c.CamOffset = CamOffsetHsb->Position();
  c.CamSlot = CamSlotHsb->Position();
  c.BoxCamRadius = SCamRadHsb->Position();
  c.CrankOffset = CrankOffsetHsb->Position();
  c.ThreadProfile = std::max<Integer>(0, ScrewCB->ItemIndex());
  c.ScrewPitch = ScrewPitchHsb->Position();
  c.HandleRadius = HandRadHsb->Position();
  return c;
}

const TTopicEntry* TKVMainFrm::CurrentEntry() const
{
  if (CurrentTopic < 1 || CurrentTopic > 39)
    return nullptr;
  return FindTopic(CurrentTopic, In(CurrentTopic, {26, 27, 28}) ? LeverExample : 0);
}

// ---------------------------------------------------------------------------------------
// Rebuilding

void TKVMainFrm::BuildCurrent(const TTopicControls& Controls)
{
  const TTopicEntry* entry = CurrentEntry();
  if (!entry || !entry->Build)
    return;
  try {
    entry->Build(SceneBase, &MatLib, Controls);
  } catch (...) {
    // Never leave half a model for the animate procedure to find.
    SceneBase->DeleteChildren();
    throw;
  }
}

void TKVMainFrm::SetStepRange(const TTopicControls& Controls)
{
  const TTopicEntry* entry = CurrentEntry();
  if (!entry)
    return;
  Integer max = entry->RepeatAngle ? entry->RepeatAngle(Controls) : 360;
  RTChsb->SetParams(0, entry->NegativeRange ? -max : 0, max, 0);
}

void TKVMainFrm::RebuildTopic()
{
  ClearScene(CurrentTopic);
  TTopicControls c = CurrentControls();
  SetStepRange(c);
  BuildCurrent(c);
}

void TKVMainFrm::FillBeltCombo(Integer Id)
{
  BeltCB->Items() = {"Vee belt", "Flat belt"};
  if (Id == 5)
    BeltCB->Items().push_back("Cross belt");
  BeltCB->SetItemIndex(0);
}

void TKVMainFrm::BuildBeltDrive(Integer Id)
{
  bool radii = Id != 5 || BeltCB->ItemIndex() != 2;
  for (TControl* c : std::initializer_list<TControl*>{VP1UpDn, VP2UpDn, VPLabel, VP1ST, VP2ST})
    c->SetVisible(radii);
  RebuildTopic();
}

// ---------------------------------------------------------------------------------------
// Handlers

void TKVMainFrm::MarkerChkClick(TObject* Sender)
{
  TCheckBox* box = MarkerBoxOf(*this, CurrentTopic);
  const TTopicEntry* entry = CurrentEntry();
  if (!box || box != Sender || !entry || !entry->ShowMarkers)
    return;
  entry->ShowMarkers(SceneBase, box->Checked());
}

void TKVMainFrm::HoistUpDnClick(TObject*, TUDBtnType)
{
  if (CurrentTopic != 9)
    return;
  RebuildTopic();
  HoistLoadLabel->SetCaption("Effort = 100N     Load = " + IntToStr(HoistUpDn->Position() * 100) + "N");
}

void TKVMainFrm::HandRadHsbChange(TObject*)
{
  if (CurrentTopic != 21)
    return;
  double r = HandRadHsb->Position() * 0.01;
  double ratio = r / WindlassAxleRadius();
  RebuildTopic();
  HandRadLabel->SetCaption("Handle radius = " + Fixed2(ratio));
  LoadLabel->SetCaption("Load = " + Fixed2(ratio));
}

void TKVMainFrm::WPRadiusHsbChange(TObject*)
{
  if (CurrentTopic != 12)
    return;
  RebuildTopic();
  Integer p = WPRadiusHsb->Position();
  std::string text = "Small Radius = " + IntToStr(p) + "      Load = ";
  if (p < 20)
    text += Fixed2(40.0 / (20 - p));
  WPradLabel->SetCaption(text);
}

void TKVMainFrm::PlaneAngleHsbScroll(TObject*, TScrollCode, int32_t& ScrollPos)
{
  if (CurrentTopic != 39)
    return;
  SetInclinedPlaneAngle(SceneBase, Single(ScrollPos));
  PAngleLabel->SetCaption("Angle = " + IntToStr(ScrollPos) + " \xBA");
  double effort = std::sin(ScrollPos * M_PI / 180.0) * 10000.0;
  PEffortLabel->SetCaption("Effort = " + IntToStr(std::lround(effort)) + " N");
}

void TKVMainFrm::ShowLeverToolbar(Integer LeverClass)
{
  struct TRow {
    const char* Label;
    const char* First;
    const char* Second;
  };
  static const TRow rows[3] = {{"Class 1 levers", "Claw hammer", "Scissors"},
                               {"Class 2 levers", "Nut crackers", "Wheelbarrow"},
                               {"Class 3 levers", "Arm", "Tweezers"}};
  LeverClass = std::clamp<Integer>(LeverClass, 1, 3);
  const TRow& r = rows[LeverClass - 1];
  LeverToolbar->BeginUpdate();
  LeverLabel->SetCaption(r.Label);
  LeverBtn1->SetCaption(r.First);
  LeverBtn2->SetCaption(r.Second);
  LeverBtn1->SetImageIndex((LeverClass - 1) * 2);
  LeverBtn2->SetImageIndex((LeverClass - 1) * 2 + 1);
  LeverBtn1->SetChecked(true);
  LeverBtn2->SetChecked(false);
  LeverToolbar->EndUpdate();
  LeverExample = 0;
}

void TKVMainFrm::LeverBtn1Click(TObject* Sender)
{
  auto* button = dynamic_cast<TTBXItem*>(Sender);
  if (!button)
    return;
  button->SetChecked(true);
  Integer example = Integer(button->Tag());
  if (example == LeverExample || !In(CurrentTopic, {26, 27, 28}))
    return;
  LeverExample = example;
  ClearScene(CurrentTopic);
  SetViewPoint(CurrentTopic, LeverExample);
  TTopicControls c = CurrentControls();
  SetStepRange(c);
  BuildCurrent(c);
}

void TKVMainFrm::LeverChkClick(TObject*)
{
  const TTopicEntry* entry = CurrentEntry();
  if (!entry || !entry->ShowMarkers || !In(CurrentTopic, {26, 27, 28}))
    return;
  const Integer p = RTChsb->Position();
  const bool c = LeverChk->Checked();
  switch (CurrentTopic) {
  case 26:
    // The letters show only while the hammer's claw or the scissors' blades are at work.
    entry->ShowMarkers(SceneBase, LeverExample == 0 ? (p > 100 && c) : (p > 250 && p < 394 && c));
    break;
  case 27:
    // The nut crackers' labels follow the animation while it runs.
    if (LeverExample == 1 || Stopped)
      entry->ShowMarkers(SceneBase, c);
    break;
  default: entry->ShowMarkers(SceneBase, c); break;
  }
}

void TKVMainFrm::CamGraphCBClick(TObject*)
{
  if (!CamDiagram)
    return;
  Integer shape = CamGraphCB->ItemIndex();
  CamDiagram->SetShape(Byte(shape < 0 ? 0 : shape));
  // The shape bar keeps its place: the cam picked takes its shape from it, so the bar and
  // the drawing agree.
  CamDiagram->SetShapeParam(Single(CamShapeHsb->Position()));
  if (Stopped)
    DrawCamGraph();
}

// The picture is drawn off screen at once and copied when the paint box paints.
void TKVMainFrm::DrawCamGraph()
{
  if (!CamDiagram)
    return;
  CamDiagram->Draw();
  pic->Invalidate();
}

void TKVMainFrm::picPaint(TObject*)
{
  if (!CamDiagram)
    return;
  if (!CamDiagram->Picture())
    CamDiagram->Draw();
  if (const TBitmap* picture = CamDiagram->Picture())
    pic->Canvas().Draw(0, 0, *picture);
}
