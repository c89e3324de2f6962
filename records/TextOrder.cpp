#include "records/TextOrder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "records/LargePages.h"

namespace {

// The sort key of a text: eight of its bytes, from some depth on, and the number of bytes left
// from that depth. Keys sort ascending, so the bytes are turned around to put the greater text
// first.
//
// Eight bytes read big-endian and padded with zeros order as the texts do when they differ (a
// text that ends early pads with zeros, and the other has a nonzero byte where they differ).
// When they are equal and at most eight bytes are left, the texts differ at most by padding:
// the longer is the greater. With more than eight left, the next eight bytes decide.
struct Key {
    std::uint64_t bytes;  // complemented: the greater eight first
    std::uint32_t left;   // bytes left from the depth of `bytes`, at most 2^32 - 1
    std::uint32_t index;  // the text's index
};
static_assert(sizeof(Key) == 16, "four keys to a cache line");

// The sixteen bytes that follow a key's eight, kept beside the keys by text index so that the
// texts themselves are read again only when 24 bytes tie.
struct Next {
    std::array<std::uint64_t, 2> bytes;  // complemented, as Key::bytes
};

constexpr int kWordsRead = 3;  // eight bytes in the key, sixteen in Next

// Where a text lies, kept to read the texts whose 24 bytes tie without asking for them again.
struct Text {
    const char* data;
    std::size_t size;
};

// Orders keys with equal bytes: more than eight bytes left (0), else the longer first.
std::uint32_t Rest(const Key& key) { return key.left > 8 ? 0 : 9 - key.left; }

bool Before(const Key& a, const Key& b)
{
    return a.bytes != b.bytes ? a.bytes < b.bytes : Rest(a) < Rest(b);
}

bool Tied(const Key& a, const Key& b) { return a.bytes == b.bytes && Rest(a) == Rest(b); }

std::uint64_t BigEndian(std::uint64_t word)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return __builtin_bswap64(word);
#else
    return word;
#endif
}

// Bytes [depth, depth + 8) of a text, complemented, with zeros past its end.
std::uint64_t Word(std::string_view text, std::size_t depth)
{
    std::uint64_t word = 0;
    if (text.size() > depth)
        std::memcpy(&word, text.data() + depth, std::min<std::size_t>(text.size() - depth, 8));
    return ~BigEndian(word);
}

// Reads a text's 24 bytes from `depth` into its key and its Next.
void ReadText(const Text& where, std::size_t depth, Key& key, Next& next)
{
    const std::string_view text(where.data, where.size);
    key.bytes = Word(text, depth);
    const std::size_t left = text.size() > depth ? text.size() - depth : 0;
    key.left = static_cast<std::uint32_t>(
        std::min<std::size_t>(left, std::numeric_limits<std::uint32_t>::max()));
    next.bytes[0] = Word(text, depth + 8);
    next.bytes[1] = Word(text, depth + 16);
}

// Digit 0 is Rest, digits 1 to 8 the bytes of `bytes` from the lowest.
unsigned Digit(const Key& key, int digit)
{
    return digit == 0 ? Rest(key) : static_cast<unsigned>(key.bytes >> (8 * (digit - 1))) & 0xFFu;
}

void InsertionSort(Key* keys, std::size_t n)
{
    for (std::size_t i = 1; i < n; ++i) {
        const Key key = keys[i];
        std::size_t j = i;
        for (; j > 0 && Before(key, keys[j - 1]); --j)
            keys[j] = keys[j - 1];
        keys[j] = key;
    }
}

// Below this many keys, the counts of a radix sort cost more than they save.
constexpr std::size_t kRadixFrom = 64;
// Up to this many keys (1 MiB) stay in the processor's cache through the passes of a radix
// sort; more are first split by their highest digit, so that each part is sorted in cache.
constexpr std::size_t kSortedInCache = std::size_t{1} << 16;

