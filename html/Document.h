// The laid-out document: text runs and the images standing in paragraph text, the section
// protocol with cells and the section list (the document root, which owns the style list,
// links, forms, images, anchors and the selection), and text sections with line breaking,
// drawing, hit tests, find and selection.
//
// Coordinates: layout works in document Y and in X relative to the cell being laid out (a
// cell's indent manager starts at 0). Drawing is told the window X of a section's layout X,
// and turns document Y into window Y with the document's vertical offset. Hit tests take
// the window X and the document Y.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "html/GifAnimation.h"
#include "html/DocumentUtils.h"
#include "html/StyleModel.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"

class TSectionBase;
class TSection;
class TSectionList;
class TCellBasic;
class TFontObj;
class TFloatingObj;
class TImageObj;
class TFormControlObj;
class ThtmlForm;

// Object markers in paragraph text.
constexpr char16_t FmCtl = 2;     // a form control
constexpr char16_t ImgPan = 4;    // an image or panel
constexpr char16_t NbSpace = 5;   // a non-breaking space while the paragraph is built
constexpr char16_t BrkCh = 8;     // a forced line break

// Caps on sizes that come from pages, so that layout arithmetic stays in range.
constexpr int32_t MaxImageSide = 32000;
constexpr int32_t MaxPanelSide = 32000;
// Documents end here: lines below it take no height, so Y arithmetic cannot overflow.
constexpr int32_t MaxDocY = 1000000000;

// ---- the viewer as the document sees it ----

// What the document needs of the viewer control that shows it. The viewer implements it;
// a document without one works for layout, drawing and tests.
class THtmlDocHost {
public:
  virtual ~THtmlDocHost() = default;
  // Repaint the paint panel, wholly or a part of it (window coordinates).
  virtual void InvalidatePaintPanel() {}
  virtual void InvalidatePaintRect(const TRect& R) { InvalidatePaintPanel(); }
  // The part of the document the paint panel shows, in document coordinates; empty when
  // nothing is shown.
  virtual TRect VisibleDocRect() { return TRect{}; }
  // The viewer's expansion of a page's image or style-sheet name to a file name.
  virtual std::string HTMLExpandFilename(const std::string& Name) { return Name; }
  // Layout progress (stage 1 while laying out).
  virtual void DoProgress(int32_t Stage, int32_t Percent) {}
  // The control to report to the viewer as having the focus.
  virtual void ControlFocused(TFormControlObj* Ctrl) {}
  // The control that form controls and panels live on (the viewer's paint panel).
  virtual TWinControl* PaintPanel() { return nullptr; }
  // Keys of form controls that the controls leave to the viewer (arrows scroll the page).
  virtual void ViewerKeyDown(Word& Key, TShiftState Shift) {}
};

// ---- text runs ----

class TFontObj {
public:
  // F may be shared with other runs of the same font (never changed in place: a state
  // change of a link run gives the run a font of its own).
  TFontObj(TSection* ASection, std::shared_ptr<TMyFont> F, int32_t Position);
  // A copy for the printing copy: not a link run any more (no state fonts), same target.
  TFontObj(TSection* ASection, const TFontObj& T);
  ~TFontObj();
  TFontObj(const TFontObj&) = delete;
  TFontObj& operator=(const TFontObj&) = delete;

  // (Fields in an order that leaves no gaps: a page holds one run per text section.)
  TSection* Section;
  std::string Title;
  std::shared_ptr<TMyFont> TheFont;
  std::unique_ptr<TFontInfoArray> FIArray;   // link runs only: normal, visited, hover, both
  std::unique_ptr<TUrlTarget> UrlTarget;     // link runs only
  int32_t Pos;
  int32_t SScript = 0;   // ASub or ASuper
  // Measured by FontChanged.
  int32_t FontHeight = 0;
  int32_t tmHeight = 0;
  int32_t tmMaxCharWidth = 0;
  int32_t Overhang = 0;
  int32_t Descent = 0;
  bool Visited = false;
  bool Hover = false;

  void CreateFIArray();
  void ReplaceFont(std::shared_ptr<TMyFont> F);
  void ConvertFont(const ThtFontInfo& Info);
  void SetVisited(bool Value);
  void SetHover(bool Value);
  // Hover on this run and on its neighbours in the link list that belong to the same link.
  void SetAllHovered(std::vector<TFontObj*>& List, bool Value);
  const std::string& GetURL() const;
  bool IsLink() const { return UrlTarget && !UrlTarget->URL.empty(); }
  int32_t LinkID() const { return UrlTarget ? UrlTarget->ID : 0; }
  int32_t GetHeight(int32_t& ADescent) const
  {
    ADescent = Descent;
    return FontHeight;
  }
  void FontChanged();

private:
  void ApplyState();
};

class TFontList : public TFreeList<TFontObj> {
public:
  TFontList() = default;
  void CreateCopy(TSection* ASection, const TFontList& T);
  // The run covering Posn (the last one starting at or before it) and its overhang.
  TFontObj* GetFontAt(int32_t Posn, int32_t& OHang) const;
  // Characters from Posn on in the same run.
  int32_t GetFontCountAt(int32_t Posn, int32_t Leng) const;
  TFontObj* GetFontObjAt(int32_t Posn, int32_t& Index) const;
  // After character N was deleted: later runs move back, an emptied run goes.
  void Decrement(int32_t N, TSectionList* List);
  // Removes runs left without characters (taking them out of the link list).
  void DropEmptyRuns(TSectionList* List);
};

// The canvas that text runs measure their fonts on (screen resolution). Tests install a
// fixed-metric one; nullptr restores the default.
TCanvas& FontMeasureCanvas();
void SetFontMeasureCanvas(TCanvas* Canvas);
// Fonts alike in every attribute, colours included.
bool SameFont(const TMyFont& A, const TMyFont& B);

// ---- floating objects: images and panels ----

class TFloatingObj : public TIDObject {
public:
  TFloatingObj() = default;
  TFloatingObj(const TFloatingObj& T);
  ~TFloatingObj() override = default;

  int32_t Pos = 0;
  int32_t ImageHeight = 0, ImageWidth = 0;   // as drawn, with a link border
  AlignmentType ObjAlign = ABottom;
  int32_t HSpaceL = 0, HSpaceR = 0, VSpaceT = 0, VSpaceB = 0;
  int32_t SpecWidth = 0, SpecHeight = 0;
  bool PercentWidth = false;
  std::string Title, Alt;
  int32_t DrawYY = 0, DrawXX = 0;   // where it was last drawn (window X, document Y)
  int32_t ObjHeight = 0, ObjWidth = 0;
  bool ImageKnown = false;
  bool NoBorder = false;
  int32_t Indent = 0;   // a float's X within its cell, set when placed
  int32_t YValue = 0;   // the top of its line, for jumps

  int32_t YPosition() const override { return YValue; }
  bool Floating() const { return ObjAlign == ALeft || ObjAlign == ARight; }
  // Settles the picture and the size for a layout in AvailableWidth.
  virtual void DrawLogic(TSectionList* SectionList, TCanvas& Canvas, TFontObj* FO, int32_t AvailableWidth) = 0;
  // Draws at window X; YBaseline and YTop in document coordinates.
  virtual void Draw(TCanvas& Canvas, int32_t X, TFontObj* FO, int32_t YBaseline, int32_t YTop) = 0;
  // The copy for the printing copy of the document.
  virtual std::unique_ptr<TFloatingObj> Clone(TSectionList* MasterList) const = 0;
  // Style properties after the tag's attributes.
  virtual void ProcessProperties(TProperties& Prop);
  // An ALIGN attribute: TOP, MIDDLE or ABSMIDDLE, LEFT, RIGHT; others leave it.
  void SetAlignFromText(const std::string& Text);
  // The document Y of its top when drawn in a line, by its alignment.
  int32_t AlignedTop(TFontObj* FO, int32_t YBaseline, int32_t YTop) const;
  // Panels: the shown flag that drawing sets and that the document checks after a paint.
  virtual void SetShown(bool Value) {}
  virtual bool Shown() const { return true; }
  virtual void Hide() {}

protected:
  bool FHSpaceGiven = false;   // a right space was given (attribute or style)
};

