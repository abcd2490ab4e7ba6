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

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/HTMLGif2.h"
#include "html/HTMLUn2.h"
#include "html/StyleUn.h"
#include "platform/Application.h"
#include "platform/Graphics.h"
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
  // The viewer's expansion of a page's image or style-sheet name to a file name.
  virtual std::string HTMLExpandFilename(const std::string& Name) { return Name; }
  // Layout progress (stage 1 while laying out).
  virtual void DoProgress(int32_t Stage, int32_t Percent) {}
  // The control to report to the viewer as having the focus.
  virtual void ControlFocused(TFormControlObj* Ctrl) {}
};

// ---- text runs ----

class TFontObj {
public:
  TFontObj(TSection* ASection, std::unique_ptr<TMyFont> F, int32_t Position);
  // A copy for the printing copy: not a link run any more (no state fonts), same target.
  TFontObj(TSection* ASection, const TFontObj& T);
  ~TFontObj();
  TFontObj(const TFontObj&) = delete;
  TFontObj& operator=(const TFontObj&) = delete;

  TSection* Section;
  int32_t Pos;
  std::string Title;
  std::unique_ptr<TMyFont> TheFont;
  std::unique_ptr<TFontInfoArray> FIArray;   // link runs only: normal, visited, hover, both
  std::unique_ptr<TUrlTarget> UrlTarget;
  bool Visited = false;
  bool Hover = false;
  int32_t SScript = 0;   // ASub or ASuper
  // Measured by FontChanged.
  int32_t FontHeight = 0;
  int32_t tmHeight = 0;
  int32_t tmMaxCharWidth = 0;
  int32_t Overhang = 0;
  int32_t Descent = 0;

  void CreateFIArray();
  void ReplaceFont(std::unique_ptr<TMyFont> F);
  void ConvertFont(const ThtFontInfo& Info);
  void SetVisited(bool Value);
  void SetHover(bool Value);
  // Hover on this run and on its neighbours in the link list that belong to the same link.
  void SetAllHovered(std::vector<TFontObj*>& List, bool Value);
  const std::string& GetURL() const { return UrlTarget->URL; }
  bool IsLink() const { return !UrlTarget->URL.empty(); }
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
  // Panels: the shown flag that drawing sets and that the document checks after a paint.
  virtual void SetShown(bool Value) {}
  virtual bool Shown() const { return true; }
  virtual void Hide() {}

protected:
  bool FHSpaceGiven = false;   // a right space was given (attribute or style)
};

// The result of looking an image up by name.
struct TImageResult {
  TBitmap* Bitmap = nullptr;    // a still picture, or
  TGIFImage* GIF = nullptr;     // an animated one (both owned by the image cache)
  TBitmap* Mask = nullptr;
  TTransparency Transparent = NotTransp;
  bool FromCache = false;
  bool Delayed = false;         // the host delivers it later
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
  bool PtInImage(int32_t X, int32_t Y, int32_t& IX, int32_t& IY, int32_t& Posn, bool& AsIsMap, bool& AUsesMap, TMapItem*& MapItem,
                 TImageObj*& ImageObj) const;
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
  int32_t Pos;
  int32_t YValue = 0;
  bool Active = false;
  bool ShowIt = false;
  std::string Value, Name, ID;
  AlignmentType FormAlign = ABottom;
  int32_t HSpaceL = 0, HSpaceR = 0;
  int32_t FHeight = 0, FWidth = 0;
  // The size of the control as laid out.
  int32_t Width = 0, Height = 0;

