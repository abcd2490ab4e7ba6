#include "platform/ChmFile.h"

#include "platform/CodePages.h"

#include <chm_lib.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint64_t Le64(const unsigned char* p) { return Le32(p) | (uint64_t(Le32(p + 4)) << 32); }

std::string Lower(std::string s)
{
  for (char& c : s)
    if (c >= 'A' && c <= 'Z')
      c = char(c - 'A' + 'a');
  return s;
}

// Reads count bytes at offset; false when the file is shorter.
bool ReadAt(std::ifstream& in, uint64_t offset, unsigned char* buf, size_t count)
{
  in.clear();
  in.seekg(std::streamoff(offset));
  if (!in)
    return false;
  in.read(reinterpret_cast<char*>(buf), std::streamsize(count));
  return size_t(in.gcount()) == count;
}

}   // namespace

struct TChmFile::THandle {
  chmFile* File = nullptr;
  ~THandle()
  {
    if (File)
      chm_close(File);
  }
};

// The container: a header naming two header sections (the first gives the file's full
// size, the second is the directory of fixed-size chunks) and where the data begins. The
// directory's listing chunks name every stored file with its section, offset and length.
// Every offset and size is checked against the real file, and the compressed section's
// bookkeeping against what its unpacking divides by, so chmlib only ever reads what is there.
void TChmFile::CheckContainer(const std::string& fileName)
{
  std::ifstream in(fileName, std::ios::binary);
  if (!in)
    throw EChmError("Cannot open the help file " + fileName);
  in.seekg(0, std::ios::end);
  const uint64_t size = uint64_t(std::max<std::streamoff>(in.tellg(), 0));
  const std::string notHelp = fileName + " is not a compiled help file";
  const std::string damaged = "The help file " + fileName + " is damaged";
  if (size > MaxFileSize)
    throw EChmError("The help file " + fileName + " is too large");
  unsigned char h[0x60] = {};
  if (size < 0x58 || !ReadAt(in, 0, h, 0x58) || std::memcmp(h, "ITSF", 4) != 0)
    throw EChmError(notHelp);
  const uint32_t version = Le32(h + 4), headerLen = Le32(h + 8);
  if ((version != 2 && version != 3) || headerLen < (version == 3 ? 0x60u : 0x58u) || headerLen > size)
    throw EChmError(notHelp);
  if (version == 3 && !ReadAt(in, 0, h, 0x60))
    throw EChmError(damaged);
  const uint64_t sec0Off = Le64(h + 0x38), sec0Len = Le64(h + 0x40);
  const uint64_t dirOff = Le64(h + 0x48), dirLen = Le64(h + 0x50);
  const uint64_t dataOff = version == 3 ? Le64(h + 0x58) : dirOff + dirLen;
  auto inside = [size](uint64_t off, uint64_t len) { return off <= size && len <= size - off; };
  // The first header section states the size the file was written with: a shorter file
  // was cut off in copying.
  if (sec0Len >= 0x10 && sec0Off <= size && size - sec0Off >= 0x10) {
    unsigned char s0[0x10];
    if (ReadAt(in, sec0Off, s0, sizeof s0) && Le32(s0) == 0x1FE && Le64(s0 + 8) > size)
      throw EChmError("The help file " + fileName + " is truncated");
  }
  if (!inside(sec0Off, sec0Len) || !inside(dirOff, dirLen) || dataOff > size)
    throw EChmError("The help file " + fileName + " is truncated");
  FFileSize = size;
  FDataOffset = dataOff;
  unsigned char d[0x54];
  if (dirLen < sizeof d || !ReadAt(in, dirOff, d, sizeof d) || std::memcmp(d, "ITSP", 4) != 0)
    throw EChmError(damaged);
  const uint32_t dirHeaderLen = Le32(d + 8), chunkSize = Le32(d + 0x10), density = Le32(d + 0x14);
  const int32_t rootIndex = int32_t(Le32(d + 0x1C));
  const uint32_t firstPMGL = Le32(d + 0x20), lastPMGL = Le32(d + 0x24), chunks = Le32(d + 0x2C);
  if (dirHeaderLen < sizeof d || dirHeaderLen > dirLen || chunkSize < 0x20 || chunkSize > 0x10000 || chunks == 0
      || uint64_t(chunks) * chunkSize > dirLen - dirHeaderLen || firstPMGL >= chunks || lastPMGL >= chunks
      || firstPMGL > lastPMGL || density == 0 || density > 0x100
      || (rootIndex != -1 && (rootIndex < 0 || uint32_t(rootIndex) >= chunks)))
    throw EChmError(damaged);

  // Every chunk, and every entry of the listing chunks.
  struct TEntry {
    uint64_t Space = 0, Start = 0, Length = 0;
  };
  std::vector<std::pair<std::string, TEntry>> special;
  const uint64_t chunk0 = dirOff + dirHeaderLen;
  std::vector<unsigned char> c(chunkSize);
  for (uint32_t i = 0; i < chunks; ++i) {
    if (!ReadAt(in, chunk0 + uint64_t(i) * chunkSize, c.data(), chunkSize))
      throw EChmError(damaged);
    const bool listing = std::memcmp(c.data(), "PMGL", 4) == 0, index = std::memcmp(c.data(), "PMGI", 4) == 0;
    if (!listing && !index)
      throw EChmError(damaged);
    const uint32_t header = listing ? 0x14u : 0x08u;
    const uint32_t freeSpace = Le32(c.data() + 4);
    if (freeSpace > chunkSize - header)
      throw EChmError(damaged);
    if (!listing)
      continue;
    const int32_t prev = int32_t(Le32(c.data() + 0x0C)), next = int32_t(Le32(c.data() + 0x10));
    for (int32_t link : {prev, next})
      if (link != -1 && (link < 0 || uint32_t(link) >= chunks || uint32_t(link) == i))
        throw EChmError(damaged);
    // Entries: a name (length-prefixed), then its section, offset and length, each a
    // variable-length number of 7-bit groups, most significant first.
    size_t p = header;
    const size_t end = chunkSize - freeSpace;
    auto number = [&](uint64_t& v) {
      v = 0;
      for (int n = 0; n < 9; ++n) {
        if (p >= end)
          return false;
        unsigned char b = c[p++];
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80))
          return true;
      }
      return false;
    };
    while (p < end) {
      uint64_t nameLen = 0;
      TEntry e;
      if (!number(nameLen) || nameLen == 0 || nameLen > CHM_MAX_PATHLEN || nameLen > end - p)
        throw EChmError(damaged);
      std::string name(reinterpret_cast<const char*>(c.data() + p), size_t(nameLen));
      p += size_t(nameLen);
      if (!number(e.Space) || !number(e.Start) || !number(e.Length) || e.Space > 1)
        throw EChmError(damaged);
      if (e.Space == 0 && (e.Start > size - dataOff || e.Length > size - dataOff - e.Start))
        throw EChmError("The help file " + fileName + " is truncated");
      // chmlib finds its own files by name without regard to case.
      name = Lower(std::move(name));
      if (name.rfind("::dataspace/storage/mscompressed/", 0) == 0)
        special.emplace_back(name, e);
    }
  }

  // The compressed section: its control data and reset table lie in the plain section.
  auto plain = [&](const char* name, std::vector<std::string>& out) {
    for (auto& [n, e] : special)
      if (n == name) {
        if (e.Space != 0 || e.Length > 0x100000)
          throw EChmError(damaged);
        std::string b(size_t(e.Length), '\0');
        if (e.Length && !ReadAt(in, dataOff + e.Start, reinterpret_cast<unsigned char*>(b.data()), b.size()))
          throw EChmError(damaged);
        out.push_back(b);
      }
  };
  std::vector<std::string> controls, resets;
  plain("::dataspace/storage/mscompressed/controldata", controls);
  plain("::dataspace/storage/mscompressed/transform/{7fc28940-9d31-11d0-9b27-00a0c91e9c7c}/instancedata/resettable",
        resets);
  uint64_t contentLength = 0;
  bool content = false;
  for (auto& [n, e] : special)
    if (n == "::dataspace/storage/mscompressed/content") {
      if (e.Space != 0 || (content && e.Length != contentLength))
        throw EChmError(damaged);
      content = true;
      contentLength = e.Length;
    }
  FUnpackedSize = 0;
  for (const std::string& control : controls)
    for (const std::string& reset : resets)
      FUnpackedSize = std::max(FUnpackedSize, CheckCompressionData(control, reset, contentLength, damaged));
  // Without all three, chmlib leaves the compressed section alone.
}

