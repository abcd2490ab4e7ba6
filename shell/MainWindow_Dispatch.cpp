// From a click in a page to the model beside it: the link handler, showing a topic (its
// controls, its page of controls, its step range and its model), and the page toolbar's
// history, index, font and copy buttons.
#include <filesystem>

#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/ShellApi.h"
#include "shell/BigPicture.h"
#include "shell/MainWindow.h"
#include "shell/TopicDispatch.h"
#include "shell/Video.h"
#include "topics/TopicRegistry.h"

namespace {

// The pound sign that starts a clip link, as the page's bytes may carry it: one byte in
// the pages' own 8-bit code page, or two in UTF-8.
size_t PoundPrefix(const std::string& s)
{
  if (s.rfind("\xC2\xA3", 0) == 0)
    return 2;
  if (!s.empty() && static_cast<unsigned char>(s[0]) == 0xA3)
    return 1;
  return 0;
}

}   // namespace

std::string TKVMainFrm::ContentFile(const std::string& Folder, const std::string& Name)
{
  if (Name.empty() || Name == "." || Name == ".." || Name.find_first_of(std::string("/\\:\0", 4)) != std::string::npos)
    return {};
  std::string file = ResolveFileName(Folder + Name);
  if (!FileExists(file))
    return {};
  // A link inside the folder may still lead out of it.
  std::error_code ec;
  auto real = std::filesystem::canonical(file, ec);
  if (ec)
    return {};
  auto folder = std::filesystem::canonical(ResolveFileName(Folder), ec);
  if (ec || real.parent_path() != folder)
    return {};
  return file;
}

// ---------------------------------------------------------------------------------------
// Links

void TKVMainFrm::ViewerHotSpotClick(TObject*, const std::string& SRC, bool& Handled)
{
  if (SRC.empty())
    return;
  if (SRC[0] == '$') {
    // Ours whatever happens next: the viewer must never follow "$name" as a page.
    Handled = true;
    std::string name = SRC.substr(1);
    std::string file = ContentFile(HTMLDir + "images/", name);
    if (file.empty())
      throw Exception("The picture \"" + name + "\" cannot be found.");
    TBigPicFrm big(file);
    big.InitialDir = UserDir;
    big.ShowModal();
  } else if (size_t n = PoundPrefix(SRC)) {
    Handled = true;
    std::string name = SRC.substr(n);
    std::string file = ContentFile(VideoDir, name);
    if (file.empty())
      throw Exception("The video clip \"" + name + "\" cannot be found.");
    if (VideoMode != 0) {
      if (!ShellOpen(file))
        throw Exception("The video clip \"" + name + "\" could not be opened.");
      return;
    }
    {
      TVideoFrm video(file);
      video.ShowModal();
    }
    Viewer->SetFocus();
    return;
  } else if (SRC[0] == '*') {
    Handled = true;
    Integer n = StrToInt(SRC.substr(1));
    TopicIndex->ToggleHeading(n);
  }
  Integer id = PageToTopic(SRC, CurrentTopic);
  if (id == CurrentTopic)
    return;
  // The page first: one that cannot be shown is reported and leaves the model as it was too,
  // so that the page pane never explains another topic than the model pane shows.
  if (!Handled) {
    Handled = true;
    Viewer->FollowURL(SRC);
  }
  try {
    ShowTopic(id);
  } catch (...) {
    // A model that fails to build is reported here, and the link goes on: the page still
    // explains the topic whose controls the left pane now shows.
    Application->HandleException(this);
  }
}

// ---------------------------------------------------------------------------------------
// Showing a topic

void TKVMainFrm::SetViewPoint(Integer Id, Integer Example)
{
  TViewPoint vp = GetViewPoint(Id, Example);
  // Orbiting tips the camera's up with the pitch: the view point stands it upright again,
  // or a turned view would stay tilted for this topic and every one after it.
  GLCamera->Up.X = 0;
  GLCamera->Up.Y = 1;
  GLCamera->Up.Z = 0;
  GLCamera->Position.SetAsVector(vp.Camera);
  SceneBase->Position.SetAsVector(vp.SceneBase);
}

void TKVMainFrm::SetClock(bool Running)
{
  if (Cadencer)
    Cadencer->SetEnabled(Running);
}