  int32_t YPosition() const override { return YValue; }
  virtual bool HasWindowControl() const { return false; }
  // Shows the window control at a place on the paint panel (X = -4000 parks it).
  virtual void ShowControlAt(int32_t Left, int32_t Top) {}
  virtual void SetTabOrder(int32_t Order) {}
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
  virtual ~ThtmlForm();
  TSectionList* MasterList;
  std::vector<std::unique_ptr<TFormControlObj>> ControlList;
  int32_t NonHiddenCount = 0;
  void InsertControl(std::unique_ptr<TFormControlObj> Ctrl);
  void SetSizes(TCanvas& Canvas);
  // The controls' values, to be given back after a reload.
  virtual std::vector<std::string> GetControlData() const { return {}; }
  virtual void SetControlData(const std::vector<std::string>& Data) {}
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
  int32_t LineTop = 0;    // document Y
  int32_t CursorX = 0;    // window X
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
  IndentManager* IMgr = nullptr;
  int32_t tcContentBot = 0, tcDrawTop = 0, tcDrawBot = 0;
  int32_t CellTop = 0;
  int32_t StartCurs = 0;
  int32_t Len = 0;

  // Appends a section; a finished text section without content is dropped.
  void Add(std::unique_ptr<TSectionBase> Item);
  virtual int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t& Curs, int32_t& MaxWidth);
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
};

class TCell : public TCellBasic {
public:
  explicit TCell(TSectionList* AMasterList);
  TCell(TSectionList* AMasterList, const TCell& T);
  ~TCell() override;
  int32_t DrawYY = 0;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t& Curs, int32_t& MaxWidth) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef, int32_t YRef) override;

protected:
  std::unique_ptr<IndentManager> FOwnIMgr;
};

// The cell inside a block, laid out by the block with the block's indent manager.
class TBlockCell : public TCellBasic {
public:
  using TCellBasic::TCellBasic;
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

class TSection : public TSectionBase {
public:
  // The first run comes from Prop; inside a link (AnURL with a URL) it is a link run.
  TSection(TSectionList* AMasterList, TAttributeList* L, TProperties& Prop, const TUrlTarget* AnURL);
  TSection(TSectionList* AMasterList, const TSection& T);
  ~TSection() override;

  int32_t SectionNumber = 0;
  int32_t ThisCycle = 0;
  std::u16string BuffS;
  std::string Brk;   // 'n' forbids a line break after the character
  std::vector<int32_t> BuildIndices;
  TFontList Fonts;
  TImageObjList Images;
  TFormControlList FormControls;
  std::vector<IndexObj> SIndexList;
  TFreeList<LineRec> Lines;
  JustifyType Justify = Left;
  ClearAttrType ClearAttr = clrNone;
  int32_t LineHeight = -1;
  int32_t AvailableWidth = 0;
  int32_t FirstLineIndent = 0;
  int32_t TextIndentPercent = 0;
  int32_t MinCache = 0, MaxCache = 0;
  bool Finished = false;
  bool KeepEmpty = false;   // the parser asks to keep it without text
  int32_t TextTransform = 0;
  bool NoBreak = false;     // characters added now may not end a line (NOBR)

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

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr, int32_t& MaxWidth,
                 int32_t& Curs) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef, int32_t YRef) override;
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

protected:
  // Placing floats while fitting a line.
  struct TFitState {
    int32_t Y = 0;
    bool FirstLine = false;
    int32_t TallestFloat = 0;
    std::vector<TFloatingObj*> Queued;
  };
  int32_t FitCount(TCanvas& Canvas, IndentManager& IMgr, int32_t Start, int32_t Max, TFitState& S);
  // The length of a line of at most N fitting characters from Start; negative for a word
  // that fits nowhere on the line.
  int32_t ChooseBreak(int32_t Start, int32_t N) const;
  void CloseLine(TCanvas& Canvas, IndentManager& IMgr, int32_t X, int32_t& Y, int32_t Start, int32_t N, bool Last, bool First,
                 TFitState& S, int32_t& LowestFloat);
  void AddEmptyLine(int32_t Start, int32_t& Y, int32_t Height);
  // Removes the characters not kept, moving runs, images and controls with the text.
  void Compact(const std::vector<bool>& Keep);
  int32_t ClearSpace(IndentManager& IMgr, int32_t Y) const;
  bool Placed(const TFloatingObj* F) const;
  std::vector<const TFloatingObj*> FPlaced;   // floats placed in this layout
  int32_t FWidestLine = 0;
  bool FMinMaxValid = false;
  bool CanBreakAfter(int32_t I) const { return I < 0 || I >= static_cast<int32_t>(Brk.size()) || Brk[static_cast<size_t>(I)] != 'n'; }
  void DrawLine(TCanvas& Canvas, const LineRec& L, int32_t X, IndentManager& IMgr, int32_t YOff);
  const LineRec* LineAtY(int32_t Y) const;
  TFontObj* FontAt(int32_t I) const;
};

