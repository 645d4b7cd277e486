// The line-end masks of the scanner, with AVX2 where the processor has it.
#include "filter/ps_scanner.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TF_LINE_END_AVX2 1
#endif

namespace tf {
namespace {

// The bits of the bytes from `p` to `p + n` (n < 64).
std::uint64_t TailMask(const char* p, std::size_t n) {
  std::uint64_t mask = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] == '\n' || p[i] == '\r') mask |= std::uint64_t{1} << i;
  }
  return mask;
}

}  // namespace

void LineEndMasksPortable(const char* p, std::size_t n, std::uint64_t* masks) {
  std::size_t word = 0;
  for (; n >= 64; p += 64, n -= 64, ++word) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
      const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr))));
      mask |= static_cast<std::uint64_t>(bits) << (16 * i);
    }
    masks[word] = mask;
#else
    masks[word] = TailMask(p, 64);
#endif
  }
  if (n > 0) masks[word] = TailMask(p, n);
}

namespace {

#if defined(TF_LINE_END_AVX2)
__attribute__((target("avx2"))) void LineEndMasksAvx2(const char* p, std::size_t n,
                                                       std::uint64_t* masks) {
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i cr = _mm256_set1_epi8('\r');
  std::size_t word = 0;
  for (; n >= 64; p += 64, n -= 64, ++word) {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const std::uint32_t lowBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(low, lf), _mm256_cmpeq_epi8(low, cr))));
    const std::uint32_t highBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(high, lf), _mm256_cmpeq_epi8(high, cr))));
    masks[word] = (static_cast<std::uint64_t>(highBits) << 32) | lowBits;
  }
  if (n > 0) masks[word] = TailMask(p, n);
}
#endif

}  // namespace

void LineEndMasks(const char* p, std::size_t n, std::uint64_t* masks) {
#if defined(TF_LINE_END_AVX2)
  if (__builtin_cpu_supports("avx2")) {
    LineEndMasksAvx2(p, n, masks);
    return;
  }
#endif
  LineEndMasksPortable(p, n, masks);
}

}  // namespace tf
