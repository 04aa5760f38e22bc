// The four worker threads: polling loops over the viewer state and the signal events.
#include "app/frame_stats.h"
#include "app/orvale_dlg.h"
#include "app/thread_steps.h"
#include "interaction/recording.h"
#include "interaction/search_bars.h"
#include "music/music_player.h"
#include "platform/kernel/time.h"
#include "platform/window/window_system.h"

namespace {

// A zero-time-out poll; the wait consumes the signal, the explicit reset follows it.
bool Poll(const HEVENT& event) {
  if (WaitForSingleObject(event, 0) != WAIT_OBJECT_0) return false;
  ResetEvent(event);
  return true;
}

}  // namespace

void COrvaleDlg::CreateEvents() {
  m_evt_search_sync = CreateEventW("WaitingForA222");
  m_evt_jump = CreateEventW("WaitingForMain");
  m_evt_folder_step = CreateEventW("WaitingForRealThread2222!");
  m_evt_picture_changed = CreateEventW("WaitingForRealThread3333!");
  m_evt_record_zoom = CreateEventW("WaitingForg_hEvent_movie_zoom!");
  m_evt_play = CreateEventW("WaitingForRealThread_g_play_counter!");
  SetEvent(m_evt_play);
}

void COrvaleDlg::StartWorkerThreads() {
  m_record_thread = AfxBeginThread(&COrvaleDlg::RecordThreadProc, this);
  m_render_thread = AfxBeginThread(&COrvaleDlg::RenderThreadProc, this);
  m_search_thread = AfxBeginThread(&COrvaleDlg::SearchThreadProc, this);
  m_music_thread = AfxBeginThread(&COrvaleDlg::MusicThreadProc, this);
}

// Each thread finishes its pass, sees its flag and ends; they stop one after the other.
void COrvaleDlg::StopWorkerThreads() {
  struct Worker {
    Relaxed<int>& stop;
    std::unique_ptr<CWinThread>& thread;
  };
  Worker order[] = {{m_stop_search, m_search_thread},
                    {m_stop_music, m_music_thread},
                    {m_stop_render, m_render_thread},
                    {m_stop_record, m_record_thread}};
  for (Worker& worker : order) {
    if (!worker.thread) continue;
    worker.stop = 1;
    worker.thread->Join();
    worker.thread.reset();
  }
}

UINT COrvaleDlg::RecordThreadProc(COrvaleDlg* dlg) {
  while (dlg->m_stop_record == 0) {
    if (Poll(dlg->m_evt_picture_changed)) {
      dlg->m_record_zoom = 1.5f;
      dlg->m_play_pos = 0;
      dlg->m_play_steps = dlg->m_steps_table.Get(dlg->m_folder, dlg->m_picture, kDefaultPlaySteps);
    }
    if (Poll(dlg->m_evt_record_zoom) && dlg->m_record_wheel == 1) {
      dlg->m_record_zoom = StepRecordZoom(dlg->m_record_zoom, dlg->m_wheel_up == 1);
      dlg->m_record_wheel = 0;
      dlg->m_zoom = dlg->m_record_zoom.load();
    }
    if (dlg->m_record_paused == 0) RecordingStep(*dlg);
    Sleep(10);
  }
  return 0;
}

UINT COrvaleDlg::RenderThreadProc(COrvaleDlg* dlg) {
  FrameStats stats;
  while (dlg->m_stop_render == 0) {
    const bool draw = dlg->m_render_paused == 0;
    if (draw) dlg->RenderDriverStep();
    stats.Pass(GetTickCount(), draw, window_system::PresentedFrames());
    Sleep(10);
  }
  return 0;
}

UINT COrvaleDlg::SearchThreadProc(COrvaleDlg* dlg) {
  while (dlg->m_stop_search == 0) {
    if (Poll(dlg->m_evt_search_sync)) {
      int picture = dlg->m_picture;
      int folder = dlg->m_folder;
      dlg->m_picture_page = PageOf(picture);
      dlg->m_folder_page = PageOf(folder);
      dlg->m_search_picture = picture;
      dlg->m_search_folder = folder;
      dlg->m_search_pick = 1;
    }
    if (dlg->m_search_paused == 0) {
      SearchBarStep(*dlg);
    } else {
      SearchBarRest();
    }
    Sleep(5);
  }
  return 0;
}

UINT COrvaleDlg::MusicThreadProc(COrvaleDlg* dlg) {
  MusicPlayer player;  // the music thread's own state; closes its song when the thread ends
  while (dlg->m_stop_music == 0) {
    player.MusicStep(*dlg);
    Sleep(50);
  }
  return 0;
}
