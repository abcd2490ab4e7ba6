// make-content FOLDER: writes the program's generated content below FOLDER (the repository's
// content/ folder): the arm's bones, the nut and its shell, the board's ash wood in 3DS/, the
// title pictures in HTML/images/. The same program always writes the same bytes.
#include <cstdio>
#include <filesystem>

#include "platform/Files.h"
#include "tools/common/File3DSWriter.h"
#include "tools/make-content/Content.h"

namespace {

template <T3DSModel (*Make)()>
std::vector<uint8_t> Model()
{
  return Write3DS(Make());
}

}  // namespace

const std::vector<TContentFile>& ContentFiles()
{
  static const std::vector<TContentFile> files{
    {"3DS/Arm_01.3ds", Model<MakeUpperArmBone>},
    {"3DS/Arm_02.3ds", Model<MakeForearmBones>},
    {"3DS/Arm_03.3ds", Model<MakeHandBones>},
    {"3DS/nut.3ds", Model<MakeNut>},
    {"3DS/nut.bmp", MakeNutTexture},
    {"3DS/ashwood.jpg", MakeAshWood},
    {"HTML/images/Splash_B.jpg", MakeSplashFramed},
    {"HTML/images/Splash_NB.jpg", MakeSplashPlain},
  };
  return files;
}

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-content FOLDER\n");
    return 2;
  }
  const std::filesystem::path root(argv[1]);
  try {
    for (const TContentFile& f : ContentFiles()) {
      const std::filesystem::path path = root / f.Path;
      std::error_code ec;
      std::filesystem::create_directories(path.parent_path(), ec);
      if (ec)
        throw EFCreateError("Cannot create folder \"" + path.parent_path().string() + "\": " + ec.message());
      WriteFileBytes(path.string(), f.Make());
    }
  } catch (const Exception& e) {
    std::fprintf(stderr, "make-content: %s\n", e.Message.c_str());
    return 1;
  }
  return 0;
}
