// The control pages of the 3D topics, the lever toolbar, and what their controls do: a
// control that changes what a model is built from rebuilds it at phase 0; a marker box
// shows or hides the model's arrows and letters without a rebuild.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <tuple>

#include "shell/MainWindow.h"
#include "engine/GLVectorFileObjects.h"
#include "platform/Dialogs.h"
#include "shell/Glyphs.h"
#include "topics/Hoists.h"
#include "topics/Sliders.h"
#include "topics/TopicRegistry.h"

namespace {

std::string Fixed2(double v)
{
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

}   // namespace

// ---------------------------------------------------------------------------------------
// Making the pages

void TKVMainFrm::FitPageCheckBoxes()
{
  // The second row stands one row's height below the first; the boxes are put 6 pixels down.
  constexpr Integer firstTop = 6;
  const Integer rowStep = PageRowHeight - 6;
  TBitmap probe(1, 1);
  bool twoRows = false;
  for (const auto& [box, left] : PageCheckBoxes) {
    TWinControl* page = box->Parent();
    Integer floor = 0;
    for (int i = 0; i < page->ControlCount(); ++i)
      // Only what the page's topic shows: a topic with two cogs leaves the other two counters
      // hidden.
      if (TControl* c = page->Controls(i); c != box && c->Visible() && c->Left() < left)
        floor = std::max(floor, c->Left() + c->Width() + 8);
    probe.Canvas().Font().Assign(box->Font());
    // The box, the gap before the caption, the caption and its focus frame.
    const Integer need = 17 + probe.Canvas().TextWidth(box->Caption()) + 4;
    const Integer fitted = std::min(left, ToolPC->ClientWidth() - need);
    if (fitted >= floor) {
      box->SetBounds(fitted, firstTop, box->Width(), box->Height());
      continue;
    }
    box->SetBounds(8, firstTop + rowStep, box->Width(), box->Height());
    twoRows = twoRows || page == ToolPC->ActivePage();
  }
  const Integer height = twoRows ? PageRowHeight + rowStep : PageRowHeight;
  if (ToolPC->Height() != height)
    ToolPC->SetHeight(height);
}

namespace {

// Every control of the pages is made here, named, in the window's font, on its page.
class TPageMaker {
public:
  explicit TPageMaker(TKVMainFrm& f) : F(f) {}

