#include "strings/DateNames.h"

#include "strings/StringTable.h"

namespace lumavox {

namespace {

template <size_t N>
void fill(std::array<std::string, N>& names, int firstId) {
    for (size_t i = 0; i < N; ++i)
        names[i] = text(firstId + static_cast<int>(i));
}

}  // namespace

DateNames DateNames::load() {
    DateNames n;
    fill(n.weekdayLong, msg::kWeekdayLong);
    fill(n.weekdayShort, msg::kWeekdayShort);
    fill(n.monthLong, msg::kMonthLong);
    fill(n.monthShort, msg::kMonthShort);
    fill(n.markers, msg::kMarkerAM);
    fill(n.ordinals, msg::kOrdinalSt);
    return n;
}

}  // namespace lumavox
