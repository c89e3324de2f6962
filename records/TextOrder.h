#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// The order that sorts `count` texts descending by their bytes compared as unsigned (the order
// of std::string_view), equal texts keeping their order: result[i] is the index of the text
// that goes to position i. It is the order std::stable_sort with std::greater gives, found by
// sorting eight bytes at a time by their digits, so that most texts are read once, in index
// order, instead of in n log n comparisons of texts scattered in memory.
//
// textOf(i), 0 <= i < count, gives text i; it is asked for each text once, in index order, and
// the texts must stay where they are until the order is returned. At most 2^32 - 1 texts.
std::vector<std::uint32_t> DescendingOrder(std::size_t count,
                                           const std::function<std::string_view(std::size_t)>& textOf);
