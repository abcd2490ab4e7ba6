#include "topics/ShellGlobals.h"

std::string ModelDir;
std::string TextureDir;

std::string TexturePath(const std::string& name)
{
  return (TextureDir.empty() ? ModelDir : TextureDir) + name;
}
