// Where the help tests find the compiled help file and its sources, and damaged copies.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace helptest {

inline std::string BuiltHelpFile() { return std::string(ORRELO_TEST_OUTPUT) + "/../bin/Help/KVHelp.chm"; }
inline std::string HelpSources() { return std::string(ORRELO_TEST_DATA) + "/../../content/Help"; }

inline std::string ReadText(const std::string& file)
{
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A copy of the built help file with only its first bytes (or with bytes changed).
inline std::string WriteHelpCopy(const std::string& name, const std::string& bytes)
{
  std::filesystem::path dir = std::filesystem::path(ORRELO_TEST_OUTPUT) / "help";
  std::filesystem::create_directories(dir);
  std::string file = (dir / name).string();
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
  return file;
}

// A program folder of its own whose Help folder holds the given bytes as KVHelp.chm (none
// when withFile is false).
inline std::string MakeProgramFolder(const std::string& name, bool withFile, const std::string& bytes)
{
  std::filesystem::path root = std::filesystem::path(ORRELO_TEST_OUTPUT) / "help" / name;
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "Help");
  if (withFile)
    std::ofstream((root / "Help" / "KVHelp.chm").string(), std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size()));
  return root.string() + "/";
}

}   // namespace helptest
