// Panels placed in pages: their sizes, the host's events, placing with scrolling and the
// printed picture; and a picture of a page with a form, drawn with its controls.
#include <gtest/gtest.h>

#include "html/SmallSections.h"
#include "platform/CanvasFixed.h"
#include "platform/Forms.h"
#include "platform/ImageSave.h"
#include "tests/html/DocumentBuilderTestUtil.h"

namespace {

class PanelsTest : public DocumentBuilderTest {
protected:
  struct TPanelHost : THost {
    TWinControl* Panel = nullptr;
    TWinControl* PaintPanel() override { return Panel; }
  };
  void SetUp() override
  {
    DocumentBuilderTest::SetUp();
    Window = std::make_unique<TForm>();
    Window->SetBounds(0, 0, 500, 400);
    Paint = std::make_unique<TPanel>();
    Paint->SetParent(Window.get());
    Paint->SetAlign(alClient);
    PanelHost.Panel = Paint.get();
    Doc = std::make_unique<TSectionList>(&PanelHost, nullptr);
    Doc->BitmapList = &Cache;
    Doc->SetFonts("Times New Roman", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10,
                  12);
  }
  void TearDown() override
  {
    Doc.reset();
    Window.reset();
    DocumentBuilderTest::TearDown();
  }
  TPanelObj* PanelAt(size_t I) const { return dynamic_cast<TPanelObj*>(Doc->PanelList.at(I)); }

