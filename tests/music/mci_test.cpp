// mciSendCommandW: what each command accepts before the driver sees it, and what it hands back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/media/mci.h"
#include "tests/music/fake_media_driver.h"

TEST(Mci, OpenByElementNameGivesTheDeviceAndStatusItsLengthAndPosition) {
  FakeMediaDriver fake;
  fake.files["./disco/0.mid"] = 1234;
  MCI_OPEN_PARMSW open;
  open.lpstrElementName = "./disco/0.mid";
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open), MMSYSERR_NOERROR);
  ASSERT_EQ(open.wDeviceID, 1u);

  MCI_STATUS_PARMS length;
  length.dwItem = MCI_STATUS_LENGTH;
  EXPECT_EQ(mciSendCommandW(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, &length), MMSYSERR_NOERROR);
  EXPECT_EQ(length.dwReturn, 1234u);

  fake.devices[1].position = 77;
  MCI_STATUS_PARMS position;
  position.dwItem = MCI_STATUS_POSITION;
  EXPECT_EQ(mciSendCommandW(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, &position), MMSYSERR_NOERROR);
  EXPECT_EQ(position.dwReturn, 77u);

  MCI_PLAY_PARMS play;
  EXPECT_EQ(mciSendCommandW(open.wDeviceID, MCI_PLAY, 0, &play), MMSYSERR_NOERROR);
  EXPECT_TRUE(fake.devices[1].playing);
  EXPECT_EQ(mciSendCommandW(open.wDeviceID, MCI_STOP, 0), MMSYSERR_NOERROR);
  EXPECT_FALSE(fake.devices[1].playing);
  EXPECT_EQ(mciSendCommandW(open.wDeviceID, MCI_CLOSE, 0), MMSYSERR_NOERROR);
  EXPECT_TRUE(fake.devices.empty());
  EXPECT_EQ(fake.log, (std::vector<std::string>{"open ./disco/0.mid", "play 1", "stop 1", "close 1"}));
}

TEST(Mci, AFailedOpenLeavesNoDevice) {
  FakeMediaDriver fake;
  MCI_OPEN_PARMSW open;
  open.wDeviceID = 9;
  open.lpstrElementName = "./selected/1.mid";
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open), MCIERR_FILE_NOT_FOUND);
  EXPECT_EQ(open.wDeviceID, 0u);
}

TEST(Mci, OpenTakesOnlyMidiFilesByName) {
  FakeMediaDriver fake;
  fake.files["song.wav"] = 10;
  MCI_OPEN_PARMSW open;
  open.lpstrElementName = "song.wav";
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open), MCIERR_EXTENSION_NOT_FOUND);
  open.lpstrElementName = "./mid/song";
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open), MCIERR_EXTENSION_NOT_FOUND);
  open.lpstrElementName = "SONG.MID";
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open), MCIERR_FILE_NOT_FOUND);  // reached the driver
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, 0, &open), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_NOTIFY, &open), MCIERR_UNSUPPORTED_FUNCTION);
  open.lpstrElementName = nullptr;
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, static_cast<MCI_OPEN_PARMSW*>(nullptr)),
            MCIERR_NULL_PARAMETER_BLOCK);
  EXPECT_EQ(fake.Opens(), (std::vector<std::string>{"SONG.MID"}));
}

TEST(Mci, DeviceZeroAndMismatchedBlocksAreRefused) {
  FakeMediaDriver fake;
  MCI_STATUS_PARMS status;
  status.dwItem = MCI_STATUS_POSITION;
  status.dwReturn = 5;
  MCI_PLAY_PARMS play;
  EXPECT_EQ(mciSendCommandW(0, MCI_CLOSE, 0), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(mciSendCommandW(0, MCI_STOP, 0), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(mciSendCommandW(0, MCI_PLAY, 0, &play), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(mciSendCommandW(0, MCI_STATUS, MCI_STATUS_ITEM, &status), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(status.dwReturn, 5u);  // untouched on failure
  EXPECT_EQ(mciSendCommandW(3, MCI_STATUS, MCI_STATUS_ITEM, &status), MCIERR_INVALID_DEVICE_ID);  // not open
  EXPECT_EQ(mciSendCommandW(3, MCI_PLAY, 0, &status), MCIERR_UNRECOGNIZED_COMMAND);
  EXPECT_EQ(mciSendCommandW(3, MCI_STATUS, 0, &play), MCIERR_UNRECOGNIZED_COMMAND);
  EXPECT_EQ(mciSendCommandW(3, MCI_OPEN, 0), MCIERR_UNRECOGNIZED_COMMAND);
  EXPECT_EQ(mciSendCommandW(3, MCI_STATUS, 0, &status), MCIERR_MISSING_PARAMETER);
  status.dwItem = 4;  // mode: not supported
  EXPECT_EQ(mciSendCommandW(3, MCI_STATUS, MCI_STATUS_ITEM, &status), MCIERR_UNSUPPORTED_FUNCTION);
  EXPECT_EQ(mciSendCommandW(3, MCI_PLAY, MCI_FROM, &play), MCIERR_UNSUPPORTED_FUNCTION);
  EXPECT_TRUE(fake.log.empty());
}