// The result of looking an image up by name.
struct TImageResult {
  TBitmap* Bitmap = nullptr;   // a still picture, or
  TGIFImage* GIF = nullptr;    // an animated one (both owned by the image cache)
  TBitmap* Mask = nullptr;
  TTransparency Transparent = NotTransp;
  bool FromCache = false;
  bool Delayed = false;   // the host delivers it later
  bool Empty() const { return !Bitmap && !GIF; }
};

class TImageObj : public TFloatingObj {
public:
  TImageObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L);
  // A background image.
  TImageObj(TSectionList* AMasterList, const std::string& URL);
  TImageObj(TSectionList* AMasterList, const TImageObj& T);
  ~TImageObj() override;

  std::string Source;
  TTransparency Transparent = NotTransp;
  TSectionList* MasterList;
  bool IsMap = false, UseMap = false;
  std::string MapName;
  int32_t Hover = 0;   // 0 off, 1 over, 2 over with the button down
  bool HoverImage = false;
  bool HasBorder = false;
  bool Waiting = false;
  TFormControlObj* MyFormControl = nullptr;

  // The picture drawn: a still bitmap or a GIF (one of them), and its mask.
  const TBitmap* Bitmap() const { return FBitmap; }
  TGIFImage* GIF() const { return FGif; }
  const TBitmap* Mask() const { return FMask; }
  bool IsErrorImage() const { return FBitmap == &ErrorBitmap(); }
  bool IsDefImage() const { return FBitmap == &DefBitmap(); }

  void DrawLogic(TSectionList* SectionList, TCanvas& Canvas, TFontObj* FO, int32_t AvailableWidth) override;
  void Draw(TCanvas& Canvas, int32_t X, TFontObj* FO, int32_t YBaseline, int32_t YTop) override;
  std::unique_ptr<TFloatingObj> Clone(TSectionList* AMasterList) const override;
  void DoDraw(TCanvas& Canvas, int32_t XX, int32_t Y, const TBitmap* ddImage, TGIFImage* ddGif, const TBitmap* ddMask);
  void SetHover(int32_t Value);
  // The picture as a plain bitmap for the host; nullptr for the error image.
  TBitmap* GetBitmap();
  // The host delivers an awaited picture.
  void InsertImage(const TImageResult& R);

private:
  void SetPicture(const TImageResult& R);
  void WrapTextClipped(TCanvas& Canvas, const TRect& Box, int32_t TX, int32_t TY);
  const TBitmap* FBitmap = nullptr;
  TGIFImage* FGif = nullptr;
  const TBitmap* FMask = nullptr;
  std::unique_ptr<TGIFImage> FOwnedGif;   // a copy that animates on its own
  std::unique_ptr<TBitmap> FBitmapCopy;   // made by GetBitmap
  std::string FCacheKey;                  // the cache entry this image holds a use of
  bool FCopy = false;                     // belongs to the printing copy
  bool FExpanded = false;                 // Source holds the expanded name
};

class TImageObjList : public TFreeList<TFloatingObj> {
public:
  void CreateCopy(TSectionList* AMasterList, const TImageObjList& T);
  TFloatingObj* FindImage(int32_t Posn) const;
  // Height with vertical spaces of the object at Posn, or -1.
  int32_t GetHeightAt(int32_t Posn, AlignmentType& AAlign, TFloatingObj*& FlObj) const;
  // Width (without spaces) of the object at Posn, or -1.
  int32_t GetWidthAt(int32_t Posn, AlignmentType& AAlign, int32_t& HSpcL, int32_t& HSpcR, TFloatingObj*& FlObj) const;
  // Characters from Posn to the next object at or after it; 9999 when none.
  int32_t GetImageCountAt(int32_t Posn) const;
  void Decrement(int32_t N);
  // The first image whose drawn box holds the point (window X, document Y).
  bool PtInImage(int32_t X, int32_t Y, int32_t& IX, int32_t& IY, int32_t& Posn, bool& AsIsMap, bool& AUsesMap,
                 TMapItem*& MapItem, TImageObj*& ImageObj) const;
  bool PtInObject(int32_t X, int32_t Y, TFloatingObj*& Obj, int32_t& IX, int32_t& IY) const;
};

// ---- form controls (their families belong to the forms module) ----

// A form element as a paragraph sees it: a character position with a size and a place.
class TFormControlObj : public TIDObject {
public:
  TFormControlObj(TSectionList* AMasterList, int32_t Position);
  ~TFormControlObj() override;

  TSectionList* MasterList;
  ThtmlForm* MyForm = nullptr;
  TSection* Section = nullptr;   // the paragraph it stands in
  int32_t Pos;
  int32_t FormIndex = -1;   // its place in its form's ControlList
  int32_t TabIndex = 0;     // from the page; 1 or more goes before the rest in the tab order
  int32_t YValue = 0;
  bool Active = false;
  bool ShowIt = false;
  std::string Value, Name, ID;
  AlignmentType FormAlign = ABottom;
  int32_t HSpaceL = 0, HSpaceR = 0;
  int32_t FHeight = 0, FWidth = 0;
  // The size of the control as laid out.
  int32_t Width = 0, Height = 0;
  // The window control on the paint panel (owned); none for hidden inputs.
  std::unique_ptr<TWinControl> TheControl;
  // Script texts handed to the object events as they stand.
  std::string OnClickMessage, OnFocusMessage, OnBlurMessage, OnChangeMessage;

  int32_t YPosition() const override { return YValue; }
  virtual bool HasWindowControl() const { return TheControl != nullptr; }
  // Shows the window control at a place on the paint panel (X = -4000 parks it).
  virtual void ShowControlAt(int32_t Left, int32_t Top);
  virtual void SetTabOrder(int32_t Order);
  // The control that takes the focus (a radio's button rather than its panel).
  virtual TWinControl* GetControl() const { return TheControl.get(); }
  // Raises the change event when the contents differ from those saved on entry.
  virtual void DoOnChange() {}
  virtual void SaveContents() {}
  virtual void ResetToValue() {}
  // Entry Index of what the control submits ("" for none); false after the last.
  virtual bool GetSubmission(int32_t Index, std::string& S) { return false; }
  virtual void SetData(int32_t Index, const std::string& V) {}
  virtual void SetDataInit() {}
  // The contents kept with the history and given back on return.
  virtual std::string GetSaveData() const { return {}; }
  virtual void RestoreData(const std::string& Data) {}
  // An image input was clicked at the point SetImagePoint gave.
  virtual void ImageClick() {}
  // Where the control stands among the document's characters (after layout); -1 when it
  // stands nowhere laid out.
  virtual int32_t DocumentPos() const;
  // Focus and clicks of the window control.
  void EnterControl();
  void ExitControl();
  void ClickControl();
  virtual bool IsHidden() const { return false; }
  virtual bool IsRadioOrCheck() const { return false; }
  virtual bool Focused() const { return Active; }
  virtual void SetHeightWidth(TCanvas& Canvas) {}
  virtual void ProcessProperties(TProperties& Prop);
  // The picture of the control for printing.
  virtual void Draw(TCanvas& Canvas, int32_t X1, int32_t Y1) {}
  // An image input learns where in its image the mouse is.
  virtual void SetImagePoint(int32_t IX, int32_t IY) {}
};

