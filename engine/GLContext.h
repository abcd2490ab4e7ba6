// Bookkeeping of the GL contexts the engine renders into. Display lists and textures live
// in one context; an object freed while no context is current cannot delete its GL names
// there and then, so it queues them here and the next frame in that context deletes them.
#pragma once

#include <cstdint>
#include <string>

#include "engine/OpenGL1x.h"

// A fresh id for a new context (never 0, which means "no context").
uint32_t NewGLContextId();
void QueueGLListDeletion(uint32_t context, GLuint list);
void QueueGLTextureDeletion(uint32_t context, GLuint texture);
// Deletes what was queued for this context; call it with the context current.
void FlushGLDeletions(uint32_t context);
// The context is gone and its names with it: drop what was queued for it.
void ForgetGLContext(uint32_t context);
// Number of names waiting, for tests.
int PendingGLDeletions(uint32_t context);

// Display lists shared by objects that issue the same geometry (the links of a chain, the
// wheels of a pair): one list per key and context, counted by its users.
// The list for the key with one more user, or 0 when there is none yet.
GLuint AcquireSharedGLList(uint32_t context, const std::string& key);
// Records a freshly compiled list for the key, with its first user.
void AddSharedGLList(uint32_t context, const std::string& key, GLuint list);
// One user fewer; the last one queues the list's deletion.
void ReleaseSharedGLList(uint32_t context, const std::string& key);
// Shared lists alive in the context, for tests.
int SharedGLLists(uint32_t context);
