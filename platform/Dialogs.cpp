#include "platform/Dialogs.h"

#include <algorithm>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMessageBox>
#include <QPageRanges>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QWindow>

#include <utility>
#include <vector>

#include "platform/Application.h"
#include "platform/Fonts.h"
#include "platform/Forms.h"
#include "platform/PrintersQt.h"

namespace {

// Who answers the boxes and dialogs in the user's place (tests); the application holds them.
struct TAnswerers : TApplicationState {
  TMessageAnswerer Message;
  TDialogAnswerer Dialog;
};

QString ToQ(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// Names and icons of the files a file dialog lists, from their names alone. The toolkit's own
// guess reads a file's first bytes when its name says nothing, and a read of some files
// never returns (the kernel's message log in /proc waits for the next message): the
// dialog froze for good when the user went there.
class TNameOnlyIconProvider : public QFileIconProvider {
public:
  QIcon icon(IconType Type) const override { return QFileIconProvider::icon(Type); }
  QIcon icon(const QFileInfo& Info) const override
  {
    if (Info.isDir())
      return QFileIconProvider::icon(Folder);
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(Info, QMimeDatabase::MatchExtension);
    return QIcon::fromTheme(mime.iconName(), QFileIconProvider::icon(File));
  }
  QString type(const QFileInfo& Info) const override
  {
    if (Info.isDir())
      return QStringLiteral("Folder");
    return QMimeDatabase().mimeTypeForFile(Info, QMimeDatabase::MatchExtension).comment();
  }
};

std::string AppTitle() { return Application ? Application->Title() : std::string(); }

// A showing form kept above the others (a splash window while the program starts), or none.
TCustomForm* ShowingFormOnTop()
{
  for (int i = 0; i < Screen().FormCount(); ++i)
    if (TCustomForm* f = Screen().Forms(i); f->Showing() && (f->KeptAboveAll() || f->FormStyle() == fsStayOnTop))
      return f;
  return nullptr;
}

// A dialog of the toolkit's own belongs to the window that opened it, which the window manager
// then keeps it above: the active form, else the form among the dialog component's owners,
// else a form kept above the others, which would otherwise hide the dialog.
void BelongToOpener(QWidget& dialog, const TComponent* owner = nullptr)
{
  TCustomForm* form = Screen().ActiveForm();
  for (const TComponent* o = owner; o && !(form && form->Showing()); o = o->Owner())
    form = dynamic_cast<TCustomForm*>(const_cast<TComponent*>(o));
  if (!form || !form->Showing())
    form = ShowingFormOnTop();
  if (!form)
    return;
  auto* opener = static_cast<QWidget*>(form->ToolkitWidget());
  if (!opener || !opener->windowHandle())
    return;
  dialog.winId();
  if (QWindow* win = dialog.windowHandle())
    win->setTransientParent(opener->windowHandle());
}

struct TButtonInfo {
  TMsgDlgButtons Button;
  TModalResult Result;
  const char* Caption;
};
const TButtonInfo ButtonTable[] = {
    {mbYes, mrYes, "&Yes"},         {mbNo, mrNo, "&No"},          {mbOK, mrOk, "OK"},
    {mbCancel, mrCancel, "Cancel"}, {mbAbort, mrAbort, "&Abort"}, {mbRetry, mrRetry, "&Retry"},
    {mbIgnore, mrIgnore, "&Ignore"}};

// What closing the box without a button means: Cancel, else No, else the only button.
TModalResult EscapeResult(TMsgDlgButtons buttons)
{
  if (buttons & mbCancel)
    return mrCancel;
  if (buttons & mbNo)
    return mrNo;
  if (buttons & mbOK)
    return mrOk;
  for (const TButtonInfo& b : ButtonTable)
    if (buttons & b.Button)
      return b.Result;
  return mrCancel;
}

TModalResult RunMessage(const TMessageRequest& request)
{
  if (const TAnswerers* answerers = FoundApplicationState<TAnswerers>(); answerers && answerers->Message)
    return answerers->Message(request);
  EnsureGuiApplication();
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (request.Type) {
  case mtWarning: icon = QMessageBox::Warning; break;
  case mtError: icon = QMessageBox::Critical; break;
  case mtInformation: icon = QMessageBox::Information; break;
  case mtConfirmation: icon = QMessageBox::Question; break;
  default: break;
  }
  QMessageBox box(icon, ToQ(request.Caption), ToQ(request.Text));
  std::vector<std::pair<QAbstractButton*, TModalResult>> buttons;
  TMsgDlgButtons set = request.Buttons ? request.Buttons : mbOK;
  for (const TButtonInfo& b : ButtonTable)
    if (set & b.Button)
      buttons.emplace_back(box.addButton(QString::fromLatin1(b.Caption), QMessageBox::AcceptRole), b.Result);
  if (!buttons.empty())
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front().first));
  // Escape, Alt+F4 and the frame's close button answer as closing the box does; without an
  // escape button the toolkit's box ignores all three.
  for (auto& [button, result] : buttons)
    if (result == EscapeResult(set))
      box.setEscapeButton(button);
  BelongToOpener(box);
  box.exec();
  for (auto& [button, result] : buttons)
    if (box.clickedButton() == button)
      return result;
  return EscapeResult(set);
}