class ThtmlForm {
public:
  explicit ThtmlForm(TSectionList* AMasterList) : MasterList(AMasterList) {}
  // A FORM tag: METHOD (at most 4 characters), ACTION, TARGET, ENCTYPE.
  ThtmlForm(TSectionList* AMasterList, const TAttributeList& L);
  virtual ~ThtmlForm();
  TSectionList* MasterList;
  std::string Method = "get", Action, Target, EncType;
  std::vector<std::unique_ptr<TFormControlObj>> ControlList;
  int32_t NonHiddenCount = 0;
  void InsertControl(std::unique_ptr<TFormControlObj> Ctrl);
  // Frees a control of the form ahead of the form, leaving its place empty: as the page
  // goes, each field goes with its paragraph (FreeingFields).
  void FreeControl(const TFormControlObj* Ctrl);
  void SetSizes(TCanvas& Canvas);
  // The controls' values, to be given back after a reload.
  virtual std::vector<std::string> GetControlData() const;
  virtual void SetControlData(const std::vector<std::string>& Data);
  // Unchecks the other radios of the form that share Radio's name.
  void DoRadios(TFormControlObj* Radio);
  // Arrows on a radio move within its group; other keys go to the viewer.
  void ControlKeyDown(TFormControlObj* Sender, Word& Key, TShiftState Shift);
  // Enter in an edit box submits the form.
  void ControlKeyPress(TFormControlObj* Sender, char& Key);
  void ResetControls();
  // "name=value" texts of every control, in control order, empty ones left out.
  std::vector<std::string> GetFormSubmission();
  // Raises the document's submit event with the controls' texts and the button's own.
  void SubmitTheForm(const std::string& ButtonSubmission);
  // Lines "name=value" fill the controls of those names.
  void SetFormData(const std::vector<std::string>& SL);
};

class TFormControlList : public std::vector<TFormControlObj*> {
public:
  TFormControlObj* FindControl(int32_t Posn) const;
  int32_t GetHeightAt(int32_t Posn, AlignmentType& FormAlign) const;
  int32_t GetWidthAt(int32_t Posn, int32_t& HSpcL, int32_t& HSpcR) const;
  int32_t GetControlCountAt(int32_t Posn) const;
  void Decrement(int32_t N);
};

// ---- indent manager ----

class TCellBasic;

// The float bookkeeping of a cell, with the placing of floats and the draw-time origin.
class IndentManager : public IndentManagerBasic {
public:
  // Set while drawing: the window X of the cell's left and right edges, and the Y reference.
  int32_t LfEdge = 0, RtEdge = 0;
  int32_t CurrentYRef = 0;
  const TCellBasic* CurrentOwner = nullptr;
  // Places a floating image at Y as an indent of its side.
  void Update(int32_t Y, TFloatingObj& Img);
  // The same for a floating block of the given size; gives the block's X.
  int32_t UpdateBlock(int32_t Y, int32_t AWidth, int32_t AHeight, AlignmentType Align);
};

// Indent managers lent out by nesting level: a cell laid out or drawn inside another takes
// the next one.
class TIndentManagerPool {
public:
  IndentManager* Lend()
  {
    if (FDepth == FItems.size())
      FItems.push_back(std::make_unique<IndentManager>());
    return FItems[FDepth++].get();
  }
  void Return()
  {
    if (FDepth > 0)
      --FDepth;
  }

private:
  std::vector<std::unique_ptr<IndentManager>> FItems;
  size_t FDepth = 0;
};

// ---- sections ----

// What a hit test found.
enum : uint32_t { guUrl = 1, guControl = 2, guTitle = 4 };
struct TLinkInfo {
  std::unique_ptr<TUrlTarget> UrlTarg;
  TFormControlObj* FormControl = nullptr;
  std::string Title;
};

struct TCursorInfo {
  TFloatingObj* Obj = nullptr;
  bool IntText = false;   // the point lies on text
  int32_t LineHeight = 0;
  int32_t LineTop = 0;   // document Y
  int32_t CursorX = 0;   // window X
};

class TSectionBase : public TIDObject {
public:
  explicit TSectionBase(TSectionList* AMasterList);
  TSectionBase(TSectionList* AMasterList, const TSectionBase& T);
  ~TSectionBase() override;
  TSectionBase(const TSectionBase&) = delete;
  TSectionBase& operator=(const TSectionBase&) = delete;

  TSectionList* ParentSectionList;
  int32_t SectionHeight = 0;
  int32_t DrawHeight = 0;
  int32_t StartCurs = 0;
  int32_t Len = 0;
  int32_t ZIndex = 0;
  int32_t ContentTop = 999999999, ContentBot = 0;
  int32_t DrawTop = 0, DrawBot = 0;
  int32_t YDraw = 0;

  int32_t YPosition() const override { return GetYPosition(); }

  virtual int32_t GetYPosition() const { return ContentTop; }
  virtual std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const;
  virtual void CopyToClipboard() {}
  // Lays the section out at X, Y for AWidth; Curs is the running document position,
  // MaxWidth receives the widest line. Returns the section height.
  virtual int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                         int32_t& MaxWidth, int32_t& Curs);
  // Paints what meets ARect (window coordinates); X is the window X of the layout X.
  virtual int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef, int32_t YRef);
  virtual uint32_t LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info) { return 0; }
  virtual TFloatingObj* ObjectAt(int32_t X, int32_t Y, int32_t& IX, int32_t& IY) { return nullptr; }
  virtual int32_t CursorAt(TCanvas& Canvas, int32_t X, int32_t Y, TCursorInfo& Info) { return -1; }
  virtual int32_t FindString(int32_t From, const std::u16string& ToFind, bool MatchCase) { return -1; }
  virtual int32_t FindStringBackward(int32_t From, const std::u16string& ToFind, bool MatchCase) { return -1; }
  virtual int32_t SourcePosOf(int32_t Pos) const { return -1; }
  virtual int32_t DocPosOf(int32_t SourcePos, bool Backward) const { return -1; }
  // Window X and document Y of a document position.
  virtual bool CursorToXY(TCanvas& Canvas, int32_t Cursor, int32_t& X, int32_t& Y) { return false; }
  virtual bool CharAt(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) { return false; }
  virtual void MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max)
  {
    Min = 0;
    Max = 0;
  }
  virtual void AddToPositionList(std::vector<TSectionBase*>& List) { List.push_back(this); }
  // Blocks: whether it takes part in bottom-margin collapsing, and zeroing an automatic
  // bottom margin (true when one was zeroed).
  virtual bool IsFlowBlock() const { return false; }
  virtual bool ClearAutoBottomMargin() { return false; }
};

// ---- cells ----

class TCellBasic : public TFreeList<TSectionBase> {
public:
  explicit TCellBasic(TSectionList* AMasterList);
  TCellBasic(TSectionList* AMasterList, const TCellBasic& T);
  ~TCellBasic() override;

  TSectionList* MasterList;
  IndentManager* IMgr = nullptr;   // the cell's indent manager while it is laid out or drawn
  int32_t tcContentBot = 0, tcDrawTop = 0, tcDrawBot = 0;
  int32_t CellTop = 0;
  int32_t StartCurs = 0;
  int32_t Len = 0;

  // Appends a section; a finished text section without content is dropped.
  void Add(std::unique_ptr<TSectionBase> Item);
  virtual int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t& Curs,
                         int32_t& MaxWidth);
  virtual void MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max);
  virtual int32_t Draw(TCanvas& Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef, int32_t YRef);
  virtual uint32_t LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info);
  TFloatingObj* ObjectAt(int32_t X, int32_t Y, int32_t& IX, int32_t& IY);
  int32_t CursorAt(TCanvas& Canvas, int32_t X, int32_t Y, TCursorInfo& Info);
  bool CursorToXY(TCanvas& Canvas, int32_t Cursor, int32_t& X, int32_t& Y);
  int32_t FindString(int32_t From, const std::u16string& ToFind, bool MatchCase);
  int32_t FindStringBackward(int32_t From, const std::u16string& ToFind, bool MatchCase);
  int32_t SourcePosOf(int32_t Pos) const;
  int32_t DocPosOf(int32_t SourcePos, bool Backward) const;
  bool CharAt(int32_t Pos, char16_t& Ch, TSectionBase*& Obj);
  void CopyToClipboard();
  void AddToPositionList(std::vector<TSectionBase*>& List);
  // At the end of a container: zeroes the last flow block's automatic bottom margin.
  bool CheckLastBottomMargin();

private:
  // The widths found in the current layout pass (the document's cycle) on one canvas.
  const TCanvas* FMinMaxCanvas = nullptr;
  int32_t FMinMaxCycle = -1;
  int32_t FMinCache = 0, FMaxCache = 0;
};

class TCell : public TCellBasic {
public:
  explicit TCell(TSectionList* AMasterList);
  TCell(TSectionList* AMasterList, const TCell& T);
  ~TCell() override;
  int32_t DrawYY = 0;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t& Curs,
                 int32_t& MaxWidth) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef, int32_t YRef) override;

