// Actions: a command's caption, state and handler kept in one component, and links that
// let menu items and buttons follow it. An action tells each linked client of a property
// change before it stores the new value, so a client still showing the old value (it has
// not been changed by hand) takes the new one.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Controls.h"

class TBasicAction;

// The client's side of the link.
class TBasicActionLink : public TObject {
public:
  TBasicActionLink() = default;
  ~TBasicActionLink() override;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;

  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* Value);
  // Runs the action for the client component; true when it ran.
  virtual bool Execute(TComponent* AComponent);
  // Asks the action to update itself (its OnUpdate); true when handled.
  virtual bool Update();
  // Called by the action's Change (Sender: the action).
  std::function<void(TObject* Sender)> OnChange;
  virtual void Change();

private:
  TBasicAction* FAction = nullptr;
};

class TBasicAction : public TComponent {
public:
  TBasicAction() = default;
  ~TBasicAction() override;

  // The component that asked for the execution in progress.
  TComponent* ActionComponent = nullptr;
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  // Runs OnExecute; false when there is none.
  virtual bool Execute();
  // Runs OnUpdate; false when there is none.
  virtual bool Update();
  // Tells every link that the action changed as a whole.
  void Change();

  const std::vector<TBasicActionLink*>& Clients() const { return FClients; }

private:
  friend class TBasicActionLink;
  std::vector<TBasicActionLink*> FClients;
};

class TActionLink;

// An action with the properties menu items and buttons show.
class TCustomAction : public TBasicAction {
public:
  TCustomAction() = default;

  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool v);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  bool Checked() const { return FChecked; }
  void SetChecked(bool v);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer v);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v);
  TImageIndex ImageIndex() const { return FImageIndex; }
  void SetImageIndex(TImageIndex v);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);

  // Asked before a client shows the action's hint: may change it, or decline (false).
  std::function<bool(std::string& HintStr)> OnHint;
  bool DoHint(std::string& HintStr) { return OnHint ? OnHint(HintStr) : true; }
  // Toggles Checked first when AutoCheck is set, then runs OnExecute; nothing when disabled.
  bool Execute() override;

private:
  template <class F>
  void ForLinks(F f);
  bool FAutoCheck = false;
  std::string FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  Integer FHelpContext = 0;
  std::string FHint;
  TImageIndex FImageIndex = -1;
  TShortCut FShortCut = 0;
  bool FVisible = true;
};

// The link of a client that shows a TCustomAction's properties. The Is...Linked queries
// hold while the action is a TCustomAction (clients add: and their value equals the
// action's); the setters are called by the action before it stores a new value and write
// the client only where it is linked.
class TActionLink : public TBasicActionLink {
public:
  virtual bool IsAutoCheckLinked() { return IsCustom(); }
  virtual bool IsCaptionLinked() { return IsCustom(); }
  virtual bool IsCheckedLinked() { return IsCustom(); }
  virtual bool IsEnabledLinked() { return IsCustom(); }
  virtual bool IsHelpContextLinked() { return IsCustom(); }
  virtual bool IsHintLinked() { return IsCustom(); }
  virtual bool IsImageIndexLinked() { return IsCustom(); }
  virtual bool IsShortCutLinked() { return IsCustom(); }
  virtual bool IsVisibleLinked() { return IsCustom(); }
  virtual bool IsOnExecuteLinked() { return Action() != nullptr; }

  virtual void SetAutoCheck(bool) {}
  virtual void SetCaption(const std::string&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHelpContext(Integer) {}
  virtual void SetHint(const std::string&) {}
  virtual void SetImageIndex(TImageIndex) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}

protected:
  TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(Action()); }
  bool IsCustom() const { return CustomAction() != nullptr; }
};
