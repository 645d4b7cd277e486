// Page accounting through the built programs: the page lines for PostScript that a spooler has
// prepared (DSC "%%Page:" comments, no "ep"), the copies comment, and the rule that no page is
// counted twice.  The PostScript itself must come out unchanged.
#include <gtest/gtest.h>

#include <string>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

// PostScript as CUPS's pstops writes it: a copies comment, "%%Page:" comments, "showpage" and no
// "ep" or "endp".
const std::string kPreparedJob =
    "%!PS-Adobe-3.0\n%%Title: t\n%RBINumCopies: 3\n%%Pages: (atend)\n%%EndComments\n"
    "%%BeginProlog\n%%EndProlog\n%%BeginSetup\n%%EndSetup\n"
    "%%Page: 1 1\n%%PageBoundingBox: 0 0 595 842\n(one) show\nshowpage\n"
    "%%Page: 2 2\n(two) show\nshowpage\n"
    "%%Page: (iii) 3\n(three) show\nshowpage\n"
    "%%Trailer\n%%Pages: 3\n%%EOF\n";

FilterRun RunJob(const std::string& input, const std::string& copies = "2",
              const std::string& ppd = "plain.ppd", const std::string& program = "ticketfilter") {
  FilterInvocation inv;
  inv.program = program;
  inv.input = input;
  inv.ppd = DataPath(ppd);
  inv.copies = copies;
  return RunFilterProgram(inv);
}

TEST(PageAccountingTest, PreparedPostScriptGetsOnePageLinePerPageWithTheCommentsCopies) {
  for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
    const FilterRun run = RunJob(kPreparedJob, "2", "plain.ppd", program);
    ASSERT_EQ(run.exitStatus, 0) << program;
    // argv[4] says 2, but the document already asks the printer for 3 copies.
    EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 3\nPAGE:2 3\nPAGE:3 3\n") << program;
    const StreamParts parts = SplitStream(run.out);
    ASSERT_TRUE(parts.ok) << program;
    EXPECT_EQ(parts.postscript, kPreparedJob + "\x04") << program;
  }
}

TEST(PageAccountingTest, DecompositionModeCountsTheSamePages) {
  const FilterRun run = RunJob(kPreparedJob, "2", "decomp-mono.ppd");
  ASSERT_EQ(run.exitStatus, 0);
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 3\nPAGE:2 3\nPAGE:3 3\n");
  const std::size_t body = run.out.find(kEnterPostScript);
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(run.out.substr(body + kEnterPostScript.size()), kPreparedJob + "\x04" + kTrailer);
}

TEST(PageAccountingTest, WithoutACopiesCommentTheCopiesAreArgv4) {
  const FilterRun run = RunJob("%!PS\n%%Page: 1 1\nshowpage\n%%Page: 2 2\nshowpage\n%%EOF\n", "4");
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 4\nPAGE:2 4\n");
}

TEST(PageAccountingTest, JobsWithEpOrEndpAreNeverCountedTwice) {
  // "ep" keeps its own rule: a page line after each, none for the "%%Page:" comments.
  const FilterRun ep = RunJob("%!PS\n%RBINumCopies: 1\n%%Page: 1 1\nbp\nep\n%%Page: 2 2\nbp\nep\n");
  EXPECT_EQ(LinesStartingWith(ep.err, "PAGE:"), "PAGE:1 1\nPAGE:2 1\n");
  // "endp" writes no page line, and its job is not counted by comments either.
  const FilterRun endp = RunJob("%!PS\n%%Page: 1 1\nendp\n%%Page: 2 2\nendp\n");
  EXPECT_EQ(LinesStartingWith(endp.err, "PAGE:"), "");
  // One "ep" late in the job is enough.
  const FilterRun late = RunJob("%!PS\n%%Page: 1 1\nshowpage\n%%Page: 2 2\nep\n");
  EXPECT_EQ(LinesStartingWith(late.err, "PAGE:"), "PAGE:1 2\n");
}

