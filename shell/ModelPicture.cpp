#include "shell/ModelPicture.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "engine/GLViewer.h"
#include "platform/Application.h"
#include "platform/Clipboard.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "platform/JpegImage.h"
#include "platform/Printers.h"
#include "shell/BigPicture.h"
#include "shell/DialogControls.h"
#include "shell/DibPrinting.h"
#include "shell/HelpContexts.h"
#include "shell/PrintHelpers.h"
#include "shell/UserInfo.h"

namespace {

std::string FolderOf(const std::string& fileName)
{
  size_t p = fileName.find_last_of("/\\");
  return p == std::string::npos ? std::string() : fileName.substr(0, p + 1);
}

void Inform(const std::string& text) { MessageDlg(text, mtInformation, mbOK); }

std::string DibErrorText(Integer code)
{
  switch (code) {
  case BAD_PARAMETER: return "BAD_PARAMETER";
  case MEMORY_ALLOC_FAILED: return "MEMORY_ALLOC_FAILED";
  case MEMORY_READ_FAILED: return "MEMORY_READ_FAILED";
  case MEMORY_WRITE_FAILED: return "MEMORY_WRITE_FAILED";
  case USER_ABORT_OR_OTHER_ERROR: return "USER_ABORT_OR_OTHER_ERROR!";
  default: return "";
  }
}

bool SameFile(const std::string& a, const std::string& b)
{
  std::error_code ec;
  return std::filesystem::equivalent(ResolveFileName(a), ResolveFileName(b), ec) && !ec;
}

}   // namespace

// ---------------------------------------------------------------------------------------
// The preview dialog

namespace {

// The page the picture will print on (paper, orientation, margins): the print dialog proposes
// a queue's own paper whatever the last job used, turned as it was. An A4 sheet without
// margins when the printer cannot say.
TPrinterPageInfo PreviewPage()
{
  TPrinterPageInfo info;
  try {
    if (!Printer().Printing())
      Printer().UseQueuePaper();
    if (GetPrinterPageInfo(Printer().Handle(), &info) && info.PhysicalWidth > 0 && info.PhysicalHeight > 0
        && info.UsableWidth > 0 && info.UsableHeight > 0)
      return info;
  } catch (const Exception&) {}
  info = TPrinterPageInfo();
  info.PhysicalWidth = info.UsableWidth = 210;
  info.PhysicalHeight = info.UsableHeight = 297;
  return info;
}

}   // namespace

TTarvPPFrm::TTarvPPFrm(const TBitmap& Bitmap)
{
  SetName("TarvPPFrm");
  // F1 opens the page about printing the picture, which tells of this box's two buttons.
  SetHelpContext(IDH_PICTURE_PREVIEW);
  SetCaption("Print preview");
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  Font().SetHeight(-MulDiv(8, ScreenPixelsPerInch(), 72));

  // The sheet the picture will be printed on, turned as the printer's paper is, its longer
  // side SheetSide pixels, with the picture where the print puts it: fitted to the page
  // within an even margin and centred.
  constexpr Integer SheetSide = 300, Gap = 12;
  const TPrinterPageInfo page = PreviewPage();
  const bool wide = page.PhysicalWidth > page.PhysicalHeight;
  const Integer sheetW = wide ? SheetSide : std::max(1, MulDiv(SheetSide, page.PhysicalWidth, page.PhysicalHeight));
  const Integer sheetH = wide ? std::max(1, MulDiv(SheetSide, page.PhysicalHeight, page.PhysicalWidth)) : SheetSide;
  PagePanel = AddDialogControl<TPanel>(*this, "PagePanel");
  PagePanel->SetBounds(Gap, Gap, sheetW, sheetH);
  PagePanel->SetColor(clWhite);
  PagePanel->SetBevelOuter(bvRaised);
  PagePanel->SetCaption("");
  Image = AddDialogControl<TImage>(*this, "Image");
  Image->SetStretch(true);
  const TRect dest = FitPictureOnPage(Bitmap.Width(), Bitmap.Height(), page.UsableWidth, page.UsableHeight);
  const double scale = double(sheetW) / page.PhysicalWidth;
  auto onSheet = [&](Integer device) { return Round(device * scale); };
  const Integer left = onSheet(page.MarginLeft + dest.Left), top = onSheet(page.MarginTop + dest.Top);
  const Integer w = dest.Width() > 0 ? std::max(1, onSheet(page.MarginLeft + dest.Right) - left) : 0;
  const Integer h = dest.Height() > 0 ? std::max(1, onSheet(page.MarginTop + dest.Bottom) - top) : 0;
  Image->SetBounds(PagePanel->Left() + left, PagePanel->Top() + top, w, h);
  Image->SetPicture(Bitmap);

  const Integer buttonsX = Gap + sheetW + 20;
  SetClientSize(buttonsX + 84 + Gap, std::max(Gap + sheetH + Gap, 44 + 25 + Gap));
  PrintBtn = AddDialogButton(*this, "PrintBtn", "Print", Bounds(buttonsX, 12, 84, 25), mrNone);
  PrintBtn->SetDefault(true);
  PrintBtn->OnClick = [this](TObject* s) { PrintBtnClick(s); };
  CancelBtn = AddDialogButton(*this, "CancelBtn", "Cancel", Bounds(buttonsX, 44, 84, 25), mrCancel);
  CancelBtn->SetCancel(true);
  PrintDlg = TComponent::Create<TPrintDialog>(this);
  PrintDlg->SetName("PrintDlg");
}

