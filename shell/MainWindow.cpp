// The main window's making: the component tree, the menus, the folders and the ini file,
// the window's size, and the application-wide handlers (errors, hints, idle, closing).
#include "shell/MainWindow.h"

#include <algorithm>
#include <utility>

#include "engine/GLStandardScene.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/About.h"
#include "shell/Glyphs.h"
#include "shell/HelpContexts.h"
#include "shell/ModelPicture.h"
#include "shell/PrintPreview.h"
#include "platform/AppHelp.h"
#include "platform/BmpFile.h"
#include "shell/HelpRouter.h"
#include "shell/TopicDispatch.h"
#include "toolbar/Items.h"

const char* const ProductTitle = "Orrelo";
const char* const PublisherName = "the Orrelo developers";
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the program's one main window
TKVMainFrm* KVMainFrm = nullptr;

namespace {

constexpr Integer SplitterMinSize = 50;
constexpr Integer PicWidth = 390, PicHeight = 400;

template <class T>
T* AddItem(TTBCustomItem* Parent, const char* Name, const std::string& Caption)
{
  auto* item = Parent->AddNew<T>();
  item->SetName(Name);
  item->SetCaption(Caption);
  return item;
}

TTBXItem* AddGlyphTopButton(TTBCustomItem* Parent, const char* Name, const std::string& Caption, Integer Image,
                            const std::string& Hint)
{
  auto* b = AddItem<TTBXItem>(Parent, Name, Caption);
  b->SetImageIndex(Image);
  b->SetLayout(tbxlGlyphTop);
  b->SetDisplayMode(nbdmImageAndText);
  b->SetMinWidth(44);
  b->SetHint(Hint);
  return b;
}

// Places a control on a toolbar at the end of its items. The control stays the form's: the
// item only shows it.
TTBControlItem* AddControlItem(TTBCustomToolbar* Bar, TControl* Control)
{
  auto* item = static_cast<TTBControlItem*>(Bar->Items()->Add(std::make_unique<TTBControlItem>(Control)));
  item->SetKeepControl(true);
  Control->SetParent(Bar);
  return item;
}

constexpr Integer CategoryCount = 11;

void AddBlankSeparator(TTBCustomItem* Parent, Integer Size)
{
  auto* sep = static_cast<TTBXSeparatorItem*>(Parent->Add(std::make_unique<TTBXSeparatorItem>()));
  sep->SetSize(Size);
  sep->SetBlank(true);
}

}   // namespace

