#include "shell/HelpViewer.h"

#include <algorithm>
#include <cctype>

#include "html/HtmlViewer.h"
#include "platform/Dialogs.h"
#include "shell/HtmlHelpApi.h"

namespace {

std::string Lower(std::string s)
{
  for (char& c : s)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> Lines(const std::string& text)
{
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t nl = text.find('\n', start);
    std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    out.push_back(line);
    if (nl == std::string::npos)
      break;
    start = nl + 1;
  }
  return out;
}

bool ParseInteger(const std::string& s, Integer& value)
{
  if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos)
    return false;
  value = Integer(std::stol(s));
  return true;
}

// The page path of a topic without its anchor.
std::string PagePart(const std::string& topic)
{
  size_t hash = topic.find('#');
  return hash == std::string::npos ? topic : topic.substr(0, hash);
}

// ---- the popup ----

class THelpPopupWindow : public TPopupWindowControl {
public:
  THelpPopupWindow(const std::string& text, TColor fore, TColor back) : FText(text), FFore(fore < 0 ? clInfoText : fore)
  {
    SetColor(back < 0 ? clInfoBk : back);
  }
  ~THelpPopupWindow() override { DestroyHandle(); }
  const std::string& Text() const { return FText; }
  // Sizes the window to the text wrapped at a readable width, its top centred on the point,
  // kept on the point's monitor's work area.
  void PlaceAt(TPoint pt)
  {
    TBitmap measure(1, 1);
    std::unique_ptr<TCanvas> mc = CreateBitmapCanvas(measure);
    mc->Font().Assign(Font());
    TRect r{0, 0, 300, 0};
    mc->DrawText(FText, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
    Integer w = std::max<Integer>(r.Width(), 40) + 2 * Margin, h = r.Height() + 2 * Margin;
    TRect work = MonitorFromPoint(pt).WorkArea;
    Integer x = std::max(work.Left, std::min(pt.X - w / 2, work.Right - w));
    Integer y = std::max(work.Top, std::min(pt.Y, work.Bottom - h));
    SetBounds(x, y, w, h);
  }

protected:
  void Paint() override
  {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(clInfoText);
    c.FrameRect(r);
    c.Font().SetColor(FFore);
    c.Brush().SetStyle(bsClear);
    TRect t{r.Left + Margin, r.Top + Margin, r.Right - Margin, r.Bottom - Margin};
    c.DrawText(FText, t, DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
  }

private:
  static constexpr Integer Margin = 8;
  std::string FText;
  TColor FFore;
};

struct TViewerState {
  std::unique_ptr<THelpViewerFrm> Window;
  std::unique_ptr<THelpPopupWindow> Popup;
  int Filter = 0;
  // Receives the message that closes the popup once the input that closes it is handled.
  HWND PopupCloser = 0;
};

TViewerState& State()
{
  // The help viewer serves the whole process through its one entry point, as the system's
  // help viewer does: one help window and one popup at a time.
  static TViewerState s;   // NOLINT(orrelo-static-local-state): the process's one help viewer
  return s;
}

void ClosePopup()
{
  TViewerState& s = State();
  if (s.Filter) {
    RemoveInputFilter(s.Filter);
    s.Filter = 0;
  }
  s.Popup.reset();
}

// Closing from inside the input filter would remove the filter while it runs: the popup
// goes once the event has been handled.
void ClosePopupLater()
{
  TViewerState& s = State();
  if (!s.PopupCloser)
    s.PopupCloser = AllocateHWnd([](TMessage& m) {
      if (m.Msg == WM_USER)
        ClosePopup();
    });
  PostMessage(s.PopupCloser, WM_USER, 0, 0);
}

void ShowPopup(const std::string& text, const THHPopup& rec)
{
  ClosePopup();
  TViewerState& s = State();
  s.Popup = std::make_unique<THelpPopupWindow>(text, rec.clrForeground, rec.clrBackground);
  s.Popup->PlaceAt(rec.pt);
  s.Popup->Show();
  s.Popup->Invalidate();
  // The next click or key anywhere closes the popup; the input still reaches its target.
  s.Filter = AddInputFilter([](const TInputEvent& ev) {
    if (ev.Kind == TInputKind::MouseDown || ev.Kind == TInputKind::KeyDown || ev.Kind == TInputKind::MouseDblClick)
      ClosePopupLater();
    return false;
  });
}

THelpViewerFrm& OpenWindow(const std::string& file)
{
  TViewerState& s = State();
  if (!s.Window || s.Window->FileName() != file) {
    auto w = std::make_unique<THelpViewerFrm>();
    w->OpenFile(file);   // raises before anything shows when the file is bad
    s.Window = std::move(w);
  }
  s.Window->Show();
  return *s.Window;
}

void ReportBadFile(const Exception& e) { MessageDlg(e.Message, mtError, mbOK); }

}   // namespace

// ---------------------------------------------------------------------------------------
// The entry point

HWND HelpViewerHtmlHelp(HWND, const char* pszFile, Cardinal uCommand, uintptr_t dwData)
{
  if (uCommand == HH_CLOSE_ALL) {
    CloseHelpViewer();
    return 0;
  }
  std::string file, inner;
  SplitHelpURL(pszFile ? pszFile : "", file, inner);
  if (uCommand == HH_DISPLAY_TEXT_POPUP) {
    if (!dwData)
      return 0;
    const THHPopup& rec = *reinterpret_cast<const THHPopup*>(dwData);
    std::string text;
    if (rec.pszText && *rec.pszText) {
      text = rec.pszText;
    } else {
      try {
        TChmFile chm(file);
        std::string names = chm.Exists("Context.h") ? chm.Read("Context.h") : std::string();
        text = FindPopupText(chm.Read(inner.empty() ? "CSHelp.txt" : inner), rec.idString, ParseContextNames(names));
        if (text.empty())
          text = "No help topic is associated with this item.";
      } catch (const EChmError& e) {
        text = e.Message;
      }
    }
    ShowPopup(text, rec);
    return State().Popup->Handle();
  }
  try {
    THelpViewerFrm& w = OpenWindow(file);
    switch (uCommand) {
    case HH_DISPLAY_TOPIC:
      if (dwData)
        w.ShowTopic(ResolveHelpLink("/", reinterpret_cast<const char*>(dwData)));
      else if (!inner.empty())
        w.ShowTopic(ResolveHelpLink("/", inner));
      w.ShowContents();
      break;
    case HH_DISPLAY_TOC: w.ShowContents(); break;
    case HH_DISPLAY_INDEX:
    case HH_DISPLAY_SEARCH: w.ShowIndex(dwData ? reinterpret_cast<const char*>(dwData) : ""); break;
    case HH_HELP_CONTEXT:
      // A number without a page still leaves the user in the help, at its contents.
      if (!w.ShowContext(Integer(dwData))) {
        w.ShowContents();
        return 0;
      }
      break;
    default: return 0;
    }
    w.Activate();
    // Opened from the keyboard (F1, the Help menu), the window's keys must reach it at once.
    w.FocusShownPane();
    return w.Handle();
  } catch (const EChmError& e) {
    ReportBadFile(e);
    return 0;
  }
}

void CloseHelpViewer()
{
  ClosePopup();
  TViewerState& s = State();
  s.Window.reset();
  if (s.PopupCloser) {
    DeallocateHWnd(s.PopupCloser);
    s.PopupCloser = 0;
  }
}

THelpViewerFrm* HelpViewerWindow() { return State().Window.get(); }

std::string HelpPopupText() { return State().Popup ? State().Popup->Text() : std::string(); }

TControl* HelpPopupWindow() { return State().Popup.get(); }

TRect HelpPopupBounds() { return State().Popup ? State().Popup->BoundsRect() : TRect(); }

// ---------------------------------------------------------------------------------------
// Context numbers, popup texts, links

std::map<std::string, Integer> ParseContextNames(const std::string& mapFile)
{
  std::map<std::string, Integer> out;
  for (const std::string& raw : Lines(mapFile)) {
    std::string line = Trim(raw);
    if (line.rfind("#define", 0) != 0)
      continue;
    std::string rest = Trim(line.substr(7));
    size_t sp = rest.find_first_of(" \t");
    if (sp == std::string::npos)
      continue;
    std::string name = rest.substr(0, sp);
    std::string value = Trim(rest.substr(sp));
    if (size_t c = value.find("//"); c != std::string::npos)
      value = Trim(value.substr(0, c));
    Integer v = 0;
    if (ParseInteger(value, v))
      out[Lower(name)] = v;
  }
  return out;
}

std::map<Integer, std::string> ParseContextPages(const std::string& mapFile, const std::string& aliasFile)
{
  std::map<std::string, Integer> names = ParseContextNames(mapFile);
  std::map<Integer, std::string> out;
  for (const std::string& raw : Lines(aliasFile)) {
    std::string line = Trim(raw);
    if (line.empty() || line[0] == ';')
      continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos)
      continue;
    std::string name = Lower(Trim(line.substr(0, eq)));
    std::string page = Trim(line.substr(eq + 1));
    Integer number = 0;
    if (auto it = names.find(name); it != names.end())
      out[it->second] = page;
    else if (ParseInteger(name, number))
      out[number] = page;
  }
  return out;
}

