// The PostScript stream through the built programs: bytes kept exactly, control-D, page lines.
#include <gtest/gtest.h>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

const std::string kJob =
    "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def /ep {showpage} def\n%%EndProlog\n"
    "%%Page: 1 1\nbp\n(one) show\nep\n%%Page: 2 2\nbp\n(two) show\nep\n%%Page: 3 3\nbp\nep\n"
    "%%EOF\n";

// The jobs below are printed twice: the page lines carry the copies.
const std::string kCopies = "2";

FilterRun RunTicketfilter(const std::string& input, const std::string& program = "ticketfilter") {
  FilterInvocation inv;
  inv.program = program;
  inv.input = input;
  inv.ppd = DataPath("plain.ppd");
  inv.copies = kCopies;
  return RunFilterProgram(inv);
}

TEST(StreamTest, PostScriptFromStandardInputAndFromAFileIsTheSame) {
  TempDir dir;
  WriteFile(dir.File("job.ps"), kJob);
  FilterInvocation inv;
  inv.ppd = DataPath("plain.ppd");
  inv.file = dir.File("job.ps");
  const FilterRun fromFile = RunFilterProgram(inv);
  const FilterRun fromStdin = RunTicketfilter(kJob);
  ASSERT_EQ(fromFile.exitStatus, 0);
  ASSERT_EQ(fromStdin.exitStatus, 0);
  const StreamParts parts = SplitStream(fromFile.out);
  ASSERT_TRUE(parts.ok);
  EXPECT_EQ(parts.postscript, kJob + "\x04");
  EXPECT_EQ(fromFile.out, fromStdin.out);
}

// A print file of some megabytes goes to the printer by splice in long spans, between the
// watermark's insertions and the page lines: the same bytes as from standard input.
TEST(StreamTest, LargePrintFileIsTheSameAsFromStandardInput) {
  std::string job = "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def\n%%EndProlog\n";
  for (int page = 1; job.size() < (4u << 20); ++page) {
    job += "%%Page: " + std::to_string(page) + " " + std::to_string(page) + "\nbp\n";
    // Pages of very different sizes: spans below and above what goes by splice.
    const int lines = page % 5 == 0 ? 3000 : 20;
    for (int line = 0; line < lines; ++line) job += "72 " + std::to_string(line) + " m (x) s\n";
    job += "ep\n";
  }
  job += "%%EOF\n";
  const std::string prefix = "com.brantlowe.ticket.";
  for (const std::string& options :
       {std::string(), prefix + "WMARKNameTicket=Confidential " + prefix + "WMARKTypeTicket=0 " +
                           prefix + "WMARKOnlyFirstTicket=0 " + prefix + "WMARKTextTicket=(S)"}) {
    TempDir dir;
    WriteFile(dir.File("job.ps"), job);
    FilterInvocation inv;
    inv.ppd = DataPath("plain.ppd");
    inv.options = options;
    inv.file = dir.File("job.ps");
    const FilterRun fromFile = RunFilterProgram(inv);
    inv.file.reset();
    inv.input = job;
    const FilterRun fromStdin = RunFilterProgram(inv);
    ASSERT_EQ(fromFile.exitStatus, 0) << fromFile.err;
    ASSERT_EQ(fromStdin.exitStatus, 0) << fromStdin.err;
    EXPECT_TRUE(fromFile.out == fromStdin.out) << options;
    EXPECT_EQ(fromFile.err, fromStdin.err);
    if (options.empty()) {
      const StreamParts parts = SplitStream(fromFile.out);
      ASSERT_TRUE(parts.ok);
      EXPECT_TRUE(parts.postscript == job + "\x04");
    }
  }
}

TEST(StreamTest, LineEndsAndOddBytesAreKeptByteForByte) {
  const std::vector<std::string> inputs = {
      "%!PS\r\nbp\r\nep\r\n%%EOF\r\n",                        // CR LF
      "%!PS\rbp\rep\r%%EOF\r",                                // CR
      std::string("%!PS\n(a\0b) show\n\0\0\nep\n", 23),       // NUL bytes
      "%!PS\n" + std::string(20000, 'h') + "\nep\n",          // a 20000-character line
      "%!PS\nbp\nep\nlast line without end",                  // no final line end
      "",                                                     // empty
  };
  for (const std::string& input : inputs) {
    for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
      const FilterRun run = RunTicketfilter(input, program);
      ASSERT_EQ(run.exitStatus, 0);
      const StreamParts parts = SplitStream(run.out);
      ASSERT_TRUE(parts.ok) << program;
      EXPECT_EQ(parts.postscript, input + "\x04") << program;
    }
  }
}

TEST(StreamTest, PageLineAfterEveryEp) {
  const FilterRun run = RunTicketfilter(kJob);
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 2\nPAGE:2 2\nPAGE:3 2\n");
}

TEST(StreamTest, PageLinesNeverCarryRawArgumentText) {
  FilterInvocation inv;
  inv.input = "ep\n";
  inv.copies = "2\nERROR: forged";
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.err.find("forged"), std::string::npos);
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 1\n");
}

TEST(StreamTest, EndpAndShowpageWriteNoPageLine) {
  const FilterRun run = RunTicketfilter("endp\nshowpage\n");
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "");
}

}  // namespace
}  // namespace tf::test
