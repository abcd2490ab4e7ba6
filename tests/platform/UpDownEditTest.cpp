// An up-down with an edit beside it: a number typed into the edit (through the X server, as
// a user types) becomes the position, Up and Down typed there step it, and the edit's own key
// and exit handlers keep working, also once the up-down has gone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/ComCtrls.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "tests/platform/XInputSupport.h"

namespace {

using namespace xinput;

void TypeInto(TEdit* edit, const std::string& text, const std::string& confirm)
{
  Click(Centre(edit));
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  X("key End BackSpace BackSpace BackSpace BackSpace");
  X("type -- '" + text + "'");
  X(confirm);
  PumpFor(150);
}

}   // namespace

TEST(UpDownEdit, TypedNumbersAreTakenAndTheEditsOwnHandlersStay)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TForm form;
  form.SetBounds(100, 100, 240, 120);
  TEdit* edit = TComponent::Create<TEdit>(&form);
  edit->SetParent(&form);
  edit->SetBounds(10, 10, 40, 21);
  TEdit* other = TComponent::Create<TEdit>(&form);
  other->SetParent(&form);
  other->SetBounds(10, 50, 40, 21);
  std::vector<Word> keys;
  int exits = 0;
  edit->OnKeyDown = [&](TObject*, Word& key, TShiftState) { keys.push_back(key); };
  edit->OnExit = [&](TObject*) { ++exits; };
  auto updown = std::make_unique<TUpDown>();
  updown->SetParent(&form);
  updown->SetBounds(50, 10, 15, 21);
  updown->SetMin(-5);
  updown->SetMax(40);
  updown->SetPosition(20);
  updown->SetAssociate(edit);
  std::vector<TUDBtnType> clicks;
  updown->OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b); };
  form.Show();
  PumpFor(100);
  EXPECT_EQ(edit->Text(), "20");

  TypeInto(edit, "12", "key Return");
  EXPECT_EQ(updown->Position(), 12);
  EXPECT_EQ(clicks, std::vector<TUDBtnType>{btPrev});
  EXPECT_FALSE(keys.empty());   // its own handler saw the keys, Enter too
  EXPECT_EQ(keys.back(), VK_RETURN);
  // Below the range, with blanks and a sign: clamped.
  TypeInto(edit, " -70 ", "key Return");
  EXPECT_EQ(updown->Position(), -5);
  EXPECT_EQ(edit->Text(), "-5");
  // The same number again is no change.
  TypeInto(edit, "-5", "key Return");
  EXPECT_EQ(clicks.size(), 2u);
  // No number: the position comes back and nothing fires.
  TypeInto(edit, "1x", "key Return");
  EXPECT_EQ(edit->Text(), "-5");
  EXPECT_EQ(clicks.size(), 2u);
  // Leaving the box confirms it; the edit's own exit handler runs as well.
  const int exitsBefore = exits;
  TPoint p = other->ClientToScreen({5, 5});
  TypeInto(edit, "33", "mousemove " + At(p) + " click 1");
  EXPECT_EQ(updown->Position(), 33);
  EXPECT_EQ(clicks.back(), btNext);
  EXPECT_GT(exits, exitsBefore);
  // Back in the box, its Up and Down step the arrows (no Tab stop of their own), from what was
  // typed; the edit's own handler still sees them.
  TypeInto(edit, "10", "key Up");
  EXPECT_EQ(updown->Position(), 11);
  EXPECT_EQ(edit->Text(), "11");
  EXPECT_EQ(keys.back(), VK_UP);
  X("key Down Down Down");
  EXPECT_TRUE(PumpUntil([&] { return updown->Position() == 8; })) << updown->Position();
  EXPECT_EQ(clicks.back(), btPrev);

  // The up-down goes; the edit keeps its own handlers and takes text as a plain edit.
  updown.reset();
  keys.clear();
  TypeInto(edit, "7", "key Return");
  EXPECT_EQ(edit->Text(), "7");
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ(keys.back(), VK_RETURN);
}