std::string FindPopupText(const std::string& popupFile, Cardinal id, const std::map<std::string, Integer>& names)
{
  std::string text;
  bool inTopic = false, paragraph = false;
  for (const std::string& raw : Lines(popupFile)) {
    std::string line = Trim(raw);
    if (line.rfind(".topic", 0) == 0) {
      if (inTopic)
        break;
      std::string key = Trim(line.substr(6));
      Integer number = -1;
      if (auto it = names.find(Lower(key)); it != names.end())
        number = it->second;
      else if (!ParseInteger(key, number))
        number = -1;
      inTopic = number >= 0 && Cardinal(number) == id;
      continue;
    }
    if (!inTopic)
      continue;
    if (line.empty()) {
      paragraph = !text.empty();
      continue;
    }
    if (!text.empty())
      text += paragraph ? "\n" : " ";
    paragraph = false;
    text += line;
  }
  return text;
}

std::vector<TSitemapEntry> SortIndex(std::vector<TSitemapEntry> index)
{
  std::vector<std::vector<TSitemapEntry>> groups;
  for (TSitemapEntry& e : index) {
    if (e.Level == 0 || groups.empty())
      groups.emplace_back();
    groups.back().push_back(std::move(e));
  }
  std::stable_sort(groups.begin(), groups.end(),
                   [](const auto& a, const auto& b) { return Lower(a.front().Name) < Lower(b.front().Name); });
  std::vector<TSitemapEntry> out;
  for (auto& g : groups)
    for (TSitemapEntry& e : g)
      out.push_back(std::move(e));
  return out;
}

