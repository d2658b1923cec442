#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The row sorts order their keys with a plain exchange sort: for each position
// i from the first, every later position j in turn, swap when key[j] < key[i].
// That sort is not stable, and the order it gives equal keys is part of the
// result (declarations sorted by earlier releases must come out the same), so
// the fast version below reproduces it exactly, equal keys included.
//
// Keys compare byte by byte as unsigned values, a prefix before the longer key
// (std::string's own ordering).
//
// Both return the permutation: element p of the result is the original index
// of the entry that ends at position p.
std::vector<size_t> ExchangeSortOrder(const std::vector<std::string>& keys);
// The same over views of keys held elsewhere, so that no key is copied.
std::vector<size_t> ExchangeSortOrderOfViews(const std::vector<std::string_view>& keys);

// The quadratic sort itself: the reference the fast one is held to.
std::vector<size_t> ExchangeSortOrderLiteral(const std::vector<std::string>& keys);
