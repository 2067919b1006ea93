# Reads a table with Perl's XBase module and prints its records as JSON, every value as
# the hex of its bytes: {"fields": [[name, type]...], "records": [[deleted, [hex...]]...]}.
use strict;
use warnings;
use XBase;
use JSON::PP;

my $table = XBase->new($ARGV[0]) or die XBase->errstr;
my @names = $table->field_names;
my @types = $table->field_types;
my @records;
for my $i (0 .. $table->last_record) {
  my ($deleted, @values) = $table->get_record($i);
  die $table->errstr unless defined $deleted;
  push @records, [$deleted ? JSON::PP::true : JSON::PP::false,
                  [map { defined $_ ? unpack('H*', $_) : undef } @values]];
}
print encode_json({fields => [map { [$names[$_], $types[$_]] } 0 .. $#names], records => \@records});