// What LZX unpacking divides by and indexes with: the window and reset sizes of the control
// data, the block length and block table of the reset table. Gives the unpacked size.
uint64_t TChmFile::CheckCompressionData(const std::string& c, const std::string& r, uint64_t contentLength,
                                        const std::string& damaged)
{
  if (c.size() < 0x18 || r.size() < 0x28 || c.compare(4, 4, "LZXC") != 0)
    throw EChmError(damaged);
  auto cu = [&](size_t i) { return Le32(reinterpret_cast<const unsigned char*>(c.data()) + i); };
  auto ru32 = [&](size_t i) { return Le32(reinterpret_cast<const unsigned char*>(r.data()) + i); };
  auto ru64 = [&](size_t i) { return Le64(reinterpret_cast<const unsigned char*>(r.data()) + i); };
  const uint32_t version = cu(8);
  uint64_t resetInterval = cu(0x0C), windowSize = cu(0x10);
  const uint32_t windowsPerReset = cu(0x14);
  if (version == 2) {
    resetInterval *= 0x8000;
    windowSize *= 0x8000;
  } else if (version != 1) {
    throw EChmError(damaged);
  }
  const bool powerOfTwo = windowSize != 0 && (windowSize & (windowSize - 1)) == 0;
  if (!powerOfTwo || windowSize < 0x8000 || windowSize > 0x200000 || resetInterval < windowSize / 2
      || resetInterval % (windowSize / 2) != 0 || resetInterval > 0x10000000 || windowsPerReset == 0
      || windowsPerReset > 0x100)
    throw EChmError(damaged);
  const uint32_t blockCount = ru32(4), entrySize = ru32(8), tableOffset = ru32(0x0C);
  const uint64_t unpacked = ru64(0x10), packed = ru64(0x18), blockLen = ru64(0x20);
  if (entrySize != 8 || tableOffset < 0x28 || tableOffset > r.size()
      || uint64_t(blockCount) * 8 > r.size() - tableOffset || blockLen == 0 || blockLen > windowSize
      || packed > contentLength || uint64_t(blockCount) < (unpacked + blockLen - 1) / blockLen)
    throw EChmError(damaged);
  uint64_t previous = 0;
  for (uint32_t i = 0; i < blockCount; ++i) {
    uint64_t at = ru64(tableOffset + size_t(i) * 8);
    if (at < previous || at > packed)
      throw EChmError(damaged);
    previous = at;
  }
  return unpacked;
}

