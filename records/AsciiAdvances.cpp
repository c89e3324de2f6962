#include "records/AsciiAdvances.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

#if defined(__x86_64__)
// Each byte's advance looked up 64 bytes at a time (the byte's low seven bits choose among the
// table's 128 entries) and added up eight at a time. The last bytes are loaded under a mask,
// so that nothing past the text is read.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) long long SumInVectors(const std::uint8_t* table,
                                                                               const char* text,
                                                                               std::size_t size)
{
    const __m512i low = _mm512_load_si512(table);
    const __m512i high = _mm512_load_si512(table + 64);
    const __m512i zero = _mm512_setzero_si512();
    __m512i sums = zero;
    for (; size >= 64; text += 64, size -= 64) {
        const __m512i bytes = _mm512_loadu_si512(text);
        sums = _mm512_add_epi64(sums, _mm512_sad_epu8(_mm512_permutex2var_epi8(low, bytes, high), zero));
    }
    if (size > 0) {
        const __mmask64 rest = (__mmask64{1} << size) - 1;
        const __m512i bytes = _mm512_maskz_loadu_epi8(rest, text);
        sums = _mm512_add_epi64(sums, _mm512_sad_epu8(_mm512_maskz_permutex2var_epi8(rest, low, bytes, high), zero));
    }
    alignas(64) long long lanes[8];
    _mm512_store_si512(lanes, sums);
    long long sum = 0;
    for (long long lane : lanes)
        sum += lane;
    return sum;
}

bool CanSumInVectors()
{
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}
#endif

}  // namespace

AsciiAdvances::AsciiAdvances(const std::array<int, 128>& advances, Summing summing) : m_advances(advances)
{
    const bool fitBytes = std::all_of(advances.begin(), advances.end(), [](int a) { return a >= 0 && a <= 255; });
    if (fitBytes) {
        for (std::size_t i = 0; i < advances.size(); ++i)
            m_bytes[i] = static_cast<std::uint8_t>(advances[i]);
    }
#if defined(__x86_64__)
    m_vectors = fitBytes && summing == Summing::Fastest && CanSumInVectors();
#else
    (void)summing;
#endif
}

long long AsciiAdvances::Width(std::string_view text) const
{
#if defined(__x86_64__)
    if (m_vectors)
        return SumInVectors(m_bytes.data(), text.data(), text.size());
#endif
    long long width = 0;
    for (char ch : text)
        width += m_advances[static_cast<unsigned char>(ch) & 0x7F];
    return width;
}
