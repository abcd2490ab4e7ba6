// Shared building blocks of the HTML viewer's document model: owning lists, the tag
// attribute list, link records, the image cache, selection-to-text buffers, image maps,
// float bookkeeping, the ID name list, the token buffers between tokenizer and text
// sections, wide-string helpers, and the small drawing helpers and built-in pictures.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "html/Pictures.h"   // the display half: palette, DIBs, image loading
#include "html/HtmlSymbols.h"
#include "platform/Bitmap.h"
#include "platform/Graphics.h"
#include "platform/Regions.h"
#include "platform/Types.h"

class TProperties;
class TSectionList;
class TBlock;
class TGIFImage;

// ---- owning list ----

// A list that owns its items; clearing or destroying it frees them. Entries may be empty.
template <class T>
class TFreeList {
public:
  TFreeList() = default;
  TFreeList(const TFreeList&) = delete;
  TFreeList& operator=(const TFreeList&) = delete;
  virtual ~TFreeList() = default;

  int Count() const { return static_cast<int>(FItems.size()); }
  T* operator[](int I) const { return FItems[static_cast<size_t>(I)].get(); }
  T* Items(int I) const { return (*this)[I]; }
  T* First() const { return FItems.empty() ? nullptr : FItems.front().get(); }
  T* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }
  T* Add(std::unique_ptr<T> Item)
  {
    FItems.push_back(std::move(Item));
    return FItems.back().get();
  }
  T* Insert(int I, std::unique_ptr<T> Item) { return (*FItems.insert(FItems.begin() + I, std::move(Item))).get(); }
  // Frees item I.
  void Delete(int I) { FItems.erase(FItems.begin() + I); }
  // Hands item I to the caller and removes its entry.
  std::unique_ptr<T> Extract(int I)
  {
    std::unique_ptr<T> p = std::move(FItems[static_cast<size_t>(I)]);
    FItems.erase(FItems.begin() + I);
    return p;
  }
  int IndexOf(const T* Item) const
  {
    for (size_t i = 0; i < FItems.size(); ++i)
      if (FItems[i].get() == Item)
        return static_cast<int>(i);
    return -1;
  }
  virtual void Clear() { FItems.clear(); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

protected:
  std::vector<std::unique_ptr<T>> FItems;
};

// ---- attributes ----

struct TAttribute {
  TAttribute() = default;
  TAttribute(THtmlSymbol AWhich, int32_t AValue, std::string AName)
      : Which(AWhich), Value(AValue), Name(std::move(AName))
  {}
  THtmlSymbol Which = UnknownSy;
  int32_t Value = 0;   // the attribute's number, when it has one
  std::string Name;    // the attribute's text
};

class TAttributeList : public TFreeList<TAttribute> {
public:
  TAttributeList();
  ~TAttributeList() override;
  // The first attribute with the symbol.
  bool Find(THtmlSymbol Sy, TAttribute*& T) const;
  const TAttribute* Find(THtmlSymbol Sy) const;
  std::string TheClass() const;   // lower-cased
  std::string TheTitle() const;
  std::string TheID();   // lower-cased, cached until Clear
  // The STYLE attribute parsed into properties (owned by the list, replaced at every call);
  // nullptr without one.
  TProperties* TheStyle();
  void Clear() override;

private:
  std::string FID;
  bool FIDCached = false;
  std::unique_ptr<TProperties> FStyle;
};

// ---- link record ----

class TUrlTarget {
public:
  std::string URL;
  std::string Target;
  int32_t ID = 0;   // the link's number in its document, from 1 in document order
  int32_t TabIndex = 0;
  // A new link: URL and target, and its number.
  void Assign(const std::string& AnURL, const std::string& ATarget, int32_t AnID);
  void Copy(const TUrlTarget& UT) { *this = UT; }
  void Clear();
};

// ---- image cache ----

// What a cache entry owns: a still bitmap or an animated GIF image, behind one base so the
// cache need not know the GIF type.
class TImageHolder {
public:
  virtual ~TImageHolder() = default;
  virtual TBitmap* Bitmap() const { return nullptr; }
  virtual TGIFImage* GIF() const { return nullptr; }
};

template <class T>
class TOwnedImage final : public TImageHolder {
public:
  explicit TOwnedImage(std::unique_ptr<T> P) : FP(std::move(P)) {}
  TBitmap* Bitmap() const override
  {
    if constexpr (std::is_same_v<T, TBitmap>)
      return FP.get();
    else
      return nullptr;
  }
  TGIFImage* GIF() const override
  {
    if constexpr (std::is_same_v<T, TGIFImage>)
      return FP.get();
    else
      return nullptr;
  }

private:
  std::unique_ptr<T> FP;
};

