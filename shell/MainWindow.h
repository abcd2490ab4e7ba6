// The main window: the 3D view with its toolbars and control pages on the left, the page
// pane with its toolbar on the right, the menus, the status line; and what turns a click in
// a page into a model, drives the animation and answers the controls and the mouse.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/GLCadencer.h"
#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "engine/GLViewer.h"
#include "html/HTMLIndex.h"
#include "html/HtmlViewer.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/FormCtrls.h"
#include "platform/ScrollBar.h"
#include "platform/StdCtrls.h"
#include "shell/CamGraph.h"
#include "shell/TopicTest.h"
#include "toolbar/ThemedItems.h"
#include "toolbar/ThemedEditItems.h"
#include "topics/TopicFrame.h"
#include "topics/TopicRegistry.h"

class TTBImageList;
class THelpRouter;
struct TTopicEntry;

// The window's title.
extern const char* const ProductTitle;
// Who the error box asks the user to tell.
extern const char* const PublisherName;

class TKVMainFrm : public TForm {
  // Errors reach the window's box from its first step on; a window that fails to come up
  // hands the application's handlers and the main-window pointer back as it goes. The first
  // member, so the last to go.
  struct TMainWindowClaim {
    TKVMainFrm* Window;
    // The error handler the application had before this window took its errors.
    TExceptionEvent Previous;
    bool Claimed = false;
    // Hands the application's handlers back while this is still the main window.
    void ReleaseHandlers();
    ~TMainWindowClaim();
  } FClaim{this, nullptr};

public:
  // AppFolder: where the program and its content folders lie (with its separator).
  explicit TKVMainFrm(const std::string& AppFolder);
  ~TKVMainFrm() override;

  // ---- the component tree ----
  TTBXToolbar* MainMenu = nullptr;
  TStatusBar* StatusBar = nullptr;
  TPanel* LeftPanel = nullptr;
  TSplitter* Splitter = nullptr;
  TPanel* RightPanel = nullptr;

  TPanel* SplashPanel = nullptr;
  TImage* SplashPic = nullptr;

  TPanel* GLPanel = nullptr;
  TTBXToolbar* MainToolbar = nullptr;
  TTBXItem* ZoomInBtn = nullptr;
  TTBXItem* ZoomOutBtn = nullptr;
  TTBXItem* StartBtn = nullptr;
  TTBXItem* StopBtn = nullptr;
  TScrollBar* RTChsb = nullptr;
  TPageControl* ToolPC = nullptr;
  TTBXToolbar* LeverToolbar = nullptr;
  TPanel* LeverLabel = nullptr;
  TTBXItem* LeverBtn1 = nullptr;
  TTBXItem* LeverBtn2 = nullptr;
  TCheckBox* LeverChk = nullptr;
  // The 3D view: the control that shows the scene viewer's surface.
  TGLHost* GLViewer = nullptr;

  TPanel* GraphPanel = nullptr;
  TTBXToolbar* Cam2DToolbar = nullptr;
  TTBXComboBoxItem* CamGraphCB = nullptr;
  TTBXItem* CamStartBtn = nullptr;
  TTBXItem* CamStopBtn = nullptr;
  TScrollBar* AngleHsb = nullptr;
  TPanel* GDIPanel = nullptr;
  TScrollBar* CamShapeHsb = nullptr;
  TLabel* CamShapeLabel = nullptr;
  TPaintBox* pic = nullptr;

  TTBXToolbar* HTMLToolbar = nullptr;
  TTBXItem* IndexBtn = nullptr;
  TTBXItem* FwdBtn = nullptr;
  TTBXItem* BackBtn = nullptr;
  TTBXItem* CopyBtn = nullptr;
  TTBXSubmenuItem* FontBtn = nullptr;
  TTBXItem* Font8pt = nullptr;
  TTBXItem* Font10pt = nullptr;
  TTBXItem* Font12pt = nullptr;
  TTBXItem* Font14pt = nullptr;
  TTBXItem* PrintBtn = nullptr;
  TTBXItem* TestBtn = nullptr;
  THTMLViewer* Viewer = nullptr;

