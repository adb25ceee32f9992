// The message loop: which filter sees a message first, when idle handlers run, and the module's
// thread-to-loop map.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "win/AppModule.h"

namespace pathwright {
namespace {

std::string g_log;  // one letter per filter or idle handler asked

struct Recorder : CMessageFilter, CIdleHandler {
  char name;
  bool consume = false;
  CMessageLoop* leave = nullptr;  // unregisters itself from this loop when asked
  explicit Recorder(char n, bool c = false) : name(n), consume(c) {}
  bool PreTranslateMessage(MSG*) override {
    g_log += name;
    if (leave) leave->RemoveMessageFilter(this);
    return consume;
  }
  bool OnIdle() override { return g_log += name, true; }
};

// Filters: last registered first, until one consumes; removing takes one equal entry only; a filter
// may unregister itself while asked (the main window does, when Enter closes it). Idle handlers: in
// registration order, and the loop wants no more idle work whatever they answer.
TEST(MessageLoopTest, FiltersLastRegisteredFirstIdleHandlersInOrder) {
  Recorder first('f'), second('s', true), third('t'), twice('w');
  CMessageLoop loop;
  g_log.clear();
  for (Recorder* f : {&first, &second, &third, &twice, &twice}) ASSERT_TRUE(loop.AddMessageFilter(f));
  for (Recorder* h : {&first, &second, &third}) ASSERT_TRUE(loop.AddIdleHandler(h));
  ASSERT_TRUE(loop.RemoveMessageFilter(&twice));
  MSG message = {};
  EXPECT_TRUE(loop.PreTranslateMessage(&message));
  ASSERT_TRUE(loop.RemoveMessageFilter(&second));
  EXPECT_FALSE(loop.RemoveMessageFilter(&second)) << "already gone";
  third.leave = &loop;
  EXPECT_FALSE(loop.PreTranslateMessage(&message));
  EXPECT_FALSE(loop.PreTranslateMessage(&message));
  EXPECT_FALSE(loop.OnIdle(0));
  EXPECT_TRUE(loop.RemoveIdleHandler(&second));
  EXPECT_FALSE(loop.RemoveIdleHandler(&second));
  loop.OnIdle(1);
  EXPECT_EQ(g_log, "wts" "wtf" "wf" "fst" "ft");
}

TEST(MessageLoopTest, IdleMessagesAreAllButMouseMovesPaintsAndTheCaretTimer) {
  const auto idle = [](UINT m) { MSG message = {}; message.message = m; return CMessageLoop::IsIdleMessage(message); };
  for (int m : {WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x0118}) EXPECT_FALSE(idle(m)) << m;
  for (int m : {WM_TIMER, WM_KEYDOWN, WM_COMMAND, WM_USER, WM_LBUTTONDOWN, WM_NULL}) EXPECT_TRUE(idle(m)) << m;
}

// Each idle pass ("i") posts the next scripted message; a thread timer ("t") wakes the loop when a
// message left it without idle work. Script messages log as "m", the quiet ones as "q".
struct Script : CMessageFilter, CIdleHandler {
  std::vector<UINT> messages{WM_USER, WM_MOUSEMOVE, WM_PAINT, 0x0118, WM_NCMOUSEMOVE, WM_USER, WM_QUIT};
  size_t next = 0;
  std::string log;
  bool OnIdle() override {
    log += 'i';
    if (next < messages.size() && messages[next] == WM_QUIT) ::PostQuitMessage(42);
    else if (next < messages.size()) ::PostThreadMessageW(::GetCurrentThreadId(), messages[next], 0, 0);
    return ++next, true;
  }
  bool PreTranslateMessage(MSG* m) override {
    log += m->message == WM_TIMER ? 't' : m->message == WM_USER ? 'm' : 'q';
    return m->message != WM_TIMER;
  }
};

TEST(MessageLoopTest, RunGoesIdleAfterIdleMessagesOnlyAndReturnsTheQuitCode) {
  Script script;
  CMessageLoop loop;
  loop.AddIdleHandler(&script);
  loop.AddMessageFilter(&script);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, nullptr);
  EXPECT_EQ(loop.Run(), 42);
  ::KillTimer(nullptr, timer);
  wintest::TakeQuitCode();
  const std::string& seen = script.log;  // starts idle; never idle twice running, nor after a quiet one
  EXPECT_TRUE(seen.starts_with('i') && seen.find("ii") == seen.npos && seen.find("qi") == seen.npos) << seen;
  EXPECT_GE(std::count(seen.begin(), seen.end(), 'i'), 7) << seen;
}

TEST(MessageLoopTest, TheModuleKeepsOneLoopPerThread) {
  CMessageLoop loop;
  ASSERT_EQ(g_module.GetMessageLoop(), nullptr);
  EXPECT_FALSE(g_module.RemoveMessageLoop());
  ASSERT_TRUE(g_module.AddMessageLoop(&loop));
  EXPECT_EQ(g_module.GetMessageLoop(::GetCurrentThreadId()), &loop);
  CMessageLoop* elsewhere = &loop;  // another thread has no loop of its own
  std::thread([&] { elsewhere = g_module.GetMessageLoop(); }).join();
  EXPECT_EQ(elsewhere, nullptr);
  EXPECT_TRUE(g_module.RemoveMessageLoop());
  EXPECT_EQ(g_module.GetMessageLoop(), nullptr);
}

}  // namespace
}  // namespace pathwright