TKVMainFrm::TKVMainFrm(const std::string& AppFolder) : FAppFolder(AppFolder)
{
  // A picture or file that fails to load while the window is built is told in the window's
  // own error box, like any later error.
  ClaimErrors();
  SetName("KVMainFrm");
  SetCaption(ProductTitle);
  SetIcon(ApplicationIcon(), GlyphGround);
  // The name printed on model printouts.
  UserName = LoginUserName();
  // The window's font: Arial, 8 points at the screen's resolution.
  Font().SetName("Arial");
  Font().SetHeight(-MulDiv(8, ScreenPixelsPerInch(), 72));
  SplashShown = true;
  // The optional ini file; only read.
  if (FileExists(AppFolder + "Tarv.ini")) {
    TIniFile ini(AppFolder + "Tarv.ini");
    UserDir = ini.ReadString("UserDir", "dir", "");
    VideoMode = ini.ReadInteger("video", "MP", 0);
  }
  // The content folders.
  HTMLDir = AppFolder + "HTML/";
  VideoDir = AppFolder + "Video/";
  ModelFolder = AppFolder + "3DS/";

  // The scene: twenty materials, RootDC with its lights and SceneBase, the camera.
  FillStandardMaterials(MatLib);
  GLScene1 = std::make_unique<TGLScene>();
  TStandardScene stage = BuildStandardScene(*GLScene1);
  RootDC = stage.RootDC;
  SceneBase = stage.SceneBase;
  GLCamera = stage.Camera;
  Cadencer = std::make_unique<TGLCadencer>();
  Cadencer->SetScene(GLScene1.get());
  Cadencer->OnProgress = [this](TObject* Sender, double dt, double t) { CadencerProgress(Sender, dt, t); };

  PrintDlg = TComponent::Create<TPrintDialog>(this);
  SaveDlg = TComponent::Create<TSaveDialog>(this);
  SaveDlg->DefaultExt = "*.jpg";
  SaveDlg->Filter = "pictures files (*.jpg)|*.jpg";
  SaveDlg->Options |= ofOverwritePrompt;
  ColorDlg = TComponent::Create<TColorDialog>(this);
  TBImageList1 = TComponent::Create<TTBImageList>(this, 20, 20);
  AddMainGlyphs(*TBImageList1);
  TBImageList2 = TComponent::Create<TTBImageList>(this, 20, 20);
  AddPageGlyphs(*TBImageList2);
  LeverImages = TComponent::Create<TTBImageList>(this, 24, 24);
  AddLeverGlyphs(*LeverImages);

  DisableAlign();
  CreateMenus();
  StatusBar = Make<TStatusBar>("StatusBar", this);
  StatusBar->SetSimplePanel(true);
  LeftPanel = Make<TPanel>("LeftPanel", this);
  LeftPanel->SetBevelOuter(bvNone);
  LeftPanel->SetAlign(alLeft);
  LeftPanel->SetWidth(400);
  Splitter = Make<TSplitter>("Splitter", this);
  Splitter->SetBeveled(true);
  Splitter->SetMinSize(SplitterMinSize);
  Splitter->SetAlign(alLeft);
  OnResize = [this](TObject*) { KeepPaneShares(); };
  RightPanel = Make<TPanel>("RightPanel", this);
  RightPanel->SetBevelOuter(bvNone);
  RightPanel->SetAlign(alClient);
  CreateLeftPane();
  CreateRightPane();

  // The topic index, built and shown.
  TopicIndex = std::make_unique<THTMLIndex>(Viewer);
  for (const TIndexHeading& h : TopicIndexContents()) {
    Integer n = TopicIndex->AddHeading(h.Title);
    for (const TIndexLink& l : h.Items)
      TopicIndex->AddItem(n, l.Title, l.URL);
  }
  TopicIndex->ShowIndex();
  // The splash picture in the left pane; a missing or bad picture leaves it empty.
  if (FileExists(HTMLDir + "images/Splash_NB.jpg"))
    GuardedCall([&] { SplashPic->LoadFromFile(HTMLDir + "images/Splash_NB.jpg"); });
  CamCB->SetItemIndex(0);
  ScrewCB->SetItemIndex(0);
  BeltCB->SetItemIndex(0);
  // The cam graph draws onto the paint box while it paints.
  CamDiagram = std::make_unique<TCamGraph>(nullptr, pic->Width(), pic->Height());
  CamGraphCB->SetItemIndex(0);
  // The Test menu's categories.
  for (Integer i = 0; i < CategoryCount; ++i) {
    auto* item = AddItem<TTBXItem>(Test1, ("TestCategory" + IntToStr(i)).c_str(), TopicCategoryName(i));
    // Tag 0 is "All topics"; the categories follow from 1.
    item->SetTag(i + 1);
    item->SetHelpContext(IDH_TEST_CATEGORY);
    item->OnClick = [this](TObject* s) { TestMenuClick(s); };
    TestCategoryItems.push_back(item);
  }
  // The answer strip's tick and cross lie with the page pictures.
  GuardedCall([&] {
    std::string tick = HTMLDir + "images/Tick.bmp", cross = HTMLDir + "images/Cross.bmp";
    if (FileExists(tick) && FileExists(cross)) {
      TBitmap t, c;
      LoadBmpFromFile(t, tick);
      LoadBmpFromFile(c, cross);
      TestWindows.SetAnswerMarks(t, c);
    }
  });
  // Help: the menu items work only when the help file is there and opens.
  HelpRouter1 = TComponent::Create<THelpRouter>(this);
  HelpRouter1->SetName("HelpRouter1");
  const bool help = SetupHelp(*HelpRouter1, AppFolder);
  SearchForHelp1->SetEnabled(help);
  Contents1->SetEnabled(help);
  for (TTBXToolbar* bar : FToolbarsBeingBuilt)
    bar->EndUpdate();
  FToolbarsBeingBuilt.clear();
  // The window fills the work area; the panels share the left pane.
  FitToWorkArea();
  SplashPanel->SetAlign(alClient);
  GLPanel->SetVisible(false);
  GLPanel->SetAlign(alClient);
  GraphPanel->SetVisible(false);
  GraphPanel->SetAlign(alClient);
  EnableAlign();
  Realign();

  // Hints go to the status line, idle time to the page toolbar: installed once the window
  // stands.
  InstallApplicationHandlers();
  // F1 anywhere in the window (menus answer it themselves) opens the window's help page.
  FHelpKeyFilter = AddInputFilter([this](const TInputEvent& ev) {
    if (ev.Kind != TInputKind::KeyDown || ev.Key != VK_F1 || ev.Shift != 0 || !ev.Target
        || ev.Target->GetParentForm() != this || !Contents1->Enabled())
      return false;
    GuardedCall([] { ApplicationHelpContext(IDH_MAIN_WINDOW); });
    return true;
  });
  OnShow = [this](TObject* Sender) { FormShow(Sender); };
  OnClose = [this](TObject*, TCloseAction& Action) {
    if (!FormCloseQuery()) {
      Action = caNone;
      return;
    }
    if (Application)
      Application->Terminate();
  };
}

TKVMainFrm::~TKVMainFrm()
{
  // Nothing may tick into a half-freed window.
  Stopped = true;
  if (Cadencer) {
    Cadencer->SetEnabled(false);
    Cadencer->OnProgress = nullptr;
  }
  // The application's handlers are the main window's only while it is the main window.
  FClaim.ReleaseHandlers();
  RemoveInputFilter(FHelpKeyFilter);
  TestWindows.FreeTestWindow();
  // Closes the help viewer it opened while the application still stands.
  if (HelpRouter1) {
    DestroyComponent(HelpRouter1);
    HelpRouter1 = nullptr;
  }
  TopicIndex.reset();
  CamDiagram.reset();
  // The view's surface takes itself out of its host as it goes.
  SceneViewer.reset();
  if (KVMainFrm == this)
    KVMainFrm = nullptr;
}

// ---------------------------------------------------------------------------------------
// Component tree

TTBXToolbar* TKVMainFrm::MakeToolbar(const char* Name, TWinControl* Parent)
{
  auto* bar = Make<TTBXToolbar>(Name, Parent);
  bar->BeginUpdate();
  FToolbarsBeingBuilt.push_back(bar);
  return bar;
}

