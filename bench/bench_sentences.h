// The typing benchmarks' text and statistics: twenty sentences of 10-40 letters of full pinyin,
// and the percentile of a set of timings.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

inline constexpr const char* kBenchSentences[] = {
    "womenshizhongguoren",
    "jintiantianqizhenhao",
    "woxiangquzhongguolvyou",
    "zhegewentifeichangzhongyao",
    "nihaowoshixuesheng",
    "womenyiqiquchifanba",
    "tamingtianyaoqubeijingkaihui",
    "zhejianshiqingwomenxuyaohaohaotaolun",
    "jisuanjikexuejishufazhanhenkuai",
    "shurufadeshiyongtiyanhenzhongyao",
    "qingbangwozhaoyixiazhegewenjian",
    "zuotianwanshangxialeyichangdayu",
    "xiexienidebangzhuwomenhengaoxing",
    "dajiayiqinulibaozhengzhiliang",
    "zhonghuarenmingongheguo",
    "xianzaikaishijinxingceshi",
    "zhegechengshidejiaotongfeichangfangbian",
    "wozuijinzaixuexibiancheng",
    "tadehuashuodefeichangqingchu",
    "yinhangdefuwushijianshijiudiandaowudian",
};

// Whether every sentence has 10-40 letters, as the typing benchmarks promise.
inline bool bench_sentences_fit() {
  return std::all_of(std::begin(kBenchSentences), std::end(kBenchSentences), [](const char* s) {
    const std::size_t letters = std::char_traits<char>::length(s);
    return letters >= 10 && letters <= 40;
  });
}

// The value below which `fraction` of the values lie (0.5 the median, 1.0 the largest).
inline double percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t at = std::min(
      values.size() - 1, static_cast<std::size_t>(fraction * static_cast<double>(values.size())));
  return values[at];
}
