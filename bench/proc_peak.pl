#!/usr/bin/perl
# Samples the memory of a process and all its descendants until a file appears.
#
#   proc_peak.pl ROOT_PID STOP_FILE [INTERVAL_MS]
#
# Every INTERVAL_MS (default 10) it reads /proc: the processes whose ancestry leads to ROOT_PID,
# their VmRSS (summed: the tree's resident memory at that moment) and VmHWM (each process's own
# peak, kept as last read).  When STOP_FILE exists it prints
#   tree_peak_kib N        the largest sum of VmRSS seen (a sample: a spike between two samples
#                          is missed)
#   root_hwm_kib N         ROOT_PID's own peak (exact: the kernel keeps it)
#   child_hwm_kib NAME N   for each command name below the root, the largest VmHWM read
#   samples N
use strict;
use warnings;
use Time::HiRes qw(usleep);

my ($root, $stop, $interval) = @ARGV;
die "usage: proc_peak.pl ROOT_PID STOP_FILE [INTERVAL_MS]\n" unless defined $stop;
$interval //= 10;

sub status {
  my ($pid) = @_;
  open my $in, '<', "/proc/$pid/status" or return;
  my %s;
  while (<$in>) {
    $s{$1} = $2 if /^(Name|PPid|VmRSS|VmHWM):\s+(\S+)/;
  }
  return \%s;
}

my ($tree_peak, $root_hwm, $samples) = (0, 0, 0);
my %child_hwm;
while (!-e $stop) {
  my (%parent, %info);
  opendir my $proc, '/proc' or die "/proc: $!\n";
  for my $pid (grep { /^\d+$/ } readdir $proc) {
    my $s = status($pid) or next;
    $parent{$pid} = $s->{PPid};
    $info{$pid} = $s;
  }
  closedir $proc;
  my $sum = 0;
  for my $pid (keys %info) {
    my ($p, $depth) = ($pid, 0);
    $p = $parent{$p} // 0 while $p != $root && $p > 1 && ++$depth < 64;
    next unless $p == $root;
    my $s = $info{$pid};
    $sum += $s->{VmRSS} // 0;
    if ($pid == $root) {
      $root_hwm = $s->{VmHWM} // $root_hwm;
    } else {
      my $name = $s->{Name};
      $child_hwm{$name} = $s->{VmHWM}
        if ($s->{VmHWM} // 0) > ($child_hwm{$name} // 0);
    }
  }
  $tree_peak = $sum if $sum > $tree_peak;
  $samples++;
  usleep($interval * 1000);
}
print "tree_peak_kib $tree_peak\n";
print "root_hwm_kib $root_hwm\n";
print "child_hwm_kib $_ $child_hwm{$_}\n" for sort keys %child_hwm;
print "samples $samples\n";
