// The input controls as the user drives them: typing with limits, memo lines and wrapping,
// list selection, drop-down choices, check marks and radio groups, and tab order.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/FormCtrls.h"
#include "platform/StdCtrls.h"
#include "tests/TestWait.h"

namespace {

void Type(TControl& c, const std::string& s)
{
  for (char ch : s) {
    char k = ch;
    c.DispatchKeyPress(k);
  }
}

void Key(TControl& c, Word k, TShiftState shift = 0) { c.DispatchKeyDown(k, shift); }

TEST(FormCtrls, EditTypesWithinItsLimitAndTellsOfChanges)
{
  TEdit e;
  int changes = 0;
  e.OnChange = [&](TObject*) { ++changes; };
  e.SetText("ab");
  EXPECT_EQ(changes, 0) << "setting from code is no user change";
  e.SetMaxLength(4);
  Key(e, VK_END);
  Type(e, "cdef");
  EXPECT_EQ(e.Text(), "abcd");
  Key(e, VK_HOME);
  Key(e, VK_DELETE);
  char back = 8;
  e.DispatchKeyPress(back);   // nothing before the caret
  EXPECT_EQ(e.Text(), "bcd");
  EXPECT_EQ(changes, 3);
  // A key handler may take a key first.
  e.OnKeyPress = [](TObject*, char& k) {
    if (k == 'x')
      k = 0;
  };
  Type(e, "x");
  EXPECT_EQ(e.Text(), "bcd");
}

TEST(FormCtrls, MemoKeepsLineEndsAndWrapsToItsWidth)
{
  TMemo m;
  m.SetBounds(0, 0, 80, 100);
  m.SetWordWrap(false);
  m.SetText("one two three four\r\nfive\r\n");
  EXPECT_EQ(m.Lines(), (std::vector<std::string>{"one two three four", "five"}));
  m.SetWordWrap(true);
  const auto wrapped = m.Lines();
  EXPECT_GT(wrapped.size(), 2u);
  for (const auto& l : wrapped)
    EXPECT_TRUE(l.empty() || l.back() != ' ');
  // Enter puts a line end at the caret; backspace takes it away whole.
  m.SetText("ab");
  m.SetSelStart(1);
  char enter = 13, back = 8;
  m.DispatchKeyPress(enter);
  EXPECT_EQ(m.Text(), "a\r\nb");
  m.DispatchKeyPress(back);
  EXPECT_EQ(m.Text(), "ab");
  m.SetScrollBars(TScrollStyle::ssBoth);
  EXPECT_EQ(m.TextRect().Width(), m.ClientWidth() - VScrollBarWidth);
}

// Wrapped lines are as full as the width allows: breaking at the last space that fits, and
// inside a run with no space at the last character that fits.
TEST(FormCtrls, MemoWrapsLongRunsAndWordsAsFullAsTheyFit)
{
  TMemo m;
  m.SetBounds(0, 0, 120, 100);
  TBitmap b(1, 1);
  TCanvas& c = b.Canvas();
  c.Font().Assign(m.Font());
  const Integer width = m.TextRect().Width() - 4;
  std::string run;
  for (int i = 0; i < 700; ++i)
    run += char('a' + (i * 7) % 26);
  m.SetText(run + "\r\nshort");
  auto lines = m.Lines();
  ASSERT_GT(lines.size(), 5u);
  EXPECT_EQ(lines.back(), "short");
  std::string joined;
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    joined += lines[i];
    EXPECT_LE(c.TextWidth(lines[i]), width) << i;
    if (i + 2 < lines.size()) {
      EXPECT_GT(c.TextWidth(lines[i] + lines[i + 1][0]), width) << i;
    }
  }
  EXPECT_EQ(joined, run);

  std::string words;
  for (int i = 0; i < 60; ++i)
    words += std::string(size_t(1 + i % 6), char('k' + i % 9)) + " ";
  m.SetText(words);
  lines = m.Lines();
  ASSERT_GT(lines.size(), 3u);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    EXPECT_LE(c.TextWidth(lines[i]), width) << i;
    const std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
    EXPECT_GT(c.TextWidth(lines[i] + " " + next), width) << i;
  }
}