std::string ResolveHelpLink(const std::string& currentPage, const std::string& link)
{
  std::string target = link;
  // "ms-its:file.chm::/Page.htm" and "file.chm::/Page.htm": the inner path only.
  if (size_t p = target.find("::"); p != std::string::npos)
    target = target.substr(p + 2);
  std::string anchor;
  if (size_t hash = target.find('#'); hash != std::string::npos) {
    anchor = target.substr(hash);
    target = target.substr(0, hash);
  }
  for (char& c : target)
    if (c == '\\')
      c = '/';
  std::string base;
  if (target.empty()) {
    target = PagePart(currentPage);
  } else if (target[0] != '/') {
    std::string cur = PagePart(currentPage);
    size_t slash = cur.rfind('/');
    base = slash == std::string::npos ? std::string() : cur.substr(0, slash);
    target = base + "/" + target;
  }
  // Fold "." and ".." (never above the top).
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= target.size()) {
    size_t s = target.find('/', i);
    std::string part = target.substr(i, s == std::string::npos ? std::string::npos : s - i);
    if (part == "..") {
      if (!parts.empty())
        parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    if (s == std::string::npos)
      break;
    i = s + 1;
  }
  std::string out;
  for (const std::string& p : parts)
    out += "/" + p;
  if (out.empty())
    out = "/";
  return out + anchor;
}

// ---------------------------------------------------------------------------------------
// The contents tree

THelpContentsTree::THelpContentsTree()
{
  SetColor(clWindow);
  SetTabStop(true);
  FScrollBar = TComponent::Create<TScrollBar>(this, sbVertical);
  FScrollBar->SetParent(this);
  FScrollBar->SetAlign(alRight);
  FScrollBar->SetVisible(false);
  FScrollBar->SetTabStop(false);   // the tree takes the keys
  FScrollBar->OnScroll = [this](TObject*, TScrollCode, int32_t& pos) {
    FTopRow = pos;
    Invalidate();
  };
  ExposeToReaders(true);
}

THelpContentsTree::~THelpContentsTree() { ExposeToReaders(false); }

Integer THelpContentsTree::RowsWidth() const
{
  return ClientWidth() - (FScrollBar && FScrollBar->Visible() ? FScrollBar->Width() : 0);
}

void THelpContentsTree::UpdateScrollBar()
{
  Integer rows = Integer(VisibleEntries().size());
  Integer shown = std::max<Integer>(1, ClientHeight() / RowHeight());
  FTopRow = std::clamp(FTopRow, 0, std::max(0, rows - shown));
  if (!FScrollBar)
    return;
  bool needed = rows > shown;
  if (needed) {
    FScrollBar->SetParams(FTopRow, 0, rows - 1, shown);
    FScrollBar->SetLargeChange(shown);
  }
  if (FScrollBar->Visible() != needed) {
    FScrollBar->SetVisible(needed);
    Realign();
  }
  Invalidate();
}