TChmFile::TChmFile(const std::string& fileName) : FFileName(fileName), FHandle(std::make_unique<THandle>())
{
  CheckContainer(fileName);
  FHandle->File = chm_open(fileName.c_str());
  if (!FHandle->File)
    throw EChmError(fileName + " is not a compiled help file");
  struct TCollect {
    TChmFile* Self;
    bool TooMany = false;
    bool Outside = false;
  } collect{this};
  chm_enumerate(
      FHandle->File, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES,
      [](chmFile*, chmUnitInfo* ui, void* context) -> int {
        auto* c = static_cast<TCollect*>(context);
        if (c->Self->FNames.size() >= MaxEntries) {
          c->TooMany = true;
          return CHM_ENUMERATOR_SUCCESS;
        }
        std::string path(ui->path, strnlen(ui->path, CHM_MAX_PATHLEN));
        if (path.empty() || path.back() == '/')
          return CHM_ENUMERATOR_CONTINUE;
        // Each file lies inside its section: the plain one in the file, the
        // compressed one within its unpacked size.
        TChmFile& f = *c->Self;
        bool fits = ui->space == CHM_UNCOMPRESSED ? ui->start <= f.FFileSize - f.FDataOffset
                                                        && ui->length <= f.FFileSize - f.FDataOffset - ui->start
                                                  : ui->space == CHM_COMPRESSED && ui->start <= f.FUnpackedSize
                                                        && ui->length <= f.FUnpackedSize - ui->start;
        if (!fits) {
          c->Outside = true;
          return CHM_ENUMERATOR_SUCCESS;
        }
        c->Self->FNames.push_back(path);
        return CHM_ENUMERATOR_CONTINUE;
      },
      &collect);
  if (collect.TooMany || collect.Outside)
    throw EChmError("The help file " + fileName + " is damaged");
  if (FNames.empty())
    throw EChmError("The help file " + fileName + " holds no pages");
  ReadSystem();
}

