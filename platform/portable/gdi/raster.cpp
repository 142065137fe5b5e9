// The block-transfer engine of the portable GDI. Clipping is computed once,
// here; each pair of formats then runs one tight loop per row, with the
// raster operation as a small inlined functor (the common five get their
// own; any other source/destination operation runs through an and/xor form).
// Rows are processed in chunks through fixed scratch buffers, so a transfer
// never allocates.
#include "gdi/raster.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#define GDI_SSE2 1
#endif
// 256-bit loops for small transfers, chosen at run time: the build targets
// any x86-64, the machines it runs on mostly have AVX2.
#if defined(GDI_SSE2) && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define GDI_AVX2 1
#define GDI_AVX2_FN __attribute__((target("avx2")))
#endif

namespace portable::gdi {

namespace {

constexpr std::uint32_t kRgbMask = 0x00FFFFFF;
constexpr int kChunk = 8192;  // pixels per row piece

// Scratch for one row piece: the GDI runs on the UI thread only.
alignas(16) std::uint32_t g_row32[kChunk];
alignas(16) std::uint8_t g_rowBits[kChunk / 8 + 16];

std::uint8_t RopByte(win::DWORD rop) { return static_cast<std::uint8_t>((rop >> 16) & 0xFF); }

// ---- raster operations --------------------------------------------------------

struct OpCopy {
  static constexpr bool kMask = false;
  std::uint32_t operator()(std::uint32_t s, std::uint32_t) const { return s; }
#ifdef GDI_SSE2
  __m128i operator()(__m128i s, __m128i) const { return s; }
#endif
#ifdef GDI_AVX2
  GDI_AVX2_FN __m256i operator()(__m256i s, __m256i) const { return s; }
#endif
};
struct OpPaint {
  static constexpr bool kMask = false;
  std::uint32_t operator()(std::uint32_t s, std::uint32_t d) const { return s | d; }
#ifdef GDI_SSE2
  __m128i operator()(__m128i s, __m128i d) const { return _mm_or_si128(s, d); }
#endif
#ifdef GDI_AVX2
  GDI_AVX2_FN __m256i operator()(__m256i s, __m256i d) const { return _mm256_or_si256(s, d); }
#endif
};
struct OpAnd {
  static constexpr bool kMask = false;
  std::uint32_t operator()(std::uint32_t s, std::uint32_t d) const { return s & d; }
#ifdef GDI_SSE2
  __m128i operator()(__m128i s, __m128i d) const { return _mm_and_si128(s, d); }
#endif
#ifdef GDI_AVX2
  GDI_AVX2_FN __m256i operator()(__m256i s, __m256i d) const { return _mm256_and_si256(s, d); }
#endif
};
struct OpXor {
  static constexpr bool kMask = false;
  std::uint32_t operator()(std::uint32_t s, std::uint32_t d) const { return s ^ d; }
#ifdef GDI_SSE2
  __m128i operator()(__m128i s, __m128i d) const { return _mm_xor_si128(s, d); }
#endif
#ifdef GDI_AVX2
  GDI_AVX2_FN __m256i operator()(__m256i s, __m256i d) const { return _mm256_xor_si256(s, d); }
#endif
};
// Any operation of source and destination: with x0 = f(s, 0) and
// x1 = f(s, 1) bitwise, f(s, d) = (d & (x0 ^ x1)) ^ x0. Results may set the
// unused top byte of colour pixels, so those are masked.
struct OpAny {
  static constexpr bool kMask = true;
  std::uint32_t c0, c1, c2, c3;  // all ones where the rop's truth table is 1
  explicit OpAny(std::uint8_t r)
      : c0(r & 1 ? ~0u : 0), c1(r & 2 ? ~0u : 0), c2(r & 4 ? ~0u : 0), c3(r & 8 ? ~0u : 0) {}
  std::uint32_t operator()(std::uint32_t s, std::uint32_t d) const {
    const std::uint32_t x0 = (s & c2) | (~s & c0);
    const std::uint32_t x1 = (s & c3) | (~s & c1);
    return (d & (x0 ^ x1)) ^ x0;
  }
#ifdef GDI_SSE2
  __m128i operator()(__m128i s, __m128i d) const {
    const __m128i C0 = _mm_set1_epi32(static_cast<int>(c0)),
                  C1 = _mm_set1_epi32(static_cast<int>(c1));
    const __m128i C2 = _mm_set1_epi32(static_cast<int>(c2)),
                  C3 = _mm_set1_epi32(static_cast<int>(c3));
    const __m128i x0 = _mm_or_si128(_mm_and_si128(s, C2), _mm_andnot_si128(s, C0));
    const __m128i x1 = _mm_or_si128(_mm_and_si128(s, C3), _mm_andnot_si128(s, C1));
    const __m128i r = _mm_xor_si128(_mm_and_si128(d, _mm_xor_si128(x0, x1)), x0);
    return _mm_and_si128(r, _mm_set1_epi32(static_cast<int>(kRgbMask)));
  }
#endif
#ifdef GDI_AVX2
  GDI_AVX2_FN __m256i operator()(__m256i s, __m256i d) const {
    const __m256i C0 = _mm256_set1_epi32(static_cast<int>(c0)),
                  C1 = _mm256_set1_epi32(static_cast<int>(c1));
    const __m256i C2 = _mm256_set1_epi32(static_cast<int>(c2)),
                  C3 = _mm256_set1_epi32(static_cast<int>(c3));
    const __m256i x0 = _mm256_or_si256(_mm256_and_si256(s, C2), _mm256_andnot_si256(s, C0));
    const __m256i x1 = _mm256_or_si256(_mm256_and_si256(s, C3), _mm256_andnot_si256(s, C1));
    const __m256i r = _mm256_xor_si256(_mm256_and_si256(d, _mm256_xor_si256(x0, x1)), x0);
    return _mm256_and_si256(r, _mm256_set1_epi32(static_cast<int>(kRgbMask)));
  }
#endif
};

template <class F>
void WithOp(std::uint8_t r, F&& f) {
  switch (r) {
    case 0xCC:
      f(OpCopy{});
      break;
    case 0xEE:
      f(OpPaint{});
      break;
    case 0x88:
      f(OpAnd{});
      break;
    case 0x66:
      f(OpXor{});
      break;
    default:
      f(OpAny{r});
      break;
  }
}

template <class Op>
inline std::uint32_t Px(const Op& op, std::uint32_t s, std::uint32_t d) {
  const std::uint32_t v = op(s, d);
  return Op::kMask ? (v & kRgbMask) : v;
}

// ---- rows into a colour destination ---------------------------------------------------

template <class Op>
void RowColour(std::uint32_t* d, const std::uint32_t* s, int n, const Op& op) {
  int i = 0;
#ifdef GDI_SSE2
  for (; i + 8 <= n; i += 8) {
    const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4));
    const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), op(s0, d0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 4), op(s1, d1));
  }
