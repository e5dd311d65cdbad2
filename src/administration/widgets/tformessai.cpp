// Instructions and practice window: being written.
#include "shell/windows.h"
namespace zoka { void StartAdministration() {} }
