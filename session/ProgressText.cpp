#include "session/ProgressText.h"

namespace vor {

std::string PercentText(int done, int total) {
    const long long scaled = static_cast<long long>(done) * 100;
    long long percent = scaled / total;
    const long long twiceRest = 2 * (scaled % total);
    if (twiceRest > total || (twiceRest == total && percent % 2 != 0)) ++percent;
    return std::to_string(percent) + "%";
}

}  // namespace vor