#endif
  for (; i < n; ++i) d[i] = Px(op, s[i], d[i]);
}

void RowCopy(std::uint32_t* d, const std::uint32_t* s, int n) {
  std::memmove(d, s, static_cast<std::size_t>(n) * 4);
}

template <class Op>
void RowFill(std::uint32_t* d, int n, const Op& op) {
  for (int i = 0; i < n; ++i) d[i] = Px(op, 0u, d[i]);
}

// Monochrome source bits (from bit `sbit` of `srow`) into colour pixels:
// 1 becomes the background colour, 0 the text colour.
template <class Op>
void RowMonoToColour(std::uint32_t* d, const std::uint8_t* srow, int sbit, int n, std::uint32_t bk,
                     std::uint32_t text, const Op& op) {
  const std::uint32_t diff = bk ^ text;
  int i = 0;
  auto one = [&](int k) {
    const int b = sbit + k;
    const std::uint32_t bit = (srow[b >> 3] >> (7 - (b & 7))) & 1u;
    d[k] = Px(op, text ^ (diff & (0u - bit)), d[k]);
  };
#ifdef GDI_SSE2
  const __m128i vText = _mm_set1_epi32(static_cast<int>(text));
  const __m128i vDiff = _mm_set1_epi32(static_cast<int>(diff));
  const __m128i hi = _mm_set_epi32(0x10, 0x20, 0x40, 0x80);
  const __m128i lo = _mm_set_epi32(0x01, 0x02, 0x04, 0x08);
  for (; i + 8 <= n; i += 8) {
    // Eight source bits from any bit position (both bytes lie in the row).
    const int at = sbit + i, shift = at & 7;
    unsigned bits = srow[at >> 3];
    if (shift) bits = (((bits << 8) | srow[(at >> 3) + 1]) >> (8 - shift)) & 0xFF;
    const __m128i b = _mm_set1_epi32(static_cast<int>(bits));
    const __m128i m0 = _mm_cmpeq_epi32(_mm_and_si128(b, hi), hi);
    const __m128i m1 = _mm_cmpeq_epi32(_mm_and_si128(b, lo), lo);
    const __m128i c0 = _mm_xor_si128(vText, _mm_and_si128(vDiff, m0));
    const __m128i c1 = _mm_xor_si128(vText, _mm_and_si128(vDiff, m1));
    const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), op(c0, d0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 4), op(c1, d1));
  }
