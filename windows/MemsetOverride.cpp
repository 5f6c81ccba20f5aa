// memset for everything in a Windows plug-in DLL, in place of the C
// runtime's. msvcrt's fills the AmbiX plug-in's nine silent channels (two
// kilobytes each on 512-frame blocks) so slowly that with compensation off
// the plug-in cost 1.3-1.4 times the Linux one, whose glibc memset stores
// sixteen or thirty-two bytes at a time; this one does the same. As with the
// trigonometry (LibmOverrides.cpp), the DLL's own definition comes before
// the runtime libraries, so the runtime's is never pulled in.
//
// Built without the compiler's builtins and loop-to-memset rewriting: a loop
// that stores bytes must not become a call to itself.
#include <emmintrin.h>
#include <immintrin.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace {

// Below this, one byte at a time costs less than lining up for vectors.
constexpr std::size_t kVectorFrom = 64;

void fillBytes(unsigned char* p, unsigned char* end, unsigned char value)
{
    for (; p < end; ++p)
        *p = value;
}

void fillSse2(unsigned char* p, unsigned char* end, unsigned char value)
{
    const __m128i v = _mm_set1_epi8(static_cast<char>(value));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    // From the first 16-byte boundary on, whole aligned stores; the last
    // store may overlap the one before it.
    unsigned char* aligned = reinterpret_cast<unsigned char*>((reinterpret_cast<std::uintptr_t>(p) + 16) & ~std::uintptr_t(15));
    for (p = aligned; p + 16 <= end; p += 16)
        _mm_store_si128(reinterpret_cast<__m128i*>(p), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 16), v);
}

// Up to 256 bytes: a few overlapping stores from both ends, no loop (the
// silent channels of 64-frame blocks are 256 bytes each). Beyond: aligned
// stores four at a time.
[[gnu::target("avx")]] void fillAvx(unsigned char* p, unsigned char* end, unsigned char value)
{
    const __m256i v = _mm256_set1_epi8(static_cast<char>(value));
    const std::size_t count = static_cast<std::size_t>(end - p);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 64), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 32), v);
    if (count > 128) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 64), v);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 96), v);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 128), v);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 96), v);
    }
    if (count > 256) {
        unsigned char* at =
            reinterpret_cast<unsigned char*>((reinterpret_cast<std::uintptr_t>(p) + 32) & ~std::uintptr_t(31));
        for (; at + 128 <= end; at += 128) {
            _mm256_store_si256(reinterpret_cast<__m256i*>(at), v);
            _mm256_store_si256(reinterpret_cast<__m256i*>(at + 32), v);
            _mm256_store_si256(reinterpret_cast<__m256i*>(at + 64), v);
            _mm256_store_si256(reinterpret_cast<__m256i*>(at + 96), v);
        }
        for (; at + 32 <= end; at += 32)
            _mm256_store_si256(reinterpret_cast<__m256i*>(at), v);
    }
    _mm256_zeroupper();
}

// Whether the processor and the system support AVX: asked once, on first
// use (memset may run before any constructor does). Until then, and on a
// race, the SSE2 path is as correct.
bool withAvx()
{
    static std::atomic<int> known{-1};
    int answer = known.load(std::memory_order_relaxed);
    if (answer < 0) {
        __builtin_cpu_init();
        answer = __builtin_cpu_supports("avx") ? 1 : 0;
        known.store(answer, std::memory_order_relaxed);
    }
    return answer == 1;
}

} // namespace

extern "C" void* memset(void* destination, int value, std::size_t count)
{
    auto* p = static_cast<unsigned char*>(destination);
    const auto byte = static_cast<unsigned char>(value);
    if (count < kVectorFrom)
        fillBytes(p, p + count, byte);
    else if (withAvx())
        fillAvx(p, p + count, byte);
    else
        fillSse2(p, p + count, byte);
    return destination;
}
