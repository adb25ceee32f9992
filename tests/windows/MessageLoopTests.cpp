// The message loop: which filter sees a message first, when idle handlers run, and the module's
// thread-to-loop map.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "win/AppModule.h"

namespace pathwright {
namespace {

std::vector<std::string>* g_log = nullptr;

struct RecordingFilter : CMessageFilter {
  std::string name;
  bool consume = false;
  CMessageLoop* removeFrom = nullptr;  // unregisters itself when asked
  explicit RecordingFilter(std::string n, bool c = false) : name(std::move(n)), consume(c) {}
  bool PreTranslateMessage(MSG*) override {
    g_log->push_back(name);
    if (removeFrom) removeFrom->RemoveMessageFilter(this);
    return consume;
  }
};

struct RecordingIdle : CIdleHandler {
  std::string name;
  bool answer;
  explicit RecordingIdle(std::string n, bool a = false) : name(std::move(n)), answer(a) {}
  bool OnIdle() override {
    g_log->push_back(name);
    return answer;
  }
};

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { g_log = &log; }
  void TearDown() override {
    wintest::TakeQuitCode();
    g_log = nullptr;
  }
  std::vector<std::string> log;
};

TEST_F(MessageLoopTest, IdleMessagesAreAllButMouseMovesPaintsAndTheCaretTimer) {
  const struct {
    UINT message;
    bool idle;
  } cases[] = {{WM_MOUSEMOVE, false}, {WM_NCMOUSEMOVE, false}, {WM_PAINT, false}, {0x0118, false},
               {WM_TIMER, true},      {WM_KEYDOWN, true},      {WM_COMMAND, true}, {WM_USER, true},
               {WM_LBUTTONDOWN, true}, {WM_NULL, true}};
  for (const auto& c : cases) {
    MSG message = {};
    message.message = c.message;
    EXPECT_EQ(CMessageLoop::IsIdleMessage(message), c.idle) << std::hex << c.message;
  }
}

TEST_F(MessageLoopTest, FiltersAreAskedLastRegisteredFirstUntilOneConsumes) {
  RecordingFilter first("first"), second("second", true), third("third");
  CMessageLoop loop;
  ASSERT_TRUE(loop.AddMessageFilter(&first));
  ASSERT_TRUE(loop.AddMessageFilter(&second));
  ASSERT_TRUE(loop.AddMessageFilter(&third));
  MSG message = {};

  EXPECT_TRUE(loop.PreTranslateMessage(&message));
  EXPECT_EQ(log, (std::vector<std::string>{"third", "second"}));

  log.clear();
  ASSERT_TRUE(loop.RemoveMessageFilter(&second));
  EXPECT_FALSE(loop.PreTranslateMessage(&message));
  EXPECT_EQ(log, (std::vector<std::string>{"third", "first"}));

  EXPECT_FALSE(loop.RemoveMessageFilter(&second)) << "already gone";
  EXPECT_TRUE(loop.RemoveMessageFilter(&first));
  EXPECT_TRUE(loop.RemoveMessageFilter(&third));
  log.clear();
  EXPECT_FALSE(loop.PreTranslateMessage(&message));
  EXPECT_TRUE(log.empty());
}

TEST_F(MessageLoopTest, RemovingTakesOutOnlyTheFirstOfTwoEqualEntries) {
  RecordingFilter twice("twice");
  CMessageLoop loop;
  loop.AddMessageFilter(&twice);
  loop.AddMessageFilter(&twice);
  ASSERT_TRUE(loop.RemoveMessageFilter(&twice));
  MSG message = {};
  loop.PreTranslateMessage(&message);
  EXPECT_EQ(log, (std::vector<std::string>{"twice"}));
}

TEST_F(MessageLoopTest, AFilterThatUnregistersItselfLeavesTheOthersAsked) {
  // The main window does this when Enter closes it from inside its filter.
  RecordingFilter first("first"), leaving("leaving");
  CMessageLoop loop;
  loop.AddMessageFilter(&first);
  loop.AddMessageFilter(&leaving);
  leaving.removeFrom = &loop;
  MSG message = {};
  EXPECT_FALSE(loop.PreTranslateMessage(&message));
  EXPECT_EQ(log, (std::vector<std::string>{"leaving", "first"}));
  log.clear();
  loop.PreTranslateMessage(&message);
  EXPECT_EQ(log, (std::vector<std::string>{"first"}));
}

TEST_F(MessageLoopTest, IdleHandlersRunInRegistrationOrderAndTheLoopWantsNoMore) {
  RecordingIdle a("a", true), b("b", true), c("c");
  CMessageLoop loop;
  loop.AddIdleHandler(&a);
  loop.AddIdleHandler(&b);
  loop.AddIdleHandler(&c);
  EXPECT_FALSE(loop.OnIdle(0)) << "what the handlers answer is ignored";
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(loop.RemoveIdleHandler(&b));
  EXPECT_FALSE(loop.RemoveIdleHandler(&b));
  log.clear();
  loop.OnIdle(1);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "c"}));
}

