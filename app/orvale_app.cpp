#include "app/orvale_app.h"

#include <memory>

#include "app/orvale_dlg.h"

BOOL COrvaleApp::InitInstance() {
  // The dialog is large (fixed per-folder arrays), so it lives on the heap.
  auto dlg = std::make_unique<COrvaleDlg>();
  m_pMainWnd = dlg.get();
  m_dialog_result = dlg->DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}
