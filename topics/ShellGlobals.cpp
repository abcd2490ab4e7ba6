#include "topics/ShellGlobals.h"

#include "platform/Files.h"

std::string ModelDir = ExeFolder() + "3DS/";
std::string TextureDir;
