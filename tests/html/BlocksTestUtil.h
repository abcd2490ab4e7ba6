// Blocks, rules and tables built by hand on the fixed-metric document (lines 16 pixels
// high, characters 8 pixels wide).
#pragma once

#include <initializer_list>
#include <utility>

#include "html/SmallSections.h"
#include "tests/html/DocumentTestUtil.h"

class BlocksTestBase : public HtmlsubsTest {
protected:
  // Properties of an element with style values as a sheet writes them.
  TProperties& Style(const std::string& Tag, std::initializer_list<std::pair<int, std::string>> Values = {})
  {
    auto p = std::make_unique<TProperties>();
    p->PropTag = Tag;
    for (const auto& [index, value] : Values)
      SetPropertyText(*p, index, value, false);
    Styles.push_back(std::move(p));
    return *Styles.back();
  }

  template <class T = TBlock, class... A>
  T* AddBlock(TCellBasic& Cell, TProperties& P, A&&... Args)
  {
    auto b = std::make_unique<T>(Doc.get(), P, &Cell, std::forward<A>(Args)..., nullptr);
    T* raw = b.get();
    Cell.Add(std::move(b));
    return raw;
  }

  TSection* AddText(TCellBasic& Cell, const std::u16string& Text)
  {
    auto s = Para(Text);
    TSection* raw = s.get();
    Cell.Add(std::move(s));
    return raw;
  }

  void DrawAll(int32_t Width = 1000, int32_t Height = 2000)
  {
    Device->ClearRecords();
    Doc->Draw(*Canvas, Rect(0, 0, Width, Height), Width, 0, 0, 0);
  }

  // The printing copy of the document, laid out 200 pixels wide and ready to print.
  std::unique_ptr<TSectionList> PrintingCopy()
  {
    auto copy = std::make_unique<TSectionList>(*Doc);
    int32_t sw = 0, curs = 0;
    copy->DoLogic(*Canvas, 0, 200, 1000, sw, curs);
    copy->Printing = true;
    copy->YOff = 0;
    return copy;
  }

  std::vector<const TCanvasRecord*> Records(TCanvasRecord::TKind Kind) const
  {
    std::vector<const TCanvasRecord*> v;
    for (const TCanvasRecord& r : Device->Records)
      if (r.Kind == Kind)
        v.push_back(&r);
    return v;
  }

  std::vector<std::unique_ptr<TProperties>> Styles;
};
