#include "engine/GLContext.h"

#include <map>
#include <vector>

namespace {

struct TPending {
  std::vector<GLuint> Lists;
  std::vector<GLuint> Textures;
};

uint32_t gNextContext = 1;
std::map<uint32_t, TPending> gPending;

}  // namespace

uint32_t NewGLContextId() { return gNextContext++; }

void QueueGLListDeletion(uint32_t context, GLuint list)
{
  if (context && list)
    gPending[context].Lists.push_back(list);
}

void QueueGLTextureDeletion(uint32_t context, GLuint texture)
{
  if (context && texture)
    gPending[context].Textures.push_back(texture);
}

void FlushGLDeletions(uint32_t context)
{
  auto it = gPending.find(context);
  if (it == gPending.end())
    return;
  TPending p = std::move(it->second);
  gPending.erase(it);
  for (GLuint l : p.Lists)
    glDeleteLists(l, 1);
  if (!p.Textures.empty())
    glDeleteTextures(GLsizei(p.Textures.size()), p.Textures.data());
}

void ForgetGLContext(uint32_t context) { gPending.erase(context); }

int PendingGLDeletions(uint32_t context)
{
  auto it = gPending.find(context);
  return it == gPending.end() ? 0 : int(it->second.Lists.size() + it->second.Textures.size());
}
