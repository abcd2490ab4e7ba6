// A disk too small for what the program writes, for any user: the system's limit on the size
// of a file this process writes, so the program's writers meet real failed writes ("File too
// large", the program itself keeping the limit's signal from ending it); and the names in a
// folder, to see that nothing half written is left.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// While it lives, no file of this process grows past Bytes: a write beyond fails as on a full
// disk.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t Bytes)
  {
    getrlimit(RLIMIT_FSIZE, &FOld);
    rlimit limit = FOld;
    limit.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &FOld); }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  rlimit FOld{};
};

// The names in the folder, sorted.
inline std::vector<std::string> FolderNames(const std::string& dir)
{
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
