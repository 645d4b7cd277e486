// Support for the fuzz harnesses.
#include "fuzz_support.h"

#include <iconv.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "filter/module_steps.h"
#include "filter/filter_job.h"
#include "ticketfilter-basic/program.h"
#include "ticketfilter/program.h"

namespace tf::fuzz {
namespace {

void WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n <= 0) Fail("cannot write a memory file");
    data.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace

MemoryFile::MemoryFile(std::string_view content) {
  fd_ = memfd_create("fuzz-file", MFD_CLOEXEC);
  if (fd_ < 0) Fail("memfd_create failed");
  WriteAll(fd_, content);
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
  if (fd_ >= 0) ::close(fd_);
}

const Program& FullProgram() { return TicketfilterProgram(); }
const Program& BasicProgram() { return TicketfilterBasicProgram(); }

void DiscardingLogger::Log(LogLevel, std::string_view) {}
void DiscardingLogger::Page(int, int) {}

InProcessJob::InProcessJob(const Program& program, const Args& args, const std::string& ppdPath) {
  if (!ppdPath.empty()) ppd_.Open(ppdPath.c_str());
  job_ = std::make_unique<Job>(
      program, JobArguments{"1", args.user, args.title, args.copies, args.options}, ppd_, log_);
  ResetOutput();
}

InProcessJob::~InProcessJob() {
  job_.reset();
  if (outputFd_ >= 0) ::close(outputFd_);
}

void InProcessJob::ResetOutput() {
  if (outputFd_ >= 0) ::close(outputFd_);
  outputFd_ = memfd_create("fuzz-output", MFD_CLOEXEC);
  if (outputFd_ < 0) Fail("memfd_create failed");
  job_->stdoutFile.Attach(::dup(outputFd_));
}

std::string InProcessJob::Output() {
  job_->stdoutFile.Flush();
  std::string result;
  char buffer[65536];
  off_t offset = 0;
  for (;;) {
    const ssize_t n = ::pread(outputFd_, buffer, sizeof(buffer), offset);
    if (n <= 0) break;
    result.append(buffer, static_cast<std::size_t>(n));
    offset += n;
  }
  return result;
}

void InProcessJob::ReadTickets() {
  PrepareJob(*job_);
  GetTicketFromPDE(*job_);
}

std::string MakePpd(std::string_view attributes, std::string_view tail) {
  std::string ppd =
      "*PPD-Adobe: \"4.3\"\n"
      "*FormatVersion: \"4.3\"\n"
      "*FileVersion: \"1.0\"\n"
      "*LanguageVersion: English\n"
      "*LanguageEncoding: ISOLatin1\n"
      "*Manufacturer: \"Test\"\n"
      "*Product: \"(Test Printer)\"\n"
      "*ModelName: \"Test Printer\"\n"
      "*ShortNickName: \"Test Printer\"\n"
      "*NickName: \"Test Printer, 1.0\"\n"
      "*PSVersion: \"(3010.000) 0\"\n"
      "*LanguageLevel: \"3\"\n";
  ppd.append(attributes);
  if (!ppd.empty() && ppd.back() != '\n') ppd += '\n';
  ppd +=
      "*OpenUI *PageSize/Media Size: PickOne\n"
      "*OrderDependency: 10 AnySetup *PageSize\n"
      "*DefaultPageSize: A4\n"
      "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
      "*PageSize A3/A3: \"<</PageSize[842 1191]>>setpagedevice\"\n"
      "*CloseUI: *PageSize\n"
      "*OpenUI *QMColorMode/Color Mode: PickOne\n"
      "*DefaultQMColorMode: Color\n"
      "*QMColorMode Color/Color: \"\"\n"
      "*QMColorMode Black/Black: \"\"\n"
      "*CloseUI: *QMColorMode\n";
  ppd.append(tail);
  return ppd;
}

void Fail(const char* what, std::string_view detail) {
  std::fprintf(stderr, "FUZZ FINDING: %s\n", what);
  if (!detail.empty()) {
    std::fprintf(stderr, "  detail (%zu bytes): ", detail.size());
    for (unsigned char c : detail.substr(0, 400)) {
      if (c >= 0x20 && c < 0x7F && c != '\\') {
        std::fputc(c, stderr);
      } else {
        std::fprintf(stderr, "\\x%02X", c);
      }
    }
    std::fputc('\n', stderr);
  }
  std::abort();
}

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    std::size_t len = 0;
    unsigned int min = 0;
    unsigned int cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, min = 0x10000, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (std::size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

bool IsWholeShiftJis(std::string_view text) {
  static iconv_t cd = iconv_open("UTF-8", "SHIFT_JISX0213");
  if (cd == reinterpret_cast<iconv_t>(-1)) Fail("iconv has no SHIFT_JISX0213");
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* o = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
  const bool ok = rc != static_cast<std::size_t>(-1) && inLeft == 0 &&
                  iconv(cd, nullptr, nullptr, &o, &outLeft) != static_cast<std::size_t>(-1);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return ok;
}

}  // namespace tf::fuzz
