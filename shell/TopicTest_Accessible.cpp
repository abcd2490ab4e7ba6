// The test window as a screen reader reads it. The answers are the question page's links
// (the viewer names a picture-only link by the answer's words that follow it, and its action
// clicks it). The strip of boxes is a list named with the score so far, one entry a
// question, each saying whether it was answered right, wrong or not yet; the question shown
// is the selected one. After the test, the entry of a wrong answer is pressed to try that
// question again, as a click on its box does.
#include "shell/TopicTest.h"

#include "platform/Accessible.h"
#include "platform/CodePages.h"

namespace {

constexpr Integer StripBoxWidth = TTestFrm::AnswerBoxWidth;

int32_t QuestionCount(const TTestFrm* F) { return static_cast<int32_t>(F->Questions.size()); }

class TAnswerBoxNode : public TAccessibleNode {
public:
  TAnswerBoxNode(TTestFrm* Form, int32_t Index) : FForm(Form), FIndex(Index) {}
  bool Valid() override { return FIndex < QuestionCount(FForm); }
  std::u16string Name() override { return AnsiToWide(FForm->AnswerWords(FIndex)); }
  int32_t Role() override { return ROLE_SYSTEM_LISTITEM; }
  uint32_t State() override { return FIndex == FForm->Current ? STATE_SYSTEM_SELECTED : 0; }
  TRect ScreenRect() override
  {
    TPoint o = FForm->AnsPicBox->ClientToScreen({FIndex * StripBoxWidth, 0});
    return Bounds(o.X, o.Y, StripBoxWidth, FForm->AnsPicBox->Height());
  }
  std::u16string DefaultAction() override { return CanRetry() ? u"Try again" : u""; }
  bool DoDefaultAction() override
  {
    if (!CanRetry())
      return false;
    FForm->AnsPicMouseDown(FForm->AnsPicBox, mbLeft, ssLeft, FIndex * StripBoxWidth + StripBoxWidth / 2,
                           FForm->AnsPicBox->Height() / 2);
    return true;
  }
  const void* Identity() override { return FForm; }
  int32_t Part() override { return FIndex + 1; }

private:
  bool CanRetry() const
  {
    return FForm->Finished && FForm->Questions[static_cast<size_t>(FIndex)]->State == TTarvQuestion::qsWrong;
  }
  TTestFrm* FForm;
  int32_t FIndex;
};

class TAnswerStripNode : public TAccessibleNode {
public:
  explicit TAnswerStripNode(TTestFrm* Form) : FForm(Form) {}
  bool Valid() override { return true; }
  std::u16string Name() override
  {
    int32_t right = 0, wrong = 0;
    for (const auto& q : FForm->Questions) {
      right += q->State == TTarvQuestion::qsRight ? 1 : 0;
      wrong += q->State == TTarvQuestion::qsWrong ? 1 : 0;
    }
    return AnsiToWide("Answers: " + IntToStr(right) + " right, " + IntToStr(wrong) + " wrong, "
                      + IntToStr(QuestionCount(FForm) - right - wrong) + " not answered");
  }
  int32_t Role() override { return ROLE_SYSTEM_LIST; }
  uint32_t State() override { return 0; }
  TRect ScreenRect() override
  {
    TPoint o = FForm->AnsPicBox->ClientToScreen({0, 0});
    return Bounds(o.X, o.Y, FForm->AnsPicBox->Width(), FForm->AnsPicBox->Height());
  }
  int ChildCount() override { return QuestionCount(FForm); }
  std::shared_ptr<TAccessibleNode> Child(int Index) override
  {
    return Index >= 0 && Index < ChildCount() ? std::make_shared<TAnswerBoxNode>(FForm, Index) : nullptr;
  }
  const void* Identity() override { return FForm; }

private:
  TTestFrm* FForm;
};

}   // namespace

void TTestFrm::AnnounceAnswer(int32_t Answered)
{
  NotifyAccessible(AnsPicBox, TAccessibleEvent::NameChange);
  NotifyAccessible(AnsPicBox, TAccessibleEvent::NameChange, {Answered});
  if (Current != Answered) {
    NotifyAccessible(AnsPicBox, TAccessibleEvent::SelectedChange, {Answered});
    NotifyAccessible(AnsPicBox, TAccessibleEvent::SelectedChange, {Current});
  }
}

void TTestFrm::ExposeAnswers(bool Expose)
{
  if (Expose)
    SetAccessibleRoot(AnsPicBox, [this] { return std::make_shared<TAnswerStripNode>(this); });
  else
    SetAccessibleRoot(AnsPicBox, {});
}
