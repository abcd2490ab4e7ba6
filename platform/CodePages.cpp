// Code pages through the C library's converters: single-byte pages become 256-entry tables
// once; multi-byte pages are converted one character at a time so every UTF-16 unit knows
// the byte its character started at.
#include "platform/CodePages.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

constexpr char16_t Replacement = 0xFFFD;

const char* IconvName(Cardinal cp)
{
  switch (cp) {
  case 437: return "CP437";
  case 850: return "CP850";
  case 866: return "CP866";
  case 874: return "CP874";
  case 932: return "CP932";
  case 936: return "GBK";
  case 949: return "CP949";
  case 950: return "BIG5";
  case 1250: return "CP1250";
  case 1251: return "CP1251";
  case 1252: return "CP1252";
  case 1253: return "CP1253";
  case 1254: return "CP1254";
  case 1255: return "CP1255";
  case 1256: return "CP1256";
  case 1257: return "CP1257";
  case 1258: return "CP1258";
  case 1361: return "JOHAB";
  case 10000: return "MACINTOSH";
  case 20866: return "KOI8-R";
  case 21866: return "KOI8-U";
  case 20932: return "EUC-JP";
  case 51932: return "EUC-JP";
  case 51949: return "EUC-KR";
  case 54936: return "GB18030";
  case 28591: return "ISO-8859-1";
  case 28592: return "ISO-8859-2";
  case 28593: return "ISO-8859-3";
  case 28594: return "ISO-8859-4";
  case 28595: return "ISO-8859-5";
  case 28596: return "ISO-8859-6";
  case 28597: return "ISO-8859-7";
  case 28598: return "ISO-8859-8";
  case 28599: return "ISO-8859-9";
  case 28603: return "ISO-8859-13";
  case 28605: return "ISO-8859-15";
  default: return nullptr;
  }
}

bool IsDbcs(Cardinal cp) { return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361; }

// Multi-byte pages that are not DBCS in the strict sense: character lengths from trial decoding.
bool IsOtherMultiByte(Cardinal cp) { return cp == 20932 || cp == 51932 || cp == 51949 || cp == 54936; }

// A converter from a page to UTF-16LE, reset before each use.
struct TIconv {
  iconv_t Handle = reinterpret_cast<iconv_t>(-1);
  ~TIconv()
  {
    if (Handle != reinterpret_cast<iconv_t>(-1))
      iconv_close(Handle);
  }
  bool Valid() const { return Handle != reinterpret_cast<iconv_t>(-1); }
};

using TTable = std::array<char16_t, 256>;
using TReverse = std::unordered_map<char16_t, char>;

// The system's converters, opened once per page, and the tables built from them, used under
// the lock (any thread converts). They depend on the page alone, so the process keeps one
// set that every caller shares.
struct TConverters {
  std::mutex Lock;
  std::map<Cardinal, std::unique_ptr<TIconv>> Decoders;
  std::map<Cardinal, std::unique_ptr<TIconv>> Encoders;
  std::map<Cardinal, std::unique_ptr<TTable>> Tables;
  std::map<Cardinal, std::unique_ptr<TReverse>> Reverse;
};

TConverters& Converters()
{
  static TConverters converters;   // NOLINT(orrelo-static-local-state): one set per process, as above
  return converters;
}

TIconv& Decoder(TConverters& c, Cardinal cp)
{
  auto& d = c.Decoders[cp];
  if (!d) {
    d = std::make_unique<TIconv>();
    if (const char* name = IconvName(cp))
      d->Handle = iconv_open("UTF-16LE", name);
  }
  return *d;
}

TIconv& Encoder(TConverters& c, Cardinal cp)
{
  auto& e = c.Encoders[cp];
  if (!e) {
    e = std::make_unique<TIconv>();
    if (const char* name = IconvName(cp))
      e->Handle = iconv_open(name, "UTF-16LE");
  }
  return *e;
}

