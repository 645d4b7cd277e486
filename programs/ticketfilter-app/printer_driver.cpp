// The framework's driver callback: what a printer of a sample driver advertises, and which
// callbacks print its jobs.
//
// From the driver's profile (its PPD): make and model, colour, speed, media with the PPD's
// margins, two-sided printing, staple and punch (the finishings the framework can advertise; a
// job's own finishings values all reach the job core), the raster types a client may send (8-bit
// grey, and sRGB on a colour printer: the framework mangles 1-bit raster), and the vendor
// attributes with their `-default` and, for choices, `-supported` values.  Besides, the
// attributes the standard-attribute table reads: job-password-supported (the PPD's PIN form),
// job-password-encryption-supported (none), job-account-id-supported and
// job-accounting-user-id-supported, and number-up (which pstops lays out, as under CUPS).
#include "printer_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app.h"
#include "documents.h"

namespace tf::app {
namespace {

void Identify(pappl_printer_t* printer, pappl_identify_actions_t, const char* message) {
  papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "Identify-Printer: %s",
                  message != nullptr ? message : "(no message)");
}

bool Status(pappl_printer_t*) { return true; }

pappl_media_col_t MediaCol(const DriverMedia& media) {
  pappl_media_col_t col{};
  std::snprintf(col.size_name, sizeof(col.size_name), "%s", media.pwgName.c_str());
  col.size_width = media.width;
  col.size_length = media.length;
  col.left_margin = col.right_margin = media.leftRight;
  col.bottom_margin = col.top_margin = media.bottomTop;
  std::snprintf(col.source, sizeof(col.source), "%s", "auto");
  std::snprintf(col.type, sizeof(col.type), "%s", "stationery");
  return col;
}

void AddVendorAttributes(ipp_t* attrs, const DriverProfile& profile) {
  for (const VendorAttribute& attribute : profile.vendor) {
    const std::string defaultName = std::string(attribute.name()) + "-default";
    const std::string supportedName = std::string(attribute.name()) + "-supported";
    if (attribute.syntax == VendorSyntax::Keyword) {
      std::vector<const char*> keywords;
      for (const VendorChoice& choice : attribute.choices) {
        keywords.push_back(choice.keyword.c_str());
      }
      ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, supportedName.c_str(),
                    static_cast<int>(keywords.size()), nullptr, keywords.data());
      ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, defaultName.c_str(), nullptr,
                   attribute.initialDefault.c_str());
    } else {
      // A text attribute has no -supported: with one, the framework's web page would show no text
      // field.  Its limits are checked whenever a value is used.
      ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_TEXT, defaultName.c_str(), nullptr, "");
    }
  }
}

}  // namespace

