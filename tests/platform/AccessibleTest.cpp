// The platform's controls as a screen reader reads them over the AT-SPI bus:
// each runs again under a session bus of its own (AtSpiSupport.h) and reads its
// windows from outside.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ComCtrls.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "platform/ScrollBar.h"
#include "platform/StdCtrls.h"
#include "tests/TestWait.h"
#include "tests/platform/AtSpiSupport.h"

namespace {

// A page of the kinds of controls the program's control pages hold.
struct TControlPage {
  TForm Form;
  TLabel Teeth, Speed;
  TPanel Box1, Box2;
  TUpDown Up1, Up2;
  TCheckBox Marker;
  TTrackBar Track;
  TScrollBar Step;
  TButton Ok;
  int UpClicks = 0, MarkerClicks = 0, StepChanges = 0, OkClicks = 0;
  TControlPage()
  {
    Form.SetBounds(100, 100, 520, 160);
    Form.SetCaption("Controls");
    for (TControl* c :
         std::initializer_list<TControl*>{&Teeth, &Speed, &Box1, &Box2, &Up1, &Up2, &Marker, &Track, &Step, &Ok})
      c->SetParent(&Form);
    Teeth.SetCaption("Number of teeth");
    Teeth.SetBounds(8, 8, 90, 14);
    // Two counters on the label's row: a number box and its arrows each.
    Box1.SetBounds(100, 4, 28, 21);
    Up1.SetBounds(128, 4, 15, 21);
    Box2.SetBounds(152, 4, 28, 21);
    Up2.SetBounds(180, 4, 15, 21);
    for (TUpDown* u : {&Up1, &Up2}) {
      u->SetMin(10);
      u->SetMax(40);
      u->SetPosition(20);
      u->OnClick = [this](TObject*, TUDBtnType) { ++UpClicks; };
    }
    Up1.SetAssociate(&Box1);
    Up2.SetAssociate(&Box2);
    Up1.SetHint("Set the number of teeth on the left cog");
    Marker.SetCaption("Show &marker");
    Marker.SetBounds(320, 6, 110, 17);
    Marker.OnClick = [this](TObject*) { ++MarkerClicks; };
    // A track bar under its label; a bar known by its hint alone.
    Speed.SetCaption("Speed");
    Speed.SetBounds(8, 40, 60, 14);
    Track.SetBounds(8, 56, 150, 30);
    Track.SetMax(10);
    Step.SetBounds(200, 60, 150, 17);
    Step.SetParams(0, 0, 360, 0);
    Step.SetHint("run animation manually");
    Step.OnChange = [this](TObject*) { ++StepChanges; };
    Ok.SetCaption("OK");
    Ok.SetBounds(400, 100, 75, 25);
    Ok.OnClick = [this](TObject*) { ++OkClicks; };
    Form.Show();
  }
  ~TControlPage() { Form.Hide(); }
};

}   // namespace

TEST(AccessibleControls, EachControlHasItsRoleNameValueAndActionsOverTheBus)
{
  ATSPI_TEST_UNDER_BUS();
  TControlPage page;
  testwait::WaitUntil([&] { return page.Form.Showing(); }, 3000);
  std::string raw;
  // The reader steps the first counter up, ticks the box, sets the bar and
  // presses OK.
  auto nodes = atspi::Walk({"act:spin button:Number of teeth:increase", "act:check box:Show marker:toggle",
                            "set:slider:run animation manually:90", "act:push button:OK:press"},
                           &raw);
  ASSERT_FALSE(nodes.empty()) << raw;
  if (std::getenv("ORRELO_ATSPI_DUMP"))
    std::fprintf(stderr, "%s", raw.c_str());
  EXPECT_EQ(raw.find("not found"), std::string::npos) << raw;
  EXPECT_EQ(atspi::Unreadable(nodes), std::vector<std::string>{}) << raw;

  // Names from the label beside (both counters), the caption without its
  // accelerator mark, the label above, and the hint.
  int counters = 0;
  for (const auto& n : nodes)
    if (n.Role == "spin button") {
      ++counters;
      EXPECT_EQ(n.Name, "Number of teeth");
      EXPECT_EQ(n.Actions, "Increase,Decrease");
    }
  EXPECT_EQ(counters, 2);
  const atspi::TNode* marker = atspi::Find(nodes, "check box", "Show marker");
  ASSERT_NE(marker, nullptr) << raw;
  EXPECT_NE(marker->States.find("checked"), std::string::npos);
  const atspi::TNode* speed = atspi::Find(nodes, "slider", "Speed");
  ASSERT_NE(speed, nullptr) << raw;
  EXPECT_EQ(speed->Value, "0");
  const atspi::TNode* step = atspi::Find(nodes, "slider", "run animation manually");
  ASSERT_NE(step, nullptr) << raw;
  EXPECT_EQ(step->Value, "90");
  ASSERT_NE(atspi::Find(nodes, "label", "Number of teeth"), nullptr) << raw;
  ASSERT_NE(atspi::Find(nodes, "push button", "OK"), nullptr) << raw;

  // The actions acted as the user's input does: events fired, values moved.
  EXPECT_EQ(page.Up1.Position(), 21);
  EXPECT_EQ(page.Up2.Position(), 20);
  EXPECT_EQ(page.UpClicks, 1);
  EXPECT_TRUE(page.Marker.Checked());
  EXPECT_EQ(page.MarkerClicks, 1);
  EXPECT_EQ(page.Step.Position(), 90);
  EXPECT_GE(page.StepChanges, 1);
  EXPECT_EQ(page.OkClicks, 1);
}
