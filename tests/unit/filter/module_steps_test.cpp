// The module contract as the filter keeps it: every step runs over the program's module list in
// its order, each module with a record of its own that starts zeroed with every job; the envelope
// puts each step's output in its place; and the two programs list their modules in output order.
#include "filter/module_steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/job.h"
#include "filter/filter_job.h"
#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

// The record of the tracing modules: every step counts itself in it.
struct TraceRecord {
  std::int32_t steps;
  char name;
};

TraceRecord& RecordOf(void* record) { return *static_cast<TraceRecord*>(record); }

// A module that takes part in every step and says so: on the job's log for the steps before the
// output, in the printer stream for the others.  `Letter` names it.
template <char Letter>
void Trace(Job& job, void* record, const char* step) {
  TraceRecord& trace = RecordOf(record);
  if (trace.name == 0) trace.name = Letter;
  EXPECT_EQ(trace.name, Letter) << "a module got another module's record";
  ++trace.steps;
  job.log.Debug("%c %s %d", Letter, step, trace.steps);
}

template <char Letter>
void Write(Job& job, void* record, const std::string& what) {
  RecordOf(record).steps++;
  job.out.Write(std::string(1, Letter) + " " + what + "\n");
}

template <char Letter>
constexpr ModuleDescriptor TraceModule{
    .name = "trace",
    .record = RecordTypeOf<TraceRecord>(),
    .prepare = [](Job& job, void* record) { Trace<Letter>(job, record, "prepare"); },
    .querySystem = [](Job& job, void* record) { Trace<Letter>(job, record, "querySystem"); },
    .readTickets = [](Job& job, void* record) { Trace<Letter>(job, record, "readTickets"); },
    .writeBeforeJob = [](Job& job, void* record) { Write<Letter>(job, record, "before job"); },
    .writeHeader = [](Job& job, void* record) { Write<Letter>(job, record, "header"); },
    .writeJobInfo =
        [](Job& job, void* record, JobInfoBlock block) {
          Write<Letter>(job, record, block == JobInfoBlock::Extended ? "info 1.5" : "info 1.3");
        },
    .insertPostScript =
        [](Job& job, void* record, const PsInsertion& at, PrinterStream& out) {
          ++RecordOf(record).steps;
          out.Write(std::string(1, Letter) + " point " + std::to_string(at.point) + " page " +
                    std::to_string(at.page) + "\n");
          (void)job;
        },
};

// A module with no record and one step.
constexpr ModuleDescriptor HeaderOnlyModule{
    .name = "header only",
    .writeHeader =
        [](Job& job, void* record) {
          EXPECT_EQ(record, nullptr);
          job.out.Write("H header\n");
        },
};

constexpr const ModuleDescriptor* kTraceModules[] = {&TraceModule<'A'>, &HeaderOnlyModule,
                                                     &TraceModule<'B'>};
constexpr Program kTraceProgram{{"trace", "trace.", true, true}, kTraceModules};

InProcessRun RunTrace(const std::string& input, const std::string& ppd = "utf8.ppd") {
  TempDir dir;
  WriteFile(dir.File("job.ps"), input);
  FilterContext context;
  context.program = &kTraceProgram;
  context.printFile = dir.File("job.ps");
  context.ppdPath = DataPath(ppd);
  return RunInProcess(context);
}

TEST(ModuleStepsTest, EveryStepRunsOverTheModulesInListOrderEachWithItsOwnRecord) {
  const InProcessRun run =
      RunTrace("%!PS\n%%BeginProlog\n%%EndProlog\n%%Page: 1 1\nbp\n%%EndPageSetup\nep\n");
  ASSERT_EQ(run.status, 0) << run.log;
  // The steps before the output, in the job's order, module by module: a record starts zeroed.
  EXPECT_EQ(LinesStartingWith(run.log, "DEBUG: "),
            "DEBUG: A prepare 1\nDEBUG: B prepare 1\n"
            "DEBUG: A querySystem 2\nDEBUG: B querySystem 2\n"
            "DEBUG: A readTickets 3\nDEBUG: B readTickets 3\n");
  // The output steps in their places of the envelope.
  EXPECT_EQ(run.out,
            "A before job\nB before job\n"
            "\x1b%-12345X@PJL SET STRINGCODESET=UTF8\n@PJL JOB MODE=PRINTER\r\n"
            "A header\nH header\nB header\n"
            "@PJL COMMENT QMJOBINFO VERSION=1.5.0\nA info 1.5\nB info 1.5\n"
            "@PJL COMMENT QMJOBINFO END\n"
            "@PJL ENTER LANGUAGE=POSTSCRIPT\n"
            "%!PS\n%%BeginProlog\nA point 13 page 0\nB point 13 page 0\n"
            "A point 14 page 0\nB point 14 page 0\n%%EndProlog\n"
            "A point 22 page 0\nB point 22 page 0\n%%Page: 1 1\n"
            "bp\nA point 23 page 0\nB point 23 page 0\n"
            "%%EndPageSetup\nA point 24 page 0\nB point 24 page 0\n"
            "A point 27 page 1\nB point 27 page 1\nep\n"
            "\x04\x1b%-12345X@PJL EOJ\n");
}