void TKVMainFrm::ClearScene(Integer Id)
{
  Stopped = true;
  SetClock(false);
  StartBtn->SetEnabled(true);
  StopBtn->SetEnabled(false);
  SceneBase->DeleteChildren();
  RTChsb->SetPosition(0);
  Phase = 0;
  if (Id != CurrentTopic)
    SetViewPoint(Id, 0);
}

void TKVMainFrm::ShowTopic(Integer Id)
{
  Stopped = true;
  SetClock(false);
  StartBtn->SetEnabled(true);
  StopBtn->SetEnabled(false);
  SplashPanel->SetVisible(false);
  const TTopicRow* row = FindTopicRow(Id);
  const TTopicView view = row ? row->View : TTopicView::Model;
  const bool graph = view == TTopicView::CamGraph;
  GraphPanel->SetVisible(graph);
  GLPanel->SetVisible(!graph);
  if (graph) {
    CamStartBtn->SetEnabled(true);
    CamStopBtn->SetEnabled(false);
  }
  const bool lever = view == TTopicView::Levers;
  LeverToolbar->SetVisible(lever);
  ToolPC->SetVisible(!lever);
  if (SplashShown) {
    SplashPic->ClearPicture();
    SplashShown = false;
  }
  if (!row || row->Examples.empty()) {
    CurrentTopic = Id;
    if (graph && CamDiagram) {
      // The clock turns the cam on from the angle it shows, not from the phase another
      // topic's model reached.
      Phase = CamDiagram->Angle;
      DrawCamGraph();
    }
    return;
  }

  ClearScene(Id);
  // From here on the new topic's procedures are the ones that run, on whatever the build
  // leaves (nothing, when it fails).
  CurrentTopic = Id;
  ShowTopicControls(*row);
  if (row->Page == TControlPage::Belts) {
    BuildBeltDrive();
    return;
  }
  TTopicControls c = CurrentControls();
  SetStepRange(c);
  BuildCurrent(c);
}

// ---------------------------------------------------------------------------------------
// The page toolbar

void TKVMainFrm::IndexBtnClick(TObject*)
{
  TopicIndex->ShowIndex();
  FwdBtn->SetEnabled(false);
  BackBtn->SetEnabled(false);
  Viewer->ClearHistory();
}

void TKVMainFrm::FwdBtnClick(TObject* Sender)
{
  const Integer index = Viewer->HistoryIndex();
  const Integer count = Integer(Viewer->History().size());
  if (Sender != BackBtn && index < 1)
    return;
  // The page gone back or forward to has the keyboard, as a followed link's page has: a
  // reader hears it take the focus (the page, or the link kept), not only that it loaded.
  if (Viewer->Showing() && Viewer->Enabled())
    Viewer->SetFocus();
  if (Sender == BackBtn) {
    if (index >= count - 1) {
      IndexBtnClick(Sender);
      return;
    }
    Viewer->SetHistoryIndex(index + 1);
  } else {
    if (index < 1)
      return;
    Viewer->SetHistoryIndex(index - 1);
  }
  Integer id = PageToTopic(Viewer->CurrentFile(), CurrentTopic);
  // A page whose topics differ by anchor alone reports its file name without one: moving
  // between its topics keeps the model.
  const TTopicRow *from = CurrentRow(), *to = FindTopicRow(id);
  if (from && to && !from->SharedPage.empty() && from->SharedPage == to->SharedPage)
    return;
  if (id != CurrentTopic)
    ShowTopic(id);
}

void TKVMainFrm::ViewerHistoryChange(TObject*)
{
  const Integer index = Viewer->HistoryIndex();
  const Integer count = Integer(Viewer->History().size());
  FwdBtn->SetEnabled(index >= 1);
  BackBtn->SetEnabled(index <= count - 1);
}

void TKVMainFrm::N8point1Click(TObject* Sender)
{
  if (auto* item = dynamic_cast<TTBXItem*>(Sender))
    Viewer->SetDefFontSize(Integer(item->Tag()));
  if (!Viewer->CurrentFile().empty())
    Viewer->Reload();
  else
    TopicIndex->ShowIndex();
}

void TKVMainFrm::CopyBtnClick(TObject*) { Viewer->CopyToClipboard(); }

void TKVMainFrm::ViewerMouseUp(TObject*, TMouseButton, TShiftState, Integer, Integer)
{
  // A drag forwards leaves the caret after the selection, and the length negative.
  CopyBtn->SetEnabled(Viewer->SelLength() != 0 && CurrentTopic != NoTopic);
}
