#!/usr/bin/perl
# Prints the memo field of every record of a dBase table, read with Perl's XBase module.
# Usage: memodump.pl TABLE.DBF FIELD
# One line per record in file order: "<d> <hex>" (1 for a record marked deleted, else 0; the memo's
# bytes as lower-case hex, "-" for no memo).
use strict;
use warnings;
use XBase;

my ($file, $field) = @ARGV;
die "usage: memodump.pl TABLE.DBF FIELD\n" unless defined $field;
my $table = XBase->new($file) or die XBase->errstr;
my @live;
my @gone;
for my $i (0 .. $table->last_record) {
    my ($deleted, $value) = $table->get_record($i, $field);
    my $data = (defined $value && length $value) ? unpack("H*", $value) : "-";
    if ($deleted) { push @gone, "1 $data"; } else { push @live, "0 $data"; }
}
print join("\n", @live, @gone), "\n";
$table->close;