TChmFile::~TChmFile() = default;

std::string TChmFile::Find(const std::string& path) const
{
  if (path.empty())
    return {};
  std::string want = Lower(path[0] == '/' ? path : "/" + path);
  for (const std::string& n : FNames)
    if (Lower(n) == want)
      return n;
  return {};
}

std::string TChmFile::ReadStored(const std::string& storedPath) const
{
  chmUnitInfo ui{};
  if (storedPath.size() > CHM_MAX_PATHLEN
      || chm_resolve_object(FHandle->File, storedPath.c_str(), &ui) != CHM_RESOLVE_SUCCESS)
    throw EChmError("The help file " + FFileName + " has no " + storedPath);
  if (ui.length > MaxEntrySize)
    throw EChmError("The help file " + FFileName + " is damaged");
  std::string bytes(size_t(ui.length), '\0');
  if (ui.length > 0) {
    LONGINT64 got = chm_retrieve_object(FHandle->File, &ui, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                        LONGINT64(ui.length));
    if (got != LONGINT64(ui.length))
      throw EChmError("The help file " + FFileName + " is damaged: " + storedPath + " cannot be read");
  }
  return bytes;
}

std::string TChmFile::Read(const std::string& path) const
{
  std::string stored = Find(path);
  if (stored.empty())
    throw EChmError("The help file " + FFileName + " has no " + path);
  return ReadStored(stored);
}

// The project settings: a version, then records of a 16-bit code, a 16-bit length and the
// data (zero-terminated strings for the ones used here).
void TChmFile::ReadSystem()
{
  std::string sys;
  try {
    sys = ReadStored("/#SYSTEM");
  } catch (const EChmError&) {
    return;   // a bare container: no settings, the viewer falls back on what it finds
  }
  size_t p = 4;
  while (p + 4 <= sys.size()) {
    auto u = [&](size_t i) { return unsigned(static_cast<unsigned char>(sys[i])); };
    unsigned code = u(p) | (u(p + 1) << 8), len = u(p + 2) | (u(p + 3) << 8);
    p += 4;
    if (len > sys.size() - p)
      break;
    std::string value(sys.data() + p, strnlen(sys.data() + p, len));
    switch (code) {
    case 0: FContentsFile = value; break;
    case 1: FIndexFile = value; break;
    case 2: FDefaultTopic = value; break;
    case 3: FTitle = value; break;
    default: break;
    }
    p += len;
  }
}

// ---------------------------------------------------------------------------------------
// Sitemaps

namespace {

std::string DecodeEntities(const std::string& s)
{
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    // A reference is short: the ';' is looked for among the next few characters only, so a
    // text of many '&' costs no more than its length.
    const size_t end = std::min(s.size(), i + 9);
    const size_t semi =
        size_t(std::find(s.begin() + std::ptrdiff_t(i), s.begin() + std::ptrdiff_t(end), ';') - s.begin());
    if (semi == end) {
      out += s[i];
      continue;
    }
    std::string name = Lower(s.substr(i + 1, semi - i - 1));
    std::string c;
    if (name == "amp")
      c = "&";
    else if (name == "lt")
      c = "<";
    else if (name == "gt")
      c = ">";
    else if (name == "quot")
      c = "\"";
    else if (name == "apos")
      c = "'";
    else if (name.size() > 1 && name[0] == '#') {
      // Decimal "&#39;" or hexadecimal "&#x27;"; the names are drawn in the system page,
      // so a character it lacks shows as '?'.
      bool hex = name[1] == 'x';
      std::string digits = name.substr(hex ? 2 : 1);
      if (!digits.empty() && digits.find_first_not_of(hex ? "0123456789abcdef" : "0123456789") == std::string::npos) {
        unsigned long v = std::stoul(digits, nullptr, hex ? 16 : 10);
        bool unit = v > 0 && v <= 0xFFFF && (v < 0xD800 || v >= 0xE000);
        c = unit ? WideToAnsi(std::u16string(1, char16_t(v))) : "?";
      }
    }
    if (c.empty()) {
      out += s[i];
      continue;
    }
    out += c;
    i = semi;
  }
  return out;
}

