// The shell library also holds the program's own main, which the linker would take from it
// before the shared test main: compiling the shared one into this program directly keeps it
// first. (Remove once the shell library leaves main.cpp out.)
#include "tests/TestMain.cpp"
