// The modal dialog of the application framework: one window, its message loop and the
// handlers a subclass overrides.
#pragma once

#include "platform/types.h"
#include "platform/window/messages.h"

class CDialog;
struct DecodedPicture;
using HWND = CDialog*;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr UINT SWP_NOZORDER = 0x0004;

class CDialog {
 public:
  CDialog() = default;
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Opens the window, runs OnInitDialog, then the message loop until EndDialog; OnDestroy
  // runs before it returns. Returns the EndDialog result, or -1 when no window could open.
  int DoModal();
  void EndDialog(int result);

  HWND GetSafeHwnd() { return m_open ? this : nullptr; }
  // Any thread: queues a message for the window (WM_CLOSE ends the dialog like Cancel).
  BOOL PostMessage(UINT message);
  // The window procedure: calls the handler of `msg` at once.
  void SendMessage(const MSG& msg);

  BOOL ShowWindow(int show_command);
  // The window's icon; the display system picks the size it shows.
  void SetIcon(const DecodedPicture& icon, BOOL big);
  BOOL SetWindowPos(HWND insert_after, int x, int y, int cx, int cy, UINT flags);
  void GetClientRect(RECT* rect) const;

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnDestroy() {}
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  virtual void OnClose() { OnCancel(); }
  // Dialog-manager keys: true when the message was handled and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual BOOL OnHelp() { return TRUE; }

  virtual void OnKeyDown(UINT key, UINT repeat, UINT flags) {}
  virtual void OnKeyUp(UINT key, UINT repeat, UINT flags) {}
  virtual void OnMouseMove(UINT flags, CPoint point) {}
  virtual void OnLButtonDown(UINT flags, CPoint point) {}
  virtual void OnLButtonUp(UINT flags, CPoint point) {}
  virtual void OnLButtonDblClk(UINT flags, CPoint point) {}
  virtual void OnRButtonDown(UINT flags, CPoint point) {}
  virtual void OnRButtonUp(UINT flags, CPoint point) {}
  virtual void OnRButtonDblClk(UINT flags, CPoint point) {}
  virtual void OnMButtonDown(UINT flags, CPoint point) {}
  virtual void OnMButtonUp(UINT flags, CPoint point) {}
  virtual BOOL OnMouseWheel(UINT flags, short delta, CPoint point) { return FALSE; }

 private:
  // The dialog manager: Esc cancels, Enter confirms, arrows and Tab navigate between
  // controls (this dialog has none), everything else goes to the window procedure.
  void IsDialogMessage(const MSG& msg);

  bool m_open = false;
  bool m_ending = false;
  int m_result = 0;
};