void THelpContentsTree::Resize()
{
  TCustomControl::Resize();
  UpdateScrollBar();
}

void THelpContentsTree::SetEntries(std::vector<TSitemapEntry> entries)
{
  FEntries = std::move(entries);
  // Levels that jump by more than one would hide entries under a missing parent.
  for (size_t i = 0; i < FEntries.size(); ++i) {
    Integer limit = i == 0 ? 0 : FEntries[i - 1].Level + 1;
    FEntries[i].Level = std::clamp(FEntries[i].Level, 0, limit);
  }
  FExpanded.assign(FEntries.size(), false);
  FSelected = -1;
  FTopRow = 0;
  UpdateScrollBar();
}

bool THelpContentsTree::HasChildren(Integer i) const
{
  return i >= 0 && i + 1 < Count() && FEntries[size_t(i) + 1].Level > FEntries[size_t(i)].Level;
}

void THelpContentsTree::SetExpanded(Integer i, bool v)
{
  if (i < 0 || i >= Count())
    return;
  FExpanded[size_t(i)] = v;
  // A selection hidden by closing its book moves up to the book.
  if (!v && FSelected > i) {
    Integer p = FSelected;
    while (p >= 0 && p != i)
      p = Parent(p);
    if (p == i)
      FSelected = i;
  }
  UpdateScrollBar();
}

Integer THelpContentsTree::Parent(Integer i) const
{
  Integer level = FEntries.at(size_t(i)).Level;
  for (Integer p = i - 1; p >= 0; --p)
    if (FEntries[size_t(p)].Level < level)
      return p;
  return -1;
}

std::vector<Integer> THelpContentsTree::VisibleEntries() const
{
  std::vector<Integer> out;
  Integer hiddenBelow = -1;   // entries deeper than this level are inside a closed book
  for (Integer i = 0; i < Count(); ++i) {
    Integer level = FEntries[size_t(i)].Level;
    if (hiddenBelow >= 0 && level > hiddenBelow)
      continue;
    hiddenBelow = -1;
    out.push_back(i);
    if (HasChildren(i) && !FExpanded[size_t(i)])
      hiddenBelow = level;
  }
  return out;
}

void THelpContentsTree::Select(Integer i)
{
  if (i < 0 || i >= Count()) {
    FSelected = -1;
    Invalidate();
    return;
  }
  for (Integer p = Parent(i); p >= 0; p = Parent(p))
    FExpanded[size_t(p)] = true;
  FSelected = i;
  ScrollIntoView(i);
  UpdateScrollBar();
  AnnounceSelected();
}

void THelpContentsTree::ScrollIntoView(Integer i)
{
  std::vector<Integer> rows = VisibleEntries();
  auto it = std::find(rows.begin(), rows.end(), i);
  if (it == rows.end())
    return;
  Integer row = Integer(it - rows.begin());
  Integer shown = std::max<Integer>(1, ClientHeight() / RowHeight());
  if (row < FTopRow)
    FTopRow = row;
  else if (row >= FTopRow + shown)
    FTopRow = row - shown + 1;
}

Integer THelpContentsTree::EntryAt(Integer x, Integer y) const
{
  if (y < 0 || x < 0 || x >= RowsWidth())
    return -1;
  std::vector<Integer> rows = VisibleEntries();
  Integer row = FTopRow + y / RowHeight();
  return row < Integer(rows.size()) ? rows[size_t(row)] : -1;
}

void THelpContentsTree::Choose(Integer i)
{
  Select(i);
  if (OnChoose)
    OnChoose(i);
}