bool DriverCallback(pappl_system_t* system, const char* driver_name, const char*, const char*,
                    pappl_pr_driver_data_t* data, ipp_t** driver_attrs, void* cbdata) {
  App& app = *static_cast<App*>(cbdata);
  std::string error;
  const PrinterDriver* driver = app.Driver(driver_name, &error);
  if (driver == nullptr) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Driver %s cannot be used: %s", driver_name,
             error.c_str());
    return false;
  }
  const DriverProfile* profile = driver->profile;
  data->extension = const_cast<PrinterDriver*>(driver);
  data->identify_cb = Identify;
  data->status_cb = Status;
  data->printfile_cb = PrintPostScript;
  data->rstartjob_cb = StartRasterJob;
  data->rstartpage_cb = StartRasterPage;
  data->rwriteline_cb = WriteRasterLine;
  data->rendpage_cb = EndRasterPage;
  data->rendjob_cb = EndRasterJob;
  data->format = "application/postscript";
  std::snprintf(data->make_and_model, sizeof(data->make_and_model), "%s",
                profile->makeAndModel.c_str());
  data->ppm = profile->pagesPerMinute;
  data->ppm_color = profile->color ? profile->pagesPerMinute : 0;
  data->kind = PAPPL_KIND_DOCUMENT;
  data->orient_default = IPP_ORIENT_PORTRAIT;
  data->color_supported = PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_MONOCHROME;
  data->color_default = PAPPL_COLOR_MODE_MONOCHROME;
  data->raster_types = PAPPL_PWG_RASTER_TYPE_SGRAY_8;
  if (profile->color) {
    data->color_supported |= PAPPL_COLOR_MODE_COLOR;
    data->color_default = PAPPL_COLOR_MODE_COLOR;
    data->raster_types |= PAPPL_PWG_RASTER_TYPE_SRGB_8;
  }
  data->content_default = PAPPL_CONTENT_AUTO;
  data->quality_default = IPP_QUALITY_NORMAL;
  data->scaling_default = PAPPL_SCALING_AUTO;
  data->sides_supported = PAPPL_SIDES_ONE_SIDED;
  data->sides_default = PAPPL_SIDES_ONE_SIDED;
  data->duplex = PAPPL_DUPLEX_NONE;
  if (profile->twoSided) {
    data->sides_supported |= PAPPL_SIDES_TWO_SIDED_LONG_EDGE | PAPPL_SIDES_TWO_SIDED_SHORT_EDGE;
    data->duplex = PAPPL_DUPLEX_NORMAL;
  }
  data->finishings = PAPPL_FINISHINGS_NONE;
  if (profile->staple) data->finishings |= PAPPL_FINISHINGS_STAPLE;
  if (profile->punch) data->finishings |= PAPPL_FINISHINGS_PUNCH;
  data->identify_supported = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
  data->identify_default = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
  // Raster documents (JPEG and PNG as the framework renders them, and what clients send) at
  // 300 dpi: images become PostScript of a size printers take at their speed.
  data->num_resolution = 1;
  data->x_resolution[0] = data->y_resolution[0] = 300;
  data->x_default = data->y_default = 300;

  data->num_media = static_cast<int>(std::min<std::size_t>(profile->media.size(), PAPPL_MAX_MEDIA));
  for (int i = 0; i < data->num_media; ++i) {
    const DriverMedia& media = profile->media[static_cast<std::size_t>(i)];
    data->media[i] = media.pwgName.c_str();
    data->left_right = std::max(data->left_right, media.leftRight);
    data->bottom_top = std::max(data->bottom_top, media.bottomTop);
  }
  data->media_default = MediaCol(profile->media[profile->defaultMedia]);
  data->media_default.left_margin = data->media_default.right_margin = data->left_right;
  data->media_default.bottom_margin = data->media_default.top_margin = data->bottom_top;
  data->num_source = 1;
  data->source[0] = "auto";
  data->media_ready[0] = data->media_default;
  data->num_type = 1;
  data->type[0] = "stationery";

  data->num_vendor = static_cast<int>(profile->vendor.size());
  for (std::size_t i = 0; i < profile->vendor.size(); ++i) {
    data->vendor[i] = profile->vendor[i].name();
  }

  ipp_t* attrs = ippNew();
  if (!profile->passwordForm.empty()) {
    ippAddInteger(attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "job-password-supported",
                  static_cast<int>(profile->passwordForm.size()));
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "job-password-encryption-supported",
                 nullptr, "none");
  }
  ippAddBoolean(attrs, IPP_TAG_PRINTER, "job-account-id-supported", 1);
  ippAddBoolean(attrs, IPP_TAG_PRINTER, "job-accounting-user-id-supported", 1);
  // The printer's own account defaults are the vendor attributes ticketfilter-account-id and
  // ticketfilter-accounting-user-id, which the web page can set; these say a job gets none.
  ippAddOutOfBand(attrs, IPP_TAG_PRINTER, IPP_TAG_NOVALUE, "job-account-id-default");
  ippAddOutOfBand(attrs, IPP_TAG_PRINTER, IPP_TAG_NOVALUE, "job-accounting-user-id-default");
  // Validate-Job answers no preferred attributes, and the printer renders as its PostScript
  // interpreter does: no rendering intent of the service's own.
  ippAddBoolean(attrs, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
  ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-default", nullptr,
               "auto");
  ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-supported",
               nullptr, "auto");
  static const int kNumberUp[] = {1, 2, 4, 6, 9, 16};
  ippAddIntegers(attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "number-up-supported",
                 static_cast<int>(std::size(kNumberUp)), kNumberUp);
  ippAddInteger(attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "number-up-default", 1);
  AddVendorAttributes(attrs, *profile);
  *driver_attrs = attrs;
  return true;
}

}  // namespace tf::app