  // Menus.
  TTBXSubmenuItem* File1 = nullptr;
  TTBXItem* PrintMechanism1 = nullptr;
  TTBXItem* PrintText1 = nullptr;
  TTBXItem* Exit1 = nullptr;
  TTBXSubmenuItem* Edit1 = nullptr;
  TTBXItem* CopyMechanism1 = nullptr;
  TTBXItem* CopyMechanismToFile1 = nullptr;
  TTBXItem* CopySelectedText1 = nullptr;
  TTBXSubmenuItem* View1 = nullptr;
  TTBXSubmenuItem* Backgroundcolor1 = nullptr;
  TTBXItem* Black1 = nullptr;
  TTBXItem* White1 = nullptr;
  TTBXItem* Other1 = nullptr;
  TTBXSubmenuItem* Textbackgroundcolour1 = nullptr;
  TTBXItem* WhiteBgnd1 = nullptr;
  TTBXItem* PaleBlue1 = nullptr;
  TTBXItem* PaleYellow1 = nullptr;
  TTBXItem* Showaxes1 = nullptr;
  TTBXItem* Resetviewpoint1 = nullptr;
  TTBXSubmenuItem* Animation1 = nullptr;
  TTBXItem* Speed1 = nullptr;
  TTBXSubmenuItem* Test1 = nullptr;
  TTBXItem* AllTopics1 = nullptr;
  std::vector<TTBXItem*> TestCategoryItems;
  TTBXSubmenuItem* Help1 = nullptr;
  TTBXItem* SearchForHelp1 = nullptr;
  TTBXItem* Contents1 = nullptr;
  TTBXItem* About1 = nullptr;
  // The page pictures' popup menu.
  TTBCustomItem* PicPopUp = nullptr;
  TTBCustomItem* CopyPictureToClipboard1 = nullptr;
  TTBCustomItem* CopyPictureToFile1 = nullptr;

  // ---- control pages ----
  TTabSheet *TwoCogTab = nullptr, *BevelTab = nullptr, *VPulleyTab = nullptr, *BikeTab = nullptr, *ChainTab = nullptr,
            *StepConeTab = nullptr, *CamTab = nullptr, *LinkTab = nullptr, *CrankTab = nullptr, *HoistTab = nullptr,
            *ScrewTab = nullptr, *BlankTab = nullptr, *WindlassTab = nullptr, *WestonTab = nullptr,
            *BoxCamTab = nullptr, *TreadleTab = nullptr, *IncPlaneTab = nullptr;
  TUpDown* CogUpDn[4] = {};
  TEdit* CogST[4] = {};
  TCheckBox* TwoCogChk = nullptr;
  TLabel* BevelLabel = nullptr;
  TCheckBox* BevelChk = nullptr;
  TComboBox* BeltCB = nullptr;
  TLabel* VPLabel = nullptr;
  TUpDown* VP1UpDn = nullptr;
  TEdit* VP1ST = nullptr;
  TUpDown* VP2UpDn = nullptr;
  TEdit* VP2ST = nullptr;
  TCheckBox* VPChk = nullptr;
  TSpeedButton* DG14Btn = nullptr;
  TSpeedButton* DG16Btn = nullptr;
  TSpeedButton* DG18Btn = nullptr;
  TCheckBox* BikeChk = nullptr;
  TUpDown* Chain1UpDn = nullptr;
  TEdit* Chain1ST = nullptr;
  TUpDown* Chain2UpDn = nullptr;
  TEdit* Chain2ST = nullptr;
  TCheckBox* ChainChk = nullptr;
  TUpDown* StepConeUpDn = nullptr;
  TCheckBox* StepConeChk = nullptr;
  TComboBox* CamCB = nullptr;
  TLabel* CamLabel = nullptr;
  TScrollBar* CamOffsetHsb = nullptr;
  TCheckBox* CamChk = nullptr;
  TLabel* PivotLabel = nullptr;
  TScrollBar* LinkOffsetHsb = nullptr;
  TScrollBar* CrankOffsetHsb = nullptr;
  TUpDown* HoistUpDn = nullptr;
  TEdit* HoistST = nullptr;
  TLabel* HoistLoadLabel = nullptr;
  TComboBox* ScrewCB = nullptr;
  TLabel* ScrewLabel = nullptr;
  TScrollBar* ScrewPitchHsb = nullptr;
  TScrollBar* HandRadHsb = nullptr;
  TLabel* HandRadLabel = nullptr;
  TLabel* AxleLabel = nullptr;
  TLabel* LoadLabel = nullptr;
  TScrollBar* WPRadiusHsb = nullptr;
  TLabel* WPradLabel = nullptr;
  TCheckBox* WPMarkerChk = nullptr;
  TScrollBar* CamSlotHsb = nullptr;
  TScrollBar* SCamRadHsb = nullptr;
  TCheckBox* BoxCamChk = nullptr;
  TScrollBar* TreadleHsb = nullptr;
  TCheckBox* TreadleChk = nullptr;
  TLabel* PAngleLabel = nullptr;
  TScrollBar* PlaneAngleHsb = nullptr;
  TLabel* PEffortLabel = nullptr;
  // The pages by kind, and each page's marker check box (null where it has none).
  TTabSheet* ControlPages[size_t(TControlPage::Count)] = {};
  TCheckBox* PageMarkerBoxes[size_t(TControlPage::Count)] = {};
  std::vector<std::pair<TCheckBox*, Integer>> PageCheckBoxes;   // each with its own left
  Integer PageRowHeight = 30;                                   // the page control's height for one row of controls