void THelpContentsTree::Paint()
{
  TCanvas& c = Canvas();
  c.FillRect(ClientRect(), clWindow);
  c.IntersectClipRect(0, 0, RowsWidth(), ClientHeight());
  std::vector<Integer> rows = VisibleEntries();
  const Integer h = RowHeight();
  for (size_t r = size_t(FTopRow); r < rows.size(); ++r) {
    Integer y = Integer(r - size_t(FTopRow)) * h;
    if (y >= ClientHeight())
      break;
    Integer i = rows[r];
    const TSitemapEntry& e = FEntries[size_t(i)];
    Integer x = 4 + e.Level * 16;
    Integer cy = y + h / 2;
    c.Pen().SetColor(clBtnShadow);
    c.Pen().SetWidth(1);
    if (HasChildren(i)) {
      // A closed or open book.
      bool open = FExpanded[size_t(i)];
      c.Brush().SetStyle(bsSolid);
      c.Brush().SetColor(open ? TColor(0x00C08040) : TColor(0x00804000));
      c.Pen().SetColor(clNavy);
      if (open) {
        c.Polygon(std::vector<TPoint>{{x, cy - 5}, {x + 7, cy - 3}, {x + 7, cy + 6}, {x, cy + 4}});
        c.Polygon(std::vector<TPoint>{{x + 7, cy - 3}, {x + 14, cy - 5}, {x + 14, cy + 4}, {x + 7, cy + 6}});
      } else {
        c.Rectangle(x + 1, cy - 6, x + 13, cy + 6);
        c.FillRect(TRect{x + 3, cy - 6, x + 4, cy + 6}, clWhite);
      }
    } else {
      // A page with lines of text.
      c.Brush().SetStyle(bsSolid);
      c.Brush().SetColor(clWhite);
      c.Pen().SetColor(clBtnShadow);
      c.Rectangle(x + 2, cy - 7, x + 12, cy + 6);
      c.Pen().SetColor(clGray);
      for (Integer ly = cy - 4; ly < cy + 4; ly += 2) {
        c.MoveTo(x + 4, ly);
        c.LineTo(x + 10, ly);
      }
    }
    Integer tx = x + 20;
    TSize ext = c.TextExtent(e.Name);
    TRect tr{tx - 2, y + 1, tx + ext.cx + 2, y + h - 1};
    bool selected = i == FSelected;
    if (selected)
      c.FillRect(tr, Focused() ? clHighlight : clBtnFace);
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(selected && Focused() ? clHighlightText : clWindowText);
    c.TextOut(tx, y + (h - ext.cy) / 2, e.Name);
  }
}

void THelpContentsTree::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  SetFocus();
  Integer i = EntryAt(x, y);
  if (i < 0 || button != mbLeft)
    return;
  if (HasChildren(i))
    SetExpanded(i, !FExpanded[size_t(i)]);
  Choose(i);
}

void THelpContentsTree::KeyDown(Word& key, TShiftState shift)
{
  std::vector<Integer> rows = VisibleEntries();
  if (rows.empty())
    return;
  auto it = std::find(rows.begin(), rows.end(), FSelected);
  Integer row = it == rows.end() ? -1 : Integer(it - rows.begin());
  switch (key) {
  case VK_UP:
    if (row > 0)
      Choose(rows[size_t(row) - 1]);
    else if (row < 0)
      Choose(rows.front());
    break;
  case VK_DOWN:
    if (row + 1 < Integer(rows.size()))
      Choose(rows[size_t(row) + 1]);
    break;
  case VK_HOME: Choose(rows.front()); break;
  case VK_END: Choose(rows.back()); break;
  case VK_RIGHT:
    if (FSelected >= 0 && HasChildren(FSelected))
      SetExpanded(FSelected, true);
    break;
  case VK_LEFT:
    if (FSelected >= 0 && HasChildren(FSelected) && FExpanded[size_t(FSelected)])
      SetExpanded(FSelected, false);
    else if (FSelected >= 0 && Parent(FSelected) >= 0)
      Choose(Parent(FSelected));
    break;
  case VK_RETURN:
    if (FSelected >= 0)
      Choose(FSelected);
    break;
  default: return;
  }
  key = 0;
}

bool THelpContentsTree::DoMouseWheel(TShiftState shift, Integer delta, TPoint mousePos)
{
  FTopRow -= delta / 120 * 3;
  UpdateScrollBar();
  return true;
}

// ---------------------------------------------------------------------------------------
// The window


