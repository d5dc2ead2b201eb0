#include "quick_add/quick_add.h"

#include <array>
#include <benchmark/benchmark.h>

namespace {
using namespace chimewell;

// A mix of what people type: relative days, clocks, weekdays, lunar dates, festivals, terms, repeats with
// intervals, ends and warnings, ambiguous hours and refusals.
constexpr std::array<const char*, 36> Phrases = {
    "明天下午三点开会",
    "后天上午十点体检",
    "今晚9点看球赛",
    "下周三开会",
    "周五下午3点团建",
    "3天后复查",
    "两小时后开会",
    "一个半小时后取车",
    "本月底交报表",
    "下个月15号续费",
    "12月25日买礼物",
    "2027年1月5日续签合同",
    "二〇二七年一月五日续签合同",
    "明天早上8点零五分交材料",
    "3点开会",
    "农历八月十五回老家",
    "腊月廿三祭灶",
    "初一去上香",
    "闰五月初五包粽子",
    "春节回家",
    "除夕晚上8点看春晚",
    "清明扫墓",
    "每天早上8点吃药",
    "每周一三五晚上7点跑步",
    "工作日早上7点起床",
    "法定工作日早上8点打卡",
    "每月5号还房贷 提前三天和一天",
    "每年农历三月初八妈妈生日",
    "每个月第二个星期日上午10点家庭会议",
    "每隔两周的周五打扫",
    "每三天换水 共5次",
    "每天早上8点吃药 到2027年6月30日为止",
    "明天下午三点开会 提前两小时和半小时",
    "明天下午3点 review PR #42",
    "2月30日开会",
    "开会",
};

void BM_ParseQuickAdd(benchmark::State& state) {
    const TDateTime now = ParseMinute("2026-03-10 14:20").value();
    std::size_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseQuickAdd(Phrases[index], now));
        index = (index + 1) % Phrases.size();
    }
    state.SetLabel("one phrase");
}
BENCHMARK(BM_ParseQuickAdd);

} // namespace
