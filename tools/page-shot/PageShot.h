// A page as the program's page pane shows it, rendered with the viewer control into a
// picture: the page-shot tool and the tests that look at pages both use this.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TBitmap;
class THTMLViewer;

// Tallest picture made; a longer page is cut there.
constexpr int32_t MaxPageShotHeight = 12000;
constexpr int32_t MinPageShotWidth = 50;
constexpr int32_t MaxPageShotWidth = 4000;   // with the height cap, within a bitmap's size cap

// The main window's settings for its page pane: Arial 10, Courier New for preformatted
// text, white background, visited links blue, hovered links red (links react to the mouse),
// no link underline.
void SetPagePaneDefaults(THTMLViewer& Viewer);

// The folder that stands for "/" in a page's links: the nearest folder above the page named
// HTML (in any case), as in the program's content; else the page's own folder.
std::string PageServerRoot(const std::string& FileName);

// Loads the page into a viewer Width pixels wide, with the page pane's settings, and paints
// the document's whole height (at most MaxHeight) into a 32-bit picture. Throws Exception
// when the page cannot be loaded (a missing or unreadable file, not a file at all).
std::unique_ptr<TBitmap> ShootPage(const std::string& FileName, int32_t Width, int32_t MaxHeight = MaxPageShotHeight);

// Writes the picture as a PNG file; throws Exception when the file cannot be written.
void SavePagePicture(const TBitmap& Picture, const std::string& FileName);