THelpViewerFrm::THelpViewerFrm()
{
  SetName("HelpViewerFrm");
  SetCaption("Help");
  TRect work = Screen().WorkAreaRect();
  Integer w = std::min<Integer>(800, work.Width()), h = std::min<Integer>(560, work.Height());
  SetBounds(work.Left + (work.Width() - w) / 2, work.Top + (work.Height() - h) / 2, w, h);

  ToolPanel = TComponent::Create<THelpButtonRow>(this);
  ToolPanel->SetName("ToolPanel");
  ToolPanel->SetParent(this);
  ToolPanel->SetAlign(alTop);
  ToolPanel->SetHeight(30);
  auto toolButton = [this](const char* name, const char* caption, Integer left) {
    TSpeedButton* b = TComponent::Create<TSpeedButton>(this);
    b->SetName(name);
    b->SetParent(ToolPanel);
    b->SetCaption(caption);
    b->SetFlat(true);
    b->SetBounds(left, 3, 64, 24);
    return b;
  };
  BackButton = toolButton("BackButton", "Back", 4);
  BackButton->OnClick = [this](TObject*) { Back(); };
  ForwardButton = toolButton("ForwardButton", "Forward", 70);
  ForwardButton->OnClick = [this](TObject*) { Forward(); };

  NavPanel = TComponent::Create<TPanel>(this);
  NavPanel->SetName("NavPanel");
  NavPanel->SetParent(this);
  NavPanel->SetAlign(alLeft);
  NavPanel->SetWidth(240);
  NavPanel->SetBevelOuter(bvNone);
  NavPanel->SetBorderWidth(3);

  Splitter = TComponent::Create<TSplitter>(this);
  Splitter->SetName("Splitter");
  Splitter->SetParent(this);
  Splitter->SetAlign(alLeft);
  Splitter->SetWidth(4);
  Splitter->SetLeft(NavPanel->Width());
  Splitter->SetMinSize(120);
  Splitter->SetBeveled(true);

  TPanel* tabs = TComponent::Create<THelpButtonRow>(this);
  tabs->SetName("TabPanel");
  tabs->SetAccessibleName("Contents and Index");
  tabs->SetParent(NavPanel);
  tabs->SetAlign(alTop);
  tabs->SetHeight(26);
  tabs->SetBevelOuter(bvNone);
  auto tab = [this, tabs](const char* name, const char* caption, Integer left) {
    TSpeedButton* b = TComponent::Create<TSpeedButton>(this);
    b->SetName(name);
    b->SetParent(tabs);
    b->SetCaption(caption);
    b->SetGroupIndex(1);
    b->SetBounds(left, 0, 80, 24);
    return b;
  };
  ContentsTab = tab("ContentsTab", "Contents", 0);
  ContentsTab->OnClick = [this](TObject*) { SelectTab(false); };
  IndexTab = tab("IndexTab", "Index", 80);
  IndexTab->OnClick = [this](TObject*) { SelectTab(true); };

  Contents = TComponent::Create<THelpContentsTree>(this);
  Contents->SetName("Contents");
  Contents->SetParent(NavPanel);
  Contents->SetAlign(alClient);
  Contents->OnChoose = [this](Integer i) {
    if (!Contents->Entry(i).Local.empty())
      ShowTopic(ResolveHelpLink("/", Contents->Entry(i).Local));
  };

  IndexPanel = TComponent::Create<TPanel>(this);
  IndexPanel->SetName("IndexPanel");
  IndexPanel->SetParent(NavPanel);
  IndexPanel->SetAlign(alClient);
  IndexPanel->SetBevelOuter(bvNone);
  IndexPanel->SetVisible(false);
  IndexPanel->OnResize = [this](TObject*) { LayoutIndexPanel(); };
  KeyLabel = TComponent::Create<TLabel>(this);
  KeyLabel->SetName("KeyLabel");
  KeyLabel->SetParent(IndexPanel);
  KeyLabel->SetCaption("Type in the keyword to find:");
  KeyEdit = TComponent::Create<TEdit>(this);
  KeyEdit->SetName("KeyEdit");
  KeyEdit->SetParent(IndexPanel);
  KeyEdit->OnChange = [this](TObject*) { KeyEditChanged(); };
  KeyEdit->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
    if (key == VK_RETURN) {
      DisplayIndexEntry(IndexList->ItemIndex());
      key = 0;
    } else if ((key == VK_DOWN || key == VK_UP) && IndexList->Count() > 0) {
      Integer i = std::clamp(IndexList->ItemIndex() + (key == VK_DOWN ? 1 : -1), 0, IndexList->Count() - 1);
      IndexList->SetItemIndex(i);
      key = 0;
    }
  };
  IndexList = TComponent::Create<TListBox>(this);
  IndexList->SetName("IndexList");
  IndexList->SetAccessibleName("Keywords");
  IndexList->SetParent(IndexPanel);
  IndexList->OnDblClick = [this](TObject*) { DisplayIndexEntry(IndexList->ItemIndex()); };
  IndexList->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
    if (key == VK_RETURN) {
      DisplayIndexEntry(IndexList->ItemIndex());
      key = 0;
    }
  };
  DisplayButton = TComponent::Create<TButton>(this);
  DisplayButton->SetName("DisplayButton");
  DisplayButton->SetParent(IndexPanel);
  DisplayButton->SetCaption("Display");
  DisplayButton->OnClick = [this](TObject*) { DisplayIndexEntry(IndexList->ItemIndex()); };

  Viewer = TComponent::Create<THTMLViewer>(this);
  Viewer->SetName("Viewer");
  // Tab stops on the pane before its links: it is heard by what it holds.
  Viewer->SetAccessibleName("Help page");
  Viewer->SetParent(this);
  Viewer->SetAlign(alClient);
  Viewer->SetDefBackground(clWindow);
  Viewer->DefFontName = "Arial";
  Viewer->SetDefFontSize(10);
  Viewer->OnHotSpotClick = [this](TObject*, const std::string& src, bool& handled) {
    if (src.empty() || src[0] == '#')
      return;   // an anchor on this page: the viewer scrolls to it
    handled = true;
    std::string lower = Lower(src);
    if (lower.find("://") != std::string::npos || lower.rfind("mailto:", 0) == 0)
      return;   // the help has no business outside its file
    ShowTopic(ResolveHelpLink(FCurrentTopic, src));
  };
  // The pages' pictures come from inside the help file as well. One that is not there shows
  // as missing: the viewer is never sent to look for it on the disk.
  Viewer->SetOnImageRequest([this](TObject*, const std::string& src, TStream*& stream) {
    FPicture.Clear();
    if (FFile && Lower(src).find("://") == std::string::npos) {
      try {
        const std::string bytes = FFile->Read(PagePart(ResolveHelpLink(FCurrentTopic, src)));
        FPicture.Bytes().assign(bytes.begin(), bytes.end());
      } catch (const EChmError&) {}
    }
    stream = &FPicture;
  });
  SelectTab(false);
  LayoutIndexPanel();
}

