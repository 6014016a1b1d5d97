// The page writers' pipeline: jobs prepared in any order on any worker are committed one at a
// time and absorbed in the order they were submitted; a failure stops every later commit (and
// those of its own batch) and is raised where the failed batch is absorbed.

#include "generator/PagePipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

struct TLog {
  std::mutex Mutex;
  std::vector<int> Committed;
  std::vector<int> Absorbed;
  std::atomic<int> Concurrent{0};
  std::atomic<int> MostConcurrent{0};
};

// A job whose preparation takes a random while, so that later jobs often finish first.
TPagePipeline::TSteps Job(TLog& log, int number, uint32_t pause, bool fail = false) {
  TPagePipeline::TSteps steps;
  steps.Prepare = [pause, fail] {
    std::this_thread::sleep_for(std::chrono::microseconds(pause));
    if (fail) throw std::runtime_error("failed");
  };
  steps.Commit = [&log, number] {
    const int now = ++log.Concurrent;
    if (now > log.MostConcurrent) log.MostConcurrent = now;
    std::lock_guard<std::mutex> lock(log.Mutex);
    log.Committed.push_back(number);
    --log.Concurrent;
  };
  steps.Absorb = [&log, number] { log.Absorbed.push_back(number); };
  return steps;
}

std::vector<int> Numbers(int count) {
  std::vector<int> numbers;
  for (int i = 0; i < count; ++i) numbers.push_back(i);
  return numbers;
}

TEST(PagePipeline, CommitsAndAbsorbsInTheOrderOfSubmission) {
  for (int workers : {0, 1, 2, 7}) {
    for (size_t batch : {1, 3, 8}) {
    SCOPED_TRACE(std::to_string(workers) + " workers, batches of " + std::to_string(batch));
    TLog log;
    std::mt19937 random(workers);
    TPagePipeline pipeline;
    pipeline.Start(workers, batch);
    for (int i = 0; i < 200; ++i) pipeline.Submit(Job(log, i, random() % 300));
    pipeline.AbsorbAll();
    pipeline.Stop();
    EXPECT_EQ(log.Committed, Numbers(200));
    EXPECT_EQ(log.Absorbed, Numbers(200));
    EXPECT_EQ(log.MostConcurrent, 1);
    }
  }
}

TEST(PagePipeline, AFailureStopsLaterCommitsAndIsRaisedWhereItsBatchIsAbsorbed) {
  // Batches of five: the job 42 fails, so nothing from 40 on is committed.
  for (size_t batch : {1, 5}) {
    SCOPED_TRACE(batch);
    TLog log;
    TPagePipeline pipeline;
    pipeline.Start(4, batch);
    const int first = batch == 1 ? 42 : 40;
    bool raised = false;
    try {
      for (int i = 0; i < 100; ++i) pipeline.Submit(Job(log, i, i == 42 ? 2000 : 50, i == 42));
      pipeline.AbsorbAll();
    } catch (const std::runtime_error&) {
      raised = true;
    }
    pipeline.Stop();
    EXPECT_TRUE(raised);
    EXPECT_EQ(log.Committed, Numbers(first));
    EXPECT_EQ(log.Absorbed, Numbers(first));
  }
}

TEST(PagePipeline, WithoutWorkersEveryStepRunsInSubmit) {
  TLog log;
  TPagePipeline pipeline;
  pipeline.Start(0);
  EXPECT_FALSE(pipeline.Threaded());
  pipeline.Submit(Job(log, 1, 0));
  EXPECT_EQ(log.Absorbed, std::vector<int>{1});
  EXPECT_THROW(pipeline.Submit(Job(log, 2, 0, true)), std::runtime_error);
}

TEST(PagePipeline, StoppingDropsWhatIsPendingAndStartsAfresh) {
  TLog log;
  TPagePipeline pipeline;
  pipeline.Start(2);
  for (int i = 0; i < 10; ++i) pipeline.Submit(Job(log, i, 1000));
  pipeline.Stop();
  EXPECT_LE(log.Absorbed.size(), 10u);
  pipeline.Start(2);
  TLog again;
  for (int i = 0; i < 10; ++i) pipeline.Submit(Job(again, i, 10));
  pipeline.AbsorbAll();
  EXPECT_EQ(again.Absorbed, Numbers(10));
}

// A job with nothing but its absorbing step keeps its place among the others.
TEST(PagePipeline, AnAbsorbOnlyJobKeepsItsPlace) {
  TLog log;
  TPagePipeline pipeline;
  pipeline.Start(3);
  for (int i = 0; i < 50; ++i) {
    pipeline.Submit(Job(log, i, 100));
    if (i % 5 == 0) pipeline.Submit({{}, {}, [&log, i] { log.Absorbed.push_back(1000 + i); }});
  }
  pipeline.AbsorbAll();
  std::vector<int> expected;
  for (int i = 0; i < 50; ++i) {
    expected.push_back(i);
    if (i % 5 == 0) expected.push_back(1000 + i);
  }
  EXPECT_EQ(log.Absorbed, expected);
}

}  // namespace