void TKVMainFrm::CreateMenus()
{
  MainMenu = MakeToolbar("MainMenu", this);
  MainMenu->SetBorderStyle(bsNone);
  MainMenu->SetAccessibleName("Menu");
  MainMenu->SetItemTransparency(itEnable);
  MainMenu->SetMenuBar(true);
  MainMenu->SetAlign(alTop);
  TTBCustomItem* root = MainMenu->Items();

  File1 = AddItem<TTBXSubmenuItem>(root, "File1", "&File");
  File1->OnPopup = [this](TTBCustomItem* s, bool l) { File1Click(s, l); };
  PrintMechanism1 = AddItem<TTBXItem>(File1, "PrintMechanism1", "Print mechanism..");
  PrintText1 = AddItem<TTBXItem>(File1, "PrintText1", "Print text..");
  File1->Add(std::make_unique<TTBXSeparatorItem>());
  Exit1 = AddItem<TTBXItem>(File1, "Exit1", "Exit");
  Exit1->OnClick = [this](TObject* s) { Exit1Click(s); };

  Edit1 = AddItem<TTBXSubmenuItem>(root, "Edit1", "&Edit");
  Edit1->OnPopup = [this](TTBCustomItem* s, bool l) { Edit1Click(s, l); };
  CopyMechanism1 = AddItem<TTBXItem>(Edit1, "CopyMechanism1", "Copy mechanism to clipboard");
  CopyMechanismToFile1 = AddItem<TTBXItem>(Edit1, "CopyMechanismToFile1", "Copy mechanism to file..");
  CopySelectedText1 = AddItem<TTBXItem>(Edit1, "CopySelectedText1", "Copy selected text");
  CopySelectedText1->SetShortCut(ShortCut('C', ssCtrl));
  CopySelectedText1->OnClick = [this](TObject* s) { CopyBtnClick(s); };

  View1 = AddItem<TTBXSubmenuItem>(root, "View1", "&View");
  View1->OnPopup = [this](TTBCustomItem* s, bool l) { View1Click(s, l); };
  Backgroundcolor1 = AddItem<TTBXSubmenuItem>(View1, "Backgroundcolor1", "Background color");
  Backgroundcolor1->OnPopup = [this](TTBCustomItem* s, bool l) { Backgroundcolor1Click(s, l); };
  Black1 = AddItem<TTBXItem>(Backgroundcolor1, "Black1", "Black");
  White1 = AddItem<TTBXItem>(Backgroundcolor1, "White1", "White");
  Other1 = AddItem<TTBXItem>(Backgroundcolor1, "Other1", "Other..");
  for (TTBXItem* i : {Black1, White1, Other1})
    i->OnClick = [this](TObject* s) { Black1Click(s); };
  Textbackgroundcolour1 = AddItem<TTBXSubmenuItem>(View1, "Textbackgroundcolour1", "Text background colour");
  Textbackgroundcolour1->OnPopup = [this](TTBCustomItem* s, bool l) { Textbackgroundcolour1Click(s, l); };
  WhiteBgnd1 = AddItem<TTBXItem>(Textbackgroundcolour1, "WhiteBgnd1", "White");
  PaleBlue1 = AddItem<TTBXItem>(Textbackgroundcolour1, "PaleBlue1", "Pale blue");
  PaleYellow1 = AddItem<TTBXItem>(Textbackgroundcolour1, "PaleYellow1", "Pale yellow");
  for (TTBXItem* i : {WhiteBgnd1, PaleBlue1, PaleYellow1})
    i->OnClick = [this](TObject* s) { WhiteBgnd1Click(s); };
  Showaxes1 = AddItem<TTBXItem>(View1, "Showaxes1", "Show axes");
  Showaxes1->OnClick = [this](TObject* s) { Showaxes1Click(s); };
  Resetviewpoint1 = AddItem<TTBXItem>(View1, "Resetviewpoint1", "Reset view point");
  Resetviewpoint1->OnClick = [this](TObject* s) { Resetviewpoint1Click(s); };

  Animation1 = AddItem<TTBXSubmenuItem>(root, "Animation1", "&Animation");
  Speed1 = AddItem<TTBXItem>(Animation1, "Speed1", "Speed..");
  Speed1->OnClick = [this](TObject* s) { Speed1Click(s); };

  Test1 = AddItem<TTBXSubmenuItem>(root, "Test1", "&Test");
  AllTopics1 = AddItem<TTBXItem>(Test1, "AllTopics1", "All topics");
  AllTopics1->SetTag(0);
  AllTopics1->OnClick = [this](TObject* s) { TestMenuClick(s); };

  Help1 = AddItem<TTBXSubmenuItem>(root, "Help1", "&Help");
  SearchForHelp1 = AddItem<TTBXItem>(Help1, "SearchForHelp1", "Search for help on..");
  Contents1 = AddItem<TTBXItem>(Help1, "Contents1", "Contents..");
  // Enabled by the help set-up when a help file is there.
  SearchForHelp1->SetEnabled(false);
  Contents1->SetEnabled(false);
  About1 = AddItem<TTBXItem>(Help1, "About1", "About");
  Contents1->OnClick = [this](TObject*) { HelpRouter1->ShowHelpContents(); };
  SearchForHelp1->OnClick = [this](TObject*) { HelpRouter1->SearchHelpKeyword(""); };
  // F1 on a menu item shows its page.
  for (auto [item, context] : {std::pair<TTBCustomItem*, THelpContext>{PrintMechanism1, IDH_FILE_PRINT_MECHANISM},
                               {PrintText1, IDH_FILE_PRINT_TEXT},
                               {Exit1, IDH_FILE_EXIT},
                               {CopyMechanism1, IDH_EDIT_COPY_MECHANISM},
                               {CopyMechanismToFile1, IDH_EDIT_COPY_MECHANISM_FILE},
                               {CopySelectedText1, IDH_EDIT_COPY_TEXT},
                               {Backgroundcolor1, IDH_VIEW_BACKGROUND},
                               {Textbackgroundcolour1, IDH_VIEW_TEXT_BACKGROUND},
                               {Showaxes1, IDH_VIEW_AXES},
                               {Resetviewpoint1, IDH_VIEW_RESET},
                               {Speed1, IDH_ANIMATION_SPEED},
                               {AllTopics1, IDH_TEST_ALL},
                               {SearchForHelp1, IDH_HELP_SEARCH},
                               {Contents1, IDH_HELP_CONTENTS},
                               {About1, IDH_HELP_ABOUT}})
    item->SetHelpContext(context);
  About1->OnClick = [this](TObject*) {
    TAboutFrm about(FAppFolder);
    about.ShowModal();
  };

  PrintMechanism1->OnClick = [this](TObject*) { PrintMechanism(*SceneViewer, UserName); };
  PrintText1->OnClick = [this](TObject*) { PrintTextClick(); };
  CopyMechanism1->OnClick = [this](TObject*) { CopyMechanism(*SceneViewer); };
  CopyMechanismToFile1->OnClick = [this](TObject*) { CopyMechanismToFile(*SceneViewer, UserDir); };

  auto menu = std::make_unique<TTBRootItem>();
  PicPopUp = menu.get();
  InsertComponent(std::move(menu));
  CopyPictureToClipboard1 = AddItem<TTBCustomItem>(PicPopUp, "CopyPictureToClipboard1", "Copy picture to clipboard");
  CopyPictureToFile1 = AddItem<TTBCustomItem>(PicPopUp, "CopyPictureToFile1", "Copy picture to file");
  CopyPictureToClipboard1->OnClick = [this](TObject*) { CopyPageImage(PopupImage); };
  CopyPictureToFile1->OnClick = [this](TObject*) { CopyPageImageToFile(*Viewer, PopupImage, *SaveDlg, UserDir); };
}

