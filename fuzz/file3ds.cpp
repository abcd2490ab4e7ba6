// The 3DS reader on arbitrary bytes, and the free form on whatever it accepts: either a
// model or E3DSError, never a read outside the input.
#include <cstddef>
#include <cstdint>

#include "engine/File3DS.h"
#include "engine/GLVectorFileObjects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  T3DSModel model;
  try {
    model = Read3DS(data, size);
  } catch (const E3DSError&) {
    return 0;
  }
  // No texture look-ups on disk while fuzzing.
  for (auto& m : model.Materials)
    m.TextureMap.clear();
  TFreeForm ff;
  ff.LoadFrom3DS(model, "");
  return 0;
}