#endif
  for (; i < n; ++i) one(i);
}

// ---- small transfers into colour, 256 bits at a time --------------------------------

#ifdef GDI_AVX2

bool CpuHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
const bool g_avx2 = CpuHasAvx2();

// Rows of up to 64 pixels (a sprite's cell) run as straight-line code for
// their number of eight-pixel groups, chosen once per transfer: a loop of a
// few turns per row costs as much as the pixels themselves. G < 0 is the
// general loop, for wider rows.

template <class Kernel>
GDI_AVX2_FN void ByGroups(int groups, const Kernel& k) {
  switch (groups) {
    case 0:
      k.template Run<0>();
      break;
    case 1:
      k.template Run<1>();
      break;
    case 2:
      k.template Run<2>();
      break;
    case 3:
      k.template Run<3>();
      break;
    case 4:
      k.template Run<4>();
      break;
    case 5:
      k.template Run<5>();
      break;
    case 6:
      k.template Run<6>();
      break;
    case 7:
      k.template Run<7>();
      break;
    case 8:
      k.template Run<8>();
      break;
    default:
      k.template Run<-1>();
      break;
  }
}

// Colour rows of n pixels from `s` onto `d`, each side stepped by its stride.
template <class Op>
struct ColourRows {
  std::uint8_t* d;
  std::ptrdiff_t dStride;
  const std::uint8_t* s;
  std::ptrdiff_t sStride;
  int n, rows;
  const Op& op;

  template <int G>
  GDI_AVX2_FN void Run() const {
    const int groups = G >= 0 ? G : n >> 3;
    std::uint8_t* dr = d;
    const std::uint8_t* sr = s;
    for (int j = 0; j < rows; ++j, dr += dStride, sr += sStride) {
      auto* dp = reinterpret_cast<std::uint32_t*>(dr);
      const auto* sp = reinterpret_cast<const std::uint32_t*>(sr);
#pragma GCC unroll 8
      for (int g = 0; g < groups; ++g) {
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sp + 8 * g));
        const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dp + 8 * g));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dp + 8 * g), op(sv, dv));
      }
      for (int i = groups * 8; i < n; ++i) dp[i] = Px(op, sp[i], dp[i]);
    }
  }
};

template <class Op>
GDI_AVX2_FN void RowsColourAvx2(std::uint8_t* d, std::ptrdiff_t dStride, const std::uint8_t* s,
                                std::ptrdiff_t sStride, int n, int rows, const Op& op) {
  ByGroups(n >> 3, ColourRows<Op>{d, dStride, s, sStride, n, rows, op});
}

// Eight monochrome bits as eight bytes, 0xFF where the bit is set (the
// first pixel, the top bit, in the lowest byte): sign-extended, the lane
// masks of eight colour pixels.
constexpr std::array<std::uint64_t, 256> MakeSpread() {
  std::array<std::uint64_t, 256> t{};
  for (unsigned b = 0; b < 256; ++b)
    for (unsigned k = 0; k < 8; ++k)
      if (b & (0x80u >> k)) t[b] |= std::uint64_t{0xFF} << (8 * k);
  return t;
}
alignas(64) constexpr std::array<std::uint64_t, 256> kSpread = MakeSpread();

// Monochrome rows (from bit `sbit` of each) onto colour rows: 1 becomes
// the background colour, 0 the text colour, eight pixels at a time.
template <class Op>
struct MonoRows {
  std::uint8_t* d;
  std::ptrdiff_t dStride;
  const std::uint8_t* s;
  std::ptrdiff_t sStride;
  int sbit, n, rows;
  std::uint32_t bk, text;
  const Op& op;

