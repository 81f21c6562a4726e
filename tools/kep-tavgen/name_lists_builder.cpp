#include "name_lists_builder.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <unordered_set>

namespace tavgen {

namespace {

// Characters common in transcriptions of Western names, beyond those of lex-flname's few names.
constexpr const char* kTranscriptionSeed =
    "阿埃艾爱安昂奥巴白拜班邦保贝本比彼毕宾波伯博布查达戴丹道德迪蒂丁东杜多厄恩法范菲费芬弗福"
    "盖甘戈哥格古哈海汉豪赫亨华惠霍基吉加贾杰金卡凯坎康考柯科克肯库奎拉莱兰朗劳勒雷蕾里丽利莉"
    "列林琳隆卢鲁路伦罗洛马玛迈麦曼梅门蒙米密摩莫默姆穆纳娜南内尼妮纽诺欧帕潘佩彭皮珀普奇琪乔"
    "切萨塞赛桑瑟森沙莎舍施斯松苏索塔泰坦汤特提汀图托瓦万威韦维温沃乌伍西希锡夏谢辛休雅亚扬耶"
    "伊因英尤约泽扎詹兹卓佐祖黛薇娅缪滕贡果捷津喀堪孔夸昆阔腊赖黎廉留柳楼律芒墨拿奈瑙涅努泼蒲"
    "齐琴丘屈荣茹瑞若珊绍舒陶廷席仙肖薛延琼丝芙茜露翰夫茨契诃怀芭珍姬娃朵斐迦伽弥鲍卜庞蓬裴赞罕"
    "儒圣史葛钦让热撒登狄敦凡伏富冈荷洪缅";

// Characters by how often they were counted, most first; equal counts in code order.
std::vector<GbkChar> ranked(const std::map<GbkChar, std::size_t>& counts) {
  std::vector<std::pair<GbkChar, std::size_t>> entries(counts.begin(), counts.end());
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  std::vector<GbkChar> out;
  out.reserve(entries.size());
  for (const auto& entry : entries) out.push_back(entry.first);
  return out;
}

std::vector<GbkChar> fixed_characters(std::string_view utf8) {
  std::optional<std::vector<GbkChar>> codes = gb2312_text(utf8);
  if (!codes) throw std::runtime_error("not GB2312 text: " + std::string(utf8));
  return std::move(*codes);
}

}  // namespace

std::vector<GbkChar> single_characters(const std::vector<std::string>& texts) {
  std::vector<GbkChar> out;
  std::unordered_set<GbkChar> seen;
  for (const std::string& text : texts) {
    std::optional<std::vector<GbkChar>> codes = gb2312_text(text);
    if (codes && codes->size() == 1 && seen.insert((*codes)[0]).second) out.push_back((*codes)[0]);
  }
  return out;
}

std::string comma_list(const std::vector<GbkChar>& characters) {
  std::string out;
  for (GbkChar code : characters) {
    if (!out.empty()) out += ',';
    append_gbk(code, &out);
  }
  return out;
}

std::vector<GbkChar> shaped_list(const NameListShape& shape, const std::vector<GbkChar>& candidates) {
  const std::vector<GbkChar> head = fixed_characters(shape.head);
  const std::vector<GbkChar> tail = fixed_characters(shape.tail);
  std::set<GbkChar> chosen(head.begin(), head.end());
  chosen.insert(tail.begin(), tail.end());
  const std::vector<GbkChar> members = fixed_characters(shape.members);
  chosen.insert(members.begin(), members.end());
  const GbkChar head_end = head.empty() ? 0 : *std::max_element(head.begin(), head.end());
  const GbkChar tail_start = tail.empty() ? 0xFFFF : *std::min_element(tail.begin(), tail.end());
  for (GbkChar code : candidates) {
    if (chosen.size() >= shape.size) break;
    if (code > head_end && code < tail_start) chosen.insert(code);
  }
  return {chosen.begin(), chosen.end()};
}

NameLists build_name_lists(const NameLexicons& lexicons, const std::vector<std::string>& words) {
  NameLists lists;
  lists.surnames = shaped_list(kSurnameShape, single_characters(lexicons.surnames));
  std::vector<std::string> given = lexicons.single_given;
  given.insert(given.end(), lexicons.double_second.begin(), lexicons.double_second.end());
  given.insert(given.end(), lexicons.double_first.begin(), lexicons.double_first.end());
  lists.given = shaped_list(kGivenNameShape, single_characters(given));

  std::set<GbkChar> transcription;
  std::vector<std::vector<GbkChar>> names;
  for (const std::string& name : lexicons.western) {
    std::optional<std::vector<GbkChar>> codes = gb2312_text(name);
    if (!codes || codes->size() < 2) continue;
    transcription.insert(codes->begin(), codes->end());
    names.push_back(std::move(*codes));
  }
  const std::vector<GbkChar> seed = fixed_characters(kTranscriptionSeed);
  transcription.insert(seed.begin(), seed.end());
  std::set<std::vector<GbkChar>> seen(names.begin(), names.end());
  Gb2312Cache gb2312;
  for (const std::string& word : words) {
    std::optional<std::vector<GbkChar>> codes = gb2312.text(word);
    if (!codes || codes->size() < 3 || codes->size() > 6) continue;
    const bool transcribed = std::all_of(codes->begin(), codes->end(),
                                         [&](GbkChar code) { return transcription.count(code) != 0; });
    if (transcribed && seen.insert(*codes).second) names.push_back(std::move(*codes));
  }
  std::map<GbkChar, std::size_t> first;
  std::map<GbkChar, std::size_t> middle;
  std::map<GbkChar, std::size_t> last;
  for (const std::vector<GbkChar>& name : names) {
    ++first[name.front()];
    ++last[name.back()];
    for (std::size_t i = 1; i + 1 < name.size(); ++i) ++middle[name[i]];
  }
  lists.western_first = shaped_list(kWesternFirstShape, ranked(first));
  lists.western_middle = shaped_list(kWesternMiddleShape, ranked(middle));
  lists.western_last = shaped_list(kWesternLastShape, ranked(last));
  lists.western_names = names.size();
  return lists;
}

}  // namespace tavgen