THelpViewerFrm::~THelpViewerFrm() { DestroyHandle(); }

void THelpViewerFrm::Resize()
{
  TForm::Resize();
  LayoutIndexPanel();
}

void THelpViewerFrm::LayoutIndexPanel()
{
  if (!IndexPanel || !KeyLabel || !KeyEdit || !IndexList || !DisplayButton)
    return;   // still being built
  Integer w = IndexPanel->ClientWidth(), h = IndexPanel->ClientHeight();
  KeyLabel->SetBounds(2, 6, w - 4, 16);
  KeyEdit->SetBounds(2, 24, w - 4, 22);
  IndexList->SetBounds(2, 50, w - 4, std::max<Integer>(0, h - 50 - 34));
  DisplayButton->SetBounds(std::max<Integer>(2, w - 80), std::max<Integer>(50, h - 30), 76, 25);
}

void THelpViewerFrm::OpenFile(const std::string& fileName)
{
  auto chm = std::make_unique<TChmFile>(fileName);
  std::vector<TSitemapEntry> toc, index;
  auto findByExt = [&](const std::string& given, const char* ext) {
    if (!given.empty() && chm->Exists(given))
      return given;
    for (const std::string& n : chm->Names())
      if (n.size() > 4 && Lower(n.substr(n.size() - 4)) == ext)
        return n;
    return std::string();
  };
  if (std::string f = findByExt(chm->ContentsFile(), ".hhc"); !f.empty())
    toc = ParseSitemap(chm->Read(f));
  if (std::string f = findByExt(chm->IndexFile(), ".hhk"); !f.empty())
    index = ParseSitemap(chm->Read(f));
  std::string mapFile = chm->Exists("Context.h") ? chm->Read("Context.h") : std::string();
  std::string aliasFile = chm->Exists("Alias.txt") ? chm->Read("Alias.txt") : std::string();
  index = SortIndex(std::move(index));

  FFile = std::move(chm);
  FFileName = fileName;
  FIndex = std::move(index);
  FContextNames = ParseContextNames(mapFile);
  FContextPages = ParseContextPages(mapFile, aliasFile);
  FHistory.clear();
  FHistoryPos = -1;
  FCurrentTopic.clear();
  SetCaption(FFile->Title().empty() ? std::string("Help") : FFile->Title());
  Contents->SetEntries(std::move(toc));
  IndexList->Items().clear();
  for (const TSitemapEntry& e : FIndex)
    IndexList->Items().push_back(std::string(size_t(std::min(e.Level, 8)) * 3, ' ') + e.Name);
  IndexList->ItemsChanged();
  // The first page: the file's default topic, else the first page of the contents.
  std::string first = FFile->DefaultTopic();
  if (first.empty())
    for (Integer i = 0; i < Contents->Count() && first.empty(); ++i)
      first = Contents->Entry(i).Local;
  if (!first.empty())
    ShowTopic(ResolveHelpLink("/", first));
}

