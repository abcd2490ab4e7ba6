// Files beside the executable and the little the program reads about its surroundings: the
// program's folder, file names resolved without regard to letter case (the content and the
// pages were written for a file system that ignores it), whole-file reads with a size cap,
// the read-only ini file, the login name and the build's version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/SysUtils.h"

// The running program's folder, with a trailing path separator.
std::string ExeFolder();

// The path as it exists on disk: "\" and "/" both separate components, and each component
// matches an entry of its folder whatever its letter case (an exact match wins; among
// several case-insensitive ones the first in byte order). A path that does not resolve comes
// back with "/" separators and otherwise unchanged.
std::string ResolveFileName(const std::string& path);

// Parts of a file name; "/" and "\\" both separate folders. The extension includes its dot
// and is empty when the last component has none.
std::string ExtractFileName(const std::string& fileName);
std::string ExtractFileExt(const std::string& fileName);
// The file name with its extension replaced (or added): ext includes the dot.
std::string ChangeFileExt(const std::string& fileName, const std::string& ext);

// Whether a regular file exists under the name (case-insensitively resolved).
bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& dirName);
// Whether anything at all is under the name: a file, a folder, a pipe, or an entry the system
// will not let us look at. False only when nothing is there.
bool PathExists(const std::string& fileName);

// EFOpenError, with the reason, unless the name is a regular file that opens for reading.
void CheckFileReadable(const std::string& fileName);

// The whole file (case-insensitively resolved). EFOpenError when it cannot be opened or is
// not a regular file; EReadError when it is larger than maxSize or reading fails.
std::vector<uint8_t> ReadFileBytes(const std::string& fileName, size_t maxSize);
// Creates or replaces the file (an existing one of another letter case is replaced). The
// bytes go to a temporary file in the same folder, which takes the name only when all of
// them reached the disk; on any failure (a full disk) the temporary file is removed, an old
// file under the name is left as it was, and EFCreateError says why.
void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes);

// A read-only ini file, read once when created. Sections and keys ignore letter case; the
// first of repeated sections or keys counts; a missing or unreadable file reads as empty.
class TIniFile : public TObject {
public:
  // Larger files are read as empty.
  static constexpr size_t MaxFileSize = size_t(1) << 20;

  explicit TIniFile(const std::string& fileName);

  const std::string& FileName() const { return FFileName; }
  std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const;
  // Decimal, or hexadecimal after "0x"; anything else gives def.
  int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t def) const;
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& ident) const;

private:
  std::string FFileName;
  // Upper-cased section -> upper-cased key -> value.
  std::map<std::string, std::map<std::string, std::string>> FSections;
};

// The login name of the user running the program; empty when it cannot be found.
std::string LoginUserName();

// The program's version as the build stamped it ("major.minor.patch").
std::string VersionString();
