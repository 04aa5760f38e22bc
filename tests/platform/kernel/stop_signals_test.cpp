#include "platform/kernel/stop_signals.h"

#include <gtest/gtest.h>
#include <signal.h>

namespace {

bool HandlerIsDefault(int signal_number) {
  struct sigaction now {};
  sigaction(signal_number, nullptr, &now);
  return now.sa_handler == SIG_DFL;
}

}  // namespace

TEST(StopSignals, EachSignalIsTakenOnceAndAnotherOfTheSameKindWouldEndTheProgram) {
  for (int signal_number : {SIGTERM, SIGINT}) {
    InstallStopSignalHandlers();
    EXPECT_FALSE(HandlerIsDefault(SIGTERM));
    EXPECT_FALSE(HandlerIsDefault(SIGINT));
    EXPECT_EQ(TakeStopSignal(), 0);
    ASSERT_EQ(raise(signal_number), 0);
    EXPECT_EQ(TakeStopSignal(), signal_number);
    EXPECT_EQ(TakeStopSignal(), 0);
    // The first delivery put the default action back for that signal only.
    EXPECT_TRUE(HandlerIsDefault(signal_number));
    EXPECT_FALSE(HandlerIsDefault(signal_number == SIGINT ? SIGTERM : SIGINT));
    RestoreDefaultStopSignals();
  }
  EXPECT_TRUE(HandlerIsDefault(SIGTERM));
  EXPECT_TRUE(HandlerIsDefault(SIGINT));
}

TEST(StopSignals, RestoringForgetsAPendingRequest) {
  InstallStopSignalHandlers();
  ASSERT_EQ(raise(SIGTERM), 0);
  RestoreDefaultStopSignals();
  EXPECT_EQ(TakeStopSignal(), 0);
}