// ---- the document ----

struct TImageRec {
  TFloatingObj* AObj = nullptr;
  TCanvas* ACanvas = nullptr;
  int32_t AX = 0, AY = 0, AYBaseline = 0;
  TFontObj* AFO = nullptr;
};

using TBitmapRequestEvent = std::function<void(TObject* Sender, const std::string& SRC, std::unique_ptr<TBitmap>& Bitmap, TColor& Color)>;
// Stream: nullptr for none, WaitStream() for "later", else the picture's bytes (owned by the host).
using TImageRequestEvent = std::function<void(TObject* Sender, const std::string& SRC, TStream*& Stream)>;
using TExpandNameEvent = std::function<std::string(const std::string& Name)>;
using TBackgroundChangeEvent = std::function<void(TObject* Sender)>;
// The stream an image request gives back to say the picture comes later.
TStream* WaitStream();

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
  std::vector<TGIFImage*> AGifList;
  std::unique_ptr<ClipBuffer> CB;
  int32_t PageBottom = 0;
  TFreeList<TMapItem> MapList;
  std::unique_ptr<TTimer> Timer;
  std::vector<TFormControlObj*> FormControlList;
  std::vector<TFloatingObj*> PanelList;
  // Names of awaited pictures with the image that waits (nullptr: the background).
  std::vector<std::pair<std::string, TImageObj*>> MissingImages;
  std::vector<TFontObj*> LinkList;
  TFontObj* ActiveLink = nullptr;
  bool LinksActive = false;
  TImageObj* ActiveImage = nullptr;
  std::unique_ptr<TStyleList> Styles;
  std::vector<TImageRec> DrawList;
  std::unique_ptr<TIDNameList> IDNameList;
  std::vector<TSectionBase*> PositionList;
  TStringBitmapList* BitmapList = nullptr;
  int32_t CycleNumber = 0;
  int32_t ProgressStart = 0;
  int32_t SectionCount = 0;
  bool IsCopy = false;
  // Keys "%.5d%.3d" of tab index and count, with the link run or form control.
  std::vector<std::pair<std::string, std::pair<TFontObj*, TFormControlObj*>>> TabOrderList;
  int32_t* FirstLineHtPtr = nullptr;   // armed by list items for their first baseline
  bool LeftButtonDown = false;         // set by the viewer for hover states

  void Clear();
  void ClearPanels();
  void SetYOffset(int32_t Y);
  void SetFonts(const std::string& Name, const std::string& PreName, TColor Color, TColor AHotSpot, TColor AVisitedColor,
                TColor AActiveColor, TColor ABackground, bool LnksActive, bool LinkUnderLine, int32_t ACharSet, double MarginHeight,
                int32_t MarginWidth, double FontSize = 12.0);
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
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t& Curs, int32_t& MaxWidth) override;
  // Lays the document out for Width at its top (the entry point of the viewer).
  int32_t DoLogic(TCanvas& Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t& ScrollWidth, int32_t& Curs);
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef, int32_t YRef) override;
  void AnimateImages();
  void HoverLinkDown(bool Pressed);
  void ClearHover();
  void InvalidatePanel() { if (TheOwner) TheOwner->InvalidatePaintPanel(); }
  // Drops references to objects that are going away.
  void Forget(const TFontObj* F);
  void Forget(const TImageObj* I);
  void Forget(const TFormControlObj* C);
  void Forget(const TSectionBase* S);
  TMapItem* FindMap(const std::string& Name) const;

private:
  void PlaceControls();
  TImageResult LoadPicture(const std::string& Name, const std::string& Key, TTransparency Transparent);
  std::string FBackgroundKey;
  std::unique_ptr<TStringBitmapList> FOwnCache;   // when the viewer gives none
};
