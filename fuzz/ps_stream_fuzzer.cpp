// Fuzz harness: the PostScript stream in both modes, with the watermark and the finishing
// insertions switched on.
//
// The job's PostScript is whatever the fuzzer gives; it reaches the stream through a
// sequenced-packet socket on standard input, one packet per chosen chunk, so that every read of
// the stream ends where the input says (line ends, insertion lines and long-line pieces fall on
// read boundaries).  The output must be the input byte for byte with exactly the insertions of the
// job at exactly their lines: the expected stream is built by a plain model of the line rules (one
// byte at a time, lines cut into pieces of 8065 bytes, the page comments that decide where a page
// closed by "showpage" ends), with each insertion point's PostScript taken from the job itself.  In decomposition mode the PJL written before the switch into
// PostScript must be whole PJL lines without a stray quote or control byte.
//
// Input: byte 0 chooses the mode (bit 0: decomposition), the layout (bit 1: 4-up, so the
// finishing blocks go before the setpagedevice line) and the chunk (bits 2-7: 0 for 64 KiB, 1-47
// bytes, or 1-16 KiB).  The rest is the PostScript; the byte 0x01 followed by a 16-bit count
// (high byte first) and a byte stands for that byte repeated, so that long lines are within reach.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "filter/module_steps.h"
#include "filter/envelope.h"
#include "filter/decomp_mode.h"
#include "filter/ps_stream.h"
#include "fuzz_support.h"
#include "modules/watermark/watermark.h"

