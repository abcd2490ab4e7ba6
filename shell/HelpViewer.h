// The program's help viewer: a window with the help file's contents tree and keyword index
// beside the page, shown by our own HTML viewer; links between help pages are followed
// inside the file. Context popups are hint-like windows at a given point that close with
// the next click or key. HelpViewerHtmlHelp is the viewer's entry point (shell/HtmlHelpApi.h).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "html/HTMLStreams.h"
#include "platform/Application.h"
#include "platform/ChmFile.h"
#include "platform/Forms.h"
#include "platform/ExtCtrls.h"
#include "platform/FormCtrls.h"
#include "platform/ScrollBar.h"
#include "platform/StdCtrls.h"

class THTMLViewer;

// The entry point: see the HH_ commands in shell/HtmlHelpApi.h. A file that cannot be opened
// is reported in an error box (a popup shows the reason instead) and gives 0.
HWND HelpViewerHtmlHelp(HWND hwndCaller, const char* pszFile, Cardinal uCommand, uintptr_t dwData);
// Closes the help window and any popup.
void CloseHelpViewer();

class THelpViewerFrm;
// The help window while it is open, else nullptr.
THelpViewerFrm* HelpViewerWindow();
// The popup showing now: its text and screen bounds (empty when none).
std::string HelpPopupText();
TRect HelpPopupBounds();
TControl* HelpPopupWindow();

// ---- what the help file holds besides its pages ----

// Context numbers to pages: the map file ("#define IDH_NAME 1001" lines) names the numbers,
// the alias file ("IDH_NAME=Page.htm" lines, ";" comments) gives each name its page.
std::map<Integer, std::string> ParseContextPages(const std::string& mapFile, const std::string& aliasFile);
// Names to numbers from a map file.
std::map<std::string, Integer> ParseContextNames(const std::string& mapFile);
// The text of popup id from a popup text file: ".topic NAME" (a name of the map file) or
// ".topic 1001" starts a topic, its lines follow; lines join with spaces, a blank line makes
// a new paragraph ("\n"). Empty when the id has no topic.
std::string FindPopupText(const std::string& popupFile, Cardinal id, const std::map<std::string, Integer>& names);
// The keyword index in keyword order (ignoring case), each keyword keeping the entries
// under it; keywords of the same name keep their order.
std::vector<TSitemapEntry> SortIndex(std::vector<TSitemapEntry> index);
// A link of a help page, resolved against the page it is on ("Sub/Page.htm", "../A.htm",
// "file.chm::/A.htm"): the path inside the help file with a leading "/", anchor kept.
std::string ResolveHelpLink(const std::string& currentPage, const std::string& link);

// ---- the contents tree ----

class THelpContentsTree : public TCustomControl {
public:
  THelpContentsTree();
  ~THelpContentsTree() override;
  void SetEntries(std::vector<TSitemapEntry> entries);
  Integer Count() const { return Integer(FEntries.size()); }
  const TSitemapEntry& Entry(Integer i) const { return FEntries.at(size_t(i)); }
  bool HasChildren(Integer i) const;
  bool Expanded(Integer i) const { return FExpanded.at(size_t(i)); }
  void SetExpanded(Integer i, bool v);
  // The entries shown, top to bottom (those whose every parent is expanded).
  std::vector<Integer> VisibleEntries() const;
  // -1: none. Selecting from code opens the entry's parents and scrolls it into view.
  Integer Selected() const { return FSelected; }
  void Select(Integer i);
  Integer RowHeight() const { return 18; }
  Integer TopRow() const { return FTopRow; }
  // The entry at a client point, -1 when none.
  Integer EntryAt(Integer x, Integer y) const;
  // The user chose an entry (click, Enter): its page is to be shown.
  std::function<void(Integer Index)> OnChoose;
  // Shown while the entries are more than the rows that fit.
  TScrollBar* ScrollBar() const { return FScrollBar; }

protected:
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  bool DoMouseWheel(TShiftState shift, Integer delta, TPoint mousePos) override;
  void DoEnter() override;

private:
  // The tree shown to screen readers, or taken back, and its chosen entry announced as
  // the focus while the tree holds it (HelpViewer_Accessible.cpp).
  void ExposeToReaders(bool Expose);
  void AnnounceSelected();
  Integer Parent(Integer i) const;
  void ScrollIntoView(Integer i);
  void Choose(Integer i);
  void UpdateScrollBar();
  // The width the rows take (the client less a shown scroll bar).
  Integer RowsWidth() const;
  TScrollBar* FScrollBar = nullptr;
  std::vector<TSitemapEntry> FEntries;
  std::vector<bool> FExpanded;
  Integer FSelected = -1;
  Integer FTopRow = 0;
};