// Decodes bytes as exactly one sequence; returns the number of UTF-16 units written
// (0 when the bytes are invalid or incomplete).
int DecodeOne(TIconv& cv, const char* bytes, size_t n, char16_t out[4])
{
  iconv(cv.Handle, nullptr, nullptr, nullptr, nullptr);
  char buffer[16];
  char* in = const_cast<char*>(bytes);
  size_t inLeft = n;
  char* o = buffer;
  size_t outLeft = sizeof buffer;
  size_t r = iconv(cv.Handle, &in, &inLeft, &o, &outLeft);
  if (r == static_cast<size_t>(-1) || inLeft != 0)
    return 0;
  // Flush stateful converters (1258 holds back a base letter waiting for an accent).
  iconv(cv.Handle, nullptr, nullptr, &o, &outLeft);
  int units = static_cast<int>((sizeof buffer - outLeft) / 2);
  if (units == 0 || units > 2)
    return 0;
  for (int i = 0; i < units; ++i)
    out[i] =
        static_cast<char16_t>(static_cast<uint8_t>(buffer[2 * i]) | (static_cast<uint8_t>(buffer[2 * i + 1]) << 8));
  return units;
}

const TTable* SingleByteTable(TConverters& converters, Cardinal cp)
{
  auto it = converters.Tables.find(cp);
  if (it != converters.Tables.end())
    return it->second.get();
  TIconv& cv = Decoder(converters, cp);
  if (!cv.Valid())
    return nullptr;
  auto t = std::make_unique<TTable>();
  for (int b = 0; b < 256; ++b) {
    char c = static_cast<char>(b);
    char16_t out[4];
    int n = DecodeOne(cv, &c, 1, out);
    if (n == 1)
      (*t)[b] = out[0];
    else if (cp == 1252)
      (*t)[b] = static_cast<char16_t>(b);   // the five unassigned bytes pass as C1 controls
    else
      (*t)[b] = Replacement;
  }
  return (converters.Tables[cp] = std::move(t)).get();
}

// Character to byte for a single-byte page (the first byte wins where two share one).
const TReverse& ReverseTable(TConverters& converters, Cardinal cp, const TTable& table)
{
  auto& r = converters.Reverse[cp];
  if (!r) {
    r = std::make_unique<TReverse>();
    for (int b = 0; b < 256; ++b)
      if (table[b] != Replacement)
        r->emplace(table[b], static_cast<char>(b));
  }
  return *r;
}

size_t DbcsStep(Cardinal cp, const std::string& s, size_t i)
{
  if (i >= s.size())
    return s.size();
  if (IsDBCSLeadByteEx(cp, static_cast<Byte>(s[i])) && i + 1 < s.size() && s[i + 1] != '\0')
    return i + 2;
  return i + 1;
}

size_t Utf8Length(const std::string& s, size_t i, char32_t& cp)
{
  auto byte = [&](size_t k) { return static_cast<Byte>(s[k]); };
  Byte b = byte(i);
  cp = 0xFFFD;
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  int len = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
  if (len == 0 || i + len > s.size())
    return 1;
  char32_t v = b & (0xFF >> (len + 1));
  for (int k = 1; k < len; ++k) {
    Byte c = byte(i + k);
    if ((c & 0xC0) != 0x80)
      return 1;
    v = (v << 6) | (c & 0x3F);
  }
  if ((len == 3 && v < 0x800) || (len == 4 && (v < 0x10000 || v > 0x10FFFF)) || (v >= 0xD800 && v <= 0xDFFF))
    return 1;
  cp = v;
  return len;
}

