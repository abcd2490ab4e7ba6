// Layout work that must grow in step with the page: each character is measured a bounded
// number of times per layout at any width, and widths and cell heights asked again within
// one layout come from what was found already, however deep tables nest.
#include "tests/html/DocumentBuilderTestUtil.h"

namespace {

// Counts the characters measured.
class TCountingDevice : public TFixedMetricDevice {
public:
  using TFixedMetricDevice::TFixedMetricDevice;
  int64_t Measured = 0;
  void CharWidths(const TDeviceFont& font, const char16_t* text, size_t count, Integer* widths) override
  {
    Measured += static_cast<int64_t>(count);
    TFixedMetricDevice::CharWidths(font, text, count, widths);
  }
};

class ScaleTest : public DocumentBuilderTest {
protected:
  void SetUp() override
  {
    DocumentBuilderTest::SetUp();
    auto dev = std::make_unique<TCountingDevice>(2000, 2000);
    Counter = dev.get();
    Counting = std::make_unique<TCanvas>(std::move(dev));
    SetFontMeasureCanvas(Counting.get());
  }
  void TearDown() override
  {
    DocumentBuilderTest::TearDown();
    Counting.reset();
  }
  int64_t MeasuredByLayout(int32_t Width)
  {
    Counter->Measured = 0;
    int32_t sw = 0, curs = 0;
    Doc->DoLogic(*Counting, 0, Width, 600, sw, curs);
    return Counter->Measured;
  }
  TCountingDevice* Counter = nullptr;
  std::unique_ptr<TCanvas> Counting;
};

std::string Words(size_t Bytes)
{
  static const char* words[] = {"gear", "a", "mechanism", "of", "counterbalance", "to", "x", "crank-shaft"};
  std::string s;
  for (unsigned v = 1; s.size() < Bytes; v = v * 1103515245u + 12345u)
    s += std::string(words[(v >> 16) % std::size(words)]) + ' ';
  return s;
}

TEST_F(ScaleTest, EachCharacterIsMeasuredABoundedNumberOfTimesAtAnyWidth)
{
  // One paragraph of 20,000 characters; the width of the first line is known at once only
  // when the whole paragraph fits, so every width below measures line by line.
  Parse("<p>" + Words(20000) + "</p>");
  for (int32_t width : {0, 1, 37, 300, 800, 5000}) {
    SCOPED_TRACE(width);
    const int64_t measured = MeasuredByLayout(width);
    // Fitting, closing lines and the widest line each measure a line a few times; a
    // paragraph measured to its end for every line would take thousands of times as many.
    EXPECT_LT(measured, 12 * 20000);
  }
}

TEST_F(ScaleTest, NestedTablesAreMeasuredOncePerLevel)
{
  // Ten tables one inside the other around a paragraph: each level lays its cells out to
  // measure them and again to place them, and asks their widths more than once.
  std::string page;
  for (int i = 0; i < 10; ++i)
    page += "<table border=1><tr><td>";
  page += Words(2000);
  for (int i = 0; i < 10; ++i)
    page += "</td><td>x</td></tr></table>";
  Parse(page);
  const int64_t measured = MeasuredByLayout(800);
  // Twice per level and a few times for the widths: some 20 to 30 times the text. Without
  // keeping what a layout pass found, it is 2 to the 10th times the text.
  EXPECT_LT(measured, 60 * 2000);
  EXPECT_GT(measured, 2000);
  // A second layout is no dearer (a paragraph keeps its own widths between layouts).
  EXPECT_LE(MeasuredByLayout(800), measured);
}

}   // namespace
