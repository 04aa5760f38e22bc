// The one dialog that is the whole viewer: it covers the screen, holds the viewer state,
// owns the worker threads and events, and receives every window message.
#pragma once

#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/framework/dialog.h"
#include "render/frame_renderer.h"

class COrvaleDlg : public CDialog, public ViewerState {
 public:
  COrvaleDlg() = default;
  ~COrvaleDlg() override;

  // Start-up: album folders, screen, census, tables, events, threads, cursor.
  BOOL OnInitDialog() override;
  // Shutdown: threads stopped in order, tables released.
  void OnDestroy() override;

  void PlaceFullScreen();
  // One pass of the render thread, and one frame alone.
  void RenderDriverStep() { m_renderer.RenderDriverStep(*this); }
  void RenderFrame() { m_renderer.RenderFrame(*this); }
  int CountUsableFolders() const;
  int CountPictures(int folder) const;

  // First-run files and the brand screen.
  void ShowSplash();
  void ImportAlbumPictures();
  void EnsureExamplePicture();
  void WriteReadme();
  // The record file: loaded at start-up (a file that does not fit is deleted), stored at exit.
  void LoadRecordFile();
  void StoreRecordFile();
  std::string RecordFilePath() const { return m_album_dir + m_record_name + ".txt"; }

  // Start-up pieces, in the order they run.
  void CreateAlbumFolders();
  void ReadScreenSize();
  void AllocateAlbumTables();
  void ResetAlbumFields();
  void CreateEvents();
  void StartWorkerThreads();
  void StopWorkerThreads();
  void ReleaseAlbumTables();

  static UINT RecordThreadProc(COrvaleDlg* dlg);
  static UINT RenderThreadProc(COrvaleDlg* dlg);
  static UINT SearchThreadProc(COrvaleDlg* dlg);
  static UINT MusicThreadProc(COrvaleDlg* dlg);

  FrameRenderer m_renderer;
  // How long the brand screen stays; tests shorten it.
  DWORD m_splash_ms = 2000;

 protected:
  BOOL OnHelp() override { return TRUE; }  // F1 shows no help

 public:
  // Input: each handler only writes the viewer state and signals the thread that must act.
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
  void OnKeyUp(UINT key, UINT repeat, UINT flags) override {}
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnLButtonDblClk(UINT flags, CPoint point) override {}
  void OnRButtonDown(UINT flags, CPoint point) override;
  void OnRButtonUp(UINT flags, CPoint point) override;
  void OnRButtonDblClk(UINT flags, CPoint point) override {}
  void OnMButtonDown(UINT flags, CPoint point) override { m_mbutton_held = 1; }
  void OnMButtonUp(UINT flags, CPoint point) override { m_mbutton_held = 0; }
  BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;

 private:
  void CentrePointer();
  void StepFolderByKey(bool next);
  // Steps of the zoom path for the picture in `slot` (kSlotLeft or kSlotRight): one per 0.1
  // between 1.0 and its zoom target.
  int ZoomPathSteps(int slot);
};
