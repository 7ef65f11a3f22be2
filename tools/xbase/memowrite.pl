#!/usr/bin/perl
# Writes a table NAME (C 10), NOTE (M) with Perl's XBase module, independently of the engine.
# Usage: memowrite.pl TABLE.DBF KIND RECORD...
# KIND: 3 (dBase III .dbt), 4 (dBase IV .dbt) or fpt (FoxPro .fpt). Each RECORD is NAME:HEX, the
# memo's bytes as hex (empty for no memo); a leading "*" marks the record deleted.
use strict;
use warnings;
use XBase;

my ($file, $kind, @records) = @ARGV;
die "usage: memowrite.pl TABLE.DBF KIND RECORD...\n" unless defined $kind;
my %how = (field_names => ["NAME", "NOTE"], field_types => ["C", "M"],
           field_lengths => [10, 10], field_decimals => [0, 0]);
if ($kind eq "fpt") {
    (my $memo = $file) =~ s/\.[^.\/]*$/.fpt/;
    $how{memofile} = $memo;
} else {
    $how{version} = $kind;
}
unlink $file;
my $table = XBase->create(name => $file, %how) or die XBase->errstr;
my $n = 0;
for my $r (@records) {
    my $deleted = $r =~ s/^\*//;
    my ($name, $hex) = split /:/, $r, 2;
    $table->set_record($n, $name, pack("H*", $hex // "")) or die $table->errstr;
    $table->delete_record($n) if $deleted;
    $n++;
}
$table->close;
