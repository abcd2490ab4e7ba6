// Compiled help file reader: any bytes either open (and then every file inside reads whole
// or raises EChmError, and the contents and index parse) or are refused with EChmError.
// chmlib reads from a file, so the bytes go to a file of this process first.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/ChmFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::string file = "/tmp/orrelo-fuzz-helpfile-" + std::to_string(getpid()) + ".chm";
  if (FILE* f = std::fopen(file.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  try {
    TChmFile chm(file);
    for (const std::string& name : chm.Names()) {
      try {
        std::string bytes = chm.Read(name);
        if (name.size() > 4 && (name.ends_with(".hhc") || name.ends_with(".hhk")))
          ParseSitemap(bytes);
      } catch (const EChmError&) {}
    }
  } catch (const EChmError&) {}
  std::remove(file.c_str());
  // The sitemap parser on its own, on the raw bytes.
  ParseSitemap(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