// Sorts the n keys at `data` by their digits `top` down to 0 (the higher ones are equal) into
// `dest`, which is `data` or `other`, another n keys of room. Each pass of the radix sort is
// stable, and a digit that all keys share costs no pass.
void SortDigits(Key* data, Key* other, std::size_t n, int top, Key* dest)
{
    if (n < kRadixFrom) {
        InsertionSort(data, n);
        if (dest != data)
            std::memcpy(dest, data, n * sizeof(Key));
        return;
    }
    if (n > kSortedInCache && top > 0) {
        // Most significant digit first: the parts that share it are sorted apart.
        std::array<std::size_t, 257> start{};
        for (std::size_t i = 0; i < n; ++i)
            ++start[Digit(data[i], top) + 1];
        if (start[Digit(data[0], top) + 1] == n) {
            SortDigits(data, other, n, top - 1, dest);
            return;
        }
        for (std::size_t v = 1; v <= 256; ++v)
            start[v] += start[v - 1];
        std::array<std::size_t, 257> at = start;
        for (std::size_t i = 0; i < n; ++i)
            other[at[Digit(data[i], top)]++] = data[i];
        for (std::size_t v = 0; v < 256; ++v) {
            const std::size_t begin = start[v];
            const std::size_t size = start[v + 1] - begin;
            if (size > 0)
                SortDigits(other + begin, data + begin, size, top - 1,
                           (dest == data ? data : other) + begin);
        }
        return;
    }
    // Least significant digit first.
    std::array<std::array<std::size_t, 256>, 9> counts{};
    for (std::size_t i = 0; i < n; ++i)
        for (int d = 0; d <= top; ++d)
            ++counts[d][Digit(data[i], d)];
    Key* from = data;
    Key* to = other;
    for (int d = 0; d <= top; ++d) {
        std::array<std::size_t, 256>& count = counts[d];
        if (count[Digit(from[0], d)] == n)
            continue;
        std::size_t begin = 0;
        for (std::size_t& c : count)
            begin += std::exchange(c, begin);
        for (std::size_t i = 0; i < n; ++i)
            to[count[Digit(from[i], d)]++] = from[i];
        std::swap(from, to);
    }
    if (from != dest)
        std::memcpy(dest, from, n * sizeof(Key));
}

void SortKeys(Key* keys, Key* spare, std::size_t n) { SortDigits(keys, spare, n, 8, keys); }

// Memory for `n` items that are all written before being read, not touched before that.
template <typename T>
std::unique_ptr<T[]> Scratch(std::size_t n)
{
    std::unique_ptr<T[]> items(new T[n]);  // not initialized
    AdviseLargePages(items.get(), n * sizeof(T));
    return items;
}

}  // namespace

std::vector<std::uint32_t> DescendingOrder(std::size_t count,
                                           const std::function<std::string_view(std::size_t)>& textOf)
{
    const std::unique_ptr<Key[]> keys = Scratch<Key>(count);
    const std::unique_ptr<Key[]> spare = Scratch<Key>(count);
    const std::unique_ptr<Next[]> next = Scratch<Next>(count);
    const std::unique_ptr<Text[]> texts = Scratch<Text>(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view text = textOf(i);
        texts[i] = {text.data(), text.size()};
    }
    // The texts' bytes are read in a second pass, once it is known where they lie: fetched
    // ahead, they are not waited for one by one.
    constexpr std::size_t kAhead = 16;
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kAhead < count)
            __builtin_prefetch(texts[i + kAhead].data);
        ReadText(texts[i], 0, keys[i], next[i]);
        keys[i].index = static_cast<std::uint32_t>(i);
    }

    // Keys that tie on their eight bytes with more than eight bytes left form a run, sorted
    // again by their next eight. The keys of a tie are in index order, so every sort of a run
    // is as stable as the first.
    struct Run {
        std::size_t begin;
        std::size_t end;
        std::size_t depth;  // of the keys' bytes in the texts
        int word;           // 0: the keys hold their bytes; 1, 2: they are in Next; 3:
                            // they are read from the texts, with the next sixteen
    };
    std::vector<Run> runs = {{0, count, 0, 0}};
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        Key* const runKeys = keys.get() + run.begin;
        const std::size_t n = run.end - run.begin;
        // The keys' next eight bytes: read with the first, or read from the texts with the
        // sixteen after them. Both lie in index order, not in the keys' order, so they are
        // fetched ahead (the texts in two steps: where a text lies, then its bytes).
        if (run.word > 0 && run.word < kWordsRead) {
            for (std::size_t i = 0; i < n; ++i) {
                if (i + kAhead < n)
                    __builtin_prefetch(&next[runKeys[i + kAhead].index]);
                Key& key = runKeys[i];
                key.bytes = next[key.index].bytes[run.word - 1];
                key.left -= 8;
            }
        } else if (run.word == kWordsRead) {
            for (std::size_t i = 0; i < n; ++i) {
                if (i + 2 * kAhead < n)
                    __builtin_prefetch(&texts[runKeys[i + 2 * kAhead].index]);
                if (i + kAhead < n) {
                    const std::uint32_t ahead = runKeys[i + kAhead].index;
                    __builtin_prefetch(texts[ahead].data + run.depth);  // within: > 8 bytes left
                    __builtin_prefetch(&next[ahead], 1);
                }
                Key& key = runKeys[i];
                ReadText(texts[key.index], run.depth, key, next[key.index]);
            }
        }
        SortKeys(runKeys, spare.get(), n);
        for (std::size_t i = 0; i < n;) {
            std::size_t j = i + 1;
            while (j < n && Tied(runKeys[j], runKeys[i]))
                ++j;
            if (j - i > 1 && Rest(runKeys[i]) == 0)
                runs.push_back({run.begin + i, run.begin + j, run.depth + 8, run.word % kWordsRead + 1});
            i = j;
        }
    }

    std::vector<std::uint32_t> order;
    ReserveWithLargePages(order, count);
    for (std::size_t i = 0; i < count; ++i)
        order.push_back(keys[i].index);
    return order;
}
