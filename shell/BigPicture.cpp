#include "shell/BigPicture.h"

#include "html/GifAnimation.h"
#include "html/Pictures.h"
#include "platform/Clipboard.h"
#include "platform/Files.h"
#include "shell/HelpContexts.h"

namespace {

// Largest picture file copied whole through memory.
constexpr size_t MaxCopySize = size_t(512) << 20;

// The picture of a page image file: GIF by its extension, the others by their first bytes.
TBitmap LoadPicture(const std::string& fileName)
{
  if (UpperCase(ExtractFileExt(fileName)) == ".GIF") {
    bool nonAnimated = true;
    std::unique_ptr<TGIFImage> gif = CreateAGifFromFile(fileName, nonAnimated);
    if (gif)
      if (TBitmap* b = gif->GetBitmap())
        return *b;
  } else {
    TTransparency transparent = NotTransp;
    std::unique_ptr<TBitmap> mask;
    if (std::unique_ptr<TBitmap> b = LoadImageFromFile(fileName, transparent, mask))
      return *b;
  }
  throw EInvalidGraphic("Unable to load the picture " + fileName);
}

}   // namespace

bool CopyPictureFile(const std::string& Source, const std::string& Destination)
{
  std::string dest = ChangeFileExt(Destination, ExtractFileExt(Source));
  try {
    WriteFileBytes(dest, ReadFileBytes(Source, MaxCopySize));
    return true;
  } catch (const Exception& e) {
    // The reason goes below, so that a full disk is told from a missing picture.
    MessageDlg("Unable to copy file\r" + dest + "to the specified destination\r\n" + e.Message, mtError, mbOK);
    return false;
  }
}

TBigPicFrm::TBigPicFrm(const std::string& AFileName) : FileName(AFileName)
{
  SetName("BigPicFrm");
  SetHelpContext(IDH_ENLARGED_PICTURE);
  SetCaption(" ");
  // Its title bar says nothing; readers are told what the window is.
  SetAccessibleName("Enlarged picture");
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);

  MagPic = TComponent::Create<TImage>(this);
  MagPic->SetName("MagPic");
  MagPic->SetAccessibleName("Enlarged picture");
  MagPic->SetParent(this);
  MagPic->SetAutoSize(true);
  MagPic->OnClick = [this](TObject* Sender) { MagPicClick(Sender); };
  MagPic->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    MagPicMouseUp(Sender, Button, Shift, X, Y);
  };

  FMenu = std::make_unique<TTBRootItem>();
  PUM = FMenu.get();
  CopyToClipboard1 = PUM->AddNew<TTBCustomItem>();
  CopyToClipboard1->SetCaption("Copy picture to clipboard");
  CopyToClipboard1->OnClick = [this](TObject* Sender) { CopyToClipboard1Click(Sender); };
  CopyToFile1 = PUM->AddNew<TTBCustomItem>();
  CopyToFile1->SetCaption("Copy picture to file..");
  CopyToFile1->OnClick = [this](TObject* Sender) { CopyToFile1Click(Sender); };

  SaveDlg = TComponent::Create<TSaveDialog>(this);
  SaveDlg->SetName("SaveDlg");
  SaveDlg->Title = "Copy the picture to a file";
  SaveDlg->Options |= ofOverwritePrompt;

  MagPic->SetPicture(LoadPicture(FileName));
  // The window's frame lies outside its client area here: the client is the picture.
  SetClientSize(MagPic->Width(), MagPic->Height());
}

TBigPicFrm::~TBigPicFrm() = default;

void TBigPicFrm::MagPicClick(TObject*) { SetModalResult(mrOk); }

void TBigPicFrm::MagPicMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y)
{
  if (Button != mbRight)
    return;
  TrackPopupItem(PUM, MagPic->ClientToScreen({X, Y}), tbpaLeft);
}

void TBigPicFrm::CopyToClipboard1Click(TObject*) { Clipboard().Assign(MagPic->Picture()); }

void TBigPicFrm::CopyToFile1Click(TObject*)
{
  std::string ext = ExtractFileExt(FileName);
  SaveDlg->DefaultExt = ext;
  SaveDlg->Filter = "pictures files|*" + ext;
  SaveDlg->FileName = ExtractFileName(FileName);
  SaveDlg->InitialDir = InitialDir;
  if (SaveDlg->Execute())
    CopyPictureFile(FileName, SaveDlg->FileName);
}

void TBigPicFrm::KeyDown(Word& key, TShiftState shift)
{
  if (key != VK_ESCAPE)
    return TDialogForm::KeyDown(key, shift);
  key = 0;
  MagPicClick(MagPic);   // as a click on the picture
}
