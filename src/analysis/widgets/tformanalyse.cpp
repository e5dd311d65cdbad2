// Analysis window: being written.
#include "shell/windows.h"
namespace zoka { void ShowAnalysisWindow() {} }