template <class T>
std::unique_ptr<TImageHolder> MakeImageHolder(std::unique_ptr<T> P)
{
  return std::make_unique<TOwnedImage<T>>(std::move(P));
}

struct TBitmapItem {
  TBitmapItem() = default;
  TBitmapItem(std::unique_ptr<TImageHolder> AImage, std::unique_ptr<TBitmap> AMask, TTransparency ATransp)
      : MImage(std::move(AImage)), Mask(std::move(AMask)), Transp(ATransp)
  {}
  std::unique_ptr<TImageHolder> MImage;
  std::unique_ptr<TBitmap> Mask;
  TTransparency Transp = NotTransp;
  int32_t UsageCount = 0;    // documents using it now
  int32_t AccessCount = 0;   // document loads since it was last used
};

// Images by name (sorted), with usage counts and an age, so pictures shared by pages are
// loaded once and dropped only when no page has used them for a while.
class TStringBitmapList {
public:
  TStringBitmapList();
  ~TStringBitmapList();
  int Count() const { return static_cast<int>(FItems.size()); }
  const std::string& Strings(int I) const { return FItems[static_cast<size_t>(I)].first; }
  TBitmapItem* Objects(int I) const { return FItems[static_cast<size_t>(I)].second.get(); }
  int IndexOf(const std::string& Name) const;
  // Stores Item under Name and counts one use. When the name is there already the stored
  // entry stays (it may be in use) and gets the use; the new item is dropped. Returns the
  // stored entry.
  TBitmapItem* AddObject(const std::string& Name, std::unique_ptr<TBitmapItem> Item);
  // Entry I's image; its age goes back to 0 and it counts one more use.
  TImageHolder* GetImage(int I);
  void DecUsage(const std::string& Name);
  // Once per document load: every entry ages; old entries without users go.
  void BumpAndCheck();
  void SetCacheCount(int32_t N);
  int32_t MaxCache() const { return FMaxCache; }
  void Delete(int I);
  void Clear();

private:
  void PurgeOlderThan(int32_t N);
  std::vector<std::pair<std::string, std::unique_ptr<TBitmapItem>>> FItems;
  int32_t FMaxCache = 4;
};

// ---- selection to text ----

// Counts the characters a selection gives: object markers 2 and 4 are left out.
class SelTextCount {
public:
  virtual ~SelTextCount() = default;
  virtual void AddText(const char16_t* P, int32_t Size);
  void AddText(const std::u16string& S) { AddText(S.data(), static_cast<int32_t>(S.size())); }
  // The text, then CR and LF.
  void AddTextCR(const char16_t* P, int32_t Size);
  virtual int32_t Terminate();

protected:
  int32_t Leng = 0;
};

// Copies the characters (markers 2, 4 and 8 left out) into a caller's buffer of BufSize
// units, keeping one for the terminating zero.
class SelTextBuf : public SelTextCount {
public:
  SelTextBuf(char16_t* ABuffer, int32_t Size);
  void AddText(const char16_t* P, int32_t Size) override;
  using SelTextCount::AddText;
  // Writes the terminating zero; returns the length + 1.
  int32_t Terminate() override;

protected:
  char16_t* Buffer;
  int32_t BufferLeng;
};

// Collects a whole selection as wide text (no size limit) and puts it on the clipboard.
class ClipBuffer : public SelTextCount {
public:
  void AddText(const char16_t* P, int32_t Size) override;
  using SelTextCount::AddText;
  int32_t Terminate() override;
  const std::u16string& Text() const { return FText; }

private:
  std::u16string FText;
};

// ---- float bookkeeping ----

struct IndentRec {
  int32_t X = 0;    // the float's inner edge
  int32_t YT = 0;   // its vertical extent
  int32_t YB = 0;
  const TBlock* ID = nullptr;   // the block that owns it; nullptr for document-level floats
};

constexpr int32_t IndentYBOpen = 9999999;

