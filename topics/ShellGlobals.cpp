#include "topics/ShellGlobals.h"

#include "platform/Files.h"

std::string ModelDir = ExeFolder() + "3DS/";
std::string TextureDir;

std::string TexturePath(const std::string& name)
{
  return (TextureDir.empty() ? ModelDir : TextureDir) + name;
}
