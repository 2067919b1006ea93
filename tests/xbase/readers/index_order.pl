# Walks an index file with Perl's XBase module and prints the record numbers in its order,
# one a line (keys may hold any byte, so they are left out).
# Usage: index_order.pl <file> <tag> <char|num|date>
use strict;
use warnings;
use XBase::Index;

my ($file, $tag, $type) = @ARGV;
my %types = (char => 'C', num => 'N', date => 'D');
my $index = XBase::Index->new($file, tag => $tag, type => $types{$type}) or die XBase::Index->errstr;
$index->prepare_select or die $index->errstr;
while (my ($key, $recno) = $index->fetch) {
  print "$recno\n";
}
