// The native build has no screen: the default window system is a headless one
// without resources, so a program that forgot to install one with its .res
// fails visibly (every CreateDialogParamW returns 0).
#include "framework/headless/headless_windows.h"

namespace fw {

WindowApi& DefaultWindows() {
  static headless::HeadlessWindows windows;
  return windows;
}

}  // namespace fw