void TKVMainFrm::CreateLeftPane()
{
  SplashPanel = Make<TPanel>("SplashPanel", LeftPanel);
  SplashPanel->SetBevelOuter(bvNone);
  SplashPanel->SetColor(clWhite);
  SplashPic = Make<TImage>("SplashPic", SplashPanel);
  SplashPic->SetAccessibleName("Orrelo");
  SplashPic->SetStretch(true);
  SplashPanel->OnResize = [this](TObject*) { PlaceSplashPicture(); };

  GLPanel = Make<TPanel>("GLPanel", LeftPanel);
  GLPanel->SetBevelOuter(bvNone);
  MainToolbar = MakeToolbar("MainToolbar", GLPanel);
  MainToolbar->SetBorderStyle(bsNone);
  MainToolbar->SetAccessibleName("Model");
  MainToolbar->SetItemTransparency(itEnable);
  MainToolbar->SetAlign(alTop);
  MainToolbar->SetImages(TBImageList1);
  MainToolbar->SetShowHint(true);
  TTBCustomItem* bar = MainToolbar->Items();
  ZoomInBtn = AddItem<TTBXItem>(bar, "ZoomInBtn", "Zoom in");
  ZoomInBtn->SetImageIndex(mgZoomIn);
  ZoomInBtn->SetHint("Zoom in");
  ZoomOutBtn = AddItem<TTBXItem>(bar, "ZoomOutBtn", "Zoom out");
  ZoomOutBtn->SetImageIndex(mgZoomOut);
  ZoomOutBtn->SetHint("Zoom out");
  StartBtn = AddItem<TTBXItem>(bar, "StartBtn", "Start the animation");
  StartBtn->SetImageIndex(mgStart);
  StartBtn->SetHint("Start the animation");
  StopBtn = AddItem<TTBXItem>(bar, "StopBtn", "Stop the animation");
  StopBtn->SetImageIndex(mgStop);
  StopBtn->SetHint("Stop the animation");
  StopBtn->SetEnabled(false);
  ZoomInBtn->OnClick = [this](TObject* s) { ZoomInBtnClick(s); };
  ZoomOutBtn->OnClick = [this](TObject* s) { ZoomInBtnClick(s); };
  StartBtn->OnClick = [this](TObject* s) { StartBtnClick(s); };
  StopBtn->OnClick = [this](TObject* s) { StopBtnClick(s); };
  AddBlankSeparator(bar, 10);
  RTChsb = Make<TScrollBar>("RTChsb", nullptr);
  RTChsb->SetBounds(0, 0, 160, 17);
  RTChsb->SetMax(360);
  RTChsb->SetLargeChange(360);
  RTChsb->SetHint("run animation manually");
  RTChsb->SetShowHint(true);
  RTChsb->OnScroll = [this](TObject* s, TScrollCode c, int32_t& p) { RTChsbScroll(s, c, p); };
  AddControlItem(MainToolbar, RTChsb)->SetName("RTChsbItem");

  ToolPC = Make<TPageControl>("ToolPC", GLPanel);
  ToolPC->SetAlign(alTop);
  ToolPC->SetHeight(52);
  CreateControlPages();
  // Controls with no label beside them go by these names for screen readers.
  ScrewCB->SetAccessibleName("Thread type");
  WPRadiusHsb->SetAccessibleName("Small radius");
  HandRadHsb->SetAccessibleName("Handle radius");
  ToolPC->OnResize = [this](TObject*) { FitPageCheckBoxes(); };
  CreateLeverToolbar();
  // The lever toolbar takes the control pages' place: both the same height, so the 3D view
  // keeps its size (and draws no extra frame) when one replaces the other.
  PageRowHeight = std::max<Integer>(LeverToolbar->Height(), 30);
  ToolPC->SetHeight(PageRowHeight);

  SceneViewer = std::make_unique<TGLSceneViewer>(nullptr, TGLSurface::TKind::Window);
  SceneViewer->SetCamera(GLCamera);
  SceneViewer->GetBuffer()->SetBackgroundColor(clBlack);
  GLViewer = Make<TGLHost>("GLViewer", GLPanel);
  GLViewer->SetAccessibleName("3D model");
  GLViewer->SetAlign(alClient);
  GLViewer->SetCursor(crHandPoint);
  GLViewer->SetHint("Use the left mouse button to rotate the view. Use the right button to pan");
  GLViewer->SetShowHint(true);
  GLViewer->SetSurface(SceneViewer->GetSurface());
  GLViewer->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    GLViewerMouseDown(s, b, sh, x, y);
  };
  GLViewer->OnMouseMove = [this](TObject* s, TShiftState sh, Integer x, Integer y) { GLViewerMouseMove(s, sh, x, y); };
  GLViewer->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    ViewerMouseUp(s, b, sh, x, y);
  };
  GLViewer->OnMouseWheel = [this](TObject* s, TShiftState sh, Integer d, TPoint p, bool& h) {
    GLViewerMouseWheel(s, sh, d, p, h);
  };
  GLViewer->OnClick = [this](TObject* s) { GLViewerClick(s); };

  CreateCamPanel();
}