// The records of one side. Queries come down the page, so records that end above a query's
// Y are moved to the front and later queries at or below it pass them by: a page of many
// floats costs each query the floats beside it, not all of them. (Order within the list
// means nothing: every query takes a maximum, minimum or any match.)
class TIndentList : public TFreeList<IndentRec> {
public:
  // The index from which records may cover Y or end below it.
  int LiveFrom(int32_t Y);
  // Frees the record (nothing when it is not in the list).
  void Remove(const IndentRec* Rec);
  void Clear() override;

private:
  size_t FDead = 0;   // records before this end at or above FDeadY
  int32_t FDeadY = INT32_MIN;
};

class IndentManagerBasic {
public:
  IndentManagerBasic();
  virtual ~IndentManagerBasic();

  int32_t Width = 0;
  int32_t BaseX = 0;
  const TBlock* CurrentID = nullptr;
  // Mutable: a query files away the records that ended above it.
  mutable TIndentList L;
  mutable TIndentList R;

  void Reset(int32_t ABaseX, int32_t AWidth);
  void Clear();
  // A record for the current block from YT down; YB stays open until the caller sets it.
  IndentRec* AddLeft(int32_t X, int32_t YT);
  IndentRec* AddRight(int32_t X, int32_t YT);
  // Frees a record of either side.
  void Remove(const IndentRec* Rec);
  // Left edge at Y: the largest X of the left records covering Y (of no block or the
  // current one) plus BaseX; BaseX when none.
  int32_t LeftSide(int32_t Y) const;
  // Right edge at Y: the smallest such right X plus BaseX; Width when none.
  int32_t RightSide(int32_t Y) const;
  // Lowest bottom of the document-level floats (0 when none).
  int32_t ImageBottom() const;
  // Y below the document-level left and right floats (bottom + 1), 0 where none.
  void GetClearY(int32_t& CL, int32_t& CR) const;
  // The nearest float bottom below Y, where the free width may grow; Y when none.
  int32_t GetNextWiderY(int32_t Y) const;
};

// ---- jump targets ----

// Anything a "#name" link can jump to.
class TIDObject {
public:
  virtual ~TIDObject() = default;
  virtual int32_t YPosition() const = 0;
};

// How a character position of a document becomes the top of its line.
using TChPosLookup = int32_t (*)(TSectionList* List, int32_t ChPos);

// A named character position in a document's text; its Y is the top of its line, as the
// document's LineTop gives it (0 without one).
class TChPosObj : public TIDObject {
public:
  TChPosObj(TSectionList* AList, int32_t AChPos, TChPosLookup ALineTop = nullptr)
      : List(AList), ChPos(AChPos), LineTop(ALineTop)
  {}
  int32_t YPosition() const override;
  TSectionList* List;
  int32_t ChPos;
  TChPosLookup LineTop;
};

// Names (upper-cased) to jump targets. A name added twice keeps the second; the list owns
// the TChPosObj entries it made, which ask LineTop of the owning document for their Y.
class TIDNameList {
public:
  explicit TIDNameList(TSectionList* AList = nullptr, TChPosLookup ALineTop = nullptr)
      : OwnerList(AList), LineTop(ALineTop)
  {}
  ~TIDNameList();
  TSectionList* OwnerList;
  TChPosLookup LineTop;
  void AddObject(const std::string& Name, TIDObject* Obj);
  void AddChPosObj(const std::string& Name, int32_t Pos);
  TIDObject* Find(const std::string& Name) const;
  // Drops every name that leads to Obj (an object that goes away).
  void RemoveObject(const TIDObject* Obj);
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear();

private:
  struct TEntry {
    TIDObject* Obj = nullptr;
    std::unique_ptr<TChPosObj> Owned;
  };
  void Put(const std::string& Name, TIDObject* Obj, std::unique_ptr<TChPosObj> Owned);
  std::map<std::string, TEntry> FItems;
};

// ---- token buffers ----

// 8-bit characters with the source position of each.
class TCharCollection {
public:
  TCharCollection();
  void Add(char C, int32_t Index);
  void Concat(const TCharCollection& T);
  std::string AsString() const { return FChars; }
  const std::string& Chars() const { return FChars; }
  const std::vector<int32_t>& Indices() const { return FIndices; }
  int32_t Size() const { return static_cast<int32_t>(FChars.size()); }
  void Clear();

private:
  std::string FChars;
  std::vector<int32_t> FIndices;
};

