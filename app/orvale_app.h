// The application object: runs the viewer's dialog and ends with it.
#pragma once

#include "platform/framework/win_app.h"

class COrvaleApp : public CWinApp {
 public:
  BOOL InitInstance() override;
  // Result of the dialog; -1 when no window could be opened.
  int m_dialog_result = 0;
};
