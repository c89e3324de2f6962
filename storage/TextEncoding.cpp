#include "storage/TextEncoding.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "records/Utf8.h"

namespace {

// Code points of the bytes 0x80 to 0x9F. The five bytes that Windows-1252 leaves undefined keep
// their own number, as the C1 control character of that number.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

#if defined(__x86_64__)
// Keiser and Lemire's check, 32 bytes at a time. Every error of UTF-8 shows in a byte and the
// one before it (a lead byte without its continuation, a continuation without a lead, an
// overlong form, a surrogate, a code point above U+10FFFF), except a third or fourth byte that
// is missing or one too many: each of the three nibbles involved is looked up in a table of
// the errors it allows, and an error is where all three allow the same one. The third and
// fourth bytes are checked apart, against the lead bytes two and three places before them.
namespace utf8vectors {

constexpr std::uint8_t kTooShort = 1 << 0;         // a lead byte followed by a lead or ASCII byte
constexpr std::uint8_t kTooLong = 1 << 1;          // ASCII followed by a continuation
constexpr std::uint8_t kOverlong3 = 1 << 2;        // E0 80-9F
constexpr std::uint8_t kTooLarge = 1 << 3;         // F4 90-BF, F5-FF
constexpr std::uint8_t kSurrogate = 1 << 4;        // ED A0-BF
constexpr std::uint8_t kOverlong2 = 1 << 5;        // C0, C1
constexpr std::uint8_t kTooLarge1000 = 1 << 6;     // F5-FF 80-8F
constexpr std::uint8_t kOverlong4 = 1 << 6;        // F0 80-8F
constexpr std::uint8_t kTwoConts = 1 << 7;         // two continuations, unless a third or fourth byte
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

// A table of sixteen bytes, in both halves of a vector so that each half looks up in it.
__attribute__((target("avx2"))) inline __m256i Table(const std::array<std::uint8_t, 16>& t)
{
    __m128i half;
    std::memcpy(&half, t.data(), sizeof half);
    return _mm256_broadcastsi128_si256(half);
}

// The bytes of `input` moved up by N places, with the last N of `before` below them.
template <int N>
__attribute__((target("avx2"))) inline __m256i Before(__m256i input, __m256i before)
{
    return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(before, input, 0x21), 16 - N);
}

__attribute__((target("avx2"))) inline __m256i HighNibbles(__m256i v)
{
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

constexpr std::array<std::uint8_t, 16> kFirstHigh = {
    kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,  // 0_______
    kTwoConts, kTwoConts, kTwoConts, kTwoConts,                                      // 10______
    kTooShort | kOverlong2,                                                          // 1100____
    kTooShort,                                                                       // 1101____
    kTooShort | kOverlong3 | kSurrogate,                                             // 1110____
    kTooShort | kTooLarge | kTooLarge1000 | kOverlong4,                              // 1111____
};
constexpr std::array<std::uint8_t, 16> kFirstLow = {
    kCarry | kOverlong3 | kOverlong2 | kOverlong4,  // ____0000
    kCarry | kOverlong2,                            // ____0001
    kCarry,
    kCarry,
    kCarry | kTooLarge,  // ____0100
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000 | kSurrogate,  // ____1101
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
};
constexpr std::array<std::uint8_t, 16> kSecondHigh = {
    kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,  // 0_______
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,  // 1000____
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,                   // 1001____
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,                   // 101_____
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
    kTooShort, kTooShort, kTooShort, kTooShort,  // 11______
};

__attribute__((target("avx2"))) bool IsValid(const unsigned char* p, std::size_t n)
{
    const __m256i firstHigh = Table(kFirstHigh);
    const __m256i firstLow = Table(kFirstLow);
    const __m256i secondHigh = Table(kSecondHigh);
    const __m256i lowNibble = _mm256_set1_epi8(0x0F);
    const __m256i high = _mm256_set1_epi8(static_cast<char>(0x80));
    // What the last three bytes of a block may be and still end a character: a lead byte
    // there needs bytes from the next block.
    const __m256i mayEnd = _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                            -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                            static_cast<char>(0xF0 - 1), static_cast<char>(0xE0 - 1),
                                            static_cast<char>(0xC0 - 1));
    __m256i error = _mm256_setzero_si256();
    __m256i before = _mm256_setzero_si256();
    __m256i cutShort = _mm256_setzero_si256();
    const auto check = [&](__m256i input) __attribute__((target("avx2"))) {
        if (_mm256_movemask_epi8(input) == 0) {
            error = _mm256_or_si256(error, cutShort);
            cutShort = _mm256_setzero_si256();
        } else {
            const __m256i prev1 = Before<1>(input, before);
            const __m256i special =
                _mm256_and_si256(_mm256_and_si256(_mm256_shuffle_epi8(firstHigh, HighNibbles(prev1)),
                                                  _mm256_shuffle_epi8(firstLow, _mm256_and_si256(prev1, lowNibble))),
                                 _mm256_shuffle_epi8(secondHigh, HighNibbles(input)));
            // A third byte lies two after a lead of 1110____ or more, a fourth three after
            // 11110___: only those stay at 0x80 or above once lowered so.
            const __m256i third = _mm256_subs_epu8(Before<2>(input, before), _mm256_set1_epi8(0xE0 - 0x80));
            const __m256i fourth = _mm256_subs_epu8(Before<3>(input, before), _mm256_set1_epi8(0xF0 - 0x80));
            const __m256i mustContinue = _mm256_and_si256(_mm256_or_si256(third, fourth), high);
            error = _mm256_or_si256(error, _mm256_xor_si256(mustContinue, special));
            cutShort = _mm256_subs_epu8(input, mayEnd);
        }
        before = input;
    };
    for (; n >= 32; p += 32, n -= 32)
        check(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
    if (n > 0) {
        // The rest, followed by zeros: ASCII, after which a character cut short is an error.
        alignas(32) unsigned char rest[32] = {};
        std::memcpy(rest, p, n);
        check(_mm256_load_si256(reinterpret_cast<const __m256i*>(rest)));
    }
    error = _mm256_or_si256(error, cutShort);
    return _mm256_testz_si256(error, error) != 0;
}

}  // namespace utf8vectors
#endif

}  // namespace

bool IsValidUtf8(std::string_view bytes, Utf8Checking checking)
{
#if defined(__x86_64__)
    static const bool vectors = __builtin_cpu_supports("avx2");
    if (vectors && checking == Utf8Checking::Fastest)
        return utf8vectors::IsValid(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
#else
    (void)checking;
#endif
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Most text is ASCII: take it sixteen bytes at a time, and go straight to the first
        // byte that is not.
#if defined(__SSE2__)
        if (end - p >= 16) {
            const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
            if (high == 0) {
                p += 16;
                continue;
            }
            p += __builtin_ctz(static_cast<unsigned>(high));
        }
#else
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
#endif
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        // The lead byte fixes the length and the range of the first continuation byte, which
        // rules out overlong forms, surrogates and code points above U+10FFFF.
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        if (p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i < length; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF)
                return false;
        }
        p += length;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else if (b < 0xA0)
            AppendUtf8(out, kHighControls[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::string DecodeFileText(std::string bytes)
{
    // A byte order mark says the file was meant as UTF-8; it is dropped before the check, so
    // that a damaged file that carries one still has its first line read as a line.
    if (bytes.starts_with(kByteOrderMark))
        bytes.erase(0, kByteOrderMark.size());
    if (IsValidUtf8(bytes))
        return bytes;
    return Windows1252ToUtf8(bytes);
}
