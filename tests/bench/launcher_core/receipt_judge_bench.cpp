// The whole judgement of a run (split scan, splices, payload) for receipts of growing length.
#include "launcher_core/result/receipt_judge.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string receipt_with(int splits) {
    std::string s = "{\"status\":\"running\",\"ending\":\"\",\"total\":812.40,\"splits\":[";
    for (int i = 1; i <= splits; ++i) {
        if (i > 1) s += ",";
        // Every 50th split passes an ending map, as a long run through the arcade would.
        const std::string map = i == splits   ? "ENDING:true"
                                : i % 50 == 0 ? "Neon Gate " + std::to_string(i)
                                              : "Level " + std::to_string(i);
        s += "{\"i\":" + std::to_string(i) + ",\"map\":\"" + map +
             "\",\"t\":" + std::to_string(i * 0.75) + "}";
    }
    return s + "]}";
}

void judge_receipt(benchmark::State& state) {
    RunInputs in;
    in.server_configured = true;
    in.source = ReceiptSource::receipt;
    in.text = receipt_with(static_cast<int>(state.range(0)));
    in.livesplit.phase = "Ended";
    in.livesplit.time = 812.5;
    in.player = "Mira";
    in.player_id = "76561198000000001";
    for (auto _ : state) {
        RunJudgement j = judge_run(in);
        benchmark::DoNotOptimize(j);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(in.text->size()));
}

} // namespace

BENCHMARK(judge_receipt)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
