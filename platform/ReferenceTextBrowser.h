// The page pane benchmark's reference: Qt's own text browser, shown as a window of its own.
// It is built as a library of its own, platform_reference, which only the benchmark links:
// the program never holds it.
#pragma once

#include <memory>
#include <string>

class TReferenceBrowser {
public:
  TReferenceBrowser(int left, int top, int width, int height);
  ~TReferenceBrowser();
  TReferenceBrowser(const TReferenceBrowser&) = delete;
  TReferenceBrowser& operator=(const TReferenceBrowser&) = delete;

  // Loads a page file and asks for it to be painted.
  void Load(const std::string& file);
  // Invalidates the whole view and paints it now.
  void Repaint();
  int ScrollPosition() const;
  int ScrollMaximum() const;
  void SetScrollPosition(int y);
  void Hide();

private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};

// Runs the pending events a few times, so that what was asked for is on screen.
void SettleEvents();