void TKVMainFrm::CreateLeverToolbar()
{
  LeverToolbar = MakeToolbar("LeverToolbar", GLPanel);
  LeverToolbar->SetBorderStyle(bsNone);
  LeverToolbar->SetAccessibleName("Levers");
  LeverToolbar->SetItemTransparency(itEnable);
  LeverToolbar->SetAlign(alTop);
  LeverToolbar->SetImages(LeverImages);
  LeverToolbar->SetVisible(false);
  TTBCustomItem* bar = LeverToolbar->Items();
  LeverLabel = Make<TPanel>("LeverLabel", nullptr);
  LeverLabel->SetBevelOuter(bvNone);
  LeverLabel->SetBounds(0, 0, 100, 24);
  LeverLabel->SetCaption("Class 1 levers");
  AddControlItem(LeverToolbar, LeverLabel);
  LeverBtn1 = AddItem<TTBXItem>(bar, "LeverBtn1", "Claw hammer");
  LeverBtn2 = AddItem<TTBXItem>(bar, "LeverBtn2", "Scissors");
  for (TTBXItem* b : {LeverBtn1, LeverBtn2}) {
    b->SetGroupIndex(1);
    b->SetDisplayMode(nbdmImageAndText);
    b->OnClick = [this](TObject* s) { LeverBtn1Click(s); };
  }
  LeverBtn1->SetTag(0);
  LeverBtn2->SetTag(1);
  LeverBtn1->SetImageIndex(lgClawHammer);
  LeverBtn2->SetImageIndex(lgScissors);
  LeverBtn1->SetChecked(true);
  AddBlankSeparator(bar, 20);
  LeverChk = Make<TCheckBox>("LeverChk", nullptr);
  LeverChk->SetCaption("Show labels");
  LeverChk->SetBounds(0, 0, 90, 20);
  LeverChk->SetChecked(true);
  LeverChk->OnClick = [this](TObject* s) { LeverChkClick(s); };
  AddControlItem(LeverToolbar, LeverChk);
}