  TPanelHost PanelHost;
  std::unique_ptr<TForm> Window;
  std::unique_ptr<TPanel> Paint;
};

using Panels = PanelsTest;

TEST_F(Panels, CreateEventAndSizes)
{
  std::vector<std::string> created;
  std::vector<ThvPanel*> destroyed;
  Doc->PanelCreate = [&](TObject*, const std::string& Name, ThvPanel* P, const std::string& Src,
                         const std::string& Value) {
    created.push_back(Name + "|" + Src + "|" + Value);
    if (Name == "big")
      P->SetBounds(P->Left(), P->Top(), 120, 90);
  };
  Doc->PanelDestroy = [&](TObject*, ThvPanel* P) { destroyed.push_back(P); };
  Parse(
      "<p>a<panel name=plain>b<panel name=half width='50%' ratio=0.5 src=s value=v>"
      "<panel name=big><panel width=70 height=25 hspace=99 vspace=-7 align=left ratio=nan></p>");
  ASSERT_EQ(Doc->PanelList.size(), 4u);
  EXPECT_EQ(created, (std::vector<std::string>{"plain||", "half|s|v", "big||", "||"}));
  TPanelObj* plain = PanelAt(0);
  EXPECT_EQ(plain->Panel->Name(), "plain") << "the element's NAME names the panel";
  EXPECT_EQ(PanelAt(1)->Panel->Name(), "half");
  EXPECT_EQ(PanelAt(3)->Panel->Name(), "");
  EXPECT_EQ(plain->Panel->Parent(), Paint.get());
  EXPECT_EQ(plain->ImageWidth, 30) << "without a handler an empty box of 30 by 20";
  EXPECT_EQ(plain->ImageHeight, 20);
  EXPECT_EQ(plain->Panel->Color(), clWhite);
  EXPECT_EQ(plain->HSpaceL, 3);
  EXPECT_EQ(PanelAt(2)->ImageWidth, 120) << "the host's size counts";
  TPanelObj* sized = PanelAt(3);
  EXPECT_EQ(sized->ImageWidth, 70);
  EXPECT_EQ(sized->ImageHeight, 25);
  EXPECT_EQ(sized->HSpaceL, 40);
  EXPECT_EQ(sized->VSpaceT, 7);
  EXPECT_EQ(sized->ObjAlign, ALeft);
  EXPECT_EQ(sized->Ratio, 0.0) << "a ratio that is no number is ignored";

  // Half of a 400 pixel column with a ratio of 0.5: 200 by 100.
  int32_t sw = 0, curs = 0;
  Doc->DoLogic(*Canvas, 0, 400 + 2 * 10, 1000, sw, curs);
  TPanelObj* half = PanelAt(1);
  TSection* s = SectionWith(u"a");
  ASSERT_NE(s, nullptr);
  half->DrawLogic(Doc.get(), *Canvas, nullptr, 400);
  EXPECT_EQ(half->ImageWidth, 200);
  EXPECT_EQ(half->ImageHeight, 100);
  EXPECT_EQ(half->Panel->Width(), 200);

  ThvPanel* first = plain->Panel.get();
  Doc->Clear();
  EXPECT_EQ(destroyed.size(), 4u);
  EXPECT_NE(std::find(destroyed.begin(), destroyed.end(), first), destroyed.end());
  EXPECT_EQ(Paint->ControlCount(), 0);
}

TEST_F(Panels, PlacedWhenDrawnAndHiddenWhenScrolledAway)
{
  Parse("<p>text <panel name=p align=top></p>");
  int32_t sw = 0, curs = 0;
  Doc->DoLogic(*Canvas, 0, 400, 1000, sw, curs);
  TPanelObj* p = PanelAt(0);
  Doc->SetYOffset(0);
  Doc->Draw(*Canvas, Rect(0, 0, 400, 300), 400, 0, 0, 0);
  EXPECT_TRUE(p->Shown());
  EXPECT_TRUE(p->Panel->Visible());
  EXPECT_GE(p->Panel->Left(), 0);
  EXPECT_EQ(p->Panel->Top(), p->DrawYY);
  // A panel the host marked not shown stays hidden.
  p->Panel->Shown = false;
  Doc->SetYOffset(0);
  Doc->Draw(*Canvas, Rect(0, 0, 400, 300), 400, 0, 0, 0);
  EXPECT_FALSE(p->Panel->Visible());
  p->Panel->Shown = true;
  // Scrolled far below it, the panel is not drawn and so is hidden.
  Doc->SetYOffset(3000);
  Doc->Draw(*Canvas, Rect(0, 0, 400, 300), 400, 0, 0, 0);
  EXPECT_FALSE(p->Shown());
  EXPECT_FALSE(p->Panel->Visible());
}

TEST_F(Panels, PrintingCopyDrawsTheHostsPictureOrAFramedBox)
{
  Parse("<p><panel name=a alt='Panel text' width=80 height=40><panel name=b width=50 height=30></p>");
  int32_t sw = 0, curs = 0;
  Doc->DoLogic(*Canvas, 0, 400, 1000, sw, curs);
  int printed = 0;
  {
    // Without a print handler: a framed box with the alternative text.
    TSectionList copy(*Doc);
    copy.DoLogic(*Canvas, 0, 400, 1000, sw, curs);
    Device->ClearRecords();
    copy.Draw(*Canvas, Rect(0, 0, 400, 300), 400, 0, 0, 0);
    const auto texts = Device->Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"Panel"), texts.end());
    int boxes = 0;
    const TCanvasRecord* box = nullptr;
    const TCanvasRecord* text = nullptr;
    for (const auto& r : Device->Records) {
      if (r.Kind == TCanvasRecord::Shape && r.ShapeKind == TShape::Rectangle) {
        ++boxes;
        if (r.Rect.Right - r.Rect.Left == 80)
          box = &r;
      }
      if (r.Kind == TCanvasRecord::TextOut && r.Text == u"Panel")
        text = &r;
    }
    EXPECT_EQ(boxes, 2);
    // The text hangs 5 pixels inside the box, though the line around it writes on its baseline.
    ASSERT_TRUE(box && text);
    EXPECT_GT(text->Point.Y, box->Rect.Top + 5);
    EXPECT_LT(text->Point.Y, box->Rect.Bottom);
    EXPECT_GE(text->Point.X, box->Rect.Left + 5);
  }
  Doc->PanelPrint = [&](TObject*, ThvPanel* P, TBitmap& B) {
    ++printed;
    EXPECT_EQ(B.Width(), P->Width());
    B.Canvas().FillRect(Rect(0, 0, B.Width(), B.Height()), clRed);
  };
  PanelAt(1)->Panel->Shown = false;
  TSectionList copy(*Doc);
  copy.DoLogic(*Canvas, 0, 400, 1000, sw, curs);
  Device->ClearRecords();
  copy.Draw(*Canvas, Rect(0, 0, 400, 300), 400, 0, 0, 0);
  EXPECT_EQ(printed, 1) << "a panel not shown is not printed";
  bool image = false;
  for (const auto& r : Device->Records)
    image = image || r.Kind == TCanvasRecord::Image;
  EXPECT_TRUE(image);
}

// ---- a page with a form, drawn on the screen's canvas ----

// The paint panel draws the document; its children are the controls.
class TDocPanel : public TCustomControl {
public:
  TSectionList* Doc = nullptr;

protected:
  void Paint() override
  {
    TCanvas& c = Canvas();
    c.FillRect(ClientRect(), clWhite);
    Doc->Draw(c, ClientRect(), Width(), 0, 0, 0);
  }
};

