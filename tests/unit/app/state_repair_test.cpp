// Jobs that a stopped service left printing come back pending, and nothing else of the state file
// changes.
#include "state_repair.h"

#include <gtest/gtest.h>

namespace tf::app {
namespace {

TEST(StateRepairTest, ProcessingJobsBecomePendingAndEverythingElseStays) {
  const std::string state =
      "DNSSDName \"x\"\n"
      "<Printer name=\"office\" did=\"\" id=\"1\" driver=\"tf-color-utf8\">\n"
      "Job created=\"1700000000\" filename=\"/s/p00001j00007.ps\" format=\"application/"
      "postscript\" id=\"7\" name=\"state=\\\"5\\\"\" processing=\"1700000001\" state=\"5\" "
      "username=\"alice\"\n"
      "Job id=\"8\" name=\"queued\" state=\"3\" username=\"bob\"\n"
      "Job id=\"9\" name=\"done\" state=\"9\" username=\"bob\"\n"
      "Job id=\"10\" name=\"a \\\\\" state=\"5\" username=\"bob\"\n"
      "</Printer>\n";
  const RequeuedState repaired = RequeueInterruptedJobs(state);
  EXPECT_EQ(repaired.jobIds, (std::vector<int>{7, 10}));
  std::string expected = state;
  const std::size_t first = expected.find("processing=\"1700000001\" state=\"5\"");
  expected.replace(expected.find("state=\"5\"", first), 9, "state=\"3\"");
  expected.replace(expected.rfind("state=\"5\""), 9, "state=\"3\"");
  EXPECT_EQ(repaired.text, expected);
  // The job name that holds the text of a state is left as it is.
  EXPECT_NE(repaired.text.find("name=\"state=\\\"5\\\"\""), std::string::npos);
}

TEST(StateRepairTest, FileWithoutInterruptedJobsIsUnchanged) {
  const std::string state = "Job id=\"1\" state=\"3\"\nJob id=\"2\" state=\"4\"\nNoNewlineAtEnd";
  const RequeuedState repaired = RequeueInterruptedJobs(state);
  EXPECT_EQ(repaired.text, state);
  EXPECT_TRUE(repaired.jobIds.empty());
  EXPECT_EQ(RequeueInterruptedJobs("").text, "");
}

}  // namespace
}  // namespace tf::app
