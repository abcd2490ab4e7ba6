#include "shell/PrintHelpers.h"

#include <algorithm>
#include <climits>
#include <new>

#include "platform/Application.h"
#include "platform/BmpFile.h"

// ---------------------------------------------------------------------------------------
// Page metrics

bool GetPrinterPageInfo(TPrinterDC* DC, TPrinterPageInfo* Info)
{
  if (!DC || !Info)
    return false;
  TPrinterPageInfo& i = *Info;
  i.OffsetX = DC->GetDeviceCaps(PHYSICALOFFSETX);
  i.OffsetY = DC->GetDeviceCaps(PHYSICALOFFSETY);
  i.PageWidth = DC->GetDeviceCaps(HORZRES);
  i.PageHeight = DC->GetDeviceCaps(VERTRES);
  i.PhysicalWidth = DC->GetDeviceCaps(PHYSICALWIDTH);
  i.PhysicalHeight = DC->GetDeviceCaps(PHYSICALHEIGHT);
  // Devices that do not know their paper report the printable area as the page.
  if (i.PhysicalWidth == 0)
    i.PhysicalWidth = i.PageWidth;
  if (i.PhysicalHeight == 0)
    i.PhysicalHeight = i.PageHeight;
  i.RightEdge = i.PhysicalWidth - i.PageWidth - i.OffsetX;
  i.BottomEdge = i.PhysicalHeight - i.PageHeight - i.OffsetY;
  Integer margin = std::max({i.OffsetX, i.OffsetY, i.RightEdge, i.BottomEdge});
  i.MarginLeft = i.MarginTop = i.MarginRight = i.MarginBottom = margin;
  i.UsableWidth = i.PhysicalWidth - 2 * margin;
  i.UsableHeight = i.PhysicalHeight - 2 * margin;
  i.PageOriginX = margin - i.OffsetX;
  i.PageOriginY = margin - i.OffsetY;
  i.PixelsPerInchX = DC->GetDeviceCaps(LOGPIXELSX);
  i.PixelsPerInchY = DC->GetDeviceCaps(LOGPIXELSY);
  return true;
}

// ---------------------------------------------------------------------------------------
// Bitmaps as DIBs

