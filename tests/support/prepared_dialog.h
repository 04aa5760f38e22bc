// A viewer dialog started up on a headless screen over an album the test describes, without
// its worker threads: handlers and frames are driven from the test thread.
#pragma once

#include <memory>
#include <vector>

#include "app/orvale_dlg.h"
#include "tests/support/headless_session.h"

class PreparedDialog {
 public:
  // `pictures[i]` small bitmap files in folder i; the screen is width x height.
  explicit PreparedDialog(std::vector<int> pictures, int width = 1280, int height = 800);
  ~PreparedDialog();

  COrvaleDlg& operator*() { return *m_dlg; }
  COrvaleDlg* operator->() { return m_dlg.get(); }
  HeadlessSession& Session() { return m_session; }

 private:
  HeadlessSession m_session;
  std::unique_ptr<COrvaleDlg> m_dlg;
};
