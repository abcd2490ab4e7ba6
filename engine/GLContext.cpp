#include "engine/GLContext.h"

void TGLContextNames::QueueListDeletion(GLuint list)
{
  if (list)
    FLists.push_back(list);
}

void TGLContextNames::QueueTextureDeletion(GLuint texture)
{
  if (texture)
    FTextures.push_back(texture);
}

void TGLContextNames::FlushDeletions()
{
  std::vector<GLuint> lists = std::move(FLists), textures = std::move(FTextures);
  FLists.clear();
  FTextures.clear();
  for (GLuint l : lists)
    glDeleteLists(l, 1);
  if (!textures.empty())
    glDeleteTextures(GLsizei(textures.size()), textures.data());
}

GLuint TGLContextNames::AcquireSharedList(const std::string& key)
{
  auto it = FShared.find(key);
  if (it == FShared.end())
    return 0;
  ++it->second.Users;
  return it->second.List;
}

void TGLContextNames::AddSharedList(const std::string& key, GLuint list)
{
  if (!list)
    return;
  TShared& s = FShared[key];
  if (s.List && s.List != list)
    QueueListDeletion(s.List);
  s.List = list;
  s.Users = 1;
}

void TGLContextNames::ReleaseSharedList(const std::string& key)
{
  auto it = FShared.find(key);
  if (it == FShared.end())
    return;
  if (--it->second.Users <= 0) {
    QueueListDeletion(it->second.List);
    FShared.erase(it);
  }
}
