#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <random>

#ifndef ORRELO_VERSION
#define ORRELO_VERSION "0.0.0"
#endif

namespace {

std::string SystemError() { return std::strerror(errno); }

bool StatPath(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

bool IsDir(const std::string& path)
{
  struct stat st;
  return StatPath(path, st) && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path)
{
  struct stat st;
  return StatPath(path, st);
}

std::string Slashes(const std::string& path)
{
  std::string r = path;
  for (char& c : r)
    if (c == '\\')
      c = '/';
  return r;
}

// The entries of folder dir (with a trailing "/", or empty for the current folder) that
// match name ignoring ASCII case: an exact match first, then the others in byte order.
std::vector<std::string> MatchingEntries(const std::string& dir, const std::string& name)
{
  std::vector<std::string> found;
  if (Exists(dir + name))
    found.push_back(name);
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d)
    return found;
  std::vector<std::string> others;
  std::string wanted = UpperCase(name);
  while (dirent* e = ::readdir(d)) {
    std::string entry = e->d_name;
    if (entry != "." && entry != ".." && entry != name && UpperCase(entry) == wanted)
      others.push_back(entry);
  }
  ::closedir(d);
  std::sort(others.begin(), others.end());
  found.insert(found.end(), others.begin(), others.end());
  return found;
}

// Resolves parts[index...] below prefix, trying every matching folder in turn, so a name
// that lives only in one of two folders differing in case is still found.
bool ResolveParts(const std::string& prefix, const std::vector<std::string>& parts, size_t index, bool trailingSlash,
                  std::string& out, int depth)
{
  if (index == parts.size()) {
    out = prefix;
    return true;
  }
  if (depth > 256)
    return false;
  bool last = index + 1 == parts.size();
  const std::string& part = parts[index];
  std::vector<std::string> candidates = part == ".." ? std::vector<std::string>{part} : MatchingEntries(prefix, part);
  for (const std::string& c : candidates) {
    std::string next = prefix + c;
    if (!last && !IsDir(next))
      continue;
    if (!last || trailingSlash)
      next += "/";
    if (ResolveParts(next, parts, index + 1, trailingSlash, out, depth + 1))
      return true;
  }
  return false;
}

}   // namespace

std::string ExeFolder()
{
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  std::string path;
  if (n > 0) {
    path.assign(buf, static_cast<size_t>(n));
  } else if (char* cwd = ::getcwd(buf, sizeof(buf))) {
    return std::string(cwd) + "/";
  }
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string ResolveFileName(const std::string& path)
{
  std::string normal = Slashes(path);
  if (normal.empty() || Exists(normal))
    return normal;
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos < normal.size()) {
    size_t next = normal.find('/', pos);
    if (next == std::string::npos)
      next = normal.size();
    std::string part = normal.substr(pos, next - pos);
    if (!part.empty() && part != ".")
      parts.push_back(part);
    pos = next + 1;
  }
  if (parts.empty())
    return normal;
  const std::string root = normal[0] == '/' ? "/" : "";
  const bool trailingSlash = normal.back() == '/';
  // The search tries the exact name first at every level, so where the leading folders exist
  // as written it would go down them first: it starts below them, and reads no folder there.
  // Only if nothing matches below them is the whole path searched.
  std::string prefix = root;
  size_t exact = 0;
  while (exact + 1 < parts.size() && parts[exact] != ".." && IsDir(prefix + parts[exact]))
    prefix += parts[exact++] + "/";
  std::string resolved;
  if (exact > 0 && ResolveParts(prefix, parts, exact, trailingSlash, resolved, 0))
    return resolved;
  if (!ResolveParts(root, parts, 0, trailingSlash, resolved, 0))
    return normal;
  return resolved;
}

namespace {

size_t LastSeparator(const std::string& s)
{
  size_t p = s.find_last_of("/\\");
  return p == std::string::npos ? 0 : p + 1;
}

}   // namespace

std::string ExtractFileName(const std::string& fileName) { return fileName.substr(LastSeparator(fileName)); }

std::string ExtractFileExt(const std::string& fileName)
{
  size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || dot < LastSeparator(fileName))
    return "";
  return fileName.substr(dot);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& ext)
{
  return fileName.substr(0, fileName.size() - ExtractFileExt(fileName).size()) + ext;
}

bool FileExists(const std::string& fileName)
{
  struct stat st;
  return !fileName.empty() && StatPath(ResolveFileName(fileName), st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& dirName) { return !dirName.empty() && IsDir(ResolveFileName(dirName)); }

namespace {

// Opens the file for reading, refusing anything but a regular file. Non-blocking, so that a
// named pipe or a device a page names is refused at once instead of holding the open until
// a writer appears (regular files ignore the flag).
int OpenRegularFile(const std::string& fileName, struct stat& st)
{
  std::string path = ResolveFileName(fileName);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0)
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemError());
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EFOpenError("Cannot open file \"" + fileName + "\". Not a file");
  }
  return fd;
}

}   // namespace

bool PathExists(const std::string& fileName)
{
  if (fileName.empty())
    return false;
  struct stat st;
  // A name the system cannot look into (a folder without search permission) is there as far
  // as the user knows; only "no such entry" means absent.
  return StatPath(ResolveFileName(fileName), st) || (errno != ENOENT && errno != ENOTDIR);
}

