#pragma once

#include <juce_dsp/juce_dsp.h>

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
 #include <emmintrin.h>
#endif

// The arithmetic of the engine's oversampler alone: the same 2x half-band equiripple FIR stage as
// juce::dsp::Oversampling<float> builds (the same designed coefficients, and for every output
// sample the same float operations in the same order), without JUCE's per-sample shifting of the
// filter state, and with four consecutive output samples computed side by side in SIMD lanes
// (each lane runs the scalar sequence unchanged, so the results are bit-identical).
// The benchmark uses it to price the oversampler's mandated arithmetic, apart from its
// implementation; it checks the identity before it measures.

namespace vexa_bench
{
class OversamplerArithmetic
{
public:
    explicit OversamplerArithmetic (int numChannelsIn) : numChannels (numChannelsIn)
    {
        using Design = juce::dsp::FilterDesign<float>;
        const auto up = Design::designFIRLowpassHalfBandEquirippleMethod (0.05f, -90.0f);
        const auto down = Design::designFIRLowpassHalfBandEquirippleMethod (0.06f, -75.0f);
        const int nUp = (int) up->getFilterOrder() + 1;
        const int nDown = (int) down->getFilterOrder() + 1;

        // JUCE's up stage sums (buf[k] + buf[N-1-k]) * h[k] for even k < N/2, where the even
        // places of its state hold the last (N+1)/2 inputs; its odd output is buf[N/2+1] * h[N/2].
        for (int k = 0; k < nUp / 2; k += 2)
            upTaps.push_back (up->getRawCoefficients()[k]);
        upCentre = up->getRawCoefficients()[nUp / 2];
        upSpan = (nUp - 1) / 2;
        upCentreDelay = (nUp - 1 - (nUp / 2 + 1)) / 2;

        // Its down stage sums the even phase the same way and adds the odd phase, delayed by
        // N/4 + 1 samples, times h[N/2].
        for (int k = 0; k < nDown / 2; k += 2)
            downTaps.push_back (down->getRawCoefficients()[k]);
        downCentre = down->getRawCoefficients()[nDown / 2];
        downSpan = (nDown - 1) / 2;
        oddDelay = nDown / 4 + 1;
    }

    void prepare (int maximumBlockSize)
    {
        maxBlock = maximumBlockSize;
        const auto lanes = (size_t) 4;
        upHistory.assign ((size_t) numChannels, std::vector<float> ((size_t) (upSpan + maxBlock) + lanes, 0.0f));
        evenHistory.assign ((size_t) numChannels, std::vector<float> ((size_t) (downSpan + maxBlock) + lanes, 0.0f));
        oddHistory.assign ((size_t) numChannels, std::vector<float> ((size_t) (oddDelay + maxBlock) + lanes, 0.0f));
        upsampled.assign ((size_t) numChannels, std::vector<float> ((size_t) (2 * maxBlock) + 2 * lanes, 0.0f));
    }

    void reset()
    {
        for (auto* set : { &upHistory, &evenHistory, &oddHistory, &upsampled })
            for (auto& v : *set)
                std::fill (v.begin(), v.end(), 0.0f);
    }

    float* getUpsampled (int channel) noexcept { return upsampled[(size_t) channel].data(); }

    /** n base-rate samples per channel in, 2n interleaved (even, odd) samples out. */
    void processUp (const float* const* input, int n) noexcept
    {
        const int taps = (int) upTaps.size();

        for (int c = 0; c < numChannels; ++c)
        {
            float* h = upHistory[(size_t) c].data(); // h[upSpan + i] = 2 * x[i]
            for (int i = 0; i < n; ++i)
                h[upSpan + i] = 2 * input[c][i];

            float* out = upsampled[(size_t) c].data();
            int i = 0;
#if defined(__SSE2__)
            for (; i + 4 <= n; i += 4)
            {
                __m128 acc = _mm_setzero_ps();
                for (int j = 0; j < taps; ++j)
                {
                    const __m128 older = _mm_loadu_ps (h + i + j);
                    const __m128 newer = _mm_loadu_ps (h + upSpan + i - j);
                    acc = _mm_add_ps (acc, _mm_mul_ps (_mm_add_ps (older, newer), _mm_set1_ps (upTaps[(size_t) j])));
                }
                const __m128 odd = _mm_mul_ps (_mm_loadu_ps (h + upSpan + i - upCentreDelay), _mm_set1_ps (upCentre));
                _mm_storeu_ps (out + 2 * i, _mm_unpacklo_ps (acc, odd));
                _mm_storeu_ps (out + 2 * i + 4, _mm_unpackhi_ps (acc, odd));
            }
#endif
            for (; i < n; ++i)
            {
                float acc = 0.0f;
                for (int j = 0; j < taps; ++j)
                    acc += (h[i + j] + h[upSpan + i - j]) * upTaps[(size_t) j];
                out[2 * i] = acc;
                out[2 * i + 1] = h[upSpan + i - upCentreDelay] * upCentre;
            }

            std::memmove (h, h + n, sizeof (float) * (size_t) upSpan);
        }
    }

    /** 2n upsampled samples per channel in (from getUpsampled), n base-rate samples out. */
    void processDown (float* const* output, int n) noexcept
    {
        const int taps = (int) downTaps.size();

        for (int c = 0; c < numChannels; ++c)
        {
            const float* u = upsampled[(size_t) c].data();
            float* e = evenHistory[(size_t) c].data();
            float* o = oddHistory[(size_t) c].data();
            for (int i = 0; i < n; ++i)
            {
                e[downSpan + i] = u[2 * i];
                o[oddDelay + i] = u[2 * i + 1];
            }

            float* out = output[c];
            int i = 0;
#if defined(__SSE2__)
            for (; i + 4 <= n; i += 4)
            {
                __m128 acc = _mm_setzero_ps();
                for (int j = 0; j < taps; ++j)
                {
                    const __m128 older = _mm_loadu_ps (e + i + j);
                    const __m128 newer = _mm_loadu_ps (e + downSpan + i - j);
                    acc = _mm_add_ps (acc, _mm_mul_ps (_mm_add_ps (older, newer), _mm_set1_ps (downTaps[(size_t) j])));
                }
                acc = _mm_add_ps (acc, _mm_mul_ps (_mm_loadu_ps (o + i), _mm_set1_ps (downCentre)));
                _mm_storeu_ps (out + i, acc);
            }
#endif
            for (; i < n; ++i)
            {
                float acc = 0.0f;
                for (int j = 0; j < taps; ++j)
                    acc += (e[i + j] + e[downSpan + i - j]) * downTaps[(size_t) j];
                acc += o[i] * downCentre;
                out[i] = acc;
            }

            std::memmove (e, e + n, sizeof (float) * (size_t) downSpan);
            std::memmove (o, o + n, sizeof (float) * (size_t) oddDelay);
        }
    }

private:
    int numChannels, maxBlock = 0;
    std::vector<float> upTaps, downTaps;
    float upCentre = 0.0f, downCentre = 0.0f;
    int upSpan = 0, upCentreDelay = 0, downSpan = 0, oddDelay = 0;
    std::vector<std::vector<float>> upHistory, evenHistory, oddHistory, upsampled;
};
} // namespace vexa_bench
