// The application object of the framework: the program's one instance runs InitInstance.
#pragma once

#include "platform/types.h"

class CDialog;

class CWinApp {
 public:
  virtual ~CWinApp() = default;
  // Returns FALSE to end the program without a message pump of its own.
  virtual BOOL InitInstance() { return FALSE; }

  CDialog* m_pMainWnd = nullptr;
};
