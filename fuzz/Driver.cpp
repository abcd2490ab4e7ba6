// Plain replay driver: feeds every file of the folders (or files) named on the command line
// through the fuzz target once. Missing folders are skipped, so a target without regression
// files yet still passes. The libFuzzer build replaces this file.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static void RunOne(const std::filesystem::path& path, int& count)
{
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  ++count;
}

int main(int argc, char** argv)
{
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path p(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_regular_file(p, ec)) {
      RunOne(p, count);
    } else if (std::filesystem::is_directory(p, ec)) {
      for (const auto& e : std::filesystem::recursive_directory_iterator(p, ec))
        if (e.is_regular_file())
          RunOne(e.path(), count);
    }
  }
  std::printf("replayed %d inputs\n", count);
  return 0;
}