TEST(FormCtrls, ListSelection)
{
  TListBox l;
  l.Items() = {"a", "b", "c", "d"};
  l.ItemsChanged();
  l.SetItemIndex(1);
  EXPECT_TRUE(l.Selected(1));
  Key(l, VK_DOWN);
  EXPECT_EQ(l.ItemIndex(), 2);
  EXPECT_FALSE(l.Selected(1)) << "single selection follows the item index";
  l.SetMultiSelect(true);
  l.ClearSelection();
  l.SetItemIndex(0);
  l.DispatchMouseDown(mbLeft, 0, 5, 1);
  Key(l, VK_DOWN, ssShift);
  Key(l, VK_DOWN, ssShift);
  EXPECT_TRUE(l.Selected(0) && l.Selected(1) && l.Selected(2));
  EXPECT_FALSE(l.Selected(3));
  l.SetItemIndex(99);
  EXPECT_EQ(l.ItemIndex(), -1);
  l.SetTopIndex(50);
  EXPECT_LE(l.TopIndex(), l.Count());
}

TEST(FormCtrls, DropDownListChoosesByKeys)
{
  TComboBox c;
  c.Items() = {"x", "y", "z"};
  int changes = 0;
  c.OnChange = [&](TObject*) { ++changes; };
  c.SetItemIndex(0);
  Key(c, VK_DOWN);
  Key(c, VK_END);
  Key(c, VK_DOWN);   // already at the end
  EXPECT_EQ(c.Text(), "z");
  EXPECT_EQ(changes, 2);
  c.SetItemIndex(7);
  EXPECT_EQ(c.Text(), "");
}

TEST(FormCtrls, MarksAndRadioGroupsAndTabOrder)
{
  TPanel parent;
  TCheckBox box;
  TRadioButton r1, r2;
  TEdit e;
  for (TControl* c : std::initializer_list<TControl*>{&box, &r1, &r2, &e})
    c->SetParent(&parent);
  int clicks = 0;
  box.OnClick = [&](TObject*) { ++clicks; };
  Key(box, VK_SPACE);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(clicks, 1);
  r1.SetChecked(true);
  r2.DispatchMouseDown(mbLeft, 0, 3, 3);
  r2.DispatchMouseUp(mbLeft, 0, 3, 3);
  EXPECT_TRUE(r2.Checked());
  EXPECT_FALSE(r1.Checked());

  EXPECT_EQ(parent.FindNextControl(&box, true), &r1);
  e.SetTabOrder(0);
  EXPECT_EQ(e.TabOrder(), 0);
  EXPECT_EQ(box.TabOrder(), 1);
  EXPECT_EQ(parent.FindNextControl(&r2, true), &e) << "wraps to the first";
  EXPECT_EQ(parent.FindNextControl(&e, false), &r2);
  r1.SetEnabled(false);
  EXPECT_EQ(parent.FindNextControl(&box, true), &r2) << "disabled controls are passed by";
  box.SetTabStop(false);
  EXPECT_EQ(parent.FindNextControl(&e, true), &r2);
  // From a control that took the focus by a click without being a tab stop (the page pane,
  // the 3D view), the walk goes on from its place: e, box, r1 (disabled), r2.
  EXPECT_EQ(parent.FindNextControl(&box, true), &r2);
  EXPECT_EQ(parent.FindNextControl(&box, false), &e);
}

bool PumpUntil(const std::function<bool()>& cond) { return testwait::WaitUntil(cond); }

