// One job of the printer application, from its PostScript to the printer's device.
#include "job_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string_view>

#include "core_stage.h"
#include "platform/bounded_process.h"

namespace tf::app {
namespace {

// pstops is a stream copier; the limits only catch a child gone wrong.
constexpr std::uint64_t kPstopsMemory = std::uint64_t{512} << 20;

const char* ColorModeKeyword(pappl_color_mode_t mode) {
  switch (mode) {
    case PAPPL_COLOR_MODE_AUTO: return "auto";
    case PAPPL_COLOR_MODE_AUTO_MONOCHROME: return "auto-monochrome";
    case PAPPL_COLOR_MODE_BI_LEVEL: return "bi-level";
    case PAPPL_COLOR_MODE_COLOR: return "color";
    case PAPPL_COLOR_MODE_PROCESS_MONOCHROME: return "process-monochrome";
    default: return "monochrome";
  }
}

const char* SidesKeyword(pappl_sides_t sides) {
  switch (sides) {
    case PAPPL_SIDES_TWO_SIDED_LONG_EDGE: return "two-sided-long-edge";
    case PAPPL_SIDES_TWO_SIDED_SHORT_EDGE: return "two-sided-short-edge";
    default: return "one-sided";
  }
}

// The value of an attribute as the option text gives it: keywords and names as they are, enums
// and integers as numbers, ranges as "a-b", booleans as true or false; several values separated
// by commas.  Empty for other syntaxes.
std::string AttributeText(ipp_attribute_t* attribute) {
  std::string text;
  const int count = ippGetCount(attribute);
  for (int i = 0; i < count; ++i) {
    std::string value;
    switch (ippGetValueTag(attribute)) {
      case IPP_TAG_INTEGER:
      case IPP_TAG_ENUM:
        value = std::to_string(ippGetInteger(attribute, i));
        break;
      case IPP_TAG_BOOLEAN:
        value = ippGetBoolean(attribute, i) ? "true" : "false";
        break;
      case IPP_TAG_RANGE: {
        int upper = 0;
        const int lower = ippGetRange(attribute, i, &upper);
        value = std::to_string(lower) + "-" + std::to_string(upper);
        break;
      }
      case IPP_TAG_KEYWORD:
      case IPP_TAG_NAME:
      case IPP_TAG_NAMELANG:
      case IPP_TAG_TEXT:
      case IPP_TAG_TEXTLANG:
      case IPP_TAG_URI:
        if (const char* string = ippGetString(attribute, i, nullptr)) value = string;
        break;
      default:
        return {};
    }
    if (i > 0) text += ',';
    text += value;
  }
  return text;
}

// The job's finishings as numbers: its "finishings" values, then the templates of its
// "finishings-col" values that name a finishings enum.
std::string FinishingsText(pappl_job_t* job) {
  std::string text;
  if (ipp_attribute_t* finishings = papplJobGetAttribute(job, "finishings")) {
    text = AttributeText(finishings);
  }
  if (ipp_attribute_t* collections = papplJobGetAttribute(job, "finishings-col")) {
    for (int i = 0; i < ippGetCount(collections); ++i) {
      ipp_t* collection = ippGetCollection(collections, i);
      ipp_attribute_t* finishing = ippFindAttribute(collection, "finishing-template", IPP_TAG_ZERO);
      const char* name = ippGetString(finishing, 0, nullptr);
      const int value = name != nullptr ? ippEnumValue("finishings", name) : 0;
      if (value <= 0) continue;
      if (!text.empty()) text += ',';
      text += std::to_string(value);
    }
  }
  return text;
}

JobFacts DescribeJob(pappl_job_t* job, const pappl_pr_options_t& options,
                     const DriverProfile& profile, const CapturedRequest& request) {
  JobFacts facts;
  facts.user = papplJobGetUsername(job) != nullptr ? papplJobGetUsername(job) : "";
  OptionPairs& standard = facts.standard;
  if (options.media.size_name[0] != '\0') standard.emplace_back("media", options.media.size_name);
  standard.emplace_back("sides", SidesKeyword(options.sides));
  standard.emplace_back("print-color-mode", ColorModeKeyword(options.print_color_mode));
  if (options.print_quality != 0) {
    standard.emplace_back("print-quality", std::to_string(options.print_quality));
  }
  // The job's own orientation only, as CUPS passes it: the printer's default is portrait.
  int orientation = 0;
  if (ipp_attribute_t* attribute = papplJobGetAttribute(job, "orientation-requested")) {
    orientation = ippGetInteger(attribute, 0);
  }
  if (orientation >= IPP_ORIENT_PORTRAIT && orientation <= IPP_ORIENT_REVERSE_PORTRAIT) {
    standard.emplace_back("orientation-requested", std::to_string(orientation));
  }
  const std::string finishings = FinishingsText(job);
  if (!finishings.empty()) standard.emplace_back("finishings", finishings);
  for (const char* name : {"page-ranges", "number-up", "multiple-document-handling",
                           "job-account-id", "job-accounting-user-id", "output-bin"}) {
    if (ipp_attribute_t* attribute = papplJobGetAttribute(job, name)) {
      const std::string text = AttributeText(attribute);
      if (!text.empty()) standard.emplace_back(name, text);
    }
  }
  // The machine the job came from (request_capture.h); a job from the local socket may name it in
  // its job attributes.
  std::string origin = request.originatingHost;
  if (IsLoopbackAddress(origin)) {
    if (ipp_attribute_t* own = papplJobGetAttribute(job, "job-originating-host-name")) {
      const std::string text = AttributeText(own);
      if (!text.empty()) origin = text;
    }
  }
  facts.originatingHost = origin;
  facts.password = request.password;
  facts.passwordEncryption = request.passwordEncryption;

  for (const VendorAttribute& attribute : profile.vendor) {
    if (ipp_attribute_t* value = papplJobGetAttribute(job, attribute.name())) {
      facts.vendor.emplace_back(attribute.name(), AttributeText(value));
    }
  }
  if (options.media.size_width > 0 && options.media.size_length > 0) {
    facts.pageWidth = std::round(options.media.size_width * 72.0 / 2540.0);
    facts.pageLength = std::round(options.media.size_length * 72.0 / 2540.0);
  }
  facts.landscape = orientation == IPP_ORIENT_LANDSCAPE ||
                    orientation == IPP_ORIENT_REVERSE_LANDSCAPE;
  return facts;
}

// The printer's vendor defaults as text, by attribute name.
OptionPairs PrinterDefaults(pappl_printer_t* printer, const DriverProfile& profile) {
  OptionPairs defaults;
  ipp_t* attributes = papplPrinterGetDriverAttributes(printer);
  for (const VendorAttribute& attribute : profile.vendor) {
    const std::string name = std::string(attribute.name()) + "-default";
    if (ipp_attribute_t* value = ippFindAttribute(attributes, name.c_str(), IPP_TAG_ZERO)) {
      defaults.emplace_back(attribute.name(), AttributeText(value));
    }
  }
  ippDelete(attributes);
  return defaults;
}

bool MakePipe(int fds[2]) { return ::pipe2(fds, O_CLOEXEC) == 0; }

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

const PrinterDriver* DriverOfJob(pappl_job_t* job) {
  pappl_pr_driver_data_t data;
  if (papplPrinterGetDriverData(papplJobGetPrinter(job), &data) == nullptr) return nullptr;
  return static_cast<const PrinterDriver*>(data.extension);
}

JobPipeline::JobPipeline(App& app, pappl_job_t* job, const pappl_pr_options_t* options,
                         pappl_device_t* device, const DriverProfile& profile, int copies)
    : app_(app), job_(job), device_(device), profile_(profile) {
  jobId_ = std::to_string(papplJobGetID(job));
  user_ = papplJobGetUsername(job) != nullptr ? papplJobGetUsername(job) : "guest";
  title_ = papplJobGetName(job) != nullptr ? papplJobGetName(job) : "Untitled";
  copies_ = std::to_string(std::max(copies, 1));
  pappl_printer_t* printer = papplJobGetPrinter(job);
  const CapturedRequest request = app.requests->Find(papplPrinterGetID(printer), papplJobGetID(job))
                                      .value_or(CapturedRequest{});
  options_ = BuildJobOptions(DescribeJob(job, *options, profile, request), profile,
                             PrinterDefaults(printer, profile));
  for (const std::string& warning : options_.warnings) {
    papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s", warning.c_str());
  }
}

JobPipeline::~JobPipeline() {
  if (runner_.joinable()) {
    CloseFd(feed_[1]);
    runner_.join();
  }
  CloseFd(feed_[0]);
  CloseFd(feed_[1]);
}

bool JobPipeline::Cancelled() const { return cancel_ || papplJobIsCanceled(job_); }

bool JobPipeline::Stopped() const { return stopped_ || Cancelled(); }

void JobPipeline::Fail(const std::string& message) {
  if (failure_.empty()) failure_ = message;
  stopped_ = true;
  cancel_ = true;
}

bool JobPipeline::Run(int input) {
  int toCore[2] = {-1, -1};
  int toDevice[2] = {-1, -1};
  if (!MakePipe(toCore) || !MakePipe(toDevice)) {
    CloseFd(toCore[0]);
    CloseFd(toCore[1]);
    papplJobSetMessage(job_, "Unable to start the job: %s.", std::strerror(errno));
    return false;
  }

  // The device writer: copies the job core's printer stream to the device until the core closes
  // it, and watches for the job's cancellation meanwhile.  After a failed write the rest is read
  // and dropped, so that the core is never blocked.
  std::string deviceError;
  std::thread writer([&] {
    char buffer[64 * 1024];
    bool deviceOpen = true;
    for (;;) {
      pollfd ready{toDevice[0], POLLIN, 0};
      if (::poll(&ready, 1, static_cast<int>(kCancelPollInterval.count())) == 0) {
        if (papplJobIsCanceled(job_)) cancel_ = true;
        continue;
      }
      const ssize_t got = ::read(toDevice[0], buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      if (deviceOpen && papplDeviceWrite(device_, buffer, static_cast<std::size_t>(got)) < 0) {
        deviceOpen = false;
        deviceError = "Unable to send the job to the printer.";
        outputGone_ = true;
      }
      if (papplJobIsCanceled(job_)) cancel_ = true;
    }
    if (deviceOpen) papplDeviceFlush(device_);
  });

  // pstops, reading the document.
  ProcessOutcome pstops;
  std::thread converter([&] {
    ProcessLimits limits;
    limits.memoryBytes = kPstopsMemory;
    ProcessIo io;
    io.inputFd = input;
    io.environment = {"PPD=" + profile_.ppdPath, "CONTENT_TYPE=application/postscript"};
    pstops = RunBoundedProcess(
        {app_.config.pstops, jobId_, user_, title_, copies_, options_.text}, toCore[1], limits,
        [this] { return Cancelled(); }, io);
    CloseFd(toCore[1]);
  });

  // The job core, in this thread.
  CoreCall call;
  call.program = &ProgramOf(profile_.row->program);
  call.ppd = &profile_.ppd;
  call.temporaryDirectory = app_.config.spoolDirectory;
  call.jobId = jobId_;
  call.user = user_;
  call.title = title_;
  call.copies = copies_;
  call.options = options_.text;
  call.inputFd = toCore[0];
  call.outputFd = toDevice[1];
  call.cancel = &cancel_;
  call.outputGone = &outputGone_;
  call.job = job_;
  const CoreResult core = RunJobCore(call);
  CloseFd(toCore[0]);
  CloseFd(toDevice[1]);
  converter.join();
  writer.join();
  CloseFd(toDevice[0]);

  if (Cancelled() && failure_.empty()) return true;
  std::string failure = failure_;
  if (failure.empty() && core.status != 0) {
    failure = core.error.empty() ? "The job could not be printed." : core.error;
  }
  if (failure.empty() && !pstops.Succeeded()) {
    failure = pstops.end == ProcessEnd::StartFailed
                  ? "CUPS's pstops filter could not be started: " +
                        std::string(std::strerror(pstops.startError)) + "."
                  : "CUPS's pstops filter could not prepare the document.";
    papplLogJob(job_, PAPPL_LOGLEVEL_ERROR, "pstops: %s",
                LastStderrLine(pstops.stderrTail).c_str());
  }
  if (failure.empty() && !deviceError.empty()) failure = deviceError;
  if (!failure.empty()) {
    papplLogJob(job_, PAPPL_LOGLEVEL_ERROR, "%s", failure.c_str());
    papplJobSetMessage(job_, "%s", failure.c_str());
    return false;
  }
  // The job core counted the impressions as they went out (pages times copies).
  papplJobSetImpressions(job_, papplJobGetImpressionsCompleted(job_));
  return true;
}

bool JobPipeline::Start() {
  if (!MakePipe(feed_)) {
    papplJobSetMessage(job_, "Unable to start the job: %s.", std::strerror(errno));
    return false;
  }
  runner_ = std::thread([this] {
    runnerResult_ = Run(feed_[0]);
    // Whatever the writer still sends goes nowhere once the pipeline has ended.
    stopped_ = true;
    CloseFd(feed_[0]);
  });
  return true;
}

bool JobPipeline::Finish() {
  CloseFd(feed_[1]);
  if (runner_.joinable()) runner_.join();
  if (!failure_.empty() && runnerResult_) {
    papplJobSetMessage(job_, "%s", failure_.c_str());
    return false;
  }
  return runnerResult_;
}

}  // namespace tf::app
