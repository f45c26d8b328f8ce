#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

// Times every iteration of a benchmark on its own and reports the median and
// the 99th percentile, in microseconds, as the benchmark's counters.
class TLatencyCounters {
public:
    explicit TLatencyCounters(benchmark::State& State) : State(State)
    {
        Samples.reserve(static_cast<size_t>(State.max_iterations));
    }

    ~TLatencyCounters()
    {
        if (Samples.empty())
            return;
        std::sort(Samples.begin(), Samples.end());
        State.counters["p50_us"] = Percentile(0.50);
        State.counters["p99_us"] = Percentile(0.99);
    }

    template <typename TWork>
    void Time(TWork&& Work)
    {
        const auto Start = std::chrono::steady_clock::now();
        Work();
        const auto Stop = std::chrono::steady_clock::now();
        Samples.push_back(std::chrono::duration<double, std::micro>(Stop - Start).count());
    }

private:
    double Percentile(double Fraction) const
    {
        const auto Index = static_cast<size_t>(Fraction * static_cast<double>(Samples.size() - 1));
        return Samples[Index];
    }

    benchmark::State& State;
    std::vector<double> Samples;
};
