// A small document on the fixed-metric canvas: the default font is 16 pixels high, every
// character 8 pixels wide, descent 3.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "html/Document.h"
#include "platform/CanvasFixed.h"

class HtmlsubsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Canvas = CreateFixedMetricCanvas(2000, 2000, &Device);
    SetFontMeasureCanvas(Canvas.get());
    Doc = std::make_unique<TSectionList>(&Host, nullptr);
    Doc->BitmapList = &Cache;
  }
  void TearDown() override
  {
    Doc.reset();
    SetFontMeasureCanvas(nullptr);
  }

  struct THost : THtmlDocHost {
    int Invalidated = 0;
    std::vector<int32_t> Progress;
    void InvalidatePaintPanel() override { ++Invalidated; }
    void DoProgress(int32_t Stage, int32_t Percent) override { Progress.push_back(Percent); }
  };

  static TokenObj Token(const std::u16string& S, int32_t From = 0)
  {
    TokenObj t;
    for (size_t i = 0; i < S.size(); ++i)
      t.AddUnicodeChar(S[i], From + static_cast<int32_t>(i));
    return t;
  }

  // A new paragraph (not yet added to the document).
  std::unique_ptr<TSection> Para(const std::u16string& Text = u"", TProperties* P = nullptr,
                                 TAttributeList* L = nullptr, const TUrlTarget* Link = nullptr)
  {
    auto s = std::make_unique<TSection>(Doc.get(), L, P ? *P : Prop, Link);
    if (!Text.empty())
      s->AddTokenObj(Token(Text));
    return s;
  }

  TSection* AddPara(const std::u16string& Text, TProperties* P = nullptr)
  {
    auto s = Para(Text, P);
    TSection* raw = s.get();
    Doc->Add(std::move(s));
    return Doc->Count() > 0 && Doc->Last() == raw ? raw : nullptr;
  }

  int32_t Layout(int32_t Width)
  {
    int32_t sw = 0, curs = 0;
    return Doc->DoLogic(*Canvas, 0, Width, 1000, sw, curs);
  }

  static std::u16string LineText(const TSection& S, int I)
  {
    const LineRec* l = S.Lines[I];
    return S.BuffS.substr(static_cast<size_t>(l->Start), static_cast<size_t>(l->Ln));
  }

  static std::unique_ptr<TAttributeList> Attrs(
      std::initializer_list<std::tuple<THtmlSymbol, int32_t, std::string>> List)
  {
    auto a = std::make_unique<TAttributeList>();
    for (const auto& [sy, v, n] : List)
      a->Add(std::make_unique<TAttribute>(sy, v, n));
    return a;
  }

  THost Host;
  TStringBitmapList Cache;
  TFixedMetricDevice* Device = nullptr;
  std::unique_ptr<TCanvas> Canvas;
  std::unique_ptr<TSectionList> Doc;
  TProperties Prop;
};
