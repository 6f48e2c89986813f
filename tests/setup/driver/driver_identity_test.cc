#include "setup/driver/driver_identity.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_system.h"
#include "setup/app/setup_context.h"

namespace {

TEST(ParseDriverInfTextTest, TakesFirstMarkersWithTheirLinesAndTheQuotedName) {
  DriverInf inf = ParseDriverInfText(
      u"[M]\r\n\"TAVIR TQ-5800\" = TQ5800, USBPRINT\\TAVIRTQ-5800TQMM\r\n"
      u"\"X\" = TQ5800, LPTENUM\\TAVIRTQPRINTER5800\r\n"
      u"\"Y\" = Other, USBPRINT\\SECOND\r\n");
  EXPECT_EQ(inf.usbHardwareId, L"USBPRINT\\TAVIRTQ-5800TQMM");
  EXPECT_EQ(inf.lptHardwareId, L"LPTENUM\\TAVIRTQPRINTER5800");
  EXPECT_EQ(inf.modelName, L"TAVIR TQ-5800");
}

TEST(ParseDriverInfTextTest, EdgesOfMarkersAndNames) {
  // A comment mentioning the marker wins; lower case does not count.
  DriverInf inf = ParseDriverInfText(u"; usbprint\\no\n; see USBPRINT\\COMMENT here\n\"A\"=s, USBPRINT\\REAL\n");
  EXPECT_EQ(inf.usbHardwareId, L"USBPRINT\\COMMENT here");
  EXPECT_EQ(inf.modelName, L"");
  // Trailing text after the id stays; blanks inside quotes stay.
  inf = ParseDriverInfText(u"x\n\"  Name \" = s, USBPRINT\\ID, LPTENUM\\L2 ; c\r\n");
  EXPECT_EQ(inf.usbHardwareId, L"USBPRINT\\ID, LPTENUM\\L2 ; c");
  EXPECT_EQ(inf.lptHardwareId, L"LPTENUM\\L2 ; c");
  EXPECT_EQ(inf.modelName, L"  Name ");
  // No line feed after the marker: empty id and name.
  inf = ParseDriverInfText(u"x\n\"A\" = s, USBPRINT\\LAST");
  EXPECT_EQ(inf.usbHardwareId, L"");
  EXPECT_EQ(inf.modelName, L"");
  // One quote only on the line: no name.
  inf = ParseDriverInfText(u"\"a\"\n\"A = s, USBPRINT\\ID\n");
  EXPECT_EQ(inf.usbHardwareId, L"USBPRINT\\ID");
  EXPECT_EQ(inf.modelName, L"");
}

TEST(IsOfferedHardwareIdTest, RefusesEmptyAndFfffInAnyCase) {
  EXPECT_FALSE(IsOfferedHardwareId(L""));
  EXPECT_FALSE(IsOfferedHardwareId(L"LPTENUM\\XfFfF"));
  EXPECT_TRUE(IsOfferedHardwareId(L"LPTENUM\\XFFFE"));
  EXPECT_TRUE(IsOfferedHardwareId(L"USBPRINT\\TAVIRTQ-5800TQMM"));
}

TEST(LoadDriverIdentityTest, ReadsTheInfBesideTheProgram) {
  pf::sim::ScopedSimPc pc;
  pc->system().SetModulePath(L"D:\\Setup\\setup.exe");
  ASSERT_TRUE(pc->files().WriteFileBytes(L"D:\\Setup\\TQPRINTER.INF",
                                         "\"TQ M\" = s, USBPRINT\\U1\r\n\"TQ M\" = s, LPTENUM\\L1\r\n"));
  EXPECT_EQ(GetProgramFolder(), L"D:\\Setup");
  SetupContext context;
  EXPECT_TRUE(LoadDriverIdentity(&context));
  EXPECT_EQ(context.usbHardwareId, L"USBPRINT\\U1");
  EXPECT_EQ(context.lptHardwareId, L"LPTENUM\\L1");
  EXPECT_EQ(context.driverModel, L"TQ M");
  EXPECT_EQ(context.deviceDescription, L"TQ M");
}

TEST(LoadDriverIdentityTest, MissingInfLeavesFieldsEmpty) {
  pf::sim::ScopedSimPc pc;
  pc->system().SetModulePath(L"setup.exe");
  EXPECT_EQ(GetProgramFolder(), L"");
  SetupContext context;
  context.deviceDescription = L"old";
  EXPECT_FALSE(LoadDriverIdentity(&context));
  EXPECT_EQ(context.usbHardwareId, L"");
  EXPECT_EQ(context.driverModel, L"");
  EXPECT_EQ(context.deviceDescription, L"");
}

// Found by the fault sweep: a read that failed was taken for an empty INF,
// so the wizard went on without a driver model or connection ids and ended
// in a misleading result (no USB printer, or the print UI adding nothing).
TEST(LoadDriverIdentityTest, AnInfThatCannotBeReadCountsAsMissing) {
  const std::string inf = "\"TQ M\" = s, USBPRINT\\U1\r\n\"TQ M\" = s, LPTENUM\\L1\r\n";
  for (bool partway : {false, true}) {
    SCOPED_TRACE(partway ? "a read that fails partway" : "the first read failing");
    pf::sim::ScopedSimPc pc;
    pc->system().SetModulePath(L"D:\\Setup\\setup.exe");
    ASSERT_TRUE(pc->files().WriteFileBytes(L"D:\\Setup\\TQPRINTER.INF", inf));
    if (partway) {
      ASSERT_TRUE(pc->files().FailReadsAfter(L"D:\\Setup\\TQPRINTER.INF", 10));
    } else {
      pc->kernel().FailCall("ReadFile", pf::ERROR_READ_FAULT, 0);
    }
    SetupContext context;
    EXPECT_FALSE(LoadDriverIdentity(&context));
    EXPECT_EQ(context.usbHardwareId, L"");
    EXPECT_EQ(context.lptHardwareId, L"");
    EXPECT_EQ(context.driverModel, L"");
    EXPECT_EQ(pc->kernel().OpenHandleCount(), 0u);
  }
}

}  // namespace