const char* TypeCaption(TMsgDlgType type)
{
  switch (type) {
  case mtWarning: return "Warning";
  case mtError: return "Error";
  case mtInformation: return "Information";
  case mtConfirmation: return "Confirm";
  default: return nullptr;
  }
}

// "desc|*.a;*.b|desc2|*.c" as the toolkit's "desc (*.a *.b);;desc2 (*.c)".
QString ToQtFilter(const std::string& filter)
{
  QStringList parts = ToQ(filter).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = parts[i].trimmed();
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    // A description that already shows its patterns ("pictures files (*.jpg)") keeps them once.
    const QString shown = QStringLiteral("(") + patterns + QStringLiteral(")");
    if (desc.isEmpty())
      out << patterns;
    else if (desc.endsWith(shown))
      out << desc;
    else
      out << desc + QStringLiteral(" ") + shown;
  }
  return out.join(QStringLiteral(";;"));
}

}   // namespace

void SetMessageAnswerer(TMessageAnswerer answerer)
{
  if (TAnswerers* answerers = ApplicationState<TAnswerers>())
    answerers->Message = std::move(answerer);
}

void SetDialogAnswerer(TDialogAnswerer answerer)
{
  if (TAnswerers* answerers = ApplicationState<TAnswerers>())
    answerers->Dialog = std::move(answerer);
}

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons)
{
  const char* caption = TypeCaption(DlgType);
  return RunMessage({caption ? std::string(caption) : AppTitle(), Msg, DlgType, Buttons});
}

void ShowMessage(const std::string& Msg) { RunMessage({AppTitle(), Msg, mtCustom, mbOK}); }

Integer MessageBox(const std::string& Text, const std::string& Caption, Cardinal Flags)
{
  TMsgDlgButtons buttons = mbOK;
  switch (Flags & 0xF) {
  case MB_OKCANCEL: buttons = mbOKCancel; break;
  case MB_ABORTRETRYIGNORE: buttons = mbAbortRetryIgnore; break;
  case MB_YESNOCANCEL: buttons = mbYesNoCancel; break;
  case MB_YESNO: buttons = mbYesNo; break;
  case MB_RETRYCANCEL: buttons = mbRetry | mbCancel; break;
  default: break;
  }
  TMsgDlgType type = mtCustom;
  switch (Flags & 0xF0) {
  case MB_ICONERROR: type = mtError; break;
  case MB_ICONQUESTION: type = mtConfirmation; break;
  case MB_ICONWARNING: type = mtWarning; break;
  case MB_ICONINFORMATION: type = mtInformation; break;
  default: break;
  }
  return RunMessage({Caption, Text, type, buttons});
}

// ---------------------------------------------------------------------------------------
// Common dialogs

