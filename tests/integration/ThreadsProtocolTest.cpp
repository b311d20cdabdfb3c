// The engine on four search threads under the protocol: the commands that stop a search (move
// now, new, quit, force, a ponder miss) end every thread of it, and the engine pondering or idle
// keeps no thread it does not search with.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "driver/GameFlow.h"
#include "support/EngineFixture.h"

namespace {

using Lines = std::vector<std::string>;

int ThreadsOf(const std::string &process) {
  int count = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/" + process + "/task"))
    count++;
  return count;
}

// Waits up to five seconds for the process to have count threads.
bool ReachesThreads(const std::string &process, int count) {
  for (int wait = 0; wait < 100; wait++) {
    if (ThreadsOf(process) == count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

class ThreadsProtocolTest : public EngineFixture {
 protected:
  ThreadsProtocolTest() { scratch.Write("krelininit.txt", "HASH=1\nCPUS=4\n"); }
};

TEST_F(ThreadsProtocolTest, CommandsWhileSearchingEndEveryThread) {
  std::thread([] {}).join();  // a thread sanitizer starts its own thread with the first one
  int before = ThreadsOf("self");
  for (bool pondering : {false, true}) {
    for (const char *command : {"?", "new", "quit", "force"}) {
      std::string setUp = pondering ? "new\nhard\ntime 0\n" : "";
      Lines lines = PlayHere(GameStart + setUp + "usermove e2e4\n" + command + "\n");
      SCOPED_TRACE(std::string(pondering ? "pondering, " : "thinking, ") + command);
      bool moved = false;
      for (const std::string &line : lines) moved = moved || line.rfind("move ", 0) == 0;
      EXPECT_EQ(moved, pondering || (command != std::string("new") && command != std::string("quit")));
      EXPECT_EQ(ThreadsOf("self"), before);
    }
  }
}

TEST_F(ThreadsProtocolTest, MoveNowPonderMissAndQuitOverPipes) {
  EngineSession engine(KRELIN_BINARY, scratch.Path());
  ASSERT_TRUE(engine.Handshake());
  std::string process = std::to_string(engine.Pid());
  engine.Send("new\neasy\nlevel 0 60 0\ngo\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  engine.Send("?\n");
  Lines lines;
  ASSERT_TRUE(engine.ReadUntil("move ", lines, 60));
  const int idle = ThreadsOf(process);  // 1, or 2 with a sanitizer's own thread
  EXPECT_LE(idle, 2);

  engine.Send("force\nnew\nhard\nlevel 0 0.2 0\ngo\n");
  lines.clear();
  ASSERT_TRUE(engine.ReadUntil("move ", lines));
  EXPECT_TRUE(ReachesThreads(process, idle + 3));  // pondering on the predicted reply, helpers and all
  ThinkingLine last;
  for (const std::string &line : lines) ParseThinkingLine(line, last);
  std::string predicted = last.moves.size() > 1 ? ProtocolMove(last.moves[1]) : "";
  engine.Send(std::string("time 900\notim 900\nusermove ") + (predicted == "a7a6" ? "h7h6" : "a7a6") + "\n");
  lines.clear();
  ASSERT_TRUE(engine.ReadUntil("move ", lines));  // a miss: the real reply searched and answered
  engine.Send("force\n");
  EXPECT_TRUE(ReachesThreads(process, idle));

  engine.Send("new\nlevel 0 60 0\ngo\n");
  EXPECT_TRUE(ReachesThreads(process, idle + 3));
  // Within a poll of the main thread: milliseconds here, seconds under ThreadSanitizer, whose
  // four threads share two cores at a fraction of the speed.
  engine.Send("quit\n");
  EXPECT_EQ(engine.Wait(60), 0);
}

}  // namespace
