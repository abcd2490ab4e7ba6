#include "html/Urls.h"

#include <cctype>
#include <vector>

#include "platform/SysUtils.h"

namespace {

bool StartsWithNoCase(const std::string& s, const std::string& prefix)
{
  return s.size() >= prefix.size() && LowerCase(s.substr(0, prefix.size())) == prefix;
}

int HexDigit(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

}   // namespace

std::string GetBase(const std::string& URL)
{
  std::string U = Trim(URL);
  size_t q = U.find('?');
  if (q != std::string::npos)
    U.erase(q);
  size_t dd = U.find("//");
  size_t start = dd == std::string::npos ? 0 : dd + 2;
  size_t slash = U.rfind('/');
  if (slash != std::string::npos && slash >= start)
    return U.substr(0, slash + 1);
  return U + "/";
}

std::string Combine(std::string Base, std::string Rel)
{
  Base = Trim(Base);
  // hostEnd is the index of the "/" that closes the host part; folding "../" never climbs past it.
  size_t hostEnd;
  size_t scheme;
  if (StartsWithNoCase(Base, "file:///"))
    hostEnd = Base.find('/', 8);
  else if ((scheme = Base.find("://")) != std::string::npos)
    hostEnd = Base.find('/', scheme + 3);
  else
    hostEnd = Base.find('/');
  if (hostEnd == std::string::npos) {
    Base += '/';
    hostEnd = Base.size() - 1;
  } else if (Base.back() != '/') {
    Base += '/';
  }

  Rel = Trim(Rel);
  std::string R;
  if (Rel.empty() || Rel[0] != '/')
    R = Base + Rel;
  else if (Rel.size() > 1 && Rel[1] == '/')
    R = Base.substr(0, hostEnd + 1) + Rel;
  else
    R = Base.substr(0, hostEnd + 1) + Rel.substr(1);

  for (;;) {
    size_t p = R.find("/../");
    if (p == std::string::npos)
      break;
    if (p > hostEnd) {
      size_t q = R.rfind('/', p - 1);
      if (q == std::string::npos)
        break;
      R.erase(q + 1, p + 3 - q);
    } else {
      R.erase(p + 1, 3);
      if (p < hostEnd)
        hostEnd -= 3;
    }
  }
  for (size_t p; (p = R.find("/./")) != std::string::npos;)
    R.erase(p + 1, 2);
  return R;
}

bool IsFullURL(const std::string& S)
{
  size_t scheme = S.find("://");
  if (scheme != std::string::npos && scheme < S.find('/'))
    return true;
  return LowerCase(S).find("mailto:") != std::string::npos;
}

void DecodeHex(std::string& S)
{
  if (S.find('%') == std::string::npos)
    return;
  std::string out;
  out.reserve(S.size());
  size_t i = 0;
  while (i < S.size()) {
    char c = S[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    if (i + 2 >= S.size()) {   // fewer than two characters follow
      out.append(S, i, std::string::npos);
      break;
    }
    int hi = HexDigit(S[i + 1]);
    int lo = HexDigit(S[i + 2]);
    if (hi < 0 || lo < 0) {
      out.append(S, i, std::string::npos);
      break;
    }
    int v = hi * 16 + lo;
    if (v == 0)
      out.append(S, i, 3);
    else
      out += static_cast<char>(v);
    i += 3;
  }
  S = std::move(out);
}

std::string HTMLToDos(std::string S)
{
  DecodeHex(S);
  if (S.find('/') == std::string::npos)
    return S;
  std::string lower = LowerCase(S);
  size_t p = lower.find("file:///");
  if (p != std::string::npos) {
    // "file:///c|/x" names a drive; any other path after the third "/" is absolute and keeps
    // its leading "/".
    const bool drive =
        p + 9 < S.size() && std::isalpha(static_cast<unsigned char>(S[p + 8])) && (S[p + 9] == '|' || S[p + 9] == ':');
    S.erase(p, drive ? 8 : 7);
  } else if ((p = lower.find("file://")) != std::string::npos) {
    S.erase(p, 7);
  }
  ReplaceChar('|', ':', S);
  ReplaceChar('/', '\\', S);
  return S;
}

std::string FoldDotSegments(const std::string& Path, char Sep)
{
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= Path.size()) {
    size_t j = Path.find(Sep, i);
    if (j == std::string::npos)
      j = Path.size();
    std::string part = Path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty())
        parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    i = j + 1;
  }
  std::string r;
  for (const std::string& p : parts)
    r += Sep + p;
  if (r.empty() || Path.back() == Sep)
    r += Sep;
  return r;
}

std::string HTMLServerToDos(const std::string& S, const std::string& Root)
{
  std::string T = Trim(HTMLToDos(S));
  // A "file:///" URL names a path on this machine, not one below the root.
  if (LowerCase(S).find("file:///") != std::string::npos)
    return T;
  // A root-relative name stays below the root: a ".." at the top goes nowhere, as on a web
  // server.
  if (!T.empty() && !Root.empty() && T.compare(0, 2, "\\\\") != 0 && !(T.size() > 1 && T[1] == ':') && T[0] == '\\')
    return Root + FoldDotSegments(T, '\\');
  return T;
}

void ReplaceChar(char Old, char New, std::string& S)
{
  for (char& c : S)
    if (c == Old)
      c = New;
}
