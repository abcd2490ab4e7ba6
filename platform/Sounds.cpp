#include "platform/Sounds.h"

#include <dlfcn.h>

#include <cstdarg>

#include "platform/Application.h"

namespace {

// The few entry points of libcanberra we use (its ABI: opaque context,
// NULL-terminated property list of key/value strings).
struct TCanberra {
  using Create = int (*)(void**);
  using Open = int (*)(void*);
  using Play = int (*)(void*, uint32_t, ...);
  Create create = nullptr;
  Open open = nullptr;
  Play play = nullptr;
  void* context = nullptr;
  bool ok = false;
};

// A sound library that finds no device reports it on stderr through ALSA's
// error handler: that one is quietened while we use it.
extern "C" void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietenAlsa()
{
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
  if (!alsa)
    alsa = dlopen("libasound.so.2", RTLD_LAZY);
  if (!alsa)
    return;
  using SetHandler = int (*)(void (*)(const char*, int, const char*, int, const char*, ...));
  if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
    set(&QuietAlsaError);
}

// The library and its context, opened once: the desktop's sound service is the process's.
const TCanberra& Library()
{
  static const TCanberra lib = [] {
    TCanberra l;
    void* so = dlopen("libcanberra.so.0", RTLD_LAZY | RTLD_LOCAL);
    if (!so)
      return l;
    l.create = reinterpret_cast<TCanberra::Create>(dlsym(so, "ca_context_create"));
    l.open = reinterpret_cast<TCanberra::Open>(dlsym(so, "ca_context_open"));
    l.play = reinterpret_cast<TCanberra::Play>(dlsym(so, "ca_context_play"));
    if (!l.create || !l.open || !l.play)
      return l;
    QuietenAlsa();
    if (l.create(&l.context) != 0 || !l.context)
      return l;
    l.ok = l.open(l.context) == 0;
    return l;
  }();
  return lib;
}

// The hook tests set; the application holds it.
struct TSoundHook : TApplicationState {
  std::function<void(const std::string&)> Hook;
};

}   // namespace

bool SoundEventsAvailable() { return Library().ok; }

bool PlaySoundEvent(const std::string& eventId)
{
  if (eventId.empty())
    return false;
  if (const TSoundHook* hook = FoundApplicationState<TSoundHook>(); hook && hook->Hook)
    hook->Hook(eventId);
  const TCanberra& lib = Library();
  if (!lib.ok)
    return false;
  // Id 0: sounds are never cancelled by us, so a new one does not stop one
  // playing.
  return lib.play(lib.context, 0u, "event.id", eventId.c_str(), static_cast<const char*>(nullptr)) == 0;
}

std::string SoundEventForAlias(const std::string& alias)
{
  if (alias == "MenuPopup")
    return "menu-popup";
  if (alias == "MenuCommand")
    return "menu-click";
  return {};
}

std::string SoundEventForBeep(unsigned type)
{
  switch (type) {
  case 0x10: return "dialog-error";
  case 0x20: return "dialog-question";
  case 0x30: return "dialog-warning";
  case 0x40: return "dialog-information";
  default: return "bell";
  }
}

void SetSoundEventHook(std::function<void(const std::string&)> hook)
{
  if (TSoundHook* state = ApplicationState<TSoundHook>())
    state->Hook = std::move(hook);
}