  // ---- the scene ----
  TGLMaterialLibrary MatLib;
  std::unique_ptr<TGLScene> GLScene1;
  TDummyCube* RootDC = nullptr;
  TDummyCube* SceneBase = nullptr;
  TGLCamera* GLCamera = nullptr;
  std::unique_ptr<TGLSceneViewer> SceneViewer;
  std::unique_ptr<TGLCadencer> Cadencer;

  // Dialogs and image lists.
  TPrintDialog* PrintDlg = nullptr;
  TSaveDialog* SaveDlg = nullptr;
  TColorDialog* ColorDlg = nullptr;
  TTBImageList* TBImageList1 = nullptr;
  TTBImageList* TBImageList2 = nullptr;
  TTBImageList* LeverImages = nullptr;
  THelpRouter* HelpRouter1 = nullptr;

  // ---- state ----
  Single MouseX = 0, MouseY = 0;
  std::unique_ptr<THTMLIndex> TopicIndex;
  std::string HTMLDir;
  std::string VideoDir;
  // The folder the picture save dialogs open in first (Tarv.ini [UserDir] dir; empty: the
  // system's choice); after a save, the folder of the file written.
  std::string UserDir;
  // Where the models and their pictures lie; the builds that load them are handed it.
  std::string ModelFolder = ProgramModelFolder();
  // The arrows' and letters' colour the View menu's background picks: white on black, black
  // on white. Builds are handed it; a change recolours the model already built.
  TVector MarkerColour = DefaultMarkerColour;
  Integer CurrentTopic = 0;
  bool Stopped = true;
  std::string UserName;
  Integer LeverExample = 0;
  bool SplashShown = true;
  std::unique_ptr<TCamGraph> CamDiagram;
  Integer VideoMode = 0;
  Single Phase = 0;
  // Degrees a second, by topic id; each starts at its topic's rate.
  std::vector<Integer> TopicRates = TopicStartRates();
  // The cog counts last built, by the memory the topics share (their row's TeethMemory).
  std::map<std::string, std::vector<Integer>> KeptTeeth;
  // The test window the toolbar's "test" and the Test menu open, with its marks.
  TTestWindows TestWindows;
  // The page picture under the mouse at the last right click.
  TImageObj* PopupImage = nullptr;

  // ---- life cycle and application handlers ----
  // Makes this the main window: errors come here.
  void ClaimErrors();
  // Hints and idle time come here too, once the window stands.
  void InstallApplicationHandlers();
  void FormShow(TObject* Sender);
  // Asks "Exit program"; true when the window may close (the clock is stopped then).
  bool FormCloseQuery();
  void AppException(TObject* Sender, const Exception& E);
  void AppHint(TObject* Sender);
  void AppIdle(TObject* Sender, bool& Done);
  void File1Click(TTBCustomItem* Sender, bool FromLink);
  void Edit1Click(TTBCustomItem* Sender, bool FromLink);
  void View1Click(TTBCustomItem* Sender, bool FromLink);
  void Exit1Click(TObject* Sender);
  // Printing, pictures and tests.
  void PrintTextClick();
  void ViewerRightClick(TRightClickParameters& P);
  void TestMenuClick(TObject* Sender);
  // Where the test window goes: over what the left pane shows (screen coordinates).
  TRect TestBounds() const;
  // The text the error box shows for a message.
  static std::string ErrorBoxText(const std::string& Message);

  // ---- topic dispatch ----
  void ViewerHotSpotClick(TObject* Sender, const std::string& SRC, bool& Handled);
  void ShowTopic(Integer Id);
  void ClearScene(Integer Id);
  void SetViewPoint(Integer Id, Integer Example);
  void IndexBtnClick(TObject* Sender);
  void FwdBtnClick(TObject* Sender);
  void ViewerHistoryChange(TObject* Sender);
  void N8point1Click(TObject* Sender);
  void CopyBtnClick(TObject* Sender);
  void ViewerMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  // A "$" link's picture or a pound-sign link's clip: the file in Folder named by Name, when
  // Name is a plain file name of an existing regular file there; else empty.
  static std::string ContentFile(const std::string& Folder, const std::string& Name);

  // ---- animation drive ----
  void CadencerProgress(TObject* Sender, double DeltaTime, double NewTime);
  void StartBtnClick(TObject* Sender);
  void StopBtnClick(TObject* Sender);
  void CamStartBtnClick(TObject* Sender);
  void CamStopBtnClick(TObject* Sender);
  void RTChsbScroll(TObject* Sender, TScrollCode ScrollCode, int32_t& ScrollPos);
  void Speed1Click(TObject* Sender);

