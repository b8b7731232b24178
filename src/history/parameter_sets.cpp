#include "history/parameter_sets.h"

#include <map>
#include <string_view>

namespace sorvane::history {

namespace {

// "Key=Value" pairs in order.
std::vector<std::string> pairsOf(const std::string& set) {
    std::vector<std::string> pairs;
    size_t start = 0;
    while (start < set.size()) {
        size_t end = set.find(';', start);
        if (end == std::string::npos) end = set.size();
        if (end > start) pairs.push_back(set.substr(start, end - start));
        start = end + 1;
    }
    return pairs;
}

std::string_view keyOf(std::string_view pair) {
    return pair.substr(0, pair.find('='));
}

}  // namespace

std::string mostCommonParameters(const std::vector<LedgerDay>& days) {
    // Days come in date order: the first set seen is the earliest.
    std::vector<std::pair<std::string, int>> counts;
    std::map<std::string, size_t> indexOf;
    for (const LedgerDay& day : days) {
        auto [it, isNew] = indexOf.emplace(day.parameters, counts.size());
        if (isNew) counts.push_back({day.parameters, 0});
        ++counts[it->second].second;
    }
    const std::pair<std::string, int>* best = nullptr;
    for (const auto& c : counts) {
        if (!best || c.second > best->second) best = &c;
    }
    return best ? best->first : std::string();
}

std::string differingParameters(const std::string& common, const std::string& own) {
    std::vector<std::string> commonPairs = pairsOf(common);
    std::string differ;
    for (const std::string& pair : pairsOf(own)) {
        bool same = false;
        for (const std::string& c : commonPairs) {
            if (keyOf(c) == keyOf(pair)) same = c == pair;
        }
        if (!same) differ += (differ.empty() ? "" : ";") + pair;
    }
    return differ;
}

}  // namespace sorvane::history
