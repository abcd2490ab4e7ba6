// Random paragraphs with every kind of character and object, at hostile widths: layout,
// drawing, hit tests, find and copy must stay in bounds (the sanitizers watch).
#include <random>

#include "tests/html/DocumentTestUtil.h"

namespace {

using RobustTest = HtmlsubsTest;

TEST_F(RobustTest, RandomDocumentsAtRandomWidths)
{
  std::mt19937 rng(12345);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  const char16_t alphabet[] = {u'a',   u'b',  u' ',   u' ',  u'-', u'?',   0x4E00,
                               0x00A0, BrkCh, ImgPan, FmCtl, u'x', 0xD83D, 0xDE00};
  TProperties big, just, pre;
  big.Props[FontSize] = 30.0;
  just.Props[TextAlign] = std::string("justify");
  just.Props[TextIndent] = std::string("50%");
  Doc->ShowImages = false;

  for (int round = 0; round < 40; ++round) {
    Doc->Clear();
    const int paras = 1 + pick(6);
    for (int p = 0; p < paras; ++p) {
      auto s = Para(u"", pick(3) == 0 ? &just : nullptr);
      const int n = pick(60);
      int32_t src = 0;
      for (int i = 0; i < n; ++i) {
        switch (pick(12)) {
        case 0: {
          static const char* aligns[] = {"left", "right", "top", "middle", "bottom"};
          auto a = Attrs({{AlignSy, 0, aligns[pick(5)]},
                          {WidthSy, pick(300) - 20, "w"},
                          {HeightSy, pick(200), "h"},
                          {HSpaceSy, pick(100) - 50, "s"},
                          {VSpaceSy, pick(100) - 50, "v"}});
          s->AddImage(*a, Prop, src++);
          break;
        }
        case 1: s->ChangeFont(pick(2) ? big : Prop); break;
        default: s->AddChar(alphabet[pick(static_cast<int>(std::size(alphabet)))], src++); break;
        }
      }
      Doc->Add(std::move(s));
    }
    for (int32_t width : {0, 1, 7, 50, 333, 2000}) {
      Layout(width);
      Doc->Draw(*Canvas, Rect(0, 0, std::max(width, 1), 400), width, 0, 0, 0);
      Doc->YOff = 20;
      Doc->Draw(*Canvas, Rect(0, 0, std::max(width, 1), 100), width, 0, 0, 0);
      Doc->YOff = 0;
      for (int k = 0; k < 10; ++k) {
        const int32_t x = pick(width + 40) - 20, y = pick(600) - 20;
        TLinkInfo info;
        Doc->LinkAt(*Canvas, x, y, info);
        TCursorInfo ci;
        const int32_t pos = Doc->CursorAt(*Canvas, x, y, ci);
        int32_t cx = 0, cy = 0;
        if (pos >= 0) {
          EXPECT_TRUE(Doc->CursorToXY(*Canvas, pos, cx, cy));
        }
        int32_t ix = 0, iy = 0;
        Doc->ObjectAt(x, y, ix, iy);
      }
    }
    const int32_t len = Doc->DocLength();
    Doc->SelB = pick(len + 2) - 1;
    Doc->SelE = pick(len + 2);
    std::u16string sel = Doc->GetSelText();
    EXPECT_LE(sel.size(), static_cast<size_t>(2 * len + 2 * paras + 2));
    Doc->FindString(pick(len + 1), u"a", pick(2) == 0);
    Doc->FindStringBackward(pick(len + 1), u"b ", pick(2) == 0);
    for (int k = 0; k < 5; ++k) {
      const int32_t sp = pick(400) - 10;
      Doc->DocPosOfList(sp, k % 2 == 0);
      Doc->SourcePosOf(pick(len + 2) - 1);
    }
    int32_t mn = 0, mx = 0;
    Doc->MinMaxWidth(*Canvas, mn, mx);
    EXPECT_LE(mn, mx);
    TSectionList copy(*Doc);
    int32_t sw = 0, curs = 0;
    copy.DoLogic(*Canvas, 0, 300, 500, sw, curs);
    copy.Printing = true;
    copy.Draw(*Canvas, Rect(0, 0, 300, 120), 300, 0, 0, 0);
  }
}

}   // namespace