void AppendCodePoint(std::u16string& out, char32_t c)
{
  if (c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

}   // namespace

Cardinal GetACP() { return 1252; }
Cardinal GetOEMCP() { return 437; }

Cardinal ResolveCodePage(Cardinal cp)
{
  switch (cp) {
  case CP_ACP: return GetACP();
  case CP_OEMCP: return GetOEMCP();
  case CP_MACCP: return 10000;
  default: return cp;
  }
}

bool IsValidCodePage(Cardinal cp)
{
  cp = ResolveCodePage(cp);
  if (cp == CP_UTF8)
    return true;
  TConverters& converters = Converters();
  std::lock_guard<std::mutex> lock(converters.Lock);
  return IconvName(cp) && Decoder(converters, cp).Valid();
}

bool IsMultiByteCodePage(Cardinal cp)
{
  cp = ResolveCodePage(cp);
  return cp == CP_UTF8 || IsDbcs(cp) || IsOtherMultiByte(cp);
}

bool IsDBCSLeadByteEx(Cardinal cp, Byte b)
{
  switch (ResolveCodePage(cp)) {
  case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  case 936:
  case 949:
  case 950: return b >= 0x81 && b <= 0xFE;
  case 1361: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
  default: return false;
  }
}

bool CharsetToCodePage(TFontCharset charset, Cardinal& codePage)
{
  switch (charset) {
  case ANSI_CHARSET: codePage = 1252; return true;
  case DEFAULT_CHARSET:
  case SYMBOL_CHARSET: codePage = CP_ACP; return true;
  case MAC_CHARSET: codePage = CP_MACCP; return true;
  case SHIFTJIS_CHARSET: codePage = 932; return true;
  case HANGEUL_CHARSET: codePage = 949; return true;
  case JOHAB_CHARSET: codePage = 1361; return true;
  case GB2312_CHARSET: codePage = 936; return true;
  case CHINESEBIG5_CHARSET: codePage = 950; return true;
  case GREEK_CHARSET: codePage = 1253; return true;
  case TURKISH_CHARSET: codePage = 1254; return true;
  case VIETNAMESE_CHARSET: codePage = 1258; return true;
  case HEBREW_CHARSET: codePage = 1255; return true;
  case ARABIC_CHARSET: codePage = 1256; return true;
  case BALTIC_CHARSET: codePage = 1257; return true;
  case RUSSIAN_CHARSET: codePage = 1251; return true;
  case THAI_CHARSET: codePage = 874; return true;
  case EASTEUROPE_CHARSET: codePage = 1250; return true;
  case OEM_CHARSET: codePage = CP_OEMCP; return true;
  default: return false;
  }
}

TFontCharset CodePageToCharset(Cardinal cp)
{
  switch (ResolveCodePage(cp)) {
  case 932: return SHIFTJIS_CHARSET;
  case 949: return HANGEUL_CHARSET;
  case 1361: return JOHAB_CHARSET;
  case 936: return GB2312_CHARSET;
  case 950: return CHINESEBIG5_CHARSET;
  case 1253: return GREEK_CHARSET;
  case 1254: return TURKISH_CHARSET;
  case 1258: return VIETNAMESE_CHARSET;
  case 1255: return HEBREW_CHARSET;
  case 1256: return ARABIC_CHARSET;
  case 1257: return BALTIC_CHARSET;
  case 1251: return RUSSIAN_CHARSET;
  case 874: return THAI_CHARSET;
  case 1250: return EASTEUROPE_CHARSET;
  case 437: return OEM_CHARSET;
  case 10000: return MAC_CHARSET;
  default: return ANSI_CHARSET;
  }
}

size_t NextCharIndex(Cardinal cp, const std::string& s, size_t i)
{
  if (i >= s.size())
    return s.size();
  cp = ResolveCodePage(cp);
  if (cp == CP_UTF8) {
    char32_t c;
    return i + Utf8Length(s, i, c);
  }
  if (IsDbcs(cp))
    return DbcsStep(cp, s, i);
  if (IsOtherMultiByte(cp)) {
    TConverters& converters = Converters();
    std::lock_guard<std::mutex> lock(converters.Lock);
    TIconv& cv = Decoder(converters, cp);
    if (!cv.Valid())
      return i + 1;
    char16_t out[4];
    for (size_t n = 1; n <= 4 && i + n <= s.size(); ++n)
      if (DecodeOne(cv, s.data() + i, n, out) > 0)
        return i + n;
  }
  return i + 1;
}

std::u16string MultiByteToWide(Cardinal codePage, const std::string& s, std::vector<Integer>* positions)
{
  std::u16string out;
  out.reserve(s.size());
  if (positions) {
    positions->clear();
    positions->reserve(s.size());
  }
  Cardinal cp = ResolveCodePage(codePage);
  auto at = [&](size_t i) {
    if (positions)
      positions->push_back(static_cast<Integer>(i));
  };
  if (cp == CP_UTF8) {
    for (size_t i = 0; i < s.size();) {
      char32_t c;
      size_t n = Utf8Length(s, i, c);
      size_t before = out.size();
      AppendCodePoint(out, c);
      for (size_t k = before; k < out.size(); ++k)
        at(i);
      i += n;
    }
    return out;
  }
  TConverters& converters = Converters();
  std::lock_guard<std::mutex> lock(converters.Lock);
  bool multi = IsDbcs(cp) || IsOtherMultiByte(cp);
  if (!multi || !Decoder(converters, cp).Valid()) {
    const TTable* table = SingleByteTable(converters, cp);
    if (!table)
      table = SingleByteTable(converters, 1252);
    for (size_t i = 0; i < s.size(); ++i) {
      out += (*table)[static_cast<Byte>(s[i])];
      at(i);
    }
    return out;
  }
  TIconv& cv = Decoder(converters, cp);
  for (size_t i = 0; i < s.size();) {
    Byte b = static_cast<Byte>(s[i]);
    if (b < 0x80 && cp != 1361) {
      out += static_cast<char16_t>(b);
      at(i);
      ++i;
      continue;
    }
    size_t next;
    if (IsDbcs(cp)) {
      next = DbcsStep(cp, s, i);
    } else {
      next = i + 1;
      char16_t probe[4];
      for (size_t n = 1; n <= 4 && i + n <= s.size(); ++n)
        if (DecodeOne(cv, s.data() + i, n, probe) > 0) {
          next = i + n;
          break;
        }
    }
    char16_t units[4];
    int n = DecodeOne(cv, s.data() + i, next - i, units);
    if (n == 0) {
      out += Replacement;
      at(i);
    } else {
      for (int k = 0; k < n; ++k) {
        out += units[k];
        at(i);
      }
    }
    i = next;
  }
  return out;
}

std::string WideToMultiByte(Cardinal codePage, const std::u16string& s, char defaultChar, bool* usedDefault)
{
  std::string out;
  out.reserve(s.size());
  bool defaulted = false;
  Cardinal cp = ResolveCodePage(codePage);
  auto unit = [&](size_t i, size_t& len) -> char32_t {
    char16_t c = s[i];
    len = 1;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      len = 2;
      return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00);
    }
    if (c >= 0xD800 && c <= 0xDFFF)
      return 0xFFFFFFFF;   // lone surrogate
    return c;
  };
  if (cp == CP_UTF8) {
    for (size_t i = 0; i < s.size();) {
      size_t len;
      char32_t c = unit(i, len);
      i += len;
      if (c == 0xFFFFFFFF) {
        out += defaultChar;
        defaulted = true;
      } else if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    if (usedDefault)
      *usedDefault = defaulted;
    return out;
  }
  TConverters& converters = Converters();
  std::lock_guard<std::mutex> lock(converters.Lock);
  bool multi = IsDbcs(cp) || IsOtherMultiByte(cp);
  const TTable* table = multi ? nullptr : SingleByteTable(converters, cp);
  if (!multi && !table)
    table = SingleByteTable(converters, 1252);
  TIconv* enc = multi ? &Encoder(converters, cp) : nullptr;
  if (enc && !enc->Valid()) {
    enc = nullptr;
    table = SingleByteTable(converters, 1252);
  }
  for (size_t i = 0; i < s.size();) {
    size_t len;
    char32_t c = unit(i, len);
    bool done = false;
    if (c != 0xFFFFFFFF) {
      if (table) {
        const TReverse& reverse =
            ReverseTable(converters, table == SingleByteTable(converters, cp) ? cp : 1252, *table);
        auto it = c < 0x10000 ? reverse.find(static_cast<char16_t>(c)) : reverse.end();
        if (it != reverse.end()) {
          out += it->second;
          done = true;
        }
      } else if (c < 0x80 && cp != 1361) {
        out += static_cast<char>(c);
        done = true;
      } else {
        iconv(enc->Handle, nullptr, nullptr, nullptr, nullptr);
        char16_t in16[2] = {s[i], len == 2 ? s[i + 1] : char16_t(0)};
        char inBytes[4];
        for (size_t k = 0; k < len; ++k) {
          inBytes[2 * k] = static_cast<char>(in16[k] & 0xFF);
          inBytes[2 * k + 1] = static_cast<char>(in16[k] >> 8);
        }
        char* in = inBytes;
        size_t inLeft = 2 * len;
        char buffer[16];
        char* o = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(enc->Handle, &in, &inLeft, &o, &outLeft) != static_cast<size_t>(-1) && inLeft == 0) {
          iconv(enc->Handle, nullptr, nullptr, &o, &outLeft);
          out.append(buffer, sizeof buffer - outLeft);
          done = true;
        }
      }
    }
    if (!done) {
      out += defaultChar;
      defaulted = true;
    }
    i += len;
  }
  if (usedDefault)
    *usedDefault = defaulted;
  return out;
}

std::u16string Utf8ToWide(const std::string& s) { return MultiByteToWide(CP_UTF8, s); }
std::string WideToUtf8(const std::u16string& s) { return WideToMultiByte(CP_UTF8, s, '?'); }