protected:
  // A table cell's floats matter only while the cell is laid out or drawn, so it borrows
  // an indent manager from the document for that time instead of holding one per cell;
  // the document uses its own. A cell of no document lends from a pool of its own.
  int32_t FIMgrWidth = 0;   // the width the cell was last laid out in

private:
  class TIMgrLoan;
  std::unique_ptr<TIndentManagerPool> FOwnIMgrs;
};

// The cell inside a block, laid out by the block with the block's indent manager.
class TBlockCell : public TCellBasic {
public:
  using TCellBasic::TCellBasic;
  TBlock* OwnerBlock = nullptr;   // the block whose content it is
};

// ---- blocks ----

class THorzLine;
class ThtmlTable;

// A block element: a box of margins, borders and padding around a cell of sections, with
// margin collapsing, floating, clearing, positioning, backgrounds and page-break requests.
class TBlock : public TSectionBase {
public:
  // Reads the box from Prop; collapses its top margin with what AnOwnerCell holds last
  // (the block is added to AnOwnerCell afterwards).
  TBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell, TAttributeList* Attributes);
  // The printing copy.
  TBlock(TSectionList* AMasterList, const TBlock& T);
  ~TBlock() override;

  TCellBasic* OwnerCell = nullptr;
  std::unique_ptr<TBlockCell> MyCell;
  // The element's box properties as written, converted at every layout for its width.
  TBoxProps BoxProps;
  TColor BGColor = NoColor, BorderColor = NoColor;
  TColor FontColor = clBlack;            // borders without a colour of their own
  std::array<int32_t, 16> MargArray{};   // box values in pixels for the last layout
  int32_t EmSize = 16, ExSize = 8;
  std::unique_ptr<TImageObj> BGImage;
  PtPositionRec BGPosition{};
  bool HasBorderStyle = false;
  AlignmentType FloatLR = ANone;   // ANone, ALeft or ARight
  ClearAttrType ClearAttr = clrNone;
  bool TopAuto = false, BottomAuto = false;
  PositionType Positioning = posStatic;
  bool Visibility = true;   // false: hidden
  bool DisplayNone = false;
  bool BreakBefore = false, BreakAfter = false, KeepIntact = false;
  std::string TagClass;   // "tag.class"
  std::string Title;
  bool IsListBlock = false;   // OL, UL, DIR, MENU: room for markers

  // Results of the last layout (X values relative to the layout X).
  int32_t NewWidth = 0;   // content width
  int32_t ClearAddon = 0;
  int32_t Indent = 0;               // layout X to the content's left
  int32_t BoxLeft = 0;              // layout X to the border box's left
  int32_t BoxTop = 0, BoxBot = 0;   // document Y of the border box
  int32_t LeftP = 0, TopP = 0;      // positioning offsets in effect
  TRect MyRect{};                   // border box as last drawn (window X, document Y)
  // Sections in drawing order (stacking levels), built after the first layout.
  std::vector<TSectionBase*> DrawList;

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                 int32_t& MaxWidth, int32_t& Curs) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
               int32_t YRef) override;
  uint32_t LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info) override;
  TFloatingObj* ObjectAt(int32_t X, int32_t Y, int32_t& IX, int32_t& IY) override;
  int32_t CursorAt(TCanvas& Canvas, int32_t X, int32_t Y, TCursorInfo& Info) override;
  int32_t FindString(int32_t From, const std::u16string& ToFind, bool MatchCase) override;
  int32_t FindStringBackward(int32_t From, const std::u16string& ToFind, bool MatchCase) override;
  int32_t SourcePosOf(int32_t Pos) const override;
  int32_t DocPosOf(int32_t SourcePos, bool Backward) const override;
  bool CursorToXY(TCanvas& Canvas, int32_t Cursor, int32_t& X, int32_t& Y) override;
  bool CharAt(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) override;
  void MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max) override;
  void CopyToClipboard() override;
  void AddToPositionList(std::vector<TSectionBase*>& List) override;
  bool IsFlowBlock() const override { return Positioning != posAbsolute; }
  bool ClearAutoBottomMargin() override;
  // At the end of a container whose last block lost its automatic bottom margin: this
  // block takes an automatic one (14 pixels) instead.
  void SetAutoBottomMargin();
  // The element's tag ("p", "ul", "li", ...).
  std::string Tag() const;

protected:
  // ACollapse false: the descendant collapses the top margin itself once it is complete.
  TBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell, TAttributeList* Attributes,
         bool ACollapse);
  // Pixel box values for a layout in BaseWidth, with the count of auto values among width
  // and the horizontal margins.
  void ConvertBox(int32_t BaseWidth, int32_t BaseHeight, int32_t& AutoCount);
  // The content width for the available width; sets auto margins.
  virtual int32_t FindWidth(TCanvas& Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount);
  void CollapseMargins();
  int32_t HorzExtras() const;   // margins, borders and paddings left and right (auto as 0)
  void DrawBlock(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X);
  void DrawBorders(TCanvas& Canvas, const TRect& BorderBox);
  void BuildDrawList();
};

// Draws the four sides of a border box (window coordinates) as solid bands of the given
// widths (top, right, bottom, left) in Color, clipped to the canvas's clip.
void DrawBoxBorders(TCanvas& Canvas, const TRect& BorderBox, const std::array<int32_t, 4>& Widths, TColor Color);

// Tiles a background picture into the padding box PB (window coordinates) from its
// position values, drawing only the tiles that meet ARect.
void DrawTiledBackground(TSectionList* Doc, TCanvas& Canvas, TImageObj& Image, const PtPositionRec& Pos,
                         const TRect& PB, const TRect& ARect);
// The same for a picture and its mask (nullptr: opaque), as the document's own background.
void DrawTiledBackground(TSectionList* Doc, TCanvas& Canvas, const TBitmap* Picture, const TBitmap* Mask,
                         const PtPositionRec& Pos, const TRect& PB, const TRect& ARect);

// The box of a table: its width, height, spacing and alignment come from the TABLE tag.
class TTableBlock : public TBlock {
public:
  // The table goes into the block's cell. Enclosing is the text alignment around the table
  // (centre or right place it so when the tag gives no ALIGN).
  TTableBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell, std::unique_ptr<ThtmlTable> ATable,
              TAttributeList* Attributes, JustifyType Enclosing = NoJustify);
  TTableBlock(TSectionList* AMasterList, const TTableBlock& T);

  ThtmlTable* Table = nullptr;   // held by the cell
  int32_t WidthAttr = 0;         // pixels, or tenths of a percent
  bool AsPercent = false;
  int32_t HeightAttr = 0;
  bool HtAsPercent = false;
  TColor BkColor = NoColor;
  bool BkGnd = false;
  int32_t HSpace = 0, VSpace = 0;
  int32_t Justify = 0;   // 0 none, 2 centre, 3 right

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                 int32_t& MaxWidth, int32_t& Curs) override;
  void AddToPositionList(std::vector<TSectionBase*>& List) override;
  void MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max) override;

protected:
  int32_t FindWidth(TCanvas& Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount) override;
};

// The box of a horizontal rule.
class THRBlock : public TBlock {
public:
  // The rule goes into the block's cell. Make the rule first: it writes its width and
  // height into Prop for the block.
  THRBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell, std::unique_ptr<THorzLine> ALine,
           TAttributeList* Attributes);
  THRBlock(TSectionList* AMasterList, const THRBlock& T);

  THorzLine* Line = nullptr;   // held by the cell
  int32_t Align = 2;           // 1 left, 2 centre, 3 right

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;

protected:
  int32_t FindWidth(TCanvas& Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount) override;
};

// A list item with its marker.
enum ListKind : int { lkNone = 0, lkOrdered = 1, lkUnordered = 2, lkDefinition = 3, lkItem = 4 };

class TBlockLI : public TBlock {
public:
  // Kind: the list element's kind; ListNumb: the item's number; ListType: the first character
  // of an OL's TYPE; Plain: a UL without bullets; Level: the lists' nesting depth.
  TBlockLI(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell, ListKind Kind, int32_t ListNumb,
           char ListType, bool Plain, int32_t Level, TAttributeList* Attributes);
  TBlockLI(TSectionList* AMasterList, const TBlockLI& T);
  ~TBlockLI() override;

