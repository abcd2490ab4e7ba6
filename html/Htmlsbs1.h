// Small sections of their own: a forced page break for printing, the horizontal rule of an
// HR tag, and preformatted text whose lines never wrap.
#pragma once

#include <cstdint>
#include <memory>

#include "html/Htmlsubs.h"

// Ends the printed page where it stands; draws nothing.
class TPage : public TSectionBase {
public:
  using TSectionBase::TSectionBase;
  TPage(TSectionList* AMasterList, const TPage& T) : TSectionBase(AMasterList, T) {}
  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef, int32_t YRef) override;
};

// A horizontal rule: solid in its colour, or etched when it has none.
class THorzLine : public TSectionBase {
public:
  // Reads COLOR, NOSHADE, SIZE, ALIGN and WIDTH; writes width, height and colour back into
  // Prop for the block that holds the rule.
  THorzLine(TSectionList* AMasterList, TAttributeList* L, TProperties& Prop);
  THorzLine(TSectionList* AMasterList, const THorzLine& T);

  int32_t VSize = 2;
  TColor Color = NoColor;
  int32_t Align = 2;   // 1 left, 2 centre, 3 right
  bool NoShade = false;
  int32_t Indent = 0;
  int32_t Width = 0;

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr, int32_t& MaxWidth,
                 int32_t& Curs) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef, int32_t YRef) override;
};

// A line of preformatted text: laid out without wrapping.
class TPreFormated : public TSection {
public:
  using TSection::TSection;
  TPreFormated(TSectionList* AMasterList, const TPreFormated& T);

  void Finish() override;
  bool IsPreformatted() const override { return true; }
  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  void MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max) override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr, int32_t& MaxWidth,
                 int32_t& Curs) override;

private:
  int32_t FullWidth = -1;   // width of the whole text, measured once
};