  GDI_AVX2_FN static void Group(std::uint32_t* at, unsigned bits, __m256i vText, __m256i vDiff,
                                const Op& op) {
    const __m256i set = _mm256_cvtepi8_epi32(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&kSpread[bits & 0xFF])));
    const __m256i c = _mm256_xor_si256(vText, _mm256_and_si256(vDiff, set));
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), op(c, dv));
  }

  template <int G>
  GDI_AVX2_FN void Run() const {
    const int groups = G >= 0 ? G : n >> 3;
    const std::uint32_t diff = bk ^ text;
    const __m256i vText = _mm256_set1_epi32(static_cast<int>(text));
    const __m256i vDiff = _mm256_set1_epi32(static_cast<int>(diff));
    const int shift = sbit & 7;
    std::uint8_t* dr = d;
    const std::uint8_t* sr = s;
    const std::uint8_t* s0 = s + (sbit >> 3);
    // Each group's bits are read on their own: a chain from one group to
    // the next would serialise the row.
    for (int j = 0; j < rows; ++j, dr += dStride, sr += sStride, s0 += sStride) {
      auto* dp = reinterpret_cast<std::uint32_t*>(dr);
      if (shift == 0) {
#pragma GCC unroll 8
        for (int g = 0; g < groups; ++g) Group(dp + 8 * g, s0[g], vText, vDiff, op);
      } else {
        // Bits that straddle two bytes: both lie inside the run.
#pragma GCC unroll 8
        for (int g = 0; g < groups; ++g) {
          std::uint16_t two;
          std::memcpy(&two, s0 + g, 2);
          Group(dp + 8 * g, static_cast<unsigned>(__builtin_bswap16(two)) >> (8 - shift), vText,
                vDiff, op);
        }
      }
      for (int k = groups * 8; k < n; ++k) {
        const int b = sbit + k;
        const std::uint32_t bit = (sr[b >> 3] >> (7 - (b & 7))) & 1u;
        dp[k] = Px(op, text ^ (diff & (0u - bit)), dp[k]);
      }
    }
  }
};

template <class Op>
GDI_AVX2_FN void RowsMonoAvx2(std::uint8_t* d, std::ptrdiff_t dStride, const std::uint8_t* s,
                              std::ptrdiff_t sStride, int sbit, int n, int rows, std::uint32_t bk,
                              std::uint32_t text, const Op& op) {
  ByGroups(n >> 3, MonoRows<Op>{d, dStride, s, sStride, sbit, n, rows, bk, text, op});
}

#endif  // GDI_AVX2

// ---- rows into a monochrome destination -----------------------------------------------

// Colour pixels into bits (bit k of the result = pixel k, most significant
// first): 1 where the pixel equals the background colour.
void PackColour(std::uint8_t* out, const std::uint32_t* s, int n, std::uint32_t bk) {
  int i = 0;
#ifdef GDI_SSE2
  // movemask gives the first pixel in bit 0; bytes want it in bit 7.
  static const std::uint8_t kRev4[16] = {0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE,
                                         0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF};
  const __m128i vBk = _mm_set1_epi32(static_cast<int>(bk));
  for (; i + 8 <= n; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4));
    const int ma = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(a, vBk)));
    const int mb = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(b, vBk)));
    out[i >> 3] = static_cast<std::uint8_t>((kRev4[ma] << 4) | kRev4[mb]);
  }
#endif
  for (; i < n; i += 8) {
    std::uint8_t v = 0;
    for (int k = 0; k < 8 && i + k < n; ++k)
      v |= static_cast<std::uint8_t>((s[i + k] == bk) << (7 - k));
    out[i >> 3] = v;
  }
}

// Bits of a monochrome row from bit `sbit`, realigned to start at bit 0.
void ExtractBits(std::uint8_t* out, const std::uint8_t* srow, std::ptrdiff_t rowBytes, int sbit,
                 int n) {
  const int shift = sbit & 7;
  const std::ptrdiff_t first = sbit >> 3;
  const int bytes = (n + 7) / 8;
  for (int j = 0; j < bytes; ++j) {
    const std::ptrdiff_t b = first + j;
    const unsigned hiByte = srow[b];
    const unsigned loByte = (shift != 0 && b + 1 < rowBytes) ? srow[b + 1] : 0u;
    out[j] = static_cast<std::uint8_t>((((hiByte << 8) | loByte) << shift) >> 8);
  }
}