  ListKind ListKindOf = lkItem;
  int32_t ListNumb = 1;
  ListBulletType ListStyleType = lbDisc;
  std::unique_ptr<TMyFont> ListFont;
  std::unique_ptr<TImageObj> Image;
  int32_t FirstLineHt = 0;   // baseline of the first line, set by layout

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                 int32_t& MaxWidth, int32_t& Curs) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
               int32_t YRef) override;
  bool ClearAutoBottomMargin() override;
  // The marker's text for a numbered style ("" for the others).
  static std::u16string MarkerText(ListBulletType Style, int32_t Number);
};

// The body: its background colour and image go to the whole document.
class TBodyBlock : public TBlock {
public:
  TBodyBlock(TSectionList* AMasterList, TProperties& Prop, TCellBasic* AnOwnerCell, TAttributeList* Attributes);
  TBodyBlock(TSectionList* AMasterList, const TBodyBlock& T);

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                 int32_t& MaxWidth, int32_t& Curs) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
               int32_t YRef) override;
  uint32_t LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info) override;
};

// ---- tables ----

constexpr int32_t MaxCols = 200;

// A column from COL or COLGROUP.
struct TColObj {
  int32_t ColWidth = 0;   // pixels, or tenths of a percent
  bool AsPercent = false;
  std::string ColAlign;
  AlignmentType ColVAlign = AMiddle;
};

// One table cell: spans, sizes, spacing, background and the cell of its sections.
class TCellObj {
public:
  // AVAlign: the vertical alignment the parser found (VALIGN of the cell, row or column).
  TCellObj(TSectionList* AMasterList, AlignmentType AVAlign, TAttributeList* Attr, TProperties* Prop);
  // The printing copy.
  TCellObj(TSectionList* AMasterList, const TCellObj& T);
  // A placeholder for a grid position covered by a spanning cell.
  static std::unique_ptr<TCellObj> Placeholder(TSectionList* AMasterList, int32_t ARowSpan);
  ~TCellObj();

  // (Fields in an order that leaves no gaps: a long table holds one per row.)
  int32_t ColSpan = 1, RowSpan = 1;
  int32_t Wd = 0;       // laid-out width
  int32_t Ht = 0;       // laid-out height
  int32_t VSize = 0;    // content height
  int32_t SpecHt = 0;   // pixels; 0 for none
  int32_t SpecWd = 0;   // pixels, or tenths of a percent
  int32_t YIndent = 0;
  std::array<int32_t, 4> Padding{};   // top, right, bottom, left; IntNull when not given
  std::array<int32_t, 4> Border{};    // likewise
  int32_t HzSpace = 0, VrSpace = 0;
  TColor BkColor = NoColor;
  AlignmentType MyVAlign : 8 = AMiddle;
  bool WidthIsPercent = false;
  bool PaddingGiven = false;
  bool BkGnd = false;
  std::unique_ptr<TImageObj> BGImage;
  PtPositionRec BGPosition{};
  std::unique_ptr<TCell> Cell;
  // The content height measured in the current layout pass, for the width it was measured at.
  int32_t MeasuredCycle = -1, MeasuredWidth = 0, MeasuredAHeight = 0, MeasuredHeight = 0;
  // The last layout of the cell's content in the current pass: where, how wide, from which
  // document position, and the height it gave.
  int32_t LaidCycle = -1, LaidY = 0, LaidWidth = 0, LaidCurs = 0, LaidAHeight = 0, LaidHeight = 0;
  bool BreakBefore = false, BreakAfter = false, KeepIntact = false;
  uint8_t StyleSides = 0;              // sides whose border the style gives (bit 0 top ... 3 left)
  TColor StyleBorderColor = NoColor;   // their colour

  bool IsPlaceholder() const { return ColSpan == 0; }
  int32_t PadTop() const { return Padding[0]; }
  int32_t PadLeft() const { return Padding[3]; }
  int32_t BrdTop() const { return Border[0]; }
  int32_t BrdLeft() const { return Border[3]; }
  // Padding where the style set none, borders for a bordered table on the sides the style
  // leaves, and the spaces.
  void Initialize(int32_t TablePadding, bool TableBorder);

private:
  TCellObj() = default;
};

// A row: its cells in column order (empty entries allowed).
class TCellList : public TFreeList<TCellObj> {
public:
  TCellList(TAttributeList* Attr, TProperties* Prop);
  TCellList(TSectionList* AMasterList, const TCellList& T);

  int32_t RowHeight = 0;   // HEIGHT of the row
  TColor BkColor = NoColor;
  int32_t RowHt = 0;   // laid-out height
  int32_t TallestCellHt = 0;
  bool BkGnd = false;
  bool BreakBefore = false, BreakAfter = false, KeepIntact = false;
  std::string BkImage;

  // Appends a cell (nullptr for an empty grid position); a row height raises the cell's.
  TCellObj* Add(std::unique_ptr<TCellObj> Cell);
};

class ETableError : public Exception {
  using Exception::Exception;
};

class ThtmlTable : public TSectionBase {
public:
  ThtmlTable(TSectionList* AMasterList, TAttributeList* Attr, TProperties* Prop);
  ThtmlTable(TSectionList* AMasterList, const ThtmlTable& T);
  ~ThtmlTable() override;

  TFreeList<TCellList> Rows;
  std::unique_ptr<TCellObj> Caption;
  bool TopCaption = true;
  bool BorderWidth = false;   // a BORDER above 0
  bool Initialized = false;
  int32_t NumCols = 0;
  int32_t TableWidth = 0;
  int32_t CaptionWidth = 0;
  int32_t tblWidthAttr = 0;   // pixels, or tenths of a percent with WidthIsPercent
  bool WidthIsPercent = false;
  int32_t tblHeight = 0;   // pixels; 0 for none
  bool HasPixelWidthCells = false;
  int32_t CaptionHeight = 0;
  int32_t CellPadding = 1;
  int32_t CellSpacing = 2;
  // One entry per column and one more, sized when the grid is built (a page of many small
  // tables would otherwise hold 201 entries of each for every table).
  std::vector<int32_t> Widths = std::vector<int32_t>(1, 0);
  std::vector<int32_t> Percents = std::vector<int32_t>(1, 0);
  std::vector<int32_t> MinWidths = std::vector<int32_t>(1, 0);
  std::vector<int32_t> MaxWidths = std::vector<int32_t>(1, 0);
  TColor BorderColorLight = clBtnHighlight, BorderColorDark = clBtnShadow;
  TColor BorderColor = NoColor;
  bool LightGiven = false, DarkGiven = false;
  TColor BkColor = NoColor;
  bool BkGnd = false;
  int32_t DrawX = 0, DrawY = 0;
  std::unique_ptr<TFreeList<TColObj>> ColInfo;

  void AddColumn(int32_t AWidth, bool AsPercent, int32_t ASpan, const std::string& AAlign, AlignmentType AVAlign);
  // Builds the grid of cells once; raises "Table has too many Columns".
  void Initialize();

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  void MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max) override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                 int32_t& MaxWidth, int32_t& Curs) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
               int32_t YRef) override;
  uint32_t LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info) override;
  TFloatingObj* ObjectAt(int32_t X, int32_t Y, int32_t& IX, int32_t& IY) override;
  int32_t CursorAt(TCanvas& Canvas, int32_t X, int32_t Y, TCursorInfo& Info) override;
  int32_t FindString(int32_t From, const std::u16string& ToFind, bool MatchCase) override;
  int32_t FindStringBackward(int32_t From, const std::u16string& ToFind, bool MatchCase) override;
  int32_t SourcePosOf(int32_t Pos) const override;
  int32_t DocPosOf(int32_t SourcePos, bool Backward) const override;
  bool CursorToXY(TCanvas& Canvas, int32_t Cursor, int32_t& X, int32_t& Y) override;
  bool CharAt(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) override;
  void CopyToClipboard() override;
  void AddToPositionList(std::vector<TSectionBase*>& List) override;

  // The cells in document order (caption first when it stands on top).
  std::vector<TCellObj*> CellsInOrder() const;