// A row of speed buttons that Tab reaches one by one (the window's Back and Forward, its
// Contents and Index tabs): Space or Enter presses the one with the focus, which a dotted
// frame round it shows (HelpViewer_Accessible.cpp).
class THelpButtonRow : public TPanel {
public:
  bool HasTabParts() const override { return true; }
  bool TabInto(bool forward) override;
  bool TabWithin(bool forward) override;
  bool FocusInPart() const override { return FFocused != nullptr; }
  TControl* FocusedPart() const override { return FFocused; }
  TSpeedButton* FocusedButton() const { return FFocused; }

protected:
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void DoExit() override;

private:
  // Those shown and enabled, left to right.
  std::vector<TSpeedButton*> Buttons() const;
  void FocusButton(TSpeedButton* b);
  TSpeedButton* FFocused = nullptr;
};

// ---- the window ----

class THelpViewerFrm : public TForm {
public:
  THelpViewerFrm();
  ~THelpViewerFrm() override;

  // Opens a help file (EChmError when it cannot): its title, contents and index.
  void OpenFile(const std::string& fileName);
  const std::string& FileName() const { return FFileName; }
  const TChmFile* File() const { return FFile.get(); }

  // Shows a page of the file ("/Page.htm#Anchor"); a page that is not there shows a note
  // saying so. Recorded in the back-and-forward history.
  void ShowTopic(const std::string& topic);
  const std::string& CurrentTopic() const { return FCurrentTopic; }
  void ShowContents();
  // Gives the keyboard to the shown pane (the contents tree or the keyword box) unless a
  // control of this window has it already.
  void FocusShownPane();
  // The index with the keyword typed in: the first entry beginning with it is selected and,
  // when the keyword is not empty, its page shown. False when no entry matches.
  bool ShowIndex(const std::string& keyword);
  // The page of a context number; false when the file has none for it.
  bool ShowContext(Integer context);
  // The index entry the keyword's first letters select (-1: none).
  Integer FindKeyword(const std::string& keyword) const;
  const std::vector<TSitemapEntry>& IndexEntries() const { return FIndex; }
  bool ContentsShown() const;
  bool IndexShown() const;
  void Back();
  void Forward();
  bool CanGoBack() const { return FHistoryPos > 0; }
  bool CanGoForward() const { return FHistoryPos + 1 < Integer(FHistory.size()); }
  // Context numbers and popup texts of the file.
  const std::map<Integer, std::string>& ContextPages() const { return FContextPages; }
  std::string PopupText(Cardinal id) const;

  TPanel* ToolPanel = nullptr;
  TSpeedButton* BackButton = nullptr;
  TSpeedButton* ForwardButton = nullptr;
  TPanel* NavPanel = nullptr;
  // Between the panes: dragging it sizes the contents pane.
  TSplitter* Splitter = nullptr;
  TSpeedButton* ContentsTab = nullptr;
  TSpeedButton* IndexTab = nullptr;
  THelpContentsTree* Contents = nullptr;
  TPanel* IndexPanel = nullptr;
  TLabel* KeyLabel = nullptr;
  TEdit* KeyEdit = nullptr;
  TListBox* IndexList = nullptr;
  TButton* DisplayButton = nullptr;
  THTMLViewer* Viewer = nullptr;

protected:
  void Resize() override;

private:
  void ShowPage(const std::string& topic);
  void SelectTab(bool index);
  void DisplayIndexEntry(Integer i);
  void KeyEditChanged();
  void LayoutIndexPanel();

  std::string FFileName;
  std::unique_ptr<TChmFile> FFile;
  std::vector<TSitemapEntry> FIndex;
  std::map<Integer, std::string> FContextPages;
  std::map<std::string, Integer> FContextNames;
  std::string FPopupFile;
  std::string FCurrentTopic;
  TByteStream FPicture;   // the bytes of the picture the viewer asked for last
  std::vector<std::string> FHistory;
  Integer FHistoryPos = -1;
};
