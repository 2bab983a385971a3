// Formula evaluation speed: FormulaRun over the registry hooks, side by side with muparser.
//
// Each benchmark iteration evaluates one formula for one mesh point, the way
// the visual-feedback scene does: it stores the point's X, Y, Radius and
// Theta into the BASE variables, then runs the compiled formula. muparser
// gets the same expressions (bracketed identically) over double variables
// bound by address. A summary of evaluations per second and the ratio is
// printed after the table.
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "config/ZynConstFormula.h"
#include "config/kvFormula.h"
#include "platform/kvLog.h"

#include <benchmark/benchmark.h>

#ifdef ZYN_HAVE_MUPARSER
#include <muParser.h>
#endif

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct TBenchFormula {
    const char* Name;
    const char* Ours;       // formula text as data files write it
    const char* Muparser;   // the same, in muparser's syntax
};

const TBenchFormula kFormulas[] = {
    {"swirl",
     "MapA = 0.05 + (0.02*Radius); MapB = Theta + 1.5 + (0.2*SIN(Time*0.7));",
     "MapA = 0.05 + (0.02*Radius), MapB = Theta + 1.5 + (0.2*sin(Time*0.7))"},
    {"ripple",
     "MapA = 0.03*SIN((Radius*12) - (Time*4)); MapB = Theta + (Bass*0.1);",
     "MapA = 0.03*sin((Radius*12) - (Time*4)), MapB = Theta + (Bass*0.1)"},
    {"colour",
     "R = 0.5 + (0.5*SIN((Theta*3) + Time)); G = 0.5 + (0.5*COS((Radius*5) - Time)); "
     "B = MIN(1, Radius*Bass); A = 1;",
     "R = 0.5 + (0.5*sin((Theta*3) + Time)), G = 0.5 + (0.5*cos((Radius*5) - Time)), "
     "B = min(1, Radius*Bass), A = 1"},
};

// A 32 x 24 mesh of points in -1..1, as polar and cartesian coordinates.
struct TPoint {
    float X, Y, Radius, Theta;
};

std::vector<TPoint> MakeMesh()
{
    std::vector<TPoint> mesh;
    for (int j = 0; j < 24; j++) {
        for (int i = 0; i < 32; i++) {
            float x = i / 15.5f - 1.0f, y = j / 11.5f - 1.0f;
            float s = x * x + y * y;
            mesh.push_back({x, y, s <= 0.001f ? 0.001f : std::sqrt(s), std::atan2(y, x)});
        }
    }
    return mesh;
}

const std::vector<TPoint> g_Mesh = MakeMesh();

void SetFrameInputs()
{
    zcBASE_Time = 12.5f;
    zcBASE_Bass = 0.8f;
    zcBASE_TimePassed = 0.016f;
}