TEST(FormPicture, PageWithAFormShowsItsControls)
{
  SetFontMeasureCanvas(nullptr);
  TForm window;
  window.SetBounds(0, 0, 520, 420);
  TDocPanel paint;
  paint.SetParent(&window);
  paint.SetAlign(alClient);
  struct THost : THtmlDocHost {
    TWinControl* Panel = nullptr;
    TWinControl* PaintPanel() override { return Panel; }
  } host;
  host.Panel = &paint;
  TStringBitmapList cache;
  TSectionList doc(&host, nullptr);
  doc.BitmapList = &cache;
  paint.Doc = &doc;
  doc.SetFonts("Arial", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10, 12);
  THtmlParseContext ctx;
  ParseHTMLDocument(
      "<h3>Order form</h3><form action=/order>"
      "<p>Name: <input name=name value='Ada Lovelace' size=24></p>"
      "<p>Password: <input type=password name=pw value=secret size=10></p>"
      "<p>Gears: <select name=g><option>Spur<option selected>Bevel<option>Worm</select> "
      "Extras: <select name=x multiple size=3><option selected>Oil<option>Grease<option selected>Chain</select></p>"
      "<p><input type=checkbox name=c checked> Catalogue <input type=radio name=r value=1 checked> Post "
      "<input type=radio name=r value=2> Collect</p>"
      "<p><textarea name=t rows=3 cols=30>A note\r\nover two lines</textarea></p>"
      "<p><input type=submit value=Send> <input type=reset></p></form>",
      doc, ctx);
  int32_t sw = 0, curs = 0;
  TBitmap b(520, 420, TPixelFormat::pf32bit);
  doc.DoLogic(b.Canvas(), 0, 520, 420, sw, curs);
  paint.SetBounds(0, 0, 520, 420);
  paint.PaintTo(b.Canvas(), 0, 0);

  std::vector<uint8_t> pixels(static_cast<size_t>(b.Width()) * b.Height() * 4);
  for (int32_t y = 0; y < b.Height(); ++y)
    std::copy_n(b.ScanLine(y), b.Width() * 4, pixels.data() + static_cast<size_t>(y) * b.Width() * 4);
  SavePixelsToPng(std::string(ORRELO_TEST_OUTPUT) + "/html_form_page.png", b.Width(), b.Height(), pixels.data(), false);

  // Every control was placed on the page, inside the picture.
  ASSERT_EQ(doc.FormControlList.size(), 10u);
  for (TFormControlObj* c : doc.FormControlList) {
    EXPECT_GE(c->TheControl->Left(), 0);
    EXPECT_LE(c->TheControl->Left() + c->Width, 520);
    EXPECT_GE(c->TheControl->Top(), 0);
    EXPECT_LE(c->TheControl->Top() + c->Height, 420);
  }
  // The edit's white box is drawn inside its sunken frame.
  TFormControlObj* edit = doc.FormControlList[0];
  EXPECT_EQ(b.Canvas().GetPixel(edit->TheControl->Left() + edit->Width - 4, edit->TheControl->Top() + 4), clWhite);

  // The printing copy draws pictures of the controls instead, written for a look.
  {
    TSectionList copy(doc);
    TBitmap pb(520, 420, TPixelFormat::pf32bit);
    pb.Canvas().FillRect(Rect(0, 0, 520, 420), clWhite);
    copy.DoLogic(pb.Canvas(), 0, 520, 420, sw, curs);
    copy.Draw(pb.Canvas(), Rect(0, 0, 520, 420), 520, 0, 0, 0);
    for (int32_t y = 0; y < pb.Height(); ++y)
      std::copy_n(pb.ScanLine(y), pb.Width() * 4, pixels.data() + static_cast<size_t>(y) * pb.Width() * 4);
    SavePixelsToPng(std::string(ORRELO_TEST_OUTPUT) + "/html_form_page_printed.png", pb.Width(), pb.Height(),
                    pixels.data(), false);
    // The edit's text is inside its frame: dark pixels in the frame's lower half.
    int dark = 0;
    for (int32_t y = edit->YValue + edit->Height / 2; y < edit->YValue + edit->Height - 2; ++y)
      for (int32_t x = 4; x < edit->Width - 4; ++x)
        if ((ColorToRGB(pb.Canvas().GetPixel(x + edit->TheControl->Left(), y)) & 0xFF) < 0x80)
          ++dark;
    EXPECT_GT(dark, 10);
  }
  doc.Clear();
}

}   // namespace
