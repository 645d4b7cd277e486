// The documents a printer of the service takes, and how each reaches the job pipeline.
#include "documents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "job_runner.h"
#include "job_serialization.h"
#include "platform/ghostscript.h"
#include "raster/ps_page_writer.h"

namespace tf::app {
namespace {

// The framework starts a printer's jobs one at a time (job_serialization.h); a job that reaches a
// driver callback any other way is not printed.
bool RefuseOutOfTurn(pappl_job_t* job) {
  if (JobHasItsTurn(job)) return false;
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The job was started outside its printer's turn.");
  papplJobSetMessage(job, "The job was started twice; it is not printed.");
  return true;
}

const PrinterDriver* Driver(pappl_job_t* job) {
  const PrinterDriver* driver = DriverOfJob(job);
  if (driver == nullptr) papplJobSetMessage(job, "The printer has no driver.");
  return driver;
}

// Runs `input` (PostScript) through the pipeline.
bool PrintPostScriptFrom(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                         int input) {
  const PrinterDriver* driver = Driver(job);
  if (driver == nullptr) return false;
  JobPipeline pipeline(*driver->app, job, options, device, *driver->profile, options->copies);
  return pipeline.Run(input);
}

// Raster pages of a job: the PostScript writer feeding the pipeline.
class RasterJob {
 public:
  RasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
            const PrinterDriver& driver)
      : job_(job),
        // The framework prints the copies of a JPEG or PNG job itself; a raster stream's copies
        // are the printer's.
        pipeline_(*driver.app, job, options, device, *driver.profile,
                  FrameworkPrintsCopies(job) ? 1 : options->copies),
        sink_(-1),
        compression_(driver.profile->languageLevel >= 3 ? ImageCompression::Flate
                                                        : ImageCompression::RunLength) {}

  bool Start() {
    if (!pipeline_.Start()) return false;
    sink_ = FdSink(pipeline_.WriteEnd());
    writer_ = std::make_unique<PsPageWriter>(sink_, compression_);
    const char* title = papplJobGetName(job_);
    return Check(writer_->BeginDocument(title != nullptr ? title : ""));
  }

  bool BeginPage(const pappl_pr_options_t& options) {
    const cups_page_header2_t& h = options.header;
    RasterPageHeader header;
    header.width = h.cupsWidth;
    header.height = h.cupsHeight;
    header.xResolution = h.HWResolution[0];
    header.yResolution = h.HWResolution[1];
    switch (h.cupsColorSpace) {
      case CUPS_CSPACE_SW:
        header.color = RasterColor::Gray;
        break;
      case CUPS_CSPACE_K:
        header.color = RasterColor::Black;
        break;
      case CUPS_CSPACE_SRGB:
      case CUPS_CSPACE_RGB:
        header.color = RasterColor::Rgb;
        break;
      default:
        pipeline_.Fail("The raster pages are in a colour space the printer does not take.");
        return false;
    }
    if (h.cupsBitsPerColor != 8 || h.cupsColorOrder != CUPS_ORDER_CHUNKED) {
      pipeline_.Fail("The raster pages are not 8 bits per colour.");
      return false;
    }
    bytesPerLine_ = RasterBytesPerLine(header);
    if (h.cupsBytesPerLine < bytesPerLine_) {
      pipeline_.Fail("The raster pages' lines are shorter than their width.");
      return false;
    }
    return Check(writer_->BeginPage(header));
  }

  bool WriteLine(const unsigned char* line) {
    if (pipeline_.Stopped()) return Check(false);
    return Check(writer_->WriteLine({line, bytesPerLine_}));
  }

  bool EndPage() { return Check(writer_->EndPage()); }

  bool Finish() {
    bool written = !failed_ && writer_->EndDocument();
    if (!written && !failed_) Check(false);
    const bool printed = pipeline_.Finish();
    return written && printed;
  }

 private:
  static bool FrameworkPrintsCopies(pappl_job_t* job) {
    const char* format = papplJobGetFormat(job);
    return format != nullptr &&
           (std::strcmp(format, "image/jpeg") == 0 || std::strcmp(format, "image/png") == 0);
  }

  // A writer failure that the pipeline did not cause stops the pipeline with the writer's reason.
  bool Check(bool ok) {
    if (ok) return true;
    failed_ = true;
    if (!pipeline_.Stopped()) {
      pipeline_.Fail(writer_ && !writer_->error().empty()
                         ? writer_->error()
                         : "The raster pages could not be written.");
    }
    return false;
  }

