#!/usr/bin/perl
# Reads an NDX index with Perl's XBase::Index: every key in index order ("K <key> <record>"),
# then for each further argument the first key not below it ("S <value> <key> <record>",
# "S <value> -" when there is none). Usage: ndxdump.pl char|num <file> <values...>; character keys
# and values are given and printed in hex.
use strict;
use warnings;
use XBase::Index;

my ($type, $file, @seeks) = @ARGV;
my $index = XBase::Index->new($file) or die XBase::Index->errstr;
my $numeric = $type eq 'num';
sub show { my $k = shift; return $numeric ? $k : unpack('H*', $k); }
$index->prepare_select or die $index->errstr;
while (my ($key, $rec) = $index->fetch) {
  print 'K ', show($key), ' ', $rec, "\n";
}
for my $s (@seeks) {
  my $value = $numeric ? $s : pack('H*', $s);
  $index->prepare_select_eq($value);
  my ($key, $rec) = $index->fetch;
  if (defined $key) { print "S $s ", show($key), " $rec\n"; } else { print "S $s -\n"; }
}