namespace tf::fuzz {
namespace {

constexpr std::size_t kModelPieceSize = 8065;
constexpr std::size_t kMaxExpanded = 48 * 1024;  // room for lines of several pieces

// A watermark on every page, separator pages, the image shift and the automatic fit.
std::string JobOptionsText(bool nup4) {
  const std::string p = "com.brantlowe.ticket.";
  std::string options =
      p + "WMARKTypeTicket=0 " + p + "WMARKNameTicket=Confidential " + p +
      "WMARKTextTicket=(CONFIDENTIAL) " + p + "WMARKOnlyFirstTicket=0 " + p +
      "WMARKFontTicket=Helvetica " + p + "WMARKFontSizeTicket=48 " + p +
      "WMARKColorRTicket=1 " + p + "WMARKColorGTicket=0 " + p + "WMARKColorBTicket=0 " + p +
      "WMARKDensityTicket=50 " + p + "WMARKAngleTicket=45 " + p + "WMARKOrientationTicket=1 " + p +
      "WMARKPaperWidthTicket=595 " + p + "WMARKPaperHeightTicket=842 " + p +
      "WMARKWidthTicket=400 " + p + "WMARKHeightTicket=60 " + p + "SeparatorPageListTicket=0 " +
      p + "SeparatorPageTicket='1 3' " + p + "BookletMarginSwitchTicket=1 " + p +
      "BookletMarginMMShiftTicket=5 " + p + "AutoFitSwitchTicket=1";
  if (nup4) {
    options +=
        " com.apple.print.PrintSettings.PMLayoutRows..n.=2"
        " com.apple.print.PrintSettings.PMLayoutColumns..n.=2";
  }
  return options;
}

// The points whose insertion does not depend on the page: what they write is the same each time.
constexpr int kPoints[] = {kPointBeginProlog, kPointEndProlog,    kPointEndSetup,
                           kPointSetPageDevice, kPointPageBegin, kPointBeginPage};

// What the watermark writes at the page points, by what the page did before: after a page setup
// whose page called "bp" before it ended (the page-start save), after the first page setup of a
// job without "bp" there (the page-end procedures and the arming), after a later one (the arming);
// at a page end, on a page that armed the page-end procedure or not.
struct PageInsertions {
  std::string setupAfterBp, setupFirst, setupArm;
  std::string ep, epArmed, endp, endpArmed, showpage, showpageArmed;
};

// One prepared job per mode and layout, reused from run to run (its once-flags stay armed, as the
// watermark is on every page), with the PostScript each insertion point writes.
struct PreparedJob {
  std::unique_ptr<MemoryFile> ppd;
  std::unique_ptr<InProcessJob> job;
  std::array<std::string, 32> insertion;
  PageInsertions page;
};

// What `point` writes when the watermark's page flow is `flow` before it.
WatermarkPageFlow& FlowOf(InProcessJob& job) {
  return job.job().Record<WatermarkRecord>(WatermarkModule).flow;
}

std::string InsertionAt(InProcessJob& job, int point, const WatermarkPageFlow& flow) {
  FlowOf(job) = flow;
  job.ResetOutput();
  OutputPSCommandFromFilter(job.job(), point, 1, job.job().out);
  return job.Output();
}

PreparedJob& Prepared(bool decomp, bool nup4) {
  static std::array<std::unique_ptr<PreparedJob>, 4> jobs;
  auto& slot = jobs[(decomp ? 1 : 0) + (nup4 ? 2 : 0)];
  if (slot) return *slot;
  slot = std::make_unique<PreparedJob>();
  const std::string attributes = std::string("*ColorDevice: False\n") +
                                 (decomp ? "*QMPSDecompMode: \"1\"\n" : "") +
                                 "*QMPrinterLanguageEncoding: \"UTF-8\"\n";
  slot->ppd = std::make_unique<MemoryFile>(MakePpd(attributes));
  InProcessJob::Args args;
  args.options = JobOptionsText(nup4);
  slot->job = std::make_unique<InProcessJob>(FullProgram(), args, slot->ppd->path());
  slot->job->ReadTickets();
  if (IsDecompositionMode(slot->job->job()) != decomp) Fail("the PPD does not set the mode");
  for (int point : kPoints) {
    slot->insertion[static_cast<std::size_t>(point)] = InsertionAt(*slot->job, point, {});
  }
  InProcessJob& j = *slot->job;
  const WatermarkPageFlow bp{1, 0, 0, 0, 0}, none{}, defined{0, 0, 0, 0, 1};
  const WatermarkPageFlow armed{0, 1, 1, 0, 1}, saved{1, 1, 0, 1, 0};
  slot->page = {InsertionAt(j, kPointEndPageSetup, bp),
                InsertionAt(j, kPointEndPageSetup, none),
                InsertionAt(j, kPointEndPageSetup, defined),
                InsertionAt(j, kPointEndPage, none),
                InsertionAt(j, kPointEndPage, armed),
                InsertionAt(j, kPointEndPageP, none),
                InsertionAt(j, kPointEndPageP, armed),
                InsertionAt(j, kPointPageSave, saved),
                InsertionAt(j, kPointPageSave, armed)};
  FlowOf(j) = {};
  if (slot->page.ep.empty() || slot->insertion[kPointBeginProlog].empty()) {
    Fail("the watermark is not on");
  }
  if ((nup4 ? slot->insertion[kPointSetPageDevice] : slot->insertion[kPointEndSetup]).empty()) {
    Fail("the finishing blocks are not on");
  }
  return *slot;
}

std::string Expand(const std::uint8_t* data, std::size_t size) {
  std::string out;
  for (std::size_t i = 0; i < size && out.size() < kMaxExpanded; ++i) {
    if (data[i] == 0x01 && i + 3 < size) {
      const std::size_t count = (std::size_t{data[i + 1]} << 8) | data[i + 2];
      out.append(std::min(count, kMaxExpanded - out.size()), static_cast<char>(data[i + 3]));
      i += 3;
    } else {
      out += static_cast<char>(data[i]);
    }
  }
  return out;
}

std::size_t ChunkSize(unsigned selector) {
  if (selector == 0) return 64 * 1024;
  if (selector < 48) return selector;
  return (selector - 47) * 1024;
}

// A comment that page accounting looks at: a whole line of 7 to 255 bytes.
bool IsAccountingComment(std::string_view line) {
  if (line.size() < 7 || line.size() > 255) return false;
  return line.starts_with("%%Page:") || line.starts_with("%%BeginDocument") ||
         line.starts_with("%%EndDocument") || line.starts_with("%RBINumCopies:");
}

// The stream as the line rules make it: every byte of the input in order, long lines in pieces of
// 8065 bytes of which only the last is matched, and each insertion at its line.  A page's setup
// ends at its first "%%EndPageSetup" outside an embedded document: there the watermark opens the
// page-start save when the page called "bp" before, else arms its page-end procedure (defining it
// the first time).  A page closed by "showpage" (a page whose setup ended, in a job without "ep" or
// "endp" so far, outside an embedded document) gets point 29 before its "showpage"; "%%Page:",
// "ep", "endp" and that "showpage" start a page anew.
std::string ExpectedStream(std::string_view input, bool decomp, const PreparedJob& prepared) {
  const auto& at = prepared.insertion;
  const PageInsertions& page = prepared.page;
  std::string out;
  std::string line;
  bool prologEndSeen = false;
  bool sawPageEnd = false;
  bool pageSetupEnded = false;
  bool bpBeforeSetup = false;
  bool armed = false;
  bool defined = false;
  int documentDepth = 0;
  auto newPage = [&] {
    pageSetupEnded = false;
    bpBeforeSetup = false;
    armed = false;
  };
  for (std::size_t i = 0; i < input.size(); ++i) {
    const char c = input[i];
    if (c != '\n' && c != '\r') {
      line += c;
      if (line.size() == kModelPieceSize) {
        out += line;
        line.clear();
      }
      continue;
    }
    const std::string whole = line + c;
    line.clear();
    // Decomposition mode reads one byte ahead: a line ended by the input's last byte is written
    // as it stands.
    if (decomp && i + 1 == input.size()) {
      out += whole;
    } else if (whole.compare(0, whole.size() - 1, "ep") == 0) {
      out += (armed ? page.epArmed : page.ep) + whole;
      sawPageEnd = true;
      newPage();
    } else if (whole.compare(0, whole.size() - 1, "endp") == 0) {
      out += (armed ? page.endpArmed : page.endp) + whole;
      sawPageEnd = true;
      newPage();
    } else if (whole.compare(0, whole.size() - 1, "showpage") == 0) {
      if (pageSetupEnded && !sawPageEnd && documentDepth == 0) {
        out += armed ? page.showpageArmed : page.showpage;
        newPage();
      }
      out += whole;
    } else if (whole.compare(0, whole.size() - 1, "bp") == 0) {
      out += whole + at[kPointBeginPage];
      if (!pageSetupEnded) bpBeforeSetup = true;
    } else if (whole.compare(0, whole.size() - 1, "%%EndSetup") == 0) {
      out += at[kPointEndSetup] + whole;
    } else if (whole.compare(0, whole.size() - 1, "userdict/setpagedevice{pop}bind put") == 0) {
      out += at[kPointSetPageDevice] + whole;
    } else if (whole.compare(0, whole.size() - 1, "%%EndPageSetup") == 0) {
      out += whole;
      if (documentDepth == 0 && !pageSetupEnded) {
        pageSetupEnded = true;
        if (bpBeforeSetup) {
          out += page.setupAfterBp;
        } else {
          out += defined ? page.setupArm : page.setupFirst;
          defined = true;
          armed = true;
        }
      }
    } else if (whole.compare(0, whole.size() - 1, "%%BeginProlog") == 0) {
      out += whole + at[kPointBeginProlog];
    } else if (whole.compare(0, whole.size() - 1, "%%EndProlog") == 0) {
      if (!prologEndSeen) out += at[kPointEndProlog];
      out += whole;
      prologEndSeen = true;
    } else {
      const std::string_view text(whole.data(), whole.size() - 1);
      if (IsAccountingComment(text)) {
        if (text.starts_with("%%BeginDocument")) {
          ++documentDepth;
        } else if (text.starts_with("%%EndDocument")) {
          if (documentDepth > 0) --documentDepth;
        } else if (documentDepth == 0 && text.starts_with("%%Page:")) {
          out += at[kPointPageBegin];
          newPage();
        }
      }
      out += whole;
    }
  }
  out += line;
  if (!decomp || (!input.empty() && input.back() != '\x04')) out += '\x04';
  return out;
}

// Every line of the PJL that decomposition mode writes before the switch into PostScript: a PJL
// command ended by its line feed, no control byte inside, a quoted value without a quote.
void CheckFeaturePjl(std::string_view pjl) {
  std::size_t start = 0;
  while (start < pjl.size()) {
    const std::size_t end = pjl.find('\n', start);
    if (end == std::string_view::npos) Fail("feature PJL without its line end", pjl.substr(start));
    const std::string_view line = pjl.substr(start, end - start);
    if (line.substr(0, 9) != "@PJL SET ") Fail("feature PJL line is not a PJL command", line);
    const std::size_t quotes = static_cast<std::size_t>(std::count(line.begin(), line.end(), '"'));
    if (quotes != 0 && (quotes != 2 || line.back() != '"')) {
      Fail("feature PJL line with a stray quote", line);
    }
    for (unsigned char c : line) {
      if (c < 0x20 || c == 0x7F) Fail("feature PJL line with a control byte", line);
    }
    start = end + 1;
  }
}

// Sends `input` in packets of `chunk` bytes on `fd`, then closes it.
void SendPackets(int fd, std::string input, std::size_t chunk) {
  for (std::size_t at = 0; at < input.size(); at += chunk) {
    const std::size_t n = std::min(chunk, input.size() - at);
    if (::send(fd, input.data() + at, n, MSG_NOSIGNAL) != static_cast<ssize_t>(n)) break;
  }
  ::close(fd);
}

std::size_t FirstDifference(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return i;
}

}  // namespace
}  // namespace tf::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::signal(SIGPIPE, SIG_IGN);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tf;
  using namespace tf::fuzz;
  if (size == 0) return 0;
  const bool decomp = (data[0] & 1) != 0;
  const bool nup4 = (data[0] & 2) != 0;
  const std::size_t chunk = ChunkSize(data[0] >> 2);
  const std::string input = Expand(data + 1, size - 1);

  PreparedJob& prepared = Prepared(decomp, nup4);
  Job& job = prepared.job->job();
  prepared.job->ResetOutput();
  FlowOf(*prepared.job) = {};

  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets) != 0) {
    Fail("socketpair failed");
  }
  std::thread writer(SendPackets, sockets[1], input, chunk);

  const char* tmpdir = std::getenv("TMPDIR");
  const StreamStatus status =
      decomp ? OutputPSStreamtoFileandInsertPJLforFeaturePDE(job, sockets[0],
                                                             tmpdir != nullptr ? tmpdir : "")
             : OutputPSStream(job, sockets[0]);

  ::close(sockets[0]);  // a writer still sending stops
  writer.join();

  if (status != StreamStatus::Completed) Fail("the stream did not complete");
  std::string output = prepared.job->Output();
  if (decomp) {
    const std::string_view enter = "@PJL ENTER LANGUAGE=POSTSCRIPT\n";
    const std::size_t at = output.find(enter);
    if (at == std::string::npos) Fail("no switch into PostScript");
    CheckFeaturePjl(std::string_view(output).substr(0, at));
    output.erase(0, at + enter.size());
  }
  const std::string expected = ExpectedStream(input, decomp, prepared);
  if (output != expected) {
    const std::size_t at = FirstDifference(output, expected);
    const std::size_t from = at > 40 ? at - 40 : 0;
    Fail("the stream is not the input with its insertions",
         "at byte " + std::to_string(at) + ", written: " + output.substr(from, 100) +
             " | expected: " + expected.substr(from, 100));
  }
  return 0;
}