  template <class T>
  T* Make(const char* name, TWinControl* parent)
  {
    return F.Make<T>(name, parent);
  }
  TTabSheet* Page(const char* name, TControlPage kind)
  {
    TTabSheet* t = Make<TTabSheet>(name, nullptr);
    t->SetPageControl(F.ToolPC);
    F.ControlPages[size_t(kind)] = t;
    return t;
  }
  TLabel* Label(const char* name, TWinControl* parent, const std::string& caption, Integer x, Integer y)
  {
    TLabel* l = Make<TLabel>(name, parent);
    l->SetCaption(caption);
    l->SetLeft(x);
    l->SetTop(y);
    return l;
  }
  // The page's marker box.
  TCheckBox* Check(const char* name, TControlPage kind, const std::string& caption, Integer x, Integer y)
  {
    TCheckBox* c = Make<TCheckBox>(name, F.ControlPages[size_t(kind)]);
    c->SetCaption(caption);
    c->SetBounds(x, y, 110, 17);
    c->OnClick = [f = &F](TObject* s) { f->MarkerChkClick(s); };
    F.PageCheckBoxes.emplace_back(c, x);
    F.PageMarkerBoxes[size_t(kind)] = c;
    return c;
  }
  // A number box, which also takes a typed number, and its up-down arrows.
  TUpDown* Counter(const char* stName, const char* udName, TWinControl* parent, Integer x, Integer y, Integer min,
                   Integer max, Integer start, TEdit** st)
  {
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
  }
  TScrollBar* Bar(const char* name, TWinControl* parent, Integer x, Integer y, Integer w, Integer min, Integer max,
                  Integer start)
  {
    TScrollBar* b = Make<TScrollBar>(name, parent);
    b->SetBounds(x, y, w, 17);
    b->SetParams(start, min, max, 0);
    b->SetLargeChange(std::max<Integer>(1, (max - min) / 10));
    return b;
  }
  TComboBox* Combo(const char* name, TWinControl* parent, std::vector<std::string> items, Integer x, Integer y,
                   Integer w)
  {
    TComboBox* c = Make<TComboBox>(name, parent);
    c->Items() = std::move(items);
    c->SetBounds(x, y, w, 21);
    c->AdjustHeight();
    return c;
  }

private:
  TKVMainFrm& F;
};

// A control of a page rebuilds the model when the current topic shows that page.
void RebuildOn(TKVMainFrm* f, TControlPage page)
{
  if (f->ShowsPage(page))
    f->RebuildTopic();
}

void MakeCogPage(TKVMainFrm* f, TPageMaker& m)
{
  f->TwoCogTab = m.Page("TwoCogTab", TControlPage::Cogs);
  m.Label("", f->TwoCogTab, "Number of teeth", 8, 8);
  for (int i = 0; i < 4; ++i) {
    static const Integer starts[4] = {20, 20, 10, 10};
    std::string st = "Cog" + IntToStr(i + 1) + "ST", ud = "Cog" + IntToStr(i + 1) + "UpDn";
    f->CogUpDn[i] = m.Counter(st.c_str(), ud.c_str(), f->TwoCogTab, 100 + i * 52, 4, 10, 40, starts[i], &f->CogST[i]);
    f->CogUpDn[i]->OnClick = [f](TObject*, TUDBtnType) { RebuildOn(f, TControlPage::Cogs); };
    // Four boxes under one label: each says which cog it counts.
    const std::string name = "Number of teeth on cog " + IntToStr(i + 1);
    f->CogUpDn[i]->SetAccessibleName(name);
    f->CogST[i]->SetAccessibleName(name);
  }
  f->CogUpDn[0]->SetHint("Set the number of teeth on the left cog");
  f->TwoCogChk = m.Check("TwoCogChk", TControlPage::Cogs, "Show markers", 320, 6);
}

void MakeBevelPage(TKVMainFrm* f, TPageMaker& m)
{
  f->BevelTab = m.Page("BevelTab", TControlPage::Bevel);
  f->BevelLabel = m.Label("BevelLabel", f->BevelTab, "Bevel gears turn the drive through a right angle", 8, 8);
  f->BevelChk = m.Check("BevelChk", TControlPage::Bevel, "ShowMarker", 320, 6);
}

void MakeBeltPage(TKVMainFrm* f, TPageMaker& m)
{
  f->VPulleyTab = m.Page("VPulleyTab", TControlPage::Belts);
  m.Label("", f->VPulleyTab, "Belt type", 8, 8);
  f->BeltCB = m.Combo("BeltCB", f->VPulleyTab, {"Vee belt", "Flat belt", "Cross belt"}, 60, 4, 90);
  f->BeltCB->OnChange = [f](TObject*) {
    if (f->ShowsPage(TControlPage::Belts))
      f->BuildBeltDrive();
  };
  f->VPLabel = m.Label("VPLabel", f->VPulleyTab, "Radius of wheels", 162, 8);
  f->VP1UpDn = m.Counter("VP1ST", "VP1UpDn", f->VPulleyTab, 252, 4, 3, 10, 3, &f->VP1ST);
  f->VP2UpDn = m.Counter("VP2ST", "VP2UpDn", f->VPulleyTab, 300, 4, 3, 10, 6, &f->VP2ST);
  for (TUpDown* u : {f->VP1UpDn, f->VP2UpDn})
    u->OnClick = [f](TObject*, TUDBtnType) {
      if (f->ShowsPage(TControlPage::Belts))
        f->BuildBeltDrive();
    };
  // Two boxes under one label: each says which wheel it sets.
  for (auto [ud, st, name] :
       {std::tuple{f->VP1UpDn, f->VP1ST, "Radius of wheel 1"}, std::tuple{f->VP2UpDn, f->VP2ST, "Radius of wheel 2"}}) {
    ud->SetAccessibleName(name);
    st->SetAccessibleName(name);
  }
  f->VPChk = m.Check("VPChk", TControlPage::Belts, "Show markers", 352, 6);
}

void MakeBikePage(TKVMainFrm* f, TPageMaker& m)
{
  f->BikeTab = m.Page("BikeTab", TControlPage::Bike);
  m.Label("", f->BikeTab, "Number of gear teeth", 8, 8);
  Integer x = 120;
  for (auto [name, caption, slot] : {std::tuple{"DG14Btn", "14", &f->DG14Btn}, std::tuple{"DG16Btn", "16", &f->DG16Btn},
                                     std::tuple{"DG18Btn", "18", &f->DG18Btn}}) {
    TSpeedButton* b = m.Make<TSpeedButton>(name, f->BikeTab);
    b->SetCaption(caption);
    b->SetBounds(x, 4, 28, 22);
    b->SetGroupIndex(1);
    b->OnClick = [f](TObject*) { RebuildOn(f, TControlPage::Bike); };
    *slot = b;
    x += 30;
  }
  f->DG16Btn->SetDown(true);
  f->BikeChk = m.Check("BikeChk", TControlPage::Bike, "Show markers", 230, 6);
}

void MakeChainPage(TKVMainFrm* f, TPageMaker& m)
{
  f->ChainTab = m.Page("ChainTab", TControlPage::Chain);
  m.Label("", f->ChainTab, "Number of teeth", 8, 8);
  f->Chain1UpDn = m.Counter("Chain1ST", "Chain1UpDn", f->ChainTab, 100, 4, 10, 40, 10, &f->Chain1ST);
  f->Chain2UpDn = m.Counter("Chain2ST", "Chain2UpDn", f->ChainTab, 152, 4, 10, 40, 20, &f->Chain2ST);
  for (TUpDown* u : {f->Chain1UpDn, f->Chain2UpDn})
    u->OnClick = [f](TObject*, TUDBtnType) { RebuildOn(f, TControlPage::Chain); };
  // Two boxes under one label: each says which sprocket it counts.
  for (auto [up, box, name] : {std::tuple{f->Chain1UpDn, f->Chain1ST, "Number of teeth on sprocket 1"},
                               std::tuple{f->Chain2UpDn, f->Chain2ST, "Number of teeth on sprocket 2"}}) {
    up->SetAccessibleName(name);
    box->SetAccessibleName(name);
  }
  f->ChainChk = m.Check("ChainChk", TControlPage::Chain, "Show markers", 220, 6);
}

void MakeStepConePage(TKVMainFrm* f, TPageMaker& m)
{
  f->StepConeTab = m.Page("StepConeTab", TControlPage::StepCone);
  m.Label("", f->StepConeTab, "Belt position", 8, 8);
  f->StepConeUpDn = m.Counter("StepConeST", "StepConeUpDn", f->StepConeTab, 90, 4, 0, 3, 3, nullptr);
  f->StepConeUpDn->OnClick = [f](TObject*, TUDBtnType) { RebuildOn(f, TControlPage::StepCone); };
  f->StepConeChk = m.Check("StepConeChk", TControlPage::StepCone, "ShowMarkers", 160, 6);
}

// A bar that rebuilds from the position it is moving to, while it is shown on the current
// topic's page.
void RebuildOnScroll(TKVMainFrm* f, TScrollBar* bar, TControlPage page)
{
  bar->OnScroll = [f, bar, page](TObject*, TScrollCode, int32_t& p) {
    if (!f->ShowsPage(page) || !bar->Visible())
      return;
    bar->SetPosition(p);
    f->RebuildTopic();
  };
}

void MakeCamPage(TKVMainFrm* f, TPageMaker& m)
{
  f->CamTab = m.Page("CamTab", TControlPage::Cams);
  m.Label("", f->CamTab, "Follower type", 8, 8);
  f->CamCB = m.Combo("CamCB", f->CamTab, {"Roller", "Flat", "Point", "Radius"}, 80, 4, 80);
  f->CamCB->OnChange = [f](TObject*) { RebuildOn(f, TControlPage::Cams); };
  f->CamLabel = m.Label("CamLabel", f->CamTab, "Shape of cam", 172, 8);
  f->CamOffsetHsb = m.Bar("CamOffsetHsb", f->CamTab, 246, 6, 110, 0, 25, 10);
  RebuildOnScroll(f, f->CamOffsetHsb, TControlPage::Cams);
  f->CamChk = m.Check("CamChk", TControlPage::Cams, "Show markers", 366, 6);
}

void MakeLinkPage(TKVMainFrm* f, TPageMaker& m)
{
  f->LinkTab = m.Page("LinkTab", TControlPage::Linkage);
  f->PivotLabel = m.Label("PivotLabel", f->LinkTab, "Pivot position", 8, 8);
  f->LinkOffsetHsb = m.Bar("LinkOffsetHsb", f->LinkTab, 90, 6, 160, -30, 30, 0);
  RebuildOnScroll(f, f->LinkOffsetHsb, TControlPage::Linkage);
}

void MakeCrankPage(TKVMainFrm* f, TPageMaker& m)
{
  f->CrankTab = m.Page("CrankTab", TControlPage::Crank);
  m.Label("", f->CrankTab, "Offset", 8, 8);
  f->CrankOffsetHsb = m.Bar("CrankOffsetHsb", f->CrankTab, 60, 6, 160, 20, 35, 25);
  f->CrankOffsetHsb->SetShowHint(true);
  RebuildOnScroll(f, f->CrankOffsetHsb, TControlPage::Crank);
}

void MakeHoistPage(TKVMainFrm* f, TPageMaker& m)
{
  f->HoistTab = m.Page("HoistTab", TControlPage::Hoist);
  m.Label("", f->HoistTab, "Number of pulley wheels", 8, 8);
  f->HoistUpDn = m.Counter("HoistST", "HoistUpDn", f->HoistTab, 140, 4, 1, 4, 1, &f->HoistST);
  f->HoistUpDn->OnClick = [f](TObject* s, TUDBtnType b) { f->HoistUpDnClick(s, b); };
  f->HoistLoadLabel = m.Label("HoistLoadLabel", f->HoistTab, "Effort = 100N     Load = 100N", 200, 8);
}

void MakeScrewPage(TKVMainFrm* f, TPageMaker& m)
{
  f->ScrewTab = m.Page("ScrewTab", TControlPage::Screw);
  f->ScrewCB =
      m.Combo("ScrewCB", f->ScrewTab, {"V thread", "Square thread", "Buttress thread", "Acme thread"}, 8, 4, 110);
  f->ScrewLabel = m.Label("ScrewLabel", f->ScrewTab, "Pitch", 130, 8);
  f->ScrewPitchHsb = m.Bar("ScrewPitchHsb", f->ScrewTab, 164, 6, 160, 10, 40, 10);
  auto screwChanged = [f](TObject*) { RebuildOn(f, TControlPage::Screw); };
  f->ScrewCB->OnChange = screwChanged;
  f->ScrewPitchHsb->OnChange = screwChanged;
}

void MakeWindlassPage(TKVMainFrm* f, TPageMaker& m)
{
  f->WindlassTab = m.Page("WindlassTab", TControlPage::Windlass);
  f->HandRadHsb = m.Bar("HandRadHsb", f->WindlassTab, 8, 6, 140, 18, 96, 60);
  f->HandRadHsb->OnChange = [f](TObject* s) { f->HandRadHsbChange(s); };
  f->HandRadLabel = m.Label("HandRadLabel", f->WindlassTab, "Handle radius = 10.00", 160, 1);
  f->AxleLabel = m.Label("AxleLabel", f->WindlassTab, "Axle radius     = 1.00", 160, 15);
  m.Label("", f->WindlassTab, "Effort = 1.00", 300, 1);
  f->LoadLabel = m.Label("LoadLabel", f->WindlassTab, "Load = 10.00", 300, 15);
}

void MakeWestonPage(TKVMainFrm* f, TPageMaker& m)
{
  f->WestonTab = m.Page("WestonTab", TControlPage::Weston);
  // Narrow enough that the marker box keeps its whole caption in the pane of an 800 pixel
  // wide screen.
  f->WPRadiusHsb = m.Bar("WPRadiusHsb", f->WestonTab, 8, 6, 96, 12, 20, 15);
  f->WPRadiusHsb->OnChange = [f](TObject* s) { f->WPRadiusHsbChange(s); };
  f->WPradLabel = m.Label("WPradLabel", f->WestonTab, "Small radius = 15      Load = 8.00 N", 112, 1);
  m.Label("", f->WestonTab, "Large radius = 20     Effort = 1 N", 112, 15);
  f->WPMarkerChk = m.Check("WPMarkerChk", TControlPage::Weston, "Show markers", 316, 6);
}

void MakeBoxCamPage(TKVMainFrm* f, TPageMaker& m)
{
  f->BoxCamTab = m.Page("BoxCamTab", TControlPage::BoxCam);
  m.Label("", f->BoxCamTab, "Angle", 8, 8);
  f->CamSlotHsb = m.Bar("CamSlotHsb", f->BoxCamTab, 44, 6, 100, 0, 45, 20);
  m.Label("", f->BoxCamTab, "Radius", 154, 8);
  f->SCamRadHsb = m.Bar("SCamRadHsb", f->BoxCamTab, 194, 6, 100, 12, 30, 20);
  for (TScrollBar* b : {f->CamSlotHsb, f->SCamRadHsb})
    b->OnChange = [f](TObject*) { RebuildOn(f, TControlPage::BoxCam); };
  f->BoxCamChk = m.Check("BoxCamChk", TControlPage::BoxCam, "ShowMarker", 306, 6);
}

void MakeTreadlePage(TKVMainFrm* f, TPageMaker& m)
{
  f->TreadleTab = m.Page("TreadleTab", TControlPage::Treadle);
  m.Label("", f->TreadleTab, "Length of top link", 8, 8);
  f->TreadleHsb = m.Bar("TreadleHsb", f->TreadleTab, 110, 6, 140, 10, 30, 15);
  f->TreadleHsb->OnChange = [f](TObject*) { RebuildOn(f, TControlPage::Treadle); };
  f->TreadleChk = m.Check("TreadleChk", TControlPage::Treadle, "Show linkage only", 262, 6);
  f->TreadleChk->SetChecked(true);
}

void MakeInclinedPlanePage(TKVMainFrm* f, TPageMaker& m)
{
  f->IncPlaneTab = m.Page("IncPlaneTab", TControlPage::InclinedPlane);
  f->PAngleLabel = m.Label("PAngleLabel", f->IncPlaneTab, "Angle = 10 \xBA", 8, 8);
  f->PlaneAngleHsb = m.Bar("PlaneAngleHsb", f->IncPlaneTab, 80, 6, 140, 0, 45, 10);
  f->PlaneAngleHsb->OnScroll = [f](TObject* s, TScrollCode c, int32_t& p) { f->PlaneAngleHsbScroll(s, c, p); };
  m.Label("", f->IncPlaneTab, "Load = 10000 N", 232, 1);
  f->PEffortLabel = m.Label("PEffortLabel", f->IncPlaneTab, "Effort = 1736 N", 232, 15);
}

}   // namespace

void TKVMainFrm::CreateControlPages()
{
  TPageMaker m(*this);
  MakeCogPage(this, m);
  MakeBevelPage(this, m);
  MakeBeltPage(this, m);
  MakeBikePage(this, m);
  MakeChainPage(this, m);
  MakeStepConePage(this, m);
  MakeCamPage(this, m);
  MakeLinkPage(this, m);
  MakeCrankPage(this, m);
  MakeHoistPage(this, m);
  MakeScrewPage(this, m);
  BlankTab = m.Page("BlankTab", TControlPage::Blank);
  MakeWindlassPage(this, m);
  MakeWestonPage(this, m);
  MakeBoxCamPage(this, m);
  MakeTreadlePage(this, m);
  MakeInclinedPlanePage(this, m);
  ToolPC->SetActivePage(BlankTab);
}

// ---------------------------------------------------------------------------------------
// Showing a topic's controls

void TKVMainFrm::ShowTopicControls(const TTopicRow& Row)
{
  if (Row.View == TTopicView::Levers) {
    ShowLeverToolbar(Row);
    return;
  }
  if (Row.Cogs > 0) {
    for (int i = 1; i < 4; ++i) {
      CogUpDn[i]->SetVisible(i < Row.Cogs);
      CogST[i]->SetVisible(i < Row.Cogs);
    }
    // The counts the topic (or one sharing its memory) was last built with, else its own.
    const auto kept = Row.TeethMemory.empty() ? KeptTeeth.end() : KeptTeeth.find(Row.TeethMemory);
    const TTopicEntry* procedures = Row.Examples.front().Procedures;
    const TTopicControls start =
        procedures && procedures->DefaultControls ? procedures->DefaultControls() : TTopicControls{};
    for (int i = 0; i < Row.Cogs && i < 4; ++i)
      CogUpDn[i]->SetPosition(kept != KeptTeeth.end() && size_t(i) < kept->second.size() ? kept->second[size_t(i)]
                                                                                         : start.Cog[i]);
  }
  for (const TControlSetting& s : Row.Controls) {
    auto* control = dynamic_cast<TControl*>(FindComponent(s.Control));
    if (!control)
      continue;
    control->SetVisible(s.Visible);
    if (!s.Hint.empty())
      control->SetHint(s.Hint);
    if (auto* bar = dynamic_cast<TScrollBar*>(control); bar && s.Max > s.Min)
      bar->SetParams(bar->Position(), s.Min, s.Max, 0);
    if (auto* combo = dynamic_cast<TComboBox*>(control); combo && !s.Items.empty()) {
      combo->Items() = s.Items;
      combo->SetItemIndex(0);
    }
  }
  ToolPC->SetActivePage(ControlPages[size_t(Row.Page)]);
  FitPageCheckBoxes();
}

// ---------------------------------------------------------------------------------------
// Reading the controls

namespace {

// The check box that shows the topic's markers: the lever toolbar's or its page's.
TCheckBox* MarkerBoxOf(const TKVMainFrm& f, const TTopicRow* row)
{
  if (!row || row->Examples.empty())
    return nullptr;
  if (row->View == TTopicView::Levers)
    return f.LeverChk;
  return f.PageMarkerBoxes[size_t(row->Page)];
}

}   // namespace

TTopicControls TKVMainFrm::CurrentControls() const
{
  TTopicControls c;
  for (int i = 0; i < 4; ++i)
    c.Cog[i] = CogUpDn[i]->Position();
  TCheckBox* marker = MarkerBoxOf(*this, CurrentRow());
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
  c.ModelFolder = ModelFolder;
  c.MarkerColour = MarkerColour;
  return c;
}

const TTopicRow* TKVMainFrm::CurrentRow() const { return FindTopicRow(CurrentTopic); }

const TTopicEntry* TKVMainFrm::CurrentEntry() const
{
  const TTopicRow* row = CurrentRow();
  if (!row || row->Examples.empty())
    return nullptr;
  size_t example = row->View == TTopicView::Levers ? size_t(LeverExample) : 0;
  if (example >= row->Examples.size())
    example = 0;
  return row->Examples[example].Procedures;
}

bool TKVMainFrm::ShowsPage(TControlPage Page) const
{
  const TTopicRow* row = CurrentRow();
  return row && row->View == TTopicView::Model && !row->Examples.empty() && row->Page == Page;
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
  // A model file that cannot be read leaves its part of the scene empty and the rest standing;
  // each such file is reported once for the build, with its fault, in the application's
  // error box.
  const std::vector<std::string> faults = ModelLoadFaults(SceneBase);
  if (!faults.empty()) {
    std::string text;
    for (const std::string& f : faults)
      text += (text.empty() ? "" : "\r\n") + f;
    ReportException(Exception(text), this);
  }
  // The counts come back when this topic, or one sharing its memory, shows again.
  const TTopicRow* row = CurrentRow();
  if (row && !row->TeethMemory.empty())
    KeptTeeth[row->TeethMemory] =
        std::vector<Integer>(Controls.Cog, Controls.Cog + std::clamp<Integer>(row->Cogs, 0, 4));
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

void TKVMainFrm::BuildBeltDrive()
{
  // A crossed belt (the list's third entry, as the scene counts it) runs between wheels of
  // one size.
  bool radii = BeltCB->ItemIndex() != 2;
  for (TControl* c : std::initializer_list<TControl*>{VP1UpDn, VP2UpDn, VPLabel, VP1ST, VP2ST})
    c->SetVisible(radii);
  RebuildTopic();
}

// ---------------------------------------------------------------------------------------
// Handlers

void TKVMainFrm::MarkerChkClick(TObject* Sender)
{
  TCheckBox* box = MarkerBoxOf(*this, CurrentRow());
  const TTopicEntry* entry = CurrentEntry();
  if (!box || box != Sender || !entry || !entry->ShowMarkers)
    return;
  entry->ShowMarkers(SceneBase, box->Checked());
}

void TKVMainFrm::HoistUpDnClick(TObject*, TUDBtnType)
{
  if (!ShowsPage(TControlPage::Hoist))
    return;
  RebuildTopic();
  HoistLoadLabel->SetCaption("Effort = 100N     Load = " + IntToStr(HoistUpDn->Position() * 100) + "N");
}

void TKVMainFrm::HandRadHsbChange(TObject*)
{
  if (!ShowsPage(TControlPage::Windlass))
    return;
  double r = HandRadHsb->Position() * 0.01;
  double ratio = r / WindlassAxleRadius();
  RebuildTopic();
  HandRadLabel->SetCaption("Handle radius = " + Fixed2(ratio));
  LoadLabel->SetCaption("Load = " + Fixed2(ratio));
}

void TKVMainFrm::WPRadiusHsbChange(TObject*)
{
  if (!ShowsPage(TControlPage::Weston))
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
  if (!ShowsPage(TControlPage::InclinedPlane))
    return;
  SetInclinedPlaneAngle(SceneBase, Single(ScrollPos));
  PAngleLabel->SetCaption("Angle = " + IntToStr(ScrollPos) + " \xBA");
  double effort = std::sin(ScrollPos * M_PI / 180.0) * 10000.0;
  PEffortLabel->SetCaption("Effort = " + IntToStr(std::lround(effort)) + " N");
}

void TKVMainFrm::ShowLeverToolbar(const TTopicRow& Row)
{
  LeverToolbar->BeginUpdate();
  LeverLabel->SetCaption(Row.LeverCaption);
  TTBXItem* buttons[2] = {LeverBtn1, LeverBtn2};
  for (size_t i = 0; i < 2; ++i) {
    const bool there = i < Row.Examples.size();
    buttons[i]->SetCaption(there ? Row.Examples[i].Caption : "");
    buttons[i]->SetImageIndex(there ? Row.Examples[i].Image : -1);
    buttons[i]->SetChecked(i == 0);
  }
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
  const TTopicRow* row = CurrentRow();
  if (example == LeverExample || !row || row->View != TTopicView::Levers)
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
  const TTopicRow* row = CurrentRow();
  if (!entry || !entry->ShowMarkers || !row || row->View != TTopicView::Levers)
    return;
  const bool checked = LeverChk->Checked();
  if (!entry->LabelsShown) {
    entry->ShowMarkers(SceneBase, checked);
    return;
  }
  if (std::optional<bool> shown = entry->LabelsShown(checked, RTChsb->Position(), Stopped))
    entry->ShowMarkers(SceneBase, *shown);
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
  CamDiagram->PixelRatio = pic->DevicePixelRatio();
  CamDiagram->Draw();
  pic->Invalidate();
}

void TKVMainFrm::picPaint(TObject*)
{
  if (!CamDiagram)
    return;
  // Drawn again for a screen of another density (the window moved to it).
  if (!CamDiagram->Picture() || CamDiagram->PixelRatio != pic->DevicePixelRatio()) {
    CamDiagram->PixelRatio = pic->DevicePixelRatio();
    CamDiagram->Draw();
  }
  if (const TBitmap* picture = CamDiagram->Picture())
    pic->Canvas().Draw(0, 0, *picture);
}
