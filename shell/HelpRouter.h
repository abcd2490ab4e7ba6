// The help router: takes over the application's help event and sends each help command
// (contents, context, keyword, popup) either to WinHelp or to the HTML Help viewer. One
// router at most lives at a time; the main window holds it (HelpRouter1).
#pragma once

#include <cstdint>
#include <string>

#include "platform/AppHelp.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"

enum class THelpType : uint8_t { htWinhelp, htHTMLhelp, htMixedMode };
using enum THelpType;
enum class TShowType : uint8_t { stDefault, stMain, stPopup };
using enum TShowType;

class EHelpRouterError : public Exception {
  using Exception::Exception;
};

class THelpRouter : public TComponent {
public:
  // A second router raises EHelpRouterError "Multiple instances of THelpRouter are not
  // allowed". Installs RouteHelp as the application's help event, keeping the one before.
  THelpRouter();
  // Closes the help viewer when this router opened it, then gives the application its
  // previous help event back.
  ~THelpRouter() override;

  THelpType HelpType() const { return FHelpType; }
  // HTML Help (or mixed mode) binds the viewer at once.
  void SetHelpType(THelpType Value);
  TShowType ShowType() const { return FShowType; }
  void SetShowType(TShowType Value) { FShowType = Value; }
  // Empty: the application's help file.
  const std::string& Helpfile() const { return FHelpfile; }
  void SetHelpfile(const std::string& Value) { FHelpfile = Value; }
  // The text-popup file inside the compiled help file.
  const std::string& CHMPopupTopics() const { return FCHMPopupTopics; }
  void SetCHMPopupTopics(const std::string& Value) { FCHMPopupTopics = Value; }
  bool ValidateID() const { return FValidateID; }
  void SetValidateID(bool Value) { FValidateID = Value; }
  // Called first for every request.
  THelpEvent OnHelp;

  // Binds the viewer when needed; true when it is there.
  bool HtmlHelpAvailable();
  // The application's help event.
  bool RouteHelp(Word Command, intptr_t Data, bool& CallHelp);
  // The "Contents.." menu item.
  void ShowHelpContents();
  // The "Search for help on.." menu item (with an empty keyword); at most 255 characters
  // of the keyword are passed.
  void SearchHelpKeyword(const std::string& Keyword);

  // Where the next popup goes ((0, 0): at the cursor).
  TPoint PopupPos() const { return FPopupPos; }
  // Whether a request has reached the viewer (it is closed when the router goes).
  bool ViewerUsed() const { return FViewerUsed; }

private:
  void ShowTextPopup(const std::string& File, intptr_t Context);

  THelpType FHelpType = htWinhelp;
  TShowType FShowType = stDefault;
  std::string FHelpfile;
  std::string FCHMPopupTopics = "CSHelp.txt";
  bool FValidateID = false;
  THelpEvent FOldHelpEvent;
  TPoint FPopupPos;
  bool FViewerUsed = false;
};

// The router in service, or nullptr.
THelpRouter* HelpRouter();

// The main window's help set-up: the application's help file becomes
// ExeDir + "Help/KVHelp.chm" and the router goes to HTML Help. The answer is whether
// "Contents.." and "Search for help on.." are to be enabled: when the viewer is there and
// the file exists and opens as a compiled help file.
bool SetupHelp(THelpRouter& Router, const std::string& ExeDir);