void CheckFileReadable(const std::string& fileName)
{
  struct stat st;
  ::close(OpenRegularFile(fileName, st));
}

std::vector<uint8_t> ReadFileBytes(const std::string& fileName, size_t maxSize)
{
  struct stat st;
  int fd = OpenRegularFile(fileName, st);
  if (static_cast<uint64_t>(st.st_size) > maxSize) {
    ::close(fd);
    throw EReadError("File \"" + fileName + "\" is too large");
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;   // the file shrank meanwhile: keep what was there
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(done);
  return bytes;
}

namespace {

// A name for the temporary file beside the target: hidden, and unlikely to be taken.
std::string TemporaryName(const std::string& path)
{
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::random_device random;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
  return folder + "." + name + "." + suffix + ".tmp";
}

// Writes every byte and makes sure they reached the disk; false with errno set when not.
bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  // Some file systems (network ones, or those that allocate late) report a full disk only
  // when the data is flushed.
  return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
}

}   // namespace

void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes)
{
  std::string path = ResolveFileName(fileName);
  struct stat old;
  const bool replacing = ::lstat(path.c_str(), &old) == 0;
  if (replacing && S_ISLNK(old.st_mode)) {
    // A link stays a link: the file it points to is the one replaced.
    if (char* target = ::realpath(path.c_str(), nullptr)) {
      path = target;
      std::free(target);
    }
  } else if (!replacing) {
    // A new file goes into its folder as that resolves.
    size_t slash = path.rfind('/');
    if (slash != std::string::npos)
      path = ResolveFileName(path.substr(0, slash + 1)) + path.substr(slash + 1);
  }
  struct stat st;
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode))
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(EISDIR));
  // A device or a pipe under the name is not replaced by a file (nor written to).
  if (exists && !S_ISREG(st.st_mode))
    throw EFCreateError("Cannot create file \"" + fileName + "\". Not a file");
  // A file we may not write stays as it is, though its folder would let us replace it.
  if (exists && ::access(path.c_str(), W_OK) != 0)
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + SystemError());
  // The bytes go to a new file beside the old one, which the new one replaces only once every
  // byte is written: a full disk or any other failure leaves the old file as it was.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = TemporaryName(path);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
      break;
  }
  if (fd < 0)
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + SystemError());
  if (exists) {
    // The replacement keeps the old file's permissions and, where we may, its owner.
    (void)::fchown(fd, st.st_uid, st.st_gid);
    (void)::fchmod(fd, st.st_mode & 07777);
  }
  bool written = WriteAll(fd, bytes);
  int error = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && ::rename(temp.c_str(), path.c_str()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    ::unlink(temp.c_str());
    throw EFCreateError("Cannot write file \"" + fileName + "\". " + std::strerror(error));
  }
}

// ---- TIniFile ----

TIniFile::TIniFile(const std::string& fileName) : FFileName(fileName)
{
  std::vector<uint8_t> bytes;
  try {
    if (!FileExists(fileName))
      return;
    bytes = ReadFileBytes(fileName, MaxFileSize);
  } catch (const Exception&) {
    return;
  }
  std::map<std::string, std::string>* section = nullptr;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
      ++end;
    std::string line = Trim(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(end)));
    pos = end + 1;
    if (line.empty() || line[0] == ';')
      continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      std::string name = UpperCase(Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
      section = &FSections[name];   // a repeated section adds only keys not seen before
      continue;
    }
    size_t eq = line.find('=');
    if (!section || eq == std::string::npos)
      continue;
    std::string key = UpperCase(Trim(line.substr(0, eq)));
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (!key.empty())
      section->emplace(key, value);
  }
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) const
{
  auto s = FSections.find(UpperCase(section));
  if (s == FSections.end())
    return def;
  auto k = s->second.find(UpperCase(ident));
  return k == s->second.end() ? def : k->second;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t def) const
{
  std::string text = Trim(ReadString(section, ident, ""));
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint64_t v = 0;
    for (size_t i = 2; i < text.size(); ++i) {
      char c = text[i];
      int d = c >= '0' && c <= '9'   ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                     : -1;
      if (d < 0)
        return def;
      v = v * 16 + static_cast<uint64_t>(d);
      if (v > 0xFFFFFFFFull)
        return def;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(v));
  }
  return StrToIntDef(text, def);
}

bool TIniFile::SectionExists(const std::string& section) const { return FSections.count(UpperCase(section)) != 0; }

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const
{
  auto s = FSections.find(UpperCase(section));
  return s != FSections.end() && s->second.count(UpperCase(ident)) != 0;
}

// ---- the user and the build ----

std::string LoginUserName()
{
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 && size < 65536 ? static_cast<size_t>(size) : 16384);
  struct passwd pw;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_name && *found->pw_name)
    return found->pw_name;
  for (const char* var : {"USER", "LOGNAME"})
    if (const char* v = std::getenv(var); v && *v)
      return v;
  return {};
}

std::string VersionString() { return ORRELO_VERSION; }
