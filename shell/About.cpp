#include "shell/About.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/ShellApi.h"
#include "shell/HelpContexts.h"

const char* const PublisherWebAddress = "https://www.orrelo.org";

TAboutFrm::TAboutFrm(const std::string& AppFolder) : FAppFolder(AppFolder)
{
  SetName("AboutFrm");
  SetHelpContext(IDH_ABOUT);
  SetCaption("About");
  SetBorderStyle(bsToolWindow);
  SetPosition(poMainFormCenter);
  SetClientSize(330, 330);
  // 8 points at the screen's resolution.
  Font().SetHeight(-MulDiv(8, ScreenPixelsPerInch(), 72));

  Panel1 = TComponent::Create<TPanel>(this);
  Panel1->SetName("Panel1");
  Panel1->SetParent(this);
  Panel1->SetBounds(8, 8, 314, 226);
  Panel1->SetColor(clWhite);
  Panel1->SetBevelOuter(bvLowered);

  Image1 = TComponent::Create<TImage>(this);
  Image1->SetName("Image1");
  Image1->SetAccessibleName("Orrelo");
  Image1->SetParent(Panel1);
  Image1->SetBounds(2, 2, 310, 200);
  Image1->SetAutoSize(true);

  auto label = [this](TWinControl* parent, const char* name, Integer x, Integer y) {
    TLabel* l = TComponent::Create<TLabel>(this);
    l->SetName(name);
    l->SetParent(parent);
    l->Font().Assign(Font());
    l->SetLeft(x);
    l->SetTop(y);
    return l;
  };
  VersionLabel = label(Panel1, "VersionLabel", 8, 206);

  Label1 = label(this, "Label1", 8, 244);
  Label1->SetCaption(PublisherWebAddress);
  Label1->Font().SetColor(clBlue);
  Label1->Font().SetStyle(fsUnderline);
  Label1->SetCursor(crHandPoint);
  Label1->OnClick = [this](TObject* Sender) { Label1Click(Sender); };

  Label4 = label(this, "Label4", 8, 264);
  Label4->SetCaption("Telephone: +44 (0)1632 960 000\nFax: +44 (0)1632 960 001");

  SpeedButton1 = TComponent::Create<TButton>(this);
  SpeedButton1->SetName("SpeedButton1");
  SpeedButton1->SetParent(this);
  SpeedButton1->SetBounds(247, 296, 75, 25);
  SpeedButton1->SetCaption("OK");
  SpeedButton1->Font().Assign(Font());
  SpeedButton1->OnClick = [this](TObject* Sender) { SpeedButton1Click(Sender); };
  // Enter and Escape both close the box, as its OK does.
  SpeedButton1->SetDefault(true);
  SpeedButton1->SetCancel(true);

  // Its words are read when it opens, as a message box's are.
  SetAccessibleAlert(true);
  FormCreate();
}

void TAboutFrm::FormCreate()
{
  std::string file = FAppFolder + "HTML/images/Splash_NB.jpg";
  if (FileExists(file))
    Image1->LoadFromFile(file);
  VersionLabel->SetCaption("Version " + VersionString());
  FitToPicture();
}

void TAboutFrm::FitToPicture()
{
  // The box is laid out for a picture of up to 310 by 200; a larger one widens the panel and
  // the box and moves what lies below it down, rather than being cut off and written over
  // by the version line.
  const Integer pw = std::max<Integer>(314, Image1->Width() + 4);
  const Integer ph = std::max<Integer>(226, Image1->Height() + 4 + 20);
  Panel1->SetBounds(8, 8, pw, ph);
  VersionLabel->SetTop(ph - 20);
  Label1->SetTop(8 + ph + 10);
  Label4->SetTop(Label1->Top() + 20);
  SpeedButton1->SetBounds(8 + pw - 75, Label4->Top() + 32, 75, 25);
  SetClientSize(pw + 16, SpeedButton1->Top() + 25 + 9);
}

void TAboutFrm::Label1Click(TObject*)
{
  // Without a browser to hand the address to, the user is told so rather than left waiting.
  if (!ShellOpen(PublisherWebAddress))
    throw Exception(std::string("The web page ") + PublisherWebAddress + " could not be opened.");
}

void TAboutFrm::SpeedButton1Click(TObject*) { SetModalResult(mrOk); }