// The attributes of a tag's text (after its name): name in lower case, value unquoted.
std::vector<std::pair<std::string, std::string>> Attributes(const std::string& t)
{
  std::vector<std::pair<std::string, std::string>> out;
  size_t i = 0;
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/'; };
  while (i < t.size()) {
    while (i < t.size() && space(t[i]))
      ++i;
    size_t n = i;
    while (i < t.size() && !space(t[i]) && t[i] != '=')
      ++i;
    std::string name = Lower(t.substr(n, i - n));
    while (i < t.size() && space(t[i]) && t[i] != '/')
      ++i;
    std::string value;
    if (i < t.size() && t[i] == '=') {
      ++i;
      while (i < t.size() && (t[i] == ' ' || t[i] == '\t'))
        ++i;
      if (i < t.size() && (t[i] == '"' || t[i] == '\'')) {
        char q = t[i++];
        size_t e = t.find(q, i);
        if (e == std::string::npos)
          e = t.size();
        value = t.substr(i, e - i);
        i = e + 1;
      } else {
        size_t v = i;
        while (i < t.size() && t[i] != ' ' && t[i] != '\t' && t[i] != '\r' && t[i] != '\n')
          ++i;
        value = t.substr(v, i - v);
      }
    }
    if (!name.empty())
      out.emplace_back(name, DecodeEntities(value));
    else if (i < t.size())
      ++i;
  }
  return out;
}

}   // namespace

std::vector<TSitemapEntry> ParseSitemap(const std::string& text)
{
  constexpr int32_t MaxLevel = 32;
  std::vector<TSitemapEntry> out;
  int32_t depth = 0;   // open UL lists
  bool inObject = false;
  TSitemapEntry cur;
  size_t i = 0;
  while ((i = text.find('<', i)) != std::string::npos) {
    if (text.compare(i, 4, "<!--") == 0) {
      size_t e = text.find("-->", i + 4);
      i = e == std::string::npos ? text.size() : e + 3;
      continue;
    }
    size_t e = text.find('>', i);
    if (e == std::string::npos)
      break;
    std::string tag = text.substr(i + 1, e - i - 1);
    i = e + 1;
    bool closing = !tag.empty() && tag[0] == '/';
    size_t nameStart = closing ? 1 : 0, nameEnd = nameStart;
    while (nameEnd < tag.size() && tag[nameEnd] != ' ' && tag[nameEnd] != '\t' && tag[nameEnd] != '\r'
           && tag[nameEnd] != '\n' && tag[nameEnd] != '/')
      ++nameEnd;
    std::string name = Lower(tag.substr(nameStart, nameEnd - nameStart));
    if (name == "ul") {
      depth = closing ? std::max(depth - 1, 0) : depth + 1;
    } else if (name == "object") {
      if (closing) {
        if (inObject && (!cur.Name.empty() || !cur.Local.empty()))
          out.push_back(cur);
        inObject = false;
      } else {
        bool sitemap = false;
        for (auto& [n, v] : Attributes(tag.substr(nameEnd)))
          if (n == "type" && Lower(v) == "text/sitemap")
            sitemap = true;
        inObject = sitemap;
        cur = TSitemapEntry{std::clamp(depth - 1, 0, MaxLevel - 1), {}, {}};
      }
    } else if (name == "param" && inObject && !closing) {
      std::string pn, pv;
      for (auto& [n, v] : Attributes(tag.substr(nameEnd))) {
        if (n == "name")
          pn = Lower(v);
        else if (n == "value")
          pv = v;
      }
      // The first name of an index entry is its keyword; later ones name the pages.
      if (pn == "name" && cur.Name.empty())
        cur.Name = pv;
      else if (pn == "local" && cur.Local.empty())
        cur.Local = pv;
    }
  }
  return out;
}

void SplitHelpURL(const std::string& url, std::string& file, std::string& inner)
{
  size_t p = url.find("::");
  if (p == std::string::npos) {
    file = url;
    inner.clear();
    return;
  }
  file = url.substr(0, p);
  inner = url.substr(p + 2);
}