void BM_FormulaRun(benchmark::State& state, const TBenchFormula* f)
{
    ConstFormulaInstallHooks();
    TkvFormula program;
    FormulaCompile(f->Ours, program);
    state.counters["instructions"] = program.Count();
    SetFrameInputs();
    size_t i = 0;
    for (auto _ : state) {
        const TPoint& p = g_Mesh[i];
        if (++i == g_Mesh.size()) i = 0;
        zcBASE_X = p.X;
        zcBASE_Y = p.Y;
        zcBASE_Radius = p.Radius;
        zcBASE_Theta = p.Theta;
        FormulaRun(program);
        benchmark::DoNotOptimize(zcBASE_MapA);
    }
    state.counters["evals/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void BM_FormulaCompile(benchmark::State& state, const TBenchFormula* f)
{
    ConstFormulaInstallHooks();
    TkvFormula program;
    for (auto _ : state) {
        FormulaCompile(f->Ours, program);
        benchmark::DoNotOptimize(program.Count());
    }
}

#ifdef ZYN_HAVE_MUPARSER
// The BASE variables as muparser sees them.
struct TMuVars {
    double Time = 12.5, Bass = 0.8, X = 0, Y = 0, Radius = 0, Theta = 0;
    double MapA = 0, MapB = 0, R = 0, G = 0, B = 0, A = 0;
};

void BindVars(mu::Parser& parser, TMuVars& v)
{
    parser.DefineVar("Time", &v.Time);
    parser.DefineVar("Bass", &v.Bass);
    parser.DefineVar("X", &v.X);
    parser.DefineVar("Y", &v.Y);
    parser.DefineVar("Radius", &v.Radius);
    parser.DefineVar("Theta", &v.Theta);
    parser.DefineVar("MapA", &v.MapA);
    parser.DefineVar("MapB", &v.MapB);
    parser.DefineVar("R", &v.R);
    parser.DefineVar("G", &v.G);
    parser.DefineVar("B", &v.B);
    parser.DefineVar("A", &v.A);
}

void BM_Muparser(benchmark::State& state, const TBenchFormula* f)
{
    TMuVars v;
    mu::Parser parser;
    BindVars(parser, v);
    parser.SetExpr(f->Muparser);
    parser.Eval();   // parse once, as FormulaCompile does
    size_t i = 0;
    for (auto _ : state) {
        const TPoint& p = g_Mesh[i];
        if (++i == g_Mesh.size()) i = 0;
        v.X = p.X;
        v.Y = p.Y;
        v.Radius = p.Radius;
        v.Theta = p.Theta;
        benchmark::DoNotOptimize(parser.Eval());
    }
    state.counters["evals/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

// Both engines must compute the same outputs, or the comparison means nothing.
bool SameResults(const TBenchFormula& f)
{
    ConstFormulaInstallHooks();
    TkvFormula program;
    FormulaCompile(f.Ours, program);
    TMuVars v;
    mu::Parser parser;
    BindVars(parser, v);
    parser.SetExpr(f.Muparser);
    SetFrameInputs();
    // Outputs a formula does not assign start equal on both sides.
    zcBASE_MapA = zcBASE_MapB = zcBASE_R = zcBASE_G = zcBASE_B = zcBASE_A = 0.0f;
    for (const TPoint& p : g_Mesh) {
        zcBASE_X = p.X; zcBASE_Y = p.Y; zcBASE_Radius = p.Radius; zcBASE_Theta = p.Theta;
        v.X = p.X; v.Y = p.Y; v.Radius = p.Radius; v.Theta = p.Theta;
        FormulaRun(program);
        parser.Eval();
        const std::pair<float, double> outs[] = {{zcBASE_MapA, v.MapA}, {zcBASE_MapB, v.MapB},
                                                 {zcBASE_R, v.R}, {zcBASE_G, v.G},
                                                 {zcBASE_B, v.B}, {zcBASE_A, v.A}};
        for (const auto& o : outs) {
            if (std::fabs(o.first - o.second) > 1e-4) return false;
        }
    }
    return true;
}
#endif

// Keeps every evals/s figure for the summary.
class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            auto it = r.counters.find("evals/s");
            if (it != r.counters.end()) Rates[r.benchmark_name()] = it->second.value;
        }
    }
    std::map<std::string, double> Rates;
};

} // namespace

int main(int argc, char** argv)
{
    kvLogSetSink([](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    for (const TBenchFormula& f : kFormulas) {
        benchmark::RegisterBenchmark((std::string("FormulaRun/") + f.Name).c_str(), BM_FormulaRun, &f);
#ifdef ZYN_HAVE_MUPARSER
        benchmark::RegisterBenchmark((std::string("Muparser/") + f.Name).c_str(), BM_Muparser, &f);
        if (!SameResults(f)) std::printf("WARNING: %s: the engines disagree\n", f.Name);
#endif
        benchmark::RegisterBenchmark((std::string("FormulaCompile/") + f.Name).c_str(), BM_FormulaCompile, &f);
    }
    benchmark::Initialize(&argc, argv);
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nEvaluations per second (one formula, one mesh point):\n");
    for (const TBenchFormula& f : kFormulas) {
        auto ours = reporter.Rates.find(std::string("FormulaRun/") + f.Name);
        if (ours == reporter.Rates.end()) continue;
        std::printf("  %-8s FormulaRun %8.2f M/s", f.Name, ours->second / 1e6);
        auto mu = reporter.Rates.find(std::string("Muparser/") + f.Name);
        if (mu != reporter.Rates.end() && mu->second > 0)
            std::printf("   muparser %8.2f M/s   ratio %.2fx", mu->second / 1e6, ours->second / mu->second);
        std::printf("\n");
    }
    benchmark::Shutdown();
    return 0;
}