void TTarvPPFrm::PrintBtnClick(TObject*)
{
  if (PrintDlg->Execute())
    SetModalResult(mrOk);
}

// ---------------------------------------------------------------------------------------
// The model's picture

std::unique_ptr<TBitmap> TakeSnapshot(TGLSceneViewer& View)
{
  std::unique_ptr<TGLBitmap32> shot = View.GetBuffer()->CreateSnapshot();
  if (!shot || shot->Width() < 1 || shot->Height() < 1)
    return nullptr;
  return shot->ToBitmap();
}

TRect FitPictureOnPage(Integer DibWidth, Integer DibHeight, Integer W, Integer H)
{
  if (DibWidth < 1 || DibHeight < 1 || W < 1 || H < 1)
    return Rect(0, 0, 0, 0);
  const double x = double(W) / DibWidth, y = double(H) / DibHeight;
  if (y <= x) {
    const Integer width = SafeTrunc(DibWidth * y);
    return Bounds(W / 2 - width / 2, 0, width, H);
  }
  const Integer height = SafeTrunc(DibHeight * x);
  return Bounds(0, H / 2 - height / 2, W, height);
}

bool PrintBitmap(const TBitmap& Bitmap, const std::string& Title)
{
  TPrinter& printer = Printer();
  if (printer.Printing()) {
    Inform("Already printing... Please try again later!");
    return false;
  }
  std::vector<uint8_t> header, bits;
  Integer dibW = 0, dibH = 0;
  if (Bitmap.Empty() || !LoadDIBFromBitmap(Bitmap, header, bits, dibW, dibH) || dibW < 1 || dibH < 1) {
    Inform("Bitmap load error");
    return false;
  }
  // How the job ended is told once the program works again, from the window the job was
  // started from: the box belongs to that window, and closing it gives the window the keyboard
  // back (its menu bar then looks and works as before the job).
  TCustomForm* opener = Screen().ActiveForm();
  // While it prints, no window of the program takes input: the job is the program's only
  // business (and no second job can be started from another window).
  std::optional<TWindowsDisabled> disabled(std::in_place);
  auto tell = [&](const std::string& text, TMsgDlgType type) {
    disabled.reset();
    if (Screen().HasForm(opener) && opener->Showing() && opener->Enabled())
      opener->Activate();
    MessageDlg(text, type, mbOK);
  };
  printer.Title = Title;
  try {
    printer.BeginDoc();
  } catch (const Exception& e) {
    tell(e.what(), mtError);
    return false;
  }
  // From here every way out ends the job one way or the other.
  std::unique_ptr<TAbortDialog> dialog = CreateAbortDialog();
  auto abortJob = [&] {
    if (dialog)
      FreeAbortDialog(dialog);
    if (printer.Printing())
      GuardedCall([&] { printer.Abort(); });
  };
  if (!dialog) {
    abortJob();
    tell("Abort dialog could not be created!", mtInformation);
    return false;
  }
  try {
    TPrinterPageInfo info;
    GetPrinterPageInfo(printer.Handle(), &info);
    const Integer W = info.UsableWidth, H = info.UsableHeight;
    if (W < 1 || H < 1) {
      abortJob();
      tell("BAD_PARAMETER", mtInformation);
      return false;
    }
    const TRect dest = FitPictureOnPage(dibW, dibH, W, H);
    const Integer column = 1, row = 1;
    const std::string page = "Printing Page " + IntToStr(column) + ":" + IntToStr(row);
    SetAbortDialogText(dialog.get(), page + " - 0%");
    if (AbortDialogCancelled(dialog.get())) {
      abortJob();
      tell("Printing Aborted!", mtInformation);
      return false;
    }
    TCanvas& canvas = printer.Canvas();
    const int saved = canvas.SaveDC();
    canvas.SetWindowOrgEx(-info.PageOriginX, -info.PageOriginY);
    canvas.IntersectClipRect(0, 0, W, H);
    TAbortDialog* dlg = dialog.get();
    const Integer result = PrintDIB(printer.Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), 0, 0, dibW,
                                    dibH, header.data(), header.size(), bits.data(), bits.size(), nullptr, false, true,
                                    0, 0, W, H, [&](Integer Done, Integer Total) {
                                      // The percentage of an empty job is 0, not a division by 0.
                                      const Integer percent = Total > 0 ? SafeTrunc(double(Done) / Total * 100) : 0;
                                      SetAbortDialogText(dlg, page + " - " + IntToStr(percent) + "%");
                                      if (Application)
                                        Application->ProcessMessages();
                                      return AbortDialogCancelled(dlg) == 0;
                                    });
    if (result < 0) {
      canvas.RestoreDC(saved);
      abortJob();
      const std::string text = DibErrorText(result);
      if (!text.empty())
        tell(text, mtInformation);
      return false;
    }
    canvas.Font().SetPixelsPerInch(info.PixelsPerInchY);
    canvas.Font().SetName("Arial");
    canvas.Font().SetSize(10);
    canvas.Font().SetColor(clBlack);
    // The name lies over the picture's corner, whose colour is the model's background (often
    // black): a white box under it keeps it readable on any picture.
    const Integer pad = std::max<Integer>(1, canvas.TextHeight(Title) / 4);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clWhite);
    canvas.FillRect(Rect(0, 0, canvas.TextWidth(Title) + pad, canvas.TextHeight(Title) + pad));
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(0, 0, Title);
    canvas.RestoreDC(saved);
    FreeAbortDialog(dialog);
    printer.EndDoc();
  } catch (const Exception& e) {
    abortJob();
    tell(e.what(), mtError);
    return false;
  }
  // Only a job that really ended is reported as printed.
  if (printer.Printing() || printer.Aborted()) {
    tell("The printer did not finish the page.", mtError);
    return false;
  }
  tell("Printing Completed!", mtInformation);
  return true;
}

