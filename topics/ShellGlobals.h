// The content folders the shell fixes at start-up, which the scenes that load models and
// pictures read.
#pragma once

#include <string>

// The model folder: the executable's folder followed by "3DS/".
extern std::string ModelDir;
// The pictures' folder; the shell leaves it empty, and scenes then look in ModelDir (the
// current folder, where an empty folder would point, is no place the program installs to).
extern std::string TextureDir;

// The path of a picture file: TextureDir + name, or ModelDir + name while TextureDir is empty.
std::string TexturePath(const std::string& name);
