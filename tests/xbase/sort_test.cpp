#include <gtest/gtest.h>

#include "raised.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "xbase/casetables.h"
#include "xbase/errors.h"
#include "xbase/xbsort.h"

namespace {

using xbtest::RaisedBy;

struct TPair {
  std::string Text;  // text keys
  double Number = 0;  // float and date keys
  std::uint32_t RecNo = 0;
};

std::vector<std::pair<std::string, std::uint32_t>> DrainText(TxbSort& sort) {
  std::vector<std::pair<std::string, std::uint32_t>> out;
  TxbVariant v;
  std::uint32_t r;
  while (sort.NextKey(v, r)) out.emplace_back(v.AsString(), r);
  return out;
}

TEST(KeySorter, TheTextExampleWithAndWithoutUnique) {
  for (bool unique : {false, true}) {
    TxbSort sort(10, nullptr, unique, false);
    const char* keys[] = {"B", "A", "AB", "A"};
    TxbVariant v;
    for (std::uint32_t i = 0; i < 4; ++i) {
      v.SetString(keys[i]);
      sort.AddKey(v, i + 1);
    }
    using P = std::vector<std::pair<std::string, std::uint32_t>>;
    P expected = unique ? P{{"A", 2}, {"AB", 3}, {"B", 1}} : P{{"A", 2}, {"A", 4}, {"AB", 3}, {"B", 1}};
    EXPECT_EQ(DrainText(sort), expected);
  }
}

TEST(KeySorter, ErrorsAreRaised) {
  TxbVariant text, logical, longText;
  text.SetString("A");
  logical.SetBoolean(true);
  longText.SetString(std::string(11, 'x'));
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* message;
  } cases[] = {
      {"key length 241", [] { TxbSort s(241, nullptr, false, false); }, SSortKeyTooLong},
      {"a logical key",
       [&] {
         TxbSort s(10, nullptr, false, false);
         s.AddKey(logical, 1);
       },
       SVariantNoSort},
      {"a key beyond the length",
       [&] {
         TxbSort s(10, nullptr, false, false);
         s.AddKey(longText, 1);
       },
       SSortKeyTooLong},
      {"adding after retrieval",
       [&] {
         TxbSort s(10, nullptr, false, false);
         s.AddKey(text, 1);
         TxbVariant v;
         std::uint32_t r;
         s.NextKey(v, r);
         s.AddKey(text, 2);
       },
       SCannotAddSortKeys},
  };
  for (auto& c : cases) EXPECT_EQ(RaisedBy(c.call), c.message) << c.what;
}

// The sorter against std::stable_sort on the same pairs, by one reference order.
class SorterAgainstStableSort : public ::testing::TestWithParam<std::tuple<int, bool, bool, std::size_t>> {};

enum { kText, kFloat, kDate };

TEST_P(SorterAgainstStableSort, SameOrder) {
  const int kind = std::get<0>(GetParam());
  const bool unique = std::get<1>(GetParam()), descending = std::get<2>(GetParam());
  const std::size_t budget = std::get<3>(GetParam());
  std::mt19937 rng(kind * 7 + unique * 3 + descending + static_cast<int>(budget));
  const TxbByteTable* collation = kind == kText ? &UpperCaseTable(TxbCodePage::cp1251) : nullptr;
  std::vector<TPair> pairs;
  const double specials[] = {-0.0, 0.0, 1e300, -1e300, 1.0, std::nextafter(1.0, 2.0), 1.0 + std::ldexp(1.0, -40),
                             -1.0, std::nextafter(-1.0, -2.0), -2.0, -3.0, 0.05};
  for (std::uint32_t r = 1; r <= 3000; ++r) {
    TPair p;
    p.RecNo = r;
    if (kind == kText) {
      static const char alphabet[] = "aAbB \x01z\xC0\xE0";
      int n = static_cast<int>(rng() % 5);
      for (int i = 0; i < n; ++i) p.Text += alphabet[rng() % (sizeof alphabet - 1)];
      while (!p.Text.empty() && p.Text.back() == ' ') p.Text.pop_back();
    } else if (kind == kFloat) {
      p.Number = rng() % 3 ? specials[rng() % std::size(specials)] : std::ldexp(static_cast<double>(rng()) - 2e9, -static_cast<int>(rng() % 60));
    } else {
      p.Number = rng() % 4 ? 2450000 + rng() % 50 : 0;
    }
    pairs.push_back(p);
  }
  std::shuffle(pairs.begin(), pairs.end(), rng);

  // The reference: key (text mapped, shorter read as blank-padded), then record number.
  auto keyOrder = [&](const TPair& a, const TPair& b) {
    if (kind != kText) return a.Number < b.Number ? -1 : (b.Number < a.Number ? 1 : 0);
    std::size_t n = std::max(a.Text.size(), b.Text.size());
    for (std::size_t i = 0; i < n; ++i) {
      std::uint8_t x = (*collation)[static_cast<std::uint8_t>(i < a.Text.size() ? a.Text[i] : ' ')];
      std::uint8_t y = (*collation)[static_cast<std::uint8_t>(i < b.Text.size() ? b.Text[i] : ' ')];
      if (x != y) return x < y ? -1 : 1;
    }
    return 0;
  };
  std::vector<TPair> expected = pairs;
  std::stable_sort(expected.begin(), expected.end(), [&](const TPair& a, const TPair& b) {
    int c = keyOrder(a, b);
    if (c != 0) return descending ? c > 0 : c < 0;
    return descending && !unique ? a.RecNo > b.RecNo : a.RecNo < b.RecNo;
  });
  if (unique)
    expected.erase(std::unique(expected.begin(), expected.end(), [&](const TPair& a, const TPair& b) { return keyOrder(a, b) == 0; }),
                   expected.end());

  TxbSort sort(20, collation, unique, descending, budget);
  TxbVariant v;
  for (const TPair& p : pairs) {
    if (kind == kText)
      v.SetString(p.Text);
    else if (kind == kFloat)
      v.SetFloat(p.Number);
    else
      v.SetDate(static_cast<std::int32_t>(p.Number));
    sort.AddKey(v, p.RecNo);
  }
  if (budget < 100000) {
    EXPECT_GE(sort.RunCount(), 3);
  }
  std::uint32_t r;
  std::size_t i = 0;
  while (sort.NextKey(v, r)) {
    ASSERT_LT(i, expected.size());
    EXPECT_EQ(r, expected[i].RecNo) << "at " << i;
    if (kind == kText) {
      EXPECT_EQ(keyOrder(TPair{v.AsString()}, expected[i]), 0) << "at " << i;
    }
    if (kind == kFloat) {
      EXPECT_EQ(v.AsFloat(), expected[i].Number) << "at " << i;
    }
    if (kind == kDate) {
      EXPECT_EQ(v.AsDate(), static_cast<std::int32_t>(expected[i].Number)) << "at " << i;
    }
    ++i;
  }
  EXPECT_EQ(i, expected.size());
}

INSTANTIATE_TEST_SUITE_P(Kinds, SorterAgainstStableSort,
                         ::testing::Combine(::testing::Values(kText, kFloat, kDate), ::testing::Bool(), ::testing::Bool(),
                                            ::testing::Values(std::size_t{16} << 20, std::size_t{4096})));

}  // namespace