// Drives Run through a script: each idle pass posts the next message, a thread timer wakes the
// loop when a message left it without idle work. The log shows when idle passes happened.
struct ScriptedIdle : CIdleHandler {
  std::vector<UINT> script;
  size_t next = 0;
  bool OnIdle() override {
    g_log->push_back("idle");
    if (next < script.size()) {
      const UINT message = script[next++];
      if (message == WM_QUIT) {
        ::PostQuitMessage(42);
      } else {
        ::PostThreadMessageW(::GetCurrentThreadId(), message, 0, 0);
      }
    }
    return true;  // asks for more; the loop still stops after one pass
  }
};

struct LoggingFilter : CMessageFilter {
  bool PreTranslateMessage(MSG* message) override {
    if (message->message == WM_TIMER) {
      g_log->push_back("timer");
    } else {
      g_log->push_back(std::to_string(message->message));
    }
    return message->message != WM_TIMER;  // nothing of the script needs dispatching
  }
};

TEST_F(MessageLoopTest, RunGoesIdleAfterIdleMessagesOnlyAndReturnsTheQuitCode) {
  ScriptedIdle idle;
  idle.script = {WM_USER + 1, WM_MOUSEMOVE, WM_PAINT, 0x0118, WM_NCMOUSEMOVE, WM_USER + 2, WM_QUIT};
  LoggingFilter filter;
  CMessageLoop loop;
  loop.AddIdleHandler(&idle);
  loop.AddMessageFilter(&filter);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, nullptr);
  const int code = loop.Run();
  ::KillTimer(nullptr, timer);

  EXPECT_EQ(code, 42);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "idle") << "the loop starts idle";
  size_t idlePasses = 0;
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i] == "idle") ++idlePasses;
    if (i + 1 < log.size()) {
      EXPECT_FALSE(log[i] == "idle" && log[i + 1] == "idle") << "two idle passes in a row at " << i;
    }
    for (UINT quiet : {UINT{WM_MOUSEMOVE}, UINT{WM_PAINT}, UINT{0x0118}, UINT{WM_NCMOUSEMOVE}}) {
      if (log[i] == std::to_string(quiet) && i + 1 < log.size()) {
        EXPECT_NE(log[i + 1], "idle") << quiet << " must not start idle work";
      }
    }
  }
  EXPECT_GE(idlePasses, idle.script.size()) << "every scripted message came from an idle pass";
}

TEST_F(MessageLoopTest, TheModuleKeepsOneLoopPerThread) {
  CMessageLoop loop;
  ASSERT_EQ(g_module.GetMessageLoop(), nullptr);
  EXPECT_FALSE(g_module.RemoveMessageLoop());
  ASSERT_TRUE(g_module.AddMessageLoop(&loop));
  EXPECT_EQ(g_module.GetMessageLoop(), &loop);
  EXPECT_EQ(g_module.GetMessageLoop(::GetCurrentThreadId()), &loop);

  CMessageLoop* seenElsewhere = &loop;
  std::thread other([&] { seenElsewhere = g_module.GetMessageLoop(); });
  other.join();
  EXPECT_EQ(seenElsewhere, nullptr) << "another thread has no loop of its own";

  EXPECT_TRUE(g_module.RemoveMessageLoop());
  EXPECT_EQ(g_module.GetMessageLoop(), nullptr);
}

}  // namespace
}  // namespace pathwright