TEST(PageAccountingTest, PagesOfEmbeddedDocumentsAreNotTheJobs) {
  const FilterRun run = RunJob(
      "%!PS\n%%Page: 1 1\n%%BeginDocument: inner.ps\n%%Page: 1 1\n%%BeginDocument: deeper\n"
      "%%Page: 1 1\n%RBINumCopies: 9\n%%EndDocument\n%%Page: 2 2\n%%EndDocument\nshowpage\n"
      "%%Page: 2 2\nshowpage\n%%EOF\n");
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 2\nPAGE:2 2\n");
}

TEST(PageAccountingTest, OnlyWholeDscCommentsCount) {
  // Near misses: a blank before, another case, "%%Pages:", a comment longer than a DSC line.
  const FilterRun run = RunJob(" %%Page: 1 1\n%%page: 1 1\n%%Pages: 3\n%%PageBoundingBox: 0 0 1 1\n"
                            "%%Page: " + std::string(300, 'x') + " 1\n%%Page: 1 1\nshowpage\n");
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 2\n");
}

TEST(PageAccountingTest, CopiesCommentsThatAreNotAPositiveNumberAreIgnoredAndNeverEchoed) {
  for (const std::string comment :
       {"%RBINumCopies: 0", "%RBINumCopies: -1", "%RBINumCopies: 2x", "%RBINumCopies:",
        "%RBINumCopies: 1234567890", "%RBINumCopies: 2 ERROR: forged", "%RBINumCopies: \x1b"}) {
    const FilterRun run = RunJob("%!PS\n" + comment + "\n%%Page: 1 1\nshowpage\n", "5");
    EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 5\n") << comment;
    EXPECT_EQ(run.err.find("forged"), std::string::npos);
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
  }
  // Blanks around a good number are fine; the largest nine-digit number is taken whole.
  const FilterRun tabs = RunJob("%RBINumCopies:\t 7 \n%%Page: 1 1\n", "5");
  EXPECT_EQ(LinesStartingWith(tabs.err, "PAGE:"), "PAGE:1 7\n");
  const FilterRun big = RunJob("%RBINumCopies: 999999999\n%%Page: 1 1\n", "5");
  EXPECT_EQ(LinesStartingWith(big.err, "PAGE:"), "PAGE:1 999999999\n");
}

TEST(PageAccountingTest, ACancelledJobWritesNoCountedPages) {
  // The pages are counted only once the whole PostScript went out; a job cancelled at a
  // "showpage" stops there and its counted pages are not reported.
  FilterInvocation inv;
  inv.ppd = DataPath("plain.ppd");
  inv.input = "%!PS\n%%Page: 1 1\n(page 1) show\nshowpage\n%%Page: 2 2\n";
  inv.stdinStaysOpen = true;
  inv.sigtermAfterSeconds = 0.5;
  inv.inputAfterSignal = "(page 2) show\nshowpage\n%%EOF\n";
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 0);
  const StreamParts parts = SplitStream(run.out);
  ASSERT_TRUE(parts.ok);
  EXPECT_EQ(parts.postscript, "%!PS\n%%Page: 1 1\n(page 1) show\nshowpage\n%%Page: 2 2\n(page 2) show\n");
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "");
}

// Many comments of every length around the read chunks: the bytes stay the same and every page is
// counted once.
TEST(PageAccountingTest, LargeJobsKeepTheirBytesAndCountEveryPage) {
  std::string job = "%!PS-Adobe-3.0\n%RBINumCopies: 2\n";
  int pages = 0;
  for (int i = 0; job.size() < 3 * 1024 * 1024; ++i) {
    job += "%%Page: (" + std::string(static_cast<std::size_t>(i % 230), 'p') + ") " +
           std::to_string(++pages) + (i % 3 == 0 ? "\r\n" : "\n");
    job += std::string(static_cast<std::size_t>((i * 7919) % 9000), 'd') + "\nshowpage\n";
  }
  const FilterRun run = RunJob(job, "1");
  ASSERT_EQ(run.exitStatus, 0);
  const StreamParts parts = SplitStream(run.out);
  ASSERT_TRUE(parts.ok);
  EXPECT_TRUE(parts.postscript == job + "\x04");
  std::string expected;
  for (int p = 1; p <= pages; ++p) expected += "PAGE:" + std::to_string(p) + " 2\n";
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), expected);
}

}  // namespace
}  // namespace tf::test
