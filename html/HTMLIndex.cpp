#include "html/HTMLIndex.h"

#include "html/HtmlViewer.h"

namespace {

// The title bar of the page: a striped strip with the title picture, a rule, then either a
// blank line (a list is open) or the instruction.
const char* const HeaderStart =
    "<html><body ><table border=\"0\" width=\"100%\" cellspacing=\"0\" cellpadding=\"0\" height=\"3\"><tr><td "
    "background=\"/IMAGES/StripeLight.gif\" ><img border=\"0\" src=\"/IMAGES/TarvTitle.";
const char* const HeaderRule = "\"></td></tr><tr><td><hr noshade size=\"3\" color=\"#6295C9\"></td></tr><tr><td>";
const char* const OpenLine = " &nbsp;";
const char* const Instruction = "<b>Click on one of the book symbols or headings to expand the list of topics.</b>";
const char* const InstructionSecond =
    "<b>Haga click en uno de los simbolos de los libros para abrir o cerrar la lista de experimentos.</b>";
const char* const HeaderEnd = "</td></tr></table>";

}   // namespace

THTMLIndex::THTMLIndex(THTMLViewer* AViewer) : FViewer(AViewer) {}

Integer THTMLIndex::AddHeading(const std::string& Title)
{
  Integer index = HeadingCount();
  FHeadings.push_back(std::make_unique<THeading>(Title, index));
  return index;
}

void THTMLIndex::AddItem(Integer Heading, const std::string& Title, const std::string& URL)
{
  if (Heading < 0 || Heading >= HeadingCount())
    return;
  FHeadings[static_cast<size_t>(Heading)]->Items.push_back(std::make_unique<TChildItem>(Title, URL));
}

void THTMLIndex::ToggleHeading(Integer Heading)
{
  if (Heading < 0 || Heading >= HeadingCount())
    return;
  THeading& h = *FHeadings[static_cast<size_t>(Heading)];
  if (SingleExpand)
    for (auto& other : FHeadings)
      if (other.get() != &h)
        other->Expanded = false;
  h.Expanded = !h.Expanded;
  // The same page with a group opened or closed: the heading pressed keeps the focus.
  if (FViewer)
    FViewer->LoadSamePage(PageText());
}

bool THTMLIndex::AllCollapsed() const
{
  for (const auto& h : FHeadings)
    if (h->Expanded)
      return false;
  return true;
}

std::string THTMLIndex::PageText() const
{
  std::string s = HeaderStart;
  bool collapsed = AllCollapsed();
  // Only the second-language instruction page names the JPEG title picture.
  s += collapsed && SecondLanguage ? "jpg" : "bmp";
  s += HeaderRule;
  s += !collapsed ? OpenLine : (SecondLanguage ? InstructionSecond : Instruction);
  s += HeaderEnd;
  s += "<table border=\"0\" width=\"100%\">";
  for (size_t i = 0; i < FHeadings.size(); ++i) {
    const THeading& h = *FHeadings[i];
    s += "<tr><td><a href=\"*" + std::to_string(i) + "\"><img src=\"/images/";
    s += h.Expanded ? "MinusBook" : "PlusBook";
    s += ".gif\" border=\"0\"> &nbsp;<strong><font color=\"#000000\">" + h.Title + "</font></a></strong></td></tr>";
    if (h.Expanded)
      for (const auto& item : h.Items)
        s += "<tr><td><blockquote><p><img src=\"/images/topic.gif\"><a href=\"" + item->URL + "\"> &nbsp;" + item->Title
             + "</a></p></blockquote></td></tr>";
  }
  s += "</table></body></html>";
  return s;
}

void THTMLIndex::ShowIndex()
{
  if (!FViewer)
    return;
  std::string page = PageText();
  // Shown again as it stands (in another text size): the same page laid out anew.
  if (FViewer->CurrentFile().empty() && FViewer->DocumentSource() == page)
    FViewer->LoadSamePage(page);
  else
    FViewer->LoadFromBuffer(page.data(), static_cast<int32_t>(page.size()));
}
