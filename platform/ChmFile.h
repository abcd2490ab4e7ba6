// Compiled help files (.chm) read through chmlib: the list of the files inside, their bytes,
// the project's settings (title, default topic, contents and index files), and the sitemap
// format the contents and the keyword index are written in.
//
// A help file comes from beside the program but is never trusted: the container's headers
// are checked against the file's real size before chmlib sees it, so a truncated or damaged
// file is refused with EChmError instead of being half read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/SysUtils.h"

class EChmError : public Exception {
  using Exception::Exception;
};

class TChmFile {
public:
  // Opens and checks the file; EChmError when it is missing, not a compiled help file,
  // truncated or damaged.
  explicit TChmFile(const std::string& fileName);
  ~TChmFile();
  TChmFile(const TChmFile&) = delete;
  TChmFile& operator=(const TChmFile&) = delete;

  const std::string& FileName() const { return FFileName; }
  // The paths of the ordinary files inside ("/Intro.htm"), in the file's own order; the
  // container's bookkeeping entries ("/#SYSTEM", "::DataSpace/...") are left out.
  const std::vector<std::string>& Names() const { return FNames; }
  // The stored path of a file, found without regard to case and with or without the
  // leading slash ("intro.htm" finds "/Intro.htm"); empty when there is none.
  std::string Find(const std::string& path) const;
  bool Exists(const std::string& path) const { return !Find(path).empty(); }
  // The whole file; EChmError when it is not there or cannot be read in full.
  std::string Read(const std::string& path) const;

  // From the project settings stored in the file (empty when not given).
  const std::string& Title() const { return FTitle; }
  const std::string& DefaultTopic() const { return FDefaultTopic; }
  const std::string& ContentsFile() const { return FContentsFile; }
  const std::string& IndexFile() const { return FIndexFile; }

  // Largest file taken, and largest single entry read.
  static constexpr uint64_t MaxFileSize = uint64_t(256) << 20;
  static constexpr uint64_t MaxEntrySize = uint64_t(16) << 20;
  static constexpr size_t MaxEntries = 100000;

private:
  struct THandle;
  void CheckContainer(const std::string& fileName);
  static uint64_t CheckCompressionData(const std::string& control, const std::string& reset, uint64_t contentLength,
                                       const std::string& damaged);
  void ReadSystem();
  std::string ReadStored(const std::string& storedPath) const;

  std::string FFileName;
  std::unique_ptr<THandle> FHandle;
  std::vector<std::string> FNames;
  uint64_t FFileSize = 0, FDataOffset = 0;
  // The compressed section's size once unpacked (0: the file has none).
  uint64_t FUnpackedSize = 0;
  std::string FTitle, FDefaultTopic, FContentsFile, FIndexFile;
};

// One entry of a contents or index sitemap: its nesting level (0 at the top), its name and
// the page it shows ("Page.htm#Anchor"; empty for a heading without a page).
struct TSitemapEntry {
  int32_t Level = 0;
  std::string Name;
  std::string Local;
};

// The entries of a sitemap (the OBJECT type="text/sitemap" records between nested UL lists),
// in document order. Tolerant: unknown tags are skipped, a missing closing tag ends the
// level, and nesting beyond 32 levels stays at the deepest.
std::vector<TSitemapEntry> ParseSitemap(const std::string& text);

// A URL of a page inside a help file, as the help window takes it: "file.chm::/Page.htm".
// Splits it into the file and the inner path (empty inner path when there is no "::").
void SplitHelpURL(const std::string& url, std::string& file, std::string& inner);
