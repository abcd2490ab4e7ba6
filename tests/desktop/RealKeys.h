// Keys by the keyboard's own key numbers (its scan codes as the X server numbers them),
// pressed through the server's test extension as a hand presses them, and the NumLock
// state, on the display the test program runs on.
#pragma once

namespace desktop {

class TKeyboard {
public:
  TKeyboard();
  ~TKeyboard();
  TKeyboard(const TKeyboard&) = delete;
  TKeyboard& operator=(const TKeyboard&) = delete;
  bool Open() const { return FDisplay != nullptr; }
  // The key that gives this key symbol ("KP_6", "Alt_L") in the keyboard's first level.
  unsigned Code(const char* keysym);
  void Down(unsigned code) { Send(code, true); }
  void Up(unsigned code) { Send(code, false); }
  void Press(unsigned code)
  {
    Send(code, true);
    Send(code, false);
  }
  void SetNumLock(bool on);
  bool NumLock();

private:
  void Send(unsigned code, bool down);
  void* FDisplay;   // Display*; the display library's names stay out of the tests' sources
};

}   // namespace desktop