// Applies source bits (bit k = destination pixel dx + k; null for an
// operation without source) to n pixels of a monochrome row from pixel dx.
template <class Op>
void ApplyBits(std::uint8_t* drow, int dx, int n, const std::uint8_t* bits, const Op& op) {
  const int phase = dx & 7;
  const int firstByte = dx >> 3;
  const int lastByte = (dx + n - 1) >> 3;
  for (int j = 0; j <= lastByte - firstByte; ++j) {
    unsigned sv = 0;
    if (bits) {
      // Source bits k = 8j - phase .. 8j - phase + 7 (those outside 0..n-1 are masked off).
      const unsigned prev = j > 0 ? bits[j - 1] : 0u;
      const unsigned cur = 8 * j < n ? bits[j] : 0u;
      sv = (((prev << 8) | cur) >> phase) & 0xFF;
    }
    // Pixels of this byte that lie inside the run.
    const int lo = std::max(0, dx - (firstByte + j) * 8);
    const int hi = std::min(8, dx + n - (firstByte + j) * 8);
    const unsigned mask = (0xFFu >> lo) & (0xFFu << (8 - hi)) & 0xFF;
    std::uint8_t& d = drow[firstByte + j];
    const unsigned v = op(sv, d) & 0xFF;
    d = static_cast<std::uint8_t>((v & mask) | (d & ~mask));
  }
}

bool Overlaps(const View& a, const View* b) { return b && a.bits == b->bits; }

// A colour copy onto a shown surface: rows that already hold the source's
// pixels are not written (most of a frame's copies repeat the last one, and
// writing the server's shared pixels again would cost it and us). Returns
// the rows changed, across the whole width copied.
Rect CopyChangedRows(const View& dst, int dx0, int dy0, const View& src, int sx0, int sy0, int n,
                     int rows) {
  const std::size_t bytes = static_cast<std::size_t>(n) * 4;
  int first = -1, last = -1;
  std::uint8_t* d = dst.bits + dst.stride * dy0 + std::ptrdiff_t{4} * dx0;
  const std::uint8_t* s = src.bits + src.stride * sy0 + std::ptrdiff_t{4} * sx0;
  // A window's rows are a whole surface row apart and, a frame later, in no
  // cache: they are asked for a few rows ahead, so that their loads overlap.
  constexpr int kAhead = 6;
  for (int j = 0; j < rows; ++j, d += dst.stride, s += src.stride) {
    if (j + kAhead < rows) {
      const std::uint8_t* ahead = d + kAhead * dst.stride;
      for (std::size_t o = 0; o < bytes; o += 64) __builtin_prefetch(ahead + o, 1, 3);
      __builtin_prefetch(ahead + bytes - 1, 1, 3);
    }
    if (std::memcmp(d, s, bytes) == 0) continue;
    std::memcpy(d, s, bytes);
    if (first < 0) first = j;
    last = j;
  }
  if (first < 0) return Rect{};
  return Rect{dx0, dy0 + first, n, last - first + 1};
}

}  // namespace

