// The content folders the shell fixes at start-up and the topic scenes read their model and
// texture files from.
#pragma once

#include <string>

// The model folder: the executable's folder followed by "3DS/".
extern std::string ModelDir;
// The texture folder; the shell never sets it, so textures are looked up in the current folder.
extern std::string TextureDir;
