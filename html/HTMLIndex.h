// The collapsible topic index: category headings that open to list links to their topic
// pages. It keeps no page on disk; every change rebuilds the whole page and hands it to the
// viewer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

class THTMLViewer;

class TChildItem {
public:
  TChildItem(std::string ATitle, std::string AURL) : Title(std::move(ATitle)), URL(std::move(AURL)) {}
  std::string Title;
  std::string URL;
};

class THeading {
public:
  THeading(std::string ATitle, Integer AIndex) : Title(std::move(ATitle)), Index(AIndex) {}
  std::string Title;
  Integer Index;
  bool Expanded = false;
  std::vector<std::unique_ptr<TChildItem>> Items;
};

class THTMLIndex {
public:
  // The viewer is not owned; it must outlive the index. nullptr builds pages but shows none.
  explicit THTMLIndex(THTMLViewer* AViewer);

  // Appends a collapsed heading; gives its position in the list.
  Integer AddHeading(const std::string& Title);
  // Appends a link to heading Heading; an index outside the list adds nothing.
  void AddItem(Integer Heading, const std::string& Title, const std::string& URL);
  // Opens or closes a heading (with SingleExpand, opening one closes the others) and shows
  // the page anew; an index outside the list does nothing.
  void ToggleHeading(Integer Heading);
  // No heading is open (also true with no headings at all).
  bool AllCollapsed() const;
  // Builds the page and loads it into the viewer.
  void ShowIndex();
  // The page as ShowIndex builds it.
  std::string PageText() const;

  Integer HeadingCount() const { return static_cast<Integer>(FHeadings.size()); }
  const THeading& Heading(Integer i) const { return *FHeadings.at(static_cast<size_t>(i)); }

  bool SecondLanguage = false;
  bool SingleExpand = true;

private:
  std::vector<std::unique_ptr<THeading>> FHeadings;
  THTMLViewer* FViewer;
};