void PrintMechanismPicture(const TBitmap& Snapshot, std::string& UserName)
{
  if (!AskUserName(UserName))
    return;
  TTarvPPFrm form(Snapshot);
  if (form.ShowModal() == mrOk)
    PrintBitmap(Snapshot, UserName);
}

void PrintMechanism(TGLSceneViewer& View, std::string& UserName)
{
  if (!AskUserName(UserName))
    return;
  std::unique_ptr<TBitmap> shot = TakeSnapshot(View);
  if (!shot) {
    Inform("Bitmap load error");
    return;
  }
  PrintMechanismPicture(*shot, UserName);
}

void CopyMechanism(TGLSceneViewer& View)
{
  if (std::unique_ptr<TBitmap> shot = TakeSnapshot(View))
    Clipboard().Assign(*shot);
}

std::string JpegFileName(const std::string& FileName)
{
  if (UpperCase(ExtractFileExt(FileName)) == ".JPG")
    return FileName;
  return ChangeFileExt(FileName, ".jpg");
}

void SaveSnapshotJpeg(const TBitmap& Snapshot, const std::string& FileName)
{
  TJPEGImage jpeg;
  jpeg.Assign(Snapshot);
  jpeg.SaveToFile(FileName);
}

bool ConfirmReplace(const std::string& FileName)
{
  if (!FileExists(FileName))
    return true;
  return MessageDlg(FileName + " already exists.\r\nDo you want to replace it?", mtConfirmation, mbYesNo) == mrYes;
}

