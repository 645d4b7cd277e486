// The booklet attributes through the built programs: where they stand in the header, for which
// printers, and what they say.
#include <gtest/gtest.h>

#include <string>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

FilterRun RunJob(const std::string& ppd, const std::string& options,
                 const std::string& program = "ticketfilter") {
  FilterInvocation inv;
  inv.program = program;
  inv.ppd = DataPath(ppd);
  inv.options = options;
  inv.input = "%!PS\n";
  return RunFilterProgram(inv);
}

std::string BookletLines(const FilterRun& run) {
  return LinesStartingWith(SplitStream(run.out).header, "@PJL SET JOBATTR=\"@DI");
}

TEST(BookletLinesTest, DividedLeftBookletAfterTheFinishingRowsBeforeTheRenderMode) {
  const FilterRun run = RunJob("utf8.ppd",
                               "QMSignature=LeftSigFold QMSigVol=5Sheets number-up=2 "
                               "com.brantlowe.ticket.EjectOptionsListTicket=3 QMColorMode=Color");
  ASSERT_EQ(run.exitStatus, 0);
  const std::string header = SplitStream(run.out).header;
  const std::string lines =
      "@PJL SET JOBATTR=\"@DIND=LANDSCAPE\"\n"
      "@PJL SET JOBATTR=\"@DIBB=LEFT\"\n"
      "@PJL SET JOBATTR=\"@DIBK=MANUALDIVIDE\"\n";
  const std::size_t at = header.find(lines);
  ASSERT_NE(at, std::string::npos) << header;
  EXPECT_LT(header.find("@PJL SET JOBATTR=\"@FACE=UP\"\n"), at);
  EXPECT_EQ(header.find("@PJL SET RENDERMODE=COLOR\n"), at + lines.size());
}

TEST(BookletLinesTest, BothProgramsOnUtf8PrintersOnly) {
  const std::string options = "QMSignature=RightSig orientation-requested=4";
  const std::string expected =
      "@PJL SET JOBATTR=\"@DIND=LANDSCAPE\"\n"
      "@PJL SET JOBATTR=\"@DIBB=RIGHT\"\n"
      "@PJL SET JOBATTR=\"@DIBK=NONEDIVIDE\"\n";
  for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
    EXPECT_EQ(BookletLines(RunJob("utf8.ppd", options, program)), expected) << program;
    EXPECT_EQ(BookletLines(RunJob("utf8-nocomment.ppd", options, program)), expected) << program;
    for (const char* ppd : {"bytemode.ppd", "plain.ppd", "model-code.ppd"}) {
      EXPECT_EQ(BookletLines(RunJob(ppd, options, program)), "") << program << " " << ppd;
    }
  }
}

TEST(BookletLinesTest, SignatureChoices) {
  struct Case {
    const char* ppd;
    const char* options;
    const char* lines;
  };
  const Case cases[] = {
      // No booklet ticket: the orientation alone, or the printer's default choice "None".
      {"utf8.ppd", "", "@PJL SET JOBATTR=\"@DIND=PORTRAIT\"\n"},
      {"utf8-booklet.ppd", "",
       "@PJL SET JOBATTR=\"@DIND=PORTRAIT\"\n@PJL SET JOBATTR=\"@DIBB=OFF\"\n"
       "@PJL SET JOBATTR=\"@DIBK=OFF\"\n"},
      {"utf8.ppd", "QMSignature=None QMSigVol=10Sheets",
       "@PJL SET JOBATTR=\"@DIND=PORTRAIT\"\n@PJL SET JOBATTR=\"@DIBB=OFF\"\n"
       "@PJL SET JOBATTR=\"@DIBK=OFF\"\n"},
      // 6-up with the default orientation turns the pages; the booklet option's default subset
      // "None" does not divide.
      {"utf8-booklet.ppd", "QMSignature=RightSigCenterStaple number-up=6",
       "@PJL SET JOBATTR=\"@DIND=LANDSCAPE\"\n@PJL SET JOBATTR=\"@DIBB=RIGHT\"\n"
       "@PJL SET JOBATTR=\"@DIBK=NONEDIVIDE\"\n"},
      {"utf8.ppd", "QMSignature=Other QMSigVol=3",
       "@PJL SET JOBATTR=\"@DIND=PORTRAIT\"\n@PJL SET JOBATTR=\"@DIBK=MANUALDIVIDE\"\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BookletLines(RunJob(c.ppd, c.options)), c.lines) << c.ppd << " " << c.options;
  }
}

}  // namespace
}  // namespace tf::test
