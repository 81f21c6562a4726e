// The typing benchmarks' text and statistics: twenty sentences of 10-40 letters of full pinyin,
// and the percentile of a set of timings.
#pragma once

#include <algorithm>
#include <cstddef>
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

// The value below which `fraction` of the values lie (0.5 the median, 1.0 the largest).
inline double percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t at = std::min(
      values.size() - 1, static_cast<std::size_t>(fraction * static_cast<double>(values.size())));
  return values[at];
}
