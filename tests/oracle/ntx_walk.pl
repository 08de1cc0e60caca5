#!/usr/bin/perl
# An index file of ours walked by an independent reader, Perl's XBase::Index, and checked
# against its table as Perl's XBase reads it:
#   - every record of the table (deleted ones too) occurs exactly once;
#   - each key is the record's value under the index's key expression, FIELD or UPPER(FIELD)
#     (UPPER folds a-z and the code-page-850 umlauts ä ö ü, as the program's UPPER does);
#   - the keys ascend (character keys as bytes, numeric keys as numbers), equal keys in
#     record order.
# Prints the record numbers in key order, separated by commas. Exits 1 when a check fails.
#
#   ntx_walk.pl TABLE.dbf INDEX.ntx
use strict;
use warnings;
use XBase;
use XBase::Index;

@ARGV == 2 or die "usage: ntx_walk.pl TABLE.dbf INDEX.ntx\n";
my ($dbf, $ntx) = @ARGV;

# The key expression (offset 22, NUL-ended) and the key size (offset 14) of the header page.
open(my $in, '<:raw', $ntx) or die "$ntx: $!\n";
read($in, my $head, 1024) == 1024 or die "$ntx: shorter than its header page\n";
close $in;
my $keySize = unpack('v', substr($head, 14, 2));
my $expression = unpack('Z256', substr($head, 22, 256));
my ($upper, $field) = $expression =~ /^\s*(UPPER\s*\()?\s*(\w+)\s*\)?\s*$/i
  or die "$ntx: key expression '$expression' is neither FIELD nor UPPER(FIELD)\n";

my $table = XBase->new(name => $dbf, ignorememo => 1) or die "XBase: " . XBase->errstr . "\n";
my %typeOf;
@typeOf{ map { uc } $table->field_names } = $table->field_types;
my $type = $typeOf{ uc $field } // die "$dbf: no field $field\n";
my $numeric = $type eq 'N';

# The key each record must have.
my @expected;
for my $r (0 .. $table->last_record) {
  my $row = $table->get_record_as_hash($r) or die "XBase: record " . ($r + 1) . "\n";
  my $value = $row->{ uc $field };
  if ($numeric) {
    $expected[$r + 1] = defined $value && $value ne '' ? $value + 0 : 0;
    next;
  }
  $value = '' unless defined $value;
  $value = substr($value . (' ' x $keySize), 0, $keySize);
  if ($upper) {
    $value =~ tr/a-z/A-Z/;
    $value =~ tr/\x84\x94\x81/\x8E\x99\x9A/;
  }
  $expected[$r + 1] = $value;
}

my $index = XBase::Index->new($ntx, type => $numeric ? 'N' : 'C')
  or die "XBase::Index: " . XBase::Index->errstr . "\n";
$index->prepare_select;
my (@order, %seen, @failures);
my ($previousKey, $previousRecord);
while (my ($key, $record) = $index->fetch) {
  push @order, $record;
  push @failures, "record $record occurs twice" if $seen{$record}++;
  if ($record < 1 || $record > $table->last_record + 1) {
    push @failures, "record $record is not in the table";
    next;
  }
  my $same = $numeric ? abs($key - $expected[$record]) < 1e-9 : $key eq $expected[$record];
  push @failures, "record $record has the key '$key', its value gives '$expected[$record]'"
    unless $same;
  if (defined $previousKey) {
    my $c = $numeric ? $previousKey <=> $key : $previousKey cmp $key;
    push @failures, "record $record ('$key') follows record $previousRecord ('$previousKey')"
      if $c > 0 || ($c == 0 && $previousRecord > $record);
  }
  ($previousKey, $previousRecord) = ($key, $record);
}
my $missing = $table->last_record + 1 - keys %seen;
push @failures, "$missing records of the table are not in the index" if $missing > 0;

if (@failures) {
  print STDERR "$ntx: $_\n" for @failures[ 0 .. ($#failures < 9 ? $#failures : 9) ];
  exit 1;
}
print join(',', @order), "\n";
