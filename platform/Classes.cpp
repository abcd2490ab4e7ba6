#include "platform/Classes.h"

#include <algorithm>

TComponent::~TComponent()
{
  Destroying();
  NotifyRemoval();
  // Owned components go last first, as they were created.
  while (!FComponents.empty()) {
    std::unique_ptr<TComponent> c = std::move(FComponents.back());
    FComponents.pop_back();
    c->FOwner = nullptr;
    c.reset();
  }
}

void TComponent::NotifyRemoval()
{
  if (FRemovalNotified)
    return;
  FRemovalNotified = true;
  // Everybody who holds a reference forgets it; copies, since handlers unsubscribe.
  std::vector<TComponent*> notifies = FFreeNotifies;
  for (TComponent* c : notifies) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), c) == FFreeNotifies.end())
      continue;
    c->RemoveNotification(this);
    c->Notification(this, opRemove);
  }
  FFreeNotifies.clear();
  if (FOwner)
    FOwner->Notification(this, opRemove);
}

void TComponent::SetName(const std::string& name)
{
  if (name == FName)
    return;
  if (!name.empty() && FOwner) {
    TComponent* other = FOwner->FindComponent(name);
    if (other && other != this)
      throw EComponentError("A component named " + name + " already exists");
  }
  FName = name;
}

void TComponent::SetDesigning(bool on)
{
  if (on)
    FComponentState |= csDesigning;
  else
    FComponentState &= ~csDesigning;
  for (auto& c : FComponents)
    c->SetDesigning(on);
}

void TComponent::SetAncestor(bool on)
{
  if (on)
    FComponentState |= csAncestor;
  else
    FComponentState &= ~csAncestor;
}

void TComponent::EndLoading()
{
  if (HasState(csLoading))
    Loaded();
}

TComponent* TComponent::InsertComponent(std::unique_ptr<TComponent> component)
{
  if (!component)
    return nullptr;
  if (component->FOwner)
    throw EComponentError("Component already has an owner");
  if (!component->FName.empty() && FindComponent(component->FName))
    throw EComponentError("A component named " + component->FName + " already exists");
  TComponent* raw = component.get();
  raw->FOwner = this;
  if (HasState(csDesigning))
    raw->SetDesigning(true);
  FComponents.push_back(std::move(component));
  Notification(raw, opInsert);
  return raw;
}

std::unique_ptr<TComponent> TComponent::RemoveComponent(TComponent* component)
{
  for (auto it = FComponents.begin(); it != FComponents.end(); ++it)
    if (it->get() == component) {
      std::unique_ptr<TComponent> c = std::move(*it);
      FComponents.erase(it);
      Notification(component, opRemove);
      c->FOwner = nullptr;
      return c;
    }
  return nullptr;
}

TComponent* TComponent::Components(int index) const
{
  if (index < 0 || index >= ComponentCount())
    throw EComponentError("List index out of bounds (" + IntToStr(index) + ")");
  return FComponents[static_cast<size_t>(index)].get();
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
  if (name.empty())
    return nullptr;
  std::string key = LowerCase(name);
  for (const auto& c : FComponents)
    if (LowerCase(c->FName) == key)
      return c.get();
  return nullptr;
}

void TComponent::FreeNotification(TComponent* component)
{
  if (!component || component == this)
    return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
    FFreeNotifies.push_back(component);
  if (std::find(component->FFreeNotifies.begin(), component->FFreeNotifies.end(), this)
      == component->FFreeNotifies.end())
    component->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
  if (!component)
    return;
  RemoveNotification(component);
  component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component)
{
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component), FFreeNotifies.end());
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
  // Removal travels down the owner tree so that every owned component can drop references.
  if (operation == opRemove)
    for (auto& c : FComponents)
      if (c.get() != component)
        c->Notification(component, operation);
}