bool Blit(const View& dst, int x, int y, int w, int h, const View* src, int sx, int sy,
          win::DWORD rop, const Colours& colours, Rect* drawn, Rect* changed) {
  if (drawn) *drawn = Rect{};
  if (changed) *changed = Rect{};
  if (!dst || (dst.bpp != 1 && dst.bpp != 32) || !RopSupported(rop)) return false;
  const bool usesSrc = RopUsesSource(rop);
  if (usesSrc && (!src || !*src || (src->bpp != 1 && src->bpp != 32))) return false;
  if (!usesSrc) src = nullptr;

  // A negative size counts back from the given corner, which it includes
  // (Windows orders the rectangle's edges so), on both sides alike.
  std::int64_t X = x, Y = y, W = w, H = h, SX = sx, SY = sy;
  if (W < 0) {
    X += W + 1;
    SX += W + 1;
    W = -W;
  }
  if (H < 0) {
    Y += H + 1;
    SY += H + 1;
    H = -H;
  }
  // Offsets i (columns) and j (rows) of the transfer that land inside the
  // destination and, when it is read, inside the source.
  std::int64_t i0 = std::max<std::int64_t>(0, -X), i1 = std::min<std::int64_t>(W, dst.width - X);
  std::int64_t j0 = std::max<std::int64_t>(0, -Y), j1 = std::min<std::int64_t>(H, dst.height - Y);
  if (src) {
    i0 = std::max<std::int64_t>(i0, -SX);
    i1 = std::min<std::int64_t>(i1, src->width - SX);
    j0 = std::max<std::int64_t>(j0, -SY);
    j1 = std::min<std::int64_t>(j1, src->height - SY);
  }
  if (i1 <= i0 || j1 <= j0) return true;  // nothing to draw is no failure
  const int dx0 = static_cast<int>(X + i0), dy0 = static_cast<int>(Y + j0);
  const int sx0 = static_cast<int>(SX + i0), sy0 = static_cast<int>(SY + j0);
  const int n = static_cast<int>(i1 - i0), rows = static_cast<int>(j1 - j0);

  // Same storage on both sides: walk rows and row pieces away from the
  // overlap, and stage a row piece that shares its row before writing.
  const bool same = Overlaps(dst, src);
  const bool upward = same && dy0 > sy0;
  const bool sameRow = same && dy0 == sy0;
  const bool leftward = sameRow && dx0 > sx0;

  const std::uint8_t r = RopByte(rop);
  if (dst.shown && r == 0xCC && src && src->bpp == 32 && dst.bpp == 32 && !same) {
    const Rect rowsChanged = CopyChangedRows(dst, dx0, dy0, *src, sx0, sy0, n, rows);
    if (drawn) *drawn = Rect{dx0, dy0, n, rows};
    if (changed) *changed = rowsChanged;
    return true;
  }
  const std::uint32_t srcBk = PixelFromColorref(colours.srcBk & kRgbMask);
  const std::uint32_t dstBk = PixelFromColorref(colours.dstBk & kRgbMask);
  const std::uint32_t dstText = PixelFromColorref(colours.dstText & kRgbMask);

  WithOp(r, [&](const auto& op) {
    using Op = std::decay_t<decltype(op)>;
    // The common small transfer into colour (a sprite's cell): one piece
    // per row, row addresses stepped rather than recomputed.
    if (dst.bpp == 32 && src && !same && n <= kChunk) {
      std::uint8_t* d = dst.bits + dst.stride * dy0 + std::ptrdiff_t{4} * dx0;
#ifdef GDI_AVX2
      if (g_avx2) {
        if (src->bpp == 32) {
          RowsColourAvx2(d, dst.stride, src->bits + src->stride * sy0 + std::ptrdiff_t{4} * sx0,
                         src->stride, n, rows, op);
        } else {
          RowsMonoAvx2(d, dst.stride, src->bits + src->stride * sy0, src->stride, sx0, n, rows,
                       dstBk, dstText, op);
        }
        return;
      }
#endif
      if (src->bpp == 32) {
        const std::uint8_t* s = src->bits + src->stride * sy0 + std::ptrdiff_t{4} * sx0;
        for (int j = 0; j < rows; ++j, d += dst.stride, s += src->stride)
          RowColour(reinterpret_cast<std::uint32_t*>(d), reinterpret_cast<const std::uint32_t*>(s),
                    n, op);
      } else {
        const std::uint8_t* s = src->bits + src->stride * sy0;
        for (int j = 0; j < rows; ++j, d += dst.stride, s += src->stride)
          RowMonoToColour(reinterpret_cast<std::uint32_t*>(d), s, sx0, n, dstBk, dstText, op);
      }
      return;
    }
    for (int jj = 0; jj < rows; ++jj) {
      const int j = upward ? rows - 1 - jj : jj;
      const int dy = dy0 + j, sy = sy0 + j;
      const int pieces = (n + kChunk - 1) / kChunk;
      for (int pp = 0; pp < pieces; ++pp) {
        const int p = leftward ? pieces - 1 - pp : pp;
        const int off = p * kChunk;
        const int m = std::min(kChunk, n - off);
        const int dx = dx0 + off, sxp = sx0 + off;
        if (dst.bpp == 32) {
          std::uint32_t* d = dst.Row32(dy) + dx;
          if (!src) {
            RowFill(d, m, op);
          } else if (src->bpp == 32) {
            const std::uint32_t* s = src->Row32(sy) + sxp;
            if constexpr (std::is_same_v<Op, OpCopy>) {
              RowCopy(d, s, m);
            } else {
              if (sameRow) {
                std::memcpy(g_row32, s, static_cast<std::size_t>(m) * 4);
                s = g_row32;
              }
              RowColour(d, s, m, op);
            }
          } else {
            RowMonoToColour(d, src->Row1(sy), sxp, m, dstBk, dstText, op);
          }
        } else {
          const std::uint8_t* bits = nullptr;
          if (src && src->bpp == 32) {
            PackColour(g_rowBits, src->Row32(sy) + sxp, m, srcBk);
            bits = g_rowBits;
          } else if (src) {
            ExtractBits(g_rowBits, src->Row1(sy), src->stride, sxp, m);
            bits = g_rowBits;
          }
          ApplyBits(dst.Row1(dy), dx, m, bits, op);
        }
      }
    }
  });
  if (drawn) *drawn = Rect{dx0, dy0, n, rows};
  if (changed) *changed = Rect{dx0, dy0, n, rows};
  return true;
}

}  // namespace portable::gdi
