// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Sha256.h"

#include <QtEndian>

#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define ORVALIN_SHA_EXTENSIONS 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

constexpr quint32 kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

#ifdef ORVALIN_SHA_EXTENSIONS

alignas(16) constexpr quint32 kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

bool hasExtensions()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool ssse3 = c & (1u << 9);
    const bool sse41 = c & (1u << 19);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    return ssse3 && sse41 && (b & (1u << 29));
}

// count blocks of 64 bytes into state. The state is kept as the
// instructions want it, in the halves ABEF and CDGH; the message words of
// each block are scheduled four at a time, four groups ahead.
__attribute__((target("sha,sse4.1,ssse3"))) void compress(quint32 state[8], const unsigned char* data, qsizetype count)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    __m128i swapped = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0])), 0xB1);
    __m128i cdgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4])), 0x1B);
    __m128i abef = _mm_alignr_epi8(swapped, cdgh, 8);
    cdgh = _mm_blend_epi16(cdgh, swapped, 0xF0);
    for (qsizetype block = 0; block < count; ++block, data += 64) {
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        __m128i w[4];
        for (int g = 0; g < 16; ++g) {
            if (g < 4)
                w[g] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * g)), byteSwap);
            __m128i message = _mm_add_epi32(w[g % 4], _mm_load_si128(reinterpret_cast<const __m128i*>(&kRound[4 * g])));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
            if (g >= 3 && g < 15) {
                __m128i& next = w[(g + 1) % 4];
                next = _mm_add_epi32(next, _mm_alignr_epi8(w[g % 4], w[(g + 3) % 4], 4));
                next = _mm_sha256msg2_epu32(next, w[g % 4]);
            }
            message = _mm_shuffle_epi32(message, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
            if (g >= 1 && g < 13)
                w[(g + 3) % 4] = _mm_sha256msg1_epu32(w[(g + 3) % 4], w[g % 4]);
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    swapped = _mm_shuffle_epi32(abef, 0x1B);
    cdgh = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(swapped, cdgh, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(cdgh, swapped, 8));
}

#endif

} // namespace

bool Sha256::accelerated()
{
#ifdef ORVALIN_SHA_EXTENSIONS
    static const bool has = hasExtensions();
    return has;
#else
    return false;
#endif
}

Sha256::Sha256()
{
    std::memcpy(m_state, kInitial, sizeof m_state);
}

void Sha256::blocks(const unsigned char* data, qsizetype count)
{
#ifdef ORVALIN_SHA_EXTENSIONS
    compress(m_state, data, count);
#else
    Q_UNUSED(data);
    Q_UNUSED(count);
    Q_UNREACHABLE();
#endif
}

void Sha256::addData(QByteArrayView data)
{
    Q_ASSERT(accelerated());
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    qsizetype size = data.size();
    m_length += quint64(size);
    if (m_pendingBytes > 0) {
        const qsizetype taken = qMin(size, 64 - m_pendingBytes);
        std::memcpy(m_pending + m_pendingBytes, bytes, size_t(taken));
        m_pendingBytes += taken;
        bytes += taken;
        size -= taken;
        if (m_pendingBytes < 64)
            return;
        blocks(m_pending, 1);
        m_pendingBytes = 0;
    }
    blocks(bytes, size / 64);
    std::memcpy(m_pending, bytes + size / 64 * 64, size_t(size % 64));
    m_pendingBytes = size % 64;
}

QByteArray Sha256::result()
{
    // The message, a one bit, zeros, and its length in bits: whole blocks.
    unsigned char tail[128] = {};
    std::memcpy(tail, m_pending, size_t(m_pendingBytes));
    tail[m_pendingBytes] = 0x80;
    const qsizetype tailBytes = m_pendingBytes + 1 + 8 <= 64 ? 64 : 128;
    qToBigEndian(m_length * 8, tail + tailBytes - 8);
    blocks(tail, tailBytes / 64);
    QByteArray digest(32, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i)
        qToBigEndian(m_state[i], digest.data() + 4 * i);
    return digest;
}
