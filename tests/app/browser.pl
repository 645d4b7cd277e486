#!/usr/bin/perl
# Sets a printer's ticket defaults through its web pages in a real browser, as a person would:
# drives Chromium through ChromeDriver (the W3C WebDriver protocol over HTTP, core Perl only).
#
#   browser.pl DRIVER_URL START_URL PROFILE_DIR SCREENSHOT FIELD=VALUE...
#
# Opens START_URL (the printer's page), follows its "Printing Defaults" link, types each VALUE
# into the form field named FIELD (a text field: cleared first), sends the form with its button and
# reports what it saw, one line each:
#   title TEXT          the title of every page opened
#   link URL            the defaults page the printer's page links to
#   typed FIELD=VALUE   the field's value read back from the page before sending
#   banner TEXT         the message the page shows after sending
#   shown FIELD=VALUE   the field's value on the page after sending
# and saves a screenshot of the answer (PNG) to SCREENSHOT.  Exits non-zero on any failure of
# the browser or of a step, with the WebDriver error.
use strict;
use warnings;
use HTTP::Tiny;
use JSON::PP;
use MIME::Base64;

my ($driver, $start, $profile, $screenshot, @fields) = @ARGV;
die "usage: browser.pl DRIVER_URL START_URL PROFILE_DIR SCREENSHOT FIELD=VALUE...\n"
  unless defined $screenshot && @fields;

my $http = HTTP::Tiny->new(timeout => 60);
my $json = JSON::PP->new->utf8->canonical;
my $element_key = 'element-6066-11e4-a52e-4f735466cecf';
my $session;

sub call {
  my ($method, $path, $body) = @_;
  my %options = (headers => { 'Content-Type' => 'application/json' });
  $options{content} = $json->encode($body) if defined $body;
  my $response = $http->request($method, "$driver$path", \%options);
  my $answer = eval { $json->decode($response->{content}) } // {};
  if (!$response->{success}) {
    my $error = ref $answer->{value} eq 'HASH'
      ? "$answer->{value}{error}: " . (split /\n/, $answer->{value}{message} // '')[0]
      : "$response->{status} $response->{reason}";
    die "$method $path: $error\n";
  }
  return $answer->{value};
}

sub in_session { my ($method, $path, $body) = @_; call($method, "/session/$session$path", $body) }

sub find {
  my ($css) = @_;
  my $found = in_session('POST', '/element', { using => 'css selector', value => $css });
  return $found->{$element_key};
}

sub property { my ($element, $name) = @_; in_session('GET', "/element/$element/property/$name") }

sub field_value {
  my ($name) = @_;
  return property(find(qq{form [name="$name"]}), 'value');
}

# A browser of its own: a fresh profile, and none of the background connections that a closed
# network refuses.
my $new = call('POST', '/session', {
  capabilities => { alwaysMatch => {
    browserName => 'chrome',
    'goog:chromeOptions' => {
      binary => '/usr/bin/chromium',
      args => ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync',
               '--disable-dev-shm-usage', '--window-size=1200,1600', "--user-data-dir=$profile"],
    },
  } },
});
$session = $new->{sessionId} or die "no session\n";

my $status = 0;
eval {
  in_session('POST', '/url', { url => $start });
  print "title ", in_session('GET', '/title'), "\n";

  my $link = find('a[href$="/printing"]');
  print "link ", property($link, 'href'), "\n";
  in_session('POST', "/element/$link/click", {});
  print "title ", in_session('GET', '/title'), "\n";

  for my $field (@fields) {
    my ($name, $value) = split /=/, $field, 2;
    my $input = find(qq{form [name="$name"]});
    in_session('POST', "/element/$input/clear", {});
    in_session('POST', "/element/$input/value", { text => $value });
    print "typed $name=", property($input, 'value'), "\n";
  }
  # The form's own button, as a person sends it (the page adds its session token itself).
  # The page's footer stays at the bottom of the window: the button is brought to the middle
  # first, as a person scrolls to it.
  my $button = find('form input[type="submit"], form button[type="submit"], form button');
  in_session('POST', '/execute/sync', {
    script => 'arguments[0].scrollIntoView({block: "center"});',
    args => [{ $element_key => $button }] });
  in_session('POST', "/element/$button/click", {});

  # The answer replaces the page: wait for its banner.
  my $banner;
  for (1 .. 100) {
    $banner = eval { property(find('.banner'), 'textContent') };
    last if defined $banner;
    select(undef, undef, undef, 0.1);
  }
  die "no banner on the page after sending the form\n" unless defined $banner;
  print "banner $banner\n";
  for my $field (@fields) {
    my ($name) = split /=/, $field, 2;
    print "shown $name=", field_value($name), "\n";
  }
  open my $out, '>:raw', $screenshot or die "$screenshot: $!\n";
  print $out decode_base64(in_session('GET', '/screenshot'));
  close $out;
  1;
} or do {
  print STDERR "browser: $@";
  $status = 1;
};
eval { in_session('DELETE', '') };
exit $status;