// Wide characters with the source position of each: the text of one token.
class TokenObj {
public:
  TokenObj();
  void AddUnicodeChar(char16_t Ch, int32_t Ind);
  // Converts the collection's bytes from CodePage; each wide character keeps the source
  // position of the byte its character starts at.
  void AddString(const TCharCollection& S, int32_t CodePage);
  void Concat(const TokenObj& T);
  const std::u16string& S() const { return C; }
  const std::vector<int32_t>& Indices() const { return I; }
  int32_t Leng() const { return static_cast<int32_t>(C.size()); }
  void Clear();
  int32_t CodePage = 0;

private:
  std::u16string C;
  std::vector<int32_t> I;
};

// Text written into a page we build (element text or a quoted attribute value): "&", "<",
// ">" and '"' as references, so that the text reads back as it was.
std::string HtmlEscape(const std::string& S);

// ---- wide strings ----

// 1-based position of Sub in S, 0 when absent.
int32_t WidePos(const std::u16string& Sub, const std::u16string& S);
int32_t WidePosChar(char16_t Ch, const std::u16string& S);
int32_t WideLastPosChar(char16_t Ch, const std::u16string& S);
bool WideSameStr(const std::u16string& A, const std::u16string& B);
// Removes codes below 33 at both ends.
std::u16string WideTrim(const std::u16string& S);
std::u16string WideUpperCase(const std::u16string& S);
std::u16string WideLowerCase(const std::u16string& S);
char16_t WideUpCaseChar(char16_t C);
char16_t WideLowCaseChar(char16_t C);

// ---- image maps ----

// One area's shape, tested point by point: a pixel belongs to it when its centre does, as
// for a region of the same shape. Kept as numbers rather than rasterised, so that a page's
// huge or many-pointed areas cost neither memory nor time to add.
struct TMapArea {
  enum TKind : uint8_t { Rectangle, Ellipse, Polygon };
  TKind Kind = Rectangle;
  TRect Box;                    // the rectangle, or the ellipse's bounding box (right and bottom outside)
  std::vector<TPoint> Points;   // the polygon, closed implicitly, winding fill
  bool Contains(int32_t X, int32_t Y) const;
};

class TMapItem {
public:
  std::string MapName;
  // Area links with their shapes, and the area targets beside them, in the order added.
  std::vector<std::pair<std::string, TMapArea>> Areas;
  std::vector<std::string> AreaTargets;

  // From an AREA tag; areas with too few coordinates are ignored.
  void AddArea(const TAttributeList& Attrib);
  // The first area holding the point decides: its link (a new record) when it has one;
  // an area without link hides those after it.
  bool GetURL(int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg) const;
};

// ---- measuring and drawing ----

// How many characters of Text, at most Max, fit in Width; Extent gets their width. A
// surrogate pair is never cut.
int32_t FitText(TCanvas& Canvas, const char16_t* Text, int32_t Max, int32_t Width, int32_t& Extent);
// Width of the first Count characters of Text.
int32_t GetXExtent(TCanvas& Canvas, const char16_t* Text, int32_t Count);
// S word by word into the rectangle, transparently, as many lines as fit.
void WrapText(TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const std::string& S);
// A form control's sunken (or raised) white box; black and thin on a monochrome printer
// when PrintMonoBlack.
void FormControlRect(TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, bool Raised, bool PrintMonoBlack);

// What table borders need to know of the document they are drawn for.
struct TBorderLook {
  TColor Background = clWhite;   // the page's background colour
  bool Printing = false;
  bool PrintMonoBlack = false;   // black borders on monochrome printers
};
// A one-pixel table or cell border in the system's 3-D colours.
void RaisedRect(const TBorderLook& Look, TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, bool Raised);
// The same with given light and dark colours.
void RaisedRectColor(const TBorderLook& Look, TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                     TColor Light, TColor Dark, bool Raised);

// ---- built-in pictures and cursors ----

// Shown while an image is not there yet.
const TBitmap& DefBitmap();
// Shown for an image that could not be had, with its mask (white = transparent).
const TBitmap& ErrorBitmap();
const TBitmap& ErrorBitmapMask();

// The viewer's cursors, by their numbers in the screen's cursor table.
enum : int { HandCursor = 1, ThickIBeamCursor = 2, UpDownCursor = 3, UpOnlyCursor = 4, DownOnlyCursor = 5 };
struct TCursorImage {
  TBitmap Image;   // black and white
  TBitmap Mask;    // 1 bit: white where the screen shows through
  TPoint HotSpot;
};
// Cursor 1 to 5; nullptr for other numbers.
const TCursorImage* BuiltInCursor(int Index);
// Puts cursors 1 to 5 into the screen's cursor table, once the application is up.
void InstallViewerCursors();