void THelpViewerFrm::ShowPage(const std::string& topic)
{
  std::string page = PagePart(topic);
  std::string anchor = topic.size() > page.size() ? topic.substr(page.size()) : std::string();
  std::string source;
  try {
    source = FFile ? FFile->Read(page) : std::string();
  } catch (const EChmError&) {
    source = "<html><head><title>Page not found</title></head><body><h2>Page not found</h2><p>The page "
             + HtmlEscape(page) + " is not in this help file.</p></body></html>";
  }
  FCurrentTopic = topic;
  Viewer->LoadFromString(source);
  if (anchor.size() > 1)
    Viewer->PositionTo(anchor);
  // The contents follow the page shown.
  for (Integer i = 0; i < Contents->Count(); ++i)
    if (!Contents->Entry(i).Local.empty()
        && Lower(PagePart(ResolveHelpLink("/", Contents->Entry(i).Local))) == Lower(page)) {
      Contents->Select(i);
      break;
    }
  BackButton->SetEnabled(CanGoBack());
  ForwardButton->SetEnabled(CanGoForward());
}

void THelpViewerFrm::ShowTopic(const std::string& topic)
{
  if (FHistoryPos >= 0 && FHistory[size_t(FHistoryPos)] == topic) {
    ShowPage(topic);
    return;
  }
  FHistory.resize(size_t(FHistoryPos + 1));
  FHistory.push_back(topic);
  FHistoryPos = Integer(FHistory.size()) - 1;
  ShowPage(topic);
}

void THelpViewerFrm::Back()
{
  if (!CanGoBack())
    return;
  --FHistoryPos;
  ShowPage(FHistory[size_t(FHistoryPos)]);
}

void THelpViewerFrm::Forward()
{
  if (!CanGoForward())
    return;
  ++FHistoryPos;
  ShowPage(FHistory[size_t(FHistoryPos)]);
}

void THelpViewerFrm::SelectTab(bool index)
{
  ContentsTab->SetDown(!index);
  IndexTab->SetDown(index);
  Contents->SetVisible(!index);
  IndexPanel->SetVisible(index);
  NavPanel->Realign();
  LayoutIndexPanel();
}

bool THelpViewerFrm::ContentsShown() const { return Contents->Visible(); }
bool THelpViewerFrm::IndexShown() const { return IndexPanel->Visible(); }

void THelpViewerFrm::ShowContents() { SelectTab(false); }

void THelpViewerFrm::FocusShownPane()
{
  if (TWinControl* f = FindFocusedControl(); f && f->GetParentForm() == this)
    return;
  TWinControl* pane = ContentsShown() ? static_cast<TWinControl*>(Contents) : KeyEdit;
  if (Showing() && pane->Showing())
    pane->SetFocus();
}

Integer THelpViewerFrm::FindKeyword(const std::string& keyword) const
{
  std::string key = Lower(Trim(keyword));
  if (key.empty())
    return FIndex.empty() ? -1 : 0;
  for (size_t i = 0; i < FIndex.size(); ++i)
    if (FIndex[i].Level == 0 && Lower(FIndex[i].Name).rfind(key, 0) == 0)
      return Integer(i);
  return -1;
}

void THelpViewerFrm::KeyEditChanged()
{
  Integer i = FindKeyword(KeyEdit->Text());
  if (i >= 0) {
    IndexList->SetItemIndex(i);
    IndexList->SetTopIndex(i);
  }
}

bool THelpViewerFrm::ShowIndex(const std::string& keyword)
{
  SelectTab(true);
  KeyEdit->SetText(keyword);
  Integer i = FindKeyword(keyword);
  if (i >= 0) {
    IndexList->SetItemIndex(i);
    IndexList->SetTopIndex(i);
    if (!Trim(keyword).empty())
      DisplayIndexEntry(i);
  }
  return i >= 0;
}

void THelpViewerFrm::DisplayIndexEntry(Integer i)
{
  if (i < 0 || i >= Integer(FIndex.size()))
    return;
  // A keyword without a page of its own shows the first page listed under it.
  for (size_t j = size_t(i); j < FIndex.size(); ++j) {
    if (j > size_t(i) && FIndex[j].Level <= FIndex[size_t(i)].Level)
      break;
    if (!FIndex[j].Local.empty()) {
      ShowTopic(ResolveHelpLink("/", FIndex[j].Local));
      return;
    }
  }
}

bool THelpViewerFrm::ShowContext(Integer context)
{
  auto it = FContextPages.find(context);
  if (it == FContextPages.end())
    return false;
  ShowTopic(ResolveHelpLink("/", it->second));
  return true;
}

std::string THelpViewerFrm::PopupText(Cardinal id) const
{
  if (!FFile || !FFile->Exists("CSHelp.txt"))
    return {};
  return FindPopupText(FFile->Read("CSHelp.txt"), id, FContextNames);
}
