// PDF to PostScript with Ghostscript, as a bounded child process.
#include "platform/ghostscript.h"

#include <signal.h>

#include <algorithm>
#include <cstring>

namespace tf {
namespace {

bool MentionsMemory(const std::string& text) {
  return text.find("VMerror") != std::string::npos ||
         text.find("out of memory") != std::string::npos ||
         text.find("Out of memory") != std::string::npos;
}

std::string Seconds(std::chrono::milliseconds time) {
  const long long tenths = (time.count() + 50) / 100;
  return tenths % 10 == 0 ? std::to_string(tenths / 10)
                          : std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string Mebibytes(std::uint64_t bytes) { return std::to_string(bytes >> 20); }

}  // namespace

std::vector<std::string> PdfToPostScriptArguments(const std::string& pdfPath,
                                                  const PdfToPostScriptOptions& options) {
  std::vector<std::string> arguments = {
      "-q",
      "-dNOPAUSE",
      "-dBATCH",
      "-dSAFER",
      "-dNOMEDIAATTRS",
      "-sstdout=%stderr",
      "-sDEVICE=ps2write",
      "-dShowAcroForm",
      "-sOUTPUTFILE=%stdout",
  };
  if (options.gray) {
    arguments.emplace_back("-sProcessColorModel=DeviceGray");
    arguments.emplace_back("-sColorConversionStrategy=Gray");
  }
  arguments.push_back(options.languageLevel <= 2 ? "-dLanguageLevel=2" : "-dLanguageLevel=3");
  arguments.push_back("-r" + std::to_string(std::clamp(options.resolution, 72, 2400)));
  // Printers' interpreters stumble over compressed fonts and CCITT-encoded Type 3 glyphs.
  arguments.emplace_back("-dCompressFonts=false");
  arguments.emplace_back("-dNoT3CCITT");
  arguments.emplace_back("-dNOINTERPOLATE");
  arguments.emplace_back("-c");
  arguments.emplace_back("save pop");
  arguments.emplace_back("-f");
  // A relative name that begins with '-' would read as an option.
  arguments.push_back(pdfPath.starts_with("-") ? "./" + pdfPath : pdfPath);
  return arguments;
}

ConversionResult ConvertPdfToPostScript(const std::string& pdfPath, int outputFd,
                                        const PdfToPostScriptOptions& options,
                                        const GhostscriptLimits& limits,
                                        const CancelCheck& cancelled,
                                        const std::string& program) {
  std::vector<std::string> argv = {program};
  for (std::string& argument : PdfToPostScriptArguments(pdfPath, options)) {
    argv.push_back(std::move(argument));
  }
  ProcessLimits processLimits;
  processLimits.time = limits.time;
  processLimits.memoryBytes = limits.memoryBytes;
  processLimits.fileBytes = limits.outputBytes;
  // CPU time cannot exceed wall time; the limit only catches a child the parent lost track of.
  if (limits.time.count() > 0) {
    processLimits.cpuSeconds = static_cast<unsigned>(limits.time.count() / 1000) + 2;
  }

  ConversionResult result;
  result.process = RunBoundedProcess(argv, outputFd, processLimits, cancelled);
  const ProcessOutcome& process = result.process;
  switch (process.end) {
    case ProcessEnd::Exited:
      if (process.exitStatus == 0) {
        result.converted = true;
      } else if (limits.memoryBytes > 0 && MentionsMemory(process.stderrTail)) {
        result.message = "The PDF needs more than " + Mebibytes(limits.memoryBytes) +
                         " MiB of memory to be converted; the job was stopped.";
      } else {
        result.message = "Ghostscript could not convert the PDF (exit status " +
                         std::to_string(process.exitStatus) + ").";
      }
      break;
    case ProcessEnd::TimedOut:
      result.message = "The PDF could not be converted within " + Seconds(limits.time) +
                       " s; the job was stopped.";
      break;
    case ProcessEnd::Cancelled:
      result.message = "The job was cancelled while its PDF was being converted.";
      break;
    case ProcessEnd::Signaled:
      if (process.signal == SIGXFSZ && limits.outputBytes > 0) {
        result.message = "The PDF's PostScript would be larger than " +
                         Mebibytes(limits.outputBytes) + " MiB; the job was stopped.";
      } else if (process.signal == SIGXCPU || process.signal == SIGKILL) {
        result.message = "The PDF could not be converted within " + Seconds(limits.time) +
                         " s; the job was stopped.";
      } else if (limits.memoryBytes > 0 && MentionsMemory(process.stderrTail)) {
        result.message = "The PDF needs more than " + Mebibytes(limits.memoryBytes) +
                         " MiB of memory to be converted; the job was stopped.";
      } else {
        result.message = "Ghostscript stopped with signal " + std::to_string(process.signal) +
                         " while converting the PDF.";
      }
      break;
    case ProcessEnd::StartFailed:
      result.message = "Ghostscript could not be started: " +
                       std::string(std::strerror(process.startError)) + ".";
      break;
  }
  return result;
}

}  // namespace tf
