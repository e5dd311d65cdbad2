// Test windows: being written.
#include "tests/widgets/testwindows.h"
namespace zoka { void ExecTestWindow(int) {} }