void SavePictureAsJpeg(const TBitmap& Snapshot, TSaveDialog& Dialog, std::string& UserDir)
{
  Dialog.DefaultExt = "*.jpg";
  Dialog.Filter = "pictures files (*.jpg)|*.jpg";
  Dialog.Title = "Copy the mechanism picture to a file";
  Dialog.InitialDir = UserDir;
  // The name is made right before anybody is asked about replacing a file of that name.
  Dialog.Options &= ~ofOverwritePrompt;
  if (!Dialog.Execute())
    return;
  const std::string name = JpegFileName(Dialog.FileName);
  if (!ConfirmReplace(name))
    return;
  try {
    SaveSnapshotJpeg(Snapshot, name);
  } catch (const Exception& e) {
    MessageDlg(e.what(), mtError, mbOK);
    return;
  }
  UserDir = FolderOf(name);
}

void CopyMechanismToFile(TGLSceneViewer& View, std::string& UserDir)
{
  std::unique_ptr<TBitmap> shot = TakeSnapshot(View);
  if (!shot)
    return;
  TSaveDialog dialog;
  SavePictureAsJpeg(*shot, dialog, UserDir);
}

// ---------------------------------------------------------------------------------------
// Page pictures

bool CopyPagePicture(const std::string& Source, const std::string& Destination)
{
  const std::string dest = ChangeFileExt(Destination, ExtractFileExt(Source));
  if (FileExists(dest) && SameFile(Source, dest)) {
    MessageDlg("Unable to copy file\r" + dest + "to the specified destination", mtError, mbOK);
    return false;
  }
  if (!ConfirmReplace(dest))
    return false;
  return CopyPictureFile(Source, dest);
}

TPagePictureMenu::TPagePictureMenu(THTMLViewer& AViewer) : Viewer(AViewer), SaveDlg(std::make_unique<TSaveDialog>())
{
  FMenu = std::make_unique<TTBRootItem>();
  PicPopUp = FMenu.get();
  CopyImage1 = PicPopUp->AddNew<TTBCustomItem>();
  CopyImage1->SetCaption("Copy picture to clipboard");
  CopyImage1->OnClick = [this](TObject* s) { CopyImage1Click(s); };
  CopyPicturetofile1 = PicPopUp->AddNew<TTBCustomItem>();
  CopyPicturetofile1->SetCaption("Copy picture to file");
  CopyPicturetofile1->OnClick = [this](TObject* s) { CopyPicturetofile1Click(s); };
}

TPagePictureMenu::~TPagePictureMenu() = default;

void TPagePictureMenu::ViewerRightClick(TRightClickParameters& Parameters, TPoint ScreenPos, bool ShowMenu)
{
  PopupImage = Parameters.Image;
  const bool enabled = PagePictureAvailable(PopupImage);
  CopyImage1->SetEnabled(enabled);
  CopyPicturetofile1->SetEnabled(enabled);
  if (!enabled) {
    PopupImage = nullptr;
    return;
  }
  if (ShowMenu)
    TrackPopupItem(PicPopUp, ScreenPos, tbpaLeft);
}

void TPagePictureMenu::CopyImage1Click(TObject*) { CopyPageImage(PopupImage); }

void TPagePictureMenu::CopyPicturetofile1Click(TObject*)
{
  std::string none;
  CopyPageImageToFile(Viewer, PopupImage, *SaveDlg, UserDir ? *UserDir : none);
}

bool PagePictureAvailable(const TImageObj* Image) { return Image && Image->Bitmap() && !Image->IsErrorImage(); }

void CopyPageImage(const TImageObj* Image)
{
  if (PagePictureAvailable(Image))
    Clipboard().Assign(*Image->Bitmap());
}

void CopyPageImageToFile(THTMLViewer& Viewer, const TImageObj* Image, TSaveDialog& SaveDlg, std::string& UserDir)
{
  if (!PagePictureAvailable(Image))
    return;
  const std::string source = Viewer.HTMLExpandFilename(Image->Source);
  const std::string ext = ExtractFileExt(source);
  SaveDlg.DefaultExt = ext;
  SaveDlg.Title = "Copy the picture to a file";
  SaveDlg.Filter = "pictures files|*" + ext;
  SaveDlg.FileName = ExtractFileName(source);
  SaveDlg.InitialDir = UserDir;
  // The copy takes the picture's extension: that is the name to ask about, after the dialog.
  SaveDlg.Options &= ~ofOverwritePrompt;
  if (!SaveDlg.Execute())
    return;
  if (CopyPagePicture(source, SaveDlg.FileName))
    UserDir = FolderOf(ChangeFileExt(SaveDlg.FileName, ext));
}