TEST(ModuleStepsTest, TheEnvelopeChoosesTheCommentBlockTheModulesFill) {
  const std::string out = RunTrace("%!PS\n", "bytemode.ppd").out;
  EXPECT_NE(out.find("VERSION=1.3.0\nA info 1.3\nB info 1.3\n@PJL COMMENT QMJOBINFO END\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(RunTrace("%!PS\n", "plain.ppd").out.find(" info "), std::string::npos);
}

// The modules of both programs, in output order: the special-pages ticket precedes the job, the
// header lines follow the list (print type, account, finishing, perfect binding, booklet, line
// weight and render mode), the watermark's PostScript comes before the finishing's.  A program
// may list further modules between and after them; each module is listed once.
TEST(ProgramModulesTest, BothProgramsListTheirModulesInOutputOrder) {
  const std::vector<std::string> order = {
      "special pages", "names",           "print type", "account",
      "watermark",     "finishing",       "perfect binding", "booklet",
      "job-information comment"};
  for (const Program* program : {&FullProgram(), &BasicProgram()}) {
    SCOPED_TRACE(program->traits.programName);
    std::vector<std::string> names;
    for (const ModuleDescriptor* module : program->modules) {
      EXPECT_EQ(std::count(program->modules.begin(), program->modules.end(), module), 1)
          << module->name;
      names.push_back(module->name);
    }
    std::size_t next = 0;
    for (const std::string& name : names) {
      if (next < order.size() && name == order[next]) ++next;
    }
    EXPECT_EQ(next, order.size()) << "the modules out of order, or one missing, at "
                                  << (next < order.size() ? order[next] : "");
  }
  // The account module is each program's own (its tables); the others are shared.
  const auto find = [](const Program& program, const std::string& name) {
    for (const ModuleDescriptor* module : program.modules) {
      if (name == module->name) return module;
    }
    return static_cast<const ModuleDescriptor*>(nullptr);
  };
  for (const std::string& name : order) {
    EXPECT_EQ(find(FullProgram(), name) == find(BasicProgram(), name), name != "account")
        << name;
  }
}

// The header of a job that asks something of every module, in the order of the module list.
TEST(ProgramModulesTest, TheHeaderFollowsTheModuleList) {
  const std::string prefix = "com.brantlowe.ticket.";
  FilterContext context;
  context.program = &FullProgram();
  context.options = prefix + "KPIFCoverCountTicket=1 " + prefix +
                    "KPIFCoverValueTicket_0=0,0,front,tray " + prefix + "PrintTypeTicketKey=3 " +
                    prefix + "PrintTypeUserNameTicketKey=abc " + prefix +
                    "TrimmerSwitchTicket=1 " + prefix + "TrimmerMMCuttingSizeTicket=3 " +
                    "QMPBindPosition=BindLeft QMSignature=LeftSig QMLineWeightAdjustment=Normal "
                    "QMColorMode=Color";
  TempDir dir;
  WriteFile(dir.File("job.ps"), "%!PS\n");
  context.printFile = dir.File("job.ps");
  context.ppdPath = DataPath("utf8.ppd");
  const InProcessRun run = RunInProcess(context);
  ASSERT_EQ(run.status, 0) << run.log;
  const std::string marks[] = {"<?xml",                            // special pages
                               "\x1b%-12345X",                     // the envelope
                               "@PJL SET STRINGCODESET=UTF8",
                               "@PJL JOB MODE=PRINTER",
                               "@PJL SET HOLD=PROOF",              // print type
                               "@PJL SET JOBATTR=\"@CNAM=",        // account
                               "@PJL SET JOBATTR=\"@TRMR=3\"",     // finishing
                               "@PJL SET JOBATTR=\"@PBRE=LEFT\"",  // perfect binding
                               "@PJL SET JOBATTR=\"@DIND=",        // booklet
                               "@PJL SET JOBATTR=\"@LWAD=0\"",     // comment: line weight
                               "@PJL SET RENDERMODE=COLOR",        // comment: render mode
                               "@PJL COMMENT QMJOBINFO VERSION=1.5.0",
                               "@PJL ENTER LANGUAGE=POSTSCRIPT"};
  std::size_t last = 0;
  for (const std::string& mark : marks) {
    const std::size_t at = run.out.find(mark);
    ASSERT_NE(at, std::string::npos) << mark << "\n" << run.out;
    EXPECT_GE(at, last) << mark;
    last = at;
  }
}

}  // namespace
}  // namespace tf::test
