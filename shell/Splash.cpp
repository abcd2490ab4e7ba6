#include "shell/Splash.h"

#include "platform/Application.h"
#include "platform/Files.h"

TSplashFrm::TSplashFrm(const std::string& AppFolder) : FAppFolder(AppFolder)
{
  SetName("SplashFrm");
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  // It shows for a moment only: nothing, not even a program started meanwhile, covers it.
  SetKeptAboveAll(true);
  SetPosition(poScreenCenter);
  SetColor(clWhite);
  SetClientSize(400, 300);
  Pic = TComponent::Create<TImage>(this);
  Pic->SetName("Pic");
  Pic->SetAccessibleName("Orrelo");
  Pic->SetParent(this);
  Pic->SetAutoSize(true);
  OnShow = [this](TObject* Sender) { FormShow(Sender); };
  FormCreate();
}

void TSplashFrm::FormCreate()
{
  std::string file = FAppFolder + "HTML/images/Splash_B.jpg";
  // A picture that cannot be read is reported, and the program starts without it.
  if (FileExists(file))
    GuardedCall([&] { Pic->LoadFromFile(file); }, this);
}

void TSplashFrm::FormShow(TObject*)
{
  // Without a picture the window keeps its declared size.
  if (Pic->Picture().Empty())
    return;
  SetClientSize(Pic->Width(), Pic->Height());
  CenterOn(Screen().WorkAreaRect());
  // The picture is on the screen the moment the window maps, before the first paint.
  SetMappedPicture(Pic->Picture());
}
