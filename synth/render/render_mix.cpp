#include "synth/render/render_mix.h"

#include <algorithm>

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#define ULVO_MIX_SSE 1
#endif

namespace {

float sampleOf(const LaneJob& job, const MixSource& s, std::int32_t k) {
    if (s.lane < 0) return s.row[k];
    return job.out[job.at(s.lane / job.width, k, s.lane % job.width)];
}

// Frames [from, to) one by one.
void mixFrames(const LaneJob& job, const MixSource* sources, std::int32_t count, float* left,
               float* right, std::int32_t from, std::int32_t to) {
    for (std::int32_t k = from; k < to; ++k)
        for (std::int32_t i = 0; i < count; ++i) {
            const MixSource& s = sources[i];
            if (k < s.begin || k >= s.end) continue;
            const float v = sampleOf(job, s, k);
            left[k] += v;
            right[k] += v;
        }
}

#ifdef ULVO_MIX_SSE
// Four frames starting at k, lane by lane: transposes the [frame][lane] blocks of every group.
void transposeLanes(const LaneJob& job, std::int32_t k, float (*byLane)[4]) {
    const std::int32_t w = job.width;
    for (std::int32_t q = 0; q < job.groups; ++q)
        for (std::int32_t h = 0; h < w; h += 4) {
            const float* p = job.out + job.at(q, k, h);
            __m128 r0 = _mm_loadu_ps(p), r1 = _mm_loadu_ps(p + w), r2 = _mm_loadu_ps(p + 2 * w),
                   r3 = _mm_loadu_ps(p + 3 * w);
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            float(*lane)[4] = byLane + q * w + h;
            _mm_storeu_ps(lane[0], r0);
            _mm_storeu_ps(lane[1], r1);
            _mm_storeu_ps(lane[2], r2);
            _mm_storeu_ps(lane[3], r3);
        }
}

// The common chunk: every voice in a lane and rendering all its frames, so the lanes in order
// are the voices in order, and each group's frames transpose straight into the sums.
void mixFullLanes(const LaneJob& job, std::int32_t lanes, float* left, float* right,
                  std::int32_t frames) {
    const bool sameBuffer = left == right;
    const std::int32_t w = job.width;
    for (std::int32_t k = 0; k + 4 <= frames; k += 4) {
        __m128 l = _mm_loadu_ps(left + k);
        __m128 r = _mm_loadu_ps(right + k);
        for (std::int32_t base = 0; base < lanes; base += 4) {
            const float* p = job.out + job.at(base / w, k, base % w);
            __m128 v[4] = {_mm_loadu_ps(p), _mm_loadu_ps(p + w), _mm_loadu_ps(p + 2 * w),
                           _mm_loadu_ps(p + 3 * w)};
            _MM_TRANSPOSE4_PS(v[0], v[1], v[2], v[3]);
            const std::int32_t n = std::min(4, lanes - base);
            for (std::int32_t i = 0; i < n; ++i) {
                l = _mm_add_ps(l, v[i]);
                if (sameBuffer)
                    l = _mm_add_ps(l, v[i]);
                else
                    r = _mm_add_ps(r, v[i]);
            }
        }
        _mm_storeu_ps(left + k, l);
        if (!sameBuffer) _mm_storeu_ps(right + k, r);
    }
}

bool allFullLanes(const MixSource* sources, std::int32_t count, std::int32_t frames) {
    for (std::int32_t i = 0; i < count; ++i)
        if (sources[i].lane != i || sources[i].begin != 0 || sources[i].end != frames) return false;
    return true;
}
#endif

} // namespace

void mixChunk(const LaneJob& job, const MixSource* sources, std::int32_t count, float* left,
              float* right, std::int32_t frames) {
    std::int32_t k = 0;
#ifdef ULVO_MIX_SSE
    if (allFullLanes(sources, count, frames)) {
        mixFullLanes(job, count, left, right, frames);
        mixFrames(job, sources, count, left, right, frames & ~3, frames);
        return;
    }
    const bool sameBuffer = left == right;
    float byLane[kMaxLanes][4];
    for (; k + 4 <= frames; k += 4) {
        if (job.groups > 0) transposeLanes(job, k, byLane);
        __m128 l = _mm_loadu_ps(left + k);
        __m128 r = _mm_loadu_ps(right + k);
        for (std::int32_t i = 0; i < count; ++i) {
            const MixSource& s = sources[i];
            if (s.begin <= k && k + 4 <= s.end) {
                const __m128 v =
                    s.lane >= 0 ? _mm_loadu_ps(byLane[s.lane]) : _mm_loadu_ps(s.row + k);
                l = _mm_add_ps(l, v);
                if (sameBuffer)
                    l = _mm_add_ps(l, v);
                else
                    r = _mm_add_ps(r, v);
            } else if (s.begin < k + 4 && s.end > k) {
                // The voice starts or ends inside these four frames.
                _mm_storeu_ps(left + k, l);
                if (!sameBuffer) _mm_storeu_ps(right + k, r);
                mixFrames(job, &s, 1, left, right, std::max(k, s.begin), std::min(k + 4, s.end));
                l = _mm_loadu_ps(left + k);
                r = _mm_loadu_ps(right + k);
            }
        }
        _mm_storeu_ps(left + k, l);
        if (!sameBuffer) _mm_storeu_ps(right + k, r);
    }
#endif
    mixFrames(job, sources, count, left, right, k, frames);
}

void mixLaneFrames(const LaneJob& job, std::int32_t lanes, float* left, float* right,
                   std::int32_t from, std::int32_t to, bool replacing) {
    const std::int32_t w = job.width;
    for (std::int32_t k = from; k < to; ++k) {
        if (replacing) left[k] = right[k] = 0.0f;
        for (std::int32_t lane = 0; lane < lanes; ++lane) {
            const float v = job.out[job.at(lane / w, k & (kChunkFrames - 1), lane % w)];
            left[k] += v;
            right[k] += v;
        }
    }
}