bool TCommonDialog::Answered(bool& confirmed)
{
  const TAnswerers* answerers = FoundApplicationState<TAnswerers>();
  if (!answerers || !answerers->Dialog)
    return false;
  confirmed = answerers->Dialog(*this);
  return true;
}

std::string PlainExtension(const std::string& defaultExt)
{
  size_t start = defaultExt.find_first_not_of("*.");
  return start == std::string::npos ? std::string() : defaultExt.substr(start);
}

std::string SaveDialogFolder(const std::string& initialDir)
{
  if (!initialDir.empty() && QDir(ToQ(initialDir)).exists())
    return initialDir;
  // Left to itself the dialog opens in the working folder, which may be the program's or
  // its sources'.
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QDir(pictures).exists())
    return pictures.toStdString();
  return QDir::homePath().toStdString();
}

bool TSaveDialog::Execute()
{
  bool confirmed = false;
  if (Answered(confirmed))
    return confirmed;
  EnsureGuiApplication();
  TNameOnlyIconProvider icons;   // outlives the dialog, whose lister thread uses it
  QFileDialog dialog(nullptr, ToQ(Title), ToQ(SaveDialogFolder(InitialDir)));
  dialog.setIconProvider(&icons);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!(Options & ofOverwritePrompt))
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  QString filter = ToQtFilter(Filter);
  if (!filter.isEmpty()) {
    QStringList filters = filter.split(QStringLiteral(";;"));
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
      dialog.selectNameFilter(filters[FilterIndex - 1]);
  }
  std::string ext = PlainExtension(DefaultExt);
  if (!ext.empty())
    dialog.setDefaultSuffix(ToQ(ext));
  if (!FileName.empty())
    dialog.selectFile(ToQ(FileName));
  BelongToOpener(dialog, this);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return false;
  FileName = dialog.selectedFiles().front().toStdString();
  return true;
}

bool TColorDialog::Execute()
{
  bool confirmed = false;
  if (Answered(confirmed))
    return confirmed;
  EnsureGuiApplication();
  TColor c = ColorToRGB(Color);
  QColorDialog dialog(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
  if (!Title.empty())
    dialog.setWindowTitle(ToQ(Title));
  BelongToOpener(dialog, this);
  if (dialog.exec() != QDialog::Accepted)
    return false;
  const QColor chosen = dialog.selectedColor();
  if (!chosen.isValid())
    return false;
  Color = RGBColor(chosen.red(), chosen.green(), chosen.blue());
  return true;
}

bool TPrintDialog::Execute()
{
  bool confirmed = false;
  if (Answered(confirmed))
    return confirmed;
  EnsureGuiApplication();
  TPrinter& printer = Printer();
  QPrintDialog dialog(&PrinterDevice(printer));
  if (!Title.empty())
    dialog.setWindowTitle(ToQ(Title));
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, (Options & poPageNums) != 0);
  if (Options & poPageNums) {
    dialog.setMinMax(std::max(MinPage, 1), std::max({MinPage, MaxPage, 1}));
    dialog.setFromTo(FromPage, ToPage);
    dialog.setPrintRange(PrintRange == prPageNums ? QAbstractPrintDialog::PageRange : QAbstractPrintDialog::AllPages);
  }
  BelongToOpener(dialog, this);
  // The dialog works on the printer itself: a queue chosen in it, or a paper chosen in its
  // Properties, is the printer's before the user confirms. Cancel changes nothing.
  TPrinter before;
  before.AssignSettings(printer);
  if (dialog.exec() != QDialog::Accepted) {
    printer.AssignSettings(before);
    return false;
  }
  PrinterSettingsChanged(printer);
  PrintRange = dialog.printRange() == QAbstractPrintDialog::PageRange ? prPageNums : prAllPages;
  FromPage = dialog.fromPage();
  ToPage = dialog.toPage();
  PageRanges.clear();
  if (PrintRange == prPageNums) {
    for (const QPageRanges::Range& r : PrinterDevice(printer).pageRanges().toRangeList())
      PageRanges.emplace_back(r.from, r.to);
    if (PageRanges.empty())
      PageRanges.emplace_back(FromPage, ToPage);
  }
  return true;
}