namespace {

uint16_t Rd16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Rd32(const uint8_t* p)
{
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

constexpr size_t FileHeaderSize = 14;
constexpr uint64_t MinImageSize = 32;

}   // namespace

bool LoadDIBFromStream(TStream& Stream, std::vector<uint8_t>& Header, std::vector<uint8_t>& Bits, Integer& Width,
                       Integer& Height)
{
  Header.clear();
  Bits.clear();
  Width = 0;
  Height = 0;
  auto fail = [&] {
    Header.clear();
    Header.shrink_to_fit();
    Bits.clear();
    Bits.shrink_to_fit();
    Width = 0;
    Height = 0;
    return false;
  };
  try {
    int64_t start = Stream.Position();
    int64_t remaining = Stream.Size() - start;
    uint8_t file[FileHeaderSize];
    if (remaining < int64_t(FileHeaderSize) || Stream.Read(file, FileHeaderSize) != FileHeaderSize)
      return fail();
    if (file[0] != 'B' || file[1] != 'M')
      return fail();
    int64_t bitOffset = Rd32(file + 10);
    int64_t headerSize = bitOffset - int64_t(FileHeaderSize);
    int64_t pixelSize = remaining - bitOffset;
    if (bitOffset < 1 || remaining < 1 || headerSize < 1 || pixelSize < 1)
      return fail();

    Header.assign(static_cast<size_t>(headerSize), 0);
    if (Stream.Read(Header.data(), Header.size()) != Header.size() || headerSize < 4)
      return fail();
    uint32_t infoSize = Rd32(Header.data());
    // The header must hold the fields it claims to have.
    if (infoSize > uint64_t(headerSize))
      return fail();
    int64_t w, h;
    uint16_t bitCount;
    uint64_t imageSize = 0;
    if (infoSize == 12) {
      w = Rd16(Header.data() + 4);
      h = Rd16(Header.data() + 6);
      bitCount = Rd16(Header.data() + 10);
    } else if (infoSize == 40) {
      w = static_cast<int32_t>(Rd32(Header.data() + 4));
      h = static_cast<int32_t>(Rd32(Header.data() + 8));
      h = h < 0 ? -h : h;
      bitCount = Rd16(Header.data() + 14);
      imageSize = Rd32(Header.data() + 20);
    } else {
      return fail();
    }
    if (w < 1 || h < 1 || bitCount == 0)
      return fail();
    if (imageSize == 0)
      imageSize = (uint64_t(bitCount) * uint64_t(w) + 31) / 32 * 4 * uint64_t(h);
    // The stream must hold every byte the picture claims.
    if (imageSize < MinImageSize || imageSize > uint64_t(pixelSize))
      return fail();
    Stream.Seek(start + bitOffset, TSeekOrigin::soBeginning);
    Bits.assign(static_cast<size_t>(imageSize), 0);
    if (Stream.Read(Bits.data(), Bits.size()) != Bits.size())
      return fail();
    Width = static_cast<Integer>(w);
    Height = static_cast<Integer>(h);
    return true;
  } catch (const std::bad_alloc&) {
    return fail();
  } catch (const Exception&) {
    return fail();
  }
}

bool LoadDIBFromBitmap(const TBitmap& Graphic, std::vector<uint8_t>& Header, std::vector<uint8_t>& Bits, Integer& Width,
                       Integer& Height)
{
  std::vector<uint8_t> bytes;
  try {
    bytes = SaveBmpToBytes(Graphic);
  } catch (const Exception&) {
    Header.clear();
    Bits.clear();
    Width = Height = 0;
    return false;
  }
  TByteStream stream(std::move(bytes));
  return LoadDIBFromStream(stream, Header, Bits, Width, Height);
}

// ---------------------------------------------------------------------------------------
// The abort dialog

TAbortDialog::TAbortDialog()
{
  SetCaption("Printing");
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  SetPosition(poScreenCenter);
  SetClientSize(174, 98);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);
  btnCancel = TComponent::Create<TButton>(this);
  btnCancel->SetName("btnCancel");
  btnCancel->SetParent(this);
  btnCancel->SetBounds(48, 32, 75, 25);
  btnCancel->SetCaption("&Cancel");
  btnCancel->SetDefault(true);
  btnCancel->SetCancel(true);
  btnCancel->Font().Assign(Font());
  btnCancel->OnClick = [this](TObject* Sender) { btnCancelClick(Sender); };
  // The box is the user's only way to stop the job: Escape, or closing it (its title bar's
  // button, Alt+F4) stops the job as Cancel does, and the box goes when the job has stopped.
  OnClose = [this](TObject* Sender, TCloseAction& Action) {
    btnCancelClick(Sender);
    Action = caNone;
  };
}

void TAbortDialog::btnCancelClick(TObject*) { FCancelled = -1; }

std::unique_ptr<TAbortDialog> CreateAbortDialog()
{
  std::unique_ptr<TAbortDialog> dialog;
  try {
    dialog = std::make_unique<TAbortDialog>();
    dialog->Show();
    // Its one button has the keyboard: Space, Return, Escape and Alt+C stop the job.
    dialog->btnCancel->SetFocus();
    dialog->Update();
  } catch (...) {
    return nullptr;
  }
  return dialog;
}

namespace {
// The dialog's clicks and paints are in the queue with everything else.
void HandlePending()
{
  if (Application)
    Application->ProcessMessages();
}
}   // namespace

void SetAbortDialogText(TAbortDialog* Dialog, const std::string& Text)
{
  if (!Dialog)
    return;
  Dialog->SetCaption(Text);
  HandlePending();
}

Integer AbortDialogCancelled(TAbortDialog* Dialog)
{
  if (!Dialog)
    return 0;
  HandlePending();
  return Dialog->Cancelled();
}

Integer FreeAbortDialog(std::unique_ptr<TAbortDialog>& Dialog)
{
  Dialog.reset();
  return 0;
}
