// make-content FOLDER: writes the program's generated content below FOLDER (the repository's
// content/ folder): the arm's bones, the nut and its shell, the board's ash wood in 3DS/, the
// title pictures in HTML/images/.
// make-content --build FOLDER: writes the pictures that only a build's content folder holds
// (the index page's stripe, title and icons, the test window's button, tick and cross,
// the reference pages' diagrams).
// The same program always writes the same bytes.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/Files.h"
#include "tools/common/File3DSWriter.h"
#include "tools/make-content/Content.h"

namespace {

template <T3DSModel (*Make)()>
std::vector<uint8_t> Model()
{
  return Write3DS(Make());
}

}   // namespace

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

const std::vector<TContentFile>& BuildContentFiles()
{
  static const std::vector<TContentFile> files{
      {"HTML/images/StripeLight.gif", MakeStripeLight},
      {"HTML/images/TarvTitle.bmp", MakeIndexTitle},
      {"HTML/images/PlusBook.gif", MakePlusBook},
      {"HTML/images/MinusBook.gif", MakeMinusBook},
      {"HTML/images/topic.gif", MakeTopicIcon},
      {"HTML/images/button.gif", MakeAnswerButton},
      {"HTML/images/Tick.bmp", MakeTick},
      {"HTML/images/Cross.bmp", MakeCross},
      {"HTML/images/System.gif", MakeSystemDiagram},
      {"HTML/images/Motions.gif", MakeMotionsDiagram},
      {"HTML/images/Class1.gif", MakeClass1Diagram},
      {"HTML/images/Class2.gif", MakeClass2Diagram},
      {"HTML/images/Class3.gif", MakeClass3Diagram},
      {"HTML/images/Moments.gif", MakeMomentsDiagram},
      {"HTML/images/Equilibrium.gif", MakeEquilibriumDiagram},
      {"HTML/images/VRPulleys.gif", MakeVRPulleysDiagram},
      {"HTML/images/Sankey.gif", MakeSankeyDiagram},
      {"HTML/images/Torque.gif", MakeTorqueDiagram},
      {"HTML/images/Coupling.gif", MakeCouplingDiagram},
      {"HTML/images/Bearings.gif", MakeBearingsDiagram},
      {"HTML/images/Clutch.gif", MakeClutchDiagram},
      {"HTML/images/Incline.gif", MakeInclineDiagram},
  };
  return files;
}

int main(int argc, char** argv)
{
  const bool build = argc == 3 && std::string(argv[1]) == "--build";
  if (argc != 2 && !build) {
    std::fprintf(stderr, "usage: make-content [--build] FOLDER\n");
    return 2;
  }
  const std::filesystem::path root(argv[argc - 1]);
  try {
    for (const TContentFile& f : build ? BuildContentFiles() : ContentFiles()) {
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
