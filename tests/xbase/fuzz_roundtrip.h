#pragma once
// The index fuzzers' round trip: a node the decoder took, encoded and decoded again, reads the
// same (its entries, its kind and its siblings). The bytes may differ where the decoder takes
// more than one form of a key.
#include <cstdint>

#include "xbase/xbindex.h"

template <typename TTag>
void TrapUnlessRoundTrip(const TTag& Tag, const XBobjIndexKey& Node, const std::uint8_t* Encoded) {
  XBobjIndexKey again;
  if (!Tag.DecodeNode(Encoded, again)) __builtin_trap();
  if (again.Leaf != Node.Leaf || again.Left != Node.Left || again.Right != Node.Right ||
      again.Entries.size() != Node.Entries.size())
    __builtin_trap();
  for (std::size_t i = 0; i < Node.Entries.size(); ++i) {
    const TxbIndexEntry &a = again.Entries[i], &b = Node.Entries[i];
    if (a.Key != b.Key || a.RecNo != b.RecNo || a.Child != b.Child || a.Beyond != b.Beyond) __builtin_trap();
  }
}