void TKVMainFrm::CreateCamPanel()
{
  GraphPanel = Make<TPanel>("GraphPanel", LeftPanel);
  GraphPanel->SetBevelOuter(bvNone);
  GraphPanel->SetColor(clWhite);
  Cam2DToolbar = MakeToolbar("Cam2DToolbar", GraphPanel);
  Cam2DToolbar->SetBorderStyle(bsNone);
  Cam2DToolbar->SetAccessibleName("Cam graph");
  Cam2DToolbar->SetItemTransparency(itEnable);
  Cam2DToolbar->SetAlign(alTop);
  Cam2DToolbar->SetImages(TBImageList1);
  TTBCustomItem* bar = Cam2DToolbar->Items();
  // A read-only drop-down list: only the user's pick reaches the handler.
  CamGraphCB = bar->AddNew<TTBXComboBoxItem>();
  CamGraphCB->SetName("CamGraphCB");
  CamGraphCB->SetEditWidth(110);
  // (Shown in menus only: on the toolbar it names the box for readers.)
  CamGraphCB->SetEditCaption("Cam shape");
  CamGraphCB->SetReadOnly(true);
  CamGraphCB->SetDropDownList(true);
  CamGraphCB->SetStrings({"Pear shaped", "Circular", "Heart shaped"});
  CamGraphCB->OnItemClick = [this](TObject* s) { CamGraphCBClick(s); };
  CamStartBtn = AddItem<TTBXItem>(bar, "CamStartBtn", "Start the animation");
  CamStartBtn->SetImageIndex(mgStart);
  CamStopBtn = AddItem<TTBXItem>(bar, "CamStopBtn", "Stop the animation");
  CamStopBtn->SetImageIndex(mgStop);
  CamStartBtn->OnClick = [this](TObject* s) { CamStartBtnClick(s); };
  CamStopBtn->OnClick = [this](TObject* s) { CamStopBtnClick(s); };
  AddBlankSeparator(bar, 10);
  AngleHsb = Make<TScrollBar>("AngleHsb", nullptr);
  AngleHsb->SetBounds(0, 0, 160, 17);
  AngleHsb->SetMax(360);
  AngleHsb->SetHint("rotate cam");
  AngleHsb->SetShowHint(true);
  AngleHsb->OnScroll = [this](TObject*, TScrollCode, int32_t& p) {
    if (!CamDiagram)
      return;
    CamDiagram->Angle = Single(p);
    // The clock goes on from where the user left the cam, as the step bar does for the
    // models; else Start (or the next tick) would snap it back.
    if (CurrentTopic == CamGraphTopic)
      Phase = Single(p);
    DrawCamGraph();
  };
  AddControlItem(Cam2DToolbar, AngleHsb);

  GDIPanel = Make<TPanel>("GDIPanel", GraphPanel);
  GDIPanel->SetAlign(alTop);
  GDIPanel->SetHeight(30);
  GDIPanel->SetBevelOuter(bvNone);
  CamShapeLabel = Make<TLabel>("CamShapeLabel", GDIPanel);
  CamShapeLabel->SetCaption("Cam shape");
  CamShapeLabel->SetBounds(8, 8, 60, 14);
  CamShapeHsb = Make<TScrollBar>("CamShapeHsb", GDIPanel);
  CamShapeHsb->SetBounds(72, 6, 200, 17);
  CamShapeHsb->SetMax(100);
  CamShapeHsb->SetPosition(50);
  CamShapeHsb->SetHint("change the shape of the cam");
  // (The toolbar's list goes by "Cam shape" too: the bar says what it does.)
  CamShapeHsb->SetAccessibleName("Change the shape of the cam");
  CamShapeHsb->SetShowHint(true);
  CamShapeHsb->OnScroll = [this](TObject*, TScrollCode, int32_t& p) {
    if (!CamDiagram)
      return;
    CamDiagram->SetShapeParam(Single(p));
    DrawCamGraph();
  };
  pic = Make<TPaintBox>("pic", GraphPanel);
  pic->SetAccessibleName("Cam graph drawing");
  pic->SetBounds(8, 64, PicWidth, PicHeight);
  pic->OnPaint = [this](TObject* s) { picPaint(s); };
}

