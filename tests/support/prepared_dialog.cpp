#include "tests/support/prepared_dialog.h"

#include <filesystem>
#include <string>

#include "platform/window/window_system.h"

PreparedDialog::PreparedDialog(std::vector<int> pictures, int width, int height) : m_session(width, height) {
  for (std::size_t folder = 0; folder < pictures.size(); ++folder) {
    std::string path = "album/" + std::to_string(folder);
    std::filesystem::create_directories(path);
    for (int p = 0; p < pictures[folder]; ++p) WriteTinyBitmap(path + "/" + std::to_string(p) + ".bmp");
  }
  m_session.OpenWindow();
  m_dlg = std::make_unique<COrvaleDlg>();
  COrvaleDlg& dlg = *m_dlg;
  dlg.m_album_dir = "./album/";
  dlg.ReadScreenSize();
  dlg.m_folder_count = dlg.CountUsableFolders();
  dlg.AllocateAlbumTables();
  dlg.ResetAlbumFields();
  dlg.CreateEvents();
  SetCursorPos(width / 2, height / 2);
}

PreparedDialog::~PreparedDialog() {
  m_dlg->m_renderer.Release();
  m_dlg.reset();
}
