#include "platform/ActnList.h"

#include <algorithm>

TBasicActionLink::~TBasicActionLink() { SetAction(nullptr); }

void TBasicActionLink::SetAction(TBasicAction* Value)
{
  if (Value == FAction)
    return;
  if (FAction) {
    auto& c = FAction->FClients;
    c.erase(std::remove(c.begin(), c.end(), this), c.end());
  }
  FAction = Value;
  if (FAction)
    FAction->FClients.push_back(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent)
{
  if (!FAction)
    return false;
  FAction->ActionComponent = AComponent;
  struct TReset {
    TBasicAction* A;
    ~TReset() { A->ActionComponent = nullptr; }
  } reset{FAction};
  return FAction->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change()
{
  if (OnChange)
    OnChange(FAction);
}

TBasicAction::~TBasicAction()
{
  // Links forget the action (their clients hear of its removal through the component's
  // free notification).
  std::vector<TBasicActionLink*> clients = FClients;
  for (TBasicActionLink* l : clients)
    l->SetAction(nullptr);
}

bool TBasicAction::Execute()
{
  if (!OnExecute)
    return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update()
{
  if (!OnUpdate)
    return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::Change()
{
  // A link's handler may unlink itself: walk a copy.
  std::vector<TBasicActionLink*> clients = FClients;
  for (TBasicActionLink* l : clients)
    if (std::find(FClients.begin(), FClients.end(), l) != FClients.end())
      l->Change();
}

template <class F>
void TCustomAction::ForLinks(F f)
{
  std::vector<TBasicActionLink*> clients = Clients();
  for (TBasicActionLink* l : clients)
    if (auto* al = dynamic_cast<TActionLink*>(l))
      f(*al);
}

void TCustomAction::SetAutoCheck(bool v)
{
  if (v == FAutoCheck)
    return;
  ForLinks([&](TActionLink& l) { l.SetAutoCheck(v); });
  FAutoCheck = v;
}

void TCustomAction::SetCaption(const std::string& v)
{
  if (v == FCaption)
    return;
  ForLinks([&](TActionLink& l) { l.SetCaption(v); });
  FCaption = v;
}

void TCustomAction::SetChecked(bool v)
{
  if (v == FChecked)
    return;
  ForLinks([&](TActionLink& l) { l.SetChecked(v); });
  FChecked = v;
}

void TCustomAction::SetEnabled(bool v)
{
  if (v == FEnabled)
    return;
  ForLinks([&](TActionLink& l) { l.SetEnabled(v); });
  FEnabled = v;
}

void TCustomAction::SetHelpContext(Integer v)
{
  if (v == FHelpContext)
    return;
  ForLinks([&](TActionLink& l) { l.SetHelpContext(v); });
  FHelpContext = v;
}

void TCustomAction::SetHint(const std::string& v)
{
  if (v == FHint)
    return;
  ForLinks([&](TActionLink& l) { l.SetHint(v); });
  FHint = v;
}

void TCustomAction::SetImageIndex(TImageIndex v)
{
  if (v == FImageIndex)
    return;
  ForLinks([&](TActionLink& l) { l.SetImageIndex(v); });
  FImageIndex = v;
}

void TCustomAction::SetShortCut(TShortCut v)
{
  if (v == FShortCut)
    return;
  ForLinks([&](TActionLink& l) { l.SetShortCut(v); });
  FShortCut = v;
}

void TCustomAction::SetVisible(bool v)
{
  if (v == FVisible)
    return;
  ForLinks([&](TActionLink& l) { l.SetVisible(v); });
  FVisible = v;
}

bool TCustomAction::Execute()
{
  if (!FEnabled)
    return false;
  if (FAutoCheck)
    SetChecked(!FChecked);
  return TBasicAction::Execute();
}
