#include "engine/GLContext.h"

#include <map>
#include <string>
#include <vector>

namespace {

struct TPending {
  std::vector<GLuint> Lists;
  std::vector<GLuint> Textures;
};

struct TShared {
  GLuint List = 0;
  int Users = 0;
};

uint32_t gNextContext = 1;
std::map<uint32_t, TPending> gPending;
std::map<uint32_t, std::map<std::string, TShared>> gShared;

}   // namespace

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

void ForgetGLContext(uint32_t context)
{
  gPending.erase(context);
  gShared.erase(context);
}

int PendingGLDeletions(uint32_t context)
{
  auto it = gPending.find(context);
  return it == gPending.end() ? 0 : int(it->second.Lists.size() + it->second.Textures.size());
}

GLuint AcquireSharedGLList(uint32_t context, const std::string& key)
{
  auto c = gShared.find(context);
  if (c == gShared.end())
    return 0;
  auto it = c->second.find(key);
  if (it == c->second.end())
    return 0;
  ++it->second.Users;
  return it->second.List;
}

void AddSharedGLList(uint32_t context, const std::string& key, GLuint list)
{
  if (!context || !list)
    return;
  TShared& s = gShared[context][key];
  if (s.List && s.List != list)
    QueueGLListDeletion(context, s.List);
  s.List = list;
  s.Users = 1;
}

void ReleaseSharedGLList(uint32_t context, const std::string& key)
{
  auto c = gShared.find(context);
  if (c == gShared.end())
    return;
  auto it = c->second.find(key);
  if (it == c->second.end())
    return;
  if (--it->second.Users <= 0) {
    QueueGLListDeletion(context, it->second.List);
    c->second.erase(it);
    if (c->second.empty())
      gShared.erase(c);
  }
}

int SharedGLLists(uint32_t context)
{
  auto c = gShared.find(context);
  return c == gShared.end() ? 0 : int(c->second.size());
}
