// PDF to PostScript with Ghostscript, as a bounded child process.
//
// The job core takes PostScript; a PDF is turned into it by Ghostscript's ps2write device with the
// arguments cups-filters' pdftops gives it, run with -dSAFER in a child process that is stopped
// when it takes too long, needs too much memory, or the job is cancelled.  The result carries a
// sentence for the job's state message.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/bounded_process.h"

namespace tf {

struct PdfToPostScriptOptions {
  // Rendering resolution of the images Ghostscript rasterises, in dots per inch.
  int resolution = 300;
  // Convert every colour to gray (a monochrome job).
  bool gray = false;
  // The printer's PostScript LanguageLevel: 2 or 3.
  int languageLevel = 3;
};

struct GhostscriptLimits {
  std::chrono::milliseconds time{std::chrono::minutes(5)};
  std::uint64_t memoryBytes = std::uint64_t{1} << 30;
  // The most PostScript it may write to a file (RLIMIT_FSIZE); 0 for no limit.  A pipe has none.
  std::uint64_t outputBytes = 0;
};

// The Ghostscript command line for `pdfPath` (without the program name): the PostScript goes to
// standard output, Ghostscript's own messages to standard error.
std::vector<std::string> PdfToPostScriptArguments(const std::string& pdfPath,
                                                  const PdfToPostScriptOptions& options);

struct ConversionResult {
  bool converted = false;
  // When not converted: one sentence for the job's state message and an "ERROR:" line.
  std::string message;
  ProcessOutcome process;
};

// Converts `pdfPath` to PostScript on `outputFd` with `program` (a path, or a name in PATH).
ConversionResult ConvertPdfToPostScript(const std::string& pdfPath, int outputFd,
                                        const PdfToPostScriptOptions& options,
                                        const GhostscriptLimits& limits,
                                        const CancelCheck& cancelled = {},
                                        const std::string& program = "gs");

}  // namespace tf
