// The documents a printer of the service takes, and how each reaches the job pipeline:
//   - PostScript (the driver's own format): the spooled file as it is;
//   - PDF: turned into PostScript by Ghostscript, a bounded child process (time, memory and the
//     size of what it writes are limited); a PDF it cannot finish stops the job with the reason as
//     its job-state-message, and the service goes on;
//   - PWG raster and Apple raster (streamed from the client), JPEG and PNG (rendered by the
//     framework): pages of raster lines that PsPageWriter turns into PostScript as they come.
#pragma once

#include <pappl/pappl.h>

namespace tf::app {

// The driver's printfile callback: a PostScript job.
bool PrintPostScript(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

// The MIME filter from application/pdf to application/postscript (`data` is the App).
bool PrintPdf(pappl_job_t* job, pappl_device_t* device, void* data);

// The driver's raster callbacks.
bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                     unsigned page);
bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                     unsigned y, const unsigned char* line);
bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                   unsigned page);
bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);

}  // namespace tf::app