void TKVMainFrm::CreateRightPane()
{
  HTMLToolbar = MakeToolbar("HTMLToolbar", RightPanel);
  HTMLToolbar->SetBorderStyle(bsNone);
  HTMLToolbar->SetAccessibleName("Page");
  HTMLToolbar->SetItemTransparency(itEnable);
  HTMLToolbar->SetAlign(alTop);
  HTMLToolbar->SetImages(TBImageList2);
  HTMLToolbar->SetShowHint(true);
  TTBCustomItem* bar = HTMLToolbar->Items();
  IndexBtn = AddGlyphTopButton(bar, "IndexBtn", "home", pgHome, "Main index");
  IndexBtn->SetEnabled(false);
  FwdBtn = AddGlyphTopButton(bar, "FwdBtn", "forward", pgForward, "Move forward");
  FwdBtn->SetEnabled(false);
  BackBtn = AddGlyphTopButton(bar, "BackBtn", "back", pgBack, "Move back");
  BackBtn->SetEnabled(false);
  CopyBtn = AddGlyphTopButton(bar, "CopyBtn", "copy", pgCopy, "Copy selected text");
  FontBtn = AddItem<TTBXSubmenuItem>(bar, "FontBtn", "font");
  FontBtn->SetImageIndex(pgFont);
  FontBtn->SetLayout(tbxlGlyphTop);
  FontBtn->SetDisplayMode(nbdmImageAndText);
  FontBtn->SetMinWidth(44);
  FontBtn->SetHint("Text size");
  Font8pt = AddItem<TTBXItem>(FontBtn, "Font8pt", "8 point");
  Font10pt = AddItem<TTBXItem>(FontBtn, "Font10pt", "10 point");
  Font12pt = AddItem<TTBXItem>(FontBtn, "Font12pt", "12 point");
  Font14pt = AddItem<TTBXItem>(FontBtn, "Font14pt", "14 point");
  Integer size = 8;
  for (TTBXItem* i : {Font8pt, Font10pt, Font12pt, Font14pt}) {
    i->SetTag(size);
    size += 2;
    i->SetGroupIndex(1);
    i->SetAutoCheck(true);
    i->OnClick = [this](TObject* s) { N8point1Click(s); };
  }
  Font10pt->SetChecked(true);
  PrintBtn = AddGlyphTopButton(bar, "PrintBtn", "print", pgPrint, "Print the information text");
  TestBtn = AddGlyphTopButton(bar, "TestBtn", "test", pgTest, "Test your knowledge");
  PrintBtn->OnClick = [this](TObject*) { PrintTextClick(); };
  TestBtn->OnClick = [this](TObject*) {
    TestWindows.RunTest(TopicCategorySet(CurrentTopic), TestBounds(), TBImageList2, {pgPrint, pgBack, pgForward});
  };
  IndexBtn->OnClick = [this](TObject* s) { IndexBtnClick(s); };
  FwdBtn->OnClick = [this](TObject* s) { FwdBtnClick(s); };
  BackBtn->OnClick = [this](TObject* s) { FwdBtnClick(s); };
  CopyBtn->OnClick = [this](TObject* s) { CopyBtnClick(s); };
  // Alt+Left and Alt+Right go back and forward, as in a browser, wherever the keyboard is in
  // the window: a page's text box too, which keeps its other keys (Left, Ctrl+Left...) and
  // sees these two never, with or without a page to go to. They are the page toolbar's
  // shortcuts while this window is the active one.
  HTMLToolbar->SetProcessShortCuts(true);
  HTMLToolbar->OnShortCut = [this](TObject*, TShortCut Key, bool& Handled) {
    TTBXItem* button = Key == ShortCut(VK_LEFT, ssAlt) ? BackBtn : Key == ShortCut(VK_RIGHT, ssAlt) ? FwdBtn : nullptr;
    if (!button || Screen().ActiveForm() != this)
      return;
    Handled = true;
    if (button->Enabled())
      button->Click();
  };

  Viewer = Make<THTMLViewer>("Viewer", RightPanel);
  Viewer->SetAlign(alClient);
  Viewer->SetAccessibleName("Topic page");
  Viewer->DefFontName = "Arial";
  Viewer->SetDefFontSize(10);
  Viewer->SetDefPreFontName("Courier New");
  Viewer->SetDefBackground(clWhite);
  Viewer->SetHistoryMaxCount(20);
  Viewer->SetDefVisitedLinkColor(clBlue);
  Viewer->SetDefOverLinkColor(clRed);
  Viewer->SethtOptions(Viewer->htOptions() | htOverLinksActive | htNoLinkUnderline);
  Viewer->PrintMarginLeft = Viewer->PrintMarginRight = Viewer->PrintMarginTop = Viewer->PrintMarginBottom = 2.0;
  Viewer->PrintScale = 1.0;
  Viewer->SetServerRoot(FAppFolder + "HTML");
  Viewer->OnHotSpotClick = [this](TObject* s, const std::string& src, bool& h) { ViewerHotSpotClick(s, src, h); };
  Viewer->OnHistoryChange = [this](TObject* s) { ViewerHistoryChange(s); };
  Viewer->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    ViewerMouseUp(s, b, sh, x, y);
  };
  Viewer->OnRightClick = [this](TObject*, TRightClickParameters& P) { ViewerRightClick(P); };
  Viewer->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    GLViewerMouseDown(s, b, sh, x, y);
  };
}

void TKVMainFrm::FitToWorkArea()
{
  TRect work = Screen().WorkAreaRect();
  if (!work.IsEmpty()) {
    // The whole window, title bar and borders too, fills the work area.
    SetFrameBounds(work);
    // Half the work area's own width: its left edge need not be 0. The client area the frame
    // leaves, known once the window shows, takes nothing from it (the share is kept from the
    // showing on).
    LeftPanel->SetWidth(work.Width() / 2 - 10);
    FPaneWidthSeen = 0;
    FPaneShare = 0;
  } else {
    // No work area to read: fill the screen.
    SetBounds(0, 0, Screen().Width(), Screen().Height());
    LeftPanel->SetWidth(Screen().Width() / 2 - 10);
  }
}

void TKVMainFrm::KeepPaneShares()
{
  const Integer width = ClientWidth();
  // A model pane width other than the one last given out was set since (the splitter
  // dragged, or the program's own setting), or none is kept yet (the starting split): it
  // becomes the share to keep. The share is never taken from a width the splitter's limits
  // forced, so a window made small and then large again gives the pane its room back.
  if (FPaneWidthSeen > 0 && (FPaneShare <= 0 || LeftPanel->Width() != FPaneWidthGiven))
    FPaneShare = double(LeftPanel->Width()) / FPaneWidthSeen;
  if (FPaneShare > 0)
    Splitter->MoveTo(SafeRound(FPaneShare * width));
  else
    Splitter->MoveTo(LeftPanel->Width());
  FPaneWidthSeen = width;
  FPaneWidthGiven = LeftPanel->Width();
}

void TKVMainFrm::PlaceSplashPicture()
{
  const TBitmap& picture = SplashPic->Picture();
  Integer w = picture.Width(), h = picture.Height();
  const Integer paneW = SplashPanel->Width(), paneH = SplashPanel->Height();
  if (w > 0 && h > 0 && (w > paneW || h > paneH)) {
    const double scale = std::max(0.0, std::min(double(paneW) / w, double(paneH) / h));
    w = SafeTrunc(w * scale);
    h = SafeTrunc(h * scale);
  }
  SplashPic->SetBounds((paneW - w) / 2, (paneH - h) / 2, w, h);
}

// ---------------------------------------------------------------------------------------
// Life cycle and application handlers

void TKVMainFrm::ClaimErrors()
{
  KVMainFrm = this;
  if (!FClaim.Claimed) {
    FClaim.Previous = Application->OnException;
    FClaim.Claimed = true;
  }
  Application->OnException = [this](TObject* Sender, const Exception& E) { AppException(Sender, E); };
}

