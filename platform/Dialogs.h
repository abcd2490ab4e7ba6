// Message boxes and the common dialogs (save, colour, print). Each goes to the toolkit's
// own dialog, unless an answerer is installed: then the answerer sees the request and
// answers it instead, which is how tests (and scripted runs) get through them.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Classes.h"
#include "platform/StdCtrls.h"

// ---------------------------------------------------------------------------------------
// Message boxes

enum class TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
using enum TMsgDlgType;
using TMsgDlgButtons = uint16_t;
constexpr TMsgDlgButtons mbYes = 0x1, mbNo = 0x2, mbOK = 0x4, mbCancel = 0x8, mbAbort = 0x10, mbRetry = 0x20,
                         mbIgnore = 0x40;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo, mbYesNoCancel = mbYes | mbNo | mbCancel, mbOKCancel = mbOK | mbCancel,
                         mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

// MessageBox flags: button sets and icons.
enum : Cardinal {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40
};
// MessageBox results (the same numbers as the modal results).
enum : Integer { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// What a message box asks.
struct TMessageRequest {
  std::string Caption;
  std::string Text;
  TMsgDlgType Type = mtInformation;
  TMsgDlgButtons Buttons = mbOK;
};

// The answer is a modal result (mrOk, mrYes...). An empty answerer restores the real boxes.
// The application holds the answerers (the boxes' and the dialogs').
using TMessageAnswerer = std::function<TModalResult(const TMessageRequest& request)>;
void SetMessageAnswerer(TMessageAnswerer answerer);

// A box with the type's caption ("Warning", "Error", "Information", "Confirm", or the
// application's title for mtCustom); gives the modal result of the button chosen (closing
// the box answers Cancel, or No, or the only button there is).
TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
// An information box with OK, captioned with the application's title.
void ShowMessage(const std::string& Msg);
// The system's message box: Flags hold the button set and the icon; gives IDOK and the rest.
Integer MessageBox(const std::string& Text, const std::string& Caption, Cardinal Flags);

// ---------------------------------------------------------------------------------------
// Common dialogs

class TCommonDialog : public TComponent {
public:
  // Shows the dialog; true when the user confirmed it.
  virtual bool Execute() = 0;
  std::string Title;

protected:
  // The installed answerer's verdict, when there is one.
  bool Answered(bool& confirmed);
};

using TOpenOptions = uint32_t;
constexpr TOpenOptions ofOverwritePrompt = 0x1, ofHideReadOnly = 0x4, ofPathMustExist = 0x800;

class TSaveDialog : public TCommonDialog {
public:
  bool Execute() override;
  // The chosen file; what is in it when shown is proposed.
  std::string FileName;
  // Pairs of description and patterns: "pictures files (*.jpg)|*.jpg".
  std::string Filter;
  Integer FilterIndex = 1;
  // Added to a chosen name without extension ("jpg"; a leading "*." is ignored).
  std::string DefaultExt;
  // The folder it opens in; empty or gone: the user's pictures folder, or else home.
  std::string InitialDir;
  TOpenOptions Options = ofHideReadOnly;
};

// The folder a save dialog with that InitialDir opens in.
std::string SaveDialogFolder(const std::string& initialDir);

class TColorDialog : public TCommonDialog {
public:
  bool Execute() override;
  TColor Color = clBlack;
};

// Chooses the process-wide printer (Printer()) and its settings, and with poPageNums a
// range of pages between MinPage and MaxPage: with prPageNums, PageRanges are the pages the
// user named (first and last of each span, "1,3" is two spans) and FromPage and ToPage the
// first and the last of them.
enum class TPrintRange : uint8_t { prAllPages, prSelection, prPageNums };
using enum TPrintRange;
using TPrintDialogOptions = uint32_t;
constexpr TPrintDialogOptions poPageNums = 0x1;

class TPrintDialog : public TCommonDialog {
public:
  bool Execute() override;
  TPrintDialogOptions Options = 0;
  Integer MinPage = 0, MaxPage = 0;
  Integer FromPage = 0, ToPage = 0;
  TPrintRange PrintRange = prAllPages;
  std::vector<std::pair<Integer, Integer>> PageRanges;
};

// The answerer may change the dialog (a file name, a colour) and returns whether it was
// confirmed. An empty answerer restores the real dialogs.
using TDialogAnswerer = std::function<bool(TCommonDialog& dialog)>;
void SetDialogAnswerer(TDialogAnswerer answerer);

// The text of the default extension as it is appended ("jpg" for "*.jpg").
std::string PlainExtension(const std::string& defaultExt);
