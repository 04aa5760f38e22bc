#include "platform/framework/dialog.h"

#include "platform/window/window_system.h"

namespace {
constexpr int kPumpTimeoutMs = 50;
}

int CDialog::DoModal() {
  if (!window_system::OpenWindow()) return -1;
  m_open = true;
  m_ending = false;
  OnInitDialog();
  ShowWindow(SW_SHOWNORMAL);  // the dialog is visible once initialised
  while (!m_ending) {
    MSG msg;
    if (!window_system::PumpMessage(msg, kPumpTimeoutMs)) continue;
    if (!PreTranslateMessage(&msg)) IsDialogMessage(msg);
  }
  OnDestroy();
  window_system::CloseWindow();
  m_open = false;
  return m_result;
}

void CDialog::EndDialog(int result) {
  m_result = result;
  m_ending = true;
}

BOOL CDialog::PostMessage(UINT message) {
  MSG msg;
  msg.message = message;
  window_system::PostMessage(msg);
  return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) { return FALSE; }

void CDialog::IsDialogMessage(const MSG& msg) {
  if (msg.message == WM_KEYDOWN) {
    switch (msg.key) {
      case VK_ESCAPE: OnCancel(); return;
      case VK_RETURN: OnOK(); return;
      case VK_LEFT:
      case VK_UP:
      case VK_RIGHT:
      case VK_DOWN:
      case VK_TAB: return;
      case VK_F1: OnHelp(); return;
      default: break;
    }
  }
  SendMessage(msg);
}

void CDialog::SendMessage(const MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN: OnKeyDown(msg.key, msg.repeat, msg.was_down ? 0x4000u : 0u); break;
    case WM_KEYUP: OnKeyUp(msg.key, msg.repeat, 0xC000u); break;
    case WM_MOUSEMOVE: OnMouseMove(msg.flags, msg.pt); break;
    case WM_LBUTTONDOWN: OnLButtonDown(msg.flags, msg.pt); break;
    case WM_LBUTTONUP: OnLButtonUp(msg.flags, msg.pt); break;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(msg.flags, msg.pt); break;
    case WM_RBUTTONDOWN: OnRButtonDown(msg.flags, msg.pt); break;
    case WM_RBUTTONUP: OnRButtonUp(msg.flags, msg.pt); break;
    case WM_RBUTTONDBLCLK: OnRButtonDblClk(msg.flags, msg.pt); break;
    case WM_MBUTTONDOWN: OnMButtonDown(msg.flags, msg.pt); break;
    case WM_MBUTTONUP: OnMButtonUp(msg.flags, msg.pt); break;
    case WM_MOUSEWHEEL: OnMouseWheel(msg.flags, msg.wheel_delta, msg.pt); break;
    case WM_CLOSE: OnClose(); break;
    case WM_HELP: OnHelp(); break;
    default: break;
  }
}

void CDialog::SetIcon(const DecodedPicture& icon, BOOL big) {
  WindowBackend* backend = window_system::Backend();
  if (m_open && backend && big) backend->SetIcon(icon);
}

BOOL CDialog::ShowWindow(int show_command) {
  WindowBackend* backend = window_system::Backend();
  if (!m_open || !backend || show_command == SW_HIDE) return FALSE;
  backend->ShowFullScreen();
  return TRUE;
}

// The window always covers the whole primary display; the rectangle asked for (the screen
// grown by its border) is what the display system's full-screen placement gives anyway.
BOOL CDialog::SetWindowPos(HWND, int, int, int, int, UINT) { return ShowWindow(SW_SHOWNORMAL); }

void CDialog::GetClientRect(RECT* rect) const {
  if (!rect) return;
  *rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