private:
  void GetMinMax(TCanvas& Canvas, bool Plain, int32_t TotalWidth, int32_t& MinTotal, int32_t& MaxTotal);
  void WidthsFromPercents(int32_t W);
  void Interpolate(int32_t W, int32_t MinTotal, int32_t MaxTotal);
  // The steps of Layout: the column widths for the width W the table fills (and its
  // TableWidth); the widths when the columns' percents add up to P (1 to 1000 tenths);
  // a cell laid out at CY in width W (or its layout of this pass taken again); the rows'
  // heights as their cells need them; the rows stretched to the table's own height (gives
  // their total); every cell in its final place (gives the Y below the last row).
  void ChooseColumnWidths(TCanvas& Canvas, int32_t W);
  void WidthsFromColumnPercents(int32_t W, int32_t P);
  int32_t CellWidth(int32_t Col, const TCellObj& C) const;
  int32_t LayCell(TCanvas& Canvas, TCellObj& C, int32_t CY, int32_t W, int32_t AHeight, int32_t& ACurs);
  std::vector<int64_t> MeasureRowHeights(TCanvas& Canvas, int32_t Y, int32_t AHeight, int32_t Curs);
  int64_t StretchToTableHeight(std::vector<int64_t>& Heights) const;
  int64_t PlaceRows(TCanvas& Canvas, const std::vector<int64_t>& Heights, int32_t AHeight, int32_t& Curs);
  void DrawCell(TCanvas& Canvas, const TRect& ARect, TCellObj& C, int32_t X, int32_t YTop, int32_t Col, int32_t Row);
  int32_t ColLeft(int32_t Col) const;   // X of a column from the table's left, spacing included
  std::vector<int32_t> FRowTops;        // document Y of every row from the last layout
  int32_t FRowsTop = 0;
  // The widths found in the current layout pass on one canvas.
  int32_t FMinMaxCycle = -1;
  const TCanvas* FMinMaxCanvas = nullptr;
  int32_t FMinCache = 0, FMaxCache = 0;
};

// ---- text sections ----

struct IndexObj {
  int32_t Pos = 0;     // document position within the section
  int32_t Index = 0;   // source position
};

struct LineRec {
  int32_t Start = 0;   // index of the first character in the section's text
  int32_t SpaceBefore = 0, SpaceAfter = 0;
  int32_t LineHt = 0;
  int32_t LineImgHt = 0;
  int32_t Ln = 0;
  int32_t Descent = 0;
  int32_t LineIndent = 0;
  int32_t DrawWidth = 0;
  int32_t DrawY = 0;   // document Y of the line's top
  int32_t Spaces = 0, Extra = 0;
  bool FirstLine = false;
};

// The source positions of a section's characters as runs of consecutive ones. Most
// sections have one run, held without a heap block of its own.
class TIndexList {
public:
  size_t size() const { return empty() ? 0 : FMore.size() + 1; }
  bool empty() const { return FFirst.Pos < 0; }
  const IndexObj& operator[](size_t I) const { return I == 0 ? FFirst : FMore[I - 1]; }
  const IndexObj& front() const { return FFirst; }
  const IndexObj& back() const { return FMore.empty() ? FFirst : FMore.back(); }
  void clear()
  {
    FFirst = {-1, 0};
    FMore.clear();
  }
  void push_back(const IndexObj& O)
  {
    if (empty())
      FFirst = O;
    else
      FMore.push_back(O);
  }
  void shrink_to_fit() { FMore.shrink_to_fit(); }

private:
  IndexObj FFirst{-1, 0};   // a negative Pos: no runs
  std::vector<IndexObj> FMore;
};

// A section's lines, held by value: a line costs less than a heap object of its own would,
// and a table of many one-line cells has as many sections. Read like a list of pointers.
class TLineList {
public:
  class const_iterator {
  public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = const LineRec*;
    using difference_type = std::ptrdiff_t;
    const_iterator() = default;
    explicit const_iterator(const LineRec* P) : FP(P) {}
    const LineRec* operator*() const { return FP; }
    const_iterator& operator++()
    {
      ++FP;
      return *this;
    }
    bool operator==(const const_iterator& O) const { return FP == O.FP; }

  private:
    const LineRec* FP = nullptr;
  };

  int Count() const { return static_cast<int>(FItems.size()); }
  LineRec* operator[](int I) { return &FItems[static_cast<size_t>(I)]; }
  const LineRec* operator[](int I) const { return &FItems[static_cast<size_t>(I)]; }
  void Add(const LineRec& L) { FItems.push_back(L); }
  // Empties the list and keeps its room for the next layout.
  void Clear() { FItems.clear(); }
  // Gives back room well beyond the lines held.
  void Trim()
  {
    if (FItems.capacity() > FItems.size() + FItems.size() / 4 + 1)
      FItems.shrink_to_fit();
  }
  const_iterator begin() const { return const_iterator(FItems.data()); }
  const_iterator end() const { return const_iterator(FItems.data() + FItems.size()); }

private:
  std::vector<LineRec> FItems;
};

class TSection : public TSectionBase {
public:
  // The first run comes from Prop; inside a link (AnURL with a URL) it is a link run.
  TSection(TSectionList* AMasterList, TAttributeList* L, TProperties& Prop, const TUrlTarget* AnURL);
  TSection(TSectionList* AMasterList, const TSection& T);
  ~TSection() override;

  // (A table holds a section per cell: small fields are packed together.)
  int32_t SectionNumber = 0;
  int32_t ThisCycle = 0;
  // The length of the section's own text: the forced breaks after it were paragraphs of
  // their own, joined on to keep a page of many breaks small (see JoinBreaks).
  int32_t OwnLen = 0;
  std::u16string BuffS;
  std::string Brk;   // 'n' forbids a line break after the character
  TFontList Fonts;
  TImageObjList Images;
  TFormControlList FormControls;
  // The source position of every character, as runs of consecutive positions: built as
  // characters are added, so that no position per character is kept.
  TIndexList SIndexList;
  TLineList Lines;
  int32_t LineHeight = -1;
  int32_t AvailableWidth = 0;
  int32_t FirstLineIndent = 0;
  int32_t TextIndentPercent = 0;
  int32_t MinCache = 0, MaxCache = 0;
  JustifyType Justify : 8 = Left;
  ClearAttrType ClearAttr : 8 = clrNone;
  int32_t TextTransform : 8 = 0;
  bool Finished = false;
  bool KeepEmpty = false;          // the parser asks to keep it without text
  bool NoBreak = false;            // characters added now may not end a line (NOBR)
  bool EndsPreformatted = false;   // set by the cell: an empty last line of preformatted text

protected:
  bool FMinMaxValid = false;
  int32_t FWidestLine = 0;

public:
  // Building.
  void AddChar(char16_t C, int32_t Index);
  void AddTokenObj(const TokenObj& T);
  // A line may break after the last character added (WBR inside NOBR).
  void AllowBreakAtEnd();
  void ChangeFont(TProperties& Prop, const TUrlTarget* Link = nullptr);
  // A link starts (with URL) or ends (without).
  void HRef(TProperties& Prop, const TUrlTarget* Link) { ChangeFont(Prop, Link); }
  TImageObj* AddImage(TAttributeList& L, TProperties& Prop, int32_t Index);
  // A panel or other floating object.
  TFloatingObj* AddFloatingObj(std::unique_ptr<TFloatingObj> Obj, int32_t Index);
  // A form control made by the forms module; hidden controls take no character.
  void AddFormControlObj(TFormControlObj* Ctrl, int32_t Index);
  virtual void Finish();
  virtual bool IsPreformatted() const { return false; }
  // Takes on the finished Next when both hold forced breaks alone and Next's lines would lay
  // out as the ones added here do (same font, spacing and alignment, no indent, no clear);
  // false, and nothing changed, otherwise.
  bool JoinBreaks(const TSection& Next);

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                 int32_t& MaxWidth, int32_t& Curs) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
               int32_t YRef) override;
  uint32_t LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info) override;
  TFloatingObj* ObjectAt(int32_t X, int32_t Y, int32_t& IX, int32_t& IY) override;
  int32_t CursorAt(TCanvas& Canvas, int32_t X, int32_t Y, TCursorInfo& Info) override;
  int32_t FindString(int32_t From, const std::u16string& ToFind, bool MatchCase) override;
  int32_t FindStringBackward(int32_t From, const std::u16string& ToFind, bool MatchCase) override;
  int32_t SourcePosOf(int32_t Pos) const override;
  int32_t DocPosOf(int32_t SourcePos, bool Backward) const override;
  bool CursorToXY(TCanvas& Canvas, int32_t Cursor, int32_t& X, int32_t& Y) override;
  bool CharAt(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) override;
  void MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max) override;
  void CopyToClipboard() override;

  // Width of N characters from Start, trailing spaces and breaks left out when RemoveSpaces.
  int32_t FindTextWidth(TCanvas& Canvas, int32_t Start, int32_t N, bool RemoveSpaces) const;
  // Room an inline image or form control takes in its line (floats none).
  int32_t InlineObjectWidth(int32_t I) const;
  // The X of every character boundary of a line, from its indent, justification applied.
  std::vector<int32_t> LineOffsets(TCanvas& Canvas, const LineRec& L) const;
  // The window X at which the section was last drawn, for its layout X.
  int32_t DrawOriginX = 0;
  // The document Y of the top of the line holding character I; -1 when the section has no
  // lines (not laid out, or not shown).
  int32_t LineTopAt(int32_t I) const;
  void DrawLinkFocus(TCanvas& Canvas, const LineRec& L, int32_t X0, const std::vector<int32_t>& Off, int32_t YOff);

