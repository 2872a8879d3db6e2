// The one cell of the frame's state.

#include <windows.h>

#include "model/app_state.h"

StateCell<AppState>& app_state() {
  static StateCell<AppState> cell;
  return cell;
}
