// Bookkeeping of the GL contexts the engine renders into. Display lists and textures live
// in one context; an object freed while no context is current cannot delete its GL names
// there and then, so it queues them here and the next frame in that context deletes them.
#pragma once

#include <cstdint>

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