TEST(FormCtrls, AFocusedCheckBoxFramesItsCaption)
{
  TForm form;
  form.SetBounds(50, 50, 200, 60);
  TCheckBox box, other;
  box.SetParent(&form);
  box.SetBounds(10, 10, 150, 20);
  box.SetCaption("Show marker");
  other.SetParent(&form);
  other.SetBounds(10, 32, 150, 20);
  form.Show();
  auto picture = [&box] {
    TBitmap b(box.Width(), box.Height());
    b.Fill(clBtnFace);
    box.PaintTo(b.Canvas(), 0, 0);
    return b;
  };
  other.SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return other.Focused(); }));
  TBitmap plain = picture();
  box.SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return box.Focused(); }));
  TBitmap focused = picture();
  // The frame lies round the caption, right of the mark, above and below the text.
  int changed = 0, left = box.Width(), top = box.Height(), bottom = 0;
  for (int y = 0; y < box.Height(); ++y)
    for (int x = 0; x < box.Width(); ++x)
      if (plain.GetPixel(x, y) != focused.GetPixel(x, y)) {
        ++changed;
        left = std::min(left, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  EXPECT_GT(changed, 40);
  EXPECT_GE(left, 13);
  EXPECT_LT(top, 5);
  EXPECT_GT(bottom, 14);
  form.Hide();
}

TEST(FormCtrls, TabFromAControlThatIsNoTabStopMovesOn)
{
  TForm form;
  form.SetBounds(50, 50, 300, 100);
  TPanel pane;   // takes the focus by a click, as the page pane does
  TCheckBox first, second;
  for (TWinControl* c : std::initializer_list<TWinControl*>{&first, &pane, &second}) {
    c->SetParent(&form);
    c->SetBounds(10 + 90 * c->TabOrder(), 10, 80, 20);
  }
  form.Show();
  pane.SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return pane.Focused(); }));
  SimulateKey(VK_TAB);
  EXPECT_TRUE(PumpUntil([&] { return second.Focused(); }));
  pane.SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return pane.Focused(); }));
  SimulateKey(VK_TAB, ssShift);
  EXPECT_TRUE(PumpUntil([&] { return first.Focused(); }));
  form.Hide();
}

// The keypad's digits are keys of their own; with Alt held they make up a character's code,
// typed when Alt is let go, and type nothing themselves.
TEST(FormCtrls, AltWithKeypadDigitsTypesTheCharacterOfThatCode)
{
  TForm form;
  form.SetBounds(50, 50, 300, 100);
  TEdit edit;
  edit.SetParent(&form);
  edit.SetBounds(10, 10, 200, 24);
  std::vector<Word> downs;
  edit.OnKeyDown = [&](TObject*, Word& key, TShiftState) { downs.push_back(key); };
  form.Show();
  edit.SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return edit.Focused(); }));
  SimulateKey(Word(VK_NUMPAD0 + 7), 0, '7');
  EXPECT_EQ(edit.Text(), "7");
  EXPECT_EQ(downs, std::vector<Word>{Word(VK_NUMPAD0 + 7)});
  // 0233 and 65: two codes, each ended by Alt's release.
  for (Word d : {Word(VK_NUMPAD0), Word(VK_NUMPAD0 + 2), Word(VK_NUMPAD0 + 3), Word(VK_NUMPAD0 + 3)})
    SimulateKey(d, ssAlt);
  EXPECT_EQ(edit.Text(), "7") << "the digits of a code type nothing themselves";
  SimulateKey(VK_MENU, ssAlt);
  EXPECT_EQ(edit.Text(), "7\xE9");
  SimulateKey(Word(VK_NUMPAD0 + 6), ssAlt);
  SimulateKey(Word(VK_NUMPAD0 + 5), ssAlt);
  SimulateKey(VK_MENU, ssAlt);
  EXPECT_EQ(edit.Text(),
            "7\xE9"
            "A");
  // A code broken by another key types nothing; Alt alone types nothing.
  SimulateKey(Word(VK_NUMPAD0 + 6), ssAlt);
  SimulateKey('X', ssAlt);
  SimulateKey(VK_MENU, ssAlt);
  SimulateKey(VK_MENU, ssAlt);
  EXPECT_EQ(edit.Text(),
            "7\xE9"
            "A");
  form.Hide();
}

}   // namespace
