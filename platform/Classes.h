// Components: named objects in owner trees. An owner holds its components and frees them
// (last first) when it goes; anyone may ask to be told when a component goes away
// (FreeNotification), which is how references between components are cleared.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/SysUtils.h"
#include "platform/Types.h"

enum TComponentStateFlag : uint16_t {
  csLoading = 0x01,
  csReading = 0x02,
  csWriting = 0x04,
  csDestroying = 0x08,
  csDesigning = 0x10,
  csAncestor = 0x20,
  csUpdating = 0x40
};
using TComponentState = uint16_t;

enum class TOperation : uint8_t { opInsert, opRemove };
using enum TOperation;

class EComponentError : public Exception {
  using Exception::Exception;
};

class TComponent : public TObject {
public:
  TComponent() = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  // Names are unique among the owner's components (case-insensitive); a clash raises.
  virtual void SetName(const std::string& name);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t tag) { FTag = tag; }
  TComponentState ComponentState() const { return FComponentState; }
  bool HasState(TComponentState flags) const { return (FComponentState & flags) != 0; }
  void SetDesigning(bool on);
  // Marks the component loading until Loaded runs, as streaming would.
  void BeginLoading() { FComponentState |= csLoading; }
  void EndLoading();

  // Ownership: the owner takes the component and frees it with itself.
  TComponent* InsertComponent(std::unique_ptr<TComponent> component);
  template <class T>
  T* Own(std::unique_ptr<T> component)
  {
    T* raw = component.get();
    InsertComponent(std::unique_ptr<TComponent>(component.release()));
    return raw;
  }
  // Creates a T owned by owner (which may be nullptr: then the caller must keep it).
  template <class T, class... A>
  static T* Create(TComponent* owner, A&&... args)
  {
    return owner->Own(std::make_unique<T>(std::forward<A>(args)...));
  }
  // Gives an owned component back to the caller; nullptr when it is not ours.
  std::unique_ptr<TComponent> RemoveComponent(TComponent* component);
  // Frees an owned component at once.
  void DestroyComponent(TComponent* component) { RemoveComponent(component); }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const;
  TComponent* FindComponent(const std::string& name) const;

  // Asks to be told (Notification with opRemove) when component is destroyed.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

protected:
  // Told about components inserted into or removed from the owner tree, and about the
  // destruction of components that asked for FreeNotification.
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void Loaded() { FComponentState &= ~csLoading; }
  // Called first by destruction of derived classes that need it early; idempotent.
  void Destroying() { FComponentState |= csDestroying; }
  // Marks the component destroying and tells everybody holding a reference, while the
  // derived parts still stand; the destructor does it otherwise. Idempotent.
  void BeforeDestruction()
  {
    Destroying();
    NotifyRemoval();
  }
  void SetAncestor(bool on);

private:
  void RemoveNotification(TComponent* component);
  void NotifyRemoval();

  TComponent* FOwner = nullptr;
  std::vector<std::unique_ptr<TComponent>> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::string FName;
  intptr_t FTag = 0;
  TComponentState FComponentState = 0;
  bool FRemovalNotified = false;
};

// List helpers used across the kit: created on first add, duplicates not added, an
// emptied list freed.
template <class T>
void AddToList(std::unique_ptr<std::vector<T*>>& list, T* item)
{
  if (!list)
    list = std::make_unique<std::vector<T*>>();
  for (T* p : *list)
    if (p == item)
      return;
  list->push_back(item);
}
template <class T>
void AddToFrontOfList(std::unique_ptr<std::vector<T*>>& list, T* item)
{
  if (!list)
    list = std::make_unique<std::vector<T*>>();
  for (T* p : *list)
    if (p == item)
      return;
  list->insert(list->begin(), item);
}
template <class T>
void RemoveFromList(std::unique_ptr<std::vector<T*>>& list, T* item)
{
  if (!list)
    return;
  for (auto it = list->begin(); it != list->end(); ++it)
    if (*it == item) {
      list->erase(it);
      break;
    }
  if (list->empty())
    list.reset();
}