  // ---- per-topic controls ----
  // The values the topic procedures take, read from the controls (markers from the
  // current topic's check box).
  TTopicControls CurrentControls() const;
  // The registry row of the current topic (null for none).
  const TTopicRow* CurrentRow() const;
  // The procedures of the current topic and lever example (null for none).
  const TTopicEntry* CurrentEntry() const;
  // The current topic shows a model with this page of controls.
  bool ShowsPage(TControlPage Page) const;
  // Empties the scene and builds the current topic again from the controls, at phase 0,
  // with the step bar's range for the new values.
  void RebuildTopic();
  // Shows the belt's radii unless a crossed belt is picked, and rebuilds.
  void BuildBeltDrive();
  void ShowLeverToolbar(const TTopicRow& Row);
  void LeverBtn1Click(TObject* Sender);
  void LeverChkClick(TObject* Sender);
  void MarkerChkClick(TObject* Sender);
  void PlaneAngleHsbScroll(TObject* Sender, TScrollCode ScrollCode, int32_t& ScrollPos);
  void HandRadHsbChange(TObject* Sender);
  void WPRadiusHsbChange(TObject* Sender);
  void HoistUpDnClick(TObject* Sender, TUDBtnType Button);
  void picPaint(TObject* Sender);
  void CamGraphCBClick(TObject* Sender);
  void DrawCamGraph();

  // ---- the 3D view's mouse and the View menu ----
  void GLViewerMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void GLViewerMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void GLViewerMouseWheel(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled);
  void GLViewerClick(TObject* Sender);
  void ZoomInBtnClick(TObject* Sender);
  void Backgroundcolor1Click(TTBCustomItem* Sender, bool FromLink);
  void Black1Click(TObject* Sender);
  void Textbackgroundcolour1Click(TTBCustomItem* Sender, bool FromLink);
  void WhiteBgnd1Click(TObject* Sender);
  void Showaxes1Click(TObject* Sender);
  void Resetviewpoint1Click(TObject* Sender);
  void RecolourMarkers();

  // A control of the window, named, in its font, on Parent (none: no parent yet).
  template <class T>
  T* Make(const char* Name, TWinControl* Parent);

private:
  // A toolbar whose items lay out once, when the window has been built, instead of after
  // every item added.
  TTBXToolbar* MakeToolbar(const char* Name, TWinControl* Parent);
  std::vector<TTBXToolbar*> FToolbarsBeingBuilt;
  void CreateMenus();
  void CreateLeftPane();
  void CreateRightPane();
  void CreateControlPages();
  // Sets the current topic's page of controls (or the lever toolbar) as its row says.
  void ShowTopicControls(const TTopicRow& Row);
  // Keeps each page's check box, with its caption, inside a narrow left pane (half of an
  // 800-pixel screen), moving it left towards the page's other controls but never onto them;
  // where the row has no room left for it, it goes to a row of its own below them, and the
  // page control is two rows high while that page shows.
  void FitPageCheckBoxes();
  void CreateLeverToolbar();
  void CreateCamPanel();
  void FitToWorkArea();
  // The model pane keeps its share of the window's width (the user's splitter position, or
  // the starting half) over every resize, narrower or wider; the splitter's limits hold.
  void KeepPaneShares();
  // Shows the whole splash picture centred in its pane, scaled down when the pane is smaller.
  void PlaceSplashPicture();
  Integer FPaneWidthSeen = 0;     // the client width the panes were last shared out for
  Integer FPaneWidthGiven = -1;   // the model pane's width as last shared out
  double FPaneShare = 0;          // the model pane's share of the client width (0: none yet)
  // Builds the current topic (ShowTopic's and the controls' rebuilds): a build that fails
  // leaves an empty scene and raises its error.
  void BuildCurrent(const TTopicControls& Controls);
  // Sets the step bar's range from the current topic's repeat angle.
  void SetStepRange(const TTopicControls& Controls);
  // Animates the current topic at a phase (the tick and the step bar).
  void AnimateAt(Single Value, bool Advancing);
  void SetClock(bool Running);
  std::string FAppFolder;
  bool FInProgress = false;     // a tick is running
  bool FErrorShowing = false;   // the error box is up
  int FHelpKeyFilter = 0;
};

template <class T>
T* TKVMainFrm::Make(const char* Name, TWinControl* Parent)
{
  T* c = TComponent::Create<T>(this);
  if (Name && *Name)
    c->SetName(Name);
  c->Font().Assign(Font());
  if (Parent)
    c->SetParent(Parent);
  return c;
}

// The one main window, while it exists: the application's handlers are its own.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the program's one main window
extern TKVMainFrm* KVMainFrm;