protected:
  // What one layout keeps from line to line: the floats placed so far, and the next
  // forced break as last found (lines are fitted front to back, so the answer for one line
  // start serves every later start up to the break itself).
  struct TLayoutState {
    std::unordered_set<const TFloatingObj*> Placed;   // looked up for every float: a set
    int32_t BrkFrom = -1, BrkAt = -1;
  };
  // Placing floats while fitting a line.
  struct TFitState {
    int32_t Y = 0;
    bool FirstLine = false;
    int32_t TallestFloat = 0;
    std::vector<TFloatingObj*> Queued;
    TLayoutState* Run = nullptr;
    bool IsPlaced(const TFloatingObj* F) const;
  };
  int32_t FitCount(TCanvas& Canvas, IndentManager& IMgr, int32_t Start, int32_t Max, TFitState& S);
  // The first forced break at or after Start (Len when none).
  int32_t NextBreakChar(int32_t Start, TLayoutState& R) const;
  // The length of a line of at most N fitting characters from Start; negative for a word
  // that fits nowhere on the line.
  int32_t ChooseBreak(int32_t Start, int32_t N) const;
  void CloseLine(TCanvas& Canvas, IndentManager& IMgr, int32_t X, int32_t& Y, int32_t Start, int32_t N, bool Last,
                 bool First, TFitState& S, int32_t& LowestFloat);
  void AddEmptyLine(int32_t Start, int32_t& Y, int32_t Height);
  // Removes the characters not kept, moving runs, images and controls with the text.
  void Compact(const std::vector<bool>& Keep);
  int32_t ClearSpace(IndentManager& IMgr, int32_t Y) const;
  bool CanBreakAfter(int32_t I) const
  {
    return I < 0 || I >= static_cast<int32_t>(Brk.size()) || Brk[static_cast<size_t>(I)] != 'n';
  }
  void DrawLine(TCanvas& Canvas, const LineRec& L, int32_t X, IndentManager& IMgr, int32_t YOff);
  // Puts a picture floated from the section (or every one floated from line L) on the
  // document's list of pictures to draw over the text.
  void QueueFloat(TCanvas& Canvas, TFloatingObj& O, TFontObj* FO, const IndentManager& IMgr);
  void QueueFloats(TCanvas& Canvas, const LineRec& L, const IndentManager& IMgr);
  const LineRec* LineAtY(int32_t Y) const;
  // Where a printed page that would end at End ends so that no picture floated from a line
  // on it is cut.
  int32_t PageEndAbove(int32_t End, int32_t PageHeight) const;
  TFontObj* FontAt(int32_t I) const;
};

// ---- the document ----

struct TImageRec {
  TFloatingObj* AObj = nullptr;
  TCanvas* ACanvas = nullptr;
  int32_t AX = 0, AY = 0, AYBaseline = 0;
  TFontObj* AFO = nullptr;
};

using TBitmapRequestEvent =
    std::function<void(TObject* Sender, const std::string& SRC, std::unique_ptr<TBitmap>& Bitmap, TColor& Color)>;
// Stream: nullptr for none, WaitStream() for "later", else the picture's bytes (owned by the host).
using TImageRequestEvent = std::function<void(TObject* Sender, const std::string& SRC, TStream*& Stream)>;
using TExpandNameEvent = std::function<std::string(const std::string& Name)>;
using TBackgroundChangeEvent = std::function<void(TObject* Sender)>;
// The stream an image request gives back to say the picture comes later.
TStream* WaitStream();

// ---- embedded panels ----

class ThvPanel;
// Sender is the viewer; Results are the "name=value" texts of the form.
using TFormSubmitEvent =
    std::function<void(TObject* Sender, const std::string& Action, const std::string& Target,
                       const std::string& EncType, const std::string& Method, const std::vector<std::string>& Results)>;
// Object click, focus, blur and change: the control and its script text.
using TObjectEvent = std::function<void(TObject* Sender, TFormControlObj* Obj, const std::string& Message)>;
using TPanelCreateEvent = std::function<void(TObject* Sender, const std::string& AName, ThvPanel* Panel,
                                             const std::string& SRC, const std::string& AValue)>;
using TPanelDestroyEvent = std::function<void(TObject* Sender, ThvPanel* Panel)>;
// Paints the panel's picture for printing into Bitmap (sized as the panel).
using TPanelPrintEvent = std::function<void(TObject* Sender, ThvPanel* Panel, TBitmap& Bitmap)>;

// The window a PANEL element places in the page; the host fills it.
class ThvPanel : public TPanel {
public:
  ThvPanel();
  // The panel is to be visible and printed.
  bool Shown = true;
  TPoint NonClientSize() const override { return {1, 1}; }

protected:
  void PaintNonClient(TCanvas& Canvas) override;
};

class TPanelObj : public TFloatingObj {
public:
  // The element's attributes; raises the document's panel-create event.
  TPanelObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L);
  // The printing copy.
  TPanelObj(TSectionList* AMasterList, const TPanelObj& T);
  ~TPanelObj() override;

  TSectionList* MasterList;
  bool ShowIt = false;   // drawn in the last paint
  std::unique_ptr<ThvPanel> Panel;
  int32_t SetWidthPercent = 0;   // 1..100 with PercentWidth
  double Ratio = 0;              // height per width; 0 for none
  TPanelPrintEvent OnPrint;      // the printing copy's

  void DrawLogic(TSectionList* SectionList, TCanvas& Canvas, TFontObj* FO, int32_t AvailableWidth) override;
  void Draw(TCanvas& Canvas, int32_t X, TFontObj* FO, int32_t YBaseline, int32_t YTop) override;
  std::unique_ptr<TFloatingObj> Clone(TSectionList* AMasterList) const override;
  void SetShown(bool Value) override { ShowIt = Value; }
  bool Shown() const override { return ShowIt; }
  void Hide() override;

private:
  bool FCopy = false;
};

class TSectionList : public TCell {
public:
  TSectionList(THtmlDocHost* AOwner, TObject* ASender);
  // The printing copy.
  explicit TSectionList(const TSectionList& T);
  ~TSectionList() override;

