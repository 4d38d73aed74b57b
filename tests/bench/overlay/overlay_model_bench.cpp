#include "overlay/board_model.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

std::string thirty_rows() {
    std::string s = "WEEK\tW23\t06-02 ~ 06-08\n";
    for (int i = 1; i <= 30; ++i)
        s += "R\teasy\tarcade\t" + std::to_string(i) + "\tRunner_" + std::to_string(i) + "\t" +
             std::to_string(600 + i * 13.37) + "\t" + std::to_string(300 - i) + "\n";
    return s;
}

void BM_BoardTick200Sparks(benchmark::State& state) {
    const kvr::RandomInt rnd = [] { return std::rand(); };
    BoardState s;
    for (auto _ : state) {
        state.PauseTiming();
        s.particles.clear();
        spawn_burst(s.particles, 200, 390, 500, 255, 196, 80, rnd);
        state.ResumeTiming();
        board_tick(s, true, rnd);
        benchmark::DoNotOptimize(s.particles.data());
    }
}
BENCHMARK(BM_BoardTick200Sparks);

void BM_ParseThirtyRowBoard(benchmark::State& state) {
    const std::string text = thirty_rows();
    for (auto _ : state)
        benchmark::DoNotOptimize(parse_board(text));
}
BENCHMARK(BM_ParseThirtyRowBoard);

} // namespace
