// The options text of a job of the printer application: what the job core reads, as CUPS would
// hand it to the filter.
//
// A job of the service carries standard IPP attributes (media, sides, finishings, job-account-id,
// ...), the request's operation attributes that the framework does not keep (job-password, the
// client's address: see request_capture.h), and the driver's vendor attributes.  BuildJobOptions
// turns them into one option text:
//
//   - the standard attributes as CUPS passes them to a filter (keywords, enum numbers, "1-3");
//     the job core's standard-attribute table turns them into tickets, as it does under CUPS;
//   - the job's own vendor attributes as the PPD choices and tickets they stand for;
//   - for every vendor attribute the job does not set, the printer's `-default`, unless a
//     standard attribute of the job already decides the same option (finishings=20 sets QMStaple,
//     so the printer's staple default stays out), and a PPD option's default only when it differs
//     from the PPD's own (the job core falls back to the PPD's default by itself).
//
// Values are checked before they are used: a value the attribute does not take is left out with a
// warning, never passed on.  A job with a password is never given a print type of the printer's:
// secure print wins.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver_profile.h"

namespace tf::app {

using OptionPairs = std::vector<std::pair<std::string, std::string>>;

// What the service knows of a job when it starts it.
struct JobFacts {
  std::string user;  // the job's user (job-originating-user-name)
  // The job's standard attributes as option values, in the order they are written:
  // {"media", "iso_a4_210x297mm"}, {"sides", "two-sided-long-edge"}, {"finishings", "20,74"}.
  OptionPairs standard;
  // The job's own vendor attributes, by name, their values as text.
  OptionPairs vendor;
  // The request's operation attributes (job-password, job-password-encryption) and the machine the
  // job came from; see request_capture.h.
  std::optional<std::string> password;
  std::optional<std::string> passwordEncryption;
  std::string originatingHost;  // empty: none known
  // The job's page in points, as the printer takes it (for a watermark's geometry).
  double pageWidth = 595;
  double pageLength = 842;
  bool landscape = false;
};

struct JobOptionsResult {
  std::string text;                   // the options text for the job core
  std::vector<std::string> warnings;  // what was left out and why, for the job's log
};

// The options text of a job of a printer of `profile` whose vendor defaults are `defaults` (the
// printer's `name-default` values as text, by vendor attribute name; an attribute without a stored
// default takes its driver's initial default).
JobOptionsResult BuildJobOptions(const JobFacts& job, const DriverProfile& profile,
                                 const OptionPairs& defaults);

// `value` written so that cupsParseOptions reads it back unchanged (a backslash before blanks,
// line breaks, quotes, braces and backslashes).
std::string EscapeOptionValue(std::string_view value);

}  // namespace tf::app