  THtmlDocHost* TheOwner;
  TObject* Sender;   // passed to the request events
  bool ShowImages = true;
  int32_t YOff = 0;
  bool YOffChange = false;
  int32_t SelB = 0, SelE = 0;
  std::string PreFontName;
  TColor LinkVisitedColor = clPurple, LinkActiveColor = clRed, HotSpotColor = clBlue;
  bool Printing = false;
  bool PrintTableBackground = false, PrintMonoBlack = true, ShowDummyCaret = false;
  bool PageBreak = false;
  TBitmapRequestEvent GetBitmap;
  TImageRequestEvent GetImage;
  TExpandNameEvent ExpandName;
  TBackgroundChangeEvent OnBackgroundChange;
  TColor Background = clWhite;
  const TBitmap* BackgroundBitmap = nullptr;
  const TBitmap* BackgroundMask = nullptr;
  PtPositionRec BackgroundPRec{};
  std::string BitmapName;
  bool BitmapLoaded = false;
  TFreeList<ThtmlForm> htmlFormList;
  // Set while Clear lets the paragraphs go: each frees its fields as it goes. A page of
  // thousands of fields is let go in the order it was made, each field beside its paragraph
  // in memory, rather than in two sweeps over all of it (paragraphs, then forms).
  bool FreeingFields = false;
  std::vector<TGIFImage*> AGifList;
  std::unique_ptr<ClipBuffer> CB;
  // While printing: the document positions where the page being drawn starts (the clip's
  // top, which is below the vertical offset by the top margin) and where it ends.
  int32_t PageTop = 0;
  int32_t PageBottom = 0;
  // While printing: the lines drawn on the page with pictures floated from them reaching
  // below them, as their tops and the feet of their pictures (a page ending above a later
  // line ends above them too, rather than cut a picture).
  std::vector<std::pair<int32_t, int32_t>> PageFloats;
  // While printing: the document position where the page being drawn must end at the
  // latest, when the print run knows it ends above the bottom of its text area.
  int32_t PageEndLimit = std::numeric_limits<int32_t>::max();
  // While printing: the foot of the page's text area, however high the page ends; and
  // whether pictures floated from lines on the page may reach below its end, down to that
  // foot (where pictures stacked on both sides leave no end above them with anything on the
  // page).
  int32_t PageFoot = 0;
  bool PageFloatsHang = false;
  TFreeList<TMapItem> MapList;
  std::unique_ptr<TTimer> Timer;
  std::vector<TFormControlObj*> FormControlList;
  std::vector<TFloatingObj*> PanelList;
  // Names of awaited pictures with the image that waits (nullptr: the background).
  std::vector<std::pair<std::string, TImageObj*>> MissingImages;
  std::vector<TFontObj*> LinkList;
  // The link that has the keyboard focus, by its link number (0: none), and whether its
  // frame is drawn (while the viewer holds the focus; never on the printing copy).
  int32_t FocusLinkID = 0;
  bool ShowLinkFocus = false;
  TFontObj* ActiveLink = nullptr;
  bool LinksActive = false;
  TImageObj* ActiveImage = nullptr;
  std::unique_ptr<TStyleList> Styles;
  std::vector<TImageRec> DrawList;
  std::unique_ptr<TIDNameList> IDNameList;
  std::vector<TSectionBase*> PositionList;
  TStringBitmapList* BitmapList = nullptr;
  int32_t CycleNumber = 0;
  bool InLayoutPass = false;   // set while Layout runs: per-pass caches are valid
  int32_t ProgressStart = 0;
  int32_t SectionCount = 0;
  bool IsCopy = false;
  // Keys "%.5d%.3d" of tab index and count, with the link run or form control.
  std::vector<std::pair<std::string, std::pair<TFontObj*, TFormControlObj*>>> TabOrderList;
  int32_t* FirstLineHtPtr = nullptr;   // armed by list items for their first baseline
  bool LeftButtonDown = false;         // set by the viewer for hover states
  // Forms and panels: the viewer's events, copied in by its setters.
  TFormSubmitEvent SubmitForm;
  TObjectEvent ObjectClick, ObjectFocus, ObjectBlur, ObjectChange;
  TPanelCreateEvent PanelCreate;
  TPanelDestroyEvent PanelDestroy;
  TPanelPrintEvent PanelPrint;

  void Clear() override;
  void ClearPanels();
  // The first run of every link shown, in the order Tab walks them: links with a tab index
  // of 1 or more first, by that index, then the others; each group in document order.
  std::vector<TFontObj*> TabLinks() const;
  // What Tab walks on the page, links and form fields in one order: those with a tab index
  // of 1 or more first, by that index, then the others; each group in document order.
  struct TTabItem {
    TFontObj* Link = nullptr;
    TFormControlObj* Control = nullptr;
  };
  std::vector<TTabItem> TabItems() const;
  void SetYOffset(int32_t Y);
  void SetFonts(const std::string& Name, const std::string& PreName, TColor Color, TColor AHotSpot,
                TColor AVisitedColor, TColor AActiveColor, TColor ABackground, bool LnksActive, bool LinkUnderLine,
                int32_t ACharSet, double MarginHeight, int32_t MarginWidth, double FontSize = 12.0);
  void SetBackground(TColor ABackground);
  void SetBackgroundBitmap(const std::string& Name, const PtPositionRec& APrec);
  const TBitmap* GetBackgroundBitmap();
  TImageResult GetTheBitmap(const std::string& BMName, TTransparency Transparent);
  std::unique_ptr<std::vector<std::vector<std::string>>> GetFormControlData() const;
  void SetFormControlData(const std::vector<std::vector<std::string>>& T);
  // The last section whose top is at or above Y, with that top and its index; nullptr above
  // the first.
  TSectionBase* FindSectionAtPosition(int32_t Pos, int32_t& TopPos, int32_t& Index) const;
  int32_t DocPosOfList(int32_t SourcePos, bool Backward) const;
  // The document's length in positions.
  int32_t DocLength() const { return Len; }
  void CopyToClipboard();
  // The selection as Unicode text (markers left out).
  std::u16string GetSelText();
  uint32_t LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info) override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t& Curs,
                 int32_t& MaxWidth) override;
  // Lays the document out for Width at its top (the entry point of the viewer).
  int32_t DoLogic(TCanvas& Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t& ScrollWidth, int32_t& Curs);
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef, int32_t YRef) override;
  void AnimateImages();
  void HoverLinkDown(bool Pressed);
  void ClearHover();
  void InvalidatePanel()
  {
    if (TheOwner)
      TheOwner->InvalidatePaintPanel();
  }
  // Drops references to objects that are going away.
  void Forget(const TFontObj* F);
  void Forget(const TImageObj* I);
  void Forget(const TFormControlObj* C);
  void Forget(const TSectionBase* S);
  TMapItem* FindMap(const std::string& Name) const;

  // The indent managers lent to cells being laid out or drawn, one per nesting level.
  IndentManager* LendIMgr() { return FIMgrPool.Lend(); }
  void ReturnIMgr() { FIMgrPool.Return(); }
  // The document's one copy of a font equal to F, for text runs to share.
  std::shared_ptr<TMyFont> SharedFont(const TMyFont& F);
  // Widths of short texts measured in the current layout pass on one canvas in one font
  // (table cells and words repeat); KnownTextWidth gives -1 for one not kept.
  static constexpr size_t MaxKeptTextWidth = 16;
  // (The font is held while widths are kept, so it is not changed in place meanwhile.)
  int32_t KnownTextWidth(const TCanvas& Canvas, const std::shared_ptr<TMyFont>& Font, std::u16string_view Text) const;
  void KeepTextWidth(const TCanvas& Canvas, const std::shared_ptr<TMyFont>& Font, std::u16string_view Text,
                     int32_t Width);

private:
  void PlaceControls();
  TImageResult LoadPicture(const std::string& Name, const std::string& Key, TTransparency Transparent);
  std::string FBackgroundKey;
  std::unique_ptr<TStringBitmapList> FOwnCache;   // when the viewer gives none
  IndentManager FDocIMgr;
  TIndentManagerPool FIMgrPool;
  std::vector<std::shared_ptr<TMyFont>> FFonts;   // sorted
  std::shared_ptr<TMyFont> FLastFont;             // the one asked for last
  struct TTextHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view S) const { return std::hash<std::u16string_view>()(S); }
  };
  struct TTextWidths {
    int32_t Cycle = -1;
    const TCanvas* Canvas = nullptr;
    std::shared_ptr<TMyFont> Font;
    std::unordered_map<std::u16string, int32_t, TTextHash, std::equal_to<>> Widths;
  };
  TTextWidths FTextWidths;
};