  pappl_job_t* job_;
  JobPipeline pipeline_;
  FdSink sink_;
  ImageCompression compression_;
  std::unique_ptr<PsPageWriter> writer_;
  std::size_t bytesPerLine_ = 0;
  bool failed_ = false;
};

RasterJob* RasterOf(pappl_job_t* job) { return static_cast<RasterJob*>(papplJobGetData(job)); }

// Ends a raster job that cannot go on: the framework does not always call the end-of-job callback
// after a failed page.
bool AbandonRaster(pappl_job_t* job) {
  if (RasterJob* raster = RasterOf(job)) {
    raster->Finish();
    papplJobSetData(job, nullptr);
    delete raster;
  }
  return false;
}

}  // namespace

bool PrintPostScript(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device) {
  if (RefuseOutOfTurn(job)) return false;
  const char* filename = papplJobGetFilename(job);
  const int input = filename != nullptr ? ::open(filename, O_RDONLY | O_CLOEXEC) : -1;
  if (input < 0) {
    papplJobSetMessage(job, "Unable to read the job's document: %s.", std::strerror(errno));
    return false;
  }
  const bool printed = PrintPostScriptFrom(job, options, device, input);
  ::close(input);
  // The framework counts one impression for the file after this callback; the job core has
  // counted every page already.
  if (printed) papplJobSetImpressionsCompleted(job, -1);
  return printed;
}

bool PrintPdf(pappl_job_t* job, pappl_device_t* device, void* data) {
  App& app = *static_cast<App*>(data);
  if (RefuseOutOfTurn(job)) return false;
  const PrinterDriver* driver = Driver(job);
  if (driver == nullptr) return false;
  const DriverProfile* profile = driver->profile;
  pappl_pr_options_t* options = papplJobCreatePrintOptions(job, 0, profile->color);
  if (options == nullptr) {
    papplJobSetMessage(job, "Unable to read the job's options.");
    return false;
  }
  // Ghostscript writes the PostScript to a file of the spool folder that has no name: it goes when
  // the job ends, even when the service does not.
  std::string path = app.config.spoolDirectory + "/tf-pdf-XXXXXX";
  const int file = ::mkostemp(path.data(), O_CLOEXEC);
  if (file < 0) {
    papplJobSetMessage(job, "Unable to convert the PDF: %s.", std::strerror(errno));
    papplJobDeletePrintOptions(options);
    return false;
  }
  ::unlink(path.c_str());

  PdfToPostScriptOptions conversion;
  conversion.gray = !profile->color || options->print_color_mode != PAPPL_COLOR_MODE_COLOR;
  conversion.languageLevel = profile->languageLevel;
  GhostscriptLimits limits;
  limits.time = app.config.pdfTimeLimit;
  limits.memoryBytes = app.config.pdfMemoryBytes;
  limits.outputBytes = app.config.pdfOutputBytes;
  const ConversionResult result =
      ConvertPdfToPostScript(papplJobGetFilename(job), file, conversion, limits,
                             [job] { return papplJobIsCanceled(job); });
  bool printed = false;
  if (papplJobIsCanceled(job)) {
    printed = true;
  } else if (!result.converted) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", result.message.c_str());
    papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "Ghostscript: %s",
                LastStderrLine(result.process.stderrTail).c_str());
    papplJobSetMessage(job, "%s", result.message.c_str());
  } else {
    papplLogJob(job, PAPPL_LOGLEVEL_DEBUG,
                "Ghostscript converted the PDF in %ld ms with at most %ld KiB of memory.",
                static_cast<long>(result.process.elapsed.count()), result.process.maxResidentKiB);
    ::lseek(file, 0, SEEK_SET);
    printed = PrintPostScriptFrom(job, options, device, file);
  }
  ::close(file);
  papplJobDeletePrintOptions(options);
  return printed;
}

bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device) {
  if (RefuseOutOfTurn(job)) return false;
  const PrinterDriver* driver = Driver(job);
  if (driver == nullptr) return false;
  auto raster = std::make_unique<RasterJob>(job, options, device, *driver);
  RasterJob* started = raster.release();
  papplJobSetData(job, started);
  if (!started->Start()) return AbandonRaster(job);
  return true;
}

bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned) {
  RasterJob* raster = RasterOf(job);
  if (raster == nullptr) return false;
  return raster->BeginPage(*options) || AbandonRaster(job);
}

bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned,
                     const unsigned char* line) {
  RasterJob* raster = RasterOf(job);
  if (raster == nullptr) return false;
  return raster->WriteLine(line) || AbandonRaster(job);
}

bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned) {
  RasterJob* raster = RasterOf(job);
  if (raster == nullptr) return false;
  return raster->EndPage() || AbandonRaster(job);
}

bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  RasterJob* raster = RasterOf(job);
  if (raster == nullptr) return false;
  const bool printed = raster->Finish();
  papplJobSetData(job, nullptr);
  delete raster;
  return printed;
}

}  // namespace tf::app
