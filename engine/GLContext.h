// Bookkeeping of a GL context the engine renders into. Display lists and textures live in one
// context; an object freed while no context is current cannot delete its GL names there and
// then, so it queues them here and the next frame in that context deletes them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/OpenGL1x.h"

// The names of one GL context: what waits to be deleted there, and the display lists shared
// by objects that issue the same geometry (the links of a chain, the wheels of a pair): one
// list per key, counted by its users. The scene buffer that owns the context holds it and
// lets it go with the context (whose names die with it); objects keep a weak reference to
// the one their names live in.
class TGLContextNames {
public:
  void QueueListDeletion(GLuint list);
  void QueueTextureDeletion(GLuint texture);
  // Deletes what was queued; call it with the context current.
  void FlushDeletions();
  // Number of names waiting, for tests.
  int PendingDeletions() const { return int(FLists.size() + FTextures.size()); }

  // The list for the key with one more user, or 0 when there is none yet.
  GLuint AcquireSharedList(const std::string& key);
  // Records a freshly compiled list for the key, with its first user.
  void AddSharedList(const std::string& key, GLuint list);
  // One user fewer; the last one queues the list's deletion.
  void ReleaseSharedList(const std::string& key);
  // Shared lists alive in the context, for tests.
  int SharedLists() const { return int(FShared.size()); }

private:
  struct TShared {
    GLuint List = 0;
    int Users = 0;
  };
  std::vector<GLuint> FLists;
  std::vector<GLuint> FTextures;
  std::map<std::string, TShared> FShared;
};

// Whether a reference kept by an object names the context a frame renders in (both none,
// or the same one; a context that is gone is never the frame's).
inline bool SameGLContext(const std::weak_ptr<TGLContextNames>& kept, const std::shared_ptr<TGLContextNames>& frame)
{
  return !kept.owner_before(frame) && !frame.owner_before(kept);
}