void TKVMainFrm::TMainWindowClaim::ReleaseHandlers()
{
  if (KVMainFrm != Window || !Claimed)
    return;
  Claimed = false;
  if (Application) {
    Application->OnIdle = nullptr;
    // Errors go back to whoever had them before the window took them.
    Application->OnException = std::exchange(Previous, nullptr);
  }
  SetOnApplicationHint(nullptr);
}

TKVMainFrm::TMainWindowClaim::~TMainWindowClaim()
{
  ReleaseHandlers();
  if (KVMainFrm == Window)
    KVMainFrm = nullptr;
}

void TKVMainFrm::InstallApplicationHandlers()
{
  ClaimErrors();
  // Hints go to the status line; idle time updates the page toolbar.
  SetOnApplicationHint([this](TObject* Sender) { AppHint(Sender); });
  Application->OnIdle = [this](TObject* Sender, bool& Done) { AppIdle(Sender, Done); };
}

void TKVMainFrm::FormShow(TObject*)
{
  FPaneWidthSeen = ClientWidth();
  PlaceSplashPicture();
  Screen().SetCursor(crDefault);
}

bool TKVMainFrm::FormCloseQuery()
{
  if (MessageDlg("Exit program", mtConfirmation, mbYesNo) != mrYes)
    return false;
  // Stop the clock before anything is torn down, so no tick reaches a closing window.
  Stopped = true;
  SetClock(false);
  return true;
}

std::string TKVMainFrm::ErrorBoxText(const std::string& Message)
{
  return Message + "\r\nAn unexpected error has occured.\r\nIf the problem persists, please report it to\r\n"
         + PublisherName;
}

void TKVMainFrm::AppException(TObject*, const Exception& E)
{
  // One box at a time: an error raised while a box is up (a tick delivered by the box's own
  // loop, say) would stack boxes without end.
  if (FErrorShowing)
    return;
  FErrorShowing = true;
  try {
    MessageBox(ErrorBoxText(E.Message), ProductTitle, MB_OK | MB_ICONERROR);
  } catch (...) {}
  FErrorShowing = false;
}

void TKVMainFrm::AppHint(TObject*)
{
  if (StatusBar)
    StatusBar->SetSimpleText(ApplicationHint());
}

void TKVMainFrm::AppIdle(TObject*, bool& Done)
{
  Done = true;
  IndexBtn->SetEnabled(!Viewer->CurrentFile().empty());
  CopyBtn->SetEnabled(Viewer->SelLength() != 0);
  // The test window keeps to what the left pane shows, clear of the topic's control rows.
  TestWindows.FollowArea(TestBounds());
}

void TKVMainFrm::File1Click(TTBCustomItem*, bool) { PrintMechanism1->SetEnabled(GLPanel->Visible()); }

void TKVMainFrm::Edit1Click(TTBCustomItem*, bool)
{
  CopyMechanism1->SetEnabled(GLPanel->Visible());
  CopyMechanismToFile1->SetEnabled(CopyMechanism1->Enabled());
  // The selection as it is now (Ctrl+C asks here first): the toolbar button follows it only
  // at the next idle pass, which a heavy page holds back.
  CopySelectedText1->SetEnabled(Viewer->SelLength() != 0);
}

void TKVMainFrm::View1Click(TTBCustomItem*, bool)
{
  bool gl = GLPanel->Visible();
  Backgroundcolor1->SetEnabled(gl);
  Showaxes1->SetEnabled(gl);
  Resetviewpoint1->SetEnabled(gl);
}

void TKVMainFrm::Exit1Click(TObject*) { Close(); }

// ---------------------------------------------------------------------------------------
// Printing, pictures and tests

void TKVMainFrm::PrintTextClick() { PrintTextPreview(*Viewer, TBImageList2, {pgPrint, pgBack, pgForward, -1, -1}); }

void TKVMainFrm::ViewerRightClick(TRightClickParameters& P)
{
  PopupImage = P.Image;
  const bool on = PagePictureAvailable(P.Image);
  CopyPictureToClipboard1->SetEnabled(on);
  CopyPictureToFile1->SetEnabled(on);
  if (!on) {
    PopupImage = nullptr;
    return;
  }
  TrackPopupItem(PicPopUp, GetCursorPos(), tbpaLeft);
}

TRect TKVMainFrm::TestBounds() const
{
  // What the left pane shows: the 3D view, the cam drawing below its bars, or the splash.
  TControl* area = SplashPanel;
  if (GLPanel->Visible())
    area = GLViewer;
  else if (GraphPanel->Visible())
    area = pic;
  TPoint o = area->ClientToScreen({0, 0});
  // Never past the left pane: the cam drawing keeps its size in a pane narrower than it.
  const TPoint pane = LeftPanel->ClientToScreen({0, 0});
  const Integer right = std::min(o.X + area->Width(), pane.X + LeftPanel->ClientWidth());
  const Integer bottom = std::min(o.Y + area->Height(), pane.Y + LeftPanel->ClientHeight());
  return Rect(o.X, o.Y, std::max(o.X, right), std::max(o.Y, bottom));
}

void TKVMainFrm::TestMenuClick(TObject* Sender)
{
  auto* item = dynamic_cast<TTBCustomItem*>(Sender);
  if (!item)
    return;
  TestWindows.RunTest(TestMenuMask(Integer(item->Tag())), TestBounds(), TBImageList2, {pgPrint, pgBack, pgForward});
}
