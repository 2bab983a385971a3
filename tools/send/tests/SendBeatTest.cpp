// Kick detection against the generated drum-loop test set (F-measure within +-70 ms).
#include "ZynSendLoops.h"
#include "audio/ZynAudioAnalyser.h"

#include <aubio/aubio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {
std::vector<double> OurKicks(const TZynLoop& loop)
{
    TZynAudioAnalyser an(loop.SampleRate);
    std::vector<double> kicks;
    const size_t frame = size_t(loop.SampleRate / 60);   // as zyn-send analyse feeds it
    for (size_t i = 0; i < loop.Mono.size(); i += frame) {
        an.Push(loop.Mono.data() + i, std::min(frame, loop.Mono.size() - i));
        an.Frame(1.0f / 60);
        auto k = an.TakeOnsets();
        kicks.insert(kicks.end(), k.begin(), k.end());
    }
    return kicks;
}

// aubio's onset detector as it comes, for comparison.
std::vector<double> PlainAubio(const TZynLoop& loop)
{
    const uint_t hop = 256;
    aubio_onset_t* o = new_aubio_onset("default", 1024, hop, uint_t(loop.SampleRate));
    fvec_t* in = new_fvec(hop);
    fvec_t* out = new_fvec(1);
    std::vector<double> t;
    for (size_t i = 0; i + hop <= loop.Mono.size(); i += hop) {
        std::copy(loop.Mono.begin() + long(i), loop.Mono.begin() + long(i + hop), in->data);
        aubio_onset_do(o, in, out);
        if (out->data[0] != 0) t.push_back(aubio_onset_get_last_s(o));
    }
    del_fvec(in);
    del_fvec(out);
    del_aubio_onset(o);
    return t;
}
}  // namespace

TEST(SendBeat, KicksOfEveryGeneratedLoopAreFoundAndNothingElse)
{
    std::printf("%-22s %6s %6s %6s %6s  %s\n", "loop", "kicks", "found", "P", "R", "F (plain aubio F)");
    for (const auto& r : ZynLoopRecipes()) {
        TZynLoop loop = ZynRenderLoop(r);
        ASSERT_GT(loop.Kicks.size(), 20u) << r.Name;
        TZynScore s = ZynKickFMeasure(OurKicks(loop), loop.Kicks);
        TZynScore plain = ZynKickFMeasure(PlainAubio(loop), loop.Kicks);
        std::printf("%-22s %6d %6d %6.3f %6.3f  %.3f (%.3f)\n", r.Name, s.Truth, s.Detected, s.Precision(),
                    s.Recall(), s.F(), plain.F());
        EXPECT_GE(s.F(), 0.9) << r.Name;
    }
}

TEST(SendBeat, FMeasureMatchesEachKickOnceWithinTheTolerance)
{
    std::vector<double> truth = {1.0, 2.0, 3.0, 4.0};
    // One hit, one double detection (counts once), one just outside, one missing.
    TZynScore s = ZynKickFMeasure({1.05, 1.95, 2.01, 3.071}, truth);
    EXPECT_EQ(s.Matched, 2);
    EXPECT_EQ(s.Detected, 4);
    EXPECT_EQ(s.Truth, 4);
    EXPECT_DOUBLE_EQ(s.F(), 0.5);
    EXPECT_EQ(ZynKickFMeasure({}, truth).F(), 0.0);
}
