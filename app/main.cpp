// Quenmira: a full-screen photo-album viewer, started without arguments beside its album.
#include "app/orvale_app.h"
#include "platform/kernel/stop_signals.h"
#include "platform/window/message_box.h"
#include "platform/window/sdl/sdl_backend.h"
#include "platform/window/sdl/sdl_message_box.h"
#include "platform/window/window_system.h"

int main() {
  InstallStopSignalHandlers();
  window_system::InstallBackend(MakeSdlBackend());
  SetMessageBoxHandler(&SdlMessageBox);
  COrvaleApp app;
  app.InitInstance();
  return app.m_dialog_result < 0 ? 1 : 0;
}
