// An Ardour session that cannot be completed leaves nothing: not the
// folder, not the hidden folder it was built in. The failures come through
// the file layer's fault seam.
#include <cerrno>

#include <gtest/gtest.h>

#include "dawproject/ardoursession.h"
#include "dawproject/sessionfixture.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

class ArdourFaults : public ::testing::Test, protected PlannedSessionSong {
 protected:
  void SetUp() override { PlanSong(FormatWav); }
  ConversionResult write(const ConversionHooks& hooks = {}, bool replace = false) {
    return WriteArdourSession(plan, target, replace, hooks);
  }

  fs::path target = folder / "Session";
};

TEST_F(ArdourFaults, AStopPartWayLeavesNothing) {
  ExpectAStopLeavesNothing([&](const ConversionHooks& hooks) { return write(hooks); }, folder, {1, 4});
}

TEST_F(ArdourFaults, AFullDiskOrATakeThatCannotBeReadFailsNamingTheFileAndLeavesNothing) {
  struct Fault {
    const char* name;
    void (*arm)();
    const char* expected;  // in the failure's detail
  };
  const Fault faults[] = {
      {"first write", [] { FaultInjection::FailNthWrite(1, ENOSPC); }, "No space left on device"},
      {"a later write", [] { FaultInjection::FailNthWrite(6, ENOSPC); }, "No space left on device"},
      {"the katakana take", [] { FaultInjection::FailReadsOf("TRACK2_0.DAT", EIO); }, "Track03-1 (Input/output error)"},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    fault.arm();
    const ConversionResult result = write();
    FaultInjection::Reset();
    EXPECT_EQ(result.outcome, ConversionResult::Failed);
    EXPECT_NE(result.detail.find(fault.expected), std::string::npos) << result.detail;
    EXPECT_TRUE(NamesIn(folder).empty());
  }
}

TEST_F(ArdourFaults, AFailedReplacementKeepsTheOldSession) {
  ASSERT_EQ(write().outcome, ConversionResult::Converted);
  const auto before = ReadBytes(target / "Session.ardour");
  FaultInjection::FailReadsOf("TRACK0_0.DAT", EIO);
  const ConversionResult result = write({}, true);
  FaultInjection::Reset();
  EXPECT_EQ(result.outcome, ConversionResult::Failed);
  EXPECT_EQ(ReadBytes(target / "Session.ardour"), before);
  EXPECT_EQ(NamesIn(folder), std::vector<std::string>{"Session"});
}

TEST_F(ArdourFaults, AFolderAKilledWriterLeftIsClearedAndOneOfARunningWriterIsNot) {
  const fs::path abandoned = folder / ".Session.tp-partial-999999999", running = folder / ".Session.tp-partial-1";
  fs::create_directories(abandoned / "interchange");
  fs::create_directories(running);
  ASSERT_EQ(write().outcome, ConversionResult::Converted);
  EXPECT_FALSE(fs::exists(abandoned));
  EXPECT_TRUE(fs::exists(running)) << "process 1 is alive";
}

}  // namespace
}  // namespace tp
