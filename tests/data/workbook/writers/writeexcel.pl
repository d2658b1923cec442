#!/usr/bin/perl
# Writes one sheet, described in JSON by make_more_writers.py, as an .xls file
# with Spreadsheet::WriteExcel: perl writeexcel.pl SHEET.json OUT.xls
use strict;
use warnings;
use utf8;
use JSON::PP;
use Spreadsheet::WriteExcel;

my ($source, $out) = @ARGV;
open(my $in, '<:raw', $source) or die "$source: $!";
my $sheet = JSON::PP->new->utf8->decode(do { local $/; <$in> });
close $in;

my $book = Spreadsheet::WriteExcel->new($out) or die "$out: $!";
my $page = $book->add_worksheet('Φύλλο1');
my $dates = $book->add_format(num_format => 'dd/mm/yyyy');
for my $r (0 .. $#$sheet) {
    my $row = $sheet->[$r];
    for my $c (0 .. $#$row) {
        my $cell = $row->[$c] or next;
        my ($kind, @rest) = @$cell;
        if ($kind eq 'n') {
            $page->write_number($r, $c, $rest[0]);
        } elsif ($kind eq 's') {
            $page->write_string($r, $c, $rest[0]);
        } elsif ($kind eq 'd') {
            $page->write_date_time($r, $c, $rest[0] . 'T', $dates);
        } elsif ($kind eq 'e' || $kind eq 'f') {
            # Without a result the formula is saved with a stand-in 0, marked to be calculated on opening.
            $page->write_formula($r, $c, '=' . $rest[0], undef, $rest[2]);
        } elsif ($kind eq 'u') {
            $page->write_url($r, $c, $rest[1], $rest[0]);
        }
    }
}
$book->close() or die "$out: $!";
